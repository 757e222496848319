// The factory settings dialog for tests: a caller's record that looks like
// a detector's (lists, library, gas in use, one unsaved edit with its flag),
// the dialog shown on it, and a snapshot of every value and change flag of a
// record to prove what OK and Cancel did to it.
#pragma once

#include "UiTestKit.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "common/TestSupport.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"
#include "ui/factory/FileChoice.h"
#include "ui/factory/GasTableGrid.h"
#include "ui/factory/ListGrid.h"
#include "ui/factory/SetupPage.h"
#include "ui/factory/frmFsDialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

namespace factorytest {

using testsupport::ReadAll;
using testsupport::WriteAll;

// Every setting with its flag, and the library, as text lines.
inline QStringList Snapshot(const clsInstrument& r) {
    QStringList lines;
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        for (int i = 0; i < s.count(); ++i)
            lines << QStringLiteral("%1[%2]=%3 %4")
                         .arg(s.Key)
                         .arg(i)
                         .arg(s.Get(r, i).toString())
                         .arg(s.Changed(r, i) ? QStringLiteral("changed") : QString());
    }
    for (int k = 0; k < clsInstrument::kLiEntries; ++k)
        lines << QStringLiteral("LI[%1]=%2 %3 %4")
                     .arg(k)
                     .arg(r.LI_Name(k))
                     .arg(r.LI_FullScale(k))
                     .arg(r.LI_Digit(k));
    return lines;
}

// The keys ("Key[index]") of the snapshot lines that differ, sorted.
inline QStringList ChangedKeys(const QStringList& before, const QStringList& after) {
    QStringList keys;
    for (int i = 0; i < int(qMin(before.size(), after.size())); ++i) {
        if (before.at(i) != after.at(i))
            keys << before.at(i).section(QLatin1Char('='), 0, 0);
    }
    if (before.size() != after.size())
        keys << QStringLiteral("(lines)");
    keys.sort();
    return keys;
}

// A record as a read would leave it, with one unsaved edit (Alarm of
// channel 2) still flagged.
inline clsInstrument DetectorLikeRecord() {
    clsInstrument r;
    r.setRomNumber(4152);
    r.setSpecNo(QStringLiteral("SP-0415"));
    r.setDummySerial(QStringLiteral("M240300127"));
    r.setCalLimit(180);
    r.setBumpLimit(30);
    r.setLcdBackLight(30);
    r.setBumpTime(2);
    r.setBhTime(0);
    r.setAlarmO2(1);
    r.setStationList(0, QStringLiteral("STATION-01"));
    r.setStationList(1, QStringLiteral("TANK YARD A"));
    r.setUserList(0, QStringLiteral("USER-01"));
    r.setUserList(1, QStringLiteral("K. TANAKA"));
    r.setLI_Name(1, QStringLiteral("CH4"));
    r.setLI_FullScale(1, 100);
    r.setLI_Digit(1, 1);
    r.setLI_Unit(1, QStringLiteral("%LEL"));
    r.setLI_Ratio(1, 1);
    r.setLSindex(1);
    r.setLS_Name(0, QStringLiteral("CH4"));
    r.setLS_FullScale(0, 100);
    r.setLS_Digit(0, 1);
    r.setLS_Unit(0, QStringLiteral("%LEL"));
    r.setLS_Ratio(0, 1);
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        for (int i = 0; i < s.count(); ++i)
            s.SetChanged(r, i, false);
    }
    r.setAlarm(2, 60); // the user's unsaved edit in the main window
    return r;
}

// Picks an item of the drop-down list of a cell and presses Enter. True when
// the cell took it.
inline bool ChooseInCell(GridControl& grid, int row, int col, const QString& item) {
    grid.setFocus();
    grid.setCurrentCell(row, col);
    if (!grid.EditCell(row, col))
        return false;
    auto* combo = qobject_cast<QComboBox*>(grid.ActiveEditor());
    if (!combo)
        return false;
    const int index = combo->findText(item);
    if (index < 0) {
        QTest::keyClick(combo, Qt::Key_Escape);
        return false;
    }
    combo->setCurrentIndex(index);
    QTest::keyClick(combo, Qt::Key_Return);
    QCoreApplication::processEvents();
    return grid.TextMatrix(row, col) == item;
}

// The row of a setup page that shows a label.
inline int RowOfLabel(const frmFsDialog& dialog, int page, int label) {
    const auto& rows = dialog.Page(page)->Rows();
    for (int r = 0; r < int(rows.size()); ++r) {
        if (rows.at(size_t(r)).label == label)
            return r;
    }
    ADD_FAILURE() << "no row with label " << label;
    return -1;
}

// A grid of the dialog with its tab brought to the front (editors open only
// on a grid that is shown).
inline GridControl& OnTab(frmFsDialog& dialog, int tab, GridControl* grid) {
    dialog.SSTab1->setCurrentIndex(tab);
    QCoreApplication::processEvents();
    return *grid;
}
inline GridControl& OnPage(frmFsDialog& dialog, int page) {
    dialog.SSTab2->setCurrentIndex(page);
    return OnTab(dialog, frmFsDialog::kTabParameter, dialog.vfgDatas[page]);
}

struct DialogRig : uitest::BoxRecorder {
    testsupport::ScratchDir dir;
    AppSettings settings;
    clsInstrument record = DetectorLikeRecord();
    std::unique_ptr<frmFsDialog> dialog;
    // Answers the file dialogs: the next file to choose ("" = cancel).
    QString nextFile;
    QList<FileRequest> fileRequests;
    ScopedFileChooser chooser{[this](const FileRequest& request) {
        fileRequests << request;
        return nextFile;
    }};

    DialogRig() { open(); }
    void open() {
        dialog = std::make_unique<frmFsDialog>(settings);
        dialog->setInstrument(&record);
        dialog->show();
        QCoreApplication::processEvents();
    }
    GridControl& page(int index) { return OnPage(*dialog, index); }
    GridControl& stations() {
        return OnTab(*dialog, frmFsDialog::kTabStationUser, dialog->vfgStation);
    }
    GridControl& users() { return OnTab(*dialog, frmFsDialog::kTabStationUser, dialog->vfgUser); }
    GridControl& gas() { return OnTab(*dialog, frmFsDialog::kTabGasTable, dialog->vfgGasTbl); }
    QString file(const QString& name) const { return dir.file(name); }
    QString improper(int listName) const {
        return LoadMessage(kMsgImproperData, {LoadMessage(listName)});
    }
};

} // namespace factorytest
