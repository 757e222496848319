// Start-up windows: access-code dialog, splash, font copy rule, single
// instance, and the program's own command-line guard.
#include "UiTestKit.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Maker.h"
#include "common/TestSupport.h"
#include "ui/FontCopy.h"
#include "ui/SingleInstance.h"
#include "ui/frmOpen.h"
#include "ui/frmPassword.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct PasswordFixture {
    uitest::BoxRecorder boxes;
    AppSettings settings;
    int created = 0;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<frmPassword> dialog;

    explicit PasswordFixture(const QString& code = QStringLiteral("8261")) {
        boxes.defaultAnswer = QMessageBox::Ok;
        settings.AccessCode = code;
        dialog = std::make_unique<frmPassword>(settings, [this]() -> QWidget* {
            ++created;
            mainWindow = std::make_unique<QWidget>();
            return mainWindow.get();
        });
        dialog->show();
    }
    ~PasswordFixture() { settings.AccessGranted = true; } // close quietly
    void enter(const QString& code) {
        dialog->txtPass->setText(code);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    }
};

} // namespace

TEST(frmPassword, CodeIsCheckedIgnoringLetterCaseButNotBlanks) {
    struct Case {
        const char *stored, *typed;
        bool granted;
    };
    for (const Case& c : {Case{"ab12", "AB12", true}, Case{"XY9", "xy9", true},
                          Case{"8261", " 8261", false}, Case{"8261", "8261 ", false}}) {
        SCOPED_TRACE(c.typed);
        PasswordFixture f(QString::fromLatin1(c.stored));
        EXPECT_EQ(f.dialog->txtPass->echoMode(), QLineEdit::Password);
        f.enter(QString::fromLatin1(c.typed));
        EXPECT_EQ(f.settings.AccessGranted, c.granted);
        EXPECT_EQ(f.created, c.granted ? 1 : 0);
        EXPECT_EQ(f.mainWindow && f.mainWindow->isVisible(), c.granted);
        EXPECT_EQ(f.dialog->isVisible(), !c.granted);
        // Closing after a correct code never asks; a wrong one warns once.
        EXPECT_EQ(f.boxes.asked.size(), c.granted ? 0u : 1u);
    }
}

TEST(frmPassword, WrongCodeWarnsAndKeepsDialogAndEntry) {
    PasswordFixture f;
    for (int attempt = 0; attempt < 5; ++attempt) // no lock-out
        f.enter("1234");
    ASSERT_EQ(f.boxes.asked.size(), 5u);
    EXPECT_EQ(f.boxes.asked.back().text, LoadMessage(7101));
    EXPECT_EQ(f.boxes.asked.back().icon, QMessageBox::Critical);
    EXPECT_EQ(f.dialog->txtPass->text(), "1234");

    // A later correct code still works; Enter presses OK.
    f.dialog->activateWindow();
    f.dialog->txtPass->clear();
    f.dialog->txtPass->setFocus();
    QTest::keyClicks(f.dialog->txtPass, "8261");
    QTest::keyClick(f.dialog->txtPass, Qt::Key_Return);
    EXPECT_TRUE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 1);
    EXPECT_EQ(f.boxes.asked.size(), 5u);
}

TEST(frmPassword, ClosingWithoutCodeAsksEndAndNoKeepsDialog) {
    PasswordFixture f;
    f.boxes.defaultAnswer = QMessageBox::No;
    f.dialog->txtPass->setText("82");

    // Cancel button, Escape key and the window's close box all ask.
    QTest::mouseClick(f.dialog->cmdCancel, Qt::LeftButton);
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    f.dialog->close();
    ASSERT_EQ(f.boxes.asked.size(), 3u);
    for (const MsgBoxRequest& box : f.boxes.asked) {
        EXPECT_EQ(box.text, LoadMessage(5373));
        EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    EXPECT_TRUE(f.dialog->isVisible());
    EXPECT_EQ(f.dialog->txtPass->text(), "82");

    f.boxes.defaultAnswer = QMessageBox::Yes;
    QTest::mouseClick(f.dialog->cmdCancel, Qt::LeftButton);
    EXPECT_EQ(f.boxes.asked.size(), 4u);
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_FALSE(f.settings.AccessGranted);
    EXPECT_EQ(f.created, 0);
}

TEST(frmOpen, ShowsTheEditionOfTheLanguage) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    frmOpen japanese;
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(japanese.lblVersion->text(), QString("P.No.") + frmOpen::kPartNumberJapanese);
    EXPECT_EQ(japanese.lblCompany->text(), QLatin1String(kMakerCompanyHome));
    EXPECT_EQ(japanese.lblTitle->text(), "TQ-7350 Setup Program"); // fixed English text
    japanese.show();
    EXPECT_EQ(japanese.tmrTimer->interval(), 2500);
    japanese.close();
}

