// The verified write against the emulator: success only when the detector
// stored and holds what was sent; a failure names the command and the
// setting; what the detector accepted is never left staged without either
// the old values put back or a journal entry for the next connection. The
// fault sweeps drop the line, garble an answer or refuse a command at every
// position of a whole write and check the outcome the user gets.
#include "WorkflowRig.h"

#include "link/WriteSequence.h"
#include "records/WriteJournal.h"
#include "workflows/UnfinishedWrite.h"
#include "workflows/WriteSettings.h"

#include <QJsonObject>

using workflowtest::Rig;

namespace {

// Edits spread over the write order: the first block (Spec No.), a setting
// in the middle, an alarm point, the logging interval near the end.
void Edit(clsInstrument& r) {
    r.setSpecNo(QStringLiteral("SP-NEW"));
    r.setAlarmMode(r.AlarmMode() == 0 ? 1 : 0);
    r.setAlarm(2, r.Alarm(2) == 50 ? 60 : 50);
    r.setIntervals(r.Intervals() == 600 ? 300 : 600);
}

struct Outcome {
    WriteSettings::Result result;
    QJsonObject before;
    QJsonObject after;
    int stagedAfter = 0;
    bool journalAfter = false;
};

// Reads the detector, edits, and runs "Update" with `fault` set from the
// start.
Outcome WriteWithFault(const std::function<void(SimFaults&)>& fault) {
    Rig rig;
    clsInstrument record;
    EXPECT_TRUE(rig.connectAndRead(record));
    Edit(record);
    Outcome o;
    o.before = rig.committed();
    fault(rig.sim.faults());
    o.result = WriteSettings::Run(rig.link, record, {}, {});
    rig.sim.faults() = SimFaults{};
    o.after = rig.committed();
    o.stagedAfter = rig.sim.stagedCount();
    o.journalAfter = !WriteJournal::All().isEmpty();
    return o;
}

// The committed state of a detector after a write without faults.
QJsonObject WrittenState() {
    return WriteWithFault([](SimFaults&) {}).after;
}

} // namespace

TEST(WriteSettings, WritesStoresAndReadsBackWithoutLeavingAJournal) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    Edit(record);
    WriteSettings::Options options;
    options.AppendHistory = true;
    options.HistoryFolder = rig.dir.path();
    QStringList lines;
    workflows::Report report;
    report.line = [&lines](const QString& text, workflows::Tone) { lines << text.trimmed(); };
    const WriteSettings::Result r = WriteSettings::Run(rig.link, record, options, report);
    ASSERT_TRUE(r.Success()) << r.FailureLines.join('\n').toStdString();
    EXPECT_TRUE(r.Verified);
    EXPECT_EQ(rig.sim.state().specNo, QStringLiteral("SP-NEW"));
    EXPECT_EQ(rig.sim.stagedCount(), 0);
    EXPECT_TRUE(WriteJournal::All().isEmpty());
    // The completion line comes last, after the read-back.
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), QStringLiteral("TQ-7350 Upload Complete."));
    EXPECT_LT(
        lines.indexOf(QStringLiteral("Read back: the detector holds every setting as written.")),
        lines.indexOf(QStringLiteral("TQ-7350 Upload Complete.")));
    EXPECT_FALSE(r.HistoryPath.isEmpty());
}

// A refused command is named and what went before it is put back; a commit
// that never ends (the detector may still store) keeps the journal.
TEST(WriteSettings, ARefusedCommandIsPutBackAndAnEndlessCommitJournalled) {
    const Outcome refused =
        WriteWithFault([](SimFaults& f) { f.refuseCodes = {QStringLiteral("A1:W")}; });
    EXPECT_EQ(refused.result.reason, LinkResult::Refused);
    ASSERT_FALSE(refused.result.FailureLines.isEmpty());
    EXPECT_EQ(refused.result.FailureLines.first(),
              QStringLiteral("The detector refused A1 (Warning)."));
    EXPECT_TRUE(refused.result.Restored);
    EXPECT_EQ(refused.stagedAfter, 0);
    EXPECT_FALSE(refused.journalAfter);

    const Outcome endless = WriteWithFault([](SimFaults& f) { f.neverCommit = true; });
    EXPECT_EQ(endless.result.reason, LinkResult::GaveUp);
    EXPECT_TRUE(endless.result.Unfinished);
    EXPECT_TRUE(endless.journalAfter);
    for (const Outcome* o : {&refused, &endless}) {
        EXPECT_FALSE(o->result.Success());
        EXPECT_EQ(o->after, o->before);
    }
}

