// The dump list: a transfer that fails says so after its finish line and
// keeps what arrived; block progress from the link's texts. (The listing
// itself: tests/ui/test_frmMain_maintenance and tests/link/test_Dumps.)
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "workflows/DumpList.h"

#include <QFile>

using workflowtest::Recorder;
using workflowtest::Rig;

TEST(DumpList, AFailedTransferIsReportedAfterItsFinishLine) {
    Rig rig;
    rig.link.setTimeout(1);
    ASSERT_TRUE(rig.connect());
    // The detector stops answering after a few blocks.
    int blocks = 0;
    QObject::connect(&rig.link, &uclTqif::DumpMessage, [&](const QString& text) {
        if (text.startsWith(QLatin1String("Get Dump ")) && ++blocks == 3)
            rig.sim.faults().silent = true;
    });
    Recorder rec;
    DumpList::Options options;
    options.Path = rig.dir.file(QString::fromLatin1(DumpList::kFileName));
    const DumpList::Result r = DumpList::Run(rig.link, options, rec.report());
    EXPECT_EQ(r.outcome, DumpList::Outcome::Failed);
    ASSERT_EQ(rec.lines.size(), 3);
    EXPECT_EQ(rec.lines[1].first, LoadMessage(kMsgDumpListFinished));
    EXPECT_EQ(rec.lines[2],
              std::make_pair(LoadMessage(kMsgDataDownloadFailed), workflows::Tone::Failure));
    // What arrived is in the file.
    EXPECT_TRUE(testsupport::ReadAll(options.Path).contains("\r\n000100 "));
}

TEST(DumpList, BlockProgressFromTheLinksTexts) {
    struct Case {
        const char* text;
        bool taken;
        int done, total;
    };
    const Case cases[] = {
        {"Get Dump 000000-00007F", true, 1, 64},  {"Get Dump 001F80-001FFF", true, 64, 64},
        {"Get Dump 000000-0000FF", true, 1, 32},  // 256-byte blocks
        {"Get Dump 002000-00207F", true, 65, 65}, // beyond the memory: total grows
        {"Get Dump 00007F-000000", false, 0, 0},  {"Get FLASH Image 0001", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int done = 0;
        int total = 0;
        EXPECT_EQ(DumpList::BlockProgress(QString::fromLatin1(c.text), &done, &total), c.taken);
        if (c.taken) {
            EXPECT_EQ(done, c.done);
            EXPECT_EQ(total, c.total);
        }
    }
}
