#include "workflows/CalibrationRun.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/CalibrationRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

namespace CalibrationRun {

namespace {

using workflows::Tone;

QString DateText(uclTqif& link) {
    return SerialLog::GeneralDate(link.serialLog().now());
}

// Ends a run: the reason from the link when the command failed, the
// readings started again when asked.
Result Finish(uclTqif& link, bool ok, const Options& options, Result result) {
    if (ok) {
        result.outcome = Outcome::Success;
    } else {
        result.reason =
            link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
        result.outcome = workflows::OutcomeOf(result.reason);
        result.Status = {};
    }
    if (options.RestartReadings)
        link.setRunDensty(true);
    return result;
}

} // namespace

LinkResult ReadInfo(uclTqif& link, clsInstrument& record, bool alarmPoints, Channels* calEnable) {
    record.ClearDatas();
    bool ok = link.GetGasInfo(&record) && link.GetAutoCalDensty(&record);
    if (ok && alarmPoints) {
        link.setInstrument(&record);
        ok = link.SendAndWait(CommandSet::ReadCommand(QStringLiteral("A1")), kStatusAwaitingRead) ==
                 LinkResult::Done &&
             link.SendAndWait(CommandSet::ReadCommand(QStringLiteral("AT")), kStatusAwaitingRead) ==
                 LinkResult::Done;
    }
    if (calEnable) {
        for (int ch = 0; ch < 5; ++ch)
            (*calEnable)[size_t(ch)] = ok && IsCalibratable(record, ch);
    }
    if (ok)
        return LinkResult::Done;
    return link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
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
    const bool ok = link.ZeroCal(QStringLiteral("11111"));
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

QString ResultLines(const clsInstrument& record, const Channels& reported, const Channels& status,
                    const std::array<float, 5>& readings, const Channels& calEnable) {
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

} // namespace CalibrationRun
