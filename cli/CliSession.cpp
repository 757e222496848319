#include "cli/CliSession.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "link/LinkTransport.h"
#include "records/Configuration.h"
#include "sim/SimState.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <csignal>

namespace cli {

namespace {

// The hardware id of the USB infrared adapter.
const char* const kAdapterSearchText = "VID_10C4&PID_EA60";
// Connect polling sends "RC,R," every 1.2 s.
constexpr qint64 kConnectPollMs = 1200;
// The emulator is back this long after a power-off, as the program's default.
constexpr int kSimRestartMs = 5000;
// Dark blue of the detector's and the link's messages in the log pane.
constexpr int32_t kMessageBlue = 192 * 65536;
constexpr int32_t kConnectBlue = 255 * 65536;

volatile std::sig_atomic_t g_interrupt = 0;

void OnInterrupt(int) {
    g_interrupt = 1;
    // A second Ctrl+C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

CliSession::CliSession(const Invocation& invocation, Console& console)
    : inv_(invocation), console_(console), startFolder_(QDir::currentPath()) {
    link_.setInstrument(&record_);
    wireEvents();
}

CliSession::~CliSession() {
    close();
    std::signal(SIGINT, SIG_DFL);
}

QString CliSession::dateText() const {
    return SerialLog::GeneralDate(QDateTime::currentDateTime());
}

std::array<bool, 5> CliSession::lockedChannels() const {
    std::array<bool, 5> locked{};
    for (int ch = 0; ch < 5; ++ch)
        locked[size_t(ch)] = App().GasLocked[ch];
    return locked;
}

int CliSession::prepare() {
    // The configuration file of the working folder, when there is one, gives
    // the port settings, time-out, retry and the locked channels, as it does
    // for the window. The tool never writes it.
    App() = AppSettings{};
    LoadConfiguration(App(), defaults_, startFolder_);

    const int timeout =
        inv_.timeout > 0 ? inv_.timeout : (App().CommTimeout > 0 ? App().CommTimeout : 3);
    const int retry = inv_.retry > 0 ? inv_.retry : (App().CommRetry > 0 ? App().CommRetry : 3);
    link_.setTimeout(timeout);
    link_.setRetry(retry);

    if (const int status = setUpSerialLog(); status != kExitDone)
        return status;
    if (const int status = chooseTransport(); status != kExitDone)
        return status;

    // Ctrl+C cancels the running command the way the progress window's
    // cancel button does.
    g_interrupt = 0;
    std::signal(SIGINT, OnInterrupt);
    interruptPoll_.setInterval(100);
    connect(&interruptPoll_, &QTimer::timeout, this, [this] {
        if (g_interrupt && !interrupted_) {
            interrupted_ = true;
            link_.AddLog(QStringLiteral("= User Cancel ="));
            link_.setCancel(true);
        }
    });
    interruptPoll_.start();
    return kExitDone;
}

int CliSession::setUpSerialLog() {
    if (inv_.serialLog.isEmpty()) {
        link_.setLogFolder(startFolder_);
        return kExitDone;
    }
    const QFileInfo file(QDir(startFolder_).absoluteFilePath(inv_.serialLog));
    if (file.isDir() || !file.dir().exists()) {
        console_.error(LoadMessage(
            kMsgBadSerialLog, {inv_.serialLog, file.isDir() ? QStringLiteral("a folder")
                                                            : QStringLiteral("no such folder")}));
        return kExitUsage;
    }
    if (file.fileName() == QLatin1String(SerialLog::kFileName)) {
        link_.setLogFolder(file.absolutePath());
        return kExitDone;
    }
    // The link names its log "SerialLog.log" in a folder. A log under another
    // name is reached through a private folder whose "SerialLog.log" is a
    // symbolic link to it, so that every entry is still appended straight to
    // the named file as it happens.
    logDir_ = std::make_unique<QTemporaryDir>();
    const QString linkPath = QDir(logDir_->path()).filePath(QLatin1String(SerialLog::kFileName));
    if (!logDir_->isValid() || !QFile::link(file.absoluteFilePath(), linkPath)) {
        console_.error(LoadMessage(kMsgBadSerialLog,
                                   {inv_.serialLog, QStringLiteral("cannot link the log there")}));
        return kExitUsage;
    }
    link_.setLogFolder(logDir_->path());
    return kExitDone;
}

int CliSession::chooseTransport() {
    AppSettings& settings = App();
    QString error;
    TransportChoice choice = inv_.transport;
    if (choice == TransportChoice::Port) {
        if (!ApplyPortOverride(inv_.port, settings, &error)) {
            console_.error(error);
            return kExitUsage;
        }
    } else if (choice == TransportChoice::Socket) {
        if (!ApplySocketOverride(inv_.socket, settings, &error)) {
            console_.error(error);
            return kExitUsage;
        }
    } else if (choice == TransportChoice::Discover) {
        // TQ7350_PORT and TQ7350_SOCKET name the link as --port and --socket do.
        if (!ApplyEnvironmentOverrides(settings, &error)) {
            console_.error(error);
            return kExitUsage;
        }
        if (!qEnvironmentVariable(kPortEnvironmentName).isEmpty()) {
            choice = TransportChoice::Port;
        } else if (!settings.SocketEndpoint.isEmpty()) {
            choice = TransportChoice::Socket;
        } else {
            switch (DiscoverUsbSerialPort(QString::fromLatin1(kAdapterSearchText), settings)) {
            case PortDiscoveryResult::One:
                choice = TransportChoice::Port;
                break;
            case PortDiscoveryResult::Ambiguous:
                console_.error(LoadMessage(kMsgSeveralAdapters));
                console_.error(LoadMessage(kMsgAmbiguousAdapter));
                return kExitNoDetector;
            case PortDiscoveryResult::None:
                console_.error(LoadMessage(kMsgNoAdapterFound));
                return kExitNoDetector;
            }
        }
    }

    switch (choice) {
    case TransportChoice::Sim:
        target_ = QStringLiteral("emulator");
        return setUpSimulator();
    case TransportChoice::Port:
        // As the window opens the adapter's port.
        link_.setSerialComm(true);
        link_.setCommPortName(settings.IrCommPortName);
        link_.setRTSEnable(true);
        link_.setDTREnable(true);
        link_.setHandshaking(2);
        if (!settings.CommSettings.isEmpty())
            link_.setSettings(settings.CommSettings);
        target_ = settings.IrCommPortName;
        break;
    case TransportChoice::Socket: {
        link_.setSerialComm(false);
        if (!link_.setSocketEndpoint(settings.SocketEndpoint)) {
            console_.error(LoadMessage(kMsgBadOptionValue,
                                       {QStringLiteral("--socket"), settings.SocketEndpoint}));
            return kExitUsage;
        }
        target_ = settings.SocketEndpoint;
        break;
    }
    case TransportChoice::Discover:
        break;
    }
    return kExitDone;
}

int CliSession::setUpSimulator() {
    // The emulator runs on a virtual link clock: its storing pauses, the
    // link's 5 s commit polls and a power-off's wait take no real time.
    simClock_ = std::make_unique<VirtualLinkClock>();
    sim_ = std::make_unique<SimDetector>();
    simTransport_ = std::make_unique<InMemoryTransport>();
    link_.setClock(simClock_.get());
    VirtualLinkClock* clock = simClock_.get();
    sim_->setScheduler([clock](int ms, std::function<void()> fn) { clock->singleShot(ms, fn); });
    simTransport_->attachClock(clock);
    JoinInMemory(*simTransport_, *sim_);
    link_.setTransport(simTransport_.get());
    SimDetector* sim = sim_.get();
    connect(sim, &SimDetector::lineDropped, this,
            [clock, sim] { clock->singleShot(kSimRestartMs, [sim] { sim->setLineUp(true); }); });

    // --sim-state: the detector's state is loaded from the file when it
    // exists and saved to it at start and after every committed change, as
    // the emulator program does.
    if (inv_.simState.isEmpty())
        return kExitDone;
    QString error;
    if (QFileInfo::exists(inv_.simState) && !SimState::load(inv_.simState, sim->state(), &error)) {
        console_.error(LoadMessage(kMsgSimStateError, {inv_.simState, error}));
        return kExitUsage;
    }
    const QString path = inv_.simState;
    auto save = [this, sim, path] {
        QString saveError;
        if (!sim->state().save(path, &saveError))
            console_.error(LoadMessage(kMsgSimStateError, {path, saveError}));
    };
    save();
    connect(sim, &SimDetector::stateChanged, this, save);
    return kExitDone;
}

int CliSession::connectDetector() {
    console_.progressLine(LoadMessage(kMsgConnectingTo, {target_}));
    link_.setPortOpen(true);
    if (!link_.PortOpen()) {
        console_.error(LoadMessage(kMsgCannotOpenPort, {target_, link_.LastPortError()}));
        return kExitNoDetector;
    }
    link_.AddLog(LoadMessage(kMsgPortStandby, {dateText()}));

    // The link polls with "RC,R," every 1.2 s once the line is up and gives
    // up after Retry polls (AlarmMessage); a line that never comes up is
    // bounded by the wait itself.
    bool gaveUp = false;
    const QMetaObject::Connection alarm =
        connect(&link_, &uclTqif::AlarmMessage, this, [&gaveUp] { gaveUp = true; });
    // A TCP endpoint where nothing listens refuses at once: no use waiting.
    bool refused = false;
    const QMetaObject::Connection socketError =
        connect(&link_, &uclTqif::IrDAError, this, [&refused](int code) {
            if (code == LinkTransport::kConnectionRefused)
                refused = true;
        });
    const qint64 bound =
        qMax<qint64>(2 * kConnectPollMs, qint64(link_.Timeout()) * link_.Retry() * kConnectPollMs);
    const qint64 deadline = link_.clock()->elapsedMs() + bound;
    link_.waiter().waitWhile(
        [&] { return !link_.Connected() && !gaveUp && !refused && !interrupted_ && !g_interrupt; },
        deadline);
    disconnect(alarm);
    disconnect(socketError);

    if (!link_.Connected()) {
        if (g_interrupt || interrupted_) {
            console_.error(LoadMessage(kMsgInterrupted));
            return kExitFailed;
        }
        if (!link_.ForeignModel().isEmpty())
            console_.error(LoadMessage(kMsgForeignModel, {link_.ForeignModel()}));
        else if (refused)
            console_.error(LoadMessage(kMsgConnectionRefused, {target_}));
        else
            console_.error(LoadMessage(kMsgNoDetectorAnswered, {target_}));
        return kExitNoDetector;
    }
    return kExitDone;
}

void CliSession::idleWhile(const std::function<bool()>& keepWaiting, qint64 ms) {
    LinkClock* clock = link_.clock();
    const qint64 deadline = clock->elapsedMs() + ms;
    auto waiting = [&] { return keepWaiting() && !interrupted_ && !g_interrupt; };
    if (simClock_) {
        // The emulator's clock moves one tick at a time, with everything
        // that is due processed before each.
        while (waiting() && simClock_->elapsedMs() < deadline)
            simClock_->runTicks(1);
        return;
    }
    QEventLoop loop;
    QTimer check;
    check.setInterval(20);
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (!waiting() || clock->elapsedMs() >= deadline)
            loop.quit();
    });
    check.start();
    if (waiting())
        loop.exec();
}

void CliSession::close() {
    interruptPoll_.stop();
    if (link_.RunDensty())
        link_.setRunDensty(false);
    if (link_.PortOpen())
        link_.setPortOpen(false);
}

void CliSession::wireEvents() {
    connect(&link_, &uclTqif::OnConnect, this,
            [this] { console_.line(LoadMessage(kMsgConnectionSuccessful), kConnectBlue); });
    connect(&link_, &uclTqif::ConnectRetry, this, [this](int count) {
        console_.line(LoadMessage(kMsgConnectSequence, {count}), Console::kGreen);
    });
    auto message = [this](const QString& text) { console_.line(text, kMessageBlue); };
    connect(&link_, &uclTqif::InstMessage, this, message);
    connect(&link_, &uclTqif::InterMessage, this, message);
    connect(&link_, &uclTqif::AlarmMessage, this, message);
    connect(&link_, &uclTqif::IrDAError, this, [this](int code) {
        if (code == 10048 || code == 10060)
            console_.line(LoadMessage(kMsgPortsErrorRestart), Console::kRed);
    });
}

} // namespace cli