// Centred, closed by its timer; a double click pauses it behind a box.
TEST(frmOpen, DoubleClickPausesAndHoldsTheSplash) {
    frmOpen splash(nullptr, 80);
    EXPECT_EQ(splash.lblVersion->text(), QString("P.No.") + frmOpen::kPartNumberOther);
    EXPECT_EQ(splash.lblCompany->text(), QLatin1String(kMakerCompanyOverseas));
    bool timerStoppedDuringBox = false;
    bool stillOpenAfterWaiting = false;
    std::vector<MsgBoxRequest> asked;
    ScopedMsgBoxHandler handler([&](const MsgBoxRequest& request) {
        asked.push_back(request);
        timerStoppedDuringBox = !splash.tmrTimer->isActive();
        QTest::qWait(300); // well past the display time
        stillOpenAfterWaiting = splash.isVisible();
        return QMessageBox::Ok;
    });
    QTimer::singleShot(0, &splash, [&] {
        const QRect screen = splash.screen()->geometry();
        EXPECT_NEAR(splash.x(), screen.x() + (screen.width() - splash.width()) / 2, 1);
        QTest::mouseDClick(splash.fraOpen, Qt::LeftButton, {}, {20, 20});
    });
    QTimer::singleShot(5000, &splash, &QDialog::reject);
    EXPECT_EQ(splash.exec(), QDialog::Accepted); // closed by its timer after the box
    EXPECT_FALSE(splash.tmrTimer->isActive());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Pause!!");
    EXPECT_EQ(asked[0].title, "Pause");
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
    ApplySharedFont(&window, shared);
    for (QWidget* control : std::initializer_list<QWidget*>{group, label, button}) {
        const QFont font = control->font();
        EXPECT_EQ(font.family(), "DejaVu Serif");
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 11.5);
        EXPECT_FALSE(font.bold());
        EXPECT_TRUE(font.italic() && font.underline() && !font.strikeOut());
    }

    // Heavy weight without the bold flag gives a bold font; an empty name
    // keeps the family and a zero size the size.
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
    EXPECT_EQ(label->font().family(), "DejaVu Serif");
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
    }
    EXPECT_TRUE(QFileInfo::exists(path)); // the refused copy left the lock alone
    first.release();
    EXPECT_TRUE(SingleInstance(path).tryAcquire());
    EXPECT_TRUE(QFileInfo(SingleInstance::DefaultLockPath()).fileName().startsWith("tq7350-"));
}

TEST(SingleInstance, LockOfCrashedCopyDoesNotBlock) {
    testsupport::ScratchDir dir;
    const QString path = dir.file("tq7350.lock");
    auto writeLock = [&path](const QByteArray& content, int ageSecs) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs),
                         QFileDevice::FileModificationTime);
    };
    // A process that has ended: its id names nobody any more.
    QProcess gone;
    gone.start("sleep", {"30"});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    gone.kill();
    gone.waitForFinished();
    writeLock(QByteArray::number(deadPid) + "\ntq7350\n" + QSysInfo::machineHostName().toUtf8() +
                  "\n",
              0);
    EXPECT_TRUE(SingleInstance(path).tryAcquire());

    // A lock file cut short before it named its owner, and old ...
    writeLock({}, 60);
    EXPECT_TRUE(SingleInstance(path).tryAcquire());
    // ... but a fresh unreadable one may still be in the making: hands off.
    writeLock({}, 0);
    EXPECT_FALSE(SingleInstance(path).tryAcquire());
}

// The program checks its command line and the display before any window.
TEST(Program, RefusesBadOptionsAndMissingDisplayBeforeStarting) {
    const QString program = QStringLiteral(TQ_BINARY_DIR "/tq7350");
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "program not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    QByteArray err, out;
    auto run = [&](const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, args);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -100;
        }
        err = process.readAllStandardError();
        out = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -99;
    };
    EXPECT_EQ(run({"-DEBUG"}), 1);
    EXPECT_TRUE(err.startsWith("tq7350: no display available;")) << err.toStdString();
    EXPECT_EQ(run({"--lang", "xx"}), 2);
    EXPECT_TRUE(err.contains("--lang")) << err.toStdString();
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(out.contains("--socket HOST:PORT"));
}
