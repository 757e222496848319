// The settings record of one TQ-7350 detector: identity, settings, up to six
// gas channel slots, the station and user lists, the "LI" and "LS" gas
// tables, and one change flag per writable setting.
//
// Writing a setting stores it and marks its change flag; the write sequence
// sends only flagged settings. Reads and writes with an index outside the
// valid range never touch memory: reads give 0, an empty text, false or the
// zero date, writes are ignored.
//
// Every setting with a change flag is also a row of model/SettingsTable.h
// (name, flag, flag group, default, write command); the operations below
// walk that table. A new setting needs its accessors and members here and
// its row there (docs/adding-a-setting.md).
#pragma once

#include <QString>
#include <cstdint>

class clsInstrument {
public:
    static constexpr int kChannelSlots = 6;  // channel slots 0..5
    static constexpr int kGasChannels = 5;   // channels 0..4 carry gas settings
    static constexpr int kListSlots = 129;   // station/user list slots 0..128
    static constexpr int kListEntries = 128; // valid list indexes 0..127
    static constexpr int kLiEntries = 31;    // LI table 0..30
    static constexpr int kLsEntries = 2;     // LS table 0..1
    static constexpr int kAnalogValues = 11; // AnalogValue 0..10
    static constexpr int kLimitValues = 6;   // LimitValue 0..5

    // A new record is reset to its defaults (ClearDatas).
    clsInstrument();
    clsInstrument(const clsInstrument&) = default;
    clsInstrument& operator=(const clsInstrument&) = default;

    // Copies into this record only the settings whose change flag is set in
    // `other`, each through this record's own write (so this record's flags
    // are set as by an editor): every row of the settings table, including
    // the channels' internal name, digit, unit and full-scale flags and the
    // LS entries. The LI table carries no flags and is not copied.
    void CopyChangedFrom(const clsInstrument& other);

    // --- Operations --------------------------------------------------------
    // Sets the change flags by their group in the settings table: identity
    // texts and lists to pIDflag, the settings, channel and LS flags to
    // pFlag, Change_DummySerial to false; Change_FlowLevel,
    // Change_pressOffset and the channels' internal flags are left alone.
    void SetChangeFlags(bool pFlag, bool pIDflag);
    void ClearChangeFlags(); // SetChangeFlags(false, false)
    // Resets the record to its defaults: Key, MessageString, CommFlags,
    // RomNumber and the clock; every setting that has a default in the
    // settings table (the others are deliberately kept), written through
    // its write; the last calibration of channels 0..4 to "not set". Because
    // the channel fields go through their writes, the internal name, digit,
    // unit and full-scale flags of channels 0..4 are left set; every grouped
    // flag is cleared at the end.
    void ClearDatas();

    // --- Record status and raw data (no change flags) ------------------------
    QString Key() const { return m_Key; }
    void setKey(const QString& v) { m_Key = v; }
    QString MessageString() const { return m_MessageString; }
    void setMessageString(const QString& v) { m_MessageString = v; }
    QString FailLine() const { return m_FailLine; }
    void setFailLine(const QString& v) { m_FailLine = v; }
    bool CommFlags() const { return m_CommFlags; }
    void setCommFlags(bool v) { m_CommFlags = v; }
    bool ImportFlag() const { return m_ImportFlag; }
    void setImportFlag(bool v) { m_ImportFlag = v; }
    int32_t RomNumber() const { return m_RomNumber; }
    void setRomNumber(int32_t v) { m_RomNumber = v; }
    QString SUM() const { return m_SUM; }
    void setSUM(const QString& v) { m_SUM = v; }
    // Dates are day counts from 1899-12-30 with the time as fraction
    // (see model/OleDate.h).
    double SysDate() const { return m_SysDate; }
    void setSysDate(double v) { m_SysDate = v; }
    double SysDateOffset() const { return m_SysDateOffset; }
    void setSysDateOffset(double v) { m_SysDateOffset = v; }
    float AdrealValue() const { return m_AdrealValue; }
    void setAdrealValue(float v) { m_AdrealValue = v; }
    int16_t AnalogValue(int index) const; // index 0..10
    void setAnalogValue(int index, int16_t v);
    float LimitValue(int index) const; // index 0..5
    void setLimitValue(int index, float v);
    int16_t FlowValue() const { return m_FlowValue; }
    void setFlowValue(int16_t v) { m_FlowValue = v; }
    int16_t SHmode() const { return m_SHmode; }
    void setSHmode(int16_t v) { m_SHmode = v; }

