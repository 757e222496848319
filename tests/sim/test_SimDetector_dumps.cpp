// Memory dumps and the check pattern.
#include "SimTestUtil.h"

#include "sim/CheckPattern.h"

#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;
using SimDumps = SimTest;

TEST_F(SimDumps, CheckPatternDefinition) {
    EXPECT_EQ(CheckPatternByte(0), 0x5A);
    EXPECT_EQ(CheckPatternByte(0x000001), 0x5B);
    EXPECT_EQ(CheckPatternByte(0x000100), 0x5B);
    EXPECT_EQ(CheckPatternByte(0x010203), 0x03 ^ 0x02 ^ 0x01 ^ 0x5A);
    EXPECT_EQ(CheckPatternByte(0x07FFFF), 0xFF ^ 0xFF ^ 0x07 ^ 0x5A);
    const QByteArray img = CheckImage();
    ASSERT_EQ(img.size(), 524288);
    // Neighbouring 512-byte blocks differ, so a block stored at the wrong
    // place shows up in the comparison.
    for (int b = 1; b < 1024; ++b)
        ASSERT_NE(img.mid((b - 1) * 512, 512), img.mid(b * 512, 512)) << b;
}

TEST_F(SimDumps, RawBlocksOfLoggerMemory) {
    const QByteArray first = w.ask("EP,R,0000");
    ASSERT_EQ(first.size(), 512);
    EXPECT_EQ(first, det.state().logger.left(512));
    EXPECT_EQ(w.ask("EP,R,03FF"), det.state().logger.mid(1023 * 512));
    EXPECT_TRUE(w.ask("EP,R,0400").isEmpty()); // beyond the memory: no answer
    EXPECT_TRUE(w.ask("EP,R,3FF").isEmpty());
    EXPECT_EQ(det.refusals().size(), 2);
    EXPECT_EQ(w.ask("ES,R,0007"), det.state().powerData.mid(7 * 512)); // power data

    // The check pattern fills the logger; a clear leaves erased flash.
    ASSERT_NE(det.state().logger, CheckImage());
    EXPECT_TRUE(Parse(w.ask("XH,E,")).isAck());
    EXPECT_EQ(det.state().logger, CheckImage());
    EXPECT_TRUE(Parse(w.ask("XC,W,")).isAck());
    while (!Parse(w.ask("XC,C,")).isAck()) {
    }
    EXPECT_EQ(w.ask("EP,R,0010"), QByteArray(512, char(0xFF)));
}

TEST_F(SimDumps, ListBlocksAcknowledgedOneByOne) {
    const QByteArray mem = det.state().parameterMemory();
    ASSERT_EQ(mem.size(), 8192);
    EXPECT_EQ(mem.left(7), "TQ-7350");

    QByteArray rebuilt(8192, '\0');
    QByteArray reply = w.ask("EF,R,");
    int blocks = 0;
    for (;;) {
        const Answer a = Parse(reply);
        ASSERT_TRUE(a.wellFormed);
        ASSERT_EQ(a.code, "EF,R");
        ASSERT_EQ(a.tokens.size(), 2);
        const int addr = a.tokens[0].toInt(nullptr, 16);
        EXPECT_EQ(a.tokens[0], HexFixed(blocks * 128, 6));
        const QByteArray bytes = QByteArray::fromHex(a.tokens[1]);
        ASSERT_EQ(bytes.size(), 128);
        rebuilt.replace(addr, bytes.size(), bytes);
        ++blocks;
        if (a.terminator == EOT)
            break;
        ASSERT_EQ(a.terminator, ETB);
        if (blocks == 3) {
            // A rejected block is sent again, unchanged.
            EXPECT_EQ(w.blockAck("EF,R,", NAK), reply);
        }
        reply = w.blockAck("EF,R,", ACK);
        ASSERT_FALSE(reply.isEmpty());
    }
    EXPECT_EQ(blocks, 64);
    EXPECT_EQ(rebuilt, mem);
    // A NAK of the last block repeats it; an ACK ends the transfer.
    EXPECT_EQ(Parse(w.blockAck("EF,R,", NAK)).tokens[0], "001F80");
    EXPECT_TRUE(w.blockAck("EF,R,", ACK).isEmpty());
    EXPECT_TRUE(w.blockAck("EF,R,", ACK).isEmpty());

    // A start address; any other command ends the transfer.
    EXPECT_EQ(Parse(w.ask("EF,R,001000")).tokens[0], "001000");
    w.ask("RC,R,");
    EXPECT_TRUE(w.blockAck("EF,R,", ACK).isEmpty());
    EXPECT_EQ(Parse(w.ask("EF,R,002000")).status, NAK);
}

TEST_F(SimDumps, SynchronousPeerDoesNotNest) {
    // A peer that acknowledges each block from inside bytesToHost, as an
    // in-memory transport does: the whole list arrives, without deep calls.
    int depth = 0, maxDepth = 0, blocks = 0;
    QObject::connect(&det, &SimDetector::bytesToHost, &det, [&](const QByteArray& b) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        ++blocks;
        if (b.endsWith(ETB))
            det.receiveFromHost(BuildRequest(QByteArray("EF,R,") + ACK, ETB));
        --depth;
    });
    det.receiveFromHost(BuildRequest("EF,R,"));
    EXPECT_EQ(blocks, 64);
    EXPECT_EQ(maxDepth, 1);
}
