#include "cli/commands/LoggerDownload.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "link/uclTqif.h"

namespace cli {

// "Download Logger Data" into `path`: the identity first, then the image,
// with one more try from the first missing block after a time-out.
bool DownloadLogger(CommandContext& c, CliSession& s, const QString& path) {
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

} // namespace cli
