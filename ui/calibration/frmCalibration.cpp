#include "ui/calibration/frmCalibration.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/CalibrationRules.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/SessionState.h"
#include "ui/FontCopy.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/calibration/TrendChart.h"
#include "ui/calibration/frmUploadCalib.h"
#include "ui/main/frmMain.h"
#include "ui/register/frmRegister.h"
#include "workflows/RegisterEvents.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

const QColor frmCalibration::kLocked(192, 192, 192);
const QColor frmCalibration::kEditable(192, 255, 255);

namespace {

constexpr int kChannels = 5;
constexpr int kTrendHeight = 300;

int RowOf(int ch) {
    return ch + 1;
}

int ChannelOf(int row) {
    return row - 1;
}

bool ValidRow(int row) {
    return row >= 1 && row <= kChannels;
}

} // namespace

frmCalibration::frmCalibration(frmMain& main)
    : QDialog(&main), main_(main), link_(*main.uclTQ6937), session_(main.State()) {
    setObjectName(QStringLiteral("frmCalibration"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    openedAtMs_ = QDateTime::currentMSecsSinceEpoch();
    openedClockMs_ = link_.clock() ? link_.clock()->elapsedMs() : 0;
    buildControls();
    Form_Load();
}

frmCalibration::~frmCalibration() {
    session_.CalWindowOpen = false;
}

void frmCalibration::buildControls() {
    fraCalibration = new QGroupBox(this);
    fraCalibration->setObjectName(QStringLiteral("fraCalibration"));
    vfgCal = new GridControl(fraCalibration);
    vfgCal->setObjectName(QStringLiteral("vfgCal"));
    vfgCal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vfgCal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vfgCal->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(vfgCal, &GridControl::BeforeEdit, this, &frmCalibration::vfgCal_BeforeEdit);
    connect(vfgCal, &GridControl::AfterEdit, this, &frmCalibration::vfgCal_AfterEdit);
    connect(vfgCal, &GridControl::ValidateEdit, this, &frmCalibration::vfgCal_ValidateEdit);

    for (int i = 0; i < 4; ++i) {
        cmdCal[i] = new QPushButton(fraCalibration);
        cmdCal[i]->setObjectName(QStringLiteral("cmdCal%1").arg(i));
        cmdCal[i]->setAutoDefault(false);
        connect(cmdCal[i], &QPushButton::clicked, this, [this, i] { cmdCal_Click(i); });
    }

    fraLR = new QGroupBox(fraCalibration);
    fraLR->setObjectName(QStringLiteral("fraLR"));
    fraSQ = new QGroupBox(fraCalibration);
    fraSQ->setObjectName(QStringLiteral("fraSQ"));
    auto* lrLayout = new QHBoxLayout(fraLR);
    auto* sqLayout = new QHBoxLayout(fraSQ);
    for (int i = 0; i < 2; ++i) {
        optLR[i] = new QRadioButton(fraLR);
        optLR[i]->setObjectName(QStringLiteral("optLR%1").arg(i));
        lrLayout->addWidget(optLR[i]);
        optSQ[i] = new QRadioButton(fraSQ);
        optSQ[i]->setObjectName(QStringLiteral("optSQ%1").arg(i));
        sqLayout->addWidget(optSQ[i]);
    }
    // Dry gas until the user says otherwise.
    optSQ[0]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        connect(optLR[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optLR_Click(i);
        });
        connect(optSQ[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optSQ_Click(i);
        });
    }
    prgSH = new QProgressBar(fraCalibration);
    prgSH->setObjectName(QStringLiteral("prgSH"));
    prgSH->setTextVisible(false);

    lblHint = new QLabel(fraCalibration);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setWordWrap(true);
    lblHint->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    lblHint->hide();

    auto* switches = new QHBoxLayout;
    switches->addWidget(fraLR);
    switches->addWidget(fraSQ);
    switches->addWidget(prgSH, 1, Qt::AlignVCenter);
    switches->addStretch(0);

    auto* left = new QVBoxLayout;
    left->addWidget(vfgCal);
    left->addWidget(lblHint);
    left->addLayout(switches);
    left->addStretch(1);

    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 3; ++i)
        buttons->addWidget(cmdCal[i]);
    buttons->addStretch(1);
    buttons->addWidget(cmdCal[3]);

    auto* calibration = new QHBoxLayout(fraCalibration);
    calibration->addLayout(left, 1);
    calibration->addLayout(buttons, 0);

    fraTrend = new QGroupBox(this);
    fraTrend->setObjectName(QStringLiteral("fraTrend"));
    chtTrend = new TrendChart(fraTrend);
    chtTrend->setMinimumHeight(kTrendHeight);
    keyTrend = new TrendKey(fraTrend);
    auto* trend = new QVBoxLayout(fraTrend);
    trend->addWidget(chtTrend, 1);
    trend->addWidget(keyTrend, 0, Qt::AlignRight);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraCalibration, 0);
    outer->addWidget(fraTrend, 1);
}

