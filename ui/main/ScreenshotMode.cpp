#include "ui/main/ScreenshotMode.h"

#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "ui/frmPassword.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Longest wait for the detector to connect.
constexpr qint64 kConnectLimitMs = 30000;

void Finish(int code, const char* message) {
    std::fprintf(code == 0 ? stdout : stderr, "tq7350 screenshot: %s\n", message);
    QApplication::exit(code);
}

void Save(const QPixmap& picture, const QString& file) {
    if (picture.isNull() || !picture.save(file, "PNG"))
        return Finish(1, "the picture could not be saved");
    Finish(0, qPrintable(QStringLiteral("saved %1").arg(file)));
}

// The edits of the question's picture, as a technician would make them in
// the window: the carbon monoxide channel's warning and alarm points and the
// logging interval of the demonstration detector.
void EditAsATechnician(frmMain& window) {
    constexpr int kCarbonMonoxide = 2;
    clsInstrument& record = window.Record();
    record.setWarning(kCarbonMonoxide, 20);
    record.setAlarm(kCarbonMonoxide, 35);
    record.setIntervals(60);
    window.RefreshAll();
}

// Presses "Update" and pictures the question over the window once it is up;
// answers No, which ends the command.
void PictureUpdateQuestion(QPointer<frmMain> window, const QString& file) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, [poll, window, file] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(500, [box, window, file] {
            if (!window) {
                box->reject();
                return Finish(1, "the main window is gone");
            }
            // The box drawn over the window where it stands on the screen.
            QPixmap picture = window->grab();
            QPainter painter(&picture);
            painter.drawPixmap(box->geometry().topLeft() - window->geometry().topLeft(),
                               box->grab());
            painter.end();
            box->reject();
            Save(picture, file);
        });
    });
    poll->start();
    window->cmdOption[0]->click();
}

} // namespace

void StartScreenshotMode(frmPassword& password, const QString& accessCode, const QString& file,
                         ScreenshotScene scene) {
    QPointer<frmPassword> dialog(&password);
    QTimer::singleShot(300, [dialog, accessCode, file, scene] {
        if (!dialog)
            return Finish(1, "the access-code dialog is gone");
        dialog->txtPass->setText(accessCode);
        dialog->cmdOK->click();
        QPointer<frmMain> window(qobject_cast<frmMain*>(dialog->mainWindow()));
        if (!window)
            return Finish(1, "the access code was not accepted");

        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        auto* poll = new QTimer(qApp);
        poll->setInterval(100);
        QObject::connect(poll, &QTimer::timeout, [poll, window, clock, file, scene] {
            if (!window) {
                poll->deleteLater();
                return Finish(1, "the main window is gone");
            }
            if (!window->uclTQ6937->Connected()) {
                if (clock->elapsed() > kConnectLimitMs) {
                    poll->deleteLater();
                    Finish(1, "the detector did not connect");
                }
                return;
            }
            poll->stop();
            poll->deleteLater();
            // A comfortable size that shows the whole log of one read.
            window->resize(window->size().expandedTo(QSize(1100, 760)));
            // Runs the whole read; returns when it has finished.
            window->cmdDown[1]->click();
            window->setFocus();
            // Let the window settle (layout, the clocks) before the picture.
            QTimer::singleShot(1500, [window, file, scene] {
                if (!window)
                    return Finish(1, "the main window is gone");
                if (scene == ScreenshotScene::MainWindow)
                    return Save(window->grab(), file);
                EditAsATechnician(*window);
                PictureUpdateQuestion(window, file);
            });
        });
        poll->start();
    });
}
