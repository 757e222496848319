#include "ui/main/OptionGrid.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/calibration/frmGasSel.h"

#include <QEvent>
#include <QToolTip>
#include <cmath>

using namespace OptionRules;

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

// How long the reason for a refused edit stays next to the cell.
constexpr int kRefusalShownMs = 6000;

// Sets the flag for the lifetime of the object and restores it afterwards.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace

OptionGrid::OptionGrid(clsInstrument& record, const clsInstrument& defaults, GridControl* grid,
                       QObject* parent)
    : OptionGrid(record, defaults, App(), grid, parent) {}

OptionGrid::OptionGrid(clsInstrument& record, const clsInstrument& defaults, AppSettings& settings,
                       GridControl* grid, QObject* parent)
    : QObject(parent), record_(record), defaults_(defaults), settings_(settings), grid_(grid) {
    grid_->setObjectName(QStringLiteral("vfgOption"));
    for (int col = kColEnable; col < kColumns; ++col)
        grid_->setColAlignment(col, Qt::AlignCenter);
    grid_->setColAlignment(kColGas, Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(grid_, &GridControl::BeforeEdit, this, &OptionGrid::vfgOption_BeforeEdit);
    connect(grid_, &GridControl::ValidateEdit, this, &OptionGrid::vfgOption_ValidateEdit);
    connect(grid_, &GridControl::AfterEdit, this, &OptionGrid::vfgOption_AfterEdit);
    // The viewport's size is the width the columns share. Signals rather than
    // event filters: a filter also sees the events of a grid half destroyed.
    connect(grid_, &GridControl::ViewportResized, this, &OptionGrid::FitColumns);
    connect(grid_, &GridControl::FontChanged, this, &OptionGrid::FitColumns);
    Refresh(false);
}

// --- Refresh ---------------------------------------------------------------------

void OptionGrid::FillHeaders() {
    grid_->setTextMatrix(0, kColWarning, LoadMessage(kMsgAlarmPoints));
    grid_->MergeCells(0, kColWarning, 1, 4);
    const int captions[kColumns] = {kMsgGas,  kMsgEnable, kMsgWarning, kMsgAlarm,
                                    kMsgStel, kMsgTwa,    kMsgAutoCal};
    for (int col = 0; col < kColumns; ++col)
        grid_->setTextMatrix(1, col, LoadMessage(captions[col]));
}

void OptionGrid::FillRow(int ch) {
    const int row = RowOf(ch);
    grid_->setTextMatrix(row, kColGas, modGasCommon::FormatGasLabel(record_, ch, true));
    grid_->setCellChecked(row, kColEnable, record_.GasEnabled(ch));
    for (int col = kColWarning; col <= kColAutoCal; ++col) {
        grid_->setTextMatrix(
            row, col,
            modGasCommon::FormatReading(CellValue(record_, ch, col), record_.GasPoint(ch)));
    }
}

void OptionGrid::LockCells() {
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int col = kColEnable; col <= kColAutoCal; ++col) {
            if (IsCellLocked(record_, ch, col, settings_.GasLocked[ch]))
                grid_->setCellBackColor(RowOf(ch), col, grid_->BackColorFixed());
        }
    }
}

void OptionGrid::ColourRows() {
    if (!showValues_)
        return;
    for (int ch = 0; ch < kChannels; ++ch) {
        const int row = RowOf(ch);
        for (int col = kColGas; col <= kColAutoCal; ++col) {
            if (IsCellLocked(record_, ch, col, settings_.GasLocked[ch])) {
                grid_->setCellBackColor(row, col, grid_->BackColorFixed());
                continue;
            }
            grid_->setCellBackColor(row, col, IsCellRed(record_, ch, col) ? kRed : kWhite);
        }
    }
}

void OptionGrid::Refresh(bool showValues) {
    BusyScope busy(gridBusy_);
    showValues_ = showValues;
    grid_->Clear();
    grid_->setCols(kColumns);
    grid_->setRows(showValues ? kRows : kEmptyRows);
    grid_->setFixedRows(kHeaderRows);
    grid_->setFixedCols(0);
    FillHeaders();
    if (showValues) {
        // The program-wide auto-cal array follows the record, falling back on
        // the defaults where the detector gave no value.
        for (int ch = 0; ch < 4; ++ch)
            settings_.FactAutoCal[ch] = AutoCalOrDefault(record_, defaults_, ch);
        for (int ch = 0; ch < kChannels; ++ch)
            FillRow(ch);
        LockCells();
        ColourRows();
    }
    FitColumns();
}

void OptionGrid::RefreshAllValues() {
    if (refreshAll_)
        refreshAll_();
    else
        Refresh(showValues_);
}

void OptionGrid::setEditable(bool on) {
    grid_->setEditable(on);
}

