#include "model/SettingsTable.h"

#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QHash>

namespace SettingsTable {

namespace {

using I = clsInstrument;

template <typename T> ValueType TypeOf();
template <> ValueType TypeOf<int16_t>() {
    return ValueType::Integer;
}
template <> ValueType TypeOf<int32_t>() {
    return ValueType::Long;
}
template <> ValueType TypeOf<float>() {
    return ValueType::Single;
}
template <> ValueType TypeOf<double>() {
    return ValueType::Double;
}
template <> ValueType TypeOf<bool>() {
    return ValueType::Boolean;
}
template <> ValueType TypeOf<QString>() {
    return ValueType::Text;
}

// ClearDatas leaves the field as it is.
const QVariant kKeep;

template <typename T>
Setting Row(Kind kind, const char* key, const char* flag, FlagGroup group, const char* command,
            const QVariant& def) {
    Setting s;
    s.Key = QString::fromLatin1(key);
    s.Flag = QString::fromLatin1(flag);
    s.SettingKind = kind;
    s.Type = TypeOf<T>();
    s.Group = group;
    s.Command = QString::fromLatin1(command);
    if (def.isValid())
        s.Default = QVariant::fromValue(def.value<T>());
    return s;
}

template <typename T, typename Arg>
Setting Scalar(const char* key, const char* flag, T (I::*get)() const, void (I::*set)(Arg),
               bool (I::*changed)() const, void (I::*setChanged)(bool), FlagGroup group,
               const char* command, const QVariant& def) {
    Setting s = Row<T>(Kind::Scalar, key, flag, group, command, def);
    s.Get = [get](const I& r, int) { return QVariant::fromValue((r.*get)()); };
    s.Set = [set](I& r, int, const QVariant& v) { (r.*set)(v.value<T>()); };
    s.Changed = [changed](const I& r, int) { return (r.*changed)(); };
    s.SetChanged = [setChanged](I& r, int, bool on) { (r.*setChanged)(on); };
    return s;
}

template <typename T, typename Arg>
Setting Indexed(Kind kind, const char* key, const char* flag, T (I::*get)(int) const,
                void (I::*set)(int, Arg), bool (I::*changed)(int) const,
                void (I::*setChanged)(int, bool), FlagGroup group, const char* command,
                const QVariant& def) {
    Setting s = Row<T>(kind, key, flag, group, command, def);
    s.Get = [get](const I& r, int i) { return QVariant::fromValue((r.*get)(i)); };
    s.Set = [set](I& r, int i, const QVariant& v) { (r.*set)(i, v.value<T>()); };
    s.Changed = [changed](const I& r, int i) { return (r.*changed)(i); };
    s.SetChanged = [setChanged](I& r, int i, bool on) { (r.*setChanged)(i, on); };
    return s;
}

// One row from the property's name and the name of its flag (Change_<flag>),
// so that the key always names the accessors it reaches.
#define SCALAR(name, flag, group, command, def)                                                    \
    Scalar(#name, "Change_" #flag, &I::name, &I::set##name, &I::Change_##flag,                     \
           &I::setChange_##flag, FlagGroup::group, command, def)
#define CHANNEL(name, flag, group, command, def)                                                   \
    Indexed(Kind::Channel, #name, "Change_" #flag, &I::name, &I::set##name, &I::Change_##flag,     \
            &I::setChange_##flag, FlagGroup::group, command, def)
#define LIST(name, command)                                                                        \
    Indexed(Kind::ListEntry, #name, "Change_" #name, &I::name, &I::set##name, &I::Change_##name,   \
            &I::setChange_##name, FlagGroup::Identity, command, QString())
#define LS_FIELD(name)                                                                             \
    Indexed(Kind::LsEntry, "LS_" #name, "Change_LSData", &I::LS_##name, &I::setLS_##name,          \
            &I::Change_LSData, &I::setChange_LSData, FlagGroup::Setting, "", kKeep)

std::vector<Setting> BuildRows() {
    const float none = modGasCommon::kNoValue;
    return {
        // Identity texts (normalised by their writes: an empty text becomes
        // the run of "-").
        SCALAR(UserID, UserID, Identity, "XZ", QString()),
        SCALAR(StationID, StationID, Identity, "XS", QString()),
        SCALAR(SerialNo, SerialNo, Identity, "IN", QString()),
        SCALAR(DummySerial, DummySerial, Cleared, "HN", QString()),

        SCALAR(HcMode, HCMode, Setting, "LP", 0),
        SCALAR(AlarmMode, AlarmMode, Setting, "AP", 0),
        SCALAR(Intervals, Interval, Setting, "XP", 0),
        SCALAR(DispID, DispID, Setting, "XI", kKeep),
        SCALAR(DispCalLimit, DispCalLimit, Setting, "SD", 0),
        SCALAR(CalLimit, CalLimit, Setting, "SC", 1),
        SCALAR(CalCheck, CalCheck, Setting, "SM", 0),
        SCALAR(CalCheckALL, CalCheckALL, Setting, "SW", 1),
        SCALAR(BumpFunction, BumpFunction, Setting, "BV", kKeep),
        SCALAR(DispBumpLimit, DispBumpLimit, Setting, "BJ", kKeep),
        SCALAR(BumpLimit, BumpLimit, Setting, "BK", kKeep),
        SCALAR(BumpCheck, BumpCheck, Setting, "BL", kKeep),
        SCALAR(BumpCheckALL, BumpCheckALL, Setting, "BW", 1),
        SCALAR(BumpTime, BumpTime, Setting, "BU", 2),
        SCALAR(BumpThreshold, BumpThreshold, Setting, "BU", 1),
        SCALAR(BumpFailAfter, BumpFailAfter, Setting, "BU", 1),
        SCALAR(BumpFailCalTime, BumpFailCalTime, Setting, "BU", 0),
        SCALAR(LunchBreak, LunchBreak, Setting, "XL", kKeep),
        SCALAR(AlarmSilence, AlarmSilence, Setting, "XA", kKeep),
        SCALAR(Confirmation, Confirmation, Setting, "XB", kKeep),
        SCALAR(LogOverWrite, LogOverWrite, Setting, "XW", 0),
        SCALAR(LcdBackLight, LcdBackLight, Setting, "XT", 1),
        SCALAR(autoBackLight, autoBackLight, Setting, "", 1),
        SCALAR(AlarmOnOff, AlarmOnOff, Setting, "AF", 1),
        SCALAR(StelTwaOnOff, StelTwaOnOff, Setting, "AM", 1),
        SCALAR(LcBhMode, LcBhMode, Setting, "WB", 0),
        SCALAR(BhTime, BhTime, Setting, "WB", 0),
        SCALAR(LcBuzzer, LcBuzzer, Setting, "WB", 0),
        SCALAR(AlarmO2, AlarmO2, Setting, "AT", 1),
        SCALAR(AutoZero, AutoZero, Setting, "SJ", 0),
        SCALAR(DemandZero, DemandZero, Setting, "SG", 0),
        SCALAR(UseUserPassword, UseUserPassword, Setting, "MP", 0),
        SCALAR(UserPassword2, UserPassword2, Setting, "MP", QStringLiteral("7563")),
        SCALAR(SpecType, SpecType, Setting, "UJ", QStringLiteral("0")),
        SCALAR(FlowLevel, FlowLevel, Outside, "CP", kKeep),
        SCALAR(pressOffset, pressOffset, Outside, "HF", kKeep),
        SCALAR(dlogOnOff, dlogOnOff, Setting, "X7", 0),
        SCALAR(PumpOnOffDisp, PumpOnOffDisp, Setting, "X8", 0),
        SCALAR(PeakBar, PeakBar, Setting, "EB", 0),
        SCALAR(SpecNo, SpecNo, Setting, "BS", kKeep),
        SCALAR(Lc_PpmAuto, Lc_PpmAuto, Setting, "LE", 0),
        SCALAR(IsCustom, IsCustom, Setting, "XF", 0),
        SCALAR(Battery, Battery, Setting, "", kKeep), // only read ("HB")

        LIST(StationList, "XS"),
        LIST(UserList, "XZ"),

        // The channel descriptor ("GJ"): name, digit, unit and full scale
        // carry internal flags that only the writes set. ClearDatas leaves
        // the empty descriptor (point -101).
        CHANNEL(GasName, GasName, Outside, "GJ", QString()),
        CHANNEL(GasDesit, GasDesit, Outside, "GJ", 0.0f),
        CHANNEL(GasPoint, GasPoint, Setting, "GJ", -101),
        CHANNEL(GasUnit, GasUnit, Outside, "GJ", QString()),
        CHANNEL(GasFullScale, GasFullScale, Outside, "GJ", none),
        CHANNEL(GasEnabled, GasEnable, Setting, "GJ", false),
        CHANNEL(Warning, Warn, Setting, "A1", none),
        CHANNEL(Alarm, Alarm, Setting, "A2", none),
        CHANNEL(Stel, Stel, Setting, "AS", none),
        CHANNEL(Twa, Twa, Setting, "AW", none),
        CHANNEL(AutoCalib, AutoCal, Setting, "SA", none),
        CHANNEL(Zero, Zero, Setting, "UZ", 0),
        CHANNEL(OverScale, OverScale, Setting, "", 0), // only read ("AO")
        CHANNEL(Ratio, Ratio, Setting, "", none),

        // The custom-sensor selection: "LS,W" carries the index only.
        SCALAR(LSindex, LSindex, Setting, "LS", 1),
        LS_FIELD(Name),
        LS_FIELD(FullScale),
        LS_FIELD(Digit),
        LS_FIELD(Unit),
        LS_FIELD(elem_vol),
        LS_FIELD(Ratio),
        LS_FIELD(Point),
        LS_FIELD(Linear1_a),
        LS_FIELD(Linear1_b),
        LS_FIELD(Linear1_c),
        LS_FIELD(Linear1_d),
        LS_FIELD(Linear2_a),
        LS_FIELD(Linear2_b),
        LS_FIELD(Linear2_c),
        LS_FIELD(Linear2_d),
    };
}

#undef SCALAR
#undef CHANNEL
#undef LIST
#undef LS_FIELD

} // namespace

int Setting::count() const {
    switch (SettingKind) {
    case Kind::Scalar:
        return 1;
    case Kind::Channel:
        return clsInstrument::kGasChannels;
    case Kind::ListEntry:
        return clsInstrument::kListEntries;
    case Kind::LsEntry:
        return clsInstrument::kLsEntries;
    }
    return 0;
}

bool Setting::anyChanged(const clsInstrument& record) const {
    for (int i = 0; i < count(); ++i) {
        if (Changed(record, i))
            return true;
    }
    return false;
}

const std::vector<Setting>& Rows() {
    static const std::vector<Setting> rows = BuildRows();
    return rows;
}

const Setting* Find(const QString& key) {
    static const QHash<QString, const Setting*> index = [] {
        QHash<QString, const Setting*> h;
        for (const Setting& s : Rows())
            h.insert(s.Key, &s);
        return h;
    }();
    return index.value(key, nullptr);
}

std::vector<const Setting*> CarriedBy(const QString& command) {
    std::vector<const Setting*> out;
    if (command.isEmpty())
        return out;
    for (const Setting& s : Rows()) {
        if (s.Command == command)
            out.push_back(&s);
    }
    return out;
}

} // namespace SettingsTable
