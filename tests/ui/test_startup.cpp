// Start-up windows: access-code dialog, splash, font copy rule, single
// instance, and the program's own command-line guard.
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Maker.h"
#include "common/TestSupport.h"
#include "ui/FontCopy.h"
#include "ui/MessageBox.h"
#include "ui/SingleInstance.h"
#include "ui/frmOpen.h"
#include "ui/frmPassword.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// Answers every message box with a fixed button and remembers what was asked.
struct BoxRecorder {
    std::vector<MsgBoxRequest> asked;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    ScopedMsgBoxHandler guard{[this](const MsgBoxRequest& request) {
        asked.push_back(request);
        return answer;
    }};
};

struct PasswordFixture {
    // A box nobody expected fails the test instead of blocking it.
    ScopedMsgBoxHandler unexpected{[](const MsgBoxRequest& request) {
        ADD_FAILURE() << "unexpected message box: " << request.text.toStdString();
        return QMessageBox::Yes;
    }};
    AppSettings settings;
    int created = 0;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<frmPassword> dialog;

    PasswordFixture() {
        settings.AccessCode = "8261";
        dialog = std::make_unique<frmPassword>(settings, [this]() -> QWidget* {
            ++created;
            mainWindow = std::make_unique<QWidget>();
            return mainWindow.get();
        });
        dialog->show();
    }
    void enter(const QString& code) {
        dialog->txtPass->setText(code);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    }
};

} // namespace

TEST(frmPassword, ShowsCatalogueTextsAndEmptyPasswordEntry) {
    PasswordFixture f;
    EXPECT_EQ(f.dialog->windowTitle(), AppTitle());
    EXPECT_EQ(f.dialog->cmdOK->text(), LoadMessage(7010));
    EXPECT_EQ(f.dialog->cmdCancel->text(), LoadMessage(7011));
    EXPECT_EQ(f.dialog->lblPass->text(), LoadMessage(7005));
    EXPECT_TRUE(f.dialog->txtPass->text().isEmpty());
    EXPECT_EQ(f.dialog->txtPass->echoMode(), QLineEdit::Password);
    EXPECT_DOUBLE_EQ(f.dialog->cmdOK->font().pointSizeF(), 9.0);
    EXPECT_FALSE(f.dialog->isModal());
    f.settings.AccessGranted = true; // let it close quietly
}

TEST(frmPassword, CodeIsCheckedIgnoringLetterCaseButNotBlanks) {
    {
        PasswordFixture f;
        f.settings.AccessCode = "ab12";
        BoxRecorder boxes;
        f.enter("AB12");
        EXPECT_TRUE(f.settings.AccessGranted);
        EXPECT_EQ(f.created, 1);
        ASSERT_TRUE(f.mainWindow);
        EXPECT_TRUE(f.mainWindow->isVisible());
        EXPECT_EQ(f.dialog->mainWindow(), f.mainWindow.get());
        EXPECT_FALSE(f.dialog->isVisible());
        EXPECT_TRUE(boxes.asked.empty()); // closing after a correct code never asks
    }
    {
        PasswordFixture f;
        f.settings.AccessCode = "XY9";
        BoxRecorder boxes;
        f.enter("xy9");
        EXPECT_TRUE(f.settings.AccessGranted);
        EXPECT_FALSE(f.dialog->isVisible());
        EXPECT_TRUE(boxes.asked.empty());
    }
    {
        PasswordFixture f;
        BoxRecorder boxes;
        f.enter(" 8261");
        EXPECT_FALSE(f.settings.AccessGranted);
        f.enter("8261 ");
        EXPECT_FALSE(f.settings.AccessGranted);
        EXPECT_EQ(boxes.asked.size(), 2u);
        f.settings.AccessGranted = true;
    }
}

TEST(frmPassword, WrongCodeWarnsAndKeepsDialogAndEntry) {
    PasswordFixture f;
    BoxRecorder boxes;
    for (int attempt = 0; attempt < 5; ++attempt) // no lock-out
        f.enter("1234");
    ASSERT_EQ(boxes.asked.size(), 5u);
    const MsgBoxRequest& box = boxes.asked.back();
    EXPECT_EQ(box.text, LoadMessage(7101));
    EXPECT_EQ(box.title, LoadMessage(7102));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(f.dialog->isVisible());
    EXPECT_EQ(f.dialog->txtPass->text(), "1234");
    EXPECT_FALSE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 0);

    // A later correct code still works.
    f.enter("8261");
    EXPECT_TRUE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 1);
    EXPECT_EQ(boxes.asked.size(), 5u);
}

