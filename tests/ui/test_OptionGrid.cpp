// The option grid bound to a record: filling, locking and colouring, typed
// alarm points with their limits and rounding, and the Enable box with its
// question and the gas selection dialog.
#include "UiTestKit.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/calibration/frmGasSel.h"
#include "ui/main/OptionGrid.h"

#include <QPushButton>
#include <QRadioButton>

namespace {

using Check = GridControl::CheckState;
using uitest::kRed;
using uitest::kWhite;
constexpr float N = -101.0f;

struct OptionGridWindow : uitest::BoxRecorder {
    AppSettings settings;
    clsInstrument record;
    clsInstrument defaults;
    std::unique_ptr<GridControl> grid = std::make_unique<GridControl>();
    std::unique_ptr<OptionGrid> options;
    int refreshes = 0;

    // The first built-in gas on every channel, as if imported from a file.
    OptionGridWindow() {
        modGasCommon::LoadBuiltInGasList(settings);
        for (int ch = 0; ch < 5; ++ch) {
            modGasCommon::ApplyGasSelection(record, settings, false, ch, 0);
            OptionRules::SettleSelectedGas(record, ch);
            defaults.setAutoCalib(ch, 100.0f + ch);
        }
        record.setImportFlag(true);
        record.ClearChangeFlags();
        options = std::make_unique<OptionGrid>(record, defaults, settings, grid.get());
        options->setRefreshAllHandler([this]() {
            ++refreshes;
            options->Refresh(true);
        });
        options->Refresh(true);
        grid->resize(760, 260);
        grid->show();
        grid->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(grid.get()));
    }
    void refresh() { options->Refresh(true); }

    QString cell(int ch, int col) const { return grid->TextMatrix(ch + 2, col); }
    QColor colour(int ch, int col) const { return grid->CellBackColor(ch + 2, col); }
    bool locked(int ch, int col) const { return colour(ch, col) == grid->BackColorFixed(); }
    Check enabled(int ch) const { return grid->CellChecked(ch + 2, 1); }
    bool type(int ch, int col, const QString& text) {
        return uitest::TypeIntoCell(*grid, ch + 2, col, text);
    }
    void clickEnable(int ch) { uitest::ClickCell(*grid, ch + 2, 1); }
};

// Chooses the first gas offered (or cancels) once the dialog opens.
void AnswerGasDialog(bool choose) {
    uitest::WhenModalOpens<frmGasSel>([choose](frmGasSel* dialog) {
        dialog->optGasList[0]->click();
        dialog->cmdGasSel[choose ? 0 : 1]->click();
    });
}

} // namespace

TEST(OptionGrid, RefreshFillsHeadersAndChannelRows) {
    OptionGridWindow w;
    GridControl& g = *w.grid;
    EXPECT_EQ(g.Rows(), 7);
    EXPECT_EQ(g.FixedRows(), 2);
    EXPECT_EQ(g.TextMatrix(0, 2), LoadMessage(5672));
    EXPECT_EQ(g.columnSpan(0, 2), 4);

    const char* labels[] = {"CH4(100%LEL)", "O2(40.0VOL%)", "CO(500ppm)", "H2S(100.0ppm)",
                            "CH4(VOL%)"};
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_EQ(w.cell(ch, 0), QString::fromLatin1(labels[ch]));
        EXPECT_EQ(w.enabled(ch), Check::Checked) << ch;
    }
    EXPECT_EQ(w.cell(1, 2), QStringLiteral("19.5"));
    EXPECT_EQ(w.cell(1, 4), QStringLiteral("-----"));
    EXPECT_EQ(w.cell(3, 3), QStringLiteral("30.0"));

    // The auto-cal array takes the record's values, the defaults where the
    // record has none (channels 0..3 only).
    w.record.setAutoCalib(2, N);
    w.settings.FactAutoCal[4] = 7;
    w.refresh();
    EXPECT_FLOAT_EQ(w.settings.FactAutoCal[0], 50.0f);
    EXPECT_FLOAT_EQ(w.settings.FactAutoCal[2], 102.0f);
    EXPECT_FLOAT_EQ(w.settings.FactAutoCal[4], 7.0f);
    EXPECT_EQ(w.cell(2, 6), QStringLiteral("-----"));

    // Without values: headers and four empty rows, nothing editable.
    w.options->Refresh(false);
    EXPECT_EQ(g.Rows(), 6);
    EXPECT_EQ(g.TextMatrix(0, 2), LoadMessage(5672));
    EXPECT_EQ(g.TextMatrix(2, 0), QString());
    EXPECT_EQ(g.CellChecked(2, 1), Check::None);
    EXPECT_FALSE(g.EditCell(2, 2));
}

