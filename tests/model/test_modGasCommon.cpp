#include "app/AppSettings.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include "common/TestSupport.h"
#include <cmath>

#include <gtest/gtest.h>
#include <ostream>

using namespace modGasCommon;

namespace {

QString S(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

TEST(modGasCommon, CodedValuesShowTheirTexts) {
    for (int point : {-5, 0, 2, 7})
        EXPECT_EQ(FormatReading(-101.0f, point, false, 1.0f), S("-----"));
    EXPECT_EQ(FormatReading(65535.0f, 1, false, 1.0f), S("-----"));
    EXPECT_EQ(FormatReading(65280.0f, 1, false, 1.0f), S("?????"));
    EXPECT_EQ(FormatReading(56797.0f, 0, false, 1.0f), S("*****"));
    EXPECT_EQ(FormatReading(-121.0f, 0, true, 10.0f), S("*****"));
    EXPECT_EQ(FormatReading(-103.0f, 0, false, 1.0f), S("WARNING"));
    EXPECT_EQ(FormatReading(-132.0f, 0, false, 1.0f), S("Fail(Sen.)"));
    EXPECT_EQ(FormatReading(-157.0f, 0, false, 1.0f), S("Fail(CLO.)"));
    EXPECT_EQ(FormatReading(-180.0f, 0, false, 1.0f), S("AIR"));
    EXPECT_EQ(StatusText(-174.0f), S("ppm"));
    EXPECT_TRUE(StatusText(-108.0f).isEmpty()); // a gap in the codes
    EXPECT_TRUE(StatusText(-101.5f).isEmpty()); // comparisons are exact
    EXPECT_TRUE(StatusText(65534.0f).isEmpty());
    EXPECT_TRUE(IsStatusValue(-130.0f));
    EXPECT_FALSE(IsStatusValue(0.0f));
}

TEST(modGasCommon, FormatReadingPatternsAndConversion) {
    EXPECT_EQ(FormatReading(12.345f, 2, false, 1.0f), S("12.35"));
    EXPECT_EQ(FormatReading(12.345f, 7, false, 1.0f), S("12"));
    EXPECT_EQ(FormatReading(12.5f, -1, false, 1.0f), S("13"));
    EXPECT_EQ(FormatReading(20.9f, 1, false, 1.0f), S("20.9"));
    EXPECT_EQ(FormatReading(0.5f, 3, false, 1.0f), S("0.500"));
    EXPECT_EQ(FormatReading(50.0f, 1, true, 0.5f), S("25.0"));
    EXPECT_EQ(FormatReading(50.0f, 1, false, 0.5f), S("50.0"));
    // The coded-value test runs before the conversion.
    EXPECT_EQ(FormatReading(-101.0f, 1, true, 2.0f), S("-----"));

    const float saved = App().ConvParam;
    App().ConvParam = 4.0f;
    EXPECT_EQ(FormatReading(2.5f, 0, true), S("10"));
    EXPECT_EQ(FormatReading(2.5f, 0), S("3"));
    App().ConvParam = saved;
}

TEST(modGasCommon, NumberFormattingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(FormatDecimals(0.125f, 2), S("0.13"));
    EXPECT_EQ(FormatDecimals(2.5f, 0), S("3"));
    EXPECT_EQ(FormatDecimals(-2.5f, 0), S("-3"));
    EXPECT_EQ(FormatDecimals(3.5f, 0), S("4"));
    // Rounded on the value's shortest decimal form, not on its binary value
    // (2.675f is 2.67499995... in binary).
    EXPECT_EQ(FormatDecimals(2.675f, 2), S("2.68"));
    EXPECT_EQ(FormatDecimals(1.005f, 2), S("1.01"));
    EXPECT_EQ(FormatDecimals(9.995f, 2), S("10.00"));
    EXPECT_EQ(FormatDecimals(99.96f, 1), S("100.0"));
    EXPECT_EQ(FormatDecimals(0.04f, 1), S("0.0"));
    EXPECT_EQ(FormatDecimals(12.0f, 3), S("12.000"));
    EXPECT_EQ(FormatDecimals(0.0f, 0), S("0"));
    // No negative zero.
    EXPECT_EQ(FormatDecimals(-0.001f, 2), S("0.00"));
    EXPECT_EQ(FormatDecimals(-0.0f, 1), S("0.0"));
    EXPECT_EQ(FormatDecimals(-0.4f, 0), S("0"));
    EXPECT_EQ(FormatDecimals(-0.5f, 0), S("-1"));
    // No thousands separator, no exponent.
    EXPECT_EQ(FormatDecimals(12345678.0f, 0), S("12345678"));
    EXPECT_EQ(FormatDecimals(1e20f, 0), S("100000000000000000000"));
    EXPECT_EQ(FormatDecimals(1e-7f, 2), S("0.00"));
    EXPECT_EQ(FormatDecimals(123456.7f, 1), S("123456.7"));
    EXPECT_EQ(FormatWithPattern(1.5e-7f, QString()), S("0.00000015"));
    EXPECT_EQ(FormatWithPattern(-2.5e3f, QString()), S("-2500"));
    // Non-finite values stay readable.
    EXPECT_EQ(FormatDecimals(std::nanf(""), 2), S("-----"));
    EXPECT_EQ(FormatDecimals(INFINITY, 2), S("*****"));
    // A double keeps its own shortest form.
    EXPECT_EQ(FormatWithPattern(1.5, S("0.00000000")), S("1.50000000"));
    EXPECT_EQ(FormatWithPattern(-0.000000005, S("0.00000000")), S("-0.00000001"));
    EXPECT_EQ(FormatWithPattern(0.5f, QString()), S("0.5"));
    EXPECT_EQ(FormatWithPattern(-0.0f, QString()), S("0"));
}

TEST(modGasCommon, PointFormatPatterns) {
    EXPECT_EQ(PointFormat(0), S("#0"));
    EXPECT_EQ(PointFormat(1), S("#0.0"));
    EXPECT_EQ(PointFormat(3), S("#0.000"));
    EXPECT_EQ(PointFormat(9), S("#0.000000000"));
    EXPECT_TRUE(PointFormat(10).isEmpty());
    EXPECT_TRUE(PointFormat(-1).isEmpty());
    EXPECT_TRUE(PointFormat(-101).isEmpty());
}

TEST(modGasCommon, FormatField5IsRightAlignedInFiveCharacters) {
    EXPECT_EQ(FormatField5(1.5f, 1), S("  1.5"));
    EXPECT_EQ(FormatField5(-0.1f, 1), S("*****"));
    EXPECT_EQ(FormatField5(-101.0f, 2), S("*****"));
    EXPECT_EQ(FormatField5(100.0f, 0), S("  100"));
    EXPECT_EQ(FormatField5(0.01f, 2), S(" 0.01"));
    EXPECT_EQ(FormatField5(5000.0f, 0), S(" 5000"));
    EXPECT_EQ(FormatField5(12.5f, 4), S("   13"));    // other points use "#0"
    EXPECT_EQ(FormatField5(12345.6f, 1), S("345.6")); // the left part is lost
    EXPECT_EQ(FormatField5(0.0f, 3), S("0.000"));
}

TEST(modGasCommon, GasLabels) {
    clsInstrument r;
    EXPECT_EQ(FormatGasLabel(r, 0, true), S("----(---)"));
    r.setGasName(0, S("CH4"));
    r.setGasUnit(0, S("%LEL"));
    r.setGasFullScale(0, 100.0f);
    r.setGasPoint(0, 0);
    EXPECT_EQ(FormatGasLabel(r, 0, true), S("CH4(100%LEL)"));
    EXPECT_EQ(FormatGasLabel(r, 0, false), S("CH4(%LEL)"));
    r.setGasName(1, S("O2"));
    r.setGasUnit(1, S("VOL%"));
    r.setGasFullScale(1, 40.0f);
    r.setGasPoint(1, 1);
    EXPECT_EQ(FormatGasLabel(r, 1, true), S("O2(40.0VOL%)"));
    r.setGasName(4, S("CH4"));
    r.setGasUnit(4, S("VOL%"));
    r.setGasFullScale(4, 100.0f);
    EXPECT_EQ(FormatGasLabel(r, 4, true), S("CH4(VOL%)")); // never a full scale
    r.setGasName(2, S("   "));
    EXPECT_EQ(FormatGasLabel(r, 2, true), S("----(---)"));
    EXPECT_EQ(FormatGasLabel(r, 5, true), S("----(---)"));

    EXPECT_EQ(FormatGasLabelFromFields(S("CO"), S("ppm"), 500.0f, 0), S("CO(500ppm)"));
    EXPECT_EQ(FormatGasLabelFromFields(S("H2S"), S("ppm"), 100.0f, 1), S("H2S(100.0ppm)"));
    EXPECT_EQ(FormatGasLabelFromFields(S("CO"), S("ppm"), -1.0f, 0), S("CO(ppm)"));
    EXPECT_EQ(FormatGasLabelFromFields(S(" "), S("ppm"), 5.0f, 0), S("----(---)"));
}

TEST(modGasCommon, ParseStatusWordReadsNumbersAndWords) {
    EXPECT_EQ(ParseStatusWord(S("  warn")), -103.0f);
    EXPECT_EQ(ParseStatusWord(S("WARNING")), -103.0f);
    EXPECT_EQ(ParseStatusWord(S("over")), -107.0f);
    EXPECT_EQ(ParseStatusWord(S("ALRM")), -104.0f);
    EXPECT_EQ(ParseStatusWord(S("Stel")), -105.0f);
    EXPECT_EQ(ParseStatusWord(S("twa ")), -106.0f);
    EXPECT_EQ(ParseStatusWord(S("NORMAL")), -102.0f);
    EXPECT_EQ(ParseStatusWord(S("*****")), -101.0f);
    EXPECT_EQ(ParseStatusWord(S("ALARM")), -101.0f); // the detector's word is "ALR..."
    EXPECT_EQ(ParseStatusWord(QString()), -101.0f);
    EXPECT_EQ(ParseStatusWord(S(" 12.5 ")), 12.5f);
    EXPECT_EQ(ParseStatusWord(S("-3")), -3.0f);
    EXPECT_EQ(ParseStatusWord(S(".5")), 0.5f);
    EXPECT_EQ(ParseStatusWord(S("1e2")), 100.0f);
    EXPECT_EQ(ParseStatusWord(S("  0.0")), 0.0f);
    // Not numbers.
    EXPECT_EQ(ParseStatusWord(S("1,000")), -101.0f);
    EXPECT_EQ(ParseStatusWord(S("nan")), -101.0f);
    EXPECT_EQ(ParseStatusWord(S("inf")), -101.0f);
    EXPECT_EQ(ParseStatusWord(S("1e99")), -101.0f); // beyond a Single
    EXPECT_EQ(ParseStatusWord(S("12ab")), -101.0f);
}

TEST(modGasCommon, DecimalsOfCountsAfterTheFirstDot) {
    EXPECT_EQ(DecimalsOf(S("0.01")), 2);
    EXPECT_EQ(DecimalsOf(S("10")), 0);
    EXPECT_EQ(DecimalsOf(S("5.")), 0);
    EXPECT_EQ(DecimalsOf(S("1.2.3")), 3);
    EXPECT_EQ(DecimalsOf(QString()), 0);
}

TEST(modGasCommon, ChannelDescriptorFillsOrEmptiesTheChannel) {
    clsInstrument r;
    r.ClearChangeFlags();
    //                        name      | fs  | dig | unit
    ApplyChannelDescriptor(S("H2S       ,  100  0.5ppm "), r, 3);
    EXPECT_EQ(r.GasName(3), S("H2S"));
    EXPECT_TRUE(r.GasEnabled(3));
    EXPECT_EQ(r.GasFullScale(3), 100.0f);
    EXPECT_EQ(r.GasDesit(3), 0.5f);
    EXPECT_EQ(r.GasPoint(3), 1);
    EXPECT_EQ(r.GasUnit(3), S("ppm"));
    EXPECT_TRUE(r.Change_GasEnable(3));
    EXPECT_TRUE(r.Change_GasPoint(3));
    EXPECT_TRUE(r.Change_GasName(3));
    EXPECT_TRUE(r.Change_GasFullScale(3));
    EXPECT_FALSE(r.Change_GasEnable(2));

    ApplyChannelDescriptor(S("O2        ,   40 0.01VOL%"), r, 1);
    EXPECT_EQ(r.GasDesit(1), 0.01f);
    EXPECT_EQ(r.GasPoint(1), 2);
    EXPECT_EQ(r.GasUnit(1), S("VOL%"));

    // A dashed name empties the channel whatever the other columns hold.
    ApplyChannelDescriptor(S("----------,  100  0.5ppm "), r, 3);
    EXPECT_TRUE(r.GasName(3).isEmpty());
    EXPECT_FALSE(r.GasEnabled(3));
    EXPECT_EQ(r.GasFullScale(3), -101.0f);
    EXPECT_EQ(r.GasDesit(3), 0.0f);
    EXPECT_EQ(r.GasPoint(3), -101);
    EXPECT_TRUE(r.GasUnit(3).isEmpty());

    ApplyChannelDescriptor(QString(25, QLatin1Char('*')), r, 1);
    EXPECT_TRUE(r.GasName(1).isEmpty());
    EXPECT_FALSE(r.GasEnabled(1));
    EXPECT_EQ(r.GasFullScale(1), -101.0f);

    // Short or odd input is read as far as it goes, never out of bounds.
    ApplyChannelDescriptor(S("CO"), r, 2);
    EXPECT_EQ(r.GasName(2), S("CO"));
    EXPECT_TRUE(r.GasEnabled(2));
    EXPECT_EQ(r.GasFullScale(2), 0.0f);
    EXPECT_EQ(r.GasPoint(2), 0);
    ApplyChannelDescriptor(S("CO        ,abcde  x.yppm "), r, 2);
    EXPECT_EQ(r.GasFullScale(2), 0.0f);
    EXPECT_EQ(r.GasDesit(2), 0.0f);
    ApplyChannelDescriptor(S("CO        ,  500    1ppm "), r, 5); // no such channel
    EXPECT_TRUE(r.GasName(5).isEmpty());
}

TEST(modGasCommon, SnapToStepRoundsHalvesToEven) {
    EXPECT_FLOAT_EQ(SnapToStep(0.26f, 0.05f), 0.25f);
    EXPECT_FLOAT_EQ(SnapToStep(10.3f, 0.5f), 10.5f);
    EXPECT_EQ(SnapToStep(2.5f, 1.0f), 2.0f);
    EXPECT_EQ(SnapToStep(3.5f, 1.0f), 4.0f);
    EXPECT_EQ(SnapToStep(0.25f, 0.5f), 0.0f);
    EXPECT_EQ(SnapToStep(0.75f, 0.5f), 1.0f);
    EXPECT_EQ(SnapToStep(19.5f, 0.1f), 19.5f);
    EXPECT_EQ(SnapToStep(-1.0f, 0.5f), 0.0f);
    EXPECT_EQ(SnapToStep(5.0f, 0.0f), 0.0f);
    EXPECT_EQ(SnapToStep(std::nanf(""), 1.0f), 0.0f);
    EXPECT_EQ(SnapToStep(INFINITY, 1.0f), 0.0f);
}

TEST(modGasCommon, AlarmPointTestPerGas) {
    clsInstrument r;
    r.setGasName(1, QStringLiteral("O2"));
    r.setWarning(1, 19.5f);
    r.setAlarmO2(1);
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 1, 18.0f));
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 1, 20.9f));
    // Alarm type 2 ignores the warning point and uses 19.5.
    r.setWarning(1, 18.0f);
    r.setAlarmO2(2);
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 1, 19.0f));
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 1, 19.6f));
    r.setAlarmO2(0);
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 1, 19.0f));
    // "OXY" counts as oxygen too, on any channel.
    r.setGasName(2, QStringLiteral("OXY"));
    r.setWarning(2, -101.0f);
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 2, 9.0f));
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 2, 11.0f));

    // Channel 3 without a warning point compares with 25.
    r.setGasName(3, QStringLiteral("H2S"));
    r.setWarning(3, -101.0f);
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 3, 24.9f));
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 3, 25.0f));
    r.setWarning(3, 10.0f);
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 3, 9.5f));
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 3, 10.0f));

    EXPECT_TRUE(IsBeyondAlarmPoint(r, 3, -0.5f));
    // Channel 4 falls back to 0; channel 5 has no name but a warning slot.
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 4, 0.0f));
    r.setWarning(5, 50.0f);
    EXPECT_FALSE(IsBeyondAlarmPoint(r, 5, 40.0f));
    EXPECT_TRUE(IsBeyondAlarmPoint(r, 9, 0.0f));
}

