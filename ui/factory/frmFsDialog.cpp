#include "ui/factory/frmFsDialog.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/SettingsTable.h"
#include "ui/FontCopy.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/factory/GasTableGrid.h"
#include "ui/factory/ListGrid.h"
#include "ui/factory/SetupPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The dialog's size at first show: room for the pages' labels and values and
// for a good part of the gas table.
constexpr int kInitialWidth = 980;
constexpr int kInitialHeight = 700;

QPushButton* Button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

GridControl* Grid(QWidget* parent, const QString& name) {
    auto* g = new GridControl(parent);
    g->setObjectName(name);
    return g;
}

// Clears every change flag of a record, also those ClearChangeFlags leaves
// alone (FlowLevel, pressOffset and the channels' internal flags): the
// working record's flags then say exactly what the dialog changed.
void ClearEveryFlag(clsInstrument& record) {
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        for (int i = 0; i < s.count(); ++i)
            s.SetChanged(record, i, false);
    }
}

} // namespace

frmFsDialog::frmFsDialog(const AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("frmFsDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    Form_Load();
}

frmFsDialog::~frmFsDialog() = default;

QWidget* frmFsDialog::BuildListTab() {
    auto* tab = new QWidget(SSTab1);
    lblStation = new QLabel(tab);
    lblStation->setObjectName(QStringLiteral("lblStation"));
    lblUser = new QLabel(tab);
    lblUser->setObjectName(QStringLiteral("lblUser"));
    vfgStation = Grid(tab, QStringLiteral("vfgStation"));
    vfgUser = Grid(tab, QStringLiteral("vfgUser"));
    lblStation->setBuddy(vfgStation);
    lblUser->setBuddy(vfgUser);
    cmdStationExport = Button(tab, "cmdStationExport", QString());
    cmdStationImport = Button(tab, "cmdStationImport", QString());
    cmdUserExport = Button(tab, "cmdUserExport", QString());
    cmdUserImport = Button(tab, "cmdUserImport", QString());
    lblSpaceCount = new QLabel(tab);
    lblSpaceCount->setObjectName(QStringLiteral("lblSpaceCount"));

    auto* layout = new QGridLayout(tab);
    layout->addWidget(lblStation, 0, 0, 1, 2);
    layout->addWidget(lblUser, 0, 2, 1, 2);
    layout->addWidget(vfgStation, 1, 0, 1, 2);
    layout->addWidget(vfgUser, 1, 2, 1, 2);
    layout->addWidget(cmdStationExport, 2, 0);
    layout->addWidget(cmdStationImport, 2, 1);
    layout->addWidget(cmdUserExport, 2, 2);
    layout->addWidget(cmdUserImport, 2, 3);
    layout->addWidget(lblSpaceCount, 3, 0, 1, 4);
    layout->setRowStretch(1, 1);

    connect(cmdStationExport, &QPushButton::clicked, this, &frmFsDialog::cmdStationExport_Click);
    connect(cmdStationImport, &QPushButton::clicked, this, &frmFsDialog::cmdStationImport_Click);
    connect(cmdUserExport, &QPushButton::clicked, this, &frmFsDialog::cmdUserExport_Click);
    connect(cmdUserImport, &QPushButton::clicked, this, &frmFsDialog::cmdUserImport_Click);
    stations_ = new ListGrid(vfgStation, lblSpaceCount, ListFile::List::Station, this);
    users_ = new ListGrid(vfgUser, lblSpaceCount, ListFile::List::User, this);
    return tab;
}

QWidget* frmFsDialog::BuildParameterTab() {
    auto* tab = new QWidget(SSTab1);
    SSTab2 = new QTabWidget(tab);
    SSTab2->setObjectName(QStringLiteral("SSTab2"));
    for (int i = 0; i < 3; ++i) {
        vfgDatas[i] = Grid(SSTab2, QStringLiteral("vfgDatas%1").arg(i));
        pages_[i] = new SetupPage(vfgDatas[i], static_cast<SetupRows::Page>(i), working_);
        SSTab2->addTab(vfgDatas[i], QString());
    }
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(SSTab2);
    return tab;
}

QWidget* frmFsDialog::BuildGasTab() {
    auto* tab = new QWidget(SSTab1);
    lblGasTbl = new QLabel(tab);
    lblGasTbl->setObjectName(QStringLiteral("lblGasTbl"));
    lblGasTbl->setWordWrap(true);
    vfgGasTbl = Grid(tab, QStringLiteral("vfgGasTbl"));
    gasTable_ = new GasTableGrid(vfgGasTbl);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(lblGasTbl);
    layout->addWidget(vfgGasTbl, 1);
    return tab;
}

void frmFsDialog::BuildControls() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(BuildListTab(), QString());
    SSTab1->addTab(BuildParameterTab(), QString());
    SSTab1->addTab(BuildGasTab(), QString());

    cmdOK = Button(this, "cmdOK", QString());
    cmdCancel = Button(this, "cmdCancel", QString());
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmFsDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFsDialog::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(SSTab1, 1);
    outer->addLayout(buttons);
}

