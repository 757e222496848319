#include "model/GasTable.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <cmath>

namespace GasTable {

namespace {

using modGasCommon::DecimalsOf;
using modGasCommon::FormatField5;
using modGasCommon::FormatWithPattern;

constexpr int kFieldWidth = 5;          // the detector's value field
constexpr int kMaxDecimals = 3;         // decimals the value field carries
constexpr int kMaxVolt = 32767;         // the library keeps the voltage as Integer
constexpr double kMaxRatio = 100.0;     // relative sensitivity
constexpr double kMaxCoefficient = 1e9; // curve coefficients, in size
const QString kCoefficientPattern = QStringLiteral("0.00000000");
constexpr int kInUseEntry = 0; // the LS entry of the gas in use

struct Entry {
    QString name;
    float fullScale = 0;
    float digit = 0;
    QString unit;
    int32_t volt = 0;
    float ratio = 0;
    int point = 0;
    double curve[8] = {};
};

Entry LibraryEntry(const clsInstrument& r, int k) {
    Entry e;
    e.name = r.LI_Name(k);
    e.fullScale = r.LI_FullScale(k);
    e.digit = r.LI_Digit(k);
    e.unit = r.LI_Unit(k);
    e.volt = r.LI_elem_vol(k);
    e.ratio = r.LI_Ratio(k);
    e.point = r.LI_Point(k);
    const double curve[8] = {r.LI_Linear1_a(k), r.LI_Linear1_b(k), r.LI_Linear1_c(k),
                             r.LI_Linear1_d(k), r.LI_Linear2_a(k), r.LI_Linear2_b(k),
                             r.LI_Linear2_c(k), r.LI_Linear2_d(k)};
    std::copy(curve, curve + 8, e.curve);
    return e;
}

Entry InUseEntry(const clsInstrument& r) {
    const int j = kInUseEntry;
    Entry e;
    e.name = r.LS_Name(j);
    e.fullScale = r.LS_FullScale(j);
    e.digit = r.LS_Digit(j);
    e.unit = r.LS_Unit(j);
    e.volt = r.LS_elem_vol(j);
    e.ratio = r.LS_Ratio(j);
    e.point = r.LS_Point(j);
    const double curve[8] = {r.LS_Linear1_a(j), r.LS_Linear1_b(j), r.LS_Linear1_c(j),
                             r.LS_Linear1_d(j), r.LS_Linear2_a(j), r.LS_Linear2_b(j),
                             r.LS_Linear2_c(j), r.LS_Linear2_d(j)};
    std::copy(curve, curve + 8, e.curve);
    return e;
}

QString Field5(float value, int point) {
    return FormatField5(value, point).trimmed();
}

QString FieldText(const Entry& e, int field) {
    switch (field) {
    case kName:
        return e.name.trimmed();
    case kFullScale:
        return Field5(e.fullScale, e.point);
    case kDigit:
        return Field5(e.digit, e.point);
    case kUnit:
        return e.unit.trimmed();
    case kVolt:
        return QString::number(e.volt);
    case kRatio:
        return SingleToText(e.ratio);
    default:
        return FormatWithPattern(e.curve[field - kCurve1a], kCoefficientPattern);
    }
}

bool Number(const QString& text, double* value) {
    return ParseNumericText(text, value) && std::isfinite(*value);
}

// The value in the detector's five-character field with `decimals`
// decimals; false when it needs more room (the field would lose digits).
bool FitsField(double value, int decimals, QString* shown) {
    const QString pattern = modGasCommon::PointFormat(decimals);
    const QString full = FormatWithPattern(static_cast<float>(value), pattern);
    if (full.size() > kFieldWidth)
        return false;
    *shown = Field5(static_cast<float>(value), decimals);
    return true;
}

CellEdit Accept(const QString& text) {
    CellEdit e;
    e.accepted = true;
    e.text = text;
    return e;
}

bool NameTaken(const QString& name, const QStringList& columnTexts) {
    for (const QString& other : columnTexts) {
        if (other.trimmed() == name)
            return true;
    }
    return false;
}

} // namespace

int FieldOf(int col) {
    if (col < kLibraryColumn || col >= kColumns)
        return -1;
    return (col - kLibraryColumn) % kFields;
}

QString HeaderText(int col) {
    const QStringList words = LoadMessage(kMsgGasTableHeaders).split(QLatin1Char('|'));
    const QStringList curves = LoadMessage(kMsgGasCurveHeaders).split(QLatin1Char('|'));
    if (col == 0)
        return words.value(0);
    const int field = FieldOf(col);
    if (field < 0)
        return QString();
    return field < kCurve1a ? words.value(1 + field) : curves.value(field - kCurve1a);
}

QString UnitList() {
    return QStringLiteral("VOL%|%LEL|ppm|ppb");
}

bool IsUnitAccepted(const QString& unit) {
    static const QStringList kUnits = {QStringLiteral("%LEL"), QStringLiteral("vol%"),
                                       QStringLiteral("VOL%"), QStringLiteral("%"),
                                       QStringLiteral("ppm"),  QStringLiteral("ppb")};
    return kUnits.contains(unit.trimmed());
}

int InUseRow(const clsInstrument& record) {
    const int k = record.LSindex();
    return k >= 1 && k <= kEntries ? k : 0;
}

QString CellText(const clsInstrument& record, int row, int col) {
    if (row < 1 || row > kEntries || col < 0 || col >= kColumns)
        return QString();
    if (col == 0)
        return QString::number(row);
    if (!IsInUseColumn(col)) {
        // An entry the detector does not use has no name, or dashes.
        const QString name = record.LI_Name(row).trimmed();
        if (name.isEmpty() || name.contains(QLatin1String("---")))
            return QString();
        return FieldText(LibraryEntry(record, row), FieldOf(col));
    }
    if (row != InUseRow(record))
        return QString();
    return FieldText(InUseEntry(record), FieldOf(col));
}

bool IsCellEditable(const clsInstrument& record, int row, int col) {
    return IsInUseColumn(col) && row >= 1 && row == InUseRow(record);
}

bool NameTypingAccepts(const QString& text) {
    if (text.size() > kNameLength)
        return false;
    for (const QChar c : text) {
        if (!IsTextKeyAllowed(c.unicode()))
            return false;
    }
    return true;
}

CellEdit CheckEdit(int col, const QString& text, const QStringList& columnTexts,
                   const QStringList& rowTexts) {
    const int field = FieldOf(col);
    const QString t = text.trimmed();
    const bool inUse = IsInUseColumn(col);
    double v = 0;
    switch (field) {
    case kName:
        if (!NameTypingAccepts(t) || NameTaken(t, columnTexts))
            return {};
        return Accept(t);
    case kFullScale: {
        QString shown;
        const int decimals = DecimalsOf(rowTexts.value(ColumnOf(kDigit, inUse)).trimmed());
        if (!Number(t, &v) || v <= 0 || decimals > kMaxDecimals || !FitsField(v, decimals, &shown))
            return {};
        return Accept(shown);
    }
    case kDigit: {
        QString shown;
        QString fullScale;
        const int decimals = DecimalsOf(t);
        double fs = 0;
        if (!Number(t, &v) || v <= 0 || decimals > kMaxDecimals || !FitsField(v, decimals, &shown))
            return {};
        // The full scale is shown with the digit's decimals: it must still fit.
        const QString fsText = rowTexts.value(ColumnOf(kFullScale, inUse)).trimmed();
        if (Number(fsText, &fs) && fs > 0 && !FitsField(fs, decimals, &fullScale))
            return {};
        return Accept(shown);
    }
    case kUnit:
        if (!IsUnitAccepted(t))
            return {};
        return Accept(t);
    case kVolt:
        if (t.isEmpty() || t.size() > 5 || !IsAllDigits(t) || t.toInt() > kMaxVolt)
            return {};
        return Accept(QString::number(t.toInt()));
    case kRatio:
        if (!Number(t, &v) || v <= 0 || v > kMaxRatio)
            return {};
        return Accept(SingleToText(static_cast<float>(v)));
    case -1:
        return {};
    default:
        if (!Number(t, &v) || std::fabs(v) >= kMaxCoefficient)
            return {};
        return Accept(FormatWithPattern(v, kCoefficientPattern));
    }
}

QString FullScaleWithDigit(const QString& fullScaleText, const QString& digitText) {
    double fs = 0;
    QString shown;
    const int decimals = DecimalsOf(digitText.trimmed());
    if (!Number(fullScaleText.trimmed(), &fs) || fs <= 0 || !FitsField(fs, decimals, &shown))
        return fullScaleText;
    return shown;
}

bool ApplyInUseCell(clsInstrument& r, int col, const QString& text) {
    if (!IsInUseColumn(col))
        return false;
    const int j = kInUseEntry;
    const int field = FieldOf(col);
    const QString t = text.trimmed();
    double v = 0;
    if (field == kName) {
        if (r.LS_Name(j).trimmed() == t)
            return false;
        r.setLS_Name(j, t);
        return true;
    }
    if (field == kUnit) {
        if (!IsUnitAccepted(t) || r.LS_Unit(j).trimmed() == t)
            return false;
        r.setLS_Unit(j, t);
        return true;
    }
    if (!Number(t, &v))
        return false;
    const float f = static_cast<float>(v);
    switch (field) {
    case kFullScale:
        if (r.LS_FullScale(j) == f)
            return false;
        r.setLS_FullScale(j, f);
        return true;
    case kDigit: {
        const auto point = static_cast<int16_t>(DecimalsOf(t));
        if (r.LS_Digit(j) == f && r.LS_Point(j) == point)
            return false;
        r.setLS_Digit(j, f);
        r.setLS_Point(j, point);
        return true;
    }
    case kVolt: {
        const auto volt = static_cast<int32_t>(v);
        if (r.LS_elem_vol(j) == volt)
            return false;
        r.setLS_elem_vol(j, volt);
        return true;
    }
    case kRatio:
        if (r.LS_Ratio(j) == f)
            return false;
        r.setLS_Ratio(j, f);
        return true;
    default:
        break;
    }
    using Get = double (clsInstrument::*)(int) const;
    using Set = void (clsInstrument::*)(int, double);
    static const Get kGet[8] = {&clsInstrument::LS_Linear1_a, &clsInstrument::LS_Linear1_b,
                                &clsInstrument::LS_Linear1_c, &clsInstrument::LS_Linear1_d,
                                &clsInstrument::LS_Linear2_a, &clsInstrument::LS_Linear2_b,
                                &clsInstrument::LS_Linear2_c, &clsInstrument::LS_Linear2_d};
    static const Set kSet[8] = {&clsInstrument::setLS_Linear1_a, &clsInstrument::setLS_Linear1_b,
                                &clsInstrument::setLS_Linear1_c, &clsInstrument::setLS_Linear1_d,
                                &clsInstrument::setLS_Linear2_a, &clsInstrument::setLS_Linear2_b,
                                &clsInstrument::setLS_Linear2_c, &clsInstrument::setLS_Linear2_d};
    const int c = field - kCurve1a;
    if (c < 0 || c >= 8 || (r.*kGet[c])(j) == v)
        return false;
    (r.*kSet[c])(j, v);
    return true;
}

} // namespace GasTable
