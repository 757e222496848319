#include "register/RegisterStore.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "register/DueDates.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>

namespace InstrumentRegister {

namespace {

constexpr const char* kSchemaTable = "register_schema";

// --- Times as stored: UTC with milliseconds; the detector's clock without a zone.

QString UtcText(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}
// The digits of `s` from `at`, `count` of them; -1 when one is no digit.
int Digits(const QString& s, int at, int count) {
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "yyyy-MM-ddTHH:mm:ss.zzzZ" as written by UtcText, read without the general
// parser: a list of ten thousand detectors reads forty thousand of them.
QDateTime FromUtcText(const QString& s) {
    if (s.isEmpty())
        return {};
    if (s.size() == 24 && s.at(4) == QLatin1Char('-') && s.at(10) == QLatin1Char('T') &&
        s.at(19) == QLatin1Char('.') && s.at(23) == QLatin1Char('Z')) {
        const QDate date(Digits(s, 0, 4), Digits(s, 5, 2), Digits(s, 8, 2));
        const QTime time(Digits(s, 11, 2), Digits(s, 14, 2), Digits(s, 17, 2), Digits(s, 20, 3));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    QDateTime t = QDateTime::fromString(s, Qt::ISODateWithMs);
    return t.isValid() ? t.toUTC() : QDateTime();
}
QString LocalText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}
QDateTime FromLocalText(const QString& s) {
    return s.isEmpty() ? QDateTime()
                       : QDateTime::fromString(s, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

// --- The parts of an event and of a summary kept as JSON text.

QJsonObject LimitsJson(const Limits& l) {
    return {{"known", l.known},
            {"calibrationOn", l.calibrationOn},
            {"calibrationDays", l.calibrationDays},
            {"bumpOn", l.bumpOn},
            {"bumpDays", l.bumpDays}};
}
Limits LimitsFrom(const QJsonObject& o) {
    Limits l;
    l.known = o.value(QStringLiteral("known")).toBool();
    l.calibrationOn = o.value(QStringLiteral("calibrationOn")).toBool();
    l.calibrationDays = o.value(QStringLiteral("calibrationDays")).toInt();
    l.bumpOn = o.value(QStringLiteral("bumpOn")).toBool();
    l.bumpDays = o.value(QStringLiteral("bumpDays")).toInt();
    return l;
}

QJsonObject ChannelJson(const ChannelEntry& c) {
    return {{"channel", c.channel},
            {"enabled", c.enabled},
            {"gas", c.gas},
            {"unit", c.unit},
            {"fullScale", c.fullScale},
            {"decimals", c.decimals},
            {"calibrated", c.calibrated},
            {"spanConcentration", c.spanConcentration},
            {"ok", c.ok},
            {"readingKnown", c.readingKnown},
            {"reading", c.reading},
            {"calibrationDate", LocalText(c.calibrationDate)},
            {"calibrationBefore", c.calibrationBefore},
            {"calibrationAfter", c.calibrationAfter},
            {"bumpDate", LocalText(c.bumpDate)},
            {"bumpResult", c.bumpResult},
            {"bumpConcentration", c.bumpConcentration}};
}
ChannelEntry ChannelFrom(const QJsonObject& o) {
    ChannelEntry c;
    c.channel = o.value(QStringLiteral("channel")).toInt();
    c.enabled = o.value(QStringLiteral("enabled")).toBool();
    c.gas = o.value(QStringLiteral("gas")).toString();
    c.unit = o.value(QStringLiteral("unit")).toString();
    c.fullScale = o.value(QStringLiteral("fullScale")).toDouble();
    c.decimals = o.value(QStringLiteral("decimals")).toInt();
    c.calibrated = o.value(QStringLiteral("calibrated")).toBool();
    c.spanConcentration = o.value(QStringLiteral("spanConcentration")).toDouble(-1);
    c.ok = o.value(QStringLiteral("ok")).toBool();
    c.readingKnown = o.value(QStringLiteral("readingKnown")).toBool();
    c.reading = o.value(QStringLiteral("reading")).toDouble();
    c.calibrationDate = FromLocalText(o.value(QStringLiteral("calibrationDate")).toString());
    c.calibrationBefore = o.value(QStringLiteral("calibrationBefore")).toDouble();
    c.calibrationAfter = o.value(QStringLiteral("calibrationAfter")).toDouble();
    c.bumpDate = FromLocalText(o.value(QStringLiteral("bumpDate")).toString());
    c.bumpResult = o.value(QStringLiteral("bumpResult")).toDouble();
    c.bumpConcentration = o.value(QStringLiteral("bumpConcentration")).toDouble();
    return c;
}

QString DetailText(const Event& e) {
    QJsonArray channels;
    for (const ChannelEntry& c : e.channels)
        channels.append(ChannelJson(c));
    const QJsonObject o{{"channels", channels},
                        {"written", QJsonArray::fromStringList(e.written)},
                        {"limits", LimitsJson(e.limits)}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
void TakeDetail(Event& e, const QString& text) {
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    for (const QJsonValue& v : o.value(QStringLiteral("channels")).toArray())
        e.channels << ChannelFrom(v.toObject());
    for (const QJsonValue& v : o.value(QStringLiteral("written")).toArray())
        e.written << v.toString();
    e.limits = LimitsFrom(o.value(QStringLiteral("limits")).toObject());
}

QString StateText(const DetectorSummary& s) {
    QJsonArray enabled, calibrated, bumped;
    for (int ch = 0; ch < kChannels; ++ch) {
        enabled.append(s.enabled[ch]);
        calibrated.append(UtcText(s.calibrated[ch]));
        bumped.append(UtcText(s.bumped[ch]));
    }
    const QJsonObject o{{"limits", LimitsJson(s.limits)},
                        {"enabled", enabled},
                        {"calibrated", calibrated},
                        {"bumped", bumped}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
void TakeState(DetectorSummary& s, const QString& text) {
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    s.limits = LimitsFrom(o.value(QStringLiteral("limits")).toObject());
    const QJsonArray enabled = o.value(QStringLiteral("enabled")).toArray();
    const QJsonArray calibrated = o.value(QStringLiteral("calibrated")).toArray();
    const QJsonArray bumped = o.value(QStringLiteral("bumped")).toArray();
    for (int ch = 0; ch < kChannels; ++ch) {
        s.enabled[ch] = enabled.at(ch).toBool();
        s.calibrated[ch] = FromUtcText(calibrated.at(ch).toString());
        s.bumped[ch] = FromUtcText(bumped.at(ch).toString());
    }
}

// The columns of the detector summary, in the order SummaryFrom reads them.
constexpr const char* kSummaryColumns =
    "serial_no, station, user_id, last_seen, last_calibration, calibration_due, bump_due, "
    "events, state";

DetectorSummary SummaryFrom(const QSqlQuery& q, bool withState = true) {
    DetectorSummary s;
    s.serialNo = q.value(0).toString();
    s.station = q.value(1).toString();
    s.user = q.value(2).toString();
    s.lastSeen = FromUtcText(q.value(3).toString());
    s.lastCalibration = FromUtcText(q.value(4).toString());
    s.calibrationDue = FromUtcText(q.value(5).toString());
    s.bumpDue = FromUtcText(q.value(6).toString());
    s.events = q.value(7).toInt();
    if (withState)
        TakeState(s, q.value(8).toString());
    return s;
}

constexpr const char* kEventColumns =
    "id, serial_no, kind, action, success, result, pc_time, detector_time, clock_offset, "
    "station, user_id, rom, sum, program_version, host, settings, detail";

Event EventFrom(const QSqlQuery& q) {
    Event e;
    e.id = q.value(0).toLongLong();
    e.serialNo = q.value(1).toString();
    KindFromName(q.value(2).toString(), &e.kind);
    e.action = q.value(3).toString();
    e.success = q.value(4).toInt() != 0;
    e.result = q.value(5).toString();
    e.pcTime = FromUtcText(q.value(6).toString());
    e.detectorTime = FromLocalText(q.value(7).toString());
    e.clockOffsetSeconds = q.value(8).toLongLong();
    e.station = q.value(9).toString();
    e.user = q.value(10).toString();
    e.rom = q.value(11).toString();
    e.sum = q.value(12).toString();
    e.programVersion = q.value(13).toString();
    e.host = q.value(14).toString();
    e.settings = q.value(15).toString();
    TakeDetail(e, q.value(16).toString());
    return e;
}

} // namespace

struct Store::Private {
    QString connection;
    bool postgres = false;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }

    // The reason of a failed statement, with the register named.
    QString Failure(const Location& l, const QSqlError& e) const {
        return LoadMessage(kMsgRegisterFailed, {l.Describe(), e.text().trimmed()});
    }

    bool Exec(QSqlQuery& q, const QString& sql) { return q.exec(sql); }

    // A write transaction. SQLite takes the write lock at once, so that two
    // writers queue on the busy time-out instead of one failing when it
    // upgrades its read lock.
    bool Begin(QSqlQuery& q) {
        return q.exec(postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    }
    void Rollback() {
        QSqlQuery q(db());
        q.exec(QStringLiteral("ROLLBACK"));
    }

    bool CreateSchema(QSqlQuery& q) {
        const QString id = postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                    : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        const QStringList statements = {
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (version INTEGER NOT NULL)")
                .arg(QLatin1String(kSchemaTable)),
            QStringLiteral("CREATE TABLE IF NOT EXISTS detectors (serial_no TEXT PRIMARY KEY, "
                           "station TEXT, user_id TEXT, last_seen TEXT, last_calibration TEXT, "
                           "calibration_due TEXT, bump_due TEXT, events INTEGER NOT NULL, "
                           "state TEXT)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS events (id %1, serial_no TEXT NOT NULL, "
                           "kind TEXT NOT NULL, action TEXT, success INTEGER NOT NULL, "
                           "result TEXT, pc_time TEXT NOT NULL, detector_time TEXT, "
                           "clock_offset BIGINT, station TEXT, user_id TEXT, rom TEXT, sum TEXT, "
                           "program_version TEXT, host TEXT, settings TEXT, detail TEXT)")
                .arg(id),
            QStringLiteral(
                "CREATE INDEX IF NOT EXISTS events_by_detector ON events (serial_no, pc_time, id)"),
            QStringLiteral("INSERT INTO %1 (version) SELECT %2 WHERE NOT EXISTS "
                           "(SELECT 1 FROM %1)")
                .arg(QLatin1String(kSchemaTable))
                .arg(kSchemaVersion),
        };
        for (const QString& sql : statements)
            if (!q.exec(sql))
                return false;
        return true;
    }
};

Store::Store() : d_(new Private) {}

Store::~Store() {
    Close();
    delete d_;
}

bool Store::IsOpen() const {
    return !d_->connection.isEmpty() && d_->db().isOpen();
}

void Store::Close() {
    if (d_->connection.isEmpty())
        return;
    {
        QSqlDatabase db = d_->db();
        db.close();
    }
    QSqlDatabase::removeDatabase(d_->connection);
    d_->connection.clear();
}

bool Store::Open(const Location& location, QString* error) {
    Close();
    // The connection goes only after every handle on it did.
    if (OpenConnection(location, error))
        return true;
    Close();
    return false;
}

bool Store::OpenConnection(const Location& location, QString* error) {
    location_ = location;
    d_->postgres = location.kind == Location::Kind::PostgreSQL;
    const QString driver = d_->postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!location.enabled() || !QSqlDatabase::isDriverAvailable(driver)) {
        *error = LoadMessage(kMsgRegisterNoDriver, {location.Describe(), driver});
        return false;
    }
    if (!d_->postgres) {
        const QFileInfo file(location.path);
        if (file.isDir() || !QDir().mkpath(file.absolutePath())) {
            *error = LoadMessage(kMsgRegisterFailed,
                                 {location.Describe(), LoadMessage(kMsgRegisterNoFolder)});
            return false;
        }
    }
    d_->connection = QStringLiteral("tq7350-register-") + QUuid::createUuid().toString();
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, d_->connection);
    if (d_->postgres) {
        db.setHostName(location.host);
        if (location.port > 0)
            db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        db.setDatabaseName(location.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    } else {
        db.setDatabaseName(location.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    }
    auto fail = [&](const QString& reason) {
        *error = reason;
        return false;
    };
    if (!db.open())
        return fail(d_->Failure(location, db.lastError()));

    // The version first: nothing is written to a register this program does
    // not know.
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT MAX(version) FROM %1").arg(QLatin1String(kSchemaTable)))) {
        const int version = q.next() ? q.value(0).toInt() : 0;
        if (version > kSchemaVersion)
            return fail(LoadMessage(kMsgRegisterNewerSchema,
                                    {location.Describe(), version, kSchemaVersion}));
    } else if (db.tables().contains(QLatin1String(kSchemaTable))) {
        return fail(d_->Failure(location, q.lastError()));
    }
    q.finish();

    if (!d_->postgres) {
        // Write-ahead logging lets a reader and a writer work at once; with
        // it, a commit without a sync of its own cannot corrupt the file.
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        q.finish();
    }
    if (!db.tables().contains(QLatin1String(kSchemaTable)) ||
        !db.tables().contains(QStringLiteral("events"))) {
        if (!d_->Begin(q))
            return fail(d_->Failure(location, q.lastError()));
        if (!d_->CreateSchema(q)) {
            const QString reason = d_->Failure(location, q.lastError());
            d_->Rollback();
            return fail(reason);
        }
        if (!q.exec(QStringLiteral("COMMIT"))) {
            const QString reason = d_->Failure(location, q.lastError());
            d_->Rollback();
            return fail(reason);
        }
    }
    return true;
}

bool Store::Record(Event& event, QString* error) {
    QList<Event> events{event};
    if (!RecordAll(events, error))
        return false;
    event.id = events.first().id;
    return true;
}

bool Store::RecordAll(QList<Event>& events, QString* error) {
    if (!IsOpen()) {
        *error = LoadMessage(kMsgRegisterFailed, {location_.Describe(), QString()});
        return false;
    }
    QSqlDatabase db = d_->db();
    QSqlQuery q(db);
    // The failed statement's reason; everything of the transaction goes.
    auto fail = [&](const QSqlQuery& failed) {
        *error = d_->Failure(location_, failed.lastError());
        d_->Rollback();
        return false;
    };
    if (!d_->Begin(q))
        return fail(q);
    q.finish();

    // The detectors' rows, locked for this transaction (SQLite holds the
    // whole file already), and their summaries brought up to date in memory.
    QHash<QString, DetectorSummary> summaries;
    QStringList order;
    QSqlQuery add(db);
    add.prepare(QStringLiteral("INSERT INTO detectors (serial_no, events, state) VALUES (?, 0, '') "
                               "ON CONFLICT (serial_no) DO NOTHING"));
    QSqlQuery get(db);
    get.prepare(QStringLiteral("SELECT %1 FROM detectors WHERE serial_no = ?%2")
                    .arg(QLatin1String(kSummaryColumns),
                         d_->postgres ? QStringLiteral(" FOR UPDATE") : QString()));
    for (const Event& event : events) {
        if (!summaries.contains(event.serialNo)) {
            add.addBindValue(event.serialNo);
            get.addBindValue(event.serialNo);
            if (!add.exec())
                return fail(add);
            if (!get.exec() || !get.next())
                return fail(get);
            summaries.insert(event.serialNo, SummaryFrom(get));
            get.finish();
            order << event.serialNo;
        }
        summaries[event.serialNo] = Merge(summaries.value(event.serialNo), event);
    }

    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO events (serial_no, kind, action, success, result, "
                                  "pc_time, detector_time, clock_offset, station, user_id, rom, "
                                  "sum, program_version, host, settings, detail) VALUES "
                                  "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"));
    QList<qint64> ids;
    ids.reserve(events.size());
    for (const Event& event : events) {
        for (const QVariant& v :
             QVariantList{event.serialNo, KindName(event.kind), event.action, event.success ? 1 : 0,
                          event.result, UtcText(event.pcTime), LocalText(event.detectorTime),
                          event.clockOffsetSeconds, event.station, event.user, event.rom, event.sum,
                          event.programVersion, event.host, event.settings, DetailText(event)})
            insert.addBindValue(v);
        if (!insert.exec() || !insert.next())
            return fail(insert);
        ids << insert.value(0).toLongLong();
        insert.finish();
    }

    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE detectors SET station = ?, user_id = ?, last_seen = ?, "
                                  "last_calibration = ?, calibration_due = ?, bump_due = ?, "
                                  "events = ?, state = ? WHERE serial_no = ?"));
    for (const QString& serial : order) {
        const DetectorSummary& summary = summaries[serial];
        for (const QVariant& v : QVariantList{
                 summary.station, summary.user, UtcText(summary.lastSeen),
                 UtcText(summary.lastCalibration), UtcText(summary.calibrationDue),
                 UtcText(summary.bumpDue), summary.events, StateText(summary), summary.serialNo})
            update.addBindValue(v);
        if (!update.exec())
            return fail(update);
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return fail(q);
    for (int i = 0; i < events.size(); ++i)
        events[i].id = ids.at(i);
    return true;
}

bool Store::Detectors(QList<DetectorSummary>* out, QString* error) {
    out->clear();
    QSqlQuery q(d_->db());
    q.setForwardOnly(true);
    if (!IsOpen() || !q.exec(QStringLiteral("SELECT %1 FROM detectors ORDER BY serial_no")
                                 .arg(QLatin1String(kSummaryColumns)))) {
        *error = d_->Failure(location_, q.lastError());
        return false;
    }
    // The list shows the summary; what the due dates were worked out from
    // stays unread (Detector() gives it).
    while (q.next())
        out->append(SummaryFrom(q, false));
    return true;
}

bool Store::Detector(const QString& serialNo, DetectorSummary* out, bool* found, QString* error) {
    *found = false;
    QSqlQuery q(d_->db());
    q.prepare(QStringLiteral("SELECT %1 FROM detectors WHERE serial_no = ?")
                  .arg(QLatin1String(kSummaryColumns)));
    q.addBindValue(serialNo);
    if (!IsOpen() || !q.exec()) {
        *error = d_->Failure(location_, q.lastError());
        return false;
    }
    if (q.next()) {
        *out = SummaryFrom(q);
        *found = true;
    }
    return true;
}

bool Store::Events(const QString& serialNo, QList<Event>* out, QString* error) {
    out->clear();
    QSqlQuery q(d_->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM events WHERE serial_no = ? ORDER BY pc_time, id")
                  .arg(QLatin1String(kEventColumns)));
    q.addBindValue(serialNo);
    if (!IsOpen() || !q.exec()) {
        *error = d_->Failure(location_, q.lastError());
        return false;
    }
    while (q.next())
        out->append(EventFrom(q));
    return true;
}

bool Store::FindEvent(qint64 id, Event* out, bool* found, QString* error) {
    *found = false;
    QSqlQuery q(d_->db());
    q.prepare(
        QStringLiteral("SELECT %1 FROM events WHERE id = ?").arg(QLatin1String(kEventColumns)));
    q.addBindValue(id);
    if (!IsOpen() || !q.exec()) {
        *error = d_->Failure(location_, q.lastError());
        return false;
    }
    if (q.next()) {
        *out = EventFrom(q);
        *found = true;
    }
    return true;
}

} // namespace InstrumentRegister
