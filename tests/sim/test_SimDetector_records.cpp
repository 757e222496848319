// A long session: the emulator keeps the latest of its records and counts
// all of them, so it does not grow however long a client talks to it.
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace simproto;

TEST(SimRecords, LongSessionKeepsTheLatestRecordsAndExactCounts) {
    SimDetector det;
    qint64 answers = 0;
    QObject::connect(&det, &SimDetector::bytesToHost, &det,
                     [&answers](const QByteArray&) { ++answers; });
    const QByteArray read = BuildRequest("RC,R,");
    const QByteArray unknown = BuildRequest("QQ,R,");
    const QByteArray blockAck = BuildRequest(QByteArray("EF,R,") + ACK, ETB);
    // 100 000 frames: a read, a refused command, a stray block
    // acknowledgement and a write of one setting, over and over.
    constexpr int kRounds = 25000;
    QList<QByteArray> sent;
    for (int i = 0; i < kRounds; ++i) {
        const QByteArray write = "XP,W," + HexFixed(1 + i % 3600, 4);
        det.receiveFromHost(read);
        det.receiveFromHost(unknown);
        det.receiveFromHost(blockAck);
        det.receiveFromHost(BuildRequest(write));
        sent << "RC,R,"
             << "QQ,R," << write;
    }
    const int keep = SimDetector::kRecentRecords;
    EXPECT_EQ(answers, 3 * kRounds); // the stray acknowledgements get none

    EXPECT_EQ(det.receivedCommandCount(), 3 * kRounds);
    EXPECT_EQ(det.receivedCommands(), sent.mid(sent.size() - keep));
    EXPECT_EQ(det.refusalCount(), kRounds);
    ASSERT_EQ(det.refusals().size(), keep);
    EXPECT_EQ(det.refusals().last(), QStringLiteral("refused QQ,R,: unknown command"));
    EXPECT_EQ(det.receivedBlockAckCount(), kRounds);
    EXPECT_EQ(det.receivedBlockAcks().size(), keep);
    // Writing one setting again and again leaves one staged value.
    EXPECT_EQ(det.stagedCount(), 1);

    // Clearing starts the command records afresh; refusals stay.
    det.clearReceivedCommands();
    EXPECT_EQ(det.receivedCommandCount(), 0);
    EXPECT_EQ(det.receivedBlockAckCount(), 0);
    EXPECT_TRUE(det.receivedBlockAcks().isEmpty());
    det.receiveFromHost(read);
    EXPECT_EQ(det.receivedCommands(), QList<QByteArray>{"RC,R,"});
    EXPECT_EQ(det.receivedCommandCount(), 1);
    EXPECT_EQ(det.refusalCount(), kRounds);
}