TEST(modGasCommon, BuiltInGasList) {
    AppSettings s;
    s.GasChangeTable[2][5].enabled = true;
    s.GasChangeTable[2][5].name = QStringLiteral("OLD");
    s.GasChangeTable[0][9].enabled = true;
    s.GasChangeTable[0][9].name = QStringLiteral("KEEP");
    s.GasChangeTable[5][7].enabled = true;
    s.GasChangeTable[0][3].locked = true;
    LoadBuiltInGasList(s);

    EXPECT_FALSE(s.GasChangeTable[2][5].enabled);
    EXPECT_TRUE(s.GasChangeTable[2][5].name.isEmpty());
    EXPECT_FALSE(s.GasChangeTable[5][7].enabled);
    EXPECT_TRUE(s.GasChangeTable[0][9].enabled); // beyond entry 7
    EXPECT_EQ(s.GasChangeTable[0][9].name, QStringLiteral("KEEP"));

    const char* combustibles[] = {"CH4",   "i-C4H10", "H2",   "n-C6H14",
                                  "CH3OH", "C2H2",    "C7H8", "MEK"};
    for (int e = 0; e < 8; ++e) {
        const GasChangeEntry& g = s.GasChangeTable[0][e];
        EXPECT_TRUE(g.enabled);
        EXPECT_FALSE(g.locked);
        EXPECT_EQ(g.name, QString::fromLatin1(combustibles[e]));
        EXPECT_EQ(g.unit, QStringLiteral("%LEL"));
        EXPECT_EQ(g.alarm, 50.0f);
        EXPECT_EQ(g.stel, -101.0f);
    }
    const GasChangeEntry& o2 = s.GasChangeTable[1][0];
    EXPECT_EQ(o2.name, QStringLiteral("O2"));
    EXPECT_EQ(o2.points, 1);
    EXPECT_EQ(o2.digit, 0.1f);
    EXPECT_EQ(o2.warning, 19.5f);
    EXPECT_EQ(o2.alarm, 23.5f);
    EXPECT_EQ(o2.autoCal, 12.0f);
    EXPECT_FALSE(s.GasChangeTable[1][1].enabled);
    const GasChangeEntry& co = s.GasChangeTable[2][0];
    EXPECT_EQ(co.stel, 200.0f);
    EXPECT_EQ(co.twa, 25.0f);
    EXPECT_EQ(co.fullScale, 500.0f);
    const GasChangeEntry& ch4ppm = s.GasChangeTable[3][1];
    EXPECT_EQ(ch4ppm.name, QStringLiteral("CH4"));
    EXPECT_EQ(ch4ppm.digit, 10.0f);
    EXPECT_EQ(ch4ppm.fullScale, 5000.0f);
    EXPECT_EQ(ch4ppm.autoCal, 250.0f);
    EXPECT_EQ(s.GasChangeTable[3][2].fullScale, 2000.0f);
    EXPECT_FALSE(s.GasChangeTable[3][3].enabled);
    EXPECT_EQ(s.GasChangeTable[4][0].unit, QStringLiteral("VOL%"));
    EXPECT_FALSE(s.GasChangeTable[5][0].enabled);
}

