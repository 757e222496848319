// Entry point of the setup program: refuses a second copy, reads the command
// line, shows the splash and opens the access-code dialog. The program then
// lives as long as one of its windows is open.
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "app/Startup.h"
#include "ui/MessageBox.h"
#include "ui/SingleInstance.h"
#include "ui/frmOpen.h"
#include "ui/frmPassword.h"
#include "ui/main/ScreenshotMode.h"
#include "ui/main/frmMain.h"

#include "ProgramInfo.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <cstdio>

namespace {

bool DisplayAvailable() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// The hidden options "--screenshot FILE" (reads the demonstration detector
// and saves a picture of the main window), "--screenshot-question FILE"
// (the same, then the "Update" question with its preview),
// "--screenshot-calibration FILE" (the calibration window after a span
// run) and "--screenshot-register FILE" (the instrument register's list and
// the detector's page after a read), for the documentation only. Taken out
// of the argument list; empty when not given.
QString TakeScreenshotOption(QStringList& args, const QString& name) {
    const QString withValue = name + QLatin1Char('=');
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg.startsWith(withValue)) {
            const QString file = arg.mid(withValue.size());
            args.removeAt(i);
            return file;
        }
        if (arg == name && i + 1 < args.size()) {
            const QString file = args.at(i + 1);
            args.removeAt(i + 1);
            args.removeAt(i);
            return file;
        }
    }
    return QString();
}

} // namespace

int main(int argc, char** argv) {
    // The whole command line as given, before Qt takes its own options out.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString screenshot = TakeScreenshotOption(args, QStringLiteral("--screenshot"));
    ScreenshotScene scene = ScreenshotScene::MainWindow;
    if (const QString question =
            TakeScreenshotOption(args, QStringLiteral("--screenshot-question"));
        !question.isEmpty()) {
        screenshot = question;
        scene = ScreenshotScene::UpdateQuestion;
    }
    if (const QString calibration =
            TakeScreenshotOption(args, QStringLiteral("--screenshot-calibration"));
        !calibration.isEmpty()) {
        screenshot = calibration;
        scene = ScreenshotScene::Calibration;
    }
    if (const QString list = TakeScreenshotOption(args, QStringLiteral("--screenshot-register"));
        !list.isEmpty()) {
        screenshot = list;
        scene = ScreenshotScene::Register;
    }

    StartupOptions options;
    QString error;
    if (!ParseStartupOptions(args, options, &error)) {
        std::fprintf(stderr, "tq7350: %s\n\n%s", qPrintable(error), qPrintable(StartupUsage()));
        return 2;
    }
    if (!screenshot.isEmpty() && !options.demo) {
        std::fputs("tq7350: --screenshot needs --demo\n", stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(StartupUsage()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tq7350 %s\n", kProgramVersion);
        return 0;
    }
    if (!DisplayAvailable()) {
        std::fputs("tq7350: no display available; start it on a desktop, under xvfb-run -a, "
                   "or with QT_QPA_PLATFORM=offscreen.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // The desktop finds the menu entry and the icon of the running window by it.
    QGuiApplication::setDesktopFileName(QLatin1String(kProgramAppId));
    SelectCatalogueLanguage();
    CatalogueLanguage language;
    if (StartupLanguage(options, language))
        SetCatalogueLanguage(language);
    // The toolkit's own buttons and dialogs (Yes/No, Cancel, the file
    // dialogs) speak the program's language too.
    QTranslator toolkitTexts;
    if (CurrentCatalogueLanguage() == CatalogueLanguage::Japanese &&
        toolkitTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    SingleInstance instance;
    if (!instance.tryAcquire()) {
        MsgBox(nullptr, LoadMessage(kMsgAlreadyRunning), AppTitle(), QMessageBox::Critical);
        return 0;
    }

    AppSettings& settings = App();
    ParseStartupSwitches(args, settings);
    AppStartupOptions() = options;
    if (!options.port.isEmpty())
        settings.IrCommPortName = options.port;
    if (options.hasSocket())
        settings.SocketEndpoint = options.socketEndpoint();

    settings.SharedFont = FontSpec{};
    settings.SharedFont.size = 9.0f;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        frmOpen splash;
        splash.exec();
    }
    QApplication::restoreOverrideCursor();

    settings.AccessCode = QStringLiteral("8261");
    settings.AccessGranted = false;

    frmPassword password(settings, [] {
        auto* window = new frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        return window;
    });
    if (!screenshot.isEmpty())
        StartScreenshotMode(password, settings.AccessCode, screenshot, scene);
    password.show();
    return app.exec();
}
