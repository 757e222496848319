// Events put together from a settings record: who the detector is, its
// clock, its channels with their latest calibration and bump test, and the
// limits the due dates are worked out from.
#pragma once

#include "register/RegisterEvent.h"

class clsInstrument;

namespace InstrumentRegister {

// The detector's CalCheck / BumpCheck value for "no check".
constexpr int kLimitCheckNone = 2;

// The serial number as the register files it; empty when the record holds
// none (the placeholder of dashes).
QString SerialOf(const QString& serialNo);

// An event of `kind` for the detector `record` describes: its identity and
// clock, the PC's time now, the program's version and the host.
Event EventFor(const clsInstrument& record, EventKind kind);

// The channels with gas, range and decimals; with `histories` also their
// latest calibration and bump test as the detector reported them.
QList<ChannelEntry> ChannelsOf(const clsInstrument& record, bool histories);

// The calibration limit is on when the detector shows it or checks it; the
// bump-test limit when the bump-test function is on.
Limits LimitsOf(const clsInstrument& record);

} // namespace InstrumentRegister
