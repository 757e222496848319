// The grid control: shape, fixed cells, colours, merged cells, and the edit
// events with their cancel flags, driven by real key presses and clicks.
#include "ui/GridControl.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct GridWindow {
    std::unique_ptr<GridControl> grid = std::make_unique<GridControl>();
    std::vector<std::string> events;

    GridWindow() {
        grid->setCols(4);
        grid->setRows(5);
        grid->setFixedRows(1);
        grid->resize(480, 260);
        for (int c = 0; c < 4; ++c)
            grid->setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
        grid->setTextMatrix(1, 1, QStringLiteral("old"));
        grid->show();
        grid->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(grid.get()));
        grid->setFocus();
        QObject::connect(grid.get(), &GridControl::BeforeEdit, [this](int r, int c, bool&) {
            events.push_back("before " + std::to_string(r) + "," + std::to_string(c));
        });
        QObject::connect(grid.get(), &GridControl::ValidateEdit, [this](int r, int c, bool&) {
            events.push_back("validate " + std::to_string(r) + "," + std::to_string(c) + " " +
                             grid->EditText().toStdString());
        });
        QObject::connect(grid.get(), &GridControl::AfterEdit, [this](int r, int c) {
            events.push_back("after " + std::to_string(r) + "," + std::to_string(c));
        });
    }

    // Keys go where a person's keys would go: into the editor once it is open.
    void type(const QString& text) {
        for (const QChar ch : text) {
            QWidget* target = grid->ActiveEditor() ? grid->ActiveEditor() : grid.get();
            QTest::keyClick(target, ch.toLatin1());
        }
    }
    void key(Qt::Key k) {
        QWidget* target = grid->ActiveEditor() ? grid->ActiveEditor() : grid.get();
        QTest::keyClick(target, k);
    }
    void click(int row, int col) {
        const QRect rect = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void doubleClick(int row, int col) {
        const QRect rect = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Delivers queued AfterEdit events.
    static void settle() { QCoreApplication::processEvents(); }
    bool saw(const std::string& event) const {
        for (const auto& e : events) {
            if (e == event)
                return true;
        }
        return false;
    }
};

} // namespace

TEST(GridControl, ShapeFixedCellsColoursAndMerges) {
    GridControl grid;
    grid.setCols(5);
    grid.setRows(4);
    grid.setFixedRows(2);
    grid.setFixedCols(1);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Cols(), 5);
    EXPECT_TRUE(grid.IsFixedCell(1, 3));
    EXPECT_TRUE(grid.IsFixedCell(3, 0));
    EXPECT_FALSE(grid.IsFixedCell(2, 1));
    EXPECT_EQ(grid.CellBackColor(0, 2), grid.BackColorFixed());
    EXPECT_EQ(grid.CellBackColor(2, 2), QColor(255, 255, 255));
    grid.setCellBackColor(2, 2, QColor(255, 0, 0));
    EXPECT_EQ(grid.CellBackColor(2, 2), QColor(255, 0, 0));
    grid.setTextMatrix(3, 4, QStringLiteral("x"));
    EXPECT_EQ(grid.TextMatrix(3, 4), QStringLiteral("x"));
    EXPECT_EQ(grid.TextMatrix(9, 9), QString()); // outside the grid: nothing
    grid.setTextMatrix(9, 9, QStringLiteral("ignored"));

    grid.MergeCells(0, 1, 1, 3);
    EXPECT_EQ(grid.columnSpan(0, 1), 3);
    grid.MergeCells(2, 3, 5, 9); // clipped to the grid
    EXPECT_EQ(grid.columnSpan(2, 3), 2);
    EXPECT_EQ(grid.rowSpan(2, 3), 2);

    grid.setCellChecked(2, 3, true);
    grid.setCellComboList(2, 2, QStringLiteral("A|B"));
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(3, 4), QString());
    EXPECT_EQ(grid.CellBackColor(2, 2), QColor(255, 255, 255));
    EXPECT_EQ(grid.columnSpan(0, 1), 1);
    EXPECT_EQ(grid.CellChecked(2, 3), GridControl::CheckState::None);
    EXPECT_TRUE(grid.ComboListFor(2, 2).isEmpty());
}

TEST(GridControl, TypingRunsTheEditEventsAndStoresTheText) {
    GridWindow w;
    int changes = 0;
    std::vector<int> keys;
    QObject::connect(w.grid.get(), &GridControl::ChangeEdit, [&]() { ++changes; });
    QObject::connect(w.grid.get(), &GridControl::KeyPressEdit,
                     [&](int, int, int& k) { keys.push_back(k); });
    w.grid->setCurrentCell(2, 1);
    w.type(QStringLiteral("12"));
    ASSERT_NE(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->EditText(), QStringLiteral("12"));
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(2, 1), QStringLiteral("12"));
    EXPECT_FALSE(w.saw("after 2,1")); // delivered from the event loop
    w.settle();
    const std::vector<std::string> expected = {"before 2,1", "validate 2,1 12", "after 2,1"};
    EXPECT_EQ(w.events, expected);
    EXPECT_EQ(keys, (std::vector<int>{'1', '2'}));
    EXPECT_EQ(changes, 2);

    // Code that writes cells raises no events.
    w.events.clear();
    w.grid->setTextMatrix(2, 1, QStringLiteral("9"));
    w.grid->setCellChecked(3, 3, true);
    w.settle();
    EXPECT_TRUE(w.events.empty());
}

