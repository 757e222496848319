#include "model/clsInstrument.h"

#include "app/Helpers.h"
#include "model/SettingsTable.h"
#include "model/modGasCommon.h"

clsInstrument::clsInstrument() {
    ClearDatas();
}

// --- Record status and raw data ----------------------------------------------

int16_t clsInstrument::AnalogValue(int index) const {
    return (index >= 0 && index < kAnalogValues) ? m_AnalogValue[index] : 0;
}
void clsInstrument::setAnalogValue(int index, int16_t v) {
    if (index >= 0 && index < kAnalogValues)
        m_AnalogValue[index] = v;
}
float clsInstrument::LimitValue(int index) const {
    return (index >= 0 && index < kLimitValues) ? m_LimitValue[index] : 0.0f;
}
void clsInstrument::setLimitValue(int index, float v) {
    if (index >= 0 && index < kLimitValues)
        m_LimitValue[index] = v;
}

// --- Scalar settings ---------------------------------------------------------

QString clsInstrument::UserID() const {
    return NormalizeIdText(m_UserID, IdTextUser);
}
void clsInstrument::setUserID(const QString& v) {
    m_UserID = NormalizeIdText(v, IdTextUser);
    m_Change_UserID = true;
}
QString clsInstrument::StationID() const {
    return NormalizeIdText(m_StationID, IdTextStation);
}
void clsInstrument::setStationID(const QString& v) {
    m_StationID = NormalizeIdText(v, IdTextStation);
    m_Change_StationID = true;
}
QString clsInstrument::SerialNo() const {
    return NormalizeIdText(m_SerialNo, IdTextSerial);
}
void clsInstrument::setSerialNo(const QString& v) {
    m_SerialNo = NormalizeIdText(v, IdTextSerial);
    m_Change_SerialNo = true;
}
QString clsInstrument::DummySerial() const {
    return NormalizeIdText(m_DummySerial, IdTextSecondSerial);
}
void clsInstrument::setDummySerial(const QString& v) {
    m_DummySerial = NormalizeIdText(v, IdTextSecondSerial);
    m_Change_DummySerial = true;
}
int16_t clsInstrument::Intervals() const {
    return m_Intervals;
}
void clsInstrument::setIntervals(int16_t v) {
    // Only a real change marks the logging interval for writing.
    if (v != m_Intervals) {
        m_Intervals = v;
        m_Change_Interval = true;
    }
}

// --- Station and user lists --------------------------------------------------

QString clsInstrument::StationList(int index) const {
    return ListIndexValid(index) ? m_StationList[index] : QString();
}
void clsInstrument::setStationList(int index, const QString& v) {
    if (!ListIndexValid(index))
        return;
    m_StationList[index] = NormalizeIdText(v, IdTextStation);
    m_Change_StationList[index] = true;
}
QString clsInstrument::UserList(int index) const {
    return ListIndexValid(index) ? m_UserList[index] : QString();
}
void clsInstrument::setUserList(int index, const QString& v) {
    if (!ListIndexValid(index))
        return;
    m_UserList[index] = NormalizeIdText(v, IdTextUser);
    m_Change_UserList[index] = true;
}
bool clsInstrument::Change_StationList(int index) const {
    return ListIndexValid(index) && m_Change_StationList[index];
}
void clsInstrument::setChange_StationList(int index, bool v) {
    if (ListIndexValid(index))
        m_Change_StationList[index] = v;
}
bool clsInstrument::Change_UserList(int index) const {
    return ListIndexValid(index) && m_Change_UserList[index];
}
void clsInstrument::setChange_UserList(int index, bool v) {
    if (ListIndexValid(index))
        m_Change_UserList[index] = v;
}

// --- Gas channels ------------------------------------------------------------

