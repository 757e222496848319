#include "cli/CliOptions.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "cli/CommandTable.h"

#include <algorithm>

namespace cli {

namespace {

constexpr bool kValue = true;
constexpr bool kFlag = false;
constexpr bool kOfCommand = true;
constexpr bool kOfEveryCommand = false;

constexpr int kMaxTimeoutSeconds = 60;
constexpr int kMaxRetries = 20;
constexpr int kMaxReadings = 100000;
constexpr int kMaxDueDays = 36500;
constexpr int kMaxRunNumber = 2147483647;

// A whole number within [low, high].
bool IsBoundedInt(const QString& text, int low, int high) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= low && v <= high;
}
template <int kLow, int kHigh> bool InRange(const QString& value) {
    return IsBoundedInt(value, kLow, kHigh);
}
int WholeNumber(const QString& value) {
    return value.trimmed().toInt();
}

bool NotEmpty(const QString& value) {
    return !value.isEmpty();
}
bool NotBlank(const QString& value) {
    return !value.trimmed().isEmpty();
}

QString Language(const QString& value) {
    return value.trimmed().toLower();
}
bool IsLanguage(const QString& value) {
    return Language(value) == QLatin1String("en") || Language(value) == QLatin1String("ja");
}

// Identity texts as the window's identity fields take them, in upper case.
QString IdentityText(const QString& value) {
    return value.trimmed().toUpper();
}
template <int kLimit> bool IsIdentity(const QString& value) {
    const QString text = IdentityText(value);
    return !text.isEmpty() && IsIdentityText(text, kLimit);
}

bool IsTransportOption(const OptionToken& token) {
    return token.name == QLatin1String("--port") || token.name == QLatin1String("--socket") ||
           token.name == QLatin1String("--sim");
}

// The option at arguments[*i] with its value, which may be the next argument
// (*i then moves on to it). False with the usage error.
bool ReadOption(const QStringList& arguments, int* i, OptionToken* token, QString* error) {
    const QString& arg = arguments.at(*i);
    const int eq = arg.indexOf(QLatin1Char('='));
    token->name = eq > 0 ? arg.left(eq) : arg;
    token->spec = FindOption(token->name);
    if (!token->spec) {
        *error = LoadMessage(kMsgUnknownOption, {token->name});
        return false;
    }
    if (!token->spec->takesValue) {
        if (eq > 0) {
            *error = LoadMessage(kMsgBadOptionValue, {token->name, arg.mid(eq + 1)});
            return false;
        }
        return true;
    }
    if (eq > 0) {
        token->value = arg.mid(eq + 1);
    } else if (*i + 1 < arguments.size()) {
        token->value = arguments.at(++*i);
    } else {
        *error = LoadMessage(kMsgOptionNeedsValue, {token->name});
        return false;
    }
    return true;
}

// One option: given to a command that takes it, with a value it can take.
bool CheckOption(const OptionToken& token, const CommandSpec* command, QString* error) {
    if (token.spec->ofCommand && (!command || !command->accepts(token.name))) {
        *error = command ? LoadMessage(kMsgOptionNotForCommand,
                                       {token.name, QString::fromLatin1(command->name)})
                         : LoadMessage(kMsgNoCommand);
        return false;
    }
    if (token.spec->accepts && !token.spec->accepts(token.value)) {
        *error = token.spec->high > token.spec->low
                     ? LoadMessage(kMsgBadOptionRange,
                                   {token.name, token.value, token.spec->low, token.spec->high})
                     : LoadMessage(kMsgBadOptionValue, {token.name, token.value});
        return false;
    }
    return true;
}

// The options together, the command and its arguments.
bool CheckCombinations(const Tokens& tokens, const Invocation& inv, QString* error) {
    auto fail = [error](const QString& text) {
        *error = text;
        return false;
    };
    if (std::count_if(tokens.options.begin(), tokens.options.end(), IsTransportOption) > 1)
        return fail(LoadMessage(kMsgOneTransportOnly));
    if (!inv.simState.isEmpty() && inv.transport != TransportChoice::Sim)
        return fail(LoadMessage(kMsgSimStateNeedsSim));
    if (inv.command == Command::Help || inv.command == Command::Version)
        return true;
    if (!tokens.command)
        return fail(LoadMessage(kMsgNoCommand));

    QStringList rest = tokens.positionals;
    bool takesFile = tokens.command->takesFile;
    if (!tokens.command->actions.isEmpty()) {
        if (rest.isEmpty() || !tokens.command->actions.contains(rest.first()))
            return fail(tokens.command->command == Command::Register
                            ? LoadMessage(kMsgRegisterActionNeeded, {inv.commandName})
                            : LoadMessage(kMsgListActionNeeded, {inv.commandName}));
        takesFile = takesFile && !tokens.command->actionsWithoutFile.contains(rest.first());
        rest.removeFirst();
    }
    if (takesFile) {
        if (rest.isEmpty() || rest.first().isEmpty())
            return fail(LoadMessage(kMsgNeedsFileName, {inv.commandName}));
        rest.removeFirst();
    }
    if (!rest.isEmpty())
        return fail(LoadMessage(kMsgUnexpectedArgument, {rest.first()}));

    if (!inv.id && (!inv.serialNo.isEmpty() || !inv.stationId.isEmpty() || !inv.userId.isEmpty()))
        return fail(LoadMessage(kMsgIdOptionNeedsId));
    if (inv.command == Command::Span && inv.channels.isEmpty())
        return fail(LoadMessage(kMsgBadChannelFlags));
    if (inv.finish && inv.restore)
        return fail(LoadMessage(kMsgFinishOrRestore));
    if (inv.command == Command::Register) {
        const bool certificate = inv.action == QLatin1String("certificate");
        if (inv.dueWithin >= 0 && inv.action != QLatin1String("list"))
            return fail(LoadMessage(kMsgRegisterOptionForAction,
                                    {QStringLiteral("--due-within"), QStringLiteral("list")}));
        if ((inv.run > 0 || !inv.outFile.isEmpty()) && !certificate)
            return fail(
                LoadMessage(kMsgRegisterOptionForAction,
                            {inv.run > 0 ? QStringLiteral("--run") : QStringLiteral("--out"),
                             QStringLiteral("certificate")}));
        if (certificate && inv.outFile.isEmpty())
            return fail(LoadMessage(kMsgRegisterNeedsOut));
    }
    return true;
}

} // namespace

