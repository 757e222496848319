// The register on both backends: events and summaries survive a reopen, a
// detector's events come in time order, an event is recorded whole or not at
// all, a newer schema is refused and left untouched, and two writers at once
// both get their events in.
#include "RegisterRig.h"

#include "register/Certificate.h"
#include "register/RegisterStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>

#include <atomic>

using namespace InstrumentRegister;
using namespace registertest;

namespace {

QDateTime Utc(const QString& iso) {
    return QDateTime::fromString(iso, Qt::ISODate).toUTC();
}

Event ReadEvent(const QString& serial, const QDateTime& at) {
    Event e;
    e.serialNo = serial;
    e.kind = EventKind::Read;
    e.pcTime = at;
    e.detectorTime = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0));
    e.clockOffsetSeconds = -7200;
    e.station = QStringLiteral("NORTH");
    e.user = QStringLiteral("ANNA");
    e.rom = QStringLiteral("4711");
    e.sum = QStringLiteral("ABCD");
    e.programVersion = QStringLiteral("9.9.9");
    e.host = QStringLiteral("bench-1");
    e.settings = QStringLiteral("A1,W,   10\r\nA2,W,   20");
    e.limits = {true, true, 90, true, 30};
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.enabled = ch < 2;
        c.gas = ch == 0 ? QStringLiteral("CO") : QStringLiteral("H2S");
        c.unit = QStringLiteral("ppm");
        c.fullScale = 500;
        c.calibrationDate = QDateTime(QDate(2026, 2, 1), QTime(9, 0));
        c.calibrationBefore = 47.5;
        c.calibrationAfter = 50;
        e.channels << c;
    }
    return e;
}

Event SpanEvent(const QString& serial, const QDateTime& at) {
    Event e = ReadEvent(serial, at);
    e.kind = EventKind::Span;
    e.settings.clear();
    e.result = QStringLiteral("0----");
    for (ChannelEntry& c : e.channels) {
        c.calibrated = c.channel == 0;
        c.ok = c.calibrated;
        c.spanConcentration = 50;
    }
    return e;
}

// Runs a statement on the register outside the Store (what another program
// or an administrator might do).
bool Exec(const Location& l, const QString& sql) {
    const QString name = QStringLiteral("raw");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(l.kind == Location::Kind::PostgreSQL
                                                        ? QStringLiteral("QPSQL")
                                                        : QStringLiteral("QSQLITE"),
                                                    name);
        if (l.kind == Location::Kind::PostgreSQL) {
            db.setHostName(l.host);
            db.setUserName(l.user);
        }
        db.setDatabaseName(l.kind == Location::Kind::PostgreSQL ? l.database : l.path);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok)
                ADD_FAILURE() << q.lastError().text().toStdString() << " in " << sql.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Makes the register refuse `action` ("INSERT", "UPDATE") on `table` for rows
// where `condition` holds, failing with `name` as the message.
bool Refuse(const Location& l, const QString& name, const QString& action, const QString& table,
            const QString& condition) {
    if (l.kind != Location::Kind::PostgreSQL)
        return Exec(l, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN SELECT "
                                      "RAISE(ABORT, '%1'); END")
                           .arg(name, action, table, condition));
    return Exec(l, QStringLiteral("CREATE FUNCTION %1() RETURNS trigger AS $$ BEGIN RAISE "
                                  "EXCEPTION '%1'; END $$ LANGUAGE plpgsql")
                       .arg(name)) &&
           Exec(l, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4) "
                                  "EXECUTE FUNCTION %1()")
                       .arg(name, action, table, condition));
}

} // namespace

