// The byte pipe between the link and the detector. The link only ever sees
// this interface; the serial port, the TCP socket that stands in for the
// infrared socket, and the in-memory pair used by tests implement it.
//
// Every signal is delivered from the event loop, never from inside send():
// a transport must not call back into the link while the link is sending.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class LinkTransport : public QObject {
    Q_OBJECT
public:
    // Line errors, numbered as the serial communications control numbers
    // its events. The link logs and counts each one.
    enum LineError {
        BreakError = 1001,
        FramingError = 1004,
        OverrunError = 1006,
        ReceiveOverflowError = 1008,
        ParityError = 1009,
        SendBufferFullError = 1010,
        DeviceControlError = 1011,
    };

    // The socket error code of a connection nobody accepted.
    static constexpr int kConnectionRefused = 10061;

    // Event codes of the socket transport.
    enum SocketEvent {
        SocketDataEvent = 2,
        PeerConnectedEvent = 1020,
        SocketErrorEvent = 1021,
    };

    enum class Kind { Serial, Socket, InMemory };

    explicit LinkTransport(QObject* parent = nullptr) : QObject(parent) {}

    virtual Kind kind() const = 0;
    // A short name for log lines ("/dev/ttyUSB0", "127.0.0.1:7350").
    virtual QString describe() const = 0;

    // Opening never raises; false leaves the reason in lastError().
    [[nodiscard]] virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Hands the bytes over for sending. False when the transport is closed or
    // refused them.
    [[nodiscard]] virtual bool send(const QByteArray& bytes) = 0;

    // Called at every link tick (modem-line polling, keep-alive).
    virtual void onTick() {}

    // True while bytes or a connection are on their way and will show up as
    // an event soon (a virtual clock waits for them before moving on).
    virtual bool hasWorkInFlight() const { return false; }

    // Whether the transport can be used at all (the socket transport's
    // availability query; true for the others).
    virtual bool isAvailable() const { return true; }

    QString lastError() const { return lastError_; }

signals:
    // Bytes that arrived, in order.
    void bytesReceived(const QByteArray& bytes);
    // CTS and DSR as the adapter reports them; raised when either changes.
    void lineStateChanged(bool cts, bool dsr);
    // A line error (LineError code).
    void lineError(int code);
    // Socket transport: the peer appeared (event 1020).
    void peerConnected();
    // The other end went away for good (the socket's peer closed the
    // connection); the link treats the line as down. Transports with modem
    // lines report a lost line through lineStateChanged(false, false).
    void lineLost();
    // Socket transport: an error with its error code (event 1021).
    void socketError(int code);
    // A note for the serial log (port opened, no modem lines, lost port...).
    void logNote(const QString& text);

protected:
    void setLastError(const QString& text) { lastError_ = text; }

private:
    QString lastError_;
};
