#include "cli/RecordJson.h"

#include "app/Helpers.h"
#include "model/OleDate.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QJsonArray>

#include <cmath>

namespace cli {

namespace {

QJsonValue SingleJson(float value) {
    if (!std::isfinite(value))
        return QJsonValue();
    // The shortest text that reads back as the same Single, as a number.
    return QJsonValue(SingleToText(value).toDouble());
}

QJsonValue DoubleJson(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

// The scalar settings the document shows with the identity or the gas
// tables rather than under "settings".
bool ShownApart(const QString& key) {
    static const QStringList keys = {QStringLiteral("UserID"),   QStringLiteral("StationID"),
                                     QStringLiteral("SerialNo"), QStringLiteral("DummySerial"),
                                     QStringLiteral("SpecNo"),   QStringLiteral("LSindex")};
    return keys.contains(key);
}

QJsonObject GasEntryJson(const QString& name, float fullScale, float digit, const QString& unit,
                         int32_t elemVol, float ratio, int16_t point) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), name.trimmed());
    o.insert(QStringLiteral("fullScale"), SingleJson(fullScale));
    o.insert(QStringLiteral("step"), SingleJson(digit));
    o.insert(QStringLiteral("unit"), unit.trimmed());
    o.insert(QStringLiteral("point"), point);
    o.insert(QStringLiteral("elementVolume"), elemVol);
    o.insert(QStringLiteral("ratio"), SingleJson(ratio));
    o.insert(QStringLiteral("ratioHex"), SingleToHex(ratio));
    return o;
}

QJsonArray Linear(double a, double b, double c, double d) {
    return QJsonArray{DoubleJson(a), DoubleJson(b), DoubleJson(c), DoubleJson(d)};
}

} // namespace

QJsonValue ValueJson(float value) {
    if (value == modGasCommon::kNoValue)
        return QJsonValue();
    if (modGasCommon::IsStatusValue(value))
        return modGasCommon::StatusText(value);
    return SingleJson(value);
}

