// The gas table of the factory settings dialog (vfgGasTbl), with the rules
// of model/GasTable.h: header row 0, one row per library entry 1..15, the
// library columns and the in-use cells of other rows read only (in the
// fixed colour), the in-use cells of the gas in use editable.
//
// Editing: the unit cells offer "VOL%|%LEL|ppm|ppb" (other units can be
// typed and are checked); a name takes the list keys and at most 11
// characters; an edited text is checked and shown in its column's form
// (GasTable::CheckEdit), a refused one leaves the cell as it was. A new digit
// shows the row's full scale with the digit's decimals.
// Nothing reaches the record before WriteBack (the dialog's OK).
#pragma once

#include <QObject>
#include <QStringList>

class GridControl;
class clsInstrument;

class GasTableGrid : public QObject {
    Q_OBJECT
public:
    explicit GasTableGrid(GridControl* grid);

    GridControl* Grid() const { return grid_; }

    // Shapes the grid and shows the record's library and gas in use.
    void Fill(const clsInstrument& record);
    // Puts every in-use cell whose text changed since Fill into the record's
    // gas in use; returns how many fields changed.
    int WriteBack(clsInstrument& record) const;

private:
    void onBeforeEdit(int row, int col, bool& cancel);
    void onKeyPress(int row, int col, int& key);
    void onValidate(int row, int col, bool& cancel);
    void onAfterEdit(int row, int col);
    QStringList columnTexts(int col) const;
    QStringList rowTexts(int row) const;

    GridControl* grid_;
    int inUseRow_ = 0;
    QStringList filled_; // the in-use texts of the row in use as Fill showed them
};
