#include "model/OptionRules.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QLocale>
#include <cmath>

namespace OptionRules {

namespace {

constexpr float kNotSet = modGasCommon::kNoValue;

bool ValidChannel(int ch) {
    return ch >= 0 && ch < kChannels;
}

bool Between(float v, float low, float high) {
    return v >= low && v <= high;
}

// A plain decimal number, blanks around it allowed; never NaN or infinite.
bool ParseValue(const QString& text, float* value) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(d))
        return false;
    const float f = static_cast<float>(d);
    if (!std::isfinite(f))
        return false;
    *value = f;
    return true;
}

bool IsOxygenLabel(const QString& label) {
    const QString t = label.trimmed().toUpper();
    return t.startsWith(QLatin1String("OXY")) || t.startsWith(QLatin1String("O2"));
}

} // namespace

float CellValue(const clsInstrument& record, int ch, int col) {
    switch (col) {
    case kColWarning:
        return record.Warning(ch);
    case kColAlarm:
        return record.Alarm(ch);
    case kColStel:
        return record.Stel(ch);
    case kColTwa:
        return record.Twa(ch);
    case kColAutoCal:
        return record.AutoCalib(ch);
    default:
        return kNotSet;
    }
}

void setCellValue(clsInstrument& record, int ch, int col, float value) {
    switch (col) {
    case kColWarning:
        record.setWarning(ch, value);
        break;
    case kColAlarm:
        record.setAlarm(ch, value);
        break;
    case kColStel:
        record.setStel(ch, value);
        break;
    case kColTwa:
        record.setTwa(ch, value);
        break;
    case kColAutoCal:
        record.setAutoCalib(ch, value);
        break;
    default:
        break;
    }
}

// --- Limit rule ------------------------------------------------------------------

bool PointWithinLimits(const clsInstrument& record, int ch, int col, float v) {
    if (!IsPointColumn(col) || !std::isfinite(v))
        return false;
    const bool stelOrTwa = col == kColStel || col == kColTwa;
    switch (ch) {
    case 0:
        if (stelOrTwa)
            return false;
        if (col == kColWarning)
            return v >= 0;
        return v <= 0.6f * record.GasFullScale(0);
    case 1: {
        if (stelOrTwa)
            return false;
        switch (record.AlarmO2()) {
        case 0:
            return Between(v, 18.0f, 25.0f);
        case 1:
            return Between(v, 18.0f, 20.9f);
        case 2:
            // The warning point lies below the alarm point, which lies below
            // the full scale. A point not set does not bound the other one,
            // so either can be entered first.
            if (col == kColWarning) {
                const float alarm = record.Alarm(1);
                return v <= (IsSet(alarm) ? alarm : record.GasFullScale(1));
            }
            return v >= record.Warning(1) && v <= record.GasFullScale(1);
        default:
            // An oxygen alarm type the program does not know accepts nothing.
            return false;
        }
    }
    case 2:
        return Between(v, 0.0f, 200.0f);
    case 3:
        if (record.IsCustom() != 0)
            return true;
        return Between(v, 0.0f, 30.0f);
    default:
        return false;
    }
}

bool StoredPointWithinLimits(const clsInstrument& record, int ch, int col) {
    const float v = CellValue(record, ch, col);
    if (!IsSet(v))
        return true;
    return PointWithinLimits(record, ch, col, v);
}

namespace {

// A limit written with the channel's decimals.
QString Value(const clsInstrument& record, int ch, float v) {
    return modGasCommon::FormatReading(v, record.GasPoint(ch)).trimmed();
}

QString Range(const clsInstrument& record, int ch, float low, float high) {
    return LoadMessage(kMsgRangeBetween, {Value(record, ch, low), Value(record, ch, high)});
}

// The catalogue name of a point column ("Warning").
QString ColumnName(int col) {
    switch (col) {
    case kColWarning:
        return LoadMessage(kMsgWarning);
    case kColAlarm:
        return LoadMessage(kMsgAlarm);
    case kColStel:
        return LoadMessage(kMsgStel);
    case kColTwa:
        return LoadMessage(kMsgTwa);
    default:
        return LoadMessage(kMsgAutoCal);
    }
}

} // namespace

