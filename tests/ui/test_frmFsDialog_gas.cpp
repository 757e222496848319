// The gas table of the factory settings dialog: the library read only, the
// gas in use editable in its row with the column checks and forms, and OK
// carrying only the edited fields into the caller's gas in use.
#include "FactoryDialogRig.h"

#include "model/GasTable.h"

using namespace factorytest;
using uitest::TypeIntoCell;

namespace {

int InUse(int field) {
    return GasTable::ColumnOf(field, true);
}

} // namespace

TEST(frmFsDialogGas, TheLibraryIsReadOnlyAndTheGasInUseEditable) {
    DialogRig rig;
    GridControl& gas = rig.gas();
    EXPECT_EQ(gas.Rows(), 16);
    EXPECT_EQ(gas.Cols(), 29);
    EXPECT_EQ(gas.TextMatrix(0, 0), QStringLiteral("No"));
    EXPECT_EQ(gas.TextMatrix(0, 7), QStringLiteral("a X3"));
    EXPECT_EQ(gas.TextMatrix(0, 25), QStringLiteral("(a X3)"));
    EXPECT_EQ(gas.TextMatrix(1, 1), QStringLiteral("CH4"));
    EXPECT_EQ(gas.TextMatrix(1, 15), QStringLiteral("CH4"));
    EXPECT_FALSE(gas.EditCell(1, GasTable::ColumnOf(GasTable::kName, false)));
    EXPECT_FALSE(gas.EditCell(2, InUse(GasTable::kName))); // no gas in use in row 2
    EXPECT_FALSE(gas.EditCell(0, InUse(GasTable::kName))); // header
    EXPECT_EQ(gas.CellBackColor(2, InUse(GasTable::kName)), gas.BackColorFixed());
    EXPECT_TRUE(gas.EditCell(1, InUse(GasTable::kName)));
}

TEST(frmFsDialogGas, EditedCellsTakeTheirColumnsForm) {
    DialogRig rig;
    GridControl& gas = rig.gas();
    // A coefficient typed as 1.5 shows with eight decimals.
    ASSERT_TRUE(TypeIntoCell(gas, 1, InUse(GasTable::kCurve1a), QStringLiteral("1.5")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kCurve1a)), QStringLiteral("1.50000000"));
    // A unit outside the six is refused; one of them is taken.
    EXPECT_FALSE(TypeIntoCell(gas, 1, InUse(GasTable::kUnit), QStringLiteral("mg/m3")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kUnit)), QStringLiteral("%LEL"));
    EXPECT_TRUE(TypeIntoCell(gas, 1, InUse(GasTable::kUnit), QStringLiteral("vol%")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kUnit)), QStringLiteral("vol%"));
    // A twelfth character of a name is refused.
    ASSERT_TRUE(TypeIntoCell(gas, 1, InUse(GasTable::kName), QStringLiteral("ABCDEFGHIJKL")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kName)), QStringLiteral("ABCDEFGHIJK"));
    // A new digit shows the full scale with its decimals.
    ASSERT_TRUE(TypeIntoCell(gas, 1, InUse(GasTable::kDigit), QStringLiteral("0.5")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kFullScale)), QStringLiteral("100.0"));
    EXPECT_FALSE(TypeIntoCell(gas, 1, InUse(GasTable::kFullScale), QStringLiteral("100000")));
    EXPECT_EQ(gas.TextMatrix(1, InUse(GasTable::kFullScale)), QStringLiteral("100.0"));

    rig.dialog->cmdOK->click();
    ASSERT_EQ(rig.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(rig.record.LS_Name(0), QStringLiteral("ABCDEFGHIJK"));
    EXPECT_EQ(rig.record.LS_Unit(0), QStringLiteral("vol%"));
    EXPECT_DOUBLE_EQ(rig.record.LS_Linear1_a(0), 1.5);
    EXPECT_FLOAT_EQ(rig.record.LS_Digit(0), 0.5f);
    EXPECT_EQ(rig.record.LS_Point(0), 1);
    EXPECT_FLOAT_EQ(rig.record.LS_FullScale(0), 100.0f);
    EXPECT_TRUE(rig.record.Change_LSData(0));
    EXPECT_FALSE(rig.record.Change_LSData(1));
    EXPECT_EQ(rig.record.LI_Name(1), QStringLiteral("CH4"));
}
