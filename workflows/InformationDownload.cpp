#include "workflows/InformationDownload.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/LinkClock.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <QDateTime>

#include <cmath>

namespace InformationDownload {

namespace {

QString Now() {
    return SerialLog::GeneralDate(QDateTime::currentDateTime());
}

// The read began by clearing the record, so after a failure it holds the
// defaults and whatever arrived before the failure: neither read from the
// detector nor imported, and not fit to be edited or written back.
void ForgetPartialRead(clsInstrument& record) {
    record.setCommFlags(false);
    record.setImportFlag(false);
}

qint64 ClockMs(uclTqif& link) {
    LinkClock* clock = link.clock();
    return clock ? clock->elapsedMs() : 0;
}

} // namespace

QString ElapsedText(qint64 ms) {
    if (ms < 0)
        ms = 0;
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList AnalogValueLines(const clsInstrument& record) {
    // Labels of the converter inputs, each 14 characters wide.
    static const char* const kLabels[8] = {
        "ch1 PRES.     ", "ch2 O2  AMP   ", "ch3 CO  AMP   ", "ch4 H2S AMP   ",
        "ch5 TH1       ", "ch6 BATT.     ", "ch7 TH2       ", "ext -         ",
    };
    QStringList lines;
    lines << QStringLiteral("TQ-7350 Analog to Digital Converter Values List");
    for (int i = 0; i < 8; ++i) {
        const double volts = record.AnalogValue(i) / 1000.0;
        lines << QString::fromLatin1(kLabels[i]) + QStringLiteral("\t: ") +
                     QString::number(volts, 'f', 3) + QStringLiteral("V");
    }
    return lines;
}

bool DateDiffers(const clsInstrument& record) {
    const double offset = record.SysDateOffset();
    return std::isfinite(offset) && std::fabs(offset) > 1.0;
}

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report) {
    using workflows::Tone;
    Result result;
    report.Progress(LoadMessage(kMsgNowDownloading));

    if (!link.Connected()) {
        report.Line(LoadMessage(kMsgDownloadNoResponse), Tone::Failure);
        link.AddLog(LoadMessage(kMsgDownloadSequenceNoResponse, {Now()}));
        result.outcome = Outcome::NotConnected;
        result.reason = LinkResult::NotConnected;
        result.DateMismatch = DateDiffers(record);
        return result;
    }
    if (link.IsBusy()) {
        // Another command is waiting for its answer: starting a second one
        // would mix the answers of both.
        report.Line(LoadMessage(kMsgDownloadFailed), Tone::Failure);
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        result.DateMismatch = DateDiffers(record);
        return result;
    }

    report.Line(LoadMessage(kMsgDownloadStart), Tone::Progress);
    link.AddLog(LoadMessage(kMsgDownloadSequenceStart, {Now()}));
    const qint64 start = ClockMs(link);

    link.setInstrument(&record);
    const bool ok = link.GetInstrument(&record);
    if (!ok)
        result.reason = link.LastResult();
    result.ElapsedMs = ClockMs(link) - start;

    if (ok) {
        record.setCommFlags(true);
        record.setImportFlag(false);
        for (int ch = 0; ch < 5; ++ch) {
            if (options.ChannelLocked[ch])
                record.setGasEnabled(ch, true);
        }
        if (options.ReadHistories) {
            result.HistoryRead = link.GetLatestHistory(&record);
            result.BumpHistoryRead = link.GetLatestBumpHistory(&record);
        }
        result.AnalogLines = AnalogValueLines(record);
        for (const QString& line : result.AnalogLines)
            report.Line(line, Tone::Listing);
        report.Line(LoadMessage(kMsgDownloadComplete), Tone::Progress);
        result.ElapsedMs = ClockMs(link) - start;
        link.AddLog(
            LoadMessage(kMsgDownloadSequenceFinished, {Now(), ElapsedText(result.ElapsedMs)}));
        result.outcome = Outcome::Success;
    } else if (link.Cancel()) {
        ForgetPartialRead(record);
        report.Line(LoadMessage(kMsgCommunicationCanceled), Tone::Failure);
        link.AddLog(LoadMessage(kMsgProcessCanceled, {Now()}));
        result.outcome = Outcome::Cancelled;
        result.FailLine = record.FailLine();
    } else {
        // Reported as failed even when answers had arrived before the
        // failure: the record is incomplete and must not be taken for a
        // successful read.
        ForgetPartialRead(record);
        report.Line(LoadMessage(kMsgDownloadFailed), Tone::Failure);
        link.AddLog(LoadMessage(kMsgDownloadSequenceFailLine));
        result.FailLine = record.FailLine();
        // The clock parser keeps the refused clock text in FailLine: the
        // detector's date is out of order and must be set first.
        if (!result.FailLine.isEmpty())
            report.Line(LoadMessage(kMsgDetectorDateInvalid), Tone::Failure);
        link.AddLog(
            LoadMessage(kMsgDownloadSequenceFailed, {Now(), ElapsedText(result.ElapsedMs)}));
        result.outcome = Outcome::Failed;
    }
    result.DateMismatch = DateDiffers(record);
    return result;
}

} // namespace InformationDownload