QString LimitText(const clsInstrument& record, int ch, int col) {
    const bool stelOrTwa = col == kColStel || col == kColTwa;
    if (!IsPointColumn(col) || ch == 4 || (stelOrTwa && ch < 2))
        return LoadMessage(kMsgRangeNotUsed);
    switch (ch) {
    case 0:
        if (col == kColWarning)
            return LoadMessage(kMsgRangeAtLeast, {Value(record, ch, 0)});
        return LoadMessage(kMsgRangeAtMost, {Value(record, ch, 0.6f * record.GasFullScale(0))});
    case 1:
        switch (record.AlarmO2()) {
        case 0:
            return Range(record, ch, 18.0f, 25.0f);
        case 1:
            return Range(record, ch, 18.0f, 20.9f);
        case 2:
            if (col == kColWarning) {
                const float alarm = record.Alarm(1);
                return LoadMessage(
                    kMsgRangeAtMost,
                    {Value(record, ch, IsSet(alarm) ? alarm : record.GasFullScale(1))});
            }
            return Range(record, ch, record.Warning(1), record.GasFullScale(1));
        default:
            return LoadMessage(kMsgRangeNotUsed);
        }
    case 2:
        return Range(record, ch, 0, 200);
    default:
        if (record.IsCustom() != 0)
            return QString();
        return Range(record, ch, 0, 30);
    }
}

bool WithinFullScale(const clsInstrument& record, int ch, float v) {
    if (!ValidChannel(ch) || !IsSet(v))
        return true;
    const float fullScale = record.GasFullScale(ch);
    if (!record.GasEnabled(ch) || !(fullScale > 0))
        return true;
    // Compared at the channel's decimals, as the detector holds both.
    const double unit = std::pow(10.0, -qBound(0, int(record.GasPoint(ch)), 3));
    return std::isfinite(v) && double(v) <= double(fullScale) + unit / 2;
}

// --- Order rule ------------------------------------------------------------------

bool PointsInOrder(int ch, int16_t alarmO2, float warning, float alarm) {
    if (!IsSet(warning) || !IsSet(alarm))
        return true;
    if (ch == 1 && alarmO2 == 1)
        return warning >= alarm;
    return warning <= alarm;
}

bool PointsInOrder(const clsInstrument& record, int ch) {
    return PointsInOrder(ch, record.AlarmO2(), record.Warning(ch), record.Alarm(ch));
}

// --- Auto-cal rule ---------------------------------------------------------------

bool AutoCalAcceptable(const clsInstrument& record, int ch, float v) {
    if (!ValidChannel(ch) || !std::isfinite(v))
        return false;
    if (v < 0 || v > record.GasFullScale(ch))
        return false;
    return modGasCommon::IsBeyondAlarmPoint(record, ch, v);
}

bool StoredAutoCalAcceptable(const clsInstrument& record, int ch) {
    const float v = record.AutoCalib(ch);
    if (!IsSet(v))
        return true;
    return AutoCalAcceptable(record, ch, v);
}

// --- Locked and red cells ------------------------------------------------------

bool IsCellLocked(const clsInstrument& record, int ch, int col, bool channelLocked) {
    if (col == kColEnable)
        return channelLocked;
    if (!IsPointColumn(col))
        return false;
    switch (ch) {
    case 0:
    case 1:
        return col == kColStel || col == kColTwa;
    case 3:
        return record.IsCustom() == 1;
    case 4:
        return true;
    default:
        return false;
    }
}

