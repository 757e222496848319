#include "ui/factory/GasTableGrid.h"

#include "model/GasTable.h"
#include "model/clsInstrument.h"
#include "ui/GridControl.h"
#include "ui/factory/EditorText.h"

#include <QApplication>

namespace {

constexpr int kBackspace = 8;

bool IsNameColumn(int col) {
    return GasTable::FieldOf(col) == GasTable::kName;
}

} // namespace

GasTableGrid::GasTableGrid(GridControl* grid) : QObject(grid), grid_(grid) {
    connect(grid_, &GridControl::BeforeEdit, this, &GasTableGrid::onBeforeEdit);
    connect(grid_, &GridControl::KeyPressEdit, this, &GasTableGrid::onKeyPress);
    connect(grid_, &GridControl::ValidateEdit, this, &GasTableGrid::onValidate);
    connect(grid_, &GridControl::AfterEdit, this, &GasTableGrid::onAfterEdit);
}

void GasTableGrid::Fill(const clsInstrument& record) {
    grid_->setRows(GasTable::kRows);
    grid_->setCols(GasTable::kColumns);
    grid_->setFixedRows(1);
    grid_->setFixedCols(1);
    inUseRow_ = GasTable::InUseRow(record);
    filled_.clear();
    for (int c = 0; c < GasTable::kColumns; ++c) {
        grid_->setTextMatrix(0, c, GasTable::HeaderText(c));
        const int field = GasTable::FieldOf(c);
        if (field != GasTable::kName && field != GasTable::kUnit)
            grid_->setColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int r = 1; r < GasTable::kRows; ++r) {
        for (int c = 0; c < GasTable::kColumns; ++c) {
            grid_->setTextMatrix(r, c, GasTable::CellText(record, r, c));
            if (c > 0 && !GasTable::IsCellEditable(record, r, c))
                grid_->setCellBackColor(r, c, grid_->BackColorFixed());
        }
    }
    for (int c = GasTable::kInUseColumn; c < GasTable::kColumns; ++c)
        filled_ << grid_->TextMatrix(inUseRow_, c);
    grid_->AutoSize(0, GasTable::kColumns - 1);
    // Room for a name of 11 characters in the name columns.
    const int nameWidth =
        grid_->fontMetrics().horizontalAdvance(QString(GasTable::kNameLength, QLatin1Char('0')));
    for (bool inUse : {false, true}) {
        const int col = GasTable::ColumnOf(GasTable::kName, inUse);
        grid_->setColWidth(col, qMax(grid_->ColWidth(col), nameWidth));
    }
}

int GasTableGrid::WriteBack(clsInstrument& record) const {
    if (inUseRow_ < 1)
        return 0;
    int changed = 0;
    for (int c = GasTable::kInUseColumn; c < GasTable::kColumns; ++c) {
        const QString text = grid_->TextMatrix(inUseRow_, c);
        if (text == filled_.value(c - GasTable::kInUseColumn))
            continue;
        if (GasTable::ApplyInUseCell(record, c, text))
            ++changed;
    }
    return changed;
}

QStringList GasTableGrid::columnTexts(int col) const {
    QStringList texts;
    for (int r = 1; r < grid_->Rows(); ++r)
        texts << grid_->TextMatrix(r, col);
    return texts;
}

QStringList GasTableGrid::rowTexts(int row) const {
    QStringList texts;
    for (int c = 0; c < grid_->Cols(); ++c)
        texts << grid_->TextMatrix(row, c);
    return texts;
}

void GasTableGrid::onBeforeEdit(int row, int col, bool& cancel) {
    if (row < 1 || grid_->CellBackColor(row, col) == grid_->BackColorFixed()) {
        cancel = true;
        return;
    }
    // A leading "|" lets the user type a unit the list does not hold.
    if (GasTable::FieldOf(col) == GasTable::kUnit)
        grid_->setCellComboList(row, col, QLatin1Char('|') + GasTable::UnitList());
}

void GasTableGrid::onKeyPress(int, int col, int& key) {
    if (!IsNameColumn(col) || key == kBackspace)
        return;
    const QString after =
        TextAfterKey(grid_->ActiveEditor(), QChar(static_cast<char16_t>(key)), grid_->EditText());
    if (!GasTable::NameTypingAccepts(after)) {
        key = 0;
        QApplication::beep();
    }
}

void GasTableGrid::onValidate(int row, int col, bool& cancel) {
    const GasTable::CellEdit edit =
        GasTable::CheckEdit(col, grid_->EditText(), columnTexts(col), rowTexts(row));
    if (!edit.accepted) {
        cancel = true;
        return;
    }
    grid_->setEditText(edit.text);
}

void GasTableGrid::onAfterEdit(int row, int col) {
    if (GasTable::FieldOf(col) != GasTable::kDigit)
        return;
    const int fullScale = col - GasTable::kDigit + GasTable::kFullScale;
    grid_->setTextMatrix(row, fullScale,
                         GasTable::FullScaleWithDigit(grid_->TextMatrix(row, fullScale),
                                                      grid_->TextMatrix(row, col)));
}
