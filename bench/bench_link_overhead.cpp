// Per-transaction overhead of the link: the time from the last byte of an
// answer to the first byte of the next request, over a pseudo-terminal with
// the emulator answering at once.
//
//   bench_link_overhead [--sim PATH] [--count N]
//
// Two measurements are printed:
//   link side  the tq7350-sim program on its own pseudo-terminal; the time from
//              the moment the link receives the answer's last bytes from the
//              port to the moment it hands the next request to the port.
//   wire       the emulator library on the master side of a pseudo-terminal
//              made here; the time from writing the answer's last byte to
//              reading the next request's first byte, i.e. including both
//              passes through the terminal driver and the event loop.
#include "BenchSupport.h"
#include "PtyDetector.h"

#include "link/FrameEngine.h"
#include "link/SerialTransport.h"
#include "link/uclTqif.h"
#include "sim/SimDetector.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kCommands[] = {"VP,R,", "XP,R,", "SA,R,", "HC,R,", "GJ,R,", "A1,R,"};

// The serial transport with a time stamp on the way in and out.
class TimingTransport : public ObservedSerialTransport {
public:
    explicit TimingTransport(const QString& port)
        : ObservedSerialTransport(port, QStringLiteral("921600,n,8,1")) {}

    std::vector<double> gapsNs;
    bool recording = false;

protected:
    void received(const QByteArray&) override {
        lastIn_ = Clock::now();
        haveIn_ = true;
    }
    void sending(const QByteArray&) override {
        const Clock::time_point now = Clock::now();
        if (recording && haveIn_)
            gapsNs.push_back(double(
                std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastIn_).count()));
        haveIn_ = false;
    }

private:
    Clock::time_point lastIn_;
    bool haveIn_ = false;
};

struct Figures {
    double median = 0, p90 = 0, p99 = 0, max = 0;
};

Figures Summarise(std::vector<double> ns) {
    Figures f;
    if (ns.empty())
        return f;
    std::sort(ns.begin(), ns.end());
    auto at = [&](double q) {
        return ns[std::min(ns.size() - 1, size_t(q * double(ns.size())))] / 1e6;
    };
    f.median = at(0.5);
    f.p90 = at(0.9);
    f.p99 = at(0.99);
    f.max = ns.back() / 1e6;
    return f;
}

void Print(const char* what, const std::vector<double>& gaps) {
    const Figures f = Summarise(gaps);
    std::printf("  %-10s %6zu gaps  median %.3f ms  p90 %.3f ms  p99 %.3f ms  max %.3f ms  "
                "(target median < 0.5 ms: %s)\n",
                what, gaps.size(), f.median, f.p90, f.p99, f.max,
                f.median < 0.5 ? "met" : "MISSED");
}

// Connects the link and runs `count` read commands; false on any failure.
bool Run(uclTqif& link, int count, bool* recording) {
    link.setTimeout(3);
    link.setRetry(3);
    link.setResponseParser([](const QString& frame) { return frame.size() >= 15; });
    link.setPortOpen(true);
    if (!link.PortOpen()) {
        std::fprintf(stderr, "cannot open the port: %s\n", qPrintable(link.LastPortError()));
        return false;
    }
    link.waitWhile([&] { return !link.Connected() && link.LinkState() != kLinkIdle; });
    if (!link.Connected()) {
        std::fprintf(stderr, "the emulator did not answer the connect probe\n");
        return false;
    }
    // A few rounds to warm up, then the measured ones.
    for (int i = 0; i < count + 20; ++i) {
        *recording = i >= 20;
        const char* command = kCommands[size_t(i) % (sizeof kCommands / sizeof *kCommands)];
        if (link.SendAndWait(QString::fromLatin1(command), kStatusAwaitingRead) !=
            LinkResult::Done) {
            std::fprintf(stderr, "command %s failed (status %d)\n", command, link.Status());
            return false;
        }
    }
    *recording = false;
    link.setPortOpen(false);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString simPath;
    int count = 2000;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sim") && i + 1 < args.size())
            simPath = args[++i];
        else if (args[i] == QLatin1String("--count") && i + 1 < args.size())
            count = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_link_overhead [--sim PATH] [--count N]\n");
            return 2;
        }
    }
    QTemporaryDir logDir;
    std::printf("bench_link_overhead: %d read transactions, answer's last byte -> next request's "
                "first byte\n",
                count);

    // Link side, against the emulator program.
    const QString program = FindSimulator(simPath);
    int failures = 0;
    if (program.isEmpty()) {
        std::printf("  link side: skipped, tq7350-sim not found (give --sim PATH)\n");
    } else {
        SimProgram sim(program, {});
        const QString path = sim.pty();
        if (path.isEmpty()) {
            ++failures;
        } else {
            TimingTransport transport(path);
            uclTqif link;
            link.setLogFolder(logDir.path());
            link.setTransport(&transport);
            if (Run(link, count, &transport.recording))
                Print("link side", transport.gapsNs);
            else
                ++failures;
        }
    }

    // On the wire, against the emulator library on a terminal made here.
    {
        SimDetector sim;
        PtyDetector detector(sim);
        if (!detector.ok()) {
            std::printf("  wire: no pseudo-terminal available\n");
            ++failures;
        } else {
            uclTqif link;
            link.setLogFolder(logDir.path());
            link.setSerialComm(true);
            link.setCommPortName(detector.slavePath());
            link.setSettings(QStringLiteral("921600,n,8,1"));
            if (Run(link, count, &detector.recording))
                Print("wire", detector.gapsNs);
            else
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
