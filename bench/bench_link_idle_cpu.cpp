// CPU used while a command waits for an answer that never comes: the link on
// a pseudo-terminal, connected to the emulator, which then falls silent; one
// command waits out a 3 s time-out (no repetition) on the wall clock. CPU
// time is taken with getrusage around the wait.
//
//   bench_link_idle_cpu [--seconds N]
#include "PtyDetector.h"

#include "link/uclTqif.h"
#include "sim/SimDetector.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int seconds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_link_idle_cpu [--seconds N]\n");
            return 2;
        }
    }

    QTemporaryDir logDir;
    SimDetector sim;
    PtyDetector detector(sim);
    if (!detector.ok()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 1;
    }
    uclTqif link;
    link.setLogFolder(logDir.path());
    link.setSerialComm(true);
    link.setCommPortName(detector.slavePath());
    link.setSettings(QStringLiteral("921600,n,8,1"));
    link.setTimeout(3);
    link.setRetry(3);
    link.setResponseParser([](const QString& frame) { return frame.size() >= 15; });
    link.setPortOpen(true);
    link.waitWhile([&] { return !link.Connected() && link.LinkState() != kLinkIdle; });
    if (!link.Connected()) {
        std::fprintf(stderr, "the emulator did not answer the connect probe\n");
        return 1;
    }

    sim.faults().silent = true;
    link.setTimeout(seconds);
    link.setRetry(0);
    QElapsedTimer wall;
    const double cpuBefore = CpuSeconds();
    wall.start();
    const LinkResult result = link.SendAndWait(QStringLiteral("VP,R,"), kStatusAwaiting);
    const bool ok = result == LinkResult::Done;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    const double percent = 100.0 * cpu / wallSeconds;
    std::printf("bench_link_idle_cpu: one command waiting for an answer that never comes\n");
    std::printf("  wait %.3f s (time-out %d s, no repetition), final status %d%s\n", wallSeconds,
                seconds, link.Status(), ok ? " (unexpected success)" : "");
    std::printf("  CPU %.4f s = %.3f %% of one core (target < 2 %%: %s)\n", cpu, percent,
                percent < 2.0 ? "met" : "MISSED");
    return result == LinkResult::TimedOut ? 0 : 1;
}