// --- Loading and activation ----------------------------------------------------------

void frmCalibration::Form_Load() {
    setWindowTitle(LoadMessage(kMsgCalibrationTitle));
    ApplySharedFont(this, main_.Settings().SharedFont);

    const clsInstrument& record = session_.Instrument;
    fraLR->setTitle(LoadMessage(kMsgHcSelectFrame));
    optLR[0]->setText(LoadMessage(kMsgHcRangeLelVol));
    optLR[1]->setText(LoadMessage(kMsgHcRangePpm));
    fraSQ->setTitle(LoadMessage(kMsgCh4PpmFrame));
    optSQ[0]->setText(LoadMessage(kMsgDryGas));
    optSQ[1]->setText(LoadMessage(kMsgWetGas));
    fraSQ->hide();
    prgSH->hide();
    if (record.IsCustom() != 0) {
        fraLR->show();
        // The range the detector is in; the handler only sets the selection
        // now (nothing is sent while loading).
        const int mode = record.SHmode() == 1 ? 1 : 0;
        if (optLR[mode]->isChecked())
            optLR_Click(mode);
        else
            optLR[mode]->setChecked(true);
        // The bar counts only while the detector switches.
        prgSH->hide();
    } else {
        fraLR->hide();
    }

    fraCalibration->setTitle(LoadMessage(kMsgCalibration));
    const int captions[4] = {kMsgZero, kMsgSpan, kMsgTeN2Cal, kMsgExitCalibration};
    for (int i = 0; i < 4; ++i) {
        cmdCal[i]->setText(LoadMessage(captions[i]));
        cmdCal[i]->setMinimumWidth(cmdCal[i]->sizeHint().width() +
                                   2 * cmdCal[i]->fontMetrics().averageCharWidth());
    }
    fraTrend->setTitle(LoadMessage(kMsgTrendTitle));

    fillGrid();

    session_.CalWindowOpen = true;
    link_.setCancel(false);
    link_.setRunDensty(true);
    loaded_ = true;
}

void frmCalibration::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    // The first activation reads the detector once the window is on screen.
    QTimer::singleShot(0, this, &frmCalibration::Form_Activate);
}

void frmCalibration::Form_Activate() {
    if (exiting_)
        return;
    setCommandsEnabled(false);
    clsInstrument& cal = session_.CalInstrument;
    CalibrationRun::ReadInfo(link_, cal, true, &calEnable_);
    for (int ch = 0; ch < kChannels; ++ch)
        session_.CalSelect[ch] = calEnable_[size_t(ch)];
    // The grid shows what was just read (selections, span-gas values).
    fillGrid();
    chtTrend->configure(cal, trendNow());
    setCommandsEnabled(true);
    ++activations_;
}

const clsInstrument& frmCalibration::gasSource() const {
    // Without detector data in the main window the defaults name the gases.
    return OptionRules::ShowsRecordValues(link_.Status(), session_.Instrument)
               ? session_.CalInstrument
               : session_.Defaults;
}

