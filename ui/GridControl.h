// The flexible grid the program's windows show and edit their tables in: the
// option grid of the main window, the station/user lists, the gas table, the
// setup pages and the calibration grid.
//
// It is a QTableWidget with the behaviour those windows rely on:
// - fixed (header) rows and columns, drawn in the fixed-cell colour and never
//   editable; merged cells (MergeCells) for headers spanning several columns;
// - cell texts, per-cell background colours (a caller locks a cell by giving
//   it the fixed-cell colour and refusing it in BeforeEdit), alignment;
// - check-box cells (CheckState per cell, toggled by a click or Space);
// - per-cell or per-row drop-down lists ("a|b|c"; a leading "|" makes the
//   list editable as well);
// - edit events with a cancel flag: BeforeEdit (refuse to start), KeyPressEdit
//   (drop or replace a typed character), ChangeEdit, ValidateEdit (refuse the
//   edited text: the cell keeps its previous text; on Enter/Tab the editor
//   stays open so the text can be corrected) and AfterEdit (queued: the cell
//   already holds the new text or check state).
//
// Only edits by the user raise events; texts, colours and check states set
// by code never do. The grid draws the current cell as a frame so that cell
// colours stay visible under the cursor.
#pragma once

#include <QColor>
#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTableWidget>

class GridDelegate;

class GridControl : public QTableWidget {
    Q_OBJECT
public:
    enum class CheckState { None, Unchecked, Checked };

    explicit GridControl(QWidget* parent = nullptr);
    ~GridControl() override;

    // --- Shape ---------------------------------------------------------------
    int Rows() const { return rowCount(); }
    void setRows(int rows);
    int Cols() const { return columnCount(); }
    void setCols(int cols);
    int FixedRows() const { return fixedRows_; }
    void setFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    void setFixedCols(int cols);
    bool IsFixedCell(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }
    // Removes every text, colour, check box, list and merge; keeps the shape.
    void Clear();
    // Merges a block of cells; the top-left cell's text is shown across it.
    void MergeCells(int row, int col, int rowSpan, int colSpan);

    // --- Cells ---------------------------------------------------------------
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // The background of a cell: its own colour, else the fixed-cell colour
    // for fixed cells and the grid's back colour for the others.
    QColor CellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, const QColor& color);
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QColor BackColorFixed() const { return backColorFixed_; }
    void setBackColorFixed(const QColor& color);
    CheckState CellChecked(int row, int col) const;
    void setCellChecked(int row, int col, CheckState state);
    void setCellChecked(int row, int col, bool checked) {
        setCellChecked(row, col, checked ? CheckState::Checked : CheckState::Unchecked);
    }
    void setCellAlignment(int row, int col, Qt::Alignment alignment);
    void setColAlignment(int col, Qt::Alignment alignment);
    // Drop-down lists offered by the editor; an empty list means free text.
    // A cell's own list wins over its row's list.
    void setCellComboList(int row, int col, const QString& list);
    void setRowComboList(int row, const QString& list);
    QString ComboListFor(int row, int col) const;

    // --- Current cell and editing -------------------------------------------
    int Row() const { return currentRow(); }
    int Col() const { return currentColumn(); }
    void setRowCol(int row, int col) { setCurrentCell(row, col); }
    // Editing switched off entirely (no editors, no check-box toggles).
    bool Editable() const { return editable_; }
    void setEditable(bool on);
    // Starts editing a cell as a key press would (BeforeEdit can refuse).
    bool EditCell(int row, int col);
    // The editor that is open, or null.
    QWidget* ActiveEditor() const;
    // The text being typed: the editor's text while an editor is open (inside
    // ValidateEdit the text about to be stored); else the current cell's text.
    QString EditText() const;
    // Inside ValidateEdit: replaces the text that will be stored. With an open
    // editor: replaces the editor's text.
    void setEditText(const QString& text);

    // --- Layout --------------------------------------------------------------
    int ColWidth(int col) const { return columnWidth(col); }
    void setColWidth(int col, int width) { setColumnWidth(col, width); }
    bool ColHidden(int col) const { return isColumnHidden(col); }
    void setColHidden(int col, bool hidden) { setColumnHidden(col, hidden); }
    // Widens columns col0..col1 to their widest text.
    void AutoSize(int col0, int col1);
    // The width a column needs for its widest text (merged cells excluded).
    int ContentWidth(int col) const;

signals:
    void BeforeEdit(int row, int col, bool& cancel);
    // key: the typed character (8 for backspace). Set it to 0 to drop the key,
    // or to another character to type that one instead.
    void KeyPressEdit(int row, int col, int& key);
    void ChangeEdit();
    void ValidateEdit(int row, int col, bool& cancel);
    void AfterEdit(int row, int col);
    void EnterCell(int row, int col);
    void Click(int row, int col);
    void LostFocus();
    // The viewport (the part that shows cells) changed size, also when a
    // scroll bar came or went; the grid's font changed. Never emitted once
    // the grid is being destroyed, unlike the events a filter would see.
    void ViewportResized();
    void FontChanged();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Typing on a cell that cannot be edited must not jump to another row.
    void keyboardSearch(const QString&) override {}

private:
    friend class GridDelegate;

    QTableWidgetItem* cell(int row, int col) const;
    QTableWidgetItem* ensureCell(int row, int col);
    void applyFixedLook(int row, int col);
    void refreshFixedLook();
    // BeforeEdit for a cell; false when the edit must not start.
    bool mayEdit(int row, int col);
    // A check-box cell clicked or hit with Space: BeforeEdit, toggle, AfterEdit.
    bool toggleCheck(int row, int col);
    // Runs ValidateEdit on an editor's text; returns false when refused.
    bool validateEditor(QWidget* editor, int row, int col);
    // Stores an editor's text (validating it unless done already) and queues
    // AfterEdit; false when the text was refused.
    bool commitEditor(QWidget* editor, int row, int col);
    void queueAfterEdit(int row, int col);
    void updateRowHeight();

    GridDelegate* delegate_ = nullptr;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    bool editable_ = true;
    QColor backColor_;
    QColor backColorFixed_;
    QHash<QPoint, QString> cellLists_;
    QHash<int, QString> rowLists_;
    QHash<int, Qt::Alignment> colAlignment_;

    // Editing state.
    bool validating_ = false;
    QString validatingText_;
    QPointer<QWidget> editor_;          // the editor opened last
    QPointer<QWidget> validatedEditor_; // editor whose text passed validation
    QString validatedText_;
};
