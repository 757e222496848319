// Due dates and their states, the register's location, the list's CSV and
// the differences between two reads.
#include "common/TestSupport.h"

#include "register/DueDates.h"
#include "register/RegisterLocation.h"
#include "register/RegisterText.h"

#include <gtest/gtest.h>

using namespace InstrumentRegister;

namespace {

const QDateTime kNow = QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);

// A read of a detector with channels 0 and 1 on whose calibration and bump
// test dates, as the detector stamped them, lie the given days before the
// PC's now; its clock runs `aheadHours` ahead of the PC's (so each date
// happened that much earlier on the PC's clock).
Event Read(int calDaysAgo0, int calDaysAgo1, int bumpDaysAgo, int aheadHours, Limits limits) {
    Event e;
    e.serialNo = QStringLiteral("SN");
    e.kind = EventKind::Read;
    e.pcTime = kNow;
    e.clockOffsetSeconds = -qint64(aheadHours) * 3600;
    e.limits = limits;
    const QDateTime stampNow = kNow.toLocalTime();
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.enabled = ch < 2;
        const int calAgo = ch == 0 ? calDaysAgo0 : calDaysAgo1;
        if (calAgo >= 0)
            c.calibrationDate = stampNow.addDays(-calAgo);
        if (bumpDaysAgo >= 0)
            c.bumpDate = stampNow.addDays(-bumpDaysAgo);
        e.channels << c;
    }
    return e;
}

} // namespace

TEST(DueDates, FromTheLimitsOnThePcClock) {
    const Limits on{true, true, 30, true, 10};
    struct Case {
        const char* name;
        Event event;
        DueState cal;
        DueState bump;
    };
    Limits calOff = on;
    calOff.calibrationOn = false;
    Limits bumpZero = on;
    bumpZero.bumpDays = 0;
    const Case cases[] = {
        {"fresh", Read(1, 2, 1, 0, on), DueState::Ok, DueState::Ok},
        // The channel calibrated longest ago decides.
        {"one channel old", Read(1, 29, 4, 0, on), DueState::Soon, DueState::Soon},
        {"one channel overdue", Read(1, 31, 1, 0, on), DueState::Overdue, DueState::Ok},
        {"bump overdue", Read(1, 1, 11, 0, on), DueState::Ok, DueState::Overdue},
        // Stamped 22 days ago by a clock 3 days ahead: 25 days ago on the
        // PC's clock, so the calibration runs out in 5 days, not 8.
        {"clock ahead", Read(22, 22, 0, 72, on), DueState::Soon, DueState::Ok},
        // Stamped 29 days ago by a clock 2 days ahead: 31 days on the PC's.
        {"clock ahead overdue", Read(29, 29, 0, 48, on), DueState::Overdue, DueState::Ok},
        {"cal limit off", Read(40, 40, 1, 0, calOff), DueState::Unknown, DueState::Ok},
        {"bump limit zero", Read(1, 1, 40, 0, bumpZero), DueState::Ok, DueState::Unknown},
        // An enabled channel without a calibration: no due date to give.
        {"never calibrated", Read(1, -1, -1, 0, on), DueState::Unknown, DueState::Unknown},
    };
    for (const Case& c : cases) {
        const DetectorSummary s = Merge(DetectorSummary(), c.event);
        EXPECT_EQ(StateOf(s.calibrationDue, kNow), c.cal) << c.name;
        EXPECT_EQ(StateOf(s.bumpDue, kNow), c.bump) << c.name;
    }
    // The exact date: 22 days ago with the clock 3 days ahead, plus 30 days.
    const DetectorSummary ahead = Merge(DetectorSummary(), Read(22, 22, 0, 72, on));
    EXPECT_EQ(ahead.calibrationDue, kNow.addDays(-25).addDays(30));
}

TEST(DueDates, StateBoundaries) {
    EXPECT_EQ(StateOf(QDateTime(), kNow), DueState::Unknown);
    EXPECT_EQ(StateOf(kNow.addSecs(-1), kNow), DueState::Overdue);
    EXPECT_EQ(StateOf(kNow, kNow), DueState::Soon);
    EXPECT_EQ(StateOf(kNow.addDays(kDueSoonDays).addSecs(-1), kNow), DueState::Soon);
    EXPECT_EQ(StateOf(kNow.addDays(kDueSoonDays), kNow), DueState::Ok);
}

TEST(DueDates, LaterEventsMoveTheDatesOnlyForward) {
    const Limits on{true, true, 30, true, 10};
    DetectorSummary s = Merge(DetectorSummary(), Read(5, 5, 5, 0, on));
    const QDateTime due = s.calibrationDue;
    // A span run that succeeded on channel 0 only: channel 1 still decides.
    Event span;
    span.serialNo = QStringLiteral("SN");
    span.kind = EventKind::Span;
    span.pcTime = kNow.addDays(1);
    for (int ch = 0; ch < 2; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.calibrated = true;
        c.ok = ch == 0;
        span.channels << c;
    }
    s = Merge(s, span);
    EXPECT_EQ(s.calibrated[0], kNow.addDays(1));
    EXPECT_EQ(s.calibrationDue, due);
    EXPECT_EQ(s.lastCalibration, kNow.addDays(1));
    // A failed run moves nothing; an older read does not take dates back.
    span.success = false;
    span.channels[1].ok = true;
    s = Merge(s, span);
    EXPECT_EQ(s.calibrationDue, due);
    s = Merge(s, Read(20, 20, 20, 0, on));
    EXPECT_EQ(s.calibrationDue, due);
    EXPECT_EQ(s.events, 4);
}

