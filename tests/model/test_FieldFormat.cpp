// Field conversions shared by the command set and the settings file.
#include "model/FieldFormat.h"
#include "model/clsInstrument.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace FieldFormat;

namespace {

template <class T> QString Parsed(bool (*parse)(const QString&, T*), const QString& text) {
    T value{};
    return parse(text, &value) ? QString::number(value) : QStringLiteral("refused");
}

} // namespace

TEST(FieldFormat, HexadecimalFixedAndMinimumWidths) {
    EXPECT_EQ(Hex2(-1), "FF");
    EXPECT_EQ(Hex4(-2), "FFFE");
    EXPECT_EQ(Hex16(-2, 2), "FFFE"); // never cut
    EXPECT_EQ(Hex16(10, 1), "A");
    EXPECT_EQ(Hex32(-1, 4), "FFFFFFFF");
    EXPECT_EQ(Hex32(0x1F, 4), "001F");
}

TEST(FieldFormat, HexDigitsOnlyWithoutSignOrPrefix) {
    EXPECT_EQ(Parsed(ParseHexBits, " 7fff "), "32767");
    EXPECT_EQ(Parsed(ParseHexBits, "FFFFFFFF"), "4294967295");
    for (const char* bad : {"", "  ", "0x1F", "+1F", "-1", "1 F", "G1", "123456789"})
        EXPECT_EQ(Parsed(ParseHexBits, QString::fromLatin1(bad)), "refused") << bad;
}

TEST(FieldFormat, DecimalsRoundHalfToEvenWithinTheirRange) {
    const QList<QPair<QString, QString>> cases = {
        {" 12 ", "12"},
        {"2.5", "2"},
        {"3.5", "4"},
        {"-2.5", "-2"},
        {"1e2", "100"},
        {".5", "0"},
        {"32767.4", "32767"},
        {"32767.5", "refused"},
        {"-32768", "-32768"},
        {"1O", "refused"},
        {"", "refused"},
        {"0x10", "refused"},
        {QString(QChar(0xA0)) + "5", "refused"}}; // only ASCII blanks around a number
    for (const auto& c : cases)
        EXPECT_EQ(Parsed(ParseDec16, c.first), c.second) << c.first.toStdString();
    EXPECT_EQ(Parsed(ParseDec32, "40000"), "40000");
    EXPECT_EQ(Parsed(ParseDec32, "3000000000"), "refused");

    int16_t untouched = 7;
    EXPECT_FALSE(ParseDec16("x", &untouched));
    EXPECT_EQ(untouched, 7);
}

TEST(FieldFormat, ChannelFieldsUseEachChannelsOwnDecimals) {
    clsInstrument r;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        r.setGasPoint(ch, static_cast<int16_t>(ch));
        r.setWarning(ch, 1.5f);
        r.setZero(ch, static_cast<int16_t>(ch * 5)); // 0, 5, 10, 15, 20
    }
    r.setWarning(4, 12.5f); // other points: no decimals
    EXPECT_EQ(ChannelValues(r, &clsInstrument::Warning),
              QStringList({"    2", "  1.5", " 1.50", "1.500", "   13"}));
    // Any negative value is "not set"; a value too wide loses its left part.
    EXPECT_EQ(Val5(-0.1f, 1), "*****");
    EXPECT_EQ(Val5(12345.6f, 1), "345.6");
    EXPECT_EQ(ZeroFlags(r), "05050"); // the last digit of each
    EXPECT_EQ(ParseVal5(" 1.50"), 1.5f);
    EXPECT_EQ(ParseVal5("*****"), -101.0f);
}
