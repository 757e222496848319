#include "ui/factory/SetupPage.h"

#include "model/clsInstrument.h"
#include "ui/GridControl.h"
#include "ui/factory/EditorText.h"

#include <QApplication>

namespace {

constexpr int kBackspace = 8;
// Room for the longest value and its drop-down button.
constexpr int kValueColumnMinimum = 220;

} // namespace

SetupPage::SetupPage(GridControl* grid, SetupRows::Page page, const clsInstrument& record)
    : QObject(grid), grid_(grid), page_(page), record_(record) {
    connect(grid_, &GridControl::BeforeEdit, this, &SetupPage::onBeforeEdit);
    connect(grid_, &GridControl::KeyPressEdit, this, &SetupPage::onKeyPress);
    connect(grid_, &GridControl::ValidateEdit, this, &SetupPage::onValidate);
}

const SetupRows::Row* SetupPage::rowAt(int row) const {
    const auto& rows = Rows();
    return row >= 0 && row < int(rows.size()) ? &rows.at(size_t(row)) : nullptr;
}

void SetupPage::Fill() {
    const auto& rows = Rows();
    grid_->setRows(int(rows.size()));
    grid_->setCols(3);
    grid_->setFixedRows(0);
    grid_->setFixedCols(1);
    filled_.clear();
    for (int r = 0; r < int(rows.size()); ++r) {
        const SetupRows::Row& row = rows.at(size_t(r));
        const QString value = SetupRows::CellText(row, record_);
        grid_->setTextMatrix(r, kLabelColumn, SetupRows::LabelText(row));
        grid_->setCellAlignment(r, kLabelColumn, Qt::AlignLeft | Qt::AlignVCenter);
        grid_->setTextMatrix(r, kValueColumn, value);
        grid_->setTextMatrix(r, kChoicesColumn,
                             SetupRows::ItemTexts(row, record_).join(QLatin1Char('|')));
        if (row.locked)
            grid_->setCellBackColor(r, kValueColumn, grid_->BackColorFixed());
        filled_ << value;
    }
    grid_->setColHidden(kChoicesColumn, true);
    grid_->AutoSize(kLabelColumn, kValueColumn);
    grid_->setColWidth(kValueColumn, qMax(kValueColumnMinimum, grid_->ColWidth(kValueColumn)));
}

int SetupPage::WriteBack(clsInstrument& record) const {
    int changed = 0;
    const auto& rows = Rows();
    for (int r = 0; r < int(rows.size()) && r < filled_.size(); ++r) {
        const QString text = grid_->TextMatrix(r, kValueColumn);
        if (text == filled_.at(r))
            continue;
        if (SetupRows::ApplyText(rows.at(size_t(r)), text, record))
            ++changed;
    }
    return changed;
}

void SetupPage::onBeforeEdit(int row, int col, bool& cancel) {
    const SetupRows::Row* r = rowAt(row);
    if (col != kValueColumn || !r || r->locked ||
        grid_->CellBackColor(row, col) == grid_->BackColorFixed()) {
        cancel = true;
        return;
    }
    grid_->setCellComboList(row, col, grid_->TextMatrix(row, kChoicesColumn));
}

void SetupPage::onKeyPress(int row, int col, int& key) {
    const SetupRows::Row* r = rowAt(row);
    if (col != kValueColumn || !r || key == kBackspace)
        return;
    const QChar typed = SetupRows::TypedCharacter(*r, QChar(static_cast<char16_t>(key)));
    if (!SetupRows::TypingAccepts(*r,
                                  TextAfterKey(grid_->ActiveEditor(), typed, grid_->EditText()))) {
        key = 0;
        QApplication::beep();
        return;
    }
    key = typed.unicode();
}

void SetupPage::onValidate(int row, int col, bool& cancel) {
    const SetupRows::Row* r = rowAt(row);
    if (col != kValueColumn || !r)
        return;
    const QString text = grid_->EditText();
    // An empty text row (Spec No.) may be left empty; a number or the
    // password may not.
    if (r->value == SetupRows::Value::Text && r->minLength == 0 && text.trimmed().isEmpty())
        return;
    if (!SetupRows::TextAcceptable(*r, text, record_))
        cancel = true;
}