    // --- Scalar settings, each with its change flag --------------------------
    // UserID, StationID, SerialNo and DummySerial are identity texts: trimmed,
    // an empty text becomes 16 "-" (user, station) or 20 "-" (serial numbers),
    // both when written and when read. Every write marks the flag, except
    // Intervals, which marks Change_Interval only when the value changes.
    QString UserID() const;
    void setUserID(const QString& v);
    bool Change_UserID() const { return m_Change_UserID; }
    void setChange_UserID(bool v) { m_Change_UserID = v; }
    QString StationID() const;
    void setStationID(const QString& v);
    bool Change_StationID() const { return m_Change_StationID; }
    void setChange_StationID(bool v) { m_Change_StationID = v; }
    QString SerialNo() const;
    void setSerialNo(const QString& v);
    bool Change_SerialNo() const { return m_Change_SerialNo; }
    void setChange_SerialNo(bool v) { m_Change_SerialNo = v; }
    QString DummySerial() const;
    void setDummySerial(const QString& v);
    bool Change_DummySerial() const { return m_Change_DummySerial; }
    void setChange_DummySerial(bool v) { m_Change_DummySerial = v; }
    int16_t HcMode() const { return m_HcMode; }
    void setHcMode(int16_t v) { store(m_HcMode, v, m_Change_HCMode); }
    bool Change_HCMode() const { return m_Change_HCMode; }
    void setChange_HCMode(bool v) { m_Change_HCMode = v; }
    int16_t AlarmMode() const { return m_AlarmMode; }
    void setAlarmMode(int16_t v) { store(m_AlarmMode, v, m_Change_AlarmMode); }
    bool Change_AlarmMode() const { return m_Change_AlarmMode; }
    void setChange_AlarmMode(bool v) { m_Change_AlarmMode = v; }
    int16_t Intervals() const;
    void setIntervals(int16_t v);
    bool Change_Interval() const { return m_Change_Interval; }
    void setChange_Interval(bool v) { m_Change_Interval = v; }
    int16_t DispID() const { return m_DispID; }
    void setDispID(int16_t v) { store(m_DispID, v, m_Change_DispID); }
    bool Change_DispID() const { return m_Change_DispID; }
    void setChange_DispID(bool v) { m_Change_DispID = v; }
    int16_t DispCalLimit() const { return m_DispCalLimit; }
    void setDispCalLimit(int16_t v) { store(m_DispCalLimit, v, m_Change_DispCalLimit); }
    bool Change_DispCalLimit() const { return m_Change_DispCalLimit; }
    void setChange_DispCalLimit(bool v) { m_Change_DispCalLimit = v; }
    int16_t CalLimit() const { return m_CalLimit; }
    void setCalLimit(int16_t v) { store(m_CalLimit, v, m_Change_CalLimit); }
    bool Change_CalLimit() const { return m_Change_CalLimit; }
    void setChange_CalLimit(bool v) { m_Change_CalLimit = v; }
    int16_t CalCheck() const { return m_CalCheck; }
    void setCalCheck(int16_t v) { store(m_CalCheck, v, m_Change_CalCheck); }
    bool Change_CalCheck() const { return m_Change_CalCheck; }
    void setChange_CalCheck(bool v) { m_Change_CalCheck = v; }
    int16_t CalCheckALL() const { return m_CalCheckALL; }
    void setCalCheckALL(int16_t v) { store(m_CalCheckALL, v, m_Change_CalCheckALL); }
    bool Change_CalCheckALL() const { return m_Change_CalCheckALL; }
    void setChange_CalCheckALL(bool v) { m_Change_CalCheckALL = v; }
    int16_t BumpFunction() const { return m_BumpFunction; }
    void setBumpFunction(int16_t v) { store(m_BumpFunction, v, m_Change_BumpFunction); }
    bool Change_BumpFunction() const { return m_Change_BumpFunction; }
    void setChange_BumpFunction(bool v) { m_Change_BumpFunction = v; }
    int16_t DispBumpLimit() const { return m_DispBumpLimit; }
    void setDispBumpLimit(int16_t v) { store(m_DispBumpLimit, v, m_Change_DispBumpLimit); }
    bool Change_DispBumpLimit() const { return m_Change_DispBumpLimit; }
    void setChange_DispBumpLimit(bool v) { m_Change_DispBumpLimit = v; }
    int16_t BumpLimit() const { return m_BumpLimit; }
    void setBumpLimit(int16_t v) { store(m_BumpLimit, v, m_Change_BumpLimit); }
    bool Change_BumpLimit() const { return m_Change_BumpLimit; }
    void setChange_BumpLimit(bool v) { m_Change_BumpLimit = v; }
    int16_t BumpCheck() const { return m_BumpCheck; }
    void setBumpCheck(int16_t v) { store(m_BumpCheck, v, m_Change_BumpCheck); }
    bool Change_BumpCheck() const { return m_Change_BumpCheck; }
    void setChange_BumpCheck(bool v) { m_Change_BumpCheck = v; }
    int16_t BumpCheckALL() const { return m_BumpCheckALL; }
    void setBumpCheckALL(int16_t v) { store(m_BumpCheckALL, v, m_Change_BumpCheckALL); }
    bool Change_BumpCheckALL() const { return m_Change_BumpCheckALL; }
    void setChange_BumpCheckALL(bool v) { m_Change_BumpCheckALL = v; }
    int16_t BumpTime() const { return m_BumpTime; }
    void setBumpTime(int16_t v) { store(m_BumpTime, v, m_Change_BumpTime); }
    bool Change_BumpTime() const { return m_Change_BumpTime; }
    void setChange_BumpTime(bool v) { m_Change_BumpTime = v; }
    int16_t BumpThreshold() const { return m_BumpThreshold; }
    void setBumpThreshold(int16_t v) { store(m_BumpThreshold, v, m_Change_BumpThreshold); }
    bool Change_BumpThreshold() const { return m_Change_BumpThreshold; }
    void setChange_BumpThreshold(bool v) { m_Change_BumpThreshold = v; }
    int16_t BumpFailAfter() const { return m_BumpFailAfter; }
    void setBumpFailAfter(int16_t v) { store(m_BumpFailAfter, v, m_Change_BumpFailAfter); }
    bool Change_BumpFailAfter() const { return m_Change_BumpFailAfter; }
    void setChange_BumpFailAfter(bool v) { m_Change_BumpFailAfter = v; }
    int16_t BumpFailCalTime() const { return m_BumpFailCalTime; }
    void setBumpFailCalTime(int16_t v) { store(m_BumpFailCalTime, v, m_Change_BumpFailCalTime); }
    bool Change_BumpFailCalTime() const { return m_Change_BumpFailCalTime; }
    void setChange_BumpFailCalTime(bool v) { m_Change_BumpFailCalTime = v; }
    int16_t LunchBreak() const { return m_LunchBreak; }
    void setLunchBreak(int16_t v) { store(m_LunchBreak, v, m_Change_LunchBreak); }
    bool Change_LunchBreak() const { return m_Change_LunchBreak; }
    void setChange_LunchBreak(bool v) { m_Change_LunchBreak = v; }
    int16_t AlarmSilence() const { return m_AlarmSilence; }
    void setAlarmSilence(int16_t v) { store(m_AlarmSilence, v, m_Change_AlarmSilence); }
    bool Change_AlarmSilence() const { return m_Change_AlarmSilence; }
    void setChange_AlarmSilence(bool v) { m_Change_AlarmSilence = v; }
    int16_t Confirmation() const { return m_Confirmation; }
    void setConfirmation(int16_t v) { store(m_Confirmation, v, m_Change_Confirmation); }
    bool Change_Confirmation() const { return m_Change_Confirmation; }
    void setChange_Confirmation(bool v) { m_Change_Confirmation = v; }
    int16_t LogOverWrite() const { return m_LogOverWrite; }
    void setLogOverWrite(int16_t v) { store(m_LogOverWrite, v, m_Change_LogOverWrite); }
    bool Change_LogOverWrite() const { return m_Change_LogOverWrite; }
    void setChange_LogOverWrite(bool v) { m_Change_LogOverWrite = v; }
    int16_t LcdBackLight() const { return m_LcdBackLight; }
    void setLcdBackLight(int16_t v) { store(m_LcdBackLight, v, m_Change_LcdBackLight); }
    bool Change_LcdBackLight() const { return m_Change_LcdBackLight; }
    void setChange_LcdBackLight(bool v) { m_Change_LcdBackLight = v; }
    int16_t autoBackLight() const { return m_autoBackLight; }
    void setautoBackLight(int16_t v) { store(m_autoBackLight, v, m_Change_autoBackLight); }
    bool Change_autoBackLight() const { return m_Change_autoBackLight; }
    void setChange_autoBackLight(bool v) { m_Change_autoBackLight = v; }
    int16_t AlarmOnOff() const { return m_AlarmOnOff; }
    void setAlarmOnOff(int16_t v) { store(m_AlarmOnOff, v, m_Change_AlarmOnOff); }
    bool Change_AlarmOnOff() const { return m_Change_AlarmOnOff; }
    void setChange_AlarmOnOff(bool v) { m_Change_AlarmOnOff = v; }
    int16_t StelTwaOnOff() const { return m_StelTwaOnOff; }
    void setStelTwaOnOff(int16_t v) { store(m_StelTwaOnOff, v, m_Change_StelTwaOnOff); }
    bool Change_StelTwaOnOff() const { return m_Change_StelTwaOnOff; }
    void setChange_StelTwaOnOff(bool v) { m_Change_StelTwaOnOff = v; }
    int16_t LcBhMode() const { return m_LcBhMode; }
    void setLcBhMode(int16_t v) { store(m_LcBhMode, v, m_Change_LcBhMode); }
    bool Change_LcBhMode() const { return m_Change_LcBhMode; }
    void setChange_LcBhMode(bool v) { m_Change_LcBhMode = v; }
    int16_t BhTime() const { return m_BhTime; }
    void setBhTime(int16_t v) { store(m_BhTime, v, m_Change_BhTime); }
    bool Change_BhTime() const { return m_Change_BhTime; }
    void setChange_BhTime(bool v) { m_Change_BhTime = v; }
    int16_t LcBuzzer() const { return m_LcBuzzer; }
    void setLcBuzzer(int16_t v) { store(m_LcBuzzer, v, m_Change_LcBuzzer); }
    bool Change_LcBuzzer() const { return m_Change_LcBuzzer; }
    void setChange_LcBuzzer(bool v) { m_Change_LcBuzzer = v; }
    int16_t AlarmO2() const { return m_AlarmO2; }
    void setAlarmO2(int16_t v) { store(m_AlarmO2, v, m_Change_AlarmO2); }
    bool Change_AlarmO2() const { return m_Change_AlarmO2; }
    void setChange_AlarmO2(bool v) { m_Change_AlarmO2 = v; }
    int16_t AutoZero() const { return m_AutoZero; }
    void setAutoZero(int16_t v) { store(m_AutoZero, v, m_Change_AutoZero); }
    bool Change_AutoZero() const { return m_Change_AutoZero; }
    void setChange_AutoZero(bool v) { m_Change_AutoZero = v; }
    int16_t DemandZero() const { return m_DemandZero; }
    void setDemandZero(int16_t v) { store(m_DemandZero, v, m_Change_DemandZero); }
    bool Change_DemandZero() const { return m_Change_DemandZero; }
    void setChange_DemandZero(bool v) { m_Change_DemandZero = v; }
    int16_t UseUserPassword() const { return m_UseUserPassword; }
    void setUseUserPassword(int16_t v) { store(m_UseUserPassword, v, m_Change_UseUserPassword); }
    bool Change_UseUserPassword() const { return m_Change_UseUserPassword; }
    void setChange_UseUserPassword(bool v) { m_Change_UseUserPassword = v; }
    QString UserPassword2() const { return m_UserPassword2; }
    void setUserPassword2(const QString& v) { store(m_UserPassword2, v, m_Change_UserPassword2); }
    bool Change_UserPassword2() const { return m_Change_UserPassword2; }
    void setChange_UserPassword2(bool v) { m_Change_UserPassword2 = v; }
    QString SpecType() const { return m_SpecType; }
    void setSpecType(const QString& v) { store(m_SpecType, v, m_Change_SpecType); }
    bool Change_SpecType() const { return m_Change_SpecType; }
    void setChange_SpecType(bool v) { m_Change_SpecType = v; }
    int32_t FlowLevel() const { return m_FlowLevel; }
    void setFlowLevel(int32_t v) { store(m_FlowLevel, v, m_Change_FlowLevel); }
    bool Change_FlowLevel() const { return m_Change_FlowLevel; }
    void setChange_FlowLevel(bool v) { m_Change_FlowLevel = v; }
    int16_t pressOffset() const { return m_pressOffset; }
    void setpressOffset(int16_t v) { store(m_pressOffset, v, m_Change_pressOffset); }
    bool Change_pressOffset() const { return m_Change_pressOffset; }
    void setChange_pressOffset(bool v) { m_Change_pressOffset = v; }
    int16_t dlogOnOff() const { return m_dlogOnOff; }
    void setdlogOnOff(int16_t v) { store(m_dlogOnOff, v, m_Change_dlogOnOff); }
    bool Change_dlogOnOff() const { return m_Change_dlogOnOff; }
    void setChange_dlogOnOff(bool v) { m_Change_dlogOnOff = v; }
    int16_t PumpOnOffDisp() const { return m_PumpOnOffDisp; }
    void setPumpOnOffDisp(int16_t v) { store(m_PumpOnOffDisp, v, m_Change_PumpOnOffDisp); }
    bool Change_PumpOnOffDisp() const { return m_Change_PumpOnOffDisp; }
    void setChange_PumpOnOffDisp(bool v) { m_Change_PumpOnOffDisp = v; }
    int16_t PeakBar() const { return m_PeakBar; }
    void setPeakBar(int16_t v) { store(m_PeakBar, v, m_Change_PeakBar); }
    bool Change_PeakBar() const { return m_Change_PeakBar; }
    void setChange_PeakBar(bool v) { m_Change_PeakBar = v; }
    QString SpecNo() const { return m_SpecNo; }
    void setSpecNo(const QString& v) { store(m_SpecNo, v, m_Change_SpecNo); }
    bool Change_SpecNo() const { return m_Change_SpecNo; }
    void setChange_SpecNo(bool v) { m_Change_SpecNo = v; }
    int16_t Lc_PpmAuto() const { return m_Lc_PpmAuto; }
    void setLc_PpmAuto(int16_t v) { store(m_Lc_PpmAuto, v, m_Change_Lc_PpmAuto); }
    bool Change_Lc_PpmAuto() const { return m_Change_Lc_PpmAuto; }
    void setChange_Lc_PpmAuto(bool v) { m_Change_Lc_PpmAuto = v; }
    int16_t IsCustom() const { return m_IsCustom; }
    void setIsCustom(int16_t v) { store(m_IsCustom, v, m_Change_IsCustom); }
    bool Change_IsCustom() const { return m_Change_IsCustom; }
    void setChange_IsCustom(bool v) { m_Change_IsCustom = v; }
    int16_t Battery() const { return m_Battery; }
    void setBattery(int16_t v) { store(m_Battery, v, m_Change_Battery); }
    bool Change_Battery() const { return m_Change_Battery; }
    void setChange_Battery(bool v) { m_Change_Battery = v; }

