// Texts of the register shared by the window and the tool: dates as shown,
// the name of an event, the list as CSV, and the differences between the
// settings of two reads.
#pragma once

#include "register/DueDates.h"
#include "register/RegisterEvent.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace InstrumentRegister {

// "2026/12/07 10:42" in the PC's local time; empty for a null date.
QString DateText(const QDateTime& utc);
// "2026/12/07"; empty for a null date.
QString DayText(const QDateTime& utc);
// "2026-12-07T01:42:07Z": ISO 8601 in UTC, as the CSV and the tool's JSON
// give dates; empty for a null date.
QString IsoText(const QDateTime& utc);
// The due state in words ("Overdue", "Due soon", "OK", "").
QString DueStateText(DueState state);
// The kind of an event with its action, in words ("Read", "Maintenance: DEFAULT").
QString EventTitle(const Event& event);
// One line about an event for the detector's page and `register show`.
QString EventLine(const Event& event);

// The list as CSV (RFC 4180 quoting, CR LF): a header and one row per
// detector with its due states on `now`.
QByteArray ListCsv(const QList<DetectorSummary>& detectors, const QDateTime& now);
// Writes the CSV to `path` (temporary file renamed into place).
bool WriteListCsv(const QString& path, const QList<DetectorSummary>& detectors,
                  const QDateTime& now, QString* error);

// The detectors whose calibration or bump test is due within `days` days of
// `now` (overdue included).
QList<DetectorSummary> DueWithin(const QList<DetectorSummary>& detectors, int days,
                                 const QDateTime& now);

// The settings lines of a read that differ from those of an earlier read:
// "- line" for a line of the earlier read that is gone or changed, "+ line"
// for its replacement; empty when both hold the same settings.
QStringList SettingsDifferences(const QString& earlier, const QString& later);

} // namespace InstrumentRegister
