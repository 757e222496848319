#include "workflows/WriteSettings.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/ReadBack.h"
#include "link/SerialLog.h"
#include "link/WriteSequence.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/SettingsHistory.h"
#include "records/WriteJournal.h"
#include "records/WriteLabels.h"
#include "workflows/WritePreview.h"
#include "workflows/WriteSupport.h"

#include <QDateTime>
#include <QDir>

namespace WriteSettings {

namespace {

using workflows::Tone;

// What the detector answered with before the write, for the history line:
// the identity it reports and its clock. An identity write takes the
// identity it wrote (and read back).
void TakeIdentity(clsInstrument& history, const clsInstrument& detector, Mode mode) {
    history.setRomNumber(detector.RomNumber());
    history.setSUM(detector.SUM());
    history.setSysDateOffset(detector.SysDateOffset());
    if (mode != Mode::UpdateId) {
        history.setSerialNo(detector.SerialNo());
        history.setDummySerial(detector.DummySerial());
        history.setStationID(detector.StationID());
        history.setUserID(detector.UserID());
    }
}

class Writer {
public:
    Writer(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report)
        : link_(link), record_(record), options_(options), report_(report) {}

    Result run();

private:
    bool fail(LinkResult reason, const QStringList& lines) {
        result_.reason = reason;
        result_.outcome = workflows::OutcomeOf(reason);
        if (result_.outcome == Outcome::Success)
            result_.outcome = Outcome::Failed;
        for (const QString& line : lines) {
            result_.FailureLines << line;
            report_.Line(line, Tone::Failure);
        }
        report_.Line(LoadMessage(kMsgUploadFailed), Tone::Failure);
        return false;
    }
    bool readBefore();
    bool recordJournal();
    void afterFailedWrite(const WriteRun& run);
    bool verify();
    void appendHistory();
    void takeDetector();

