// Splash window shown modally at start-up: product name, edition part number,
// maker and a picture. Closes itself after a short while.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QTimer;

// Moves a top-level window to the middle of its screen:
// left = (screen width - window width) / 2, top likewise.
void CentreOnScreen(QWidget* window);

class frmOpen : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDisplayMs = 2500;
    // Part numbers of the two editions and the maker's two company names.
    static const char* const kPartNumberJapanese;
    static const char* const kPartNumberOther;

    // `displayMs` is how long the splash stays; tests pass a short time.
    explicit frmOpen(QWidget* parent = nullptr, int displayMs = kDisplayMs);

    QFrame* fraOpen = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblTM = nullptr;
    QLabel* lblPCs = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblRights = nullptr;
    QLabel* imgPicture = nullptr;
    QFrame* linBorder[2] = {nullptr, nullptr};
    QTimer* tmrTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void tmrTimer_Timer();
    void fraOpen_DblClick();

    int displayMs_;
    bool timerArmed_ = false;
};
