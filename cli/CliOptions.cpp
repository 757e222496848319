#include "cli/CliOptions.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"

#include <QSet>

namespace cli {

namespace {

struct CommandInfo {
    const char* name;
    Command command;
    // Options of the command (each with a value unless listed in `flags`).
    QStringList options;
    QStringList flags;
    // Number of positional arguments: the command's file.
    bool takesFile;
};

const QList<CommandInfo>& Commands() {
    static const QList<CommandInfo> list = {
        {"help", Command::Help, {}, {}, false},
        {"ports", Command::Ports, {}, {}, false},
        {"read", Command::Read, {"--seq", "--history"}, {}, false},
        {"write",
         Command::Write,
         {"--history", "--serial-no", "--station-id", "--user-id"},
         {"--id"},
         true},
        {"clock", Command::Clock, {}, {"--set"}, false},
        {"history", Command::History, {}, {}, false},
        {"readings", Command::Readings, {"--count"}, {}, false},
        {"zero", Command::Zero, {}, {}, false},
        {"span", Command::Span, {"--channels", "--conc"}, {}, false},
        {"default", Command::Default, {}, {"--yes"}, false},
        {"clear-logger", Command::ClearLogger, {}, {"--yes"}, false},
        {"clear-power", Command::ClearPower, {}, {"--yes"}, false},
        {"power-off", Command::PowerOff, {}, {"--yes"}, false},
        {"flash-check", Command::FlashCheck, {}, {"--yes"}, false},
        {"logger", Command::Logger, {}, {}, true},
        {"dump-list", Command::DumpList, {}, {}, true},
    };
    return list;
}

const CommandInfo* FindCommand(const QString& name) {
    for (const CommandInfo& info : Commands())
        if (name == QLatin1String(info.name))
            return &info;
    return nullptr;
}

const QStringList kGlobalValueOptions = {"--port",  "--socket",     "--sim-state", "--timeout",
                                         "--retry", "--serial-log", "--lang"};
const QStringList kGlobalFlags = {"--sim", "--json", "--quiet", "-q", "--help", "-h"};

// A whole number within [low, high].
bool ParseBoundedInt(const QString& text, int low, int high, int* out) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}

} // namespace

QString CommandName(Command command) {
    for (const CommandInfo& info : Commands())
        if (info.command == command)
            return QString::fromLatin1(info.name);
    return QString();
}

bool NeedsConfirmation(Command command) {
    switch (command) {
    case Command::Default:
    case Command::ClearLogger:
    case Command::ClearPower:
    case Command::PowerOff:
    case Command::FlashCheck:
        return true;
    default:
        return false;
    }
}

