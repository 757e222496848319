#include "register/RegisterText.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QHash>
#include <QSaveFile>

#include <cstdio>

namespace InstrumentRegister {

namespace {

// A CSV field, quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The settings lines keyed by their command and its occurrence ("A1#1").
QList<QPair<QString, QString>> KeyedLines(const QString& text) {
    QList<QPair<QString, QString>> out;
    QHash<QString, int> seen;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty())
            continue;
        const QString code = line.section(QLatin1Char(','), 0, 0);
        out.append({code + QLatin1Char('#') + QString::number(++seen[code]), line});
    }
    return out;
}

// The local time of a UTC time. The offset is looked up once per UTC hour
// (time zones change their offset on whole hours): a list of ten thousand
// detectors shows forty thousand dates.
QDateTime Local(const QDateTime& utc) {
    static thread_local QHash<qint64, int> offsets;
    const qint64 secs = utc.toSecsSinceEpoch();
    const qint64 hour = secs >= 0 ? secs / 3600 : (secs - 3599) / 3600;
    auto it = offsets.constFind(hour);
    if (it == offsets.constEnd())
        it = offsets.insert(hour, utc.toLocalTime().offsetFromUtc());
    return utc.toUTC().addSecs(it.value());
}

void AppendNumber(QString& out, int value, int width) {
    char digits[12];
    const int n = std::snprintf(digits, sizeof digits, "%0*d", width, value);
    out.append(QLatin1String(digits, n));
}

// "yyyy/MM/dd" or "yyyy/MM/dd HH:mm" of a time read as it stands.
QString DateOf(const QDateTime& t, bool withTime) {
    QString out;
    out.reserve(16);
    const QDate d = t.date();
    AppendNumber(out, d.year(), 4);
    out.append(QLatin1Char('/'));
    AppendNumber(out, d.month(), 2);
    out.append(QLatin1Char('/'));
    AppendNumber(out, d.day(), 2);
    if (withTime) {
        const QTime time = t.time();
        out.append(QLatin1Char(' '));
        AppendNumber(out, time.hour(), 2);
        out.append(QLatin1Char(':'));
        AppendNumber(out, time.minute(), 2);
    }
    return out;
}

} // namespace

QString DateText(const QDateTime& utc) {
    return utc.isValid() ? DateOf(Local(utc), true) : QString();
}

QString DayText(const QDateTime& utc) {
    return utc.isValid() ? DateOf(Local(utc), false) : QString();
}

QString IsoText(const QDateTime& utc) {
    if (!utc.isValid())
        return {};
    const QDateTime t = utc.toUTC();
    QString out = DateOf(t, false);
    out[4] = QLatin1Char('-');
    out[7] = QLatin1Char('-');
    out.append(QLatin1Char('T'));
    const QTime time = t.time();
    AppendNumber(out, time.hour(), 2);
    out.append(QLatin1Char(':'));
    AppendNumber(out, time.minute(), 2);
    out.append(QLatin1Char(':'));
    AppendNumber(out, time.second(), 2);
    out.append(QLatin1Char('Z'));
    return out;
}

QString DueStateText(DueState state) {
    switch (state) {
    case DueState::Overdue:
        return LoadMessage(kMsgRegisterOverdue);
    case DueState::Soon:
        return LoadMessage(kMsgRegisterDueSoon);
    case DueState::Ok:
        return LoadMessage(kMsgRegisterDueOk);
    case DueState::Unknown:
        break;
    }
    return {};
}

QString EventTitle(const Event& e) {
    int id = kMsgRegisterEventRead;
    switch (e.kind) {
    case EventKind::Read:
        id = kMsgRegisterEventRead;
        break;
    case EventKind::Write:
        id = kMsgRegisterEventWrite;
        break;
    case EventKind::Zero:
        id = kMsgRegisterEventZero;
        break;
    case EventKind::Span:
        id = kMsgRegisterEventSpan;
        break;
    case EventKind::Maintenance:
        id = kMsgRegisterEventMaintenance;
        break;
    }
    QString title = LoadMessage(id);
    if (e.kind == EventKind::Maintenance || e.kind == EventKind::Write)
        if (!e.action.isEmpty())
            title += QStringLiteral(": ") + e.action;
    return title;
}

