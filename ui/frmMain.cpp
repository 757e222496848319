// PLACEHOLDER: see frmMain.h.
#include "ui/frmMain.h"

#include "app/Catalogue.h"

#include <QStatusBar>
#include <QWidget>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle());
    setCentralWidget(new QWidget(this));
    statusBar()->showMessage(QStringLiteral("Placeholder: the main window is not built yet."));
    resize(640, 480);
}
