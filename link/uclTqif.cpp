#include "link/uclTqif.h"

#include "link/Dumps.h"
#include "link/LinkClock.h"
#include "link/LinkTransport.h"
#include "link/Maintenance.h"
#include "link/ReadSequence.h"
#include "link/ResponseParser.h"
#include "link/SerialTransport.h"
#include "link/SocketTransport.h"
#include "link/WriteSequence.h"

#include "ProgramInfo.h"

#include <QCoreApplication>

namespace {

// Settings of the serial port until the host sets its own.
const char* const kDefaultSettings = "9600,n,8,1";
constexpr int kDefaultCommPort = 4;
// Link ticks between two keep-alive calls of the socket transport, less one.
constexpr int kKeepAliveTicks = 5;

} // namespace

uclTqif::uclTqif(QObject* parent)
    : QObject(parent), engine_(&log_), serial_(std::make_unique<SerialTransport>()),
      socket_(std::make_unique<SocketTransport>()),
      maintenance_(std::make_unique<Maintenance>(*this, context_)),
      dumps_(std::make_unique<Dumps>(*this, context_)) {
    // Every run's part of the serial log starts with the program and its version.
    log_.setHeading(QCoreApplication::applicationName() + QLatin1Char(' ') +
                    QLatin1String(kProgramVersion));
    engine_.setSender([this](const QByteArray& bytes) { return sendBytes(bytes); });
    engine_.setActivityHook([this] {
        if (clock_)
            clock_->noteActivity();
    });

    connect(&engine_, &FrameEngine::OnConnect, this, &uclTqif::OnConnect);
    connect(&engine_, &FrameEngine::ConnectRetry, this, &uclTqif::ConnectRetry);
    connect(&engine_, &FrameEngine::AlarmMessage, this, &uclTqif::AlarmMessage);
    connect(&engine_, &FrameEngine::LineDown, this, &uclTqif::LineDown);
    connect(&engine_, &FrameEngine::IrDAError, this, &uclTqif::IrDAError);
    connect(&engine_, &FrameEngine::StsTransmit, this, &uclTqif::StsTransmit);
    connect(&engine_, &FrameEngine::StsIdle, this, &uclTqif::StsIdle);
    connect(&engine_, &FrameEngine::statusChanged, this, &uclTqif::StatusChanged);

    serial_->setSettings(QString::fromLatin1(kDefaultSettings));
    setCommPort(kDefaultCommPort);
    wireTransport(serial_.get());
    wireTransport(socket_.get());

    setClock(nullptr);

    // Every answer but the connect answer goes through the command set; the
    // engine keeps its own copy of the commit flag for its callers.
    context_.Log = [this](const QString& line) { log_.write(line); };
    context_.Densty = [this](const std::array<float, 5>& v) {
        emit Densty(v[0], v[1], v[2], v[3], v[4]);
    };
    setResponseParser([this](const QString& frame) {
        const bool accepted = ParseResponse(frame, context_);
        engine_.setCommitDone(context_.CommitDone);
        return accepted;
    });
}

bool uclTqif::GetInstrument(clsInstrument* iObj) {
    return ::GetInstrument(*this, context_, iObj);
}

bool uclTqif::SetInstrument(clsInstrument* iObj) {
    return ::SetInstrument(*this, context_, iObj);
}

// --- Maintenance and dumps ---------------------------------------------------

bool uclTqif::GetRomNo(clsInstrument* iObj) {
    return maintenance_->GetRomNo(iObj);
}
bool uclTqif::GetGasInfo(clsInstrument* iObj) {
    return maintenance_->GetGasInfo(iObj);
}
bool uclTqif::GetAutoCalDensty(clsInstrument* iObj) {
    return maintenance_->GetAutoCalDensty(iObj);
}
bool uclTqif::GetLatestHistory(clsInstrument* iObj) {
    return maintenance_->GetLatestHistory(iObj);
}
bool uclTqif::GetLatestBumpHistory(clsInstrument* iObj) {
    return maintenance_->GetLatestBumpHistory(iObj);
}
bool uclTqif::SetDateTime(const QDateTime& vData) {
    return maintenance_->SetDateTime(vData);
}
bool uclTqif::SetCheckData() {
    return maintenance_->SetCheckData();
}
bool uclTqif::SetPump(bool Values) {
    return maintenance_->SetPump(Values);
}
bool uclTqif::SHWetDry(int isDry) {
    return maintenance_->SHWetDry(isDry);
}
bool uclTqif::SHOnOff(int Index, const std::function<void()>& progress) {
    return maintenance_->SHOnOff(Index, progress);
}
bool uclTqif::BodyDataClear() {
    return maintenance_->BodyDataClear();
}
bool uclTqif::PowerDataClear() {
    return maintenance_->PowerDataClear();
}
bool uclTqif::DefaultInstrument() {
    return maintenance_->DefaultInstrument();
}
bool uclTqif::BodyPowerOff() {
    return maintenance_->BodyPowerOff();
}
bool uclTqif::ZeroCal(const QString& GasFlag) {
    return maintenance_->ZeroCal(GasFlag);
}
bool uclTqif::ZeroStatus(int Index) const {
    return maintenance_->ZeroStatus(Index);
}
bool uclTqif::SpanCal(const QString& GasFlag) {
    return maintenance_->SpanCal(GasFlag);
}
bool uclTqif::SpanStatus(int Index) const {
    return maintenance_->SpanStatus(Index);
}
bool uclTqif::zCal(const QString& O2denst) {
    return maintenance_->zCal(O2denst);
}
bool uclTqif::RunDensty() const {
    return maintenance_->RunDensty();
}
void uclTqif::setRunDensty(bool run) {
    maintenance_->setRunDensty(run);
}
float uclTqif::FactCal(int Index) const {
    return maintenance_->FactCal(Index);
}
void uclTqif::setFactCal(int Index, float value) {
    maintenance_->setFactCal(Index, value);
}

