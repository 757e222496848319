// Maintenance and calibration commands. The link's maintenance tests run
// each of them end to end; these check what a detector refuses and when it
// stores.
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;

namespace {
// Polls a confirm form until ACK; returns the polls used or -1.
int ConfirmUntilAck(Wire& w, const QByteArray& text) {
    for (int n = 1; n <= 20; ++n)
        if (Parse(w.ask(text)).isAck())
            return n;
    return -1;
}
const QDateTime kNow(QDate(2026, 5, 4), QTime(9, 30, 0));
} // namespace

// A detector whose clock stands still at kNow.
class SimMaintenance : public SimTest {
protected:
    void SetUp() override {
        det.setClock([] { return kNow; });
    }
};

TEST_F(SimMaintenance, FactoryDefaultAndClock) {
    det.state().Intervals = 3600;
    det.state().serialNo = QStringLiteral("KEEP-ME");
    EXPECT_TRUE(Parse(w.ask("UX,W,")).isAck());
    EXPECT_EQ(det.state().Intervals, 3600); // not before the confirm
    EXPECT_EQ(ConfirmUntilAck(w, "UX,C,"), 3);
    EXPECT_EQ(det.state().Intervals, 300);
    EXPECT_EQ(det.state().serialNo, QStringLiteral("KEEP-ME"));

    // Clock: the detector keeps the offset from the PC clock.
    EXPECT_EQ(Parse(w.ask("HC,W,260504100000")).data, "260504100000");
    EXPECT_EQ(det.state().clockOffsetSecs, 30 * 60);
    EXPECT_EQ(Parse(w.ask("HC,R,")).data, "260504100000");
    EXPECT_EQ(Parse(w.ask("HC,W,991231235959")).data, "991231235959"); // 1999-12-31
    EXPECT_EQ(Parse(w.ask("HC,W,26050410000")).status, NAK);
}

TEST_F(SimMaintenance, SwitchesAndOxygenZero) {
    EXPECT_TRUE(Parse(w.ask("BP,W,1")).isAck());
    EXPECT_EQ(det.state().pump, 1);
    EXPECT_EQ(Parse(w.ask("BP,W,2")).status, NAK);
    EXPECT_EQ(Parse(w.ask("LR,W,1")).data, "1");
    EXPECT_EQ(det.state().SHmode, 0); // switched by the confirm polls
    EXPECT_EQ(ConfirmUntilAck(w, "LR,C,"), 3);
    EXPECT_EQ(Parse(w.ask("LR,R,")).data, "1");
    EXPECT_EQ(Parse(w.ask("LR,W,0")).data, "0");
    EXPECT_EQ(det.state().SHmode, 0);

    EXPECT_TRUE(Parse(w.ask("SN,W, 20.9")).isAck());
    EXPECT_EQ(det.state().channels[4].calibDate, kNow.addSecs(det.state().clockOffsetSecs));
    EXPECT_EQ(Parse(w.ask("SN,W,20.9")).status, NAK);
    EXPECT_EQ(Parse(w.ask("SN,W,   21")).status, NAK);
}

TEST_F(SimMaintenance, ZeroAdjustThenCommit) {
    det.faults().calibFailMask = 1 << 3;
    det.state().channels[2].enabled = false;
    EXPECT_EQ(Parse(w.ask("SZ,W,1111")).status, NAK);
    EXPECT_TRUE(Parse(w.ask("SZ,W,11111")).isAck());
    // Adjusting: no result for two polls; a repeated poll gets the same result.
    for (const char* data : {"\x15", "\x15", "00-10", "00-10"})
        EXPECT_EQ(Parse(w.ask("SZ,C,")).data, data);
    // The calibration record is stored by the commit polls.
    const QDateTime t = kNow.addSecs(det.state().clockOffsetSecs);
    EXPECT_NE(det.state().channels[0].calibDate, t);
    EXPECT_EQ(ConfirmUntilAck(w, "DW,C,"), 3);
    EXPECT_EQ(det.state().channels[0].calibDate, t);
    EXPECT_EQ(det.state().channels[1].calibAfter, QStringLiteral(" 20.9"));
    EXPECT_NE(det.state().channels[3].calibDate, t); // failed
    EXPECT_EQ(Parse(w.ask("SO,R,")).tokens[0].left(12),
              t.toString(QStringLiteral("yyMMddHHmmss")).toLatin1());
}

TEST_F(SimMaintenance, SpanAdjustRaisesReadingsAndStoresResult) {
    // Unselected channels must carry "*****"; decimals follow the channel.
    EXPECT_EQ(Parse(w.ask("S2,W,10100,   50,*****,   50,*****,   50")).status, NAK);
    EXPECT_EQ(Parse(w.ask("S2,W,00010,*****,*****,*****,   25,*****")).status, NAK);
    // A value above the full scale fails its channel.
    EXPECT_EQ(Parse(w.ask("S2,W,10000,  500,*****,*****,*****,*****")).data, "1----");
    // Channel 0 at 50 %LEL, channel 2 at 50 ppm, channel 3 selected without a value.
    EXPECT_EQ(Parse(w.ask("S2,W,10110,   50,*****,   50,*****,*****")).data, "0-01-");
    // The span gas is on: channel 0 climbs to 50.
    QList<double> ch0;
    for (int i = 0; i < 4; ++i)
        ch0.append(Parse(w.ask("DN,R,")).tokens[0].trimmed().toDouble());
    EXPECT_LT(ch0[0], ch0[3]);
    EXPECT_NEAR(ch0[3], 50.0, 1.0);
    EXPECT_EQ(ConfirmUntilAck(w, "DW,C,"), 3);
    EXPECT_EQ(det.state().channels[2].calibAfter, QStringLiteral("   50"));
    EXPECT_EQ(det.state().channels[0].calibDate, kNow.addSecs(det.state().clockOffsetSecs));
}
