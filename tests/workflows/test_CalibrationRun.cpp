// Calibration runs against the emulator: the commands as the detector
// receives them, per-channel results with channels the detector fails,
// refused runs reported as failures, the readings always started again, the
// history of a span in the caller's record, and no run on a detector that
// may hold part of an unfinished write.
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/modGasCommon.h"
#include "records/WriteJournal.h"
#include "workflows/CalibrationRun.h"

#include <QFile>

using workflows::Tone;
using workflowtest::Recorder;
using workflowtest::Rig;

namespace {

int Count(Rig& rig, const QByteArray& prefix) {
    int n = 0;
    for (const QByteArray& c : rig.sim.receivedCommands())
        n += c.startsWith(prefix) ? 1 : 0;
    return n;
}

QByteArray SerialLogText(Rig& rig) {
    return testsupport::ReadAll(rig.dir.file(QStringLiteral("SerialLog.log")));
}

// Whether the live readings ran while the link sent a command starting with
// `prefix`.
struct ReadingsWhileSending {
    bool sent = false;
    bool running = false;
    QMetaObject::Connection connection;
    ReadingsWhileSending(uclTqif& link, const QString& prefix) {
        connection = QObject::connect(&link, &uclTqif::StsTransmit, [this, &link, prefix] {
            if (link.LastFrame().contains(prefix)) {
                sent = true;
                running = running || link.RunDensty();
            }
        });
    }
    ~ReadingsWhileSending() { QObject::disconnect(connection); }
};

void Journal(Rig& rig) {
    PendingWrite entry;
    entry.Serials = {rig.sim.state().serialNo};
    entry.NewCommands = {QStringLiteral("XP,W,0258")};
    entry.OldCommands = {QStringLiteral("XP,W,012C")};
    ASSERT_TRUE(WriteJournal::Save(entry));
}

} // namespace

// The span command's text and the oxygen reading the "TE" run sends.
TEST(CalibrationRun, SpanAndOxygenTexts) {
    clsInstrument r;
    const float gas[5] = {50, 12, 2.5f, modGasCommon::kNoValue, 1.25f};
    const int16_t points[5] = {0, 1, 1, 2, 3};
    for (int ch = 0; ch < 5; ++ch) {
        r.setGasPoint(ch, points[ch]);
        r.setAutoCalib(ch, gas[ch]);
    }
    // A selected channel without a concentration is flagged, with "*****".
    EXPECT_EQ(CalibrationRun::SpanCommandText(r, {true, false, true, false, false}),
              "10100,   50,*****,  2.5,*****,*****");
    EXPECT_EQ(CalibrationRun::SpanCommandText(r, {true, true, true, true, true}),
              "11111,   50, 12.0,  2.5,*****,1.250");

    EXPECT_EQ(CalibrationRun::OxygenText(5.0f, 1), QStringLiteral("  5.0"));
    EXPECT_EQ(CalibrationRun::OxygenText(20.94f, 0), QStringLiteral("   21"));
    EXPECT_EQ(CalibrationRun::OxygenText(120.25f, 2), QStringLiteral("20.25"));
}

TEST(CalibrationRun, ResultLinesReportTheChannelsOfTheRun) {
    clsInstrument r;
    const char* names[5] = {"CH4", "O2", "CO", "H2S", "TE"};
    const int points[5] = {0, 1, 0, 1, 0};
    for (int ch = 0; ch < 5; ++ch) {
        r.setGasName(ch, QString::fromLatin1(names[ch]));
        r.setGasPoint(ch, int16_t(points[ch]));
    }
    const CalibrationRun::Readings readings = {3, 20.94f, 48, 12.25f, 7};
    const CalibrationRun::Channels calEnable = {true, true, true, false, true};
    const CalibrationRun::Channels status = {true, false, true, false, false};
    // A zero reports every channel that may be calibrated.
    EXPECT_EQ(CalibrationRun::ResultLines(r, calEnable, status, readings, calEnable),
              QStringLiteral("CH4  Adjustment Complete.\r\n"
                             "O2(20.9) Failed\r\n"
                             "CO  Adjustment Complete.\r\n"
                             "TE(7) Failed\r\n"));
    // A span the selected ones; a channel that cannot be calibrated shows
    // no reading.
    const CalibrationRun::Channels selected = {false, false, true, true, false};
    EXPECT_EQ(CalibrationRun::ResultLines(r, selected, status, readings, calEnable),
              QStringLiteral("CO  Adjustment Complete.\r\nH2S(-----) Failed\r\n"));
}