bool IsCellRed(const clsInstrument& record, int ch, int col) {
    if (!ValidChannel(ch))
        return false;
    if (col == kColAutoCal)
        return !StoredAutoCalAcceptable(record, ch);
    if (!IsPointColumn(col) || IsCellLocked(record, ch, col, false))
        return false;
    if (col == kColWarning || col == kColAlarm) {
        const bool orderApplies = ch != 4 && !(ch == 3 && record.IsCustom() == 1);
        if (orderApplies && !PointsInOrder(record, ch))
            return true;
    }
    if (ch == 4)
        return false;
    if ((col == kColStel || col == kColTwa) && ch != 2 && ch != 3)
        return false;
    return !StoredPointWithinLimits(record, ch, col);
}

// --- Checks before a settings write ------------------------------------------------

bool ChannelPointsValid(const clsInstrument& record, int ch) {
    if (!ValidChannel(ch))
        return false;
    for (int col = kColWarning; col <= kColTwa; ++col) {
        if (IsCellRed(record, ch, col))
            return false;
    }
    return true;
}

bool AutoCalValid(const clsInstrument& record, int ch) {
    return ValidChannel(ch) && StoredAutoCalAcceptable(record, ch);
}

QStringList PointProblems(const clsInstrument& record, int ch) {
    QStringList problems;
    if (!ValidChannel(ch))
        return problems;
    const bool orderApplies = ch != 4 && !(ch == 3 && record.IsCustom() == 1);
    if (orderApplies && !PointsInOrder(record, ch)) {
        const bool o2Falling = ch == 1 && record.AlarmO2() == 1;
        problems << LoadMessage(o2Falling ? kMsgPointBelow : kMsgPointAbove,
                                {ColumnName(kColWarning), Value(record, ch, record.Warning(ch)),
                                 ColumnName(kColAlarm), Value(record, ch, record.Alarm(ch))});
    }
    for (int col = kColWarning; col <= kColTwa; ++col) {
        if (!IsCellRed(record, ch, col))
            continue;
        const float v = CellValue(record, ch, col);
        if (!StoredPointWithinLimits(record, ch, col))
            problems << LoadMessage(kMsgPointOutsideLimits, {ColumnName(col), Value(record, ch, v),
                                                             LimitText(record, ch, col)});
    }
    return problems;
}

QString AutoCalProblem(const clsInstrument& record, int ch) {
    if (!ValidChannel(ch) || StoredAutoCalAcceptable(record, ch))
        return QString();
    return LoadMessage(kMsgAutoCalOutside,
                       {ColumnName(kColAutoCal), Value(record, ch, record.AutoCalib(ch)),
                        Value(record, ch, record.GasFullScale(ch))});
}

// --- Editing ---------------------------------------------------------------------

float RoundToStep(const clsInstrument& record, int ch, float v) {
    return modGasCommon::SnapToStep(v, record.GasDesit(ch));
}

EditOutcome EvaluateCellEdit(const clsInstrument& record, int ch, int col, const QString& text) {
    EditOutcome out;
    if (!ValidChannel(ch) || (!IsPointColumn(col) && col != kColAutoCal))
        return out;
    if (text.trimmed().isEmpty()) {
        // An empty auto-cal cell means "no span concentration"; an alarm
        // point cannot be emptied by typing.
        if (col == kColAutoCal) {
            out.accepted = true;
            out.value = kNotSet;
            out.text = modGasCommon::FormatReading(kNotSet, record.GasPoint(ch));
        } else {
            out.reason = LoadMessage(kMsgEditRefusedEmpty, {ColumnName(col)});
        }
        return out;
    }
    float v = 0;
    if (!ParseValue(text, &v)) {
        out.reason = LoadMessage(kMsgEditRefusedNumber, {ColumnName(col)});
        return out;
    }
    if (IsPointColumn(col)) {
        v = RoundToStep(record, ch, v);
        if (!PointWithinLimits(record, ch, col, v)) {
            const QString limits = LimitText(record, ch, col);
            out.reason = limits == LoadMessage(kMsgRangeNotUsed)
                             ? LoadMessage(kMsgPointOutsideLimits,
                                           {ColumnName(col), Value(record, ch, v), limits})
                             : LoadMessage(kMsgEditRefusedLimit, {ColumnName(col), limits});
            return out;
        }
    } else {
        if (!AutoCalAcceptable(record, ch, v)) {
            out.reason =
                LoadMessage(kMsgAutoCalOutside, {ColumnName(col), Value(record, ch, v),
                                                 Value(record, ch, record.GasFullScale(ch))});
            return out;
        }
        v = RoundToStep(record, ch, v);
    }
    out.accepted = true;
    out.value = v;
    out.text = modGasCommon::FormatReading(v, record.GasPoint(ch));
    return out;
}

