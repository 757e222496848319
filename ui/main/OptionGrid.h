// The option grid of the main window (vfgOption): per gas channel the gas,
// whether it is enabled, its warning, alarm, STEL and TWA points and its
// auto-cal concentration. The rules behind the cells live in
// model/OptionRules; this class binds them to a GridControl.
//
// Rows 0 and 1 are headers (row 0 merges "Warning and Alarm point" over the
// four point columns); rows 2..6 are channels 0..4. Locked cells carry the
// grid's fixed-cell colour and cannot be edited; cells whose values break a
// rule are red.
//
// Hosting: create a GridControl where the grid belongs, then
//     optionGrid = new OptionGrid(record, defaults, vfgOption, this);
//     optionGrid->setRefreshAllHandler([this] { RefreshAll(); });
//     optionGrid->setLiTableStateProvider([this] { return <LI-table state>; });
// and call optionGrid->Refresh(OptionRules::ShowsRecordValues(status, record))
// from the window's refresh. setEditable follows the window's state model.
#pragma once

#include <QObject>
#include <functional>

class GridControl;
class clsInstrument;
struct AppSettings;

class OptionGrid : public QObject {
    Q_OBJECT
public:
    static constexpr int kRows = 7;
    static constexpr int kEmptyRows = 6; // headers and four empty rows

    // `record` is the working record the grid edits; `defaults` supplies
    // auto-cal values the record lacks. `settings` (the program-wide App()
    // outside tests) holds the gas change table, the locked channels and the
    // auto-cal array.
    OptionGrid(clsInstrument& record, const clsInstrument& defaults, GridControl* grid,
               QObject* parent = nullptr);
    OptionGrid(clsInstrument& record, const clsInstrument& defaults, AppSettings& settings,
               GridControl* grid, QObject* parent = nullptr);

    GridControl* vfgOption() const { return grid_; }

    // Rebuilds the grid: with values, the five channel rows filled, locked
    // and coloured (and the auto-cal array of channels 0..3 updated); without,
    // the headers and four empty rows.
    void Refresh(bool showValues);
    bool ShowsValues() const { return showValues_; }
    // Colours the channel rows again from the record.
    void ColourRows();
    // Grid editing on or off (the window's state model).
    void setEditable(bool on);

    // Set while a handler of the grid runs; every grid event returns at once
    // while it is set.
    bool GridBusy() const { return gridBusy_; }
    void setGridBusy(bool on) { gridBusy_ = on; }

    // The main window's "refresh all displayed values"; without one the grid
    // refreshes only itself.
    void setRefreshAllHandler(std::function<void()> handler) { refreshAll_ = std::move(handler); }
    // Whether the detector's gas library (LI table) is in use for channel 0.
    void setLiTableStateProvider(std::function<bool()> provider) {
        liTableState_ = std::move(provider);
    }
    bool LiTableState() const { return liTableState_ ? liTableState_() : false; }

    // The first column takes this share of the width (more for Japanese
    // captions), the others share the rest; called on every resize.
    void FitColumns();

    // Why the last edit of a point or auto-cal cell was refused ("Alarm must
    // be at most 30 for this channel."), shown next to the cell while the
    // editor stays open; empty after an edit that was taken.
    QString LastRefusal() const { return lastRefusal_; }

    static int RowOf(int ch) { return ch + 2; }
    static int ChannelOf(int row) { return row - 2; }

private:
    void vfgOption_BeforeEdit(int Row, int Col, bool& Cancel);
    void vfgOption_ValidateEdit(int Row, int Col, bool& Cancel);
    void vfgOption_AfterEdit(int Row, int Col);
    void EnableToggled(int ch);
    void FillHeaders();
    void FillRow(int ch);
    void LockCells();
    void RefreshAllValues();
    void ShowRefusal(int Row, int Col, const QString& reason);

    clsInstrument& record_;
    const clsInstrument& defaults_;
    AppSettings& settings_;
    GridControl* grid_;
    bool showValues_ = false;
    bool gridBusy_ = false;
    std::function<void()> refreshAll_;
    std::function<bool()> liTableState_;
    QString lastRefusal_;
};