QString EventLine(const Event& e) {
    QString line =
        QStringLiteral("#%1  %2  %3  %4")
            .arg(e.id)
            .arg(DateText(e.pcTime), EventTitle(e),
                 LoadMessage(e.success ? kMsgRegisterSucceeded : kMsgRegisterFailedWord));
    if (!e.result.isEmpty())
        line += QStringLiteral("  ") + e.result;
    return line;
}

QByteArray ListCsv(const QList<DetectorSummary>& detectors, const QDateTime& now) {
    QStringList rows;
    rows << QStringList{LoadMessage(kMsgRegisterColSerial),    LoadMessage(kMsgRegisterColStation),
                        LoadMessage(kMsgRegisterColUser),      LoadMessage(kMsgRegisterColLastSeen),
                        LoadMessage(kMsgRegisterColLastCal),   LoadMessage(kMsgRegisterColCalDue),
                        LoadMessage(kMsgRegisterColCalState),  LoadMessage(kMsgRegisterColBumpDue),
                        LoadMessage(kMsgRegisterColBumpState), LoadMessage(kMsgRegisterColEvents)}
                .join(QLatin1Char(','));
    for (const DetectorSummary& d : detectors) {
        const QStringList fields{d.serialNo,
                                 d.station,
                                 d.user,
                                 IsoText(d.lastSeen),
                                 IsoText(d.lastCalibration),
                                 IsoText(d.calibrationDue),
                                 DueStateText(StateOf(d.calibrationDue, now)),
                                 IsoText(d.bumpDue),
                                 DueStateText(StateOf(d.bumpDue, now)),
                                 QString::number(d.events)};
        QStringList quoted;
        for (const QString& f : fields)
            quoted << CsvField(f);
        rows << quoted.join(QLatin1Char(','));
    }
    return (rows.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8();
}

bool WriteListCsv(const QString& path, const QList<DetectorSummary>& detectors,
                  const QDateTime& now, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ListCsv(detectors, now)) < 0 ||
        !file.commit()) {
        *error = LoadMessage(kMsgRegisterFileFailed, {path, file.errorString()});
        return false;
    }
    return true;
}

QList<DetectorSummary> DueWithin(const QList<DetectorSummary>& detectors, int days,
                                 const QDateTime& now) {
    const QDateTime limit = now.addDays(days);
    QList<DetectorSummary> out;
    for (const DetectorSummary& d : detectors) {
        const bool cal = d.calibrationDue.isValid() && d.calibrationDue <= limit;
        const bool bump = d.bumpDue.isValid() && d.bumpDue <= limit;
        if (cal || bump)
            out << d;
    }
    return out;
}

QStringList SettingsDifferences(const QString& earlier, const QString& later) {
    const QList<QPair<QString, QString>> before = KeyedLines(earlier);
    const QList<QPair<QString, QString>> after = KeyedLines(later);
    QHash<QString, QString> beforeByKey;
    for (const auto& kv : before)
        beforeByKey.insert(kv.first, kv.second);
    QHash<QString, QString> afterByKey;
    for (const auto& kv : after)
        afterByKey.insert(kv.first, kv.second);
    QStringList out;
    for (const auto& kv : after) {
        const auto old = beforeByKey.constFind(kv.first);
        if (old == beforeByKey.constEnd()) {
            out << QStringLiteral("+ ") + kv.second;
        } else if (old.value() != kv.second) {
            out << QStringLiteral("- ") + old.value();
            out << QStringLiteral("+ ") + kv.second;
        }
    }
    for (const auto& kv : before)
        if (!afterByKey.contains(kv.first))
            out << QStringLiteral("- ") + kv.second;
    return out;
}

} // namespace InstrumentRegister
