// Maintenance operations of the link against the emulator on a virtual clock.
#include "MaintenanceFixture.h"

#include "app/Catalogue.h"
#include "model/OleDate.h"
#include "model/modGasCommon.h"

namespace {

// The log text of a catalogue entry up to its first placeholder or line end.
QString Head(int id) {
    QString text = LoadMessage(id, {QStringLiteral("\x01")});
    const int cut = text.indexOf(QChar(0x01));
    if (cut >= 0)
        text.truncate(cut);
    return text.trimmed();
}

} // namespace

using Maintain = LinkOperations;

TEST_F(Maintain, IdentityReadKeepsTheRestOfTheRecord) {
    rec.setWarning(0, 42.0f);
    rec.setFailLine(QStringLiteral("HC,R"));
    EXPECT_TRUE(link.GetRomNo(&rec));
    EXPECT_EQ(received(), (QStringList{"VP,R,", "XZ,R,****", "XS,R,****", "IN,R,", "HN,R,"}));
    EXPECT_EQ(rec.RomNumber(), sim.state().romNumber);
    EXPECT_EQ(rec.SerialNo(), sim.state().serialNo);
    EXPECT_EQ(rec.StationID(), sim.state().stationId);
    EXPECT_EQ(rec.Warning(0), 42.0f); // not cleared
    EXPECT_EQ(rec.FailLine(), "");

    sim.clearReceivedCommands();
    EXPECT_FALSE(link.GetRomNo(nullptr));
    EXPECT_TRUE(received().isEmpty());

    sim.clearReceivedCommands();
    sim.faults().refuseCodes = {"XS"};
    EXPECT_FALSE(link.GetRomNo(&rec));
    EXPECT_FALSE(received().contains("IN,R,"));
}

TEST_F(Maintain, GasTableAndSpanGasReads) {
    QStringList messages;
    QObject::connect(&link, &uclTqif::InstMessage, [&](const QString& text) { messages << text; });
    rec.setMessageString(QStringLiteral("note"));
    EXPECT_TRUE(link.GetGasInfo(&rec));
    EXPECT_EQ(messages, QStringList{"note"});
    EXPECT_EQ(rec.MessageString(), "");
    EXPECT_EQ(rec.GasName(1), sim.state().channels[1].name);
    EXPECT_TRUE(rec.GasEnabled(4));
    EXPECT_EQ(link.Status(), 6);

    EXPECT_TRUE(link.GetAutoCalDensty(&rec));
    EXPECT_FLOAT_EQ(rec.AutoCalib(1), float(sim.state().channels[1].autoCalib));

    // Failures: every channel off, every span gas "no value", status 2.
    sim.faults().refuseCodes = {"GJ", "SA"};
    EXPECT_FALSE(link.GetGasInfo(&rec));
    EXPECT_EQ(link.Status(), 2);
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_FALSE(rec.GasEnabled(ch));
        EXPECT_EQ(rec.GasName(ch), "----------");
    }
    EXPECT_FALSE(link.GetAutoCalDensty(&rec));
    EXPECT_EQ(link.Status(), 2);
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(rec.AutoCalib(ch), modGasCommon::kNoValue);
}

TEST_F(Maintain, LatestHistoriesEndStopped) {
    QStringList progress;
    QObject::connect(&link, &uclTqif::InterMessage, [&](const QString& text) { progress << text; });
    rec.setMessageString(QStringLiteral("history"));
    EXPECT_TRUE(link.GetLatestHistory(&rec));
    EXPECT_EQ(progress, QStringList{"history"});
    EXPECT_EQ(link.Status(), 2);
    const SimChannel& ch2 = sim.state().channels[2];
    EXPECT_EQ(OleDate::ToDateTime(rec.CalibDate(2)), ch2.calibDate);
    EXPECT_FLOAT_EQ(rec.CalibAfter(2), ch2.calibAfter.trimmed().toFloat());

    EXPECT_TRUE(link.GetLatestBumpHistory(&rec));
    EXPECT_EQ(link.Status(), 2);
    EXPECT_EQ(OleDate::ToDateTime(rec.BumpDates(0)), sim.state().channels[0].bumpDate);
    EXPECT_EQ(rec.BumpResult(3), modGasCommon::kFailSpan); // the failed H2S test

    sim.faults().silent = true;
    EXPECT_FALSE(link.GetLatestHistory(&rec));
    EXPECT_EQ(link.Status(), 2);
}

