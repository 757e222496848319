#include "link/SerialTransport.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

// --- Settings string ---------------------------------------------------------

bool SerialSettings::Parse(const QString& text, SerialSettings* out, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return fail(QStringLiteral("Serial settings \"%1\": expected four fields "
                                   "\"baud,parity,data bits,stop bits\" such as \"921600,n,8,1\"")
                        .arg(text));
    SerialSettings parsed;

    bool ok = false;
    const QString baudText = fields.at(0).trimmed();
    const qlonglong baud = baudText.toLongLong(&ok);
    if (!ok || baud <= 0 || baud > 0x7FFFFFFF)
        return fail(QStringLiteral("Serial settings \"%1\": baud rate \"%2\" is not a positive "
                                   "whole number")
                        .arg(text, baudText));
    parsed.baudRate = static_cast<qint32>(baud);

    const QString parityText = fields.at(1).trimmed().toLower();
    if (parityText == QLatin1String("n"))
        parsed.parity = QSerialPort::NoParity;
    else if (parityText == QLatin1String("e"))
        parsed.parity = QSerialPort::EvenParity;
    else if (parityText == QLatin1String("o"))
        parsed.parity = QSerialPort::OddParity;
    else if (parityText == QLatin1String("m"))
        parsed.parity = QSerialPort::MarkParity;
    else if (parityText == QLatin1String("s"))
        parsed.parity = QSerialPort::SpaceParity;
    else
        return fail(QStringLiteral("Serial settings \"%1\": parity \"%2\" is not one of n, e, o, "
                                   "m, s")
                        .arg(text, fields.at(1).trimmed()));

    const QString dataText = fields.at(2).trimmed();
    const int dataBits = dataText.toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return fail(QStringLiteral("Serial settings \"%1\": data bits \"%2\" must be 5, 6, 7 or 8")
                        .arg(text, dataText));
    parsed.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stopText = fields.at(3).trimmed();
    if (stopText == QLatin1String("1"))
        parsed.stopBits = QSerialPort::OneStop;
    else if (stopText == QLatin1String("1.5"))
        parsed.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopText == QLatin1String("2"))
        parsed.stopBits = QSerialPort::TwoStop;
    else
        return fail(QStringLiteral("Serial settings \"%1\": stop bits \"%2\" must be 1, 1.5 or 2")
                        .arg(text, stopText));

    if (out)
        *out = parsed;
    return true;
}

QString SerialSettings::toString() const {
    QChar parityChar = QLatin1Char('n');
    switch (parity) {
    case QSerialPort::EvenParity:
        parityChar = QLatin1Char('e');
        break;
    case QSerialPort::OddParity:
        parityChar = QLatin1Char('o');
        break;
    case QSerialPort::MarkParity:
        parityChar = QLatin1Char('m');
        break;
    case QSerialPort::SpaceParity:
        parityChar = QLatin1Char('s');
        break;
    default:
        break;
    }
    QString stop = QStringLiteral("1");
    if (stopBits == QSerialPort::OneAndHalfStop)
        stop = QStringLiteral("1.5");
    else if (stopBits == QSerialPort::TwoStop)
        stop = QStringLiteral("2");
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(parityChar)
        .arg(static_cast<int>(dataBits))
        .arg(stop);
}

// --- Transport ---------------------------------------------------------------

SerialTransport::SerialTransport(QObject* parent) : LinkTransport(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialTransport::onPortError);
}

SerialTransport::~SerialTransport() {
    probing_ = true;
    port_.close();
}

