// The command line of tq7350ctl: the options that choose the link and the
// output, the command, and the command's own options and arguments.
//
// Options may stand before or after the command ("tq7350ctl read --json" and
// "tq7350ctl --json read" are the same); "--name value" and "--name=value"
// are both accepted; "--" ends the options. Each command accepts only its
// own options; anything else is a usage error (exit status 2).
#pragma once

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

    // The command and its options.
    Command command = Command::None;
    QString commandName;
    QString file;          // write FILE, logger FILE, dump-list FILE
    QString seqFile;       // read --seq FILE
    QString historySuffix; // read/write --history
    bool historyGiven = false;
    bool id = false;        // write --id
    QString serialNo;       // write --id --serial-no
    QString stationId;      // write --id --station-id
    QString userId;         // write --id --user-id
    bool set = false;       // clock --set
    int count = 1;          // readings --count
    QString channels;       // span --channels
    QString concentrations; // span --conc
    bool yes = false;
};

struct ParseResult {
    bool ok = false;
    Invocation invocation;
    // The usage error (a catalogue or tool text) when !ok.
    QString error;
};

// Parses the arguments after the program name.
ParseResult ParseCommandLine(const QStringList& arguments);

// The command's name as typed ("clear-logger").
QString CommandName(Command command);

// Commands that change or switch off the detector and therefore need --yes.
bool NeedsConfirmation(Command command);

} // namespace cli