TEST_F(Maintain, SingleCommandsSendTheirTextAndReportTheAnswer) {
    const QDateTime when = QDateTime::currentDateTime().addSecs(7200);
    EXPECT_TRUE(link.SetDateTime(when));
    EXPECT_EQ(received().last(), "HC,W," + when.toString("yyMMddHHmmss"));
    EXPECT_LE(qAbs(sim.detectorTime().secsTo(when)), 2);

    EXPECT_TRUE(link.SetPump(true));
    EXPECT_TRUE(link.SetPump(false));
    EXPECT_TRUE(link.SHWetDry(1));
    EXPECT_TRUE(link.zCal(QStringLiteral(" 20.9")));
    EXPECT_EQ(received().mid(1), (QStringList{"BP,W,1", "BP,W,0", "SQ,W,1", "SN,W, 20.9"}));
    EXPECT_EQ(sim.state().shWetDry, 1);

    EXPECT_TRUE(link.SetCheckData());
    EXPECT_EQ(sim.state().loggerContent, SimLoggerContent::Check);

    // The detector refuses the oxygen zero when channel 4 is off: not a success.
    sim.state().channels[4].enabled = false;
    EXPECT_FALSE(link.zCal(QStringLiteral(" 20.9")));

    // A refusal of any of them is a failure, not a success.
    for (const char* code : {"HC", "BP", "SQ", "XH"})
        sim.faults().refuseCodes << QString::fromLatin1(code);
    EXPECT_FALSE(link.SetDateTime(when));
    EXPECT_FALSE(link.SetPump(true));
    EXPECT_FALSE(link.SHWetDry(0));
    EXPECT_FALSE(link.SetCheckData());
    EXPECT_EQ(sim.state().shWetDry, 1);
    sim.faults().refuseCodes.clear();

    sim.faults().silent = true;
    EXPECT_FALSE(link.SetPump(true));
    EXPECT_FALSE(link.SetDateTime(when));
}

TEST_F(Maintain, SamplingHeadSwitch) {
    int steps = 0;
    EXPECT_TRUE(link.SHOnOff(0, [&] { ++steps; }));
    EXPECT_EQ(received(), QStringList{"LR,W,0"});
    EXPECT_EQ(steps, 0);

    sim.clearReceivedCommands();
    const qint64 t0 = now();
    EXPECT_TRUE(link.SHOnOff(1, [&] { ++steps; }));
    // Two "still switching" answers, then the ACK; one confirm a second.
    EXPECT_EQ(received(), (QStringList{"LR,W,1", "LR,C,", "LR,C,", "LR,C,"}));
    EXPECT_EQ(steps, 3);
    EXPECT_GE(now() - t0, 3000);
    EXPECT_LT(now() - t0, 4000);
    EXPECT_EQ(sim.state().SHmode, 1);
    EXPECT_EQ(rec.SHmode(), 1);

    const QString log = logText();
    EXPECT_EQ(log.count(" HC Select\r\n"), 2);
    EXPECT_EQ(log.count(" Finished\r\n"), 2);

    // The switch needs no record.
    link.setInstrument(nullptr);
    EXPECT_TRUE(link.SHOnOff(0));
    link.setInstrument(&rec);

    sim.faults().refuseCodes = {"LR"};
    EXPECT_FALSE(link.SHOnOff(1));
    EXPECT_TRUE(logText().contains(" Failed\r\n"));
}

TEST_F(Maintain, ConfirmLoopsGiveUpAfterTwoMinutesOrOnCancel) {
    sim.faults().neverCommit = true;
    qint64 t0 = now();
    EXPECT_FALSE(link.BodyDataClear());
    EXPECT_GE(now() - t0, 120000);
    EXPECT_LT(now() - t0, 130000);
    EXPECT_TRUE(logText().contains(Head(5558)));

    // Cancelled: two confirms were sent before it (at 5 s and 10 s).
    sim.clearReceivedCommands();
    t0 = now();
    clock.singleShot(12000, [this] { link.setCancel(true); });
    EXPECT_FALSE(link.PowerDataClear());
    EXPECT_GE(now() - t0, 12000);
    EXPECT_LT(now() - t0, 13000);
    EXPECT_EQ(countOf("XY,C,"), 2);
    // The next operation is not ended by the old cancel.
    sim.faults().neverCommit = false;
    EXPECT_TRUE(link.PowerDataClear());

    // A zero that never delivers its result ends the same way.
    sim.setZeroPolls(100000);
    t0 = now();
    EXPECT_FALSE(link.ZeroCal("11111"));
    EXPECT_GE(now() - t0, 120000);
    EXPECT_LT(now() - t0, 125000);
}

