// The "Instrument Information" download without any window: reads the whole
// detector into a record, then its latest calibration and bump-test history,
// lists the analog values and checks the detector's clock against the PC's.
//
// The main window and the command-line tool both run it. Everything the user
// should see comes out through the callbacks as it happens (log-pane lines
// with their colour, progress texts); the serial-log lines go to the link's
// serial log. The result tells the caller what happened, so it can refresh
// its display and decide about follow-up work (a history line, an exit code).
//
// A read that fails is always reported as failed, also when some answers had
// already arrived before the failure.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class clsInstrument;
class uclTqif;

namespace InformationDownload {

// Colours of the lines, packed as red + 256 x green + 65536 x blue (the log
// pane's LogPane::FromPackedRgb turns them into colours).
constexpr int32_t Rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}
constexpr int32_t kGreen = Rgb(0, 192, 0);        // progress and success
constexpr int32_t kRed = Rgb(255, 0, 0);          // failures, date mismatch
constexpr int32_t kAnalogGreen = Rgb(0, 128, 64); // the analog value list

enum class Outcome {
    Success,      // the record was read completely
    NotConnected, // the link is not connected: nothing was sent
    Busy,         // another command is waiting on the link: nothing was sent
    Cancelled,    // the user cancelled (the link's Cancel was set)
    Failed,       // a command failed; the record holds what was read until then
};

struct Options {
    // Channels the configuration marks as locked are forced to enabled after
    // a successful read (index = channel 0..4).
    std::array<bool, 5> ChannelLocked{};
    // Read the latest calibration and bump-test history after the record.
    bool ReadHistories = true;
};

struct Callbacks {
    // A line for the log pane in its colour (packed RGB, see above). Texts
    // that end in CR LF carry an extra empty line.
    std::function<void(const QString& text, int32_t colour)> logLine;
    // Optional: a short progress text (the progress window's label).
    std::function<void(const QString& text)> progress;
};

struct Result {
    Outcome outcome = Outcome::Failed;
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
           const Callbacks& callbacks);

// The analog value list of a record: the green header line and one line per
// analog value 1..8, "<label>\t: 0.000V".
QStringList AnalogValueLines(const clsInstrument& record);

// True when the record's SysDateOffset (days) is more than one day away
// from zero; the caller logs kMsgDateMismatch in red.
bool DateDiffers(const clsInstrument& record);

// Elapsed time as "hh:nn:ss" (hours may exceed 23).
QString ElapsedText(qint64 ms);

} // namespace InformationDownload
