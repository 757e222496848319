// "EEPROM Dump": the detector's parameter memory downloaded as the dump
// list, a commented hexadecimal listing, into a file ("DumpEF.dat" in the
// folder that was current at start-up for the main window, any file for the
// command-line tool `dump-list`).
//
// The link writes the file with whatever arrived, also after a failure or a
// cancel; the start and finish lines are reported in any case, and a failure
// or a cancel is reported after them.
#pragma once

#include "workflows/Report.h"

#include <QString>

class uclTqif;

namespace DumpList {

using workflows::Outcome;

// The dump list's name in the folder that was current at start-up.
constexpr const char* kFileName = "DumpEF.dat";
// The detector's parameter memory the list covers, in bytes; the progress
// is counted in the detector's blocks of it.
constexpr int kMemoryBytes = 8192;

struct Options {
    // The list file (its full path).
    QString Path;
};

struct Result {
    // Success: the detector's last block arrived and the file was written.
    // Cancelled: the user stopped it. Failed: the transfer or the file
    // failed. NotConnected, Busy: nothing was sent or written.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Elapsed time of the transfer in milliseconds (link clock).
    qint64 ElapsedMs = 0;
    bool Success() const { return outcome == Outcome::Success; }
};

// Runs the transfer. Lines: "Dump List Download () Start." and "...
// Finished." in the transfer tone, then a failure line when it failed.
// Progress: "Data download now"; Steps(blocks received, blocks of the
// memory) after every block.
Result Run(uclTqif& link, const Options& options, const workflows::Report& report);

// Blocks done and in all from the link's progress text "Get Dump
// 000000-00007F" (false for any other text): the block size is the
// block's own, the memory kMemoryBytes.
bool BlockProgress(const QString& text, int* done, int* total);

} // namespace DumpList
