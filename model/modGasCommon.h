// Gas catalogue and status texts: the coded values that travel in the same
// Single fields as concentrations, the number formats chosen by a channel's
// decimal count, gas labels, the fixed-width channel descriptor sent by the
// detector, the alarm-level test for span concentrations and the selection of
// a gas for a channel.
#pragma once

#include <QString>
#include <cstdint>

class clsInstrument;
struct AppSettings;

namespace modGasCommon {

// --- Coded values -----------------------------------------------------------
// A Single holding one of these is a status, not a concentration. Comparisons
// are exact.
constexpr float kNoValue = -101.0f;   // "-----"
constexpr float kNormal = -102.0f;    // "NORMAL"
constexpr float kWarning = -103.0f;   // "WARNING"
constexpr float kAlarm = -104.0f;     // "ALARM"
constexpr float kStel = -105.0f;      // "STEL"
constexpr float kTwa = -106.0f;       // "TWA"
constexpr float kOver = -107.0f;      // "OVER"
constexpr float kUnknown = -118.0f;   // "?????"
constexpr float kOverRange = -121.0f; // "*****"
constexpr float kFailAir = -130.0f;
constexpr float kFailSpan = -131.0f;
constexpr float kFailSensor = -132.0f;
constexpr float kFailCom = -133.0f;
constexpr float kFailRam = -134.0f;
constexpr float kFailRom = -135.0f;
constexpr float kFailExt = -136.0f;
constexpr float kFailAlkaline = -150.0f;
constexpr float kFailNimh = -151.0f;
constexpr float kFailFlow = -152.0f;
constexpr float kFailRamDevice = -153.0f;
constexpr float kFailRomDevice = -154.0f;
constexpr float kFailFram = -155.0f;
constexpr float kFailFlash = -156.0f;
constexpr float kFailClock = -157.0f;
constexpr float kCalOn = -170.0f;
constexpr float kCalOff = -171.0f;
constexpr float kClear = -172.0f;
constexpr float kModeLel = -173.0f;
constexpr float kModePpm = -174.0f;
constexpr float kModeVol = -175.0f;
constexpr float kEleOn = -176.0f;
constexpr float kEleOff = -177.0f;
constexpr float kCatOn = -178.0f;
constexpr float kCatOff = -179.0f;
constexpr float kAir = -180.0f;
// Raw 16-bit codes 0xFFFF, 0xFF00 and 0xDDDD as they can arrive in a reading.
constexpr float kRawNoValue = 65535.0f;   // "-----"
constexpr float kRawUnknown = 65280.0f;   // "?????"
constexpr float kRawOverRange = 56797.0f; // "*****"

// The text of a coded value, or an empty text when the value is a number.
QString StatusText(float value);
bool IsStatusValue(float value);

// --- Number formats -----------------------------------------------------------

// "#0", "#0.0" ... "#0.000000000" for 0..9 decimals; empty for any other count.
QString PointFormat(int point);

// Formats with a pattern of the form "#0" or "#0." followed by n zeros (also
// "0.00..."): at least one integer digit, exactly n decimals, no thousands
// separator, halves rounded away from zero on the value's shortest decimal
// form (12.345f gives "12.35"). An empty pattern gives the shortest decimal
// form. A negative result that rounds to zero prints without "-". NaN prints
// "-----", infinities "*****".
QString FormatWithPattern(double value, const QString& pattern);
QString FormatWithPattern(float value, const QString& pattern);
// The same with a decimal count (0..9; other counts use the shortest form).
QString FormatDecimals(float value, int decimals);

// A value for display: the text of a coded value, else the number with
// "#0".."#0.000" for point 0..3 ("#0" for any other point), multiplied by
// convParam first when convert is true.
QString FormatReading(float value, int point, bool convert, float convParam);
// The same with the program-wide conversion factor App().ConvParam.
QString FormatReading(float value, int point, bool convert = false);

// "NAME(FULLSCALE UNIT)" of a record's channel, "NAME(UNIT)" for channel 4 or
// without full scale, "----(---)" for an empty name.
QString FormatGasLabel(const clsInstrument& record, int ch, bool withFullScale);
// The same from separate fields; a full scale of -1 leaves it out.
QString FormatGasLabelFromFields(const QString& name, const QString& unit, float fullScale,
                                 int point);

// A right-aligned field of exactly 5 characters ("#0".."#0.000" for point
// 1..3, "#0" otherwise); "*****" for a negative value. Longer texts keep
// their rightmost 5 characters.
QString FormatField5(float value, int point);

// --- Parsing ------------------------------------------------------------------

// A numeric text gives its value; otherwise the first three letters of the
// trimmed text, upper-cased, give a status: "OVE" -107, "WAR" -103, "ALR"
// -104, "STE" -105, "TWA" -106, "NOR" -102, anything else -101.
float ParseStatusWord(const QString& text);

// Number of characters after the first "." (0 when there is none).
int DecimalsOf(const QString& text);

// The 25-character channel descriptor: name (1-10), separator (11), full
// scale (12-16), digit (17-21), unit (22-25). 25 "*" or a name of
// "----------" empties the channel. Writes through the record's properties,
// so their change flags are set. Shorter texts are read as far as they go.
void ApplyChannelDescriptor(const QString& descriptor, clsInstrument& record, int ch);

// --- Values -------------------------------------------------------------------

// The multiple of step nearest to value (halves to the even multiple); 0 for
// a negative value or a zero step.
float SnapToStep(float value, float step);

// Whether a span concentration reaches the channel's alarm level (true for a
// negative value). Oxygen channels ("O2", "OXY") count downwards.
bool IsBeyondAlarmPoint(const clsInstrument& record, int ch, float value);
// The level IsBeyondAlarmPoint compares with: the channel's warning point
// when it is set (for oxygen unless its alarm type is 2), else a fixed level
// per channel. A value reaches it from below, on oxygen channels from above.
float AlarmLevelOf(const clsInstrument& record, int ch);
bool IsOxygenChannel(const clsInstrument& record, int ch);

// --- Gas selection ----------------------------------------------------------

// Applies gas `sel` to channel ch of the record: from the detector's LI table
// when ch is 0 and liTableState is true (entry sel + 1, which also becomes
// LSindex, the detector's 1-based entry number, and LS entry 0), otherwise
// from settings.GasChangeTable[ch][sel], which also supplies warning, alarm,
// STEL, TWA, auto-cal value and zero. On a custom board (IsCustom 1) a new gas
// on channel 0 also settles the channels that depend on it: "CH4" puts the
// CH4 ppm entry GasChangeTable[3][1] on channel 3, any other gas switches
// channel 4 (CH4 in volume) off. Returns false and changes nothing for a
// channel outside 0..4 or a selection outside the table in use.
bool ApplyGasSelection(clsInstrument& record, const AppSettings& settings, bool liTableState,
                       int ch, int sel);

// Empties GasChangeTable channels 0..5, entries 0..7 (not enabled, no name),
// then fills in the built-in gases.
void LoadBuiltInGasList(AppSettings& settings);

} // namespace modGasCommon
