// The main window's read and maintenance commands against the emulated
// detector, through the real buttons: "Information Get && Save", "Download
// Logger Data" with its retry, progress bar and cancel button, "DEFAULT" and
// the two clears, "FLASH Check" and "EEPROM Dump". (A failed download keeps
// the previous image, an NG or missing reference: the workflow tests.)
#include "MainWindowRig.h"

#include "workflows/FlashCheck.h"

#include "app/MessageIds.h"
#include "ui/main/frmUpload.h"

#include <QProgressBar>
#include <QRegularExpression>

#include <set>

using namespace windowtest;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// A window in debug and factory mode (every command shown), connected.
struct ServiceRig : MainWindowRig {
    ServiceRig()
        : MainWindowRig(With(true, true, [](MainWindowRig& r) {
              r.settings.DebugMode = true;
              r.settings.FactoryMode = true;
          })) {
        connected = connect();
    }
    bool connected = false;
    frmMain& w() { return *window; }
    QString image() const { return file(QStringLiteral("TQ7350.DAT")); }
    // Requests the emulator heard for one logger block.
    int blockRequests(int block) {
        return int(sim().receivedCommands().count(
            "EP,R," + QByteArray::number(block, 16).toUpper().rightJustified(4, '0')));
    }
    // Runs `fn` when the link reports the end of block `block`'s wait.
    void atBlock(int block, std::function<void()> fn) {
        const QString text = QStringLiteral("Get FLASH Image ") +
                             QString::number(block, 16).toUpper().rightJustified(4, '0');
        QObject::connect(&link(), &uclTqif::DumpMessage, window.get(),
                         [text, fn](const QString& t) {
                             if (t == text)
                                 fn();
                         });
    }
    QStringList historyLines(const QString& suffix) const {
        QString text =
            QString::fromUtf8(ReadAll(file(QStringLiteral("TQ7350_Setting%1.csv").arg(suffix))));
        text.remove(QChar(0xFEFF));
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    // The build's reference image, copied beside the "program".
    bool placeReference(qint64 flipByte = -1) {
        QByteArray reference = ReadAll(QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT"));
        if (reference.size() != 524288)
            return false;
        if (flipByte >= 0)
            reference[int(flipByte)] = char(reference.at(int(flipByte)) ^ 0x80);
        session.ProgramFolder = dir.path();
        return WriteAll(file(QStringLiteral("TQ7350_Check.DAT")), reference);
    }
};

} // namespace

TEST(frmMainMaintenance, InformationGetAndSave) {
    ServiceRig rig;
    ASSERT_TRUE(rig.connected);
    frmMain& w = rig.w();

    // A slash in the suffix: refused at once, the detector hears nothing.
    w.txtSuffix->setText(QStringLiteral("_a/b"));
    rig.sim().clearReceivedCommands();
    w.cmdDown[5]->click();
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked[0].text, LoadMessage(kMsgBadFileNameCharacter));
    EXPECT_EQ(rig.asked[0].title, AppTitle());
    EXPECT_EQ(rig.asked[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(rig.sim().receivedCommands().isEmpty());
    EXPECT_TRUE(QDir(rig.dir.path()).entryList({QStringLiteral("*.csv")}).isEmpty());

    // A good suffix: the read, then one "Read" line under the header (how
    // reads append: tests/records/test_SettingsHistory).
    w.txtSuffix->setText(QStringLiteral("_site"));
    w.cmdDown[5]->click();
    EXPECT_TRUE(rig.record().CommFlags());
    const QStringList lines = rig.historyLines(QStringLiteral("_site"));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("Read,")));
    EXPECT_FALSE(lines.at(0).startsWith(QStringLiteral("Read,")));
    EXPECT_EQ(rig.asked.size(), 1u); // no further box
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(kMsgDownloadComplete))), kGreen);
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
}