TEST(CalibrationRun, ReadInfoFillsWhatACalibrationNeeds) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    SimState& detector = rig.sim.state();
    detector.channels[1].autoCalib = -1; // no span gas value
    detector.channels[3].enabled = false;
    detector.channels[2].warning = 30;
    detector.channels[2].alarm = 60;
    clsInstrument main;
    rig.link.setInstrument(&main);
    rig.link.setRunDensty(true);

    clsInstrument cal;
    cal.setGasName(0, QStringLiteral("OLD"));
    CalibrationRun::Channels calEnable{};
    EXPECT_EQ(CalibrationRun::ReadInfo(rig.link, cal, true, &calEnable), LinkResult::Done);
    EXPECT_EQ(calEnable, (CalibrationRun::Channels{true, false, true, false, true}));
    EXPECT_EQ(cal.GasName(0).trimmed(), QStringLiteral("CH4"));
    EXPECT_FLOAT_EQ(cal.AutoCalib(2), 50);
    EXPECT_FLOAT_EQ(cal.Warning(2), 30);
    EXPECT_FLOAT_EQ(cal.Alarm(2), 60);
    EXPECT_EQ(cal.AlarmO2(), detector.AlarmO2);
    // The readings run again and the link keeps its own record.
    EXPECT_TRUE(rig.link.RunDensty());
    EXPECT_EQ(rig.link.Instrument(), &main);

    // A read that fails leaves no channel to calibrate.
    rig.sim.faults().refuseCodes << QStringLiteral("A2");
    EXPECT_NE(CalibrationRun::ReadInfo(rig.link, cal, true, &calEnable), LinkResult::Done);
    EXPECT_EQ(calEnable, CalibrationRun::Channels{});
}

// The channels the detector fails are reported as failed; a refused run is a
// failure with no channel done. The readings run again after either.
TEST(CalibrationRun, ZeroReportsEveryChannelAndARefusedZeroIsAFailure) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.sim.faults().calibFailMask = (1 << 1) | (1 << 3);
    rig.link.setRunDensty(true);
    const ReadingsWhileSending watch(rig.link, QStringLiteral("SZ,W,"));
    Recorder out;
    const CalibrationRun::Result run = CalibrationRun::Zero(rig.link, {}, out.report());
    ASSERT_TRUE(run.Success());
    EXPECT_EQ(Count(rig, "SZ,W,11111"), 1);
    EXPECT_EQ(run.Status, (CalibrationRun::Channels{true, false, true, false, true}));
    EXPECT_EQ(run.ResultText, QStringLiteral("01010"));
    EXPECT_TRUE(watch.sent);
    EXPECT_FALSE(watch.running); // no reading polled into the run
    EXPECT_TRUE(rig.link.RunDensty());
    EXPECT_TRUE(out.lines.isEmpty());

    rig.sim.faults().refuseCodes << QStringLiteral("SZ");
    const CalibrationRun::Result refused = CalibrationRun::Zero(rig.link, {}, out.report());
    EXPECT_EQ(refused.outcome, workflows::Outcome::Failed);
    EXPECT_NE(refused.reason, LinkResult::Done);
    EXPECT_EQ(refused.Status, CalibrationRun::Channels{});
    EXPECT_TRUE(out.has(LoadMessage(kMsgCalibrationFail), Tone::Failure));
    EXPECT_TRUE(SerialLogText(rig).contains("---Calibration Upload Failed---"));
    EXPECT_TRUE(rig.link.RunDensty());

    // The tool's run leaves them off.
    CalibrationRun::Options options;
    options.RestartReadings = false;
    CalibrationRun::Zero(rig.link, options, {});
    EXPECT_FALSE(rig.link.RunDensty());
}

