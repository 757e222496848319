#include "ui/GridControl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kTextPadding = 4;
const char* const kRowProperty = "gridRow";
const char* const kColProperty = "gridCol";

// Black or white, whichever reads better on the background.
QColor TextColourOn(const QColor& background) {
    const int luminance =
        (299 * background.red() + 587 * background.green() + 114 * background.blue()) / 1000;
    return luminance >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

QString EditorText(const QWidget* editor) {
    if (const auto* line = qobject_cast<const QLineEdit*>(editor))
        return line->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentText();
    return QString();
}

void SetEditorText(QWidget* editor, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int index = combo->findText(text);
        if (index >= 0)
            combo->setCurrentIndex(index);
        else if (combo->isEditable())
            combo->setEditText(text);
    }
}

void SelectEditorText(QWidget* editor) {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(editor); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
}

} // namespace

// Draws the cells (background colour, text, centred check boxes, a frame on
// the current cell), creates the editors and routes every edit through the
// grid's events.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(GridControl* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    // Called first thing in the grid's destructor. The base classes that tear
    // down afterwards hide and destroy the open editors, whose events still
    // reach this filter; from then on they pass through untouched, because
    // what remains of the grid is no longer a GridControl.
    void detach() { grid_ = nullptr; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int col = index.column();
        const QColor background = grid_->CellBackColor(row, col);
        painter->save();
        painter->fillRect(option.rect, background);

        QColor foreground = TextColourOn(background);
        if (!grid_->isEnabled())
            foreground = grid_->palette().color(QPalette::Disabled, QPalette::Text);

        const GridControl::CheckState check = grid_->CellChecked(row, col);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect inner = option.rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
        QRect textRect = inner;

        if (check != GridControl::CheckState::None) {
            QStyleOptionViewItem box(option);
            const QStyle* style = grid_->style();
            const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, grid_);
            const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, grid_);
            QRect boxRect(0, 0, w, h);
            if (text.isEmpty())
                boxRect.moveCenter(option.rect.center());
            else
                boxRect.moveTopLeft(QPoint(inner.left(), option.rect.center().y() - h / 2));
            box.rect = boxRect;
            box.state = QStyle::State_None;
            if (grid_->isEnabled() && grid_->Editable())
                box.state |= QStyle::State_Enabled;
            box.state |=
                check == GridControl::CheckState::Checked ? QStyle::State_On : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, grid_);
            textRect.setLeft(boxRect.right() + kTextPadding);
        }

        if (!text.isEmpty()) {
            const Qt::Alignment alignment = alignmentOf(index);
            painter->setPen(foreground);
            painter->setFont(option.font);
            const QString shown =
                option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
            painter->drawText(textRect, static_cast<int>(alignment | Qt::TextSingleLine), shown);
        }

        if ((option.state & QStyle::State_HasFocus) && !grid_->IsFixedCell(row, col)) {
            QPen pen(grid_->palette().color(QPalette::Highlight));
            pen.setWidth(2);
            pen.setJoinStyle(Qt::MiterJoin);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += 2 * kTextPadding;
        return size;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const int row = index.row();
        const int col = index.column();
        QString list = grid_->ComboListFor(row, col);
        QWidget* editor = nullptr;
        if (!list.isEmpty()) {
            const bool freeText = list.startsWith(QLatin1Char('|'));
            if (freeText)
                list.remove(0, 1);
            auto* combo = new QComboBox(parent);
            combo->setEditable(freeText);
            combo->addItems(list.split(QLatin1Char('|')));
            QObject::connect(combo, &QComboBox::textActivated, grid_, &GridControl::ChangeEdit);
            if (combo->lineEdit()) {
                QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, grid_,
                                 [g = grid_](const QString&) { emit g->ChangeEdit(); });
            }
            editor = combo;
        } else {
            auto* line = new QLineEdit(parent);
            line->setFrame(false);
            line->setAlignment(alignmentOf(index) & (Qt::AlignHorizontal_Mask));
            QObject::connect(line, &QLineEdit::textEdited, grid_,
                             [g = grid_](const QString&) { emit g->ChangeEdit(); });
            editor = line;
        }
        editor->setFont(option.font);
        editor->setAutoFillBackground(true);
        editor->setProperty(kRowProperty, row);
        editor->setProperty(kColProperty, col);
        grid_->editor_ = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        SetEditorText(editor, index.data(Qt::DisplayRole).toString());
        SelectEditorText(editor);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (grid_)
            grid_->commitEditor(editor, index.row(), index.column());
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect.adjusted(1, 1, -1, -1));
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const int row = index.row();
        const int col = index.column();
        if (grid_->CellChecked(row, col) == GridControl::CheckState::None)
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton ||
                !option.rect.contains(mouse->position().toPoint()))
                return false;
            grid_->toggleCheck(row, col);
            return true;
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Select)
                return false;
            grid_->toggleCheck(row, col);
            return true;
        }
        default:
            return false;
        }
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!grid_)
            return false;
        auto* editor = qobject_cast<QWidget*>(object);
        if (!editor)
            return QStyledItemDelegate::eventFilter(object, event);
        // While the grid validates this editor (a handler may show a message
        // box, which takes the focus) the editor must stay as it is.
        if (grid_->validating_ &&
            (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide))
            return true;
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int row = editor->property(kRowProperty).toInt();
            const int col = editor->property(kColProperty).toInt();
            if (key->matches(QKeySequence::Cancel))
                return QStyledItemDelegate::eventFilter(object, event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab:
            case Qt::Key_Backtab: {
                // Validate first: a refused text keeps the editor open so the
                // user can correct it.
                if (!grid_->validateEditor(editor, row, col)) {
                    QApplication::beep();
                    SelectEditorText(editor);
                    return true;
                }
                emit commitData(editor);
                EndEditHint hint = NoHint;
                if (key->key() == Qt::Key_Tab)
                    hint = EditNextItem;
                else if (key->key() == Qt::Key_Backtab)
                    hint = EditPreviousItem;
                emit closeEditor(editor, hint);
                return true;
            }
            default:
                break;
            }
            // Shortcuts (select all, copy, paste...) are no typed characters.
            const bool shortcut =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            int typed = 0;
            if (key->key() == Qt::Key_Backspace)
                typed = 8;
            else if (!shortcut && key->text().size() == 1 && key->text().at(0).unicode() >= 0x20)
                typed = key->text().at(0).unicode();
            if (typed != 0) {
                int replaced = typed;
                emit grid_->KeyPressEdit(row, col, replaced);
                if (replaced == 0)
                    return true;
                if (replaced != typed && typed != 8) {
                    if (auto* line = qobject_cast<QLineEdit*>(editor))
                        line->insert(QString(QChar(static_cast<char16_t>(replaced))));
                    else if (auto* combo = qobject_cast<QComboBox*>(editor);
                             combo && combo->lineEdit())
                        combo->lineEdit()->insert(QString(QChar(static_cast<char16_t>(replaced))));
                    // The insert counts as an edit: the editor's textEdited
                    // raises ChangeEdit once.
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    Qt::Alignment alignmentOf(const QModelIndex& index) const {
        const QVariant own = index.data(Qt::TextAlignmentRole);
        if (own.isValid())
            return Qt::Alignment(own.toInt());
        if (grid_->IsFixedCell(index.row(), index.column()))
            return Qt::AlignCenter;
        const auto it = grid_->colAlignment_.constFind(index.column());
        if (it != grid_->colAlignment_.constEnd())
            return *it;
        return Qt::AlignLeft | Qt::AlignVCenter;
    }

    GridControl* grid_;
};

// --- GridControl ----------------------------------------------------------------

GridControl::GridControl(QWidget* parent)
    : QTableWidget(parent), backColor_(Qt::white), backColorFixed_(224, 224, 224) {
    delegate_ = new GridDelegate(this);
    setItemDelegate(delegate_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setGridStyle(Qt::SolidLine);
    setFocusPolicy(Qt::StrongFocus);
    updateRowHeight();
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int) { emit EnterCell(row, col); });
    connect(this, &QTableWidget::cellClicked, this,
            [this](int row, int col) { emit Click(row, col); });
}

