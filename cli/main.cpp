// tq7350ctl: the TQ-7350 set-up and maintenance commands without a window,
// over the same link as the window program. See docs/cli.md.
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliCommands.h"
#include "cli/CliConsole.h"
#include "cli/CliOptions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstring>
#include <memory>

namespace {

// "register certificate" draws a PDF, and drawing text needs the fonts of a
// GUI application; the tool needs no display, so it takes the offscreen
// platform unless told otherwise. Every other command stays without one.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "certificate") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char* argv[]) {
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq7350ctl"));
#ifdef SIGPIPE
    // A closed pipe on standard output (| head) must not kill a command
    // half-way through a write to the detector.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    SelectCatalogueLanguage();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    // --lang applies to everything, also to the usage errors of the rest of
    // the line.
    for (int i = 0; i < arguments.size(); ++i) {
        QString lang;
        if (arguments.at(i) == QLatin1String("--lang") && i + 1 < arguments.size())
            lang = arguments.at(i + 1);
        else if (arguments.at(i).startsWith(QLatin1String("--lang=")))
            lang = arguments.at(i).mid(7);
        if (lang == QLatin1String("ja"))
            SetCatalogueLanguage(CatalogueLanguage::Japanese);
        else if (lang == QLatin1String("en"))
            SetCatalogueLanguage(CatalogueLanguage::English);
    }

    cli::Console console;
    const cli::ParseResult parsed = cli::ParseCommandLine(arguments);
    if (!parsed.ok) {
        console.error(parsed.error);
        console.error(LoadMessage(kMsgUsage).section(QLatin1Char('\n'), 0, 2));
        if (arguments.contains(QLatin1String("--json"))) {
            QJsonObject o;
            o.insert(QStringLiteral("ok"), false);
            o.insert(QStringLiteral("exitStatus"), int(cli::kExitUsage));
            o.insert(QStringLiteral("error"), cli::Console::Tidy(parsed.error));
            console.outRaw(QJsonDocument(o).toJson(QJsonDocument::Indented));
        }
        return cli::kExitUsage;
    }
    console.setQuiet(parsed.invocation.quiet);
    console.setProgressBarShown(!parsed.invocation.json);
    return cli::RunInvocation(parsed.invocation, console);
}
