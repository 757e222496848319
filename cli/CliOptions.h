// The command line of tq7350ctl: the options that choose the link and the
// output, the command, and the command's own options and arguments.
//
// Options may stand before or after the command ("tq7350ctl read --json" and
// "tq7350ctl --json read" are the same); "--name value" and "--name=value"
// are both accepted; "--" ends the options. Each command accepts only its
// own options; anything else is a usage error (exit status 2).
//
// The line is read in three steps: Tokenise (arguments into options with
// their values, the command and its arguments), AttachOptions (the tokens
// into an Invocation) and CheckInvocation (each option's command and value,
// then the combinations). The options are the rows of one table
// (CliOptions.cpp), the commands those of the command table (CommandTable.cpp).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace cli {

enum ExitStatus : int {
    kExitDone = 0,       // done
    kExitFailed = 1,     // the detector refused or an operation failed
    kExitUsage = 2,      // usage error or bad input file
    kExitNoDetector = 3, // no detector answered
};

enum class TransportChoice {
    Discover, // the USB infrared adapter, as the window finds it
    Port,     // --port DEVICE
    Socket,   // --socket HOST:PORT
    Sim,      // --sim: the in-process emulator
};

enum class Command {
    None,
    Help,
    Version, // --version: no row in the command table, no detector
    Ports,
    Read,
    Write,
    Clock,
    History,
    Readings,
    Zero,
    Span,
    Default,
    ClearLogger,
    ClearPower,
    PowerOff,
    FlashCheck,
    Logger,
    DumpList,
    Recover,
    Stations,
    Users,
    Register,
};

struct Invocation {
    // Link and output.
    TransportChoice transport = TransportChoice::Discover;
    QString port;
    QString socket;
    QString simState;
    int timeout = -1; // seconds; -1: from the configuration file (default 3)
    int retry = -1;   // repetitions; -1: from the configuration file (default 3)
    QString serialLog;
    QString lang; // "en", "ja" or empty (environment / platform)
    bool json = false;
    bool quiet = false;
    // The instrument register: --register PATH|URL, --no-register.
    QString registerLocation;
    bool noRegister = false;

    // The command and its options.
    Command command = Command::None;
    QString commandName;
    QString file;          // write FILE, logger FILE, dump-list FILE, stations ACTION FILE
    QString action;        // stations / users: "export" or "import"
    QString seqFile;       // read --seq FILE
    QString historySuffix; // read/write --history
    bool historyGiven = false;
    bool id = false;        // write --id
    QString serialNo;       // write --id --serial-no
    QString stationId;      // write --id --station-id
    QString userId;         // write --id --user-id
    bool noVerify = false;  // write --no-verify
    bool force = false;     // stations / users import --force
    bool dryRun = false;    // write --dry-run
    bool finish = false;    // recover --finish
    bool restore = false;   // recover --restore
    bool set = false;       // clock --set
    int count = 1;          // readings --count
    QString channels;       // span --channels
    QString concentrations; // span --conc
    int dueWithin = -1;     // register list --due-within DAYS
    qint64 run = 0;         // register certificate --run N
    QString outFile;        // register certificate --out FILE
    bool yes = false;
};

struct ParseResult {
    bool ok = false;
    Invocation invocation;
    // The usage error (a catalogue or tool text) when !ok.
    QString error;
};

// Parses the arguments after the program name: the three steps below. The
// first usage error met is the one reported.
ParseResult ParseCommandLine(const QStringList& arguments);

// --- The option table and the steps of ParseCommandLine ---

// One option: a row of the option table.
struct OptionSpec {
    QStringList names; // "--quiet", "-q"
    bool takesValue;   // "--name value" or "--name=value"; else a flag
    // A command's own option: accepted only by the commands whose row in the
    // command table lists it. Else an option of every command.
    bool ofCommand;
    // Whether the value can be taken (nullptr: any value).
    bool (*accepts)(const QString& value);
    // Stores the option in the invocation.
    void (*attach)(Invocation& invocation, const QString& value);
    // For a whole number in a range: the range, named in the error.
    int low = 0;
    int high = 0;
};

// Every option.
const QList<OptionSpec>& Options();
// The row of an option by any of its names, nullptr when there is none.
const OptionSpec* FindOption(const QString& name);

struct CommandSpec;

// An option as it was given: its name as typed, its value ("" for a flag).
struct OptionToken {
    QString name;
    QString value;
    const OptionSpec* spec = nullptr;
};

struct Tokens {
    bool ok = false;
    QString error;              // the usage error when !ok
    QList<OptionToken> options; // in the order given
    const CommandSpec* command = nullptr;
    QString commandWord;     // the command as typed
    QStringList positionals; // the arguments after the command
};

// Step 1: splits "--name=value"; a value option without "=" takes the next
// argument whatever it looks like; "--" ends the options; the first argument
// that is no option is the command. Fails at the first unknown option or
// command, value option without a value, or flag given a value.
Tokens Tokenise(const QStringList& arguments);

// Step 2: the invocation the tokens describe: the command, its action (the
// first positional argument of a command with actions), its file (the next
// positional argument of a command that takes one) and the options in
// the order given, a later one winning. Nothing is checked here.
Invocation AttachOptions(const Tokens& tokens);

// Step 3: each option in the order given (it belongs to the command, its
// value is acceptable), then the combinations (one link, --sim-state with
// --sim, a command, its action, its file and nothing more, the identity texts with --id,
// span with --channels). False with the usage error in `error`.
bool CheckInvocation(const Tokens& tokens, const Invocation& invocation, QString* error);

} // namespace cli
