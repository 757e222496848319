#include "model/OleDate.h"

#include <cmath>

namespace OleDate {

namespace {

const QDate kOrigin(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
// 0100-01-01 and 9999-12-31 as day counts.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958466.0;

} // namespace

double FromDateTime(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return kZeroDate;
    const qint64 days = kOrigin.daysTo(dateTime.date());
    const double fraction = static_cast<double>(dateTime.time().msecsSinceStartOfDay()) /
                            static_cast<double>(kMsPerDay);
    // Before the origin the whole part counts back, the fraction forward.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

QDateTime ToDateTime(double value) {
    if (!std::isfinite(value) || value < kFirstDay || value >= kLastDay)
        return QDateTime();
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
    if (ms >= kMsPerDay) { // rounding reached midnight of the next day
        ms -= kMsPerDay;
        whole += 1.0;
    }
    const QDate date = kOrigin.addDays(static_cast<qint64>(whole));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

} // namespace OleDate
