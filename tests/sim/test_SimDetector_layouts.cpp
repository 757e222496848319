// Field layouts of the read answers the link's own read tests leave out:
// list addressing, the library pages and the second custom-sensor entry,
// the clock and history stamps, and the live readings.
#include "SimTestUtil.h"

#include <QDateTime>
#include <cstring>
#include <gtest/gtest.h>

using namespace simproto;
using namespace simtest;
using SimLayouts = SimTest;

TEST_F(SimLayouts, StationAndUserAddressing) {
    det.state().stationList[5] = QStringLiteral("NORTH GATE");
    det.state().userId = QStringLiteral("A. ITO");
    EXPECT_EQ(Parse(w.ask("XS,R,0005")).data, "0005,NORTH GATE      ");
    const Answer a = Parse(w.ask("XZ,R,****"));
    EXPECT_EQ(a.code, "XZ,R");
    EXPECT_EQ(a.data, "****,A. ITO          ");
    EXPECT_EQ(Parse(w.ask("XS,R,007F")).tokens[0], "007F");
    EXPECT_EQ(Parse(w.ask("XS,R,0080")).status, NAK); // beyond 127
    EXPECT_EQ(Parse(w.ask("XS,R,5")).status, NAK);    // not four digits
}

TEST_F(SimLayouts, LibraryPagesAndPairInUse) {
    for (int page = 1; page <= 5; ++page) {
        const Answer a = Parse(w.ask("LI,R," + HexFixed(page, 2)));
        ASSERT_EQ(a.tokens.size(), 11) << page;
        EXPECT_EQ(a.tokens[0].toInt(nullptr, 16), page);
        // Group 0 is entry k, group 1 entry k + 15.
        EXPECT_EQ(a.tokens[1].trimmed(), det.state().library[size_t(page)].name.toLatin1());
        EXPECT_EQ(a.tokens[6].trimmed(), det.state().library[size_t(page + 15)].name.toLatin1());
        EXPECT_EQ(a.tokens[5], SingleHex(det.state().library[size_t(page)].ratio));
    }
    // Name in 10, full scale and step in 5 with the entry's decimals, unit in 4.
    const QByteArray ratio = SingleHex(det.state().library[2].ratio);
    EXPECT_EQ(Parse(w.ask("LI,R,02")).data,
              "02,i-C4H10   ,  100,    1,%LEL," + ratio + ",i-C4H10   ,  2.0,  0.1,vol%," + ratio);
    // The pair in use: entry k and entry k + 15; an unused second entry is
    // announced with index 00.
    Answer ls = Parse(w.ask("LS,R,"));
    ASSERT_EQ(ls.tokens.size(), 12);
    EXPECT_EQ(ls.tokens[0], "01");
    EXPECT_EQ(ls.tokens[6], "10");
    EXPECT_EQ(ls.tokens[1].trimmed(), "CH4");
    det.state().lsPair[1].name = QStringLiteral("----------");
    EXPECT_EQ(Parse(w.ask("LS,R,")).tokens[6], "00");
}

TEST_F(SimLayouts, ClockAndHistoryStamps) {
    det.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(15, 43, 31)); });
    det.state().clockOffsetSecs = -30;
    EXPECT_EQ(Parse(w.ask("HC,R,")).data, "261205154301");
    // Per channel a 12-digit stamp and two 5-character values.
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
}

TEST_F(SimLayouts, LiveReadingsStayPlausible) {
    det.setNoiseSeed(1);
    for (int n = 0; n < 50; ++n) {
        const Answer dn = Parse(w.ask("DN,R,"));
        ASSERT_EQ(dn.tokens.size(), 5);
        EXPECT_EQ(dn.tokens[1].size(), 5);
        const double o2 = dn.tokens[1].trimmed().toDouble();
        EXPECT_GE(o2, 20.8);
        EXPECT_LE(o2, 21.0);
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