void frmCalibration::fillGrid() {
    const clsInstrument& gas = gasSource();
    const clsInstrument& cal = session_.CalInstrument;
    vfgCal->Clear();
    vfgCal->setRows(kRows);
    vfgCal->setCols(4);
    vfgCal->setFixedRows(1);
    vfgCal->setFixedCols(1);
    const QStringList headers = LoadMessage(kMsgCalibrationColumns).split(QLatin1Char('|'));
    for (int col = 0; col < 4; ++col)
        vfgCal->setTextMatrix(0, col, headers.value(col));
    vfgCal->setColAlignment(kColAutoCal, Qt::AlignRight | Qt::AlignVCenter);
    vfgCal->setColAlignment(kColReading, Qt::AlignRight | Qt::AlignVCenter);

    for (int ch = 0; ch < kChannels; ++ch) {
        const int row = RowOf(ch);
        const bool enable = calEnable_[size_t(ch)];
        vfgCal->setTextMatrix(row, kColGas,
                              modGasCommon::FormatGasLabelFromFields(
                                  gas.GasName(ch).trimmed(), gas.GasUnit(ch).trimmed(),
                                  gas.GasFullScale(ch), gas.GasPoint(ch)));
        vfgCal->setCellAlignment(row, kColGas, Qt::AlignLeft | Qt::AlignVCenter);
        vfgCal->setCellChecked(row, kColSelect, enable && session_.CalSelect[ch]);
        if (enable) {
            vfgCal->setTextMatrix(row, kColAutoCal,
                                  modGasCommon::FormatReading(cal.AutoCalib(ch), cal.GasPoint(ch)));
            vfgCal->setCellBackColor(row, kColAutoCal, kEditable);
        } else {
            vfgCal->setCellBackColor(row, kColSelect, kLocked);
            vfgCal->setTextMatrix(row, kColAutoCal,
                                  modGasCommon::FormatReading(modGasCommon::kNoValue, 0));
            vfgCal->setCellBackColor(row, kColAutoCal, kLocked);
        }
    }
    fillReadings();

    // Layout: the gas names take what they need, the rest share the width.
    vfgCal->AutoSize(0, 3);
    const int rowHeight = vfgCal->verticalHeader()->defaultSectionSize();
    vfgCal->setFixedHeight(rowHeight * kRows + 2 * vfgCal->frameWidth());
    vfgCal->horizontalHeader()->setStretchLastSection(true);
    vfgCal->setMinimumWidth(vfgCal->ContentWidth(0) + vfgCal->ContentWidth(1) +
                            vfgCal->ContentWidth(2) + vfgCal->ContentWidth(3) +
                            2 * vfgCal->frameWidth());
}

void frmCalibration::fillReadings() {
    const clsInstrument& cal = session_.CalInstrument;
    for (int ch = 0; ch < kChannels; ++ch) {
        const float reading =
            calEnable_[size_t(ch)] ? session_.CurrentReading[ch] : modGasCommon::kNoValue;
        vfgCal->setTextMatrix(RowOf(ch), kColReading,
                              modGasCommon::FormatReading(reading, cal.GasPoint(ch)));
    }
    vfgCal->viewport()->update();
}

void frmCalibration::Refresh_InstMoment() {
    fillReadings();
    chtTrend->addReadings(trendNow(), currentReadings());
}

CalibrationRun::Readings frmCalibration::currentReadings() const {
    CalibrationRun::Readings readings{};
    for (int ch = 0; ch < kChannels; ++ch)
        readings[size_t(ch)] = session_.CurrentReading[ch];
    return readings;
}

qint64 frmCalibration::trendNow() const {
    const qint64 clockMs = link_.clock() ? link_.clock()->elapsedMs() : openedClockMs_;
    return openedAtMs_ + (clockMs - openedClockMs_);
}

bool frmCalibration::CalEnable(int ch) const {
    return ch >= 0 && ch < kChannels && calEnable_[size_t(ch)];
}

void frmCalibration::setCommandsEnabled(bool on) {
    for (QPushButton* button : cmdCal)
        button->setEnabled(on);
    fraLR->setEnabled(on);
    fraSQ->setEnabled(on);
    vfgCal->setEditable(on);
}

// --- Grid editing ------------------------------------------------------------------------

void frmCalibration::vfgCal_BeforeEdit(int Row, int Col, bool& Cancel) {
    if (Col == kColReading || !ValidRow(Row) || !calEnable_[size_t(ChannelOf(Row))])
        Cancel = true;
}

void frmCalibration::vfgCal_AfterEdit(int Row, int Col) {
    if (Col != kColSelect || !ValidRow(Row))
        return;
    const int ch = ChannelOf(Row);
    if (!calEnable_[size_t(ch)]) {
        session_.CalSelect[ch] = false;
        vfgCal->setCellChecked(Row, kColSelect, false);
        vfgCal->setCellBackColor(Row, kColSelect, kLocked);
        return;
    }
    for (int i = 0; i < kChannels; ++i)
        session_.CalSelect[i] =
            vfgCal->CellChecked(RowOf(i), kColSelect) == GridControl::CheckState::Checked;
}

