#include "model/clsInstrument.h"

#include "app/Helpers.h"
#include "model/modGasCommon.h"

namespace {

const QString kBlankId16 = QString(16, QLatin1Char('-'));

} // namespace

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

void clsInstrument::SetChangeFlags(bool pFlag, bool pIDflag) {
    m_Change_DummySerial = false;

    m_Change_UserID = pIDflag;
    m_Change_StationID = pIDflag;
    m_Change_SerialNo = pIDflag;
    for (int i = 0; i < kListEntries; ++i) {
        m_Change_StationList[i] = pIDflag;
        m_Change_UserList[i] = pIDflag;
    }

    m_Change_SpecNo = pFlag;
    m_Change_HCMode = pFlag;
    m_Change_AlarmMode = pFlag;
    m_Change_Interval = pFlag;
    m_Change_DispID = pFlag;
    m_Change_DispCalLimit = pFlag;
    m_Change_CalCheck = pFlag;
    m_Change_CalLimit = pFlag;
    m_Change_CalCheckALL = pFlag;
    m_Change_LunchBreak = pFlag;
    m_Change_AlarmSilence = pFlag;
    m_Change_Confirmation = pFlag;
    m_Change_LogOverWrite = pFlag;
    m_Change_LcdBackLight = pFlag;
    m_Change_autoBackLight = pFlag;
    m_Change_AlarmOnOff = pFlag;
    m_Change_StelTwaOnOff = pFlag;
    m_Change_BumpFunction = pFlag;
    m_Change_DispBumpLimit = pFlag;
    m_Change_BumpLimit = pFlag;
    m_Change_BumpCheck = pFlag;
    m_Change_BumpCheckALL = pFlag;
    m_Change_BumpTime = pFlag;
    m_Change_BumpThreshold = pFlag;
    m_Change_BumpFailAfter = pFlag;
    m_Change_BumpFailCalTime = pFlag;
    m_Change_LcBhMode = pFlag;
    m_Change_BhTime = pFlag;
    m_Change_LcBuzzer = pFlag;
    m_Change_LSData[0] = pFlag;
    m_Change_LSData[1] = pFlag;
    m_Change_AlarmO2 = pFlag;
    m_Change_SpecType = pFlag;
    m_Change_dlogOnOff = pFlag;
    m_Change_PumpOnOffDisp = pFlag;
    m_Change_PeakBar = pFlag;
    m_Change_Lc_PpmAuto = pFlag;
    m_Change_IsCustom = pFlag;
    m_Change_Battery = pFlag;
    m_Change_AutoZero = pFlag;
    m_Change_DemandZero = pFlag;
    m_Change_UseUserPassword = pFlag;
    m_Change_UserPassword2 = pFlag;

    // The internal name, digit, unit and full-scale flags are left alone.
    for (int ch = 0; ch < kGasChannels; ++ch) {
        Channel& c = m_ch[ch];
        c.Change_GasEnable = pFlag;
        c.Change_GasPoint = pFlag;
        c.Change_AutoCal = pFlag;
        c.Change_Ratio = pFlag;
        c.Change_Warn = pFlag;
        c.Change_Alarm = pFlag;
        c.Change_Stel = pFlag;
        c.Change_Twa = pFlag;
        c.Change_Zero = pFlag;
        c.Change_OverScale = pFlag;
    }

    m_Change_LSindex = pFlag;
    // Change_FlowLevel and Change_pressOffset are not part of any group.
}

void clsInstrument::ClearChangeFlags() {
    SetChangeFlags(false, false);
}

