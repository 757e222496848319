// Rules of the per-gas option grid, kept free of widgets so that the grid,
// the checks before a settings write and the command-line tool all decide
// the same way: the limit rule of each alarm point, the order rule of the
// warning/alarm pair, the auto-cal rule, which cells are locked, which cells
// are shown red, how a typed value is accepted, and the small value lookups
// the main window needs when it refreshes its fields.
//
// Channels 0..4: 0 combustible (%LEL), 1 oxygen, 2 and 3 toxic, 4
// combustible in volume. A point is "set" when it is 0 or more; a negative
// value (normally -101) means the point is not used.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class clsInstrument;

namespace OptionRules {

// Columns of a channel row of the option grid.
enum Column : int {
    kColGas = 0,
    kColEnable = 1,
    kColWarning = 2,
    kColAlarm = 3,
    kColStel = 4,
    kColTwa = 5,
    kColAutoCal = 6,
};
constexpr int kColumns = 7;
constexpr int kHeaderRows = 2; // row = channel + kHeaderRows
constexpr int kChannels = 5;

inline bool IsPointColumn(int col) {
    return col >= kColWarning && col <= kColTwa;
}
inline bool IsSet(float value) {
    return value >= 0;
}

// The stored value behind a point or auto-cal column (Warning, Alarm, Stel,
// Twa, AutoCalib); -101 for any other column.
float CellValue(const clsInstrument& record, int ch, int col);
// Writes it through the record (which marks the change flag); other columns
// are ignored.
void setCellValue(clsInstrument& record, int ch, int col, float value);

// --- Limit rule ------------------------------------------------------------------
// Whether the value v may stand in point column col (2..5) of channel ch.
// Channel 0: warning >= 0, alarm <= 0.6 x full scale, no STEL/TWA.
// Channel 1 by oxygen alarm type (AlarmO2): 0 -> 18.0..25.0, 1 -> 18.0..20.9,
// 2 -> warning <= alarm point (the full scale while the alarm is not set) and
// warning point <= alarm <= full scale; no STEL/TWA. Channel 2: 0..200. Channel 3: 0..30, or
// anything on a custom board (IsCustom not 0). Channel 4: nothing.
bool PointWithinLimits(const clsInstrument& record, int ch, int col, float v);
// The same for the value the record holds; a point that is not set passes.
bool StoredPointWithinLimits(const clsInstrument& record, int ch, int col);
// The limits of the rule in the user's words ("at most 60", "18.0 to 25.0",
// "not used on this channel"), with the channel's decimals.
QString LimitText(const clsInstrument& record, int ch, int col);
// Whether a channel value (an alarm point or the span gas value) of an
// enabled channel with a full scale lies at or below that full scale, at the
// channel's decimals. A value that is not set, a disabled channel and a
// channel without a full scale pass.
bool WithinFullScale(const clsInstrument& record, int ch, float v);

// --- Order rule ------------------------------------------------------------------
// In order when either point is not set; for channel 1 with oxygen alarm type
// 1 when warning >= alarm; otherwise when warning <= alarm.
bool PointsInOrder(int ch, int16_t alarmO2, float warning, float alarm);
bool PointsInOrder(const clsInstrument& record, int ch);

// --- Auto-cal rule ---------------------------------------------------------------
// A span concentration must lie within 0..full scale and reach the channel's
// alarm level (modGasCommon::IsBeyondAlarmPoint).
bool AutoCalAcceptable(const clsInstrument& record, int ch, float v);
// The same for the stored AutoCalib; a value that is not set passes.
bool StoredAutoCalAcceptable(const clsInstrument& record, int ch);

// --- Locked and red cells ------------------------------------------------------
// Locked cells cannot be edited: STEL/TWA of channels 0 and 1, the points of
// channel 4, the points of channel 3 on a custom board (IsCustom 1), and the
// Enable box of a channel the configuration locks (channelLocked).
bool IsCellLocked(const clsInstrument& record, int ch, int col, bool channelLocked);
// Whether a cell of a channel row is shown red: warning/alarm out of order
// (channels 0..3, not channel 3 on a custom board), an unlocked point of
// channels 0..3 that breaks the limit rule (STEL/TWA for channels 2 and 3
// only), an auto-cal value that breaks the auto-cal rule (channels 0..4).
// Locked cells are never red.
bool IsCellRed(const clsInstrument& record, int ch, int col);

// --- Checks before a settings write ------------------------------------------------
// The alarm points of the channel show no red cell: order rule and limit rule
// for warning and alarm, and for channels 2 and 3 also STEL and TWA.
bool ChannelPointsValid(const clsInstrument& record, int ch);
// The channel's stored auto-cal value passes the auto-cal rule (or is not set).
bool AutoCalValid(const clsInstrument& record, int ch);
// Why the channel's points show red, one text per reason ("Warning 60 is
// above Alarm 50", "Alarm 70 is outside its limits (at most 60)"); empty
// when none is.
QStringList PointProblems(const clsInstrument& record, int ch);
// Why the channel's auto-cal value breaks its rule; empty when it does not.
QString AutoCalProblem(const clsInstrument& record, int ch);

// --- Editing ---------------------------------------------------------------------
// A typed value is snapped to the channel's display step (GasDesit) before
// the limit rule sees it.
float RoundToStep(const clsInstrument& record, int ch, float v);

struct EditOutcome {
    bool accepted = false;
    float value = -101.0f; // the value stored when accepted
    QString text;          // the text the cell shows when accepted
    // Why the edit was refused, in the user's words ("Alarm must be at most
    // 30 for this channel."); empty when accepted.
    QString reason;
};
// Decides an edit of a point or auto-cal cell without touching the record:
// - empty text: refused in columns 2..5; the auto-cal column is cleared to -101
//   ("-----");
// - text that is not a number: refused;
// - columns 2..5: rounded to the step, then the limit rule decides;
// - column 6: refused below 0, above full scale or when the auto-cal rule
//   fails; otherwise rounded to the step.
// Other columns and channels outside 0..4 are refused.
EditOutcome EvaluateCellEdit(const clsInstrument& record, int ch, int col, const QString& text);
// EvaluateCellEdit and, when accepted, stores the value in the record.
EditOutcome ApplyCellEdit(clsInstrument& record, int ch, int col, const QString& text);

// Clears the alarm points and auto-cal value of a channel being switched off.
void ClearChannelPoints(clsInstrument& record, int ch);
// Settles a channel that just took a new gas from the selection dialog:
// STEL and TWA are kept only for a "ppm" gas (otherwise not used), an oxygen
// gas (label starting "OXY" or "O2") resets the oxygen alarm type to 0, and
// the channel's over-scale setting is switched on.
void SettleSelectedGas(clsInstrument& record, int ch);

// --- Values for the main window's refresh -----------------------------------
// Whether the window shows the record's values: the link is past its idle
// states (status not 0 or 1) and the record holds editable data (read from
// the detector or imported).
bool ShowsRecordValues(int linkStatus, const clsInstrument& record);
// The interval combo's items, in seconds, and the item a stored interval
// selects ("300" for any value that is not an item).
QStringList IntervalItems();
int IntervalItemIndex(int intervals);
// The list entry equal to the trimmed station (or user) ID, the last equal one
// winning; -1 when none is equal.
int StationListIndex(const clsInstrument& record);
int UserListIndex(const clsInstrument& record);
// The program number as five digits with leading zeros.
QString ProgramNumberText(int32_t romNumber);
// The auto-cal value of a channel for the program-wide auto-cal array: the
// record's AutoCalib, or the defaults record's where it is -101.
float AutoCalOrDefault(const clsInstrument& record, const clsInstrument& defaults, int ch);

} // namespace OptionRules
