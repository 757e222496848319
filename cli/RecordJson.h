// The settings record as JSON, for "read --json" and the results of the
// other commands. The layout is documented in docs/cli.md.
//
// Values the detector marks as "not set" (-101) are null; other coded
// status values (-102 and below) are given as their status word ("OVER",
// "ALARM" ...); dates are "yyyy-MM-ddTHH:mm:ss" in the PC's local time, null
// for the zero date. Single-precision numbers are written with the fewest
// digits that read back as the same value (19.5, not 19.5000000001).
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>

class clsInstrument;

namespace cli {

// The whole record: identity, clock, settings, channels (with their latest
// calibration and bump test), station and user lists, LS and LI gas tables,
// analog values.
QJsonObject RecordToJson(const clsInstrument& record, const QDateTime& now);

// One channel 0..4.
QJsonObject ChannelToJson(const clsInstrument& record, int ch);
// The latest calibration and bump test of one channel.
QJsonObject ChannelHistoryToJson(const clsInstrument& record, int ch);
// The detector's clock against the PC's.
QJsonObject ClockToJson(const clsInstrument& record, const QDateTime& now);

// A reading, alarm point or concentration (see above).
QJsonValue ValueJson(float value);
// A record date (day count) as text, null for the zero date.
QJsonValue DateJson(double oleDate);

} // namespace cli