const QList<OptionSpec>& Options() {
    using Inv = Invocation;
    using Text = const QString&;
    static const QList<OptionSpec> table = {
        // The link and the output.
        {{"--port"},
         kValue,
         kOfEveryCommand,
         NotBlank,
         [](Inv& inv, Text v) {
             inv.transport = TransportChoice::Port;
             inv.port = v.trimmed();
         }},
        {{"--socket"},
         kValue,
         kOfEveryCommand,
         NotBlank,
         [](Inv& inv, Text v) {
             inv.transport = TransportChoice::Socket;
             inv.socket = v.trimmed();
         }},
        {{"--sim"},
         kFlag,
         kOfEveryCommand,
         nullptr,
         [](Inv& inv, Text) { inv.transport = TransportChoice::Sim; }},
        {{"--sim-state"},
         kValue,
         kOfEveryCommand,
         NotEmpty,
         [](Inv& inv, Text v) { inv.simState = v; }},
        {{"--timeout"},
         kValue,
         kOfEveryCommand,
         InRange<1, kMaxTimeoutSeconds>,
         [](Inv& inv, Text v) { inv.timeout = WholeNumber(v); },
         1,
         kMaxTimeoutSeconds},
        {{"--retry"},
         kValue,
         kOfEveryCommand,
         InRange<1, kMaxRetries>,
         [](Inv& inv, Text v) { inv.retry = WholeNumber(v); },
         1,
         kMaxRetries},
        {{"--serial-log"},
         kValue,
         kOfEveryCommand,
         NotEmpty,
         [](Inv& inv, Text v) { inv.serialLog = v; }},
        {{"--lang"},
         kValue,
         kOfEveryCommand,
         IsLanguage,
         [](Inv& inv, Text v) { inv.lang = Language(v); }},
        {{"--json"}, kFlag, kOfEveryCommand, nullptr, [](Inv& inv, Text) { inv.json = true; }},
        {{"--register"},
         kValue,
         kOfEveryCommand,
         NotBlank,
         [](Inv& inv, Text v) { inv.registerLocation = v.trimmed(); }},
        {{"--no-register"},
         kFlag,
         kOfEveryCommand,
         nullptr,
         [](Inv& inv, Text) { inv.noRegister = true; }},
        {{"--quiet", "-q"},
         kFlag,
         kOfEveryCommand,
         nullptr,
         [](Inv& inv, Text) { inv.quiet = true; }},
        {{"--help", "-h"},
         kFlag,
         kOfEveryCommand,
         nullptr,
         [](Inv& inv, Text) { inv.command = Command::Help; }},
        {{"--version"},
         kFlag,
         kOfEveryCommand,
         nullptr,
         [](Inv& inv, Text) { inv.command = Command::Version; }},

        // The commands' own options.
        {{"--seq"}, kValue, kOfCommand, NotEmpty, [](Inv& inv, Text v) { inv.seqFile = v; }},
        // An empty suffix is allowed: "TQ7350_Setting.csv".
        {{"--history"},
         kValue,
         kOfCommand,
         nullptr,
         [](Inv& inv, Text v) {
             inv.historySuffix = v;
             inv.historyGiven = true;
         }},
        {{"--id"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.id = true; }},
        {{"--serial-no"},
         kValue,
         kOfCommand,
         IsIdentity<kSerialTextLength>,
         [](Inv& inv, Text v) { inv.serialNo = IdentityText(v); }},
        {{"--station-id"},
         kValue,
         kOfCommand,
         IsIdentity<kIdTextLength>,
         [](Inv& inv, Text v) { inv.stationId = IdentityText(v); }},
        {{"--user-id"},
         kValue,
         kOfCommand,
         IsIdentity<kIdTextLength>,
         [](Inv& inv, Text v) { inv.userId = IdentityText(v); }},
        {{"--no-verify"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.noVerify = true; }},
        {{"--force"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.force = true; }},
        {{"--dry-run"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.dryRun = true; }},
        {{"--finish"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.finish = true; }},
        {{"--restore"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.restore = true; }},
        {{"--set"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.set = true; }},
        {{"--count"},
         kValue,
         kOfCommand,
         InRange<1, kMaxReadings>,
         [](Inv& inv, Text v) { inv.count = WholeNumber(v); },
         1,
         kMaxReadings},
        // --channels and --conc are checked by span, which knows the channels.
        {{"--channels"},
         kValue,
         kOfCommand,
         nullptr,
         [](Inv& inv, Text v) { inv.channels = v.trimmed(); }},
        {{"--conc"},
         kValue,
         kOfCommand,
         nullptr,
         [](Inv& inv, Text v) { inv.concentrations = v.trimmed(); }},
        {{"--due-within"},
         kValue,
         kOfCommand,
         InRange<0, kMaxDueDays>,
         [](Inv& inv, Text v) { inv.dueWithin = WholeNumber(v); },
         0,
         kMaxDueDays},
        {{"--run"},
         kValue,
         kOfCommand,
         InRange<1, kMaxRunNumber>,
         [](Inv& inv, Text v) { inv.run = WholeNumber(v); },
         1,
         kMaxRunNumber},
        {{"--out"}, kValue, kOfCommand, NotEmpty, [](Inv& inv, Text v) { inv.outFile = v; }},
        // Accepted by the commands that need it (CommandSpec::confirmation).
        {{"--yes"}, kFlag, kOfCommand, nullptr, [](Inv& inv, Text) { inv.yes = true; }},
    };
    return table;
}

