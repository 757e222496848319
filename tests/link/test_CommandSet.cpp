// Command set: request encodings, answer checks and the per-code rules, fed
// with frames exactly as the detector sends them.
#include "LinkHarness.h"

#include "link/CommandSet.h"
#include "link/ResponseParser.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <gtest/gtest.h>

using namespace CommandSet;

namespace {

const QChar ACK(0x06);

QString Answer(const QString& code, const QString& data) {
    return QString::fromLatin1(linktest::BuildAnswerFrame(code, data));
}

// The value a number check reads from a token, or "refused".
template <class T> QString Parsed(bool (*check)(const QString&, T*), const char* token) {
    T value{};
    return check(QString::fromLatin1(token), &value) ? QString::number(value)
                                                     : QStringLiteral("refused");
}

struct Harness {
    clsInstrument rec;
    ResponseContext ctx;
    QStringList log;
    Harness() {
        ctx.Instrument = &rec;
        ctx.Log = [this](const QString& l) { log << l; };
        ctx.Now = [] { return QDateTime(QDate(2026, 12, 5), QTime(16, 43, 1)); };
    }
    bool parse(const QString& code, const QString& data) {
        return ParseResponse(Answer(code, data), ctx);
    }
};

} // namespace

TEST(CommandSetChecks, NumbersHexAndFlags) {
    // Up to four hex digits are a 16-bit number, more a 32-bit one.
    EXPECT_EQ(Parsed(HexInt, "FFFF"), "-1");
    EXPECT_EQ(Parsed(HexInt, "7fff"), "32767");
    for (const char* bad : {"10000", "G1", ""}) // 10000 does not fit an Integer
        EXPECT_EQ(Parsed(HexInt, bad), "refused") << bad;
    EXPECT_EQ(Parsed(HexLong, "10000"), "65536");
    EXPECT_EQ(Parsed(HexLong, "FFFF"), "-1");
    EXPECT_EQ(Parsed(HexLong, "123456789"), "refused");
    EXPECT_EQ(Parsed(DecInt, "3.5"), "4");
    EXPECT_EQ(Parsed(DecInt, "40000"), "refused");
    EXPECT_EQ(Fmt0(-7), "-7"); // the encoding of "XB"

    EXPECT_TRUE(IsValidToken("*****"));
    EXPECT_TRUE(IsValidToken(" 12.5"));
    EXPECT_FALSE(IsValidToken("****"));
    EXPECT_FALSE(IsValidToken("WARN"));
    EXPECT_EQ(FlagChar("1x"), 1);
    EXPECT_EQ(FlagChar("2"), 0);
    EXPECT_EQ(FlagChar(""), 0);
}

TEST(ResponseParserFirstStage, LengthCodesAndSeparators) {
    Harness h;
    // 14 characters: rejected with a format error.
    const QString shortFrame = QStringLiteral("\x02"
                                              "0001XP,R,\x03"
                                              "00\x04");
    ASSERT_EQ(shortFrame.size(), 14);
    EXPECT_FALSE(ParseResponse(shortFrame, h.ctx));
    EXPECT_EQ(h.log, QStringList{kFormatError});

    // Unknown code: rejected without a log line.
    h.log.clear();
    EXPECT_FALSE(h.parse("QQ,R", "0001"));
    EXPECT_TRUE(h.log.isEmpty());
    // A known code with a form it does not answer.
    EXPECT_FALSE(h.parse("VP,W", "1234"));

    // The split: status character, code, data, CR as a separator, control
    // characters gone.
    AnswerFrame a;
    ASSERT_TRUE(SplitAnswer(Answer("BU,R", "1\r2,,3\r4"), &a));
    EXPECT_EQ(a.Code, "BU,R");
    EXPECT_EQ(a.Form, QChar('R'));
    EXPECT_EQ(a.Status, QChar('1'));
    EXPECT_EQ(a.Tokens, (QStringList{"1", "2", "3", "4"}));
    ASSERT_TRUE(SplitAnswer(Answer("DW,W", QString(ACK)), &a));
    EXPECT_EQ(a.Status, ACK);
    EXPECT_TRUE(a.Tokens.isEmpty());
}

