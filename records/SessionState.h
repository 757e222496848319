// Run-time state the whole program shares while it runs (none of it is kept
// between runs): the three settings records, the live readings of the
// detector, the calibration flow's flags and the run mode of the progress
// window, and the folders the program started in.
#pragma once

#include "model/clsInstrument.h"

#include <QDateTime>
#include <QString>

// Run modes of the progress window and the calibration flow
// (SessionState::CalMode).
constexpr int kCalModeInstrumentDownload = 0;
constexpr int kCalModeDownloadWithCancel = 1; // logger data or memory dump
constexpr int kCalModeUpload = 2;
constexpr int kCalModeZeroRun = 3;
constexpr int kCalModeSpanRun = 4;
constexpr int kCalModeCalibrationTransfer = 5;
constexpr int kCalModeCheckData = 6;

// A calibration run drives the write (span run or calibration transfer):
// the write commands then ask nothing, show no progress window and no
// completion box, and skip the checks before a settings write.
inline bool CalibrationDrivesWrite(int calMode) {
    return calMode == kCalModeSpanRun || calMode == kCalModeCalibrationTransfer;
}

struct SessionState {
    // The record that mirrors the connected detector (read, edited, written).
    clsInstrument Instrument;
    // Per-channel defaults the grid and the calibration window fall back on.
    clsInstrument Defaults;
    // The calibration window's own record.
    clsInstrument CalInstrument;
    // The detector's settings as they were last known: a copy of the record
    // taken after every successful read, brought up to date with what every
    // successful write then stored. The preview before a write compares with
    // it. HasLastRead is false until a read succeeded (and again after a
    // power-off); LastReadAt is when the copy was taken.
    clsInstrument LastRead;
    bool HasLastRead = false;
    QDateTime LastReadAt;

    // Live readings of channels 0..4 (-101: no value) and whether one arrived.
    float CurrentReading[5] = {-101.0f, -101.0f, -101.0f, -101.0f, -101.0f};
    bool ReadingReceived = false;
    // The calibration window is open and wants the readings.
    bool CalWindowOpen = false;
    // Channels selected for a span calibration.
    bool CalSelect[5] = {false, false, false, false, false};
    // Run mode of the progress window and the calibration flow: 0 instrument
    // download, 1 logger-data or dump download, 3 zero run, 4 span run,
    // 6 check-data writing.
    int CalMode = 0;
    // The calibration flow's run modes.
    static constexpr int kCalModeNone = 0;
    static constexpr int kCalModeZero = 3;
    static constexpr int kCalModeSpan = 4;

    // The folder that was current when the program started (serial logs,
    // logger image, dump list) and the program's own folder (reference image).
    QString StartupFolder;
    QString ProgramFolder;
};

// The one program-wide instance. Tests may reset it with `Session() = SessionState{}`.
SessionState& Session();