// One download with a block lost once: the progress window says it asks
// once more, its bar reaches the total; then one cancelled half-way. (Which
// blocks are asked again, and the image: the link and workflow tests.)
TEST(frmMainMaintenance, TheProgressBarReachesTheTotalAndCancelStopsBetweenBlocks) {
    ServiceRig rig;
    ASSERT_TRUE(rig.connected);
    frmMain& w = rig.w();
    ASSERT_TRUE(w.cmdDown[2]->isVisibleTo(&w));
    bool lost = false; // the answer to block 0x41 is lost once
    rig.atBlock(0x40, [&] {
        rig.sim().faults().dropEveryN = lost ? 0 : 1;
        lost = true;
    });
    rig.atBlock(0x41, [&rig] { rig.sim().faults().dropEveryN = 0; });
    std::set<QString> shown;
    QString caption;
    bool cancelShown = false;
    QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
        if (frmUpload* up = w.Upload()) {
            shown.insert(up->text());
            caption = up->windowTitle();
            cancelShown = up->cmdUpload->isVisible();
            EXPECT_FALSE(w.fraCommand[0]->isEnabled());
        }
    });
    int highest = 0;
    int maximum = 0;
    QString stepsText;
    QObject::connect(&rig.link(), &uclTqif::DumpMessage, &w, [&](const QString& text) {
        frmUpload* up = w.Upload();
        if (!up || text != QLatin1String("Get FLASH Image"))
            return;
        QObject::connect(up->prgUpload, &QProgressBar::valueChanged, up, [&, up](int value) {
            highest = qMax(highest, value);
            maximum = up->prgUpload->maximum();
            stepsText = up->stepsText();
        });
    });
    w.cmdDown[2]->click();
    EXPECT_TRUE(shown.count(LoadMessage(kMsgOneMoreTime))) << "progress window";
    EXPECT_EQ(caption, LoadMessage(kMsgDownload));
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(maximum, 1024);
    EXPECT_EQ(highest, 1024);
    EXPECT_TRUE(stepsText.startsWith(LoadMessage(kMsgProgressBlocks, {1024, 1024})))
        << stepsText.toStdString();
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgLoggerDataDownload)), kGreen);
    EXPECT_FALSE(rig.logged(Line(LoadMessage(kMsgDataDownloadFailed))));
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_EQ(rig.session.CalMode, 0);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
    EXPECT_TRUE(ReadAll(rig.file(QStringLiteral("SerialLog.log")))
                    .contains("---Interval Trend Download Start Sequence---"));
    ASSERT_EQ(ReadAll(rig.image()).size(), 524288);

    // The time left while it runs, on a line of 115200 baud: known after
    // the first blocks.
    rig.sim().faults().baud = 115200;
    QString midway;
    rig.atBlock(0x1FF, [&] { midway = w.Upload()->stepsText(); });
    // Cancel after block 0x200: nothing more is asked.
    ASSERT_TRUE(rig.link().SetCheckData());
    rig.sim().clearReceivedCommands();
    rig.atBlock(0x200, [&] {
        ASSERT_NE(w.Upload(), nullptr);
        QTest::mouseClick(w.Upload()->cmdUpload, Qt::LeftButton);
    });
    w.cmdDown[2]->click();
    const QString leftPrefix =
        LoadMessage(kMsgProgressTimeLeft, {QStringLiteral("\x01")}).section(QChar(1), 0, 0);
    EXPECT_TRUE(midway.startsWith(LoadMessage(kMsgProgressBlocks, {511, 1024})) ||
                midway.startsWith(LoadMessage(kMsgProgressBlocks, {512, 1024})))
        << midway.toStdString();
    EXPECT_TRUE(midway.contains(leftPrefix)) << midway.toStdString();
    // Half the blocks left, each about 46 ms of line time (the request and
    // 512 bytes at 115200 baud): some 24 s.
    const QRegularExpressionMatch left =
        QRegularExpression(QStringLiteral("(\\d+):(\\d\\d)")).match(midway);
    ASSERT_TRUE(left.hasMatch()) << midway.toStdString();
    const int seconds = left.captured(1).toInt() * 60 + left.captured(2).toInt();
    EXPECT_GE(seconds, 20);
    EXPECT_LE(seconds, 28);
    EXPECT_EQ(rig.blockRequests(0x201), 0);
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgCommunicationCanceled)), kRed);
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
}

