// The gas table's rules: which cells the record lets the user edit, the
// checks and forms of the edited cells (the limits that keep a value intact
// in the detector's five-character field), and the write-back to the gas in
// use.
#include "model/GasTable.h"
#include "model/clsInstrument.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace GasTable;

namespace {

// A library with CH4 (entry 1) and H2 (entry 3), H2 in use.
clsInstrument Library() {
    clsInstrument r;
    r.setLI_Name(1, QStringLiteral("CH4"));
    r.setLI_FullScale(1, 100);
    r.setLI_Digit(1, 1);
    r.setLI_Unit(1, QStringLiteral("%LEL"));
    r.setLI_Name(2, QStringLiteral("----------"));
    r.setLI_Name(3, QStringLiteral("H2"));
    r.setLI_FullScale(3, 4);
    r.setLI_Digit(3, 0.1f);
    r.setLI_Point(3, 1);
    r.setLI_Unit(3, QStringLiteral("vol%"));
    r.setLI_Ratio(3, 1.15f);
    r.setLSindex(3);
    r.setLS_Name(0, QStringLiteral("H2        "));
    r.setLS_FullScale(0, 4);
    r.setLS_Digit(0, 0.1f);
    r.setLS_Point(0, 1);
    r.setLS_Unit(0, QStringLiteral("vol%"));
    r.setLS_Ratio(0, 1.15f);
    r.setLS_Linear1_a(0, 0.25);
    r.ClearChangeFlags();
    return r;
}

// The texts of a row, columns 0..28, as the grid would hold them.
QStringList RowTexts(const clsInstrument& r, int row) {
    QStringList texts;
    for (int c = 0; c < kColumns; ++c)
        texts << CellText(r, row, c);
    return texts;
}

QStringList ColumnTexts(const clsInstrument& r, int col) {
    QStringList texts;
    for (int row = 1; row <= kEntries; ++row)
        texts << CellText(r, row, col);
    return texts;
}

} // namespace

TEST(GasTable, ShowsTheLibraryAndTheGasInUseInItsRow) {
    const clsInstrument r = Library();
    EXPECT_EQ(HeaderText(0), QStringLiteral("No"));
    EXPECT_EQ(HeaderText(ColumnOf(kName, false)), QStringLiteral("Name"));
    EXPECT_EQ(HeaderText(ColumnOf(kCurve2d, true)), QStringLiteral("(d)"));
    EXPECT_EQ(CellText(r, 3, ColumnOf(kFullScale, false)), QStringLiteral("4.0"));
    EXPECT_EQ(CellText(r, 3, ColumnOf(kRatio, false)), QStringLiteral("1.15"));
    EXPECT_EQ(CellText(r, 3, ColumnOf(kName, true)), QStringLiteral("H2"));
    EXPECT_EQ(CellText(r, 3, ColumnOf(kCurve1a, true)), QStringLiteral("0.25000000"));
    // An entry the detector does not use shows nothing.
    EXPECT_EQ(CellText(r, 2, ColumnOf(kFullScale, false)), QString());
    EXPECT_EQ(CellText(r, 2, 0), QStringLiteral("2"));
    // The library is read only; the gas in use only in its own row.
    for (int row = 1; row <= kEntries; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            const bool editable = row == 3 && IsInUseColumn(col);
            EXPECT_EQ(IsCellEditable(r, row, col), editable) << row << "," << col;
            if (IsInUseColumn(col) && row != 3) {
                EXPECT_TRUE(CellText(r, row, col).isEmpty());
            }
        }
    }
    // An entry number outside the table: no gas in use anywhere.
    clsInstrument none = r;
    none.setLSindex(0);
    EXPECT_EQ(InUseRow(none), 0);
    EXPECT_FALSE(IsCellEditable(none, 3, ColumnOf(kName, true)));
}

