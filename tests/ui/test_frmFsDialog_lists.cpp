// The station and user tab of the factory settings dialog: typing under the
// identifier rule, the leading-blank label, import and export of list files
// (line n into row n, red identifiers that block export and OK, 128 lines out
// whatever was imported) and files that are refused.
#include "FactoryDialogRig.h"

using namespace factorytest;
using uitest::kRed;
using uitest::kWhite;
using uitest::TypeIntoCell;

namespace {

constexpr int kId = ListGrid::kIdentifierColumn;

} // namespace

TEST(frmFsDialogLists, TypingInTheStationGridKeepsTheRule) {
    DialogRig rig;
    GridControl& grid = rig.stations();
    EXPECT_EQ(grid.Rows(), 128);
    EXPECT_EQ(grid.TextMatrix(127, 0), QStringLiteral("128"));
    EXPECT_EQ(grid.TextMatrix(1, kId), QStringLiteral("TANK YARD A"));
    EXPECT_FALSE(grid.EditCell(3, 0)); // the numbers are fixed

    ASSERT_TRUE(TypeIntoCell(grid, 3, kId, QStringLiteral("abc")));
    EXPECT_EQ(grid.TextMatrix(3, kId), QStringLiteral("abc"));
    EXPECT_EQ(grid.CellBackColor(3, kId), kRed);
    // A 17th character and keys outside the list keys are dropped.
    ASSERT_TRUE(TypeIntoCell(grid, 4, kId, QStringLiteral("AB.CDEFGHIJKLMNOPQR")));
    EXPECT_EQ(grid.TextMatrix(4, kId), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(grid.CellBackColor(4, kId), kWhite);
    ASSERT_TRUE(TypeIntoCell(grid, 3, kId, QStringLiteral("GATE <3>")));
    EXPECT_EQ(grid.CellBackColor(3, kId), kWhite);

    // The user grid takes any key, but no more than 16 characters, and is not
    // coloured by typing; what the detector holds is shown white.
    GridControl& users = rig.users();
    EXPECT_EQ(users.TextMatrix(1, kId), QStringLiteral("K. TANAKA"));
    EXPECT_EQ(users.CellBackColor(1, kId), kWhite);
    ASSERT_TRUE(TypeIntoCell(users, 2, kId, QStringLiteral("m. sato of team 12")));
    EXPECT_EQ(users.TextMatrix(2, kId), QStringLiteral("m. sato of team "));
    EXPECT_EQ(users.CellBackColor(2, kId), kWhite);
}

TEST(frmFsDialogLists, TheLabelCountsTheLeadingBlanks) {
    DialogRig rig;
    GridControl& grid = rig.stations();
    ASSERT_TRUE(TypeIntoCell(grid, 2, kId, QStringLiteral("  AB")));
    grid.setCurrentCell(1, kId);
    grid.setCurrentCell(2, kId);
    EXPECT_EQ(rig.dialog->lblSpaceCount->text(), QStringLiteral("(Left space 2)"));
    grid.setCurrentCell(2, 0);
    EXPECT_EQ(rig.dialog->lblSpaceCount->text(), QString());
    // While typing the label follows the text.
    grid.setCurrentCell(5, kId);
    ASSERT_TRUE(grid.EditCell(5, kId));
    QWidget* editor = grid.ActiveEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, QStringLiteral("   "));
    EXPECT_EQ(rig.dialog->lblSpaceCount->text(), QStringLiteral("(Left space 3)"));
    QTest::keyClicks(editor, QStringLiteral("X"));
    EXPECT_EQ(rig.dialog->lblSpaceCount->text(), QStringLiteral("(Left space 3)"));
    QTest::keyClick(editor, Qt::Key_Escape);
    grid.setCurrentCell(6, kId);
    grid.setCurrentCell(5, kId);
    EXPECT_EQ(grid.TextMatrix(5, kId), QString(16, QLatin1Char('-')));
    EXPECT_EQ(rig.dialog->lblSpaceCount->text(), QStringLiteral("(Left space 0)"));
}

