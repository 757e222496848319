// Write sequence and commit against the emulator.
#include "SequenceFixture.h"

#include "link/ReadSequence.h"
#include "link/WriteSequence.h"
#include "model/clsInstrument.h"

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

// The request frame exactly as it must appear on the line.
QByteArray Wire(const QString& text) {
    QByteArray f;
    f += char(0x02);
    f += "0001";
    f += text.toLatin1();
    f += char(0x03);
    int sum = 0;
    for (char c : f)
        sum += static_cast<unsigned char>(c);
    f += QByteArray::number((256 - sum % 256) % 256, 16).toUpper().rightJustified(2, '0');
    f += char(0x04);
    return f;
}

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

    // Gives every channel a different number of decimals (0, 1, 3, off, 2).
    static void reshapeChannels(clsInstrument& rec) {
        rec.setGasName(2, "NH3");
        rec.setGasPoint(2, 3);
        rec.setGasFullScale(2, 2.0f);
        rec.setGasDesit(2, 0.005f);
        rec.setGasUnit(2, "ppm");
        rec.setGasEnabled(2, true);
        rec.setGasEnabled(3, false);
        rec.setGasName(4, "CH4");
        rec.setGasPoint(4, 2);
        rec.setGasFullScale(4, 5.0f);
        rec.setGasDesit(4, 0.05f);
        rec.setGasUnit(4, "vol%");
        rec.setGasEnabled(4, true);
        const float warn[5] = {10, 19.5f, 0.5f, -101, 1.25f};
        const float alarm[5] = {50, 18.0f, 1.0f, -101, 2.5f};
        const float span[5] = {50, 12.0f, 1.5f, -101, 2.5f};
        for (int ch = 0; ch < 5; ++ch) {
            rec.setWarning(ch, warn[ch]);
            rec.setAlarm(ch, alarm[ch]);
            rec.setStel(ch, ch == 3 ? -101 : rec.Stel(ch));
            rec.setTwa(ch, ch == 3 ? -101 : rec.Twa(ch));
            rec.setAutoCalib(ch, span[ch]);
        }
        if (rec.Stel(2) > 2.0f)
            rec.setStel(2, -101);
        if (rec.Twa(2) > 2.0f)
            rec.setTwa(2, -101);
        if (rec.Stel(4) > 5.0f)
            rec.setStel(4, -101);
        if (rec.Twa(4) > 5.0f)
            rec.setTwa(4, -101);
    }
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

