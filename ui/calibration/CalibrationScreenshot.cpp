#include "ui/calibration/CalibrationScreenshot.h"

#include "link/uclTqif.h"
#include "ui/MessageBox.h"
#include "ui/calibration/frmCalibration.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

// Readings shown before the span, and after it.
constexpr qint64 kBeforeSpanMs = 45000;
constexpr qint64 kAfterSpanMs = 9000;
// Longest the whole scene may take.
constexpr qint64 kSceneLimitMs = 120000;
// Size of the picture's window.
const QSize kPictureSize(900, 720);

enum class Step { WaitForWindow, Readings, Span, AfterSpan, Done };

} // namespace

void TakeCalibrationScreenshot(frmMain& window, const QString& file,
                               const std::function<void(int, const QString&)>& finish) {
    SetMsgBoxHandler([](const MsgBoxRequest&) { return QMessageBox::Ok; });
    QPointer<frmMain> main(&window);
    auto step = std::make_shared<Step>(Step::WaitForWindow);
    auto clock = std::make_shared<QElapsedTimer>();
    auto scene = std::make_shared<QElapsedTimer>();
    scene->start();
    auto* poll = new QTimer(qApp);
    poll->setInterval(200);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto fail = [&](const QString& why) {
            *step = Step::Done;
            poll->stop();
            poll->deleteLater();
            finish(1, why);
        };
        if (*step == Step::Done || *step == Step::Span)
            return; // the span runs (its waits come back here)
        if (!main)
            return fail(QStringLiteral("the main window is gone"));
        if (scene->elapsed() > kSceneLimitMs)
            return fail(QStringLiteral("the calibration scene took too long"));
        auto* cal = qobject_cast<frmCalibration*>(QApplication::activeModalWidget());
        if (!cal || cal->activations() == 0 || main->uclTQ6937->IsBusy())
            return;
        switch (*step) {
        case Step::WaitForWindow:
            cal->resize(kPictureSize);
            clock->start();
            *step = Step::Readings;
            return;
        case Step::Readings:
            if (clock->elapsed() < kBeforeSpanMs)
                return;
            *step = Step::Span;
            cal->cmdCal[1]->click(); // returns when the span has ended
            clock->start();
            *step = Step::AfterSpan;
            return;
        case Step::AfterSpan: {
            if (clock->elapsed() < kAfterSpanMs)
                return;
            *step = Step::Done;
            poll->stop();
            poll->deleteLater();
            const QPixmap picture = cal->grab();
            const bool saved = !picture.isNull() && picture.save(file, "PNG");
            cal->cmdCal[3]->click();
            QTimer::singleShot(500, [finish, saved, file] {
                if (saved)
                    finish(0, QStringLiteral("saved %1").arg(file));
                else
                    finish(1, QStringLiteral("the picture could not be saved"));
            });
            return;
        }
        default:
            return;
        }
    });
    poll->start();
    // Opens the window (modal: returns when it has closed).
    QTimer::singleShot(0, [main] {
        if (main)
            main->cmdOption[2]->click();
    });
}
