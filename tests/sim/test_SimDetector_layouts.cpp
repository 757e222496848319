// Field layouts of the read answers, checked the way the PC takes them apart.
#include "SimTestUtil.h"

#include <QDateTime>
#include <cstring>
#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;

namespace {
float HexToFloat(const QByteArray& h) {
    const quint32 bits = h.toUInt(nullptr, 16);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
} // namespace

TEST(SimLayouts, GasRecordsAndAlarmPoints) {
    SimDetector det;
    Wire w(det);
    Answer gj = Parse(w.ask("GJ,R,"));
    ASSERT_EQ(gj.tokens.size(), 5);
    for (const QByteArray& t : gj.tokens)
        EXPECT_EQ(t.size(), 25) << t.constData();
    EXPECT_EQ(gj.tokens[0].left(11).trimmed(), "CH4");
    EXPECT_EQ(gj.tokens[0].mid(11, 5), "  100");
    EXPECT_EQ(gj.tokens[0].mid(16, 5), "    1");
    EXPECT_EQ(gj.tokens[0].mid(21, 4), "%LEL");
    EXPECT_EQ(gj.tokens[1].mid(16, 5), "  0.1");
    EXPECT_EQ(gj.tokens[4].mid(21, 4), "vol%");

    det.state().channels[2].enabled = false;
    gj = Parse(w.ask("GJ,R,"));
    EXPECT_EQ(gj.tokens[2], QByteArray(25, '*'));
    const Answer a1 = Parse(w.ask("A1,R,"));
    ASSERT_EQ(a1.tokens.size(), 5);
    EXPECT_EQ(a1.tokens[0], "   10");
    EXPECT_EQ(a1.tokens[1], " 19.5");
    EXPECT_EQ(a1.tokens[2], "*****"); // disabled channel
    EXPECT_EQ(a1.tokens[4], "*****"); // no warning point on channel 4
    EXPECT_EQ(Parse(w.ask("AS,R,")).tokens[3], " 15.0");
}

TEST(SimLayouts, StationAndUserAddressing) {
    SimDetector det;
    Wire w(det);
    det.state().stationList[5] = QStringLiteral("NORTH GATE");
    det.state().userId = QStringLiteral("A. ITO");
    Answer a = Parse(w.ask("XS,R,****"));
    ASSERT_EQ(a.tokens.size(), 2);
    EXPECT_EQ(a.tokens[0], "****");
    EXPECT_EQ(a.tokens[1].trimmed(), "STATION-01");
    a = Parse(w.ask("XS,R,0005"));
    EXPECT_EQ(a.tokens[0], "0005");
    EXPECT_EQ(a.tokens[1], "NORTH GATE      ");
    a = Parse(w.ask("XZ,R,****"));
    EXPECT_EQ(a.code, "XZ,R");
    EXPECT_EQ(a.tokens[1].trimmed(), "A. ITO");
    EXPECT_EQ(Parse(w.ask("XS,R,007F")).tokens[0], "007F");
    EXPECT_EQ(Parse(w.ask("XS,R,0080")).status, NAK); // beyond 127
    EXPECT_EQ(Parse(w.ask("XS,R,5")).status, NAK);    // not four digits
}

TEST(SimLayouts, LibraryPagesAndPairInUse) {
    SimDetector det;
    Wire w(det);
    for (int page = 1; page <= 5; ++page) {
        const Answer a = Parse(w.ask("LI,R," + HexFixed(page, 2)));
        ASSERT_EQ(a.tokens.size(), 11) << page;
        EXPECT_EQ(a.tokens[0].toInt(nullptr, 16), page);
        // Group 0 is entry k, group 1 entry k + 15.
        EXPECT_EQ(a.tokens[1].trimmed(), det.state().library[size_t(page)].name.toLatin1());
        EXPECT_EQ(a.tokens[6].trimmed(), det.state().library[size_t(page + 15)].name.toLatin1());
        EXPECT_EQ(a.tokens[5].size(), 8);
        EXPECT_FLOAT_EQ(HexToFloat(a.tokens[5]), det.state().library[size_t(page)].ratio);
    }
    const Answer two = Parse(w.ask("LI,R,02"));
    EXPECT_EQ(two.tokens[1].trimmed(), "i-C4H10");
    EXPECT_EQ(two.tokens[4], "%LEL");
    EXPECT_EQ(two.tokens[8].trimmed(), "0.1"); // volume step of entry 17
    EXPECT_EQ(two.tokens[9], "vol%");

    Answer ls = Parse(w.ask("LS,R,"));
    ASSERT_EQ(ls.tokens.size(), 12);
    EXPECT_EQ(ls.tokens[0], "01");
    EXPECT_EQ(ls.tokens[6], "10");
    EXPECT_EQ(ls.tokens[1].trimmed(), "CH4");
    EXPECT_EQ(ls.tokens[5], "3F800000");
    // An unused second entry is announced with index 00.
    det.state().lsPair[1].name = QStringLiteral("----------");
    ls = Parse(w.ask("LS,R,"));
    EXPECT_EQ(ls.tokens[6], "00");
}

TEST(SimLayouts, ClockHistoriesAndConverterValues) {
    SimDetector det;
    Wire w(det);
    det.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(15, 43, 31)); });
    det.state().clockOffsetSecs = -30;
    EXPECT_EQ(Parse(w.ask("HC,R,")).data, "261205154301");

    const Answer so = Parse(w.ask("SO,R,"));
    ASSERT_EQ(so.tokens.size(), 5);
    for (const QByteArray& t : so.tokens) {
        ASSERT_EQ(t.size(), 22);
        bool ok = false;
        t.left(12).toLongLong(&ok);
        EXPECT_TRUE(ok) << t.constData();
    }
    EXPECT_EQ(so.tokens[1].mid(12), " 20.7 20.9");
    EXPECT_EQ(Parse(w.ask("BO,R,")).tokens[3].mid(12, 5), " FAIL");

    const Answer ha = Parse(w.ask("HA,R,"));
    ASSERT_EQ(ha.tokens.size(), 8);
    EXPECT_EQ(ha.tokens[0], "0812");
    EXPECT_FLOAT_EQ(HexToFloat(ha.tokens[7]), 2.5f);

    EXPECT_EQ(Parse(w.ask("UZ,R,")).data, "10111");
    EXPECT_EQ(Parse(w.ask("AO,R,")).data, "0000");
    EXPECT_EQ(Parse(w.ask("VP,R,")).data, "4152");
    EXPECT_EQ(Parse(w.ask("XP,R,")).data, "012C");
    EXPECT_EQ(Parse(w.ask("BU,R,")).data, "2,1,0,1");
    EXPECT_EQ(Parse(w.ask("WB,R,")).data, "0,0,0");
    EXPECT_EQ(Parse(w.ask("HF,R,")).data, "10,1");
    EXPECT_EQ(Parse(w.ask("SZ,R,")).tokens.size(), 4);
}