QJsonValue DateJson(double oleDate) {
    if (oleDate == OleDate::kZeroDate || !std::isfinite(oleDate))
        return QJsonValue();
    const QDateTime when = OleDate::ToDateTime(oleDate);
    if (!when.isValid())
        return QJsonValue();
    return when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QJsonObject ChannelHistoryToJson(const clsInstrument& r, int ch) {
    QJsonObject calibration;
    calibration.insert(QStringLiteral("date"), DateJson(r.CalibDate(ch)));
    calibration.insert(QStringLiteral("before"), ValueJson(r.CalibBefore(ch)));
    calibration.insert(QStringLiteral("after"), ValueJson(r.CalibAfter(ch)));
    QJsonObject bump;
    bump.insert(QStringLiteral("date"), DateJson(r.BumpDates(ch)));
    bump.insert(QStringLiteral("result"), ValueJson(r.BumpResult(ch)));
    bump.insert(QStringLiteral("concentration"), ValueJson(r.BumpConcentration(ch)));
    QJsonObject o;
    o.insert(QStringLiteral("calibration"), calibration);
    o.insert(QStringLiteral("bumpTest"), bump);
    return o;
}

QJsonObject ChannelToJson(const clsInstrument& r, int ch) {
    QJsonObject o;
    o.insert(QStringLiteral("channel"), ch);
    o.insert(QStringLiteral("enabled"), r.GasEnabled(ch));
    o.insert(QStringLiteral("name"), r.GasName(ch).trimmed());
    o.insert(QStringLiteral("unit"), r.GasUnit(ch).trimmed());
    o.insert(QStringLiteral("point"), r.GasPoint(ch));
    o.insert(QStringLiteral("fullScale"), SingleJson(r.GasFullScale(ch)));
    o.insert(QStringLiteral("step"), SingleJson(r.GasDesit(ch)));
    o.insert(QStringLiteral("warning"), ValueJson(r.Warning(ch)));
    o.insert(QStringLiteral("alarm"), ValueJson(r.Alarm(ch)));
    o.insert(QStringLiteral("stel"), ValueJson(r.Stel(ch)));
    o.insert(QStringLiteral("twa"), ValueJson(r.Twa(ch)));
    o.insert(QStringLiteral("autoCal"), ValueJson(r.AutoCalib(ch)));
    o.insert(QStringLiteral("zeroFollower"), r.Zero(ch));
    o.insert(QStringLiteral("overScale"), r.OverScale(ch));
    o.insert(QStringLiteral("ratio"), ValueJson(r.Ratio(ch)));
    const QJsonObject history = ChannelHistoryToJson(r, ch);
    o.insert(QStringLiteral("calibration"), history.value(QStringLiteral("calibration")));
    o.insert(QStringLiteral("bumpTest"), history.value(QStringLiteral("bumpTest")));
    QJsonObject log;
    log.insert(QStringLiteral("max"), ValueJson(r.LogMax(ch)));
    log.insert(QStringLiteral("maxDate"), DateJson(r.LogMaxDate(ch)));
    log.insert(QStringLiteral("min"), ValueJson(r.LogMin(ch)));
    log.insert(QStringLiteral("minDate"), DateJson(r.LogMinDate(ch)));
    log.insert(QStringLiteral("average"), ValueJson(r.LogAvr(ch)));
    o.insert(QStringLiteral("log"), log);
    return o;
}

QJsonObject ClockToJson(const clsInstrument& r, const QDateTime& now) {
    QJsonObject o;
    o.insert(QStringLiteral("pc"), now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    const double offsetDays = r.SysDateOffset();
    if (std::isfinite(offsetDays)) {
        const qint64 offsetMs = qint64(std::llround(offsetDays * 86400000.0));
        o.insert(QStringLiteral("detector"),
                 now.addMSecs(-offsetMs).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        // Detector minus PC, in seconds.
        o.insert(QStringLiteral("differenceSeconds"), double(-offsetMs) / 1000.0);
        o.insert(QStringLiteral("mismatch"), std::fabs(offsetDays) > 1.0);
    } else {
        o.insert(QStringLiteral("detector"), QJsonValue());
        o.insert(QStringLiteral("differenceSeconds"), QJsonValue());
        o.insert(QStringLiteral("mismatch"), false);
    }
    return o;
}

QJsonObject RecordToJson(const clsInstrument& r, const QDateTime& now) {
    QJsonObject identity;
    identity.insert(QStringLiteral("serialNo"), r.SerialNo());
    identity.insert(QStringLiteral("dummySerial"), r.DummySerial());
    identity.insert(QStringLiteral("specNo"), r.SpecNo().trimmed());
    identity.insert(QStringLiteral("stationId"), r.StationID());
    identity.insert(QStringLiteral("userId"), r.UserID());
    identity.insert(QStringLiteral("romNumber"), r.RomNumber());
    identity.insert(QStringLiteral("sum"), r.SUM());

    // Every scalar setting under its property name, and the sampling-head mode.
    QJsonObject settings;
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        if (s.SettingKind != SettingsTable::Kind::Scalar || ShownApart(s.Key))
            continue;
        const QVariant v = s.Get(r, 0);
        settings.insert(s.Key, s.Type == SettingsTable::ValueType::Text ? QJsonValue(v.toString())
                                                                        : QJsonValue(v.toInt()));
    }
    settings.insert(QStringLiteral("SHmode"), r.SHmode());

    QJsonArray channels;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        channels.append(ChannelToJson(r, ch));

    QJsonArray stations;
    QJsonArray users;
    for (int i = 0; i < clsInstrument::kListEntries; ++i) {
        stations.append(r.StationList(i));
        users.append(r.UserList(i));
    }

    QJsonArray ls;
    for (int i = 0; i < clsInstrument::kLsEntries; ++i) {
        QJsonObject e = GasEntryJson(r.LS_Name(i), r.LS_FullScale(i), r.LS_Digit(i), r.LS_Unit(i),
                                     r.LS_elem_vol(i), r.LS_Ratio(i), r.LS_Point(i));
        e.insert(QStringLiteral("linear1"), Linear(r.LS_Linear1_a(i), r.LS_Linear1_b(i),
                                                   r.LS_Linear1_c(i), r.LS_Linear1_d(i)));
        e.insert(QStringLiteral("linear2"), Linear(r.LS_Linear2_a(i), r.LS_Linear2_b(i),
                                                   r.LS_Linear2_c(i), r.LS_Linear2_d(i)));
        ls.append(e);
    }
    QJsonArray li;
    for (int i = 0; i < clsInstrument::kLiEntries; ++i) {
        QJsonObject e = GasEntryJson(r.LI_Name(i), r.LI_FullScale(i), r.LI_Digit(i), r.LI_Unit(i),
                                     r.LI_elem_vol(i), r.LI_Ratio(i), r.LI_Point(i));
        e.insert(QStringLiteral("index"), i);
        e.insert(QStringLiteral("linear1"), Linear(r.LI_Linear1_a(i), r.LI_Linear1_b(i),
                                                   r.LI_Linear1_c(i), r.LI_Linear1_d(i)));
        e.insert(QStringLiteral("linear2"), Linear(r.LI_Linear2_a(i), r.LI_Linear2_b(i),
                                                   r.LI_Linear2_c(i), r.LI_Linear2_d(i)));
        li.append(e);
    }
    QJsonObject gasTables;
    gasTables.insert(QStringLiteral("LSindex"), r.LSindex());
    gasTables.insert(QStringLiteral("LS"), ls);
    gasTables.insert(QStringLiteral("LI"), li);

    QJsonArray analog;
    for (int i = 0; i < clsInstrument::kAnalogValues; ++i)
        analog.append(r.AnalogValue(i));
    QJsonArray limits;
    for (int i = 0; i < clsInstrument::kLimitValues; ++i)
        limits.append(ValueJson(r.LimitValue(i)));
    QJsonObject raw;
    raw.insert(QStringLiteral("analogValues"), analog);
    raw.insert(QStringLiteral("adrealValue"), SingleJson(r.AdrealValue()));
    raw.insert(QStringLiteral("limitValues"), limits);
    raw.insert(QStringLiteral("flowValue"), r.FlowValue());

    QJsonObject o;
    o.insert(QStringLiteral("identity"), identity);
    o.insert(QStringLiteral("clock"), ClockToJson(r, now));
    o.insert(QStringLiteral("settings"), settings);
    o.insert(QStringLiteral("channels"), channels);
    o.insert(QStringLiteral("stationList"), stations);
    o.insert(QStringLiteral("userList"), users);
    o.insert(QStringLiteral("gasTables"), gasTables);
    o.insert(QStringLiteral("raw"), raw);
    return o;
}

} // namespace cli