TEST(frmFsDialogLists, ImportTakesLineNIntoRowNAndMarksTheEntries) {
    DialogRig rig;
    GridControl& grid = rig.stations();
    const QString earlier = grid.TextMatrix(5, kId);
    ASSERT_TRUE(WriteAll(rig.file(QStringLiteral("Station.csv")),
                         "7,AB C-1\r\n3,NORTH,GATE\r\n3\tGATE 4\r\n"));
    rig.nextFile = rig.file(QStringLiteral("Station.csv"));
    rig.dialog->cmdStationImport->click();
    ASSERT_EQ(rig.fileRequests.size(), 1);
    EXPECT_EQ(rig.fileRequests.at(0).kind, FileRequest::Kind::Open);
    EXPECT_TRUE(
        rig.fileRequests.at(0).filter.startsWith(QStringLiteral("Comma separated (*.csv)")));
    EXPECT_EQ(grid.TextMatrix(0, kId), QStringLiteral("AB C-1"));
    EXPECT_EQ(grid.TextMatrix(1, kId), QStringLiteral("NORTH,GATE"));
    EXPECT_EQ(grid.TextMatrix(2, kId), QStringLiteral("GATE 4"));
    EXPECT_EQ(grid.TextMatrix(5, kId), earlier);
    EXPECT_EQ(grid.CellBackColor(0, kId), kWhite);
    EXPECT_EQ(grid.CellBackColor(1, kId), kRed);
    EXPECT_EQ(grid.CellBackColor(2, kId), kWhite);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rig.dialog->WorkingRecord().Change_StationList(i), i < 3) << i;

    // The red entry blocks the station export and OK.
    rig.nextFile = rig.file(QStringLiteral("Out.csv"));
    rig.dialog->cmdStationExport->click();
    EXPECT_TRUE(rig.wasAsked(rig.improper(kMsgStationList)));
    EXPECT_EQ(rig.asked.back().icon, QMessageBox::Critical);
    EXPECT_EQ(rig.asked.back().title, QStringLiteral("TQ-7350 - Setup Program"));
    EXPECT_FALSE(QFile::exists(rig.file(QStringLiteral("Out.csv"))));
    rig.asked.clear();
    rig.dialog->cmdOK->click();
    EXPECT_TRUE(rig.wasAsked(rig.improper(kMsgStationList)));
    EXPECT_TRUE(rig.dialog->isVisible());
    EXPECT_EQ(rig.record.StationList(0), QStringLiteral("STATION-01"));

    // Corrected, OK takes the three imported entries; an entry imported with
    // the value it had travels back flagged too.
    ASSERT_TRUE(TypeIntoCell(grid, 1, kId, QStringLiteral("NORTH GATE")));
    rig.dialog->cmdOK->click();
    EXPECT_EQ(rig.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(rig.record.StationList(0), QStringLiteral("AB C-1"));
    EXPECT_EQ(rig.record.StationList(1), QStringLiteral("NORTH GATE"));
    EXPECT_EQ(rig.record.StationList(2), QStringLiteral("GATE 4"));
    EXPECT_TRUE(rig.record.Change_StationList(2));
    EXPECT_FALSE(rig.record.Change_StationList(3));
}

