// Access-code dialog: only a correct code opens the main window. Closing it
// without a correct code asks "End ?" first.
#pragma once

#include "app/AppSettings.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class frmPassword : public QDialog {
    Q_OBJECT
public:
    // Creates the main window once the code is accepted. The dialog shows the
    // window it returns; ownership stays with the factory's caller (the main
    // window normally deletes itself when it closes).
    using MainWindowFactory = std::function<QWidget*()>;

    // `settings` holds AccessCode and AccessGranted (the program-wide App()
    // outside tests).
    explicit frmPassword(AppSettings& settings, MainWindowFactory createMainWindow,
                         QWidget* parent = nullptr);

    QLabel* lblPass = nullptr;
    QLineEdit* txtPass = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The main window created by a correct code (null before).
    QWidget* mainWindow() const { return mainWindow_; }

public slots:
    // Escape and the system's close requests take the same road as Cancel.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    // True when the dialog may close.
    bool Form_QueryUnload();

    AppSettings& settings_;
    MainWindowFactory createMainWindow_;
    QWidget* mainWindow_ = nullptr;
};
