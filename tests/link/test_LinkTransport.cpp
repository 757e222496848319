// The serial transport over a real pseudo-terminal, and the socket transport
// against a local TCP server.
#include "LinkHarness.h"

#include "link/SerialTransport.h"
#include "link/SocketTransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using namespace linktest;

namespace {

// The master side of a pseudo-terminal; the transport opens the slave.
class PtyMaster {
public:
    PtyMaster() {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd_ >= 0 && grantpt(fd_) == 0 && unlockpt(fd_) == 0)
            slave_ = QString::fromLocal8Bit(ptsname(fd_));
    }
    ~PtyMaster() { close(); }
    bool ok() const { return fd_ >= 0 && !slave_.isEmpty(); }
    QString slavePath() const { return slave_; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    void write(const QByteArray& bytes) {
        ASSERT_EQ(::write(fd_, bytes.constData(), size_t(bytes.size())), bytes.size());
    }
    // Reads what the slave side wrote, waiting up to `ms` for `count` bytes.
    QByteArray read(int count, int ms = 2000) {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (out.size() < count && t.elapsed() < ms) {
            QCoreApplication::processEvents(); // lets the port flush its buffer
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buffer[4096];
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0)
                    out.append(buffer, int(n));
            }
        }
        return out;
    }

private:
    int fd_ = -1;
    QString slave_;
};

// Runs the event loop (real time) until `done` or `ms` passed.
template <class F> bool RunUntil(F done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

TEST(SerialTransportTest, PseudoTerminalCountsAsLineUpAndCarriesBytes) {
    PtyMaster master;
    ASSERT_TRUE(master.ok());
    SerialTransport port;
    port.setPortName(master.slavePath());
    ASSERT_TRUE(port.setSettings(QStringLiteral("921600,n,8,1")));
    port.setDataTerminalReady(true);
    port.setRequestToSend(true);
    ASSERT_TRUE(port.setHandshaking(2));
    EXPECT_FALSE(port.setHandshaking(4));
    QSignalSpy lines(&port, &LinkTransport::lineStateChanged);
    QSignalSpy notes(&port, &LinkTransport::logNote);
    QSignalSpy errors(&port, &LinkTransport::lineError);
    QSignalSpy received(&port, &LinkTransport::bytesReceived);

    ASSERT_TRUE(port.open()) << port.lastError().toStdString();
    EXPECT_FALSE(port.hasModemLines());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0][0].toBool(), true);
    EXPECT_EQ(lines[0][1].toBool(), true);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0][0].toString().contains(master.slavePath()));
    EXPECT_TRUE(notes[0][0].toString().contains(QStringLiteral("no modem lines")));

    // Refused modem-line calls on such a device are not line errors.
    port.setDataTerminalReady(false);
    port.setRequestToSend(false);
    port.onTick();
    EXPECT_EQ(errors.size(), 0);
    EXPECT_EQ(lines.size(), 1);

    // Bytes both ways, control characters and all.
    const QByteArray frame = FrameEngine::BuildFrame(QStringLiteral("RC,R,"), 4).toLatin1();
    EXPECT_TRUE(port.send(frame));
    EXPECT_EQ(master.read(frame.size()), frame);
    const QByteArray answer = BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350"));
    master.write(answer);
    QByteArray got;
    ASSERT_TRUE(RunUntil([&] {
        while (!received.isEmpty())
            got += received.takeFirst()[0].toByteArray();
        return got.size() >= answer.size();
    }));
    EXPECT_EQ(got, answer);

    // A second user of the port is refused, with the port named.
    SerialTransport second;
    second.setPortName(master.slavePath());
    EXPECT_FALSE(second.open());
    EXPECT_TRUE(second.lastError().contains(master.slavePath()))
        << second.lastError().toStdString();
    EXPECT_TRUE(second.lastError().contains(QStringLiteral("in use")));

    // The other end going away closes the port and takes the line down.
    master.close();
    ASSERT_TRUE(RunUntil([&] { return !port.isOpen(); }));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1][0].toBool(), false);
    EXPECT_EQ(lines[1][1].toBool(), false);
    EXPECT_TRUE(notes.last()[0].toString().contains(QStringLiteral("lost")));
    EXPECT_FALSE(port.send("x"));
}