TEST_F(WriteSequence, EveryBlockSendsItsExactRequestAndIsAccepted) {
    clsInstrument rec;
    readBack(rec);
    reshapeChannels(rec);
    rec.SetChangeFlags(true, true);
    rec.setChange_DummySerial(true);
    rec.setStationList(5, "NORTH");
    rec.setUserList(127, "LAST USER");
    const QStringList expected = PendingWriteCommands(rec);
    EXPECT_EQ(PendingWriteCommands(rec), expected); // building them changes nothing

    QList<QByteArray> wire;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer,
                     [&](const QByteArray& b) { wire << b; });
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));

    // 44 single blocks and the 128 + 128 list entries.
    ASSERT_EQ(expected.size(), 44 + 256);
    const QStringList got = received();
    ASSERT_GE(got.size(), expected.size() + 2);
    EXPECT_EQ(got.mid(0, expected.size()), expected);
    EXPECT_EQ(got.at(expected.size()), "DW,W,");
    for (int i = expected.size() + 1; i < got.size(); ++i)
        EXPECT_EQ(got.at(i), "DW,C,");
    EXPECT_EQ(sim.stagedCount(), 0);

    // A few requests byte for byte.
    const QString nh3 = QString("NH3").leftJustified(11) + "2.0000.005" + "ppm ";
    const QString ch4 = QString("CH4").leftJustified(11) + " 5.00 0.05" + "vol%";
    EXPECT_TRUE(expected.contains("GJ,W," + CommandSet::Gas25(rec, 0) + "," +
                                  CommandSet::Gas25(rec, 1) + "," + nh3 + "," + QString(25, '*') +
                                  "," + ch4))
        << expected.join('\n').toStdString();
    EXPECT_TRUE(expected.contains("A1,W,   10, 19.5,0.500,*****, 1.25"));
    EXPECT_TRUE(expected.contains("A2,W,   50, 18.0,1.000,*****, 2.50"));
    EXPECT_TRUE(expected.contains("SA,W,   50, 12.0,1.500,*****, 2.50"));
    EXPECT_TRUE(wire.contains(Wire("A1,W,   10, 19.5,0.500,*****, 1.25")));
    EXPECT_TRUE(wire.contains(Wire("XS,W,0005,NORTH           ")));
    EXPECT_TRUE(wire.contains(Wire("XZ,W,007F,LAST USER       ")));
    EXPECT_TRUE(wire.contains(Wire("XP,W," + CommandSet::Hex4(rec.Intervals()))));
    EXPECT_TRUE(wire.contains(
        Wire("MP,W," + QString::number(rec.UseUserPassword()) + "," + rec.UserPassword2())));
    EXPECT_TRUE(wire.contains(Wire("DW,W,")));

    // Flags: cleared where the blocks say so, kept where they do not.
    EXPECT_FALSE(rec.Change_SpecNo());
    EXPECT_FALSE(rec.Change_GasEnable(3));
    EXPECT_FALSE(rec.Change_Warn(4));
    EXPECT_FALSE(rec.Change_UserPassword2());
    EXPECT_FALSE(rec.Change_StationList(5));
    EXPECT_FALSE(rec.Change_UserList(127));
    EXPECT_TRUE(rec.Change_HCMode());
    EXPECT_TRUE(rec.Change_BumpTime());
    EXPECT_TRUE(rec.Change_LcBhMode());
    EXPECT_TRUE(rec.Change_AlarmOnOff());
    EXPECT_TRUE(rec.Change_StelTwaOnOff());

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
    ASSERT_GE(got.size(), 3);
    EXPECT_EQ(got.at(0), "BS,W,SPEC-2    ");
    EXPECT_EQ(got.at(1), "XZ,W,****,INSPECTOR       ");
    for (int i = 2; i < got.size(); ++i)
        EXPECT_EQ(got.at(i), "XS,W,****,TANK-3          ");
    EXPECT_EQ(got.size(), 2 + 1 + link.Retry());
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

TEST_F(WriteSequence, CommitWaitsWhileTheDetectorStores) {
    clsInstrument rec;
    readBack(rec);
    sim.setCommitPolls(3);
    rec.setAlarmMode(1 - rec.AlarmMode());
    const qint64 start = clock.elapsedMs();
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));
    EXPECT_EQ(countOf("DW,W,"), 1);
    EXPECT_EQ(countOf("DW,C,"), 4);
    EXPECT_GE(clock.elapsedMs() - start, 4 * 5000);
    EXPECT_LT(clock.elapsedMs() - start, 4 * 5000 + 1000);
    EXPECT_TRUE(link.CommitDone());
    EXPECT_EQ(sim.state().AlarmMode, rec.AlarmMode());
    EXPECT_TRUE(logText().contains("[Time = 00:00:20]"));
}

TEST_F(WriteSequence, CommitThatNeverFinishesGivesUp) {
    clsInstrument rec;
    readBack(rec);
    sim.faults().neverCommit = true;
    rec.setAlarmMode(1 - rec.AlarmMode());
    const qint64 start = clock.elapsedMs();
    EXPECT_FALSE(SetInstrument(link, ctx, &rec));
    const qint64 spent = clock.elapsedMs() - start;
    EXPECT_GE(spent, 120000);
    EXPECT_LT(spent, 130000);
    EXPECT_EQ(countOf("DW,C,"), 24);
    EXPECT_TRUE(logText().contains("---Instrument Upload Failed---. Date = "));

    // A shorter bound of the caller's choice.
    sim.clearReceivedCommands();
    rec.setAlarmMode(1 - rec.AlarmMode());
    EXPECT_FALSE(SetInstrument(link, ctx, &rec, CommitTiming{5000, 20000}));
    EXPECT_EQ(countOf("DW,C,"), 4);
}