void clsInstrument::ClearDatas() {
    m_Key.clear();
    m_MessageString.clear();
    m_CommFlags = false;

    setUserID(QString());
    setStationID(QString());
    setSerialNo(QString());
    setDummySerial(QString());

    m_RomNumber = 0;
    m_SysDate = 0.0;
    m_SysDateOffset = 0.0;

    // Defaults go through the writes; the flags they mark are cleared below.
    setHcMode(0);
    setAlarmMode(0);
    setIntervals(0);
    setDispCalLimit(0);
    setCalLimit(1);
    setCalCheck(0);
    setCalCheckALL(1);
    setBumpCheckALL(1);
    setBumpTime(2);
    setBumpThreshold(1);
    setBumpFailAfter(1);
    setBumpFailCalTime(0);
    setLogOverWrite(0);
    setLcdBackLight(1);
    setautoBackLight(1);
    setAlarmOnOff(1);
    setStelTwaOnOff(1);
    setLcBhMode(0);
    setBhTime(0);
    setLcBuzzer(0);
    setAlarmO2(1);
    setAutoZero(0);
    setDemandZero(0);
    setUseUserPassword(0);
    setUserPassword2(QStringLiteral("7563"));
    setSpecType(QStringLiteral("0"));
    setdlogOnOff(0);
    setPumpOnOffDisp(0);
    setPeakBar(0);
    setLc_PpmAuto(0);
    setIsCustom(0);

    // The lists are filled directly: their slot flags stay as they are.
    for (int i = 0; i < kListEntries; ++i) {
        m_StationList[i] = kBlankId16;
        m_UserList[i] = kBlankId16;
    }

    setStationID(StationList(0));
    setUserID(UserList(0));
    setSpecType(QStringLiteral("0"));

    const float none = modGasCommon::kNoValue;
    for (int ch = 0; ch < kGasChannels; ++ch) {
        setGasName(ch, QString());
        setAutoCalib(ch, none);
        setGasDesit(ch, 0.0f);
        setGasEnabled(ch, false);
        setGasPoint(ch, 0);
        setAlarm(ch, none);
        setStel(ch, none);
        setTwa(ch, none);
        setWarning(ch, none);
        setCalibAfter(ch, none);
        setCalibBefore(ch, none);
        setCalibDate(ch, -101.0); // 1899-09-20
        setRatio(ch, none);
        setZero(ch, 0);
        setOverScale(ch, 0);
    }
    // The empty channel descriptor (the same writes ApplyChannelDescriptor
    // makes for an empty channel).
    for (int ch = 0; ch < kGasChannels; ++ch) {
        setGasName(ch, QString());
        setGasEnabled(ch, false);
        setGasFullScale(ch, none);
        setGasDesit(ch, 0.0f);
        setGasPoint(ch, static_cast<int16_t>(-101));
        setGasUnit(ch, QString());
    }

    m_LSindex = 1; // stored directly: Change_LSindex keeps its state

    ClearChangeFlags();
}

// --- Copying -----------------------------------------------------------------

