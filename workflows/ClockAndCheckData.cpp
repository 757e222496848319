// "Date/Time Set" and "Write Check Data". See ClockAndCheckData.h.
#include "workflows/ClockAndCheckData.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <cmath>
#include <functional>

namespace workflows {

QString ReasonText(LinkResult reason) {
    switch (reason) {
    case LinkResult::Done:
        return QString();
    case LinkResult::NotConnected:
        return LoadMessage(kMsgReasonNotConnected);
    case LinkResult::Busy:
        return LoadMessage(kMsgReasonBusy);
    case LinkResult::TimedOut:
    case LinkResult::GaveUp:
        return LoadMessage(kMsgReasonNoAnswer);
    case LinkResult::LineLost:
    case LinkResult::LineError:
        return LoadMessage(kMsgReasonLineLost);
    case LinkResult::Cancelled:
        return LoadMessage(kMsgReasonCancelled);
    case LinkResult::Refused:
        break;
    }
    return LoadMessage(kMsgReasonRefused);
}

} // namespace workflows

namespace {

using workflows::Outcome;
using workflows::Tone;
using Result = DateTimeSet::Result;

// The most the detector's clock may differ from the PC's after it was set:
// the command carries whole seconds and takes a moment to arrive.
constexpr double kClockToleranceSecs = 5.0;
constexpr double kSecondsPerDay = 86400.0;

// Runs one link operation: refused at once when no detector is connected or
// the link is busy, else sent and, where there is one, checked afterwards
// (`check` returns an empty text when the detector holds what was sent,
// else why not). The outcome is reported with `failedText`.
Result RunOne(uclTqif& link, const workflows::Report& report, int failedText,
              const std::function<bool()>& operation,
              const std::function<QString(LinkResult*)>& check = {}) {
    Result result;
    auto fail = [&](LinkResult reason, const QString& why) {
        result.reason = reason;
        result.outcome = workflows::OutcomeOf(reason);
        if (result.outcome == Outcome::Success)
            result.outcome = Outcome::Failed;
        report.Line(LoadMessage(failedText, {why}), Tone::Failure);
        return result;
    };
    if (!link.Connected())
        return fail(LinkResult::NotConnected, workflows::ReasonText(LinkResult::NotConnected));
    if (link.IsBusy())
        return fail(LinkResult::Busy, workflows::ReasonText(LinkResult::Busy));
    link.setCancel(false);
    if (!operation()) {
        // A Boolean operation that failed without a reason was refused.
        const LinkResult reason =
            link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
        return fail(reason, workflows::ReasonText(reason));
    }
    if (check) {
        LinkResult reason = LinkResult::Done;
        const QString why = check(&reason);
        if (!why.isEmpty())
            return fail(reason, why);
    }
    result.outcome = Outcome::Success;
    report.Line(LoadMessage(kMsgUploadComplete), Tone::Progress);
    return result;
}

} // namespace

namespace DateTimeSet {

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report) {
    const double offset = record.SysDateOffset();
    if (link.Connected() && !link.IsBusy()) {
        record.setSysDateOffset(0);
        link.AddLog(
            LoadMessage(kMsgUploadSequenceStart, {SerialLog::GeneralDate(link.serialLog().now())}));
        report.Line(LoadMessage(kMsgUploadStart), Tone::Progress);
    }
    bool readBack = false;
    const Result result = RunOne(
        link, report, kMsgDateTimeSetFailed,
        [&] {
            return link.SetDateTime(options.When.isValid() ? options.When
                                                           : QDateTime::currentDateTime());
        },
        // The detector answers the new time whether it took it or not: its
        // clock is read back, which also gives the record its difference.
        [&](LinkResult* reason) {
            report.Progress(LoadMessage(kMsgNowVerifying));
            const InstrumentScope scope(link, &record);
            *reason = link.SendAndWait(CommandSet::ReadCommand(QStringLiteral("HC")),
                                       kStatusAwaitingRead);
            if (*reason != LinkResult::Done)
                return LoadMessage(kMsgReasonClockNotRead);
            readBack = true;
            const double seconds = record.SysDateOffset() * kSecondsPerDay;
            if (std::fabs(seconds) <= kClockToleranceSecs)
                return QString();
            *reason = LinkResult::Refused;
            return LoadMessage(kMsgReasonClockNotTaken, {qRound64(seconds)});
        });
    // Not set, and not read back either: the record keeps its difference.
    if (!result.Success() && !readBack)
        record.setSysDateOffset(offset);
    return result;
}

} // namespace DateTimeSet

namespace CheckDataWrite {

Result Run(uclTqif& link, const workflows::Report& report) {
    return RunOne(link, report, kMsgCheckDataWriteFailed, [&link] { return link.SetCheckData(); });
}

} // namespace CheckDataWrite
