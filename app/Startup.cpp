#include "app/Startup.h"

#include <QHostAddress>

void ParseStartupSwitches(const QStringList& args, AppSettings& settings) {
    settings.DebugMode = false;
    const QString commandLine = args.join(QLatin1Char(' ')).toUpper();
    if (commandLine.contains(QLatin1String("-DEBUG")))
        settings.DebugMode = true;
    if (commandLine.contains(QLatin1String("-SEIZO")))
        settings.FactoryMode = true;
}

QString StartupOptions::socketEndpoint() const {
    if (!hasSocket())
        return QString();
    const QString host = socketHost.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + socketHost + QLatin1Char(']')
                             : socketHost;
    return host + QLatin1Char(':') + QString::number(socketPort);
}

bool SplitSocketEndpoint(const QString& text, QString& host, quint16& port) {
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1)
        return false;
    QString name = text.left(colon);
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) {
        name = name.mid(1, name.size() - 2);
        if (QHostAddress(name).protocol() != QAbstractSocket::IPv6Protocol)
            return false;
    } else if (name.contains(QLatin1Char(':'))) {
        return false; // a bare IPv6 address is ambiguous; it needs brackets
    }
    if (name.isEmpty() || name.contains(QLatin1Char(' ')))
        return false;
    const QString digits = text.mid(colon + 1);
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    const uint number = digits.toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return false;
    host = name;
    port = static_cast<quint16>(number);
    return true;
}

namespace {

enum class Option { None, Demo, Lang, Port, Socket, Help, Version, Register, NoRegister };

Option OptionByName(const QString& name) {
    if (name == QLatin1String("--demo"))
        return Option::Demo;
    if (name == QLatin1String("--lang"))
        return Option::Lang;
    if (name == QLatin1String("--port"))
        return Option::Port;
    if (name == QLatin1String("--socket"))
        return Option::Socket;
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        return Option::Help;
    if (name == QLatin1String("--version"))
        return Option::Version;
    if (name == QLatin1String("--register"))
        return Option::Register;
    if (name == QLatin1String("--no-register"))
        return Option::NoRegister;
    return Option::None;
}

bool TakesValue(Option option) {
    return option == Option::Lang || option == Option::Port || option == Option::Socket ||
           option == Option::Register;
}

// The switches "-DEBUG" and "-SEIZO" count wherever they stand, in any case.
bool IsSwitch(const QString& arg) {
    return arg.contains(QLatin1String("-DEBUG"), Qt::CaseInsensitive) ||
           arg.contains(QLatin1String("-SEIZO"), Qt::CaseInsensitive);
}

// Options of the window toolkit itself: 0 not one, 1 without a value, 2
// followed by a value.
int ToolkitOption(const QString& arg) {
    static const QStringList withValue = {
        QStringLiteral("-platform"),      QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"), QStringLiteral("-plugin"),
        QStringLiteral("-style"),         QStringLiteral("-stylesheet"),
        QStringLiteral("-session"),       QStringLiteral("-display"),
        QStringLiteral("-geometry"),      QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowicon"),   QStringLiteral("-qwindowtitle"),
    };
    static const QStringList withoutValue = {QStringLiteral("-reverse"), QStringLiteral("-nograb"),
                                             QStringLiteral("-dograb"), QStringLiteral("-sync")};
    QString name = arg;
    if (name.startsWith(QLatin1String("--")))
        name.remove(0, 1);
    if (withValue.contains(name))
        return 2;
    if (withoutValue.contains(name) || name.startsWith(QLatin1String("-style=")) ||
        name.startsWith(QLatin1String("-stylesheet=")))
        return 1;
    return 0;
}

} // namespace

bool ParseStartupOptions(const QStringList& args, StartupOptions& options, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    StartupOptions result;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString name = arg;
        QString value;
        bool hasInlineValue = false;
        const int equals = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && equals > 2) {
            name = arg.left(equals);
            value = arg.mid(equals + 1);
            hasInlineValue = true;
        }
        const Option option = OptionByName(name);
        if (option == Option::None) {
            if (IsSwitch(arg))
                continue;
            // The toolkit takes its own options out later.
            if (const int toolkit = ToolkitOption(arg)) {
                if (toolkit == 2)
                    ++i;
                continue;
            }
            // Anything else is a mistake: a mistyped "--demo" must not start
            // the program on the real adapter.
            return fail(QStringLiteral("unknown option \"%1\"").arg(arg));
        }
        if (!TakesValue(option)) {
            if (hasInlineValue)
                return fail(QStringLiteral("%1 takes no value").arg(name));
        } else if (!hasInlineValue) {
            if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--")))
                return fail(QStringLiteral("%1 needs a value").arg(name));
            value = args.at(++i);
        }
        switch (option) {
        case Option::Demo:
            result.demo = true;
            break;
        case Option::Help:
            result.help = true;
            break;
        case Option::Version:
            result.version = true;
            break;
        case Option::Lang: {
            const QString language = value.toLower();
            if (language != QLatin1String("en") && language != QLatin1String("ja"))
                return fail(QStringLiteral("--lang must be en or ja, not \"%1\"").arg(value));
            result.language = language;
            break;
        }
        case Option::Port:
            if (value.isEmpty())
                return fail(QStringLiteral("--port needs a device"));
            result.port = value;
            break;
        case Option::Socket:
            if (!SplitSocketEndpoint(value, result.socketHost, result.socketPort))
                return fail(QStringLiteral("--socket needs HOST:PORT with a port of 1..65535, "
                                           "not \"%1\"")
                                .arg(value));
            break;
        case Option::Register:
            if (value.trimmed().isEmpty())
                return fail(QStringLiteral("--register needs a file or a postgresql:// address"));
            result.registerLocation = value.trimmed();
            break;
        case Option::NoRegister:
            result.noRegister = true;
            break;
        case Option::None:
            break;
        }
    }
    const int transports =
        (result.demo ? 1 : 0) + (result.port.isEmpty() ? 0 : 1) + (result.hasSocket() ? 1 : 0);
    if (transports > 1)
        return fail(QStringLiteral("choose only one of --demo, --port and --socket"));
    options = result;
    return true;
}

bool StartupLanguage(const StartupOptions& options, CatalogueLanguage& language) {
    if (options.language == QLatin1String("en")) {
        language = CatalogueLanguage::English;
        return true;
    }
    if (options.language == QLatin1String("ja")) {
        language = CatalogueLanguage::Japanese;
        return true;
    }
    return false;
}

QString StartupUsage() {
    return QStringLiteral(
        "Usage: tq7350 [options] [-DEBUG] [-SEIZO]\n"
        "\n"
        "Options:\n"
        "  -DEBUG              show the service commands (any letter case, anywhere)\n"
        "  -SEIZO              factory mode (any letter case, anywhere)\n"
        "  --demo              talk to the built-in detector emulator\n"
        "  --port DEVICE       use this serial device instead of looking for the adapter\n"
        "  --socket HOST:PORT  use a TCP connection (e.g. to tq7350-sim) instead\n"
        "  --lang en|ja        language of the texts (default: TQ7350_LANG, then the locale)\n"
        "  --register PATH|postgresql://user@host/db\n"
        "                      the instrument register (default: TQ7350_REGISTER, then\n"
        "                      register.sqlite in the program's data folder)\n"
        "  --no-register       record nothing in the instrument register\n"
        "  --help              show this text\n"
        "  --version           show the program's version\n");
}

StartupOptions& AppStartupOptions() {
    static StartupOptions options;
    return options;
}
