// Numeric and string helpers, serial port discovery and the explicit port
// choice.
#include "app/AppSettings.h"
#include "app/Helpers.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

TEST(Helpers, SingleAsEightHexDigits) {
    for (const auto& [value, hex] : {std::pair{0.0f, "00000000"},
                                     {1.0f, "3F800000"},
                                     {-101.0f, "C2CA0000"},
                                     {HexToSingle(QStringLiteral("0A0A0A0A")), "0A0A0A0A"}})
        EXPECT_EQ(SingleToHex(value), QLatin1String(hex)); // every byte keeps its leading zero
    EXPECT_EQ(PadHexByte(QStringLiteral("A")), QStringLiteral("0A"));
    bool ok = false;
    EXPECT_EQ(HexToSingle(QStringLiteral("3f800000"), &ok), 1.0f);
    EXPECT_TRUE(ok);
    for (const char* bad : {"", "C2CA000", "C2CA00000", "C2CA00G0", " C2CA000", "-2CA0000"}) {
        ok = true;
        EXPECT_EQ(HexToSingle(QLatin1String(bad), &ok), 0.0f) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    for (float v : {0.1f, -3.5e-7f, 12345.678f, FLT_MAX})
        EXPECT_EQ(HexToSingle(SingleToHex(v)), v);
}

TEST(Helpers, IdentityTextsAndKeyFilters) {
    EXPECT_EQ(NormalizeIdText(QStringLiteral("   "), IdTextSecondSerial), QString(20, '-'));
    EXPECT_EQ(NormalizeIdText(QString(), IdTextSerial), QString(20, '-'));
    EXPECT_EQ(NormalizeIdText(QString(), IdTextUser), QString(16, '-'));
    EXPECT_EQ(NormalizeIdText(QStringLiteral("\t"), IdTextStation), QString(16, '-'));
    EXPECT_EQ(NormalizeIdText(QStringLiteral("  AB  "), IdTextUser), QStringLiteral("AB"));
    EXPECT_EQ(NormalizeIdText(QStringLiteral("  "), 7), QString());

    for (int key : {int('*'), 8, int('z')})
        EXPECT_TRUE(IsIdKeyAllowed(key)) << key;
    for (int key : {int('_'), 13, int('{'), int('/')})
        EXPECT_FALSE(IsIdKeyAllowed(key)) << key;
    for (int key : {int('_'), int('<'), 8})
        EXPECT_TRUE(IsTextKeyAllowed(key)) << key;
    for (int key : {int('*'), int('~'), 127})
        EXPECT_FALSE(IsTextKeyAllowed(key)) << key;
    EXPECT_TRUE(IsIdTextValid(QStringLiteral("AB-12 </>")));
    EXPECT_FALSE(IsIdTextValid(QStringLiteral("ab")));
    EXPECT_FALSE(IsIdTextValid(QStringLiteral("A*")));
    EXPECT_TRUE(IsAllDigits(QStringLiteral("0123456789")));
    for (const char* bad : {"12 ", "-1", "\xEF\xBC\x91\xEF\xBC\x92"}) // the last: full-width digits
        EXPECT_FALSE(IsAllDigits(QString::fromUtf8(bad))) << bad;
}

TEST(Helpers, NumericTextLikeTheFilesAlwaysWereRead) {
    double v = 0;
    EXPECT_TRUE(ParseNumericText(QStringLiteral("  -1.5e+2 "), &v));
    EXPECT_EQ(v, -150.0);
    for (const char* good : {"5", "+5", "5.", ".5", "1E3", "0.0001", " 7"})
        EXPECT_TRUE(IsNumericText(QString::fromLatin1(good))) << good;
    for (const char* bad :
         {"", " ", "abc", "1,5", "1.2.3", "e5", "5e", "--1", "1 2", "0x10", "1e999", "inf", "nan"})
        EXPECT_FALSE(IsNumericText(QString::fromLatin1(bad))) << bad;

    for (const auto& [value, rounded] :
         {std::pair{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {2.4999, 2.0}})
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    for (const auto& [text, value] : {std::pair{"2.5", 2},
                                      {"3.5", 4},
                                      {"32767.4", 32767},
                                      {"32767.5", 9},
                                      {"-32768", -32768},
                                      {"abc", 9}})
        EXPECT_EQ(TextToInteger(QLatin1String(text), 9), value) << text; // 9: does not fit
    EXPECT_EQ(TextToLong(QStringLiteral("2147483647"), 1), 2147483647);
    EXPECT_EQ(TextToLong(QStringLiteral("2147483648"), 1), 1);
    EXPECT_EQ(TextToSingle(QStringLiteral("1e39"), 7.0f), 7.0f);
    EXPECT_EQ(TextToSingle(QStringLiteral("3.4028235E+38"), 7.0f), FLT_MAX);
    EXPECT_EQ(TextToSingle(QStringLiteral(" 0.1 "), 7.0f), 0.1f);
}

TEST(Helpers, SingleToTextIsShortestGeneralForm) {
    for (const auto& [value, text] : {std::pair{19.5f, "19.5"},
                                      {0.1f, "0.1"},
                                      {-101.0f, "-101"},
                                      {7680.0f, "7680"},
                                      {0.0001f, "0.0001"},
                                      {0.00001f, "1E-05"},
                                      {1.5e10f, "1.5E+10"},
                                      {123456792.0f, "123456790"},
                                      {-0.0f, "0"},
                                      {NAN, "0"},
                                      {INFINITY, "0"}})
        EXPECT_EQ(SingleToText(value), QLatin1String(text)) << text;
    // Every text reads back as the same Single.
    for (float v :
         {0.1f, 1.0f / 3.0f, 12345.678f, -2.5e-7f, FLT_MAX, FLT_MIN, 16777217.0f, 0.01f, 2.2e-44f})
        EXPECT_EQ(TextToSingle(SingleToText(v), 0.0f), v) << SingleToText(v).toStdString();
}

namespace {
SerialPortRecord Port(const char* name, const char* location, uint16_t vid = 0x10C4,
                      uint16_t pid = 0xEA60) {
    SerialPortRecord r;
    r.portName = QString::fromLatin1(name);
    r.systemLocation = QString::fromLatin1(location);
    r.hasIds = true;
    r.vendorId = vid;
    r.productId = pid;
    return r;
}
const QString kSearch = QStringLiteral("VID_10C4&PID_EA60");
} // namespace

TEST(Helpers, DiscoveryCountsMatchingPorts) {
    uint16_t vid = 0;
    uint16_t pid = 0;
    ASSERT_TRUE(ParseUsbIdSearchText(QStringLiteral("USB\\pid_0001&vid_abcd\\5"), &vid, &pid));
    EXPECT_EQ(vid, 0xABCD);
    EXPECT_EQ(pid, 0x0001);
    for (const char* bad : {"VID_10C4", "VID_10C45&PID_EA60", ""})
        EXPECT_FALSE(ParseUsbIdSearchText(QLatin1String(bad), &vid, &pid)) << bad;

    AppSettings s;
    const SerialPortRecord other = Port("ttyACM0", "/dev/ttyACM0", 0x2341, 0x0043);
    SerialPortRecord noIds = Port("ttyS0", "/dev/ttyS0");
    noIds.hasIds = false;
    s.IrCommNum = 5;
    s.IrCommPortName = QStringLiteral("old");
    EXPECT_EQ(DiscoverUsbSerialPort(kSearch, s, {other, noIds}), PortDiscoveryResult::None);
    EXPECT_EQ(s.IrCommNum, 0);
    EXPECT_TRUE(s.IrCommPortName.isEmpty());

    EXPECT_EQ(DiscoverUsbSerialPort(kSearch, s, {other, Port("ttyUSB0", "/dev/ttyUSB0")}),
              PortDiscoveryResult::One);
    EXPECT_EQ(s.IrCommNum, 0); // ports named by path have no number
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DiscoverUsbSerialPort(kSearch, s, {Port("COM7", "\\\\.\\COM7")}),
              PortDiscoveryResult::One);
    EXPECT_EQ(s.IrCommNum, 7);
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("\\\\.\\COM7"));

    EXPECT_EQ(DiscoverUsbSerialPort(kSearch, s,
                                    {Port("COM7", "\\\\.\\COM7"), Port("COM9", "\\\\.\\COM9")}),
              PortDiscoveryResult::Ambiguous);
    EXPECT_EQ(s.IrCommNum, 0);
    EXPECT_TRUE(s.IrCommPortName.isEmpty());
    EXPECT_EQ(DiscoverUsbSerialPort(QStringLiteral("garbage"), s, {Port("COM7", "\\\\.\\COM7")}),
              PortDiscoveryResult::None);
}

