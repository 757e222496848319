#include "model/modGasCommon.h"

#include "app/AppSettings.h"
#include "model/clsInstrument.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace modGasCommon {

namespace {

struct StatusEntry {
    float value;
    const char* text;
};

const StatusEntry kStatusTable[] = {
    {kNoValue, "-----"},
    {kRawNoValue, "-----"},
    {kNormal, "NORMAL"},
    {kWarning, "WARNING"},
    {kAlarm, "ALARM"},
    {kStel, "STEL"},
    {kTwa, "TWA"},
    {kOver, "OVER"},
    {kUnknown, "?????"},
    {kRawUnknown, "?????"},
    {kOverRange, "*****"},
    {kRawOverRange, "*****"},
    {kFailAir, "Fail(Air)"},
    {kFailSpan, "Fail(Span)"},
    {kFailSensor, "Fail(Sen.)"},
    {kFailCom, "Fail(Com.)"},
    {kFailRam, "Fail(Ram)"},
    {kFailRom, "Fail(Rom)"},
    {kFailExt, "Fail(Ext.)"},
    {kFailAlkaline, "Fail(ALK.)"},
    {kFailNimh, "Fail(NIMH)"},
    {kFailFlow, "Fail(FLOW)"},
    {kFailRamDevice, "Fail(RAM)"},
    {kFailRomDevice, "Fail(ROM)"},
    {kFailFram, "Fail(FRAM)"},
    {kFailFlash, "Fail(FLA.)"},
    {kFailClock, "Fail(CLO.)"},
    {kCalOn, "CAL ON"},
    {kCalOff, "CAL OFF"},
    {kClear, "CLEAR"},
    {kModeLel, "LEL"},
    {kModePpm, "ppm"},
    {kModeVol, "vol"},
    {kEleOn, "ELE ON"},
    {kEleOff, "ELE OFF"},
    {kCatOn, "CAT ON"},
    {kCatOff, "CAT OFF"},
    {kAir, "AIR"},
};

// Shortest decimal text that reads back as the same value, written out
// without exponent ("1e+20" becomes "100000000000000000000", "1.5e-07"
// becomes "0.00000015").
template <typename T> std::string ShortestFixed(T value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (result.ec != std::errc())
        return "0";
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    if (e == std::string::npos)
        return text;
    std::string mantissa = text.substr(0, e);
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string sign;
    if (!mantissa.empty() && mantissa[0] == '-') {
        sign = "-";
        mantissa.erase(0, 1);
    }
    std::string digits;
    for (char c : mantissa) {
        if (c != '.')
            digits += c;
    }
    // The decimal point sits after the first digit, moved by the exponent.
    const int pointAt = 1 + exponent;
    if (pointAt <= 0)
        return sign + "0." + std::string(static_cast<std::size_t>(-pointAt), '0') + digits;
    if (pointAt >= static_cast<int>(digits.size()))
        return sign + digits + std::string(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    return sign + digits.substr(0, static_cast<std::size_t>(pointAt)) + "." +
           digits.substr(static_cast<std::size_t>(pointAt));
}

// Rounds a plain decimal text ("-12.345") to `decimals` places, halves away
// from zero, and writes it with at least one integer digit and exactly that
// many decimals. A result of zero never carries a sign.
QString RoundDecimalText(const std::string& text, int decimals) {
    bool negative = false;
    std::string digits = text;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    std::string intPart = digits;
    std::string fracPart;
    const auto dot = digits.find('.');
    if (dot != std::string::npos) {
        intPart = digits.substr(0, dot);
        fracPart = digits.substr(dot + 1);
    }
    if (intPart.empty())
        intPart = "0";

    const auto places = static_cast<std::size_t>(decimals);
    bool roundUp = false;
    if (fracPart.size() > places) {
        roundUp = fracPart[places] >= '5';
        fracPart.resize(places);
    } else {
        fracPart.append(places - fracPart.size(), '0');
    }

    std::string all = intPart + fracPart;
    if (roundUp) {
        int i = static_cast<int>(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[static_cast<std::size_t>(i)] == '9') {
                all[static_cast<std::size_t>(i)] = '0';
            } else {
                ++all[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0)
            all.insert(all.begin(), '1');
    }

    std::string whole = all.substr(0, all.size() - places);
    const std::string fraction = all.substr(all.size() - places);
    const auto firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? "0" : whole.substr(firstNonZero);

    if (all.find_first_not_of('0') == std::string::npos)
        negative = false;

    std::string out;
    if (negative)
        out += '-';
    out += whole;
    if (places > 0) {
        out += '.';
        out += fraction;
    }
    return QString::fromLatin1(out.c_str());
}

// The number of fixed decimals of a "#0.00" style pattern, or -1 for an
// empty pattern (shortest form).
int PatternDecimals(const QString& pattern) {
    if (pattern.isEmpty())
        return -1;
    const int dot = pattern.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return 0;
    return static_cast<int>(pattern.size()) - dot - 1;
}

template <typename T> QString FormatNumber(T value, int decimals) {
    if (std::isnan(value))
        return QStringLiteral("-----");
    if (std::isinf(value))
        return QStringLiteral("*****");
    const std::string text = ShortestFixed(value);
    if (decimals < 0) {
        // Shortest form, tidied: no "-0".
        if (value == 0)
            return QStringLiteral("0");
        return QString::fromLatin1(text.c_str());
    }
    return RoundDecimalText(text, decimals);
}

QString ReadingPattern(int point) {
    return (point >= 0 && point <= 3) ? PointFormat(point) : QStringLiteral("#0");
}

// A strict decimal number: optional sign, digits with at most one ".", at
// least one digit, optional exponent. Blanks around it are allowed.
bool ParseNumber(const QString& text, double* value) {
    const QString t = text.trimmed();
    const int n = static_cast<int>(t.size());
    int i = 0;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        return false;
    *value = v;
    return true;
}

// The leading number of a field ("  100" -> 100, "0.5ab" -> 0.5); 0 when the
// field does not start with one.
float LeadingNumber(const QString& field) {
    const QString t = field.trimmed();
    int end = 0;
    const int n = static_cast<int>(t.size());
    if (end < n && (t[end] == QLatin1Char('+') || t[end] == QLatin1Char('-')))
        ++end;
    bool dotSeen = false;
    while (end < n) {
        const QChar c = t[end];
        if (c.unicode() < 128 && c.isDigit()) {
            ++end;
        } else if (c == QLatin1Char('.') && !dotSeen) {
            dotSeen = true;
            ++end;
        } else {
            break;
        }
    }
    double v = 0;
    if (!ParseNumber(t.left(end), &v))
        return 0.0f;
    const float f = static_cast<float>(v);
    return std::isfinite(f) ? f : 0.0f;
}

const QString kEmptyLabel = QStringLiteral("----(---)");

} // namespace

// --- Coded values ------------------------------------------------------------

QString StatusText(float value) {
    for (const StatusEntry& e : kStatusTable) {
        if (e.value == value)
            return QString::fromLatin1(e.text);
    }
    return QString();
}

bool IsStatusValue(float value) {
    for (const StatusEntry& e : kStatusTable) {
        if (e.value == value)
            return true;
    }
    return false;
}

// --- Number formats ----------------------------------------------------------

QString PointFormat(int point) {
    if (point < 0 || point > 9)
        return QString();
    if (point == 0)
        return QStringLiteral("#0");
    return QStringLiteral("#0.") + QString(point, QLatin1Char('0'));
}

QString FormatWithPattern(double value, const QString& pattern) {
    return FormatNumber(value, PatternDecimals(pattern));
}

QString FormatWithPattern(float value, const QString& pattern) {
    return FormatNumber(value, PatternDecimals(pattern));
}

QString FormatDecimals(float value, int decimals) {
    return FormatNumber(value, (decimals >= 0 && decimals <= 9) ? decimals : -1);
}

QString FormatReading(float value, int point, bool convert, float convParam) {
    const QString status = StatusText(value);
    if (!status.isEmpty())
        return status;
    const float shown = convert ? value * convParam : value;
    return FormatWithPattern(shown, ReadingPattern(point));
}

QString FormatReading(float value, int point, bool convert) {
    return FormatReading(value, point, convert, App().ConvParam);
}

QString FormatGasLabel(const clsInstrument& record, int ch, bool withFullScale) {
    const QString name = record.GasName(ch);
    if (name.trimmed().isEmpty())
        return kEmptyLabel;
    if (ch != 4 && withFullScale) {
        return name + QLatin1Char('(') +
               FormatWithPattern(record.GasFullScale(ch), PointFormat(record.GasPoint(ch))) +
               record.GasUnit(ch) + QLatin1Char(')');
    }
    return name + QLatin1Char('(') + record.GasUnit(ch) + QLatin1Char(')');
}

QString FormatGasLabelFromFields(const QString& name, const QString& unit, float fullScale,
                                 int point) {
    if (name.trimmed().isEmpty())
        return kEmptyLabel;
    if (fullScale != -1.0f) {
        return name + QLatin1Char('(') + FormatWithPattern(fullScale, PointFormat(point)) + unit +
               QLatin1Char(')');
    }
    return name + QLatin1Char('(') + unit + QLatin1Char(')');
}

QString FormatField5(float value, int point) {
    if (value < 0)
        return QStringLiteral("*****");
    const QString pattern = (point >= 1 && point <= 3) ? PointFormat(point) : QStringLiteral("#0");
    return (QStringLiteral("    ") + FormatWithPattern(value, pattern)).right(5);
}

// --- Parsing -----------------------------------------------------------------

float ParseStatusWord(const QString& text) {
    double v = 0;
    if (ParseNumber(text, &v)) {
        const float f = static_cast<float>(v);
        return std::isfinite(f) ? f : kNoValue;
    }
    const QString head = text.trimmed().left(3).toUpper();
    if (head == QLatin1String("OVE"))
        return kOver;
    if (head == QLatin1String("WAR"))
        return kWarning;
    if (head == QLatin1String("ALR"))
        return kAlarm;
    if (head == QLatin1String("STE"))
        return kStel;
    if (head == QLatin1String("TWA"))
        return kTwa;
    if (head == QLatin1String("NOR"))
        return kNormal;
    return kNoValue;
}

int DecimalsOf(const QString& text) {
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return 0;
    return static_cast<int>(text.size()) - dot - 1;
}

void ApplyChannelDescriptor(const QString& descriptor, clsInstrument& record, int ch) {
    const bool empty = descriptor == QString(25, QLatin1Char('*')) ||
                       descriptor.left(10) == QString(10, QLatin1Char('-'));
    if (empty) {
        record.setGasName(ch, QString());
        record.setGasEnabled(ch, false);
        record.setGasFullScale(ch, kNoValue);
        record.setGasDesit(ch, 0.0f);
        record.setGasPoint(ch, static_cast<int16_t>(-101));
        record.setGasUnit(ch, QString());
        return;
    }
    // The digit field is right-aligned; its blanks are not decimals.
    const QString digitText = descriptor.mid(16, 5).trimmed();
    record.setGasName(ch, descriptor.left(10).trimmed());
    record.setGasEnabled(ch, true);
    record.setGasFullScale(ch, LeadingNumber(descriptor.mid(11, 5)));
    record.setGasDesit(ch, LeadingNumber(digitText));
    record.setGasPoint(ch, static_cast<int16_t>(qBound(0, DecimalsOf(digitText), 32767)));
    record.setGasUnit(ch, descriptor.mid(21, 4).trimmed());
}

// --- Values ------------------------------------------------------------------

float SnapToStep(float value, float step) {
    if (!(value >= 0) || step == 0)
        return 0.0f;
    // Single arithmetic throughout; rint rounds halves to even.
    const float units = std::rint(value / step);
    const float snapped = units * step;
    return std::isfinite(snapped) ? snapped : 0.0f;
}

bool IsOxygenChannel(const clsInstrument& record, int ch) {
    const QString name = record.GasName(ch).trimmed();
    return name == QLatin1String("O2") || name == QLatin1String("OXY");
}

float AlarmLevelOf(const clsInstrument& record, int ch) {
    float fallback = 0.0f;
    switch (ch) {
    case 0:
    case 2:
        fallback = 10.0f;
        break;
    case 1:
        fallback = 19.5f;
        break;
    case 3:
        fallback = 25.0f;
        break;
    default:
        break;
    }
    const float warning = record.Warning(ch);
    if (IsOxygenChannel(record, ch))
        return record.AlarmO2() != 2 && warning >= 0 ? warning : fallback;
    return warning >= 0 ? warning : fallback;
}

bool IsBeyondAlarmPoint(const clsInstrument& record, int ch, float value) {
    if (value < 0)
        return true;
    // Oxygen alarms on a falling level.
    const float level = AlarmLevelOf(record, ch);
    return IsOxygenChannel(record, ch) ? value <= level : value >= level;
}

// --- Gas selection -------------------------------------------------------------

namespace {

void CopyTableGas(clsInstrument& record, int ch, const GasChangeEntry& e) {
    record.setGasName(ch, e.name);
    record.setGasPoint(ch, e.points);
    record.setGasUnit(ch, e.unit);
    record.setGasDesit(ch, e.digit);
    record.setGasFullScale(ch, e.fullScale);
    record.setRatio(ch, e.ratio);
}

} // namespace

bool ApplyGasSelection(clsInstrument& record, const AppSettings& settings, bool liTableState,
                       int ch, int sel) {
    if (ch < 0 || ch >= clsInstrument::kGasChannels)
        return false;
    const bool fromLibrary = ch == 0 && liTableState;
    if (fromLibrary) {
        // The library entry sel + 1 must exist.
        if (sel < 0 || sel + 1 >= clsInstrument::kLiEntries)
            return false;
    } else if (sel < 0 || sel >= kGasChangeEntries) {
        return false;
    }

    record.setGasEnabled(ch, true);

    if (fromLibrary) {
        const int li = sel + 1;
        // LSindex is the detector's own number of the library entry in use
        // (1-based, as "LS" carries it on the wire), not the option index.
        record.setLSindex(static_cast<int16_t>(li));
        record.setGasName(0, record.LI_Name(li).trimmed());
        record.setGasPoint(0, record.LI_Point(li));
        record.setGasUnit(0, record.LI_Unit(li));
        record.setGasDesit(0, record.LI_Digit(li));
        record.setGasFullScale(0, record.LI_FullScale(li));
        record.setRatio(0, record.LI_Ratio(li));
        // The detector takes the gas in use from LS entry 0.
        record.setLS_Name(0, record.LI_Name(li).trimmed());
        record.setLS_Point(0, record.LI_Point(li));
        record.setLS_Unit(0, record.LI_Unit(li));
        record.setLS_Digit(0, record.LI_Digit(li));
        record.setLS_FullScale(0, record.LI_FullScale(li));
        record.setLS_Ratio(0, record.LI_Ratio(li));
    } else {
        const GasChangeEntry& e = settings.GasChangeTable[ch][sel];
        CopyTableGas(record, ch, e);
        // The option grid shows the new alarm points and span value at once,
        // so the entry's points come along with the gas.
        record.setWarning(ch, e.warning);
        record.setAlarm(ch, e.alarm);
        record.setStel(ch, e.stel);
        record.setTwa(ch, e.twa);
        record.setAutoCalib(ch, e.autoCal);
        record.setZero(ch, e.zero);
    }

    // On a custom board channel 3 (ppm) and channel 4 (volume, methane only)
    // follow the combustible gas of channel 0: methane puts the methane ppm
    // entry on channel 3; any other gas leaves channel 4 without a gas it can
    // measure, so it is switched off. A selection on channels 1..4 changes
    // nothing else.
    if (ch == 0 && record.IsCustom() == 1) {
        if (record.GasName(0).trimmed() == QLatin1String("CH4"))
            CopyTableGas(record, 3, settings.GasChangeTable[3][1]);
        else
            record.setGasEnabled(4, false);
    }
    return true;
}

// --- Built-in gas list -----------------------------------------------------------

namespace {

struct BuiltInGas {
    int channel;
    int entry;
    const char* name;
    int16_t points;
    const char* unit;
    float warning;
    float alarm;
    float stel;
    float twa;
    float digit;
    float fullScale;
    float autoCal;
};

constexpr float N = kNoValue;

const BuiltInGas kBuiltInGases[] = {
    {0, 0, "CH4", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 1, "i-C4H10", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 2, "H2", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 3, "n-C6H14", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 4, "CH3OH", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 5, "C2H2", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 6, "C7H8", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {0, 7, "MEK", 0, "%LEL", 10, 50, N, N, 1, 100, 50},
    {1, 0, "O2", 1, "VOL%", 19.5f, 23.5f, N, N, 0.1f, 40, 12},
    {2, 0, "CO", 0, "ppm", 25, 50, 200, 25, 1, 500, 50},
    {3, 0, "H2S", 1, "ppm", 10, 30, 15, 10, 0.5f, 100, 25},
    {3, 1, "CH4", 0, "ppm", N, N, N, N, 10, 5000, 250},
    {3, 2, "i-C4H10", 0, "ppm", N, N, N, N, 10, 2000, 250},
    {4, 0, "CH4", 0, "VOL%", N, N, N, N, 1, 100, 50},
};

} // namespace

void LoadBuiltInGasList(AppSettings& settings) {
    for (int ch = 0; ch < kGasChangeChannels; ++ch) {
        for (int e = 0; e < 8; ++e) {
            settings.GasChangeTable[ch][e].enabled = false;
            settings.GasChangeTable[ch][e].name.clear();
        }
    }
    for (const BuiltInGas& g : kBuiltInGases) {
        GasChangeEntry& e = settings.GasChangeTable[g.channel][g.entry];
        e.enabled = true;
        e.locked = false;
        e.name = QString::fromLatin1(g.name);
        e.points = g.points;
        e.unit = QString::fromLatin1(g.unit);
        e.warning = g.warning;
        e.alarm = g.alarm;
        e.stel = g.stel;
        e.twa = g.twa;
        e.digit = g.digit;
        e.fullScale = g.fullScale;
        e.autoCal = g.autoCal;
    }
}

} // namespace modGasCommon
