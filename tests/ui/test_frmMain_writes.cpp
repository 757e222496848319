// The main window's write commands and settings files with the real widgets
// against the emulated detector: a grid edit written, verified and recorded
// in the history; the checks that refuse before anything is sent; Update ID;
// a calibration run that asks nothing; failures that are reported as
// failures; Load and Store local file, good and bad.
#include "MainWindowRig.h"

#include "app/MessageIds.h"
#include "link/WriteSequence.h"
#include "records/SettingsFile.h"
#include "records/SettingsHistory.h"
#include "register/RegisterStore.h"
#include "ui/FileDialog.h"
#include "ui/main/frmUpload.h"
#include "workflows/RegisterEvents.h"

#include <QAbstractItemView>
#include <QRegularExpression>
#include <QSet>

using namespace windowtest;
using OptionRules::kColAlarm;
using OptionRules::kColWarning;

namespace {

constexpr int kCo = 2;  // the emulator's CO channel: warning 25, alarm 50, full scale 500
constexpr int kH2s = 3; // H2S: warning 10.0, alarm 30.0

const QString kUpdateReady = QStringLiteral("Update Ready?");
const QString kUploadComplete = QStringLiteral("Upload Complete.");

// A window that has read the detector.
struct ReadWindow : MainWindowRig {
    explicit ReadWindow(const std::function<void(SimState&)>& before = {}) {
        if (before)
            before(sim().state());
        EXPECT_TRUE(connect());
        window->cmdDown[1]->click();
        EXPECT_TRUE(record().CommFlags());
        asked.clear();
    }
    frmMain& w() { return *window; }
    int sent() { return int(sim().receivedCommands().size()); }
    const MsgBoxRequest* question() const {
        for (const MsgBoxRequest& r : asked)
            if (r.text.startsWith(kUpdateReady))
                return &r;
        return nullptr;
    }
    QString history() const {
        return QString::fromUtf8(
            testsupport::ReadAll(file(HistoryFileName(window->txtSuffix->text()))));
    }
};

// What the progress window showed while the link worked, and whether the
// main window was disabled meanwhile.
struct ProgressWatch {
    QSet<QString> texts;
    bool shown = false;
    bool windowEnabled = false;
    ProgressWatch(frmMain& w) {
        QObject::connect(w.uclTQ6937, &uclTqif::StsTransmit, &w, [this, &w] {
            if (frmUpload* up = w.Upload(); up && up->isVisible()) {
                shown = true;
                texts.insert(up->text());
            }
            windowEnabled = windowEnabled || w.isEnabled();
        });
    }
};

} // namespace

// A write the detector refuses, and one the user cancels, end in red with
// the reason; no completion box, no history line. Then the same edit is
// written, verified and recorded.
TEST(frmMainWrites, AGridEditIsWrittenVerifiedAndRecordedOrSaysWhyNot) {
    ReadWindow rig;
    frmMain& w = rig.w();
    ASSERT_TRUE(uitest::TypeIntoCell(*w.vfgOption, OptionGrid::RowOf(kCo), kColAlarm,
                                     QStringLiteral("35")));
    rig.sim().faults().refuseCodes = {QStringLiteral("A2:W")};
    w.cmdOption[0]->click();
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(kMsgUploadFailed))), kRed);
    EXPECT_EQ(rig.colourOf(QStringLiteral("The detector refused A2 (Alarm).")), kRed);
    EXPECT_FALSE(rig.logged(Line(LoadMessage(5429))));
    EXPECT_FALSE(rig.wasAsked(kUploadComplete));
    EXPECT_TRUE(rig.history().isEmpty());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.Upload(), nullptr);

    rig.sim().faults() = SimFaults{};
    w.rtbLog->ClearLog();
    int transmitted = 0;
    const auto cancel = QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
        if (++transmitted == 60) // among the write commands
            rig.link().setCancel(true);
    });
    w.cmdOption[0]->click();
    QObject::disconnect(cancel);
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgWriteCancelled)), kRed);
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(kMsgUploadFailed))), kRed);
    EXPECT_FALSE(rig.wasAsked(kUploadComplete));
    EXPECT_TRUE(rig.history().isEmpty());
    EXPECT_DOUBLE_EQ(rig.sim().state().channels[kCo].alarm, 50);

    w.rtbLog->ClearLog();
    rig.asked.clear();
    ProgressWatch progress(w);
    w.cmdOption[0]->click();
    // The question lists exactly what changes, against the detector as read.
    const MsgBoxRequest* q = rig.question();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->title, QStringLiteral("Update"));
    EXPECT_TRUE(q->text.contains(rig.sim().state().serialNo)) << qPrintable(q->text);
    EXPECT_EQ(q->items, QStringList{QStringLiteral("Alarm, CO: 50 → 35")});

    // Written, stored and read back; the progress window said so.
    EXPECT_DOUBLE_EQ(rig.sim().state().channels[kCo].alarm, 35);
    EXPECT_TRUE(progress.shown);
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Now Uploading")));
    EXPECT_TRUE(progress.texts.contains(QStringLiteral("Now Verifying")));
    EXPECT_FALSE(progress.windowEnabled);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_EQ(rig.colourOf(LoadMessage(5428)), kGreen);
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5429))), kGreen);
    EXPECT_TRUE(rig.wasAsked(kUploadComplete));
    EXPECT_EQ(rig.asked.back().text, kUploadComplete);
    // One "Write" line under the header.
    const QStringList lines = rig.history().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("Write,")));

    // The copy of the detector follows the write: the next question lists
    // nothing to change.
    rig.asked.clear();
    rig.answers = {QMessageBox::No};
    const auto before = rig.sent();
    w.cmdOption[0]->click();
    ASSERT_NE(rig.question(), nullptr);
    EXPECT_TRUE(rig.question()->items.isEmpty());
    EXPECT_TRUE(rig.question()->text.contains(LoadMessage(kMsgPreviewNoChange)));
    EXPECT_EQ(rig.sent(), before); // No: nothing sent
}