TEST_P(RegisterTest, EventsAndSummariesSurviveAReopenInTimeOrder) {
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
        // Recorded out of time order: the later one first.
        Event later =
            SpanEvent(QStringLiteral("SN-B"), Utc(QStringLiteral("2026-03-02T08:00:00Z")));
        Event earlier =
            ReadEvent(QStringLiteral("SN-B"), Utc(QStringLiteral("2026-03-01T08:00:00Z")));
        Event other =
            ReadEvent(QStringLiteral("SN-A"), Utc(QStringLiteral("2026-03-03T08:00:00Z")));
        ASSERT_TRUE(store.Record(later, &error)) << error.toStdString();
        ASSERT_TRUE(store.Record(earlier, &error)) << error.toStdString();
        ASSERT_TRUE(store.Record(other, &error)) << error.toStdString();
        EXPECT_GT(earlier.id, later.id);
    }
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    QList<DetectorSummary> detectors;
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    ASSERT_EQ(detectors.size(), 2);
    EXPECT_EQ(detectors[0].serialNo, QStringLiteral("SN-A"));
    EXPECT_EQ(detectors[1].serialNo, QStringLiteral("SN-B"));
    EXPECT_EQ(detectors[1].events, 2);
    EXPECT_EQ(detectors[1].lastSeen, Utc(QStringLiteral("2026-03-02T08:00:00Z")));
    // The span run calibrated channel 0; channel 1 keeps the date the read
    // reported, which decides the due date (90 days after it, on the PC's
    // clock: the detector ran two hours behind).
    const QDateTime reported = QDateTime(QDate(2026, 2, 1), QTime(9, 0)).addSecs(-7200).toUTC();
    EXPECT_EQ(detectors[1].calibrationDue, reported.addDays(90));
    DetectorSummary b;
    bool found = false;
    ASSERT_TRUE(store.Detector(QStringLiteral("SN-B"), &b, &found, &error));
    ASSERT_TRUE(found);
    EXPECT_EQ(b.calibrated[0], Utc(QStringLiteral("2026-03-02T08:00:00Z")));
    EXPECT_EQ(b.calibrated[1], reported);
    EXPECT_EQ(b.calibrationDue, detectors[1].calibrationDue);

    QList<Event> events;
    ASSERT_TRUE(store.Events(QStringLiteral("SN-B"), &events, &error));
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].kind, EventKind::Read);
    EXPECT_EQ(events[1].kind, EventKind::Span);
    // Everything of the event comes back.
    const Event& r = events[0];
    const Event expected =
        ReadEvent(QStringLiteral("SN-B"), Utc(QStringLiteral("2026-03-01T08:00:00Z")));
    EXPECT_EQ(r.pcTime, expected.pcTime);
    EXPECT_EQ(r.detectorTime, expected.detectorTime);
    EXPECT_EQ(r.clockOffsetSeconds, expected.clockOffsetSeconds);
    EXPECT_EQ(r.station, expected.station);
    EXPECT_EQ(r.user, expected.user);
    EXPECT_EQ(r.rom, expected.rom);
    EXPECT_EQ(r.sum, expected.sum);
    EXPECT_EQ(r.programVersion, expected.programVersion);
    EXPECT_EQ(r.host, expected.host);
    EXPECT_EQ(r.settings, expected.settings);
    EXPECT_EQ(r.limits.calibrationDays, 90);
    ASSERT_EQ(r.channels.size(), kChannels);
    EXPECT_EQ(r.channels[1].gas, QStringLiteral("H2S"));
    EXPECT_EQ(r.channels[1].calibrationDate, expected.channels[1].calibrationDate);
    EXPECT_DOUBLE_EQ(r.channels[1].calibrationBefore, 47.5);
    EXPECT_EQ(events[1].result, QStringLiteral("0----"));
    EXPECT_TRUE(events[1].channels[0].ok);
    EXPECT_FALSE(events[1].channels[1].calibrated);
}

TEST_P(RegisterTest, AnEventThatFailsHalfWayLeavesNothing) {
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    }
    // The summary update of "SN-BAD" fails after its event row went in.
    ASSERT_TRUE(Refuse(location, QStringLiteral("refused"), QStringLiteral("UPDATE"),
                       QStringLiteral("detectors"), QStringLiteral("NEW.serial_no = 'SN-BAD'")));
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    Event bad = ReadEvent(QStringLiteral("SN-BAD"), QDateTime::currentDateTimeUtc());
    EXPECT_FALSE(store.Record(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("refused"))) << error.toStdString();
    QList<Event> events;
    ASSERT_TRUE(store.Events(QStringLiteral("SN-BAD"), &events, &error));
    EXPECT_TRUE(events.isEmpty());
    QList<DetectorSummary> detectors;
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    EXPECT_TRUE(detectors.isEmpty());
    // The register goes on working for the next event.
    Event good = ReadEvent(QStringLiteral("SN-GOOD"), QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(store.Record(good, &error)) << error.toStdString();
}

TEST_P(RegisterTest, ANewerSchemaIsRefusedAndLeftUntouched) {
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
        Event e = ReadEvent(QStringLiteral("SN-1"), QDateTime::currentDateTimeUtc());
        ASSERT_TRUE(store.Record(e, &error));
    }
    ASSERT_TRUE(
        Exec(location,
             QStringLiteral("UPDATE register_schema SET version = %1").arg(kSchemaVersion + 1)));
    QByteArray before;
    if (!postgres())
        before = testsupport::ReadAll(location.path);
    Store store;
    QString error;
    EXPECT_FALSE(store.Open(location, &error));
    EXPECT_TRUE(error.contains(QString::number(kSchemaVersion + 1))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("untouched"))) << error.toStdString();
    EXPECT_FALSE(store.IsOpen());
    Event e = ReadEvent(QStringLiteral("SN-1"), QDateTime::currentDateTimeUtc());
    EXPECT_FALSE(store.Record(e, &error));
    if (!postgres()) {
        EXPECT_TRUE(testsupport::ReadAll(location.path) == before);
        EXPECT_FALSE(QFileInfo::exists(location.path + QStringLiteral("-wal")));
    }
    // Still one event and the newer version: nothing was written.
    ASSERT_TRUE(Exec(
        location, QStringLiteral("UPDATE register_schema SET version = %1").arg(kSchemaVersion)));
    ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    QList<Event> events;
    ASSERT_TRUE(store.Events(QStringLiteral("SN-1"), &events, &error));
    EXPECT_EQ(events.size(), 1);
}