bool uclTqif::GetBinDump(const QString& FileName, int FirstBlock, int LastBlock) {
    return dumps_->GetBinDump(FileName, FirstBlock, LastBlock);
}
int uclTqif::BinDumpNextBlock() const {
    return dumps_->BinDumpNextBlock();
}
bool uclTqif::GetRomDump2(const QString& FileNames) {
    return dumps_->GetRomDump2(FileNames);
}
QString uclTqif::BinDumpPath() const {
    return dumps_->BinDumpPath();
}
void uclTqif::setBinDumpPath(const QString& path) {
    dumps_->setBinDumpPath(path);
}

uclTqif::~uclTqif() {
    QObject::disconnect(tickConnection_);
    if (clock_ && busyCheckId_)
        clock_->removeBusyCheck(busyCheckId_);
    // The transports go before the engine they report to.
    if (injected_)
        injected_->disconnect(this);
    serial_->disconnect(this);
    socket_->disconnect(this);
}

// --- Transport choice --------------------------------------------------------

LinkTransport* uclTqif::currentTransport() const {
    if (injected_)
        return injected_;
    if (!serialComm_ && socket_->isAvailable())
        return socket_.get();
    return serial_.get();
}

void uclTqif::wireTransport(LinkTransport* transport) {
    connect(transport, &LinkTransport::bytesReceived, this,
            [this, transport](const QByteArray& bytes) { onBytes(transport, bytes); });
    connect(transport, &LinkTransport::lineStateChanged, this,
            [this, transport](bool cts, bool dsr) {
                if (transport == currentTransport())
                    engine_.onLineStatus(cts, dsr);
            });
    connect(transport, &LinkTransport::lineError, this, [this, transport](int code) {
        if (transport == currentTransport())
            engine_.onLineError(code);
    });
    connect(transport, &LinkTransport::peerConnected, this, [this, transport] {
        if (transport == currentTransport())
            engine_.onPeerConnected();
    });
    connect(transport, &LinkTransport::socketError, this, [this, transport](int code) {
        if (transport == currentTransport())
            engine_.onSocketError(code);
    });
    connect(transport, &LinkTransport::logNote, this,
            [this](const QString& text) { log_.write(text); });
    connect(transport, &LinkTransport::lineLost, this, [this, transport] {
        if (transport == currentTransport())
            engine_.onLineLost();
    });
}

void uclTqif::setTransport(LinkTransport* transport) {
    if (injected_ == transport)
        return;
    if (injected_)
        injected_->disconnect(this);
    injected_ = transport;
    if (injected_)
        wireTransport(injected_);
}

void uclTqif::onBytes(LinkTransport* from, const QByteArray& bytes) {
    if (from != currentTransport() || !from->isOpen())
        return;
    engine_.onDataReceived(bytes, from->kind() == LinkTransport::Kind::Socket);
}

bool uclTqif::sendBytes(const QByteArray& bytes) {
    LinkTransport* transport = currentTransport();
    return transport && transport->send(bytes);
}

void uclTqif::setCommPort(int number) {
    commPort_ = number;
    serial_->setPortName(SerialTransport::PortNameForNumber(number));
}

QString uclTqif::CommPortName() const {
    return serial_->portName();
}

void uclTqif::setCommPortName(const QString& name) {
    serial_->setPortName(name);
    // Keep the number in step where the name carries one ("COM7").
    commPort_ = 0;
    if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int number = name.mid(3).toInt(&ok);
        if (ok)
            commPort_ = number;
    }
}

void uclTqif::setSocketEndpoint(const QString& host, quint16 port) {
    socket_->setEndpoint(host, port);
}

bool uclTqif::setSocketEndpoint(const QString& endpoint) {
    const QString text = endpoint.trimmed();
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 65535 || host.isEmpty() || host.contains(QLatin1Char(' ')))
        return false;
    socket_->setEndpoint(host, static_cast<quint16>(port));
    return true;
}

QString uclTqif::SocketEndpoint() const {
    return socket_->isAvailable() ? socket_->describe() : QString();
}

bool uclTqif::PortOpen() const {
    const LinkTransport* transport = currentTransport();
    return transport && transport->isOpen();
}

