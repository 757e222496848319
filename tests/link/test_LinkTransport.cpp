// The serial transport's errors (it carries the end-to-end run over a
// pseudo-terminal in test_uclTqif.cpp), and the socket transport against a
// local TCP server.
#include "LinkHarness.h"

#include "link/SerialTransport.h"
#include "link/SocketTransport.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace linktest;

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