TEST(Helpers, PortAndSocketOverrides) {
    AppSettings s;
    QString error;
    ASSERT_TRUE(ApplyPortOverride(QStringLiteral(" /dev/pts/3 "), s, &error));
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("/dev/pts/3"));
    EXPECT_EQ(s.IrCommNum, 0);
    ASSERT_TRUE(ApplyPortOverride(QStringLiteral("com12"), s, &error));
    EXPECT_EQ(s.IrCommNum, 12);
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("COM12"));
    for (const char* bad : {"", "ttyUSB0", "COM0", "/dev/tty USB0", "COM99999"}) {
        error.clear();
        EXPECT_FALSE(ApplyPortOverride(QLatin1String(bad), s, &error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("COM12")); // untouched by failures

    ASSERT_TRUE(ApplySocketOverride(QStringLiteral("localhost:7350"), s, &error));
    EXPECT_EQ(s.SocketEndpoint, QStringLiteral("localhost:7350"));
    ASSERT_TRUE(ApplySocketOverride(QStringLiteral("[::1]:65535"), s, &error));
    EXPECT_EQ(s.SocketEndpoint, QStringLiteral("[::1]:65535"));
    QString host;
    uint16_t port = 0;
    ASSERT_TRUE(ParseSocketEndpoint(QStringLiteral("10.0.0.2:1"), &host, &port));
    EXPECT_EQ(host, QStringLiteral("10.0.0.2"));
    EXPECT_EQ(port, 1);
    for (const char* bad :
         {"", "localhost", "localhost:", ":7350", "host:0", "host:65536", "host:12a", "host:-1",
          "::1:80", "[::1]80", "my host:80", "host:99999999999"}) {
        error.clear();
        EXPECT_FALSE(ApplySocketOverride(QString::fromLatin1(bad), s, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    EXPECT_EQ(s.SocketEndpoint, QStringLiteral("[::1]:65535"));
}

TEST(Helpers, EnvironmentOverrides) {
    qunsetenv(kPortEnvironmentName);
    qunsetenv(kSocketEnvironmentName);
    AppSettings s;
    QString error;
    EXPECT_TRUE(ApplyEnvironmentOverrides(s, &error));
    EXPECT_TRUE(s.IrCommPortName.isEmpty());

    qputenv(kPortEnvironmentName, "/dev/ttyUSB3");
    qputenv(kSocketEnvironmentName, "sim.local:4000");
    EXPECT_TRUE(ApplyEnvironmentOverrides(s, &error));
    EXPECT_EQ(s.IrCommPortName, QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(s.SocketEndpoint, QStringLiteral("sim.local:4000"));

    qputenv(kSocketEnvironmentName, "sim.local:70000");
    EXPECT_FALSE(ApplyEnvironmentOverrides(s, &error));
    EXPECT_TRUE(error.contains(QLatin1String(kSocketEnvironmentName)));
    EXPECT_EQ(s.SocketEndpoint, QStringLiteral("sim.local:4000"));
    qunsetenv(kPortEnvironmentName);
    qunsetenv(kSocketEnvironmentName);
}
