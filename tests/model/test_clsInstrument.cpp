// The record: its defaults, what ClearDatas resets, normalised identity
// texts, indexes outside their range, and the day counts of its dates.
#include "model/OleDate.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using R = clsInstrument;
const QString kDash16(16, QLatin1Char('-'));
const QString kDash20(20, QLatin1Char('-'));

// True when a flag that SetChangeFlags manages is set.
bool AnyGroupFlagSet(const clsInstrument& r) {
    for (const SettingsTable::Setting& s : SettingsTable::Rows()) {
        if (s.Group != SettingsTable::FlagGroup::Outside && s.anyChanged(r))
            return true;
    }
    return false;
}

} // namespace

TEST(clsInstrument, NewRecordHoldsTheDefaultsWithFlagsClear) {
    clsInstrument r;
    EXPECT_EQ(QStringList({r.UserID(), r.StationID(), r.StationList(0), r.UserList(127)}),
              QStringList({kDash16, kDash16, kDash16, kDash16}));
    EXPECT_EQ(r.SerialNo(), kDash20);
    EXPECT_EQ(r.DummySerial(), kDash20);
    EXPECT_EQ(r.UserPassword2(), QStringLiteral("7563"));
    EXPECT_EQ(r.SpecType(), QStringLiteral("0"));
    for (int16_t (R::*get)() const :
         {&R::CalLimit, &R::CalCheckALL, &R::BumpCheckALL, &R::BumpThreshold, &R::BumpFailAfter,
          &R::LcdBackLight, &R::autoBackLight, &R::AlarmOnOff, &R::StelTwaOnOff, &R::AlarmO2,
          &R::LSindex})
        EXPECT_EQ((r.*get)(), 1);
    EXPECT_EQ(r.BumpTime(), 2);
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_FALSE(r.GasEnabled(ch));
        EXPECT_EQ(r.GasPoint(ch), -101); // the empty descriptor comes last
        EXPECT_EQ(r.CalibDate(ch), -101.0);
        for (float (R::*get)(int) const : {&R::GasFullScale, &R::Warning, &R::Alarm, &R::Stel,
                                           &R::Twa, &R::AutoCalib, &R::Ratio, &R::CalibBefore})
            EXPECT_EQ((r.*get)(ch), -101.0f) << ch;
    }
    EXPECT_FALSE(AnyGroupFlagSet(r));
}

TEST(clsInstrument, ClearDatasKeepsTheFieldsItDoesNotOwn) {
    clsInstrument r;
    r.setDispID(3);
    r.setBumpLimit(7);
    r.setFlowLevel(123456);
    r.setpressOffset(-4);
    r.setSpecNo(QStringLiteral("SPEC01"));
    r.setBattery(2);
    r.setImportFlag(true);
    r.setAnalogValue(10, 99);
    r.setLI_Name(30, QStringLiteral("MEK"));
    r.setLS_Ratio(1, 1.25f);
    r.setLogMax(4, 33.0f);
    r.setGasUnit(3, QStringLiteral("ppm"));
    r.setAlarmMode(5);
    r.setCommFlags(true);
    r.setStationList(7, QStringLiteral("ST7"));
    r.setLSindex(0);

    r.ClearDatas();

    EXPECT_EQ(r.DispID(), 3);
    EXPECT_EQ(r.BumpLimit(), 7);
    EXPECT_EQ(r.FlowLevel(), 123456);
    EXPECT_EQ(r.pressOffset(), -4);
    EXPECT_EQ(r.SpecNo(), QStringLiteral("SPEC01"));
    EXPECT_EQ(r.Battery(), 2);
    EXPECT_TRUE(r.ImportFlag());
    EXPECT_EQ(r.AnalogValue(10), 99);
    EXPECT_EQ(r.LI_Name(30), QStringLiteral("MEK"));
    EXPECT_EQ(r.LS_Ratio(1), 1.25f);
    EXPECT_EQ(r.LogMax(4), 33.0f);
    // Reset by ClearDatas.
    EXPECT_TRUE(r.GasUnit(3).isEmpty());
    EXPECT_EQ(r.AlarmMode(), 0);
    EXPECT_FALSE(r.CommFlags());
    EXPECT_EQ(r.StationList(7), kDash16);
    EXPECT_EQ(r.LSindex(), 1);
    // Flags outside the flag groups survive.
    EXPECT_TRUE(r.Change_FlowLevel());
    EXPECT_TRUE(r.Change_pressOffset());
    EXPECT_FALSE(AnyGroupFlagSet(r));
}

// Every other write marks its flag (SettingsTable.EveryWriteMarksItsOwnFlagAndNoOther).
TEST(clsInstrument, IntervalsMarksItsFlagOnlyOnChange) {
    clsInstrument r;
    r.setIntervals(0);
    EXPECT_FALSE(r.Change_Interval());
    r.setIntervals(300);
    EXPECT_TRUE(r.Change_Interval());
    r.setChange_Interval(false);
    r.setIntervals(300);
    EXPECT_FALSE(r.Change_Interval());
}