TEST(CommandSetRead, AlarmAnswersWithStatusWords) {
    Harness h;
    h.rec.setChange_Warn(0, true);
    // A status word is stored as its code, but the answer is rejected.
    EXPECT_FALSE(h.parse("A1,R", "WARN,   50,*****,  1.5, 0.25"));
    EXPECT_EQ(h.rec.Warning(0), -103.0f);
    EXPECT_EQ(h.rec.Warning(1), 50.0f);
    EXPECT_EQ(h.rec.Warning(2), -101.0f);
    EXPECT_EQ(h.rec.Warning(4), 0.25f);

    EXPECT_TRUE(h.parse("A2,R", "   10,*****, 19.5,   25,  100"));
    EXPECT_EQ(h.rec.Alarm(1), -101.0f);
    EXPECT_EQ(h.rec.Alarm(2), 19.5f);
    EXPECT_FALSE(h.rec.Change_Alarm(2));

    // Four tokens: rejected, nothing stored.
    h.rec.setStel(0, 7);
    EXPECT_FALSE(h.parse("AS,R", "1,2,3,4"));
    EXPECT_EQ(h.rec.Stel(0), 7.0f);
    EXPECT_TRUE(h.log.isEmpty());

    // Write answers need five valid tokens.
    EXPECT_TRUE(h.parse("SA,W", "   50,*****,  100,   25,   12"));
    EXPECT_FALSE(h.parse("SA,W", "   50,*****,  100,   25"));
    EXPECT_FALSE(h.parse("SA,W", "   50,NORM,  100,   25,   12"));
}

TEST(CommandSetRead, GasTableChecksAndRecords) {
    Harness h;
    const QString o2 = QString("O2").leftJustified(11) + " 40.0" + "  0.1" + "VOL%";
    const QString co = QString("CO").leftJustified(11) + "  500" + "    1" + "ppm ";
    const QString off(25, '*');

    // The records as the detector sends them (the full read checks every field).
    EXPECT_TRUE(h.parse("GJ,R", QStringList{o2, co, off, o2, co}.join(',')));
    EXPECT_EQ(Gas25(h.rec, 0), o2);
    EXPECT_EQ(Gas25(h.rec, 2), off);

    // A 24-character record: rejected without a log line.
    EXPECT_FALSE(h.parse("GJ,R", QStringList{o2, co, off, o2, co.left(24)}.join(',')));
    EXPECT_TRUE(h.log.isEmpty());
    // Four records: a format error.
    EXPECT_FALSE(h.parse("GJ,R", QStringList{o2, co, off, o2}.join(',')));
    EXPECT_EQ(h.log, QStringList{kFormatError});

    // The write answer must echo the records that were sent.
    EXPECT_TRUE(h.parse("GJ,W", QStringList{o2, co, off, o2, co}.join(',')));
    EXPECT_FALSE(h.parse("GJ,W", QStringList{o2, co, off, o2, o2}.join(',')));
}

TEST(CommandSetRead, StationAndUserAddressing) {
    Harness h;
    h.rec.setStationList(3, "KEEP");
    EXPECT_TRUE(h.parse("XS,R", "****,PLANT A         "));
    EXPECT_EQ(h.rec.StationID(), "PLANT A");
    EXPECT_EQ(h.rec.StationList(0), QString(16, '-'));
    EXPECT_EQ(h.rec.StationList(3), "KEEP");

    h.rec.setChange_UserList(5, true);
    EXPECT_TRUE(h.parse("XZ,R", "0005,SMITH           "));
    EXPECT_EQ(h.rec.UserList(5), "SMITH");
    EXPECT_FALSE(h.rec.Change_UserList(5));
    // Outside the list, or not hexadecimal: rejected.
    EXPECT_FALSE(h.parse("XZ,R", "0080,NOPE"));
    EXPECT_FALSE(h.parse("XZ,R", "00G1,NOPE"));

    // The echoes of the writes name the entry and the text.
    EXPECT_TRUE(h.parse("XS,W", "****,PLANT A"));
    EXPECT_FALSE(h.parse("XS,W", "****,PLANT B"));
    EXPECT_TRUE(h.parse("XZ,W", "0005,SMITH"));
    EXPECT_FALSE(h.parse("XZ,W", "0006,SMITH"));
}

