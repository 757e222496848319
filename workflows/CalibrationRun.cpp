#include "workflows/CalibrationRun.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/CalibrationRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "workflows/UnfinishedWrite.h"

#include <optional>

namespace CalibrationRun {

namespace {

using workflows::Tone;

QString DateText(uclTqif& link) {
    return SerialLog::GeneralDate(link.serialLog().now());
}

// The reason of an operation that answered false: the link's, or a refusal
// when the link has none (the detector answered, but not with success).
LinkResult FailureReason(const uclTqif& link) {
    return link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
}

// Pauses the live readings for a scope; they start again at its end when
// they ran before.
class ReadingsPause {
public:
    explicit ReadingsPause(uclTqif& link) : link_(link), running_(link.RunDensty()) {
        if (running_)
            link_.setRunDensty(false);
    }
    ~ReadingsPause() {
        if (running_)
            link_.setRunDensty(true);
    }
    ReadingsPause(const ReadingsPause&) = delete;
    ReadingsPause& operator=(const ReadingsPause&) = delete;

private:
    uclTqif& link_;
    bool running_;
};

// A run ends with the detector storing, which would store whatever an
// unfinished write left staged in it as well: no run goes to such a
// detector. True (and `result` filled) when the run must not start: the
// journal names this detector, or the detector could not be asked.
bool RefusedForUnfinishedWrite(uclTqif& link, const workflows::Report& report, Result& result) {
    LinkResult asked = LinkResult::Done;
    const std::optional<PendingWrite> entry = UnfinishedWrite::Find(link, &asked);
    if (!entry && asked == LinkResult::Done)
        return false;
    report.Line(LoadMessage(kMsgCalibrationFail), Tone::Failure);
    if (entry) {
        report.Line(LoadMessage(kMsgRecoveryNeeded, {entry->Serials.value(0).trimmed()}),
                    Tone::Failure);
        result.outcome = Outcome::Refused;
        result.reason = LinkResult::Refused;
    } else {
        result.reason = asked;
        result.outcome = workflows::OutcomeOf(asked);
    }
    result.Status = {};
    return true;
}

// Ends a run: the outcome from the command's answer, every channel failed
// when it failed, the readings started again when asked.
Result Finish(uclTqif& link, bool ok, const Options& options, Result result) {
    if (ok) {
        result.outcome = Outcome::Success;
        result.reason = LinkResult::Done;
    } else {
        result.reason = FailureReason(link);
        result.outcome = workflows::OutcomeOf(result.reason);
        result.Status = {};
    }
    if (options.RestartReadings)
        link.setRunDensty(true);
    return result;
}

// Ends a run that did not start.
Result NotStarted(uclTqif& link, const Options& options, Result result) {
    if (options.RestartReadings)
        link.setRunDensty(true);
    return result;
}

} // namespace

LinkResult ReadInfo(uclTqif& link, clsInstrument& record, bool alarmPoints, Channels* calEnable) {
    const ReadingsPause pause(link);
    // The reads fill `record`; the link keeps its own record afterwards.
    const InstrumentScope scope(link, &record);
    record.ClearDatas();
    bool ok = link.GetGasInfo(&record) && link.GetAutoCalDensty(&record);
    if (ok && alarmPoints) {
        for (const char* code : {"A1", "A2", "AT"}) {
            ok = link.SendAndWait(CommandSet::ReadCommand(QString::fromLatin1(code)),
                                  kStatusAwaitingRead) == LinkResult::Done;
            if (!ok)
                break;
        }
    }
    if (calEnable) {
        for (int ch = 0; ch < 5; ++ch)
            (*calEnable)[size_t(ch)] = ok && IsCalibratable(record, ch);
    }
    return ok ? LinkResult::Done : FailureReason(link);
}

QString SpanCommandText(const clsInstrument& record, const Channels& selected) {
    QString text;
    for (int ch = 0; ch < 5; ++ch)
        text += selected[size_t(ch)] ? QLatin1Char('1') : QLatin1Char('0');
    for (int ch = 0; ch < 5; ++ch) {
        text += QLatin1Char(',');
        text += selected[size_t(ch)]
                    ? modGasCommon::FormatField5(record.AutoCalib(ch), record.GasPoint(ch))
                    : QStringLiteral("*****");
    }
    return text;
}

Result Zero(uclTqif& link, const Options& options, const workflows::Report& report) {
    Result result;
    report.Progress(LoadMessage(kMsgAdjustingZero));
    link.setRunDensty(false);
    if (RefusedForUnfinishedWrite(link, report, result)) {
        link.AddLog(LoadMessage(kMsgCalibrationUploadFailed, {DateText(link)}));
        return NotStarted(link, options, result);
    }
    const bool ok = link.ZeroCal(QString::fromLatin1(kZeroFlags));
    if (ok) {
        for (int ch = 0; ch < 5; ++ch)
            result.Status[size_t(ch)] = link.ZeroStatus(ch);
        result.ResultText = link.ZeroResult();
    } else {
        report.Line(LoadMessage(kMsgCalibrationFail), Tone::Failure);
        link.AddLog(LoadMessage(kMsgCalibrationUploadFailed, {DateText(link)}));
    }
    return Finish(link, ok, options, result);
}

Result Span(uclTqif& link, const clsInstrument& calRecord, const Channels& selected,
            clsInstrument* historyRecord, const Options& options, const workflows::Report& report) {
    Result result;
    report.Progress(LoadMessage(kMsgAdjustingSpan));
    link.setRunDensty(false);
    if (RefusedForUnfinishedWrite(link, report, result))
        return NotStarted(link, options, result);
    link.AddLog(LoadMessage(kMsgCalibrationUploadStarted, {DateText(link)}));
    const bool ok = link.SpanCal(SpanCommandText(calRecord, selected));
    if (ok) {
        for (int ch = 0; ch < 5; ++ch)
            result.Status[size_t(ch)] = link.SpanStatus(ch);
        result.ResultText = link.SpanResult();
    } else {
        report.Line(LoadMessage(kMsgCalibrationFail), Tone::Failure);
    }
    const LinkResult spanReason = link.LastResult();
    // The calibration history reflects the run, whatever its outcome.
    if (historyRecord)
        link.GetLatestHistory(historyRecord);
    link.setLastResult(spanReason);
    return Finish(link, ok, options, result);
}

QString OxygenText(float reading, int point) {
    return (QStringLiteral("    ") + modGasCommon::FormatReading(reading, point, false)).right(5);
}

Result TeN2(uclTqif& link, const QString& oxygenText, const Options& options,
            const workflows::Report& report) {
    Result result;
    // Without an oxygen reading ("-----" before the first one arrived, a
    // channel in fault) there is nothing to zero against: nothing is sent.
    if (!IsNumericText(oxygenText)) {
        report.Line(LoadMessage(kMsgCalibrationFail), Tone::Failure);
        result.outcome = Outcome::Refused;
        result.reason = LinkResult::Refused;
        return result;
    }
    link.setRunDensty(false);
    if (RefusedForUnfinishedWrite(link, report, result))
        return NotStarted(link, options, result);
    const bool ok = link.zCal(oxygenText);
    result.Status[kTeChannel] = ok;
    return Finish(link, ok, options, result);
}

QString ResultLines(const clsInstrument& record, const Channels& reported, const Channels& status,
                    const Readings& readings, const Channels& calEnable) {
    QString text;
    for (int ch = 0; ch < 5; ++ch) {
        if (!reported[size_t(ch)])
            continue;
        if (status[size_t(ch)]) {
            text += record.GasName(ch) + QStringLiteral("  ") +
                    LoadMessage(kMsgAdjustmentComplete) + QStringLiteral("\r\n");
        } else {
            const float reading =
                calEnable[size_t(ch)] ? readings[size_t(ch)] : modGasCommon::kNoValue;
            text += record.GasName(ch) + QLatin1Char('(') +
                    modGasCommon::FormatReading(reading, record.GasPoint(ch)) +
                    QStringLiteral(") Failed\r\n");
        }
    }
    return text;
}

bool SwitchRange(uclTqif& link, int index, const std::function<void()>& eachSecond) {
    const ReadingsPause pause(link);
    return link.SHOnOff(index, eachSecond);
}

bool SetWetDry(uclTqif& link, int index) {
    const ReadingsPause pause(link);
    return link.SHWetDry(index);
}

} // namespace CalibrationRun
