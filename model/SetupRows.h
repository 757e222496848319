// The rows of the factory settings dialog's three setup pages ("SET UP",
// "FACTORY SETTINGS", "OTHER"), described as data: one row per setting with
// its label, the record property it shows (a key of model/SettingsTable.h),
// what the value may be (a list of choices, a range of whole numbers, or a
// text) and how it may be typed. The dialog builds its pages from these rows;
// the same rows tell a settings-file reader or the tool which values a
// setting takes.
//
// A list row stores the position of the chosen item in its list (0, 1, ...);
// a text setting (SpecType) stores the position as its text ("0", "1", ...).
// A value outside the list is shown as its number and never rewritten.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class clsInstrument;

namespace SetupRows {

enum class Page { SetUp = 0, Factory = 1, Other = 2 };
constexpr int kPages = 3;

// What a row's value may be.
enum class Value {
    Choice, // one item of a list
    Number, // a whole number within [low, high]
    Text,   // a text under the row's typing rule
};

// The item lists of the choice rows.
enum class Items {
    None,
    OffOn,            // "Off|On"
    CheckResult,      // "Confirm to use", "Can't use", "None"
    GasScope,         // "4GAS", "ALL"
    BumpTimes,        // 30, 45, 60, 90 seconds
    BumpThresholds,   // 10..50 %
    BumpFailCalTimes, // 90, 120 seconds
    HcModes,          // "Auto|LEL|vol"
    AlarmPatterns,    // "Reset", "Latch"
    LcBhModes,        // "Off|LC|BH|LC BH"
    BarHoleTimes,     // 30, 45, 60 seconds
    Boards,           // "Standard", "for Gas Company"
    Batteries,        // "ALKALINE|NI-MH"
    OxygenAlarmTypes, // "H-L|L-LL|H-HH"; "H-HH" only from program number 4150 on
    Destinations,     // "Domestic", "HVK", "Germany", "Foreign"
};

// How a value may be typed into its cell; a key that breaks the rule is
// dropped.
enum class Typing {
    Any,      // any text
    Identity, // blanks, "*", "-", digits and letters (lower case becomes upper)
    Digits,   // digits only
};

struct Row {
    int label = 0;             // catalogue number of the label
    int labelGas = 0;          // 1..5: the label's "~1" is "Gas<n>"; 0: no argument
    const char* property = ""; // the record property (SettingsTable key)
    int index = 0;             // the channel of a per-channel setting
    Value value = Value::Choice;
    Items items = Items::None;
    int low = 0; // Number: the range
    int high = 0;
    Typing typing = Typing::Any;
    int maxLength = 0;   // longest typed text; 0: no limit
    int minLength = 0;   // shortest accepted text (the user password)
    bool locked = false; // shown in the fixed colour and never edited
};

// The rows of a page, in order from row 0.
const std::vector<Row>& Rows(Page page);

// The label as the page shows it.
QString LabelText(const Row& row);
// The items a choice row offers for this record (empty for other rows).
QStringList ItemTexts(const Row& row, const clsInstrument& record);
// The cell text of the record's value.
QString CellText(const Row& row, const clsInstrument& record);

// --- Typing and checking ----------------------------------------------------------

// Whether `text` (the cell's text as it would be after a key) keeps the
// row's typing rule: its characters and its length.
bool TypingAccepts(const Row& row, const QString& text);
// The character a typed key puts into the cell: upper case for the identity
// rule, otherwise the key itself.
QChar TypedCharacter(const Row& row, QChar key);
// Whether an edited text may stand in the row's cell: a choice among the
// row's items, a whole number of digits within the range, a text that keeps
// the typing rule and has at least minLength characters. An empty number or
// password is refused (it has no value the detector could take); an empty
// text row is accepted.
bool TextAcceptable(const Row& row, const QString& text, const clsInstrument& record);

// --- Values ------------------------------------------------------------------------

// Puts the value a cell text stands for into the record, through the
// property's write (which marks its change flag), when it differs from the
// value there. False, and the record untouched, when the text is the record's
// value already, is not acceptable, or the row is locked.
bool ApplyText(const Row& row, const QString& text, clsInstrument& record);

} // namespace SetupRows
