// logger: "Download Logger Data" into a file, through the LoggerDownload
// workflow.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "workflows/LoggerDownload.h"

namespace cli {

namespace {

// What the window shows when no detector answers before a logger download.
constexpr NoAnswerTexts kNoAnswerLogger{kMsgTrendDownloadNoResponse,
                                        kMsgTrendDownloadSequenceNoResponse};

} // namespace

int RunLogger(CommandContext& c) {
    CliSession& s = c.session();
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c, kNoAnswerLogger); status != kExitDone)
        return status;
    c.result.insert(QStringLiteral("file"), path);

    LoggerDownload::Options options;
    options.ImagePath = path;
    options.Cancelled = [&s] { return s.interrupted(); };
    LoggerDownload::Result r;
    {
        StepProgress progress(c, LoadMessage(kMsgDownload));
        r = LoggerDownload::Run(s.link(), options, progress.report());
    }
    c.result.insert(QStringLiteral("retries"), r.Retries);
    if (!r.Success())
        return r.outcome == LoggerDownload::Outcome::Cancelled ? Interrupted(c) : kExitFailed;
    c.out(LoadMessage(kMsgLoggerImageWritten, {path}));
    return kExitDone;
}

} // namespace cli
