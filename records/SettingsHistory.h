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
// Texts chosen for coded settings (the same order as the factory settings
// dialog lists them):
//   AlarmMode 0 "Reset", 1 "Latch"; SpecType "0" "Domestic", "1" "HVK",
//   "2" "Germany", "3" "Foreign"; Battery 0 "Alkaline", 1 "Ni-MH";
//   CalCheckALL / BumpCheckALL 0 "4GAS", 1 "ALL"; IsCustom 0 "Standard",
//   1 "for Gas Company"; BumpTime 0..3 "30" "45" "60" "90"; BumpThreshold
//   0..4 "10".."50"; BumpFailCalTime 0 "90", 1 "120"; BhTime 0..2 "30" "45"
//   "60"; LcBhMode 0..3 "OFF" "LC" "BH" "LC BH"; HcMode 0..2 "Auto" "LEL"
//   "vol"; AlarmO2 0..2 "H-L" "L-LL" "H-HH"; CalCheck / BumpCheck 0..2
//   "Confirm to use" "Can't use" "None".
// A value outside its list is written as its number, so nothing is hidden.
// Switches are "ON" for 1 and "OFF" otherwise. Point values are shown as the
// grid shows them (FormatReading with the channel's decimals, "-----" for a
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
