// The calibration operations of the calibration windows and the
// command-line tool:
//   - reading what a calibration needs (gas information, span-gas values,
//     alarm points);
//   - a zero run ("11111": every channel) or a span run: the live readings
//     are stopped, the command is sent, the per-channel results are asked
//     for, a span run reads the latest calibration history into the caller's
//     record so that it shows the run, and the readings are started again
//     whatever the outcome;
//   - the N2 zero of channel 4 against the oxygen reading of channel 1;
//   - the combustible-gas range and the dry/wet gas switch of the sampling
//     head.
// A run that ends with the detector storing (zero, span, N2 zero) is refused
// while the detector may hold part of a write that did not complete: the
// store would take that part with it.
#pragma once

#include "workflows/Report.h"

#include <QString>

#include <array>
#include <functional>

class clsInstrument;
class uclTqif;

namespace CalibrationRun {

using workflows::Outcome;
using Channels = std::array<bool, 5>;
using Readings = std::array<float, 5>;

// The flags of a zero run: every channel.
constexpr char kZeroFlags[] = "11111";
// The channel whose oxygen reading goes with the N2 zero, and the channel the
// N2 zero calibrates.
constexpr int kOxygenChannel = 1;
constexpr int kTeChannel = 4;

struct Result {
    // Success: the detector accepted the command (channels may still have
    // failed: see Status). Failed: it refused or did not answer; every
    // channel counts as failed. Refused: nothing was sent (a write that did
    // not complete must be resolved first).
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Per channel: its adjustment succeeded.
    Channels Status{};
    // The detector's result text ("00100"); empty for the N2 zero.
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
// warning and alarm points and oxygen alarm type, which the span-gas rule
// and the trend's lines need. `calEnable` receives the channels that may
// take part (IsCalibratable); none when a read failed. Live readings that
// run are paused for the reads.
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

// The oxygen reading as the N2 zero sends it: the reading with the
// channel's decimals, right-aligned in five characters (" 20.9").
QString OxygenText(float reading, int point);

// The N2 zero of channel 4 with the oxygen text of OxygenText. Status holds
// channel 4's result only. A text that is not a number (no oxygen reading)
// is refused before anything is sent.
Result TeN2(uclTqif& link, const QString& oxygenText, const Options& options,
            const workflows::Report& report);

// The result lines of a run, one per reported channel: a zero reports every
// channel of `calEnable`, a span the selected ones, the N2 zero channel 4.
// "<gas>  Adjustment Complete." for a channel that succeeded,
// "<gas>(<reading>) Failed" otherwise (the reading with the channel's
// decimals, "-----" for a channel that cannot be calibrated). Lines end in
// CR LF.
QString ResultLines(const clsInstrument& record, const Channels& reported, const Channels& status,
                    const Readings& readings, const Channels& calEnable);

// The combustible-gas range of the sampling head: 0 LEL/vol, 1 ppm. The
// readings are paused while the detector switches; for ppm `eachSecond`
// runs once a second until it has. True when the detector switched.
bool SwitchRange(uclTqif& link, int index, const std::function<void()>& eachSecond = {});

// The gas the sampling head expects: 0 dry, 1 wet. The readings are paused
// for the command. True when the detector took it.
bool SetWetDry(uclTqif& link, int index);

} // namespace CalibrationRun