// The checks (and a suffix no file name can carry) stop the write before
// anything is sent, with the message of the check that failed, and leave
// the record and its flags alone.
TEST(frmMainWrites, TheChecksRefuseBeforeAnythingIsSent) {
    struct Case {
        const char* name;
        std::function<void(SimState&)> detector; // before the read
        std::function<void(ReadWindow&)> edit;   // after it
        int message;
        int title;
    };
    const QList<Case> cases = {
        {"channel 4 alone with HC mode 1",
         {},
         [](ReadWindow& w) {
             w.record().setHcMode(1);
             w.record().setGasEnabled(0, false);
         },
         kMsgUnavailableCombination,
         kMsgCommunicationNotPossible},
        {"every channel off",
         {},
         [](ReadWindow& w) {
             for (int ch = 0; ch < 5; ++ch)
                 w.record().setGasEnabled(ch, false);
         },
         kMsgNoAvailableSensor,
         kMsgNoSensor},
        {"a warning above the alarm as read",
         [](SimState& s) { s.channels[kH2s].warning = 40; },
         {},
         kMsgCheckAlarmPoints,
         kMsgAlarmPointRange},
        {"a suffix no file name can carry",
         {},
         [](ReadWindow& w) { w.window->txtSuffix->setText(QStringLiteral("site/7")); },
         kMsgBadFileNameCharacter,
         kMsgAppTitle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow rig(c.detector);
        clsInstrument& r = rig.record();
        if (c.edit)
            c.edit(rig);
        const QStringList pending = PendingWriteCommands(r);
        const QStringList lines = SettingsFile::SettingsFileLines(r);
        const int sent = rig.sent();
        for (int index : {0, 7}) { // Update and Update ID
            rig.asked.clear();
            rig.window->cmdOption[index]->click();
            ASSERT_EQ(rig.asked.size(), 1u);
            EXPECT_EQ(rig.asked.front().text, LoadMessage(c.message));
            EXPECT_EQ(rig.asked.front().title, LoadMessage(c.title));
            EXPECT_EQ(rig.asked.front().icon, QMessageBox::Critical);
        }
        EXPECT_EQ(rig.sent(), sent);
        EXPECT_EQ(PendingWriteCommands(r), pending);
        EXPECT_EQ(SettingsFile::SettingsFileLines(r), lines);
        EXPECT_TRUE(rig.history().isEmpty());
    }
}

TEST(frmMainWrites, UpdateIdWritesTheIdentityOnly) {
    ReadWindow rig;
    frmMain& w = rig.w();
    w.txtOption[1]->setText(QStringLiteral("NORTH GATE"));
    emit w.txtOption[1]->editingFinished();
    ASSERT_TRUE(uitest::TypeIntoCell(*w.vfgOption, OptionGrid::RowOf(kCo), kColWarning,
                                     QStringLiteral("20")));
    w.cmdOption[7]->click();
    ASSERT_NE(rig.question(), nullptr);
    EXPECT_EQ(rig.question()->items,
              QStringList{QStringLiteral("Station ID: STATION-01 → NORTH GATE")});
    EXPECT_EQ(rig.sim().state().stationId.trimmed(), QStringLiteral("NORTH GATE"));
    EXPECT_DOUBLE_EQ(rig.sim().state().channels[kCo].warning, 25); // a setting: not sent
    EXPECT_TRUE(rig.wasAsked(kUploadComplete));
    EXPECT_TRUE(rig.history().contains(QStringLiteral("\r\nWriteID,")));
}

// While a calibration run drives the write, the commands ask nothing and
// show neither the progress window nor a box; they still write.
TEST(frmMainWrites, ACalibrationRunAsksNothingAndShowsNothing) {
    for (const int mode : {kCalModeSpanRun, kCalModeCalibrationTransfer}) {
        SCOPED_TRACE(mode);
        ReadWindow rig;
        frmMain& w = rig.w();
        rig.session.CalMode = mode;
        rig.record().setAlarm(kCo, 40);
        ProgressWatch progress(w);
        EXPECT_TRUE(w.UpdateInstrument(WriteSettings::Mode::Update));
        EXPECT_TRUE(w.SetDetectorClock());
        EXPECT_TRUE(rig.asked.empty());
        EXPECT_FALSE(progress.shown);
        EXPECT_TRUE(progress.windowEnabled); // the calibration's own window stays usable
        EXPECT_DOUBLE_EQ(rig.sim().state().channels[kCo].alarm, 40);
        EXPECT_EQ(rig.session.CalMode, mode);
    }
}

TEST(frmMainWrites, DateTimeSetAndCheckDataSayWhetherTheDetectorTookThem) {
    ReadWindow rig;
    frmMain& w = rig.w();
    rig.settings.DebugMode = true;
    rig.sim().state().clockOffsetSecs = 3600;
    w.cmdOption[1]->click();
    EXPECT_TRUE(rig.wasAsked(kUpdateReady));
    EXPECT_EQ(rig.asked.back().text, kUploadComplete);
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5429))), kGreen);

    // (What the detector took: the workflow tests.)
    rig.asked.clear();
    w.cmdOption[6]->click();
    EXPECT_TRUE(rig.wasAsked(kUploadComplete));
    // Both changed the detector: each is in the register, after the read.
    auto actions = [&w, &rig] {
        QList<InstrumentRegister::Event> events;
        QString error;
        InstrumentRegister::Store* store = w.Register().Open(&error);
        EXPECT_NE(store, nullptr) << error.toStdString();
        if (store)
            store->Events(rig.record().SerialNo().trimmed(), &events, &error);
        QStringList out;
        for (const InstrumentRegister::Event& e : events)
            out << e.action;
        return out;
    };
    EXPECT_EQ(actions(),
              (QStringList{QString(), QStringLiteral("clock-set"), QStringLiteral("check-data")}));

    // A detector that does not answer: red, with the reason; no box.
    rig.asked.clear();
    w.rtbLog->ClearLog();
    rig.sim().faults().silent = true;
    w.cmdOption[1]->click();
    w.cmdOption[6]->click();
    EXPECT_EQ(rig.colourOf(QStringLiteral("TQ-7350 Date/Time Set Failed: the detector did not "
                                          "answer")),
              kRed);
    EXPECT_EQ(rig.colourOf(QStringLiteral("TQ-7350 Write Check Data Failed")), kRed);
    EXPECT_FALSE(rig.logged(Line(LoadMessage(5429))));
    EXPECT_FALSE(rig.wasAsked(kUploadComplete));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(actions().size(), 3); // failures leave nothing
}

