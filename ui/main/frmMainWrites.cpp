// The main window's write commands ("Update", "Update ID", "Date/Time Set",
// "Write Check Data") and its settings-file commands ("Load local file",
// "Store local file"). The handlers ask, show progress and report; the
// checks, the preview, the writes and the files are the core's
// (records/WriteChecks, workflows/WritePreview, workflows/WriteSettings,
// workflows/ClockAndCheckData, records/SettingsImport, records/SettingsFile).
#include "ui/main/frmMain.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/LinkResult.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "records/SettingsHistory.h"
#include "records/SettingsImport.h"
#include "records/WriteChecks.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/main/LogPane.h"
#include "ui/main/frmUpload.h"
#include "workflows/ClockAndCheckData.h"
#include "workflows/RegisterEvents.h"
#include "workflows/WritePreview.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>

#include <array>

namespace {

// The busy pointer and, unless a calibration run drives the command (its
// own window stays usable), the window disabled while a command runs; both
// come back however the command ends.
class BusyWindow {
public:
    explicit BusyWindow(QWidget* window, bool disable = true)
        : window_(window), disabled_(disable) {
        if (disabled_)
            window_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyWindow() {
        QApplication::restoreOverrideCursor();
        if (disabled_)
            window_->setEnabled(true);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    QWidget* window_;
    bool disabled_;
};

// The settings files' name filters; the second ("Config Data") is selected.
QStringList SettingsFileFilters() {
    return {LoadMessage(kMsgAllFilesFilter), LoadMessage(kMsgConfigDataFilter)};
}
constexpr int kConfigDataFilter = 1;

} // namespace

// --- Update and Update ID ---------------------------------------------------------

bool frmMain::UpdateInstrument(WriteSettings::Mode mode) {
    clsInstrument& record = session_.Instrument;
    const bool calibrating = CalibrationDrivesWrite(session_.CalMode);
    if (uclTQ6937->IsBusy()) {
        AddInfo(LoadMessage(kMsgLinkBusyNothingSent), LogPane::Failure());
        return false;
    }
    // The history line's file name is checked before anything is sent.
    const QString suffix = txtSuffix->text();
    if (!IsValidHistorySuffix(suffix)) {
        MsgBox(this, LoadMessage(kMsgBadFileNameCharacter), AppTitle(), QMessageBox::Critical);
        txtSuffix->setFocus();
        return false;
    }
    settings_.FactoryRecordSuffix = suffix;

    if (!calibrating) {
        const WriteCheckResult check = CheckBeforeWrite(record);
        if (!check.passed()) {
            // The box says which check; the log pane what exactly it found.
            for (const QString& line : CheckDetails(record, check))
                AddInfo(line, LogPane::Failure());
            MsgBox(this, check.messageText(), check.titleText(), QMessageBox::Critical);
            return false;
        }
        const WritePreview::Preview preview =
            WritePreview::Build(session_.HasLastRead ? &session_.LastRead : nullptr, record, mode);
        const QString question =
            LoadMessage(kMsgUpdateReady) + QStringLiteral("\n\n") +
            WritePreview::Heading(preview, session_.LastRead.SerialNo(), session_.LastReadAt);
        if (MsgBox(this, question, LoadMessage(kMsgUpdateQuestionTitle), QMessageBox::Question,
                   QMessageBox::Yes | QMessageBox::No, preview.Lines()) != QMessageBox::Yes)
            return false;
        ShowUpload(kCalModeUpload, LoadMessage(kMsgUpload));
        upload_->setText(LoadMessage(kMsgNowUploading));
    }

    WriteSettings::Options options;
    options.mode = mode;
    options.AppendHistory = true;
    options.HistoryFolder = session_.StartupFolder;
    options.HistorySuffix = suffix;
    // What the write sends, for the copy of the detector's settings.
    const clsInstrument flagged = WritePreview::FlaggedForWrite(record, mode);
    WriteSettings::Result result;
    {
        BusyWindow busy(this, !calibrating);
        result = WriteSettings::Run(*uclTQ6937, record, options, LogReport());
        if (result.outcome == WriteSettings::Outcome::NotConnected)
            AddInfo(LoadMessage(kMsgWriteNotConnected), LogPane::Failure());
        else if (result.outcome == WriteSettings::Outcome::Busy)
            AddInfo(LoadMessage(kMsgLinkBusyNothingSent), LogPane::Failure());
        if (result.Success()) {
            RecordEvent(RegisterEvents::FromWrite(mode, result));
            if (session_.HasLastRead)
                WritePreview::TakeWritten(session_.LastRead, flagged);
            if (!result.HistoryError.isEmpty())
                AddInfo(LoadMessage(kMsgHistoryNotAppended, {result.HistoryError}),
                        LogPane::Failure());
        }
        if (!calibrating)
            CloseUpload();
        RefreshControls();
    }
    if (result.Success() && !calibrating)
        MsgBox(this, LoadMessage(kMsgUploadCompleteNotice), LoadMessage(kMsgUploadCompleteTitle),
               QMessageBox::Information);
    return result.Success();
}

// --- Date/Time Set and Write Check Data ---------------------------------------------

// Date/Time Set and Write Check Data: the same question, progress window and
// completion box around one workflow run. A calibration run that drives the
// write asks nothing and shows neither.
bool frmMain::RunShortWrite(int calMode, bool uploadingText, const std::function<bool()>& run) {
    const bool calibrating = CalibrationDrivesWrite(session_.CalMode);
    if (uclTQ6937->IsBusy()) {
        AddInfo(LoadMessage(kMsgLinkBusyNothingSent), LogPane::Failure());
        return false;
    }
    if (!calibrating) {
        if (MsgBox(this, LoadMessage(kMsgUpdateReady), LoadMessage(kMsgUpdateQuestionTitle),
                   QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
        ShowUpload(calMode, LoadMessage(kMsgUpload));
        if (uploadingText)
            upload_->setText(LoadMessage(kMsgNowUploading));
    }
    bool ok = false;
    {
        BusyWindow busy(this, !calibrating);
        ok = run();
        if (!calibrating)
            CloseUpload();
    }
    if (ok && !calibrating)
        MsgBox(this, LoadMessage(kMsgUploadCompleteNotice), LoadMessage(kMsgUploadCompleteTitle),
               QMessageBox::Information);
    return ok;
}

bool frmMain::SetDetectorClock() {
    const bool ok = RunShortWrite(kCalModeUpload, true, [this] {
        return DateTimeSet::Run(*uclTQ6937, session_.Instrument, {}, LogReport()).Success();
    });
    if (ok)
        RecordEvent(
            RegisterEvents::FromDetectorCommand(EventIdentity(), RegisterEvents::kClockSetAction));
    return ok;
}

bool frmMain::WriteCheckData() {
    const bool ok = RunShortWrite(kCalModeCheckData, false, [this] {
        return CheckDataWrite::Run(*uclTQ6937, LogReport()).Success();
    });
    if (ok)
        RecordEvent(
            RegisterEvents::FromDetectorCommand(EventIdentity(), RegisterEvents::kCheckDataAction));
    return ok;
}

// --- Settings files -------------------------------------------------------------------

void frmMain::cmdImportSetting_Click() {
    FileDialogRequest request;
    request.parent = this;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = LoadMessage(kMsgLoadLocalFile);
    request.folder = session_.StartupFolder;
    request.filters = SettingsFileFilters();
    request.selectedFilter = kConfigDataFilter;
    const QString path = AskFileName(request);
    if (path.isEmpty())
        return;

    BusyWindow busy(this);
    std::array<bool, 5> locked{};
    for (int ch = 0; ch < 5; ++ch)
        locked[size_t(ch)] = settings_.GasLocked[ch];
    clsInstrument& record = session_.Instrument;
    const SettingsFile::FileResult loaded = SettingsImport::Load(path, record, locked);
    for (const QString& warning : loaded.DescribeWarnings())
        AddInfo(LoadMessage(kMsgFileWarningLine, {warning}), LogPane::Message());
    if (!loaded.ok) {
        // The record is as it was: the reader fills a copy.
        AddInfo(LoadMessage(kMsgSettingsNotLoaded, {loaded.Describe()}), LogPane::Failure());
        return;
    }
    uclTQ6937->setInstrument(&record);
    uclTQ6937->setStatus(kStatusDone);
    AddInfo(LoadMessage(kMsgSettingsLoaded, {path}), LogPane::Success());
    RefreshAll();
}

void frmMain::cmdExportSetting_Click() {
    FileDialogRequest request;
    request.parent = this;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = LoadMessage(kMsgStoreLocalFile);
    request.folder = session_.StartupFolder;
    request.filters = SettingsFileFilters();
    request.selectedFilter = kConfigDataFilter;
    request.defaultSuffix = QStringLiteral("seq");
    const QString path = AskFileName(request);
    if (path.isEmpty())
        return;
    const SettingsFile::FileResult stored =
        SettingsFile::StoreSettingsFile(path, session_.Instrument);
    if (stored.ok)
        AddInfo(LoadMessage(kMsgSettingsStored, {path}), LogPane::Success());
    else
        AddInfo(LoadMessage(kMsgSettingsNotStored, {stored.Describe()}), LogPane::Failure());
}

// --- The detector as last read --------------------------------------------------------

void frmMain::KeepLastRead() {
    session_.LastRead = session_.Instrument;
    session_.LastRead.ClearChangeFlags();
    session_.HasLastRead = true;
    session_.LastReadAt = QDateTime::currentDateTime();
}
