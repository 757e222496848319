#include "model/FieldFormat.h"

#include "app/Helpers.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <limits>

namespace FieldFormat {

namespace {

QString HexFixed(int32_t value, int digits) {
    return Hex32(value, digits).right(digits);
}

// A decimal number rounded to a whole number within [lowest, highest].
bool ParseWhole(const QString& text, double lowest, double highest, double* out) {
    double v = 0;
    if (!ParseNumericText(text, &v))
        return false;
    const double r = RoundHalfEven(v);
    if (r < lowest || r > highest)
        return false;
    *out = r;
    return true;
}

} // namespace

QString Dec(int32_t value) {
    return QString::number(value);
}

QString Digit(int32_t value) {
    return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

QString Hex2(int32_t value) {
    return HexFixed(value, 2);
}

QString Hex4(int32_t value) {
    return HexFixed(value, 4);
}

QString Hex16(int16_t value, int minDigits) {
    return QString::number(static_cast<uint16_t>(value), 16)
        .toUpper()
        .rightJustified(minDigits, QLatin1Char('0'));
}

QString Hex32(int32_t value, int minDigits) {
    return QString::number(static_cast<uint32_t>(value), 16)
        .toUpper()
        .rightJustified(minDigits, QLatin1Char('0'));
}

QString Txt(const QString& text, int n) {
    if (n <= 0)
        return QString();
    return text.leftJustified(n, QLatin1Char(' '), true);
}

QString Val5(float value, int point) {
    return modGasCommon::FormatField5(value, point);
}

QString Gas25(const clsInstrument& record, int ch) {
    if (!record.GasEnabled(ch))
        return QString(25, QLatin1Char('*'));
    const int point = record.GasPoint(ch);
    return Txt(record.GasName(ch), 11) + Val5(record.GasFullScale(ch), point) +
           Val5(record.GasDesit(ch), point) + Txt(record.GasUnit(ch), 4);
}

QStringList ChannelValues(const clsInstrument& record, float (clsInstrument::*get)(int) const) {
    QStringList values;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        values << Val5((record.*get)(ch), record.GasPoint(ch));
    return values;
}

QString ZeroFlags(const clsInstrument& record) {
    QString flags;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        flags += QString::number(record.Zero(ch)).right(1);
    return flags;
}

bool ParseDec16(const QString& text, int16_t* out) {
    double v = 0;
    if (!ParseWhole(text, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(),
                    &v))
        return false;
    *out = static_cast<int16_t>(v);
    return true;
}

bool ParseDec32(const QString& text, int32_t* out) {
    double v = 0;
    if (!ParseWhole(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                    &v))
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

bool ParseHexBits(const QString& text, uint32_t* out) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 8)
        return false;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')))
            return false;
    }
    *out = t.toUInt(nullptr, 16);
    return true;
}

float ParseVal5(const QString& text) {
    return modGasCommon::ParseStatusWord(text);
}

} // namespace FieldFormat
