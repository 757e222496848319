// Checks before a settings write: which check fails first, for which
// channel, and with which catalogue texts.
#include "records/WriteChecks.h"

#include "common/TestRecords.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Five channels in use, every value within its rules, HC mode 0 with the
// same combustible gas on channels 0 and 4. Change flags are cleared as
// after a read from the detector.
clsInstrument GoodRecord() {
    clsInstrument r;
    r.setAlarmO2(0);
    r.setHcMode(0);
    testrecords::SetFourGases(r);
    testrecords::SetChannel(r, 4, "CH4          100    1VOL%", -101, -101, -101, -101, 50);
    r.ClearChangeFlags();
    return r;
}

void Disable(clsInstrument& r, int ch) {
    r.setGasEnabled(ch, false);
    r.setAutoCalib(ch, -101);
}

} // namespace

TEST(WriteChecks, GoodRecordPasses) {
    const WriteCheckResult res = CheckBeforeWrite(GoodRecord());
    EXPECT_TRUE(res.passed());
    EXPECT_EQ(res.messageId(), 0);
    EXPECT_TRUE(res.messageText().isEmpty());
}

TEST(WriteChecks, WarningAboveAlarmReadFromTheDetector) {
    clsInstrument r = GoodRecord();
    r.setWarning(2, 60); // above the alarm point 50, never edited in the grid
    r.ClearChangeFlags();
    WriteCheckResult res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::PointsOutOfRange);
    EXPECT_EQ(res.channel, 2);
    EXPECT_EQ(res.messageId(), 5361);
    EXPECT_EQ(res.titleId(), 5362);
    EXPECT_EQ(res.messageText(),
              QStringLiteral("Check warning and alarm value. (red color cells)"));
    EXPECT_EQ(res.titleText(), QStringLiteral("Warning and alarm range."));

    // A limit broken on its own (STEL of a toxic channel above 200).
    r = GoodRecord();
    r.setStel(2, 250);
    res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::PointsOutOfRange);
    EXPECT_EQ(res.channel, 2);

    // The points of a disabled channel are not checked.
    r = GoodRecord();
    r.setAlarm(3, 5); // below the warning point 10
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::PointsOutOfRange);
    r.setGasEnabled(3, false);
    EXPECT_TRUE(CheckBeforeWrite(r).passed());
}

TEST(WriteChecks, ImproperAutoCalOnAnyChannel) {
    clsInstrument r = GoodRecord();
    r.setAutoCalib(2, 10); // below the toxic warning point 25
    WriteCheckResult res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::ImproperAutoCal);
    EXPECT_EQ(res.channel, 2);
    EXPECT_EQ(res.messageId(), 5380);
    EXPECT_EQ(res.titleId(), 5381);

    // Checked for a disabled channel too; a value not set always passes.
    r = GoodRecord();
    r.setGasEnabled(3, false);
    r.setAutoCalib(3, 150); // above the full scale of 100
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::ImproperAutoCal);
    r.setAutoCalib(3, -101);
    EXPECT_TRUE(CheckBeforeWrite(r).passed());

    // The alarm points are checked before the auto-cal values.
    r = GoodRecord();
    r.setAutoCalib(1, 30);
    r.setWarning(0, 95); // above the alarm point 50
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::PointsOutOfRange);
}

TEST(WriteChecks, EveryChannelDisabled) {
    clsInstrument r = GoodRecord();
    for (int ch = 0; ch < 5; ++ch)
        Disable(r, ch);
    const WriteCheckResult res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::NoSensor);
    EXPECT_EQ(res.channel, -1);
    EXPECT_EQ(res.messageId(), 5365);
    EXPECT_EQ(res.titleId(), 5366);
    EXPECT_EQ(res.messageText(), QStringLiteral("No available sensor."));
}

