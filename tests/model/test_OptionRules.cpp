// Rules of the option grid: limits, order, auto-cal, rounding of typed
// values, locked and red cells, and the lookups of the window refresh.
#include "app/AppSettings.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace OptionRules;

namespace {

constexpr float N = -101.0f;

// A record with the first built-in gas on every channel, all enabled:
// CH4 %LEL (full scale 100), O2 (alarm type 0, full scale 40), CO (500),
// H2S (100, step 0.5), CH4 vol.
clsInstrument BuiltInRecord() {
    AppSettings settings;
    modGasCommon::LoadBuiltInGasList(settings);
    clsInstrument record;
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_TRUE(modGasCommon::ApplyGasSelection(record, settings, false, ch, 0));
        SettleSelectedGas(record, ch); // as the grid does; oxygen alarm type 0
    }
    record.ClearChangeFlags();
    return record;
}

// Values a cell accepts and refuses.
struct Limits {
    int ch;
    int col;
    QList<float> accepted;
    QList<float> refused;
};

void ExpectLimits(const clsInstrument& r, const QList<Limits>& rows) {
    for (const Limits& l : rows) {
        for (float v : l.accepted)
            EXPECT_TRUE(PointWithinLimits(r, l.ch, l.col, v)) << l.ch << "/" << l.col << ": " << v;
        for (float v : l.refused)
            EXPECT_FALSE(PointWithinLimits(r, l.ch, l.col, v)) << l.ch << "/" << l.col << ": " << v;
    }
}

} // namespace

TEST(OptionRules, PointLimitsPerChannel) {
    clsInstrument r = BuiltInRecord();
    QList<Limits> rows = {
        {0, kColWarning, {0}, {-1}},
        {0, kColAlarm, {60}, {61}}, // 60 % of the full scale
        // Only the point columns have limits; no channel 5.
        {0, kColAutoCal, {}, {10}},
        {0, kColEnable, {}, {10}},
        {5, kColWarning, {}, {1}},
    };
    for (int col = kColWarning; col <= kColTwa; ++col) {
        rows << Limits{2, col, {0, 200}, {200.5f, -1}} << Limits{3, col, {30}, {30.5f}}
             << Limits{4, col, {}, {1}};
        if (col == kColStel || col == kColTwa)
            rows << Limits{0, col, {}, {5}} << Limits{1, col, {}, {20}};
    }
    ExpectLimits(r, rows);
    r.setGasFullScale(0, 50);
    r.setIsCustom(2); // any value but 0 lifts the limits of channel 3
    ExpectLimits(r, {{0, kColAlarm, {30}, {31}},
                     {3, kColWarning, {1000}, {}},
                     {3, kColTwa, {-5}, {}},
                     {3, kColAlarm, {4000}, {}}});
}

TEST(OptionRules, OxygenLimitsFollowTheAlarmType) {
    clsInstrument r = BuiltInRecord();
    r.setAlarmO2(0);
    ExpectLimits(r, {{1, kColAlarm, {25.0f}, {25.1f}}, {1, kColWarning, {18.0f}, {17.9f}}});
    r.setAlarmO2(1);
    ExpectLimits(r, {{1, kColAlarm, {20.9f}, {21.0f, 25.1f}}, {1, kColWarning, {}, {25.0f}}});
    r.setAlarmO2(2); // warning 19.5, alarm 23.5, full scale 40
    ExpectLimits(
        r, {{1, kColWarning, {23.5f, 5.0f}, {23.6f}}, {1, kColAlarm, {40.0f}, {40.1f, 19.4f}}});
    r.setAlarm(1, N); // no alarm point yet: the warning may go up to full scale
    ExpectLimits(r, {{1, kColWarning, {40.0f}, {40.5f}}});
    r.setAlarm(1, 23.5f);
    r.setWarning(1, N); // no warning point: the alarm only below full scale
    ExpectLimits(r, {{1, kColAlarm, {1.0f}, {}}});
    r.setAlarmO2(7); // unknown type accepts nothing
    ExpectLimits(r, {{1, kColWarning, {}, {19.5f}}});
}

