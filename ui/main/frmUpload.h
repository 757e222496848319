// Progress window shown (modeless) while a long command talks to the
// detector: a busy animation, a text and, in the modes that allow it, a
// cancel button. The caller creates it with the run mode (CalMode), shows it
// before the link call, may overwrite caption and text, and deletes it
// afterwards.
//
// Run modes: 0 instrument download, 1 logger-data or dump download (with
// cancel), 2 upload, 3 zero run, 4 span run, 5 download with cancel,
// 6 check-data writing.
//
// A transfer that counts its blocks (the logger download, the dump list)
// also shows a progress bar of the blocks done and the time left, estimated
// from the pace so far; both appear with the first count.
#pragma once

#include "workflows/Report.h"

#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// A small animation of a sheet travelling between the PC and the detector,
// drawn by code so it is crisp at any scaling and needs no file. The owner
// drives it with advance().
class BusyAnimation : public QWidget {
    Q_OBJECT
public:
    enum class Direction { FromDetector, ToDetector };
    static constexpr int kFrames = 40;

    explicit BusyAnimation(QWidget* parent = nullptr);
    void setDirection(Direction direction);
    Direction direction() const { return direction_; }
    // Next frame (wraps around after kFrames).
    void advance();
    int frame() const { return frame_; }
    QSize sizeHint() const override { return QSize(288, 64); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Direction direction_ = Direction::FromDetector;
    int frame_ = 0;
};

// The parts every progress window shares: the text under the animation
// (centred, wrapping, as wide as the animation) and the layout, which puts
// `rows` (the animation first) above a centred `button` and keeps the
// window at the size its contents need.
QLabel* MakeProgressText(QWidget* parent, const BusyAnimation* animation);
void LayOutProgressWindow(QDialog* window, const QList<QWidget*>& rows, QPushButton* button);

class frmUpload : public QDialog {
    Q_OBJECT
public:
    // Milliseconds between animation frames.
    static constexpr int kFrameInterval = 40;

    explicit frmUpload(int calMode, QWidget* parent = nullptr);
    ~frmUpload() override;

    int CalMode() const { return calMode_; }
    // True once the user pressed the cancel button.
    bool Canceled() const { return canceled_; }
    void setCanceled(bool on) { canceled_ = on; }
    // Called when the user cancels; the main window sets the link's Cancel
    // there and notes "= User Cancel =" in the serial log.
    void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
    // The text under the animation (callers replace it while the command runs).
    void setText(const QString& text);
    QString text() const;

    // Blocks done of the total: shows the progress bar and the time left.
    void setSteps(int done, int total);
    // The clock the time left is measured on (milliseconds, steady); the
    // default is the wall clock. The main window gives the link's clock.
    void setTimeSource(std::function<qint64()> nowMs) { nowMs_ = std::move(nowMs); }
    // "512 of 1024 blocks, about 0:31 left" as shown under the bar.
    QString stepsText() const;

    QLabel* lblUpload = nullptr;
    QProgressBar* prgUpload = nullptr;
    QLabel* lblSteps = nullptr;
    QPushButton* cmdUpload = nullptr;
    BusyAnimation* amnUpload = nullptr;
    QTimer* tmrInter = nullptr;

public slots:
    // Escape works as the cancel button where there is one and is ignored
    // otherwise.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // The user cannot close the window; the command that showed it does.
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdUpload_Click();
    void centreOnScreen();

    qint64 nowMs() const;

    int calMode_;
    bool canceled_ = false;
    std::function<void()> cancelHandler_;
    std::function<qint64()> nowMs_;
    workflows::TimeLeftEstimate timeLeft_;
};
