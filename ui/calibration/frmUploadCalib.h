// The calibration transfer window: the small modal progress window that
// carries out one zero or span run. The calibration window sets the run
// mode (CalMode 3 zero, 4 span) and shows it modally; right after it is
// shown the window runs the CalibrationRun workflow (readings stopped,
// command, per-channel results, for a span the latest calibration history
// into the main window's record, readings started again), hands the
// results to the calibration window (SetCalibResult) and closes itself,
// whatever the outcome. A run the detector refused is reported in red in
// the main window's log pane.
#pragma once

#include "workflows/CalibrationRun.h"

#include <QDialog>

class BusyAnimation;
class QLabel;
class QPushButton;
class QTimer;
class frmCalibration;
class frmMain;

class frmUploadCalib : public QDialog {
    Q_OBJECT
public:
    // Milliseconds between the animation's frames.
    static constexpr int kFrameInterval = 40;

    frmUploadCalib(frmMain& main, frmCalibration& calibration);
    ~frmUploadCalib() override;

    // The user cancelled (the button is hidden during calibration runs).
    bool Canceled() const { return canceled_; }
    void setCanceled(bool on) { canceled_ = on; }
    // True while the run talks to the detector.
    bool running() const { return running_; }
    // How the run ended (after it ran).
    const CalibrationRun::Result& runResult() const { return result_; }

    QLabel* lblUpload = nullptr;
    BusyAnimation* amnUpload = nullptr;
    QPushButton* cmdUpload = nullptr;
    QTimer* tmrInter = nullptr; // starts the run once the window is shown
    QTimer* tmrFrame = nullptr; // the animation

public slots:
    // Escape is ignored while a run is due or runs: the window ends when
    // its run has ended. A window without a run may be closed.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tmrInter_Timer();
    void cmdUpload_Click();
    void centreOnScreen();
    bool hasRun() const;

    frmMain& main_;
    frmCalibration& calibration_;
    int calMode_ = 0;
    bool canceled_ = false;
    bool running_ = false;
    bool finished_ = false;
    CalibrationRun::Result result_;
};