TEST(frmPassword, ClosingWithoutCodeAsksEndAndNoKeepsDialog) {
    PasswordFixture f;
    BoxRecorder boxes;
    boxes.answer = QMessageBox::No;
    f.dialog->txtPass->setText("82");

    // Cancel button, Escape key and the window's close box all ask.
    QTest::mouseClick(f.dialog->cmdCancel, Qt::LeftButton);
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    f.dialog->close();
    ASSERT_EQ(boxes.asked.size(), 3u);
    for (const MsgBoxRequest& box : boxes.asked) {
        EXPECT_EQ(box.text, LoadMessage(5373));
        EXPECT_EQ(box.title, "TQ-7350");
        EXPECT_EQ(box.icon, QMessageBox::Question);
        EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    EXPECT_TRUE(f.dialog->isVisible());
    EXPECT_EQ(f.dialog->txtPass->text(), "82");
    EXPECT_EQ(f.created, 0);

    boxes.answer = QMessageBox::Yes;
    QTest::mouseClick(f.dialog->cmdCancel, Qt::LeftButton);
    EXPECT_EQ(boxes.asked.size(), 4u);
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_FALSE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 0);
}

TEST(frmPassword, EnterKeyPressesOK) {
    PasswordFixture f;
    BoxRecorder boxes;
    f.dialog->activateWindow();
    f.dialog->txtPass->setFocus();
    QTest::keyClicks(f.dialog->txtPass, "8261");
    QTest::keyClick(f.dialog->txtPass, Qt::Key_Return);
    EXPECT_TRUE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 1);
}

TEST(frmOpen, ShowsEditionAndClosesByItsTimer) {
    SetCatalogueLanguage(CatalogueLanguage::English);
    frmOpen splash(nullptr, 60);
    EXPECT_EQ(splash.lblTitle->text(), "TQ-7350 Setup Program");
    EXPECT_EQ(splash.lblPCs->text(), "for Windows");
    // English catalogue: the other edition's part number, the overseas company.
    EXPECT_EQ(splash.lblVersion->text(), QString("P.No.") + frmOpen::kPartNumberOther);
    EXPECT_EQ(splash.lblCompany->text(), QLatin1String(kMakerCompanyOverseas));
    EXPECT_FALSE(splash.imgPicture->pixmap().isNull());
    EXPECT_TRUE(splash.isModal());

    bool closedByWatchdog = false;
    QTimer::singleShot(5000, &splash, [&] {
        closedByWatchdog = true;
        splash.reject();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
    EXPECT_FALSE(closedByWatchdog);
    EXPECT_GE(clock.elapsed(), 50);
    EXPECT_FALSE(splash.tmrTimer->isActive());
}

TEST(frmOpen, JapaneseCatalogueGivesJapaneseEditionAndHomeCompany) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    frmOpen splash;
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(splash.lblVersion->text(), QString("P.No.") + frmOpen::kPartNumberJapanese);
    EXPECT_EQ(splash.lblCompany->text(), QLatin1String(kMakerCompanyHome));
    // Fixed English texts stay as they are in every language.
    EXPECT_EQ(splash.lblTitle->text(), "TQ-7350 Setup Program");
    EXPECT_EQ(splash.lblPCs->text(), "for Windows");
}

TEST(frmOpen, DefaultTimeIsTwoAndAHalfSecondsAndWindowIsCentred) {
    frmOpen splash;
    splash.show();
    EXPECT_EQ(splash.tmrTimer->interval(), 2500);
    EXPECT_TRUE(splash.tmrTimer->isActive());
    const QRect screen = splash.screen()->geometry();
    EXPECT_NEAR(splash.x(), screen.x() + (screen.width() - splash.width()) / 2, 1);
    EXPECT_NEAR(splash.y(), screen.y() + (screen.height() - splash.height()) / 2, 1);
    splash.close();
}

TEST(frmOpen, DoubleClickPausesAndHoldsTheSplash) {
    frmOpen splash(nullptr, 80);
    bool timerStoppedDuringBox = false;
    bool stillOpenAfterWaiting = false;
    int boxes = 0;
    MsgBoxRequest asked;
    ScopedMsgBoxHandler handler([&](const MsgBoxRequest& request) {
        ++boxes;
        asked = request;
        timerStoppedDuringBox = !splash.tmrTimer->isActive();
        QTest::qWait(300); // well past the display time
        stillOpenAfterWaiting = splash.isVisible();
        return QMessageBox::Ok;
    });
    QTimer::singleShot(0, &splash, [&] {
        QTest::mouseDClick(splash.fraOpen, Qt::LeftButton, {}, {20, 20});
    });
    QTimer::singleShot(5000, &splash, [&] { splash.reject(); });
    EXPECT_EQ(splash.exec(), QDialog::Accepted); // closed by its timer after the box
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(asked.text, "Pause!!");
    EXPECT_EQ(asked.title, "Pause");
    EXPECT_EQ(asked.icon, QMessageBox::Information);
    EXPECT_TRUE(timerStoppedDuringBox);
    EXPECT_TRUE(stillOpenAfterWaiting);
}

TEST(FontCopy, AppliesSharedFontToEveryControlWeightLast) {
    QWidget window;
    auto* group = new QGroupBox("group", &window);
    auto* label = new QLabel("label", group);
    auto* button = new QPushButton("button", &window);
    new QTimer(&window); // not a control: skipped
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(group);
    layout->addWidget(button);

    FontSpec shared;
    shared.name = "DejaVu Serif";
    shared.size = 11.5f;
    shared.bold = true;
    shared.weight = 400; // the weight comes last and wins over bold
    shared.italic = true;
    shared.underline = true;
    shared.strikethrough = false;
    ApplySharedFont(&window, shared);
    for (QWidget* control : {static_cast<QWidget*>(group), static_cast<QWidget*>(label),
                             static_cast<QWidget*>(button)}) {
        const QFont font = control->font();
        EXPECT_EQ(font.family(), "DejaVu Serif");
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 11.5);
        EXPECT_FALSE(font.bold());
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_TRUE(font.italic());
        EXPECT_TRUE(font.underline());
        EXPECT_FALSE(font.strikeOut());
    }

    // Heavy weight without the bold flag gives a bold font; an empty name
    // keeps the family and a zero size the size.
    const QString family = label->font().family();
    FontSpec heavy;
    heavy.name.clear();
    heavy.size = 0;
    heavy.bold = false;
    heavy.weight = 700;
    heavy.strikethrough = true;
    ApplySharedFont(&window, heavy);
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().strikeOut());
    EXPECT_FALSE(label->font().italic());
    EXPECT_EQ(label->font().family(), family);
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 11.5);

    // Out-of-range weights are kept within QFont's scale.
    FontSpec odd;
    odd.weight = 5000;
    EXPECT_EQ(FontFromSpec(odd).weight(), 1000);
    odd.weight = -3;
    EXPECT_EQ(FontFromSpec(odd).weight(), QFont::Normal);
    ApplySharedFont(nullptr, odd); // no window: nothing happens
}

