#include "cli/CliCommands.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/RecordJson.h"
#include "cli/RecordText.h"
#include "link/CommandSet.h"
#include "link/ReadSequence.h"
#include "link/WriteSequence.h"
#include "model/CalibrationRules.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/SettingsFile.h"
#include "records/SettingsHistory.h"
#include "records/WriteChecks.h"
#include "workflows/CalibrationRun.h"
#include "workflows/InformationDownload.h"
#include "workflows/MaintenanceCommand.h"
#include "workflows/WriteFromFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <functional>

namespace cli {

namespace {

constexpr int32_t kBrown = 128 + 256 * 32;
// Logger memory image and the reference image of the FLASH check.
const char* const kLoggerImageName = "TQ7350.DAT";
const char* const kReferenceImageName = "TQ7350_Check.DAT";
constexpr int kLastImageBlock = 1023;

// Everything a command works with.
struct Ctx {
    const Invocation& inv;
    Console& console;
    QJsonObject result;
    QString lastError;

    void error(const QString& text) {
        console.error(text);
        lastError = Console::Tidy(text);
    }
    void info(const QString& text) { console.progressLine(text); }
    void line(const QString& text, int32_t colour) {
        console.line(text, colour);
        if (colour == Console::kRed)
            lastError = Console::Tidy(text);
    }
    bool json() const { return inv.json; }
    // A result line on standard output (text mode only).
    void out(const QString& text) {
        if (!inv.json)
            console.out(text);
    }
    QString absolute(const QString& path) const { return QDir::current().absoluteFilePath(path); }
};

// Texts the window writes when a command finds no detector.
void ReportNoDetector(Ctx& c, CliSession& s) {
    const QString date = s.dateText();
    switch (c.inv.command) {
    case Command::Read:
        c.line(LoadMessage(kMsgDownloadNoResponse), Console::kRed);
        s.link().AddLog(LoadMessage(kMsgDownloadSequenceNoResponse, {date}));
        break;
    case Command::Logger:
    case Command::FlashCheck:
        c.line(LoadMessage(kMsgTrendDownloadNoResponse), Console::kRed);
        s.link().AddLog(LoadMessage(kMsgTrendDownloadSequenceNoResponse, {date}));
        break;
    case Command::Default:
    case Command::ClearLogger:
    case Command::ClearPower:
        c.line(LoadMessage(kMsgDataRemovalNoResponse), Console::kRed);
        s.link().AddLog(LoadMessage(kMsgDataRemoveSequenceNoResponse));
        break;
    case Command::PowerOff:
        c.line(LoadMessage(kMsgPowerOffNoResponse), Console::kRed);
        break;
    default:
        break;
    }
}

// Prepares the session and connects; kExitDone or the reported status.
int Connect(Ctx& c, CliSession& s) {
    if (const int status = s.prepare(); status != kExitDone)
        return status;
    const int status = s.connectDetector();
    if (status == kExitNoDetector)
        ReportNoDetector(c, s);
    return status;
}

int Interrupted(Ctx& c) {
    c.error(LoadMessage(kMsgInterrupted));
    return kExitFailed;
}

// Counts the commands a sequence starts (each sets the status to 4 or 5)
// for the progress bar.
class CommandCounter {
public:
    CommandCounter(Ctx& c, uclTqif& link, const QString& label, int total) : c_(c) {
        c_.console.beginProgress(label, total);
        connection_ = QObject::connect(&link, &uclTqif::StatusChanged, [this](int status) {
            const bool awaiting = status == kStatusAwaitingRead || status == kStatusAwaiting;
            if (awaiting && !awaiting_)
                c_.console.setProgress(++count_);
            awaiting_ = awaiting;
        });
    }
    ~CommandCounter() {
        QObject::disconnect(connection_);
        c_.console.endProgress();
    }
    CommandCounter(const CommandCounter&) = delete;
    CommandCounter& operator=(const CommandCounter&) = delete;

private:
    Ctx& c_;
    QMetaObject::Connection connection_;
    int count_ = 0;
    bool awaiting_ = false;
};

// Where a workflow reports on the console: lines on standard error in their
// colour; the analog value list belongs to the result, not to the progress.
workflows::Report ConsoleReport(Ctx& c) {
    workflows::Report report;
    report.line = [&c](const QString& text, workflows::Tone tone) {
        switch (tone) {
        case workflows::Tone::Listing:
            return;
        case workflows::Tone::Failure:
            c.line(text, Console::kRed);
            return;
        case workflows::Tone::Progress:
            c.line(text, Console::kGreen);
            return;
        }
    };
    return report;
}

int ReadTableSize() {
    int n = 0;
    for (const QString& command : ReadCommandTable())
        n += command.isEmpty() ? 0 : 1;
    return n;
}

// The read of "Instrument Information" with its log lines; the analog value
// list is part of the result rather than a progress line.
InformationDownload::Result Download(Ctx& c, CliSession& s, bool readHistories) {
    InformationDownload::Options options;
    options.ChannelLocked = s.lockedChannels();
    options.ReadHistories = readHistories;
    CommandCounter counter(c, s.link(), LoadMessage(kMsgNowDownloading),
                           ReadTableSize() + (readHistories ? 2 : 0));
    return InformationDownload::Run(s.link(), s.record(), options, ConsoleReport(c));
}

int DownloadFailure(Ctx& c, const InformationDownload::Result& r) {
    switch (r.outcome) {
    case InformationDownload::Outcome::NotConnected:
        return kExitNoDetector;
    case InformationDownload::Outcome::Cancelled:
        return Interrupted(c);
    default:
        if (!r.FailLine.isEmpty())
            c.result.insert(QStringLiteral("failLine"), r.FailLine);
        c.lastError = LoadMessage(kMsgDownloadFailed);
        return kExitFailed;
    }
}

// --- ports ----------------------------------------------------------------------

int CmdPorts(Ctx& c) {
    uint16_t vendor = 0;
    uint16_t product = 0;
    ParseUsbIdSearchText(QStringLiteral("VID_10C4&PID_EA60"), &vendor, &product);
    QJsonArray list;
    QStringList lines;
    for (const SerialPortRecord& port : AvailableSerialPorts()) {
        const bool adapter = port.hasIds && port.vendorId == vendor && port.productId == product;
        QJsonObject o;
        o.insert(QStringLiteral("name"), port.portName);
        o.insert(QStringLiteral("location"), port.systemLocation);
        o.insert(
            QStringLiteral("vendorId"),
            port.hasIds
                ? QJsonValue(
                      QStringLiteral("%1").arg(port.vendorId, 4, 16, QLatin1Char('0')).toUpper())
                : QJsonValue());
        o.insert(
            QStringLiteral("productId"),
            port.hasIds
                ? QJsonValue(
                      QStringLiteral("%1").arg(port.productId, 4, 16, QLatin1Char('0')).toUpper())
                : QJsonValue());
        o.insert(QStringLiteral("adapter"), adapter);
        list.append(o);
        QString text = port.systemLocation;
        if (port.hasIds)
            text += QStringLiteral("  %1:%2").arg(o.value(QStringLiteral("vendorId")).toString(),
                                                  o.value(QStringLiteral("productId")).toString());
        if (adapter)
            text += QStringLiteral("  ") + LoadMessage(kMsgAdapterMark);
        lines << text;
    }
    c.result.insert(QStringLiteral("ports"), list);
    if (lines.isEmpty()) {
        c.out(LoadMessage(kMsgNoSerialPorts));
    } else {
        c.out(LoadMessage(kMsgSerialPortsHeading));
        for (const QString& l : lines)
            c.out(QStringLiteral("  ") + l);
    }
    return kExitDone;
}

// --- read -------------------------------------------------------------------------

bool CheckSuffix(Ctx& c) {
    if (c.inv.historyGiven && !IsValidHistorySuffix(c.inv.historySuffix)) {
        c.error(LoadMessage(kMsgBadFileNameCharacter));
        return false;
    }
    return true;
}

bool AppendHistory(Ctx& c, CliSession& s, HistoryAction action) {
    if (!c.inv.historyGiven)
        return true;
    QString error;
    if (!AppendHistoryLine(s.startFolder(), c.inv.historySuffix, s.record(), action,
                           QDateTime::currentDateTime(), &error)) {
        c.error(LoadMessage(kMsgCannotWriteFile, {HistoryFileName(c.inv.historySuffix), error}));
        return false;
    }
    const QString path = QDir(s.startFolder()).filePath(HistoryFileName(c.inv.historySuffix));
    c.info(LoadMessage(kMsgHistoryAppended, {path}));
    c.result.insert(QStringLiteral("historyFile"), path);
    return true;
}

int CmdRead(Ctx& c, CliSession& s) {
    if (!CheckSuffix(c))
        return kExitUsage;
    if (const int status = Connect(c, s); status != kExitDone)
        return status;

    const InformationDownload::Result r = Download(c, s, true);
    if (r.DateMismatch)
        c.line(LoadMessage(kMsgDateMismatch), Console::kRed);
    if (!r.Success())
        return DownloadFailure(c, r);
    if (!r.HistoryRead || !r.BumpHistoryRead)
        c.line(LoadMessage(kMsgHistoryReadFailed), Console::kRed);

    const QDateTime now = QDateTime::currentDateTime();
    c.result.insert(QStringLiteral("record"), RecordToJson(s.record(), now));
    c.result.insert(QStringLiteral("historyRead"), r.HistoryRead && r.BumpHistoryRead);
    c.result.insert(QStringLiteral("dateMismatch"), r.DateMismatch);
    c.result.insert(QStringLiteral("analogValues"), QJsonArray::fromStringList(r.AnalogLines));

    if (!c.inv.seqFile.isEmpty()) {
        const QString path = c.absolute(c.inv.seqFile);
        const SettingsFile::FileResult stored = SettingsFile::StoreSettingsFile(path, s.record());
        if (!stored.ok) {
            c.error(stored.Describe());
            return kExitFailed;
        }
        c.info(LoadMessage(kMsgSettingsFileStored, {path}));
        c.result.insert(QStringLiteral("settingsFile"), path);
    }
    if (!AppendHistory(c, s, HistoryAction::Read))
        return kExitFailed;

    if (!c.json())
        c.out(RecordSummary(s.record(), now, r.AnalogLines));
    return kExitDone;
}

// --- write ------------------------------------------------------------------------

// The pre-write check that refused the record, in the tool's words.
void ReportCheck(Ctx& c, const WriteCheckResult& check) {
    QString text = check.titleText() + QStringLiteral(": ") + check.messageText();
    if (check.channel >= 0)
        text += QLatin1Char(' ') + LoadMessage(kMsgCheckFailedChannel, {check.channel});
    c.console.error(LoadMessage(kMsgWriteRefused));
    c.error(text);
    c.result.insert(QStringLiteral("check"), Console::Tidy(check.messageText()));
    if (check.channel >= 0)
        c.result.insert(QStringLiteral("checkChannel"), check.channel);
}

// Commands of a whole write (every setting flagged), for the progress bar.
int FullWriteSize() {
    clsInstrument all;
    all.SetChangeFlags(true, false);
    return PendingWriteCommands(all).size();
}

int CmdWrite(Ctx& c, CliSession& s) {
    if (!CheckSuffix(c))
        return kExitUsage;
    WriteFromFile::Options options;
    options.Path = c.absolute(c.inv.file);
    options.IdentityOnly = c.inv.id;
    options.ChannelLocked = s.lockedChannels();
    options.SerialNo = c.inv.serialNo;
    options.StationId = c.inv.stationId;
    options.UserId = c.inv.userId;
    options.AppendHistory = c.inv.historyGiven;
    options.HistoryFolder = s.startFolder();
    options.HistorySuffix = c.inv.historySuffix;
    c.result.insert(QStringLiteral("file"), options.Path);

    // The file is read (and a complete one checked) before anything is
    // opened: a bad file or a refused record ends the command with nothing
    // sent.
    const WriteFromFile::Prepared prepared = WriteFromFile::Prepare(options);
    if (!prepared.Loaded()) {
        c.error(prepared.Load.Describe());
        return kExitUsage;
    }
    c.result.insert(QStringLiteral("readFirst"), prepared.ReadFirst);
    c.result.insert(QStringLiteral("missingLines"),
                    QJsonArray::fromStringList(prepared.MissingLines));
    c.result.insert(QStringLiteral("identityOnly"), c.inv.id);
    if (!prepared.Check.passed()) {
        ReportCheck(c, prepared.Check);
        return kExitFailed;
    }

    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    if (prepared.ReadFirst)
        c.info(c.inv.id ? LoadMessage(kMsgReadFirstForId)
                        : LoadMessage(kMsgPartialFileReadFirst, {options.Path}));

    WriteFromFile::Result r;
    {
        const int total = (prepared.ReadFirst ? ReadTableSize() + FullWriteSize()
                                              : PendingWriteCommands(prepared.Record).size()) +
                          4;
        CommandCounter counter(c, s.link(), LoadMessage(kMsgNowUploading), total);
        r = WriteFromFile::Run(s.link(), s.record(), prepared, ConsoleReport(c));
    }
    if (r.ReadRan && !r.Read.Success())
        return DownloadFailure(c, r.Read);
    if (r.ReadRan && !r.Reload.ok) {
        c.error(r.Reload.Describe());
        return kExitUsage;
    }
    if (!r.Check.passed()) {
        ReportCheck(c, r.Check);
        return kExitFailed;
    }
    c.result.insert(QStringLiteral("commands"), r.Write.Commands);
    if (!r.Success()) {
        if (s.interrupted())
            return Interrupted(c);
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    if (c.inv.historyGiven) {
        if (!r.Write.HistoryError.isEmpty()) {
            c.error(LoadMessage(kMsgCannotWriteFile,
                                {HistoryFileName(c.inv.historySuffix), r.Write.HistoryError}));
            return kExitFailed;
        }
        c.info(LoadMessage(kMsgHistoryAppended, {r.Write.HistoryPath}));
        c.result.insert(QStringLiteral("historyFile"), r.Write.HistoryPath);
    }
    c.out(LoadMessage(kMsgUploadCompleteNotice));
    c.out(LoadMessage(kMsgWrittenCommands, {r.Write.Commands}));
    return kExitDone;
}

// --- clock ------------------------------------------------------------------------

bool ReadClock(CliSession& s) {
    s.link().setInstrument(&s.record());
    return s.link().SendAndWait(CommandSet::ReadCommand(QStringLiteral("HC")),
                                kStatusAwaitingRead) == LinkResult::Done;
}

int CmdClock(Ctx& c, CliSession& s) {
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    if (c.inv.set) {
        // "Date/Time Set".
        s.record().setSysDateOffset(0);
        s.link().AddLog(LoadMessage(kMsgUploadSequenceStart, {s.dateText()}));
        c.line(LoadMessage(kMsgUploadStart), Console::kGreen);
        const bool set = s.link().SetDateTime(QDateTime::currentDateTime());
        c.line(LoadMessage(kMsgUploadComplete), Console::kGreen);
        c.result.insert(QStringLiteral("set"), set);
        if (!set) {
            c.error(LoadMessage(kMsgClockSetFailed));
            return kExitFailed;
        }
    }
    if (!ReadClock(s)) {
        if (s.interrupted())
            return Interrupted(c);
        if (s.record().FailLine().startsWith(QLatin1String("HC")))
            c.line(LoadMessage(kMsgDetectorDateInvalid), Console::kRed);
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QJsonObject clock = ClockToJson(s.record(), now);
    c.result.insert(QStringLiteral("clock"), clock);
    if (clock.value(QStringLiteral("mismatch")).toBool())
        c.line(LoadMessage(kMsgDateMismatch), Console::kRed);
    c.out(ClockSummary(s.record(), now));
    return kExitDone;
}

// --- history ----------------------------------------------------------------------

int CmdHistory(Ctx& c, CliSession& s) {
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    clsInstrument& r = s.record();
    const bool ok = s.link().GetGasInfo(&r) && s.link().GetLatestHistory(&r) &&
                    s.link().GetLatestBumpHistory(&r);
    if (!ok) {
        if (s.interrupted())
            return Interrupted(c);
        c.error(LoadMessage(kMsgHistoryReadFailed));
        return kExitFailed;
    }
    QJsonArray channels;
    for (int ch = 0; ch < 5; ++ch) {
        QJsonObject o = ChannelHistoryToJson(r, ch);
        o.insert(QStringLiteral("channel"), ch);
        o.insert(QStringLiteral("enabled"), r.GasEnabled(ch));
        o.insert(QStringLiteral("name"), r.GasName(ch).trimmed());
        channels.append(o);
    }
    c.result.insert(QStringLiteral("channels"), channels);
    c.out(HistorySummary(r));
    return kExitDone;
}

// --- readings ---------------------------------------------------------------------

int CmdReadings(Ctx& c, CliSession& s) {
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    clsInstrument& r = s.record();
    if (!s.link().GetGasInfo(&r)) {
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    QList<std::array<float, 5>> readings;
    const QMetaObject::Connection conn = QObject::connect(
        &s.link(), &uclTqif::Densty, [&readings](float v0, float v1, float v2, float v3, float v4) {
            readings.append({v0, v1, v2, v3, v4});
        });
    c.out(ReadingsHeader(r));
    // A reading is due every second; give up when none arrives within the
    // time a command may take with all its repetitions.
    const qint64 limitMs = qint64(s.link().Timeout()) * (s.link().Retry() + 1) * 1000 + 2000;
    s.link().setRunDensty(true);
    int shown = 0;
    while (readings.size() < c.inv.count && !s.interrupted()) {
        const int before = readings.size();
        s.idleWhile([&] { return readings.size() == before; }, limitMs);
        for (; shown < readings.size() && shown < c.inv.count; ++shown)
            c.out(ReadingsLine(r, readings.at(shown)));
        if (readings.size() == before)
            break;
    }
    s.link().setRunDensty(false);
    QObject::disconnect(conn);

    QJsonArray list;
    for (int i = 0; i < readings.size() && i < c.inv.count; ++i) {
        QJsonArray values;
        for (float v : readings.at(i))
            values.append(ValueJson(v));
        list.append(values);
    }
    QJsonArray names;
    for (int ch = 0; ch < 5; ++ch)
        names.append(r.GasEnabled(ch) ? QJsonValue(r.GasName(ch).trimmed()) : QJsonValue());
    c.result.insert(QStringLiteral("channels"), names);
    c.result.insert(QStringLiteral("readings"), list);
    if (s.interrupted())
        return Interrupted(c);
    if (readings.size() < c.inv.count) {
        c.error(LoadMessage(kMsgNoReading));
        return kExitFailed;
    }
    return kExitDone;
}

// --- zero and span ----------------------------------------------------------------

// Gas information and span gas values of the detector, as the calibration
// window reads them when it opens; a channel takes part when it is on and
// has a span gas value. The span-gas rule needs the channels' alarm points:
// those are the detector's own, read here rather than assumed.
bool ReadCalibrationInfo(Ctx& c, CliSession& s, CalibrationRun::Channels* calEnable,
                         bool alarmPoints = false) {
    if (CalibrationRun::ReadInfo(s.link(), s.record(), alarmPoints, calEnable) == LinkResult::Done)
        return true;
    c.error(LoadMessage(kMsgCommandFailed));
    return false;
}

// Reports the channels of a run in the calibration window's words; false
// when a reported channel failed.
bool ReportCalibration(Ctx& c, const clsInstrument& r, const CalibrationRun::Channels& reported,
                       const CalibrationRun::Result& run) {
    QJsonArray channels;
    bool all = true;
    for (int ch = 0; ch < 5; ++ch) {
        QJsonObject o;
        o.insert(QStringLiteral("channel"), ch);
        o.insert(QStringLiteral("name"), r.GasName(ch).trimmed());
        o.insert(QStringLiteral("calibrated"), reported[size_t(ch)]);
        const bool ok = reported[size_t(ch)] && run.Status[size_t(ch)];
        o.insert(QStringLiteral("ok"), ok);
        channels.append(o);
        if (!reported[size_t(ch)])
            continue;
        all = all && ok;
        c.out(CalibrationLine(r, ch, ok));
    }
    c.result.insert(QStringLiteral("result"), run.ResultText);
    c.result.insert(QStringLiteral("channels"), channels);
    return all;
}

// The report of a calibration run: its progress texts as progress lines.
workflows::Report CalibrationReport(Ctx& c) {
    workflows::Report report = ConsoleReport(c);
    report.progress = [&c](const QString& text) { c.info(text); };
    return report;
}

int CmdZero(Ctx& c, CliSession& s) {
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    CalibrationRun::Channels calEnable{};
    if (!ReadCalibrationInfo(c, s, &calEnable))
        return kExitFailed;
    uclTqif& link = s.link();
    link.SetPump(true);
    CalibrationRun::Options options;
    options.RestartReadings = false;
    const CalibrationRun::Result run = CalibrationRun::Zero(link, options, CalibrationReport(c));
    link.SetPump(false);
    if (!run.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    if (!ReportCalibration(c, s.record(), calEnable, run)) {
        c.error(LoadMessage(kMsgCalibrationFailedChannels));
        return kExitFailed;
    }
    return kExitDone;
}

int CmdSpan(Ctx& c, CliSession& s) {
    // --channels and --conc are checked before anything is opened.
    const QString flags = c.inv.channels;
    bool flagsOk = flags.size() == 5 && flags.contains(QLatin1Char('1'));
    for (const QChar ch : flags)
        flagsOk = flagsOk && (ch == QLatin1Char('0') || ch == QLatin1Char('1'));
    if (!flagsOk) {
        c.error(LoadMessage(kMsgBadChannelFlags));
        return kExitUsage;
    }
    std::array<bool, 5> selected{};
    for (int ch = 0; ch < 5; ++ch)
        selected[size_t(ch)] = flags.at(ch) == QLatin1Char('1');
    std::array<bool, 5> given{};
    std::array<double, 5> values{};
    if (!c.inv.concentrations.isEmpty()) {
        const QStringList parts = c.inv.concentrations.split(QLatin1Char(','));
        if (parts.size() != 5) {
            c.error(LoadMessage(kMsgBadConcentrations));
            return kExitUsage;
        }
        for (int ch = 0; ch < 5; ++ch) {
            const QString part = parts.at(ch).trimmed();
            if (part.isEmpty() || part == QLatin1String("*"))
                continue;
            // A value for a channel that is not calibrated is a mistake.
            if (!selected[size_t(ch)] || !ParseNumericText(part, &values[size_t(ch)])) {
                c.error(LoadMessage(kMsgBadConcentrations));
                return kExitUsage;
            }
            given[size_t(ch)] = true;
        }
    }

    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    CalibrationRun::Channels calEnable{};
    if (!ReadCalibrationInfo(c, s, &calEnable, true))
        return kExitFailed;
    clsInstrument& r = s.record();

    // The calibration window's rules for a span gas value: within the full
    // scale, reaching the alarm point, taken to the channel's resolution.
    const QStringList texts = c.inv.concentrations.split(QLatin1Char(','));
    for (int ch = 0; ch < 5; ++ch) {
        if (!selected[size_t(ch)])
            continue;
        if (!calEnable[size_t(ch)]) {
            c.error(LoadMessage(kMsgChannelNotCalibratable, {ch}));
            return kExitUsage;
        }
        if (!given[size_t(ch)])
            continue;
        const SpanConcentration value =
            ParseSpanConcentration(r, ch, QString::number(values[size_t(ch)], 'g', 9));
        if (!value.accepted) {
            c.error(LoadMessage(kMsgConcentrationOutOfRange, {texts.at(ch).trimmed(), ch}));
            return kExitUsage;
        }
        r.setAutoCalib(ch, value.value);
    }
    c.result.insert(QStringLiteral("request"), CalibrationRun::SpanCommandText(r, selected));

    uclTqif& link = s.link();
    link.SetPump(true);
    CalibrationRun::Options options;
    options.RestartReadings = false;
    const CalibrationRun::Result run =
        CalibrationRun::Span(link, r, selected, &r, options, CalibrationReport(c));
    link.SetPump(false);
    if (!run.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    if (!ReportCalibration(c, r, selected, run)) {
        c.error(LoadMessage(kMsgCalibrationFailedChannels));
        return kExitFailed;
    }
    return kExitDone;
}

// --- maintenance ------------------------------------------------------------------

int RunMaintenance(Ctx& c, CliSession& s, MaintenanceCommand::Kind kind) {
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    const MaintenanceCommand::Result r =
        MaintenanceCommand::Run(s.link(), s.record(), kind, ConsoleReport(c));
    if (!r.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    c.out(r.DoneText);
    return kExitDone;
}

// "Download Logger Data" into `path`: the identity first, then the image,
// with one more try from the first missing block after a time-out.
bool DownloadLogger(Ctx& c, CliSession& s, const QString& path) {
    uclTqif& link = s.link();
    c.line(LoadMessage(kMsgLoggerDataDownload), Console::kGreen);
    link.AddLog(LoadMessage(kMsgTrendDownloadSequenceStart, {s.dateText()}));
    c.console.beginProgress(LoadMessage(kMsgDownload), kLastImageBlock + 1);
    const QMetaObject::Connection conn =
        QObject::connect(&link, &uclTqif::DumpMessage, [&c](const QString& text) {
            bool isBlock = false;
            const int block = text.section(QLatin1Char(' '), -1).toInt(&isBlock, 16);
            if (text.startsWith(QLatin1String("Get FLASH Image ")) && isBlock)
                c.console.setProgress(block + 1);
        });
    int first = 0;
    bool retried = false;
    bool ok = false;
    for (;;) {
        if (!link.GetRomNo(&s.record()))
            break;
        link.setBinaryRetry(false);
        ok = link.GetBinDump(path, first, kLastImageBlock);
        if (ok || s.interrupted())
            break;
        if (link.BinaryRetry() && !retried) {
            retried = true;
            c.info(LoadMessage(kMsgOneMoreTime));
            first = qBound(0, link.BinDumpNextBlock(), kLastImageBlock);
            continue;
        }
        break;
    }
    QObject::disconnect(conn);
    c.console.endProgress();
    if (!ok) {
        c.line(s.interrupted() ? LoadMessage(kMsgCommunicationCanceled)
                               : LoadMessage(kMsgDataDownloadFailed),
               Console::kRed);
        return false;
    }
    return true;
}

// Checks that `path` can be created: its folder exists and it is no folder.
bool CheckOutputFile(Ctx& c, const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() || !info.dir().exists()) {
        c.error(LoadMessage(
            kMsgCannotWriteFile,
            {path, info.isDir() ? QStringLiteral("a folder") : QStringLiteral("no such folder")}));
        return false;
    }
    return true;
}

int CmdLogger(Ctx& c, CliSession& s) {
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    c.result.insert(QStringLiteral("file"), path);
    if (!DownloadLogger(c, s, path))
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    c.out(LoadMessage(kMsgLoggerImageWritten, {path}));
    return kExitDone;
}

int CmdDumpList(Ctx& c, CliSession& s) {
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    uclTqif& link = s.link();
    c.result.insert(QStringLiteral("file"), path);
    c.line(LoadMessage(kMsgDumpListStart), kBrown);
    const qint64 start = link.clock()->elapsedMs();
    link.AddLog(LoadMessage(kMsgDumpListSequenceStarted, {s.dateText()}));
    c.console.beginProgress(LoadMessage(kMsgDataDownloadNow), 0);
    int blocks = 0;
    const QMetaObject::Connection conn =
        QObject::connect(&link, &uclTqif::DumpMessage, [&c, &blocks](const QString& text) {
            c.console.setProgress(++blocks, text);
        });
    const bool ok = link.GetRomDump2(path);
    QObject::disconnect(conn);
    c.console.endProgress();
    link.AddLog(LoadMessage(
        kMsgDumpListSequenceFinished,
        {s.dateText(), InformationDownload::ElapsedText(link.clock()->elapsedMs() - start)}));
    c.line(LoadMessage(kMsgDumpListFinished), kBrown);
    if (!ok) {
        if (s.interrupted())
            return Interrupted(c);
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    c.out(LoadMessage(kMsgDumpListWritten, {path}));
    return kExitDone;
}

// Reads a whole image of the expected size; empty when it cannot.
QByteArray ReadImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != 524288)
        return QByteArray();
    return file.readAll();
}

int CmdFlashCheck(Ctx& c, CliSession& s) {
    // The reference is checked before the detector's memory is cleared.
    const QString reference =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kReferenceImageName));
    const QByteArray expected = ReadImage(reference);
    if (expected.isEmpty()) {
        c.error(LoadMessage(kMsgReferenceMissing, {reference}));
        return kExitFailed;
    }
    const QString image = QDir(s.startFolder()).filePath(QLatin1String(kLoggerImageName));
    if (const int status = Connect(c, s); status != kExitDone)
        return status;
    uclTqif& link = s.link();
    c.result.insert(QStringLiteral("image"), image);
    c.result.insert(QStringLiteral("reference"), reference);

    // The fixed English texts of the window's failure boxes.
    auto clearBoth = [&]() -> int {
        if (!link.BodyDataClear()) {
            c.error(QStringLiteral("Clear log data failed"));
            return kExitFailed;
        }
        c.line(LoadMessage(kMsgDataRemovalComplete), Console::kGreen);
        if (!link.PowerDataClear()) {
            c.error(QStringLiteral("Clear power log failed"));
            return kExitFailed;
        }
        c.line(LoadMessage(kMsgClearPowerAreaComplete), Console::kGreen);
        return kExitDone;
    };
    if (const int status = clearBoth(); status != kExitDone)
        return s.interrupted() ? Interrupted(c) : status;
    if (!link.SetCheckData()) {
        c.error(QStringLiteral("Write check data failed"));
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    }
    c.line(LoadMessage(kMsgWriteDummyDataComplete), Console::kGreen);
    if (!DownloadLogger(c, s, image))
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    if (const int status = clearBoth(); status != kExitDone)
        return s.interrupted() ? Interrupted(c) : status;

    // 512 blocks of 1024 bytes, byte by byte.
    const QByteArray got = ReadImage(image);
    qint64 difference = got.size() == expected.size() ? -1 : 0;
    for (qint64 i = 0; difference < 0 && i < got.size(); ++i)
        if (got.at(i) != expected.at(i))
            difference = i;
    const bool same = difference < 0;
    const QString verdict = same ? QStringLiteral("OK") : QStringLiteral("NG");
    c.result.insert(QStringLiteral("result"), verdict);
    c.result.insert(QStringLiteral("firstDifference"),
                    same ? QJsonValue() : QJsonValue(double(difference)));
    if (same) {
        c.out(LoadMessage(kMsgFlashCheckResult, {verdict}));
        return kExitDone;
    }
    c.line(LoadMessage(kMsgFlashCheckResult, {verdict}), Console::kRed);
    c.out(LoadMessage(kMsgFlashCheckResult, {verdict}));
    return kExitFailed;
}

// The question the window asks before a command that changes the detector.
QString ConfirmationQuestion(Command command) {
    switch (command) {
    case Command::Default:
        return LoadMessage(kMsgDefaultReady);
    case Command::ClearLogger:
        return LoadMessage(kMsgDataClearReady);
    case Command::ClearPower:
        return QStringLiteral("Clear Power Log ?");
    case Command::PowerOff:
        return LoadMessage(kMsgPowerOffReady);
    case Command::FlashCheck:
        return LoadMessage(kMsgFlashCheckQuestion);
    default:
        return QString();
    }
}

int Dispatch(Ctx& c, CliSession& s) {
    switch (c.inv.command) {
    case Command::Read:
        return CmdRead(c, s);
    case Command::Write:
        return CmdWrite(c, s);
    case Command::Clock:
        return CmdClock(c, s);
    case Command::History:
        return CmdHistory(c, s);
    case Command::Readings:
        return CmdReadings(c, s);
    case Command::Zero:
        return CmdZero(c, s);
    case Command::Span:
        return CmdSpan(c, s);
    case Command::Default:
        return RunMaintenance(c, s, MaintenanceCommand::Kind::Default);
    case Command::ClearLogger:
        return RunMaintenance(c, s, MaintenanceCommand::Kind::ClearLogger);
    case Command::ClearPower:
        return RunMaintenance(c, s, MaintenanceCommand::Kind::ClearPower);
    case Command::PowerOff:
        return RunMaintenance(c, s, MaintenanceCommand::Kind::PowerOff);
    case Command::FlashCheck:
        return CmdFlashCheck(c, s);
    case Command::Logger:
        return CmdLogger(c, s);
    case Command::DumpList:
        return CmdDumpList(c, s);
    default:
        return kExitUsage;
    }
}

} // namespace

int RunInvocation(const Invocation& inv, Console& console) {
    Ctx c{inv, console, {}, {}};
    int status = kExitDone;
    if (inv.command == Command::Help) {
        console.out(LoadMessage(kMsgUsage));
        return kExitDone;
    }
    if (NeedsConfirmation(inv.command) && !inv.yes) {
        c.error(ConfirmationQuestion(inv.command));
        c.error(LoadMessage(kMsgNeedsYes, {inv.commandName}));
        status = kExitUsage;
    } else if (inv.command == Command::Ports) {
        status = CmdPorts(c);
    } else {
        CliSession session(inv, console);
        status = Dispatch(c, session);
        session.close();
    }
    if (inv.json) {
        QJsonObject o = c.result;
        o.insert(QStringLiteral("command"), inv.commandName);
        o.insert(QStringLiteral("ok"), status == kExitDone);
        o.insert(QStringLiteral("exitStatus"), status);
        if (status != kExitDone)
            o.insert(QStringLiteral("error"), c.lastError);
        console.outRaw(QJsonDocument(o).toJson(QJsonDocument::Indented));
    }
    return status;
}

} // namespace cli
