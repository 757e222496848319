#include "model/CalibrationRules.h"

#include "app/Helpers.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <cmath>

namespace {

// 0 <= value <= full scale, and the value reaches the alarm level; `slack`
// forgives the last bits of a product of single-precision numbers.
bool WithinSpanLimits(const clsInstrument& record, int ch, float value, float slack = 0) {
    if (!(value >= -slack) || value > record.GasFullScale(ch) + slack)
        return false;
    const float level = modGasCommon::AlarmLevelOf(record, ch);
    return modGasCommon::IsOxygenChannel(record, ch) ? value <= level + slack
                                                     : value >= level - slack;
}

} // namespace

SpanConcentration ParseSpanConcentration(const clsInstrument& record, int ch, const QString& text) {
    SpanConcentration result;
    if (ch < 0 || ch >= clsInstrument::kGasChannels)
        return result;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        result.accepted = true;
        result.value = modGasCommon::kNoValue;
        return result;
    }
    double number = 0;
    if (ParseNumericText(trimmed, &number)) {
        const float value = float(number);
        if (!WithinSpanLimits(record, ch, value))
            return result;
        // The value taken to the resolution must keep to the limits too (a
        // full scale or alarm point that is not a multiple of the resolution
        // could otherwise be crossed by the rounding).
        const float snapped = modGasCommon::SnapToStep(value, record.GasDesit(ch));
        if (!WithinSpanLimits(record, ch, snapped, std::fabs(record.GasDesit(ch)) * 1e-3f))
            return result;
        result.accepted = true;
        result.value = snapped;
        return result;
    }
    if (trimmed.contains(QLatin1String("--"))) {
        result.accepted = true;
        result.value = 0;
    }
    return result;
}

bool IsCalibratable(const clsInstrument& record, int ch) {
    return ch >= 0 && ch < clsInstrument::kGasChannels && record.GasEnabled(ch) &&
           record.AutoCalib(ch) >= 0;
}
