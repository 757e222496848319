// "Detail Settings": the factory settings dialog on the window's record.
#include "ui/factory/frmFsDialog.h"
#include "ui/main/frmMain.h"

void frmMain::cmdFactorySetting_Click() {
    frmFsDialog dialog(settings_, this);
    dialog.setInstrument(&session_.Instrument);
    dialog.exec();
    // OK carried the changed settings into the record; Cancel left it alone.
    // Either way the window shows what the record holds.
    RefreshAll();
}
