#include "link/SocketTransport.h"

SocketTransport::SocketTransport(QObject* parent) : LinkTransport(parent) {
    connect(&socket_, &QTcpSocket::connected, this, &SocketTransport::onConnected);
    connect(&socket_, &QTcpSocket::disconnected, this, &SocketTransport::onDisconnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &SocketTransport::onError);
    connect(&socket_, &QTcpSocket::readyRead, this, &SocketTransport::onReadyRead);
}

QString SocketTransport::describe() const {
    if (host_.contains(QLatin1Char(':')))
        return QStringLiteral("[%1]:%2").arg(host_).arg(port_);
    return QStringLiteral("%1:%2").arg(host_).arg(port_);
}

void SocketTransport::setEndpoint(const QString& host, quint16 port) {
    host_ = host;
    port_ = port;
}

bool SocketTransport::open() {
    if (!isAvailable()) {
        setLastError(QStringLiteral("No socket endpoint is configured"));
        return false;
    }
    open_ = true;
    lastReportedError_ = 0;
    if (socket_.state() == QAbstractSocket::UnconnectedState)
        socket_.connectToHost(host_, port_);
    return true;
}

void SocketTransport::close() {
    open_ = false;
    socket_.abort();
}

bool SocketTransport::send(const QByteArray& bytes) {
    if (!isConnected())
        return false;
    if (socket_.write(bytes) != bytes.size())
        return false;
    socket_.flush();
    return true;
}

bool SocketTransport::hasWorkInFlight() const {
    const QAbstractSocket::SocketState state = socket_.state();
    return state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState ||
           socket_.bytesToWrite() > 0;
}

void SocketTransport::keepAlive() {
    if (open_ && socket_.state() == QAbstractSocket::UnconnectedState)
        socket_.connectToHost(host_, port_);
}

int SocketTransport::ErrorCode(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return kConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10050;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    default:
        return 10000;
    }
}

void SocketTransport::onConnected() {
    lastReportedError_ = 0;
    setLastError(QString());
    emit logNote(QStringLiteral("Socket %1 connected").arg(describe()));
    emit peerConnected();
}

void SocketTransport::onDisconnected() {
    if (open_)
        emit lineLost();
}

void SocketTransport::onError(QAbstractSocket::SocketError error) {
    const int code = ErrorCode(error);
    setLastError(QStringLiteral("Socket %1: %2").arg(describe(), socket_.errorString()));
    if (!open_)
        return;
    // A peer that is not there keeps failing at every reconnect; say so once.
    if (code == lastReportedError_ && error != QAbstractSocket::RemoteHostClosedError)
        return;
    lastReportedError_ = code;
    emit socketError(code);
}

void SocketTransport::onReadyRead() {
    const QByteArray bytes = socket_.readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}