TEST_F(Maintain, ClearsAndFactoryDefault) {
    const qint64 t0 = now();
    EXPECT_TRUE(link.BodyDataClear());
    EXPECT_EQ(received(), (QStringList{"XC,W,", "XC,C,", "XC,C,", "XC,C,"}));
    EXPECT_GE(now() - t0, 15000); // one confirm every 5 s
    EXPECT_LT(now() - t0, 16000);
    EXPECT_EQ(sim.state().loggerContent, SimLoggerContent::Erased);
    QString log = logText();
    EXPECT_TRUE(log.contains(Head(5556)));
    EXPECT_TRUE(log.contains(Head(5557)));

    sim.clearReceivedCommands();
    EXPECT_TRUE(link.PowerDataClear());
    EXPECT_EQ(received().first(), "XY,W,");
    EXPECT_TRUE(sim.state().powerDataErased);

    sim.state().Intervals = 77;
    EXPECT_TRUE(link.DefaultInstrument());
    EXPECT_NE(sim.state().Intervals, 77);
    EXPECT_TRUE(logText().contains("DEFAULT finished"));

    // Refused commands: no confirm, the failure lines.
    sim.clearReceivedCommands();
    sim.faults().refuseCodes = {"XC", "UX"};
    EXPECT_FALSE(link.BodyDataClear());
    EXPECT_FALSE(link.DefaultInstrument());
    EXPECT_EQ(countOf("XC,W,"), 1); // never repeated
    EXPECT_EQ(countOf("XC,C,"), 0);
    EXPECT_EQ(countOf("UX,C,"), 0);
    log = logText();
    EXPECT_TRUE(log.contains(Head(5558)));
    EXPECT_TRUE(log.contains("DEFAULT failed"));
}

TEST_F(Maintain, ZeroCalibration) {
    // Only a run in which some channel succeeded is stored; the result of
    // the run before does not end the polling early.
    const struct {
        int failMask;
        const char* result;
        int stores;
    } runs[] = {{0, "00000", 3}, {0b00110, "01100", 3}, {0b11111, "11111", 0}};
    for (const auto& run : runs) {
        sim.clearReceivedCommands();
        sim.faults().calibFailMask = run.failMask;
        EXPECT_TRUE(link.ZeroCal("11111"));
        EXPECT_EQ(received().mid(0, 4), (QStringList{"SZ,W,11111", "SZ,C,", "SZ,C,", "SZ,C,"}));
        EXPECT_EQ(link.ZeroResult(), run.result);
        EXPECT_EQ(countOf("DW,C,"), run.stores);
        for (int ch = 0; ch < 5; ++ch)
            EXPECT_EQ(link.ZeroStatus(ch), run.result[ch] == '0') << run.result << " " << ch;
    }
    EXPECT_FALSE(link.ZeroStatus(5));
    EXPECT_FALSE(link.ZeroStatus(-1));

    // Refused: sent once, failure line with the date.
    sim.clearReceivedCommands();
    sim.faults().refuseCodes = {"SZ"};
    EXPECT_FALSE(link.ZeroCal("11111"));
    EXPECT_EQ(countOf("SZ,W,11111"), 1);
    EXPECT_EQ(countOf("SZ,C,"), 0);
    EXPECT_TRUE(logText().contains("---Calibration Upload Failed---. Date = "));
}

TEST_F(Maintain, SpanCalibration) {
    const QString request = QStringLiteral("11000,   50, 12.0,*****,*****,*****");
    EXPECT_TRUE(link.SpanCal(request));
    EXPECT_EQ(received().first(), "S2,W," + request);
    EXPECT_EQ(link.SpanResult(), "00---");
    EXPECT_TRUE(link.SpanStatus(0));
    EXPECT_TRUE(link.SpanStatus(1));
    EXPECT_FALSE(link.SpanStatus(2));
    EXPECT_FALSE(link.SpanStatus(5));
    EXPECT_EQ(countOf("DW,C,"), 3);

    // A value above the channel's full scale fails that channel; nothing to store.
    sim.clearReceivedCommands();
    EXPECT_TRUE(link.SpanCal(QStringLiteral("10000,  500,*****,*****,*****,*****")));
    EXPECT_EQ(link.SpanResult(), "1----");
    EXPECT_FALSE(link.SpanStatus(0));
    EXPECT_EQ(countOf("DW,C,"), 0);

    // Refused by the detector: failure, nothing to store.
    sim.faults().refuseCodes << QStringLiteral("S2");
    sim.clearReceivedCommands();
    EXPECT_FALSE(link.SpanCal(request));
    EXPECT_EQ(link.LastResult(), LinkResult::Refused);
    EXPECT_EQ(link.SpanResult(), "");
    EXPECT_EQ(countOf("DW,C,"), 0);
    sim.faults().refuseCodes.clear();

    // No answer: failure, the failure line, no stale result.
    EXPECT_TRUE(link.SpanCal(request));
    sim.faults().silent = true;
    EXPECT_FALSE(link.SpanCal(request));
    EXPECT_EQ(link.SpanResult(), "");
    EXPECT_TRUE(logText().contains("---Calibration Upload Failed---. Date = "));
}