TEST(SingleInstance, SecondCopyRefusedWhileFirstRuns) {
    testsupport::ScratchDir dir;
    const QString path = dir.file("tq7350.lock");
    SingleInstance first(path);
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_TRUE(first.tryAcquire()); // asking again is harmless
    {
        SingleInstance second(path);
        EXPECT_FALSE(second.tryAcquire());
        EXPECT_FALSE(second.isHeld());
    }
    EXPECT_TRUE(QFileInfo::exists(path)); // the refused copy left the lock alone
    first.release();
    EXPECT_FALSE(first.isHeld());
    SingleInstance third(path);
    EXPECT_TRUE(third.tryAcquire());
}

TEST(SingleInstance, LockOfCrashedCopyDoesNotBlock) {
    testsupport::ScratchDir dir;
    const QString path = dir.file("tq7350.lock");

    // A process that has ended: its id names nobody any more.
    QProcess gone;
    gone.start("sleep", {"30"});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    gone.kill();
    gone.waitForFinished();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(deadPid) + "\ntq7350\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstance next(path);
    EXPECT_TRUE(next.tryAcquire());
    next.release();

    // A lock file cut short before it named its owner, and old.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                         QFileDevice::FileModificationTime);
    }
    SingleInstance afterCut(path);
    EXPECT_TRUE(afterCut.tryAcquire());
    afterCut.release();

    // ... but a fresh unreadable one may still be in the making: hands off.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    SingleInstance tooSoon(path);
    EXPECT_FALSE(tooSoon.tryAcquire());
}

TEST(SingleInstance, DefaultLockIsPerUser) {
    const QString path = SingleInstance::DefaultLockPath();
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("tq7350-"));
    EXPECT_TRUE(QFileInfo(QFileInfo(path).path()).isDir());
}

// The program checks its command line and the display before any window.
TEST(Program, RefusesBadOptionsAndMissingDisplayBeforeStarting) {
    const QString program = QStringLiteral(TQ_BINARY_DIR "/tq7350");
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "program not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");

    auto run = [&](const QStringList& args, QByteArray* err, QByteArray* out = nullptr) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, args);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -100;
        }
        *err = process.readAllStandardError();
        if (out)
            *out = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -99;
    };
    QByteArray err, out;
    EXPECT_EQ(run({"-DEBUG"}, &err), 1);
    EXPECT_TRUE(err.startsWith("tq7350: no display available;")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1);

    EXPECT_EQ(run({"--lang", "xx"}, &err), 2);
    EXPECT_TRUE(err.contains("--lang")) << err.toStdString();

    EXPECT_EQ(run({"--help"}, &err, &out), 0);
    EXPECT_TRUE(out.contains("--socket HOST:PORT"));
}
