// Runs a command of tq7350ctl. Each command runs what the matching button of
// the main window runs, through the same core functions, without asking
// anything: results go to standard output (text, or one JSON document with
// --json), progress and errors to standard error. The commands are the rows
// of the command table (CommandTable.h), each in its file under commands/.
#pragma once

#include "cli/CliOptions.h"

namespace cli {

class Console;

// Runs a parsed command line; returns the exit status.
int RunInvocation(const Invocation& invocation, Console& console);

} // namespace cli