void clsInstrument::CopyChangedFrom(const clsInstrument& other) {
    if (other.m_Change_UserID)
        setUserID(other.UserID());
    if (other.m_Change_StationID)
        setStationID(other.StationID());
    if (other.m_Change_SerialNo)
        setSerialNo(other.SerialNo());
    if (other.m_Change_DummySerial)
        setDummySerial(other.DummySerial());
    if (other.m_Change_HCMode)
        setHcMode(other.HcMode());
    if (other.m_Change_AlarmMode)
        setAlarmMode(other.AlarmMode());
    if (other.m_Change_Interval)
        setIntervals(other.Intervals());
    if (other.m_Change_DispID)
        setDispID(other.DispID());
    if (other.m_Change_DispCalLimit)
        setDispCalLimit(other.DispCalLimit());
    if (other.m_Change_CalLimit)
        setCalLimit(other.CalLimit());
    if (other.m_Change_CalCheck)
        setCalCheck(other.CalCheck());
    if (other.m_Change_CalCheckALL)
        setCalCheckALL(other.CalCheckALL());
    if (other.m_Change_BumpFunction)
        setBumpFunction(other.BumpFunction());
    if (other.m_Change_DispBumpLimit)
        setDispBumpLimit(other.DispBumpLimit());
    if (other.m_Change_BumpLimit)
        setBumpLimit(other.BumpLimit());
    if (other.m_Change_BumpCheck)
        setBumpCheck(other.BumpCheck());
    if (other.m_Change_BumpCheckALL)
        setBumpCheckALL(other.BumpCheckALL());
    if (other.m_Change_BumpTime)
        setBumpTime(other.BumpTime());
    if (other.m_Change_BumpThreshold)
        setBumpThreshold(other.BumpThreshold());
    if (other.m_Change_BumpFailAfter)
        setBumpFailAfter(other.BumpFailAfter());
    if (other.m_Change_BumpFailCalTime)
        setBumpFailCalTime(other.BumpFailCalTime());
    if (other.m_Change_LunchBreak)
        setLunchBreak(other.LunchBreak());
    if (other.m_Change_AlarmSilence)
        setAlarmSilence(other.AlarmSilence());
    if (other.m_Change_Confirmation)
        setConfirmation(other.Confirmation());
    if (other.m_Change_LogOverWrite)
        setLogOverWrite(other.LogOverWrite());
    if (other.m_Change_LcdBackLight)
        setLcdBackLight(other.LcdBackLight());
    if (other.m_Change_autoBackLight)
        setautoBackLight(other.autoBackLight());
    if (other.m_Change_AlarmOnOff)
        setAlarmOnOff(other.AlarmOnOff());
    if (other.m_Change_StelTwaOnOff)
        setStelTwaOnOff(other.StelTwaOnOff());
    if (other.m_Change_LcBhMode)
        setLcBhMode(other.LcBhMode());
    if (other.m_Change_BhTime)
        setBhTime(other.BhTime());
    if (other.m_Change_LcBuzzer)
        setLcBuzzer(other.LcBuzzer());
    if (other.m_Change_AlarmO2)
        setAlarmO2(other.AlarmO2());
    if (other.m_Change_AutoZero)
        setAutoZero(other.AutoZero());
    if (other.m_Change_DemandZero)
        setDemandZero(other.DemandZero());
    if (other.m_Change_UseUserPassword)
        setUseUserPassword(other.UseUserPassword());
    if (other.m_Change_UserPassword2)
        setUserPassword2(other.UserPassword2());
    if (other.m_Change_SpecType)
        setSpecType(other.SpecType());
    if (other.m_Change_FlowLevel)
        setFlowLevel(other.FlowLevel());
    if (other.m_Change_pressOffset)
        setpressOffset(other.pressOffset());
    if (other.m_Change_dlogOnOff)
        setdlogOnOff(other.dlogOnOff());
    if (other.m_Change_PumpOnOffDisp)
        setPumpOnOffDisp(other.PumpOnOffDisp());
    if (other.m_Change_PeakBar)
        setPeakBar(other.PeakBar());
    if (other.m_Change_SpecNo)
        setSpecNo(other.SpecNo());
    if (other.m_Change_Lc_PpmAuto)
        setLc_PpmAuto(other.Lc_PpmAuto());
    if (other.m_Change_IsCustom)
        setIsCustom(other.IsCustom());
    if (other.m_Change_Battery)
        setBattery(other.Battery());

    for (int i = 0; i < kListEntries; ++i) {
        if (other.m_Change_StationList[i])
            setStationList(i, other.StationList(i));
        if (other.m_Change_UserList[i])
            setUserList(i, other.UserList(i));
    }

    for (int ch = 0; ch < kGasChannels; ++ch) {
        if (other.Change_GasName(ch))
            setGasName(ch, other.GasName(ch));
        if (other.Change_GasDesit(ch))
            setGasDesit(ch, other.GasDesit(ch));
        if (other.Change_GasPoint(ch))
            setGasPoint(ch, other.GasPoint(ch));
        if (other.Change_GasUnit(ch))
            setGasUnit(ch, other.GasUnit(ch));
        if (other.Change_GasFullScale(ch))
            setGasFullScale(ch, other.GasFullScale(ch));
        if (other.Change_GasEnable(ch))
            setGasEnabled(ch, other.GasEnabled(ch));
        if (other.Change_Warn(ch))
            setWarning(ch, other.Warning(ch));
        if (other.Change_Alarm(ch))
            setAlarm(ch, other.Alarm(ch));
        if (other.Change_Stel(ch))
            setStel(ch, other.Stel(ch));
        if (other.Change_Twa(ch))
            setTwa(ch, other.Twa(ch));
        if (other.Change_AutoCal(ch))
            setAutoCalib(ch, other.AutoCalib(ch));
        if (other.Change_Zero(ch))
            setZero(ch, other.Zero(ch));
        if (other.Change_OverScale(ch))
            setOverScale(ch, other.OverScale(ch));
        if (other.Change_Ratio(ch))
            setRatio(ch, other.Ratio(ch));
    }

    for (int i = 0; i < kLsEntries; ++i) {
        if (other.m_Change_LSData[i]) {
            setLS_Name(i, other.LS_Name(i));
            setLS_FullScale(i, other.LS_FullScale(i));
            setLS_Digit(i, other.LS_Digit(i));
            setLS_Unit(i, other.LS_Unit(i));
            setLS_elem_vol(i, other.LS_elem_vol(i));
            setLS_Ratio(i, other.LS_Ratio(i));
            setLS_Point(i, other.LS_Point(i));
            setLS_Linear1_a(i, other.LS_Linear1_a(i));
            setLS_Linear1_b(i, other.LS_Linear1_b(i));
            setLS_Linear1_c(i, other.LS_Linear1_c(i));
            setLS_Linear1_d(i, other.LS_Linear1_d(i));
            setLS_Linear2_a(i, other.LS_Linear2_a(i));
            setLS_Linear2_b(i, other.LS_Linear2_b(i));
            setLS_Linear2_c(i, other.LS_Linear2_c(i));
            setLS_Linear2_d(i, other.LS_Linear2_d(i));
        }
    }
    if (other.m_Change_LSindex)
        setLSindex(other.LSindex());
}