TEST(SerialTransportTest, MissingPortAndBadSettingsAreExplained) {
    SerialTransport port;
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.lastError().isEmpty());
    port.setPortName(QStringLiteral("/dev/tq7350-no-such-port"));
    EXPECT_FALSE(port.open());
    EXPECT_TRUE(port.lastError().contains(QStringLiteral("/dev/tq7350-no-such-port")));
    EXPECT_TRUE(port.lastError().contains(QStringLiteral("does not exist")));
    ASSERT_TRUE(port.setSettings(QStringLiteral("115200,e,7,2")));
    EXPECT_FALSE(port.setSettings(QStringLiteral("115200,q,7,2")));
    EXPECT_TRUE(port.lastError().contains(QStringLiteral("parity")));
    EXPECT_EQ(port.settings(), QStringLiteral("115200,e,7,2"));
#ifndef Q_OS_WIN
    EXPECT_EQ(SerialTransport::PortNameForNumber(1), QStringLiteral("/dev/ttyS0"));
#endif
    EXPECT_EQ(SerialTransport::PortNameForNumber(0), QString());
}

TEST(SocketTransportTest, PeerErrorsAndReconnect) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> peers;
    QByteArray heard;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            peers << s;
            QObject::connect(s, &QTcpSocket::readyRead, [&, s] {
                const QByteArray bytes = s->readAll();
                heard += bytes;
                const QString command = CommandOf(bytes);
                if (command == QLatin1String("RC,R,"))
                    s->write(BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350")));
                else if (command == QLatin1String("AA,R,"))
                    s->write(BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("42")));
                s->flush();
            });
        }
    });

    Rig rig;
    rig.link.setTransport(nullptr);
    rig.link.setSerialComm(false);
    EXPECT_EQ(rig.link.currentTransport(), &rig.link.serialTransport()); // no endpoint yet
    EXPECT_FALSE(rig.link.setSocketEndpoint(QStringLiteral("localhost")));
    EXPECT_FALSE(rig.link.setSocketEndpoint(QStringLiteral("localhost:0")));
    ASSERT_TRUE(
        rig.link.setSocketEndpoint(QStringLiteral("127.0.0.1:%1").arg(server.serverPort())));
    EXPECT_EQ(rig.link.currentTransport(), &rig.link.socketTransport());
    rig.link.setSerialComm(true);
    EXPECT_EQ(rig.link.currentTransport(), &rig.link.serialTransport());
    rig.link.setSerialComm(false);
    // The server's own sending is work in flight too.
    const int busy = rig.clock.addBusyCheck([&] {
        for (QTcpSocket* s : peers)
            if (s->bytesToWrite() > 0)
                return true;
        return false;
    });

    QList<int> errors;
    int lineDowns = 0;
    int connects = 0;
    QObject::connect(&rig.link, &uclTqif::IrDAError, [&](int code) { errors << code; });
    QObject::connect(&rig.link, &uclTqif::LineDown, [&] { ++lineDowns; });
    QObject::connect(&rig.link, &uclTqif::OnConnect, [&] { ++connects; });
    int idles = 0;
    QObject::connect(&rig.link, &uclTqif::StsIdle, [&] { ++idles; });

    rig.link.setPortOpen(true);
    ASSERT_TRUE(rig.link.waitWhile([&] { return !rig.link.Connected(); }));
    EXPECT_EQ(connects, 1);
    EXPECT_GE(idles, 1); // socket receive events end with StsIdle
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::Done);
    EXPECT_TRUE(heard.contains("AA,R,"));
    EXPECT_TRUE(rig.logEntries().join(QLatin1Char('|')).contains(QStringLiteral("Conneted")));

    // The peer leaves: an error 10054, the line is down.
    ASSERT_EQ(peers.size(), 1);
    peers[0]->disconnectFromHost();
    ASSERT_TRUE(rig.link.waitWhile([&] { return lineDowns == 0; }));
    EXPECT_EQ(errors, QList<int>({10054}));
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_TRUE(rig.logEntries().join(QLatin1Char('|')).contains(QStringLiteral("Soket Error[")));

    // Keep-alive brings the connection back and polling finds the detector again.
    ASSERT_TRUE(rig.link.waitWhile([&] { return connects < 2; }));
    EXPECT_EQ(peers.size(), 2);

    // A refused endpoint reports once, not at every reconnect attempt.
    server.close();
    for (QTcpSocket* s : peers)
        s->abort();
    errors.clear();
    rig.clock.removeBusyCheck(busy);
    ASSERT_TRUE(rig.link.waitMs(5000));
    EXPECT_EQ(errors.count(10061), 1) << errors.size();
}
