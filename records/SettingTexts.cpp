// Texts of setting values. See SettingTexts.h.
#include "records/SettingTexts.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace SettingTexts {

namespace {

using I = clsInstrument;
using Form = std::function<QString(const I& record, int index)>;

// The text of a coded value from a fixed list; the number itself when the
// value lies outside the list.
QString Choice(int value, const QStringList& texts) {
    if (value >= 0 && value < texts.size())
        return texts.at(value);
    return QString::number(value);
}

QString DestinationText(const QString& specType) {
    const QString t = specType.trimmed();
    if (t == QLatin1String("0"))
        return LoadMessage(kMsgDomestic);
    if (t == QLatin1String("1"))
        return LoadMessage(kMsgHvk);
    if (t == QLatin1String("2"))
        return LoadMessage(kMsgGermany);
    if (t == QLatin1String("3"))
        return LoadMessage(kMsgForeign);
    return t;
}

// A switch held in an Integer property.
Form SwitchOf(int16_t (I::*get)() const) {
    return [get](const I& r, int) { return Switch((r.*get)()); };
}

// A coded choice; the texts are made when the value is shown, in the
// language in use then.
Form ChoiceOf(int16_t (I::*get)() const, std::function<QStringList()> texts) {
    return [get, texts](const I& r, int) { return Choice((r.*get)(), texts()); };
}

QStringList Fixed(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromLatin1(t);
    return out;
}

QStringList CheckTexts() {
    return {LoadMessage(kMsgConfirmToUse), LoadMessage(kMsgCannotUse), LoadMessage(kMsgNone)};
}

QStringList GasScopeTexts() {
    return {LoadMessage(kMsgFourGas), LoadMessage(kMsgAllGas)};
}

// A channel value with the channel's decimals.
Form PointOf(float (I::*get)(int) const) {
    return [get](const I& r, int ch) {
        return modGasCommon::FormatReading((r.*get)(ch), r.GasPoint(ch));
    };
}

const QHash<QString, Form>& Forms() {
    static const QHash<QString, Form> forms = {
        {QStringLiteral("AlarmMode"),
         ChoiceOf(&I::AlarmMode,
                  [] {
                      return QStringList{LoadMessage(kMsgAlarmReset), LoadMessage(kMsgAlarmLatch)};
                  })},
        {QStringLiteral("DispCalLimit"), SwitchOf(&I::DispCalLimit)},
        {QStringLiteral("CalCheck"), ChoiceOf(&I::CalCheck, CheckTexts)},
        {QStringLiteral("CalCheckALL"), ChoiceOf(&I::CalCheckALL, GasScopeTexts)},
        {QStringLiteral("Confirmation"), SwitchOf(&I::Confirmation)},
        {QStringLiteral("LunchBreak"), SwitchOf(&I::LunchBreak)},
        {QStringLiteral("AlarmSilence"), SwitchOf(&I::AlarmSilence)},
        {QStringLiteral("LogOverWrite"), SwitchOf(&I::LogOverWrite)},
        {QStringLiteral("SpecType"), [](const I& r, int) { return DestinationText(r.SpecType()); }},
        {QStringLiteral("Battery"), ChoiceOf(&I::Battery,
                                             [] {
                                                 return Fixed({"Alkaline", "Ni-MH"});
                                             })},
        {QStringLiteral("HcMode"), ChoiceOf(&I::HcMode,
                                            [] {
                                                return Fixed({"Auto", "LEL", "vol"});
                                            })},
        {QStringLiteral("AlarmO2"), ChoiceOf(&I::AlarmO2,
                                             [] {
                                                 return Fixed({"H-L", "L-LL", "H-HH"});
                                             })},
        {QStringLiteral("Lc_PpmAuto"), SwitchOf(&I::Lc_PpmAuto)},
        {QStringLiteral("IsCustom"), ChoiceOf(&I::IsCustom,
                                              [] {
                                                  return QStringList{
                                                      LoadMessage(kMsgBoardStandard),
                                                      LoadMessage(kMsgBoardGasCompany)};
                                              })},
        {QStringLiteral("AutoZero"), SwitchOf(&I::AutoZero)},
        {QStringLiteral("DemandZero"), SwitchOf(&I::DemandZero)},
        {QStringLiteral("UseUserPassword"), SwitchOf(&I::UseUserPassword)},
        {QStringLiteral("AlarmOnOff"), SwitchOf(&I::AlarmOnOff)},
        {QStringLiteral("StelTwaOnOff"), SwitchOf(&I::StelTwaOnOff)},
        {QStringLiteral("BumpFunction"), SwitchOf(&I::BumpFunction)},
        {QStringLiteral("DispBumpLimit"), SwitchOf(&I::DispBumpLimit)},
        {QStringLiteral("BumpCheck"), ChoiceOf(&I::BumpCheck, CheckTexts)},
        {QStringLiteral("BumpCheckALL"), ChoiceOf(&I::BumpCheckALL, GasScopeTexts)},
        {QStringLiteral("BumpTime"), ChoiceOf(&I::BumpTime,
                                              [] {
                                                  return Fixed({"30", "45", "60", "90"});
                                              })},
        {QStringLiteral("BumpThreshold"), ChoiceOf(&I::BumpThreshold,
                                                   [] {
                                                       return Fixed({"10", "20", "30", "40", "50"});
                                                   })},
        {QStringLiteral("BumpFailCalTime"), ChoiceOf(&I::BumpFailCalTime,
                                                     [] {
                                                         return Fixed({"90", "120"});
                                                     })},
        {QStringLiteral("BumpFailAfter"), SwitchOf(&I::BumpFailAfter)},
        {QStringLiteral("LcBhMode"), ChoiceOf(&I::LcBhMode,
                                              [] {
                                                  return Fixed({"OFF", "LC", "BH", "LC BH"});
                                              })},
        {QStringLiteral("BhTime"), ChoiceOf(&I::BhTime,
                                            [] {
                                                return Fixed({"30", "45", "60"});
                                            })},
        {QStringLiteral("LcBuzzer"), SwitchOf(&I::LcBuzzer)},
        {QStringLiteral("DispID"), SwitchOf(&I::DispID)},
        {QStringLiteral("dlogOnOff"), SwitchOf(&I::dlogOnOff)},
        {QStringLiteral("PeakBar"), SwitchOf(&I::PeakBar)},
        {QStringLiteral("PumpOnOffDisp"), SwitchOf(&I::PumpOnOffDisp)},
        {QStringLiteral("Zero"), [](const I& r, int ch) { return Switch(r.Zero(ch)); }},
        {QStringLiteral("GasEnabled"), [](const I& r, int ch) { return Switch(r.GasEnabled(ch)); }},
        {QStringLiteral("Warning"), PointOf(&I::Warning)},
        {QStringLiteral("Alarm"), PointOf(&I::Alarm)},
        {QStringLiteral("Stel"), PointOf(&I::Stel)},
        {QStringLiteral("Twa"), PointOf(&I::Twa)},
        {QStringLiteral("AutoCalib"), PointOf(&I::AutoCalib)},
        {QStringLiteral("GasFullScale"), PointOf(&I::GasFullScale)},
        {QStringLiteral("GasDesit"), PointOf(&I::GasDesit)},
    };
    return forms;
}

} // namespace

QString Switch(int value) {
    return value == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

QString ValueText(const QString& key, int index, const clsInstrument& record) {
    const auto form = Forms().constFind(key);
    if (form != Forms().constEnd())
        return (*form)(record, index);
    const SettingsTable::Setting* row = SettingsTable::Find(key);
    if (!row)
        return QString();
    const QVariant value = row->Get(record, index);
    switch (row->Type) {
    case SettingsTable::ValueType::Text:
        return value.toString();
    case SettingsTable::ValueType::Boolean:
        return Switch(value.toBool() ? 1 : 0);
    case SettingsTable::ValueType::Single:
    case SettingsTable::ValueType::Double:
        return QString::number(value.toDouble());
    default:
        return QString::number(value.toLongLong());
    }
}

} // namespace SettingTexts
