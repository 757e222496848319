// dump-list: "EEPROM Dump", the detector's memory dump list as a commented
// hexadecimal listing.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "link/uclTqif.h"
#include "workflows/InformationDownload.h"

namespace cli {

namespace {

// The log pane's brown of the dump list's lines.
constexpr int32_t kBrown = 128 + 256 * 32;

} // namespace

int RunDumpList(CommandContext& c) {
    CliSession& s = c.session();
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c); status != kExitDone)
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

} // namespace cli
