// The gas table of the factory settings dialog: the detector's gas library
// for the combustible-gas channel (the record's "LI" entries 1..15) beside
// the gas in use (the record's "LS" entry 0), one row per library entry.
//
// Columns: 0 the entry number; 1..14 the library entry (name, full scale,
// digit, unit, sensor voltage, ratio, two cubic curves a..d); 15..28 the
// same fields of the gas in use.
//
// What can be edited follows the record and the detector's command set:
// - the library columns are read only: the detector sends its library ("LI")
//   but no command writes it, and the record keeps no change flag for it;
// - the record keeps one gas in use (LS entry 0, the library entry LSindex),
//   so the in-use cells exist only in the row of that entry (row LSindex);
//   the in-use cells of the other rows are empty and read only.
// The in-use cells take the checks of CheckEdit and are written back to LS
// entry 0 when the dialog is closed with OK.
#pragma once

#include <QString>
#include <QStringList>

class clsInstrument;

namespace GasTable {

constexpr int kEntries = 15;              // library entries 1..15, rows 1..15
constexpr int kRows = kEntries + 1;       // header row 0
constexpr int kFields = 14;               // fields of an entry
constexpr int kColumns = 1 + 2 * kFields; // 29
constexpr int kLibraryColumn = 1;         // first library column
constexpr int kInUseColumn = 1 + kFields; // first in-use column (15)
constexpr int kNameLength = 11;           // longest gas name

// The fields of an entry, in column order.
enum Field : int {
    kName = 0,
    kFullScale,
    kDigit,
    kUnit,
    kVolt,
    kRatio,
    kCurve1a, // first curve a*x^3 + b*x^2 + c*x + d
    kCurve1b,
    kCurve1c,
    kCurve1d,
    kCurve2a, // second curve
    kCurve2b,
    kCurve2c,
    kCurve2d,
};

// The field a column 1..28 shows; -1 for column 0 and columns outside.
int FieldOf(int col);
// The column of a field in the library (inUse false) or in-use half.
inline int ColumnOf(int field, bool inUse) {
    return (inUse ? kInUseColumn : kLibraryColumn) + field;
}
inline bool IsInUseColumn(int col) {
    return col >= kInUseColumn && col < kColumns;
}

// Header row texts.
QString HeaderText(int col);
// The units a unit cell offers, "|"-separated ("VOL%|%LEL|ppm|ppb").
QString UnitList();
// Whether a unit text is one of "%LEL", "vol%", "VOL%", "%", "ppm", "ppb".
bool IsUnitAccepted(const QString& unit);

// The row of the gas in use (LSindex when it names an entry 1..15), 0 when
// none.
int InUseRow(const clsInstrument& record);
// The cell text of the record for row 1..15, column 0..28. A library entry
// the detector does not use (no name, or a name of dashes) shows empty.
QString CellText(const clsInstrument& record, int row, int col);
// Whether the cell can be edited (see the top of this file).
bool IsCellEditable(const clsInstrument& record, int row, int col);

// --- Editing ---------------------------------------------------------------------

// Whether `text`, the name cell's text after a key, is still a name that can
// be typed: at most 11 characters of the station keys (blank, "-", "_", "/",
// ">", "<", digits, letters).
bool NameTypingAccepts(const QString& text);

struct CellEdit {
    bool accepted = false;
    QString text; // the text the cell shows when accepted
};
// Checks an edited cell text of column col (1..28) and gives the text the
// cell then shows. `columnTexts`: the present texts of rows 1..15 of the
// same column; `rowTexts`: the present texts of the row, columns 0..28.
// - name: at most 11 characters typed with the station keys, and (trimmed)
//   equal to no name of the column, its own previous text included;
// - full scale: a number above 0, shown with the decimals of the row's digit
//   cell in the detector's five-character field; refused when it does not fit;
// - digit: a number above 0 with at most 3 decimals whose five-character
//   field holds it and the row's full scale with those decimals (the upper
//   limit: 99999 without decimals, 999.9, 99.99, 9.999);
// - unit: one of the six unit texts;
// - voltage: a whole number 0..32767;
// - ratio: a number above 0 and at most 100;
// - curve coefficients: a number below 1e9 in size, shown with 8 decimals.
CellEdit CheckEdit(int col, const QString& text, const QStringList& columnTexts,
                   const QStringList& rowTexts);
// The full-scale text of a row after its digit changed to `digitText`.
QString FullScaleWithDigit(const QString& fullScaleText, const QString& digitText);

// Puts an in-use cell's value into LS entry 0 when it differs from the
// value there (the write marks Change_LSData(0)); a digit also sets the
// entry's point (its decimals). False when the column is no in-use column,
// the text is no value for it, or the record holds the value already.
bool ApplyInUseCell(clsInstrument& record, int col, const QString& text);

} // namespace GasTable
