#include "workflows/FlashCheck.h"

#include "app/Catalogue.h"
#include "app/DataPaths.h"
#include "app/MessageIds.h"
#include "link/Dumps.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"

#include <QFile>

namespace FlashCheck {

namespace {

using workflows::Tone;

// One clearing or writing step: its link operation, its success line and
// its fixed failure text.
struct Step {
    bool (uclTqif::*operation)();
    int doneText;
    int failureText;
};

constexpr Step kClearLogger{&uclTqif::BodyDataClear, kMsgDataRemovalComplete,
                            kMsgClearLogDataFailed};
constexpr Step kClearPower{&uclTqif::PowerDataClear, kMsgClearPowerAreaComplete,
                           kMsgClearPowerLogFailed};
constexpr Step kWriteCheckData{&uclTqif::SetCheckData, kMsgWriteDummyDataComplete,
                               kMsgWriteCheckDataFailed};

} // namespace

QString ReferenceImagePath(const QString& programFolder) {
    return ProgramDataFile(QString::fromLatin1(kReferenceFileName), programFolder);
}

QByteArray ReadImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != Dumps::kImageBytes)
        return QByteArray();
    const QByteArray bytes = file.readAll();
    return bytes.size() == Dumps::kImageBytes ? bytes : QByteArray();
}

qint64 FirstDifference(const QByteArray& a, const QByteArray& b) {
    const qint64 n = qMin(a.size(), b.size());
    for (qint64 i = 0; i < n; ++i) {
        if (a.at(i) != b.at(i))
            return i;
    }
    return a.size() == b.size() ? -1 : n;
}

Result Run(uclTqif& link, const Options& options, const workflows::Report& report) {
    Result result;
    auto phase = [&options](Phase p) {
        if (options.PhaseChanged)
            options.PhaseChanged(p);
    };
    auto cancelled = [&options, &link] {
        return (options.Cancelled && options.Cancelled()) ||
               link.LastResult() == LinkResult::Cancelled;
    };
    auto referenceMissing = [&] {
        report.Line(LoadMessage(kMsgFlashReferenceMissing, {options.ReferencePath}), Tone::Failure);
        result.outcome = Outcome::Refused;
        return result;
    };

    // Nothing to judge by: the detector's memory is left alone.
    if (ReadImage(options.ReferencePath).isEmpty())
        return referenceMissing();
    if (!link.Connected()) {
        report.Line(LoadMessage(kMsgTrendDownloadNoResponse), Tone::Failure);
        link.AddLog(LoadMessage(kMsgTrendDownloadSequenceNoResponse,
                                {SerialLog::GeneralDate(link.serialLog().now())}));
        result.outcome = Outcome::NotConnected;
        result.reason = LinkResult::NotConnected;
        return result;
    }
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }

    // Runs the steps in order; false (reported) at the first that fails.
    auto run = [&](std::initializer_list<Step> steps) {
        for (const Step& step : steps) {
            if ((link.*step.operation)()) {
                report.Line(LoadMessage(step.doneText), Tone::Progress);
                continue;
            }
            result.reason =
                link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
            if (cancelled()) {
                result.outcome = Outcome::Cancelled;
                report.Line(LoadMessage(kMsgCommunicationCanceled), Tone::Failure);
                return false;
            }
            result.outcome = Outcome::Failed;
            result.FailureText = LoadMessage(step.failureText);
            report.Line(result.FailureText, Tone::Failure);
            return false;
        }
        return true;
    };

    phase(Phase::Writing);
    if (!run({kClearLogger, kClearPower, kWriteCheckData}))
        return result;

    phase(Phase::Downloading);
    LoggerDownload::Options download;
    download.ImagePath = options.ImagePath;
    download.MaxRetries = options.MaxRetries;
    download.Cancelled = options.Cancelled;
    result.download = LoggerDownload::Run(link, download, report);
    if (!result.download.Success()) {
        result.outcome = result.download.outcome;
        result.reason = result.download.reason;
        return result;
    }

    phase(Phase::Clearing);
    if (!run({kClearLogger, kClearPower}))
        return result;

    // The reference is read again: it is what the verdict rests on.
    const QByteArray expected = ReadImage(options.ReferencePath);
    if (expected.isEmpty())
        return referenceMissing();
    const QByteArray got = ReadImage(options.ImagePath);
    result.FirstDifference = got.isEmpty() ? 0 : FirstDifference(got, expected);
    result.outcome = Outcome::Success;
    if (result.FirstDifference < 0) {
        result.verdict = Verdict::Ok;
        report.Line(LoadMessage(kMsgFlashCheckResult, {QStringLiteral("OK")}), Tone::Progress);
    } else {
        result.verdict = Verdict::Ng;
        report.Line(LoadMessage(kMsgFlashCheckResult, {QStringLiteral("NG")}), Tone::Failure);
    }
    return result;
}

} // namespace FlashCheck
