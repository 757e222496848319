// The "Instrument Information" download without any window: reads the whole
// detector into a record, then its latest calibration and bump-test history,
// lists the analog values and checks the detector's clock against the PC's.
//
// The main window and the command-line tool both run it. Everything the user
// should see comes out through the report as it happens (log-pane lines and
// progress texts); the serial-log lines go to the link's serial log. The result tells the caller
// what happened, so it can refresh its display and decide about follow-up work (a history line, an
// exit code).
//
// A read that fails is always reported as failed, also when some answers had
// already arrived before the failure.
#pragma once

#include "workflows/Report.h"

#include <QString>
#include <QStringList>

#include <array>

class clsInstrument;
class uclTqif;

namespace InformationDownload {

using workflows::Outcome;
// Success: the record was read completely. Failed: a command failed; the
// record holds what was read until then. NotConnected and Busy: nothing was
// sent. Cancelled: the user cancelled (the link's Cancel was set).

struct Options {
    // Channels the configuration marks as locked are forced to enabled after
    // a successful read (index = channel 0..4).
    std::array<bool, 5> ChannelLocked{};
    // Read the latest calibration and bump-test history after the record.
    bool ReadHistories = true;
};

struct Result {
    Outcome outcome = Outcome::Failed;
    // Why the link failed (Done when it did not).
    LinkResult reason = LinkResult::Done;
    bool Success() const { return outcome == Outcome::Success; }
    // The read command that failed ("HC,R" when the detector's clock was
    // refused); empty on success.
    QString FailLine;
    // The history reads after a successful read: true when they succeeded.
    // Both stay false when they were not run (failure, or ReadHistories off).
    bool HistoryRead = false;
    bool BumpHistoryRead = false;
    // The analog value list as it went to the log pane (header + 8 lines);
    // empty unless the read succeeded.
    QStringList AnalogLines;
    // The detector's clock is more than one day away from the PC's (checked
    // whatever the outcome, on the record's SysDateOffset).
    bool DateMismatch = false;
    // Elapsed time of the download in milliseconds (link clock).
    qint64 ElapsedMs = 0;
};

// Runs the download into `record` (which also becomes the link's Instrument).
// On success the record's CommFlags is set and ImportFlag cleared. A read
// that failed or was cancelled clears both: the record was emptied when the
// read began and holds only part of the detector's settings, which must not
// be edited or written back. NotConnected and Busy leave the record alone.
Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report);

// The analog value list of a record: the header line and one line per
// analog value 1..8, "<label>\t: 0.000V".
QStringList AnalogValueLines(const clsInstrument& record);

// True when the record's SysDateOffset (days) is more than one day away
// from zero; the caller reports it (kMsgDateMismatch) as a failure.
bool DateDiffers(const clsInstrument& record);

// Elapsed time as "hh:nn:ss" (hours may exceed 23).
QString ElapsedText(qint64 ms);

} // namespace InformationDownload
