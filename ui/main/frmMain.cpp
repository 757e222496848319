#include "ui/main/frmMain.h"

#include "app/Catalogue.h"
#include "app/DataPaths.h"
#include "app/MessageIds.h"
#include "link/LinkClock.h"
#include "link/LinkTransport.h"
#include "link/SerialLog.h"
#include "link/uclTqif.h"
#include "model/OleDate.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/Configuration.h"
#include "ui/FontCopy.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/frmOpen.h"
#include "ui/main/DemoDetector.h"
#include "ui/main/LogPane.h"
#include "ui/main/OptionGrid.h"
#include "ui/main/StatusLamp.h"
#include "ui/main/frmUpload.h"
#include "workflows/FlashCheck.h"
#include "workflows/InformationDownload.h"
#include "workflows/MaintenanceCommand.h"
#include "workflows/RegisterEvents.h"

#include "ProgramInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Colours of the log pane.
const QColor kGreen = LogPane::Success();
const QColor kRed = LogPane::Failure();
const QColor kBlue = LogPane::Connected();
const QColor kDarkBlue = LogPane::Message();

// Entries the station and user lists show at a time.
constexpr int kListRowsShown = 20;

// Lamp colour pairs (fill, border).
enum Lamp { kLampGreen = 0, kLampGrey = 1, kLampYellow = 2, kLampRed = 3 };

// Part numbers shown in the caption (the same as on the splash window).
QString ProgramPartNumber() {
    return QString::fromLatin1(LoadMessage(kMsgLanguageCode) == QLatin1String("JP")
                                   ? frmOpen::kPartNumberJapanese
                                   : frmOpen::kPartNumberOther);
}

} // namespace

// --- Construction --------------------------------------------------------------------

frmMain::frmMain(QWidget* parent) : frmMain(Setup{}, parent) {}

frmMain::frmMain(const Setup& setup, QWidget* parent)
    : QMainWindow(parent), settings_(setup.settings ? *setup.settings : App()),
      session_(setup.session ? *setup.session : Session()),
      options_(setup.options ? *setup.options : AppStartupOptions()), linkSetup_(setup.linkSetup),
      listPorts_(setup.listPorts), readEnvironment_(setup.readEnvironment) {
    setObjectName(QStringLiteral("frmMain"));
    session_.StartupFolder =
        setup.startupFolder.isEmpty() ? QDir::currentPath() : setup.startupFolder;
    session_.ProgramFolder = QCoreApplication::applicationDirPath();

    uclTQ6937 = new uclTqif(this);
    uclTQ6937->setObjectName(QStringLiteral("uclTQ6937"));
    uclTQ6937->setLogFolder(session_.StartupFolder);
    connect(uclTQ6937, &uclTqif::OnConnect, this, &frmMain::uclTQ6937_OnConnect);
    connect(uclTQ6937, &uclTqif::Densty, this, &frmMain::uclTQ6937_Densty);
    connect(uclTQ6937, &uclTqif::ConnectRetry, this, &frmMain::uclTQ6937_ConnectRetry);
    connect(uclTQ6937, &uclTqif::InstMessage, this, &frmMain::uclTQ6937_Message);
    connect(uclTQ6937, &uclTqif::InterMessage, this, &frmMain::uclTQ6937_Message);
    connect(uclTQ6937, &uclTqif::AlarmMessage, this, &frmMain::uclTQ6937_Message);
    connect(uclTQ6937, &uclTqif::DumpMessage, this, &frmMain::uclTQ6937_DumpMessage);
    connect(uclTQ6937, &uclTqif::LineDown, this, &frmMain::uclTQ6937_LineDown);
    connect(uclTQ6937, &uclTqif::IrDAError, this, &frmMain::uclTQ6937_IrDAError);

    tmrInter = new QTimer(this);
    tmrInter->setObjectName(QStringLiteral("tmrInter"));
    connect(tmrInter, &QTimer::timeout, this, &frmMain::tmrInter_Timer);

    BuildControls();
    Form_Load();
}

frmMain::~frmMain() {
    if (!unloaded_)
        Form_Unload();
    // The grid and the link go with their parents; the demonstration detector
    // must outlive the link that uses its transport.
    delete uclTQ6937;
    uclTQ6937 = nullptr;
}

