// Each fault switch, and delays and pacing through an injected scheduler.
#include "SimTestUtil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;

namespace {
// A scheduler that only records; tests run the callbacks by hand, and the
// detector's monotonic clock advances by each callback's delay as it runs.
struct ManualScheduler {
    QList<QPair<int, std::function<void()>>> calls;
    qint64 nowUs = 0;
    void install(SimDetector& d) {
        d.setScheduler([this](int ms, std::function<void()> fn) {
            calls.append({ms, std::move(fn)});
        });
        d.setMonotonicClock([this] { return nowUs; });
    }
    int ran = 0;
    // Runs callbacks until none is left; returns the sum of their delays.
    int runAll() {
        int total = 0;
        while (!calls.isEmpty()) {
            auto c = calls.takeFirst();
            total += c.first;
            nowUs += qint64(c.first) * 1000;
            ++ran;
            c.second();
        }
        return total;
    }
};
} // namespace

TEST(SimFaults, DelayAndPacing) {
    SimDetector det;
    Wire w(det);
    ManualScheduler s;
    s.install(det);
    const QByteArray normal = w.ask("GJ,R,");
    ASSERT_FALSE(normal.isEmpty()); // no delay configured: synchronous

    det.faults().delayMs = 250;
    EXPECT_TRUE(w.ask("GJ,R,").isEmpty());
    ASSERT_EQ(s.calls.size(), 1);
    EXPECT_EQ(s.calls.at(0).first, 250);
    // A second request queues behind the first; answers keep their order.
    det.receiveFromHost(BuildRequest("RC,R,"));
    EXPECT_EQ(det.pendingOutput(), normal.size() + BuildAnswer("RC,R", "TQ-7350").size());
    EXPECT_EQ(s.runAll(), 500);
    EXPECT_EQ(w.got, normal + BuildAnswer("RC,R", "TQ-7350"));

    // 9600 baud: 960 bytes per second for the request and for the answer.
    det.faults().delayMs = 0;
    det.faults().baud = 9600;
    const QByteArray req = BuildRequest("GJ,R,");
    w.got.clear();
    det.receiveFromHost(req);
    EXPECT_TRUE(w.got.isEmpty());
    s.ran = 0;
    const int total = s.runAll();
    EXPECT_GT(s.ran, 10); // sent in pieces of about a millisecond
    EXPECT_EQ(w.got, normal);
    const double expectMs = (req.size() + normal.size()) * 10.0 * 1000.0 / 9600.0;
    EXPECT_NEAR(total, expectMs, 3.0);
}

TEST(SimFaults, DropBareCrTruncateGarble) {
    SimDetector det;
    Wire w(det);
    det.faults().dropEveryN = 2;
    EXPECT_FALSE(w.ask("RC,R,").isEmpty());
    EXPECT_TRUE(w.ask("RC,R,").isEmpty());
    EXPECT_FALSE(w.ask("RC,R,").isEmpty());
    EXPECT_TRUE(w.ask("RC,R,").isEmpty());
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
    const Answer rc = Parse(w.ask("RC,R,"));
    EXPECT_TRUE(rc.data.contains("TQ-7300"));
    EXPECT_FALSE(rc.data.contains("TQ-7350"));

    det.faults().refuseCodes = QStringList{QStringLiteral("A1")};
    EXPECT_EQ(Parse(w.ask("A1,R,")).status, NAK);
    EXPECT_EQ(Parse(w.ask("A1,W,   10, 19.5,   25, 10.0,*****")).status, NAK);
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
    w.ask("RC,R,");
    w.ask("RC,R,");
    EXPECT_TRUE(det.lineUp());
    w.ask("RC,R,");
    EXPECT_FALSE(det.lineUp());
    EXPECT_EQ(dropped.count(), 2);
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

TEST(SimFaults, LineStateSignals) {
    SimDetector det;
    QSignalSpy line(&det, &SimDetector::lineChanged);
    EXPECT_TRUE(det.lineUp());
    det.setLineUp(true); // no change, no signal
    EXPECT_EQ(line.count(), 0);
    det.setLineUp(false);
    det.setLineUp(true);
    ASSERT_EQ(line.count(), 2);
    EXPECT_FALSE(line.at(0).at(1).toBool());
    EXPECT_TRUE(line.at(1).at(0).toBool());
    EXPECT_TRUE(line.at(1).at(1).toBool());
}
