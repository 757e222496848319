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
#include "records/SettingsHistory.h"

#include <QDir>
#include <QJsonArray>

namespace cli {

namespace {

// What the window shows when no detector answers before "Instrument
// Information".
constexpr NoAnswerTexts kNoAnswerInformation{kMsgDownloadNoResponse,
                                             kMsgDownloadSequenceNoResponse};

// --history: the "Read" line of the settings history.
bool AppendHistory(CommandContext& c, CliSession& s, HistoryAction action) {
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

} // namespace

int RunRead(CommandContext& c) {
    CliSession& s = c.session();
    if (!CheckSuffix(c))
        return kExitUsage;
    if (const int status = Connect(c, kNoAnswerInformation); status != kExitDone)
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

} // namespace cli
