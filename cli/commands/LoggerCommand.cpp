// logger: "Download Logger Data" into a file.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/commands/LoggerDownload.h"

namespace cli {

int RunLogger(CommandContext& c) {
    CliSession& s = c.session();
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c, kNoAnswerTrend); status != kExitDone)
        return status;
    c.result.insert(QStringLiteral("file"), path);
    if (!DownloadLogger(c, s, path))
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    c.out(LoadMessage(kMsgLoggerImageWritten, {path}));
    return kExitDone;
}

} // namespace cli
