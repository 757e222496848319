// write: a settings file to the detector, as "Load local file" and "Update"
// (or "Update ID") do, through the WriteFromFile workflow; with --dry-run
// only what the write would change.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "link/WriteSequence.h"
#include "model/clsInstrument.h"
#include "records/SettingsHistory.h"
#include "records/WriteChecks.h"
#include "workflows/WriteFromFile.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>

namespace cli {

namespace {

// The pre-write check that refused the record, in the tool's words: what it
// found (the channel, the points, the rule) rather than the window's "red
// color cells".
void ReportCheck(CommandContext& c, const clsInstrument& record, const WriteCheckResult& check) {
    const QStringList details = CheckDetails(record, check);
    c.console.error(LoadMessage(kMsgWriteRefused));
    c.console.error(check.titleText());
    for (int i = 0; i + 1 < details.size(); ++i)
        c.console.error(details.at(i));
    c.error(details.isEmpty() ? check.messageText() : details.last());
    c.result.insert(QStringLiteral("check"), Console::Tidy(check.messageText()));
    c.result.insert(QStringLiteral("checkDetails"), QJsonArray::fromStringList(details));
    if (check.channel >= 0)
        c.result.insert(QStringLiteral("checkChannel"), check.channel);
}

// Lines of the file that were skipped, each with its number.
void ReportWarnings(CommandContext& c, const SettingsFile::FileResult& load) {
    const QStringList warnings = load.DescribeWarnings();
    for (const QString& w : warnings)
        c.console.error(LoadMessage(kMsgFileWarning, {w}));
    if (!warnings.isEmpty())
        c.result.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
}

// Commands of a whole write (every setting flagged), for the progress bar.
int FullWriteSize() {
    clsInstrument all;
    all.SetChangeFlags(true, false);
    return PendingWriteCommands(all).size();
}

// --dry-run: what the write would change against the detector as it was
// just read, the same list the window shows with its question.
int ReportDryRun(CommandContext& c, const WriteFromFile::Result& r) {
    const WritePreview::Preview& preview = r.Preview;
    QJsonArray items;
    for (const WritePreview::Item& item : preview.Items) {
        QJsonObject o;
        o.insert(QStringLiteral("setting"), item.Key);
        o.insert(QStringLiteral("index"), item.Index);
        o.insert(QStringLiteral("label"), item.Label);
        o.insert(QStringLiteral("old"), item.Old);
        o.insert(QStringLiteral("new"), item.New);
        items.append(o);
    }
    c.result.insert(QStringLiteral("preview"), items);
    c.result.insert(QStringLiteral("commands"), preview.Commands);
    c.out(WritePreview::Heading(preview, r.DetectorSerialNo, QDateTime::currentDateTime()));
    for (const QString& line : preview.Lines())
        c.out(QStringLiteral("  ") + line);
    c.out(LoadMessage(kMsgDryRunCommands, {preview.Commands}));
    return kExitDone;
}

} // namespace

int RunWrite(CommandContext& c) {
    CliSession& s = c.session();
    if (!CheckSuffix(c))
        return kExitUsage;
    WriteFromFile::Options options;
    options.Path = c.absolute(c.inv.file);
    options.IdentityOnly = c.inv.id;
    options.ChannelLocked = s.lockedChannels();
    options.SerialNo = c.inv.serialNo;
    options.StationId = c.inv.stationId;
    options.UserId = c.inv.userId;
    // A dry run writes nothing, not even a history line.
    options.AppendHistory = c.inv.historyGiven && !c.inv.dryRun;
    options.DryRun = c.inv.dryRun;
    options.Verify = !c.inv.noVerify;
    options.HistoryFolder = s.startFolder();
    options.HistorySuffix = c.inv.historySuffix;
    c.result.insert(QStringLiteral("file"), options.Path);

    // The file is read (and a complete one checked) before anything is
    // opened: a bad file or a refused record ends the command with nothing
    // sent.
    const WriteFromFile::Prepared prepared = WriteFromFile::Prepare(options);
    ReportWarnings(c, prepared.Load);
    if (!prepared.Loaded()) {
        c.error(prepared.Load.Describe());
        return kExitUsage;
    }
    c.result.insert(QStringLiteral("readFirst"), prepared.ReadFirst);
    c.result.insert(QStringLiteral("missingLines"),
                    QJsonArray::fromStringList(prepared.MissingLines));
    c.result.insert(QStringLiteral("identityOnly"), c.inv.id);
    c.result.insert(QStringLiteral("dryRun"), c.inv.dryRun);
    if (!prepared.Check.passed()) {
        ReportCheck(c, prepared.Record, prepared.Check);
        return kExitFailed;
    }

    if (const int status = Connect(c); status != kExitDone)
        return status;
    if (prepared.ReadFirst)
        c.info(c.inv.id ? LoadMessage(kMsgReadFirstForId)
                        : LoadMessage(kMsgPartialFileReadFirst, {options.Path}));

    WriteFromFile::Result r;
    {
        const int total =
            c.inv.dryRun ? ReadTableSize()
                         : (prepared.ReadFirst ? ReadTableSize() + FullWriteSize()
                                               : PendingWriteCommands(prepared.Record).size()) +
                               4;
        CommandCounter counter(c, s.link(), LoadMessage(kMsgNowUploading), total);
        r = WriteFromFile::Run(s.link(), s.record(), prepared, ConsoleReport(c));
    }
    if (r.ReadRan && !r.Read.Success())
        return DownloadFailure(c, r.Read);
    if (r.ReadRan && prepared.ReadFirst && !r.Reload.ok) {
        c.error(r.Reload.Describe());
        return kExitUsage;
    }
    if (!r.Check.passed()) {
        ReportCheck(c, s.record(), r.Check);
        return kExitFailed;
    }
    if (c.inv.dryRun)
        return ReportDryRun(c, r);
    c.result.insert(QStringLiteral("commands"), r.Write.Commands);
    c.result.insert(QStringLiteral("verified"), r.Write.Verified);
    if (!r.Success()) {
        c.result.insert(QStringLiteral("failures"),
                        QJsonArray::fromStringList(r.Write.FailureLines));
        c.result.insert(QStringLiteral("differences"),
                        QJsonArray::fromStringList(r.Write.Differences));
        c.result.insert(QStringLiteral("restored"), r.Write.Restored);
        c.result.insert(QStringLiteral("unfinished"), r.Write.Unfinished);
        // The error names the specific cause: the first thing that went wrong.
        if (!r.Write.FailureLines.isEmpty())
            c.lastError = Console::Tidy(r.Write.FailureLines.first());
        else if (s.interrupted())
            return Interrupted(c);
        else
            c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    RecordEvent(c, RegisterEvents::FromWrite(c.inv.id ? WriteSettings::Mode::UpdateId
                                                      : WriteSettings::Mode::Update,
                                             r.Write));
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

} // namespace cli