    // --- Station and user lists --------------------------------------------
    // Valid indexes 0..127. A write stores the normalised text and marks the
    // slot's flag; other indexes are ignored and read as empty / false.
    QString StationList(int index) const;
    void setStationList(int index, const QString& v);
    QString UserList(int index) const;
    void setUserList(int index, const QString& v);
    bool Change_StationList(int index) const;
    void setChange_StationList(int index, bool v);
    bool Change_UserList(int index) const;
    void setChange_UserList(int index, bool v);

    // --- Gas channels ------------------------------------------------------
    // Warning, Alarm, Stel and Twa accept channel slots 0..5; every other
    // channel property and every channel flag accepts 0..4.
    // Change_GasName, Change_GasDesit, Change_GasUnit and Change_GasFullScale
    // are the internal flags set by the name, digit, unit and full-scale
    // writes; the general flag operations leave them alone.
    QString GasName(int ch) const;
    void setGasName(int ch, const QString& v);
    float GasDesit(int ch) const;
    void setGasDesit(int ch, float v);
    int16_t GasPoint(int ch) const;
    void setGasPoint(int ch, int16_t v);
    QString GasUnit(int ch) const;
    void setGasUnit(int ch, const QString& v);
    float GasFullScale(int ch) const;
    void setGasFullScale(int ch, float v);
    bool GasEnabled(int ch) const;
    void setGasEnabled(int ch, bool v);
    float Warning(int ch) const;
    void setWarning(int ch, float v);
    float Alarm(int ch) const;
    void setAlarm(int ch, float v);
    float Stel(int ch) const;
    void setStel(int ch, float v);
    float Twa(int ch) const;
    void setTwa(int ch, float v);
    double CalibDate(int ch) const;
    void setCalibDate(int ch, double v);
    float CalibBefore(int ch) const;
    void setCalibBefore(int ch, float v);
    float CalibAfter(int ch) const;
    void setCalibAfter(int ch, float v);
    float AutoCalib(int ch) const;
    void setAutoCalib(int ch, float v);
    double BumpDates(int ch) const;
    void setBumpDates(int ch, double v);
    float BumpResult(int ch) const;
    void setBumpResult(int ch, float v);
    float BumpConcentration(int ch) const;
    void setBumpConcentration(int ch, float v);
    int16_t Zero(int ch) const;
    void setZero(int ch, int16_t v);
    int16_t OverScale(int ch) const;
    void setOverScale(int ch, int16_t v);
    float Ratio(int ch) const;
    void setRatio(int ch, float v);
    float LogMax(int ch) const;
    void setLogMax(int ch, float v);
    float LogMin(int ch) const;
    void setLogMin(int ch, float v);
    float LogAvr(int ch) const;
    void setLogAvr(int ch, float v);
    double LogMaxDate(int ch) const;
    void setLogMaxDate(int ch, double v);
    double LogMinDate(int ch) const;
    void setLogMinDate(int ch, double v);
    bool Change_GasName(int ch) const;
    void setChange_GasName(int ch, bool v);
    bool Change_GasDesit(int ch) const;
    void setChange_GasDesit(int ch, bool v);
    bool Change_GasPoint(int ch) const;
    void setChange_GasPoint(int ch, bool v);
    bool Change_GasUnit(int ch) const;
    void setChange_GasUnit(int ch, bool v);
    bool Change_GasFullScale(int ch) const;
    void setChange_GasFullScale(int ch, bool v);
    bool Change_GasEnable(int ch) const;
    void setChange_GasEnable(int ch, bool v);
    bool Change_Warn(int ch) const;
    void setChange_Warn(int ch, bool v);
    bool Change_Alarm(int ch) const;
    void setChange_Alarm(int ch, bool v);
    bool Change_Stel(int ch) const;
    void setChange_Stel(int ch, bool v);
    bool Change_Twa(int ch) const;
    void setChange_Twa(int ch, bool v);
    bool Change_AutoCal(int ch) const;
    void setChange_AutoCal(int ch, bool v);
    bool Change_Zero(int ch) const;
    void setChange_Zero(int ch, bool v);
    bool Change_OverScale(int ch) const;
    void setChange_OverScale(int ch, bool v);
    bool Change_Ratio(int ch) const;
    void setChange_Ratio(int ch, bool v);

