// The socket transport: a TCP connection to a configured endpoint, standing
// in for the detector maker's infrared socket.
//
// - Availability: an endpoint (host and port) is configured.
// - open() starts connecting; the connection coming up is the peer appearing
//   (event 1020, peerConnected). A failure raises socketError (event 1021)
//   with a Winsock-style error code (10061 refused, 10060 timed out, 10054
//   reset by the peer, 10048 address in use, ...), so that the host can treat
//   codes as the infrared socket reports them.
// - The peer closing the connection is reported as an error 10054 and as
//   lineLost; the link then treats the line as down.
// - keepAlive() is called every 600 ms by the link. TCP needs no keep-alive
//   traffic; the call reconnects when the transport is open but has no
//   connection (the peer went away or was not there yet). Repeated failures
//   to connect are reported once until a connection succeeds again.
#pragma once

#include "link/LinkTransport.h"

#include <QTcpSocket>

class SocketTransport : public LinkTransport {
    Q_OBJECT
public:
    explicit SocketTransport(QObject* parent = nullptr);

    Kind kind() const override { return Kind::Socket; }
    QString describe() const override;

    void setEndpoint(const QString& host, quint16 port);
    QString host() const { return host_; }
    quint16 port() const { return port_; }

    bool isAvailable() const override { return !host_.isEmpty() && port_ != 0; }
    // Open means "wanted": a connection is made now and re-made by
    // keepAlive() whenever it is lost. Connected is reported separately.
    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    bool send(const QByteArray& bytes) override;

    bool hasWorkInFlight() const override;

    void keepAlive();
    // Bytes still waiting in the socket's send buffer.
    qint64 bytesToWrite() const { return socket_.bytesToWrite(); }

    // The Winsock-style number for a socket error.
    static int ErrorCode(QAbstractSocket::SocketError error);

private:
    void onConnected();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onReadyRead();

    QTcpSocket socket_;
    QString host_;
    quint16 port_ = 0;
    bool open_ = false;
    int lastReportedError_ = 0;
};