void OptionGrid::FitColumns() {
    const int available = grid_->viewport()->width();
    if (available <= 0 || grid_->Cols() < kColumns)
        return;
    const double share = CurrentCatalogueLanguage() == CatalogueLanguage::English ? 0.13 : 0.15;
    const int first =
        qMax(static_cast<int>(std::lround(available * share)), grid_->ContentWidth(0));
    const int others = kColumns - 1;
    const int rest = qMax(0, available - first);
    int each = rest / others;
    int widest = 0;
    for (int col = 1; col < kColumns; ++col)
        widest = qMax(widest, grid_->ContentWidth(col));
    each = qMax(each, widest);
    grid_->setColWidth(0, first);
    for (int col = 1; col < kColumns; ++col) {
        // The last column takes what the division leaves over.
        const int width = (col == kColumns - 1) ? qMax(each, rest - each * (others - 1)) : each;
        grid_->setColWidth(col, width);
    }
}

// --- Grid events -------------------------------------------------------------------

void OptionGrid::vfgOption_BeforeEdit(int Row, int Col, bool& Cancel) {
    if (gridBusy_ || !showValues_ || Row < kHeaderRows || Col == kColGas) {
        Cancel = true;
        return;
    }
    // Locked cells carry the fixed-cell colour.
    if (grid_->CellBackColor(Row, Col) == grid_->BackColorFixed())
        Cancel = true;
}

void OptionGrid::vfgOption_ValidateEdit(int Row, int Col, bool& Cancel) {
    if (gridBusy_ || Row < kHeaderRows || Col <= kColEnable)
        return;
    BusyScope busy(gridBusy_);
    const EditOutcome outcome = ApplyCellEdit(record_, ChannelOf(Row), Col, grid_->EditText());
    if (!outcome.accepted) {
        Cancel = true;
        ShowRefusal(Row, Col, outcome.reason);
        return;
    }
    lastRefusal_.clear();
    QToolTip::hideText();
    grid_->setEditText(outcome.text);
}

void OptionGrid::ShowRefusal(int Row, int Col, const QString& reason) {
    lastRefusal_ = reason;
    if (reason.isEmpty())
        return;
    // Under the cell, where the user is looking, for a few seconds.
    const QRect cell = grid_->visualRect(grid_->model()->index(Row, Col));
    QToolTip::showText(grid_->viewport()->mapToGlobal(cell.bottomLeft()), reason, grid_->viewport(),
                       cell, kRefusalShownMs);
}

void OptionGrid::vfgOption_AfterEdit(int Row, int Col) {
    if (gridBusy_ || Row < kHeaderRows || Row >= kRows)
        return;
    if (Col == kColEnable) {
        EnableToggled(ChannelOf(Row));
        return;
    }
    BusyScope busy(gridBusy_);
    ColourRows();
}

void OptionGrid::EnableToggled(int ch) {
    if (ch < 0 || ch >= kChannels)
        return;
    const int row = RowOf(ch);
    {
        BusyScope busy(gridBusy_);
        const bool ticked = grid_->CellChecked(row, kColEnable) == GridControl::CheckState::Checked;

        if (settings_.GasLocked[ch]) {
            MsgBox(grid_->window(), LoadMessage(kMsgSensorNotRemoved), LoadMessage(kMsgSensorOnOff),
                   QMessageBox::Information);
            grid_->setCellChecked(row, kColEnable, true);
            return;
        }

        if (!ticked) {
            const auto answer = MsgBox(grid_->window(), LoadMessage(kMsgSensorDisableReady),
                                       LoadMessage(kMsgSensorDisable), QMessageBox::Question,
                                       QMessageBox::Yes | QMessageBox::No);
            if (answer != QMessageBox::Yes) {
                grid_->setCellChecked(row, kColEnable, true);
                return;
            }
            for (int c = 0; c < kChannels; ++c) {
                record_.setGasEnabled(c, grid_->CellChecked(RowOf(c), kColEnable) ==
                                             GridControl::CheckState::Checked);
            }
            ClearChannelPoints(record_, ch);
            for (int col = kColWarning; col <= kColAutoCal; ++col)
                grid_->setTextMatrix(row, col, modGasCommon::FormatReading(-101.0f, 0));
        } else {
            // A sensor switched on needs its gas.
            const bool library = LiTableState();
            frmGasSel dialog(record_, settings_, library, grid_->window());
            dialog.setGasNo(ch);
            dialog.exec();
            if (dialog.Flags() &&
                modGasCommon::ApplyGasSelection(record_, settings_, library, ch, dialog.SelNum())) {
                SettleSelectedGas(record_, ch);
                settings_.FactAutoCal[ch] = record_.AutoCalib(ch);
                FillRow(ch);
                grid_->setCellBackColor(row, kColWarning, kWhite);
                grid_->setCellBackColor(row, kColAlarm, kWhite);
            } else {
                grid_->setCellChecked(row, kColEnable, false);
            }
        }
    }
    RefreshAllValues();
}
