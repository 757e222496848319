// The option grid bound to a record: filling, locking and colouring, typed
// alarm points with their limits and rounding, and the Enable box with its
// question and the gas selection dialog.
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/calibration/frmGasSel.h"
#include "ui/main/OptionGrid.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using Check = GridControl::CheckState;
constexpr float N = -101.0f;

struct OptionGridWindow {
    AppSettings settings;
    clsInstrument record;
    clsInstrument defaults;
    std::unique_ptr<GridControl> grid = std::make_unique<GridControl>();
    std::unique_ptr<OptionGrid> options;
    std::vector<MsgBoxRequest> asked;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    ScopedMsgBoxHandler boxes{[this](const MsgBoxRequest& request) {
        asked.push_back(request);
        return answer;
    }};
    int refreshes = 0;

    // The first built-in gas on every channel, as if imported from a file.
    OptionGridWindow() {
        modGasCommon::LoadBuiltInGasList(settings);
        for (int ch = 0; ch < 5; ++ch) {
            modGasCommon::ApplyGasSelection(record, settings, false, ch, 0);
            OptionRules::SettleSelectedGas(record, ch);
        }
        record.setImportFlag(true);
        record.ClearChangeFlags();
        for (int ch = 0; ch < 5; ++ch)
            defaults.setAutoCalib(ch, 100.0f + ch);
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
        grid->setFocus();
    }
    void refresh() { options->Refresh(true); }

    QString cell(int ch, int col) const { return grid->TextMatrix(ch + 2, col); }
    QColor colour(int ch, int col) const { return grid->CellBackColor(ch + 2, col); }
    bool locked(int ch, int col) const { return colour(ch, col) == grid->BackColorFixed(); }