GridControl::~GridControl() {
    delegate_->detach();
}

bool GridControl::viewportEvent(QEvent* event) {
    const bool handled = QTableWidget::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        emit ViewportResized();
    return handled;
}

void GridControl::updateRowHeight() {
    const int height = fontMetrics().height() + 10;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void GridControl::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateRowHeight();
        emit FontChanged();
    }
}

void GridControl::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    // Focus moving into one of the grid's own editors is not a loss.
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (w == this)
            return;
    }
    emit LostFocus();
}

// --- Shape ---------------------------------------------------------------------

QTableWidgetItem* GridControl::cell(int row, int col) const {
    return item(row, col);
}

QTableWidgetItem* GridControl::ensureCell(int row, int col) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount())
        return nullptr;
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem();
        setItem(row, col, it);
        applyFixedLook(row, col);
    }
    return it;
}

void GridControl::applyFixedLook(int row, int col) {
    QTableWidgetItem* it = item(row, col);
    if (!it)
        return;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (!IsFixedCell(row, col)) {
        flags |= Qt::ItemIsSelectable;
        // Check-box cells are toggled by the grid itself, never typed into.
        if (!it->data(Qt::CheckStateRole).isValid())
            flags |= Qt::ItemIsEditable;
    }
    it->setFlags(flags);
}