const OptionSpec* FindOption(const QString& name) {
    for (const OptionSpec& spec : Options())
        if (spec.names.contains(name))
            return &spec;
    return nullptr;
}

Tokens Tokenise(const QStringList& arguments) {
    Tokens tokens;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            OptionToken token;
            if (!ReadOption(arguments, &i, &token, &tokens.error))
                return tokens;
            tokens.options << token;
            continue;
        }
        if (!tokens.command) {
            tokens.command = FindCommand(arg);
            if (!tokens.command) {
                tokens.error = LoadMessage(kMsgUnknownCommand, {arg});
                return tokens;
            }
            tokens.commandWord = arg;
            continue;
        }
        tokens.positionals << arg;
    }
    tokens.ok = true;
    return tokens;
}

Invocation AttachOptions(const Tokens& tokens) {
    Invocation inv;
    if (tokens.command) {
        inv.command = tokens.command->command;
        inv.commandName = tokens.commandWord;
        // An action comes before the file.
        const int fileAt = tokens.command->actions.isEmpty() ? 0 : 1;
        if (fileAt > 0 && !tokens.positionals.isEmpty())
            inv.action = tokens.positionals.first();
        if (tokens.command->takesFile && tokens.positionals.size() > fileAt)
            inv.file = tokens.positionals.at(fileAt);
    }
    for (const OptionToken& token : tokens.options)
        token.spec->attach(inv, token.value);
    return inv;
}

bool CheckInvocation(const Tokens& tokens, const Invocation& invocation, QString* error) {
    for (const OptionToken& token : tokens.options)
        if (!CheckOption(token, tokens.command, error))
            return false;
    return CheckCombinations(tokens, invocation, error);
}

ParseResult ParseCommandLine(const QStringList& arguments) {
    ParseResult result;
    const Tokens tokens = Tokenise(arguments);
    if (!tokens.ok) {
        result.error = tokens.error;
        return result;
    }
    result.invocation = AttachOptions(tokens);
    result.ok = CheckInvocation(tokens, result.invocation, &result.error);
    return result;
}

} // namespace cli