TEST_P(RegisterTest, TwoWritersAtOnceBothGetTheirEventsIn) {
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    }
    constexpr int kEach = 40;
    std::atomic<int> failures{0};
    QString firstError;
    auto writer = [&](const QString& serial) {
        Store store; // a connection of its own, as another program has
        QString error;
        if (!store.Open(location, &error)) {
            ++failures;
            firstError = error;
            return;
        }
        for (int i = 0; i < kEach; ++i) {
            // Both write the same detector too: its summary must count all.
            Event e = ReadEvent(i % 2 ? serial : QStringLiteral("SHARED"),
                                QDateTime::currentDateTimeUtc());
            if (!store.Record(e, &error)) {
                ++failures;
                firstError = error;
            }
        }
    };
    QThread* a = QThread::create(writer, QStringLiteral("SN-A"));
    QThread* b = QThread::create(writer, QStringLiteral("SN-B"));
    a->start();
    b->start();
    a->wait();
    b->wait();
    delete a;
    delete b;
    EXPECT_EQ(failures.load(), 0) << firstError.toStdString();
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(location, &error));
    QList<DetectorSummary> detectors;
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    int total = 0;
    for (const DetectorSummary& d : detectors) {
        total += d.events;
        QList<Event> events;
        ASSERT_TRUE(store.Events(d.serialNo, &events, &error));
        EXPECT_EQ(events.size(), d.events) << d.serialNo.toStdString();
    }
    EXPECT_EQ(total, 2 * kEach);
}

TEST_P(RegisterTest, FindsTheCalibrationRunOfACertificate) {
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    Event first = SpanEvent(QStringLiteral("SN-C"), Utc(QStringLiteral("2026-03-01T08:00:00Z")));
    Event read = ReadEvent(QStringLiteral("SN-C"), Utc(QStringLiteral("2026-03-02T08:00:00Z")));
    Event last = SpanEvent(QStringLiteral("SN-C"), Utc(QStringLiteral("2026-03-03T08:00:00Z")));
    Event foreign = SpanEvent(QStringLiteral("SN-D"), Utc(QStringLiteral("2026-03-04T08:00:00Z")));
    for (Event* e : {&first, &read, &last, &foreign})
        ASSERT_TRUE(store.Record(*e, &error)) << error.toStdString();

    Event run;
    DetectorSummary summary;
    ASSERT_TRUE(FindCalibrationRun(store, QStringLiteral("SN-C"), 0, &run, &summary, &error));
    EXPECT_EQ(run.id, last.id);
    ASSERT_TRUE(
        FindCalibrationRun(store, QStringLiteral("SN-C"), first.id, &run, &summary, &error));
    EXPECT_EQ(run.id, first.id);
    // A read, another detector's run, an unknown detector: refused.
    EXPECT_FALSE(
        FindCalibrationRun(store, QStringLiteral("SN-C"), read.id, &run, &summary, &error));
    EXPECT_FALSE(
        FindCalibrationRun(store, QStringLiteral("SN-C"), foreign.id, &run, &summary, &error));
    EXPECT_FALSE(FindCalibrationRun(store, QStringLiteral("SN-X"), 0, &run, &summary, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("SN-X")));
}

TEST_P(RegisterTest, ManyEventsAtOnceAreRecordedAsOne) {
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(location, &error)) << error.toStdString();
    QList<Event> batch;
    const QDateTime t0 = Utc(QStringLiteral("2026-03-01T08:00:00Z"));
    for (int i = 0; i < 6; ++i)
        batch << ReadEvent(i % 2 ? QStringLiteral("SN-ODD") : QStringLiteral("SN-EVEN"),
                           t0.addSecs(i));
    ASSERT_TRUE(store.RecordAll(batch, &error)) << error.toStdString();
    for (int i = 1; i < batch.size(); ++i)
        EXPECT_GT(batch[i].id, batch[i - 1].id);
    QList<DetectorSummary> detectors;
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    ASSERT_EQ(detectors.size(), 2);
    EXPECT_EQ(detectors[0].events, 3);
    EXPECT_EQ(detectors[1].events, 3);
    EXPECT_EQ(detectors[0].lastSeen, t0.addSecs(4)); // SN-EVEN
    EXPECT_EQ(detectors[1].lastSeen, t0.addSecs(5));
    // One that cannot go in takes the whole batch with it.
    QList<Event> broken{ReadEvent(QStringLiteral("SN-NEW"), t0), ReadEvent(QString(), t0)};
    ASSERT_TRUE(Refuse(location, QStringLiteral("empty"), QStringLiteral("INSERT"),
                       QStringLiteral("events"), QStringLiteral("NEW.serial_no = ''")));
    EXPECT_FALSE(store.RecordAll(broken, &error));
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    EXPECT_EQ(detectors.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegisterTest,
                         testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

TEST(RegisterSQLite, AFileThatIsNoRegisterIsRefusedAndKept) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("notes.txt"));
    ASSERT_TRUE(testsupport::WriteAll(path, QByteArray(4096, 'x')));
    Location l;
    l.kind = Location::Kind::SQLite;
    l.path = path;
    Store store;
    QString error;
    EXPECT_FALSE(store.Open(l, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::ReadAll(path), QByteArray(4096, 'x'));
}