TEST(OptionGrid, LockedAndRedCells) {
    OptionGridWindow w;
    // STEL and TWA of the combustible and oxygen channels, every point of
    // the volume channel.
    for (int ch = 0; ch < 5; ++ch) {
        for (int col = 2; col <= 5; ++col) {
            const bool lock = ch == 4 || (ch < 2 && col >= 4);
            EXPECT_EQ(w.locked(ch, col), lock) << ch << "/" << col;
            EXPECT_NE(w.colour(ch, col), kRed) << ch << "/" << col; // built-in: within the rules
        }
    }
    EXPECT_FALSE(w.locked(2, 1));

    // Values read from a detector can break the rules; they are shown red.
    w.record.setWarning(2, 60); // above the alarm point 50
    w.record.setStel(3, 40);    // above 30
    w.record.setAutoCalib(0, 5);
    w.settings.GasLocked[2] = true;
    w.refresh();
    EXPECT_EQ(w.colour(2, 2), kRed);
    EXPECT_EQ(w.colour(2, 3), kRed);
    EXPECT_EQ(w.colour(2, 4), kWhite);
    EXPECT_EQ(w.colour(3, 4), kRed);
    EXPECT_EQ(w.colour(0, 6), kRed);
    EXPECT_TRUE(w.locked(2, 1)); // a channel the configuration locks

    // Locked cells, the gas column and the headers open no editor.
    for (auto [row, col] : {std::pair{2, 4}, {6, 2}, {2, 0}, {1, 2}})
        EXPECT_FALSE(w.grid->EditCell(row, col)) << row << "/" << col;

    // A custom board locks channel 3 (its STEL above is red no more).
    w.record.setIsCustom(1);
    w.refresh();
    for (int col = 2; col <= 5; ++col)
        EXPECT_TRUE(w.locked(3, col)) << col;
    EXPECT_FALSE(w.type(3, 2, QStringLiteral("5")));
}

TEST(OptionGrid, TypedPointsAreRoundedAndChecked) {
    struct Typed {
        int ch, col;
        const char* text;
        bool taken;
        const char* shown; // the cell afterwards; null: the typed text
    };
    // The rules themselves: tests/model/test_OptionRules; here the grid
    // applies them to the cell and the record.
    const Typed table[] = {
        {3, 2, "10.3", true, "10.5"}, // rounded to the 0.5 step
        {0, 3, "61", false, nullptr}, // combustible alarm: 60 % of full scale
        {2, 2, "abc", false, nullptr}, {2, 6, "", true, "-----"}, // no auto-cal value
        {1, 6, "12", true, "12.0"},
    };
    OptionGridWindow w;
    for (const Typed& t : table) {
        SCOPED_TRACE(std::string(t.text) + " on " + std::to_string(t.ch) + "/" +
                     std::to_string(t.col));
        const float before = OptionRules::CellValue(w.record, t.ch, t.col);
        const QString shownBefore = w.cell(t.ch, t.col);
        w.record.ClearChangeFlags();
        EXPECT_EQ(w.type(t.ch, t.col, QString::fromLatin1(t.text)), t.taken);
        const float after = OptionRules::CellValue(w.record, t.ch, t.col);
        if (!t.taken) {
            EXPECT_FLOAT_EQ(after, before);
            EXPECT_EQ(w.cell(t.ch, t.col), shownBefore);
            continue;
        }
        const QString shown = QString::fromLatin1(t.shown ? t.shown : t.text);
        EXPECT_EQ(w.cell(t.ch, t.col), shown);
        EXPECT_FLOAT_EQ(after, shown == QStringLiteral("-----") ? N : shown.toFloat());
        if (t.col == 2) {
            EXPECT_TRUE(w.record.Change_Warn(t.ch));
        }
    }
}

TEST(OptionGrid, EditsRecolourTheRows) {
    OptionGridWindow w;
    EXPECT_TRUE(w.type(2, 2, QStringLiteral("60"))); // within 0..200, above alarm 50
    EXPECT_EQ(w.colour(2, 2), kRed);
    EXPECT_EQ(w.colour(2, 3), kRed);
    EXPECT_TRUE(w.type(2, 3, QStringLiteral("80")));
    EXPECT_EQ(w.colour(2, 2), kWhite);
    EXPECT_EQ(w.colour(2, 3), kWhite);
    // A new warning point can turn the auto-cal value red.
    EXPECT_TRUE(w.type(2, 2, QStringLiteral("70"))); // auto-cal 50 is below it
    EXPECT_EQ(w.colour(2, 6), kRed);
}

TEST(OptionGrid, ClearingTheEnableBoxAsksFirst) {
    OptionGridWindow w;
    w.answers = {QMessageBox::No, QMessageBox::Yes};
    w.clickEnable(2);
    ASSERT_EQ(w.asked.size(), 1u);
    EXPECT_EQ(w.asked[0].text, LoadMessage(5335));
    EXPECT_EQ(w.enabled(2), Check::Checked);
    EXPECT_TRUE(w.record.GasEnabled(2));
    EXPECT_FLOAT_EQ(w.record.Warning(2), 25.0f);
    EXPECT_EQ(w.refreshes, 0);

    w.clickEnable(2);
    ASSERT_EQ(w.asked.size(), 2u);
    EXPECT_FALSE(w.record.GasEnabled(2));
    EXPECT_TRUE(w.record.Change_GasEnable(2));
    for (int col = 2; col <= 6; ++col) {
        EXPECT_FLOAT_EQ(OptionRules::CellValue(w.record, 2, col), N) << col;
        EXPECT_EQ(w.cell(2, col), QStringLiteral("-----")) << col;
    }
    EXPECT_TRUE(w.record.GasEnabled(1)); // the other channels keep their state
    EXPECT_EQ(w.refreshes, 1);
    EXPECT_EQ(w.enabled(2), Check::Unchecked);
}

