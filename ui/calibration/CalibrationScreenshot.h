// The documentation's picture of the calibration window: on the
// demonstration detector, it opens the window from the main window, lets
// the trend fill for a while, runs a span of every channel, lets the
// readings rise to the span gas, saves a picture of the window and closes
// it. Started by the screenshot mode (hidden option
// "--screenshot-calibration FILE"); see scripts/screenshots.sh.
#pragma once

#include <QString>

#include <functional>

class frmMain;

// `finish` gets 0 and a note when the picture was saved, 1 and the reason
// otherwise. Message boxes are answered with OK while the scene runs.
void TakeCalibrationScreenshot(frmMain& window, const QString& file,
                               const std::function<void(int, const QString&)>& finish);