TEST_F(Maintain, ConcentrationPolling) {
    int events = 0;
    float last[5] = {};
    QObject::connect(&link, &uclTqif::Densty, [&](float a, float b, float c, float d, float e) {
        ++events;
        last[0] = a, last[1] = b, last[2] = c, last[3] = d, last[4] = e;
    });
    EXPECT_FALSE(link.RunDensty());
    link.setRunDensty(true);
    EXPECT_TRUE(link.RunDensty());
    clock.runFor(5000);
    EXPECT_EQ(countOf("DN,R,"), 5); // one a second
    EXPECT_EQ(events, 5);
    EXPECT_NEAR(last[1], 20.9f, 0.5f);
    EXPECT_EQ(rec.LimitValue(1), last[1]);

    // Not in the middle of another operation: its pauses are left alone.
    sim.clearReceivedCommands();
    EXPECT_TRUE(link.BodyDataClear());
    EXPECT_EQ(countOf("DN,R,"), 0);
    clock.runFor(1000);
    EXPECT_EQ(countOf("DN,R,"), 1);

    // Readings reach the host also when no record is attached.
    link.setInstrument(nullptr);
    const int before = events;
    clock.runFor(1000);
    EXPECT_EQ(events, before + 1);
    EXPECT_NEAR(last[1], 20.9f, 0.5f);
    link.setInstrument(&rec);

    // A failed command does not stop the readings for good.
    link.setRunDensty(false);
    link.setStatus(7);
    sim.clearReceivedCommands();
    link.setRunDensty(true);
    clock.runFor(1000);
    EXPECT_EQ(countOf("DN,R,"), 1);
    link.setRunDensty(false);
}

TEST_F(Maintain, StoppingThePollingWaitsForAnOutstandingPoll) {
    int events = 0;
    QObject::connect(&link, &uclTqif::Densty, [&](float, float, float, float, float) { ++events; });
    sim.faults().delayMs = 500;
    link.setRunDensty(true);
    for (int i = 0; i < 30 && link.Status() != 4; ++i)
        clock.runTicks(1);
    ASSERT_EQ(link.Status(), 4);
    link.setRunDensty(false);
    EXPECT_FALSE(link.RunDensty());
    EXPECT_EQ(link.Status(), 6); // the answer arrived before the timer stopped
    EXPECT_EQ(events, 1);
    sim.clearReceivedCommands();
    clock.runFor(5000);
    EXPECT_EQ(countOf("DN,R,"), 0);

    // A poll that is never answered is timed out by the next timer tick.
    sim.faults().delayMs = 0;
    sim.faults().silent = true;
    link.setRunDensty(true);
    for (int i = 0; i < 30 && link.Status() != 4; ++i)
        clock.runTicks(1);
    ASSERT_EQ(link.Status(), 4);
    const qint64 t0 = now();
    link.setRunDensty(false);
    EXPECT_EQ(link.Status(), 2);
    EXPECT_LE(now() - t0, 1000);
    EXPECT_TRUE(logText().contains("--- Current reading download time out.Date= "));
}

TEST_F(Maintain, PowerOffTakesTheLinkToIdle) {
    const qint64 t0 = now();
    EXPECT_TRUE(link.BodyPowerOff());
    EXPECT_EQ(received(), QStringList{"RO,W,"});
    EXPECT_GE(now() - t0, 5000);
    EXPECT_EQ(link.LinkState(), 0);
    EXPECT_EQ(link.Status(), 0);
    EXPECT_FALSE(link.PortOpen());
    const QString log = logText();
    EXPECT_TRUE(log.contains("---Auto Power OFF Start Sequence---."));
    EXPECT_TRUE(log.contains("---Auto Power OFF Finished---."));

    // The detector is switched on again and the host opens the port: found.
    EXPECT_FALSE(sim.lineUp());
    sim.setLineUp(true);
    link.setPortOpen(true);
    for (int i = 0; i < 300 && !link.Connected(); ++i)
        clock.runTicks(1);
    EXPECT_TRUE(link.Connected());

    // A detector that does not answer is switched off all the same.
    sim.faults().silent = true;
    EXPECT_TRUE(link.BodyPowerOff());
    EXPECT_EQ(link.LinkState(), 0);
}