TEST(modGasCommon, GasSelectionFromTheChangeTable) {
    AppSettings s;
    LoadBuiltInGasList(s);
    s.GasChangeTable[2][0].ratio = 1.5f;
    s.GasChangeTable[2][0].zero = 1;
    clsInstrument r;

    ASSERT_TRUE(ApplyGasSelection(r, s, false, 2, 0));
    EXPECT_TRUE(r.GasEnabled(2));
    EXPECT_TRUE(r.Change_GasEnable(2));
    EXPECT_EQ(r.GasName(2), QStringLiteral("CO"));
    EXPECT_EQ(r.GasUnit(2), QStringLiteral("ppm"));
    EXPECT_EQ(r.GasFullScale(2), 500.0f);
    EXPECT_EQ(r.GasDesit(2), 1.0f);
    EXPECT_EQ(r.GasPoint(2), 0);
    EXPECT_EQ(r.Ratio(2), 1.5f);
    EXPECT_EQ(r.Warning(2), 25.0f);
    EXPECT_EQ(r.Alarm(2), 50.0f);
    EXPECT_EQ(r.Stel(2), 200.0f);
    EXPECT_EQ(r.Twa(2), 25.0f);
    EXPECT_EQ(r.AutoCalib(2), 50.0f);
    EXPECT_EQ(r.Zero(2), 1);
    EXPECT_TRUE(r.Change_Warn(2));
    EXPECT_TRUE(r.Change_AutoCal(2));
    EXPECT_FALSE(r.Change_LSindex());

    // Channel 0 without the LI table also takes the change table.
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 0, 2));
    EXPECT_EQ(r.GasName(0), QStringLiteral("H2"));
    EXPECT_EQ(r.Alarm(0), 50.0f);
    EXPECT_EQ(r.LSindex(), 1);

    // Selections outside the table change nothing.
    clsInstrument untouched;
    EXPECT_FALSE(ApplyGasSelection(untouched, s, false, 2, -1));
    EXPECT_FALSE(ApplyGasSelection(untouched, s, false, 2, 17));
    EXPECT_FALSE(ApplyGasSelection(untouched, s, false, 5, 0));
    EXPECT_FALSE(ApplyGasSelection(untouched, s, false, -1, 0));
    EXPECT_FALSE(untouched.GasEnabled(2));
    EXPECT_FALSE(untouched.Change_GasEnable(2));
}