TEST(SimLayouts, LiveReadingsStayPlausible) {
    SimDetector det;
    Wire w(det);
    det.setNoiseSeed(1);
    for (int n = 0; n < 50; ++n) {
        const Answer dn = Parse(w.ask("DN,R,"));
        ASSERT_EQ(dn.tokens.size(), 5);
        const double o2 = dn.tokens[1].trimmed().toDouble();
        EXPECT_GE(o2, 20.8);
        EXPECT_LE(o2, 21.0);
        EXPECT_EQ(dn.tokens[1].size(), 5);
        EXPECT_GE(dn.tokens[0].trimmed().toInt(), 0);
        EXPECT_LE(dn.tokens[0].trimmed().toInt(), 1);
    }
    // Span gas on channel 2: the reading rises to the span value (50 ppm).
    det.applySpanGas(1 << 2, 5);
    QList<double> co;
    for (int n = 0; n < 5; ++n)
        co.append(Parse(w.ask("DN,R,")).tokens[2].trimmed().toDouble());
    EXPECT_LT(co[0], co[2]);
    EXPECT_NEAR(co[4], 50.0, 1.0);
    // Gas removed after its polls: back near zero.
    EXPECT_LE(Parse(w.ask("DN,R,")).tokens[2].trimmed().toDouble(), 1.0);
}
