// The checks run before "Update" and "Update ID" send a settings record to
// the detector. They use the option grid's own rules (model/OptionRules.h),
// so a record that passes here shows no red cell in the grid and the other
// way round. The result names the failed check and the catalogue texts of
// its message box; the window shows the box (critical icon), the
// command-line tool prints the text.
//
// The caller skips the checks while a calibration run drives the write
// (CalMode 4 or 5) and asks the "Update Ready?" question itself after they
// pass. A refused write sends nothing and changes nothing.
#pragma once

#include <QString>
#include <QStringList>

class clsInstrument;

enum class WriteCheck {
    Passed,
    PointsOutOfRange, // an enabled channel 0..3 breaks the order or limit rule
    ImproperAutoCal,  // a channel 0..4 holds an auto-cal value that breaks its rule
    NoSensor,         // no channel is enabled
    BadCombination,   // combustible channels 0 and 4 do not fit the HC mode, or
                      // an enabled channel has no gas name
};

struct WriteCheckResult {
    WriteCheck check = WriteCheck::Passed;
    int channel = -1; // the channel that failed, -1 when the check concerns them all

    bool passed() const { return check == WriteCheck::Passed; }
    // Catalogue numbers of the message box text and title; 0 when passed.
    int messageId() const;
    int titleId() const;
    // The texts in the language in use (empty when passed).
    QString messageText() const;
    QString titleText() const;
};

// Runs the checks in order and stops at the first that fails (its message
// and title texts in brackets):
// 1. every enabled channel 0..3 has its warning and alarm (and, for channels
//    2 and 3, STEL and TWA) in order and within limits (kMsgCheckAlarmPoints,
//    kMsgAlarmPointRange);
// 2. every channel 0..4, enabled or not, has an acceptable auto-cal value or
//    none (kMsgImproperAutoCal, kMsgAutoCalTitle);
// 3. at least one channel is enabled (kMsgNoAvailableSensor, kMsgNoSensor);
// 4. channels 0 and 4 fit the record's HcMode (0: both on or both off; 1:
//    channel 4 not on alone; 2: channel 0 not on alone), carry the same gas
//    name when both are on, and every enabled channel has a gas name
//    (kMsgUnavailableCombination, kMsgCommunicationNotPossible).
WriteCheckResult CheckBeforeWrite(const clsInstrument& record);

// What exactly a refused check found, in the user's words, one line per
// problem: "Channel 0 CH4(100%LEL): Warning 60 is above Alarm 50",
// "HC mode 1: channel 4 cannot be on while channel 0 is off". Empty for a
// passed check and for "no sensor" (the message says it all).
QStringList CheckDetails(const clsInstrument& record, const WriteCheckResult& result);
