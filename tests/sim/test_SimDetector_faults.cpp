// Each fault switch, and delays and pacing through an injected scheduler.
#include "SimTestUtil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;

TEST(SimFaults, DelayAndPacing) {
    SimDetector det;
    Wire w(det);
    // A scheduler that only records: the test runs the callbacks, and the
    // detector's monotonic clock advances by each callback's delay.
    QList<QPair<int, std::function<void()>>> calls;
    qint64 nowUs = 0;
    det.setScheduler([&](int ms, std::function<void()> fn) { calls.append({ms, std::move(fn)}); });
    det.setMonotonicClock([&] { return nowUs; });
    int ran = 0;
    auto runAll = [&] {
        int total = 0;
        for (; !calls.isEmpty(); ++ran) {
            auto c = calls.takeFirst();
            total += c.first;
            nowUs += qint64(c.first) * 1000;
            c.second();
        }
        return total;
    };
    const QByteArray normal = w.ask("GJ,R,");
    ASSERT_FALSE(normal.isEmpty()); // no delay configured: synchronous

    det.faults().delayMs = 250;
    EXPECT_TRUE(w.ask("GJ,R,").isEmpty());
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.at(0).first, 250);
    // A second request queues behind the first; answers keep their order.
    det.receiveFromHost(BuildRequest("RC,R,"));
    EXPECT_EQ(det.pendingOutput(), normal.size() + BuildAnswer("RC,R", "TQ-7350").size());
    EXPECT_EQ(runAll(), 500);
    EXPECT_EQ(w.got, normal + BuildAnswer("RC,R", "TQ-7350"));

    // 9600 baud: 960 bytes per second for the request and for the answer.
    det.faults().delayMs = 0;
    det.faults().baud = 9600;
    const QByteArray req = BuildRequest("GJ,R,");
    w.got.clear();
    det.receiveFromHost(req);
    EXPECT_TRUE(w.got.isEmpty());
    ran = 0;
    const int total = runAll();
    EXPECT_GT(ran, 10); // sent in pieces of about a millisecond
    EXPECT_EQ(w.got, normal);
    EXPECT_NEAR(total, (req.size() + normal.size()) * 10.0 * 1000.0 / 9600.0, 3.0);
}

TEST(SimFaults, DropBareCrTruncateGarble) {
    SimDetector det;
    Wire w(det);
    det.faults().dropEveryN = 2;
    for (bool answered : {true, false, true, false})
        EXPECT_EQ(!w.ask("RC,R,").isEmpty(), answered);
    EXPECT_EQ(det.receivedCommands().size(), 4);

    det.faults().dropEveryN = 0;
    det.faults().bareCrEveryN = 5; // answer 5 of the count so far
    EXPECT_EQ(w.ask("RC,R,"), QByteArray(1, CR));

    det.faults().bareCrEveryN = 0;
    det.faults().truncateEveryN = 1;
    const QByteArray cut = w.ask("GJ,R,");
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_LT(cut.size(), 80);
    EXPECT_FALSE(cut.contains(EOT) || cut.contains(ETB) || cut.contains(CR));

    det.faults().truncateEveryN = 0;
    det.faults().garbleEveryN = 1;
    const Answer g = Parse(w.ask("RC,R,"));
    ASSERT_TRUE(g.wellFormed);
    EXPECT_NE(g.code, "RC,R");
    // A raw block is garbled in one byte, keeping its length.
    const QByteArray block = w.ask("EP,R,0000");
    ASSERT_EQ(block.size(), 512);
    EXPECT_NE(block, det.state().logger.left(512));
}

TEST(SimFaults, WrongModelRefusedCodeAndSilence) {
    SimDetector det;
    Wire w(det);
    det.faults().wrongModel = QStringLiteral("TQ-7300");
    EXPECT_EQ(Parse(w.ask("RC,R,")).data, "TQ-7300");

    // "A1" refuses every form, "A2:W" the write form only.
    det.faults().refuseCodes = QStringList{QStringLiteral("A1"), QStringLiteral("A2:W")};
    EXPECT_EQ(Parse(w.ask("A1,R,")).status, NAK);
    EXPECT_EQ(Parse(w.ask("A1,W,   10, 19.5,   25, 10.0,*****")).status, NAK);
    EXPECT_EQ(Parse(w.ask("A2,W,   50, 23.5,   50, 30.0,*****")).status, NAK);
    EXPECT_EQ(det.stagedCount(), 0);
    EXPECT_EQ(Parse(w.ask("A2,R,")).tokens.size(), 5);

    det.faults().silent = true;
    EXPECT_TRUE(w.ask("RC,R,").isEmpty());
    EXPECT_TRUE(w.ask("XP,W,0258").isEmpty());
    EXPECT_EQ(det.receivedCommands().last(), "XP,W,0258");
}

TEST(SimFaults, DropLineAfterCommands) {
    SimDetector det;
    Wire w(det);
    QSignalSpy dropped(&det, &SimDetector::lineDropped);
    QSignalSpy line(&det, &SimDetector::lineChanged);
    det.faults().dropLineAfterN = 3;
    EXPECT_FALSE(w.ask("RC,R,").isEmpty());
    EXPECT_FALSE(w.ask("RC,R,").isEmpty());
    EXPECT_EQ(dropped.count(), 0);
    EXPECT_FALSE(w.ask("RC,R,").isEmpty()); // the third is still answered
    EXPECT_EQ(dropped.count(), 1);
    EXPECT_FALSE(det.lineUp());
    EXPECT_TRUE(w.ask("RC,R,").isEmpty());
    // Back up: the count starts again.
    det.setLineUp(true);
    det.setLineUp(true); // no change, no signal
    w.ask("RC,R,");
    w.ask("RC,R,");
    EXPECT_TRUE(det.lineUp());
    w.ask("RC,R,");
    EXPECT_FALSE(det.lineUp());
    EXPECT_EQ(dropped.count(), 2);
    ASSERT_EQ(line.count(), 3);
    EXPECT_FALSE(line.at(0).at(1).toBool());
    EXPECT_TRUE(line.at(1).at(0).toBool());
    EXPECT_TRUE(line.at(1).at(1).toBool());
}

TEST(SimFaults, NeverCommitAndCalibrationFailure) {
    SimDetector det;
    Wire w(det);
    det.faults().neverCommit = true;
    Parse(w.ask("XL,W,1"));
    EXPECT_TRUE(Parse(w.ask("DW,W,")).isAck());
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_EQ(det.state().LunchBreak, 0);
    Parse(w.ask("XC,W,"));
    EXPECT_FALSE(Parse(w.ask("XC,C,")).isAck());
    // Polls refused by the fault do not count as storing time.
    det.faults().neverCommit = false;
    EXPECT_FALSE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_FALSE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_TRUE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_EQ(det.state().LunchBreak, 1);

    det.faults().calibFailMask = 0x1F;
    EXPECT_EQ(Parse(w.ask("S2,W,10000,   50,*****,*****,*****,*****")).data, "1----");
}
