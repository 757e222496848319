// Ways to reach the emulated detector from outside the process: a
// pseudo-terminal (stands in for the serial port of the IrDA adapter) and a
// TCP port on 127.0.0.1 (stands in for the IrDA socket).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;
class SimDetector;

// Creates a pseudo-terminal pair, puts the terminal side in raw mode and
// relays bytes between its master side and the detector. Linux only:
// elsewhere open() fails with a message that says so.
class SimPty : public QObject {
    Q_OBJECT
public:
    explicit SimPty(SimDetector* detector, QObject* parent = nullptr);
    ~SimPty() override;

    // Opens the pair; false with a message on failure.
    bool open(QString* error = nullptr);
    // Device path of the terminal side ("/dev/pts/N"); empty before open().
    QString devicePath() const { return path_; }
    // Creates (or replaces) a symbolic link to the device; removed again by
    // the destructor.
    bool makeLink(const QString& linkPath, QString* error = nullptr);

private:
    void onReadable();
    void onWritable();
    void send(const QByteArray& bytes);
    void dropLeftovers();

    SimDetector* det_;
    int master_ = -1;
    int slave_ = -1;   // kept open so the master never sees a hang-up
    int inotify_ = -1; // reports clients opening the terminal side
    QString path_, link_;
    QSocketNotifier* readN_ = nullptr;
    QSocketNotifier* writeN_ = nullptr;
    QSocketNotifier* openN_ = nullptr;
    QTimer* retry_ = nullptr;
    QByteArray pendingOut_;
};

// Listens on 127.0.0.1:port; one peer at a time (a new peer replaces the
// old one). A connected peer is the detector appearing in front of the
// adapter; a power-off closes the connection.
class SimTcpServer : public QObject {
    Q_OBJECT
public:
    explicit SimTcpServer(SimDetector* detector, QObject* parent = nullptr);
    bool listen(quint16 port, QString* error = nullptr);
    quint16 port() const;

private:
    void onNewConnection();

    SimDetector* det_;
    QTcpServer* server_;
    QPointer<QTcpSocket> peer_;
};