void GridControl::refreshFixedLook() {
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c)
            ensureCell(r, c);
    }
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c)
            applyFixedLook(r, c);
    }
    viewport()->update();
}

void GridControl::setRows(int rows) {
    setRowCount(qMax(0, rows));
    refreshFixedLook();
}

void GridControl::setCols(int cols) {
    setColumnCount(qMax(0, cols));
    refreshFixedLook();
}

void GridControl::setFixedRows(int rows) {
    fixedRows_ = qMax(0, rows);
    refreshFixedLook();
}

void GridControl::setFixedCols(int cols) {
    fixedCols_ = qMax(0, cols);
    refreshFixedLook();
}

void GridControl::Clear() {
    if (state() == QAbstractItemView::EditingState && editor_)
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    clearSpans();
    clearContents();
    cellLists_.clear();
    rowLists_.clear();
    refreshFixedLook();
}

void GridControl::MergeCells(int row, int col, int rowSpan, int colSpan) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount())
        return;
    rowSpan = qBound(1, rowSpan, rowCount() - row);
    colSpan = qBound(1, colSpan, columnCount() - col);
    if (rowSpan == 1 && colSpan == 1)
        return;
    setSpan(row, col, rowSpan, colSpan);
}

// --- Cells -----------------------------------------------------------------------

QString GridControl::TextMatrix(int row, int col) const {
    const QTableWidgetItem* it = cell(row, col);
    return it ? it->text() : QString();
}

void GridControl::setTextMatrix(int row, int col, const QString& text) {
    if (QTableWidgetItem* it = ensureCell(row, col))
        it->setText(text);
}

QColor GridControl::CellBackColor(int row, int col) const {
    if (const QTableWidgetItem* it = cell(row, col)) {
        const QVariant own = it->data(Qt::BackgroundRole);
        if (own.isValid())
            return own.value<QBrush>().color();
    }
    return IsFixedCell(row, col) ? backColorFixed_ : backColor_;
}

void GridControl::setCellBackColor(int row, int col, const QColor& color) {
    if (QTableWidgetItem* it = ensureCell(row, col))
        it->setBackground(color);
}

void GridControl::setBackColor(const QColor& color) {
    backColor_ = color;
    viewport()->update();
}

void GridControl::setBackColorFixed(const QColor& color) {
    backColorFixed_ = color;
    viewport()->update();
}

GridControl::CheckState GridControl::CellChecked(int row, int col) const {
    const QTableWidgetItem* it = cell(row, col);
    if (!it)
        return CheckState::None;
    const QVariant v = it->data(Qt::CheckStateRole);
    if (!v.isValid())
        return CheckState::None;
    return v.toInt() == Qt::Checked ? CheckState::Checked : CheckState::Unchecked;
}

void GridControl::setCellChecked(int row, int col, CheckState state) {
    QTableWidgetItem* it = ensureCell(row, col);
    if (!it)
        return;
    if (state == CheckState::None)
        it->setData(Qt::CheckStateRole, QVariant());
    else
        it->setData(Qt::CheckStateRole, state == CheckState::Checked ? Qt::Checked : Qt::Unchecked);
    applyFixedLook(row, col);
}

void GridControl::setCellAlignment(int row, int col, Qt::Alignment alignment) {
    if (QTableWidgetItem* it = ensureCell(row, col))
        it->setTextAlignment(alignment);
}

void GridControl::setColAlignment(int col, Qt::Alignment alignment) {
    colAlignment_.insert(col, alignment);
    viewport()->update();
}