    // --- "LI" (31 entries) and "LS" (2 entries) gas tables -------------------
    // LS writes mark Change_LSData(index); LI writes mark nothing. The element
    // volume is stored as Long; the LI accessors read and write it as Integer.
    // Indexes outside the table read as 0 / empty and are ignored on write.
    int16_t LSindex() const { return m_LSindex; }
    void setLSindex(int16_t v) { store(m_LSindex, v, m_Change_LSindex); }
    bool Change_LSindex() const { return m_Change_LSindex; }
    void setChange_LSindex(bool v) { m_Change_LSindex = v; }
    bool Change_LSData(int index) const;
    void setChange_LSData(int index, bool v);
    QString LI_Name(int index) const;
    void setLI_Name(int index, const QString& v);
    float LI_FullScale(int index) const;
    void setLI_FullScale(int index, float v);
    float LI_Digit(int index) const;
    void setLI_Digit(int index, float v);
    QString LI_Unit(int index) const;
    void setLI_Unit(int index, const QString& v);
    int16_t LI_elem_vol(int index) const;
    void setLI_elem_vol(int index, int16_t v);
    float LI_Ratio(int index) const;
    void setLI_Ratio(int index, float v);
    int16_t LI_Point(int index) const;
    void setLI_Point(int index, int16_t v);
    double LI_Linear1_a(int index) const;
    void setLI_Linear1_a(int index, double v);
    double LI_Linear1_b(int index) const;
    void setLI_Linear1_b(int index, double v);
    double LI_Linear1_c(int index) const;
    void setLI_Linear1_c(int index, double v);
    double LI_Linear1_d(int index) const;
    void setLI_Linear1_d(int index, double v);
    double LI_Linear2_a(int index) const;
    void setLI_Linear2_a(int index, double v);
    double LI_Linear2_b(int index) const;
    void setLI_Linear2_b(int index, double v);
    double LI_Linear2_c(int index) const;
    void setLI_Linear2_c(int index, double v);
    double LI_Linear2_d(int index) const;
    void setLI_Linear2_d(int index, double v);
    QString LS_Name(int index) const;
    void setLS_Name(int index, const QString& v);
    float LS_FullScale(int index) const;
    void setLS_FullScale(int index, float v);
    float LS_Digit(int index) const;
    void setLS_Digit(int index, float v);
    QString LS_Unit(int index) const;
    void setLS_Unit(int index, const QString& v);
    int32_t LS_elem_vol(int index) const;
    void setLS_elem_vol(int index, int32_t v);
    float LS_Ratio(int index) const;
    void setLS_Ratio(int index, float v);
    int16_t LS_Point(int index) const;
    void setLS_Point(int index, int16_t v);
    double LS_Linear1_a(int index) const;
    void setLS_Linear1_a(int index, double v);
    double LS_Linear1_b(int index) const;
    void setLS_Linear1_b(int index, double v);
    double LS_Linear1_c(int index) const;
    void setLS_Linear1_c(int index, double v);
    double LS_Linear1_d(int index) const;
    void setLS_Linear1_d(int index, double v);
    double LS_Linear2_a(int index) const;
    void setLS_Linear2_a(int index, double v);
    double LS_Linear2_b(int index) const;
    void setLS_Linear2_b(int index, double v);
    double LS_Linear2_c(int index) const;
    void setLS_Linear2_c(int index, double v);
    double LS_Linear2_d(int index) const;
    void setLS_Linear2_d(int index, double v);

private:
    struct Channel {
        QString GasName;
        float GasDesit = 0.0f;
        int16_t GasPoint = 0;
        QString GasUnit;
        float GasFullScale = 0.0f;
        bool GasEnabled = false;
        float Warning = 0.0f;
        float Alarm = 0.0f;
        float Stel = 0.0f;
        float Twa = 0.0f;
        double CalibDate = 0.0;
        float CalibBefore = 0.0f;
        float CalibAfter = 0.0f;
        float AutoCalib = 0.0f;
        double BumpDates = 0.0;
        float BumpResult = 0.0f;
        float BumpConcentration = 0.0f;
        int16_t Zero = 0;
        int16_t OverScale = 0;
        float Ratio = 0.0f;
        float LogMax = 0.0f;
        float LogMin = 0.0f;
        float LogAvr = 0.0f;
        double LogMaxDate = 0.0;
        double LogMinDate = 0.0;
        bool Change_GasName = false;
        bool Change_GasDesit = false;
        bool Change_GasPoint = false;
        bool Change_GasUnit = false;
        bool Change_GasFullScale = false;
        bool Change_GasEnable = false;
        bool Change_Warn = false;
        bool Change_Alarm = false;
        bool Change_Stel = false;
        bool Change_Twa = false;
        bool Change_AutoCal = false;
        bool Change_Zero = false;
        bool Change_OverScale = false;
        bool Change_Ratio = false;
    };

