// The main window's "Calibration" command: the detector's pump on, the
// calibration window (ui/calibration/frmCalibration) modally, the pump off,
// and the window's values shown again (a span run read the latest
// calibration history into the record).
#include "ui/main/frmMain.h"

#include "link/uclTqif.h"
#include "ui/calibration/frmCalibration.h"

void frmMain::CalibrationClick() {
    if (uclTQ6937->IsBusy())
        return;
    uclTQ6937->SetPump(true);
    {
        frmCalibration calibration(*this);
        calibration.exec();
    }
    uclTQ6937->SetPump(false);
    RefreshAll();
}
