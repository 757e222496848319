// The grid control: shape, fixed cells, colours, merged cells, and the edit
// events with their cancel flags, driven by real key presses and clicks.
#include "UiTestKit.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <string>

namespace {

using Check = GridControl::CheckState;

struct GridWindow {
    std::unique_ptr<GridControl> grid = std::make_unique<GridControl>();
    std::vector<std::string> events;
    bool refuseBefore = false, refuseValidate = false;

    GridWindow() {
        grid->setCols(4);
        grid->setRows(5);
        grid->setFixedRows(1);
        grid->resize(480, 260);
        grid->setTextMatrix(0, 1, QStringLiteral("H1"));
        grid->setTextMatrix(1, 1, QStringLiteral("old"));
        grid->show();
        grid->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(grid.get()));
        grid->setFocus();
        auto log = [this](const char* what, int r, int c, const std::string& more = {}) {
            events.push_back(what + std::to_string(r) + "," + std::to_string(c) + more);
        };
        QObject::connect(grid.get(), &GridControl::BeforeEdit, [this, log](int r, int c, bool& no) {
            log("before ", r, c);
            no = refuseBefore;
        });
        QObject::connect(grid.get(), &GridControl::ValidateEdit,
                         [this, log](int r, int c, bool& no) {
                             log("validate ", r, c, " " + grid->EditText().toStdString());
                             no = refuseValidate;
                         });
        QObject::connect(grid.get(), &GridControl::AfterEdit,
                         [log](int r, int c) { log("after ", r, c); });
    }

    // Keys go where a person's keys would go: into the editor once it is open.
    void type(const QString& text) {
        for (const QChar ch : text)
            QTest::keyClick(target(), ch.toLatin1());
    }
    void key(Qt::Key k) { QTest::keyClick(target(), k); }
    QWidget* target() const { return grid->ActiveEditor() ? grid->ActiveEditor() : grid.get(); }
    void click(int row, int col, bool twice = false) {
        const QPoint at = grid->visualRect(grid->model()->index(row, col)).center();
        if (twice)
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    bool saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
};

// Delivers queued AfterEdit events.
void Settle() {
    QCoreApplication::processEvents();
}

} // namespace

TEST(GridControl, ShapeFixedCellsColoursAndMerges) {
    GridControl grid;
    grid.setCols(5);
    grid.setRows(4);
    grid.setFixedRows(2);
    grid.setFixedCols(1);
    EXPECT_TRUE(grid.IsFixedCell(1, 3));
    EXPECT_TRUE(grid.IsFixedCell(3, 0));
    EXPECT_FALSE(grid.IsFixedCell(2, 1));
    EXPECT_EQ(grid.CellBackColor(0, 2), grid.BackColorFixed());
    EXPECT_EQ(grid.CellBackColor(2, 2), uitest::kWhite);
    grid.setCellBackColor(2, 2, uitest::kRed);
    grid.setTextMatrix(3, 4, QStringLiteral("x"));
    grid.setTextMatrix(9, 9, QStringLiteral("ignored")); // outside the grid: nothing
    EXPECT_EQ(grid.TextMatrix(9, 9), QString());

    grid.MergeCells(0, 1, 1, 3);
    EXPECT_EQ(grid.columnSpan(0, 1), 3);
    grid.MergeCells(2, 3, 5, 9); // clipped to the grid
    EXPECT_EQ(grid.columnSpan(2, 3), 2);
    EXPECT_EQ(grid.rowSpan(2, 3), 2);

    // Clear removes texts, colours, merges, boxes and lists; the shape stays.
    grid.setCellChecked(2, 3, true);
    grid.setCellComboList(2, 2, QStringLiteral("A|B"));
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(3, 4), QString());
    EXPECT_EQ(grid.CellBackColor(2, 2), uitest::kWhite);
    EXPECT_EQ(grid.columnSpan(0, 1), 1);
    EXPECT_EQ(grid.CellChecked(2, 3), Check::None);
    EXPECT_TRUE(grid.ComboListFor(2, 2).isEmpty());
}

