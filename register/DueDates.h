// The due dates of a detector and how urgent they are.
//
// Calibration due = the last successful calibration + `CalLimit` days, when
// the detector's calibration limit is on (shown or checked). Bump test due =
// the last bump test + `BumpLimit` days, when the bump-test function is on
// and the limit is not 0. With several channels the one that runs out first
// decides; an enabled channel without any date leaves the due date unknown.
// All dates are on the PC's time line: a date the detector reports is moved
// by the clock offset of the read that reported it, so a detector whose
// clock runs ahead does not look due later than it is.
#pragma once

#include "register/RegisterEvent.h"

namespace InstrumentRegister {

// The days before the due date that count as "due soon".
constexpr int kDueSoonDays = 7;

enum class DueState {
    Unknown, // no due date
    Ok,
    Soon,    // within kDueSoonDays
    Overdue, // the due date has passed
};

DueState StateOf(const QDateTime& due, const QDateTime& now);
// The most urgent of the two due dates.
DueState WorstState(const DetectorSummary& summary, const QDateTime& now);

// The summary after `event`: `before` is the detector's summary so far (empty
// for a detector not yet in the register).
DetectorSummary Merge(const DetectorSummary& before, const Event& event);

// The due dates from the per-channel dates and the limits.
void UpdateDueDates(DetectorSummary& summary);

} // namespace InstrumentRegister
