// Settings history file. See SettingsHistory.h.
#include "records/SettingsHistory.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using modGasCommon::FormatReading;

const QString kDateFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
const QString kNotShown = QStringLiteral("-----");

struct Column {
    QString header;
    std::function<QString()> value;
};

QString DateText(const QDateTime& when) {
    return when.isValid() ? when.toString(kDateFormat) : QString();
}

// A date the detector reported; empty for one that is not set (the record
// holds 0 or the no-value mark, which would read as a day in 1899).
QString OleDateText(double day) {
    if (!std::isfinite(day) || day <= 1.0)
        return QString();
    return DateText(OleDate::ToDateTime(day));
}

QString SwitchText(int value) {
    return value == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

// The text of a coded value from a fixed list; the number itself when the
// value lies outside the list.
QString Choice(int value, const QStringList& texts) {
    if (value >= 0 && value < texts.size())
        return texts.at(value);
    return QString::number(value);
}

QString Msg(int id) {
    return LoadMessage(id);
}

QString FiveDigits(int32_t value) {
    const QString digits =
        QString::number(value < 0 ? -static_cast<int64_t>(value) : static_cast<int64_t>(value))
            .rightJustified(5, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString DestinationText(const QString& specType) {
    const QString t = specType.trimmed();
    if (t == QLatin1String("0"))
        return Msg(kMsgDomestic);
    if (t == QLatin1String("1"))
        return Msg(kMsgHvk);
    if (t == QLatin1String("2"))
        return Msg(kMsgGermany);
    if (t == QLatin1String("3"))
        return Msg(kMsgForeign);
    return t;
}

QString ActionText(HistoryAction action) {
    switch (action) {
    case HistoryAction::Read:
        return QStringLiteral("Read");
    case HistoryAction::Write:
        return QStringLiteral("Write");
    case HistoryAction::WriteID:
        return QStringLiteral("WriteID");
    }
    return QString();
}

// The custom-sensor index of entry j as the detector numbers it.
int LsNumber(const clsInstrument& r, int j) {
    if (j == 0)
        return r.LSindex();
    return r.LS_Name(1).trimmed().isEmpty() ? 0 : r.LSindex() + 15;
}

// Every column: its heading and how its value is made. The record may be
// null when only the headings are wanted.
std::vector<Column> Columns(const clsInstrument* rec, HistoryAction action, const QDateTime& now) {
    static const clsInstrument kEmpty;
    const clsInstrument& r = rec ? *rec : kEmpty;
    std::vector<Column> c;
    const auto add = [&c](const QString& header, std::function<QString()> value) {
        c.push_back({header, std::move(value)});
    };
    const QStringList checkTexts = {Msg(kMsgConfirmToUse), Msg(kMsgCannotUse), Msg(kMsgNone)};
    const QStringList gasScope = {Msg(kMsgFourGas), Msg(kMsgAllGas)};

    add(Msg(kMsgAction), [=] { return ActionText(action); });
    add(Msg(kMsgPcDateTime), [=] { return DateText(now); });
    add(Msg(kMsgDetectorDateTime), [&r, now] {
        if (!now.isValid())
            return QString();
        return OleDateText(OleDate::FromDateTime(now) - r.SysDateOffset());
    });
    add(Msg(kMsgSerialNo), [&r] { return r.SerialNo(); });
    add(Msg(kMsgManufactureNumber), [&r] { return r.DummySerial(); });
    add(Msg(kMsgSpecNo), [&r] { return r.SpecNo(); });
    add(QStringLiteral("ROM"), [&r] { return FiveDigits(r.RomNumber()); });
    add(QStringLiteral("SUM"), [&r] { return r.SUM(); });
    add(Msg(kMsgStationId), [&r] { return r.StationID(); });
    add(Msg(kMsgUserId), [&r] { return r.UserID(); });
    add(Msg(kMsgAlarmPattern), [&r] {
        return Choice(r.AlarmMode(), {Msg(kMsgAlarmReset), Msg(kMsgAlarmLatch)});
    });
    add(Msg(kMsgCalInterval), [&r] { return QString::number(r.CalLimit()); });
    add(Msg(kMsgCalLimitDisplay), [&r] { return SwitchText(r.DispCalLimit()); });
    add(Msg(kMsgCalLimitCheck), [&r, checkTexts] { return Choice(r.CalCheck(), checkTexts); });
    add(Msg(kMsgIntervalTrendTime), [&r] { return QString::number(r.Intervals()); });
    add(Msg(kMsgConfirmationBeep), [&r] { return SwitchText(r.Confirmation()); });
    add(Msg(kMsgLunchBreak), [&r] { return SwitchText(r.LunchBreak()); });
    add(Msg(kMsgAlarmSilence), [&r] { return SwitchText(r.AlarmSilence()); });
    add(Msg(kMsgLoggerOverwrite), [&r] { return SwitchText(r.LogOverWrite()); });
    add(Msg(kMsgDestination), [&r] { return DestinationText(r.SpecType()); });
    add(Msg(kMsgBatteryType), [&r] {
        return Choice(r.Battery(), {QStringLiteral("Alkaline"), QStringLiteral("Ni-MH")});
    });
    add(Msg(kMsgHcSelect), [&r] {
        return Choice(r.HcMode(),
                      {QStringLiteral("Auto"), QStringLiteral("LEL"), QStringLiteral("vol")});
    });
    add(Msg(kMsgOxygenAlarmType), [&r] {
        return Choice(r.AlarmO2(),
                      {QStringLiteral("H-L"), QStringLiteral("L-LL"), QStringLiteral("H-HH")});
    });
    add(Msg(kMsgBacklightTime), [&r] { return QString::number(r.LcdBackLight()); });
    add(Msg(kMsgShNcAutoChange), [&r] { return SwitchText(r.Lc_PpmAuto()); });
    add(Msg(kMsgBoardType), [&r] {
        return Choice(r.IsCustom(), {Msg(kMsgBoardStandard), Msg(kMsgBoardGasCompany)});
    });
    add(Msg(kMsgAutoZero), [&r] { return SwitchText(r.AutoZero()); });
    add(Msg(kMsgDemandZero), [&r] { return SwitchText(r.DemandZero()); });
    add(Msg(kMsgUseUserPassword), [&r] { return SwitchText(r.UseUserPassword()); });
    add(Msg(kMsgUserPassword), [&r] { return r.UserPassword2(); });
    add(Msg(kMsgMinimumFlow), [&r] { return QString::number(r.FlowLevel()); });
    add(Msg(kMsgPressureOffset), [&r] { return QString::number(r.pressOffset()); });
    add(Msg(kMsgAlarmFunction), [&r] { return SwitchText(r.AlarmOnOff()); });
    add(Msg(kMsgStelTwaFunction), [&r] { return SwitchText(r.StelTwaOnOff()); });
    add(Msg(kMsgBumpTestFunction), [&r] { return SwitchText(r.BumpFunction()); });
    add(Msg(kMsgBumpTimeLimit), [&r] { return QString::number(r.BumpLimit()); });
    add(Msg(kMsgBumpLimitDisplay), [&r] { return SwitchText(r.DispBumpLimit()); });
    add(Msg(kMsgBumpLimitCheck), [&r, checkTexts] { return Choice(r.BumpCheck(), checkTexts); });
    add(Msg(kMsgBumpTestTime), [&r] {
        return Choice(r.BumpTime(), {QStringLiteral("30"), QStringLiteral("45"),
                                     QStringLiteral("60"), QStringLiteral("90")});
    });
    add(Msg(kMsgBumpTestThreshold), [&r] {
        return Choice(r.BumpThreshold(),
                      {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"),
                       QStringLiteral("40"), QStringLiteral("50")});
    });
    add(Msg(kMsgCalTimeAfterBumpFail), [&r] {
        return Choice(r.BumpFailCalTime(), {QStringLiteral("90"), QStringLiteral("120")});
    });
    add(Msg(kMsgCalAfterBumpFail), [&r] { return SwitchText(r.BumpFailAfter()); });
    add(Msg(kMsgLcBhMode), [&r] {
        return Choice(r.LcBhMode(), {QStringLiteral("OFF"), QStringLiteral("LC"),
                                     QStringLiteral("BH"), QStringLiteral("LC BH")});
    });
    add(Msg(kMsgBarHoleTime), [&r] {
        return Choice(r.BhTime(),
                      {QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("60")});
    });
    add(Msg(kMsgLeakCheckBuzzer), [&r] { return SwitchText(r.LcBuzzer()); });
    add(Msg(kMsgIdDisplay), [&r] { return SwitchText(r.DispID()); });
    add(Msg(kMsgDisplayClearLogger), [&r] { return SwitchText(r.dlogOnOff()); });
    add(Msg(kMsgPeakBarDisplay), [&r] { return SwitchText(r.PeakBar()); });
    const int zeroChannels[] = {0, 2, 3, 4};
    for (const int ch : zeroChannels) {
        add(LoadMessage(kMsgZeroFollower, {QStringLiteral("Gas%1").arg(ch + 1)}),
            [&r, ch] { return SwitchText(r.Zero(ch)); });
    }

    // Gas settings per channel; a disabled channel shows "-----" throughout.
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        const auto point = [&r, ch](float (clsInstrument::*get)(int) const) {
            return [&r, ch, get] {
                return r.GasEnabled(ch) ? FormatReading((r.*get)(ch), r.GasPoint(ch)) : kNotShown;
            };
        };
        add(Msg(kMsgGas), [&r, ch] { return r.GasEnabled(ch) ? r.GasName(ch) : kNotShown; });
        add(Msg(kMsgWarning), point(&clsInstrument::Warning));
        add(Msg(kMsgAlarm), point(&clsInstrument::Alarm));
        add(Msg(kMsgStel), point(&clsInstrument::Stel));
        add(Msg(kMsgTwa), point(&clsInstrument::Twa));
        add(Msg(kMsgAutoCal), point(&clsInstrument::AutoCalib));
    }
    // Latest calibration and bump test per channel.
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        const auto value = [&r, ch](float (clsInstrument::*get)(int) const) {
            return [&r, ch, get] { return FormatReading((r.*get)(ch), r.GasPoint(ch)); };
        };
        add(Msg(kMsgLastCalDate), [&r, ch] { return OleDateText(r.CalibDate(ch)); });
        add(Msg(kMsgBeforeLastCal), value(&clsInstrument::CalibBefore));
        add(Msg(kMsgAfterLastCal), value(&clsInstrument::CalibAfter));
        add(Msg(kMsgLastBumpDate), [&r, ch] { return OleDateText(r.BumpDates(ch)); });
        add(Msg(kMsgLastBumpResult), value(&clsInstrument::BumpResult));
        add(Msg(kMsgLastBumpConcentration), value(&clsInstrument::BumpConcentration));
    }
    for (int i = 0; i < clsInstrument::kListSlots; ++i)
        add(QStringLiteral("Station"), [&r, i] { return r.StationList(i); });
    for (int i = 0; i < clsInstrument::kListSlots; ++i)
        add(QStringLiteral("User"), [&r, i] { return r.UserList(i); });
    for (int j = 0; j < clsInstrument::kLsEntries; ++j) {
        add(QStringLiteral("No"), [&r, j] { return QString::number(LsNumber(r, j)); });
        add(QStringLiteral("Name"), [&r, j] { return r.LS_Name(j).trimmed(); });
        add(QStringLiteral("FullScale"),
            [&r, j] { return FormatReading(r.LS_FullScale(j), r.LS_Point(j)); });
        add(QStringLiteral("Digit"),
            [&r, j] { return FormatReading(r.LS_Digit(j), r.LS_Point(j)); });
        add(QStringLiteral("Unit"), [&r, j] { return r.LS_Unit(j).trimmed(); });
        add(QStringLiteral("Ratio"),
            [&r, j] { return FormatReading(r.LS_Ratio(j), r.LS_Point(j)); });
    }
    add(Msg(kMsgCalLimitCheckGas), [&r, gasScope] { return Choice(r.CalCheckALL(), gasScope); });
    add(Msg(kMsgBumpLimitCheckGas), [&r, gasScope] { return Choice(r.BumpCheckALL(), gasScope); });
    add(Msg(kMsgDisplayPumpOnOff), [&r] { return SwitchText(r.PumpOnOffDisp()); });
    return c;
}

QString CsvField(const QString& field) {
    bool quote = false;
    for (const QChar ch : field) {
        if (ch == QLatin1Char(',') || ch == QLatin1Char('"') || ch == QLatin1Char('\r') ||
            ch == QLatin1Char('\n')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return field;
    QString doubled = field;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

} // namespace

QString HistoryFileName(const QString& suffix) {
    return QStringLiteral("TQ7350_Setting") + suffix + QStringLiteral(".csv");
}

bool IsValidHistorySuffix(const QString& suffix) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar ch : suffix) {
        if (ch.unicode() < 32 || ch.unicode() == 127 || forbidden.contains(ch))
            return false;
    }
    return true;
}

QStringList HistoryHeaderFields() {
    QStringList out;
    for (const Column& col : Columns(nullptr, HistoryAction::Read, QDateTime()))
        out << col.header;
    return out;
}

QStringList HistoryDataFields(const clsInstrument& record, HistoryAction action,
                              const QDateTime& now) {
    QStringList out;
    for (const Column& col : Columns(&record, action, now))
        out << col.value();
    return out;
}

QString CsvLine(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields)
        quoted << CsvField(f);
    return quoted.join(QLatin1Char(','));
}

bool AppendHistoryLine(const QString& folder, const QString& suffix, const clsInstrument& record,
                       HistoryAction action, const QDateTime& now, QString* error) {
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!IsValidHistorySuffix(suffix))
        return fail(QStringLiteral("the file-name suffix \"%1\" holds a character a file name "
                                   "cannot carry")
                        .arg(suffix));
    const QString path = QDir(folder).filePath(HistoryFileName(suffix));
    const QFileInfo info(path);
    const bool needsHeader = !info.exists() || info.size() == 0;

    QByteArray bytes;
    if (needsHeader) {
        bytes += "\xEF\xBB\xBF"; // byte-order mark
        bytes += (CsvLine(HistoryHeaderFields()) + QStringLiteral("\r\n")).toUtf8();
    }
    bytes += (CsvLine(HistoryDataFields(record, action, now)) + QStringLiteral("\r\n")).toUtf8();

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    file.close();
    if (error)
        error->clear();
    return true;
}
