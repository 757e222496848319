// tq7350ctl's exit statuses, JSON results, languages, files and the
// maintenance commands, run as the real program.
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>

using namespace clitest;

namespace {

const QString kSim = QStringLiteral("--sim");
const QString kJson = QStringLiteral("--json");

} // namespace

TEST(CliExit, NoDetectorAnsweredIsThree) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    SimOnPty silent({QStringLiteral("--silent")});
    ASSERT_TRUE(silent.ok());
    QElapsedTimer t;
    t.start();
    const QStringList fast = Words("--timeout 1 --retry 1");
    const RunResult r =
        RunCtl(QStringList{QStringLiteral("--port"), silent.path()} + fast + Words("--json read"),
               dir.path());
    EXPECT_EQ(r.exitCode, 3) << r.errText().toStdString();
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_TRUE(r.errText().contains(silent.path()));
    EXPECT_EQ(At(r.json(), "exitStatus").toInt(), 3);
    // The emulator heard the connect probe.
    EXPECT_TRUE(ReadAll(dir.file("SerialLog.log")).contains("RC,R,"));

    // The port named in the environment, as the window takes it.
    const RunResult env = RunCtl(fast + Words("clock"), dir.path(), 60000, QStringLiteral("en"),
                                 {QStringLiteral("TQ7350_PORT=") + silent.path()});
    EXPECT_EQ(env.exitCode, 3) << env.errText().toStdString();
    EXPECT_TRUE(env.errText().contains(silent.path())) << env.errText().toStdString();

    // A port that does not exist.
    const RunResult none = RunCtl(
        {QStringLiteral("--port"), dir.file("no-such-tty"), QStringLiteral("clock")}, dir.path());
    EXPECT_EQ(none.exitCode, 3) << none.errText().toStdString();
}

