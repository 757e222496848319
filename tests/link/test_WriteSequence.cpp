// Write sequence and commit against the emulator.
#include "SequenceFixture.h"

#include "link/ReadSequence.h"
#include "link/WriteSequence.h"
#include "model/FieldFormat.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

namespace {

using R = clsInstrument;

// A single-value setting: its setter, its getter and a value (or -1 to flip
// the setting between 0 and 1).
struct Setting {
    void (R::*set)(int16_t);
    int16_t (R::*get)() const;
    int16_t value;
};
#define SETTING(name, value)                                                                       \
    { &R::set##name, &R::name, value }
const Setting kChanged[] = {
    SETTING(HcMode, 2),         SETTING(AlarmMode, -1),     SETTING(DispID, -1),
    SETTING(dlogOnOff, -1),     SETTING(PeakBar, -1),       SETTING(DispCalLimit, -1),
    SETTING(CalCheck, 2),       SETTING(CalCheckALL, -1),   SETTING(Confirmation, -1),
    SETTING(LunchBreak, -1),    SETTING(AlarmSilence, -1),  SETTING(LogOverWrite, -1),
    SETTING(LcdBackLight, 30),  SETTING(PumpOnOffDisp, -1), SETTING(BumpFunction, -1),
    SETTING(DispBumpLimit, -1), SETTING(BumpLimit, 15),     SETTING(BumpCheck, 1),
    SETTING(BumpTime, 3),       SETTING(BumpThreshold, 2),  SETTING(BumpFailCalTime, 1),
    SETTING(BumpFailAfter, 1),  SETTING(BumpCheckALL, -1),  SETTING(LcBhMode, 2),
    SETTING(BhTime, 1),         SETTING(LcBuzzer, 1),       SETTING(AlarmOnOff, -1),
    SETTING(StelTwaOnOff, -1),  SETTING(AlarmO2, 2),        SETTING(CalLimit, 200),
    SETTING(Intervals, 600),    SETTING(Lc_PpmAuto, -1),    SETTING(AutoZero, -1),
    SETTING(DemandZero, -1),    SETTING(UseUserPassword, 1)};
#undef SETTING

} // namespace

class WriteSequence : public SequenceFixture {
protected:
    // A record holding what the detector holds, with no flag set.
    void readBack(clsInstrument& rec) {
        ASSERT_TRUE(GetInstrument(link, ctx, &rec));
        rec.ClearChangeFlags();
        sim.clearReceivedCommands();
    }
    int countOf(const QString& text) const { return received().count(text); }
};

TEST_F(WriteSequence, NothingFlaggedSendsNothing) {
    clsInstrument rec;
    rec.ClearChangeFlags();
    EXPECT_TRUE(SetInstrument(link, ctx, &rec));
    EXPECT_TRUE(received().isEmpty());
    const QString log = logText();
    EXPECT_TRUE(log.contains("---Instrument Upload Started---. Date = "));
    EXPECT_TRUE(log.contains("---Instrument Upload Finished---. Date = "));
    EXPECT_TRUE(log.contains("[Time = 00:00:00]"));
    EXPECT_FALSE(log.contains("Failed"));
    EXPECT_FALSE(SetInstrument(link, ctx, nullptr));
}

// Every setting changed, every block flagged: the exact requests go out,
// the detector takes each, and a read gives the changed values back.
TEST_F(WriteSequence, WholeRecordWrittenExactlyAndReadBack) {
    clsInstrument rec;
    readBack(rec);
    // Every channel a different number of decimals (0, 1, 3, off, 2).
    modGasCommon::ApplyChannelDescriptor(QStringLiteral("NH3        2.0000.005ppm "), rec, 2);
    modGasCommon::ApplyChannelDescriptor(QStringLiteral("CH4         5.00 0.05vol%"), rec, 4);
    rec.setGasEnabled(3, false);
    const float points[5][5] = {{10, 50, -101, -101, 50},
                                {19.5f, 18.0f, -101, -101, 12.0f},
                                {0.5f, 1.0f, 1.5f, 0.75f, 1.5f},
                                {-101, -101, -101, -101, -101},
                                {1.25f, 2.5f, 3.0f, 2.75f, 2.5f}};
    for (int ch = 0; ch < 5; ++ch) {
        rec.setWarning(ch, points[ch][0]);
        rec.setAlarm(ch, points[ch][1]);
        rec.setStel(ch, points[ch][2]);
        rec.setTwa(ch, points[ch][3]);
        rec.setAutoCalib(ch, points[ch][4]);
        rec.setZero(ch, int16_t(ch % 2));
    }
    for (const Setting& x : kChanged)
        (rec.*x.set)(x.value >= 0 ? x.value : static_cast<int16_t>((rec.*x.get)() ? 0 : 1));
    rec.setSpecNo("SPEC-9");
    rec.setUserID("INSPECTOR");
    rec.setStationID("TANK-3");
    rec.setSerialNo("SN-12345");
    rec.setDummySerial("DM-777");
    rec.setLSindex(3);
    rec.setSpecType("2");
    rec.setUserPassword2("4321");
    rec.SetChangeFlags(true, true);
    rec.setChange_DummySerial(true);
    rec.setChange_LSData(0, true);
    rec.setStationList(5, "NORTH");
    rec.setUserList(127, "LAST USER");
    const clsInstrument wanted = rec;
    const QStringList expected = PendingWriteCommands(rec);
    EXPECT_EQ(PendingWriteCommands(rec), expected); // building them changes nothing

    QList<QByteArray> wire;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer,
                     [&](const QByteArray& b) { wire << b; });
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));

    // 44 single blocks and the 128 + 128 list entries, then the commit.
    ASSERT_EQ(expected.size(), 44 + 256);
    const QStringList got = received();
    ASSERT_GE(got.size(), expected.size() + 2);
    EXPECT_EQ(got.mid(0, expected.size()), expected);
    EXPECT_EQ(got.at(expected.size()), "DW,W,");
    EXPECT_EQ(got.mid(expected.size() + 1), QStringList(got.size() - expected.size() - 1, "DW,C,"));
    EXPECT_EQ(sim.stagedCount(), 0);
    // A few requests byte for byte.
    const QString gj = "GJ,W," + FieldFormat::Gas25(wanted, 0) + ',' +
                       FieldFormat::Gas25(wanted, 1) + ",NH3        2.0000.005ppm ," +
                       QString(25, '*') + ",CH4         5.00 0.05vol%";
    for (const QString& text : QStringList{
             gj, "A1,W,   10, 19.5,0.500,*****, 1.25", "A2,W,   50, 18.0,1.000,*****, 2.50",
             "AS,W,*****,*****,1.500,*****, 3.00", "AW,W,*****,*****,0.750,*****, 2.75",
             "SA,W,   50, 12.0,1.500,*****, 2.50", "UZ,W,01010", "XS,W,0005,NORTH           ",
             "XZ,W,007F,LAST USER       ", "XP,W,0258", "MP,W,1,4321", "LS,W,03"})
        EXPECT_TRUE(wire.contains(FrameEngine::BuildFrame(text, FrameEngine::EOT).toLatin1()))
            << text.toStdString();

    // Flags: cleared where the blocks say so, kept where they do not.
    for (bool (R::*flag)() const : {&R::Change_SpecNo, &R::Change_UserPassword2})
        EXPECT_FALSE((rec.*flag)());
    EXPECT_FALSE(rec.Change_GasEnable(3));
    EXPECT_FALSE(rec.Change_Warn(4));
    EXPECT_FALSE(rec.Change_StationList(5));
    EXPECT_FALSE(rec.Change_UserList(127));
    for (bool (R::*flag)() const : {&R::Change_HCMode, &R::Change_BumpTime, &R::Change_LcBhMode,
                                    &R::Change_AlarmOnOff, &R::Change_StelTwaOnOff})
        EXPECT_TRUE((rec.*flag)());

    // The detector now holds every changed value.
    clsInstrument back;
    ASSERT_TRUE(GetInstrument(link, ctx, &back));
    EXPECT_EQ(QStringList({back.SpecNo(), back.UserID(), back.StationID(), back.SerialNo(),
                           back.DummySerial(), back.SpecType(), back.UserPassword2(),
                           back.StationList(5), back.UserList(127)}),
              QStringList({"SPEC-9", "INSPECTOR", "TANK-3", "SN-12345", "DM-777", "2", "4321",
                           "NORTH", "LAST USER"}));
    EXPECT_EQ(back.LSindex(), 3);
    EXPECT_EQ(back.LS_Name(0).trimmed(), back.LI_Name(3).trimmed());
    for (const Setting& x : kChanged)
        EXPECT_EQ((back.*x.get)(), (wanted.*x.get)()) << "setting " << (&x - kChanged);
    for (int ch = 0; ch < 5; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(back.GasEnabled(ch), wanted.GasEnabled(ch));
        EXPECT_EQ(back.Zero(ch), ch % 2);
        if (!wanted.GasEnabled(ch))
            continue;
        EXPECT_EQ(FieldFormat::Gas25(back, ch), FieldFormat::Gas25(wanted, ch));
        for (float (R::*get)(int) const :
             {&R::Warning, &R::Alarm, &R::Stel, &R::Twa, &R::AutoCalib})
            EXPECT_FLOAT_EQ((back.*get)(ch), (wanted.*get)(ch));
    }

    // The list entries are not sent a second time.
    sim.clearReceivedCommands();
    rec.ClearChangeFlags();
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));
    EXPECT_TRUE(received().isEmpty());
}