TEST(modGasCommon, GasSelectionFromTheLibrary) {
    AppSettings s;
    LoadBuiltInGasList(s);
    clsInstrument r;
    r.setLI_Name(3, QStringLiteral(" C2H2  "));
    r.setLI_Point(3, 1);
    r.setLI_Unit(3, QStringLiteral("%LEL"));
    r.setLI_Digit(3, 0.5f);
    r.setLI_FullScale(3, 100.0f);
    r.setLI_Ratio(3, 1.25f);
    r.setWarning(0, 12.0f);
    r.ClearChangeFlags();

    ASSERT_TRUE(ApplyGasSelection(r, s, true, 0, 2));
    // LSindex carries the detector's entry number (option 2 is entry 3).
    EXPECT_EQ(r.LSindex(), 3);
    EXPECT_TRUE(r.Change_LSindex());
    EXPECT_TRUE(r.GasEnabled(0));
    EXPECT_EQ(r.GasName(0), QStringLiteral("C2H2"));
    EXPECT_EQ(r.GasPoint(0), 1);
    EXPECT_EQ(r.GasUnit(0), QStringLiteral("%LEL"));
    EXPECT_EQ(r.GasDesit(0), 0.5f);
    EXPECT_EQ(r.GasFullScale(0), 100.0f);
    EXPECT_EQ(r.Ratio(0), 1.25f);
    EXPECT_EQ(r.LS_Name(0), QStringLiteral("C2H2"));
    EXPECT_EQ(r.LS_Point(0), 1);
    EXPECT_EQ(r.LS_Unit(0), QStringLiteral("%LEL"));
    EXPECT_EQ(r.LS_Digit(0), 0.5f);
    EXPECT_EQ(r.LS_FullScale(0), 100.0f);
    EXPECT_EQ(r.LS_Ratio(0), 1.25f);
    EXPECT_TRUE(r.Change_LSData(0));
    EXPECT_FALSE(r.Change_LSData(1));
    // The library carries no alarm points: they stay as they were.
    EXPECT_EQ(r.Warning(0), 12.0f);
    EXPECT_FALSE(r.Change_Warn(0));

    // The LI table is used for channel 0 only.
    ASSERT_TRUE(ApplyGasSelection(r, s, true, 1, 0));
    EXPECT_EQ(r.GasName(1), QStringLiteral("O2"));
    EXPECT_EQ(r.LSindex(), 3);

    // The last library entry is 30; selection 29 reaches it, 30 does not exist.
    r.setLI_Name(30, QStringLiteral("LAST"));
    EXPECT_TRUE(ApplyGasSelection(r, s, true, 0, 29));
    EXPECT_EQ(r.GasName(0), QStringLiteral("LAST"));
    EXPECT_EQ(r.LSindex(), 30);
    clsInstrument untouched;
    EXPECT_FALSE(ApplyGasSelection(untouched, s, true, 0, 30));
    EXPECT_FALSE(ApplyGasSelection(untouched, s, true, 0, -1));
    EXPECT_FALSE(untouched.Change_GasEnable(0));
    EXPECT_EQ(untouched.LSindex(), 1);
}

