// The span-gas concentration as the user types it, and which channels may
// take part in a calibration.
#include "model/CalibrationRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include "common/TestRecords.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr float kNone = modGasCommon::kNoValue;

// CH4 %LEL, O2 (alarm type 2), CO, H2S (resolution 0.5) and on channel 4 a
// gas whose full scale (35) and warning point (25) are not multiples of its
// resolution (10).
clsInstrument SpanRecord() {
    clsInstrument r;
    testrecords::SetFourGases(r);
    const QString descriptor = QStringLiteral("CH4").leftJustified(10) + QStringLiteral(" ") +
                               QStringLiteral("35").rightJustified(5) +
                               QStringLiteral("10").rightJustified(5) + QStringLiteral("vol%");
    modGasCommon::ApplyChannelDescriptor(descriptor, r, 4);
    r.setWarning(4, 25);
    r.setAutoCalib(4, 30);
    r.setWarning(1, 17); // oxygen alarm type 2 ignores it: the level is 19.5
    r.setAlarmO2(2);
    for (int ch = 0; ch < 5; ++ch)
        r.setGasEnabled(ch, true);
    return r;
}

struct Typed {
    int ch;
    const char* text;
    bool accepted;
    float value;
};

} // namespace

TEST(CalibrationRules, TypedSpanConcentrations) {
    const clsInstrument r = SpanRecord();
    ASSERT_FLOAT_EQ(r.GasFullScale(4), 35);
    ASSERT_FLOAT_EQ(r.GasDesit(4), 10);
    const Typed cases[] = {
        // Empty: no concentration.
        {2, "", true, kNone},
        {2, "   ", true, kNone},
        // Within the full scale and reaching the warning point (CO: 25 of 500).
        {2, "50", true, 50},
        {2, "500", true, 500},
        {2, "25", true, 25},
        {2, "501", false, 0},
        {2, "24", false, 0},
        {2, "-5", false, 0},
        // Taken to the resolution, halves to the even multiple.
        {2, "50.5", true, 50},
        {2, "51.5", true, 52},
        {2, "50.4", true, 50},
        {3, "10.25", true, 10},
        {3, "10.75", true, 11},
        {3, "30.3", true, 30.5f},
        // Oxygen counts downwards: at most its alarm level 19.5.
        {1, "12", true, 12},
        {1, "19.5", true, 19.5f},
        {1, "19.6", false, 0},
        {1, "20.9", false, 0},
        // "--" stands for 0; other text is refused.
        {2, "--", true, 0},
        {2, "10--", true, 0},
        {2, "abc", false, 0},
        {2, "5O", false, 0},
        // The value taken to the resolution must keep to the limits too.
        {4, "26", true, 30},
        {4, "34", true, 30},
        {4, "25", false, 0}, // 2.5 steps go to 2: 20, below the warning point
        {4, "35", false, 0}, // 3.5 steps go to 4: 40, above the full scale
        // No such channel.
        {5, "50", false, 0},
        {-1, "", false, 0},
    };
    for (const Typed& t : cases) {
        SCOPED_TRACE(testing::Message() << "channel " << t.ch << " \"" << t.text << "\"");
        const SpanConcentration got = ParseSpanConcentration(r, t.ch, QString::fromLatin1(t.text));
        EXPECT_EQ(got.accepted, t.accepted);
        if (t.accepted && got.accepted) {
            EXPECT_FLOAT_EQ(got.value, t.value);
        }
    }
}

TEST(CalibrationRules, CalibratableChannels) {
    clsInstrument r = SpanRecord();
    r.setGasEnabled(1, false);
    r.setAutoCalib(2, kNone);
    r.setAutoCalib(3, 0);
    EXPECT_TRUE(IsCalibratable(r, 0));
    EXPECT_FALSE(IsCalibratable(r, 1)); // off
    EXPECT_FALSE(IsCalibratable(r, 2)); // no span gas value
    EXPECT_TRUE(IsCalibratable(r, 3));  // 0 counts as a value
    EXPECT_FALSE(IsCalibratable(r, -1));
    EXPECT_FALSE(IsCalibratable(r, 5));
}
