#include "model/CalibrationRules.h"

#include "app/Helpers.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

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
        if (value < 0 || value > record.GasFullScale(ch) ||
            !modGasCommon::IsBeyondAlarmPoint(record, ch, value))
            return result;
        result.accepted = true;
        result.value = modGasCommon::SnapToStep(value, record.GasDesit(ch));
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
