// Gas helpers: reading and value texts, gas labels, status words, channel
// descriptors, step rounding, the alarm-point test and the gas choice.
#include "app/AppSettings.h"
#include "model/FieldFormat.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include "common/TestSupport.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace modGasCommon;

namespace {

QString S(const char* text) {
    return QString::fromLatin1(text);
}

// A channel as its 25-character descriptor (name, full scale, step, unit).
QString Descriptor(const clsInstrument& r, int ch) {
    return FieldFormat::Gas25(r, ch);
}

} // namespace

TEST(modGasCommon, ReadingTexts) {
    const struct {
        float value;
        int point;
        bool convert;
        float factor;
        const char* text;
    } cases[] = {
        // Coded values show their texts, whatever the decimals; the test comes
        // before the conversion.
        {-101.0f, -5, false, 1, "-----"},
        {-101.0f, 2, true, 2, "-----"},
        {65535.0f, 1, false, 1, "-----"},
        {65280.0f, 1, false, 1, "?????"},
        {56797.0f, 0, false, 1, "*****"},
        {-121.0f, 0, true, 10, "*****"},
        {-103.0f, 0, false, 1, "WARNING"},
        {-132.0f, 0, false, 1, "Fail(Sen.)"},
        {-157.0f, 0, false, 1, "Fail(CLO.)"},
        {-180.0f, 0, false, 1, "AIR"},
        // Readings with the channel's decimals (others: none).
        {12.345f, 2, false, 1, "12.35"},
        {12.345f, 7, false, 1, "12"},
        {12.5f, -1, false, 1, "13"},
        {0.5f, 3, false, 1, "0.500"},
        {50.0f, 1, true, 0.5f, "25.0"},
        {50.0f, 1, false, 0.5f, "50.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatReading(c.value, c.point, c.convert, c.factor), S(c.text)) << c.text;
    EXPECT_EQ(StatusText(-174.0f), S("ppm"));
    EXPECT_TRUE(StatusText(-108.0f).isEmpty()); // a gap in the codes
    EXPECT_TRUE(StatusText(-101.5f).isEmpty()); // comparisons are exact
    EXPECT_TRUE(IsStatusValue(-130.0f));
    EXPECT_FALSE(IsStatusValue(0.0f));

    const float saved = App().ConvParam;
    App().ConvParam = 4.0f;
    EXPECT_EQ(FormatReading(2.5f, 0, true), S("10"));
    EXPECT_EQ(FormatReading(2.5f, 0), S("3"));
    App().ConvParam = saved;
}

TEST(modGasCommon, NumberFormattingRoundsHalvesAwayFromZero) {
    const std::pair<float, const char*> two[] = {
        {0.125f, "0.13"},  {2.675f, "2.68"},  // rounded on the shortest decimal form,
        {1.005f, "1.01"},  {9.995f, "10.00"}, // not on the binary value
        {-0.001f, "0.00"}, {1e-7f, "0.00"},   // no negative zero
    };
    for (const auto& [value, text] : two)
        EXPECT_EQ(FormatDecimals(value, 2), S(text)) << text;
    const std::pair<float, const char*> none[] = {
        {2.5f, "3"},
        {-2.5f, "-3"},
        {3.5f, "4"},
        {0.0f, "0"},
        {-0.4f, "0"},
        {-0.5f, "-1"},
        {12345678.0f, "12345678"},
        {1e20f, "100000000000000000000"}, // no separator, no exponent
    };
    for (const auto& [value, text] : none)
        EXPECT_EQ(FormatDecimals(value, 0), S(text)) << text;
    EXPECT_EQ(FormatDecimals(99.96f, 1), S("100.0"));
    EXPECT_EQ(FormatDecimals(-0.0f, 1), S("0.0"));
    EXPECT_EQ(FormatDecimals(12.0f, 3), S("12.000"));
    EXPECT_EQ(FormatDecimals(123456.7f, 1), S("123456.7"));
    EXPECT_EQ(FormatDecimals(std::nanf(""), 2), S("-----"));
    EXPECT_EQ(FormatDecimals(INFINITY, 2), S("*****"));
    EXPECT_EQ(FormatWithPattern(1.5e-7f, QString()), S("0.00000015"));
    EXPECT_EQ(FormatWithPattern(-2.5e3f, QString()), S("-2500"));
    EXPECT_EQ(FormatWithPattern(-0.0f, QString()), S("0"));
    // A double keeps its own shortest form.
    EXPECT_EQ(FormatWithPattern(1.5, S("0.00000000")), S("1.50000000"));
    EXPECT_EQ(FormatWithPattern(-0.000000005, S("0.00000000")), S("-0.00000001"));

    EXPECT_EQ(PointFormat(0), S("#0"));
    EXPECT_EQ(PointFormat(9), S("#0.000000000"));
    for (int point : {10, -1, -101})
        EXPECT_TRUE(PointFormat(point).isEmpty()) << point;
}

TEST(modGasCommon, GasLabels) {
    clsInstrument r;
    EXPECT_EQ(FormatGasLabel(r, 0, true), S("----(---)"));
    ApplyChannelDescriptor(S("O2          40.0  0.1VOL%"), r, 1);
    EXPECT_EQ(FormatGasLabel(r, 1, true), S("O2(40.0VOL%)"));
    EXPECT_EQ(FormatGasLabel(r, 1, false), S("O2(VOL%)"));
    ApplyChannelDescriptor(S("CH4          100    1VOL%"), r, 4);
    EXPECT_EQ(FormatGasLabel(r, 4, true), S("CH4(VOL%)")); // never a full scale
    r.setGasName(2, S("   "));
    EXPECT_EQ(FormatGasLabel(r, 2, true), S("----(---)"));
    EXPECT_EQ(FormatGasLabel(r, 5, true), S("----(---)"));

    EXPECT_EQ(FormatGasLabelFromFields(S("CO"), S("ppm"), 500.0f, 0), S("CO(500ppm)"));
    EXPECT_EQ(FormatGasLabelFromFields(S("CO"), S("ppm"), -1.0f, 0), S("CO(ppm)"));
    EXPECT_EQ(FormatGasLabelFromFields(S(" "), S("ppm"), 5.0f, 0), S("----(---)"));
}

TEST(modGasCommon, ParseStatusWordReadsNumbersAndWords) {
    // The detector's alarm word is "ALR...", not "ALARM"; 1e99 is beyond a Single.
    const std::pair<const char*, float> cases[] = {
        {"  warn", -103},  {"WARNING", -103}, {"over", -107},  {"ALRM", -104},  {"Stel", -105},
        {"twa ", -106},    {"NORMAL", -102},  {"*****", -101}, {"ALARM", -101}, {"", -101},
        {" 12.5 ", 12.5f}, {"-3", -3},        {".5", 0.5f},    {"1e2", 100},    {"1,000", -101},
        {"nan", -101},     {"inf", -101},     {"1e99", -101},  {"12ab", -101}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseStatusWord(S(text)), value) << text;
    EXPECT_EQ(DecimalsOf(S("0.01")), 2);
    EXPECT_EQ(DecimalsOf(S("5.")), 0);
    EXPECT_EQ(DecimalsOf(S("1.2.3")), 3);
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
    EXPECT_EQ(r.GasPoint(1), 2);

    // A dashed or starred name empties the channel whatever the other columns hold.
    for (const QString& empty : {S("----------,  100  0.5ppm "), QString(25, QLatin1Char('*'))}) {
        ApplyChannelDescriptor(empty, r, 3);
        EXPECT_TRUE(r.GasName(3).isEmpty());
        EXPECT_FALSE(r.GasEnabled(3));
        EXPECT_EQ(r.GasFullScale(3), -101.0f);
        EXPECT_EQ(r.GasDesit(3), 0.0f);
        EXPECT_EQ(r.GasPoint(3), -101);
        EXPECT_TRUE(r.GasUnit(3).isEmpty());
    }
    // Short or odd input is read as far as it goes, never out of bounds.
    ApplyChannelDescriptor(S("CO"), r, 2);
    EXPECT_EQ(r.GasName(2), S("CO"));
    EXPECT_TRUE(r.GasEnabled(2));
    EXPECT_EQ(r.GasFullScale(2), 0.0f);
    ApplyChannelDescriptor(S("CO        ,abcde  x.yppm "), r, 2);
    EXPECT_EQ(r.GasDesit(2), 0.0f);
    ApplyChannelDescriptor(S("CO        ,  500    1ppm "), r, 5); // no such channel
    EXPECT_TRUE(r.GasName(5).isEmpty());
}

TEST(modGasCommon, SnapToStepRoundsHalvesToEven) {
    EXPECT_FLOAT_EQ(SnapToStep(0.26f, 0.05f), 0.25f);
    EXPECT_FLOAT_EQ(SnapToStep(10.3f, 0.5f), 10.5f);
    const std::pair<float, float> halves[] = {{2.5f, 2}, {3.5f, 4}, {-1.0f, 0}, {5.0f, 5}};
    for (const auto& [value, snapped] : halves)
        EXPECT_EQ(SnapToStep(value, 1.0f), snapped) << value;
    EXPECT_EQ(SnapToStep(0.25f, 0.5f), 0.0f);
    EXPECT_EQ(SnapToStep(0.75f, 0.5f), 1.0f);
    EXPECT_EQ(SnapToStep(19.5f, 0.1f), 19.5f);
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

TEST(modGasCommon, BuiltInGasListReplacesTheFirstEntries) {
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
    EXPECT_FALSE(s.GasChangeTable[0][3].locked);
    EXPECT_EQ(s.GasChangeTable[0][7].name, QStringLiteral("MEK"));
    EXPECT_FALSE(s.GasChangeTable[3][3].enabled);
}

TEST(modGasCommon, GasSelectionFromTheChangeTable) {
    AppSettings s;
    LoadBuiltInGasList(s);
    s.GasChangeTable[2][0].ratio = 1.5f;
    s.GasChangeTable[2][0].zero = 1;
    clsInstrument r;

    ASSERT_TRUE(ApplyGasSelection(r, s, false, 2, 0));
    EXPECT_EQ(Descriptor(r, 2), S("CO           500    1ppm "));
    EXPECT_TRUE(r.Change_GasEnable(2));
    EXPECT_EQ(r.Ratio(2), 1.5f);
    EXPECT_EQ(QList<float>({r.Warning(2), r.Alarm(2), r.Stel(2), r.Twa(2), r.AutoCalib(2)}),
              QList<float>({25, 50, 200, 25, 50}));
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
    for (const auto& [ch, sel] : {std::pair{2, -1}, {2, 17}, {5, 0}, {-1, 0}})
        EXPECT_FALSE(ApplyGasSelection(untouched, s, false, ch, sel)) << ch << "/" << sel;
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
    EXPECT_EQ(Descriptor(r, 0), S("C2H2       100.0  0.5%LEL"));
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
    EXPECT_EQ(r.LSindex(), 30);
    clsInstrument untouched;
    EXPECT_FALSE(ApplyGasSelection(untouched, s, true, 0, 30));
    EXPECT_FALSE(ApplyGasSelection(untouched, s, true, 0, -1));
    EXPECT_FALSE(untouched.Change_GasEnable(0));
}

TEST(modGasCommon, GasSelectionOnACustomBoardSettlesChannels3And4) {
    AppSettings s;
    LoadBuiltInGasList(s);
    clsInstrument r;
    r.setIsCustom(1);
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 4, 0));
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 3, 2)); // i-C4H10 ppm
    EXPECT_EQ(r.GasName(3), QStringLiteral("i-C4H10"));

    // Methane on channel 0 puts methane ppm on channel 3.
    ASSERT_TRUE(ApplyGasSelection(r, s, false, 0, 0));
    EXPECT_EQ(Descriptor(r, 3), S("CH4         5000   10ppm "));
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