TEST(OptionRules, OrderOfWarningAndAlarm) {
    EXPECT_TRUE(PointsInOrder(2, 0, 25, 50));
    EXPECT_TRUE(PointsInOrder(2, 0, 50, 50));
    EXPECT_FALSE(PointsInOrder(2, 0, 60, 50));
    EXPECT_TRUE(PointsInOrder(2, 0, N, 50)); // a point not set is never out of order
    EXPECT_TRUE(PointsInOrder(2, 0, 60, N));
    // Oxygen type 1 alarms on a falling level: warning above alarm.
    EXPECT_TRUE(PointsInOrder(1, 1, 19.5f, 18.0f));
    EXPECT_FALSE(PointsInOrder(1, 1, 18.0f, 19.5f));
    EXPECT_FALSE(PointsInOrder(1, 2, 23.5f, 19.5f));
    // Type 1 matters only on channel 1.
    EXPECT_FALSE(PointsInOrder(3, 1, 19.5f, 18.0f));
}

TEST(OptionRules, AutoCalRule) {
    clsInstrument r = BuiltInRecord();
    // Toxic channel (CO, warning 25, full scale 500): the span gas must reach
    // the warning point.
    EXPECT_FALSE(AutoCalAcceptable(r, 2, 20));
    EXPECT_TRUE(AutoCalAcceptable(r, 2, 25));
    EXPECT_TRUE(AutoCalAcceptable(r, 2, 500));
    EXPECT_FALSE(AutoCalAcceptable(r, 2, 501));
    EXPECT_FALSE(AutoCalAcceptable(r, 2, -1));
    // Oxygen counts downwards: below the warning point is accepted.
    EXPECT_TRUE(AutoCalAcceptable(r, 1, 12));
    EXPECT_FALSE(AutoCalAcceptable(r, 1, 20.9f));
    // The alarm level itself: modGasCommon.AlarmPointTestPerGas.

    r.setAutoCalib(2, 10);
    EXPECT_FALSE(StoredAutoCalAcceptable(r, 2));
    r.setAutoCalib(2, N);
    EXPECT_TRUE(StoredAutoCalAcceptable(r, 2)); // not set always passes
    EXPECT_FALSE(AutoCalValid(r, 7));
}