TEST(CommandSetRead, UnsupportedCheckAllAndFlagRules) {
    Harness h;
    h.rec.setCalCheckALL(1);
    EXPECT_TRUE(h.parse("SW,R", "--"));
    EXPECT_EQ(h.rec.CalCheckALL(), -1);
    EXPECT_FALSE(h.rec.Change_CalCheckALL());
    EXPECT_TRUE(h.parse("BW,R", "2"));
    EXPECT_EQ(h.rec.BumpCheckALL(), 2);
    // A write answer must echo the number.
    EXPECT_FALSE(h.parse("BW,W", "--"));
    EXPECT_TRUE(h.parse("BW,W", "2"));

    // Numeric token, first character as flag.
    EXPECT_TRUE(h.parse("SJ,R", "10"));
    EXPECT_EQ(h.rec.AutoZero(), 1);
    EXPECT_FALSE(h.parse("SG,R", "X"));
    EXPECT_TRUE(h.parse("BJ,R", "1"));
    EXPECT_EQ(h.rec.DispBumpLimit(), 1);

    // Hex settings read as hexadecimal, decimal ones as decimal.
    EXPECT_TRUE(h.parse("XP,R", "001E"));
    EXPECT_EQ(h.rec.Intervals(), 30);
    EXPECT_FALSE(h.rec.Change_Interval());
    EXPECT_TRUE(h.parse("XI,R", "10"));
    EXPECT_EQ(h.rec.DispID(), 16);
    EXPECT_TRUE(h.parse("AP,R", "10"));
    EXPECT_EQ(h.rec.AlarmMode(), 10);
    EXPECT_FALSE(h.parse("AP,R", "1A"));

    // Spec type: one of 0..4.
    EXPECT_TRUE(h.parse("UJ,R", "3"));
    EXPECT_EQ(h.rec.SpecType(), "3");
    EXPECT_FALSE(h.parse("UJ,R", "5"));

    // Without a record the settings rules reject.
    h.ctx.Instrument = nullptr;
    EXPECT_FALSE(h.parse("XP,R", "0001"));
}

TEST(CommandSetRead, ClockAnswers) {
    Harness h;
    EXPECT_TRUE(h.parse("HC,R", "261205154301"));
    const QDateTime when = OleDate::ToDateTime(h.rec.SysDate());
    EXPECT_EQ(when, QDateTime(QDate(2026, 12, 5), QTime(15, 43, 1)));
    // The harness clock is one hour later.
    EXPECT_NEAR(h.rec.SysDateOffset(), 1.0 / 24.0, 1e-6);

    EXPECT_TRUE(h.parse("HC,R", "990101000000"));
    EXPECT_EQ(OleDate::ToDateTime(h.rec.SysDate()).date(), QDate(2099, 1, 1));

    // Not a date: logged, kept in FailLine, rejected.
    EXPECT_FALSE(h.parse("HC,R", "261305154301"));
    EXPECT_EQ(h.log, QStringList{kImproperDate + "261305154301"});
    EXPECT_EQ(h.rec.FailLine(), "261305154301");
    EXPECT_FALSE(h.parse("HC,R", "2612051543"));
    // The write answer is accepted unless it is a refusal.
    EXPECT_TRUE(h.parse("HC,W", "garbage"));
    h.log.clear();
    EXPECT_FALSE(h.parse("HC,W", QString(QChar(0x15))));
    // And a refused store ("DW,W").
    EXPECT_FALSE(h.parse("DW,W", QString(QChar(0x15))));
    EXPECT_EQ(h.log, QStringList(2, kResponseError));
}

TEST(CommandSetRead, EchoesOfWrites) {
    Harness h;
    h.rec.setIntervals(300);
    EXPECT_TRUE(h.parse("XP,W", "012C"));
    EXPECT_FALSE(h.parse("XP,W", "012D"));
    EXPECT_FALSE(h.parse("XP,W", ""));

    h.rec.setSerialNo("  AB123 ");
    EXPECT_TRUE(h.parse("IN,W", "AB123               "));
    EXPECT_FALSE(h.parse("IN,W", "AB124"));
    // A text longer than its field is compared as it was sent.
    h.rec.setSpecNo("SPEC-123456789");
    EXPECT_EQ(WriteCommand("BS", h.rec), "BS,W,SPEC-12345");
    EXPECT_TRUE(h.parse("BS,W", "SPEC-12345"));

    h.rec.setBumpTime(30);
    h.rec.setBumpThreshold(50);
    h.rec.setBumpFailCalTime(1);
    h.rec.setBumpFailAfter(0);
    EXPECT_EQ(WriteCommand("BU", h.rec), "BU,W,30,50,1,0");
    EXPECT_TRUE(h.parse("BU,W", "30,50,1,0"));
    EXPECT_FALSE(h.parse("BU,W", "30,50,2,0"));

    h.rec.setpressOffset(0x1F);
    h.rec.setDispID(1);
    EXPECT_EQ(WriteCommand("HF", h.rec), "HF,W,1F");
    EXPECT_TRUE(h.parse("HF,W", "1F,1"));
    EXPECT_FALSE(h.parse("HF,W", "1F,0"));

    EXPECT_EQ(WriteCommand("VP", h.rec), ""); // read only
}