TEST_F(WriteSequence, ARefusedThirdCommandStopsEverything) {
    clsInstrument rec;
    readBack(rec);
    rec.setSpecNo("SPEC-2");
    rec.setUserID("INSPECTOR");
    rec.setStationID("TANK-3");
    rec.setSerialNo("SN-1");
    rec.setAlarmMode(1);
    sim.faults().refuseCodes = QStringList{"XS"};
    EXPECT_FALSE(SetInstrument(link, ctx, &rec));

    const QStringList got = received();
    ASSERT_EQ(got.size(), 2 + 1 + link.Retry());
    EXPECT_EQ(got.at(0), "BS,W,SPEC-2    ");
    EXPECT_EQ(got.at(1), "XZ,W,****,INSPECTOR       ");
    EXPECT_EQ(got.mid(2), QStringList(1 + link.Retry(), "XS,W,****,TANK-3          "));
    EXPECT_FALSE(rec.Change_SpecNo());
    EXPECT_FALSE(rec.Change_UserID());
    EXPECT_TRUE(rec.Change_StationID());
    EXPECT_TRUE(rec.Change_SerialNo());
    EXPECT_TRUE(rec.Change_AlarmMode());
    EXPECT_TRUE(logText().contains("---Instrument Upload Failed---. Date = "));
    EXPECT_FALSE(logText().contains("---Instrument Upload Finished---"));
    // Nothing was committed: the detector still holds its old values.
    EXPECT_NE(sim.state().specNo, "SPEC-2");
}