QString SerialTransport::PortNameForNumber(int number) {
    if (number < 1)
        return QString();
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

bool SerialTransport::setSettings(const QString& text) {
    SerialSettings parsed;
    QString error;
    if (!SerialSettings::Parse(text, &parsed, &error)) {
        setLastError(error);
        return false;
    }
    settings_ = parsed;
    if (port_.isOpen()) {
        bool ok = port_.setBaudRate(settings_.baudRate);
        ok = port_.setParity(settings_.parity) && ok;
        ok = port_.setDataBits(settings_.dataBits) && ok;
        ok = port_.setStopBits(settings_.stopBits) && ok;
        if (!ok) {
            setLastError(QStringLiteral("Port %1 refused the settings \"%2\": %3")
                             .arg(portName_, text, port_.errorString()));
            return false;
        }
    }
    return true;
}

void SerialTransport::setDataTerminalReady(bool on) {
    dtr_ = on;
    applyLines();
}

void SerialTransport::setRequestToSend(bool on) {
    rts_ = on;
    applyLines();
}

bool SerialTransport::setHandshaking(int mode) {
    if (mode < 0 || mode > 3)
        return false;
    handshaking_ = mode;
    if (port_.isOpen()) {
        probing_ = true;
        port_.setFlowControl(mode == 0   ? QSerialPort::NoFlowControl
                             : mode == 1 ? QSerialPort::SoftwareControl
                                         : QSerialPort::HardwareControl);
        port_.clearError();
        probing_ = false;
        applyLines();
    }
    return true;
}

void SerialTransport::applyLines() {
    if (!port_.isOpen() || !hasModemLines_)
        return;
    probing_ = true;
    port_.setDataTerminalReady(dtr_);
    // With RTS/CTS handshaking the port drives RTS itself.
    if (port_.flowControl() != QSerialPort::HardwareControl)
        port_.setRequestToSend(rts_);
    port_.clearError();
    probing_ = false;
}

bool SerialTransport::open() {
    if (port_.isOpen())
        return true;
    if (portName_.isEmpty()) {
        setLastError(QStringLiteral("No serial port is configured"));
        return false;
    }
    port_.setPortName(portName_);
    port_.setBaudRate(settings_.baudRate);
    port_.setParity(settings_.parity);
    port_.setDataBits(settings_.dataBits);
    port_.setStopBits(settings_.stopBits);
    port_.setFlowControl(handshaking_ == 0   ? QSerialPort::NoFlowControl
                         : handshaking_ == 1 ? QSerialPort::SoftwareControl
                                             : QSerialPort::HardwareControl);
    probing_ = true;
    const bool opened = port_.open(QIODevice::ReadWrite);
    const QSerialPort::SerialPortError error = port_.error();
    const QString reason = port_.errorString();
    port_.clearError();
    probing_ = false;
    if (!opened) {
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            setLastError(QStringLiteral("Port %1 does not exist").arg(portName_));
            break;
        case QSerialPort::PermissionError:
            setLastError(QStringLiteral("Port %1 is in use by another program or access to it is "
                                        "denied (%2)")
                             .arg(portName_, reason));
            break;
        default:
            setLastError(QStringLiteral("Port %1 could not be opened (%2)").arg(portName_, reason));
            break;
        }
        return false;
    }
    setLastError(QString());

    // Does the device have modem lines at all? A pseudo-terminal refuses
    // the pin query; it then counts as line up for as long as it is open.
    probing_ = true;
    port_.pinoutSignals();
    hasModemLines_ = (port_.error() == QSerialPort::NoError);
    port_.clearError();
    probing_ = false;
    cts_ = false;
    dsr_ = false;
    if (hasModemLines_) {
        applyLines();
        emit logNote(QStringLiteral("Port %1 opened (%2)").arg(portName_, settings()));
        pollLines();
    } else {
        emit logNote(QStringLiteral("Port %1 opened (%2); the device has no modem lines, the line "
                                    "counts as up")
                         .arg(portName_, settings()));
        cts_ = true;
        dsr_ = true;
        emit lineStateChanged(true, true);
    }
    return true;
}

void SerialTransport::close() {
    if (port_.isOpen()) {
        probing_ = true;
        port_.close();
        port_.clearError();
        probing_ = false;
    }
    cts_ = false;
    dsr_ = false;
}

bool SerialTransport::send(const QByteArray& bytes) {
    if (!port_.isOpen())
        return false;
    if (port_.write(bytes) != bytes.size())
        return false;
    // Push the bytes out now rather than on the next pass of the event loop.
    port_.flush();
    return true;
}

void SerialTransport::onTick() {
    if (port_.isOpen() && hasModemLines_)
        pollLines();
}

void SerialTransport::pollLines() {
    probing_ = true;
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    const bool failed = port_.error() != QSerialPort::NoError;
    port_.clearError();
    probing_ = false;
    if (failed)
        return;
    const bool cts = pins.testFlag(QSerialPort::ClearToSendSignal);
    const bool dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
    if (cts == cts_ && dsr == dsr_)
        return;
    cts_ = cts;
    dsr_ = dsr;
    emit lineStateChanged(cts, dsr);
}

void SerialTransport::onReadyRead() {
    readErrors_ = 0;
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}

bool SerialTransport::deviceHungUp() const {
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(port_.handle());
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void SerialTransport::portLost(const QString& reason) {
    // Closed outside the port's own signal; the line is then down.
    if (lossPending_)
        return;
    lossPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            lossPending_ = false;
            if (!port_.isOpen())
                return;
            const bool wasUp = cts_ || dsr_;
            emit logNote(QStringLiteral("Port %1 lost (%2)").arg(portName_, reason));
            close();
            if (wasUp)
                emit lineStateChanged(false, false);
        },
        Qt::QueuedConnection);
}

void SerialTransport::onPortError(QSerialPort::SerialPortError error) {
    if (probing_ || error == QSerialPort::NoError)
        return;
    if (error != QSerialPort::ReadError)
        readErrors_ = 0;
    switch (error) {
    case QSerialPort::ResourceError:
        portLost(port_.errorString());
        break;
    case QSerialPort::ReadError:
        // A device whose other end hung up reports end of input as a read
        // error at every turn of the event loop: that is a lost port, not a
        // stream of line errors.
        if (lossPending_)
            break;
        if (deviceHungUp() || ++readErrors_ > kReadErrorsBeforeLoss) {
            portLost(QStringLiteral("hung up"));
            break;
        }
        emit lineError(OverrunError);
        break;
    case QSerialPort::WriteError:
        emit lineError(SendBufferFullError);
        break;
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::UnknownError:
        if (port_.isOpen())
            emit lineError(DeviceControlError);
        break;
    default:
        break;
    }
}