// Each command asks first ("No": nothing sent), keeps the window off while
// the detector works and logs its start and end in green, or its failure in
// red. (What each does to the detector: the link tests.)
TEST(frmMainMaintenance, DefaultAndTheClearsAskAndReport) {
    struct Case {
        int button;
        int question;
        int title;
        int start;
        int done;
        const char* refused;
        int fail;
    };
    const Case cases[] = {
        {3, kMsgDefaultReady, kMsgDefaultTitle, kMsgDefaultStart, kMsgDefaultComplete, "UX",
         kMsgDefaultFail},
        {4, kMsgClearPowerQuestion, kMsgClearPowerTitle, kMsgClearPowerAreaStart,
         kMsgClearPowerAreaComplete, "XY", kMsgClearPowerAreaFail},
        {5, kMsgDataClearReady, kMsgDataClearTitle, kMsgDataRemovalStart, kMsgDataRemovalComplete,
         "XC", kMsgDataRemovalFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ServiceRig rig;
        ASSERT_TRUE(rig.connected);
        frmMain& w = rig.w();

        rig.answers = {QMessageBox::No};
        rig.sim().clearReceivedCommands();
        w.cmdOption[c.button]->click();
        ASSERT_EQ(rig.asked.size(), 1u);
        EXPECT_EQ(rig.asked[0].text, LoadMessage(c.question));
        EXPECT_EQ(rig.asked[0].title, LoadMessage(c.title));
        EXPECT_EQ(rig.asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_TRUE(rig.sim().receivedCommands().isEmpty());

        bool disabledMeanwhile = false;
        QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w,
                         [&] { disabledMeanwhile = disabledMeanwhile || !w.isEnabled(); });
        w.cmdOption[c.button]->click();
        EXPECT_TRUE(disabledMeanwhile);
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(rig.colourOf(Line(LoadMessage(c.start))), kGreen);
        EXPECT_EQ(rig.colourOf(Line(LoadMessage(c.done))), kGreen);
        EXPECT_FALSE(rig.logged(Line(LoadMessage(c.fail))));

        w.rtbLog->ClearLog();
        rig.sim().faults().refuseCodes << QString::fromLatin1(c.refused);
        w.cmdOption[c.button]->click();
        EXPECT_EQ(rig.colourOf(Line(LoadMessage(c.fail))), kRed);
        EXPECT_FALSE(rig.logged(Line(LoadMessage(c.done))));
        EXPECT_TRUE(w.isEnabled());
    }
}

TEST(frmMainMaintenance, FlashCheck) {
    const QString ok = LoadMessage(kMsgFlashCheckResult, {QStringLiteral("OK")});
    const QString ng = LoadMessage(kMsgFlashCheckResult, {QStringLiteral("NG")});
    {
        SCOPED_TRACE("OK");
        ServiceRig rig;
        ASSERT_TRUE(rig.connected);
        ASSERT_TRUE(rig.placeReference());
        frmMain& w = rig.w();
        ASSERT_TRUE(w.cmdOption[8]->isVisibleTo(&w));
        std::set<QString> captions;
        QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
            if (frmUpload* up = w.Upload())
                captions.insert(up->windowTitle());
        });
        w.cmdOption[8]->click();
        ASSERT_GE(rig.asked.size(), 1u);
        EXPECT_EQ(rig.asked[0].text, LoadMessage(kMsgFlashCheckQuestion));
        EXPECT_EQ(rig.asked[0].title, LoadMessage(kMsgFlashCheckTitle));
        EXPECT_EQ(rig.colourOf(ok), kGreen);
        EXPECT_FALSE(rig.logged(ng));
        EXPECT_TRUE(captions.count(LoadMessage(kMsgUpload)));
        EXPECT_TRUE(captions.count(LoadMessage(kMsgDownload)));
        EXPECT_EQ(rig.asked.size(), 1u); // no failure box
        EXPECT_EQ(w.Upload(), nullptr);
        EXPECT_TRUE(w.fraCommand[1]->isEnabled());
    }
    {
        SCOPED_TRACE("a step fails");
        ServiceRig rig;
        ASSERT_TRUE(rig.connected);
        ASSERT_TRUE(rig.placeReference());
        rig.sim().faults().refuseCodes << QStringLiteral("XY");
        rig.w().cmdOption[8]->click();
        // The box, the red line; the progress window gone, the commands back.
        ASSERT_EQ(rig.asked.size(), 2u);
        EXPECT_EQ(rig.asked[1].text, QStringLiteral("Clear power log failed"));
        EXPECT_EQ(rig.asked[1].icon, QMessageBox::NoIcon);
        EXPECT_EQ(rig.colourOf(QStringLiteral("Clear power log failed")), kRed);
        EXPECT_EQ(rig.w().Upload(), nullptr);
        EXPECT_TRUE(rig.w().fraCommand[1]->isEnabled());
        EXPECT_EQ(rig.session.CalMode, 0);
        EXPECT_FALSE(rig.logged(ok));
        EXPECT_FALSE(rig.logged(ng));
    }
}

