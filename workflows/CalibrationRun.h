// One zero or span calibration run on the detector, as the calibration
// transfer window and the command-line tool carry it out: the live readings
// are stopped, the zero ("11111": every channel) or span command is sent,
// the per-channel results are asked for, a span run reads the latest
// calibration history into the caller's record so that it shows the run,
// and the readings are started again whatever the outcome.
#pragma once

#include "workflows/Report.h"

#include <QString>

#include <array>

class clsInstrument;
class uclTqif;

namespace CalibrationRun {

using workflows::Outcome;
using Channels = std::array<bool, 5>;

struct Result {
    // Success: the detector accepted the command (channels may still have
    // failed: see Status). Failed: it refused or did not answer; every
    // channel counts as failed.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Per channel: its adjustment succeeded.
    Channels Status{};
    // The detector's result text ("00100").
    QString ResultText;
    bool Success() const { return outcome == Outcome::Success; }
};

struct Options {
    // Start the live readings again after the run (the calibration window
    // watches them; the tool does not).
    bool RestartReadings = true;
};

// Reads the gas information and the span-gas concentrations of the
// detector into `record` (emptied first), and with `alarmPoints` also its
// warning and alarm points, which the span-gas rule needs. `calEnable`
// receives the channels that may take part (IsCalibratable).
LinkResult ReadInfo(uclTqif& link, clsInstrument& record, bool alarmPoints, Channels* calEnable);

// The span command: five flags ("1" selected) and five comma-separated
// 5-character concentrations of `record` ("*****" for an unselected channel
// and for a negative concentration): 35 characters.
QString SpanCommandText(const clsInstrument& record, const Channels& selected);

// The zero run ("11111").
Result Zero(uclTqif& link, const Options& options, const workflows::Report& report);

// The span run for the selected channels with the concentrations of
// `calRecord`; afterwards the latest calibration history goes into
// `historyRecord` (when given).
Result Span(uclTqif& link, const clsInstrument& calRecord, const Channels& selected,
            clsInstrument* historyRecord, const Options& options, const workflows::Report& report);

// The result lines of a run, one per reported channel: a zero reports every
// channel of `calEnable`, a span the selected ones. "<gas>  Adjustment
// Complete." for a channel that succeeded, "<gas>(<reading>) Failed"
// otherwise (the reading with the channel's decimals, "-----" for a channel
// that cannot be calibrated). Lines end in CR LF.
QString ResultLines(const clsInstrument& record, const Channels& reported, const Channels& status,
                    const std::array<float, 5>& readings, const Channels& calEnable);

} // namespace CalibrationRun
