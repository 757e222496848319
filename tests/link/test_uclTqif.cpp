// The link end to end: the tq7350-sim program on a pseudo-terminal, the
// link on the serial transport and the wall clock.
#include "LinkHarness.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace linktest;

TEST(EmulatorLink, EndToEndOverAPseudoTerminal) {
    const QString program = QStringLiteral(TQ_BINARY_DIR "/tq7350-sim");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "tq7350-sim is not built (build the tq7350-sim target)";
    QProcess sim;
    sim.start(program, {QStringLiteral("--pty")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QString path;
    QElapsedTimer t;
    t.start();
    while (path.isEmpty() && t.elapsed() < 5000) {
        sim.waitForReadyRead(100);
        path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    ASSERT_TRUE(path.startsWith(QStringLiteral("/dev/"))) << path.toStdString();

    testsupport::ScratchDir dir;
    uclTqif link;
    link.setLogFolder(dir.path());
    link.setTimeout(2);
    link.setRetry(3);
    QStringList frames;
    link.setResponseParser([&](const QString& frame) {
        frames << frame;
        return frame.size() >= 15;
    });
    link.setSerialComm(true);
    link.setCommPortName(path);
    ASSERT_TRUE(link.setSettings(QStringLiteral("921600,n,8,1")));
    EXPECT_FALSE(link.setSettings(QStringLiteral("921600,n,8")));
    link.setHandshaking(2);
    link.setRTSEnable(true);
    link.setDTREnable(true);
    link.setPortOpen(true);
    ASSERT_TRUE(link.PortOpen()) << link.LastPortError().toStdString();
    // A pseudo-terminal has no modem lines: the line counts as up at once,
    // and the log says so.
    EXPECT_EQ(link.LinkState(), 2);
    EXPECT_TRUE(testsupport::ReadAll(link.serialLog().filePath()).contains("no modem lines"));
    ASSERT_TRUE(link.waitWhile([&] { return !link.Connected() && link.LinkState() != 0; }));
    ASSERT_TRUE(link.Connected());
    // Modem-line calls the device refuses are no line errors.
    link.setDTREnable(false);
    link.setRTSEnable(false);
    EXPECT_EQ(link.engine().LineErrorCount(), 0);

    // A second link on the same port stays closed and says why in its log.
    {
        uclTqif other;
        testsupport::ScratchDir otherDir;
        other.setLogFolder(otherDir.path());
        other.setSerialComm(true);
        other.setCommPortName(path);
        other.setPortOpen(true);
        EXPECT_FALSE(other.PortOpen());
        EXPECT_TRUE(other.LastPortError().contains(path));
        EXPECT_TRUE(other.LastPortError().contains(QStringLiteral("in use")));
        EXPECT_TRUE(
            QString::fromUtf8(testsupport::ReadAll(other.serialLog().filePath())).contains(path));
    }

    EXPECT_EQ(link.SendAndWait(QStringLiteral("VP,R,"), 4), LinkResult::Done);
    EXPECT_EQ(link.SendAndWait(QStringLiteral("GJ,R,"), 4), LinkResult::Done);
    EXPECT_EQ(frames.size(), 2);
    link.setStatus(3);
    link.DataSend(uclTqif::BuildFrame(QStringLiteral("EF,R,")), true);
    ASSERT_TRUE(link.waitWhileStatus(3));
    EXPECT_EQ(link.Status(), 6);
    EXPECT_GT(frames.size(), 3);

    // A raw block, every byte value, arriving in pieces.
    QByteArray block;
    link.setBinarySink([&](const QByteArray& bytes) {
        block += bytes;
        if (block.size() >= 512)
            link.setStatus(6);
    });
    link.DataSend(uclTqif::BuildFrame(QStringLiteral("EP,R,0000")), true);
    link.setStatus(9);
    ASSERT_TRUE(link.waitWhile([&] { return link.Status() == 9 && !link.Cancel(); }));
    EXPECT_EQ(block.size(), 512);

    // The emulator going away takes the line down.
    int lineDowns = 0;
    QObject::connect(&link, &uclTqif::LineDown, [&] { ++lineDowns; });
    sim.kill();
    sim.waitForFinished(5000);
    link.waiter().waitWhile([&] { return lineDowns == 0; }, link.clock()->elapsedMs() + 5000);
    EXPECT_EQ(lineDowns, 1);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(link.LinkState(), 0);
}
