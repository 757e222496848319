#include "cli/CommandTable.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/commands/Commands.h"

namespace cli {

namespace {

constexpr bool kFile = true;
constexpr bool kNoFile = false;

constexpr Confirmation kNoQuestion{};
constexpr bool kChanges = true;
// A command that needs --yes, with the window's question.
constexpr Confirmation Ask(int message) {
    return {true, message, nullptr};
}
constexpr Confirmation AskFixed(const char* text) {
    return {true, 0, text};
}

} // namespace

QString Confirmation::text() const {
    return fixedText ? QString::fromUtf8(fixedText) : LoadMessage(message);
}

bool CommandSpec::accepts(const QString& option) const {
    return options.contains(option) || (confirmation.needed && option == QLatin1String("--yes"));
}

const QList<CommandSpec>& Commands() {
    // clang-format off
    static const QList<CommandSpec> table = {
        // name          command               run             file     question, own options
        {"help",         Command::Help,        RunHelp,        kNoFile, kNoQuestion, {}},
        {"ports",        Command::Ports,       RunPorts,       kNoFile, kNoQuestion, {}},
        {"read",         Command::Read,        RunRead,        kNoFile, kNoQuestion,
         {"--seq", "--history"}},
        {"write",        Command::Write,       RunWrite,       kFile,   kNoQuestion,
         {"--history", "--id", "--serial-no", "--station-id", "--user-id", "--no-verify",
          "--dry-run"},
         kChanges},
        {"clock",        Command::Clock,       RunClock,       kNoFile, kNoQuestion, {"--set"}},
        {"history",      Command::History,     RunHistory,     kNoFile, kNoQuestion, {}},
        {"readings",     Command::Readings,    RunReadings,    kNoFile, kNoQuestion, {"--count"}},
        {"zero",         Command::Zero,        RunZero,        kNoFile, kNoQuestion, {}, kChanges},
        {"span",         Command::Span,        RunSpan,        kNoFile, kNoQuestion,
         {"--channels", "--conc"}, kChanges},
        {"default",      Command::Default,     RunDefault,     kNoFile,
         Ask(kMsgDefaultReady), {}, kChanges},
        {"clear-logger", Command::ClearLogger, RunClearLogger, kNoFile,
         Ask(kMsgDataClearReady), {}, kChanges},
        // The window asks this one with a text the catalogue does not hold.
        {"clear-power",  Command::ClearPower,  RunClearPower,  kNoFile,
         AskFixed("Clear Power Log ?"), {}, kChanges},
        {"power-off",    Command::PowerOff,    RunPowerOff,    kNoFile,
         Ask(kMsgPowerOffReady), {}},
        {"flash-check",  Command::FlashCheck,  RunFlashCheck,  kNoFile,
         Ask(kMsgFlashCheckQuestion), {}, kChanges},
        {"logger",       Command::Logger,      RunLogger,      kFile,   kNoQuestion, {}},
        {"dump-list",    Command::DumpList,    RunDumpList,    kFile,   kNoQuestion, {}},
        {"recover",      Command::Recover,     RunRecover,     kNoFile, kNoQuestion,
         {"--finish", "--restore"}},
        // stations export|import FILE, users export|import FILE
        {"stations",     Command::Stations,    RunStations,    kFile,   kNoQuestion,
         {"--force", "--no-verify"}, kChanges, {"export", "import"}},
        {"users",        Command::Users,       RunUsers,       kFile,   kNoQuestion,
         {"--force", "--no-verify"}, kChanges, {"export", "import"}},
        // register list | show SERIAL | certificate SERIAL | export FILE
        {"register",     Command::Register,    RunRegister,    kFile,   kNoQuestion,
         {"--due-within", "--run", "--out"}, false, {"list", "show", "certificate", "export"},
         {"list"}},
    };
    // clang-format on
    return table;
}

const CommandSpec* FindCommand(const QString& name) {
    for (const CommandSpec& spec : Commands())
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

const CommandSpec* FindCommand(Command command) {
    for (const CommandSpec& spec : Commands())
        if (spec.command == command)
            return &spec;
    return nullptr;
}

} // namespace cli