TEST(OptionRules, TypedValuesAreRoundedAndChecked) {
    clsInstrument r = BuiltInRecord(); // H2S on channel 3, step 0.5, one decimal
    EditOutcome out = ApplyCellEdit(r, 3, kColWarning, QStringLiteral("10.3"));
    ASSERT_TRUE(out.accepted);
    EXPECT_FLOAT_EQ(out.value, 10.5f);
    EXPECT_EQ(out.text, QStringLiteral("10.5"));
    EXPECT_FLOAT_EQ(r.Warning(3), 10.5f);
    EXPECT_TRUE(r.Change_Warn(3));
    // Halves go to the even multiple: 10.25 / 0.5 = 20.5 -> 20.
    EXPECT_FLOAT_EQ(EvaluateCellEdit(r, 3, kColAlarm, QStringLiteral("10.25")).value, 10.0f);
    EXPECT_EQ(EvaluateCellEdit(r, 3, kColAlarm, QStringLiteral(" 12 ")).text,
              QStringLiteral("12.0"));
    // The rounding comes before the limit: 60.4 on a step of 1 is 60.
    EXPECT_TRUE(EvaluateCellEdit(r, 0, kColAlarm, QStringLiteral("60.4")).accepted);
    EXPECT_FALSE(EvaluateCellEdit(r, 0, kColAlarm, QStringLiteral("60.6")).accepted);

    // A refused value leaves the record and its flags alone.
    r.setAlarmO2(1);
    r.ClearChangeFlags();
    out = ApplyCellEdit(r, 1, kColWarning, QStringLiteral("25.1"));
    EXPECT_FALSE(out.accepted);
    EXPECT_FLOAT_EQ(r.Warning(1), 19.5f);
    EXPECT_FALSE(r.Change_Warn(1));

    for (int col = kColWarning; col <= kColTwa; ++col)
        EXPECT_FALSE(EvaluateCellEdit(r, 2, col, QStringLiteral("  ")).accepted) << col;
    for (const char* text : {"abc", "12a", "-----", "nan", "inf", "1e99", "1,5"})
        EXPECT_FALSE(EvaluateCellEdit(r, 2, kColWarning, QString::fromLatin1(text)).accepted)
            << text;
    // Cells without a value behind them are refused.
    EXPECT_FALSE(EvaluateCellEdit(r, 2, kColGas, QStringLiteral("5")).accepted);
    EXPECT_FALSE(EvaluateCellEdit(r, 2, kColEnable, QStringLiteral("5")).accepted);
    EXPECT_FALSE(EvaluateCellEdit(r, 5, kColWarning, QStringLiteral("5")).accepted);

    // An empty auto-cal cell means "no span gas".
    out = ApplyCellEdit(r, 2, kColAutoCal, QString());
    ASSERT_TRUE(out.accepted);
    EXPECT_EQ(out.text, QStringLiteral("-----"));
    EXPECT_FLOAT_EQ(r.AutoCalib(2), N);
    // Below a set warning point: refused for a toxic gas, accepted for oxygen.
    EXPECT_FALSE(EvaluateCellEdit(r, 2, kColAutoCal, QStringLiteral("20")).accepted);
    EXPECT_TRUE(EvaluateCellEdit(r, 1, kColAutoCal, QStringLiteral("12")).accepted);
    // Accepted auto-cal values are rounded to the step afterwards.
    out = ApplyCellEdit(r, 3, kColAutoCal, QStringLiteral("26.2"));
    ASSERT_TRUE(out.accepted);
    EXPECT_FLOAT_EQ(r.AutoCalib(3), 26.0f);
    EXPECT_TRUE(r.Change_AutoCal(3));
}

TEST(OptionRules, LockedCells) {
    clsInstrument r = BuiltInRecord();
    for (int col = kColWarning; col <= kColTwa; ++col) {
        const bool stelOrTwa = col == kColStel || col == kColTwa;
        EXPECT_EQ(IsCellLocked(r, 0, col, false), stelOrTwa) << col;
        EXPECT_EQ(IsCellLocked(r, 1, col, false), stelOrTwa) << col;
        EXPECT_FALSE(IsCellLocked(r, 2, col, false)) << col;
        EXPECT_FALSE(IsCellLocked(r, 3, col, false)) << col;
        EXPECT_TRUE(IsCellLocked(r, 4, col, false)) << col;
    }
    r.setIsCustom(1);
    EXPECT_TRUE(IsCellLocked(r, 3, kColWarning, false));
    r.setIsCustom(2); // the lock is for custom boards of type 1 only
    EXPECT_FALSE(IsCellLocked(r, 3, kColWarning, false));
    EXPECT_TRUE(IsCellLocked(r, 2, kColEnable, true));
    EXPECT_FALSE(IsCellLocked(r, 2, kColEnable, false));
    EXPECT_FALSE(IsCellLocked(r, 2, kColAutoCal, true));
}

