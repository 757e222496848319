// The factory settings dialog: the pages' cells refuse what their rows
// refuse, Cancel leaves the caller's record exactly as it was, OK carries
// back exactly what was edited, also from "Detail Settings" in the main
// window.
#include "FactoryDialogRig.h"
#include "MainWindowRig.h"

using namespace factorytest;
using uitest::TypeIntoCell;

namespace {

constexpr int kSetUp = frmFsDialog::kPageSetUp;
constexpr int kFactory = frmFsDialog::kPageFactory;
constexpr int kOther = frmFsDialog::kPageOther;
constexpr int kValue = SetupPage::kValueColumn;

} // namespace

TEST(frmFsDialog, PagesShowTheRecordWithTheirLabels) {
    DialogRig rig;
    EXPECT_EQ(rig.dialog->windowTitle(), QStringLiteral("TQ-7350 Factory Setting"));
    EXPECT_EQ(rig.dialog->SSTab1->tabText(0), QStringLiteral("Station && User"));
    GridControl& setUp = rig.page(kSetUp);
    EXPECT_EQ(setUp.Rows(), 21);
    EXPECT_EQ(setUp.TextMatrix(10, 0), QStringLiteral("Calibration Time Limit(1-365days)"));
    EXPECT_EQ(setUp.TextMatrix(10, kValue), QStringLiteral("180"));
    EXPECT_EQ(setUp.TextMatrix(4, kValue), QStringLiteral("60")); // BumpTime code 2
    EXPECT_TRUE(setUp.ColHidden(SetupPage::kChoicesColumn));
    EXPECT_EQ(setUp.TextMatrix(1, SetupPage::kChoicesColumn), QStringLiteral("Off|On"));
    GridControl& factory = rig.page(kFactory);
    EXPECT_EQ(factory.TextMatrix(8, 0), QStringLiteral("Zero Follower (Gas4)"));
    GridControl& other = rig.page(kOther);
    EXPECT_EQ(other.TextMatrix(1, kValue), QStringLiteral("M240300127"));
    // Program 4152: the oxygen alarm type offers H-HH.
    EXPECT_EQ(other.TextMatrix(5, SetupPage::kChoicesColumn), QStringLiteral("H-L|L-LL|H-HH"));
    // Rows 1, 2 and 3 of "OTHER" are locked: fixed colour, no editor.
    for (int row : {1, 2, 3}) {
        EXPECT_EQ(other.CellBackColor(row, kValue), other.BackColorFixed());
        EXPECT_FALSE(other.EditCell(row, kValue)) << row;
    }
    EXPECT_TRUE(other.EditCell(0, kValue));
}