// The line drops after the second command and comes back at once: the run
// ends there, without sending the rest to a detector that may have lost
// them, and nothing is committed.
TEST_F(WriteSequence, ALostLineEndsTheWriteBeforeTheNextCommand) {
    clsInstrument rec;
    readBack(rec);
    rec.setSpecNo("SPEC-2");
    rec.setUserID("INSPECTOR");
    rec.setStationID("TANK-3");
    rec.setAlarmMode(1 - rec.AlarmMode());
    sim.faults().dropLineAfterN = 2;
    QObject::connect(&sim, &SimDetector::lineDropped,
                     [this] { clock.singleShot(10, [this] { sim.setLineUp(true); }); });
    QList<QByteArray> wire;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer,
                     [&](const QByteArray& b) { wire << b; });
    const WriteRun run = WriteRecord(link, ctx, &rec);
    EXPECT_EQ(run.Result, LinkResult::LineLost);
    EXPECT_EQ(run.Accepted, QStringList({"BS,W,SPEC-2    ", "XZ,W,****,INSPECTOR       "}));
    EXPECT_FALSE(run.CommitStarted);
    ASSERT_EQ(wire.size(), 2);
    clock.runFor(5000);
    EXPECT_NE(sim.state().specNo, "SPEC-2");
}

// The commit is confirmed every 5 s while the detector stores; one that
// never finishes is a failure after two minutes, or the caller's bound.
TEST_F(WriteSequence, CommitWaitsWhileTheDetectorStoresAndGivesUp) {
    clsInstrument rec;
    readBack(rec);
    sim.setCommitPolls(3);
    rec.setAlarmMode(1 - rec.AlarmMode());
    qint64 start = clock.elapsedMs();
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));
    EXPECT_EQ(countOf("DW,W,"), 1);
    EXPECT_EQ(countOf("DW,C,"), 4);
    EXPECT_GE(clock.elapsedMs() - start, 4 * 5000);
    EXPECT_LT(clock.elapsedMs() - start, 4 * 5000 + 1000);
    EXPECT_TRUE(link.CommitDone());
    EXPECT_EQ(sim.state().AlarmMode, rec.AlarmMode());
    EXPECT_TRUE(logText().contains("[Time = 00:00:20]"));

    sim.clearReceivedCommands();
    sim.faults().neverCommit = true;
    rec.setAlarmMode(1 - rec.AlarmMode());
    start = clock.elapsedMs();
    EXPECT_FALSE(SetInstrument(link, ctx, &rec));
    EXPECT_GE(clock.elapsedMs() - start, 120000);
    EXPECT_LT(clock.elapsedMs() - start, 130000);
    EXPECT_EQ(countOf("DW,C,"), 24);
    EXPECT_TRUE(logText().contains("---Instrument Upload Failed---. Date = "));

    sim.clearReceivedCommands();
    rec.setAlarmMode(1 - rec.AlarmMode());
    EXPECT_FALSE(SetInstrument(link, ctx, &rec, CommitTiming{5000, 20000}));
    EXPECT_EQ(countOf("DW,C,"), 4);
}
