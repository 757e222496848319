// tq7350ctl reading and writing settings: round trips between two emulators
// over pseudo-terminals, refused pre-write checks, files applied over the
// detector's settings, identity writes and dry runs. (Bad files:
// test_WriteCommand_faults.)
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QDir>
#include <QJsonArray>

using namespace clitest;

// A settings file stored from one emulator and written into another makes
// the second read back like the first, both over pseudo-terminals.
TEST(CliWrite, RoundTripBetweenTwoEmulatorsOverPseudoTerminals) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    QJsonObject a = DefaultSimState();
    ASSERT_FALSE(a.isEmpty());
    SetSetting(a, "Intervals", 600);
    SetSetting(a, "CalLimit", 90);
    SetSetting(a, "AlarmMode", 1);
    SetSetting(a, "BumpTime", 3);
    SetChannel(a, 2, "warning", 35);
    SetChannel(a, 2, "alarm", 60);
    SetChannel(a, 3, "stel", 20.5);
    SetChannel(a, 0, "zero", 0);
    a.insert(QStringLiteral("specNo"), QStringLiteral("SP-7777"));
    ASSERT_TRUE(WriteJson(dir.file("A.json"), a));

    SimOnPty simA({QStringLiteral("--state"), dir.file("A.json")});
    ASSERT_TRUE(simA.ok());
    const RunResult readA =
        RunCtl({QStringLiteral("--port"), simA.path(), QStringLiteral("read"),
                QStringLiteral("--seq"), QStringLiteral("a.seq"), QStringLiteral("--json")},
               dir.path());
    ASSERT_EQ(readA.exitCode, 0) << readA.errText().toStdString();
    const QJsonObject recordA = readA.json().value(QStringLiteral("record")).toObject();
    const QJsonObject co = recordA.value(QStringLiteral("channels")).toArray().at(2).toObject();
    EXPECT_EQ(co.value(QStringLiteral("warning")).toDouble(), 35);
    EXPECT_EQ(co.value(QStringLiteral("alarm")).toDouble(), 60);
    EXPECT_EQ(recordA.value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              600);
    ASSERT_TRUE(QFileInfo::exists(dir.file("a.seq")));
    EXPECT_TRUE(ReadAll(dir.file("a.seq")).contains("XP,W,0258"));
    simA.stop();

    SimOnPty simB({QStringLiteral("--state"), dir.file("B.json"), QStringLiteral("--commit-polls"),
                   QStringLiteral("0")});
    ASSERT_TRUE(simB.ok());
    const RunResult write = RunCtl({QStringLiteral("--port"), simB.path(), QStringLiteral("write"),
                                    QStringLiteral("a.seq"), QStringLiteral("--json")},
                                   dir.path());
    ASSERT_EQ(write.exitCode, 0) << write.errText().toStdString();
    EXPECT_FALSE(write.json().value(QStringLiteral("readFirst")).toBool());
    EXPECT_GT(write.json().value(QStringLiteral("commands")).toInt(), 30);

    const RunResult readB = RunCtl(
        {QStringLiteral("--port"), simB.path(), QStringLiteral("--json"), QStringLiteral("read")},
        dir.path());
    ASSERT_EQ(readB.exitCode, 0) << readB.errText().toStdString();
    EXPECT_EQ(WrittenPart(readB.json()), WrittenPart(readA.json()));

    // The second emulator committed it to its state file.
    const QJsonObject stateB = ReadJson(dir.file("B.json"));
    EXPECT_EQ(stateB.value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              600);
    EXPECT_EQ(Channel(stateB, 2).value(QStringLiteral("warning")).toDouble(), 35);
    EXPECT_EQ(stateB.value(QStringLiteral("specNo")).toString(), QStringLiteral("SP-7777"));
    // Identity is no part of a settings write.
    EXPECT_NE(stateB.value(QStringLiteral("serialNo")).toString().trimmed(),
              QString(20, QLatin1Char('-')));
}

// A warning above the alarm point that the detector itself holds stops a
// write of a file that leaves those points alone: the file is applied over
// the detector's present settings, and the checks the window runs before
// "Update" see the result (each rule: tests/records/test_WriteChecks).
TEST(CliWrite, PartialFileIsAppliedOverTheDetectorsSettingsAndChecked) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    QJsonObject s = DefaultSimState();
    SetChannel(s, 3, "warning", 40); // alarm 30.0
    ASSERT_TRUE(WriteJson(state, s));
    ASSERT_TRUE(WriteAll(dir.file("interval.seq"), "; only the logging interval\r\nXP,W,0258\r\n"));

    const RunResult refused = RunSimCtl(
        state, {QStringLiteral("--json"), QStringLiteral("write"), QStringLiteral("interval.seq")},
        dir.path());
    EXPECT_EQ(refused.exitCode, 1);
    // The window's message in the JSON result, words that name what was
    // found on the console.
    EXPECT_TRUE(refused.errText().contains(
        QStringLiteral("Channel 3 H2S(100.0ppm): Warning 40.0 is above Alarm 30.0")))
        << refused.errText().toStdString();
    EXPECT_EQ(refused.json().value(QStringLiteral("check")).toString(),
              Printed(LoadMessage(kMsgCheckAlarmPoints)));
    EXPECT_FALSE(refused.json().value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(ReadJson(state)
                  .value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              300);

    // With sound alarm points the same file changes only what it holds.
    SetChannel(s, 3, "warning", 10);
    SetChannel(s, 2, "warning", 33);
    ASSERT_TRUE(WriteJson(state, s));
    const RunResult written = RunSimCtl(
        state, {QStringLiteral("--json"), QStringLiteral("write"), QStringLiteral("interval.seq")},
        dir.path());
    ASSERT_EQ(written.exitCode, 0) << written.errText().toStdString();
    EXPECT_TRUE(written.json().value(QStringLiteral("readFirst")).toBool());
    EXPECT_TRUE(written.json()
                    .value(QStringLiteral("missingLines"))
                    .toArray()
                    .contains(QStringLiteral("A1")));
    const QJsonObject after = ReadJson(state);
    EXPECT_EQ(after.value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              600);
    EXPECT_EQ(Channel(after, 2).value(QStringLiteral("warning")).toDouble(), 33);
    EXPECT_EQ(Channel(after, 0).value(QStringLiteral("name")).toString(), QStringLiteral("CH4"));
}

