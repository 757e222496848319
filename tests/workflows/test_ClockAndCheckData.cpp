// "Date/Time Set" and "Write Check Data" against the emulator: the
// completion line only when the detector took the command; a refusal, no
// detector or a busy link is reported as a failure with its reason.
#include "WorkflowRig.h"

#include "workflows/ClockAndCheckData.h"

using workflowtest::Rig;

namespace {

struct Lines {
    QStringList progress;
    QStringList failures;
    workflows::Report report() {
        workflows::Report r;
        r.line = [this](const QString& text, workflows::Tone tone) {
            (tone == workflows::Tone::Failure ? failures : progress) << text.trimmed();
        };
        return r;
    }
};

const QString kComplete = QStringLiteral("TQ-7350 Upload Complete.");

} // namespace

TEST(DateTimeSet, SetsTheClockOrSaysWhyNot) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    rig.sim.state().clockOffsetSecs = 7200;
    record.setSysDateOffset(1.5);

    // Refused: the link reports the refusal itself; the detector's clock and
    // the record's difference stay as they were.
    rig.sim.faults().refuseCodes = {QStringLiteral("HC:W")};
    Lines refused;
    DateTimeSet::Result r = DateTimeSet::Run(rig.link, record, {}, refused.report());
    EXPECT_FALSE(r.Success());
    EXPECT_EQ(r.reason, LinkResult::Refused);
    EXPECT_EQ(refused.failures,
              QStringList{QStringLiteral(
                  "TQ-7350 Date/Time Set Failed: the detector refused the command")});
    EXPECT_FALSE(refused.progress.contains(kComplete));
    EXPECT_DOUBLE_EQ(record.SysDateOffset(), 1.5);
    EXPECT_EQ(rig.sim.state().clockOffsetSecs, 7200);

    // No answer at all: nothing read back, the record keeps its difference.
    rig.sim.faults() = SimFaults{};
    rig.sim.faults().silent = true;
    Lines silent;
    r = DateTimeSet::Run(rig.link, record, {}, silent.report());
    EXPECT_EQ(r.reason, LinkResult::TimedOut);
    EXPECT_EQ(silent.failures, QStringList{QStringLiteral(
                                   "TQ-7350 Date/Time Set Failed: the detector did not answer")});
    EXPECT_DOUBLE_EQ(record.SysDateOffset(), 1.5);

    rig.sim.faults() = SimFaults{};
    Lines done;
    r = DateTimeSet::Run(rig.link, record, {}, done.report());
    EXPECT_TRUE(r.Success());
    EXPECT_EQ(done.progress,
              (QStringList{QStringLiteral("TQ-7350 Instrument Information Upload."), kComplete}));
    EXPECT_TRUE(rig.sim.receivedCommands().endsWith("HC,R,")); // read back
    EXPECT_TRUE(done.failures.isEmpty());
    EXPECT_NEAR(record.SysDateOffset() * 86400, 0, 2);
    EXPECT_LE(qAbs(rig.sim.state().clockOffsetSecs), 2);
}

TEST(CheckDataWrite, WritesThePatternOrSaysWhyNot) {
    Rig rig;
    // Not connected yet: nothing is sent.
    Lines none;
    EXPECT_EQ(CheckDataWrite::Run(rig.link, none.report()).outcome,
              workflows::Outcome::NotConnected);
    EXPECT_EQ(none.failures, QStringList{QStringLiteral(
                                 "TQ-7350 Write Check Data Failed: no detector is connected")});
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());

    ASSERT_TRUE(rig.connect());
    rig.sim.faults().silent = true;
    Lines refused;
    EXPECT_FALSE(CheckDataWrite::Run(rig.link, refused.report()).Success());
    EXPECT_EQ(refused.failures,
              QStringList{
                  QStringLiteral("TQ-7350 Write Check Data Failed: the detector did not answer")});
    EXPECT_TRUE(refused.progress.isEmpty());
    EXPECT_EQ(rig.sim.state().loggerContent, SimLoggerContent::Default);

    rig.sim.faults() = SimFaults{};
    ASSERT_TRUE(rig.connect());
    Lines done;
    EXPECT_TRUE(CheckDataWrite::Run(rig.link, done.report()).Success());
    EXPECT_EQ(done.progress, QStringList{kComplete});
    EXPECT_EQ(rig.sim.state().loggerContent, SimLoggerContent::Check);
}