void frmMain::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    auto label = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };

    // Status lamps.
    fraTransStatus = new QGroupBox(this);
    fraTransStatus->setObjectName(QStringLiteral("fraTransStatus"));
    auto* lampLayout = new QGridLayout(fraTransStatus);
    for (int i = 0; i < 4; ++i) {
        shpStatus[i] = new StatusLamp(fraTransStatus);
        shpStatus[i]->setObjectName(QStringLiteral("shpStatus%1").arg(i));
        lblStatus[i] = label(QStringLiteral("lblStatus%1").arg(i));
        lampLayout->addWidget(shpStatus[i], i, 0, Qt::AlignVCenter);
        lampLayout->addWidget(lblStatus[i], i, 1);
    }
    lampLayout->setColumnStretch(1, 1);
    // Shown only when the detector is the built-in emulator.
    lblDemo = label(QStringLiteral("lblDemo"));
    lblDemo->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;"));
    lblDemo->hide();
    lampLayout->addWidget(lblDemo, 4, 0, 1, 2);

    // Command frames.
    for (int i = 0; i < 3; ++i) {
        fraCommand[i] = new QGroupBox(this);
        fraCommand[i]->setObjectName(QStringLiteral("fraCommand%1").arg(i));
    }
    for (int i : {1, 2, 4, 5}) {
        cmdDown[i] = button("cmdDown");
        cmdDown[i]->setObjectName(QStringLiteral("cmdDown%1").arg(i));
        connect(cmdDown[i], &QPushButton::clicked, this, [this, i] { cmdDown_Click(i); });
    }
    for (int i = 0; i < 9; ++i) {
        cmdOption[i] = button("cmdOption");
        cmdOption[i]->setObjectName(QStringLiteral("cmdOption%1").arg(i));
        connect(cmdOption[i], &QPushButton::clicked, this, [this, i] { cmdOption_Click(i); });
    }
    cmdFRAMDump = button("cmdFRAMDump");
    cmdFactorySetting = button("cmdFactorySetting");
    cmdImportSetting = button("cmdImportSetting");
    cmdExportSetting = button("cmdExportSetting");
    cmdExit = button("cmdExit");
    cmdRegister = button("cmdRegister");
    connect(cmdRegister, &QPushButton::clicked, this, &frmMain::cmdRegister_Click);
    connect(cmdFRAMDump, &QPushButton::clicked, this, &frmMain::cmdFRAMDump_Click);
    connect(cmdFactorySetting, &QPushButton::clicked, this, &frmMain::cmdFactorySetting_Click);
    connect(cmdImportSetting, &QPushButton::clicked, this, &frmMain::cmdImportSetting_Click);
    connect(cmdExportSetting, &QPushButton::clicked, this, &frmMain::cmdExportSetting_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto* readLayout = new QVBoxLayout(fraCommand[0]);
    for (QPushButton* b : {cmdDown[1], cmdDown[5], cmdDown[2], cmdFRAMDump, cmdDown[4]})
        readLayout->addWidget(b);
    auto* writeLayout = new QVBoxLayout(fraCommand[1]);
    for (int i : {0, 7, 1, 2, 3, 4, 5, 6, 8})
        writeLayout->addWidget(cmdOption[i]);
    lblSuffix = label(QStringLiteral("lblSuffix"));
    lblSuffix->setWordWrap(true);
    txtSuffix = new QLineEdit(this);
    txtSuffix->setObjectName(QStringLiteral("txtSuffix"));
    lblSuffix->setBuddy(txtSuffix);
    connect(txtSuffix, &QLineEdit::editingFinished, this, &frmMain::txtSuffix_Validate);
    auto* settingLayout = new QVBoxLayout(fraCommand[2]);
    for (QPushButton* b : {cmdFactorySetting, cmdImportSetting, cmdExportSetting})
        settingLayout->addWidget(b);
    settingLayout->addSpacing(4);
    settingLayout->addWidget(lblSuffix);
    settingLayout->addWidget(txtSuffix);

    // Identity fields, clocks, program number.
    fraStatus = new QGroupBox(this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    for (int i = 0; i < 8; ++i)
        lblOption[i] = label(QStringLiteral("lblOption%1").arg(i));
    for (int i = 0; i < 3; ++i) {
        txtOption[i] = new QLineEdit(this);
        txtOption[i]->setObjectName(QStringLiteral("txtOption%1").arg(i));
        txtOption[i]->installEventFilter(this);
        lblOption[i]->setBuddy(txtOption[i]);
        connect(txtOption[i], &QLineEdit::editingFinished, this,
                [this, i] { txtOption_Validate(i); });
    }
    cmbStation = new QComboBox(this);
    cmbStation->setObjectName(QStringLiteral("cmbStation"));
    cmbUser = new QComboBox(this);
    cmbUser->setObjectName(QStringLiteral("cmbUser"));
    cmbInterval = new QComboBox(this);
    cmbInterval->setObjectName(QStringLiteral("cmbInterval"));
    cmbInterval->addItems(OptionRules::IntervalItems());
    lblOption[7]->setBuddy(cmbInterval);
    for (QComboBox* combo : {cmbStation, cmbUser}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(8);
        // 128 entries: a list of about twenty at a time, not the screen's
        // height. The platform's popup style would ignore the count.
        combo->setMaxVisibleItems(kListRowsShown);
        combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    }
    connect(cmbStation, qOverload<int>(&QComboBox::activated), this, &frmMain::cmbStation_Click);
    connect(cmbUser, qOverload<int>(&QComboBox::activated), this, &frmMain::cmbUser_Click);
    connect(cmbInterval, qOverload<int>(&QComboBox::activated), this, &frmMain::cmbInterval_Click);
    for (int i = 6; i < 10; ++i)
        lblInst[i] = label(QStringLiteral("lblInst%1").arg(i));
    for (int i : {5, 6})
        lblOption[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (int i : {7, 9})
        lblInst[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* identity = new QGridLayout(fraStatus);
    identity->setHorizontalSpacing(8);
    identity->addWidget(lblOption[0], 0, 0);
    identity->addWidget(txtOption[0], 0, 1, 1, 2);
    identity->addWidget(lblOption[1], 1, 0);
    identity->addWidget(txtOption[1], 1, 1);
    identity->addWidget(cmbStation, 1, 2);
    identity->addWidget(lblOption[2], 2, 0);
    identity->addWidget(txtOption[2], 2, 1);
    identity->addWidget(cmbUser, 2, 2);
    identity->addWidget(lblOption[7], 3, 0);
    identity->addWidget(cmbInterval, 3, 1, Qt::AlignLeft);
    // The clocks under the fields.
    identity->addWidget(lblOption[3], 4, 0);
    identity->addWidget(lblOption[5], 4, 1);
    identity->addWidget(lblOption[4], 5, 0);
    identity->addWidget(lblOption[6], 5, 1);
    // The program's number and checksum beside the clocks.
    auto* program = new QGridLayout;
    program->setHorizontalSpacing(8);
    program->addWidget(lblInst[6], 0, 0);
    program->addWidget(lblInst[7], 0, 1);
    program->addWidget(lblInst[8], 1, 0);
    program->addWidget(lblInst[9], 1, 1);
    program->setColumnStretch(1, 1);
    identity->addLayout(program, 4, 2, 2, 1);
    identity->setColumnStretch(1, 3);
    identity->setColumnStretch(2, 2);
    identity->setColumnStretch(3, 1);

    // Option grid and log pane.
    vfgOption = new GridControl(this);
    optionGrid_ =
        new OptionGrid(session_.Instrument, session_.Defaults, settings_, vfgOption, this);
    optionGrid_->setRefreshAllHandler([this] { RefreshAll(); });
    optionGrid_->setLiTableStateProvider([this] { return LiTableState(); });
    vfgOption->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    lblTitle = label(QStringLiteral("lblTitle"));
    rtbLog = new LogPane(this);
    rtbLog->setObjectName(QStringLiteral("rtbLog"));
    lblTitle->setBuddy(rtbLog);

    // The lamps beside the identity fields, at their top.
    auto* top = new QHBoxLayout;
    top->addWidget(fraStatus, 1);
    top->addWidget(fraTransStatus, 0);
    lampLayout->setRowStretch(5, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(top);
    left->addWidget(vfgOption);
    left->addSpacing(2);
    left->addWidget(lblTitle);
    left->addWidget(rtbLog, 1);

    auto* right = new QVBoxLayout;
    for (QGroupBox* frame : fraCommand)
        right->addWidget(frame);
    right->addStretch(1);
    right->addWidget(cmdRegister);
    right->addWidget(cmdExit);

    auto* columns = new QHBoxLayout(central);
    columns->addLayout(left, 1);
    columns->addLayout(right, 0);
}

void frmMain::SetCaptions() {
    QString title = AppTitle() + QLatin1Char(' ') + QLatin1String(kProgramVersion) +
                    QStringLiteral(" [P.No.") + ProgramPartNumber() + QStringLiteral("]");
    if (settings_.FactoryMode)
        title += QStringLiteral(" <製造ｵﾌﾟｼｮﾝ>");
    if (Demo())
        title += LoadMessage(kMsgDemoTitleSuffix);
    setWindowTitle(title);
    lblDemo->setText(LoadMessage(kMsgDemoLabel));
    lblDemo->setVisible(Demo());

    fraTransStatus->setTitle(LoadMessage(kMsgStatus));
    lblStatus[0]->setText(LoadMessage(kMsgSerialPort));
    lblStatus[1]->setText(LoadMessage(kMsgConnect));
    lblTitle->setText(LoadMessage(kMsgDownloadState));
    fraCommand[0]->setTitle(LoadMessage(kMsgReadCommands));
    fraCommand[1]->setTitle(LoadMessage(kMsgWriteCommands));
    fraCommand[2]->setTitle(LoadMessage(kMsgSettingCommands));
    cmdDown[1]->setText(LoadMessage(kMsgInstrumentInformation));
    cmdDown[2]->setText(LoadMessage(kMsgDownloadLoggerData));
    cmdDown[4]->setText(LoadMessage(kMsgPowerOff));
    cmdDown[5]->setText(LoadMessage(kMsgInformationGetAndSave));
    const int options[9] = {kMsgUpdate,         kMsgDateTimeSet,   kMsgCalibration,
                            kMsgDefault,        kMsgClearPowerLog, kMsgClearLoggerData,
                            kMsgWriteCheckData, kMsgUpdateId,      kMsgFlashCheck};
    for (int i = 0; i < 9; ++i)
        cmdOption[i]->setText(LoadMessage(options[i]));
    cmdFRAMDump->setText(LoadMessage(kMsgEepromDump));
    cmdFactorySetting->setText(LoadMessage(kMsgDetailSettings));
    cmdImportSetting->setText(LoadMessage(kMsgLoadLocalFile));
    cmdExportSetting->setText(LoadMessage(kMsgStoreLocalFile));
    cmdExit->setText(LoadMessage(kMsgExit));
    cmdRegister->setText(LoadMessage(kMsgRegisterTitle));
    fraStatus->setTitle(LoadMessage(kMsgDetectorStatus));
    const int labels[8] = {kMsgSerialNoLabel,
                           kMsgStationIdLabel,
                           kMsgUserIdLabel,
                           kMsgPcDateTime,
                           kMsgDetectorDateTime,
                           0,
                           0,
                           kMsgIntervalTrendTime};
    for (int i = 0; i < 8; ++i) {
        if (labels[i])
            lblOption[i]->setText(LoadMessage(labels[i]));
    }
    lblInst[6]->setText(LoadMessage(kMsgProgramNumber));
    lblInst[8]->setText(LoadMessage(kMsgSum));
    lblSuffix->setText(LoadMessage(kMsgFileNameSuffix));
    PadButtons();
}

void frmMain::PadButtons() {
    // A little air around the longest captions.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setMinimumWidth(0);
        b->setMinimumWidth(b->sizeHint().width() + 2 * b->fontMetrics().averageCharWidth());
    }
}

// --- Loading ---------------------------------------------------------------------------

void frmMain::Form_Load() {
    setMinimumSize(kMinWidth, kMinHeight);
    firstActivation_ = true;
    for (int ch = 0; ch < 4; ++ch)
        session_.CurrentReading[ch] = -101.0f;

    modGasCommon::LoadBuiltInGasList(settings_);
    Initialize();

    ApplySharedFont(this, settings_.SharedFont);
    SetLogTabStops();
    FitGridHeight();
    settings_.ConfigFolder = session_.StartupFolder;
    LoadConfiguration(settings_, session_.Defaults, settings_.ConfigFolder);
    if (options_.demo && !demo_) {
        demo_ = new DemoDetector(nullptr, this);
        fixedTransport_ = demo_->transport();
    }
    SetCaptions();

    // The serial logs of earlier runs are shifted before this run writes
    // its first line.
    RotateSerialLogs(session_.StartupFolder, settings_.SerialLogEnabled);

    uclTQ6937->setRetry(settings_.CommRetry > 0 ? settings_.CommRetry : 3);
    uclTQ6937->setTimeout(settings_.CommTimeout > 0 ? settings_.CommTimeout : 3);
    uclTQ6937->setSerialComm(false);
    if (linkSetup_) {
        if (LinkTransport* transport = linkSetup_(*uclTQ6937))
            fixedTransport_ = transport;
    }
    if (Demo())
        AddInfo(LoadMessage(kMsgDemoModeNotice), kRed);
    OpenPort();

    clockTag_ = SerialLog::GeneralDate(QDateTime::currentDateTime());
    lblOption[5]->setText(clockTag_);
    fraStatus->show();
    optionGrid_->setGridBusy(false);

    ResetSuffix();
    checkDataPath_ = SerialLog::joinPath(session_.StartupFolder,
                                         QString::fromLatin1(LoggerDownload::kImageFileName));
    checkReferencePath_ = FlashCheck::ReferenceImagePath(session_.ProgramFolder);

    // Service commands only in debug mode, the flash check in factory mode.
    if (!settings_.DebugMode) {
        for (QWidget* w :
             {static_cast<QWidget*>(cmdDown[2]), static_cast<QWidget*>(cmdFRAMDump),
              static_cast<QWidget*>(cmdOption[3]), static_cast<QWidget*>(cmdOption[4]),
              static_cast<QWidget*>(cmdOption[5]), static_cast<QWidget*>(cmdOption[6])})
            w->hide();
    }
    cmdOption[8]->setVisible(settings_.FactoryMode);
    loaded_ = true;
}

void frmMain::Initialize() {
    ApplySharedFont(rtbLog, settings_.SharedFont);
    SetLogTabStops();
    tmrInter->start(100);

    if (settings_.UnitText[0].isEmpty() && settings_.UnitText[1].isEmpty()) {
        settings_.UnitText[0] = QStringLiteral("%LEL");
        settings_.UnitText[1] = QStringLiteral("VOL%");
        settings_.ConvParam = 0.05f;
    }

    lampFill_[kLampGreen] = QColor(0, 255, 0);
    lampBorder_[kLampGreen] = QColor(0, 192, 0);
    lampFill_[kLampGrey] = QColor(160, 160, 160);
    lampBorder_[kLampGrey] = QColor(128, 128, 128);
    lampFill_[kLampYellow] = QColor(255, 255, 0);
    lampBorder_[kLampYellow] = QColor(192, 192, 0);
    lampFill_[kLampRed] = QColor(254, 0, 0);
    lampBorder_[kLampRed] = QColor(192, 0, 0);
    for (int i = 0; i < 4; ++i)
        SetLamp(i, lampFill_[kLampGrey], lampBorder_[kLampGrey]);

    rtbLog->ClearLog();
    RefreshControls();
    for (int i = 2; i < 4; ++i) {
        shpStatus[i]->hide();
        lblStatus[i]->hide();
    }

    // Defaults of the channels the configuration leaves without a full scale
    // (0, or the record's "no value").
    struct DefaultChannel {
        const char* name;
        const char* unit;
        int16_t point;
        float warning, alarm, stel, twa, step, fullScale, autoCal;
    };
    static const DefaultChannel kDefaults[5] = {
        {"CH4", "%LEL", 0, 10, 50, -1, -1, 1.0f, 100, 50},
        {"O2", "VOL%", 1, 19.5f, 23.5f, -1, -1, 0.1f, 40, 12},
        {"H2S", "ppm", 1, 10, 30, 15, 10, 0.5f, 100, 10},
        {"CO", "ppm", 0, 25, 50, 200, 25, 1.0f, 500, 100},
        {"CH4", "vol%", 0, 0, 0, 0, 0, 1.0f, 100, 50},
    };
    clsInstrument& defaults = session_.Defaults;
    for (int ch = 0; ch < 5; ++ch) {
        if (defaults.GasFullScale(ch) > 0)
            continue;
        const DefaultChannel& d = kDefaults[ch];
        defaults.setGasName(ch, QString::fromLatin1(d.name));
        defaults.setGasUnit(ch, QString::fromLatin1(d.unit));
        defaults.setGasEnabled(ch, true);
        defaults.setGasPoint(ch, d.point);
        defaults.setWarning(ch, d.warning);
        defaults.setAlarm(ch, d.alarm);
        defaults.setStel(ch, d.stel);
        defaults.setTwa(ch, d.twa);
        defaults.setGasDesit(ch, d.step);
        defaults.setGasFullScale(ch, d.fullScale);
        defaults.setAutoCalib(ch, d.autoCal);
        settings_.GasLocked[ch] = false;
        settings_.FactAutoCal[ch] = d.autoCal;
    }
    const float spans[4] = {50, 12, 25, 50};
    for (int i = 0; i < 4; ++i) {
        if (settings_.CalibRange[i] == 0)
            settings_.CalibRange[i] = spans[i];
    }

    if (settings_.AccessCode.isEmpty())
        settings_.AccessCode = AccessCodeFallback();
    for (float& width : settings_.PrtWidth) {
        if (width < 1 || width > 100)
            width = 1;
    }
    if (settings_.CalSpanOffWait == 0)
        settings_.CalSpanOffWait = 45;
    if (settings_.CalSpanOnWait == 0)
        settings_.CalSpanOnWait = 90;
    if (settings_.CalUnitOnWait == 0)
        settings_.CalUnitOnWait = 45;
    session_.CalWindowOpen = false;
}

void frmMain::SizeWindow() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const bool firstRun = settings_.ExecuteCount <= 1;
    QSize size;
    if (firstRun) {
        size = QSize(qMax(kMinWidth, int(area.width() * 0.8)),
                     qMax(kMinHeight, int(area.height() * 0.6)));
    } else {
        // The size the window had when the program last ended (in twips).
        size = QSize(qMax(kMinWidth, int(settings_.MainWindowWidth / 15)),
                     qMax(kMinHeight, int(settings_.MainWindowHeight / 15)));
    }
    UpdateMinimumSize();
    resize(size.expandedTo(minimumSize()));
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    if (!firstRun && settings_.MainWindowState == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void frmMain::UpdateMinimumSize() {
    // Never smaller than the window's own minimum, nor than its controls
    // need (longer captions in another language, a larger font).
    if (QLayout* layout = centralWidget()->layout())
        layout->activate();
    setMinimumSize(QSize(kMinWidth, kMinHeight).expandedTo(minimumSizeHint()));
}

void frmMain::showEvent(QShowEvent* event) {
    if (!sized_) {
        // Sized once its controls are polished, so their sizes are final.
        sized_ = true;
        ensurePolished();
        SizeWindow();
    }
    UpdateMinimumSize();
    QMainWindow::showEvent(event);
    if (firstActivation_)
        FirstActivation();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmMain::Form_Activate() {
    if (firstActivation_)
        FirstActivation();
}

void frmMain::FirstActivation() {
    uclTQ6937->AddLog(
        LoadMessage(kMsgPortStandby, {SerialLog::GeneralDate(QDateTime::currentDateTime())}));
    clsInstrument& record = session_.Instrument;
    record.SetChangeFlags(true, false);
    record.setImportFlag(true);
    uclTQ6937->setInstrument(&record);
    uclTQ6937->setStatus(kStatusDone);
    RefreshAll();
    firstActivation_ = false;
}

// --- Port ------------------------------------------------------------------------------

bool frmMain::OpenPort() {
    uclTqif& link = *uclTQ6937;
    auto opened = [this, &link] {
        if (link.PortOpen()) {
            SetLamp(0, lampFill_[kLampGreen], lampBorder_[kLampGreen]);
            return true;
        }
        SetLamp(0, lampFill_[kLampRed], lampBorder_[kLampRed]);
        AddInfo(LoadMessage(kMsgPortNotOpened, {link.LastPortError()}), kRed);
        return false;
    };
    auto serial = [&link, this](const QString& portName, int portNumber) {
        link.setTransport(nullptr);
        link.setSerialComm(true);
        if (!portName.isEmpty())
            link.setCommPortName(portName);
        else
            link.setCommPort(portNumber);
        link.setRTSEnable(true);
        link.setDTREnable(true);
        link.setHandshaking(2);
        if (!link.setSettings(settings_.CommSettings))
            link.setSettings(QStringLiteral("921600,n,8,1"));
        link.setPortOpen(true);
    };

    // A transport given at start-up (the demonstration detector, tests).
    if (fixedTransport_) {
        link.setTransport(fixedTransport_);
        link.setPortOpen(true);
        opened();
        return false;
    }

    // A device or socket the user named wins over the adapter search.
    // The command line wins over the environment.
    QString port = options_.port;
    QString socket = options_.hasSocket() ? options_.socketEndpoint() : QString();
    if (port.isEmpty() && socket.isEmpty() && readEnvironment_) {
        port = qEnvironmentVariable(kPortEnvironmentName).trimmed();
        if (port.isEmpty())
            socket = qEnvironmentVariable(kSocketEnvironmentName).trimmed();
    }
    const bool named = !port.isEmpty() || !socket.isEmpty();
    if (socket.isEmpty())
        socket = settings_.SocketEndpoint;

    if (!port.isEmpty()) {
        AddInfo(LoadMessage(kMsgConnectingThrough, {port}), kGreen);
        serial(port, 0);
        opened();
        return true;
    }
    if (!named) {
        const PortDiscoveryResult found =
            listPorts_
                ? DiscoverUsbSerialPort(QString::fromLatin1(kAdapterId), settings_, listPorts_())
                : DiscoverUsbSerialPort(QString::fromLatin1(kAdapterId), settings_);
        if (found == PortDiscoveryResult::One) {
            serial(settings_.IrCommPortName, settings_.IrCommNum);
            opened();
            return true;
        }
        if (found == PortDiscoveryResult::Ambiguous)
            MsgBox(this, LoadMessage(kMsgSeveralAdapters), LoadMessage(kMsgModuleFinderError),
                   QMessageBox::Critical);
    }

    // No adapter: the socket, when there is an endpoint for it.
    link.setTransport(nullptr);
    link.setSerialComm(false);
    if (socket.isEmpty() || !link.setSocketEndpoint(socket)) {
        AddInfo(LoadMessage(kMsgNoIrdaAdapter), kRed);
        SetLamp(0, lampFill_[kLampGrey], lampBorder_[kLampGrey]);
        return false;
    }
    AddInfo(LoadMessage(kMsgConnectingThrough, {socket}), kGreen);
    link.setPortOpen(true);
    opened();
    return false;
}

void frmMain::ClosePort() {
    if (uclTQ6937->PortOpen())
        uclTQ6937->setPortOpen(false);
}

// --- State model -------------------------------------------------------------------------

void frmMain::SetTextControl(QWidget* control, bool on) {
    control->setEnabled(on);
}

void frmMain::RefreshControls() {
    const bool connected = uclTQ6937->Connected();
    const clsInstrument& record = session_.Instrument;
    const bool editable = record.CommFlags() || record.ImportFlag();

    for (QLineEdit* box : txtOption)
        SetTextControl(box, editable);
    SetTextControl(cmbInterval, editable);
    SetTextControl(cmbStation, editable);
    SetTextControl(cmbUser, editable);
    optionGrid_->setEditable(editable);

    for (int i : {1, 2, 4, 5})
        cmdDown[i]->setEnabled(connected);
    cmdFRAMDump->setEnabled(connected);
    for (int i : {0, 2, 7})
        cmdOption[i]->setEnabled(connected && editable);
    for (int i : {1, 3, 4, 5, 6, 8})
        cmdOption[i]->setEnabled(connected);
    cmdFactorySetting->setEnabled(true);
    cmdImportSetting->setEnabled(true);
    cmdExportSetting->setEnabled(true);
    SetTextControl(txtSuffix, connected);
}

void frmMain::EnableCommandFrames(bool on) {
    for (QGroupBox* frame : fraCommand)
        frame->setEnabled(on);
}

void frmMain::RefreshAll() {
    if (optionGrid_->GridBusy())
        return;
    RefreshControls();
    clsInstrument& record = session_.Instrument;

    auto fillList = [](QComboBox* combo, const std::function<QString(int)>& entry, int select) {
        QSignalBlocker block(combo);
        combo->clear();
        for (int i = 0; i < 128; ++i)
            combo->addItem(entry(i));
        combo->setCurrentIndex(select);
    };
    fillList(
        cmbStation, [&record](int i) { return record.StationList(i); },
        OptionRules::StationListIndex(record));
    fillList(
        cmbUser, [&record](int i) { return record.UserList(i); },
        OptionRules::UserListIndex(record));

    const bool show = OptionRules::ShowsRecordValues(uclTQ6937->Status(), record);
    {
        QSignalBlocker block(cmbInterval);
        if (!show) {
            for (QLineEdit* box : txtOption)
                box->clear();
            cmbInterval->setCurrentIndex(OptionRules::IntervalItemIndex(300));
            lblInst[7]->clear();
            lblInst[9]->clear();
        } else {
            txtOption[0]->setText(record.SerialNo());
            txtOption[1]->setText(record.StationID());
            txtOption[2]->setText(record.UserID());
            cmbInterval->setCurrentIndex(OptionRules::IntervalItemIndex(record.Intervals()));
            if (record.CommFlags()) {
                lblInst[7]->setText(OptionRules::ProgramNumberText(record.RomNumber()));
                lblInst[9]->setText(record.SUM());
            } else {
                lblInst[7]->clear();
                lblInst[9]->clear();
            }
        }
    }
    optionGrid_->Refresh(show);
    FitGridHeight();
}

void frmMain::FitGridHeight() {
    // The grid keeps the height of all its rows, so the window does not jump
    // between the empty and the filled grid.
    const int rowHeight = vfgOption->verticalHeader()->defaultSectionSize();
    vfgOption->setFixedHeight(rowHeight * OptionGrid::kRows + 2 * vfgOption->frameWidth() +
                              (vfgOption->horizontalScrollBar()->isVisible()
                                   ? vfgOption->horizontalScrollBar()->height()
                                   : 0));
}

void frmMain::ResetSuffix() {
    txtSuffix->setText(settings_.FactoryRecordSuffix);
}

void frmMain::SetLamp(int index, const QColor& fill, const QColor& border) {
    if (index >= 0 && index < 4)
        shpStatus[index]->setColors(fill, border);
}

bool frmMain::LiTableState() const {
    // The detector's own gas library is used for channel 0 when it holds at
    // least one gas it offers.
    const clsInstrument& record = session_.Instrument;
    for (int k = 1; k <= 15; ++k) {
        const QString name = record.LI_Name(k).trimmed();
        if (!name.isEmpty() && !name.contains(QLatin1String("---")))
            return true;
    }
    return false;
}

// --- Log pane ----------------------------------------------------------------------------

void frmMain::AddInfo(const QString& Info, const QColor& Colors) {
    rtbLog->AddInfo(Info, Colors);
}

void frmMain::AddInfo(const QString& Info, int32_t Colors) {
    rtbLog->AddInfo(Info, LogPane::FromPackedRgb(Colors));
}

void frmMain::SetLogTabStops() {
    // Lines with a label, a tab and a value (the analog value list) line up
    // their values: the first tab stop lies beyond the widest label.
    const QFontMetrics metrics(rtbLog->font());
    rtbLog->setTabStopDistance(metrics.horizontalAdvance(QStringLiteral("ch4 H2S AMP   ")) +
                               metrics.averageCharWidth());
}

void frmMain::DateCheck() {
    if (InformationDownload::DateDiffers(session_.Instrument))
        AddInfo(LoadMessage(kMsgDateMismatch), kRed);
}

// --- Progress window ----------------------------------------------------------------

frmUpload* frmMain::ShowUpload(int calMode, const QString& caption) {
    CloseUpload();
    session_.CalMode = calMode;
    upload_ = new frmUpload(calMode, this);
    upload_->setObjectName(QStringLiteral("frmUpload"));
    upload_->setWindowTitle(caption);
    upload_->setCancelHandler([this] {
        uclTQ6937->setCancel(true);
        uclTQ6937->AddLog(QStringLiteral("= User Cancel ="));
    });
    upload_->setTimeSource([this] {
        const LinkClock* clock = uclTQ6937->clock();
        return clock ? clock->elapsedMs() : 0;
    });
    ApplySharedFont(upload_, settings_.SharedFont);
    upload_->show();
    return upload_;
}

workflows::Report frmMain::LogReport() {
    workflows::Report report;
    report.line = [this](const QString& text, workflows::Tone tone) {
        AddInfo(text, LogPane::ToneColour(tone));
    };
    report.progress = [this](const QString& text) {
        if (upload_)
            upload_->setText(text);
    };
    report.steps = [this](int done, int total) {
        if (upload_)
            upload_->setSteps(done, total);
    };
    return report;
}

frmUpload* frmMain::Upload() const {
    return upload_.data();
}

void frmMain::CloseUpload() {
    if (upload_) {
        upload_->hide();
        delete upload_;
    }
}

// --- Commands ----------------------------------------------------------------------------

void frmMain::cmdDown_Click(int Index) {
    switch (Index) {
    case 1:
        InstrumentDownload();
        break;
    case 4:
        PowerOff();
        break;
    case 2:
        LoggerDataDownload();
        break;
    case 5:
        InformationGetAndSave();
        break;
    default:
        return;
    }
    DateCheck();
}

void frmMain::cmdOption_Click(int Index) {
    switch (Index) {
    case 0:
        UpdateInstrument(WriteSettings::Mode::Update);
        return;
    case 1:
        SetDetectorClock();
        return;
    case 2:
        CalibrationClick();
        return;
    case 3:
    case 4:
    case 5:
        MaintenanceCommandClick(Index);
        return;
    case 6:
        WriteCheckData();
        return;
    case 7:
        UpdateInstrument(WriteSettings::Mode::UpdateId);
        return;
    case 8:
        FlashCheckClick();
        return;
    default:
        return;
    }
}

bool frmMain::InstrumentDownload() {
    if (uclTQ6937->IsBusy())
        return false;
    ShowUpload(0, LoadMessage(kMsgDownload));
    EnableCommandFrames(false);

    InformationDownload::Options options;
    for (int ch = 0; ch < 5; ++ch)
        options.ChannelLocked[ch] = settings_.GasLocked[ch];
    const InformationDownload::Result result =
        InformationDownload::Run(*uclTQ6937, session_.Instrument, options, LogReport());

    if (result.Success()) {
        KeepLastRead();
        RecordEvent(RegisterEvents::FromRead(session_.Instrument, result));
    }
    EndRead(result.outcome);
    return result.Success();
}

void frmMain::EndRead(workflows::Outcome outcome) {
    // After a read that ran the record changed (filled, or emptied by a
    // failure): every field shows it again.
    if (outcome == InformationDownload::Outcome::NotConnected ||
        outcome == InformationDownload::Outcome::Busy)
        RefreshControls();
    else
        RefreshAll();
    CloseUpload();
    EnableCommandFrames(true);
}

void frmMain::PowerOff() {
    if (MsgBox(this, LoadMessage(kMsgPowerOffReady), LoadMessage(kMsgPowerOffTitle),
               QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (uclTQ6937->IsBusy())
        return;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    // Asked before: a detector switched off answers no more.
    const clsInstrument identity = EventIdentity();
    const MaintenanceCommand::Result result = MaintenanceCommand::Run(
        *uclTQ6937, session_.Instrument, MaintenanceCommand::Kind::PowerOff, LogReport());
    if (result.Success()) {
        session_.HasLastRead = false; // the next detector is read afresh
        SaveConfiguration(settings_, session_.Defaults, settings_.ConfigFolder);
        Initialize();
        LoadConfiguration(settings_, session_.Defaults, settings_.ConfigFolder);
        uclTQ6937->setRetry(settings_.CommRetry > 0 ? settings_.CommRetry : 3);
        uclTQ6937->setTimeout(settings_.CommTimeout > 0 ? settings_.CommTimeout : 3);
        ApplySharedFont(this, settings_.SharedFont);
        SetLogTabStops();
        FitGridHeight();
        PadButtons();
        UpdateMinimumSize();
        ResetSuffix();
        firstActivation_ = true;
        FirstActivation();
        // The pane was cleared by the initialisation: the result goes on
        // the fresh pane so the user sees it.
        AddInfo(result.DoneText, kGreen);
        if (Demo())
            AddInfo(LoadMessage(kMsgDemoModeNotice), kRed);
        RecordEvent(
            RegisterEvents::FromMaintenance(identity, MaintenanceCommand::Kind::PowerOff, result));
        ClosePort();
        OpenPort();
    }

    QApplication::restoreOverrideCursor();
    setEnabled(true);
}

// --- Identity fields -------------------------------------------------------------------

bool frmMain::IdTextAcceptable(int Index, const QString& text) {
    return IsIdentityText(text, Index == 0 ? kSerialTextLength : kIdTextLength);
}

bool frmMain::txtOption_KeyPress(int Index, QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.isEmpty() || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return false;
    // Shortcuts (copy, paste, select all...) and navigation keys pass.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    for (QChar c : typed) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    QLineEdit* box = txtOption[Index];
    const QString upper = typed.toUpper();
    QString after = box->text();
    if (box->hasSelectedText())
        after.replace(box->selectionStart(), box->selectedText().size(), upper);
    else
        after.insert(box->cursorPosition(), upper);
    if (!IdTextAcceptable(Index, after)) {
        QApplication::beep();
        return true; // the key is dropped
    }
    if (upper != typed) {
        box->insert(upper);
        return true;
    }
    return false;
}

void frmMain::txtOption_Validate(int Index) {
    if (Index < 0 || Index > 2)
        return;
    clsInstrument& record = session_.Instrument;
    QLineEdit* box = txtOption[Index];
    const QString text = box->text();
    if (IdTextAcceptable(Index, text)) {
        const QString value = text.toUpper();
        if (value != text)
            box->setText(value);
        switch (Index) {
        case 0:
            record.setSerialNo(value);
            break;
        case 1:
            record.setStationID(value);
            break;
        default:
            record.setUserID(value);
            break;
        }
        return;
    }
    // Text that breaks the rules never reaches the record.
    QApplication::beep();
    switch (Index) {
    case 0:
        box->setText(record.SerialNo());
        break;
    case 1:
        box->setText(record.StationID());
        break;
    default:
        box->setText(record.UserID());
        break;
    }
}

void frmMain::cmbStation_Click(int index) {
    if (index < 0)
        return;
    clsInstrument& record = session_.Instrument;
    record.setStationID(record.StationList(index));
    txtOption[1]->setText(record.StationID());
}

void frmMain::cmbUser_Click(int index) {
    if (index < 0)
        return;
    clsInstrument& record = session_.Instrument;
    record.setUserID(record.UserList(index));
    txtOption[2]->setText(record.UserID());
}

void frmMain::cmbInterval_Click(int index) {
    const QStringList items = OptionRules::IntervalItems();
    if (index >= 0 && index < items.size())
        session_.Instrument.setIntervals(static_cast<int16_t>(items.at(index).toInt()));
}

void frmMain::txtSuffix_Validate() {
    settings_.FactoryRecordSuffix = txtSuffix->text();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < 3; ++i) {
            if (watched == txtOption[i])
                return txtOption_KeyPress(i, static_cast<QKeyEvent*>(event));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Clock -------------------------------------------------------------------------------

void frmMain::tmrInter_Timer() {
    ++ticks_;
    const QDateTime now = QDateTime::currentDateTime();
    const QString nowText = SerialLog::GeneralDate(now);
    clsInstrument& record = session_.Instrument;
    const int status = uclTQ6937->Status();
    if (status == kStatusIdle || status == 1 || !record.CommFlags()) { // 1: never set here
        lblOption[5]->setText(nowText);
        lblOption[6]->clear();
        return;
    }
    if (nowText == clockTag_)
        return;
    clockTag_ = nowText;
    lblOption[5]->setText(nowText);
    const QDateTime detector =
        OleDate::ToDateTime(OleDate::FromDateTime(now) - record.SysDateOffset());
    if (detector.isValid()) {
        lblOption[6]->setText(SerialLog::GeneralDate(detector));
    } else {
        lblOption[6]->setText(nowText);
        record.setSysDateOffset(0);
    }
}

// --- Link events -------------------------------------------------------------------------

void frmMain::uclTQ6937_OnConnect() {
    if (!uclTQ6937->Connected())
        return;
    AddInfo(LoadMessage(kMsgConnectionSuccessful), kBlue);
    SetLamp(0, lampFill_[kLampGreen], lampBorder_[kLampGreen]);
    SetLamp(1, lampFill_[kLampGreen], lampBorder_[kLampGreen]);
    RefreshControls();
    // Before anything else on this detector: a write that did not complete
    // (asked once the link has finished with the answer that connected it).
    QTimer::singleShot(0, this, &frmMain::CheckUnfinishedWrite);
}

void frmMain::uclTQ6937_Densty(float d1, float d2, float d3, float d4, float d5) {
    const float values[5] = {d1, d2, d3, d4, d5};
    for (int i = 0; i < 5; ++i)
        session_.CurrentReading[i] = values[i];
    session_.ReadingReceived = true;
    if (!session_.CalWindowOpen)
        return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmCalibration")) {
            QMetaObject::invokeMethod(w, "Refresh_InstMoment");
            break;
        }
    }
}

void frmMain::uclTQ6937_ConnectRetry(int count) {
    AddInfo(LoadMessage(kMsgConnectSequence, {count}), kGreen);
}

void frmMain::uclTQ6937_Message(const QString& text) {
    AddInfo(text, kDarkBlue);
}

void frmMain::uclTQ6937_DumpMessage(const QString& text) {
    if (upload_)
        upload_->setText(text);
}

void frmMain::uclTQ6937_LineDown() {
    SetLamp(0, lampFill_[kLampGreen], lampBorder_[kLampGreen]);
    SetLamp(1, lampFill_[kLampGrey], lampBorder_[kLampGrey]);
    RefreshControls();
    for (int i = 2; i < 4; ++i) {
        shpStatus[i]->hide();
        lblStatus[i]->hide();
    }
}

void frmMain::uclTQ6937_IrDAError(int code) {
    if (code != 10048 && code != 10060)
        return;
    AddInfo(LoadMessage(kMsgPortsErrorRestart), kRed);
    SetLamp(0, lampFill_[kLampRed], lampBorder_[kLampRed]);
    SetLamp(1, lampFill_[kLampGrey], lampBorder_[kLampGrey]);
    MsgBox(this, LoadMessage(kMsgPortsErrorRestart), LoadMessage(kMsgPortError),
           QMessageBox::Critical);
}

// --- Closing -----------------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    // A command still talking to the detector keeps the window open: it runs
    // on this window's stack.
    if (!cmdExit->isEnabled() || uclTQ6937->IsBusy()) {
        event->ignore();
        return;
    }
    if (MsgBox(this, LoadMessage(kMsgEndQuestion), QStringLiteral("TQ-7350"), QMessageBox::Question,
               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    tmrInter->stop();
    CloseUpload();
    uclTQ6937->setTimerEnabled(false);
    settings_.MainWindowState = isMaximized() ? 2 : 0;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings_.MainWindowWidth = float(normal.width() * 15);
    settings_.MainWindowHeight = float(normal.height() * 15);
    if (loaded_)
        SaveConfiguration(settings_, session_.Defaults, settings_.ConfigFolder);
    ClosePort();
}

// --- Serial logs ---------------------------------------------------------------------------

bool frmMain::RotateSerialLogs(const QString& folder, bool keepHistory) {
    QDir dir(folder);
    bool ok = true;
    auto remove = [&ok](const QString& path) {
        if (QFile::exists(path) && !QFile::remove(path))
            ok = false;
    };
    const QString current = dir.filePath(QStringLiteral("SerialLog.log"));
    if (keepHistory) {
        auto numbered = [&dir](int n) {
            return dir.filePath(QStringLiteral("SerialLog%1.log").arg(n));
        };
        for (int n = 8; n >= 1; --n) {
            if (!QFile::exists(numbered(n)))
                continue;
            remove(numbered(n + 1));
            if (!QFile::rename(numbered(n), numbered(n + 1)))
                ok = false;
        }
        if (QFile::exists(current)) {
            remove(numbered(1));
            if (!QFile::rename(current, numbered(1)))
                ok = false;
        }
    }
    remove(current);
    return ok;
}
