// The progress window: texts and cancel button per run mode, the cancel
// path, and the busy animation.
#include "app/Catalogue.h"
#include "ui/main/frmUpload.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

TEST(frmUpload, TextAndCancelButtonFollowTheMode) {
    struct Expect {
        int mode;
        int textId;
        bool cancel;
    };
    const Expect table[] = {{0, 6004, false}, {1, 6001, true}, {2, 6001, false}, {3, 6002, false},
                            {4, 6003, false}, {5, 6004, true}, {6, 6058, false}};
    for (const Expect& e : table) {
        frmUpload window(e.mode);
        window.show();
        EXPECT_EQ(window.text(), LoadMessage(e.textId)) << e.mode;
        EXPECT_EQ(window.cmdUpload->isVisible(), e.cancel) << e.mode;
        if (e.cancel) {
            EXPECT_EQ(window.cmdUpload->text(), LoadMessage(6005));
        }
        EXPECT_FALSE(window.Canceled());
        // The text and the button fit inside the window.
        EXPECT_GE(window.lblUpload->width(), window.lblUpload->minimumSizeHint().width());
        EXPECT_LE(window.lblUpload->geometry().right(), window.width());
    }
    frmUpload unknown(9);
    EXPECT_TRUE(unknown.text().isEmpty());
    EXPECT_FALSE(unknown.cmdUpload->isVisibleTo(&unknown));
}

TEST(frmUpload, CancelButtonCallsTheHostOnce) {
    frmUpload window(1);
    int cancels = 0;
    window.setCancelHandler([&]() { ++cancels; });
    window.show();
    window.setText(QStringLiteral("Data download now"));
    EXPECT_EQ(window.text(), QStringLiteral("Data download now"));
    QTest::mouseClick(window.cmdUpload, Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(window.Canceled());
    EXPECT_EQ(window.text(), LoadMessage(6006));
    EXPECT_FALSE(window.cmdUpload->isEnabled());
    QTest::mouseClick(window.cmdUpload, Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(window.isVisible()); // the command closes the window, not the user
}

TEST(frmUpload, EscapeCancelsOnlyWhereCancelIsOffered) {
    {
        frmUpload window(5);
        int cancels = 0;
        window.setCancelHandler([&]() { ++cancels; });
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_EQ(cancels, 1);
        EXPECT_TRUE(window.Canceled());
        EXPECT_TRUE(window.isVisible());
    }
    {
        frmUpload window(0);
        int cancels = 0;
        window.setCancelHandler([&]() { ++cancels; });
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_EQ(cancels, 0);
        EXPECT_FALSE(window.Canceled());
        EXPECT_TRUE(window.isVisible());
        // A cancel without a host handler is harmless.
        frmUpload bare(1);
        bare.cmdUpload->click();
        EXPECT_TRUE(bare.Canceled());
    }
}

TEST(frmUpload, AnimationRunsOnlyWhileShown) {
    frmUpload window(0);
    EXPECT_FALSE(window.tmrInter->isActive());
    window.show();
    EXPECT_TRUE(window.tmrInter->isActive());
    const int before = window.amnUpload->frame();
    QTest::qWait(frmUpload::kFrameInterval * 4);
    EXPECT_NE(window.amnUpload->frame(), before);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.tmrInter->isActive());

    // Download modes move the sheet from the detector, writes towards it.
    EXPECT_EQ(window.amnUpload->direction(), BusyAnimation::Direction::FromDetector);
    frmUpload writing(6);
    EXPECT_EQ(writing.amnUpload->direction(), BusyAnimation::Direction::ToDetector);

    // Every frame draws something on a plain background.
    BusyAnimation animation;
    animation.resize(animation.sizeHint());
    for (int i = 0; i < BusyAnimation::kFrames + 1; ++i) {
        const QImage image = animation.grab().toImage();
        int drawn = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                if (image.pixelColor(x, y) != image.pixelColor(0, 0))
                    ++drawn;
            }
        }
        EXPECT_GT(drawn, 100) << i;
        animation.advance();
    }
    EXPECT_EQ(animation.frame(), 1); // wrapped around
}
