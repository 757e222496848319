// register list | show SERIAL | certificate SERIAL | export FILE: the
// instrument register the window and the tool fill on their own.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CommandContext.h"
#include "register/Certificate.h"
#include "register/DueDates.h"
#include "register/RegisterStore.h"
#include "register/RegisterText.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>

namespace cli {

namespace {

using namespace InstrumentRegister;

QJsonValue Iso(const QDateTime& t) {
    return t.isValid() ? QJsonValue(IsoText(t)) : QJsonValue();
}

// `text` left-aligned in `width` columns, then the column gap.
void Column(QString& line, const QString& text, int width) {
    line += text;
    if (text.size() < width)
        line += QString(width - text.size(), QLatin1Char(' '));
    line += QLatin1String("  ");
}

constexpr int kSerialWidth = 20;
constexpr int kIdWidth = 16;
constexpr int kSeenWidth = 16;
constexpr int kDayWidth = 10;
constexpr int kDueWidth = 24;

QString StateName(DueState state) {
    switch (state) {
    case DueState::Overdue:
        return QStringLiteral("overdue");
    case DueState::Soon:
        return QStringLiteral("soon");
    case DueState::Ok:
        return QStringLiteral("ok");
    case DueState::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QJsonObject SummaryJson(const DetectorSummary& d, const QDateTime& now) {
    return {{"serialNo", d.serialNo},
            {"station", d.station},
            {"user", d.user},
            {"lastSeen", Iso(d.lastSeen)},
            {"lastCalibration", Iso(d.lastCalibration)},
            {"calibrationDue", Iso(d.calibrationDue)},
            {"calibrationState", StateName(StateOf(d.calibrationDue, now))},
            {"bumpDue", Iso(d.bumpDue)},
            {"bumpState", StateName(StateOf(d.bumpDue, now))},
            {"events", d.events}};
}

QJsonObject EventJson(const Event& e) {
    QJsonArray channels;
    for (const ChannelEntry& c : e.channels) {
        QJsonObject o{{"channel", c.channel}, {"enabled", c.enabled}, {"gas", c.gas}};
        if (c.calibrated) {
            o.insert(QStringLiteral("calibrated"), true);
            o.insert(QStringLiteral("ok"), c.ok);
            if (c.spanConcentration >= 0)
                o.insert(QStringLiteral("spanConcentration"), c.spanConcentration);
        }
        channels.append(o);
    }
    return {{"id", double(e.id)},
            {"kind", KindName(e.kind)},
            {"action", e.action},
            {"success", e.success},
            {"result", e.result},
            {"pcTime", Iso(e.pcTime)},
            {"detectorTime", e.detectorTime.isValid()
                                 ? QJsonValue(e.detectorTime.toString(Qt::ISODate))
                                 : QJsonValue()},
            {"station", e.station},
            {"user", e.user},
            {"programVersion", e.programVersion},
            {"host", e.host},
            {"written", QJsonArray::fromStringList(e.written)},
            {"channels", channels}};
}

// One line of the list: serial number, station, user, last seen, last
// calibration, the due dates with their states.
QString ListLine(const DetectorSummary& d, const QDateTime& now) {
    auto due = [&now](const QDateTime& t) {
        const QString state = DueStateText(StateOf(t, now));
        return t.isValid() ? DayText(t) + QStringLiteral(" (") + state + QLatin1Char(')')
                           : QStringLiteral("-");
    };
    QString line;
    line.reserve(140);
    Column(line, d.serialNo, kSerialWidth);
    Column(line, d.station, kIdWidth);
    Column(line, d.user, kIdWidth);
    Column(line, DateText(d.lastSeen), kSeenWidth);
    Column(line, d.lastCalibration.isValid() ? DayText(d.lastCalibration) : QStringLiteral("-"),
           kDayWidth);
    Column(line, due(d.calibrationDue), kDueWidth);
    line += due(d.bumpDue);
    return line;
}

Store* OpenRegister(CommandContext& c) {
    if (!c.registerError().isEmpty()) {
        c.error(c.registerError());
        return nullptr;
    }
    if (!c.recorder().enabled()) {
        c.error(LoadMessage(kMsgRegisterOff));
        return nullptr;
    }
    QString error;
    Store* store = c.recorder().Open(&error);
    if (!store)
        c.error(error);
    return store;
}

int RunList(CommandContext& c, Store& store) {
    QList<DetectorSummary> detectors;
    QString error;
    if (!store.Detectors(&detectors, &error)) {
        c.error(error);
        return kExitFailed;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (c.inv.dueWithin >= 0)
        detectors = DueWithin(detectors, c.inv.dueWithin, now);
    if (c.json()) {
        QJsonArray list;
        for (const DetectorSummary& d : detectors)
            list.append(SummaryJson(d, now));
        c.result.insert(QStringLiteral("detectors"), list);
        return kExitDone;
    }
    QStringList lines;
    lines.reserve(int(detectors.size()) + 1);
    QString heading;
    Column(heading, LoadMessage(kMsgRegisterColSerial), kSerialWidth);
    Column(heading, LoadMessage(kMsgRegisterColStation), kIdWidth);
    Column(heading, LoadMessage(kMsgRegisterColUser), kIdWidth);
    Column(heading, LoadMessage(kMsgRegisterColLastSeen), kSeenWidth);
    Column(heading, LoadMessage(kMsgRegisterColLastCal), kDayWidth);
    Column(heading, LoadMessage(kMsgRegisterColCalDue), kDueWidth);
    heading += LoadMessage(kMsgRegisterColBumpDue);
    lines << heading;
    for (const DetectorSummary& d : detectors)
        lines << ListLine(d, now);
    c.out(lines.join(QLatin1Char('\n')));
    return kExitDone;
}

int RunShow(CommandContext& c, Store& store) {
    DetectorSummary summary;
    bool found = false;
    QString error;
    if (!store.Detector(c.inv.file, &summary, &found, &error)) {
        c.error(error);
        return kExitFailed;
    }
    if (!found) {
        c.error(LoadMessage(kMsgRegisterUnknownDetector, {c.inv.file}));
        return kExitFailed;
    }
    QList<Event> events;
    if (!store.Events(c.inv.file, &events, &error)) {
        c.error(error);
        return kExitFailed;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (c.json()) {
        c.result.insert(QStringLiteral("detector"), SummaryJson(summary, now));
        QJsonArray list;
        for (const Event& e : events)
            list.append(EventJson(e));
        c.result.insert(QStringLiteral("events"), list);
        return kExitDone;
    }
    QStringList lines{ListLine(summary, now), QString()};
    for (const Event& e : events) {
        lines << EventLine(e);
        for (const QString& w : e.written)
            lines << QStringLiteral("    ") + w;
        for (const ChannelEntry& ch : e.channels)
            if (ch.calibrated)
                lines << QStringLiteral("    %1: %2")
                             .arg(ch.gas, LoadMessage(ch.ok ? kMsgCertificatePassed
                                                            : kMsgCertificateFailed));
    }
    c.out(lines.join(QLatin1Char('\n')));
    return kExitDone;
}

int RunCertificate(CommandContext& c, Store& store) {
    Event run;
    DetectorSummary summary;
    QString error;
    if (!FindCalibrationRun(store, c.inv.file, c.inv.run, &run, &summary, &error)) {
        c.error(error);
        return kExitFailed;
    }
    const QString path = c.absolute(c.inv.outFile);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        c.error(LoadMessage(kMsgRegisterFileFailed, {path, QStringLiteral("no fonts")}));
        return kExitFailed;
    }
    if (!WriteCertificate(path, run, summary, &error)) {
        c.error(error);
        return kExitFailed;
    }
    c.info(LoadMessage(kMsgRegisterCertificateWritten, {path}));
    c.result.insert(QStringLiteral("certificate"), path);
    c.result.insert(QStringLiteral("run"), double(run.id));
    return kExitDone;
}

int RunExport(CommandContext& c, Store& store) {
    QList<DetectorSummary> detectors;
    QString error;
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (!store.Detectors(&detectors, &error) ||
        !WriteListCsv(path, detectors, QDateTime::currentDateTimeUtc(), &error)) {
        c.error(error);
        return kExitFailed;
    }
    c.info(LoadMessage(kMsgRegisterExported, {path, int(detectors.size())}));
    c.result.insert(QStringLiteral("file"), path);
    c.result.insert(QStringLiteral("detectors"), int(detectors.size()));
    return kExitDone;
}

} // namespace

int RunRegister(CommandContext& c) {
    Store* store = OpenRegister(c);
    if (!store)
        return kExitFailed;
    if (c.inv.action == QLatin1String("list"))
        return RunList(c, *store);
    if (c.inv.action == QLatin1String("show"))
        return RunShow(c, *store);
    if (c.inv.action == QLatin1String("certificate"))
        return RunCertificate(c, *store);
    return RunExport(c, *store);
}

} // namespace cli
