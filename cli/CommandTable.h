// The commands of tq7350ctl: one row per command, the only list of them.
//
// A row names the command as typed, its Command value, the function that runs
// it, whether it takes a file, the question it stands for when it changes or
// switches off the detector (it then needs --yes), and its own options. Adding a command is one
// file under cli/commands/ with its run function (declared in cli/commands/Commands.h) and one row
// in CommandTable.cpp; a new option is one row of the option table in CliOptions.cpp and its name
// in the rows of the commands that take it.
#pragma once

#include "cli/CliOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace cli {

class CommandContext;

// Runs a command whose command line has been read and checked; returns the
// exit status.
using RunFunction = int (*)(CommandContext& context);

// The question the window asks before a command that changes or switches off
// the detector. The tool never asks: such a command needs --yes, and without
// it the question is printed with a hint.
struct Confirmation {
    bool needed = false;
    int message = 0;                 // the question in the catalogue
    const char* fixedText = nullptr; // or a fixed text, for one the catalogue lacks
    QString text() const;
};

struct CommandSpec {
    const char* name; // as typed: "clear-logger"
    Command command;
    RunFunction run;
    bool takesFile; // one positional argument: the command's file
    Confirmation confirmation;
    // The command's own options (rows of the option table in CliOptions.cpp);
    // a command that needs --yes accepts --yes as well.
    QStringList options;
    // The command changes what the detector holds: it is refused while the
    // detector holds part of a write that did not complete.
    bool changesDetector = false;
    // The actions the command takes as its first argument ("export",
    // "import"), before its file; empty for a command without actions.
    QStringList actions = {};
    // The actions that take no file (the others take one).
    QStringList actionsWithoutFile = {};

    bool accepts(const QString& option) const;
};

// Every command, in the order of the usage text.
const QList<CommandSpec>& Commands();

// The command typed as `name`, nullptr when there is none.
const CommandSpec* FindCommand(const QString& name);
// The row of `command`, nullptr for Command::None.
const CommandSpec* FindCommand(Command command);

} // namespace cli
