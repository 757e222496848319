// The settings history: a comma-separated file "TQ7350_Setting<suffix>.csv"
// in the program's start-up folder that gets one line each time the
// settings are read from a detector ("Read") or written to it ("Write" after
// Update, "WriteID" after Update ID). A new file starts with a header line of
// catalogue texts in the language in use; lines are only ever appended.
//
// The file is UTF-8 with CR LF line ends; a new file starts with a byte-order
// mark so that spreadsheet programs read the Japanese headings correctly.
// A field holding a comma, a quote or a line break is quoted (quotes doubled)
// so that no text can shift the columns.
//
// Coded settings and switches are shown as records/SettingTexts.h gives them
// ("Latch", "Confirm to use", "ON"). Point values are shown as the grid
// shows them (FormatReading with the channel's decimals, "-----" for a
// point not set); a disabled channel shows "-----" in its six gas columns.
// The custom-sensor "No" column holds the entry's index as the detector
// numbers it: LSindex for the first entry, LSindex + 15 for the second (0
// when the second entry holds no name).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class clsInstrument;

enum class HistoryAction { Read = 0, Write = 1, WriteID = 2 };

// "TQ7350_Setting" + suffix + ".csv".
QString HistoryFileName(const QString& suffix);

// True when the suffix can be part of a file name in the history folder: no
// path separator, no character that a file name cannot hold, no control
// character.
bool IsValidHistorySuffix(const QString& suffix);

// The header fields and the data fields of one event; both lists always
// have the same length.
QStringList HistoryHeaderFields();
QStringList HistoryDataFields(const clsInstrument& record, HistoryAction action,
                              const QDateTime& now);

// One CSV line (without line end) from fields.
QString CsvLine(const QStringList& fields);

// Appends one line for the event to "<folder>/TQ7350_Setting<suffix>.csv",
// creating the file with its header line when it does not exist or is empty.
// `now` is the PC's present date and time. False (with a reason in *error)
// when the suffix is not valid or the file cannot be written.
bool AppendHistoryLine(const QString& folder, const QString& suffix, const clsInstrument& record,
                       HistoryAction action, const QDateTime& now, QString* error = nullptr);
