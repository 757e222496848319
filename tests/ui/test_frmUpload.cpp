// The progress window: texts and cancel button per run mode, the cancel
// path, and the busy animation.
#include "UiTestKit.h"

#include "app/Catalogue.h"
#include "ui/main/frmUpload.h"

#include <QLabel>
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
