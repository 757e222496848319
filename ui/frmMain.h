// PLACEHOLDER main window. It only stands in for the real main window, which
// is built separately, so that the start-up path can be run end to end: the
// window has the application title, an empty central area and a status line.
// Replace this file (and frmMain.cpp) with the real window.
#pragma once

#include <QMainWindow>

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
};
