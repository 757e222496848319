#include "model/SetupRows.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include <climits>

namespace SetupRows {

namespace {

// The oxygen alarm type "H-HH" exists from this program number on.
constexpr int32_t kOxygenHhFromProgram = 4150;
// The password the detector keeps has exactly four digits.
constexpr int kPasswordDigits = 4;
// Longest Spec No. ("BS" carries 10 characters) and manufacture number.
constexpr int kSpecNoLength = 10;
constexpr int kSerialLength = 20;

Row Choice(int label, const char* property, Items items) {
    Row r;
    r.label = label;
    r.property = property;
    r.value = Value::Choice;
    r.items = items;
    return r;
}

Row Number(int label, const char* property, int low, int high) {
    Row r;
    r.label = label;
    r.property = property;
    r.value = Value::Number;
    r.low = low;
    r.high = high;
    r.typing = Typing::Digits;
    r.maxLength = int(QString::number(high).size());
    return r;
}

Row Text(int label, const char* property, Typing typing, int maxLength, int minLength = 0) {
    Row r;
    r.label = label;
    r.property = property;
    r.value = Value::Text;
    r.typing = typing;
    r.maxLength = maxLength;
    r.minLength = minLength;
    return r;
}

Row Locked(Row r) {
    r.locked = true;
    return r;
}

// A per-channel switch whose label names the gas ("Zero Follower (Gas3)").
Row OfChannel(Row r, int ch) {
    r.index = ch;
    r.labelGas = ch + 1;
    return r;
}

std::vector<Row> SetUpRows() {
    return {
        Number(kMsgBumpTimeLimit, "BumpLimit", 0, 30),
        Choice(kMsgBumpLimitDisplay, "DispBumpLimit", Items::OffOn),
        Choice(kMsgBumpLimitCheck, "BumpCheck", Items::CheckResult),
        Choice(kMsgBumpLimitCheckGas, "BumpCheckALL", Items::GasScope),
        Choice(kMsgBumpTestTime, "BumpTime", Items::BumpTimes),
        Choice(kMsgBumpTestThreshold, "BumpThreshold", Items::BumpThresholds),
        Choice(kMsgCalTimeAfterBumpFail, "BumpFailCalTime", Items::BumpFailCalTimes),
        Choice(kMsgCalAfterBumpFail, "BumpFailAfter", Items::OffOn),
        Choice(kMsgConfirmationBeep, "Confirmation", Items::OffOn),
        Choice(kMsgLoggerOverwrite, "LogOverWrite", Items::OffOn),
        Number(kMsgCalTimeLimit, "CalLimit", 1, 365),
        Choice(kMsgCalLimitDisplay, "DispCalLimit", Items::OffOn),
        Choice(kMsgCalLimitCheckGas, "CalCheckALL", Items::GasScope),
        Choice(kMsgCalLimitCheck, "CalCheck", Items::CheckResult),
        Choice(kMsgIdDisplay, "DispID", Items::OffOn),
        Choice(kMsgDisplayPumpOnOff, "PumpOnOffDisp", Items::OffOn),
        Number(kMsgBacklightTime, "LcdBackLight", 0, 255),
        Choice(kMsgAutoZero, "AutoZero", Items::OffOn),
        Choice(kMsgDemandZero, "DemandZero", Items::OffOn),
        Choice(kMsgUseUserPassword, "UseUserPassword", Items::OffOn),
        Text(kMsgUserPassword, "UserPassword2", Typing::Digits, kPasswordDigits, kPasswordDigits),
    };
}

std::vector<Row> FactoryRows() {
    return {
        Choice(kMsgHcSelect, "HcMode", Items::HcModes),
        Choice(kMsgAlarmPattern, "AlarmMode", Items::AlarmPatterns),
        Choice(kMsgLcBhMode, "LcBhMode", Items::LcBhModes),
        Choice(kMsgBarHoleTime, "BhTime", Items::BarHoleTimes),
        Choice(kMsgLeakCheckBuzzer, "LcBuzzer", Items::OffOn),
        Choice(kMsgShNcAutoChange, "Lc_PpmAuto", Items::OffOn),
        OfChannel(Choice(kMsgZeroFollower, "Zero", Items::OffOn), 0),
        OfChannel(Choice(kMsgZeroFollower, "Zero", Items::OffOn), 2),
        OfChannel(Choice(kMsgZeroFollower, "Zero", Items::OffOn), 3),
        OfChannel(Choice(kMsgZeroFollower, "Zero", Items::OffOn), 4),
        Choice(kMsgAlarmSilence, "AlarmSilence", Items::OffOn),
        Choice(kMsgLunchBreak, "LunchBreak", Items::OffOn),
        Choice(kMsgDisplayClearLogger, "dlogOnOff", Items::OffOn),
    };
}

std::vector<Row> OtherRows() {
    return {
        Text(kMsgSpecNo, "SpecNo", Typing::Identity, kSpecNoLength),
        Locked(Text(kMsgManufactureNumber, "DummySerial", Typing::Identity, kSerialLength)),
        Locked(Choice(kMsgBoardType, "IsCustom", Items::Boards)),
        Locked(Choice(kMsgBatteryType, "Battery", Items::Batteries)),
        Choice(kMsgBumpTestFunction, "BumpFunction", Items::OffOn),
        Choice(kMsgOxygenAlarmType, "AlarmO2", Items::OxygenAlarmTypes),
        Choice(kMsgAlarmFunction, "AlarmOnOff", Items::OffOn),
        Choice(kMsgStelTwaFunction, "StelTwaOnOff", Items::OffOn),
        Choice(kMsgDestination, "SpecType", Items::Destinations),
        Choice(kMsgPeakBarDisplay, "PeakBar", Items::OffOn),
    };
}

QStringList Messages(std::initializer_list<int> ids) {
    QStringList out;
    for (int id : ids)
        out << LoadMessage(id);
    return out;
}

QStringList ListMessage(int id) {
    return LoadMessage(id).split(QLatin1Char('|'));
}

const SettingsTable::Setting& SettingOf(const Row& row) {
    const SettingsTable::Setting* s = SettingsTable::Find(QString::fromLatin1(row.property));
    Q_ASSERT_X(s, "SetupRows", "a row names a property the settings table lacks");
    return *s;
}

bool IsTextSetting(const Row& row) {
    return SettingOf(row).Type == SettingsTable::ValueType::Text;
}

// The position of `text` among the items (compared in upper case), -1 when
// it is none of them.
int ItemPosition(const QStringList& items, const QString& text) {
    const QString wanted = text.trimmed().toUpper();
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).toUpper() == wanted)
            return i;
    }
    return -1;
}

