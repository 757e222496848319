// Dates of the settings record: a day count from 1899-12-30 with the time of
// day as fraction. For dates before the origin the whole part counts days
// back while the fraction still counts the time forward from midnight
// (-1.25 is 1899-12-29 06:00), as the detector's files and the windows
// expect. Dates carry no time zone; conversions use the local clock.
#pragma once

#include <QDateTime>

namespace OleDate {

constexpr double kZeroDate = 0.0; // 1899-12-30 00:00

// The day count of a date and time (millisecond resolution). An invalid
// QDateTime gives kZeroDate.
double FromDateTime(const QDateTime& dateTime);

// The date and time of a day count, to the nearest millisecond. A value that
// is not finite or lies outside the years 100..9999 gives an invalid QDateTime.
QDateTime ToDateTime(double value);

} // namespace OleDate
