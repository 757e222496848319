// The command line of tq7350-sim, parsed apart from the program so that the
// rules (ranges, required options, what is refused) can be tested.
#pragma once

#include "sim/SimDetector.h"

#include <QString>
#include <QStringList>
#include <optional>

// Exit status of the program.
constexpr int kSimExitOk = 0;
// An unknown option or a missing value, or the program could not do its job
// (open the pseudo-terminal, listen, write a file).
constexpr int kSimExitFailure = 1;
// A value out of range, --pty and --tcp not as required, a malformed state file.
constexpr int kSimExitBadValue = 2;

struct SimOptions {
    enum class Action {
        Serve,           // run the detector on a pseudo-terminal or TCP
        Help,            // print helpText and exit
        Version,         // print versionText and exit
        WriteCheckImage, // write the check pattern's reference image and exit
        PrintDefaults,   // print the default state as JSON and exit
    };
    Action action = Action::Serve;
    QString helpText;
    QString versionText; // "tq7350-sim 0.1.0"
    QString checkImagePath;

    bool pty = false;  // a pseudo-terminal; otherwise TCP on tcpPort
    QString linkPath;  // with pty: also a symbolic link to the device
    int tcpPort = 0;   // 0 picks a free port
    QString statePath; // empty: defaults, nothing saved
    bool verbose = false;
    SimFaults faults;
    int commitPolls = 2;
    int zeroPolls = 2;
    int seed = 7350;
    int restartAfterMs = 5000; // 0: stays off after a power-off
};

struct ParsedSimOptions {
    std::optional<SimOptions> options; // set when the command line is usable
    QString error;                     // otherwise what is wrong with it
    int exitCode = 0;                  // and the program's exit status for that
};

// Parses the program's arguments, the program name first (as
// QCoreApplication::arguments() gives them). The help text needs the
// application object.
ParsedSimOptions ParseSimOptions(const QStringList& args);
