// tq7350ctl stations / users: a list file out of the emulator, edited and
// imported again (only the changed entries written, recorded in the
// register), rule-breaking lines refused unless forced, and the command
// line's actions. (Which entries a write sends, files that are no list
// files: tests/workflows/test_ListExchange.)
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QJsonArray>

using namespace clitest;

namespace {

QString Entry(const QJsonObject& state, const char* list, int i) {
    return state.value(QLatin1String(list)).toArray().at(i).toString();
}

QStringList Args(std::initializer_list<const char*> args) {
    QStringList out;
    for (const char* a : args)
        out << QString::fromLatin1(a);
    return out;
}

} // namespace

// The import writes what changed and the register holds it as one write.
// (That nothing else is sent: tests/workflows/test_ListExchange.)
TEST(ListCommands, StationsRoundTripThroughAFile) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file(QStringLiteral("sim.json"));
    ASSERT_TRUE(WriteJson(state, DefaultSimState()));
    const QString reg = QStringLiteral("--register=") + dir.file(QStringLiteral("reg.sqlite"));

    const RunResult exported =
        RunSimCtl(state, Args({"stations", "export", "Station.csv"}), dir.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.errText().toStdString();
    QList<QByteArray> lines = ReadAll(dir.file(QStringLiteral("Station.csv"))).split('\n');
    ASSERT_EQ(lines.size(), 129);
    EXPECT_EQ(lines.at(1), QByteArray("2,TANK YARD A\r"));

    // Two entries changed in the file; the rest as exported.
    lines[1] = "2,NORTH GATE\r";
    lines[9] = "10,  DOCK 10\r";
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Station.csv")), lines.join('\n')));
    const RunResult imported =
        RunSimCtl(state, QStringList{reg} + Args({"--json", "stations", "import", "Station.csv"}),
                  dir.path());
    ASSERT_EQ(imported.exitCode, 0) << imported.errText().toStdString();
    const QJsonObject result = imported.json();
    EXPECT_EQ(result.value(QStringLiteral("changed")).toArray(), (QJsonArray{2, 10}));
    EXPECT_EQ(result.value(QStringLiteral("commands")).toInt(), 2);
    EXPECT_TRUE(result.value(QStringLiteral("verified")).toBool());
    const QJsonObject after = ReadJson(state);
    EXPECT_EQ(Entry(after, "stationList", 1), QStringLiteral("NORTH GATE"));
    EXPECT_EQ(Entry(after, "stationList", 9), QStringLiteral("DOCK 10"));

    const QString serial =
        At(RunCtl(QStringList{reg} + Args({"register", "list", "--json"}), dir.path()).json(),
           "detectors/0/serialNo")
            .toString();
    const RunResult shown = RunCtl(
        QStringList{reg} + Args({"register", "show", "--json"}) + QStringList{serial}, dir.path());
    ASSERT_EQ(At(shown.json(), "events").toArray().size(), 1) << shown.outText().toStdString();
    EXPECT_EQ(At(shown.json(), "events/0/kind").toString(), QStringLiteral("write"));
    EXPECT_EQ(At(shown.json(), "events/0/action").toString(), QStringLiteral("stations import"));
    const QString written =
        QString::fromUtf8(QJsonDocument(At(shown.json(), "events/0/written").toArray()).toJson());
    EXPECT_TRUE(written.contains(QStringLiteral("TANK YARD A"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("NORTH GATE"))) << written.toStdString();
}

TEST(ListCommands, ImportRefusesRuleBreakingLinesUnlessForced) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file(QStringLiteral("sim.json"));
    ASSERT_TRUE(WriteJson(state, DefaultSimState()));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("User.csv")), "1,USER-01\r\n2,k. tanaka\r\n"));
    const QJsonObject before = ReadJson(state);

    const RunResult refused =
        RunSimCtl(state, Args({"--json", "users", "import", "User.csv"}), dir.path());
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errText().contains(QStringLiteral("Line 2: \"k. tanaka\"")));
    EXPECT_TRUE(refused.errText().contains(Printed(LoadMessage(kMsgListForceHint))));
    EXPECT_EQ(refused.json().value(QStringLiteral("invalidLines")).toArray(), QJsonArray{2});
    EXPECT_EQ(Entry(ReadJson(state), "userList", 1), Entry(before, "userList", 1));

    const RunResult forced =
        RunSimCtl(state, Args({"users", "import", "User.csv", "--force"}), dir.path());
    ASSERT_EQ(forced.exitCode, 0) << forced.errText().toStdString();
    EXPECT_EQ(Entry(ReadJson(state), "userList", 1), QStringLiteral("k. tanaka"));
}

TEST(ListCommands, TheCommandLineNeedsAnActionAndAFile) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString needsAction =
        Printed(LoadMessage(kMsgListActionNeeded, {QStringLiteral("users")}));
    for (const QStringList& args :
         {Args({"users"}), Args({"users", "Station.csv"}), Args({"users", "send", "x.csv"})}) {
        const RunResult r = RunCtl(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.errText().contains(needsAction)) << r.errText().toStdString();
    }
    const RunResult noFile = RunCtl(Args({"stations", "export"}), dir.path());
    EXPECT_EQ(noFile.exitCode, 2);
    const RunResult force =
        RunCtl(Args({"--sim", "stations", "export", "S.csv", "--force"}), dir.path());
    EXPECT_EQ(force.exitCode, 2);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("S.csv"))));
}
