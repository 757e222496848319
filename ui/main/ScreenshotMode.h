// A run without a person at the screen that produces the pictures of the
// main window for the documentation: it enters the access code, waits for
// the (demonstration) detector to connect, reads it with "Instrument
// Information", saves a picture of the window and ends the program.
//
// Started by the hidden option "--screenshot FILE" (with --demo); see
// docs/window.md and scripts/screenshots.sh. A FILE holding "%1" takes the
// pages of the factory settings dialog instead, opened on the record just
// read: "%1" becomes "lists", "setup", "factory", "other" and "gas". With "--screenshot-question
// FILE" it then changes a few settings as a technician would, presses
// "Update" and saves a picture of the question with its preview of what the
// write changes, answers No and ends.
#pragma once

#include <QString>

class frmPassword;

enum class ScreenshotScene {
    MainWindow,     // the main window after a read
    UpdateQuestion, // the "Update" question with its preview, over the window
    Calibration,    // the calibration window after a span run
    Register,       // the instrument register: "%1" in FILE becomes "list" and "detector"
};

// Arms the run on the access-code dialog that is about to be shown. The
// program's exit code is 0 when the picture was saved, 1 otherwise.
void StartScreenshotMode(frmPassword& password, const QString& accessCode, const QString& file,
                         ScreenshotScene scene = ScreenshotScene::MainWindow);