QString clsInstrument::GasName(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasName : QString();
}
void clsInstrument::setGasName(int ch, const QString& v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasName = v;
    m_ch[ch].Change_GasName = true;
}
float clsInstrument::GasDesit(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasDesit : 0.0f;
}
void clsInstrument::setGasDesit(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasDesit = v;
    m_ch[ch].Change_GasDesit = true;
}
int16_t clsInstrument::GasPoint(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasPoint : 0;
}
void clsInstrument::setGasPoint(int ch, int16_t v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasPoint = v;
    m_ch[ch].Change_GasPoint = true;
}
QString clsInstrument::GasUnit(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasUnit : QString();
}
void clsInstrument::setGasUnit(int ch, const QString& v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasUnit = v;
    m_ch[ch].Change_GasUnit = true;
}
float clsInstrument::GasFullScale(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasFullScale : 0.0f;
}
void clsInstrument::setGasFullScale(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasFullScale = v;
    m_ch[ch].Change_GasFullScale = true;
}
bool clsInstrument::GasEnabled(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].GasEnabled : false;
}
void clsInstrument::setGasEnabled(int ch, bool v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].GasEnabled = v;
    m_ch[ch].Change_GasEnable = true;
}
float clsInstrument::Warning(int ch) const {
    return ValueSlotValid(ch) ? m_ch[ch].Warning : 0.0f;
}
void clsInstrument::setWarning(int ch, float v) {
    if (!ValueSlotValid(ch))
        return;
    m_ch[ch].Warning = v;
    if (ChannelValid(ch))
        m_ch[ch].Change_Warn = true;
}
float clsInstrument::Alarm(int ch) const {
    return ValueSlotValid(ch) ? m_ch[ch].Alarm : 0.0f;
}
void clsInstrument::setAlarm(int ch, float v) {
    if (!ValueSlotValid(ch))
        return;
    m_ch[ch].Alarm = v;
    if (ChannelValid(ch))
        m_ch[ch].Change_Alarm = true;
}
float clsInstrument::Stel(int ch) const {
    return ValueSlotValid(ch) ? m_ch[ch].Stel : 0.0f;
}
void clsInstrument::setStel(int ch, float v) {
    if (!ValueSlotValid(ch))
        return;
    m_ch[ch].Stel = v;
    if (ChannelValid(ch))
        m_ch[ch].Change_Stel = true;
}
float clsInstrument::Twa(int ch) const {
    return ValueSlotValid(ch) ? m_ch[ch].Twa : 0.0f;
}
void clsInstrument::setTwa(int ch, float v) {
    if (!ValueSlotValid(ch))
        return;
    m_ch[ch].Twa = v;
    if (ChannelValid(ch))
        m_ch[ch].Change_Twa = true;
}
double clsInstrument::CalibDate(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].CalibDate : 0.0;
}
void clsInstrument::setCalibDate(int ch, double v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].CalibDate = v;
}
float clsInstrument::CalibBefore(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].CalibBefore : 0.0f;
}
void clsInstrument::setCalibBefore(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].CalibBefore = v;
}
float clsInstrument::CalibAfter(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].CalibAfter : 0.0f;
}
void clsInstrument::setCalibAfter(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].CalibAfter = v;
}
float clsInstrument::AutoCalib(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].AutoCalib : 0.0f;
}
void clsInstrument::setAutoCalib(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].AutoCalib = v;
    m_ch[ch].Change_AutoCal = true;
}
double clsInstrument::BumpDates(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].BumpDates : 0.0;
}
void clsInstrument::setBumpDates(int ch, double v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].BumpDates = v;
}
float clsInstrument::BumpResult(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].BumpResult : 0.0f;
}
void clsInstrument::setBumpResult(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].BumpResult = v;
}
float clsInstrument::BumpConcentration(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].BumpConcentration : 0.0f;
}
void clsInstrument::setBumpConcentration(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].BumpConcentration = v;
}
int16_t clsInstrument::Zero(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].Zero : 0;
}
void clsInstrument::setZero(int ch, int16_t v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].Zero = v;
    m_ch[ch].Change_Zero = true;
}
int16_t clsInstrument::OverScale(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].OverScale : 0;
}
void clsInstrument::setOverScale(int ch, int16_t v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].OverScale = v;
    m_ch[ch].Change_OverScale = true;
}
float clsInstrument::Ratio(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].Ratio : 0.0f;
}
void clsInstrument::setRatio(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].Ratio = v;
    m_ch[ch].Change_Ratio = true;
}
float clsInstrument::LogMax(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].LogMax : 0.0f;
}
void clsInstrument::setLogMax(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].LogMax = v;
}
float clsInstrument::LogMin(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].LogMin : 0.0f;
}
void clsInstrument::setLogMin(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].LogMin = v;
}
float clsInstrument::LogAvr(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].LogAvr : 0.0f;
}
void clsInstrument::setLogAvr(int ch, float v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].LogAvr = v;
}
double clsInstrument::LogMaxDate(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].LogMaxDate : 0.0;
}
void clsInstrument::setLogMaxDate(int ch, double v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].LogMaxDate = v;
}
double clsInstrument::LogMinDate(int ch) const {
    return ChannelValid(ch) ? m_ch[ch].LogMinDate : 0.0;
}
void clsInstrument::setLogMinDate(int ch, double v) {
    if (!ChannelValid(ch))
        return;
    m_ch[ch].LogMinDate = v;
}
bool clsInstrument::Change_GasName(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasName;
}
void clsInstrument::setChange_GasName(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasName = v;
}
bool clsInstrument::Change_GasDesit(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasDesit;
}
void clsInstrument::setChange_GasDesit(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasDesit = v;
}
bool clsInstrument::Change_GasPoint(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasPoint;
}
void clsInstrument::setChange_GasPoint(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasPoint = v;
}
bool clsInstrument::Change_GasUnit(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasUnit;
}
void clsInstrument::setChange_GasUnit(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasUnit = v;
}
bool clsInstrument::Change_GasFullScale(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasFullScale;
}
void clsInstrument::setChange_GasFullScale(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasFullScale = v;
}
bool clsInstrument::Change_GasEnable(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_GasEnable;
}
void clsInstrument::setChange_GasEnable(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_GasEnable = v;
}
bool clsInstrument::Change_Warn(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Warn;
}
void clsInstrument::setChange_Warn(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Warn = v;
}
bool clsInstrument::Change_Alarm(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Alarm;
}
void clsInstrument::setChange_Alarm(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Alarm = v;
}
bool clsInstrument::Change_Stel(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Stel;
}
void clsInstrument::setChange_Stel(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Stel = v;
}
bool clsInstrument::Change_Twa(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Twa;
}
void clsInstrument::setChange_Twa(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Twa = v;
}
bool clsInstrument::Change_AutoCal(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_AutoCal;
}
void clsInstrument::setChange_AutoCal(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_AutoCal = v;
}
bool clsInstrument::Change_Zero(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Zero;
}
void clsInstrument::setChange_Zero(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Zero = v;
}
bool clsInstrument::Change_OverScale(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_OverScale;
}
void clsInstrument::setChange_OverScale(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_OverScale = v;
}
bool clsInstrument::Change_Ratio(int ch) const {
    return ChannelValid(ch) && m_ch[ch].Change_Ratio;
}
void clsInstrument::setChange_Ratio(int ch, bool v) {
    if (ChannelValid(ch))
        m_ch[ch].Change_Ratio = v;
}

