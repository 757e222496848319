// flash-check: "FLASH Check" through the FlashCheck workflow: clears the
// logger data and the power log, writes the check pattern, downloads the
// logger memory into "TQ7350.DAT" in the working folder and compares it with
// the reference image beside the program.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/DataPaths.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "model/clsInstrument.h"
#include "workflows/FlashCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonValue>

namespace cli {

namespace {

constexpr NoAnswerTexts kNoAnswerLogger{kMsgTrendDownloadNoResponse,
                                        kMsgTrendDownloadSequenceNoResponse};

} // namespace

int RunFlashCheck(CommandContext& c) {
    CliSession& s = c.session();
    FlashCheck::Options options;
    options.ReferencePath = FlashCheck::ReferenceImagePath(QCoreApplication::applicationDirPath());
    options.ImagePath =
        QDir(s.startFolder()).filePath(QString::fromLatin1(LoggerDownload::kImageFileName));
    options.Cancelled = [&s] { return s.interrupted(); };
    c.result.insert(QStringLiteral("image"), options.ImagePath);
    c.result.insert(QStringLiteral("reference"), options.ReferencePath);
    // Nothing to judge by: reported before anything is opened or sent.
    if (FlashCheck::ReadImage(options.ReferencePath).isEmpty()) {
        c.error(LoadMessage(kMsgFlashReferenceMissing, {options.ReferencePath}));
        return kExitFailed;
    }
    if (const int status = Connect(c, kNoAnswerLogger); status != kExitDone)
        return status;

    FlashCheck::Result r;
    {
        StepProgress progress(c, LoadMessage(kMsgDownload));
        r = FlashCheck::Run(s.link(), options, progress.report());
    }
    if (r.outcome == FlashCheck::Outcome::Cancelled)
        return Interrupted(c);
    if (r.verdict == FlashCheck::Verdict::None)
        return kExitFailed;
    // A verdict, OK or NG, is a result worth keeping.
    clsInstrument identity = s.record();
    if (c.recorder().enabled())
        RegisterEvents::Identify(s.link(), identity);
    RecordEvent(c, RegisterEvents::FromFlashCheck(identity, r));
    const bool ok = r.verdict == FlashCheck::Verdict::Ok;
    const QString verdict = ok ? QStringLiteral("OK") : QStringLiteral("NG");
    c.result.insert(QStringLiteral("result"), verdict);
    c.result.insert(QStringLiteral("firstDifference"),
                    ok ? QJsonValue() : QJsonValue(double(r.FirstDifference)));
    c.out(LoadMessage(kMsgFlashCheckResult, {verdict}));
    return ok ? kExitDone : kExitFailed;
}

} // namespace cli