EditOutcome ApplyCellEdit(clsInstrument& record, int ch, int col, const QString& text) {
    const EditOutcome out = EvaluateCellEdit(record, ch, col, text);
    if (out.accepted)
        setCellValue(record, ch, col, out.value);
    return out;
}

void ClearChannelPoints(clsInstrument& record, int ch) {
    for (int col = kColWarning; col <= kColAutoCal; ++col)
        setCellValue(record, ch, col, kNotSet);
}

void SettleSelectedGas(clsInstrument& record, int ch) {
    if (!ValidChannel(ch))
        return;
    if (record.GasUnit(ch).trimmed().compare(QLatin1String("ppm"), Qt::CaseInsensitive) != 0) {
        // Short- and long-term exposure limits belong to toxic gases only.
        if (record.Stel(ch) != kNotSet)
            record.setStel(ch, kNotSet);
        if (record.Twa(ch) != kNotSet)
            record.setTwa(ch, kNotSet);
    }
    if (IsOxygenLabel(modGasCommon::FormatGasLabel(record, ch, true)))
        record.setAlarmO2(0);
    record.setOverScale(ch, 1);
}

// --- Values for the main window's refresh -----------------------------------

bool ShowsRecordValues(int linkStatus, const clsInstrument& record) {
    if (linkStatus == 0 || linkStatus == 1)
        return false;
    return record.CommFlags() || record.ImportFlag();
}

QStringList IntervalItems() {
    return {QStringLiteral("10"), QStringLiteral("20"),  QStringLiteral("30"),
            QStringLiteral("60"), QStringLiteral("180"), QStringLiteral("300"),
            QStringLiteral("600")};
}

int IntervalItemIndex(int intervals) {
    const QStringList items = IntervalItems();
    const int index = static_cast<int>(items.indexOf(QString::number(intervals)));
    return index >= 0 ? index : static_cast<int>(items.indexOf(QStringLiteral("300")));
}

namespace {

template <typename Entry> int LastEqualEntry(const QString& wanted, Entry entry) {
    const QString target = wanted.trimmed();
    int found = -1;
    for (int i = 0; i < clsInstrument::kListEntries; ++i) {
        if (entry(i) == target)
            found = i;
    }
    return found;
}

} // namespace

int StationListIndex(const clsInstrument& record) {
    return LastEqualEntry(record.StationID(), [&](int i) { return record.StationList(i); });
}

int UserListIndex(const clsInstrument& record) {
    return LastEqualEntry(record.UserID(), [&](int i) { return record.UserList(i); });
}

QString ProgramNumberText(int32_t romNumber) {
    if (romNumber < 0)
        return QLatin1Char('-') +
               QStringLiteral("%1").arg(-static_cast<int64_t>(romNumber), 5, 10, QLatin1Char('0'));
    return QStringLiteral("%1").arg(romNumber, 5, 10, QLatin1Char('0'));
}

float AutoCalOrDefault(const clsInstrument& record, const clsInstrument& defaults, int ch) {
    const float v = record.AutoCalib(ch);
    return v == kNotSet ? defaults.AutoCalib(ch) : v;
}

} // namespace OptionRules
