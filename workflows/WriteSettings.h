// "Update" and "Update ID": writes the record's settings (or its identity
// items) to the detector with the write sequence and its commit, and after a
// successful write appends a "Write" or "WriteID" line to the settings
// history.
//
// The caller has run the pre-write checks and asked the user; this workflow
// marks what is to be written (SetChangeFlags), writes it and reports.
#pragma once

#include "workflows/Report.h"

#include <QString>

class clsInstrument;
class uclTqif;

namespace WriteSettings {

using workflows::Outcome;

enum class Mode {
    Update,   // every setting: SetChangeFlags(true, false)
    UpdateId, // the identity items only: SetChangeFlags(false, true)
};

struct Options {
    Mode mode = Mode::Update;
    // A history line after a successful write, in
    // "<HistoryFolder>/TQ7350_Setting<HistorySuffix>.csv".
    bool AppendHistory = false;
    QString HistoryFolder;
    QString HistorySuffix;
};

struct Result {
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Write commands the record's flags called for (without the commit).
    int Commands = 0;
    // The history file written after the write (empty when none was), or
    // why it could not be written.
    QString HistoryPath;
    QString HistoryError;
    bool Success() const { return outcome == Outcome::Success; }
};

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report);

} // namespace WriteSettings
