// Settings history file. See SettingsHistory.h.
#include "records/SettingsHistory.h"

#include "records/SettingTexts.h"

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
using SettingTexts::ValueText;

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

QString Msg(int id) {
    return LoadMessage(id);
}

QString FiveDigits(int32_t value) {
    const QString digits =
        QString::number(value < 0 ? -static_cast<int64_t>(value) : static_cast<int64_t>(value))
            .rightJustified(5, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
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
    // A setting's column: its heading and its value as SettingTexts gives it.
    const auto setting = [&add, &r](int header, const char* key) {
        add(Msg(header), [&r, key] { return ValueText(QString::fromLatin1(key), 0, r); });
    };

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
    setting(kMsgAlarmPattern, "AlarmMode");
    setting(kMsgCalInterval, "CalLimit");
    setting(kMsgCalLimitDisplay, "DispCalLimit");
    setting(kMsgCalLimitCheck, "CalCheck");
    setting(kMsgIntervalTrendTime, "Intervals");
    setting(kMsgConfirmationBeep, "Confirmation");
    setting(kMsgLunchBreak, "LunchBreak");
    setting(kMsgAlarmSilence, "AlarmSilence");
    setting(kMsgLoggerOverwrite, "LogOverWrite");
    setting(kMsgDestination, "SpecType");
    setting(kMsgBatteryType, "Battery");
    setting(kMsgHcSelect, "HcMode");
    setting(kMsgOxygenAlarmType, "AlarmO2");
    setting(kMsgBacklightTime, "LcdBackLight");
    setting(kMsgShNcAutoChange, "Lc_PpmAuto");
    setting(kMsgBoardType, "IsCustom");
    setting(kMsgAutoZero, "AutoZero");
    setting(kMsgDemandZero, "DemandZero");
    setting(kMsgUseUserPassword, "UseUserPassword");
    setting(kMsgUserPassword, "UserPassword2");
    setting(kMsgMinimumFlow, "FlowLevel");
    setting(kMsgPressureOffset, "pressOffset");
    setting(kMsgAlarmFunction, "AlarmOnOff");
    setting(kMsgStelTwaFunction, "StelTwaOnOff");
    setting(kMsgBumpTestFunction, "BumpFunction");
    setting(kMsgBumpTimeLimit, "BumpLimit");
    setting(kMsgBumpLimitDisplay, "DispBumpLimit");
    setting(kMsgBumpLimitCheck, "BumpCheck");
    setting(kMsgBumpTestTime, "BumpTime");
    setting(kMsgBumpTestThreshold, "BumpThreshold");
    setting(kMsgCalTimeAfterBumpFail, "BumpFailCalTime");
    setting(kMsgCalAfterBumpFail, "BumpFailAfter");
    setting(kMsgLcBhMode, "LcBhMode");
    setting(kMsgBarHoleTime, "BhTime");
    setting(kMsgLeakCheckBuzzer, "LcBuzzer");
    setting(kMsgIdDisplay, "DispID");
    setting(kMsgDisplayClearLogger, "dlogOnOff");
    setting(kMsgPeakBarDisplay, "PeakBar");
    const int zeroChannels[] = {0, 2, 3, 4};
    for (const int ch : zeroChannels) {
        add(LoadMessage(kMsgZeroFollower, {QStringLiteral("Gas%1").arg(ch + 1)}),
            [&r, ch] { return ValueText(QStringLiteral("Zero"), ch, r); });
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
    setting(kMsgCalLimitCheckGas, "CalCheckALL");
    setting(kMsgBumpLimitCheckGas, "BumpCheckALL");
    setting(kMsgDisplayPumpOnOff, "PumpOnOffDisp");
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