TEST(frmMainMaintenance, EepromDump) {
    ServiceRig rig;
    ASSERT_TRUE(rig.connected);
    frmMain& w = rig.w();
    const QString dump = rig.file(QStringLiteral("DumpEF.dat"));

    // Refused while the live readings run and during a calibration transfer.
    for (const int calMode : {0, 4, 5}) {
        SCOPED_TRACE(calMode);
        rig.session.CalMode = calMode;
        rig.link().setRunDensty(calMode == 0);
        rig.asked.clear();
        w.cmdFRAMDump->click();
        rig.link().setRunDensty(false);
        ASSERT_EQ(rig.asked.size(), 1u);
        EXPECT_EQ(rig.asked[0].text, LoadMessage(kMsgOtherOperationRunning));
        EXPECT_EQ(rig.asked[0].title, LoadMessage(kMsgNoEepromCommunication));
        EXPECT_EQ(rig.asked[0].icon, QMessageBox::Information);
        EXPECT_FALSE(rig.sim().receivedCommands().contains("EF,R,"));
        EXPECT_FALSE(QFile::exists(dump));
    }
    rig.session.CalMode = 0;

    // Asked, then the list in the start-up folder, its lines in brown.
    rig.asked.clear();
    QString caption;
    bool framesOff = false;
    QObject::connect(&rig.link(), &uclTqif::DumpMessage, &w, [&] {
        if (frmUpload* up = w.Upload()) {
            caption = up->windowTitle();
            framesOff = !w.fraCommand[0]->isEnabled();
        }
    });
    w.cmdFRAMDump->click();
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked[0].text, LoadMessage(kMsgEepromDumpReady));
    EXPECT_EQ(rig.asked[0].title, LoadMessage(kMsgEepromDumpTitle));
    EXPECT_EQ(caption, LoadMessage(kMsgEepromDumpList));
    EXPECT_TRUE(framesOff);
    const QByteArray list = ReadAll(dump);
    EXPECT_TRUE(list.contains("Adrs   +0 +1")) << list.left(200).toStdString();
    EXPECT_TRUE(list.contains("\r\n001FF0 "));
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgDumpListStart)), LogPane::DumpList());
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgDumpListFinished)), LogPane::DumpList());
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_EQ(rig.session.CalMode, 0);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
}
