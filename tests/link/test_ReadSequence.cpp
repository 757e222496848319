// Read-all sequence against the emulator.
#include "SequenceFixture.h"

#include "link/ReadSequence.h"
#include "model/clsInstrument.h"

namespace {

// A getter of the record and the emulator's field of the same name.
#define FIELD(name)                                                                                \
    { &clsInstrument::name, &SimState::name }

QStringList NonEmpty(const QStringList& table) {
    QStringList out;
    for (const QString& t : table) {
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace

class ReadSequence : public SequenceFixture {};

// The whole table goes out in order and the record ends as the detector holds
// it. Each answer's decoding is the command set's tests; the values a write
// changes are compared after a read in the write sequence's test.
TEST_F(ReadSequence, FullReadFillsTheRecordAsTheDetectorHoldsIt) {
    SimState& s = sim.state();
    // Distinctive values where the defaults are plain.
    s.stationId = "PLANT-7";
    s.userList[0] = "ALPHA";
    s.userList[127] = "OMEGA";
    s.stationList[64] = "MIDDLE";
    s.Intervals = 0x12C;
    s.DispID = 1;
    s.AlarmMode = 2;
    s.CalCheckALL = 1;
    s.BumpTime = 45;
    s.BumpFailCalTime = 1;
    s.UserPassword2 = "1234";
    s.UseUserPassword = 1;
    s.channels[3].enabled = false;

    clsInstrument rec;
    rec.setMessageString("hello");
    QStringList messages;
    QObject::connect(&link, &uclTqif::InstMessage, [&](const QString& m) { messages << m; });
    ASSERT_TRUE(GetInstrument(link, ctx, &rec));

    // 313 commands in table order, the last slot empty.
    ASSERT_EQ(ReadCommandTable().size(), 333);
    EXPECT_EQ(received(), NonEmpty(ReadCommandTable()));
    EXPECT_EQ(received().size(), 313);
    EXPECT_EQ(ctx.Instrument, &rec);
    EXPECT_TRUE(messages.isEmpty()); // ClearDatas emptied the message first

    EXPECT_EQ(QStringList({rec.SerialNo(), rec.StationID(), rec.UserPassword2()}),
              QStringList({s.serialNo, "PLANT-7", "1234"}));
    EXPECT_EQ(rec.RomNumber(), s.romNumber);
    EXPECT_EQ(rec.Intervals(), 0x12C);
    // An empty name is read as 16 dashes.
    const auto listed = [](const QString& t) {
        return t.trimmed().isEmpty() ? QString(16, '-') : t.trimmed();
    };
    for (size_t i = 0; i < 128; ++i) {
        EXPECT_EQ(rec.StationList(int(i)).trimmed(), listed(s.stationList[i])) << i;
        EXPECT_EQ(rec.UserList(int(i)).trimmed(), listed(s.userList[i])) << i;
        EXPECT_FALSE(rec.Change_StationList(int(i)));
    }
    // Every single-value setting as the detector holds it.
    const std::pair<int16_t (clsInstrument::*)() const, int SimState::*> settings[] = {
        FIELD(CalLimit),      FIELD(LcdBackLight),    FIELD(BumpLimit),     FIELD(pressOffset),
        FIELD(DispID),        FIELD(dlogOnOff),       FIELD(PumpOnOffDisp), FIELD(PeakBar),
        FIELD(Confirmation),  FIELD(HcMode),          FIELD(AlarmMode),     FIELD(DispCalLimit),
        FIELD(CalCheck),      FIELD(CalCheckALL),     FIELD(BumpCheckALL),  FIELD(LunchBreak),
        FIELD(AlarmSilence),  FIELD(LogOverWrite),    FIELD(Lc_PpmAuto),    FIELD(IsCustom),
        FIELD(BumpFunction),  FIELD(BumpCheck),       FIELD(DispBumpLimit), FIELD(BumpTime),
        FIELD(BumpThreshold), FIELD(BumpFailCalTime), FIELD(BumpFailAfter), FIELD(LcBhMode),
        FIELD(BhTime),        FIELD(LcBuzzer),        FIELD(AlarmO2),       FIELD(AlarmOnOff),
        FIELD(StelTwaOnOff),  FIELD(DemandZero),      FIELD(AutoZero),      FIELD(UseUserPassword),
        FIELD(Battery),       FIELD(Intervals)};
    for (size_t i = 0; i < std::size(settings); ++i)
        EXPECT_EQ((rec.*settings[i].first)(), s.*settings[i].second) << "setting " << i;
    // The alarm points of every channel, as the detector holds them.
    for (int ch = 0; ch < 5; ++ch) {
        const SimChannel& c = s.channels[size_t(ch)];
        if (!c.enabled)
            continue;
        const auto value = [](double v) { return v < 0 ? -101.0f : float(v); };
        EXPECT_EQ(QList<float>({rec.GasFullScale(ch), rec.Warning(ch), rec.Alarm(ch), rec.Stel(ch),
                                rec.Twa(ch), rec.AutoCalib(ch)}),
                  QList<float>({float(c.fullScale), value(c.warning), value(c.alarm), value(c.stel),
                                value(c.twa), value(c.autoCalib)}))
            << ch;
    }
    // The detector's clock: PC time plus its offset (42 s slow by default).
    EXPECT_NEAR(rec.SysDateOffset() * 86400.0, double(-s.clockOffsetSecs), 2.0);
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_EQ(rec.GasEnabled(ch), s.channels[size_t(ch)].enabled) << ch;
        EXPECT_EQ(rec.GasName(ch), ch == 3 ? "----------" : s.channels[size_t(ch)].name) << ch;
        EXPECT_FALSE(rec.Change_Warn(ch) || rec.Change_GasEnable(ch) || rec.Change_Zero(ch));
    }
    EXPECT_EQ(rec.LI_Name(20).trimmed(), s.library[20].name.trimmed()); // the last page
    EXPECT_FALSE(rec.Change_SerialNo() || rec.Change_Interval() || rec.Change_UserPassword2());
}

TEST_F(ReadSequence, MessageTextsAreRaisedWhileWaiting) {
    clsInstrument rec;
    QStringList messages;
    QObject::connect(&link, &uclTqif::InstMessage, [&](const QString& m) { messages << m; });
    int sent = 0;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, [&](const QByteArray&) {
        if (++sent == 10)
            rec.setMessageString(QStringLiteral("Reading gas table"));
    });
    ASSERT_TRUE(GetInstrument(link, ctx, &rec));
    EXPECT_EQ(messages, QStringList{"Reading gas table"});
    EXPECT_TRUE(rec.MessageString().isEmpty());
}

// A refused or missing answer ends the read after its repeats: a failure,
// with what was read before kept and nothing after it asked.
TEST_F(ReadSequence, RefusedAnswerEndsTheReadAndKeepsWhatWasRead) {
    sim.faults().refuseCodes = QStringList{"GJ"};
    clsInstrument rec;
    rec.setFailLine("old");
    EXPECT_FALSE(GetInstrument(link, ctx, &rec));
    EXPECT_EQ(link.Status(), 7);
    EXPECT_EQ(rec.FailLine(), "");
    // Read before the gas table: kept.
    EXPECT_EQ(rec.SerialNo(), sim.state().serialNo);
    EXPECT_EQ(rec.Intervals(), sim.state().Intervals);
    // After it: never asked, still the cleared defaults.
    EXPECT_EQ(rec.Warning(0), -101.0f);
    QStringList got = received();
    ASSERT_FALSE(got.isEmpty());
    EXPECT_EQ(got.last(), "GJ,R,");
    EXPECT_EQ(got.count("GJ,R,"), 1 + link.Retry()); // repeated, then given up
    EXPECT_FALSE(got.contains("A1,R,"));

    // Silent after the 30th command: four tries of three seconds each.
    sim.faults().refuseCodes.clear();
    sim.clearReceivedCommands();
    int sent = 0;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, [&](const QByteArray&) {
        if (++sent == 30)
            sim.faults().silent = true;
    });
    const qint64 start = clock.elapsedMs();
    EXPECT_FALSE(GetInstrument(link, ctx, &rec));
    EXPECT_EQ(link.Status(), 7);
    EXPECT_GE(clock.elapsedMs() - start, 12000);
    EXPECT_LT(clock.elapsedMs() - start, 20000);
    got = received();
    ASSERT_EQ(got.size(), 30 + 1 + link.Retry());
    EXPECT_EQ(got.mid(30).count(got.at(30)), 1 + link.Retry());
}

TEST_F(ReadSequence, CancelEndsTheRead) {
    clsInstrument rec;
    int sent = 0;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, [&](const QByteArray&) {
        if (++sent == 5)
            link.setCancel(true);
    });
    EXPECT_FALSE(GetInstrument(link, ctx, &rec));
    EXPECT_NE(link.Status(), 6);
    EXPECT_LE(received().size(), 6);
    EXPECT_FALSE(GetInstrument(link, ctx, nullptr));
}