// --- LI and LS tables --------------------------------------------------------

bool clsInstrument::Change_LSData(int index) const {
    return index >= 0 && index < kLsEntries && m_Change_LSData[index];
}
void clsInstrument::setChange_LSData(int index, bool v) {
    if (index >= 0 && index < kLsEntries)
        m_Change_LSData[index] = v;
}

QString clsInstrument::LI_Name(int index) const {
    if (index < 0 || index >= kLiEntries)
        return QString();
    return m_LI[index].name;
}
void clsInstrument::setLI_Name(int index, const QString& v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].name = v;
}
float clsInstrument::LI_FullScale(int index) const {
    if (index < 0 || index >= kLiEntries)
        return float(0);
    return m_LI[index].fullScale;
}
void clsInstrument::setLI_FullScale(int index, float v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].fullScale = v;
}
float clsInstrument::LI_Digit(int index) const {
    if (index < 0 || index >= kLiEntries)
        return float(0);
    return m_LI[index].digit;
}
void clsInstrument::setLI_Digit(int index, float v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].digit = v;
}
QString clsInstrument::LI_Unit(int index) const {
    if (index < 0 || index >= kLiEntries)
        return QString();
    return m_LI[index].unit;
}
void clsInstrument::setLI_Unit(int index, const QString& v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].unit = v;
}
int16_t clsInstrument::LI_elem_vol(int index) const {
    if (index < 0 || index >= kLiEntries)
        return int16_t(0);
    return static_cast<int16_t>(m_LI[index].elemVol);
}
void clsInstrument::setLI_elem_vol(int index, int16_t v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].elemVol = v;
}
float clsInstrument::LI_Ratio(int index) const {
    if (index < 0 || index >= kLiEntries)
        return float(0);
    return m_LI[index].ratio;
}
void clsInstrument::setLI_Ratio(int index, float v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].ratio = v;
}
int16_t clsInstrument::LI_Point(int index) const {
    if (index < 0 || index >= kLiEntries)
        return int16_t(0);
    return m_LI[index].point;
}
void clsInstrument::setLI_Point(int index, int16_t v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].point = v;
}
double clsInstrument::LI_Linear1_a(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear1[0];
}
void clsInstrument::setLI_Linear1_a(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear1[0] = v;
}
double clsInstrument::LI_Linear1_b(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear1[1];
}
void clsInstrument::setLI_Linear1_b(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear1[1] = v;
}
double clsInstrument::LI_Linear1_c(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear1[2];
}
void clsInstrument::setLI_Linear1_c(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear1[2] = v;
}
double clsInstrument::LI_Linear1_d(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear1[3];
}
void clsInstrument::setLI_Linear1_d(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear1[3] = v;
}
double clsInstrument::LI_Linear2_a(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear2[0];
}
void clsInstrument::setLI_Linear2_a(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear2[0] = v;
}
double clsInstrument::LI_Linear2_b(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear2[1];
}
void clsInstrument::setLI_Linear2_b(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear2[1] = v;
}
double clsInstrument::LI_Linear2_c(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear2[2];
}
void clsInstrument::setLI_Linear2_c(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear2[2] = v;
}
double clsInstrument::LI_Linear2_d(int index) const {
    if (index < 0 || index >= kLiEntries)
        return 0.0;
    return m_LI[index].linear2[3];
}
void clsInstrument::setLI_Linear2_d(int index, double v) {
    if (index < 0 || index >= kLiEntries)
        return;
    m_LI[index].linear2[3] = v;
}
QString clsInstrument::LS_Name(int index) const {
    if (index < 0 || index >= kLsEntries)
        return QString();
    return m_LS[index].name;
}
void clsInstrument::setLS_Name(int index, const QString& v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].name = v;
    m_Change_LSData[index] = true;
}
float clsInstrument::LS_FullScale(int index) const {
    if (index < 0 || index >= kLsEntries)
        return float(0);
    return m_LS[index].fullScale;
}
void clsInstrument::setLS_FullScale(int index, float v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].fullScale = v;
    m_Change_LSData[index] = true;
}
float clsInstrument::LS_Digit(int index) const {
    if (index < 0 || index >= kLsEntries)
        return float(0);
    return m_LS[index].digit;
}
void clsInstrument::setLS_Digit(int index, float v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].digit = v;
    m_Change_LSData[index] = true;
}
QString clsInstrument::LS_Unit(int index) const {
    if (index < 0 || index >= kLsEntries)
        return QString();
    return m_LS[index].unit;
}
void clsInstrument::setLS_Unit(int index, const QString& v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].unit = v;
    m_Change_LSData[index] = true;
}
int32_t clsInstrument::LS_elem_vol(int index) const {
    if (index < 0 || index >= kLsEntries)
        return int32_t(0);
    return m_LS[index].elemVol;
}
void clsInstrument::setLS_elem_vol(int index, int32_t v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].elemVol = v;
    m_Change_LSData[index] = true;
}
float clsInstrument::LS_Ratio(int index) const {
    if (index < 0 || index >= kLsEntries)
        return float(0);
    return m_LS[index].ratio;
}
void clsInstrument::setLS_Ratio(int index, float v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].ratio = v;
    m_Change_LSData[index] = true;
}
int16_t clsInstrument::LS_Point(int index) const {
    if (index < 0 || index >= kLsEntries)
        return int16_t(0);
    return m_LS[index].point;
}
void clsInstrument::setLS_Point(int index, int16_t v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].point = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear1_a(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear1[0];
}
void clsInstrument::setLS_Linear1_a(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear1[0] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear1_b(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear1[1];
}
void clsInstrument::setLS_Linear1_b(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear1[1] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear1_c(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear1[2];
}
void clsInstrument::setLS_Linear1_c(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear1[2] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear1_d(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear1[3];
}
void clsInstrument::setLS_Linear1_d(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear1[3] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear2_a(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear2[0];
}
void clsInstrument::setLS_Linear2_a(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear2[0] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear2_b(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear2[1];
}
void clsInstrument::setLS_Linear2_b(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear2[1] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear2_c(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear2[2];
}
void clsInstrument::setLS_Linear2_c(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear2[2] = v;
    m_Change_LSData[index] = true;
}
double clsInstrument::LS_Linear2_d(int index) const {
    if (index < 0 || index >= kLsEntries)
        return 0.0;
    return m_LS[index].linear2[3];
}
void clsInstrument::setLS_Linear2_d(int index, double v) {
    if (index < 0 || index >= kLsEntries)
        return;
    m_LS[index].linear2[3] = v;
    m_Change_LSData[index] = true;
}

// --- Operations --------------------------------------------------------------
// These and CopyChangedFrom below walk the settings table (model/SettingsTable.h).

void clsInstrument::SetChangeFlags(bool pFlag, bool pIDflag) {
    using SettingsTable::FlagGroup;
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        bool on = false;
        switch (s.Group) {
        case FlagGroup::Identity:
            on = pIDflag;
            break;
        case FlagGroup::Setting:
            on = pFlag;
            break;
        case FlagGroup::Cleared:
            on = false;
            break;
        case FlagGroup::Outside:
            continue;
        }
        for (int i = 0; i < s.count(); ++i)
            s.SetChanged(*this, i, on);
    }
}

void clsInstrument::ClearChangeFlags() {
    SetChangeFlags(false, false);
}

void clsInstrument::ClearDatas() {
    m_Key.clear();
    m_MessageString.clear();
    m_CommFlags = false;
    m_RomNumber = 0;
    m_SysDate = 0.0;
    m_SysDateOffset = 0.0;

    // Every setting with a default, through its write; the flags these
    // writes mark are cleared below (except the channels' internal ones).
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        if (!s.Default.isValid())
            continue;
        for (int i = 0; i < s.count(); ++i)
            s.Set(*this, i, s.Default);
    }
    // The last calibration is not set.
    const float none = modGasCommon::kNoValue;
    for (int ch = 0; ch < kGasChannels; ++ch) {
        setCalibAfter(ch, none);
        setCalibBefore(ch, none);
        setCalibDate(ch, -101.0); // 1899-09-20
    }

    ClearChangeFlags();
}

// --- Copying -----------------------------------------------------------------

void clsInstrument::CopyChangedFrom(const clsInstrument& other) {
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        for (int i = 0; i < s.count(); ++i) {
            if (s.Changed(other, i))
                s.Set(*this, i, s.Get(other, i));
        }
    }
}