// The property that matters: for a line lost after every possible number of
// commands (the reads before, the writes, the commit, the read-back), the
// write either fails with a reason or the detector holds exactly what was
// written; the committed state is never a mix; and whatever the detector
// still holds staged is covered by a journal entry that the next connection
// finds and resolves.
TEST(WriteSettings, LineLostAtEveryPositionNeverGivesAFalseSuccess) {
    const QJsonObject written = WrittenState();
    int successes = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        Rig rig;
        clsInstrument record;
        ASSERT_TRUE(rig.connectAndRead(record));
        Edit(record);
        const QJsonObject before = rig.committed();
        rig.sim.faults().dropLineAfterN = n;
        const WriteSettings::Result r = WriteSettings::Run(rig.link, record, {}, {});
        rig.sim.faults() = SimFaults{};
        const QJsonObject after = rig.committed();
        if (r.Success()) {
            // The line was dropped after the last command: the sweep is done.
            EXPECT_EQ(after, written);
            ++successes;
            break;
        }
        EXPECT_FALSE(r.FailureLines.isEmpty());
        EXPECT_TRUE(after == before || after == written) << "a mix was committed";
        ASSERT_TRUE(rig.connect());
        const std::optional<PendingWrite> entry = UnfinishedWrite::Find(rig.link);
        if (rig.sim.stagedCount() > 0) {
            EXPECT_TRUE(entry.has_value()) << "staged writes without a journal entry";
        }
        if (entry) {
            // Odd positions finish the write, even ones put the old values back.
            const auto action =
                n % 2 ? UnfinishedWrite::Action::Finish : UnfinishedWrite::Action::Restore;
            const UnfinishedWrite::Result resolved =
                UnfinishedWrite::Resolve(rig.link, *entry, action, {});
            ASSERT_TRUE(resolved.Success()) << LinkResultName(resolved.reason).toStdString() << " "
                                            << resolved.Differences.join('\n').toStdString();
            EXPECT_EQ(rig.committed(),
                      action == UnfinishedWrite::Action::Finish ? written : before);
            EXPECT_EQ(rig.sim.stagedCount(), 0);
            EXPECT_TRUE(WriteJournal::All().isEmpty());
        }
        ASSERT_LT(n, 400) << "the write never got through";
    }
    EXPECT_EQ(successes, 1);
}

// The same sweep with one garbled answer, and with every other answer
// garbled from a position on: the link repeats a command whose answer it
// could not read, so the write gets through or fails; it never reports
// success with anything but the written state.
TEST(WriteSettings, GarbledAnswersNeverGiveAFalseSuccess) {
    const QJsonObject written = WrittenState();
    for (int n = 1; n <= 140; ++n) {
        SCOPED_TRACE(n);
        const Outcome o = WriteWithFault([n](SimFaults& f) { f.garbleEveryN = n; });
        if (o.result.Success()) {
            EXPECT_EQ(o.after, written);
        } else {
            EXPECT_FALSE(o.result.FailureLines.isEmpty());
        }
        EXPECT_TRUE(o.after == o.before || o.after == written);
        if (o.stagedAfter > 0) {
            EXPECT_TRUE(o.journalAfter);
        }
    }
}

TEST(WriteSettings, NothingFlaggedSendsNothingAndSucceeds) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    record.ClearChangeFlags();
    WriteSettings::Options options;
    options.mode = WriteSettings::Mode::Flagged;
    const WriteSettings::Result r = WriteSettings::Run(rig.link, record, options, {});
    EXPECT_TRUE(r.Success());
    EXPECT_EQ(r.Commands, 0);
    EXPECT_EQ(rig.writes(), QStringList());
}

TEST(WriteSettings, ADetectorWithAnUnfinishedWriteTakesNoOtherWrite) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    PendingWrite entry;
    entry.Serials = {record.SerialNo()};
    entry.NewCommands = {QStringLiteral("XP,W,0258")};
    entry.OldCommands = {QStringLiteral("XP,W,012C")};
    ASSERT_TRUE(WriteJournal::Save(entry));
    Edit(record);
    const QJsonObject before = rig.committed();
    const WriteSettings::Result r = WriteSettings::Run(rig.link, record, {}, {});
    EXPECT_FALSE(r.Success());
    ASSERT_FALSE(r.FailureLines.isEmpty());
    EXPECT_TRUE(r.FailureLines.first().contains(QStringLiteral("unfinished write")));
    EXPECT_EQ(rig.committed(), before);
    EXPECT_EQ(rig.writes(), QStringList());
}

// A detector that holds something else after storing: the read-back finds
// it, and the write fails naming the difference.
TEST(WriteSettings, AReadBackThatDiffersIsAFailure) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    Edit(record);
    bool committed = false;
    bool changed = false;
    QObject::connect(&rig.link, &uclTqif::StsTransmit, [&] {
        const QString frame = rig.link.LastFrame();
        committed = committed || frame.contains(QStringLiteral("DW,C"));
        if (committed && !changed && frame.contains(QStringLiteral(",R,"))) {
            rig.sim.state().specNo = QStringLiteral("SP-OTHER");
            changed = true;
        }
    });
    const WriteSettings::Result r = WriteSettings::Run(rig.link, record, {}, {});
    ASSERT_TRUE(changed);
    EXPECT_FALSE(r.Success());
    EXPECT_FALSE(r.Verified);
    EXPECT_FALSE(r.Differences.isEmpty());
    EXPECT_TRUE(WriteJournal::All().isEmpty()); // stored: nothing left staged
}