// The stored value of a choice or number row as a whole number; false for
// a text setting that holds no number.
bool StoredNumber(const Row& row, const clsInstrument& record, int* value) {
    const QVariant v = SettingOf(row).Get(record, row.index);
    bool ok = true;
    *value = IsTextSetting(row) ? v.toString().trimmed().toInt(&ok) : v.toInt(&ok);
    return ok;
}

QVariant ValueOf(const Row& row, int number) {
    switch (SettingOf(row).Type) {
    case SettingsTable::ValueType::Text:
        return QString::number(number);
    case SettingsTable::ValueType::Long:
        return QVariant::fromValue(static_cast<int32_t>(number));
    default:
        return QVariant::fromValue(static_cast<int16_t>(number));
    }
}

// A whole number of digits only within the row's range.
bool NumberInRange(const Row& row, const QString& text, int* value) {
    const QString t = text.trimmed();
    if (t.isEmpty() || !IsAllDigits(t) || t.size() > 9)
        return false;
    const int v = t.toInt();
    if (v < row.low || v > row.high)
        return false;
    *value = v;
    return true;
}

} // namespace

const std::vector<Row>& Rows(Page page) {
    static const std::vector<Row> pages[kPages] = {SetUpRows(), FactoryRows(), OtherRows()};
    return pages[static_cast<int>(page)];
}