TEST(CalibrationRun, SpanCalibratesTheSelectedChannelsAndReadsTheHistoryEvenWhenRefused) {
    Rig rig;
    clsInstrument main;
    ASSERT_TRUE(rig.connectAndRead(main));
    const double before = main.CalibDate(0);
    const double before3 = main.CalibDate(3);
    rig.sim.faults().calibFailMask = 1 << 3;

    clsInstrument cal;
    CalibrationRun::Channels calEnable{};
    ASSERT_EQ(CalibrationRun::ReadInfo(rig.link, cal, true, &calEnable), LinkResult::Done);
    cal.setAutoCalib(0, 45);
    cal.setAutoCalib(3, 20);
    const CalibrationRun::Channels selected = {true, false, false, true, false};
    rig.link.setRunDensty(true);
    rig.sim.clearReceivedCommands();
    Recorder out;
    const CalibrationRun::Result run =
        CalibrationRun::Span(rig.link, cal, selected, &main, {}, out.report());
    ASSERT_TRUE(run.Success());
    EXPECT_EQ(Count(rig, "S2,W,10010,   45,*****,*****, 20.0,*****"), 1);
    EXPECT_EQ(run.Status, (CalibrationRun::Channels{true, false, false, false, false}));
    EXPECT_TRUE(rig.link.RunDensty());
    EXPECT_TRUE(SerialLogText(rig).contains("---Calibration Upload Started---"));
    // The caller's record shows the run: channel 0 calibrated now, channel
    // 3 (failed) as before.
    EXPECT_GT(main.CalibDate(0), before);
    EXPECT_EQ(main.CalibDate(3), before3);
    EXPECT_FLOAT_EQ(main.CalibAfter(0), 45);

    // Refused: a failure with the span's reason, not the history read's;
    // the history is read anyway.
    rig.sim.faults().refuseCodes << QStringLiteral("S2");
    rig.sim.clearReceivedCommands();
    const CalibrationRun::Result refused =
        CalibrationRun::Span(rig.link, cal, selected, &main, {}, out.report());
    EXPECT_EQ(refused.outcome, workflows::Outcome::Failed);
    EXPECT_EQ(refused.reason, LinkResult::Refused);
    EXPECT_EQ(refused.Status, CalibrationRun::Channels{});
    EXPECT_TRUE(out.has(LoadMessage(kMsgCalibrationFail), Tone::Failure));
    EXPECT_EQ(Count(rig, "SO,R,"), 1);
    EXPECT_TRUE(rig.link.RunDensty());
}

TEST(CalibrationRun, TeN2SendsTheOxygenReading) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.link.setRunDensty(true);
    const ReadingsWhileSending watch(rig.link, QStringLiteral("SN,W,"));
    CalibrationRun::Result run = CalibrationRun::TeN2(rig.link, QStringLiteral(" 20.9"), {}, {});
    ASSERT_TRUE(run.Success());
    EXPECT_EQ(Count(rig, "SN,W, 20.9"), 1);
    EXPECT_EQ(run.Status, (CalibrationRun::Channels{false, false, false, false, true}));
    EXPECT_FALSE(watch.running);
    EXPECT_TRUE(rig.link.RunDensty());

    // No oxygen reading yet: nothing is sent.
    rig.sim.clearReceivedCommands();
    Recorder out;
    run = CalibrationRun::TeN2(rig.link, CalibrationRun::OxygenText(modGasCommon::kNoValue, 1), {},
                               out.report());
    EXPECT_EQ(run.outcome, workflows::Outcome::Refused);
    EXPECT_EQ(Count(rig, "SN,"), 0);
    EXPECT_TRUE(out.has(LoadMessage(kMsgCalibrationFail), Tone::Failure));
    EXPECT_TRUE(rig.link.RunDensty());

    // Channel 4 off: the detector refuses, the channel failed.
    rig.sim.state().channels[4].enabled = false;
    run = CalibrationRun::TeN2(rig.link, QStringLiteral(" 20.9"), {}, {});
    EXPECT_EQ(run.outcome, workflows::Outcome::Failed);
    EXPECT_FALSE(run.Status[4]);
    EXPECT_TRUE(rig.link.RunDensty());
}

