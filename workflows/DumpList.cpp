#include "workflows/DumpList.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/LinkClock.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "workflows/InformationDownload.h"

#include <QRegularExpression>

namespace DumpList {

namespace {

using workflows::Tone;

QString Now(uclTqif& link) {
    return SerialLog::GeneralDate(link.serialLog().now());
}

qint64 ClockMs(uclTqif& link) {
    LinkClock* clock = link.clock();
    return clock ? clock->elapsedMs() : 0;
}

} // namespace

bool BlockProgress(const QString& text, int* done, int* total) {
    static const QRegularExpression kPattern(
        QStringLiteral("^Get Dump ([0-9A-F]{6})-([0-9A-F]{6})$"));
    const QRegularExpressionMatch m = kPattern.match(text);
    if (!m.hasMatch())
        return false;
    const int start = m.captured(1).toInt(nullptr, 16);
    const int end = m.captured(2).toInt(nullptr, 16);
    if (end < start)
        return false;
    const int blockBytes = end - start + 1;
    const int blocksDone = (end + blockBytes) / blockBytes;
    const int blocks = (kMemoryBytes + blockBytes - 1) / blockBytes;
    *done = blocksDone;
    *total = qMax(blocks, blocksDone);
    return true;
}

Result Run(uclTqif& link, const Options& options, const workflows::Report& report) {
    Result result;
    if (!link.Connected()) {
        report.Line(LoadMessage(kMsgTrendDownloadNoResponse), Tone::Failure);
        result.outcome = Outcome::NotConnected;
        result.reason = LinkResult::NotConnected;
        return result;
    }
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }

    report.Progress(LoadMessage(kMsgDataDownloadNow));
    report.Line(LoadMessage(kMsgDumpListStart), Tone::Transfer);
    const qint64 start = ClockMs(link);
    link.AddLog(LoadMessage(kMsgDumpListSequenceStarted, {Now(link)}));

    const QMetaObject::Connection progress =
        QObject::connect(&link, &uclTqif::DumpMessage, [&report](const QString& text) {
            int done = 0;
            int total = 0;
            if (BlockProgress(text, &done, &total))
                report.Steps(done, total);
        });
    const bool ok = link.GetRomDump2(options.Path);
    QObject::disconnect(progress);
    const bool cancelled = !ok && link.Cancel();

    result.ElapsedMs = ClockMs(link) - start;
    link.AddLog(LoadMessage(kMsgDumpListSequenceFinished,
                            {Now(link), InformationDownload::ElapsedText(result.ElapsedMs)}));
    report.Line(LoadMessage(kMsgDumpListFinished), Tone::Transfer);
    if (ok) {
        result.outcome = Outcome::Success;
    } else if (cancelled) {
        result.outcome = Outcome::Cancelled;
        result.reason = LinkResult::Cancelled;
        report.Line(LoadMessage(kMsgCommunicationCanceled), Tone::Failure);
    } else {
        const LinkResult why = link.engine().LastFailure();
        result.reason = why == LinkResult::Done ? LinkResult::Refused : why;
        report.Line(LoadMessage(kMsgDataDownloadFailed), Tone::Failure);
    }
    return result;
}

} // namespace DumpList
