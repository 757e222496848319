#include "workflows/LoggerDownload.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/Dumps.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <memory>

namespace LoggerDownload {

static_assert(kBlocks == Dumps::kImageBlocks, "the download covers the whole logger memory");

namespace {

using workflows::Tone;

QString Now(uclTqif& link) {
    return SerialLog::GeneralDate(link.serialLog().now());
}

// The link's progress text after each block ("Get FLASH Image 01A3") gives
// the blocks stored so far: the block counts when its wait ended in success.
class BlockCounter {
public:
    BlockCounter(uclTqif& link, const workflows::Report& report) : link_(link), report_(report) {
        connection_ = QObject::connect(&link, &uclTqif::DumpMessage, [this](const QString& text) {
            static const QString kPrefix = QStringLiteral("Get FLASH Image ");
            if (!text.startsWith(kPrefix))
                return;
            bool isBlock = false;
            const int block = text.mid(kPrefix.size()).toInt(&isBlock, 16);
            if (!isBlock)
                return;
            const int done = block + (link_.Status() == kStatusDone ? 1 : 0);
            report_.Steps(qBound(0, done - kFirstBlock, kBlocks), kBlocks);
        });
    }
    ~BlockCounter() { QObject::disconnect(connection_); }
    BlockCounter(const BlockCounter&) = delete;
    BlockCounter& operator=(const BlockCounter&) = delete;

private:
    uclTqif& link_;
    const workflows::Report& report_;
    QMetaObject::Connection connection_;
};

// Copies the complete image over the target in one step: the target is
// either the old image or the new one, never a mixture.
bool ReplaceImage(const QString& complete, const QString& target) {
    QFile in(complete);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (bytes.size() != Dumps::kImageBytes)
        return false;
    QSaveFile out(target);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

} // namespace

Result Run(uclTqif& link, const Options& options, const workflows::Report& report) {
    Result result;
    auto cancelled = [&options] { return options.Cancelled && options.Cancelled(); };

    if (!link.Connected()) {
        report.Line(LoadMessage(kMsgTrendDownloadNoResponse), Tone::Failure);
        link.AddLog(LoadMessage(kMsgTrendDownloadSequenceNoResponse, {Now(link)}));
        result.outcome = Outcome::NotConnected;
        result.reason = LinkResult::NotConnected;
        return result;
    }
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }

    report.Line(LoadMessage(kMsgLoggerDataDownload), Tone::Progress);
    link.AddLog(LoadMessage(kMsgTrendDownloadSequenceStart, {Now(link)}));

    // The blocks go into a file of our own beside the image; it goes when
    // the download ends, whatever the outcome.
    const QFileInfo target(options.ImagePath);
    auto part = std::make_unique<QTemporaryFile>(target.absoluteFilePath() +
                                                 QStringLiteral(".XXXXXX.part"));
    if (options.ImagePath.isEmpty() || !part->open()) {
        report.Line(LoadMessage(kMsgDataDownloadFailed), Tone::Failure);
        return result;
    }
    part->close();
    const QString partPath = part->fileName();

    BlockCounter counter(link, report);
    report.Steps(0, kBlocks);
    int first = kFirstBlock;
    int retriesInARow = 0;
    bool done = false;
    for (;;) {
        if (cancelled()) {
            result.outcome = Outcome::Cancelled;
            result.reason = LinkResult::Cancelled;
            break;
        }
        // The identity of the detector, as before every download, into a
        // record of our own.
        clsInstrument identity;
        {
            InstrumentScope scope(link, &identity);
            if (!link.GetRomNo(&identity)) {
                result.reason = link.LastResult();
                if (cancelled() || result.reason == LinkResult::Cancelled)
                    result.outcome = Outcome::Cancelled;
                break;
            }
        }
        if (cancelled()) {
            result.outcome = Outcome::Cancelled;
            result.reason = LinkResult::Cancelled;
            break;
        }
        link.setBinaryRetry(false);
        done = link.GetBinDump(partPath, first, kLastBlock);
        const int next = qBound(kFirstBlock, link.BinDumpNextBlock(), kLastBlock + 1);
        result.BlocksDone = next - kFirstBlock;
        if (done)
            break;
        // The cancel button sets the link's Cancel without BinaryRetry; a
        // time-out sets both.
        if (cancelled() || (link.Cancel() && !link.BinaryRetry())) {
            result.outcome = Outcome::Cancelled;
            result.reason = LinkResult::Cancelled;
            break;
        }
        if (!link.BinaryRetry()) {
            const LinkResult why = link.engine().LastFailure();
            result.reason = why == LinkResult::Done ? LinkResult::LineError : why;
            break;
        }
        // A time-out: the same block again, unless it has failed too often
        // in a row.
        if (next > first)
            retriesInARow = 0;
        if (retriesInARow >= options.MaxRetries) {
            result.reason = LinkResult::TimedOut;
            break;
        }
        ++retriesInARow;
        ++result.Retries;
        first = qMin(next, kLastBlock);
        report.Progress(LoadMessage(kMsgOneMoreTime));
        report.Line(LoadMessage(kMsgOneMoreTime), Tone::Progress);
    }

    if (done) {
        if (ReplaceImage(partPath, options.ImagePath)) {
            report.Line(LoadMessage(kMsgLoggerImageSaved, {options.ImagePath}), Tone::Progress);
            result.outcome = Outcome::Success;
            result.reason = LinkResult::Done;
            result.BlocksDone = kBlocks;
            return result;
        }
        result.outcome = Outcome::Failed;
        result.reason = LinkResult::Done;
    }
    if (result.outcome == Outcome::Cancelled) {
        report.Line(LoadMessage(kMsgCommunicationCanceled), Tone::Failure);
    } else {
        result.outcome = Outcome::Failed;
        report.Line(LoadMessage(kMsgDataDownloadFailed), Tone::Failure);
    }
    if (QFile::exists(options.ImagePath))
        report.Line(LoadMessage(kMsgLoggerImageKept, {options.ImagePath}), Tone::Failure);
    return result;
}

} // namespace LoggerDownload
