// Strict checking of write requests, staging and the commit.
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;
using SimWrites = SimTest;

namespace {
// Runs the commit: "DW,W," then "DW,C," until ACK; returns the number of
// "DW,C," polls it took (or -1 when it never finished within 20 polls).
int Commit(Wire& w) {
    if (!Parse(w.ask("DW,W,")).isAck())
        return -1;
    for (int n = 1; n <= 20; ++n)
        if (Parse(w.ask("DW,C,")).isAck())
            return n;
    return -1;
}
} // namespace

TEST_F(SimWrites, MalformedWritesAreRefused) {
    const QList<QByteArray> bad = {
        "XP,W,12C",                            // Hex4 needs four digits
        "XP,W,012c",                           // lower-case hex
        "XP,W,0000",                           // interval 0 out of range
        "SC,W,016E",                           // 366 days
        "AP,W,01",                             // padded decimal
        "AP,W,2",                              // out of range
        "SD,W,10",                             // Digit is one character
        "BS,W,SPEC",                           // Txt 10 needs ten characters
        "IN,W,SERIAL-12345678901234",          // 21 characters
        "XS,W,****,SHORT",                     // Txt 16
        "XS,W,0080,ABCDEFGHIJKLMNOP",          // address beyond 127
        "XS,W,****,ABC,DEFGHIJKLMNOP",         // comma inside the text
        "A1,W,   10, 19.5,   25, 10.0",        // four fields
        "A1,W,   10, 19.5,   25, 10.0,*****,", // trailing empty field
        "A1,W,  10, 19.5,   25, 10.0,*****",   // four-character field
        "A1,W,   10,19.50,   25, 10.0,*****",  // two decimals on a one-decimal channel
        "A1,W,   10,   20,   25, 10.0,*****",  // no decimals on a one-decimal channel
        "A2,W,  101, 18.0,   50, 30.0,*****",  // above the full scale of 100
        "UZ,W,1011",                           // four flags
        "UZ,W,10121",                          // not a flag
        "BU,W,2,1,0",                          // three values
        "BU,W,4,1,0,1",                        // BumpTime code 4
        "MP,W,1,756",                          // three-digit password
        "LS,W,00",                             // no entry 0
        "LS,W,09",                             // unused library entry
        "HC,W,261332120000",                   // month 13
        "GJ,W,CH4          100    1%LEL",      // one record
        "DW,W,1",                              // no parameter expected
    };
    for (const QByteArray& t : bad) {
        const Answer a = Parse(w.ask(t));
        ASSERT_TRUE(a.wellFormed) << t.constData();
        EXPECT_EQ(a.status, NAK) << t.constData();
        EXPECT_EQ(a.code, t.left(4)) << t.constData();
    }
    EXPECT_EQ(det.stagedCount(), 0);
    EXPECT_EQ(det.refusals().size(), bad.size());
    // The refusal names the problem.
    EXPECT_TRUE(det.refusals().at(15).contains(QStringLiteral("1 decimals")))
        << det.refusals().at(15).toStdString();
}

TEST_F(SimWrites, GasRecordsAreCheckedFieldByField) {
    const QByteArray ok0 = "CH4          100    1%LEL", ok1 = "O2          25.0  0.1vol%",
                     ok2 = "CO           500    1ppm ", ok3 = "H2S        100.0  0.1ppm ",
                     off = QByteArray(25, '*');
    auto gj = [&](const QByteArray& c0, const QByteArray& c3) {
        return Parse(w.ask("GJ,W," + c0 + ',' + ok1 + ',' + ok2 + ',' + c3 + ',' + off));
    };
    EXPECT_EQ(gj("CH4          100   1 %LEL", ok3).status, NAK); // step not right-justified
    EXPECT_EQ(gj("CH4          100    1%LE", ok3).status, NAK);  // 24 characters
    EXPECT_EQ(gj("             100    1%LEL", ok3).status, NAK); // no name
    EXPECT_EQ(gj(ok0, "H2S         100  0.1ppm ").status,
              NAK); // full scale without the step's decimal
    EXPECT_EQ(gj(ok0, "H2S        100.0  0.1    ").status, NAK); // no unit
    EXPECT_EQ(det.stagedCount(), 0);

    const Answer good = gj(ok0, ok3);
    ASSERT_EQ(good.tokens.size(), 5);
    EXPECT_EQ(good.tokens[0], ok0); // echo of the records as stored
    EXPECT_EQ(good.tokens[4], off);
    EXPECT_EQ(det.stagedCount(), 1);
    // Channel 4 is now off (staged): its warning must be "*****".
    EXPECT_EQ(Parse(w.ask("A1,W,   10, 19.5,   25, 10.0,   10")).status, NAK);
    EXPECT_FALSE(Parse(w.ask("A1,W,   10, 19.5,   25, 10.0,*****")).data.isEmpty());
    EXPECT_GT(Commit(w), 0);
    EXPECT_FALSE(det.state().channels[4].enabled);
}