ParseResult ParseCommandLine(const QStringList& arguments) {
    ParseResult result;
    Invocation& inv = result.invocation;
    auto fail = [&result](const QString& error) {
        result.ok = false;
        result.error = error;
        return result;
    };

    // First pass: split "--name=value", find the command, collect options in
    // order with their values.
    struct Item {
        QString name;
        QString value;
        bool hasValue = false;
        bool ofCommand = false;
    };
    QList<Item> options;
    QStringList positionals;
    const CommandInfo* command = nullptr;
    int transports = 0;
    bool optionsEnded = false;

    for (int i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            Item item;
            const int eq = arg.indexOf(QLatin1Char('='));
            item.name = eq > 0 ? arg.left(eq) : arg;
            // Command options may only follow their command; they are
            // checked against it once the whole line is read.
            bool commandValueOption = false;
            bool commandFlag = false;
            for (const CommandInfo& info : Commands()) {
                commandValueOption = commandValueOption || info.options.contains(item.name);
                commandFlag = commandFlag || info.flags.contains(item.name);
            }
            const bool isValueOption =
                kGlobalValueOptions.contains(item.name) || commandValueOption;
            const bool isFlag = kGlobalFlags.contains(item.name) || commandFlag;
            if (!isValueOption && !isFlag)
                return fail(LoadMessage(kMsgUnknownOption, {item.name}));
            item.ofCommand = commandValueOption || commandFlag;
            if (isValueOption) {
                if (eq > 0) {
                    item.value = arg.mid(eq + 1);
                } else {
                    if (i + 1 >= arguments.size())
                        return fail(LoadMessage(kMsgOptionNeedsValue, {item.name}));
                    item.value = arguments.at(++i);
                }
                item.hasValue = true;
            } else if (eq > 0) {
                return fail(LoadMessage(kMsgBadOptionValue, {item.name, arg.mid(eq + 1)}));
            }
            options << item;
            continue;
        }
        if (!command) {
            command = FindCommand(arg);
            if (!command)
                return fail(LoadMessage(kMsgUnknownCommand, {arg}));
            inv.command = command->command;
            inv.commandName = arg;
            continue;
        }
        positionals << arg;
    }

    // Second pass: values.
    for (const Item& item : options) {
        const QString& n = item.name;
        const QString& v = item.value;
        if (item.ofCommand &&
            (!command || (!command->options.contains(n) && !command->flags.contains(n)))) {
            if (!command)
                return fail(LoadMessage(kMsgNoCommand));
            return fail(
                LoadMessage(kMsgOptionNotForCommand, {n, QString::fromLatin1(command->name)}));
        }
        if (n == QLatin1String("--help") || n == QLatin1String("-h")) {
            inv.command = Command::Help;
        } else if (n == QLatin1String("--port")) {
            if (v.trimmed().isEmpty())
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.transport = TransportChoice::Port;
            inv.port = v.trimmed();
            ++transports;
        } else if (n == QLatin1String("--socket")) {
            if (v.trimmed().isEmpty())
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.transport = TransportChoice::Socket;
            inv.socket = v.trimmed();
            ++transports;
        } else if (n == QLatin1String("--sim")) {
            inv.transport = TransportChoice::Sim;
            ++transports;
        } else if (n == QLatin1String("--sim-state")) {
            if (v.isEmpty())
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.simState = v;
        } else if (n == QLatin1String("--timeout")) {
            if (!ParseBoundedInt(v, 1, 60, &inv.timeout))
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
        } else if (n == QLatin1String("--retry")) {
            if (!ParseBoundedInt(v, 1, 20, &inv.retry))
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
        } else if (n == QLatin1String("--serial-log")) {
            if (v.isEmpty())
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.serialLog = v;
        } else if (n == QLatin1String("--lang")) {
            const QString l = v.trimmed().toLower();
            if (l != QLatin1String("en") && l != QLatin1String("ja"))
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.lang = l;
        } else if (n == QLatin1String("--json")) {
            inv.json = true;
        } else if (n == QLatin1String("--quiet") || n == QLatin1String("-q")) {
            inv.quiet = true;
        } else if (n == QLatin1String("--seq")) {
            if (v.isEmpty())
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            inv.seqFile = v;
        } else if (n == QLatin1String("--history")) {
            // An empty suffix is allowed: "TQ7350_Setting.csv".
            inv.historySuffix = v;
            inv.historyGiven = true;
        } else if (n == QLatin1String("--serial-no") || n == QLatin1String("--station-id") ||
                   n == QLatin1String("--user-id")) {
            // Identity texts as the window's identity fields take them, in
            // upper case.
            const QString text = v.trimmed().toUpper();
            const int limit = n == QLatin1String("--serial-no") ? kSerialTextLength : kIdTextLength;
            if (text.isEmpty() || !IsIdentityText(text, limit))
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
            if (n == QLatin1String("--serial-no"))
                inv.serialNo = text;
            else if (n == QLatin1String("--station-id"))
                inv.stationId = text;
            else
                inv.userId = text;
        } else if (n == QLatin1String("--id")) {
            inv.id = true;
        } else if (n == QLatin1String("--set")) {
            inv.set = true;
        } else if (n == QLatin1String("--count")) {
            if (!ParseBoundedInt(v, 1, 100000, &inv.count))
                return fail(LoadMessage(kMsgBadOptionValue, {n, v}));
        } else if (n == QLatin1String("--channels")) {
            inv.channels = v.trimmed();
        } else if (n == QLatin1String("--conc")) {
            inv.concentrations = v.trimmed();
        } else if (n == QLatin1String("--yes")) {
            inv.yes = true;
        }
    }

    if (transports > 1)
        return fail(LoadMessage(kMsgOneTransportOnly));
    if (!inv.simState.isEmpty() && inv.transport != TransportChoice::Sim)
        return fail(LoadMessage(kMsgSimStateNeedsSim));
    if (inv.command == Command::Help) {
        result.ok = true;
        return result;
    }
    if (!command)
        return fail(LoadMessage(kMsgNoCommand));

    if (command->takesFile) {
        if (positionals.isEmpty() || positionals.first().isEmpty())
            return fail(LoadMessage(kMsgNeedsFileName, {inv.commandName}));
        inv.file = positionals.takeFirst();
    }
    if (!positionals.isEmpty())
        return fail(LoadMessage(kMsgUnexpectedArgument, {positionals.first()}));

    if (!inv.id && (!inv.serialNo.isEmpty() || !inv.stationId.isEmpty() || !inv.userId.isEmpty()))
        return fail(LoadMessage(kMsgIdOptionNeedsId));
    if (inv.command == Command::Span && inv.channels.isEmpty())
        return fail(LoadMessage(kMsgBadChannelFlags));

    result.ok = true;
    return result;
}

} // namespace cli
