// Helpers the window tests share: readable QString output, a message-box
// recorder, and a user's hands on a grid and on a modal dialog.
#pragma once

#include "ui/GridControl.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace uitest {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

// Records every message box; answers from `answers` in order, then with
// `defaultAnswer`.
struct BoxRecorder {
    std::vector<MsgBoxRequest> asked;
    std::deque<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Yes;
    ScopedMsgBoxHandler guard{[this](const MsgBoxRequest& request) {
        asked.push_back(request);
        if (answers.empty())
            return defaultAnswer;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }};

    bool wasAsked(const QString& text) const {
        for (const MsgBoxRequest& r : asked) {
            if (r.text == text)
                return true;
        }
        return false;
    }
};

// Replaces a cell's text by typing and presses Enter. True when the text was
// taken (the editor closed); a refused editor is closed with Escape.
inline bool TypeIntoCell(GridControl& grid, int row, int col, const QString& text) {
    grid.setFocus();
    grid.setCurrentCell(row, col);
    if (!grid.EditCell(row, col) || !grid.ActiveEditor())
        return false;
    QWidget* editor = grid.ActiveEditor();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    const bool taken = grid.ActiveEditor() == nullptr;
    if (!taken)
        QTest::keyClick(grid.ActiveEditor(), Qt::Key_Escape);
    QCoreApplication::processEvents(); // AfterEdit
    return taken;
}

// Clicks a cell, then delivers AfterEdit (which may open a dialog). A dialog
// nobody answers fails the test instead of hanging it.
inline void ClickCell(GridControl& grid, int row, int col) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog stayed open: " << modal->objectName().toStdString();
            modal->close();
        }
    });
    watchdog.start(4000);
    const QRect rect = grid.visualRect(grid.model()->index(row, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, rect.center());
    QCoreApplication::processEvents();
}

// What WhenModalOpens keeps between its polls.
template <class T> struct ModalWait {
    std::function<void(T*)> act;
    int tries = 0;
};

// One poll; the next one is queued with the only reference to the wait, so
// the wait (and whatever `act` holds) goes when the polls end.
template <class T> void PollForModal(std::shared_ptr<ModalWait<T>> wait) {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<T*>(modal))
        return wait->act(dialog);
    if (++wait->tries > 300) {
        ADD_FAILURE() << "the expected dialog did not open";
        if (modal)
            modal->close();
        return;
    }
    QTimer::singleShot(10, [wait] { PollForModal(wait); });
}

// Runs `act` on the dialog of type T once it is shown modally; closes any
// other modal window after a while so that a test can never hang.
template <class T> void WhenModalOpens(std::function<void(T*)> act) {
    auto wait = std::make_shared<ModalWait<T>>();
    wait->act = std::move(act);
    QTimer::singleShot(0, [wait] { PollForModal(wait); });
}

} // namespace uitest