TEST(GridControl, BeforeEditCanRefuseAndFixedCellsNeverEdit) {
    GridWindow w;
    QObject::connect(w.grid.get(), &GridControl::BeforeEdit,
                     [](int r, int, bool& cancel) { cancel = r == 3; });
    w.grid->setCurrentCell(3, 2);
    w.type(QStringLiteral("5"));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(3, 2), QString());
    EXPECT_TRUE(w.saw("before 3,2"));
    // Typing on a refused cell does not move the current cell either.
    EXPECT_EQ(w.grid->Row(), 3);

    // Fixed cells: no event at all, no editor, text untouched.
    w.events.clear();
    w.doubleClick(0, 1);
    EXPECT_FALSE(w.grid->EditCell(0, 2));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(0, 1), QStringLiteral("H1"));
    EXPECT_TRUE(w.events.empty());

    // A grid switched to read-only opens nothing.
    w.grid->setEditable(false);
    EXPECT_FALSE(w.grid->EditCell(2, 2));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    w.grid->setEditable(true);
    EXPECT_TRUE(w.grid->EditCell(2, 2));
    EXPECT_NE(w.grid->ActiveEditor(), nullptr);
}

TEST(GridControl, RefusedValidationKeepsThePreviousText) {
    GridWindow w;
    bool refuse = true;
    QObject::connect(w.grid.get(), &GridControl::ValidateEdit,
                     [&](int, int, bool& cancel) { cancel = refuse; });
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("bad"));
    w.key(Qt::Key_Return);
    // Enter on a refused text: the editor stays open for a correction.
    ASSERT_NE(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("old"));
    w.key(Qt::Key_Escape);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("old"));

    // Leaving the cell with a refused text closes the editor; the old text stays.
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("bad"));
    w.click(3, 3);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("old"));
    w.settle();
    EXPECT_FALSE(w.saw("after 1,1"));

    // A handler may replace the text being stored.
    refuse = false;
    QObject::connect(w.grid.get(), &GridControl::ValidateEdit, [&](int, int, bool&) {
        w.grid->setEditText(w.grid->EditText() + QStringLiteral(".0"));
    });
    w.grid->setCurrentCell(1, 1);
    w.type(QStringLiteral("7"));
    w.key(Qt::Key_Tab);
    EXPECT_EQ(w.grid->TextMatrix(1, 1), QStringLiteral("7.0"));
}

TEST(GridControl, KeyPressEditDropsAndReplacesKeys) {
    GridWindow w;
    QObject::connect(w.grid.get(), &GridControl::KeyPressEdit, [](int, int, int& key) {
        if (key == 'x')
            key = 0;
        else if (key >= 'a' && key <= 'z')
            key = key - 'a' + 'A';
    });
    w.grid->setCurrentCell(2, 2);
    w.type(QStringLiteral("axb"));
    w.key(Qt::Key_Backspace);
    w.type(QStringLiteral("c"));
    EXPECT_EQ(w.grid->EditText(), QStringLiteral("AC"));
    w.key(Qt::Key_Enter);
    EXPECT_EQ(w.grid->TextMatrix(2, 2), QStringLiteral("AC"));
}

TEST(GridControl, CheckBoxCells) {
    GridWindow w;
    w.grid->setCellChecked(2, 3, false);
    w.grid->setCellChecked(0, 3, false); // in a fixed row
    bool refuse = false;
    GridControl::CheckState seenInAfterEdit = GridControl::CheckState::None;
    QObject::connect(w.grid.get(), &GridControl::BeforeEdit,
                     [&](int, int, bool& cancel) { cancel = refuse; });
    QObject::connect(w.grid.get(), &GridControl::AfterEdit,
                     [&](int r, int c) { seenInAfterEdit = w.grid->CellChecked(r, c); });

    w.click(2, 3);
    EXPECT_EQ(w.grid->CellChecked(2, 3), GridControl::CheckState::Checked);
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr); // no text editor for a box
    w.settle();
    EXPECT_EQ(seenInAfterEdit, GridControl::CheckState::Checked);

    w.grid->setCurrentCell(2, 3);
    w.key(Qt::Key_Space);
    EXPECT_EQ(w.grid->CellChecked(2, 3), GridControl::CheckState::Unchecked);
    w.settle();

    refuse = true;
    w.events.clear();
    w.click(2, 3);
    EXPECT_EQ(w.grid->CellChecked(2, 3), GridControl::CheckState::Unchecked);
    w.settle();
    EXPECT_TRUE(w.saw("before 2,3"));
    EXPECT_FALSE(w.saw("after 2,3"));

    refuse = false;
    w.click(0, 3);
    EXPECT_EQ(w.grid->CellChecked(0, 3), GridControl::CheckState::Unchecked);
    w.grid->setEditable(false);
    w.click(2, 3);
    EXPECT_EQ(w.grid->CellChecked(2, 3), GridControl::CheckState::Unchecked);
}

TEST(GridControl, DropDownListsOfferTheirItems) {
    GridWindow w;
    w.grid->setRowComboList(3, QStringLiteral("10|20|30"));
    w.grid->setCellComboList(3, 2, QStringLiteral("A|B|C"));
    EXPECT_EQ(w.grid->ComboListFor(3, 1), QStringLiteral("10|20|30"));
    EXPECT_EQ(w.grid->ComboListFor(3, 2), QStringLiteral("A|B|C"));
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
    w.grid->setCellBackColor(2, 0, QColor(255, 0, 0));
    w.grid->setTextMatrix(2, 0, QStringLiteral("text"));
    const QImage image = w.grid->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect red = w.grid->visualRect(w.grid->model()->index(2, 0));
    const QRect fixed = w.grid->visualRect(w.grid->model()->index(0, 2));
    const QPoint inRed = (red.bottomRight() - QPoint(4, 4)) * ratio;
    const QPoint inFixed = (fixed.topLeft() + QPoint(3, 3)) * ratio;
    EXPECT_EQ(image.pixelColor(inRed), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(inFixed), w.grid->BackColorFixed());
}