TEST(frmFsDialog, PageCellsRefuseWhatTheirRowsRefuse) {
    DialogRig rig;
    GridControl& setUp = rig.page(kSetUp);
    const int password = RowOfLabel(*rig.dialog, kSetUp, kMsgUserPassword);
    const int calLimit = RowOfLabel(*rig.dialog, kSetUp, kMsgCalTimeLimit);
    const int bumpLimit = RowOfLabel(*rig.dialog, kSetUp, kMsgBumpTimeLimit);
    struct Case {
        int row;
        const char* typed;
        bool taken;
        const char* shown; // the cell afterwards
    };
    // The rows' rules: tests/model/test_SetupRows; here the cells apply them.
    const Case cases[] = {
        {password, "12a4", false, "7563"}, // the letter is dropped: "124"
        {password, "1234", true, "1234"},
        {calLimit, "366", false, "180"},
        {calLimit, "365", true, "365"},
        {calLimit, "", false, "365"}, // an empty number is no value
        {bumpLimit, "31", false, "30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(TypeIntoCell(setUp, c.row, kValue, QString::fromLatin1(c.typed)), c.taken);
        EXPECT_EQ(setUp.TextMatrix(c.row, kValue), QString::fromLatin1(c.shown));
    }
    // Spec No.: identity characters, upper case, at most 10.
    GridControl& other = rig.page(kOther);
    EXPECT_TRUE(TypeIntoCell(other, 0, kValue, QStringLiteral("sp-7/1 x")));
    EXPECT_EQ(other.TextMatrix(0, kValue), QStringLiteral("SP-71 X"));
    EXPECT_TRUE(TypeIntoCell(other, 0, kValue, QStringLiteral("ABCDEFGHIJKL")));
    EXPECT_EQ(other.TextMatrix(0, kValue), QStringLiteral("ABCDEFGHIJ"));
    // Nothing reached the caller's record.
    EXPECT_EQ(rig.record.CalLimit(), 180);
    EXPECT_EQ(rig.record.UserPassword2(), QStringLiteral("7563"));
}

TEST(frmFsDialog, CancelAfterEditsLeavesTheRecordAndItsFlagsExactlyAsBefore) {
    DialogRig rig;
    const QStringList before = Snapshot(rig.record);
    ASSERT_TRUE(TypeIntoCell(rig.page(kSetUp), 10, kValue, QStringLiteral("365")));
    ASSERT_TRUE(ChooseInCell(rig.page(kFactory), 3, kValue, QStringLiteral("45")));
    ASSERT_TRUE(
        TypeIntoCell(rig.stations(), 5, ListGrid::kIdentifierColumn, QStringLiteral("NEW GATE")));
    ASSERT_TRUE(WriteAll(rig.file(QStringLiteral("User.csv")), "1,A\r\n2,B\r\n"));
    rig.nextFile = rig.file(QStringLiteral("User.csv"));
    rig.dialog->cmdUserImport->click();
    ASSERT_EQ(rig.users().TextMatrix(1, 1), QStringLiteral("B"));
    const int name = 15; // in-use name of row 1
    ASSERT_TRUE(TypeIntoCell(rig.gas(), 1, name, QStringLiteral("CH4-X")));

    rig.dialog->cmdCancel->click();
    EXPECT_EQ(rig.dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Snapshot(rig.record), before);
}

TEST(frmFsDialog, OkWithoutEditsChangesNothing) {
    DialogRig rig;
    const QStringList before = Snapshot(rig.record);
    rig.dialog->cmdOK->click();
    EXPECT_EQ(rig.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Snapshot(rig.record), before);
    EXPECT_TRUE(rig.asked.empty());
}

TEST(frmFsDialog, OkCarriesBackExactlyWhatWasEdited) {
    DialogRig rig;
    const QStringList before = Snapshot(rig.record);
    ASSERT_TRUE(TypeIntoCell(rig.page(kSetUp), 10, kValue, QStringLiteral("365")));
    // "Bar Hole Measure Time(sec)" 45 is code 1.
    ASSERT_TRUE(ChooseInCell(rig.page(kFactory), RowOfLabel(*rig.dialog, kFactory, kMsgBarHoleTime),
                             kValue, QStringLiteral("45")));
    // Chosen and chosen back: no change.
    ASSERT_TRUE(ChooseInCell(rig.page(kFactory), 0, kValue, QStringLiteral("LEL")));
    ASSERT_TRUE(ChooseInCell(rig.page(kFactory), 0, kValue, QStringLiteral("Auto")));
    ASSERT_TRUE(ChooseInCell(rig.page(kOther), 9, kValue, QStringLiteral("On")));
    ASSERT_TRUE(
        TypeIntoCell(rig.stations(), 4, ListGrid::kIdentifierColumn, QStringLiteral("DOCK 5")));
    rig.dialog->cmdOK->click();
    ASSERT_EQ(rig.dialog->result(), QDialog::Accepted);

    EXPECT_EQ(rig.record.CalLimit(), 365);
    EXPECT_EQ(rig.record.BhTime(), 1);
    EXPECT_EQ(rig.record.PeakBar(), 1);
    EXPECT_EQ(rig.record.StationList(4), QStringLiteral("DOCK 5"));
    // No other value and no other flag changed.
    EXPECT_EQ(ChangedKeys(before, Snapshot(rig.record)),
              (QStringList{QStringLiteral("BhTime[0]"), QStringLiteral("CalLimit[0]"),
                           QStringLiteral("PeakBar[0]"), QStringLiteral("StationList[4]")}));
}

// "Detail Settings" on the main window's record after a read: one setting
// changed on each page and one station entry, OK; the session's record
// differs in exactly those four places. (Writing what is flagged: the
// workflow tests.)
TEST(frmFsDialog, DetailSettingsChangesExactlyTheEditedSettingsOfTheSession) {
    windowtest::MainWindowRig rig;
    ASSERT_TRUE(rig.connect());
    ASSERT_TRUE(rig.window->InstrumentDownload());
    const QStringList before = Snapshot(rig.record());

    bool edited = false;
    uitest::WhenModalOpens<frmFsDialog>([&edited](frmFsDialog* dialog) {
        const int calLimit = RowOfLabel(*dialog, kSetUp, kMsgCalTimeLimit);
        const int barHole = RowOfLabel(*dialog, kFactory, kMsgBarHoleTime);
        const int peakBar = RowOfLabel(*dialog, kOther, kMsgPeakBarDisplay);
        const QString peak = dialog->vfgDatas[kOther]->TextMatrix(peakBar, kValue);
        edited = TypeIntoCell(OnPage(*dialog, kSetUp), calLimit, kValue, QStringLiteral("365")) &&
                 ChooseInCell(OnPage(*dialog, kFactory), barHole, kValue, QStringLiteral("45")) &&
                 ChooseInCell(OnPage(*dialog, kOther), peakBar, kValue,
                              peak == QLatin1String("On") ? QStringLiteral("Off")
                                                          : QStringLiteral("On"));
        edited =
            edited && TypeIntoCell(OnTab(*dialog, frmFsDialog::kTabStationUser, dialog->vfgStation),
                                   7, ListGrid::kIdentifierColumn, QStringLiteral("NORTH GATE"));
        dialog->cmdOK->click();
    });
    rig.window->cmdFactorySetting->click();
    ASSERT_TRUE(edited);
    EXPECT_EQ(rig.record().CalLimit(), 365);
    EXPECT_EQ(rig.record().BhTime(), 1);
    EXPECT_EQ(rig.record().StationList(7), QStringLiteral("NORTH GATE"));
    EXPECT_EQ(ChangedKeys(before, Snapshot(rig.record())),
              (QStringList{QStringLiteral("BhTime[0]"), QStringLiteral("CalLimit[0]"),
                           QStringLiteral("PeakBar[0]"), QStringLiteral("StationList[7]")}));
}
