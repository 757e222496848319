// The tq7350-sim program end to end: a real pseudo-terminal, the TCP port
// and the reference image generator.
#include "common/TestSupport.h"
#include "sim/CheckPattern.h"
#include "sim/SimProtocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>

#ifdef Q_OS_LINUX // the emulator's pseudo-terminal
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif // Q_OS_LINUX

namespace {

QString Program() {
    return QStringLiteral(TQ_BINARY_DIR "/tq7350-sim");
}

// Starts the program and returns the first line it prints.
QString StartAndReadLine(QProcess& p, const QStringList& args) {
    p.start(Program(), args);
    if (!p.waitForStarted(5000))
        return {};
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < 5000)
        p.waitForReadyRead(100);
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

#ifdef Q_OS_LINUX // the emulator's pseudo-terminal
// Sends a request on fd and reads until `enough` holds or 5 s passed.
QByteArray Exchange(int fd, const QByteArray& text,
                    const std::function<bool(const QByteArray&)>& enough) {
    const QByteArray req = simproto::BuildRequest(text);
    if (::write(fd, req.constData(), size_t(req.size())) != ssize_t(req.size()))
        return {};
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!enough(got) && t.elapsed() < 5000) {
        pollfd pf{fd, POLLIN, 0};
        if (::poll(&pf, 1, 50) > 0 && (pf.revents & POLLIN)) {
            char buf[1024];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
        }
    }
    return got;
}
#endif // Q_OS_LINUX

} // namespace

#ifdef Q_OS_LINUX // the emulator's pseudo-terminal
TEST(SimProgram, AnswersOnAPseudoTerminal) {
    ASSERT_TRUE(QFileInfo::exists(Program())) << Program().toStdString();
    testsupport::ScratchDir dir;
    const QString link = dir.file(QStringLiteral("tq7350"));
    QProcess p;
    const QString path =
        StartAndReadLine(p, {QStringLiteral("--pty"), QStringLiteral("--link"), link});
    ASSERT_TRUE(path.startsWith(QLatin1String("/dev/"))) << path.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), path);

    // A client that leaves its answer unread and goes away.
    {
        const int fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        const QByteArray req = simproto::BuildRequest("GJ,R,");
        ASSERT_EQ(::write(fd, req.constData(), size_t(req.size())), ssize_t(req.size()));
        pollfd pf{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&pf, 1, 5000), 1); // the answer is there
        ::close(fd);
        ::usleep(100 * 1000); // the emulator notices the close
    }
    // Twice, closing and reopening in between: the next clients get their
    // own answers only, not the leftover.
    for (int round = 0; round < 2; ++round) {
        const int fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        const QByteArray ans = Exchange(fd, "RC,R,", [](const QByteArray& got) {
            return got.endsWith(simproto::EOT) || got.endsWith(simproto::ETB);
        });
        EXPECT_TRUE(ans.startsWith("\x02"
                                   "0001RC,R,"))
            << round << " " << simproto::Render(ans).toStdString();
        // CR in an answer must arrive unchanged: the terminal is raw. A
        // raw block carries every byte value.
        const QByteArray block =
            Exchange(fd, "EP,R,0000", [](const QByteArray& got) { return got.size() >= 512; });
        EXPECT_EQ(block.size(), 512)
            << round << " " << simproto::Render(block.left(40)).toStdString();
        ::close(fd);
    }
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo(link).isSymLink()); // removed on exit
}
#endif // Q_OS_LINUX

TEST(SimProgram, AnswersOnTcpAndSavesState) {
    testsupport::ScratchDir dir;
    const QString state = dir.file(QStringLiteral("state.json"));
    QProcess p;
    const QString where = StartAndReadLine(
        p, {QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--state"), state,
            QStringLiteral("--commit-polls"), QStringLiteral("0")});
    ASSERT_TRUE(where.startsWith(QLatin1String("127.0.0.1:"))) << where.toStdString();
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"),
                    quint16(where.section(QLatin1Char(':'), 1).toUInt()));
    ASSERT_TRUE(s.waitForConnected(5000));
    auto ask = [&s](const QByteArray& text) {
        s.write(simproto::BuildRequest(text));
        s.flush();
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (!got.endsWith(simproto::EOT) && t.elapsed() < 5000)
            if (s.waitForReadyRead(100))
                got += s.readAll();
        return got;
    };
    EXPECT_TRUE(ask("RC,R,").contains("TQ-7350"));
    ask("BS,W,SP-TCP    ");
    ask("DW,W,");
    EXPECT_EQ(ask("DW,C,").at(10), simproto::ACK);
    s.disconnectFromHost();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_TRUE(testsupport::ReadAll(state).contains("\"specNo\": \"SP-TCP\""));
}

TEST(SimProgram, WritesTheReferenceImage) {
    testsupport::ScratchDir dir;
    const QString img = dir.file(QStringLiteral("TQ7350_Check.DAT"));
    QProcess p;
    p.start(Program(), {QStringLiteral("--write-check-image"), img});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(testsupport::ReadAll(img), CheckImage());
}