TEST_F(WriteSequence, CancelEndsTheCommitPause) {
    clsInstrument rec;
    readBack(rec);
    rec.setAlarmMode(1 - rec.AlarmMode());
    qint64 commitAt = -1;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, [&](const QByteArray& b) {
        if (b.contains("DW,W,"))
            commitAt = clock.elapsedMs();
    });
    QObject::connect(&clock, &LinkClock::tick, [&] {
        if (commitAt >= 0 && clock.elapsedMs() >= commitAt + 1000)
            link.setCancel(true);
    });
    EXPECT_FALSE(SetInstrument(link, ctx, &rec));
    ASSERT_GE(commitAt, 0);
    EXPECT_EQ(countOf("DW,C,"), 0);
    EXPECT_LT(clock.elapsedMs() - commitAt, 2000);
    EXPECT_TRUE(logText().contains("---Instrument Upload Failed---"));
}

TEST_F(WriteSequence, RoundTripGivesTheChangedValuesBack) {
    clsInstrument rec;
    readBack(rec);
    reshapeChannels(rec);
    for (const Setting& x : kChanged)
        (rec.*x.set)(x.value >= 0 ? x.value : static_cast<int16_t>((rec.*x.get)() ? 0 : 1));
    rec.setSpecNo("SPEC-9");
    rec.setUserID("INSPECTOR");
    rec.setStationID("TANK-3");
    rec.setSerialNo("SN-12345");
    rec.setDummySerial("DM-777");
    rec.setChange_DummySerial(true);
    rec.setLSindex(3);
    rec.setChange_LSData(0, true);
    for (int ch = 0; ch < 5; ++ch)
        rec.setZero(ch, ch % 2);
    rec.setSpecType("2");
    rec.setUserPassword2("4321");
    rec.setStationList(10, "NEW-ST");
    rec.setUserList(20, "NEW-US");
    const clsInstrument wanted = rec;
    ASSERT_TRUE(SetInstrument(link, ctx, &rec));

    clsInstrument back;
    ASSERT_TRUE(GetInstrument(link, ctx, &back));
    EXPECT_EQ(back.SpecNo(), "SPEC-9");
    EXPECT_EQ(back.UserID(), "INSPECTOR");
    EXPECT_EQ(back.StationID(), "TANK-3");
    EXPECT_EQ(back.SerialNo(), "SN-12345");
    EXPECT_EQ(back.DummySerial(), "DM-777");
    EXPECT_EQ(back.LSindex(), 3);
    EXPECT_EQ(back.LS_Name(0).trimmed(), back.LI_Name(3).trimmed());
    for (const Setting& x : kChanged)
        EXPECT_EQ((back.*x.get)(), (wanted.*x.get)()) << "setting " << (&x - kChanged);
    EXPECT_EQ(back.SpecType(), "2");
    EXPECT_EQ(back.UserPassword2(), "4321");
    EXPECT_EQ(back.StationList(10), "NEW-ST");
    EXPECT_EQ(back.UserList(20), "NEW-US");
    for (int ch = 0; ch < 5; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(back.GasEnabled(ch), wanted.GasEnabled(ch));
        EXPECT_EQ(back.Zero(ch), ch % 2);
        if (!wanted.GasEnabled(ch))
            continue;
        EXPECT_EQ(back.GasName(ch), wanted.GasName(ch));
        EXPECT_EQ(back.GasPoint(ch), wanted.GasPoint(ch));
        EXPECT_EQ(back.GasUnit(ch), wanted.GasUnit(ch));
        for (float (R::*get)(int) const : {&R::GasFullScale, &R::GasDesit, &R::Warning, &R::Alarm,
                                           &R::Stel, &R::Twa, &R::AutoCalib})
            EXPECT_FLOAT_EQ((back.*get)(ch), (wanted.*get)(ch));
    }
}
