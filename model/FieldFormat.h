// The field conversions shared by the detector's command set and the
// settings file: how a number, a text, a reading value or a gas record is
// written into a command or a file line, and how the fields that both read
// back are read. Both sides call these, so a settings file line and the
// write command for the same setting always carry the same text.
//
// The rules of each side stay with that side: which encoding a command or a
// line uses, the width rule for hexadecimal answers (link/CommandSet.h) and
// the largest value a file field may hold (records/SettingsFile.h).
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class clsInstrument;

namespace FieldFormat {

// --- Writing -------------------------------------------------------------------

// The integer in decimal, no padding ("-12").
QString Dec(int32_t value);
// "1" for a set (non-zero) value, else "0".
QString Digit(int32_t value);
// Exactly two or four upper-case hexadecimal digits: left-padded with "0",
// or cut to the last digits of a longer text (a negative value is written
// as its two's complement, so -1 gives "FF" and "FFFF").
QString Hex2(int32_t value);
QString Hex4(int32_t value);
// Upper-case hexadecimal of a 16-bit Integer or a 32-bit Long (two's
// complement for a negative value), left-padded with "0" to at least
// minDigits and never cut.
QString Hex16(int16_t value, int minDigits);
QString Hex32(int32_t value, int minDigits);
// The text left-justified and padded with blanks, or cut, to exactly n
// characters (empty for n <= 0).
QString Txt(const QString& text, int n);
// A reading value in exactly five characters (modGasCommon::FormatField5):
// right-aligned, "#0".."#0.000" for 1..3 decimals and "#0" otherwise, the
// last five characters of a longer text, "*****" for a negative value.
QString Val5(float value, int point);
// The 25-character gas record of channel ch: name (11), full scale and step
// (Val5 with the channel's GasPoint), unit (4); 25 "*" for a disabled channel.
QString Gas25(const clsInstrument& record, int ch);
// The Val5 texts of the five gas channels (each with its own GasPoint).
QStringList ChannelValues(const clsInstrument& record, float (clsInstrument::*get)(int) const);
// The five zero-follower flags as one token: the last digit of each
// channel's Zero.
QString ZeroFlags(const clsInstrument& record);

// --- Reading -------------------------------------------------------------------

// A decimal number (blanks around it, optional sign and exponent, see
// app/Helpers.h) rounded to a whole number, halves to the even one. False,
// and *out untouched, when the text is not such a number or the value does
// not fit.
bool ParseDec16(const QString& text, int16_t* out);
bool ParseDec32(const QString& text, int32_t* out);
// 1 to 8 hexadecimal digits, either case, blanks around them allowed; no
// sign and no prefix. The caller decides how many bits the value may have.
bool ParseHexBits(const QString& text, uint32_t* out);
// A reading value (modGasCommon::ParseStatusWord): a number gives its value,
// a status word its code, anything else (including "*****") -101.
float ParseVal5(const QString& text);

} // namespace FieldFormat