TEST(GasTable, EditedCellsAreCheckedAndShownInTheirForm) {
    const clsInstrument r = Library();
    const QStringList row = RowTexts(r, 3); // digit 0.1, full scale 4.0
    struct Case {
        int field;
        const char* text;
        bool accepted;
        const char* shown;
    };
    const Case cases[] = {
        {kCurve1a, "1.5", true, "1.50000000"},
        {kCurve2d, "-0.000000004", true, "0.00000000"},
        {kCurve1b, "abc", false, ""},
        {kCurve1c, "2e9", false, ""},
        {kUnit, "mg", false, ""},
        {kUnit, "%", true, "%"},
        {kUnit, "ppb", true, "ppb"},
        {kUnit, "Vol%", false, ""},
        {kName, "ABCDEFGHIJK", true, "ABCDEFGHIJK"},
        {kName, "ABCDEFGHIJKL", false, ""},
        {kName, "CH4", true, "CH4"}, // the in-use column holds H2 only
        {kName, " H2 ", false, ""},  // its own previous name
        {kName, "a,b", false, ""},
        {kFullScale, "50", true, "50.0"},
        {kFullScale, "9999.9", false, ""}, // does not fit five characters with 1 decimal
        {kFullScale, "0", false, ""},
        {kDigit, "0.05", true, "0.05"},
        {kDigit, "0.0001", false, ""},
        {kDigit, "0", false, ""},
        {kVolt, "32767", true, "32767"},
        {kVolt, "32768", false, ""},
        {kVolt, "1.5", false, ""},
        {kRatio, "1.5", true, "1.5"},
        {kRatio, "0", false, ""},
        {kRatio, "101", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const int col = ColumnOf(c.field, true);
        const CellEdit e = CheckEdit(col, QString::fromLatin1(c.text), ColumnTexts(r, col), row);
        EXPECT_EQ(e.accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(e.text, QString::fromLatin1(c.shown));
        }
    }
    // A name another row of its column holds is refused.
    const int libraryName = ColumnOf(kName, false);
    EXPECT_FALSE(
        CheckEdit(libraryName, QStringLiteral("CH4"), ColumnTexts(r, libraryName), RowTexts(r, 3))
            .accepted);
}

TEST(GasTable, TheDigitsUpperLimitIsWhatTheFieldHolds) {
    clsInstrument r = Library();
    const int digit = ColumnOf(kDigit, true);
    QStringList row = RowTexts(r, 3);
    row[ColumnOf(kFullScale, true)] = QString();
    EXPECT_TRUE(CheckEdit(digit, QStringLiteral("99999"), {}, row).accepted);
    EXPECT_FALSE(CheckEdit(digit, QStringLiteral("100000"), {}, row).accepted);
    EXPECT_TRUE(CheckEdit(digit, QStringLiteral("9.999"), {}, row).accepted);
    EXPECT_FALSE(CheckEdit(digit, QStringLiteral("10.000"), {}, row).accepted);
    // The row's full scale must still fit with the new digit's decimals.
    row[ColumnOf(kFullScale, true)] = QStringLiteral("5000");
    EXPECT_TRUE(CheckEdit(digit, QStringLiteral("10"), {}, row).accepted);
    EXPECT_FALSE(CheckEdit(digit, QStringLiteral("0.1"), {}, row).accepted);
    EXPECT_EQ(FullScaleWithDigit(QStringLiteral("4.0"), QStringLiteral("0.05")),
              QStringLiteral("4.00"));
}

TEST(GasTable, WriteBackChangesTheGasInUseOnlyWhereItDiffers) {
    clsInstrument r = Library();
    EXPECT_FALSE(ApplyInUseCell(r, ColumnOf(kName, true), QStringLiteral("H2")));
    EXPECT_FALSE(ApplyInUseCell(r, ColumnOf(kFullScale, true), QStringLiteral("4.0")));
    EXPECT_FALSE(ApplyInUseCell(r, ColumnOf(kName, false), QStringLiteral("XX")));
    EXPECT_FALSE(r.Change_LSData(0));

    EXPECT_TRUE(ApplyInUseCell(r, ColumnOf(kDigit, true), QStringLiteral("0.05")));
    EXPECT_FLOAT_EQ(r.LS_Digit(0), 0.05f);
    EXPECT_EQ(r.LS_Point(0), 2);
    EXPECT_TRUE(ApplyInUseCell(r, ColumnOf(kCurve2b, true), QStringLiteral("1.50000000")));
    EXPECT_DOUBLE_EQ(r.LS_Linear2_b(0), 1.5);
    EXPECT_TRUE(ApplyInUseCell(r, ColumnOf(kVolt, true), QStringLiteral("1200")));
    EXPECT_EQ(r.LS_elem_vol(0), 1200);
    EXPECT_TRUE(r.Change_LSData(0));
    EXPECT_FALSE(r.Change_LSData(1));
    // The library stays as it was.
    EXPECT_FLOAT_EQ(r.LI_Digit(3), 0.1f);
}
