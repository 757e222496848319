// read: "Instrument Information", with the settings file and the settings
// history on request.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/RecordJson.h"
#include "cli/RecordText.h"
#include "records/SettingsFile.h"
#include "workflows/InformationSave.h"

#include <QDir>
#include <QJsonArray>

namespace cli {

namespace {

// What the window shows when no detector answers before "Instrument
// Information".
constexpr NoAnswerTexts kNoAnswerInformation{kMsgDownloadNoResponse,
                                             kMsgDownloadSequenceNoResponse};

// The read, and with --history the "Read" line of the settings history
// (InformationSave: a suffix a file name cannot carry was refused before).
InformationSave::Result ReadAndSave(CommandContext& c, CliSession& s) {
    InformationSave::Options options;
    options.download.ChannelLocked = s.lockedChannels();
    options.Folder = s.startFolder();
    options.Suffix = c.inv.historySuffix;
    if (!c.inv.historyGiven) {
        InformationSave::Result r;
        r.download = Download(c, s, true);
        r.outcome = r.download.outcome;
        r.reason = r.download.reason;
        return r;
    }
    CommandCounter counter(c, s.link(), LoadMessage(kMsgNowDownloading), ReadTableSize() + 2);
    return InformationSave::Run(s.link(), s.record(), options, ConsoleReport(c));
}

} // namespace

int RunRead(CommandContext& c) {
    CliSession& s = c.session();
    if (!CheckSuffix(c))
        return kExitUsage;
    if (const int status = Connect(c, kNoAnswerInformation); status != kExitDone)
        return status;

    const InformationSave::Result saved = ReadAndSave(c, s);
    const InformationDownload::Result& r = saved.download;
    if (r.DateMismatch)
        c.line(LoadMessage(kMsgDateMismatch), Console::kRed);
    if (!r.Success())
        return DownloadFailure(c, r);
    RecordEvent(c, RegisterEvents::FromRead(s.record(), r));
    if (c.inv.historyGiven && !saved.Success())
        return kExitFailed;
    if (c.inv.historyGiven) {
        c.info(LoadMessage(kMsgHistoryAppended, {saved.HistoryPath}));
        c.result.insert(QStringLiteral("historyFile"), saved.HistoryPath);
    }
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

    if (!c.json())
        c.out(RecordSummary(s.record(), now, r.AnalogLines));
    return kExitDone;
}

} // namespace cli
