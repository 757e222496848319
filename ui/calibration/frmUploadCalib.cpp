#include "ui/calibration/frmUploadCalib.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/uclTqif.h"
#include "records/SessionState.h"
#include "ui/FontCopy.h"
#include "ui/calibration/frmCalibration.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmUpload.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

frmUploadCalib::frmUploadCalib(frmMain& main, frmCalibration& calibration)
    : QDialog(&calibration, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      main_(main), calibration_(calibration), calMode_(main.State().CalMode) {
    setObjectName(QStringLiteral("frmUploadCalib"));
    setModal(true);

    amnUpload = new BusyAnimation(this);
    amnUpload->setDirection(BusyAnimation::Direction::ToDetector);
    lblUpload = MakeProgressText(this, amnUpload);
    cmdUpload = new QPushButton(LoadMessage(kMsgProgressCancel), this);
    cmdUpload->setObjectName(QStringLiteral("cmdUpload"));
    connect(cmdUpload, &QPushButton::clicked, this, &frmUploadCalib::cmdUpload_Click);

    tmrFrame = new QTimer(this);
    tmrFrame->setInterval(kFrameInterval);
    connect(tmrFrame, &QTimer::timeout, amnUpload, &BusyAnimation::advance);
    tmrInter = new QTimer(this);
    tmrInter->setObjectName(QStringLiteral("tmrInter"));
    tmrInter->setSingleShot(true);
    tmrInter->setInterval(1);
    connect(tmrInter, &QTimer::timeout, this, &frmUploadCalib::tmrInter_Timer);

    LayOutProgressWindow(this, {amnUpload, lblUpload}, cmdUpload);

    ApplySharedFont(this, main_.Settings().SharedFont);
    cmdUpload->setMinimumWidth(
        cmdUpload->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")));
    if (calMode_ == SessionState::kCalModeZero || calMode_ == SessionState::kCalModeSpan) {
        const QString caption = LoadMessage(
            calMode_ == SessionState::kCalModeZero ? kMsgAdjustingZero : kMsgAdjustingSpan);
        setWindowTitle(caption);
        lblUpload->setText(caption);
    } else {
        setWindowTitle(AppTitle());
    }
    cmdUpload->hide();
    canceled_ = false;
}

frmUploadCalib::~frmUploadCalib() = default;

bool frmUploadCalib::hasRun() const {
    return calMode_ == SessionState::kCalModeZero || calMode_ == SessionState::kCalModeSpan;
}

void frmUploadCalib::centreOnScreen() {
    QScreen* screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void frmUploadCalib::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    centreOnScreen();
    tmrFrame->start();
    if (!finished_ && !running_)
        tmrInter->start();
}

void frmUploadCalib::tmrInter_Timer() {
    tmrInter->stop();
    if (!hasRun() || running_ || finished_)
        return;
    running_ = true;
    SessionState& session = main_.State();
    uclTqif& link = *main_.uclTQ6937;
    workflows::Report report = main_.LogReport();
    report.progress = [this](const QString& text) { lblUpload->setText(text); };
    const CalibrationRun::Options options; // the readings start again afterwards
    if (calMode_ == SessionState::kCalModeZero) {
        result_ = CalibrationRun::Zero(link, options, report);
        calibration_.SetCalibResult(result_.Success(), result_.Status, true);
        calibration_.RecordRun(result_, true);
    } else {
        CalibrationRun::Channels selected{};
        for (int ch = 0; ch < 5; ++ch)
            selected[size_t(ch)] = session.CalSelect[ch];
        result_ = CalibrationRun::Span(link, session.CalInstrument, selected, &session.Instrument,
                                       options, report);
        calibration_.SetCalibResult(result_.Success(), result_.Status, false);
        calibration_.RecordRun(result_, false);
    }
    session.ReadingReceived = false;
    running_ = false;
    finished_ = true;
    tmrFrame->stop();
    done(QDialog::Accepted);
}

void frmUploadCalib::cmdUpload_Click() {
    lblUpload->setText(LoadMessage(kMsgNowCanceling));
    main_.uclTQ6937->setCancel(true);
    canceled_ = true;
    cmdUpload->setEnabled(false);
}

void frmUploadCalib::reject() {
    if (!hasRun())
        QDialog::reject();
}

void frmUploadCalib::closeEvent(QCloseEvent* event) {
    if (running_ || (hasRun() && !finished_)) {
        event->ignore();
        return;
    }
    tmrFrame->stop();
    QDialog::closeEvent(event);
}