TEST(clsInstrument, IdentityTextsAreNormalised) {
    clsInstrument r;
    r.setSerialNo(QStringLiteral("    "));
    EXPECT_EQ(r.SerialNo(), kDash20);
    r.setUserID(QStringLiteral("  AB  "));
    EXPECT_EQ(r.UserID(), QStringLiteral("AB"));
    r.setDummySerial(QString());
    EXPECT_EQ(r.DummySerial(), kDash20);
    r.setStationList(0, QStringLiteral("  ST-1 "));
    EXPECT_EQ(r.StationList(0), QStringLiteral("ST-1"));
    r.ClearChangeFlags();
    r.setUserList(127, QStringLiteral("   "));
    EXPECT_EQ(r.UserList(127), kDash16);
    EXPECT_TRUE(r.Change_UserList(127));
    EXPECT_FALSE(r.Change_UserList(126));
}

TEST(clsInstrument, IndexesOutsideTheirRangeNeverTouchMemory) {
    clsInstrument r;
    r.ClearChangeFlags();

    // Channel 5 takes alarm points only, without flags.
    r.setGasName(5, QStringLiteral("CO"));
    EXPECT_TRUE(r.GasName(5).isEmpty());
    r.setAlarm(5, 42.0f);
    EXPECT_EQ(r.Alarm(5), 42.0f);
    r.setChange_Alarm(5, true);
    EXPECT_FALSE(r.Change_Alarm(5));
    EXPECT_FALSE(r.Change_Alarm(4)); // the neighbouring slot is untouched

    for (int bad : {-1, 6, 1000, -32768}) {
        r.setGasName(bad, QStringLiteral("X"));
        r.setAlarm(bad, 1.0f);
        r.setChange_Warn(bad, true);
        EXPECT_TRUE(r.GasName(bad).isEmpty());
        EXPECT_EQ(r.Alarm(bad), 0.0f);
        EXPECT_FALSE(r.Change_Warn(bad));
    }
    // Lists: slot 128 exists but is not valid.
    r.setStationList(128, QStringLiteral("NOPE"));
    r.setUserList(-1, QStringLiteral("NOPE"));
    EXPECT_TRUE(r.StationList(128).isEmpty());
    EXPECT_TRUE(r.UserList(-1).isEmpty());
    // Tables and arrays.
    r.setLI_Name(31, QStringLiteral("X"));
    r.setLS_Name(2, QStringLiteral("X"));
    r.setChange_LSData(2, true);
    r.setLimitValue(6, 5.0f);
    EXPECT_TRUE(r.LI_Name(31).isEmpty());
    EXPECT_TRUE(r.LS_Name(2).isEmpty());
    EXPECT_EQ(r.LimitValue(6), 0.0f);
    EXPECT_FALSE(r.Change_LSData(0) || r.Change_LSData(1) || r.Change_LSData(2));
    EXPECT_FALSE(AnyGroupFlagSet(r));
}

TEST(clsInstrument, SensorTablesKeepTheirOwnFlags) {
    clsInstrument r;
    r.ClearChangeFlags();
    r.setLI_Name(5, QStringLiteral("H2")); // the library has no flags
    r.setLI_elem_vol(5, -1234);
    EXPECT_FALSE(r.Change_LSData(0) || r.Change_LSData(1));
    r.setLS_elem_vol(1, 100000); // the LS side keeps the full Long
    EXPECT_EQ(r.LS_elem_vol(1), 100000);
    EXPECT_TRUE(r.Change_LSData(1));
    EXPECT_FALSE(r.Change_LSData(0));
    EXPECT_TRUE(r.LS_Name(0).isEmpty()); // LS and LI are separate tables
}

TEST(OleDate, DayCountsRoundTrip) {
    EXPECT_EQ(OleDate::ToDateTime(0.0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(OleDate::ToDateTime(-101.0).date(), QDate(1899, 9, 20));
    EXPECT_EQ(OleDate::ToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(OleDate::FromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(OleDate::ToDateTime(1.5), QDateTime(QDate(1899, 12, 31), QTime(12, 0)));

    const QDateTime when(QDate(2024, 3, 15), QTime(13, 45, 30, 250));
    const double value = OleDate::FromDateTime(when);
    EXPECT_NEAR(value, 45366.573266782, 1e-8);
    EXPECT_EQ(OleDate::ToDateTime(value), when);
    // A fraction a hair below the next midnight rounds into the next day.
    EXPECT_EQ(OleDate::ToDateTime(2.9999999999), QDateTime(QDate(1900, 1, 2), QTime(0, 0)));

    EXPECT_FALSE(OleDate::ToDateTime(std::nan("")).isValid());
    EXPECT_FALSE(OleDate::ToDateTime(1e300).isValid());
    EXPECT_FALSE(OleDate::ToDateTime(-1e7).isValid());
    EXPECT_EQ(OleDate::FromDateTime(QDateTime()), OleDate::kZeroDate);
}
