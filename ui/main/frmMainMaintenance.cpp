// The main window's read and maintenance commands: "Information Get &&
// Save", "Download Logger Data", "DEFAULT", "Clear Power Log", "Clear Logger
// Data", "FLASH Check" and "EEPROM Dump". Each asks its question, shows the
// progress window, runs its workflow with the window's report and shows the
// result; the steps themselves are the workflows'.
#include "ui/main/frmMain.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "ui/MessageBox.h"
#include "ui/main/LogPane.h"
#include "ui/main/frmUpload.h"
#include "workflows/DumpList.h"
#include "workflows/FlashCheck.h"
#include "workflows/InformationSave.h"
#include "workflows/LoggerDownload.h"
#include "workflows/MaintenanceCommand.h"
#include "workflows/RegisterEvents.h"

#include "model/clsInstrument.h"

#include <QLineEdit>

namespace {

// Run modes of the progress window (CalMode).
constexpr int kModeDownload = 0;
constexpr int kModeTransfer = 1; // logger or dump download, with the cancel button
constexpr int kModeWriting = 6;

} // namespace

bool frmMain::InformationGetAndSave() {
    const QString suffix = txtSuffix->text();
    if (!InformationSave::SuffixAcceptable(suffix)) {
        MsgBox(this, LoadMessage(kMsgBadFileNameCharacter), AppTitle(), QMessageBox::Critical);
        txtSuffix->setFocus();
        return false;
    }
    if (uclTQ6937->IsBusy())
        return false;
    settings_.FactoryRecordSuffix = suffix;
    ShowUpload(kModeDownload, LoadMessage(kMsgDownload));
    EnableCommandFrames(false);

    InformationSave::Options options;
    for (int ch = 0; ch < 5; ++ch)
        options.download.ChannelLocked[ch] = settings_.GasLocked[ch];
    options.Folder = StartupFolder();
    options.Suffix = suffix;
    const InformationSave::Result result =
        InformationSave::Run(*uclTQ6937, session_.Instrument, options, LogReport());
    if (result.download.Success())
        RecordEvent(RegisterEvents::FromRead(session_.Instrument, result.download));

    EndRead(result.download.outcome);
    return result.Success();
}

bool frmMain::LoggerDataDownload() {
    if (uclTQ6937->IsBusy())
        return false;
    EnableCommandFrames(false);
    // With no detector the workflow only says so.
    if (uclTQ6937->Connected())
        ShowUpload(kModeTransfer, LoadMessage(kMsgDownload));

    LoggerDownload::Options options;
    options.ImagePath = CheckDataPath();
    options.Cancelled = [this] { return upload_ && upload_->Canceled(); };
    const LoggerDownload::Result result = LoggerDownload::Run(*uclTQ6937, options, LogReport());

    CloseUpload();
    session_.CalMode = kModeDownload;
    EnableCommandFrames(true);
    return result.Success();
}

void frmMain::MaintenanceCommandClick(int Index) {
    struct Command {
        MaintenanceCommand::Kind kind;
        int question;
        int title;
    };
    Command command{};
    switch (Index) {
    case 3:
        command = {MaintenanceCommand::Kind::Default, kMsgDefaultReady, kMsgDefaultTitle};
        break;
    case 4:
        command = {MaintenanceCommand::Kind::ClearPower, kMsgClearPowerQuestion,
                   kMsgClearPowerTitle};
        break;
    case 5:
        command = {MaintenanceCommand::Kind::ClearLogger, kMsgDataClearReady, kMsgDataClearTitle};
        break;
    default:
        return;
    }
    if (MsgBox(this, LoadMessage(command.question), LoadMessage(command.title),
               QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (uclTQ6937->IsBusy())
        return;
    // The window takes no input until the detector has answered.
    setEnabled(false);
    const MaintenanceCommand::Result result =
        MaintenanceCommand::Run(*uclTQ6937, session_.Instrument, command.kind, LogReport());
    if (result.Success()) {
        AddInfo(result.DoneText, LogPane::Success());
        RecordEvent(RegisterEvents::FromMaintenance(EventIdentity(), command.kind, result));
    }
    setEnabled(true);
}

void frmMain::FlashCheckClick() {
    if (MsgBox(this, LoadMessage(kMsgFlashCheckQuestion), LoadMessage(kMsgFlashCheckTitle),
               QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (uclTQ6937->IsBusy())
        return;
    EnableCommandFrames(false);

    FlashCheck::Options options;
    options.ImagePath = CheckDataPath();
    options.ReferencePath = FlashCheck::ReferenceImagePath(session_.ProgramFolder);
    options.Cancelled = [this] { return upload_ && upload_->Canceled(); };
    // The download runs in the download's own progress window (with its
    // cancel button); the steps around it in the writing one.
    options.PhaseChanged = [this](FlashCheck::Phase phase) {
        if (phase == FlashCheck::Phase::Downloading)
            ShowUpload(kModeTransfer, LoadMessage(kMsgDownload));
        else
            ShowUpload(kModeWriting, LoadMessage(kMsgUpload));
    };
    const FlashCheck::Result result = FlashCheck::Run(*uclTQ6937, options, LogReport());
    // After the check: nothing is sent before it decides to run.
    if (result.verdict != FlashCheck::Verdict::None)
        RecordEvent(RegisterEvents::FromFlashCheck(EventIdentity(), result));

    // Also after a step that failed: the progress window goes, the failure
    // is in the log pane (red) and in its box, and the commands come back.
    CloseUpload();
    session_.CalMode = kModeDownload;
    if (!result.FailureText.isEmpty())
        MsgBox(this, result.FailureText, AppTitle(), QMessageBox::NoIcon);
    EnableCommandFrames(true);
}

void frmMain::cmdFRAMDump_Click() {
    // Not while a calibration transfer or the live readings use the link.
    if (session_.CalMode == 4 || session_.CalMode == 5 || uclTQ6937->RunDensty()) {
        MsgBox(this, LoadMessage(kMsgOtherOperationRunning), LoadMessage(kMsgNoEepromCommunication),
               QMessageBox::Information);
        return;
    }
    if (MsgBox(this, LoadMessage(kMsgEepromDumpReady), LoadMessage(kMsgEepromDumpTitle),
               QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (uclTQ6937->IsBusy())
        return;
    ShowUpload(kModeTransfer, LoadMessage(kMsgEepromDumpList));
    EnableCommandFrames(false);

    DumpList::Options options;
    options.Path = SerialLog::joinPath(StartupFolder(), QString::fromLatin1(DumpList::kFileName));
    DumpList::Run(*uclTQ6937, options, LogReport());

    CloseUpload();
    EnableCommandFrames(true);
    session_.CalMode = kModeDownload;
}
