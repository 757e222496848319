// Read-all sequence against the emulator.
#include "SequenceFixture.h"

#include "link/ReadSequence.h"
#include "model/OleDate.h"
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

TEST(ReadCommandTable, SlotsAndOrder) {
    const QStringList& t = ReadCommandTable();
    ASSERT_EQ(t.size(), 333);
    EXPECT_EQ(NonEmpty(t).size(), 313);
    EXPECT_EQ(t[0], "VP,R,");
    EXPECT_EQ(t[1], "XZ,R,****");
    EXPECT_EQ(t[2], "XS,R,****");
    EXPECT_EQ(t[51], "LI,R,01");
    EXPECT_EQ(t[55], "LI,R,05");
    EXPECT_EQ(t[66], "XS,R,0000");
    EXPECT_EQ(t[193], "XS,R,007F");
    EXPECT_EQ(t[194], "XZ,R,0000");
    EXPECT_EQ(t[321], "XZ,R,007F");
    EXPECT_EQ(t[331], "X8,R,");
    EXPECT_TRUE(t[332].isEmpty());
    const int empty[] = {6, 18, 27, 31, 33, 34, 35, 36, 45, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65};
    for (int i : empty)
        EXPECT_TRUE(t[i].isEmpty()) << i;
}

class ReadSequence : public SequenceFixture {};

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

    // 313 commands in table order.
    EXPECT_EQ(received(), NonEmpty(ReadCommandTable()));
    EXPECT_EQ(ctx.Instrument, &rec);
    EXPECT_TRUE(messages.isEmpty()); // ClearDatas emptied the message first

    EXPECT_EQ(rec.RomNumber(), s.romNumber);
    EXPECT_EQ(rec.SUM(), s.sum);
    EXPECT_EQ(rec.SerialNo(), s.serialNo);
    EXPECT_EQ(rec.DummySerial(), s.dummySerial);
    EXPECT_EQ(rec.SpecNo(), s.specNo);
    EXPECT_EQ(rec.StationID(), "PLANT-7");
    // An empty name is read as 16 dashes.
    const auto listed = [](const QString& t) {
        return t.trimmed().isEmpty() ? QString(16, '-') : t.trimmed();
    };
    EXPECT_EQ(rec.UserID(), listed(s.userId));
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
    EXPECT_EQ(rec.FlowLevel(), s.FlowLevel);
    EXPECT_EQ(rec.SpecType(), QString::number(s.SpecType));
    EXPECT_EQ(rec.UserPassword2(), "1234");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(rec.AnalogValue(i), s.analogValues[size_t(i)]) << i;
    EXPECT_EQ(rec.AdrealValue(), s.adrealValue);

    // The detector's clock: PC time plus its offset (42 s slow by default).
    EXPECT_NEAR(rec.SysDateOffset() * 86400.0, double(-s.clockOffsetSecs), 2.0);

    for (int ch = 0; ch < 5; ++ch) {
        const SimChannel& c = s.channels[size_t(ch)];
        SCOPED_TRACE(ch);
        EXPECT_EQ(rec.GasEnabled(ch), c.enabled);
        EXPECT_EQ(rec.Zero(ch), c.zero);
        EXPECT_FALSE(rec.Change_Warn(ch) || rec.Change_GasEnable(ch) || rec.Change_Zero(ch));
        if (!c.enabled) {
            EXPECT_EQ(rec.GasName(ch), "----------");
            continue;
        }
        EXPECT_EQ(rec.GasName(ch), c.name);
        EXPECT_FLOAT_EQ(rec.GasFullScale(ch), float(c.fullScale));
        EXPECT_FLOAT_EQ(rec.GasDesit(ch), float(c.step));
        EXPECT_EQ(rec.GasPoint(ch), c.point);
        EXPECT_EQ(rec.GasUnit(ch), c.unit);
        const auto value = [](double v) { return v < 0 ? -101.0f : float(v); };
        EXPECT_EQ(QList<float>({rec.Warning(ch), rec.Alarm(ch), rec.Stel(ch), rec.Twa(ch),
                                rec.AutoCalib(ch)}),
                  QList<float>({value(c.warning), value(c.alarm), value(c.stel), value(c.twa),
                                value(c.autoCalib)}));
    }

    // Sensor tables.
    EXPECT_EQ(rec.LSindex(), s.lsIndex);
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(rec.LS_Name(j).trimmed(), s.lsPair[size_t(j)].name.trimmed());
        EXPECT_FLOAT_EQ(rec.LS_FullScale(j), float(s.lsPair[size_t(j)].fullScale));
        EXPECT_EQ(rec.LS_Point(j), s.lsPair[size_t(j)].point);
        EXPECT_EQ(rec.LS_Ratio(j), s.lsPair[size_t(j)].ratio);
        EXPECT_FALSE(rec.Change_LSData(j));
    }
    for (int page = 1; page <= 5; ++page) {
        for (int k : {page, page + 15}) {
            const SimLibraryEntry& e = s.library[size_t(k)];
            EXPECT_EQ(rec.LI_Name(k).trimmed(), e.name.trimmed()) << k;
            EXPECT_FLOAT_EQ(rec.LI_Digit(k), float(e.step)) << k;
            EXPECT_EQ(rec.LI_Point(k), e.point) << k;
            EXPECT_EQ(rec.LI_Unit(k).trimmed(), e.unit.trimmed()) << k;
            EXPECT_EQ(rec.LI_Ratio(k), e.ratio) << k;
        }
    }
    // Flags the read names are clear.
    EXPECT_FALSE(rec.Change_SerialNo());
    EXPECT_FALSE(rec.Change_SpecNo());
    EXPECT_FALSE(rec.Change_Interval());
    EXPECT_FALSE(rec.Change_CalCheckALL());
    EXPECT_FALSE(rec.Change_BumpTime());
    EXPECT_FALSE(rec.Change_UserPassword2());
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
    const QStringList got = received();
    ASSERT_FALSE(got.isEmpty());
    EXPECT_EQ(got.last(), "GJ,R,");
    EXPECT_EQ(got.count("GJ,R,"), 1 + link.Retry()); // repeated, then given up
    EXPECT_FALSE(got.contains("A1,R,"));
}

TEST_F(ReadSequence, MissingAnswerTimesOutAndEndsTheRead) {
    clsInstrument rec;
    int sent = 0;
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, [&](const QByteArray&) {
        if (++sent == 30)
            sim.faults().silent = true;
    });
    const qint64 start = clock.elapsedMs();
    EXPECT_FALSE(GetInstrument(link, ctx, &rec));
    EXPECT_EQ(link.Status(), 7);
    // Four tries of three seconds each, on the virtual clock.
    EXPECT_GE(clock.elapsedMs() - start, 12000);
    EXPECT_LT(clock.elapsedMs() - start, 20000);
    EXPECT_EQ(rec.SerialNo(), sim.state().serialNo);
    // The 30th command was still answered; the 31st was sent four times.
    const QStringList got = received();
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