TEST(OptionRules, RedCells) {
    clsInstrument r = BuiltInRecord();
    for (int ch = 0; ch < 5; ++ch) {
        for (int col = 0; col < kColumns; ++col)
            EXPECT_FALSE(IsCellRed(r, ch, col)) << ch << "/" << col;
    }
    // Warning above alarm on a toxic channel, as read from a detector.
    r.setWarning(2, 60);
    EXPECT_TRUE(IsCellRed(r, 2, kColWarning));
    EXPECT_TRUE(IsCellRed(r, 2, kColAlarm));
    EXPECT_FALSE(IsCellRed(r, 2, kColStel));
    EXPECT_FALSE(ChannelPointsValid(r, 2));
    r.setWarning(2, 25);
    // A STEL beyond the limit.
    r.setStel(2, 300);
    EXPECT_TRUE(IsCellRed(r, 2, kColStel));
    EXPECT_FALSE(IsCellRed(r, 2, kColWarning));
    // Locked cells and points not set are never red.
    r.setStel(0, 500);
    EXPECT_FALSE(IsCellRed(r, 0, kColStel));
    r.setWarning(4, 80);
    r.setAlarm(4, 10);
    EXPECT_FALSE(IsCellRed(r, 4, kColWarning));
    EXPECT_TRUE(ChannelPointsValid(r, 4));
    r.setWarning(1, N);
    r.setAlarm(1, N);
    EXPECT_FALSE(IsCellRed(r, 1, kColWarning));
    // Channel 3 out of range and out of order is fine on a custom board.
    r.setWarning(3, 500);
    r.setAlarm(3, 100);
    EXPECT_TRUE(IsCellRed(r, 3, kColWarning));
    EXPECT_TRUE(IsCellRed(r, 3, kColAlarm));
    r.setIsCustom(1);
    EXPECT_FALSE(IsCellRed(r, 3, kColWarning));
    EXPECT_FALSE(IsCellRed(r, 3, kColAlarm));
    // An auto-cal value that does not reach the alarm level, on any channel.
    r.setAutoCalib(4, 0);
    EXPECT_TRUE(IsCellRed(r, 4, kColAutoCal));
    r.setAutoCalib(1, 20.9f);
    EXPECT_TRUE(IsCellRed(r, 1, kColAutoCal)); // oxygen fallback 19.5
}

TEST(OptionRules, ClearingAndSettlingAChannel) {
    clsInstrument r = BuiltInRecord();
    ClearChannelPoints(r, 2);
    for (int col = kColWarning; col <= kColAutoCal; ++col)
        EXPECT_FLOAT_EQ(CellValue(r, 2, col), N) << col;
    EXPECT_TRUE(r.Change_Warn(2));
    EXPECT_TRUE(r.Change_AutoCal(2));

    // A gas measured in %LEL keeps no STEL/TWA; an oxygen gas resets the
    // oxygen alarm type; every new gas switches over-scale on.
    r.setStel(0, 5);
    r.setTwa(0, 5);
    r.setAlarmO2(1);
    SettleSelectedGas(r, 0);
    EXPECT_FLOAT_EQ(r.Stel(0), N);
    EXPECT_FLOAT_EQ(r.Twa(0), N);
    EXPECT_EQ(r.OverScale(0), 1);
    EXPECT_EQ(r.AlarmO2(), 1);
    SettleSelectedGas(r, 1);
    EXPECT_EQ(r.AlarmO2(), 0);
    r.setStel(3, 15);
    SettleSelectedGas(r, 3); // ppm keeps it
    EXPECT_FLOAT_EQ(r.Stel(3), 15.0f);
}

