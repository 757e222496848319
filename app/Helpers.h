// Small shared helpers: the hexadecimal text of a Single's bits, the identity
// text normaliser, the key and text filters used by edit fields, and the
// search for the USB infrared adapter's serial port.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

struct AppSettings;

// Kinds of identity text for NormalizeIdText.
enum IdTextKind : int {
    IdTextUser = 0,         // user text: empty becomes 16 "-"
    IdTextStation = 1,      // station text: empty becomes 16 "-"
    IdTextSerial = 2,       // serial number: empty becomes 20 "-"
    IdTextSecondSerial = 3, // second serial number: empty becomes 20 "-"
};

// The four bytes of the value's IEEE 754 single-precision form, most
// significant first, as eight upper-case hexadecimal digits (1.0 -> "3F800000").
QString SingleToHex(float value);

// The inverse of SingleToHex. Anything but exactly eight hexadecimal digits
// gives 0 and, when asked, *ok = false; a valid text sets *ok = true.
float HexToSingle(const QString& text, bool* ok = nullptr);

// Puts "0" in front of a one-character text ("A" -> "0A"); other texts are
// returned unchanged.
QString PadHexByte(const QString& text);

// Trims the text; an empty result becomes 16 "-" for kinds 0 and 1 (user,
// station) and 20 "-" for kinds 2 and 3 (serial numbers). Any other kind
// returns the trimmed text as it is.
QString NormalizeIdText(const QString& text, int kind);

// Key filter of the identity fields: backspace, blank, "*", "-", digits and
// letters of either case.
bool IsIdKeyAllowed(int keyCode);

// Key filter of the free text fields: backspace, blank, "-", "_", "/", ">",
// "<", digits and letters of either case.
bool IsTextKeyAllowed(int keyCode);

// True when every character is a blank, "-", "/", ">", "<", a digit or an
// upper-case letter (true for an empty text).
bool IsIdTextValid(const QString& text);

// Longest serial number and longest station or user ID.
constexpr int kSerialTextLength = 20;
constexpr int kIdTextLength = 16;

// The rule of the identity fields (serial number, station and user ID), for
// the window's fields and the tool's options alike: at most `maxLength`
// characters, each a blank, "*", "-", a digit or an ASCII letter of either
// case (true for an empty text).
bool IsIdentityText(const QString& text, int maxLength);

// True when every character is a digit "0".."9" (true for an empty text).
bool IsAllDigits(const QString& text);

// --- Numbers in text files ----------------------------------------------------
//
// Numbers in the configuration and settings files are read the forgiving way
// the files have always been read: blanks around the number, an optional
// sign, digits with an optional decimal point ("5", "-1.5", ".5", "5.") and an
// optional exponent ("1E+10", "2.5e-3"). Nothing else counts as a number.

// True when the text is a number in the sense above.
bool IsNumericText(const QString& text);
// The number's value; false (and *value untouched) when the text is not a
// number or its value is not finite.
bool ParseNumericText(const QString& text, double* value);
// Rounds to the nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);
// The text as a 16-bit Integer (rounded, halves to even), or `fallback` when it
// is not a number or does not fit.
int16_t TextToInteger(const QString& text, int16_t fallback);
// The same for a 32-bit Long.
int32_t TextToLong(const QString& text, int32_t fallback);
// The text as a Single, or `fallback` when it is not a number or lies outside
// the Single range.
float TextToSingle(const QString& text, float fallback);
// A Single in its shortest general text form: the fewest significant digits
// that read back as the same Single, plain decimals for ordinary magnitudes
// (19.5, 0.1, -101, 100, 0.0001, 123456789) and an exponent otherwise
// ("1E+10", "1.5E-05"). 0 and -0 give "0"; an infinity or NaN gives "0" so
// that a file never holds a value no reader understands.
QString SingleToText(float value);

// --- Serial port of the USB infrared adapter --------------------------------

// One serial port as the platform lists it.
struct SerialPortRecord {
    QString portName;       // "COM7" or "ttyUSB0"
    QString systemLocation; // "\\\\.\\COM7" or "/dev/ttyUSB0"
    bool hasIds = false;    // vendor and product ids known
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

enum class PortDiscoveryResult {
    None,      // no matching port: IrCommNum 0, the socket transport is used
    One,       // exactly one: IrCommNum and IrCommPortName name it
    Ambiguous, // several: IrCommNum 0; the window shows kMsgSeveralAdapters
};

// Reads the vendor and product ids from a hardware search text such as
// "VID_10C4&PID_EA60" (case-insensitive, any order, other parts ignored).
// False when either id is missing or not a 1..4 digit hexadecimal number.
bool ParseUsbIdSearchText(const QString& searchText, uint16_t* vendorId, uint16_t* productId);

// The serial ports the platform currently knows.
QList<SerialPortRecord> AvailableSerialPorts();

// Looks among `ports` for those whose ids match the search text.
// Exactly one: settings.IrCommNum = the number of a "COMn" port name (0 where
// ports are named by device path) and settings.IrCommPortName = its system
// location. None or several: IrCommNum = 0 and IrCommPortName is cleared.
// Never shows anything itself: the caller reports an ambiguous result.
PortDiscoveryResult DiscoverUsbSerialPort(const QString& searchText, AppSettings& settings,
                                          const QList<SerialPortRecord>& ports);
// The same over the platform's port list.
PortDiscoveryResult DiscoverUsbSerialPort(const QString& searchText, AppSettings& settings);

// --- Explicit port choice ----------------------------------------------------
//
// The user can bypass discovery and name the detector's link directly:
//   TQ7350_PORT   a serial device path ("/dev/ttyUSB0", "/dev/pts/3") or a
//                 Windows port name ("COM7"); sets IrCommPortName (and
//                 IrCommNum for a COM name).
//   TQ7350_SOCKET a TCP endpoint "host:port" (port 1..65535) used in place of
//                 the IrDA socket; sets SocketEndpoint.
// The same values may come from command-line options; the caller passes the
// option's value to the functions below. On bad input the functions return
// false, leave the settings untouched and put a readable reason in *error.

inline constexpr const char* kPortEnvironmentName = "TQ7350_PORT";
inline constexpr const char* kSocketEnvironmentName = "TQ7350_SOCKET";

bool ApplyPortOverride(const QString& value, AppSettings& settings, QString* error = nullptr);
bool ApplySocketOverride(const QString& value, AppSettings& settings, QString* error = nullptr);

// Splits "host:port" (host non-empty, no blanks; an IPv6 host in brackets,
// "[::1]:5000"; port 1..65535).
bool ParseSocketEndpoint(const QString& value, QString* host, uint16_t* port,
                         QString* error = nullptr);

// Applies TQ7350_PORT and TQ7350_SOCKET from the environment when set and not
// empty. False when a value set there is invalid (the reasons are collected
// in *error); unset variables are not an error.
bool ApplyEnvironmentOverrides(AppSettings& settings, QString* error = nullptr);
