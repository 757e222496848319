#include "model/OleDate.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

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
    EXPECT_EQ(r.UserID(), kDash16);
    EXPECT_EQ(r.StationID(), kDash16);
    EXPECT_EQ(r.SerialNo(), kDash20);
    EXPECT_EQ(r.DummySerial(), kDash20);
    EXPECT_EQ(r.UserPassword2(), QStringLiteral("7563"));
    EXPECT_EQ(r.SpecType(), QStringLiteral("0"));
    EXPECT_EQ(r.CalLimit(), 1);
    EXPECT_EQ(r.CalCheckALL(), 1);
    EXPECT_EQ(r.BumpCheckALL(), 1);
    EXPECT_EQ(r.BumpTime(), 2);
    EXPECT_EQ(r.BumpThreshold(), 1);
    EXPECT_EQ(r.BumpFailAfter(), 1);
    EXPECT_EQ(r.LcdBackLight(), 1);
    EXPECT_EQ(r.autoBackLight(), 1);
    EXPECT_EQ(r.AlarmOnOff(), 1);
    EXPECT_EQ(r.StelTwaOnOff(), 1);
    EXPECT_EQ(r.AlarmO2(), 1);
    EXPECT_EQ(r.LSindex(), 1);
    EXPECT_FALSE(r.CommFlags());
    EXPECT_EQ(r.SysDate(), 0.0);
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(r.StationList(i), kDash16) << i;
        ASSERT_EQ(r.UserList(i), kDash16) << i;
    }
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_TRUE(r.GasName(ch).isEmpty());
        EXPECT_FALSE(r.GasEnabled(ch));
        EXPECT_EQ(r.GasPoint(ch), -101); // the empty descriptor comes last
        EXPECT_EQ(r.GasDesit(ch), 0.0f);
        EXPECT_EQ(r.CalibDate(ch), -101.0);
        for (float (clsInstrument::*get)(int) const :
             {&clsInstrument::GasFullScale, &clsInstrument::Warning, &clsInstrument::Alarm,
              &clsInstrument::Stel, &clsInstrument::Twa, &clsInstrument::AutoCalib,
              &clsInstrument::Ratio, &clsInstrument::CalibBefore})
            EXPECT_EQ((r.*get)(ch), -101.0f) << ch;
    }
    EXPECT_EQ(OleDate::ToDateTime(r.CalibDate(0)).date(), QDate(1899, 9, 20));
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
    r.setSHmode(1);
    r.setImportFlag(true);
    r.setFailLine(QStringLiteral("fail"));
    r.setAnalogValue(10, 99);
    r.setLimitValue(5, 2.5f);
    r.setLI_Name(30, QStringLiteral("MEK"));
    r.setLS_Ratio(1, 1.25f);
    r.setBumpResult(2, 12.0f);
    r.setLogMax(4, 33.0f);
    r.setGasUnit(3, QStringLiteral("ppm"));
    r.setAlarmMode(5);
    r.setKey(QStringLiteral("k"));
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
    EXPECT_EQ(r.SHmode(), 1);
    EXPECT_TRUE(r.ImportFlag());
    EXPECT_EQ(r.FailLine(), QStringLiteral("fail"));
    EXPECT_EQ(r.AnalogValue(10), 99);
    EXPECT_EQ(r.LimitValue(5), 2.5f);
    EXPECT_EQ(r.LI_Name(30), QStringLiteral("MEK"));
    EXPECT_EQ(r.LS_Ratio(1), 1.25f);
    EXPECT_EQ(r.BumpResult(2), 12.0f);
    EXPECT_EQ(r.LogMax(4), 33.0f);

    // Reset by ClearDatas.
    EXPECT_TRUE(r.GasUnit(3).isEmpty());
    EXPECT_EQ(r.AlarmMode(), 0);
    EXPECT_TRUE(r.Key().isEmpty());
    EXPECT_FALSE(r.CommFlags());
    EXPECT_EQ(r.StationList(7), kDash16);
    EXPECT_EQ(r.LSindex(), 1);
    // FlowLevel's flag is outside the flag groups and survives.
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
    EXPECT_EQ(r.Intervals(), 300);
    r.setChange_Interval(false);
    r.setIntervals(300);
    EXPECT_FALSE(r.Change_Interval());

    // Fields without flags.
    r.setCalibBefore(1, 3.0f);
    r.setBumpDates(1, 45000.5);
    EXPECT_EQ(r.BumpDates(1), 45000.5);
    EXPECT_EQ(r.CalibBefore(1), 3.0f);
}

TEST(clsInstrument, IdentityTextsAreNormalised) {
    clsInstrument r;
    r.setSerialNo(QStringLiteral("    "));
    EXPECT_EQ(r.SerialNo(), kDash20);
    EXPECT_TRUE(r.Change_SerialNo());
    r.setUserID(QStringLiteral("  AB  "));
    EXPECT_EQ(r.UserID(), QStringLiteral("AB"));
    r.setStationID(QString());
    EXPECT_EQ(r.StationID(), kDash16);
    r.setDummySerial(QStringLiteral(" X1 "));
    EXPECT_EQ(r.DummySerial(), QStringLiteral("X1"));
    r.setDummySerial(QString());
    EXPECT_EQ(r.DummySerial(), kDash20);

    r.setStationList(0, QStringLiteral("  ST-1 "));
    EXPECT_EQ(r.StationList(0), QStringLiteral("ST-1"));
    r.setUserList(127, QStringLiteral("   "));
    EXPECT_EQ(r.UserList(127), kDash16);
    EXPECT_TRUE(r.Change_UserList(127));
    EXPECT_FALSE(r.Change_UserList(126));
}