TEST(OptionGrid, TickingTheEnableBoxChoosesAGasOrClearsItAgain) {
    OptionGridWindow w;
    w.record.setGasEnabled(2, false);
    OptionRules::ClearChannelPoints(w.record, 2);
    w.record.setOverScale(2, 0);
    w.record.setGasEnabled(1, false);
    w.record.setAlarmO2(1);
    w.refresh();
    w.record.ClearChangeFlags();

    // Cancelled: the box is cleared again, nothing changes.
    AnswerGasDialog(false);
    w.clickEnable(2);
    EXPECT_FALSE(w.record.GasEnabled(2));
    EXPECT_FALSE(w.record.Change_GasEnable(2));
    EXPECT_EQ(w.enabled(2), Check::Unchecked);

    // Chosen: the channel takes the gas and its points.
    AnswerGasDialog(true);
    w.clickEnable(2);
    EXPECT_TRUE(w.asked.empty());
    EXPECT_TRUE(w.record.GasEnabled(2));
    EXPECT_EQ(w.record.GasName(2), QStringLiteral("CO"));
    EXPECT_FLOAT_EQ(w.record.Warning(2), 25.0f);
    EXPECT_FLOAT_EQ(w.record.Stel(2), 200.0f); // ppm: STEL and TWA kept
    EXPECT_EQ(w.record.OverScale(2), 1);
    EXPECT_FLOAT_EQ(w.settings.FactAutoCal[2], 50.0f);
    EXPECT_EQ(w.cell(2, 2), QStringLiteral("25"));
    EXPECT_EQ(w.enabled(2), Check::Checked);
    EXPECT_EQ(w.refreshes, 2);

    // Oxygen chosen: the oxygen alarm type starts over.
    AnswerGasDialog(true);
    w.clickEnable(1);
    EXPECT_EQ(w.record.AlarmO2(), 0);
    EXPECT_EQ(w.cell(1, 4), QStringLiteral("-----"));
    EXPECT_NE(w.colour(1, 2), kRed);
}

TEST(OptionGrid, LockedChannelsAndTheBusyFlag) {
    OptionGridWindow w;
    w.settings.GasLocked[0] = true;
    w.refresh();
    w.clickEnable(0); // the box cannot be cleared
    EXPECT_EQ(w.enabled(0), Check::Checked);
    EXPECT_TRUE(w.record.GasEnabled(0));

    // While a handler runs, the grid takes no edits.
    w.options->setGridBusy(true);
    EXPECT_FALSE(w.grid->EditCell(4, 2));
    w.options->setGridBusy(false);
    EXPECT_TRUE(w.grid->EditCell(4, 2));
    QTest::keyClick(w.grid->ActiveEditor(), Qt::Key_Escape);

    // Grid editing follows the window's state.
    w.options->setEditable(false);
    EXPECT_FALSE(w.grid->EditCell(4, 2));
    w.clickEnable(2);
    EXPECT_EQ(w.enabled(2), Check::Checked);
    EXPECT_TRUE(w.asked.empty());
}

TEST(OptionGrid, ColumnsFillTheWidthAndFitTheirTexts) {
    OptionGridWindow w;
    w.grid->resize(900, 260);
    QCoreApplication::processEvents();
    int total = 0;
    for (int col = 0; col < 7; ++col) {
        EXPECT_GE(w.grid->ColWidth(col), w.grid->ContentWidth(col)) << col;
        total += w.grid->ColWidth(col);
    }
    EXPECT_NEAR(total, w.grid->viewport()->width() - 3.5, 3.5); // up to a pixel a column short
    w.grid->resize(300, 260); // narrow windows never clip the gas names
    QCoreApplication::processEvents();
    EXPECT_GE(w.grid->ColWidth(0), w.grid->ContentWidth(0));
}

// The main window's grid goes before the option grid that serves it, at
// times with an editor open; the option grid must not look at what is left
// of the grid (under the sanitizers that ended every window test).
TEST(OptionGrid, OutlivesItsGridWithAnEditorOpen) {
    OptionGridWindow w;
    w.grid->setFocus();
    ASSERT_TRUE(w.grid->EditCell(OptionGrid::RowOf(2), 3));
    ASSERT_NE(w.grid->ActiveEditor(), nullptr);
    QTest::keyClicks(w.grid->ActiveEditor(), QStringLiteral("12"));
    const int refreshes = w.refreshes;
    w.grid.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.refreshes, refreshes); // the editor's text was not taken as an edit
}