TEST(CalibrationRun, NoRunOnADetectorWithAnUnfinishedWrite) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    Journal(rig);
    clsInstrument cal;
    CalibrationRun::Channels calEnable{};
    ASSERT_EQ(CalibrationRun::ReadInfo(rig.link, cal, false, &calEnable), LinkResult::Done);
    const QJsonObject before = rig.committed();
    rig.link.setRunDensty(true);
    Recorder out;
    const QString needed = LoadMessage(kMsgRecoveryNeeded, {rig.sim.state().serialNo.trimmed()});

    const CalibrationRun::Result zero = CalibrationRun::Zero(rig.link, {}, out.report());
    const CalibrationRun::Result span =
        CalibrationRun::Span(rig.link, cal, calEnable, &cal, {}, out.report());
    const CalibrationRun::Result te =
        CalibrationRun::TeN2(rig.link, QStringLiteral(" 20.9"), {}, out.report());
    for (const CalibrationRun::Result& run : {zero, span, te}) {
        EXPECT_EQ(run.outcome, workflows::Outcome::Refused);
        EXPECT_EQ(run.Status, CalibrationRun::Channels{});
    }
    EXPECT_TRUE(out.has(needed, Tone::Failure));
    EXPECT_TRUE(out.has(LoadMessage(kMsgCalibrationFail), Tone::Failure));
    EXPECT_EQ(Count(rig, "SZ,"), 0);
    EXPECT_EQ(Count(rig, "S2,"), 0);
    EXPECT_EQ(Count(rig, "SN,"), 0);
    EXPECT_EQ(rig.committed(), before);
    EXPECT_TRUE(rig.link.RunDensty());

    // Once the write is resolved the runs go ahead.
    for (const PendingWrite& entry : WriteJournal::All())
        WriteJournal::Remove(entry);
    EXPECT_TRUE(CalibrationRun::Zero(rig.link, {}, {}).Success());
}

TEST(CalibrationRun, RangeAndGasSwitchesPauseTheReadings) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.sim.setCommitPolls(3);
    rig.link.setRunDensty(true);
    const ReadingsWhileSending watch(rig.link, QStringLiteral("LR,"));
    int seconds = 0;
    EXPECT_TRUE(CalibrationRun::SwitchRange(rig.link, 1, [&seconds] { ++seconds; }));
    EXPECT_EQ(rig.sim.state().SHmode, 1);
    EXPECT_GE(seconds, 3);
    EXPECT_FALSE(watch.running);
    EXPECT_TRUE(rig.link.RunDensty());

    EXPECT_TRUE(CalibrationRun::SwitchRange(rig.link, 0));
    EXPECT_EQ(rig.sim.state().SHmode, 0);
    EXPECT_TRUE(CalibrationRun::SetWetDry(rig.link, 1));
    EXPECT_EQ(rig.sim.state().shWetDry, 1);
    EXPECT_TRUE(rig.link.RunDensty());

    // Readings that did not run stay off.
    rig.link.setRunDensty(false);
    EXPECT_TRUE(CalibrationRun::SetWetDry(rig.link, 0));
    EXPECT_FALSE(rig.link.RunDensty());
}