TEST(RegisterLocation, FilesAndAddresses) {
    struct Case {
        const char* text;
        bool ok;
        Location::Kind kind;
        const char* host;
        int port;
        const char* user;
        const char* database;
    };
    const Case cases[] = {
        {"postgresql://tq@db.example/register", true, Location::Kind::PostgreSQL, "db.example", -1,
         "tq", "register"},
        {"postgres://tq:secret@db:6543/reg", true, Location::Kind::PostgreSQL, "db", 6543, "tq",
         "reg"},
        {"postgresql://tq@/reg?host=/tmp/sock&port=5433", true, Location::Kind::PostgreSQL,
         "/tmp/sock", 5433, "tq", "reg"},
        {"postgresql://tq@db", false, Location::Kind::None, "", -1, "", ""},
        {"postgresql://tq@db:99999/reg", false, Location::Kind::None, "", -1, "", ""},
        {"   ", false, Location::Kind::None, "", -1, "", ""},
        {"site/register.sqlite", true, Location::Kind::SQLite, "", -1, "", ""},
    };
    for (const Case& c : cases) {
        Location l;
        QString error;
        EXPECT_EQ(ParseLocation(QString::fromUtf8(c.text), &l, &error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty()) << c.text;
            continue;
        }
        EXPECT_EQ(l.kind, c.kind) << c.text;
        EXPECT_EQ(l.host, QString::fromUtf8(c.host)) << c.text;
        EXPECT_EQ(l.port, c.port) << c.text;
        EXPECT_EQ(l.user, QString::fromUtf8(c.user)) << c.text;
        EXPECT_EQ(l.database, QString::fromUtf8(c.database)) << c.text;
        EXPECT_FALSE(l.Describe().contains(QStringLiteral("secret"))) << c.text;
    }
}

TEST(RegisterLocation, OptionBeforeEnvironmentBeforeDefault) {
    testsupport::ScratchDir dir;
    const QByteArray saved = qgetenv(kRegisterEnvironment);
    qputenv(kRegisterEnvironment, dir.file(QStringLiteral("env.sqlite")).toUtf8());
    Location l;
    QString error;
    ASSERT_TRUE(ChooseLocation(false, dir.file(QStringLiteral("opt.sqlite")), false, &l, &error));
    EXPECT_TRUE(l.path.endsWith(QStringLiteral("opt.sqlite")));
    ASSERT_TRUE(ChooseLocation(false, QString(), false, &l, &error));
    EXPECT_TRUE(l.path.endsWith(QStringLiteral("env.sqlite")));
    ASSERT_TRUE(ChooseLocation(true, dir.file(QStringLiteral("opt.sqlite")), false, &l, &error));
    EXPECT_FALSE(l.enabled());
    qunsetenv(kRegisterEnvironment);
    ASSERT_TRUE(ChooseLocation(false, QString(), false, &l, &error));
    EXPECT_EQ(l.path, DefaultLocation().path);
    EXPECT_TRUE(l.path.startsWith(QDir::cleanPath(qEnvironmentVariable("TQ7350_DATA_DIR"))));
    // The emulator: only a register named explicitly.
    ASSERT_TRUE(ChooseLocation(false, QString(), true, &l, &error));
    EXPECT_FALSE(l.enabled());
    ASSERT_TRUE(ChooseLocation(false, dir.file(QStringLiteral("opt.sqlite")), true, &l, &error));
    EXPECT_TRUE(l.enabled());
    if (!saved.isEmpty())
        qputenv(kRegisterEnvironment, saved);
}

TEST(RegisterText, CsvQuotesAndStates) {
    DetectorSummary d;
    d.serialNo = QStringLiteral("SN-1");
    d.station = QStringLiteral("GATE, NORTH");
    d.user = QStringLiteral("SAY \"HI\"");
    d.calibrationDue = kNow.addDays(-1);
    d.bumpDue = kNow.addDays(3);
    d.events = 12;
    const QStringList lines =
        QString::fromUtf8(ListCsv({d}, kNow)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QStringLiteral("SN-1,\"GATE, NORTH\",\"SAY \"\"HI\"\"\",,,"
                                       "2026-05-31T12:00:00Z,Overdue,2026-06-04T12:00:00Z,"
                                       "Due soon,12"));
}

TEST(RegisterText, DueWithinKeepsOverdueAndSoon) {
    DetectorSummary overdue, soon, later, none;
    overdue.calibrationDue = kNow.addDays(-3);
    soon.bumpDue = kNow.addDays(5);
    later.calibrationDue = kNow.addDays(40);
    const QList<DetectorSummary> got = DueWithin({overdue, soon, later, none}, 7, kNow);
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].calibrationDue, overdue.calibrationDue);
    EXPECT_EQ(got[1].bumpDue, soon.bumpDue);
    EXPECT_EQ(DueWithin({overdue, soon, later, none}, 0, kNow).size(), 1);
}

TEST(RegisterText, DifferencesBetweenTwoReads) {
    const QString a = QStringLiteral("A1,W,10\r\nSL,W,01,ALPHA\r\nSL,W,02,BETA\r\nXP,W,60\r\n");
    const QString b = QStringLiteral("A1,W,10\r\nSL,W,01,ALPHA\r\nSL,W,02,GAMMA\r\nXT,W,5\r\n");
    EXPECT_EQ(SettingsDifferences(a, b),
              (QStringList{QStringLiteral("- SL,W,02,BETA"), QStringLiteral("+ SL,W,02,GAMMA"),
                           QStringLiteral("+ XT,W,5"), QStringLiteral("- XP,W,60")}));
    EXPECT_TRUE(SettingsDifferences(a, a).isEmpty());
}