TEST_F(SimWrites, WritesApplyOnlyAfterCommit) {
    // Echoes carry the written value in the form of the read answer.
    const std::pair<const char*, const char*> writes[] = {
        {"XP,W,0258", "0258"},
        {"XI,W,0", "0"},
        {"IN,W,SN-0042             ", "SN-0042"},
        {"XS,W,****,YARD 7          ", "****,YARD 7"},
        {"XS,W,0000,GATE 0          ", "0000,GATE 0"},
        {"XS,W,0001,GATE 1          ", "0001,GATE 1"},
        {"A2,W,   55, 18.0,   50, 30.0,*****", "   55, 18.0,   50, 30.0,*****"},
        {"MP,W,1,1234", "1,1234"},
        {"BU,W,3,4,1,0", "3,4,1,0"},
        {"HF,W,20", "20,0"}, // DispID staged 0 above
        {"LS,W,03", "03"},
        {"XP,W,0259", "0259"}, // the same setting again: one staged value, the latest
    };
    for (const auto& [request, echo] : writes)
        EXPECT_EQ(Parse(w.ask(request)).data, echo);
    // Each list address and the current station is a target of its own.
    EXPECT_EQ(det.stagedCount(), int(std::size(writes)) - 1);

    // Reads before the commit still give the committed values.
    EXPECT_EQ(Parse(w.ask("XP,R,")).data, "012C");
    EXPECT_EQ(Parse(w.ask("IN,R,")).data.trimmed(), "TQ7350-2403-00127");
    EXPECT_EQ(det.state().Intervals, 300);

    int saved = 0;
    QObject::connect(&det, &SimDetector::stateChanged, &det, [&saved] { ++saved; });
    EXPECT_EQ(Commit(w), 3); // two polls "storing", the third acknowledged
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(det.stagedCount(), 0);
    const SimState& s = det.state();
    EXPECT_EQ(QList<int>({s.Intervals, s.DispID, s.UseUserPassword, s.BumpThreshold, s.pressOffset,
                          s.lsIndex}),
              QList<int>({0x259, 0, 1, 4, 0x20, 3}));
    EXPECT_EQ(QStringList({s.serialNo, s.stationId, s.stationList[0], s.stationList[1],
                           s.UserPassword2, s.lsPair[0].name}),
              QStringList({"SN-0042", "YARD 7", "GATE 0", "GATE 1", "1234", "H2"}));
    EXPECT_DOUBLE_EQ(s.channels[0].alarm, 55.0);
    EXPECT_EQ(Parse(w.ask("A2,R,")).tokens[0], "   55");
}

TEST_F(SimWrites, CommitBehaviour) {
    // A confirm with nothing in progress is acknowledged at once.
    EXPECT_TRUE(Parse(w.ask("DW,C,")).isAck());
    // Staged writes without "DW,W," stay staged.
    Parse(w.ask("XL,W,1"));
    EXPECT_TRUE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_EQ(det.state().LunchBreak, 0);
    EXPECT_EQ(det.stagedCount(), 1);

    det.setCommitPolls(0);
    EXPECT_EQ(Commit(w), 1);
    EXPECT_EQ(det.state().LunchBreak, 1);

    det.setCommitPolls(4);
    Parse(w.ask("XL,W,0"));
    const QByteArray storing = w.ask("DW,W,"), poll = w.ask("DW,C,");
    EXPECT_TRUE(Parse(storing).isAck());
    const Answer p = Parse(poll);
    EXPECT_EQ(p.code, "DW,C");
    EXPECT_NE(p.status, ACK);
    EXPECT_EQ(poll.size(), 15);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_EQ(det.state().LunchBreak, 1); // still storing
    EXPECT_TRUE(Parse(w.ask("DW,C,")).isAck());
    EXPECT_EQ(det.state().LunchBreak, 0);

    // A lost line keeps what was staged: the next commit stores it.
    Parse(w.ask("XL,W,1"));
    det.setLineUp(false);
    det.setLineUp(true);
    EXPECT_EQ(det.stagedCount(), 1);
    EXPECT_EQ(Commit(w), 5);
    EXPECT_EQ(det.state().LunchBreak, 1);

    // Switching off forgets it.
    Parse(w.ask("XL,W,0"));
    EXPECT_TRUE(Parse(w.ask("RO,W,")).isAck());
    det.setLineUp(true);
    EXPECT_EQ(det.stagedCount(), 0);
    EXPECT_EQ(Commit(w), 5);
    EXPECT_EQ(det.state().LunchBreak, 1);
}

TEST_F(SimWrites, ALaterWriteOfTheSameSettingCountsAsWrittenLast) {
    // The span gas value of channel 0 is set both by "SA,W," and by a span
    // of channel 0; whichever came last holds at the commit.
    const QByteArray sa50 = "SA,W,   50, 12.0,   50, 25.0,   50";
    const QByteArray sa45 = "SA,W,   45, 12.0,   50, 25.0,   50";
    const QByteArray span40 = "S2,W,10000,   40,*****,*****,*****,*****";
    const QByteArray span35 = "S2,W,10000,   35,*****,*****,*****,*****";
    struct Case {
        QList<QByteArray> writes;
        int staged;
        double channel0;
    };
    const Case cases[] = {
        {{sa50, span40, sa45}, 2, 45.0},
        {{span40, sa50, span35}, 2, 35.0},
        {{sa50, span40, sa45, span35}, 2, 35.0},
        {{span40, sa45}, 2, 45.0},
    };
    for (const Case& c : cases) {
        SimDetector fresh;
        fresh.setCommitPolls(0);
        Wire wire(fresh);
        for (const QByteArray& t : c.writes)
            ASSERT_NE(Parse(wire.ask(t)).status, NAK) << t.constData();
        EXPECT_EQ(fresh.stagedCount(), c.staged);
        EXPECT_GT(Commit(wire), 0);
        EXPECT_DOUBLE_EQ(fresh.state().channels[0].autoCalib, c.channel0) << c.writes.size();
        EXPECT_DOUBLE_EQ(fresh.state().channels[3].autoCalib, 25.0);
    }
}
