// "Load local file": what loading a settings file means for the record. The
// window's "Load local file" and the command-line tool's "write" (which
// loads its file the same way before writing it) call the same functions.
#pragma once

#include "records/SettingsFile.h"

#include <QString>

#include <array>

class clsInstrument;

namespace SettingsImport {

// What loading a settings file means for the record: everything flagged for
// writing (SetChangeFlags(true, false)), ImportFlag set, the channels the
// configuration locks (index = channel 0..4) enabled.
void AfterImport(clsInstrument& record, const std::array<bool, 5>& locked);

// Reads the settings file into `record` and, when the whole file reads,
// does AfterImport. A file that does not read leaves `record` exactly as it
// was (values and flags); the result names the file, the line and the
// reason.
SettingsFile::FileResult Load(const QString& path, clsInstrument& record,
                              const std::array<bool, 5>& locked);

} // namespace SettingsImport
