#include "ui/main/ScreenshotMode.h"

#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "ui/GridControl.h"
#include "ui/calibration/CalibrationScreenshot.h"
#include "ui/factory/frmFsDialog.h"
#include "ui/frmPassword.h"
#include "ui/main/frmMain.h"
#include "ui/register/frmRegister.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <iterator>

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

bool SaveWidget(QWidget* widget, const QString& file) {
    const QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(file, "PNG");
}

// The pages of the factory settings dialog, one after the other, each given
// a moment to lay itself out; then the program ends.
void SaveFactoryPages(frmMain* window, const QString& pattern) {
    auto* dialog = new frmFsDialog(window->Settings(), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setInstrument(&window->Record());
    dialog->show();
    struct Shot {
        const char* name;
        int tab;
        int page;
    };
    static const Shot kShots[] = {
        {"lists", frmFsDialog::kTabStationUser, 0},
        {"setup", frmFsDialog::kTabParameter, frmFsDialog::kPageSetUp},
        {"factory", frmFsDialog::kTabParameter, frmFsDialog::kPageFactory},
        {"other", frmFsDialog::kTabParameter, frmFsDialog::kPageOther},
        {"gas", frmFsDialog::kTabGasTable, 0}};
    QPointer<frmFsDialog> guard(dialog);
    auto next = std::make_shared<std::function<void(size_t)>>();
    *next = [guard, pattern, next](size_t i) {
        if (!guard)
            return Finish(1, "the factory settings dialog is gone");
        if (i > 0 && !SaveWidget(guard, pattern.arg(QLatin1String(kShots[i - 1].name))))
            return Finish(1, "a picture of the factory settings dialog could not be saved");
        if (i == std::size(kShots)) {
            guard->close();
            return Finish(0, qPrintable(QStringLiteral("saved %1").arg(pattern)));
        }
        const Shot& shot = kShots[i];
        guard->SSTab1->setCurrentIndex(shot.tab);
        guard->SSTab2->setCurrentIndex(shot.page);
        if (shot.tab == frmFsDialog::kTabStationUser) {
            guard->vfgStation->setFocus();
            guard->vfgStation->setCurrentCell(0, 1);
        }
        // The gas table is shown whole.
        int width = 980;
        if (shot.tab == frmFsDialog::kTabGasTable) {
            int columns = 0;
            for (int c = 0; c < guard->vfgGasTbl->Cols(); ++c)
                columns += guard->vfgGasTbl->ColWidth(c);
            width = qMax(width, columns + 60);
        }
        guard->resize(width, guard->height());
        QTimer::singleShot(800, [next, i] { (*next)(i + 1); });
    };
    QTimer::singleShot(800, [next] { (*next)(0); });
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

// Opens the instrument register after the read: its list, then the page of
// the detector just read.
void PictureRegister(QPointer<frmMain> window, const QString& pattern) {
    window->cmdRegister->click();
    QPointer<frmRegister> reg(window->RegisterWindow());
    if (!reg)
        return Finish(1, "the register window did not open");
    reg->resize(1100, 520);
    reg->List()->resizeColumnsToContents();
    QTimer::singleShot(800, [window, reg, pattern] {
        if (!reg || !window)
            return Finish(1, "the register window is gone");
        if (!reg->grab().save(pattern.arg(QLatin1String("list"))))
            return Finish(1, "the picture could not be saved");
        reg->ShowDetector(window->Record().SerialNo().trimmed());
        QTimer::singleShot(800, [reg, pattern] {
            if (!reg)
                return Finish(1, "the register window is gone");
            Save(reg->grab(), pattern.arg(QLatin1String("detector")));
        });
    });
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
            QTimer::singleShot(1500, [window, file, scene] {
                if (!window)
                    return Finish(1, "the main window is gone");
                if (scene == ScreenshotScene::MainWindow && file.contains(QLatin1String("%1")))
                    return SaveFactoryPages(window, file);
                if (scene == ScreenshotScene::MainWindow)
                    return Save(window->grab(), file);
                if (scene == ScreenshotScene::Register)
                    return PictureRegister(window, file);
                EditAsATechnician(*window);
                PictureUpdateQuestion(window, file);
            });
        });
        poll->start();
    });
}
