// The progress window: texts and cancel button per run mode, the cancel
// path, the busy animation, and the progress bar with the time left.
#include "UiTestKit.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "ui/main/frmUpload.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TEST(frmUpload, TextAndCancelButtonFollowTheMode) {
    struct Expect {
        int mode;
        int textId;
        bool cancel;
    };
    const Expect table[] = {{0, 6004, false}, {1, 6001, true}, {2, 6001, false}, {3, 6002, false},
                            {4, 6003, false}, {5, 6004, true}, {6, 6058, false}, {9, 0, false}};
    for (const Expect& e : table) {
        SCOPED_TRACE(e.mode);
        frmUpload window(e.mode);
        window.show();
        EXPECT_EQ(window.text(), e.textId ? LoadMessage(e.textId) : QString());
        EXPECT_EQ(window.cmdUpload->isVisible(), e.cancel);
        // The text fits inside the window.
        EXPECT_GE(window.lblUpload->width(), window.lblUpload->minimumSizeHint().width());
        EXPECT_LE(window.lblUpload->geometry().right(), window.width());

        // The button, or Escape where there is a button, cancels once; the
        // command closes the window, not the user.
        int cancels = 0;
        window.setCancelHandler([&]() { ++cancels; });
        QTest::keyClick(&window, Qt::Key_Escape);
        if (e.cancel)
            QTest::mouseClick(window.cmdUpload, Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_EQ(cancels, e.cancel ? 1 : 0);
        EXPECT_EQ(window.Canceled(), e.cancel);
        EXPECT_TRUE(window.isVisible());
        if (e.cancel) {
            EXPECT_EQ(window.text(), LoadMessage(6006));
            EXPECT_FALSE(window.cmdUpload->isEnabled());
        }
    }
    // A cancel without a host handler is harmless.
    frmUpload bare(1);
    bare.cmdUpload->click();
    EXPECT_TRUE(bare.Canceled());
}

TEST(frmUpload, AnimationRunsOnlyWhileShown) {
    frmUpload window(0);
    EXPECT_FALSE(window.tmrInter->isActive());
    window.show();
    const int before = window.amnUpload->frame();
    QTest::qWait(frmUpload::kFrameInterval * 4);
    EXPECT_NE(window.amnUpload->frame(), before);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.tmrInter->isActive());

    // Download modes move the sheet from the detector, writes towards it.
    EXPECT_EQ(window.amnUpload->direction(), BusyAnimation::Direction::FromDetector);
    EXPECT_EQ(frmUpload(6).amnUpload->direction(), BusyAnimation::Direction::ToDetector);

    // Every frame draws something on a plain background.
    BusyAnimation animation;
    animation.resize(animation.sizeHint());
    for (int i = 0; i < BusyAnimation::kFrames + 1; ++i) {
        const QImage image = animation.grab().toImage();
        int drawn = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2)
                drawn += image.pixelColor(x, y) != image.pixelColor(0, 0);
        }
        EXPECT_GT(drawn, 100) << i;
        animation.advance();
    }
    EXPECT_EQ(animation.frame(), 1); // wrapped around
}

TEST(frmUpload, StepsShowTheBarAndTheTimeLeft) {
    frmUpload window(1);
    qint64 now = 0;
    window.setTimeSource([&now] { return now; });
    window.show();
    EXPECT_FALSE(window.prgUpload->isVisible());
    EXPECT_FALSE(window.lblSteps->isVisible());

    struct Step {
        qint64 at;
        int done, total;
        const char* left; // nullptr: still estimating
    };
    const Step steps[] = {
        {0, 0, 100, nullptr},    // nothing done yet
        {1000, 10, 100, "0:09"}, // 100 ms a block, 90 to go
        {1500, 20, 100, "0:06"}, // 75 ms a block, 80 to go
        {1600, 5, 100, nullptr}, // counted from the start again (a retry)
        {2600, 55, 100, "0:01"}, // 20 ms a block, 45 to go: 0.9 s, rounded up
        {9000, 100, 100, "0:00"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.done);
        now = s.at;
        window.setSteps(s.done, s.total);
        EXPECT_TRUE(window.prgUpload->isVisible());
        EXPECT_EQ(window.prgUpload->maximum(), s.total);
        EXPECT_EQ(window.prgUpload->value(), s.done);
        const QString expected =
            LoadMessage(kMsgProgressStepsLine,
                        {LoadMessage(kMsgProgressBlocks, {s.done, s.total}),
                         s.left ? LoadMessage(kMsgProgressTimeLeft, {QString::fromLatin1(s.left)})
                                : LoadMessage(kMsgProgressEstimating)});
        EXPECT_EQ(window.stepsText(), expected);
    }
    // The animation and the text stay; the window still fits its contents.
    EXPECT_TRUE(window.amnUpload->isVisible());
    EXPECT_LE(window.prgUpload->geometry().bottom(), window.height());
}