void frmFsDialog::Form_Load() {
    setWindowTitle(LoadMessage(kMsgFactorySettingTitle));
    cmdOK->setText(LoadMessage(kMsgOk));
    cmdCancel->setText(LoadMessage(kMsgCancel));
    lblStation->setText(LoadMessage(kMsgStationList));
    lblUser->setText(LoadMessage(kMsgUserList));
    for (QPushButton* b : {cmdStationExport, cmdUserExport})
        b->setText(LoadMessage(kMsgExportCsv));
    for (QPushButton* b : {cmdStationImport, cmdUserImport})
        b->setText(LoadMessage(kMsgImportCsv));
    SSTab1->setTabText(kTabStationUser, LoadMessage(kMsgTabStationUser));
    SSTab1->setTabText(kTabParameter, LoadMessage(kMsgTabParameter));
    SSTab1->setTabText(kTabGasTable, LoadMessage(kMsgTabGasTable));
    SSTab2->setTabText(kPageSetUp, LoadMessage(kMsgTabSetUp));
    SSTab2->setTabText(kPageFactory, LoadMessage(kMsgTabFactorySettings));
    SSTab2->setTabText(kPageOther, LoadMessage(kMsgTabOther));
    lblGasTbl->setText(LoadMessage(kMsgGasTableNote));
    ApplySharedFont(this, settings_.SharedFont);
    for (QPushButton* b : {cmdOK, cmdCancel})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")));
    resize(kInitialWidth, kInitialHeight);
    activated_ = false;
}

void frmFsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_)
        FirstActivation();
}

void frmFsDialog::FirstActivation() {
    activated_ = true;
    if (instrument_)
        working_ = *instrument_;
    ClearEveryFlag(working_);
    for (SetupPage* page : pages_)
        page->Fill();
    stations_->Fill(working_);
    users_->Fill(working_);
    gasTable_->Fill(working_);
}

void frmFsDialog::cmdOK_Click() {
    if (!activated_) {
        reject();
        return;
    }
    for (ListGrid* list : {stations_, users_}) {
        if (!list->IsValid()) {
            MsgBox(this, LoadMessage(kMsgImproperData, {ListFile::ListName(list->List())}),
                   AppTitle(), QMessageBox::Critical);
            return;
        }
    }
    for (SetupPage* page : pages_)
        page->WriteBack(working_);
    stations_->WriteBack(working_);
    users_->WriteBack(working_);
    gasTable_->WriteBack(working_);
    if (instrument_)
        instrument_->CopyChangedFrom(working_);
    accept();
}

void frmFsDialog::cmdCancel_Click() {
    reject();
}

void frmFsDialog::cmdStationExport_Click() {
    stations_->ExportList();
}

void frmFsDialog::cmdStationImport_Click() {
    stations_->ImportList(working_);
}

void frmFsDialog::cmdUserExport_Click() {
    users_->ExportList();
}

void frmFsDialog::cmdUserImport_Click() {
    users_->ImportList(working_);
}