void uclTqif::setPortOpen(bool open) {
    LinkTransport* transport = currentTransport();
    if (!transport)
        return;
    if (!open) {
        transport->close();
        return;
    }
    if (transport->isOpen())
        return;
    if (transport->open()) {
        lastPortError_.clear();
        pollTicks_ = kKeepAliveTicks;
    } else {
        lastPortError_ = transport->lastError();
        log_.write(lastPortError_);
    }
}

void uclTqif::setDTREnable(bool on) {
    dtrEnable_ = on;
    serial_->setDataTerminalReady(on);
}

void uclTqif::setRTSEnable(bool on) {
    rtsEnable_ = on;
    serial_->setRequestToSend(on);
}

void uclTqif::setHandshaking(int mode) {
    if (serial_->setHandshaking(mode))
        handshaking_ = mode;
}

QString uclTqif::Settings() const {
    return serial_->settings();
}

bool uclTqif::setSettings(const QString& settings) {
    if (serial_->setSettings(settings))
        return true;
    log_.write(serial_->lastError());
    return false;
}

// --- Time and waiting --------------------------------------------------------

void uclTqif::setClock(LinkClock* clock) {
    QObject::disconnect(tickConnection_);
    if (clock_ && busyCheckId_)
        clock_->removeBusyCheck(busyCheckId_);
    busyCheckId_ = 0;
    // The built-in wall clock exists only while it is the one in use, so
    // that a replaced clock's timer does not keep firing.
    if (clock) {
        clock_ = clock;
        ownClock_.reset();
    } else {
        if (!ownClock_)
            ownClock_ = std::make_unique<RealLinkClock>();
        clock_ = ownClock_.get();
    }
    waiter_.setClock(clock_);
    tickConnection_ = connect(clock_, &LinkClock::tick, this, &uclTqif::onTick);
    // Work of the transport in use that is still on its way holds a virtual
    // clock back.
    QPointer<uclTqif> self(this);
    busyCheckId_ = clock_->addBusyCheck([self] {
        const LinkTransport* transport = self ? self->currentTransport() : nullptr;
        return transport && transport->hasWorkInFlight();
    });
}

LinkClock* uclTqif::clock() const {
    return clock_;
}

void uclTqif::onTick() {
    // tmrDenst runs on the same clock, independently of tmrTimer.
    maintenance_->onTick();
    if (!timerEnabled_)
        return;
    LinkTransport* transport = currentTransport();
    // Modem lines first, so that a line change is acted upon in this tick.
    if (transport)
        transport->onTick();
    engine_.onTick();
    if (transport == socket_.get()) {
        // One keep-alive call every 600 ms.
        if (pollTicks_ < 1) {
            socket_->keepAlive();
            pollTicks_ = kKeepAliveTicks;
        } else {
            --pollTicks_;
        }
    }
}

bool uclTqif::acceptWait(LinkWaiter::Outcome outcome) {
    switch (outcome) {
    case LinkWaiter::Outcome::Finished:
        return true;
    case LinkWaiter::Outcome::Refused:
        log_.write(QStringLiteral("<<< Refused: another command is still waiting >>>"));
        return false;
    case LinkWaiter::Outcome::Abandoned:
        log_.write(QStringLiteral("<<< Wait abandoned: nothing could end it >>>"));
        return false;
    }
    return false;
}

bool uclTqif::waitWhileStatus(int status) {
    return acceptWait(waiter_.waitWhile([this, status] { return engine_.Status() == status; }));
}

bool uclTqif::waitWhile(const std::function<bool()>& keepWaiting) {
    return acceptWait(waiter_.waitWhile(keepWaiting));
}

bool uclTqif::waitMs(qint64 ms) {
    return acceptWait(waiter_.waitMs(ms));
}

LinkResult uclTqif::SendAndWait(const QString& commandText, int waitStatus,
                                const std::function<void()>& whileWaiting) {
    if (waiter_.isWaiting()) {
        acceptWait(LinkWaiter::Outcome::Refused);
        lastResult_ = LinkResult::Busy;
        return lastResult_;
    }
    engine_.setStatus(waitStatus);
    engine_.DataSend(BuildFrame(commandText, FrameEngine::EOT), true);
    const bool waited = waitWhile([&] {
        if (whileWaiting)
            whileWaiting();
        return engine_.Status() == waitStatus;
    });
    const int status = engine_.Status();
    if (!waited && status == waitStatus)
        lastResult_ = LinkResult::TimedOut; // abandoned: nothing could end the wait
    else if (status == kStatusDone)
        lastResult_ = LinkResult::Done;
    else if (status == kStatusCancelled || Cancel())
        lastResult_ = LinkResult::Cancelled;
    else if (engine_.LastFailure() != LinkResult::Done)
        lastResult_ = engine_.LastFailure();
    else
        lastResult_ = LinkResult::Refused;
    return lastResult_;
}

void uclTqif::setResponseParser(FrameEngine::ResponseParser parser) {
    engine_.setResponseParser(std::move(parser));
}

void uclTqif::setBinarySink(FrameEngine::BinarySink sink) {
    engine_.setBinarySink(std::move(sink));
}
