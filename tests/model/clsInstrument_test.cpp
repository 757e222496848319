#include "model/OleDate.h"
#include "model/clsInstrument.h"

#include <gtest/gtest.h>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kDash16(16, QLatin1Char('-'));
const QString kDash20(20, QLatin1Char('-'));

// True when no flag of the SetChangeFlags groups is set.
bool AnyGroupFlagSet(const clsInstrument& r) {
    bool any = r.Change_UserID() || r.Change_StationID() || r.Change_SerialNo() ||
               r.Change_DummySerial() || r.Change_SpecNo() || r.Change_HCMode() ||
               r.Change_AlarmMode() || r.Change_Interval() || r.Change_CalLimit() ||
               r.Change_Battery() || r.Change_UserPassword2() || r.Change_SpecType() ||
               r.Change_IsCustom() || r.Change_LSindex() || r.Change_LSData(0) ||
               r.Change_LSData(1);
    for (int ch = 0; ch < 5; ++ch) {
        any = any || r.Change_GasEnable(ch) || r.Change_GasPoint(ch) || r.Change_Warn(ch) ||
              r.Change_Alarm(ch) || r.Change_Stel(ch) || r.Change_Twa(ch) || r.Change_AutoCal(ch) ||
              r.Change_Zero(ch) || r.Change_OverScale(ch) || r.Change_Ratio(ch);
    }
    for (int i = 0; i < 128; ++i)
        any = any || r.Change_StationList(i) || r.Change_UserList(i);
    return any;
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

TEST(clsInstrument, WritesMarkTheirFlagsAndIntervalsOnlyOnChange) {
    clsInstrument r;
    r.setAlarmMode(0); // same value still marks it
    EXPECT_TRUE(r.Change_AlarmMode());
    r.setUserPassword2(QStringLiteral("1234"));
    EXPECT_TRUE(r.Change_UserPassword2());
    r.setautoBackLight(0);
    EXPECT_TRUE(r.Change_autoBackLight());
    r.setdlogOnOff(1);
    EXPECT_TRUE(r.Change_dlogOnOff());
    EXPECT_FALSE(r.Change_PeakBar());

    r.setIntervals(0);
    EXPECT_FALSE(r.Change_Interval());
    r.setIntervals(300);
    EXPECT_TRUE(r.Change_Interval());
    EXPECT_EQ(r.Intervals(), 300);
    r.setChange_Interval(false);
    r.setIntervals(300);
    EXPECT_FALSE(r.Change_Interval());

    r.setWarning(2, 25.0f);
    r.setGasEnabled(2, true);
    r.setZero(2, 1);
    EXPECT_TRUE(r.Change_Warn(2));
    EXPECT_TRUE(r.Change_GasEnable(2));
    EXPECT_TRUE(r.Change_Zero(2));
    EXPECT_FALSE(r.Change_Alarm(2));
    EXPECT_FALSE(r.Change_Warn(1));

    // Fields without flags.
    r.setCalibBefore(1, 3.0f);
    r.setBumpDates(1, 45000.5);
    EXPECT_EQ(r.BumpDates(1), 45000.5);

    // The internal flags of name, digit, unit and full scale.
    r.ClearChangeFlags();
    r.setChange_GasName(0, false);
    r.setChange_GasUnit(0, false);
    r.setGasName(0, QStringLiteral("CH4"));
    EXPECT_TRUE(r.Change_GasName(0));
    EXPECT_FALSE(r.Change_GasUnit(0));
    r.setGasUnit(0, QStringLiteral("%LEL"));
    EXPECT_TRUE(r.Change_GasUnit(0));
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

TEST(clsInstrument, SetChangeFlagsMarksItsGroups) {
    clsInstrument r;
    r.setDummySerial(QStringLiteral("D"));
    r.setFlowLevel(1);
    r.setChange_FlowLevel(false);
    r.setChange_GasName(2, false);

    r.SetChangeFlags(true, false);
    EXPECT_FALSE(r.Change_DummySerial());
    EXPECT_FALSE(r.Change_SerialNo());
    EXPECT_FALSE(r.Change_UserID());
    EXPECT_FALSE(r.Change_StationList(0));
    EXPECT_TRUE(r.Change_Battery());
    EXPECT_TRUE(r.Change_SpecNo());
    EXPECT_TRUE(r.Change_Interval());
    EXPECT_TRUE(r.Change_UserPassword2());
    EXPECT_TRUE(r.Change_LSData(0));
    EXPECT_TRUE(r.Change_LSData(1));
    EXPECT_TRUE(r.Change_LSindex());
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_TRUE(r.Change_GasEnable(ch));
        EXPECT_TRUE(r.Change_Twa(ch));
        EXPECT_TRUE(r.Change_OverScale(ch));
        EXPECT_TRUE(r.Change_Ratio(ch));
    }
    // Outside every group.
    EXPECT_FALSE(r.Change_FlowLevel());
    EXPECT_FALSE(r.Change_pressOffset());
    EXPECT_FALSE(r.Change_GasName(2));

    r.setDummySerial(QStringLiteral("D"));
    r.SetChangeFlags(true, true);
    EXPECT_FALSE(r.Change_DummySerial());
    EXPECT_TRUE(r.Change_SerialNo());
    EXPECT_TRUE(r.Change_StationID());
    EXPECT_TRUE(r.Change_UserList(127));
    EXPECT_FALSE(r.Change_UserList(128));

    r.setChange_FlowLevel(true);
    r.setChange_pressOffset(true);
    r.setGasUnit(1, QStringLiteral("ppm"));
    r.ClearChangeFlags();
    EXPECT_FALSE(AnyGroupFlagSet(r));
    EXPECT_TRUE(r.Change_FlowLevel());
    EXPECT_TRUE(r.Change_pressOffset());
    EXPECT_TRUE(r.Change_GasUnit(1));
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

TEST(clsInstrument, FullCopyAndChangedOnlyCopy) {
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

    // Edit a cleared copy, then carry only the edits back.
    clsInstrument edited = source;
    edited.ClearChangeFlags();
    for (int ch = 0; ch < 5; ++ch) {
        edited.setChange_GasName(ch, false);
        edited.setChange_GasDesit(ch, false);
        edited.setChange_GasUnit(ch, false);
        edited.setChange_GasFullScale(ch, false);
    }
    edited.setAlarmMode(4);
    edited.setWarning(2, 30.0f);
    edited.setStationList(3, QStringLiteral("NEW-ST"));
    edited.setLS_Name(1, QStringLiteral("CUSTOM"));
    edited.setGasUnit(1, QStringLiteral("VOL%"));
    edited.setIntervals(600);
    // Changed without a flag: must not travel.
    edited.setAlarmO2(2);
    edited.setChange_AlarmO2(false);
    edited.setCalibBefore(0, 9.0f);

    clsInstrument target;
    target.ClearChangeFlags();
    target.CopyChangedFrom(edited);
    EXPECT_EQ(target.AlarmMode(), 4);
    EXPECT_TRUE(target.Change_AlarmMode());
    EXPECT_EQ(target.Warning(2), 30.0f);
    EXPECT_TRUE(target.Change_Warn(2));
    EXPECT_EQ(target.StationList(3), QStringLiteral("NEW-ST"));
    EXPECT_TRUE(target.Change_StationList(3));
    EXPECT_EQ(target.LS_Name(1), QStringLiteral("CUSTOM"));
    EXPECT_TRUE(target.Change_LSData(1));
    EXPECT_FALSE(target.Change_LSData(0));
    EXPECT_EQ(target.GasUnit(1), QStringLiteral("VOL%"));
    EXPECT_TRUE(target.Change_GasUnit(1));
    EXPECT_EQ(target.Intervals(), 600);
    EXPECT_TRUE(target.Change_Interval());

    EXPECT_EQ(target.AlarmO2(), 1);
    EXPECT_FALSE(target.Change_AlarmO2());
    EXPECT_EQ(target.CalibBefore(0), -101.0f);
    EXPECT_EQ(target.SerialNo(), kDash20); // the edit copy's flag was cleared
    EXPECT_FALSE(target.Change_SerialNo());
    EXPECT_FALSE(target.Change_Warn(1));
    EXPECT_FALSE(target.Change_LSindex());
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
