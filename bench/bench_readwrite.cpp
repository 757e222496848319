// Read-all and full write over a pseudo-terminal against the emulator, paced
// at a given baud rate. Prints, for each rate, the wall time of each sequence,
// the bytes each way and the ratio of the wall time to the pure line time of
// those bytes (10 bits per byte).
//
//   bench_readwrite [--sim PATH] [--baud N]... [--runs N]
//
// Without --sim the emulator is looked for next to this program and one
// folder up. Without --baud the rates 921600 and 115200 are measured.
#include "BenchSupport.h"

#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/ReadSequence.h"
#include "link/ResponseParser.h"
#include "link/SerialTransport.h"
#include "link/WriteSequence.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures {
    double wallS = 0;
    qint64 out = 0;
    qint64 in = 0;
    int commands = 0;
    bool ok = false;
};

void Print(const char* what, int baud, const Figures& f) {
    const double lineS = double(f.out + f.in) * 10.0 / double(baud);
    std::printf("%-9s %7d baud  %s  %4d commands  wall %7.3f s  out %6lld B  in %6lld B  "
                "line %7.3f s  ratio %.3f\n",
                what, baud, f.ok ? "ok  " : "FAIL", f.commands, f.wallS, (long long)f.out,
                (long long)f.in, lineS, lineS > 0 ? f.wallS / lineS : 0.0);
}

// One emulator on a pseudo-terminal, one link on it: a read, then a write of
// every block.
bool RunAtBaud(const QString& sim, int baud, int runs) {
    // No commit polls: the detector confirms the first "DW,C,".
    SimProgram proc(sim, {"--baud", QString::number(baud), "--commit-polls", "0"});
    if (proc.pty().isEmpty())
        return false;

    QTemporaryDir logDir;
    CountingTransport transport(proc.pty(), QStringLiteral("%1,n,8,1").arg(baud));
    uclTqif link;
    ResponseContext& ctx = link.responseContext();
    bool ok = ConnectLink(link, transport, logDir.path());

    for (int run = 0; ok && run < runs; ++run) {
        clsInstrument rec;
        Figures read;
        transport.resetCounts();
        QElapsedTimer t;
        t.start();
        read.ok = GetInstrument(link, ctx, &rec);
        read.wallS = double(t.nsecsElapsed()) / 1e9;
        read.out = transport.out();
        read.in = transport.in();
        read.commands = 313;
        Print("read-all", baud, read);

        rec.SetChangeFlags(true, true);
        rec.setChange_DummySerial(true);
        Figures write;
        write.commands = int(PendingWriteCommands(rec).size()) + 2;
        transport.resetCounts();
        t.restart();
        // Without the five-second pause before the confirm: the pause is idle
        // line time the protocol asks for, not transfer.
        write.ok = SetInstrument(link, ctx, &rec, CommitTiming{0, 120000});
        write.wallS = double(t.nsecsElapsed()) / 1e9;
        write.out = transport.out();
        write.in = transport.in();
        Print("write-all", baud, write);
        ok = read.ok && write.ok;
    }
    link.setPortOpen(false);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunLineTimeBenchmark("bench_readwrite", {921600, 115200}, RunAtBaud);
}
