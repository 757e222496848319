// The factory settings dialog: the instrument's less common settings on
// three setup pages, the station and user lists, and the gas table.
//
// The caller sets Instrument to its settings record and shows the dialog
// modally. At the first activation the dialog copies the record into a
// private working record, clears the working record's change flags and fills
// every grid from it. The grids are edited (and the lists imported) without
// touching the caller's record. OK checks the station and user lists (an
// invalid one keeps the dialog open with "Improper data found"), writes every
// grid into the working record and copies the settings whose flags are now
// set into Instrument (clsInstrument::CopyChangedFrom), so only what the user
// changed (or imported) travels back, flagged for the next write. Cancel
// leaves Instrument and its change flags exactly as they were.
#pragma once

#include "model/clsInstrument.h"

#include <QDialog>

class GasTableGrid;
class GridControl;
class ListGrid;
class QLabel;
class QPushButton;
class QTabWidget;
class SetupPage;
struct AppSettings;

class frmFsDialog : public QDialog {
    Q_OBJECT
public:
    // Tabs of SSTab1 and SSTab2.
    enum Tab { kTabStationUser = 0, kTabParameter = 1, kTabGasTable = 2 };
    enum Page { kPageSetUp = 0, kPageFactory = 1, kPageOther = 2 };

    explicit frmFsDialog(const AppSettings& settings, QWidget* parent = nullptr);
    ~frmFsDialog() override;

    // The caller's record; set before the dialog is shown.
    clsInstrument* Instrument() const { return instrument_; }
    void setInstrument(clsInstrument* record) { instrument_ = record; }
    // The dialog's own copy the grids are filled from and written into.
    const clsInstrument& WorkingRecord() const { return working_; }
    bool Activated() const { return activated_; }

    QTabWidget* SSTab1 = nullptr;
    QTabWidget* SSTab2 = nullptr;
    GridControl* vfgDatas[3] = {};
    GridControl* vfgStation = nullptr;
    GridControl* vfgUser = nullptr;
    GridControl* vfgGasTbl = nullptr;
    QLabel* lblStation = nullptr;
    QLabel* lblUser = nullptr;
    QLabel* lblSpaceCount = nullptr;
    QLabel* lblGasTbl = nullptr;
    QPushButton* cmdStationExport = nullptr;
    QPushButton* cmdStationImport = nullptr;
    QPushButton* cmdUserExport = nullptr;
    QPushButton* cmdUserImport = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    ListGrid* StationGrid() const { return stations_; }
    ListGrid* UserGrid() const { return users_; }
    SetupPage* Page(int index) const { return pages_[index]; }
    GasTableGrid* GasTbl() const { return gasTable_; }

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdStationExport_Click();
    void cmdStationImport_Click();
    void cmdUserExport_Click();
    void cmdUserImport_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void FirstActivation();
    QWidget* BuildListTab();
    QWidget* BuildParameterTab();
    QWidget* BuildGasTab();

    const AppSettings& settings_;
    clsInstrument* instrument_ = nullptr;
    clsInstrument working_;
    bool activated_ = false;
    SetupPage* pages_[3] = {};
    ListGrid* stations_ = nullptr;
    ListGrid* users_ = nullptr;
    GasTableGrid* gasTable_ = nullptr;
};