TEST(GridControl, TypingRunsTheEditEventsAndKeyFilter) {
    GridWindow w;
    int changes = 0;
    QObject::connect(w.grid.get(), &GridControl::ChangeEdit, [&]() { ++changes; });
    QObject::connect(w.grid.get(), &GridControl::KeyPressEdit, [](int, int, int& key) {
        if (key == 'x')
            key = 0; // dropped
        else if (key >= 'a' && key <= 'z')
            key = key - 'a' + 'A';
    });
    w.grid->setCurrentCell(2, 1);
    w.type(QStringLiteral("1"));
    EXPECT_EQ(changes, 1);
    // Every accepted key is one change, a replaced one too; a dropped key none.
    w.type(QStringLiteral("axb"));
    EXPECT_EQ(changes, 3);
    w.key(Qt::Key_Backspace);
    w.type(QStringLiteral("c"));
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(w.grid->EditText(), QStringLiteral("1AC"));
    // A shortcut is no typed character: the filter does not see it, the
    // editor selects all.
    QTest::keyClick(w.target(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.grid->EditText(), QStringLiteral("1AC"));
    EXPECT_EQ(qobject_cast<QLineEdit*>(w.target())->selectedText(), QStringLiteral("1AC"));
    w.key(Qt::Key_End);
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(2, 1), QStringLiteral("1AC"));
    EXPECT_FALSE(w.saw("after 2,1")); // delivered from the event loop
    Settle();
    EXPECT_EQ(w.events, (std::vector<std::string>{"before 2,1", "validate 2,1 1AC", "after 2,1"}));

    // Code that writes cells raises no events.
    w.events.clear();
    w.grid->setTextMatrix(2, 1, QStringLiteral("9"));
    w.grid->setCellChecked(3, 3, true);
    Settle();
    EXPECT_TRUE(w.events.empty());
}

TEST(GridControl, BeforeEditCanRefuseAndFixedCellsNeverEdit) {
    GridWindow w;
    w.refuseBefore = true;
    w.grid->setCurrentCell(3, 2);
    w.type(QStringLiteral("5"));
    EXPECT_TRUE(w.saw("before 3,2"));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(3, 2), QString());
    EXPECT_EQ(w.grid->Row(), 3); // typing on a refused cell does not move either

    // Fixed cells: no event at all, no editor, text untouched.
    w.refuseBefore = false;
    w.events.clear();
    w.click(0, 1, true);
    EXPECT_FALSE(w.grid->EditCell(0, 2));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(0, 1), QStringLiteral("H1"));
    EXPECT_TRUE(w.events.empty());

    // A grid switched to read-only opens nothing.
    w.grid->setEditable(false);
    EXPECT_FALSE(w.grid->EditCell(2, 2));
    w.grid->setEditable(true);
    EXPECT_TRUE(w.grid->EditCell(2, 2));
}

TEST(GridControl, RefusedValidationKeepsThePreviousText) {
    GridWindow w;
    w.refuseValidate = true;
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("bad"));
    w.key(Qt::Key_Return);
    // Enter on a refused text: the editor stays open for a correction.
    ASSERT_NE(w.grid->ActiveEditor(), nullptr);
    w.key(Qt::Key_Escape);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("old"));

    // Leaving the cell with a refused text closes the editor; the old text stays.
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("bad"));
    w.click(3, 3);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("old"));
    Settle();
    EXPECT_FALSE(w.saw("after 1,1"));

    // A handler may replace the text being stored.
    w.refuseValidate = false;
    QObject::connect(w.grid.get(), &GridControl::ValidateEdit, [&](int, int, bool&) {
        w.grid->setEditText(w.grid->EditText() + QStringLiteral(".0"));
    });
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("7"));
    w.key(Qt::Key_Tab);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("7.0"));
}

