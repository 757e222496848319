// tq7350ctl logger against the emulator program on a pseudo-terminal: a line
// that loses one answer in a hundred still gives the whole image, and a
// download that fails leaves the earlier file exactly as it was.
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QDir>

using namespace clitest;

namespace {

// The emulator with the check pattern in its logger memory, so that the
// image can be compared with the build's reference.
QString CheckState(const testsupport::ScratchDir& dir) {
    QJsonObject state = DefaultSimState();
    state.insert(QStringLiteral("loggerContent"), QStringLiteral("check"));
    const QString path = dir.file("state.json");
    return WriteJson(path, state) ? path : QString();
}

QStringList Leftovers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("img.dat.*")}, QDir::Files);
}

} // namespace

TEST(CliLogger, OneAnswerInAHundredLostStillGivesTheWholeImage) {
    if (!ProgramsBuilt())
        GTEST_SKIP() << "tq7350ctl or tq7350-sim is not built";
    testsupport::ScratchDir dir;
    const QString state = CheckState(dir);
    ASSERT_FALSE(state.isEmpty());
    SimOnPty sim(
        {QStringLiteral("--state"), state, QStringLiteral("--drop-every"), QStringLiteral("100")});
    ASSERT_TRUE(sim.ok());
    const RunResult r = RunCtl({QStringLiteral("--port"), sim.path(), QStringLiteral("--timeout"),
                                QStringLiteral("1"), QStringLiteral("--json"),
                                QStringLiteral("logger"), QStringLiteral("img.dat")},
                               dir.path(), 120000);
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_GE(r.json().value(QStringLiteral("retries")).toInt(), 5);
    EXPECT_TRUE(r.errText().contains(LoadMessage(kMsgOneMoreTime)));
    EXPECT_TRUE(ReadAll(dir.file("img.dat")) ==
                ReadAll(QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT")));
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
}

TEST(CliLogger, AFailedDownloadLeavesTheEarlierFile) {
    if (!ProgramsBuilt())
        GTEST_SKIP() << "tq7350ctl or tq7350-sim is not built";
    testsupport::ScratchDir dir;
    const QByteArray earlier(524288, 'e');
    ASSERT_TRUE(WriteAll(dir.file("img.dat"), earlier));
    // Every block request is refused: each block try times out.
    SimOnPty sim({QStringLiteral("--refuse"), QStringLiteral("EP")});
    ASSERT_TRUE(sim.ok());
    const RunResult r =
        RunCtl({QStringLiteral("--port"), sim.path(), QStringLiteral("--timeout"),
                QStringLiteral("1"), QStringLiteral("logger"), QStringLiteral("img.dat")},
               dir.path(), 120000);
    EXPECT_EQ(r.exitCode, 1) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains(Printed(LoadMessage(kMsgDataDownloadFailed))));
    EXPECT_EQ(r.errText().count(LoadMessage(kMsgOneMoreTime)), 3);
    EXPECT_TRUE(ReadAll(dir.file("img.dat")) == earlier);
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
    sim.stop();
    EXPECT_EQ(sim.log().count(QStringLiteral("refused EP,R,0000")), 4); // once and three times more
}
