// Readable text results of the tool: the record summary of "read", the
// clock, the latest histories, live readings and calibration results. Labels
// come from the catalogue in the language in use; values are formatted as
// the windows show them.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

class clsInstrument;

namespace cli {

// Identity, clock and settings as labelled lines, a table of the channels
// with their alarm points, the latest calibration and bump test per channel,
// the station and user entries in use and the analog value list.
QString RecordSummary(const clsInstrument& record, const QDateTime& now,
                      const QStringList& analogLines);

// The PC's and the detector's clock and their difference.
QString ClockSummary(const clsInstrument& record, const QDateTime& now);

// The latest calibration and bump test of every enabled channel.
QString HistorySummary(const clsInstrument& record);

// The column heads of the live readings (gas labels) and one line of them.
QString ReadingsHeader(const clsInstrument& record);
QString ReadingsLine(const clsInstrument& record, const std::array<float, 5>& values);

// "NAME  Adjustment Complete." or "NAME Failed" for one calibrated channel.
QString CalibrationLine(const clsInstrument& record, int ch, bool ok);

// A record date as "yyyy/MM/dd hh:mm:ss", "-----" for none.
QString DateText(double oleDate);

} // namespace cli