// "--id" writes the identity items only, starting from the detector's own.
TEST(CliWrite, IdentityWriteKeepsTheListsAndSettings) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    ASSERT_EQ(
        RunSimCtl(state,
                  {QStringLiteral("read"), QStringLiteral("--seq"), QStringLiteral("good.seq")},
                  dir.path())
            .exitCode,
        0);
    // The file asks for another interval; an identity write leaves it.
    ASSERT_TRUE(WriteAll(dir.file("other.seq"),
                         ReplaceLine(ReadAll(dir.file("good.seq")), "XP", "XP,W,0258")));
    const QJsonObject before = ReadJson(state);
    const RunResult r =
        RunSimCtl(state,
                  {QStringLiteral("write"), QStringLiteral("other.seq"), QStringLiteral("--id"),
                   QStringLiteral("--station-id"), QStringLiteral("dock 7"),
                   QStringLiteral("--history"), QStringLiteral("_id")},
                  dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    const QJsonObject after = ReadJson(state);
    EXPECT_EQ(after.value(QStringLiteral("stationId")).toString().trimmed(),
              QStringLiteral("DOCK 7"));
    EXPECT_EQ(after.value(QStringLiteral("stationList")),
              before.value(QStringLiteral("stationList")));
    EXPECT_EQ(after.value(QStringLiteral("userList")), before.value(QStringLiteral("userList")));
    EXPECT_EQ(after.value(QStringLiteral("settings")), before.value(QStringLiteral("settings")));
    const QByteArray history = ReadAll(dir.file("TQ7350_Setting_id.csv"));
    EXPECT_TRUE(history.contains("\r\nWriteID,")) << history.left(200).toStdString();

    // Identity options belong to --id.
    EXPECT_EQ(RunCtl({QStringLiteral("--sim"), QStringLiteral("write"), QStringLiteral("good.seq"),
                      QStringLiteral("--user-id"), QStringLiteral("X")},
                     dir.path())
                  .exitCode,
              2);
}

// --dry-run reads the detector and prints what the write would change, the
// list the window shows with its question, and sends no write command.
TEST(CliWrite, DryRunPrintsTheChangesAndWritesNothing) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    ASSERT_EQ(
        RunSimCtl(state,
                  {QStringLiteral("read"), QStringLiteral("--seq"), QStringLiteral("good.seq")},
                  dir.path())
            .exitCode,
        0);
    // The file asks for another interval and a CO alarm of 35.
    QByteArray file = ReplaceLine(ReadAll(dir.file("good.seq")), "XP", "XP,W,003C");
    file = ReplaceLine(file, "A2", "A2,W,   50, 18.0,   35, 30.0,*****,");
    ASSERT_TRUE(WriteAll(dir.file("new.seq"), file));
    const QByteArray before = ReadAll(state);

    const RunResult text = RunSimCtl(
        state, {QStringLiteral("write"), QStringLiteral("new.seq"), QStringLiteral("--dry-run")},
        dir.path());
    ASSERT_EQ(text.exitCode, 0) << text.errText().toStdString();
    EXPECT_TRUE(text.outText().contains(QStringLiteral("  Alarm, CO: 50 → 35\n")))
        << text.outText().toStdString();
    EXPECT_TRUE(text.outText().contains(QStringLiteral("  Interval Trend Time (Sec): 300 → 60\n")));
    EXPECT_EQ(ReadAll(state), before); // nothing stored, nothing staged

    const RunResult json =
        RunSimCtl(state,
                  {QStringLiteral("--json"), QStringLiteral("write"), QStringLiteral("new.seq"),
                   QStringLiteral("--dry-run"), QStringLiteral("--history"), QStringLiteral("_x")},
                  dir.path());
    ASSERT_EQ(json.exitCode, 0) << json.errText().toStdString();
    const QJsonArray preview = json.json().value(QStringLiteral("preview")).toArray();
    ASSERT_EQ(preview.size(), 2);
    const QJsonObject alarm = preview.at(0).toObject();
    EXPECT_EQ(alarm.value(QStringLiteral("setting")).toString(), QStringLiteral("Alarm"));
    EXPECT_EQ(alarm.value(QStringLiteral("index")).toInt(), 2);
    EXPECT_EQ(alarm.value(QStringLiteral("old")).toString(), QStringLiteral("50"));
    EXPECT_EQ(alarm.value(QStringLiteral("new")).toString(), QStringLiteral("35"));
    EXPECT_TRUE(json.json().value(QStringLiteral("dryRun")).toBool());
    EXPECT_GT(json.json().value(QStringLiteral("commands")).toInt(), 30);
    EXPECT_EQ(ReadAll(state), before);
    EXPECT_FALSE(QFileInfo::exists(dir.file("TQ7350_Setting_x.csv")));
}