QString LabelText(const Row& row) {
    if (row.labelGas > 0)
        return LoadMessage(row.label, {LoadMessage(kMsgGasNumber, {row.labelGas})});
    return LoadMessage(row.label);
}

QStringList ItemTexts(const Row& row, const clsInstrument& record) {
    switch (row.items) {
    case Items::None:
        return {};
    case Items::OffOn:
        return ListMessage(kMsgChoiceOffOn);
    case Items::CheckResult:
        return Messages({kMsgConfirmToUse, kMsgCannotUse, kMsgNone});
    case Items::GasScope:
        return Messages({kMsgFourGas, kMsgAllGas});
    case Items::BumpTimes:
        return {QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("60"),
                QStringLiteral("90")};
    case Items::BumpThresholds:
        return {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"),
                QStringLiteral("40"), QStringLiteral("50")};
    case Items::BumpFailCalTimes:
        return {QStringLiteral("90"), QStringLiteral("120")};
    case Items::HcModes:
        return ListMessage(kMsgChoiceHcSelect);
    case Items::AlarmPatterns:
        return Messages({kMsgAlarmReset, kMsgAlarmLatch});
    case Items::LcBhModes:
        return ListMessage(kMsgChoiceLcBh);
    case Items::BarHoleTimes:
        return {QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("60")};
    case Items::Boards:
        return Messages({kMsgBoardStandard, kMsgBoardGasCompany});
    case Items::Batteries:
        return ListMessage(kMsgChoiceBattery);
    case Items::OxygenAlarmTypes: {
        QStringList types = ListMessage(kMsgChoiceOxygenAlarm);
        if (record.RomNumber() < kOxygenHhFromProgram)
            types = types.mid(0, 2);
        return types;
    }
    case Items::Destinations:
        return Messages({kMsgDomestic, kMsgHvk, kMsgGermany, kMsgForeign});
    }
    return {};
}

QString CellText(const Row& row, const clsInstrument& record) {
    const QVariant v = SettingOf(row).Get(record, row.index);
    switch (row.value) {
    case Value::Choice: {
        int n = 0;
        if (!StoredNumber(row, record, &n))
            return v.toString();
        const QStringList items = ItemTexts(row, record);
        return n >= 0 && n < items.size() ? items.at(n) : QString::number(n);
    }
    case Value::Number:
        return QString::number(v.toInt());
    case Value::Text:
        return v.toString();
    }
    return QString();
}

bool TypingAccepts(const Row& row, const QString& text) {
    if (row.maxLength > 0 && text.size() > row.maxLength)
        return false;
    switch (row.typing) {
    case Typing::Any:
        return true;
    case Typing::Identity:
        return IsIdentityText(text, row.maxLength > 0 ? row.maxLength : INT_MAX);
    case Typing::Digits:
        return IsAllDigits(text);
    }
    return false;
}

QChar TypedCharacter(const Row& row, QChar key) {
    return row.typing == Typing::Identity ? key.toUpper() : key;
}

bool TextAcceptable(const Row& row, const QString& text, const clsInstrument& record) {
    switch (row.value) {
    case Value::Choice:
        return ItemPosition(ItemTexts(row, record), text) >= 0;
    case Value::Number: {
        int v = 0;
        return NumberInRange(row, text, &v);
    }
    case Value::Text:
        return TypingAccepts(row, text) && text.trimmed().size() >= row.minLength;
    }
    return false;
}

bool ApplyText(const Row& row, const QString& text, clsInstrument& record) {
    if (row.locked || !TextAcceptable(row, text, record))
        return false;
    const SettingsTable::Setting& setting = SettingOf(row);
    QVariant value;
    switch (row.value) {
    case Value::Choice:
        value = ValueOf(row, ItemPosition(ItemTexts(row, record), text));
        break;
    case Value::Number: {
        int v = 0;
        NumberInRange(row, text, &v);
        value = ValueOf(row, v);
        break;
    }
    case Value::Text:
        value = text.trimmed();
        break;
    }
    if (setting.Get(record, row.index) == value)
        return false;
    setting.Set(record, row.index, value);
    return true;
}

} // namespace SetupRows