TEST(clsInstrument, IndexesOutsideTheirRangeNeverTouchMemory) {
    clsInstrument r;
    r.ClearChangeFlags();

    // Channel 5 takes alarm points only.
    r.setGasName(5, QStringLiteral("CO"));
    EXPECT_TRUE(r.GasName(5).isEmpty());
    r.setAlarm(5, 42.0f);
    r.setWarning(5, 41.0f);
    r.setStel(5, 43.0f);
    r.setTwa(5, 44.0f);
    EXPECT_EQ(r.Alarm(5), 42.0f);
    EXPECT_EQ(r.Warning(5), 41.0f);
    EXPECT_EQ(r.Stel(5), 43.0f);
    EXPECT_EQ(r.Twa(5), 44.0f);
    EXPECT_FALSE(r.Change_Alarm(5));
    r.setChange_Alarm(5, true);
    EXPECT_FALSE(r.Change_Alarm(5));
    EXPECT_FALSE(r.Change_Alarm(4)); // the neighbouring slot is untouched

    for (int bad : {-1, 6, 1000, -32768}) {
        r.setGasName(bad, QStringLiteral("X"));
        r.setAlarm(bad, 1.0f);
        r.setGasEnabled(bad, true);
        r.setCalibDate(bad, 5.0);
        r.setChange_Warn(bad, true);
        EXPECT_TRUE(r.GasName(bad).isEmpty());
        EXPECT_EQ(r.Alarm(bad), 0.0f);
        EXPECT_FALSE(r.GasEnabled(bad));
        EXPECT_EQ(r.CalibDate(bad), 0.0);
        EXPECT_FALSE(r.Change_Warn(bad));
    }
    EXPECT_EQ(r.GasPoint(5), 0);
    EXPECT_EQ(r.LogMaxDate(5), 0.0);

    // Lists: slot 128 exists but is not valid.
    r.setStationList(128, QStringLiteral("NOPE"));
    r.setUserList(-1, QStringLiteral("NOPE"));
    r.setChange_StationList(128, true);
    EXPECT_TRUE(r.StationList(128).isEmpty());
    EXPECT_TRUE(r.UserList(-1).isEmpty());
    EXPECT_FALSE(r.Change_StationList(128));

    // Tables and arrays.
    r.setLI_Name(31, QStringLiteral("X"));
    r.setLI_Name(-1, QStringLiteral("X"));
    r.setLS_Name(2, QStringLiteral("X"));
    r.setChange_LSData(2, true);
    r.setAnalogValue(11, 5);
    r.setLimitValue(6, 5.0f);
    r.setLimitValue(-1, 5.0f);
    EXPECT_TRUE(r.LI_Name(31).isEmpty());
    EXPECT_TRUE(r.LS_Name(2).isEmpty());
    EXPECT_EQ(r.LS_Linear2_d(-3), 0.0);
    EXPECT_EQ(r.LI_elem_vol(99), 0);
    EXPECT_FALSE(r.Change_LSData(2));
    EXPECT_FALSE(r.Change_LSData(0));
    EXPECT_FALSE(r.Change_LSData(1));
    EXPECT_EQ(r.AnalogValue(11), 0);
    EXPECT_EQ(r.LimitValue(6), 0.0f);
    EXPECT_EQ(r.LimitValue(0), 0.0f);
    EXPECT_FALSE(AnyGroupFlagSet(r));
}

TEST(clsInstrument, GasTablesKeepTheirOwnFlagsAndTypes) {
    clsInstrument r;
    r.ClearChangeFlags();
    r.setLI_Name(5, QStringLiteral("H2"));
    r.setLI_elem_vol(5, -1234);
    r.setLI_Linear2_c(5, 0.125);
    r.setLI_Point(5, 2);
    EXPECT_FALSE(r.Change_LSData(0));
    EXPECT_FALSE(r.Change_LSData(1));
    EXPECT_EQ(r.LI_Name(5), QStringLiteral("H2"));
    EXPECT_EQ(r.LI_elem_vol(5), -1234);
    EXPECT_EQ(r.LI_Linear2_c(5), 0.125);
    EXPECT_EQ(r.LI_Linear1_c(5), 0.0);
    EXPECT_EQ(r.LI_Point(5), 2);

    r.setLS_elem_vol(1, 100000); // the LS side keeps the full Long
    EXPECT_EQ(r.LS_elem_vol(1), 100000);
    EXPECT_TRUE(r.Change_LSData(1));
    EXPECT_FALSE(r.Change_LSData(0));
    r.setLS_Linear1_a(0, -2.5);
    EXPECT_TRUE(r.Change_LSData(0));
    EXPECT_EQ(r.LS_Linear1_a(0), -2.5);
    EXPECT_TRUE(r.LS_Name(0).isEmpty()); // LS and LI are separate tables

    r.setLSindex(0);
    EXPECT_TRUE(r.Change_LSindex());
    EXPECT_EQ(r.LSindex(), 0);
}

// The changed-only copy: SettingsTable.CopyChangedFromCopiesExactlyTheFlaggedSettings.
TEST(clsInstrument, FullCopyTakesEverything) {
    clsInstrument source;
    source.setSerialNo(QStringLiteral("SN123"));
    source.setAlarm(5, 7.0f);
    source.setLI_Name(3, QStringLiteral("C2H2"));
    source.setCommFlags(true);

    clsInstrument full(source);
    EXPECT_EQ(full.SerialNo(), QStringLiteral("SN123"));
    EXPECT_EQ(full.Alarm(5), 7.0f);
    EXPECT_EQ(full.LI_Name(3), QStringLiteral("C2H2"));
    EXPECT_TRUE(full.CommFlags());
    EXPECT_TRUE(full.Change_SerialNo());
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