TEST(GridControl, CheckBoxCells) {
    GridWindow w;
    w.grid->setCellChecked(2, 3, false);
    w.grid->setCellChecked(0, 3, false); // in a fixed row
    Check seenInAfterEdit = Check::None;
    QObject::connect(w.grid.get(), &GridControl::AfterEdit,
                     [&](int r, int c) { seenInAfterEdit = w.grid->CellChecked(r, c); });

    w.click(2, 3);
    EXPECT_EQ(w.grid->CellChecked(2, 3), Check::Checked);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr); // no text editor for a box
    Settle();
    EXPECT_EQ(seenInAfterEdit, Check::Checked);
    w.grid->setCurrentCell(2, 3);
    w.key(Qt::Key_Space);
    EXPECT_EQ(w.grid->CellChecked(2, 3), Check::Unchecked);
    Settle();

    // Refused by BeforeEdit, in a fixed row or on a read-only grid: no toggle.
    w.refuseBefore = true;
    w.events.clear();
    w.click(2, 3);
    Settle();
    EXPECT_EQ(w.events, std::vector<std::string>{"before 2,3"});
    w.refuseBefore = false;
    w.click(0, 3);
    w.grid->setEditable(false);
    w.click(2, 3);
    EXPECT_EQ(w.grid->CellChecked(2, 3), Check::Unchecked);
    EXPECT_EQ(w.grid->CellChecked(0, 3), Check::Unchecked);
}

TEST(GridControl, DropDownListsOfferTheirItems) {
    GridWindow w;
    w.grid->setRowComboList(3, QStringLiteral("10|20|30"));
    w.grid->setCellComboList(3, 2, QStringLiteral("A|B|C")); // wins over the row's list
    EXPECT_EQ(w.grid->ComboListFor(3, 1), QStringLiteral("10|20|30"));
    EXPECT_TRUE(w.grid->ComboListFor(2, 2).isEmpty());

    ASSERT_TRUE(w.grid->EditCell(3, 2));
    auto* combo = qobject_cast<QComboBox*>(w.grid->ActiveEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_FALSE(combo->isEditable());
    combo->setCurrentIndex(1);
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->TextMatrix(3, 2), QStringLiteral("B"));

    // A leading "|" allows free text as well.
    w.grid->setCellComboList(2, 1, QStringLiteral("|X|Y"));
    ASSERT_TRUE(w.grid->EditCell(2, 1));
    combo = qobject_cast<QComboBox*>(w.grid->ActiveEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 2);
}

TEST(GridControl, CellColoursAreDrawn) {
    GridWindow w;
    w.grid->setCellBackColor(2, 0, uitest::kRed);
    w.grid->setTextMatrix(2, 0, QStringLiteral("text"));
    const QImage image = w.grid->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect red = w.grid->visualRect(w.grid->model()->index(2, 0));
    const QRect fixed = w.grid->visualRect(w.grid->model()->index(0, 2));
    EXPECT_EQ(image.pixelColor((red.bottomRight() - QPoint(4, 4)) * ratio), uitest::kRed);
    EXPECT_EQ(image.pixelColor((fixed.topLeft() + QPoint(3, 3)) * ratio), w.grid->BackColorFixed());
}

// A window closed while a cell is being edited: the grid goes with the
// editor open. Once its destructor has begun, the editor's last events must
// not reach the grid as edits (under the sanitizers such a call into the
// half-destroyed grid ends the test).
TEST(GridControl, DestroyedWithAnEditorOpenRaisesNoEdit) {
    struct DyingGrid : GridControl {
        bool* dying = nullptr;
        ~DyingGrid() override { *dying = true; }
    };
    bool dying = false;
    std::vector<std::string> late;
    auto grid = std::make_unique<DyingGrid>();
    grid->dying = &dying;
    grid->setCols(3);
    grid->setRows(3);
    grid->resize(300, 150);
    grid->show();
    grid->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid.get()));
    auto note = [&dying, &late](const char* what) {
        if (dying)
            late.push_back(what);
    };
    QObject::connect(grid.get(), &GridControl::ValidateEdit,
                     [note](int, int, bool&) { note("validate"); });
    QObject::connect(grid.get(), &GridControl::AfterEdit, [note](int, int) { note("after"); });
    QObject::connect(grid.get(), &GridControl::ChangeEdit, [note] { note("change"); });
    grid->setFocus();
    ASSERT_TRUE(grid->EditCell(1, 1));
    ASSERT_NE(grid->ActiveEditor(), nullptr);
    QTest::keyClicks(grid->ActiveEditor(), QStringLiteral("typed"));
    grid.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(late.empty()) << late.front();
}
