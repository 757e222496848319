// Gas selection dialog: offers the gases a channel's sensor can be set to and
// returns the user's choice. The caller sets GasNo, shows the dialog modally
// and, when Flags() is true afterwards, applies SelNum() to the record
// (modGasCommon::ApplyGasSelection with the same LI-table state).
//
// Gas sources: for channel 0 with the detector's gas library available
// (liTableState true) the library entries 1..15 of the record (option k - 1
// offers entry k); otherwise the program's gas change table of the channel.
#pragma once

#include <QDialog>

class QGridLayout;
class QGroupBox;
class QPushButton;
class QRadioButton;
class clsInstrument;
struct AppSettings;

class frmGasSel : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOptions = 16;

    frmGasSel(const clsInstrument& record, const AppSettings& settings, bool liTableState,
              QWidget* parent = nullptr);

    // Channel whose gas is chosen (0..4). Setting it rebuilds the list and
    // forgets an earlier choice.
    int GasNo() const { return gasNo_; }
    void setGasNo(int channel);
    // Index of the option picked last; -1 while none is set.
    int SelNum() const { return selNum_; }
    void setSelNum(int index) { selNum_ = index; }
    // True when the dialog was closed with OK.
    bool Flags() const { return flags_; }
    void setFlags(bool on) { flags_ = on; }

    QGroupBox* fraGasSel = nullptr;
    QRadioButton* optGasList[kOptions] = {};
    QPushButton* cmdGasSel[2] = {}; // 0 OK, 1 Cancel

    // How many options are shown and in how many columns (for the layout).
    int VisibleCount() const;
    int ColumnCount() const { return columns_; }

public slots:
    void reject() override; // closing without OK: Flags stays false

private:
    void Form_Load();
    void BuildList();
    void LayoutOptions();
    void optGasList_Click(int Index);
    void cmdGasSel_Click(int Index);

    const clsInstrument& record_;
    const AppSettings& settings_;
    bool liTableState_;
    int gasNo_ = 0;
    int selNum_ = -1;
    bool flags_ = false;
    int columns_ = 1;
    QGridLayout* optionLayout_ = nullptr;
};
