// The main window: owns the instrument link and works on the program's
// settings record. It shows the link status as lamps, the detector's
// identity fields, the PC and detector clocks, the per-gas option grid and
// the log pane, and offers the read, write and setting commands.
//
// Which commands are usable follows two facts: whether the link is connected
// and whether the record holds editable data (read from the detector, or
// imported / the defaults at start-up):
//
//                                  not connected     connected
//                                  -------------     ---------
//   identity fields, interval,     editable: on      editable: on
//   grid editing                   else off          else off
//   read commands, Power Off       off               on
//   Update, Calibration, Update ID off               editable: on, else off
//   other write commands           off               on
//   file commands, Detail Settings on                on
//   suffix box                     off               on
//
// The detector is reached through the serial port of the USB infrared
// adapter (found by its hardware id), a device or socket the user named
// (--port / TQ7350_PORT, --socket / TQ7350_SOCKET), or in demonstration mode
// (--demo) the built-in emulator.
#pragma once

#include "app/AppSettings.h"
#include "app/Helpers.h"
#include "app/Startup.h"
#include "records/SessionState.h"
#include "workflows/Report.h"
#include "workflows/WriteSettings.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class DemoDetector;
class GridControl;
class LinkTransport;
class LogPane;
class OptionGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class StatusLamp;
class frmRegister;
class frmUpload;
class uclTqif;
namespace InstrumentRegister {
struct Event;
}
namespace RegisterEvents {
class Recorder;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Minimum size of the window in pixels (11640 x 9285 twips at 15 twips
    // per pixel).
    static constexpr int kMinWidth = 776;
    static constexpr int kMinHeight = 619;
    // Hardware id of the USB infrared adapter.
    static constexpr const char* kAdapterId = "VID_10C4&PID_EA60";

    // What the window is built from. The defaults are the program-wide
    // objects; tests pass their own.
    struct Setup {
        AppSettings* settings = nullptr;         // null: App()
        SessionState* session = nullptr;         // null: Session()
        const StartupOptions* options = nullptr; // null: AppStartupOptions()
        // Folder of the configuration file, serial logs and images; empty:
        // the current directory.
        QString startupFolder;
        // Called once before the port is first opened: may give the link its
        // clock and return a transport the window then always uses (tests,
        // the demonstration detector). Null return: the normal port choice.
        std::function<LinkTransport*(uclTqif&)> linkSetup;
        // The serial ports the adapter search looks at; empty function: the
        // platform's ports.
        std::function<QList<SerialPortRecord>()> listPorts;
        // Environment overrides (TQ7350_PORT / TQ7350_SOCKET) are read unless
        // this is false.
        bool readEnvironment = true;
    };

    explicit frmMain(QWidget* parent = nullptr);
    explicit frmMain(const Setup& setup, QWidget* parent = nullptr);
    ~frmMain() override;

    // --- Controls ------------------------------------------------------------
    QGroupBox* fraTransStatus = nullptr;
    StatusLamp* shpStatus[4] = {};
    QLabel* lblStatus[4] = {};
    QLabel* lblDemo = nullptr; // "DEMO" under the lamps in demonstration mode
    QLabel* lblTitle = nullptr;
    QGroupBox* fraCommand[3] = {};
    QPushButton* cmdDown[6] = {}; // indexes 1, 2, 4 and 5
    QPushButton* cmdOption[9] = {};
    QPushButton* cmdFRAMDump = nullptr;
    QPushButton* cmdFactorySetting = nullptr;
    QPushButton* cmdImportSetting = nullptr;
    QPushButton* cmdExportSetting = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdRegister = nullptr;
    QGroupBox* fraStatus = nullptr;
    QLabel* lblOption[8] = {};
    QLineEdit* txtOption[3] = {};
    QComboBox* cmbStation = nullptr;
    QComboBox* cmbUser = nullptr;
    QComboBox* cmbInterval = nullptr;
    QLabel* lblInst[10] = {}; // indexes 6..9
    QLabel* lblSuffix = nullptr;
    QLineEdit* txtSuffix = nullptr;
    GridControl* vfgOption = nullptr;
    LogPane* rtbLog = nullptr;
    QTimer* tmrInter = nullptr;
    uclTqif* uclTQ6937 = nullptr;

    // --- Operations the commands use ------------------------------------------
    // Appends a line to the log pane in the given colour (packed: red + 256 x
    // green + 65536 x blue, or a QColor).
    void AddInfo(const QString& Info, const QColor& Colors);
    void AddInfo(const QString& Info, int32_t Colors);
    // The state model: switches every control for Connected / Editable.
    void RefreshControls();
    // Refreshes every displayed value from the record (identity fields,
    // combos, program number, grid) and the controls.
    void RefreshAll();
    // Enables or disables the three command frames at once.
    void EnableCommandFrames(bool on);
    // Puts the stored file-name suffix into the suffix box.
    void ResetSuffix();
    // Opens the link's port; true when a serial adapter (or device) is used.
    bool OpenPort();
    void ClosePort();
    // Initialisation at load and after a power-off.
    void Initialize();
    // Logs kMsgDateMismatch in red when the detector's clock is more than a day away
    // from the PC's.
    void DateCheck();
    // Shows the progress window for a run mode; the caller deletes it with
    // CloseUpload(). Its cancel button sets the link's Cancel.
    frmUpload* ShowUpload(int calMode, const QString& caption);
    void CloseUpload();
    frmUpload* Upload() const;
    // Where a workflow reports: lines into the log pane in their colour,
    // progress texts into the progress window while it is shown.
    workflows::Report LogReport();

    // The record the window works on and the defaults record.
    clsInstrument& Record() { return session_.Instrument; }
    clsInstrument& Defaults() { return session_.Defaults; }
    AppSettings& Settings() { return settings_; }
    SessionState& State() { return session_; }
    OptionGrid* Options() const { return optionGrid_; }
    bool Demo() const { return demo_ != nullptr; }
    DemoDetector* Demonstration() const { return demo_; }
    // True until the first activation has run (again after a power-off).
    bool FirstActivationPending() const { return firstActivation_; }
    // Folder of the configuration, serial logs and images.
    QString StartupFolder() const { return session_.StartupFolder; }
    // The check-data files: the logger image and the reference image.
    QString CheckDataPath() const { return checkDataPath_; }
    QString CheckReferencePath() const { return checkReferencePath_; }

    // The instrument register the window records in (--no-register,
    // --register, TQ7350_REGISTER, the default) and its window.
    RegisterEvents::Recorder& Register();
    frmRegister* RegisterWindow() const;
    void cmdRegister_Click();
    // Records the event of detector work just done; its number, 0 when it
    // was not recorded. A register that cannot be opened or written costs
    // one red line in the log pane, nothing more.
    qint64 RecordEvent(const InstrumentRegister::Event& event);
    // The detector's identity for an event: the record as last read, else
    // asked of the detector (only when the register is on, and only once the
    // command has been sent: nothing goes to the detector before a command
    // decides to run).
    clsInstrument EventIdentity();

    // --- Commands ------------------------------------------------------------
    void cmdDown_Click(int Index);
    void cmdOption_Click(int Index);
    // "Instrument Information": reads the detector; true when the read
    // succeeded.
    bool InstrumentDownload();
    // After a read: the fields shown again, the progress window closed and
    // the command frames enabled.
    void EndRead(workflows::Outcome outcome);
    // "Power Off" (asks first).
    void PowerOff();
    // "Calibration": the calibration window with the pump on
    // (frmMainCalibration.cpp).
    void CalibrationClick();
    // After a connection: when the detector holds part of a write that did
    // not complete, says so and offers to finish it or to put the old values
    // back (frmMainRecovery.cpp).
    void CheckUnfinishedWrite();

    // Read and maintenance commands (frmMainMaintenance.cpp).
    // "Information Get && Save": refuses a suffix a file name cannot carry,
    // else reads the detector and appends a "Read" history line; true when
    // both succeeded.
    bool InformationGetAndSave();
    // "Download Logger Data" into the logger image; true when it succeeded.
    bool LoggerDataDownload();
    // "DEFAULT" (3), "Clear Power Log" (4), "Clear Logger Data" (5); ask first.
    void MaintenanceCommandClick(int Index);
    // "FLASH Check" (asks first).
    void FlashCheckClick();
    // "EEPROM Dump" (asks first): the dump list into "DumpEF.dat".
    void cmdFRAMDump_Click();

    // "Detail Settings": the factory settings dialog on the record, then a
    // refresh of the window (frmMainFactory.cpp).
    void cmdFactorySetting_Click();

    // The write commands and the settings files (frmMainWrites.cpp).
    // "Update" (Mode::Update) and "Update ID" (Mode::UpdateId): the checks,
    // the question with the preview of what the write changes, the verified
    // write, the history line. True when the detector holds the write.
    bool UpdateInstrument(WriteSettings::Mode mode);
    // "Date/Time Set" and "Write Check Data"; true when the detector took it.
    bool SetDetectorClock();
    bool WriteCheckData();
    bool RunShortWrite(int calMode, bool uploadingText, const std::function<bool()>& run);
    // "Load local file" and "Store local file".
    void cmdImportSetting_Click();
    void cmdExportSetting_Click();
    // Keeps a copy of the record as the detector holds it, after a read.
    void KeepLastRead();

    // Shifts "SerialLog1..8.log" up by one and "SerialLog.log" to
    // "SerialLog1.log" when keepHistory is set (at most nine old logs
    // remain); then removes "SerialLog.log". False when a file could not be
    // moved or removed.
    static bool RotateSerialLogs(const QString& folder, bool keepHistory);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void SetCaptions();
    void Form_Load();
    void Form_Activate();
    void FirstActivation();
    void Form_Unload();
    void SizeWindow();
    void SetLogTabStops();
    void FitGridHeight();
    void UpdateMinimumSize();
    void PadButtons();
    void SetLamp(int index, const QColor& fill, const QColor& border);
    void SetTextControl(QWidget* control, bool on);

    // Identity fields.
    static bool IdTextAcceptable(int Index, const QString& text);
    bool txtOption_KeyPress(int Index, QKeyEvent* event);
    void txtOption_Validate(int Index);
    void cmbStation_Click(int index);
    void cmbUser_Click(int index);
    void cmbInterval_Click(int index);
    void txtSuffix_Validate();

    // Clock.
    void tmrInter_Timer();

    // Link events.
    void uclTQ6937_OnConnect();
    void uclTQ6937_Densty(float d1, float d2, float d3, float d4, float d5);
    void uclTQ6937_ConnectRetry(int count);
    void uclTQ6937_Message(const QString& text);
    void uclTQ6937_DumpMessage(const QString& text);
    void uclTQ6937_LineDown();
    void uclTQ6937_IrDAError(int code);

    bool LiTableState() const;

    AppSettings& settings_;
    SessionState& session_;
    StartupOptions options_;
    std::function<LinkTransport*(uclTqif&)> linkSetup_;
    std::function<QList<SerialPortRecord>()> listPorts_;
    bool readEnvironment_ = true;
    LinkTransport* fixedTransport_ = nullptr;
    DemoDetector* demo_ = nullptr;
    OptionGrid* optionGrid_ = nullptr;
    QPointer<frmUpload> upload_;
    std::unique_ptr<RegisterEvents::Recorder> register_;
    QPointer<frmRegister> registerWindow_;

    bool firstActivation_ = true;
    bool loaded_ = false;
    bool sized_ = false;
    bool unloaded_ = false;
    qint64 ticks_ = 0;
    QString clockTag_; // the second last shown on the PC clock
    QString checkDataPath_;
    QString checkReferencePath_;
    QColor lampFill_[4];
    QColor lampBorder_[4];
};
