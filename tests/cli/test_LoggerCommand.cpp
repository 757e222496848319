// tq7350ctl logger against the emulator program on a pseudo-terminal: a
// download that fails leaves the earlier file exactly as it was. (A lossy
// line and the image itself: tests/workflows/test_LoggerDownload; the whole
// image through the tool: test_Commands.)
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QDir>

using namespace clitest;

namespace {

QStringList Leftovers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("img.dat.*")}, QDir::Files);
}

} // namespace

TEST(CliLogger, AFailedDownloadLeavesTheEarlierFile) {
    if (!ProgramsBuilt())
        GTEST_SKIP() << "tq7350ctl or tq7350-sim is not built";
    testsupport::ScratchDir dir;
    const QByteArray earlier(524288, 'e');
    ASSERT_TRUE(WriteAll(dir.file("img.dat"), earlier));
    // Every block request is refused: each block try times out.
    SimOnPty sim(Words("--refuse EP"));
    ASSERT_TRUE(sim.ok());
    const RunResult r = RunCtl(QStringList{QStringLiteral("--port"), sim.path()} +
                                   Words("--timeout 1 logger img.dat"),
                               dir.path(), 120000);
    EXPECT_EQ(r.exitCode, 1) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains(Printed(LoadMessage(kMsgDataDownloadFailed))));
    EXPECT_EQ(r.errText().count(LoadMessage(kMsgOneMoreTime)), 3);
    EXPECT_TRUE(ReadAll(dir.file("img.dat")) == earlier);
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
    sim.stop();
    EXPECT_EQ(sim.log().count(QStringLiteral("refused EP,R,0000")), 4); // once and three times more
}