void frmCalibration::vfgCal_ValidateEdit(int Row, int Col, bool& Cancel) {
    if (Col != kColAutoCal || !ValidRow(Row) || inValidateEdit_)
        return;
    inValidateEdit_ = true;
    const int ch = ChannelOf(Row);
    clsInstrument& cal = session_.CalInstrument;
    const QString text = vfgCal->EditText();
    const SpanConcentration value = ParseSpanConcentration(cal, ch, text);
    if (!value.accepted) {
        Cancel = true;
        const int point = cal.GasPoint(ch);
        const QString unit = cal.GasUnit(ch).trimmed();
        lblHint->setText(LoadMessage(
            kMsgSpanValueHint,
            {cal.GasName(ch).trimmed(),
             modGasCommon::FormatReading(cal.GasFullScale(ch), point).trimmed() + unit,
             modGasCommon::FormatReading(modGasCommon::AlarmLevelOf(cal, ch), point).trimmed() +
                 unit}));
        lblHint->show();
        inValidateEdit_ = false;
        return;
    }
    lblHint->hide();
    cal.setAutoCalib(ch, value.value);
    if (text.trimmed().isEmpty()) {
        // No value: a span run sends none for the channel.
        vfgCal->setCellBackColor(Row, kColAutoCal, kLocked);
    } else {
        vfgCal->setCellBackColor(Row, kColAutoCal, kEditable);
        vfgCal->setEditText(modGasCommon::FormatReading(value.value, cal.GasPoint(ch)));
    }
    inValidateEdit_ = false;
}

// --- Commands ------------------------------------------------------------------------------

void frmCalibration::cmdCal_Click(int Index) {
    switch (Index) {
    case 0:
        runTransfer(SessionState::kCalModeZero);
        showResult();
        break;
    case 1: {
        vfgCal->setRowCol(kPpmRow, kColSelect);
        bool any = false;
        for (bool selected : session_.CalSelect)
            any = any || selected;
        if (!any) {
            MsgBox(this, LoadMessage(kMsgNoSensorsSelected), LoadMessage(kMsgSpanNotPerformed),
                   QMessageBox::Critical);
            return;
        }
        runTransfer(SessionState::kCalModeSpan);
        showResult();
        break;
    }
    case 2:
        teN2Cal();
        break;
    case 3:
        exitCalibration();
        break;
    default:
        break;
    }
}

void frmCalibration::runTransfer(int calMode) {
    if (link_.IsBusy())
        return;
    calResultValid_ = false;
    calResultText_.clear();
    recordedRun_ = 0;
    const TrendModel::Run run =
        calMode == SessionState::kCalModeZero ? TrendModel::Run::Zero : TrendModel::Run::Span;
    chtTrend->beginRun(run, trendNow());
    session_.CalMode = calMode;
    {
        frmUploadCalib transfer(main_, *this);
        transfer.exec();
    }
    session_.CalMode = SessionState::kCalModeNone;
    chtTrend->endRun(trendNow());
    // Back from the transfer window: the detector's values again.
    Form_Activate();
}

void frmCalibration::showResult() {
    if (!calResultValid_)
        return;
    if (recordedRun_ <= 0) {
        MsgBox(this, calResultText_, LoadMessage(kMsgAdjustment), QMessageBox::Information);
        return;
    }
    // A span run in the register: its certificate from the result box.
    MsgBoxRequest box;
    box.parent = this;
    box.text = calResultText_;
    box.title = LoadMessage(kMsgAdjustment);
    box.icon = QMessageBox::Information;
    box.buttons = QMessageBox::Ok | QMessageBox::Save;
    box.buttonTexts = {{QMessageBox::Save, LoadMessage(kMsgRegisterCertificateButton)}};
    if (MsgBox(box) == QMessageBox::Save)
        frmRegister::SaveCertificate(this, main_.Register(),
                                     session_.Instrument.SerialNo().trimmed(), recordedRun_);
}

void frmCalibration::RecordRun(const CalibrationRun::Result& result, bool ZeroRun) {
    recordedRun_ = 0;
    if (!result.Success())
        return;
    CalibrationRun::Channels reported{};
    for (int ch = 0; ch < kChannels; ++ch)
        reported[size_t(ch)] = ZeroRun ? calEnable_[size_t(ch)] : session_.CalSelect[ch];
    const CalibrationRun::Readings readings = currentReadings();
    const qint64 id = main_.RecordEvent(RegisterEvents::FromCalibration(
        main_.EventIdentity(), session_.CalInstrument, ZeroRun ? nullptr : &session_.Instrument,
        !ZeroRun, reported, result, &readings));
    if (!ZeroRun)
        recordedRun_ = id;
}

