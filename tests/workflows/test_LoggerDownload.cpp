// The logger download against the emulator: the image equals the logger
// memory, a line that loses one answer in a hundred still downloads, a
// block that never comes is asked for three times more, and a download that
// fails or is cancelled leaves the previous image exactly as it was with no
// temporary file behind. (One retry through the window:
// tests/ui/test_frmMain_maintenance.)
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "workflows/LoggerDownload.h"

#include <QDir>
#include <QFile>

#include <vector>

using workflowtest::Recorder;
using workflowtest::Rig;

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// Requests the emulator heard for one block ("EP,R,0100").
int Asked(SimDetector& sim, int block) {
    const QByteArray command =
        "EP,R," + QByteArray::number(block, 16).toUpper().rightJustified(4, '0');
    return int(sim.receivedCommands().count(command));
}

// Runs `fn` when the link reports the end of block `block`'s wait.
void AtBlock(uclTqif& link, int block, std::function<void()> fn) {
    const QString text = QStringLiteral("Get FLASH Image ") +
                         QString::number(block, 16).toUpper().rightJustified(4, '0');
    QObject::connect(&link, &uclTqif::DumpMessage, [text, fn](const QString& t) {
        if (t == text)
            fn();
    });
}

// Files beside the image other than the image itself.
QStringList Leftovers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("TQ7350.DAT.*")}, QDir::Files);
}

} // namespace

// A line that loses one answer in a hundred (infrared) still downloads.
TEST(LoggerDownload, TheImageIsTheLoggerMemoryWithProgressToTheEnd) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    ASSERT_EQ(rig.sim.state().logger.size(), 524288);
    rig.sim.faults().dropEveryN = 100;
    clsInstrument record;
    record.setSerialNo(QStringLiteral("MY-EDIT"));
    rig.link.setInstrument(&record);
    Recorder rec;
    LoggerDownload::Options options;
    options.ImagePath = rig.dir.file(QStringLiteral("TQ7350.DAT"));
    const LoggerDownload::Result r = LoggerDownload::Run(rig.link, options, rec.report());
    ASSERT_TRUE(r.Success());
    EXPECT_GE(r.Retries, 5);
    EXPECT_EQ(r.BlocksDone, 1024);
    EXPECT_TRUE(ReadAll(options.ImagePath) == rig.sim.state().logger);
    EXPECT_TRUE(Leftovers(rig.dir.path()).isEmpty())
        << Leftovers(rig.dir.path()).join(' ').toStdString();
    // The identity was read first, into the workflow's own record: the
    // caller's edits and the link's record are left alone.
    EXPECT_TRUE(rig.sim.receivedCommands().contains("VP,R,"));
    EXPECT_EQ(record.SerialNo(), QStringLiteral("MY-EDIT"));
    EXPECT_EQ(rig.link.Instrument(), &record);

    // Progress: from 0 to every block, never backwards.
    ASSERT_FALSE(rec.steps.empty());
    EXPECT_EQ(rec.steps.front(), std::make_pair(0, 1024));
    EXPECT_EQ(rec.steps.back(), std::make_pair(1024, 1024));
    for (size_t i = 1; i < rec.steps.size(); ++i)
        EXPECT_LE(rec.steps[i - 1].first, rec.steps[i].first) << i;
    EXPECT_EQ(rec.count(LoadMessage(kMsgLoggerDataDownload)), 1);
    EXPECT_EQ(rec.count(LoadMessage(kMsgDataDownloadFailed)), 0);
}

TEST(LoggerDownload, AFailedOrCancelledDownloadLeavesThePreviousImage) {
    struct Case {
        const char* name;
        std::function<void(Rig&, bool& cancelled)> fault;
        LoggerDownload::Outcome outcome;
        int asked; // requests for block 0x12C; -1: not counted
        int retries;
    };
    const std::vector<Case> cases = {
        // Block 0x12C never comes (the detector refuses it, the link waits
        // for its bytes in vain): asked once and three times more.
        {"block never arrives",
         [](Rig& rig, bool&) {
             AtBlock(rig.link, 0x12B, [&rig] { rig.sim.faults().refuseCodes << "EP"; });
         },
         LoggerDownload::Outcome::Failed, 4, 3},
        // The user cancels after block 0x12B: nothing more is asked.
        {"cancelled",
         [](Rig& rig, bool& cancelled) {
             AtBlock(rig.link, 0x12B, [&rig, &cancelled] {
                 cancelled = true;
                 rig.link.setCancel(true);
             });
         },
         LoggerDownload::Outcome::Cancelled, 0, 0},
        // The line goes down part-way: no retry on a line that is gone.
        {"line lost",
         [](Rig& rig, bool&) { AtBlock(rig.link, 0x12B, [&rig] { rig.sim.setLineUp(false); }); },
         LoggerDownload::Outcome::Failed, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ASSERT_TRUE(rig.connect());
        const QString image = rig.dir.file(QStringLiteral("TQ7350.DAT"));
        QByteArray previous(524288, '\0');
        for (int i = 0; i < previous.size(); i += 7)
            previous[i] = char(i / 7);
        ASSERT_TRUE(WriteAll(image, previous));
        bool cancelled = false;
        c.fault(rig, cancelled);
        Recorder rec;
        LoggerDownload::Options options;
        options.ImagePath = image;
        options.Cancelled = [&cancelled] { return cancelled; };
        const LoggerDownload::Result r = LoggerDownload::Run(rig.link, options, rec.report());
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.Retries, c.retries);
        if (c.asked >= 0) {
            EXPECT_EQ(Asked(rig.sim, 0x12C), c.asked);
        }
        EXPECT_EQ(Asked(rig.sim, 0x12D), 0);
        EXPECT_TRUE(ReadAll(image) == previous); // byte for byte
        EXPECT_TRUE(Leftovers(rig.dir.path()).isEmpty());
        const int failureLine = c.outcome == LoggerDownload::Outcome::Cancelled
                                    ? kMsgCommunicationCanceled
                                    : kMsgDataDownloadFailed;
        EXPECT_EQ(rec.count(LoadMessage(failureLine)), 1);
        EXPECT_EQ(rec.count(LoadMessage(kMsgLoggerImageKept, {image})), 1);
        EXPECT_EQ(rec.count(LoadMessage(kMsgLoggerImageSaved, {image})), 0);
    }
}

TEST(LoggerDownload, NoDetectorNothingSentNothingWritten) {
    Rig rig; // never connected
    Recorder rec;
    LoggerDownload::Options options;
    options.ImagePath = rig.dir.file(QStringLiteral("TQ7350.DAT"));
    const LoggerDownload::Result r = LoggerDownload::Run(rig.link, options, rec.report());
    EXPECT_EQ(r.outcome, LoggerDownload::Outcome::NotConnected);
    EXPECT_EQ(rec.count(LoadMessage(kMsgTrendDownloadNoResponse)), 1);
    EXPECT_FALSE(QFile::exists(options.ImagePath));
    EXPECT_TRUE(Leftovers(rig.dir.path()).isEmpty());
    EXPECT_TRUE(ReadAll(rig.dir.file(QStringLiteral("SerialLog.log")))
                    .contains("---Interval Trend Download Failed. TQ-7350 No response---"));
}