TEST(modGasCommon, GasSelectionOnACustomBoardSettlesChannels3And4) {
    AppSettings s;
    LoadBuiltInGasList(s);
    clsInstrument r;
    r.setIsCustom(1);
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 4, 0));
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 3, 2)); // i-C4H10 ppm
    EXPECT_TRUE(r.GasEnabled(4));
    EXPECT_EQ(r.GasName(3), QStringLiteral("i-C4H10"));

    // Methane on channel 0 puts methane ppm on channel 3.
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 0, 0));
    EXPECT_EQ(r.GasName(3), QStringLiteral("CH4"));
    EXPECT_EQ(r.GasFullScale(3), 5000.0f);
    EXPECT_EQ(r.GasDesit(3), 10.0f);
    EXPECT_EQ(r.GasUnit(3), QStringLiteral("ppm"));
    EXPECT_TRUE(r.GasEnabled(4));

    // Another gas on channel 0 switches the methane volume channel off.
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 0, 1));
    EXPECT_FALSE(r.GasEnabled(4));
    EXPECT_EQ(r.GasName(3), QStringLiteral("CH4"));

    // Through the library the rule holds as well.
    r.setLI_Name(1, QStringLiteral("CH4"));
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 3, 2));
    ASSERT_TRUE(ApplyGasSelection(r, s, true, 0, 0));
    EXPECT_EQ(r.GasName(3), QStringLiteral("CH4"));

    // A standard board leaves channels 3 and 4 alone.
    clsInstrument standard;
    ASSERT_TRUE(ApplyGasSelection(standard, s, false, 4, 0));
    ASSERT_TRUE(ApplyGasSelection(standard, s, false, 0, 1));
    EXPECT_TRUE(standard.GasEnabled(4));
    EXPECT_TRUE(standard.GasName(3).isEmpty());
}
