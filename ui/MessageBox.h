// Message boxes of the program. Every box goes through MsgBox() so that a test
// (or any other caller without a person at the screen) can answer it by
// installing a handler; without a handler the real modal box is shown.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class QWidget;

struct MsgBoxRequest {
    QWidget* parent = nullptr;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // Texts for buttons whose standard caption does not say what they do.
    QList<QPair<QMessageBox::StandardButton, QString>> buttonTexts;
    // Lines shown under the text in a list of their own (what a write will
    // change); empty for a plain box.
    QStringList items;
};

// Answers a box: returns the button the user "pressed".
using MsgBoxHandler = std::function<QMessageBox::StandardButton(const MsgBoxRequest&)>;

// Shows a box and returns the button pressed. Texts from the catalogue carry
// CR LF line breaks; they are shown as ordinary line breaks.
QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// The same with the box's own button texts.
QMessageBox::StandardButton MsgBox(const MsgBoxRequest& request);
// The same box with a list of lines under the text, scrolled when it is
// long (the preview of a write under its question).
QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                   const QStringList& items);

// Installs a handler (an empty one brings back the real box) and returns the
// one it replaces.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

// Installs a handler for the lifetime of the object.
class ScopedMsgBoxHandler {
public:
    explicit ScopedMsgBoxHandler(MsgBoxHandler handler)
        : previous_(SetMsgBoxHandler(std::move(handler))) {}
    ~ScopedMsgBoxHandler() { SetMsgBoxHandler(std::move(previous_)); }
    ScopedMsgBoxHandler(const ScopedMsgBoxHandler&) = delete;
    ScopedMsgBoxHandler& operator=(const ScopedMsgBoxHandler&) = delete;

private:
    MsgBoxHandler previous_;
};