    struct GasEntry {
        QString name;
        float fullScale = 0;
        float digit = 0;
        QString unit;
        int32_t elemVol = 0;
        float ratio = 0;
        int16_t point = 0;
        double linear1[4] = {0, 0, 0, 0};
        double linear2[4] = {0, 0, 0, 0};
    };

    // The write of a setting: stores the value and marks its flag.
    template <typename T> static void store(T& field, const T& value, bool& flag) {
        field = value;
        flag = true;
    }

    static bool ChannelValid(int ch) { return ch >= 0 && ch < kGasChannels; }
    static bool ValueSlotValid(int ch) { return ch >= 0 && ch < kChannelSlots; }
    static bool ListIndexValid(int i) { return i >= 0 && i < kListEntries; }

    // Record status and raw data.
    QString m_Key;
    QString m_MessageString;
    QString m_FailLine;
    bool m_CommFlags = false;
    bool m_ImportFlag = false;
    int32_t m_RomNumber = 0;
    QString m_SUM;
    double m_SysDate = 0;
    double m_SysDateOffset = 0;
    float m_AdrealValue = 0;
    int16_t m_AnalogValue[kAnalogValues] = {};
    float m_LimitValue[kLimitValues] = {};
    int16_t m_FlowValue = 0;
    int16_t m_SHmode = 0;

