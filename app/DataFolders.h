// Folders the program keeps its own data in, shared by the window and the
// command-line tool: both must find what the other left (a write that did
// not complete, the instrument register).
#pragma once

#include <QString>

// The user's data folder of the program ("~/.local/share/tq7350" on Linux),
// or $TQ7350_DATA_DIR when set. Not created here.
QString SharedDataFolder();