void frmCalibration::SetCalibResult(bool Success, const CalibrationRun::Channels& Results,
                                    bool ZeroRun) {
    CalibrationRun::Channels reported{};
    for (int ch = 0; ch < kChannels; ++ch)
        reported[size_t(ch)] = (calEnable_[size_t(ch)] && ZeroRun) || session_.CalSelect[ch];
    calResultText_ = CalibrationRun::ResultLines(session_.CalInstrument, reported, Results,
                                                 currentReadings(), calEnable_);
    calResultValid_ = Success;
}

void frmCalibration::teN2Cal() {
    if (!calEnable_[CalibrationRun::kTeChannel]) {
        MsgBox(this, LoadMessage(kMsgTeDisabled), LoadMessage(kMsgTeN2Cal), QMessageBox::Critical);
        return;
    }
    if (link_.IsBusy())
        return;
    const clsInstrument& cal = session_.CalInstrument;
    setCommandsEnabled(false);
    chtTrend->beginRun(TrendModel::Run::TeN2, trendNow());
    const QString oxygen =
        CalibrationRun::OxygenText(session_.CurrentReading[CalibrationRun::kOxygenChannel],
                                   cal.GasPoint(CalibrationRun::kOxygenChannel));
    const CalibrationRun::Result run =
        CalibrationRun::TeN2(link_, oxygen, CalibrationRun::Options{}, main_.LogReport());
    chtTrend->endRun(trendNow());
    if (run.Success()) {
        const CalibrationRun::Readings readings = currentReadings();
        main_.RecordEvent(RegisterEvents::FromTeN2(main_.EventIdentity(), cal, run, &readings));
    }
    setCommandsEnabled(true);
    CalibrationRun::Channels reported{};
    reported[CalibrationRun::kTeChannel] = true;
    const QString line =
        CalibrationRun::ResultLines(cal, reported, run.Status, currentReadings(), calEnable_);
    MsgBox(this, line, LoadMessage(kMsgTeN2Cal), QMessageBox::Information);
}

void frmCalibration::exitCalibration() {
    if (link_.IsBusy())
        return;
    exiting_ = true;
    link_.setRunDensty(false);
    session_.CalWindowOpen = false;
    done(QDialog::Accepted);
}

void frmCalibration::reject() {
    // Escape and the window's close button end the window as "Exit
    // Calibration" does, but not while a command runs on the link.
    if (cmdCal[3]->isEnabled())
        exitCalibration();
}

void frmCalibration::closeEvent(QCloseEvent* event) {
    if (!exiting_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

// --- Range and gas switches ----------------------------------------------------------------

void frmCalibration::optLR_Click(int Index) {
    const bool ppm = optLR[1]->isChecked();
    const int ppmRow = kPpmRow;
    if (!ppm) {
        for (int ch = 0; ch < kChannels; ++ch) {
            if (calEnable_[size_t(ch)])
                vfgCal->setCellChecked(RowOf(ch), kColSelect, true);
        }
        vfgCal->setCellChecked(ppmRow, kColSelect, false);
    } else {
        for (int ch = 0; ch < kChannels; ++ch)
            vfgCal->setCellChecked(RowOf(ch), kColSelect, false);
        // A row that cannot be calibrated stays unchecked.
        if (calEnable_[size_t(ChannelOf(ppmRow))])
            vfgCal->setCellChecked(ppmRow, kColSelect, true);
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        if (calEnable_[size_t(ch)])
            session_.CalSelect[ch] =
                vfgCal->CellChecked(RowOf(ch), kColSelect) == GridControl::CheckState::Checked;
    }
    if (ppm) {
        prgSH->setMaximum(kRangeSwitchSeconds);
        prgSH->setValue(kRangeSwitchSeconds);
        prgSH->show();
    } else {
        prgSH->hide();
    }
    if (!loaded_)
        return;

    setCommandsEnabled(false);
    CalibrationRun::SwitchRange(
        link_, Index, [this] { prgSH->setValue(qMax(prgSH->minimum(), prgSH->value() - 1)); });
    setCommandsEnabled(true);
    prgSH->hide();
    fraSQ->setVisible(ppm);
}

void frmCalibration::optSQ_Click(int Index) {
    if (!loaded_)
        return;
    setCommandsEnabled(false);
    CalibrationRun::SetWetDry(link_, Index);
    setCommandsEnabled(true);
}