    // Scalar settings and their flags.
    QString m_UserID;
    QString m_StationID;
    QString m_SerialNo;
    QString m_DummySerial;
    int16_t m_HcMode = 0;
    int16_t m_AlarmMode = 0;
    int16_t m_Intervals = 0;
    int16_t m_DispID = 0;
    int16_t m_DispCalLimit = 0;
    int16_t m_CalLimit = 0;
    int16_t m_CalCheck = 0;
    int16_t m_CalCheckALL = 0;
    int16_t m_BumpFunction = 0;
    int16_t m_DispBumpLimit = 0;
    int16_t m_BumpLimit = 0;
    int16_t m_BumpCheck = 0;
    int16_t m_BumpCheckALL = 0;
    int16_t m_BumpTime = 0;
    int16_t m_BumpThreshold = 0;
    int16_t m_BumpFailAfter = 0;
    int16_t m_BumpFailCalTime = 0;
    int16_t m_LunchBreak = 0;
    int16_t m_AlarmSilence = 0;
    int16_t m_Confirmation = 0;
    int16_t m_LogOverWrite = 0;
    int16_t m_LcdBackLight = 0;
    int16_t m_autoBackLight = 0;
    int16_t m_AlarmOnOff = 0;
    int16_t m_StelTwaOnOff = 0;
    int16_t m_LcBhMode = 0;
    int16_t m_BhTime = 0;
    int16_t m_LcBuzzer = 0;
    int16_t m_AlarmO2 = 0;
    int16_t m_AutoZero = 0;
    int16_t m_DemandZero = 0;
    int16_t m_UseUserPassword = 0;
    QString m_UserPassword2;
    QString m_SpecType;
    int32_t m_FlowLevel = 0;
    int16_t m_pressOffset = 0;
    int16_t m_dlogOnOff = 0;
    int16_t m_PumpOnOffDisp = 0;
    int16_t m_PeakBar = 0;
    QString m_SpecNo;
    int16_t m_Lc_PpmAuto = 0;
    int16_t m_IsCustom = 0;
    int16_t m_Battery = 0;
    bool m_Change_UserID = false;
    bool m_Change_StationID = false;
    bool m_Change_SerialNo = false;
    bool m_Change_DummySerial = false;
    bool m_Change_HCMode = false;
    bool m_Change_AlarmMode = false;
    bool m_Change_Interval = false;
    bool m_Change_DispID = false;
    bool m_Change_DispCalLimit = false;
    bool m_Change_CalLimit = false;
    bool m_Change_CalCheck = false;
    bool m_Change_CalCheckALL = false;
    bool m_Change_BumpFunction = false;
    bool m_Change_DispBumpLimit = false;
    bool m_Change_BumpLimit = false;
    bool m_Change_BumpCheck = false;
    bool m_Change_BumpCheckALL = false;
    bool m_Change_BumpTime = false;
    bool m_Change_BumpThreshold = false;
    bool m_Change_BumpFailAfter = false;
    bool m_Change_BumpFailCalTime = false;
    bool m_Change_LunchBreak = false;
    bool m_Change_AlarmSilence = false;
    bool m_Change_Confirmation = false;
    bool m_Change_LogOverWrite = false;
    bool m_Change_LcdBackLight = false;
    bool m_Change_autoBackLight = false;
    bool m_Change_AlarmOnOff = false;
    bool m_Change_StelTwaOnOff = false;
    bool m_Change_LcBhMode = false;
    bool m_Change_BhTime = false;
    bool m_Change_LcBuzzer = false;
    bool m_Change_AlarmO2 = false;
    bool m_Change_AutoZero = false;
    bool m_Change_DemandZero = false;
    bool m_Change_UseUserPassword = false;
    bool m_Change_UserPassword2 = false;
    bool m_Change_SpecType = false;
    bool m_Change_FlowLevel = false;
    bool m_Change_pressOffset = false;
    bool m_Change_dlogOnOff = false;
    bool m_Change_PumpOnOffDisp = false;
    bool m_Change_PeakBar = false;
    bool m_Change_SpecNo = false;
    bool m_Change_Lc_PpmAuto = false;
    bool m_Change_IsCustom = false;
    bool m_Change_Battery = false;

    // Lists (slot 128 exists but is never used).
    QString m_StationList[kListSlots];
    QString m_UserList[kListSlots];
    bool m_Change_StationList[kListSlots] = {};
    bool m_Change_UserList[kListSlots] = {};

    Channel m_ch[kChannelSlots];

    GasEntry m_LI[kLiEntries];
    GasEntry m_LS[kLsEntries];
    bool m_Change_LSData[kLsEntries] = {};
    int16_t m_LSindex = 0;
    bool m_Change_LSindex = false;
};