    // Types into a channel's cell and presses Enter; true when the editor
    // closed (the text was accepted).
    bool type(int ch, int col, const QString& text) {
        grid->setCurrentCell(ch + 2, col);
        if (!grid->EditCell(ch + 2, col))
            return false;
        QWidget* editor = grid->ActiveEditor();
        if (!editor)
            return false;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        const bool closed = grid->ActiveEditor() == nullptr;
        QCoreApplication::processEvents(); // AfterEdit
        return closed;
    }
    void escape() {
        if (QWidget* editor = grid->ActiveEditor())
            QTest::keyClick(editor, Qt::Key_Escape);
    }
    void clickEnable(int ch) {
        const QRect rect = grid->visualRect(grid->model()->index(ch + 2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents(); // AfterEdit, which may open a dialog
    }
};

// Runs `act` on the gas selection dialog once it is shown modally; closes any
// other modal window so that a test can never hang.
void WhenGasDialogOpens(std::function<void(frmGasSel*)> act) {
    auto attempts = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, attempts, poll]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<frmGasSel*>(modal)) {
            act(dialog);
            return;
        }
        if (++*attempts > 200) {
            ADD_FAILURE() << "the gas selection dialog did not open";
            if (modal)
                modal->close();
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

TEST(OptionGrid, RefreshFillsHeadersAndChannelRows) {
    OptionGridWindow w;
    GridControl& g = *w.grid;
    EXPECT_EQ(g.Rows(), 7);
    EXPECT_EQ(g.Cols(), 7);
    EXPECT_EQ(g.FixedRows(), 2);
    EXPECT_EQ(g.TextMatrix(0, 2), LoadMessage(5672));
    EXPECT_EQ(g.columnSpan(0, 2), 4);
    EXPECT_EQ(g.TextMatrix(1, 0), LoadMessage(5648));
    EXPECT_EQ(g.TextMatrix(1, 6), LoadMessage(5654));

    EXPECT_EQ(w.cell(0, 0), QStringLiteral("CH4(100%LEL)"));
    EXPECT_EQ(w.cell(1, 0), QStringLiteral("O2(40.0VOL%)"));
    EXPECT_EQ(w.cell(3, 0), QStringLiteral("H2S(100.0ppm)"));
    EXPECT_EQ(w.cell(4, 0), QStringLiteral("CH4(VOL%)"));
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(g.CellChecked(ch + 2, 1), Check::Checked) << ch;
    EXPECT_EQ(w.cell(1, 2), QStringLiteral("19.5"));
    EXPECT_EQ(w.cell(1, 4), QStringLiteral("-----"));
    EXPECT_EQ(w.cell(2, 4), QStringLiteral("200"));
    EXPECT_EQ(w.cell(3, 3), QStringLiteral("30.0"));
    EXPECT_EQ(w.cell(3, 6), QStringLiteral("25.0"));

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
    for (int ch : {0, 1}) {
        EXPECT_TRUE(w.locked(ch, 4));
        EXPECT_TRUE(w.locked(ch, 5));
        EXPECT_FALSE(w.locked(ch, 2));
    }
    for (int col = 2; col <= 5; ++col) {
        EXPECT_TRUE(w.locked(4, col));
        EXPECT_FALSE(w.locked(3, col));
    }
    EXPECT_FALSE(w.locked(2, 1));
    // Everything built in is within the rules: no red cell.
    for (int ch = 0; ch < 5; ++ch) {
        for (int col = 0; col < 7; ++col)
            EXPECT_NE(w.colour(ch, col), QColor(255, 0, 0)) << ch << "/" << col;
    }

    // Values read from a detector can break the rules; they are shown red.
    w.record.setWarning(2, 60); // above the alarm point 50
    w.record.setStel(3, 40);    // above 30
    w.record.setAutoCalib(0, 5);
    w.settings.GasLocked[2] = true;
    w.refresh();
    EXPECT_EQ(w.colour(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(w.colour(2, 3), QColor(255, 0, 0));
    EXPECT_EQ(w.colour(2, 4), QColor(255, 255, 255));
    EXPECT_EQ(w.colour(3, 4), QColor(255, 0, 0));
    EXPECT_EQ(w.colour(0, 6), QColor(255, 0, 0));
    EXPECT_TRUE(w.locked(2, 1)); // a channel the configuration locks

    // A locked cell refuses to open an editor.
    EXPECT_FALSE(w.grid->EditCell(2, 4));
    EXPECT_FALSE(w.grid->EditCell(6, 2));
    EXPECT_EQ(w.grid->ActiveEditor(), nullptr);
    // The gas column is never typed into, nor are the headers.
    EXPECT_FALSE(w.grid->EditCell(2, 0));
    EXPECT_FALSE(w.grid->EditCell(1, 2));
}

TEST(OptionGrid, CustomBoardLocksChannel3AndNeverDrawsItRed) {
    OptionGridWindow w;
    w.record.setIsCustom(1);
    w.record.setWarning(3, 500);
    w.record.setAlarm(3, 100);
    w.refresh();
    for (int col = 2; col <= 5; ++col) {
        EXPECT_TRUE(w.locked(3, col)) << col;
        EXPECT_FALSE(w.type(3, col, QStringLiteral("5"))) << col;
    }
    EXPECT_FLOAT_EQ(w.record.Warning(3), 500.0f);
    // Without the custom board the same values are red.
    w.record.setIsCustom(0);
    w.refresh();
    EXPECT_EQ(w.colour(3, 2), QColor(255, 0, 0));
}

TEST(OptionGrid, TypedPointsAreRoundedAndChecked) {
    OptionGridWindow w;
    // 10.3 on a step of 0.5 is stored as 10.5.
    EXPECT_TRUE(w.type(3, 2, QStringLiteral("10.3")));
    EXPECT_FLOAT_EQ(w.record.Warning(3), 10.5f);
    EXPECT_EQ(w.cell(3, 2), QStringLiteral("10.5"));
    EXPECT_TRUE(w.record.Change_Warn(3));

    // Combustible alarm: at most 60 % of the full scale.
    EXPECT_FALSE(w.type(0, 3, QStringLiteral("61")));
    EXPECT_NE(w.grid->ActiveEditor(), nullptr); // refused: the editor stays
    w.escape();
    EXPECT_EQ(w.cell(0, 3), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(w.record.Alarm(0), 50.0f);
    EXPECT_TRUE(w.type(0, 3, QStringLiteral("60")));
    EXPECT_FLOAT_EQ(w.record.Alarm(0), 60.0f);

    // Oxygen by alarm type.
    w.record.setAlarmO2(1);
    w.record.setAlarm(1, 18.0f);
    w.refresh();
    EXPECT_TRUE(w.type(1, 2, QStringLiteral("20.9")));
    EXPECT_FALSE(w.type(1, 2, QStringLiteral("25.1")));
    w.escape();
    EXPECT_FLOAT_EQ(w.record.Warning(1), 20.9f);
    w.record.setAlarmO2(0);
    w.record.setAlarm(1, 25.0f);
    w.refresh();
    EXPECT_TRUE(w.type(1, 3, QStringLiteral("25.0")));
    EXPECT_FALSE(w.type(1, 3, QStringLiteral("25.1")));
    w.escape();
    w.record.setAlarmO2(2); // warning up to the alarm point
    w.refresh();
    EXPECT_FALSE(w.type(1, 2, QStringLiteral("25.5")));
    w.escape();
    EXPECT_TRUE(w.type(1, 2, QStringLiteral("24.5")));

    // Empty and non-numeric texts.
    EXPECT_FALSE(w.type(2, 2, QString()));
    w.escape();
    EXPECT_FALSE(w.type(2, 2, QStringLiteral("abc")));
    w.escape();
    EXPECT_FLOAT_EQ(w.record.Warning(2), 25.0f);
    EXPECT_TRUE(w.type(2, 6, QString()));
    EXPECT_FLOAT_EQ(w.record.AutoCalib(2), N);
    EXPECT_EQ(w.cell(2, 6), QStringLiteral("-----"));

    // Auto-cal below a set warning point: refused for CO, fine for oxygen.
    EXPECT_FALSE(w.type(2, 6, QStringLiteral("20")));
    w.escape();
    EXPECT_TRUE(w.type(1, 6, QStringLiteral("12")));
    EXPECT_EQ(w.cell(1, 6), QStringLiteral("12.0"));
}

TEST(OptionGrid, EditsRecolourTheRows) {
    OptionGridWindow w;
    EXPECT_TRUE(w.type(2, 2, QStringLiteral("60"))); // within 0..200, above alarm 50
    EXPECT_EQ(w.colour(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(w.colour(2, 3), QColor(255, 0, 0));
    EXPECT_TRUE(w.type(2, 3, QStringLiteral("80")));
    EXPECT_EQ(w.colour(2, 2), QColor(255, 255, 255));
    EXPECT_EQ(w.colour(2, 3), QColor(255, 255, 255));
    // A new warning point can turn the auto-cal value red.
    EXPECT_TRUE(w.type(2, 2, QStringLiteral("70"))); // auto-cal 50 is below it
    EXPECT_EQ(w.colour(2, 6), QColor(255, 0, 0));
}

TEST(OptionGrid, ClearingTheEnableBoxAsksFirst) {
    OptionGridWindow w;
    w.answer = QMessageBox::No;
    w.clickEnable(2);
    ASSERT_EQ(w.asked.size(), 1u);
    EXPECT_EQ(w.asked[0].text, LoadMessage(5335));
    EXPECT_EQ(w.asked[0].title, LoadMessage(5336));
    EXPECT_TRUE(w.asked[0].buttons.testFlag(QMessageBox::Yes));
    EXPECT_EQ(w.grid->CellChecked(4, 1), Check::Checked);
    EXPECT_TRUE(w.record.GasEnabled(2));
    EXPECT_FLOAT_EQ(w.record.Warning(2), 25.0f);
    EXPECT_EQ(w.refreshes, 0);

    w.answer = QMessageBox::Yes;
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
    EXPECT_EQ(w.grid->CellChecked(4, 1), Check::Unchecked);
}

TEST(OptionGrid, TickingTheEnableBoxChoosesAGas) {
    OptionGridWindow w;
    w.record.setGasEnabled(2, false);
    w.record.setWarning(2, N);
    w.record.setAlarm(2, N);
    w.record.setAutoCalib(2, N);
    w.record.setOverScale(2, 0);
    w.refresh();

    WhenGasDialogOpens([](frmGasSel* dialog) {
        EXPECT_EQ(dialog->GasNo(), 2);
        dialog->optGasList[0]->click();
        dialog->cmdGasSel[0]->click();
    });
    w.clickEnable(2);
    EXPECT_TRUE(w.asked.empty());
    EXPECT_TRUE(w.record.GasEnabled(2));
    EXPECT_EQ(w.record.GasName(2), QStringLiteral("CO"));
    EXPECT_FLOAT_EQ(w.record.Warning(2), 25.0f);
    EXPECT_FLOAT_EQ(w.record.Stel(2), 200.0f); // ppm: STEL and TWA kept
    EXPECT_EQ(w.record.OverScale(2), 1);
    EXPECT_FLOAT_EQ(w.settings.FactAutoCal[2], 50.0f);
    EXPECT_EQ(w.cell(2, 2), QStringLiteral("25"));
    EXPECT_EQ(w.grid->CellChecked(4, 1), Check::Checked);
    EXPECT_EQ(w.refreshes, 1);
}

TEST(OptionGrid, CancellingTheGasDialogClearsTheBoxAgain) {
    OptionGridWindow w;
    w.record.setGasEnabled(2, false);
    w.refresh();
    w.record.ClearChangeFlags();
    WhenGasDialogOpens([](frmGasSel* dialog) {
        dialog->optGasList[0]->click();
        dialog->cmdGasSel[1]->click();
    });
    w.clickEnable(2);
    EXPECT_FALSE(w.record.GasEnabled(2));
    EXPECT_FALSE(w.record.Change_GasEnable(2));
    EXPECT_EQ(w.grid->CellChecked(4, 1), Check::Unchecked);
}

TEST(OptionGrid, ChoosingOxygenResetsTheOxygenAlarmType) {
    OptionGridWindow w;
    w.record.setGasEnabled(1, false);
    w.record.setAlarmO2(1);
    w.refresh();
    WhenGasDialogOpens([](frmGasSel* dialog) {
        dialog->optGasList[0]->click();
        dialog->cmdGasSel[0]->click();
    });
    w.clickEnable(1);
    EXPECT_EQ(w.record.AlarmO2(), 0);
    EXPECT_EQ(w.cell(1, 4), QStringLiteral("-----"));
    EXPECT_NE(w.colour(1, 2), QColor(255, 0, 0));
}

TEST(OptionGrid, LockedChannelsAndTheBusyFlag) {
    OptionGridWindow w;
    w.settings.GasLocked[0] = true;
    w.refresh();
    w.clickEnable(0); // the box cannot be cleared
    EXPECT_EQ(w.grid->CellChecked(2, 1), Check::Checked);
    EXPECT_TRUE(w.asked.empty());
    EXPECT_TRUE(w.record.GasEnabled(0));

    // While a handler runs, the grid takes no edits.
    w.options->setGridBusy(true);
    EXPECT_FALSE(w.grid->EditCell(4, 2));
    w.options->setGridBusy(false);
    EXPECT_TRUE(w.grid->EditCell(4, 2));
    w.escape();

    // Grid editing follows the window's state.
    w.options->setEditable(false);
    EXPECT_FALSE(w.grid->EditCell(4, 2));
    w.clickEnable(2);
    EXPECT_EQ(w.grid->CellChecked(4, 1), Check::Checked);
    EXPECT_TRUE(w.asked.empty());
}

TEST(OptionGrid, ColumnsFillTheWidthAndFitTheirTexts) {
    OptionGridWindow w;
    w.grid->resize(900, 260);
    QCoreApplication::processEvents();
    const int available = w.grid->viewport()->width();
    int total = 0;
    for (int col = 0; col < 7; ++col) {
        EXPECT_GE(w.grid->ColWidth(col), w.grid->ContentWidth(col)) << col;
        total += w.grid->ColWidth(col);
    }
    EXPECT_GE(total, available - 7);
    EXPECT_LE(total, available);
    // Narrow windows never clip the gas names.
    w.grid->resize(300, 260);
    QCoreApplication::processEvents();
    EXPECT_GE(w.grid->ColWidth(0), w.grid->ContentWidth(0));
}