TEST(WriteChecks, HydrocarbonCombination) {
    // Only channel 4 enabled: refused in mode 1 (and 0), allowed in mode 2.
    clsInstrument r = GoodRecord();
    for (int ch = 0; ch < 4; ++ch)
        Disable(r, ch);
    r.setHcMode(1);
    WriteCheckResult res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::BadCombination);
    EXPECT_EQ(res.messageId(), 5369);
    EXPECT_EQ(res.titleId(), 5370);
    EXPECT_EQ(res.titleText(), QStringLiteral("The communication is not possible"));
    r.setHcMode(0);
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::BadCombination);
    r.setHcMode(2);
    EXPECT_TRUE(CheckBeforeWrite(r).passed());

    // Only channel 0 of the pair enabled: refused in modes 0 and 2, allowed in 1.
    r = GoodRecord();
    Disable(r, 4);
    r.setHcMode(1);
    EXPECT_TRUE(CheckBeforeWrite(r).passed());
    r.setHcMode(2);
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::BadCombination);
    r.setHcMode(0);
    EXPECT_EQ(CheckBeforeWrite(r).check, WriteCheck::BadCombination);

    // Both enabled with different gases, in any mode.
    r = GoodRecord();
    r.setGasName(4, QStringLiteral("C3H8"));
    for (int16_t mode = 0; mode <= 2; ++mode) {
        r.setHcMode(mode);
        res = CheckBeforeWrite(r);
        EXPECT_EQ(res.check, WriteCheck::BadCombination) << mode;
        EXPECT_EQ(res.channel, 4);
    }

    // An enabled channel without a gas name.
    r = GoodRecord();
    r.setGasName(2, QStringLiteral("   "));
    res = CheckBeforeWrite(r);
    EXPECT_EQ(res.check, WriteCheck::BadCombination);
    EXPECT_EQ(res.channel, 2);
}

TEST(WriteChecks, DetailsNameTheChannelThePointsAndTheRule) {
    struct Case {
        std::function<void(clsInstrument&)> edit;
        QStringList details;
    };
    const QList<Case> cases = {
        {[](clsInstrument& r) { r.setWarning(2, 60); },
         {"Channel 2 CO(500ppm): Warning 60 is above Alarm 50"}},
        {[](clsInstrument& r) { r.setStel(2, 250); },
         {"Channel 2 CO(500ppm): STEL 250 is outside its limits (0 to 200)"}},
        {[](clsInstrument& r) { r.setAlarm(0, 70); },
         {"Channel 0 CH4(100%LEL): Alarm 70 is outside its limits (at most 60)"}},
        {[](clsInstrument& r) {
             r.setWarning(3, 40);
             r.setAlarm(3, 35);
         },
         {"Channel 3 H2S(100.0ppm): Warning 40.0 is above Alarm 35.0",
          "Channel 3 H2S(100.0ppm): Warning 40.0 is outside its limits (0.0 to 30.0)",
          "Channel 3 H2S(100.0ppm): Alarm 35.0 is outside its limits (0.0 to 30.0)"}},
        {[](clsInstrument& r) { r.setAutoCalib(2, 600); },
         {"Channel 2 CO(500ppm): Auto Cal. 600 must lie within 0 to 500 and reach the alarm "
          "point"}},
        {[](clsInstrument& r) {
             r.setHcMode(1);
             Disable(r, 0);
         },
         {"HC mode 1: channel 4 cannot be on while channel 0 is off"}},
        {[](clsInstrument& r) { r.setGasName(4, QStringLiteral("C3H8")); },
         {"channels 0 and 4 carry different gases (CH4, C3H8)"}},
    };
    for (const Case& c : cases) {
        clsInstrument r = GoodRecord();
        c.edit(r);
        const WriteCheckResult res = CheckBeforeWrite(r);
        EXPECT_FALSE(res.passed());
        EXPECT_EQ(CheckDetails(r, res), c.details);
    }
    EXPECT_TRUE(CheckDetails(GoodRecord(), CheckBeforeWrite(GoodRecord())).isEmpty());
}
