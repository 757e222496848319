// Records shared by the tests: a channel filled from its 25-character
// descriptor and its points, and four typical gases on channels 0 to 3.
#pragma once

#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

namespace testrecords {

inline void SetChannel(clsInstrument& r, int ch, const char* descriptor, float warning, float alarm,
                       float stel, float twa, float autoCal) {
    modGasCommon::ApplyChannelDescriptor(QString::fromLatin1(descriptor), r, ch);
    r.setWarning(ch, warning);
    r.setAlarm(ch, alarm);
    r.setStel(ch, stel);
    r.setTwa(ch, twa);
    r.setAutoCalib(ch, autoCal);
}

// CH4 in %LEL, O2, CO and H2S on channels 0 to 3, every point within its rules.
inline void SetFourGases(clsInstrument& r) {
    SetChannel(r, 0, "CH4          100    1%LEL", 10, 50, -101, -101, 50);
    SetChannel(r, 1, "O2          40.0  0.1VOL%", 19.5f, 23.5f, -101, -101, 12);
    SetChannel(r, 2, "CO           500    1ppm ", 25, 50, 200, 25, 50);
    SetChannel(r, 3, "H2S        100.0  0.5ppm ", 10, 30, 15, 10, 25);
}

} // namespace testrecords