TEST(frmMainWrites, StoreThenLoadGivesTheSameRecord) {
    ReadWindow rig;
    frmMain& w = rig.w();
    const QString path = rig.file(QStringLiteral("site.seq"));
    QList<FileDialogRequest> dialogs;
    ScopedFileDialogHandler files([&](const FileDialogRequest& r) {
        dialogs << r;
        return path;
    });
    // A point with more decimals than its channel shows: the file keeps two.
    rig.record().setAlarm(kH2s, 25.04f);
    const QStringList stored = SettingsFile::SettingsFileLines(rig.record());
    w.cmdExportSetting->click();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs.at(0).kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(dialogs.at(0).filters, (QStringList{QStringLiteral("All files (*.*)"),
                                                  QStringLiteral("Config Data (*.seq)")}));
    EXPECT_EQ(dialogs.at(0).selectedFilter, 1);
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgSettingsStored, {path})), kGreen);

    // Edits after the store are replaced by the load.
    ASSERT_TRUE(uitest::TypeIntoCell(*w.vfgOption, OptionGrid::RowOf(kCo), kColAlarm,
                                     QStringLiteral("45")));
    rig.record().ClearChangeFlags();
    rig.link().setStatus(kStatusIdle);
    w.cmdImportSetting->click();
    EXPECT_EQ(dialogs.at(1).kind, FileDialogRequest::Kind::Open);
    clsInstrument& r = rig.record();
    EXPECT_EQ(SettingsFile::SettingsFileLines(r), stored);
    EXPECT_FLOAT_EQ(r.Alarm(kH2s), 25.0f); // shortened to the channel's decimal
    EXPECT_FLOAT_EQ(r.Alarm(kCo), 50);
    EXPECT_TRUE(r.ImportFlag());
    EXPECT_TRUE(r.Change_Alarm(kCo)); // everything marked for writing
    EXPECT_EQ(rig.link().Status(), kStatusDone);
    EXPECT_EQ(w.vfgOption->TextMatrix(OptionGrid::RowOf(kCo), kColAlarm), QStringLiteral("50"));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Cancelling the dialog does nothing.
    const QString log = w.rtbLog->PlainText();
    ScopedFileDialogHandler cancel([](const FileDialogRequest&) { return QString(); });
    w.cmdImportSetting->click();
    w.cmdExportSetting->click();
    EXPECT_EQ(w.rtbLog->PlainText(), log);
}

