// The maintenance commands that act on the detector without sending
// settings: restore its defaults, clear its power data, clear its logger
// data, and switch it off. Each reports a start line, calls its link
// operation and reports a failure line; on success the caller shows the
// completion text (the window after it has re-initialised itself when the
// detector was switched off, the tool on its standard output).
#pragma once

#include "workflows/Report.h"

#include <QString>

class clsInstrument;
class uclTqif;

namespace MaintenanceCommand {

using workflows::Outcome;

enum class Kind {
    Default,     // "DEFAULT": the detector's factory defaults
    ClearPower,  // "Clear Power Log"
    ClearLogger, // "Clear Logger Data"
    PowerOff,    // "Power Off"
};

struct Result {
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // The completion text for the caller to show (empty unless Success).
    QString DoneText;
    bool Success() const { return outcome == Outcome::Success; }
};

// Runs the command. Not connected: the no-response line is reported (and
// logged to the serial log where the command has such a line), nothing is
// sent. After a power-off that succeeded the record no longer mirrors a
// detector: it is reset to its defaults with CommFlags and ImportFlag
// cleared.
Result Run(uclTqif& link, clsInstrument& record, Kind kind, const workflows::Report& report);

} // namespace MaintenanceCommand