TEST(OptionRules, RefreshLookups) {
    EXPECT_EQ(IntervalItems().size(), 7);
    EXPECT_EQ(IntervalItemIndex(10), 0);
    EXPECT_EQ(IntervalItemIndex(180), 4);
    EXPECT_EQ(IntervalItemIndex(600), 6);
    for (int unknown : {45, 0, -10})
        EXPECT_EQ(IntervalItems().at(IntervalItemIndex(unknown)), QStringLiteral("300"));

    clsInstrument r;
    r.setStationList(3, QStringLiteral("PLANT A"));
    r.setStationList(9, QStringLiteral("PLANT A"));
    r.setStationID(QStringLiteral("  PLANT A "));
    EXPECT_EQ(StationListIndex(r), 9); // the last equal entry wins
    r.setStationID(QStringLiteral("NOWHERE"));
    EXPECT_EQ(StationListIndex(r), -1);
    r.setUserList(0, QStringLiteral("SMITH"));
    r.setUserID(QStringLiteral("SMITH"));
    EXPECT_EQ(UserListIndex(r), 0);

    EXPECT_EQ(ProgramNumberText(42), QStringLiteral("00042"));
    EXPECT_EQ(ProgramNumberText(123456), QStringLiteral("123456"));
    EXPECT_EQ(ProgramNumberText(-7), QStringLiteral("-00007"));

    clsInstrument defaults;
    defaults.setAutoCalib(2, 100);
    r.setAutoCalib(2, N);
    EXPECT_FLOAT_EQ(AutoCalOrDefault(r, defaults, 2), 100.0f);
    r.setAutoCalib(2, 40);
    EXPECT_FLOAT_EQ(AutoCalOrDefault(r, defaults, 2), 40.0f);

    EXPECT_FALSE(ShowsRecordValues(6, r)); // nothing read or imported
    r.setImportFlag(true);
    EXPECT_TRUE(ShowsRecordValues(6, r));
    EXPECT_FALSE(ShowsRecordValues(0, r));
    EXPECT_FALSE(ShowsRecordValues(1, r));
    r.setImportFlag(false);
    r.setCommFlags(true);
    EXPECT_TRUE(ShowsRecordValues(3, r));
}

// A refused edit says why, in words that name the column and the limit; an
// accepted one carries no reason.
TEST(OptionRules, RefusedEditsSayWhy) {
    clsInstrument r = BuiltInRecord(); // CO on channel 2, H2S on channel 3
    struct Case {
        int ch;
        int col;
        const char* typed;
        const char* reason;
    };
    const Case cases[] = {
        {3, kColAlarm, "40", "Alarm must be 0.0 to 30.0 for this channel."},
        {0, kColAlarm, "61", "Alarm must be at most 60 for this channel."},
        {1, kColAlarm, "25.1", "Alarm must be 18.0 to 25.0 for this channel."},
        {2, kColWarning, "abc", "Warning must be a number."},
        {2, kColTwa, "  ", "TWA needs a value."},
        {2, kColAutoCal, "600", "Auto Cal. 600 must lie within 0 to 500 and reach the alarm point"},
        {2, kColAutoCal, "20", "Auto Cal. 20 must lie within 0 to 500 and reach the alarm point"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const EditOutcome out = EvaluateCellEdit(r, c.ch, c.col, QString::fromLatin1(c.typed));
        EXPECT_FALSE(out.accepted);
        EXPECT_EQ(out.reason, QString::fromLatin1(c.reason));
    }
    // An oxygen alarm type the program does not know accepts nothing, and
    // says so without a limit it does not have.
    r.setAlarmO2(7);
    EXPECT_EQ(EvaluateCellEdit(r, 1, kColWarning, QStringLiteral("19")).reason,
              QStringLiteral("Warning 19.0 is outside its limits (not used on this channel)"));
    EXPECT_TRUE(EvaluateCellEdit(r, 2, kColAlarm, QStringLiteral("60")).reason.isEmpty());
}

TEST(OptionRules, ChannelValuesWithinFullScale) {
    clsInstrument r = BuiltInRecord(); // CO 500 ppm (no decimals), H2S 100.0 ppm
    EXPECT_TRUE(WithinFullScale(r, 2, 500));
    EXPECT_TRUE(WithinFullScale(r, 2, 500.4f)); // the detector holds 500
    EXPECT_FALSE(WithinFullScale(r, 2, 501));
    EXPECT_TRUE(WithinFullScale(r, 3, 100.04f));
    EXPECT_FALSE(WithinFullScale(r, 3, 100.1f));
    EXPECT_TRUE(WithinFullScale(r, 3, N)); // not set
    // A channel switched off, or one without a full scale, is not judged.
    r.setGasEnabled(3, false);
    EXPECT_TRUE(WithinFullScale(r, 3, 900));
    r.setGasFullScale(2, N);
    EXPECT_TRUE(WithinFullScale(r, 2, 900));
    EXPECT_TRUE(WithinFullScale(r, 7, 900));
}
