// Settings history: one header per file, appended data lines whose columns
// match the header, the value texts, CSV quoting and the file-name suffix.
#include "records/SettingsHistory.h"

#include "app/Catalogue.h"
#include "common/TestSupport.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 5, 17), QTime(9, 8, 7));

// Splits one CSV line the way a spreadsheet does (quotes, doubled quotes).
QStringList ParseCsv(const QString& line) {
    static const QRegularExpression field(
        QStringLiteral(R"re((?:^|,)(?:"((?:[^"]|"")*)"|([^,]*)))re"));
    QStringList out;
    for (auto it = field.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out << (m.capturedStart(1) >= 0 ? m.captured(1).replace(QStringLiteral("\"\""), "\"")
                                        : m.captured(2));
    }
    return out;
}

QStringList FileLines(const QString& path) {
    QByteArray bytes = testsupport::ReadAll(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.count("\xEF\xBB\xBF"), 1);
    bytes.remove(0, 3);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the final line end
    return lines;
}

clsInstrument Sample() {
    clsInstrument r;
    modGasCommon::ApplyChannelDescriptor(QStringLiteral("CH4          100    1%LEL"), r, 0);
    r.setWarning(0, 10);
    r.setAlarm(0, 50);
    modGasCommon::ApplyChannelDescriptor(QStringLiteral("H2S        100.0  0.5ppm "), r, 3);
    r.setWarning(3, 10);
    r.setAutoCalib(3, 25);
    r.setSerialNo(QStringLiteral("SN0001"));
    r.setRomNumber(4149);
    r.setAlarmMode(1);
    r.setBhTime(1);
    r.setBumpTime(3);
    r.setZero(2, 1);
    r.setCalCheckALL(1);
    r.setBattery(1);
    r.setSpecType(QStringLiteral("2"));
    r.setStationList(0, QStringLiteral("ST-A"));
    r.setSysDateOffset(1.5); // detector 36 hours behind
    return r;
}

int Column(const QStringList& header, const QString& text, int nth = 0) {
    for (int i = 0; i < header.size(); ++i) {
        if (header.at(i) == text && nth-- == 0)
            return i;
    }
    return -1;
}

} // namespace

TEST(SettingsHistory, HeaderColumnsAndDataValues) {
    const QStringList h = HistoryHeaderFields();
    const QStringList d = HistoryDataFields(Sample(), HistoryAction::WriteID, kNow);
    // 52 settings, 5 x 6 gas points, 5 x 6 calibration results, 129 stations,
    // 129 users, 2 x 6 custom-sensor fields, 3 trailing settings.
    EXPECT_EQ(h.size(), 385);
    ASSERT_EQ(d.size(), h.size());
    EXPECT_EQ(h.first(), QStringLiteral("Action"));
    EXPECT_EQ(h.at(6), QStringLiteral("ROM"));
    EXPECT_EQ(h.last(), QStringLiteral("Display Pump ON/OFF"));
    EXPECT_EQ(h.count(QStringLiteral("Station")), 129);

    const auto at = [&](const char* heading, int nth = 0) {
        const int i = Column(h, QString::fromUtf8(heading), nth);
        return i < 0 ? QStringLiteral("<no column>") : d.at(i);
    };
    EXPECT_EQ(at("Action"), QStringLiteral("WriteID"));
    EXPECT_EQ(at("PC Date/Time"), QStringLiteral("2026/05/17 09:08:07"));
    EXPECT_EQ(at("TQ-7350 Date/Time"), QStringLiteral("2026/05/15 21:08:07"));
    EXPECT_EQ(at("Serial No."), QStringLiteral("SN0001"));
    EXPECT_EQ(at("ROM"), QStringLiteral("04149"));
    EXPECT_EQ(at("Alarm pattern"), QStringLiteral("Latch"));
    EXPECT_EQ(at("Bar Hole Measure Time(sec)"), QStringLiteral("45"));
    EXPECT_EQ(at("Bump Test Time(sec)"), QStringLiteral("90"));
    EXPECT_EQ(at("Zero Follower (Gas1)"), QStringLiteral("OFF"));
    EXPECT_EQ(at("Zero Follower (Gas3)"), QStringLiteral("ON"));
    EXPECT_EQ(at("Cal.Limit Check Gas"), QStringLiteral("ALL"));
    EXPECT_EQ(at("Battery Type"), QStringLiteral("Ni-MH"));
    EXPECT_EQ(at("Destination"), QStringLiteral("Germany"));
    EXPECT_EQ(at("HC SELECT"), QStringLiteral("Auto"));
    // Gas columns per channel: channel 0 enabled, channel 1 disabled,
    // channel 3 with one decimal.
    EXPECT_EQ(at("Gas", 0), QStringLiteral("CH4"));
    EXPECT_EQ(at("Warning", 0), QStringLiteral("10"));
    EXPECT_EQ(at("STEL", 0), QStringLiteral("-----"));
    EXPECT_EQ(at("Gas", 1), QStringLiteral("-----"));
    EXPECT_EQ(at("Alarm", 1), QStringLiteral("-----"));
    EXPECT_EQ(at("Warning", 3), QStringLiteral("10.0"));
    EXPECT_EQ(at("Auto Cal.", 3), QStringLiteral("25.0"));
    // A date the detector did not report is empty, never a day in 1899.
    EXPECT_EQ(at("Last Calibration Date", 0), QString());
    EXPECT_EQ(at("Last Bump Test Date", 0), QString());
    EXPECT_EQ(at("Station", 0), QStringLiteral("ST-A"));
    EXPECT_EQ(at("Station", 1), QString(16, QLatin1Char('-')));
    EXPECT_EQ(at("Station", 128), QString()); // slot 128 is never used
    EXPECT_EQ(at("No", 0), QStringLiteral("1"));
}

TEST(SettingsHistory, AppendsUnderOneHeaderPerSuffix) {
    testsupport::ScratchDir dir;
    clsInstrument r = Sample();
    QString error;
    ASSERT_TRUE(
        AppendHistoryLine(dir.path(), QStringLiteral("_A"), r, HistoryAction::Read, kNow, &error))
        << qPrintable(error);
    ASSERT_TRUE(AppendHistoryLine(dir.path(), QStringLiteral("_A"), r, HistoryAction::Write,
                                  kNow.addSecs(60), &error));
    const QStringList a = FileLines(dir.file(QStringLiteral("TQ7350_Setting_A.csv")));
    ASSERT_EQ(a.size(), 3);
    EXPECT_EQ(a.at(0), CsvLine(HistoryHeaderFields()));
    EXPECT_TRUE(a.at(1).startsWith(QStringLiteral("Read,2026/05/17 09:08:07,")));
    EXPECT_TRUE(a.at(2).startsWith(QStringLiteral("Write,2026/05/17 09:09:07,")));
    for (const QString& line : a)
        EXPECT_EQ(ParseCsv(line).size(), 385);

    // A new suffix starts a new file with its own header.
    ASSERT_TRUE(AppendHistoryLine(dir.path(), QString(), r, HistoryAction::WriteID, kNow, &error));
    const QStringList b = FileLines(dir.file(QStringLiteral("TQ7350_Setting.csv")));
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b.at(0), a.at(0));
    EXPECT_TRUE(b.at(1).startsWith(QStringLiteral("WriteID,")));
    EXPECT_EQ(FileLines(dir.file(QStringLiteral("TQ7350_Setting_A.csv"))).size(), 3);
}

TEST(SettingsHistory, TextsCannotShiftTheColumns) {
    EXPECT_EQ(CsvLine({QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("say \"x\"")}),
              QStringLiteral("a,\"b,c\",\"say \"\"x\"\"\""));
    clsInstrument r = Sample();
    r.setSpecNo(QStringLiteral("A,B"));
    r.setSUM(QStringLiteral("\"1F\"\r\n"));
    r.setGasName(0, QStringLiteral("C,H4"));
    const QStringList fields = HistoryDataFields(r, HistoryAction::Read, kNow);
    const QStringList back = ParseCsv(CsvLine(fields));
    ASSERT_EQ(back.size(), fields.size());
    EXPECT_EQ(back, fields);
}

TEST(SettingsHistory, SuffixMustBeAPlainFileNamePart) {
    testsupport::ScratchDir dir;
    QString error;
    EXPECT_FALSE(AppendHistoryLine(dir.path(), QStringLiteral("/../x"), Sample(),
                                   HistoryAction::Read, kNow, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(IsValidHistorySuffix(QStringLiteral("a\\b")));
    EXPECT_FALSE(IsValidHistorySuffix(QStringLiteral("a:b")));
    EXPECT_TRUE(IsValidHistorySuffix(QStringLiteral("_2026-05 test")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // A folder that does not exist: a failure with a reason, no file.
    EXPECT_FALSE(AppendHistoryLine(dir.file(QStringLiteral("missing")), QString(), Sample(),
                                   HistoryAction::Read, kNow, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SettingsHistory, HeaderFollowsTheCatalogueLanguage) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    const QStringList ja = HistoryHeaderFields();
    const QString action = LoadMessage(9000);
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(ja.first(), action);
    EXPECT_NE(ja.first(), QStringLiteral("Action"));
    EXPECT_EQ(ja.size(), HistoryHeaderFields().size());
    EXPECT_EQ(ja.at(6), QStringLiteral("ROM")); // fixed English headings stay
}
