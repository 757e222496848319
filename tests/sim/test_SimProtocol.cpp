// Frames and checksums as the detector sees and sends them.
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;
using SimFraming = SimTest;

TEST_F(SimFraming, ChecksumExamples) {
    // The connect probe: sum 517, checksum FB.
    EXPECT_EQ(BuildRequest("RC,R,"), QByteArray("\x02"
                                                "0001RC,R,\x03"
                                                "FB\x04"));
    // A frame whose sum is a multiple of 256 carries "00", not "100" or "0".
    const QByteArray zero = BuildRequest("AO,R,");
    EXPECT_EQ(zero.mid(zero.size() - 3, 2), QByteArray("00"));
    // A block acknowledgement ends in ETB and counts the ACK.
    EXPECT_EQ(BuildRequest(QByteArray("XS,R,") + ACK, ETB), QByteArray("\x02"
                                                                       "0001XS,R,\x06\x03"
                                                                       "DF\x17"));
}

TEST_F(SimFraming, WrongChecksumOrAddressIsIgnored) {
    QByteArray bad = BuildRequest("RC,R,");
    bad[bad.size() - 2] = bad.at(bad.size() - 2) == '0' ? '1' : '0';
    w.got.clear();
    det.receiveFromHost(bad);
    EXPECT_TRUE(w.got.isEmpty());
    EXPECT_TRUE(det.receivedCommands().isEmpty());

    QByteArray other = BuildRequest("RC,R,");
    other.replace(1, 4, "0002");
    // Recompute the checksum so only the address is wrong.
    const int etx = int(other.indexOf(ETX));
    other.replace(etx + 1, 2, Checksum(other.left(etx + 1)));
    w.got.clear();
    det.receiveFromHost(other);
    EXPECT_TRUE(w.got.isEmpty());

    // The detector still answers the next good frame.
    EXPECT_FALSE(w.ask("RC,R,").isEmpty());
}

TEST_F(SimFraming, FramesSplitJoinedAndSurroundedByNoise) {
    const QByteArray a = BuildRequest("RC,R,"), b = BuildRequest("VP,R,");
    // Noise, then a frame cut in two pieces.
    det.receiveFromHost(QByteArray("\x00\xFFjunk", 6) + a.left(7));
    EXPECT_TRUE(w.got.isEmpty());
    det.receiveFromHost(a.mid(7));
    const Answer rc = Parse(w.got);
    EXPECT_EQ(rc.code, "RC,R");
    EXPECT_TRUE(rc.checksumOk); // an answer carries its own checksum and EOT
    EXPECT_EQ(rc.terminator, EOT);
    // Two frames in one chunk are both answered, in order.
    w.got.clear();
    det.receiveFromHost(b + a);
    ASSERT_EQ(det.receivedCommands().size(), 3);
    EXPECT_EQ(det.receivedCommands().at(1), "VP,R,");
    EXPECT_EQ(det.receivedCommands().at(2), "RC,R,");
    EXPECT_TRUE(w.got.startsWith(BuildAnswer("VP,R", "4152")));
    // A frame that lost its end is dropped when the next STX arrives.
    w.got.clear();
    det.receiveFromHost(a.left(8) + b);
    EXPECT_EQ(det.receivedCommands().last(), "VP,R,");
    // Endless noise without ETX does not grow the buffer without limit.
    RequestSplitter s;
    s.feed(QByteArray(1, STX) + QByteArray(5000, 'x'));
    EXPECT_LE(s.pending(), RequestSplitter::kMaxFrame);
}

TEST_F(SimFraming, MalformedAndUnknownCommands) {
    // Unknown code and missing comma: a refusal, not silence.
    EXPECT_EQ(Parse(w.ask("QQ,R,")).status, NAK);
    EXPECT_EQ(Parse(w.ask("RC,R")).status, NAK);
    EXPECT_EQ(Parse(w.ask("SA,R,1")).status, NAK); // read with a parameter
    EXPECT_EQ(det.refusals().size(), 3);
    // Not even a code: nothing.
    EXPECT_TRUE(w.ask("X").isEmpty());
    // Codes "YA" to "YV" are accepted without parsing.
    EXPECT_TRUE(Parse(w.ask("YK,W,anything")).isAck());
}

TEST_F(SimFraming, EveryCodeOfTheCommandSetHasAHandler) {
    const QList<QByteArray> known = {
        "XP", "SC", "XT", "BK", "CP", "XI", "X7", "X8", "EB", "XB", "LP", "AP", "SD",
        "SM", "SW", "BW", "XL", "XA", "XW", "LE", "XF", "BV", "BL", "BJ", "AT", "AF",
        "AM", "SG", "SJ", "UJ", "IN", "HN", "BS", "XS", "XZ", "GJ", "A1", "A2", "AS",
        "AW", "SA", "UZ", "AO", "LI", "LS", "BU", "WB", "MP", "HF", "VP", "VS", "HB",
        "HA", "RC", "DN", "SO", "BO", "HC", "DW", "XC", "XY", "UX", "UD", "UP", "RO",
        "XH", "BP", "SQ", "LR", "SZ", "S2", "S1", "SN", "EP", "ES", "EF", "YA", "YV"};
    // A form no command takes: refused by the code's own handler, never as
    // an unknown command ("Y" codes take anything).
    for (const QByteArray& code : known) {
        const qsizetype before = det.refusals().size();
        w.ask(code + ",Q,");
        if (det.refusals().size() > before) {
            EXPECT_FALSE(det.refusals().last().endsWith(QLatin1String("unknown command")))
                << code.constData();
        }
    }
    EXPECT_TRUE(det.lineUp());
    for (const QByteArray& code : QList<QByteArray>{"YW", "Y0", "xp", "ZZ"}) {
        EXPECT_EQ(Parse(w.ask(code + ",R,")).status, NAK);
        EXPECT_TRUE(det.refusals().last().endsWith(QLatin1String("unknown command")))
            << code.constData();
    }
}