    uclTqif& link_;
    clsInstrument& record_;
    const Options& options_;
    const workflows::Report& report_;
    Result result_;
    clsInstrument detector_;  // identity and clock as the detector reported them
    QStringList oldCommands_; // the same settings as the detector held them
    PendingWrite journal_;
};

bool Writer::readBefore() {
    report_.Progress(LoadMessage(kMsgReadingPresentSettings));
    LinkResult read = WriteSupport::ReadIdentity(link_, detector_);
    // A detector that may hold part of an earlier write takes no other write
    // until that one is finished or put back: its commit would store both.
    if (read == LinkResult::Done && WriteJournal::Find(detector_.SerialNo()))
        return fail(LinkResult::Refused,
                    {LoadMessage(kMsgRecoveryNeeded, {detector_.SerialNo().trimmed()})});
    clsInstrument old;
    if (read == LinkResult::Done)
        read = ReadBack::ReadSettingsOf(link_, result_.Sent, old);
    if (read != LinkResult::Done)
        return fail(read, {FailedCommandText(link_.LastFrame().mid(5, 5), read),
                           LoadMessage(kMsgDownloadFailed)});
    oldCommands_ = ReadBack::CommandsFrom(old, result_.Sent);
    // What the write changes, against what the detector held just now.
    result_.Changes = WritePreview::Build(&old, record_, Mode::Flagged).Lines();
    return true;
}

bool Writer::recordJournal() {
    journal_.Serials = QStringList{detector_.SerialNo()};
    if (options_.mode == Mode::UpdateId && record_.SerialNo() != detector_.SerialNo())
        journal_.Serials << record_.SerialNo();
    journal_.Started = QDateTime::currentDateTime();
    journal_.Program = WriteSupport::ProgramName();
    journal_.NewCommands = result_.Sent;
    journal_.OldCommands = oldCommands_;
    QString error;
    if (!WriteJournal::Save(journal_, &error))
        return fail(LinkResult::Refused, {LoadMessage(kMsgJournalNotSaved, {error})});
    return true;
}

void Writer::afterFailedWrite(const WriteRun& run) {
    QStringList lines;
    if (!run.Failed.isEmpty() && run.Failed.mid(2, 3) == QLatin1String(",W,") &&
        !run.Failed.startsWith(QLatin1String("DW")))
        lines << FailedCommandText(run.Failed, run.Result);
    else if (run.Result == LinkResult::Cancelled)
        lines << LoadMessage(kMsgWriteCancelled);
    else
        lines << LoadMessage(kMsgWriteNotStored);

    // The commands the detector may hold staged: those it accepted, and the
    // one that failed (its answer may have been lost after it was taken).
    const int accepted = run.CommitStarted ? int(result_.Sent.size()) : int(run.Accepted.size());
    int staged = accepted;
    if (!run.CommitStarted && !run.Failed.isEmpty())
        ++staged;
    if (staged == 0) {
        WriteJournal::Remove(journal_);
        fail(run.Result, lines);
        return;
    }
    // Put the old values back while the detector still answers; a user's
    // cancel ends the write, not the putting back. A detector that never
    // finished storing would not store the old values either.
    const bool stuckStoring = run.CommitStarted && run.Result == LinkResult::GaveUp;
    if (link_.Connected() && !stuckStoring) {
        link_.setCancel(false);
        QStringList differences;
        const QStringList mayBeStaged = oldCommands_.mid(0, staged);
        LinkResult restored = WriteSupport::WriteAndVerify(link_, mayBeStaged, &differences);
        // A detector that refuses the old value of the command it failed on
        // did not take that command either: put back the others and read
        // all of them back.
        if (restored == LinkResult::Refused && staged > accepted) {
            differences.clear();
            restored = WriteSupport::WriteAndVerify(link_, oldCommands_.mid(0, accepted),
                                                    &differences, mayBeStaged);
        }
        if (restored == LinkResult::Done && differences.isEmpty()) {
            WriteJournal::Remove(journal_);
            result_.Restored = true;
            lines << LoadMessage(kMsgOldValuesRestored);
            fail(run.Result, lines);
            return;
        }
        lines << LoadMessage(kMsgOldValuesNotRestored);
    }
    result_.Unfinished = true;
    lines << LoadMessage(kMsgWriteUnfinished, {detector_.SerialNo().trimmed()});
    fail(run.Result, lines);
}

bool Writer::verify() {
    report_.Progress(LoadMessage(kMsgNowVerifying));
    QStringList differences;
    const LinkResult read = WriteSupport::Verify(link_, result_.Sent, &differences);
    // Whatever the comparison finds, the detector has stored: nothing of
    // this write is left staged.
    WriteJournal::Remove(journal_);
    if (read != LinkResult::Done)
        return fail(read, {LoadMessage(kMsgNotVerified)});
    if (!differences.isEmpty()) {
        result_.Differences = differences;
        return fail(LinkResult::Refused, QStringList{LoadMessage(kMsgVerifyFailed)} + differences);
    }
    result_.Verified = true;
    report_.Line(LoadMessage(kMsgWriteVerified), Tone::Progress);
    return true;
}

void Writer::appendHistory() {
    if (!options_.AppendHistory)
        return;
    clsInstrument history = record_;
    TakeIdentity(history, detector_, options_.mode);
    const HistoryAction action =
        options_.mode == Mode::UpdateId ? HistoryAction::WriteID : HistoryAction::Write;
    QString error;
    if (AppendHistoryLine(options_.HistoryFolder, options_.HistorySuffix, history, action,
                          QDateTime::currentDateTime(), &error))
        result_.HistoryPath =
            QDir(options_.HistoryFolder).filePath(HistoryFileName(options_.HistorySuffix));
    else
        result_.HistoryError = error;
}

void Writer::takeDetector() {
    clsInstrument written = record_;
    TakeIdentity(written, detector_, options_.mode);
    Identity& id = result_.Detector;
    id.SerialNo = written.SerialNo();
    id.StationId = written.StationID();
    id.UserId = written.UserID();
    id.Sum = written.SUM();
    id.Rom = written.RomNumber();
    id.Clock = detector_.SysDate();
    id.ClockOffset = written.SysDateOffset();
}

Result Writer::run() {
    if (!link_.Connected()) {
        result_.outcome = Outcome::NotConnected;
        result_.reason = LinkResult::NotConnected;
        return result_;
    }
    if (link_.IsBusy()) {
        result_.outcome = Outcome::Busy;
        result_.reason = LinkResult::Busy;
        return result_;
    }
    if (options_.mode == Mode::UpdateId)
        record_.SetChangeFlags(false, true);
    else if (options_.mode == Mode::Update)
        record_.SetChangeFlags(true, false);
    result_.Sent = PendingWriteCommands(record_);
    result_.Commands = int(result_.Sent.size());

    link_.AddLog(
        LoadMessage(kMsgUploadSequenceStart, {SerialLog::GeneralDate(link_.serialLog().now())}));
    report_.Line(LoadMessage(kMsgUploadStart), Tone::Progress);
    link_.setCancel(false);
    if (!readBefore())
        return result_;
    if (!result_.Sent.isEmpty() && !recordJournal())
        return result_;

    report_.Progress(LoadMessage(kMsgNowUploading));
    const WriteRun run = WriteRecord(link_, link_.responseContext(), &record_);
    if (run.Result != LinkResult::Done) {
        afterFailedWrite(run);
        return result_;
    }
    if (!result_.Sent.isEmpty()) {
        if (options_.Verify) {
            if (!verify())
                return result_;
        } else {
            WriteJournal::Remove(journal_);
        }
    }
    result_.outcome = Outcome::Success;
    report_.Line(LoadMessage(kMsgUploadComplete), Tone::Progress);
    takeDetector();
    appendHistory();
    return result_;
}

} // namespace

QString FailedCommandText(const QString& command, LinkResult reason) {
    const QString code = command.left(2);
    const QString label = WriteCommandLabel(code);
    switch (reason) {
    case LinkResult::TimedOut:
        return LoadMessage(kMsgWriteNoAnswer, {code, label});
    case LinkResult::LineLost:
    case LinkResult::LineError:
        return LoadMessage(kMsgWriteLineLost, {code, label});
    case LinkResult::Cancelled:
        return LoadMessage(kMsgWriteCancelled);
    default:
        return LoadMessage(kMsgWriteRefusedCommand, {code, label});
    }
}

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report) {
    return Writer(link, record, options, report).run();
}

} // namespace WriteSettings
