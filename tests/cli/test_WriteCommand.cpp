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

namespace {

QStringList OnPort(const SimOnPty& sim, const char* line) {
    return QStringList{QStringLiteral("--port"), sim.path()} + Words(line);
}

} // namespace

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
    const RunResult readA = RunCtl(OnPort(simA, "read --seq a.seq --json"), dir.path());
    ASSERT_EQ(readA.exitCode, 0) << readA.errText().toStdString();
    EXPECT_EQ(At(readA.json(), "record/settings/Intervals").toInt(), 600);
    EXPECT_TRUE(ReadAll(dir.file("a.seq")).contains("XP,W,0258"));
    simA.stop();

    SimOnPty simB({QStringLiteral("--state"), dir.file("B.json"), QStringLiteral("--commit-polls"),
                   QStringLiteral("0")});
    ASSERT_TRUE(simB.ok());
    const RunResult write = RunCtl(OnPort(simB, "write a.seq --json"), dir.path());
    ASSERT_EQ(write.exitCode, 0) << write.errText().toStdString();
    EXPECT_FALSE(At(write.json(), "readFirst").toBool());
    EXPECT_GT(At(write.json(), "commands").toInt(), 30);

    const RunResult readB = RunCtl(OnPort(simB, "--json read"), dir.path());
    ASSERT_EQ(readB.exitCode, 0) << readB.errText().toStdString();
    EXPECT_EQ(WrittenPart(readB.json()), WrittenPart(readA.json()));
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

    const RunResult refused = RunSimCtl(state, Words("--json write interval.seq"), dir.path());
    EXPECT_EQ(refused.exitCode, 1);
    // The window's message in the JSON result, words that name what was
    // found on the console.
    EXPECT_TRUE(refused.errText().contains(
        QStringLiteral("Channel 3 H2S(100.0ppm): Warning 40.0 is above Alarm 30.0")))
        << refused.errText().toStdString();
    EXPECT_EQ(At(refused.json(), "check").toString(), Printed(LoadMessage(kMsgCheckAlarmPoints)));
    EXPECT_FALSE(At(refused.json(), "ok").toBool());
    EXPECT_EQ(At(ReadJson(state), "settings/Intervals").toInt(), 300);

    // With sound alarm points the same file changes only what it holds.
    SetChannel(s, 3, "warning", 10);
    SetChannel(s, 2, "warning", 33);
    ASSERT_TRUE(WriteJson(state, s));
    const RunResult written = RunSimCtl(state, Words("--json write interval.seq"), dir.path());
    ASSERT_EQ(written.exitCode, 0) << written.errText().toStdString();
    EXPECT_TRUE(At(written.json(), "readFirst").toBool());
    EXPECT_TRUE(At(written.json(), "missingLines").toArray().contains(QStringLiteral("A1")));
    const QJsonObject after = ReadJson(state);
    EXPECT_EQ(At(after, "settings/Intervals").toInt(), 600);
    EXPECT_EQ(At(after, "channels/2/warning").toDouble(), 33);
    EXPECT_EQ(At(after, "channels/0/name").toString(), QStringLiteral("CH4"));
}

// "--id" writes the identity items only, starting from the detector's own.
TEST(CliWrite, IdentityWriteKeepsTheListsAndSettings) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    ASSERT_EQ(RunSimCtl(state, Words("read --seq good.seq"), dir.path()).exitCode, 0);
    // The file asks for another interval; an identity write leaves it.
    ASSERT_TRUE(WriteAll(dir.file("other.seq"),
                         ReplaceLine(ReadAll(dir.file("good.seq")), "XP", "XP,W,0258")));
    const QJsonObject before = ReadJson(state);
    const RunResult r =
        RunSimCtl(state,
                  Words("write other.seq --id --history _id") +
                      QStringList{QStringLiteral("--station-id"), QStringLiteral("dock 7")},
                  dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    const QJsonObject after = ReadJson(state);
    EXPECT_EQ(At(after, "stationId").toString().trimmed(), QStringLiteral("DOCK 7"));
    for (const char* kept : {"stationList", "userList", "settings"})
        EXPECT_EQ(At(after, kept), At(before, kept)) << kept;
    const QByteArray history = ReadAll(dir.file("TQ7350_Setting_id.csv"));
    EXPECT_TRUE(history.contains("\r\nWriteID,")) << history.left(200).toStdString();

    // Identity options belong to --id.
    EXPECT_EQ(RunCtl(Words("--sim write good.seq --user-id X"), dir.path()).exitCode, 2);
}

// --dry-run reads the detector and prints what the write would change, the
// list the window shows with its question, and sends no write command.
TEST(CliWrite, DryRunPrintsTheChangesAndWritesNothing) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    ASSERT_EQ(RunSimCtl(state, Words("read --seq good.seq"), dir.path()).exitCode, 0);
    // The file asks for another interval and a CO alarm of 35.
    QByteArray file = ReplaceLine(ReadAll(dir.file("good.seq")), "XP", "XP,W,003C");
    file = ReplaceLine(file, "A2", "A2,W,   50, 18.0,   35, 30.0,*****,");
    ASSERT_TRUE(WriteAll(dir.file("new.seq"), file));
    const QByteArray before = ReadAll(state);

    const RunResult text = RunSimCtl(state, Words("write new.seq --dry-run"), dir.path());
    ASSERT_EQ(text.exitCode, 0) << text.errText().toStdString();
    EXPECT_TRUE(text.outText().contains(QStringLiteral("  Alarm, CO: 50 → 35\n")))
        << text.outText().toStdString();
    EXPECT_TRUE(text.outText().contains(QStringLiteral("  Interval Trend Time (Sec): 300 → 60\n")));
    EXPECT_EQ(ReadAll(state), before); // nothing stored, nothing staged

    const RunResult json =
        RunSimCtl(state, Words("--json write new.seq --dry-run --history _x"), dir.path());
    ASSERT_EQ(json.exitCode, 0) << json.errText().toStdString();
    ASSERT_EQ(At(json.json(), "preview").toArray().size(), 2);
    EXPECT_EQ(At(json.json(), "preview/0/setting").toString(), QStringLiteral("Alarm"));
    EXPECT_EQ(At(json.json(), "preview/0/index").toInt(), 2);
    EXPECT_EQ(At(json.json(), "preview/0/old").toString(), QStringLiteral("50"));
    EXPECT_EQ(At(json.json(), "preview/0/new").toString(), QStringLiteral("35"));
    EXPECT_TRUE(At(json.json(), "dryRun").toBool());
    EXPECT_GT(At(json.json(), "commands").toInt(), 30);
    EXPECT_EQ(ReadAll(state), before);
    EXPECT_FALSE(QFileInfo::exists(dir.file("TQ7350_Setting_x.csv")));
}
