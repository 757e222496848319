// The emulator's memory under a long run: its resident size before and after
// N answered "RC,R," requests, N refused frames and N uncommitted writes of
// one setting, each on a fresh in-process detector (default N = 200000).
//
//   bench_sim_memory [--count N]
#include "sim/SimDetector.h"
#include "sim/SimProtocol.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <functional>

namespace {

// Resident memory in KiB (Linux), -1 where unknown.
qint64 RssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void Measure(const char* what, int count, const std::function<void(SimDetector&)> setUp,
             const QByteArray& request) {
    SimDetector det;
    qint64 answered = 0;
    QObject::connect(&det, &SimDetector::bytesToHost, &det,
                     [&answered](const QByteArray&) { ++answered; });
    setUp(det);
    const QByteArray frame = simproto::BuildRequest(request);
    // Warm up (first allocations, caches), then measure.
    for (int i = 0; i < 1000; ++i)
        det.receiveFromHost(frame);
    const qint64 before = RssKiB();
    for (int i = 0; i < count; ++i)
        det.receiveFromHost(frame);
    const qint64 after = RssKiB();
    std::printf("%-34s %8d frames: %+8.2f MB resident (%lld answers)\n", what, count,
                double(after - before) / 1024.0, static_cast<long long>(answered));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 200000;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--count") && i + 1 < args.size()) {
            count = std::max(1, args[++i].toInt());
        } else {
            std::fprintf(stderr, "usage: bench_sim_memory [--count N]\n");
            return 2;
        }
    }
    Measure(
        "answered \"RC,R,\"", count, [](SimDetector&) {}, "RC,R,");
    Measure(
        "refused (\"RC\" refused)", count,
        [](SimDetector& d) { d.faults().refuseCodes << QStringLiteral("RC"); }, "RC,R,");
    Measure(
        "uncommitted \"XP,W,0258\"", count, [](SimDetector&) {}, "XP,W,0258");
    return 0;
}
