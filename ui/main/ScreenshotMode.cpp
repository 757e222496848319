#include "ui/main/ScreenshotMode.h"

#include "link/uclTqif.h"
#include "ui/calibration/CalibrationScreenshot.h"
#include "ui/frmPassword.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
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
            if (scene == ScreenshotScene::Calibration) {
                TakeCalibrationScreenshot(*window, file, [](int code, const QString& note) {
                    Finish(code, qPrintable(note));
                });
                return;
            }
            // Let the window settle (layout, the clocks) before the picture.
            QTimer::singleShot(1500, [window, file] {
                if (!window)
                    return Finish(1, "the main window is gone");
                const QPixmap picture = window->grab();
                if (picture.isNull() || !picture.save(file, "PNG"))
                    return Finish(1, "the picture could not be saved");
                Finish(0, qPrintable(QStringLiteral("saved %1").arg(file)));
            });
        });
        poll->start();
    });
}
