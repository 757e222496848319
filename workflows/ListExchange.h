// The station and user lists between the detector and a list file, without
// a window (the tool's "stations" and "users" commands):
//
// Export: reads the detector's 128 entries and writes them to the file
// (records/ListFile.h).
//
// Import: reads the file first and checks every identifier against the
// detector's rule; a file that breaks it is refused with the lines named,
// unless the caller forces it (even then an identifier that cannot travel in
// a list write at all is refused). Then the detector's present list is read,
// the file is applied to a copy with its change flags cleared, and only the
// entries that differ are written with the verified write
// (workflows/WriteSettings.h, Mode::Flagged): journal, write, commit,
// read-back, old values put back after a failure.
#pragma once

#include "records/ListFile.h"
#include "workflows/Report.h"
#include "workflows/WriteSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

class clsInstrument;
class uclTqif;

namespace ListExchange {

using ListFile::List;
using workflows::Outcome;

struct Result {
    // Success: exported, or imported and verified. Refused: the file was
    // refused before anything was sent (see FailureLines). Failed: the link
    // or the write failed (see reason and Write).
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    QStringList FailureLines;
    // The detector's list as read (export and import).
    QStringList Entries;
    // Import: lines (1-based) whose identifier breaks the rule, and those
    // written anyway because the caller forced them.
    QList<int> InvalidLines;
    bool Forced = false;
    // Import: the entries (0-based) that differed from the detector and were
    // written.
    QList<int> Changed;
    // Import: the verified write (when one ran).
    WriteSettings::Result Write;
    bool Success() const { return outcome == Outcome::Success; }
};

// Reads the detector's 128 entries of a list into `into` (reset first);
// reports the steps (done of 128).
LinkResult ReadList(uclTqif& link, List list, clsInstrument& into, const workflows::Report& report);

// Puts the file's identifiers into entries 0, 1, ... of the record's list
// where they differ from what the record holds (the record normalises them
// as its writes do), marking those entries changed. Returns the entries that
// changed.
QList<int> ApplyIdentifiers(clsInstrument& record, List list, const QStringList& identifiers);

Result Export(uclTqif& link, List list, const QString& path, const workflows::Report& report);

struct ImportOptions {
    List list = List::Station;
    QString Path;
    // Write identifiers that break the rule as they are.
    bool Force = false;
    bool Verify = true;
};

// The file read and checked, before anything is sent: check.outcome is
// Success (and identifiers holds the file's lines) or Refused.
struct PreparedImport {
    Result check;
    QStringList identifiers;
    bool Ready() const { return check.Success(); }
};
PreparedImport PrepareImport(const ImportOptions& options, const workflows::Report& report);

// Import of a prepared file (nothing is sent when it is not ready).
Result Import(uclTqif& link, const ImportOptions& options, const PreparedImport& prepared,
              const workflows::Report& report);
// PrepareImport and Import.
Result Import(uclTqif& link, const ImportOptions& options, const workflows::Report& report);

} // namespace ListExchange
