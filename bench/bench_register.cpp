// The instrument register at the size of a large site: 10 000 detectors with
// 100 events each (reads with their settings, writes, span calibrations,
// maintenance commands) in a SQLite register. Prints how long
// `tq7350ctl register list` takes over it (the whole program, as a user
// runs it) and how long recording one more event takes.
//
// bench_register [--detectors N] [--events N] [--runs N] [--keep FILE]
// (--keep: the register stays in FILE; a FILE that exists is measured as it
// is, without filling it again)
#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "register/RegisterStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace InstrumentRegister;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Event `n` of detector `d`: a read, a write, a span run or a maintenance
// command in turn, a day apart, as the window and the tool make them.
Event MakeEvent(int d, int n, const QString& settings, const QDateTime& start) {
    Event e;
    e.serialNo = QStringLiteral("TQ7350-%1").arg(d, 6, 10, QLatin1Char('0'));
    e.pcTime = start.addDays(n).addSecs(d);
    e.detectorTime = e.pcTime.toLocalTime().addSecs(40);
    e.clockOffsetSeconds = -40;
    e.station = QStringLiteral("STATION-%1").arg(d % 50, 2, 10, QLatin1Char('0'));
    e.user = QStringLiteral("USER-%1").arg(d % 200, 3, 10, QLatin1Char('0'));
    e.rom = QStringLiteral("4711");
    e.sum = QStringLiteral("A5C3");
    e.programVersion = QStringLiteral("0.1.0");
    e.host = QStringLiteral("bench-%1").arg(d % 4);
    e.limits = {true, true, 180, true, 30};
    static const char* gases[] = {"CH4", "O2", "CO", "H2S", "CO2"};
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.enabled = true;
        c.gas = QString::fromLatin1(gases[ch]);
        c.unit = QStringLiteral("ppm");
        c.fullScale = 500;
        c.calibrationDate = e.detectorTime.addDays(-3);
        c.bumpDate = e.detectorTime.addDays(-1);
        e.channels << c;
    }
    switch (n % 4) {
    case 0:
        e.kind = EventKind::Read;
        e.settings = settings;
        break;
    case 1:
        e.kind = EventKind::Write;
        e.action = QStringLiteral("update");
        e.written = {QStringLiteral("Alarm, CO: 50 → 35"), QStringLiteral("Warning, CO: 25 → 20"),
                     QStringLiteral("Station ID: NORTH → SOUTH")};
        break;
    case 2:
        e.kind = EventKind::Span;
        e.result = QStringLiteral("00000");
        for (ChannelEntry& c : e.channels) {
            c.calibrated = true;
            c.ok = true;
            c.spanConcentration = 50;
        }
        break;
    default:
        e.kind = EventKind::Maintenance;
        e.action = QStringLiteral("clear-logger");
        break;
    }
    return e;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int detectors = 10000;
    int events = 100;
    int runs = 7;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--detectors"))
            detectors = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--events"))
            events = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--runs"))
            runs = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--keep"))
            keep = args.at(i + 1);
    }
    QTemporaryDir dir;
    Location location;
    location.kind = Location::Kind::SQLite;
    location.path = keep.isEmpty() ? dir.filePath(QStringLiteral("register.sqlite")) : keep;
    const bool fillIt = !QFileInfo::exists(location.path);

    // A settings file's text of a real record, as every read keeps it.
    const QString settings =
        SettingsFile::SettingsFileLines(clsInstrument()).join(QStringLiteral("\r\n"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-events);

    Store store;
    QString error;
    if (!store.Open(location, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QElapsedTimer fill;
    fill.start();
    constexpr int kDetectorsPerBatch = 100;
    for (int first = 0; fillIt && first < detectors; first += kDetectorsPerBatch) {
        QList<Event> batch;
        for (int d = first; d < std::min(detectors, first + kDetectorsPerBatch); ++d)
            for (int n = 0; n < events; ++n)
                batch << MakeEvent(d, n, settings, start);
        if (!store.RecordAll(batch, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    if (fillIt)
        std::printf("register: %d detectors x %d events, filled in %.1f s, %.0f MB\n", detectors,
                    events, fill.elapsed() / 1000.0, QFileInfo(location.path).size() / 1e6);
    else
        std::printf("register: %s as it is, %.0f MB\n", qPrintable(location.path),
                    QFileInfo(location.path).size() / 1e6);

    // Recording one event: a read (the largest) on a detector the register
    // knows, as the tool does it after its work (the register already open),
    // and with opening the register first (what one tool run costs).
    std::vector<double> record, openAndRecord;
    for (int i = 0; i < 50; ++i) {
        Event e = MakeEvent(i * 97 % detectors, 4 * i, settings, start);
        e.pcTime = QDateTime::currentDateTimeUtc();
        e.settings = settings;
        QElapsedTimer t;
        t.start();
        if (!store.Record(e, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        record.push_back(t.nsecsElapsed() / 1e6);
    }
    store.Close();
    for (int i = 0; i < 20; ++i) {
        Event e = MakeEvent(i * 89 % detectors, 4 * i, settings, start);
        e.pcTime = QDateTime::currentDateTimeUtc();
        QElapsedTimer t;
        t.start();
        Store fresh;
        if (!fresh.Open(location, &error) || !fresh.Record(e, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        openAndRecord.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("record one event: median %.2f ms, max %.2f ms (register open)\n", Median(record),
                *std::max_element(record.begin(), record.end()));
    std::printf("open and record one event: median %.2f ms, max %.2f ms\n", Median(openAndRecord),
                *std::max_element(openAndRecord.begin(), openAndRecord.end()));

    // The whole tool, as a user runs it.
    for (const QStringList& extra :
         {QStringList{}, QStringList{QStringLiteral("--json")},
          QStringList{QStringLiteral("--due-within"), QStringLiteral("7")}}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            QElapsedTimer t;
            t.start();
            p.start(QStringLiteral(TQ_CTL_PROGRAM),
                    QStringList{QStringLiteral("--register"), location.path,
                                QStringLiteral("register"), QStringLiteral("list")} +
                        extra);
            if (!p.waitForFinished(60000) || p.exitCode() != 0) {
                std::fprintf(stderr, "tq7350ctl register list failed: %s\n",
                             p.readAllStandardError().constData());
                return 1;
            }
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("tq7350ctl register list %s: median %.0f ms, max %.0f ms (%d runs)\n",
                    qPrintable(extra.join(QLatin1Char(' '))), Median(times),
                    *std::max_element(times.begin(), times.end()), runs);
    }
    return 0;
}
