// Download of the full 512 KiB logger image (1024 blocks of "EP,R,") over a
// pseudo-terminal against the emulator program pacing the line. Prints the
// wall time of the transfer, the bytes each way (requests included) and the
// ratio of the wall time to the pure line time of those bytes (10 bits per
// byte). The image is checked against the check pattern written before.
// Then the same through the "Download Logger Data" workflow the window and
// the tool run (identity first, temporary image, progress after every
// block, the image replaced at the end).
//
//   bench_dump [--sim PATH] [--baud N]... [--runs N]
//
// Without --sim the emulator is looked for next to this program and one
// folder up. Without --baud 921600 is measured.
#include "BenchSupport.h"

#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/ResponseParser.h"
#include "link/SerialTransport.h"
#include "link/uclTqif.h"
#include "sim/CheckPattern.h"
#include "workflows/LoggerDownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool RunAtBaud(const QString& sim, int baud, int runs) {
    SimProgram proc(sim, {"--baud", QString::number(baud), "--commit-polls", "0"});
    if (proc.pty().isEmpty())
        return false;

    QTemporaryDir dir;
    CountingTransport transport(proc.pty(), QStringLiteral("%1,n,8,1").arg(baud));
    uclTqif link;
    bool ok = ConnectLink(link, transport, dir.path());
    // A known content to compare the image with.
    if (ok && !link.SetCheckData()) {
        std::fprintf(stderr, "XH,E, failed\n");
        ok = false;
    }
    const QByteArray reference = CheckImage();
    const QString image = dir.filePath(QStringLiteral("TQ7350.DAT"));

    for (int run = 0; ok && run < runs; ++run) {
        QFile::remove(image);
        transport.resetCounts();
        QElapsedTimer t;
        t.start();
        const bool done = link.GetBinDump(image, 0, 1023);
        const double wallS = double(t.nsecsElapsed()) / 1e9;
        QFile f(image);
        const bool same = f.open(QIODevice::ReadOnly) && f.readAll() == reference;
        const qint64 out = transport.out();
        const qint64 in = transport.in();
        const double lineS = double(out + in) * 10.0 / double(baud);
        std::printf("image   %7d baud  %s  1024 blocks  wall %7.3f s  out %6lld B  in %7lld B  "
                    "line %7.3f s  ratio %.3f  per block %.3f ms (line %.3f ms)\n",
                    baud, done && same ? "ok  " : "FAIL", wallS, (long long)out, (long long)in,
                    lineS, lineS > 0 ? wallS / lineS : 0.0, wallS * 1000.0 / 1024.0,
                    lineS * 1000.0 / 1024.0);
        ok = done && same;
    }
    for (int run = 0; ok && run < runs; ++run) {
        transport.resetCounts();
        int reports = 0;
        workflows::Report report;
        report.steps = [&reports](int, int) { ++reports; };
        LoggerDownload::Options options;
        options.ImagePath = image;
        QElapsedTimer t;
        t.start();
        const LoggerDownload::Result r = LoggerDownload::Run(link, options, report);
        const double wallS = double(t.nsecsElapsed()) / 1e9;
        QFile f(image);
        const bool same = f.open(QIODevice::ReadOnly) && f.readAll() == reference;
        const qint64 out = transport.out();
        const qint64 in = transport.in();
        const double lineS = double(out + in) * 10.0 / double(baud);
        std::printf("workflow%7d baud  %s  1024 blocks  wall %7.3f s  out %6lld B  in %7lld B  "
                    "line %7.3f s  ratio %.3f  retries %d  progress reports %d\n",
                    baud, r.Success() && same ? "ok  " : "FAIL", wallS, (long long)out,
                    (long long)in, lineS, lineS > 0 ? wallS / lineS : 0.0, r.Retries, reports);
        ok = r.Success() && same;
    }
    link.setPortOpen(false);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunLineTimeBenchmark("bench_dump", {921600}, RunAtBaud);
}
