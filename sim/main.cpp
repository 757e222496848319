// tq7350-sim: a TQ-7350 detector on a pseudo-terminal or a TCP port.
#include "sim/CheckPattern.h"
#include "sim/SimDetector.h"
#include "sim/SimEndpoints.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFd[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFd[1], &c, 1);
}

void Err(const QString& text) {
    std::fprintf(stderr, "tq7350-sim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

bool IntOption(const QCommandLineParser& p, const QString& name, int lo, int hi, int* out) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi) {
        Err(QStringLiteral("--%1 needs a whole number from %2 to %3").arg(name).arg(lo).arg(hi));
        return false;
    }
    *out = v;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq7350-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Emulated TQ-7350 gas detector for the setup program."));
    p.addHelpOption();
    const QList<QCommandLineOption> opts = {
        {QStringLiteral("pty"),
         QStringLiteral("Serve on a new pseudo-terminal; its path is printed on stdout.")},
        {QStringLiteral("link"),
         QStringLiteral("Also make a symbolic link PATH to the pseudo-terminal."),
         QStringLiteral("PATH")},
        {QStringLiteral("tcp"),
         QStringLiteral("Serve on 127.0.0.1:PORT (0 picks a free port; printed on stdout)."),
         QStringLiteral("PORT")},
        {QStringLiteral("state"),
         QStringLiteral("Load the detector state from FILE and save committed changes to it."),
         QStringLiteral("FILE")},
        {{QStringLiteral("v"), QStringLiteral("verbose")},
         QStringLiteral("Log every frame seen and sent to stderr.")},
        {QStringLiteral("baud"), QStringLiteral("Pace the line at N baud."), QStringLiteral("N")},
        {QStringLiteral("delay"), QStringLiteral("Delay every answer by MS milliseconds."),
         QStringLiteral("MS")},
        {QStringLiteral("drop-every"), QStringLiteral("Drop every Nth answer."),
         QStringLiteral("N")},
        {QStringLiteral("bare-cr-every"), QStringLiteral("Replace every Nth answer by a lone CR."),
         QStringLiteral("N")},
        {QStringLiteral("truncate-every"), QStringLiteral("Cut every Nth answer in half."),
         QStringLiteral("N")},
        {QStringLiteral("garble-every"),
         QStringLiteral("Corrupt the answer code of every Nth answer."), QStringLiteral("N")},
        {QStringLiteral("wrong-model"), QStringLiteral("Answer \"RC,R,\" with NAME."),
         QStringLiteral("NAME")},
        {QStringLiteral("refuse"),
         QStringLiteral("Refuse the command CODES (comma separated, repeatable)."),
         QStringLiteral("CODES")},
        {QStringLiteral("drop-line-after"), QStringLiteral("Take the line down after N commands."),
         QStringLiteral("N")},
        {QStringLiteral("never-commit"),
         QStringLiteral("Never acknowledge \"DW,C,\" or another confirm.")},
        {QStringLiteral("silent"), QStringLiteral("Never answer.")},
        {QStringLiteral("calib-fail"),
         QStringLiteral("Channels (bit mask 0..31) that fail zero and span."),
         QStringLiteral("MASK")},
        {QStringLiteral("commit-polls"),
         QStringLiteral("Confirm polls answered without ACK (default 2)."), QStringLiteral("N")},
        {QStringLiteral("zero-polls"),
         QStringLiteral("\"SZ,C,\" polls without result (default 2)."), QStringLiteral("N")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the reading noise."), QStringLiteral("N")},
        {QStringLiteral("restart-after"),
         QStringLiteral(
             "After a power-off, come back after MS milliseconds (default 5000; 0 = never)."),
         QStringLiteral("MS")},
        {QStringLiteral("write-check-image"),
         QStringLiteral("Write the reference image of the check pattern to PATH and exit."),
         QStringLiteral("PATH")},
        {QStringLiteral("print-defaults"),
         QStringLiteral("Print the default state as JSON and exit.")},
    };
    p.addOptions(opts);
    p.process(app);

    if (p.isSet(QStringLiteral("write-check-image"))) {
        QString error;
        if (!WriteCheckImage(p.value(QStringLiteral("write-check-image")), &error)) {
            Err(error);
            return 1;
        }
        return 0;
    }
    if (p.isSet(QStringLiteral("print-defaults"))) {
        QTextStream(stdout)
            << QJsonDocument(SimState::Defaults().toJson()).toJson(QJsonDocument::Indented);
        return 0;
    }

    const bool usePty = p.isSet(QStringLiteral("pty"));
    const bool useTcp = p.isSet(QStringLiteral("tcp"));
    if (usePty == useTcp) {
        Err(QStringLiteral("give exactly one of --pty and --tcp PORT"));
        return 2;
    }

    SimDetector det;
    SimFaults& f = det.faults();
    int commitPolls = 2, zeroPolls = 2, seed = 7350, restartAfter = 5000, port = 0;
    if (!IntOption(p, QStringLiteral("baud"), 0, 10000000, &f.baud) ||
        !IntOption(p, QStringLiteral("delay"), 0, 3600000, &f.delayMs) ||
        !IntOption(p, QStringLiteral("drop-every"), 0, 1000000, &f.dropEveryN) ||
        !IntOption(p, QStringLiteral("bare-cr-every"), 0, 1000000, &f.bareCrEveryN) ||
        !IntOption(p, QStringLiteral("truncate-every"), 0, 1000000, &f.truncateEveryN) ||
        !IntOption(p, QStringLiteral("garble-every"), 0, 1000000, &f.garbleEveryN) ||
        !IntOption(p, QStringLiteral("drop-line-after"), 0, 100000000, &f.dropLineAfterN) ||
        !IntOption(p, QStringLiteral("calib-fail"), 0, 31, &f.calibFailMask) ||
        !IntOption(p, QStringLiteral("commit-polls"), 0, 1000, &commitPolls) ||
        !IntOption(p, QStringLiteral("zero-polls"), 0, 1000, &zeroPolls) ||
        !IntOption(p, QStringLiteral("seed"), 0, 2147483647, &seed) ||
        !IntOption(p, QStringLiteral("restart-after"), 0, 3600000, &restartAfter) ||
        !IntOption(p, QStringLiteral("tcp"), 0, 65535, &port))
        return 2;
    f.wrongModel = p.value(QStringLiteral("wrong-model"));
    for (const QString& v : p.values(QStringLiteral("refuse")))
        for (const QString& c : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
            f.refuseCodes.append(c.trimmed().toUpper());
    f.neverCommit = p.isSet(QStringLiteral("never-commit"));
    f.silent = p.isSet(QStringLiteral("silent"));
    det.setCommitPolls(commitPolls);
    det.setZeroPolls(zeroPolls);
    det.setNoiseSeed(quint32(seed));

    const bool verbose = p.isSet(QStringLiteral("verbose"));
    det.setVerbose(verbose);
    QObject::connect(&det, &SimDetector::logLine, [verbose](const QString& line) {
        if (verbose || line.startsWith(QLatin1String("refused")))
            Err(line);
    });

    // State file: load it when it exists, save every committed change.
    const QString statePath = p.value(QStringLiteral("state"));
    if (!statePath.isEmpty()) {
        if (QFileInfo::exists(statePath)) {
            QString error;
            if (!SimState::load(statePath, det.state(), &error)) {
                Err(QStringLiteral("%1: %2").arg(statePath, error));
                return 2;
            }
        }
        auto save = [&det, statePath] {
            QString error;
            if (!det.state().save(statePath, &error))
                Err(QStringLiteral("cannot save %1: %2").arg(statePath, error));
        };
        save();
        QObject::connect(&det, &SimDetector::stateChanged, &det, save);
    }

    // A power-off takes the detector away; it comes back after a while.
    QObject::connect(&det, &SimDetector::lineDropped, &det, [&det, restartAfter] {
        if (restartAfter > 0)
            QTimer::singleShot(restartAfter, &det, [&det] { det.setLineUp(true); });
    });

    // Quit cleanly on SIGINT/SIGTERM so that the symbolic link is removed.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFd) == 0) {
        auto* sn = new QSocketNotifier(g_signalFd[0], QSocketNotifier::Read, &app);
        QObject::connect(sn, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
    std::signal(SIGPIPE, SIG_IGN);

    SimPty pty(&det);
    SimTcpServer tcp(&det);
    QString error;
    if (usePty) {
        if (!pty.open(&error)) {
            Err(error);
            return 1;
        }
        if (p.isSet(QStringLiteral("link")) &&
            !pty.makeLink(p.value(QStringLiteral("link")), &error)) {
            Err(error);
            return 1;
        }
        std::printf("%s\n", pty.devicePath().toLocal8Bit().constData());
    } else {
        det.setLineUp(false); // no peer yet
        if (!tcp.listen(quint16(port), &error)) {
            Err(error);
            return 1;
        }
        std::printf("127.0.0.1:%u\n", unsigned(tcp.port()));
    }
    std::fflush(stdout);
    return app.exec();
}
