// The link against the detector emulator: in-process on a virtual clock, and
// end to end over a pseudo-terminal with the tq7350-sim program.
#include "LinkHarness.h"

#include "sim/SimDetector.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace linktest;

namespace {

// The link joined to an in-process emulator, with a parser that accepts every
// answer but a refusal.
struct SimRig {
    testsupport::ScratchDir dir;
    VirtualLinkClock clock;
    SimDetector sim;
    InMemoryTransport transport;
    uclTqif link;

    SimRig() {
        link.setClock(&clock);
        link.setLogFolder(dir.path());
        link.setTimeout(1);
        link.setRetry(3);
        // The emulator's delays and pacing run on the same clock as the link.
        sim.setScheduler([this](int ms, std::function<void()> fn) { clock.singleShot(ms, fn); });
        JoinInMemory(transport, sim);
        link.setTransport(&transport);
        link.setResponseParser([](const QString& frame) {
            // Refusals carry a status character other than ACK right after
            // the code; everything else counts as understood here.
            return frame.size() >= 15 && frame.at(10) != QChar(0x15);
        });
    }
    bool open() {
        link.setPortOpen(true);
        clock.settle(); // the line comes up
        return link.waitWhile([this] { return !link.Connected() && link.LinkState() != 0; }) &&
               link.Connected();
    }
    QStringList commands() const {
        QStringList out;
        for (const QByteArray& c : sim.receivedCommands())
            out << QString::fromLatin1(c);
        return out;
    }
};

} // namespace

TEST(EmulatorLink, FaultsEndCommandsAsTheyShould) {
    SimRig rig;
    ASSERT_TRUE(rig.open());

    // A dropped answer is repeated after the time-out and then succeeds.
    rig.sim.clearReceivedCommands();
    rig.sim.faults().dropEveryN = 2;
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("VP,R,"), 4), LinkResult::Done);
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("XP,R,"), 4), LinkResult::Done);
    // Every second answer is lost: each lost one was asked for again.
    const QStringList asked = rig.commands();
    EXPECT_GE(asked.size(), 3);
    EXPECT_EQ(asked.count(QStringLiteral("VP,R,")) + asked.count(QStringLiteral("XP,R,")),
              asked.size());
    rig.sim.faults().dropEveryN = 0;

    // A slow detector within the time-out is simply waited for.
    rig.sim.clearReceivedCommands();
    rig.sim.faults().delayMs = 700;
    const qint64 start = rig.clock.elapsedMs();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("XP,R,"), 4), LinkResult::Done);
    EXPECT_GE(rig.clock.elapsedMs() - start, 600);
    EXPECT_LT(rig.clock.elapsedMs() - start, 1000);
    EXPECT_EQ(rig.commands().size(), 1);
    rig.sim.faults().delayMs = 0;

    // The line drops after the next command: the link notices and stops.
    int lineDowns = 0;
    QObject::connect(&rig.link, &uclTqif::LineDown, [&] { ++lineDowns; });
    rig.sim.faults().dropLineAfterN = 1;
    (void)rig.link.SendAndWait(QStringLiteral("XP,R,"), 4);
    rig.clock.runTicks(2);
    EXPECT_EQ(lineDowns, 1);
    EXPECT_EQ(rig.link.LinkState(), 0);
}

// End to end: the emulator program on a pseudo-terminal, the link on the
// serial transport and the wall clock.
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
    link.setSettings(QStringLiteral("921600,n,8,1"));
    link.setHandshaking(2);
    link.setPortOpen(true);
    ASSERT_TRUE(link.PortOpen()) << link.LastPortError().toStdString();
    ASSERT_TRUE(link.waitWhile([&] { return !link.Connected() && link.LinkState() != 0; }));
    ASSERT_TRUE(link.Connected());

    EXPECT_EQ(link.SendAndWait(QStringLiteral("VP,R,"), 4), LinkResult::Done);
    EXPECT_EQ(link.SendAndWait(QStringLiteral("GJ,R,"), 4), LinkResult::Done);
    EXPECT_EQ(frames.size(), 2);
    link.setStatus(3);
    link.DataSend(uclTqif::BuildFrame(QStringLiteral("EF,R,")), true);
    ASSERT_TRUE(link.waitWhileStatus(3));
    EXPECT_EQ(link.Status(), 6);
    EXPECT_GT(frames.size(), 3);

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