TEST(frmFsDialogLists, ARedUserListBlocksOkButNotTheUserExport) {
    DialogRig rig;
    ASSERT_TRUE(WriteAll(rig.file(QStringLiteral("User.csv")), "1,ABCDEFGHIJKLMNOPQ\r\n"));
    rig.nextFile = rig.file(QStringLiteral("User.csv"));
    rig.dialog->cmdUserImport->click();
    GridControl& users = rig.users();
    EXPECT_EQ(users.CellBackColor(0, kId), kRed);
    // The imported rows and every other row are checked: K. TANAKA is red now.
    EXPECT_EQ(users.CellBackColor(1, kId), kRed);

    rig.nextFile = rig.file(QStringLiteral("Users out.csv"));
    rig.dialog->cmdUserExport->click();
    EXPECT_TRUE(rig.wasAsked(QStringLiteral("Export Complete")));
    EXPECT_TRUE(ReadAll(rig.nextFile).startsWith("1,ABCDEFGHIJKLMNOPQ\r\n2,K. TANAKA\r\n"));
    rig.asked.clear();
    rig.dialog->cmdOK->click();
    EXPECT_TRUE(rig.wasAsked(rig.improper(kMsgUserList)));
    EXPECT_TRUE(rig.dialog->isVisible());
    EXPECT_EQ(rig.record.UserList(0), QStringLiteral("USER-01"));
}

TEST(frmFsDialogLists, ExportAfterAShortImportStillWrites128Lines) {
    DialogRig rig;
    GridControl& grid = rig.stations();
    const QString row4 = grid.TextMatrix(4, kId);
    ASSERT_TRUE(WriteAll(rig.file(QStringLiteral("in.csv")), "1,A\r\n2,B\r\n3,C\r\n"));
    rig.nextFile = rig.file(QStringLiteral("in.csv"));
    rig.dialog->cmdStationImport->click();
    rig.nextFile = rig.file(QStringLiteral("out.csv"));
    rig.dialog->cmdStationExport->click();
    ASSERT_EQ(rig.fileRequests.size(), 2);
    EXPECT_EQ(rig.fileRequests.at(1).kind, FileRequest::Kind::Save);
    EXPECT_EQ(rig.fileRequests.at(1).proposedName, QStringLiteral("Station.csv"));
    EXPECT_TRUE(rig.wasAsked(QStringLiteral("Export Complete")));
    const QList<QByteArray> lines = ReadAll(rig.nextFile).split('\n');
    ASSERT_EQ(lines.size(), 129);
    EXPECT_EQ(lines.at(2), QByteArray("3,C\r"));
    EXPECT_EQ(lines.at(1), QByteArray("2,B\r"));
    EXPECT_EQ(lines.at(4), "5," + row4.toLatin1() + "\r");
    EXPECT_EQ(lines.at(127), "128," + grid.TextMatrix(127, kId).toLatin1() + "\r");
    // Cancelling the save dialog writes nothing and says nothing.
    rig.asked.clear();
    rig.nextFile.clear();
    rig.dialog->cmdStationExport->click();
    EXPECT_TRUE(rig.asked.empty());
}

TEST(frmFsDialogLists, ARefusedFileLeavesTheGridAndTheFlagsAlone) {
    DialogRig rig;
    GridControl& grid = rig.stations();
    const QStringList before = rig.dialog->StationGrid()->Identifiers();
    // Which files are refused: tests/records; here what the dialog does.
    ASSERT_TRUE(WriteAll(rig.file(QStringLiteral("bad.csv")), QByteArray("1,A\r\n2,B\0\r\n", 11)));
    rig.nextFile = rig.file(QStringLiteral("bad.csv"));
    rig.asked.clear();
    rig.dialog->cmdStationImport->click();
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked.front().icon, QMessageBox::Critical);
    EXPECT_TRUE(rig.asked.front().text.contains(LoadMessage(kMsgListFileNothingChanged)));
    EXPECT_EQ(rig.dialog->StationGrid()->Identifiers(), before);
    EXPECT_FALSE(rig.dialog->WorkingRecord().Change_StationList(0));
    EXPECT_EQ(grid.CellBackColor(0, kId), kWhite);
    // An export into a folder that does not exist: the reason, no file.
    rig.asked.clear();
    rig.nextFile = rig.file(QStringLiteral("no/such/Station.csv"));
    rig.dialog->cmdStationExport->click();
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked.front().icon, QMessageBox::Critical);
    EXPECT_FALSE(rig.wasAsked(QStringLiteral("Export Complete")));
}