TEST(CliExit, UsageErrorsAreTwo) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    // The parser's own cases are in test_CliOptions; here the program's
    // exit status and output for a few of each kind, and the checks that
    // only run inside the commands.
    for (const char* line :
         {"", "frobnicate", "--sim read --bogus", "--sim default", "--sim --timeout 0 clock",
          "--sim span --channels 10200", "--sim span --channels 00000",
          "--sim span --channels 10100 --conc 50,*,2.5", "--sim read --history a/b"}) {
        const QStringList args = Words(line);
        const RunResult r = RunCtl(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << "\n"
                                 << r.errText().toStdString();
        EXPECT_FALSE(r.errText().isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    }
    // The changing commands show the window's question.
    const RunResult def = RunCtl(Words("--sim default"), dir.path());
    EXPECT_TRUE(def.errText().contains(QStringLiteral("DEFAULT")));
    EXPECT_TRUE(def.errText().contains(QStringLiteral("--yes")));
    // An invalid suffix is refused before anything is read.
    EXPECT_TRUE(RunCtl(Words("--sim read --history a/b"), dir.path())
                    .errText()
                    .contains(Printed(LoadMessage(kMsgBadFileNameCharacter))));
    // Help is no error.
    const RunResult help = RunCtl({QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.outText().contains(QStringLiteral("dump-list")));
}

TEST(CliJson, ReadGivesTheWholeRecord) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const RunResult r = RunCtl(Words("--sim read --json"), dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    QJsonParseError pe;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &pe).object();
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << r.outText().toStdString();
    EXPECT_EQ(At(o, "command").toString(), QStringLiteral("read"));
    EXPECT_TRUE(At(o, "ok").toBool());
    EXPECT_EQ(At(o, "exitStatus").toInt(), 0);
    EXPECT_EQ(At(o, "record/identity/romNumber").toInt(), 4152);
    EXPECT_EQ(At(o, "record/identity/sum").toString(), QStringLiteral("A5C3"));
    ASSERT_EQ(At(o, "record/channels").toArray().size(), 5);
    EXPECT_EQ(At(o, "record/channels/1/name").toString(), QStringLiteral("O2"));
    EXPECT_DOUBLE_EQ(At(o, "record/channels/1/warning").toDouble(), 19.5);
    EXPECT_DOUBLE_EQ(At(o, "record/channels/1/step").toDouble(), 0.1);
    EXPECT_TRUE(At(o, "record/channels/1/stel").isNull()); // not set
    EXPECT_EQ(At(o, "record/channels/1/calibration/date").toString(),
              QStringLiteral("2025-03-14T10:22:05"));
    // The H2S channel's last bump test failed.
    EXPECT_TRUE(At(o, "record/channels/3/bumpTest/result").isString());
    EXPECT_EQ(At(o, "record/stationList").toArray().size(), 128);
    EXPECT_EQ(At(o, "record/userList/1").toString().trimmed(), QStringLiteral("K. TANAKA"));
    EXPECT_EQ(At(o, "record/gasTables/LI").toArray().size(), 31);
    EXPECT_EQ(At(o, "record/gasTables/LS").toArray().size(), 2);
    EXPECT_EQ(At(o, "record/settings/Intervals").toInt(), 300);
    // The emulator's clock runs 42 s behind the PC.
    EXPECT_NEAR(At(o, "record/clock/differenceSeconds").toDouble(), -42, 3);
    EXPECT_EQ(At(o, "analogValues").toArray().size(), 9);
}

TEST(CliJson, OtherCommandsReportTheirResults) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    const QStringList sim = {kSim, QStringLiteral("--sim-state"), state, kJson};

    const RunResult clock = RunCtl(sim + Words("clock --set"), dir.path());
    ASSERT_EQ(clock.exitCode, 0) << clock.errText().toStdString();
    EXPECT_NEAR(At(clock.json(), "clock/differenceSeconds").toDouble(), 0, 2);
    EXPECT_NEAR(At(ReadJson(state), "clockOffsetSecs").toDouble(), 0, 2);

    const RunResult readings = RunCtl(sim + Words("readings --count 3"), dir.path());
    ASSERT_EQ(readings.exitCode, 0) << readings.errText().toStdString();
    ASSERT_EQ(At(readings.json(), "readings").toArray().size(), 3);
    EXPECT_EQ(At(readings.json(), "readings/0").toArray().size(), 5);
    EXPECT_NEAR(At(readings.json(), "readings/2/1").toDouble(), 20.9, 0.5); // oxygen

    const RunResult zero = RunCtl(sim + Words("zero"), dir.path());
    ASSERT_EQ(zero.exitCode, 0) << zero.errText().toStdString();
    EXPECT_EQ(At(zero.json(), "result").toString().size(), 5);

    const RunResult span =
        RunCtl(sim + Words("span --channels 10010 --conc 50,*,*,30.04,*"), dir.path());
    ASSERT_EQ(span.exitCode, 0) << span.errText().toStdString();
    // The H2S value taken to the channel's resolution of 0.1.
    EXPECT_EQ(At(span.json(), "request").toString(),
              QStringLiteral("10010,   50,*****,*****, 30.0,*****"));
    EXPECT_TRUE(At(span.json(), "channels/3/ok").toBool());
    EXPECT_FALSE(At(span.json(), "channels/1/calibrated").toBool());

    // A span gas value that does not reach the alarm point is refused. The
    // point it must reach is the one the rule compares with: CO's warning
    // point 25, not its alarm point 50.
    const RunResult low =
        RunCtl(sim + Words("span --channels 00100 --conc *,*,20,*,*"), dir.path());
    EXPECT_EQ(low.exitCode, 2) << low.errText().toStdString();
    EXPECT_TRUE(low.errText().contains(QStringLiteral("alarm point 25.")))
        << low.errText().toStdString();

    // The span above is the latest calibration of channel 3 now.
    const RunResult history = RunCtl(sim + Words("history"), dir.path());
    ASSERT_EQ(history.exitCode, 0);
    ASSERT_EQ(At(history.json(), "channels").toArray().size(), 5);
    const QString date = At(history.json(), "channels/3/calibration/date").toString();
    EXPECT_TRUE(date.startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << date.toStdString();
}

TEST(CliCommands, MemoryTransfersAndMaintenance) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    const QStringList sim = {kSim, QStringLiteral("--sim-state"), state};

    const RunResult logger = RunCtl(sim + Words("logger img.dat"), dir.path());
    ASSERT_EQ(logger.exitCode, 0) << logger.errText().toStdString();
    EXPECT_EQ(QFileInfo(dir.file("img.dat")).size(), 524288);

    const RunResult dump = RunCtl(sim + Words("dump-list dump.txt"), dir.path());
    ASSERT_EQ(dump.exitCode, 0) << dump.errText().toStdString();
    const QByteArray list = ReadAll(dir.file("dump.txt"));
    EXPECT_TRUE(list.contains("Adrs   +0")) << list.left(300).toStdString();
    EXPECT_TRUE(list.contains("TQ-7350"));

    // (What the maintenance commands do to the detector: the link tests.)
    const RunResult clear = RunCtl(sim + Words("clear-logger --yes"), dir.path());
    ASSERT_EQ(clear.exitCode, 0) << clear.errText().toStdString();

    const RunResult flash = RunCtl(sim + Words("--json flash-check --yes"), dir.path());
    ASSERT_EQ(flash.exitCode, 0) << flash.errText().toStdString();
    EXPECT_EQ(At(flash.json(), "result").toString(), QStringLiteral("OK"));
    EXPECT_EQ(QFileInfo(dir.file("TQ7350.DAT")).size(), 524288);

    const RunResult def = RunCtl(sim + Words("default --yes"), dir.path());
    ASSERT_EQ(def.exitCode, 0) << def.errText().toStdString();

    const RunResult off = RunCtl(sim + Words("power-off --yes"), dir.path());
    EXPECT_EQ(off.exitCode, 0) << off.errText().toStdString();
}

