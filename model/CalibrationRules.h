// The rules of a span-gas concentration as the user types it (the
// calibration window's "Auto Cal.(F)" column, the tool's --conc option):
//   - empty: no concentration (-101);
//   - a number: taken when 0 <= value <= the channel's full scale and the
//     value reaches the channel's alarm point (a span gas must set the alarm
//     off; modGasCommon::AlarmLevelOf), then replaced by the nearest
//     multiple of the channel's resolution (halves to the even multiple),
//     which must keep to the same limits;
//   - a text holding "--": 0;
//   - anything else is refused.
#pragma once

#include <QString>

class clsInstrument;

struct SpanConcentration {
    bool accepted = false;
    float value = 0; // the concentration to store when accepted
};

SpanConcentration ParseSpanConcentration(const clsInstrument& record, int ch, const QString& text);

// The channels that may take part in a calibration: enabled, with a span-gas
// concentration of 0 or more.
bool IsCalibratable(const clsInstrument& record, int ch);