void GridControl::setCellComboList(int row, int col, const QString& list) {
    if (list.isEmpty())
        cellLists_.remove(QPoint(col, row));
    else
        cellLists_.insert(QPoint(col, row), list);
}

void GridControl::setRowComboList(int row, const QString& list) {
    if (list.isEmpty())
        rowLists_.remove(row);
    else
        rowLists_.insert(row, list);
}

QString GridControl::ComboListFor(int row, int col) const {
    const auto own = cellLists_.constFind(QPoint(col, row));
    if (own != cellLists_.constEnd())
        return *own;
    return rowLists_.value(row);
}

// --- Editing ---------------------------------------------------------------------

void GridControl::setEditable(bool on) {
    editable_ = on;
    if (!on && state() == QAbstractItemView::EditingState && editor_)
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    viewport()->update();
}

bool GridControl::mayEdit(int row, int col) {
    if (!editable_ || !isEnabled() || IsFixedCell(row, col))
        return false;
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount())
        return false;
    bool cancel = false;
    emit BeforeEdit(row, col, cancel);
    return !cancel;
}

bool GridControl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (index.isValid() && trigger != QAbstractItemView::NoEditTriggers &&
        state() != QAbstractItemView::EditingState) {
        const bool opensEditor =
            trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
        const bool checkCell = CellChecked(index.row(), index.column()) != CheckState::None;
        if (opensEditor && !checkCell && !mayEdit(index.row(), index.column()))
            return false;
    }
    return QTableWidget::edit(index, trigger, event);
}

bool GridControl::EditCell(int row, int col) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount())
        return false;
    setCurrentCell(row, col);
    return edit(model()->index(row, col), QAbstractItemView::AllEditTriggers, nullptr);
}

QWidget* GridControl::ActiveEditor() const {
    if (state() != QAbstractItemView::EditingState || !editor_ || !editor_->isVisible())
        return nullptr;
    return editor_;
}

QString GridControl::EditText() const {
    if (validating_)
        return validatingText_;
    if (QWidget* editor = ActiveEditor())
        return EditorText(editor);
    return TextMatrix(Row(), Col());
}

void GridControl::setEditText(const QString& text) {
    if (validating_) {
        validatingText_ = text;
        return;
    }
    if (QWidget* editor = ActiveEditor())
        SetEditorText(editor, text);
}

bool GridControl::toggleCheck(int row, int col) {
    if (!mayEdit(row, col))
        return false;
    const bool checked = CellChecked(row, col) == CheckState::Checked;
    setCellChecked(row, col, !checked);
    queueAfterEdit(row, col);
    return true;
}

bool GridControl::validateEditor(QWidget* editor, int row, int col) {
    if (validating_)
        return false;
    validating_ = true;
    validatingText_ = EditorText(editor);
    bool cancel = false;
    emit ValidateEdit(row, col, cancel);
    validating_ = false;
    if (cancel) {
        validatedEditor_ = nullptr;
        return false;
    }
    validatedEditor_ = editor;
    validatedText_ = validatingText_;
    return true;
}

bool GridControl::commitEditor(QWidget* editor, int row, int col) {
    if (validatedEditor_ != editor && !validateEditor(editor, row, col))
        return false;
    const QString text = validatedText_;
    validatedEditor_ = nullptr;
    setTextMatrix(row, col, text);
    queueAfterEdit(row, col);
    return true;
}

void GridControl::queueAfterEdit(int row, int col) {
    QMetaObject::invokeMethod(
        this,
        [this, row, col]() {
            if (row < rowCount() && col < columnCount())
                emit AfterEdit(row, col);
        },
        Qt::QueuedConnection);
}

// --- Layout --------------------------------------------------------------------

int GridControl::ContentWidth(int col) const {
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (columnSpan(r, col) > 1 || rowSpan(r, col) > 1)
            continue;
        int w = metrics.horizontalAdvance(TextMatrix(r, col));
        if (CellChecked(r, col) != CheckState::None)
            w += style()->pixelMetric(QStyle::PM_IndicatorWidth) + kTextPadding;
        widest = qMax(widest, w);
    }
    return widest + 3 * kTextPadding;
}

void GridControl::AutoSize(int col0, int col1) {
    for (int c = qMax(0, col0); c <= col1 && c < columnCount(); ++c)
        setColumnWidth(c, ContentWidth(c));
}