TEST(CliFiles, HistorySerialLogAndLanguage) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    // A read with a suffix: its line under the header.
    ASSERT_EQ(RunCtl(Words("--sim read --history _x"), dir.path()).exitCode, 0);
    const QList<QByteArray> lines = ReadAll(dir.file("TQ7350_Setting_x.csv")).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.at(1).startsWith("Read,"));

    // The serial log lands in the working folder by default ...
    EXPECT_TRUE(ReadAll(dir.file("SerialLog.log")).contains("W : [STX]0001RC,R,"));
    // ... or in the named file, appended as the window appends it.
    const QByteArray defaultLog = ReadAll(dir.file("SerialLog.log"));
    const RunResult named = RunCtl(Words("--sim --serial-log my.log clock"), dir.path());
    ASSERT_EQ(named.exitCode, 0) << named.errText().toStdString();
    const QByteArray log = ReadAll(dir.file("my.log"));
    EXPECT_TRUE(log.contains("HC,R,")) << log.left(300).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "))
                    .match(QString::fromUtf8(log))
                    .hasMatch());
    EXPECT_EQ(ReadAll(dir.file("SerialLog.log")), defaultLog);

    // Texts in the language asked for.
    const RunResult ja = RunCtl(Words("--sim --lang ja clear-logger"), dir.path());
    EXPECT_EQ(ja.exitCode, 2);
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    const QString question = LoadMessage(kMsgDataClearReady).section(QLatin1Char('\r'), 0, 0);
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_TRUE(ja.errText().contains(question)) << ja.errText().toStdString();
    const RunResult en =
        RunCtl(Words("--sim --lang en clear-logger"), dir.path(), 60000, QStringLiteral("ja"));
    EXPECT_TRUE(en.errText().contains(QStringLiteral("Data clear"))) << en.errText().toStdString();

    // --quiet leaves standard error to the errors.
    const RunResult quiet = RunCtl(Words("--sim --quiet clock"), dir.path());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.err.isEmpty()) << quiet.errText().toStdString();
    EXPECT_TRUE(quiet.outText().contains(QStringLiteral("TQ-7350 Date/Time")));

    // The text summary of a read.
    const RunResult text = RunCtl(Words("--sim read"), dir.path());
    EXPECT_TRUE(text.outText().contains(QStringLiteral("TQ7350-2403-00127")));
    EXPECT_TRUE(text.outText().contains(QStringLiteral("H2S(100.0ppm)")));
    EXPECT_TRUE(text.outText().contains(QStringLiteral("ch6 BATT.")));
}
