// Checks before a settings write: which check fails first, for which
// channel, and with which catalogue texts and details.
#include "records/WriteChecks.h"

#include "common/TestRecords.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using R = clsInstrument;
using Edit = std::function<void(clsInstrument&)>;

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

Edit Set(void (R::*set)(int, float), int ch, float value) {
    return [=](clsInstrument& r) { (r.*set)(ch, value); };
}
Edit Name(int ch, const char* name) {
    return [=](clsInstrument& r) { r.setGasName(ch, QLatin1String(name)); };
}
Edit Both(const Edit& first, const Edit& second) {
    return [=](clsInstrument& r) {
        first(r);
        second(r);
    };
}
// Channels switched off (their auto-cal value emptied).
Edit Off(std::initializer_list<int> channels) {
    const QList<int> list = channels;
    return [=](clsInstrument& r) {
        for (int ch : list) {
            r.setGasEnabled(ch, false);
            r.setAutoCalib(ch, -101);
        }
    };
}
Edit Mode(int16_t mode, const Edit& then) {
    return Both([=](clsInstrument& r) { r.setHcMode(mode); }, then);
}

} // namespace

TEST(WriteChecks, FirstFailedCheckAndItsChannel) {
    using C = WriteCheck;
    const struct {
        const char* what;
        Edit edit;
        WriteCheck check;
        int channel;
    } cases[] = {
        {"good", [](clsInstrument&) {}, C::Passed, -1},
        // Warning above alarm as read from a detector, never edited in the grid.
        {"order", Set(&R::setWarning, 2, 60), C::PointsOutOfRange, 2},
        {"limit", Set(&R::setStel, 2, 250), C::PointsOutOfRange, 2},
        {"channel 3", Set(&R::setAlarm, 3, 5), C::PointsOutOfRange, 3},
        // The points of a disabled channel are not checked, its auto-cal value is.
        {"disabled points", Both(Set(&R::setAlarm, 3, 5), Off({3})), C::Passed, -1},
        {"auto-cal", Set(&R::setAutoCalib, 2, 10), C::ImproperAutoCal, 2},
        {"disabled auto-cal", Both(Off({3}), Set(&R::setAutoCalib, 3, 150)), C::ImproperAutoCal, 3},
        {"points first", Both(Set(&R::setAutoCalib, 1, 30), Set(&R::setWarning, 0, 95)),
         C::PointsOutOfRange, 0},
        {"no sensor", Off({0, 1, 2, 3, 4}), C::NoSensor, -1},
        // The combustible pair: channel 4 alone only in mode 2, channel 0
        // alone only in mode 1, both with the same gas in any mode.
        {"volume alone, mode 0", Off({0, 1, 2, 3}), C::BadCombination, 0},
        {"volume alone, mode 1", Mode(1, Off({0, 1, 2, 3})), C::BadCombination, 0},
        {"volume alone, mode 2", Mode(2, Off({0, 1, 2, 3})), C::Passed, -1},
        {"%LEL alone, mode 0", Off({4}), C::BadCombination, 4},
        {"%LEL alone, mode 1", Mode(1, Off({4})), C::Passed, -1},
        {"%LEL alone, mode 2", Mode(2, Off({4})), C::BadCombination, 4},
        {"different gases", Mode(2, Name(4, "C3H8")), C::BadCombination, 4},
        {"no name", Name(2, "   "), C::BadCombination, 2},
    };
    for (const auto& c : cases) {
        clsInstrument r = GoodRecord();
        c.edit(r);
        const WriteCheckResult res = CheckBeforeWrite(r);
        EXPECT_EQ(res.check, c.check) << c.what;
        EXPECT_EQ(res.channel, c.channel) << c.what;
    }
}

TEST(WriteChecks, DetailsNameTheChannelThePointsAndTheRule) {
    const std::pair<Edit, QStringList> cases[] = {
        {Set(&R::setWarning, 2, 60), {"Channel 2 CO(500ppm): Warning 60 is above Alarm 50"}},
        {Set(&R::setStel, 2, 250),
         {"Channel 2 CO(500ppm): STEL 250 is outside its limits (0 to 200)"}},
        {Set(&R::setAlarm, 0, 70),
         {"Channel 0 CH4(100%LEL): Alarm 70 is outside its limits (at most 60)"}},
        {Both(Set(&R::setWarning, 3, 40), Set(&R::setAlarm, 3, 35)),
         {"Channel 3 H2S(100.0ppm): Warning 40.0 is above Alarm 35.0",
          "Channel 3 H2S(100.0ppm): Warning 40.0 is outside its limits (0.0 to 30.0)",
          "Channel 3 H2S(100.0ppm): Alarm 35.0 is outside its limits (0.0 to 30.0)"}},
        {Set(&R::setAutoCalib, 2, 600),
         {"Channel 2 CO(500ppm): Auto Cal. 600 must lie within 0 to 500 and reach the alarm "
          "point"}},
        {Mode(1, Off({0})), {"HC mode 1: channel 4 cannot be on while channel 0 is off"}},
        {Name(4, "C3H8"), {"channels 0 and 4 carry different gases (CH4, C3H8)"}},
    };
    for (const auto& [edit, details] : cases) {
        clsInstrument r = GoodRecord();
        edit(r);
        EXPECT_EQ(CheckDetails(r, CheckBeforeWrite(r)), details);
    }
    EXPECT_TRUE(CheckDetails(GoodRecord(), CheckBeforeWrite(GoodRecord())).isEmpty());
}

TEST(WriteChecks, EachCheckHasItsMessageAndTitle) {
    const struct {
        WriteCheck check;
        int message;
        int title;
    } cases[] = {{WriteCheck::PointsOutOfRange, 5361, 5362},
                 {WriteCheck::ImproperAutoCal, 5380, 5381},
                 {WriteCheck::NoSensor, 5365, 5366},
                 {WriteCheck::BadCombination, 5369, 5370},
                 {WriteCheck::Passed, 0, 0}};
    for (const auto& c : cases) {
        WriteCheckResult res;
        res.check = c.check;
        EXPECT_EQ(res.messageId(), c.message);
        EXPECT_EQ(res.titleId(), c.title);
        EXPECT_EQ(res.messageText().isEmpty(), c.message == 0);
    }
    WriteCheckResult res;
    res.check = WriteCheck::PointsOutOfRange;
    EXPECT_EQ(res.messageText(),
              QStringLiteral("Check warning and alarm value. (red color cells)"));
    EXPECT_EQ(res.titleText(), QStringLiteral("Warning and alarm range."));
}
