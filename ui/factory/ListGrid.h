// One list grid of the factory settings dialog (vfgStation or vfgUser): the
// 128 entries of the station or user list of the dialog's working record,
// their character rules, the leading-blank label and the exchange with list
// files (records/ListFile.h).
//
// - Column 0 shows the entry number, column 1 the identifier. An identifier
//   that breaks the detector's rule (ListFile::IsIdentifierValid) is red,
//   a valid one white.
// - The identifiers are shown as the record holds them, white. Typing in
//   column 1 of the station grid takes only the list keys (blank, "-", "_",
//   "/", ">", "<", digits, letters) and at most 16 characters; after an edit
//   the cell's colour follows the rule (lower-case letters and "_" can be
//   typed but turn it red). The user grid takes any key, but no more than the
//   16 characters the detector keeps; its cells change colour only by an
//   import.
// - The label shows "(Left space N)", the blanks in front of the identifier
//   of the current cell (also while it is being typed); it is empty in
//   column 0 and when the grid loses the focus.
// - Export writes the 128 identifiers as they stand; import takes line n of
//   a file into row n, marks the working record's entry n as changed for
//   every line read, and checks every row again. A refused file leaves the
//   grid and the record as they were.
// The record's list itself changes only at WriteBack (the dialog's OK).
#pragma once

#include "records/ListFile.h"

#include <QObject>
#include <QStringList>

class GridControl;
class QLabel;
class QWidget;
class clsInstrument;

class ListGrid : public QObject {
    Q_OBJECT
public:
    static constexpr int kNumberColumn = 0;
    static constexpr int kIdentifierColumn = 1;

    ListGrid(GridControl* grid, QLabel* spaceCount, ListFile::List list, QWidget* dialog);

    ListFile::List List() const { return list_; }
    GridControl* Grid() const { return grid_; }

    // Shapes the grid and shows the record's list.
    void Fill(const clsInstrument& record);
    // The identifiers of rows 0..127.
    QStringList Identifiers() const;
    // True when no row is red.
    bool IsValid() const;
    // Puts every identifier that differs from the record's entry into it
    // (the record's write marks the entry changed).
    void WriteBack(clsInstrument& record) const;

    // Export: the rule check (station list only), the save dialog, the file,
    // "Export Complete". False when nothing was written.
    bool ExportList();
    // Import: the open dialog, the file into the grid and the record's flags.
    // False when nothing was taken.
    bool ImportList(clsInstrument& record);

    // The same without the dialogs; false with the reason in *error.
    bool ExportTo(const QString& path, QString* error) const;
    bool ImportFrom(const QString& path, clsInstrument& record, QString* error);

    // Colours every row by the rule.
    void CheckAllRows();

private:
    void checkRow(int row);
    void showLeadingBlanks(const QString& text);
    void clearLeadingBlanks();
    void onKeyPress(int row, int col, int& key);
    void onAfterEdit(int row, int col);
    void onEnterCell(int row, int col);
    void fitIdentifierColumn();
    QString fileFilter() const;

    GridControl* grid_;
    QLabel* spaceCount_;
    ListFile::List list_;
    QWidget* dialog_;
};
