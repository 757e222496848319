// "Update" and "Update ID": writes the record's settings (or its identity
// items) to the detector and makes sure they were stored.
//
// The caller has run the pre-write checks and asked the user. Then:
// 1. what is to be written is marked (SetChangeFlags), unless the caller
//    flagged it itself;
// 2. the detector's identity (serial number, ROM, SUM, IDs, clock) and the
//    present values of every setting about to be written are read;
// 3. the write is recorded in the write journal (records/WriteJournal.h);
// 4. the flagged settings are written and committed (link/WriteSequence.h);
// 5. every setting written is read back and compared with what was sent
//    (after the detector's own rounding: the comparison is made on the
//    detector's encoding);
// 6. the journal entry is removed and, when asked, a "Write" or "WriteID"
//    line goes to the settings history.
// Success is reported only at the end, when the detector holds what was
// sent. A detector with an unfinished write of its own in the journal takes
// no new write before that one is resolved. A write that fails after the detector accepted some of
// its commands does not leave them to be stored by a later command: while the line still answers,
// the values read in step 2 are put back and stored; when it does not, the journal entry stays, and
// the next connection to that detector offers to finish the write or to put the old values back
// (workflows/UnfinishedWrite.h).
#pragma once

#include "workflows/Report.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class clsInstrument;
class uclTqif;

namespace WriteSettings {

using workflows::Outcome;

enum class Mode {
    Update,   // every setting: SetChangeFlags(true, false)
    UpdateId, // the identity items only: SetChangeFlags(false, true)
    Flagged,  // what the record's change flags say (the caller set them)
};

struct Options {
    Mode mode = Mode::Update;
    // Read every written setting back and compare (the tool's --no-verify
    // turns it off).
    bool Verify = true;
    // A history line after a successful write, in
    // "<HistoryFolder>/TQ7350_Setting<HistorySuffix>.csv".
    bool AppendHistory = false;
    QString HistoryFolder;
    QString HistorySuffix;
};

// The detector a write went to, as it identified itself before the write;
// after an identity write, the identity written.
struct Identity {
    QString SerialNo;
    QString StationId;
    QString UserId;
    QString Sum;
    int32_t Rom = 0;
    double Clock = 0;       // the detector's clock (a record date)
    double ClockOffset = 0; // PC minus detector, days
};

struct Result {
    // Success: written, stored and (unless turned off) read back as sent.
    // Failed: see reason, FailureLines and Differences.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Write commands the record's flags called for (without the commit).
    int Commands = 0;
    // The commands in order, as sent (or as they would have been sent).
    QStringList Sent;
    // The read-back comparison ran and found the detector holding every
    // setting as sent.
    bool Verified = false;
    // One line per setting the detector holds otherwise than it was sent
    // ("Alarm, CO: sent 35, the detector holds 50").
    QStringList Differences;
    // What went wrong, in the user's words (also reported as failure lines).
    QStringList FailureLines;
    // After a failure: the old values were put back and stored.
    bool Restored = false;
    // After a failure: the detector may hold part of the write; the journal
    // entry is kept for the next connection.
    bool Unfinished = false;
    // The history file written after the write (empty when none was), or
    // why it could not be written.
    QString HistoryPath;
    QString HistoryError;
    // What the write changes, one line per setting against the value the
    // detector held just before ("Alarm, CO: 50 → 35"), as the preview
    // lists it.
    QStringList Changes;
    // After a success: the detector written to.
    Identity Detector;
    bool Success() const { return outcome == Outcome::Success; }
};

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report);

// The user's words for a failed write command: "The detector refused A1
// (Warning)." / did not answer / the line was lost.
QString FailedCommandText(const QString& command, LinkResult reason);

} // namespace WriteSettings
