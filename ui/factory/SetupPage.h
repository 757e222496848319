// One setup page of the factory settings dialog (vfgDatas(0..2)), built
// from the page's rows (model/SetupRows.h): column 0 the label, column 1 the
// value as text, hidden column 2 the row's choices ("|"-separated; empty for
// a typed value). Locked rows have their value cell in the fixed colour and
// cannot be edited.
//
// Editing: a choice row offers its list; a typed row takes only the keys its
// typing rule allows (lower-case letters become upper case where the rule
// says so) and an edited text that the row refuses leaves the cell as it was.
// Nothing reaches the record before WriteBack (the dialog's OK), which puts
// the value of every row whose text was changed into the record.
#pragma once

#include "model/SetupRows.h"

#include <QObject>
#include <QStringList>

class GridControl;
class clsInstrument;

class SetupPage : public QObject {
    Q_OBJECT
public:
    static constexpr int kLabelColumn = 0;
    static constexpr int kValueColumn = 1;
    static constexpr int kChoicesColumn = 2;

    // `record` is the dialog's working record (the choices of some rows
    // depend on it).
    SetupPage(GridControl* grid, SetupRows::Page page, const clsInstrument& record);

    SetupRows::Page Page() const { return page_; }
    GridControl* Grid() const { return grid_; }
    const std::vector<SetupRows::Row>& Rows() const { return SetupRows::Rows(page_); }

    // Shapes the grid and shows the record's values.
    void Fill();
    // Puts the value of every row whose text changed since Fill into the
    // record; returns how many settings changed.
    int WriteBack(clsInstrument& record) const;

private:
    void onBeforeEdit(int row, int col, bool& cancel);
    void onKeyPress(int row, int col, int& key);
    void onValidate(int row, int col, bool& cancel);
    const SetupRows::Row* rowAt(int row) const;

    GridControl* grid_;
    SetupRows::Page page_;
    const clsInstrument& record_;
    QStringList filled_; // the value texts as Fill showed them
};
