// tq7350-sim: a TQ-7350 detector on a pseudo-terminal or a TCP port.
#include "sim/CheckPattern.h"
#include "sim/SimDetector.h"
#include "sim/SimEndpoints.h"
#include "sim/SimOptions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// SIGINT and SIGTERM end the event loop through a socket pair, the one thing
// a signal handler may safely do, so that the program quits cleanly and the
// pseudo-terminal's symbolic link is removed. Elsewhere (Windows, which has
// neither) Ctrl+C ends the program the system's way.
int g_signalFd[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFd[1], &c, 1);
}

void QuitOnSignals(QCoreApplication& app) {
    // A host that goes away must not end the emulator.
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFd) != 0)
        return;
    auto* sn = new QSocketNotifier(g_signalFd[0], QSocketNotifier::Read, &app);
    QObject::connect(sn, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}
#else
void QuitOnSignals(QCoreApplication&) {}
#endif

void Err(const QString& text) {
    std::fprintf(stderr, "tq7350-sim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq7350-sim"));

    const ParsedSimOptions parsed = ParseSimOptions(QCoreApplication::arguments());
    if (!parsed.options) {
        Err(parsed.error);
        return parsed.exitCode;
    }
    const SimOptions& o = *parsed.options;
    switch (o.action) {
    case SimOptions::Action::Help:
        QTextStream(stdout) << o.helpText;
        return kSimExitOk;
    case SimOptions::Action::Version:
        QTextStream(stdout) << o.versionText << '\n';
        return kSimExitOk;
    case SimOptions::Action::WriteCheckImage: {
        QString error;
        if (!WriteCheckImage(o.checkImagePath, &error)) {
            Err(error);
            return kSimExitFailure;
        }
        return kSimExitOk;
    }
    case SimOptions::Action::PrintDefaults:
        QTextStream(stdout)
            << QJsonDocument(SimState::Defaults().toJson()).toJson(QJsonDocument::Indented);
        return kSimExitOk;
    case SimOptions::Action::Serve:
        break;
    }

    SimDetector det;
    det.faults() = o.faults;
    det.setCommitPolls(o.commitPolls);
    det.setZeroPolls(o.zeroPolls);
    det.setNoiseSeed(quint32(o.seed));

    const bool verbose = o.verbose;
    det.setVerbose(verbose);
    QObject::connect(&det, &SimDetector::logLine, [verbose](const QString& line) {
        if (verbose || line.startsWith(QLatin1String("refused")))
            Err(line);
    });

    // State file: load it when it exists, save every committed change.
    const QString statePath = o.statePath;
    if (!statePath.isEmpty()) {
        if (QFileInfo::exists(statePath)) {
            QString error;
            if (!SimState::load(statePath, det.state(), &error)) {
                Err(QStringLiteral("%1: %2").arg(statePath, error));
                return kSimExitBadValue;
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
    const int restartAfter = o.restartAfterMs;
    QObject::connect(&det, &SimDetector::lineDropped, &det, [&det, restartAfter] {
        if (restartAfter > 0)
            QTimer::singleShot(restartAfter, &det, [&det] { det.setLineUp(true); });
    });

    QuitOnSignals(app);

    SimPty pty(&det);
    SimTcpServer tcp(&det);
    QString error;
    if (o.pty) {
        if (!pty.open(&error)) {
            Err(error);
            return kSimExitFailure;
        }
        if (!o.linkPath.isEmpty() && !pty.makeLink(o.linkPath, &error)) {
            Err(error);
            return kSimExitFailure;
        }
        std::printf("%s\n", pty.devicePath().toLocal8Bit().constData());
    } else {
        det.setLineUp(false); // no peer yet
        if (!tcp.listen(quint16(o.tcpPort), &error)) {
            Err(error);
            return kSimExitFailure;
        }
        std::printf("127.0.0.1:%u\n", unsigned(tcp.port()));
    }
    std::fflush(stdout);
    return app.exec();
}
