// The calibration window: zero and span calibration of the detector's gas
// channels, and the N2 zero of channel 4, while the user watches the live
// readings in the grid and in a trend of the last five minutes.
//
// The main window opens it modally (pump on before, off after). It works on
// the session's calibration record (CalInstrument), which it fills with
// the detector's gas information, span-gas values and alarm points each
// time it becomes active: when it opens and when a run returns. The runs
// themselves go through the calibration transfer window (frmUploadCalib),
// which reports back through SetCalibResult; the N2 zero, the range and the
// dry/wet switches call the CalibrationRun workflow directly.
//
// Grid vfgCal: a header row, then one row per channel 0..4:
//   Gas | Select (check box) | Auto Cal.(F) (span-gas value) | Current Reading
// A channel that cannot be calibrated (off, or without a span-gas value) is
// grey, unchecked, and shows "-----" for its value and reading.
#pragma once

#include "workflows/CalibrationRun.h"

#include <QColor>
#include <QDialog>
#include <QElapsedTimer>

class GridControl;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TrendChart;
class TrendKey;
class frmMain;
struct SessionState;
class uclTqif;

class frmCalibration : public QDialog {
    Q_OBJECT
public:
    enum Column { kColGas = 0, kColSelect = 1, kColAutoCal = 2, kColReading = 3 };
    static constexpr int kRows = 6;
    // The row whose cell the span button makes current, and the row the
    // "ppm" range selects alone (channel 3).
    static constexpr int kPpmRow = 4;
    // Seconds the ppm range takes to switch (the progress bar counts down).
    static constexpr int kRangeSwitchSeconds = 30;
    static const QColor kLocked;   // a channel that cannot be calibrated
    static const QColor kEditable; // a span-gas value that may be typed

    explicit frmCalibration(frmMain& main);
    ~frmCalibration() override;

    // --- Controls --------------------------------------------------------------
    QGroupBox* fraCalibration = nullptr;
    GridControl* vfgCal = nullptr;
    QPushButton* cmdCal[4] = {}; // 0 Zero, 1 Span, 2 TE N2 Cal, 3 Exit Calibration
    QGroupBox* fraLR = nullptr;  // combustible-gas range
    QRadioButton* optLR[2] = {}; // 0 LEL/vol, 1 ppm
    QGroupBox* fraSQ = nullptr;  // dry or wet gas in the ppm range
    QRadioButton* optSQ[2] = {}; // 0 Dry Gas, 1 Wet Gas
    QProgressBar* prgSH = nullptr;
    QLabel* lblHint = nullptr; // why a typed span-gas value was refused
    QGroupBox* fraTrend = nullptr;
    TrendChart* chtTrend = nullptr;
    TrendKey* keyTrend = nullptr;

    // --- Interfaces ------------------------------------------------------------
    // The end of a run (the transfer window): the result lines of the
    // reported channels (a zero: every channel that may be calibrated; a
    // span: the selected ones) and whether the detector accepted the run.
    void SetCalibResult(bool Success, const CalibrationRun::Channels& Results, bool ZeroRun);
    // The same run into the instrument register (the detector accepted it);
    // after a span run the result box then offers its certificate.
    void RecordRun(const CalibrationRun::Result& result, bool ZeroRun);
    qint64 RecordedRun() const { return recordedRun_; }
    // A new live reading (the main window after each one): the reading
    // column and the trend.
    Q_INVOKABLE void Refresh_InstMoment();

    bool CalEnable(int ch) const;
    bool CalResultValid() const { return calResultValid_; }
    QString CalResultText() const { return calResultText_; }
    bool Loaded() const { return loaded_; }
    // How often the window became active and read the detector (tests).
    int activations() const { return activations_; }

    void cmdCal_Click(int Index);
    void optLR_Click(int Index);
    void optSQ_Click(int Index);

    // The trend's time now: the link's clock, counted from the wall-clock
    // time the window opened (a test's virtual clock keeps the trend in step).
    qint64 trendNow() const;

public slots:
    // Closing the window is "Exit Calibration" (refused while a command runs).
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Activate();
    void fillGrid();
    void fillReadings();
    void setCommandsEnabled(bool on);
    void runTransfer(int calMode);
    void teN2Cal();
    void exitCalibration();
    void showResult();
    CalibrationRun::Readings currentReadings() const;
    const clsInstrument& gasSource() const;

    void vfgCal_BeforeEdit(int Row, int Col, bool& Cancel);
    void vfgCal_AfterEdit(int Row, int Col);
    void vfgCal_ValidateEdit(int Row, int Col, bool& Cancel);

    frmMain& main_;
    uclTqif& link_;
    SessionState& session_;
    CalibrationRun::Channels calEnable_{};
    bool calResultValid_ = false;
    QString calResultText_;
    qint64 recordedRun_ = 0; // the span run's event in the register, 0: none
    bool loaded_ = false;
    bool inValidateEdit_ = false;
    bool activated_ = false;
    bool exiting_ = false;
    int activations_ = 0;
    qint64 openedAtMs_ = 0;    // wall-clock time the window opened
    qint64 openedClockMs_ = 0; // the link clock then
};
