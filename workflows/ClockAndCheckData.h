// "Date/Time Set" and "Write Check Data": the two single-command writes of
// the main window's write frame. Each reports its start, calls its link
// operation and reports, in the failure colour, that it failed and why; the
// completion line comes only after the detector took the command. The
// window shows its completion box, the command-line tool its result, only
// on Outcome::Success.
#pragma once

#include "workflows/Report.h"

#include <QDateTime>

class clsInstrument;
class uclTqif;

namespace workflows {

// Why a link operation failed, in the user's words ("the detector did not
// answer"); empty for Done.
QString ReasonText(LinkResult reason);

} // namespace workflows

namespace DateTimeSet {

using workflows::Outcome;

struct Options {
    // The date and time the detector is set to; invalid: the PC's present
    // time when the command is sent.
    QDateTime When;
};

struct Result {
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    bool Success() const { return outcome == Outcome::Success; }
};

// Sets the detector's clock: the record's SysDateOffset (PC minus detector)
// becomes 0, the serial log gets "---Instrument Upload Start Sequence---",
// the report the upload start line, then "HC,W," with the date is sent.
// The detector's answer to it says nothing about whether it took the time,
// so its clock is read back ("HC,R,"): it must lie within a few seconds of
// the PC's. Success: "TQ-7350 Upload Complete.". Failure: "TQ-7350
// Date/Time Set Failed: <reason>"; the record's SysDateOffset is then the
// one read back, or the one before when nothing could be read. Not
// connected or busy: only the failure line, nothing sent.
Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report);

} // namespace DateTimeSet

namespace CheckDataWrite {

using workflows::Outcome;
using Result = DateTimeSet::Result;

// Writes the known check pattern into the detector's logger memory
// ("XH,E,"). Success: "TQ-7350 Upload Complete."; failure (no answer, the
// line lost, cancelled, not connected, busy): "TQ-7350 Write Check Data
// Failed: <reason>".
Result Run(uclTqif& link, const workflows::Report& report);

} // namespace CheckDataWrite