// A file that stops at a bad line changes nothing; the log pane names the
// file, the line and the reason, and the window is usable again.
TEST(frmMainWrites, ABadSettingsFileChangesNothing) {
    ReadWindow rig;
    frmMain& w = rig.w();
    clsInstrument& r = rig.record();
    QStringList lines = SettingsFile::SettingsFileLines(r);
    const int at = int(lines.indexOf(QRegularExpression(QStringLiteral("A2,W,.*"))));
    ASSERT_GE(at, 0);
    lines[at] = QStringLiteral("A2,W,   50, 23.5,  900,   30,*****,"); // above 500 ppm
    const QString path = rig.file(QStringLiteral("bad.seq"));
    ASSERT_TRUE(
        testsupport::WriteAll(path, (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8()));

    ASSERT_TRUE(uitest::TypeIntoCell(*w.vfgOption, OptionGrid::RowOf(kCo), kColWarning,
                                     QStringLiteral("20")));
    const QStringList before = SettingsFile::SettingsFileLines(r);
    const QStringList pending = PendingWriteCommands(r);
    ScopedFileDialogHandler files([&](const FileDialogRequest&) { return path; });
    w.cmdImportSetting->click();
    EXPECT_EQ(SettingsFile::SettingsFileLines(r), before);
    EXPECT_EQ(PendingWriteCommands(r), pending);
    EXPECT_FALSE(r.ImportFlag());
    const QString where = QStringLiteral("%1:%2: A2").arg(path).arg(at + 1);
    EXPECT_EQ(rig.colourOf(where), kRed) << qPrintable(w.rtbLog->PlainText());
    EXPECT_TRUE(rig.logged(QStringLiteral("above the channel's full scale")));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A write while another command holds the link is refused before anything
// is sent.
TEST(frmMainWrites, AWriteWhileTheLinkIsBusySendsNothing) {
    ReadWindow rig;
    frmMain& w = rig.w();
    rig.record().setAlarm(kCo, 35);
    bool tried = false;
    bool accepted = true;
    QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
        if (tried)
            return;
        tried = true;
        // Once "Instrument Information" waits for its first answer.
        QTimer::singleShot(0, &w, [&] {
            EXPECT_TRUE(rig.link().IsBusy());
            accepted = w.UpdateInstrument(WriteSettings::Mode::Update);
        });
    });
    w.cmdDown[1]->click();
    EXPECT_TRUE(tried);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgLinkBusyNothingSent)), kRed);
    EXPECT_TRUE(rig.asked.empty());
    EXPECT_DOUBLE_EQ(rig.sim().state().channels[kCo].alarm, 50);
}

// The ID lists drop down about twenty entries.
TEST(frmMainWrites, ShortLists) {
    ReadWindow rig;
    frmMain& w = rig.w();
    for (QComboBox* combo : {w.cmbStation, w.cmbUser}) {
        ASSERT_EQ(combo->count(), 128);
        combo->showPopup();
        QCoreApplication::processEvents();
        QAbstractItemView* view = combo->view();
        const int rows = view->viewport()->height() / view->sizeHintForRow(0);
        EXPECT_GE(rows, 15);
        EXPECT_LE(rows, 21);
        combo->hidePopup();
    }
}