TEST(CommandSetRead, SensorTablesAndRawValues) {
    Harness h;
    // LS: two groups; the second is skipped with index "00".
    EXPECT_TRUE(h.parse("LS,R", "03,CH4       ,100,1,%LEL,3F800000,00,x,1,1,u,00000000"));
    EXPECT_EQ(h.rec.LSindex(), 3);
    EXPECT_TRUE(h.rec.LS_Name(1).isEmpty());
    EXPECT_FALSE(h.parse("LS,R", "03,CH4,100,1,%LEL,3F800000"));
    EXPECT_EQ(h.log, QStringList{kFormatError});

    // LI page: entries k and k + 15.
    EXPECT_TRUE(h.parse("LI,R", "02,H2,1000,10,ppm,40000000,CO,500,0.5,ppm,3F000000"));
    EXPECT_EQ(h.rec.LI_Name(2), "H2");
    EXPECT_EQ(h.rec.LI_Point(17), 1);
    EXPECT_FALSE(h.parse("LI,R", "10,H2,1000,10,ppm,40000000,CO,500,0.5,ppm,3F000000"));

    // Zero flags and over-scale flags.
    h.rec.setZero(2, 1);
    EXPECT_TRUE(h.parse("UZ,R", "10x01")); // a character that is no digit is skipped
    EXPECT_EQ(WriteCommand("UZ", h.rec), "UZ,W,10101");
    EXPECT_FALSE(h.parse("UZ,R", "1010"));
    EXPECT_TRUE(h.parse("AO,R", "0101"));
    EXPECT_EQ(h.rec.OverScale(1), 1);

    // Raw converter values.
    EXPECT_TRUE(h.parse("HA,R", "0001,0002,0003,0004,0005,0006,FFFF,3F800000"));
    EXPECT_EQ(h.rec.AnalogValue(6), -1);
    EXPECT_FALSE(h.parse("HA,R", "0001,0002,0003,0004,0005,0006,FFFF"));
}

TEST(CommandSetRead, MaintenanceAnswers) {
    Harness h;
    std::array<float, 5> seen{};
    h.ctx.Densty = [&](const std::array<float, 5>& v) { seen = v; };
    EXPECT_TRUE(h.parse("DN,R", "  1.5, 20.9,    3,OVER,   0"));
    EXPECT_EQ(seen[0], 1.5f);
    EXPECT_EQ(seen[4], 0.0f);
    EXPECT_EQ(h.rec.LimitValue(1), 20.9f);

    EXPECT_TRUE(h.parse("SZ,C", QString(ACK) + "01000"));
    EXPECT_TRUE(h.ctx.CommitDone);
    EXPECT_EQ(h.ctx.ZeroResult, "01000");
    EXPECT_FALSE(h.parse("SZ,R", "1,2,3"));
    EXPECT_TRUE(h.parse("S2,W", "00100"));
    EXPECT_EQ(h.ctx.SpanResult, "00100");
    EXPECT_TRUE(h.parse("S2,W", "001"));
    EXPECT_EQ(h.ctx.SpanResult, "");
    // A refused span is not an answer with a result.
    h.ctx.SpanResult = QStringLiteral("00100");
    EXPECT_FALSE(h.parse("S2,W", QString(QChar(0x15))));
    EXPECT_EQ(h.ctx.SpanResult, "");

    const QString cal = "251231235959  100   98";
    EXPECT_TRUE(
        h.parse("SO,R", QStringList{cal, cal, cal, cal, "300101000000-----   50"}.join(',')));
    EXPECT_EQ(OleDate::ToDateTime(h.rec.CalibDate(0)),
              QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)));
    EXPECT_EQ(OleDate::ToDateTime(h.rec.CalibDate(4)).date(), QDate(1930, 1, 1));
    EXPECT_EQ(h.rec.CalibBefore(4), -101.0f);
    EXPECT_EQ(h.rec.CalibAfter(4), 50.0f);
    EXPECT_FALSE(
        h.parse("SO,R", QStringList{cal, cal, cal, cal, "2512312359xx  100   98"}.join(',')));

    EXPECT_TRUE(
        h.parse("BO,R", QStringList{cal, cal, cal, cal, "250101000000 FAIL   50"}.join(',')));
    EXPECT_EQ(h.rec.BumpResult(4), modGasCommon::kFailSpan);

    // Dump answers go to the hook, or are rejected without one.
    EXPECT_FALSE(h.parse("EF,R", "000000,FF"));
    h.ctx.DumpAnswer = [](const AnswerFrame& a) { return a.Tokens.size() == 2; };
    EXPECT_TRUE(h.parse("EF,R", "000000,FF"));
    EXPECT_TRUE(h.parse("YK,R", "anything"));

    bool connected = false;
    h.ctx.ConnectAnswer = [&] { connected = true; };
    EXPECT_FALSE(h.parse("RC,R", "TQ-7000"));
    EXPECT_TRUE(h.parse("RC,R", "TQ-7350,V1.00"));
    EXPECT_TRUE(connected);
}
