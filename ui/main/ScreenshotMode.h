// A run without a person at the screen that produces the pictures of the
// main window for the documentation: it enters the access code, waits for
// the (demonstration) detector to connect, reads it with "Instrument
// Information", saves a picture of the window and ends the program.
//
// Started by the hidden option "--screenshot FILE" (with --demo); see
// docs/window.md and scripts/screenshots.sh.
#pragma once

#include <QString>

class frmPassword;

// What the picture shows: the main window after the read, or the
// calibration window after a span run (ui/calibration/CalibrationScreenshot).
enum class ScreenshotScene { MainWindow, Calibration };

// Arms the run on the access-code dialog that is about to be shown. The
// program's exit code is 0 when the picture was saved, 1 otherwise.
void StartScreenshotMode(frmPassword& password, const QString& accessCode, const QString& file,
                         ScreenshotScene scene = ScreenshotScene::MainWindow);
