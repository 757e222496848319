// The FLASH check against the emulator: "OK" with the build's reference
// image, "NG" with one byte of it changed, and no verdict at all without a
// whole reference or after a step failed (with its fixed text) or the
// download failed (an earlier image is never compared).
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "workflows/FlashCheck.h"

#include <QFile>

#include <vector>

using workflowtest::Rig;

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

QByteArray BuildReference() {
    return ReadAll(QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT"));
}

// The verdict lines (looked up when a test runs: the catalogue is not
// there before main()).
QString Ok() {
    return LoadMessage(kMsgFlashCheckResult, {QStringLiteral("OK")});
}
QString Ng() {
    return LoadMessage(kMsgFlashCheckResult, {QStringLiteral("NG")});
}

struct CheckRun {
    Rig rig;
    workflowtest::Recorder lines;
    std::vector<FlashCheck::Phase> phases;
    FlashCheck::Options options;
    CheckRun() {
        options.ImagePath = rig.dir.file(QStringLiteral("TQ7350.DAT"));
        options.ReferencePath = rig.dir.file(QStringLiteral("TQ7350_Check.DAT"));
        options.PhaseChanged = [this](FlashCheck::Phase p) { phases.push_back(p); };
    }
    FlashCheck::Result run() { return FlashCheck::Run(rig.link, options, lines.report()); }
    QStringList red() const { return lines.texts(true); }
    QStringList other() const { return lines.texts(false); }
};

} // namespace

TEST(FlashCheck, OkAgainstTheEmulatorAndNgWithOneByteChanged) {
    const QByteArray reference = BuildReference();
    ASSERT_EQ(reference.size(), 524288) << "TQ7350_Check.DAT is built with tq7350-sim";
    EXPECT_EQ(FlashCheck::ReferenceImagePath(QStringLiteral(TQ_BINARY_DIR)),
              QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT"));

    for (const qint64 changed : {qint64(-1), qint64(0), qint64(300000), qint64(524287)}) {
        SCOPED_TRACE(changed);
        CheckRun t;
        ASSERT_TRUE(t.rig.connect());
        QByteArray mine = reference;
        if (changed >= 0)
            mine[int(changed)] = char(mine.at(int(changed)) ^ 0x01);
        ASSERT_TRUE(WriteAll(t.options.ReferencePath, mine));
        const FlashCheck::Result r = t.run();
        ASSERT_EQ(r.outcome, FlashCheck::Outcome::Success) << t.red().join('|').toStdString();
        EXPECT_EQ(r.FirstDifference, changed);
        if (changed < 0) {
            EXPECT_TRUE(r.Passed());
            EXPECT_TRUE(t.other().contains(Ok()));
            EXPECT_TRUE(t.red().isEmpty()) << t.red().join('|').toStdString();
        } else {
            EXPECT_EQ(r.verdict, FlashCheck::Verdict::Ng);
            EXPECT_TRUE(t.red().contains(Ng()));
            EXPECT_FALSE(t.other().contains(Ok()));
        }
        // Cleared again afterwards, the image is what was downloaded.
        EXPECT_EQ(t.rig.sim.state().loggerContent, SimLoggerContent::Erased);
        EXPECT_TRUE(t.rig.sim.state().powerDataErased);
        EXPECT_TRUE(ReadAll(t.options.ImagePath) == reference);
        EXPECT_EQ(t.phases, (std::vector<FlashCheck::Phase>{FlashCheck::Phase::Writing,
                                                            FlashCheck::Phase::Downloading,
                                                            FlashCheck::Phase::Clearing}));
        EXPECT_EQ(t.other().count(LoadMessage(kMsgDataRemovalComplete)), 2);
        EXPECT_EQ(t.other().count(LoadMessage(kMsgClearPowerAreaComplete)), 2);
        EXPECT_EQ(t.other().count(LoadMessage(kMsgWriteDummyDataComplete)), 1);
    }
}

TEST(FlashCheck, WithoutAWholeReferenceNothingIsSentAndNothingJudged) {
    const QByteArray reference = BuildReference();
    ASSERT_EQ(reference.size(), 524288);
    for (const int size : {-1, 0, 524287, 524289}) {
        SCOPED_TRACE(size);
        CheckRun t;
        ASSERT_TRUE(t.rig.connect());
        if (size >= 0) {
            QByteArray wrong = reference.left(size);
            while (wrong.size() < size)
                wrong.append('\x5A');
            ASSERT_TRUE(WriteAll(t.options.ReferencePath, wrong));
        }
        t.rig.sim.clearReceivedCommands();
        const FlashCheck::Result r = t.run();
        EXPECT_EQ(r.outcome, FlashCheck::Outcome::Refused);
        EXPECT_EQ(r.verdict, FlashCheck::Verdict::None);
        EXPECT_TRUE(t.rig.sim.receivedCommands().isEmpty());
        EXPECT_EQ(t.red(),
                  QStringList{LoadMessage(kMsgFlashReferenceMissing, {t.options.ReferencePath})});
        EXPECT_FALSE(t.other().contains(Ok()));
        EXPECT_EQ(t.rig.sim.state().loggerContent, SimLoggerContent::Default);
    }
}

TEST(FlashCheck, AFailedStepStopsWithItsFixedTextAndNoVerdict) {
    const QByteArray reference = BuildReference();
    ASSERT_EQ(reference.size(), 524288);
    struct Case {
        const char* refuse;
        int failureText;
        const char* notSent; // the start of a command that must not follow
    };
    const Case cases[] = {
        {"XC", kMsgClearLogDataFailed, "XY,W,"},
        {"XY", kMsgClearPowerLogFailed, "XH,E,"},
        // Check data the detector refuses: no download of a memory without
        // the pattern.
        {"XH", kMsgWriteCheckDataFailed, "EP,R,"},
        // The download fails: an earlier image equal to the reference
        // must not be taken for the result.
        {"EP", kMsgDataDownloadFailed, "XC,W,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refuse);
        CheckRun t;
        t.rig.link.setTimeout(1);
        ASSERT_TRUE(t.rig.connect());
        ASSERT_TRUE(WriteAll(t.options.ReferencePath, reference));
        ASSERT_TRUE(WriteAll(t.options.ImagePath, reference));
        t.rig.sim.faults().refuseCodes << QString::fromLatin1(c.refuse);
        t.rig.sim.clearReceivedCommands();
        const FlashCheck::Result r = t.run();
        EXPECT_EQ(r.outcome, FlashCheck::Outcome::Failed);
        EXPECT_EQ(r.verdict, FlashCheck::Verdict::None);
        EXPECT_FALSE(r.Passed());
        EXPECT_TRUE(t.red().contains(LoadMessage(c.failureText)))
            << t.red().join('|').toStdString();
        if (QString::fromLatin1(c.refuse) == QLatin1String("EP")) {
            EXPECT_TRUE(r.FailureText.isEmpty());
            // Only the first clear: none after the failed download.
            EXPECT_EQ(t.rig.sim.receivedCommands().count("XC,W,"), 1);
        } else {
            EXPECT_EQ(r.FailureText, LoadMessage(c.failureText));
            for (const QByteArray& sent : t.rig.sim.receivedCommands())
                EXPECT_FALSE(sent.startsWith(c.notSent)) << sent.toStdString();
        }
        EXPECT_FALSE(t.other().contains(Ok()));
        EXPECT_FALSE(t.red().contains(Ng()));
    }
}
