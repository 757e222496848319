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
    const RunResult r = RunCtl(
        {QStringLiteral("--port"), silent.path(), QStringLiteral("--timeout"), QStringLiteral("1"),
         QStringLiteral("--retry"), QStringLiteral("1"), kJson, QStringLiteral("read")},
        dir.path());
    EXPECT_EQ(r.exitCode, 3) << r.errText().toStdString();
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_TRUE(r.errText().contains(silent.path()));
    EXPECT_EQ(r.json().value(QStringLiteral("exitStatus")).toInt(), 3);
    // The emulator heard the connect probe.
    EXPECT_TRUE(ReadAll(dir.file("SerialLog.log")).contains("RC,R,"));

    // The port named in the environment, as the window takes it.
    const RunResult env = RunCtl(
        {QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("--retry"),
         QStringLiteral("1"), QStringLiteral("clock")},
        dir.path(), 60000, QStringLiteral("en"), {QStringLiteral("TQ7350_PORT=") + silent.path()});
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
    const QList<QStringList> bad = {
        {},
        {QStringLiteral("frobnicate")},
        {kSim, QStringLiteral("read"), QStringLiteral("--bogus")},
        {kSim, QStringLiteral("default")},
        {kSim, QStringLiteral("--timeout"), QStringLiteral("0"), QStringLiteral("clock")},
        {kSim, QStringLiteral("span"), QStringLiteral("--channels"), QStringLiteral("10200")},
        {kSim, QStringLiteral("span"), QStringLiteral("--channels"), QStringLiteral("00000")},
        {kSim, QStringLiteral("span"), QStringLiteral("--channels"), QStringLiteral("10100"),
         QStringLiteral("--conc"), QStringLiteral("50,*,2.5")},
        {kSim, QStringLiteral("read"), QStringLiteral("--history"), QStringLiteral("a/b")},
    };
    for (const QStringList& args : bad) {
        const RunResult r = RunCtl(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << "\n"
                                 << r.errText().toStdString();
        EXPECT_FALSE(r.errText().isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    }
    // The changing commands show the window's question.
    const RunResult def = RunCtl({kSim, QStringLiteral("default")}, dir.path());
    EXPECT_TRUE(def.errText().contains(QStringLiteral("DEFAULT")));
    EXPECT_TRUE(def.errText().contains(QStringLiteral("--yes")));
    // An invalid suffix is refused before anything is read.
    EXPECT_TRUE(
        RunCtl({kSim, QStringLiteral("read"), QStringLiteral("--history"), QStringLiteral("a/b")},
               dir.path())
            .errText()
            .contains(Printed(LoadMessage(kMsgBadFileNameCharacter))));
    // Help is no error.
    const RunResult help = RunCtl({QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.outText().contains(QStringLiteral("dump-list")));
}

TEST(CliExit, RefusedCommandsAreOne) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    SimOnPty sim({QStringLiteral("--refuse"), QStringLiteral("XC,A1"), QStringLiteral("--state"),
                  dir.file("S.json")});
    ASSERT_TRUE(sim.ok());
    const QStringList fast = {QStringLiteral("--port"),    sim.path(),
                              QStringLiteral("--timeout"), QStringLiteral("1"),
                              QStringLiteral("--retry"),   QStringLiteral("1")};
    const RunResult clear = RunCtl(
        fast + QStringList{QStringLiteral("clear-logger"), QStringLiteral("--yes")}, dir.path());
    EXPECT_EQ(clear.exitCode, 1) << clear.errText().toStdString();
    EXPECT_TRUE(clear.errText().contains(Printed(LoadMessage(kMsgDataRemovalFailed))))
        << clear.errText().toStdString();

    // A write whose alarm points the detector refuses fails, and commits
    // nothing.
    // (The file comes from another emulator: this one refuses to tell its
    // alarm points as well.)
    ASSERT_EQ(
        RunCtl({kSim, QStringLiteral("read"), QStringLiteral("--seq"), QStringLiteral("s.seq")},
               dir.path())
            .exitCode,
        0);
    const QByteArray before = ReadAll(dir.file("S.json"));
    const RunResult write =
        RunCtl(fast + QStringList{QStringLiteral("write"), QStringLiteral("s.seq")}, dir.path());
    EXPECT_EQ(write.exitCode, 1) << write.errText().toStdString();
    EXPECT_EQ(ReadAll(dir.file("S.json")), before);
}

TEST(CliJson, ReadGivesTheWholeRecord) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const RunResult r = RunCtl({kSim, QStringLiteral("read"), kJson}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    QJsonParseError pe;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &pe).object();
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << r.outText().toStdString();
    EXPECT_EQ(o.value(QStringLiteral("command")).toString(), QStringLiteral("read"));
    EXPECT_TRUE(o.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(o.value(QStringLiteral("exitStatus")).toInt(), 0);
    const QJsonObject record = o.value(QStringLiteral("record")).toObject();
    const QJsonObject identity = record.value(QStringLiteral("identity")).toObject();
    EXPECT_EQ(identity.value(QStringLiteral("romNumber")).toInt(), 4152);
    EXPECT_EQ(identity.value(QStringLiteral("sum")).toString(), QStringLiteral("A5C3"));

    const QJsonArray channels = record.value(QStringLiteral("channels")).toArray();
    ASSERT_EQ(channels.size(), 5);
    const QJsonObject o2 = channels.at(1).toObject();
    EXPECT_EQ(o2.value(QStringLiteral("name")).toString(), QStringLiteral("O2"));
    EXPECT_DOUBLE_EQ(o2.value(QStringLiteral("warning")).toDouble(), 19.5);
    EXPECT_DOUBLE_EQ(o2.value(QStringLiteral("step")).toDouble(), 0.1);
    EXPECT_TRUE(o2.value(QStringLiteral("stel")).isNull()); // not set
    EXPECT_EQ(
        o2.value(QStringLiteral("calibration")).toObject().value(QStringLiteral("date")).toString(),
        QStringLiteral("2025-03-14T10:22:05"));
    // The H2S channel's last bump test failed.
    EXPECT_TRUE(channels.at(3)
                    .toObject()
                    .value(QStringLiteral("bumpTest"))
                    .toObject()
                    .value(QStringLiteral("result"))
                    .isString());

    EXPECT_EQ(record.value(QStringLiteral("stationList")).toArray().size(), 128);
    EXPECT_EQ(record.value(QStringLiteral("userList")).toArray().at(1).toString().trimmed(),
              QStringLiteral("K. TANAKA"));
    const QJsonObject tables = record.value(QStringLiteral("gasTables")).toObject();
    EXPECT_EQ(tables.value(QStringLiteral("LI")).toArray().size(), 31);
    EXPECT_EQ(tables.value(QStringLiteral("LS")).toArray().size(), 2);
    EXPECT_EQ(record.value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              300);
    // The emulator's clock runs 42 s behind the PC.
    const double diff = record.value(QStringLiteral("clock"))
                            .toObject()
                            .value(QStringLiteral("differenceSeconds"))
                            .toDouble();
    EXPECT_NEAR(diff, -42, 3);
    EXPECT_EQ(o.value(QStringLiteral("analogValues")).toArray().size(), 9);
}

TEST(CliJson, OtherCommandsReportTheirResults) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    const QStringList sim = {kSim, QStringLiteral("--sim-state"), state, kJson};

    const RunResult clock =
        RunCtl(sim + QStringList{QStringLiteral("clock"), QStringLiteral("--set")}, dir.path());
    ASSERT_EQ(clock.exitCode, 0) << clock.errText().toStdString();
    EXPECT_NEAR(clock.json()
                    .value(QStringLiteral("clock"))
                    .toObject()
                    .value(QStringLiteral("differenceSeconds"))
                    .toDouble(),
                0, 2);
    EXPECT_NEAR(ReadJson(state).value(QStringLiteral("clockOffsetSecs")).toDouble(), 0, 2);

    const RunResult readings =
        RunCtl(sim + QStringList{QStringLiteral("readings"), QStringLiteral("--count"),
                                 QStringLiteral("3")},
               dir.path());
    ASSERT_EQ(readings.exitCode, 0) << readings.errText().toStdString();
    const QJsonArray list = readings.json().value(QStringLiteral("readings")).toArray();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).toArray().size(), 5);
    EXPECT_NEAR(list.at(2).toArray().at(1).toDouble(), 20.9, 0.5); // oxygen

    const RunResult zero = RunCtl(sim + QStringList{QStringLiteral("zero")}, dir.path());
    ASSERT_EQ(zero.exitCode, 0) << zero.errText().toStdString();
    EXPECT_EQ(zero.json().value(QStringLiteral("result")).toString().size(), 5);

    const RunResult span =
        RunCtl(sim + QStringList{QStringLiteral("span"), QStringLiteral("--channels"),
                                 QStringLiteral("10010"), QStringLiteral("--conc"),
                                 QStringLiteral("50,*,*,30.04,*")},
               dir.path());
    ASSERT_EQ(span.exitCode, 0) << span.errText().toStdString();
    // The H2S value taken to the channel's resolution of 0.1.
    EXPECT_EQ(span.json().value(QStringLiteral("request")).toString(),
              QStringLiteral("10010,   50,*****,*****, 30.0,*****"));
    const QJsonArray spanChannels = span.json().value(QStringLiteral("channels")).toArray();
    EXPECT_TRUE(spanChannels.at(3).toObject().value(QStringLiteral("ok")).toBool());
    EXPECT_FALSE(spanChannels.at(1).toObject().value(QStringLiteral("calibrated")).toBool());

    // A span gas value that does not reach the alarm point is refused.
    const RunResult low =
        RunCtl(sim + QStringList{QStringLiteral("span"), QStringLiteral("--channels"),
                                 QStringLiteral("00100"), QStringLiteral("--conc"),
                                 QStringLiteral("*,*,20,*,*")},
               dir.path());
    EXPECT_EQ(low.exitCode, 2) << low.errText().toStdString();
    // The point it must reach is the one the rule compares with: CO's
    // warning point 25, not its alarm point 50.
    EXPECT_TRUE(low.errText().contains(QStringLiteral("alarm point 25.")))
        << low.errText().toStdString();

    const RunResult history = RunCtl(sim + QStringList{QStringLiteral("history")}, dir.path());
    ASSERT_EQ(history.exitCode, 0);
    const QJsonArray hist = history.json().value(QStringLiteral("channels")).toArray();
    ASSERT_EQ(hist.size(), 5);
    // The span above is the latest calibration of channel 3 now.
    const QString date = hist.at(3)
                             .toObject()
                             .value(QStringLiteral("calibration"))
                             .toObject()
                             .value(QStringLiteral("date"))
                             .toString();
    EXPECT_TRUE(date.startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << date.toStdString();
}

TEST(CliCommands, MemoryTransfersAndMaintenance) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file("S.json");
    const QStringList sim = {kSim, QStringLiteral("--sim-state"), state};

    const RunResult logger =
        RunCtl(sim + QStringList{QStringLiteral("logger"), QStringLiteral("img.dat")}, dir.path());
    ASSERT_EQ(logger.exitCode, 0) << logger.errText().toStdString();
    EXPECT_EQ(QFileInfo(dir.file("img.dat")).size(), 524288);

    const RunResult dump = RunCtl(
        sim + QStringList{QStringLiteral("dump-list"), QStringLiteral("dump.txt")}, dir.path());
    ASSERT_EQ(dump.exitCode, 0) << dump.errText().toStdString();
    const QByteArray list = ReadAll(dir.file("dump.txt"));
    EXPECT_TRUE(list.contains("Adrs   +0")) << list.left(300).toStdString();
    EXPECT_TRUE(list.contains("TQ-7350"));

    const RunResult clear = RunCtl(
        sim + QStringList{QStringLiteral("clear-logger"), QStringLiteral("--yes")}, dir.path());
    ASSERT_EQ(clear.exitCode, 0) << clear.errText().toStdString();
    EXPECT_EQ(ReadJson(state).value(QStringLiteral("loggerContent")).toString(),
              QStringLiteral("erased"));

    const RunResult flash =
        RunCtl(sim + QStringList{kJson, QStringLiteral("flash-check"), QStringLiteral("--yes")},
               dir.path());
    ASSERT_EQ(flash.exitCode, 0) << flash.errText().toStdString();
    EXPECT_EQ(flash.json().value(QStringLiteral("result")).toString(), QStringLiteral("OK"));
    EXPECT_EQ(QFileInfo(dir.file("TQ7350.DAT")).size(), 524288);

    // Factory defaults bring the changed interval back.
    QJsonObject s = ReadJson(state);
    QJsonObject settings = s.value(QStringLiteral("settings")).toObject();
    settings.insert(QStringLiteral("Intervals"), 900);
    s.insert(QStringLiteral("settings"), settings);
    ASSERT_TRUE(WriteJson(state, s));
    const RunResult def =
        RunCtl(sim + QStringList{QStringLiteral("default"), QStringLiteral("--yes")}, dir.path());
    ASSERT_EQ(def.exitCode, 0) << def.errText().toStdString();
    EXPECT_EQ(ReadJson(state)
                  .value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("Intervals"))
                  .toInt(),
              300);

    const RunResult off =
        RunCtl(sim + QStringList{QStringLiteral("power-off"), QStringLiteral("--yes")}, dir.path());
    EXPECT_EQ(off.exitCode, 0) << off.errText().toStdString();
}

TEST(CliFiles, HistorySerialLogAndLanguage) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    // Two reads with one suffix: one header, two lines.
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(RunCtl({kSim, QStringLiteral("read"), QStringLiteral("--history"),
                          QStringLiteral("_x")},
                         dir.path())
                      .exitCode,
                  0);
    const QList<QByteArray> lines = ReadAll(dir.file("TQ7350_Setting_x.csv")).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.at(1).startsWith("Read,"));
    EXPECT_TRUE(lines.at(2).startsWith("Read,"));

    // The serial log lands in the working folder by default ...
    EXPECT_TRUE(ReadAll(dir.file("SerialLog.log")).contains("W : [STX]0001RC,R,"));
    // ... or in the named file, appended as the window appends it.
    const QByteArray defaultLog = ReadAll(dir.file("SerialLog.log"));
    const RunResult named = RunCtl(
        {kSim, QStringLiteral("--serial-log"), QStringLiteral("my.log"), QStringLiteral("clock")},
        dir.path());
    ASSERT_EQ(named.exitCode, 0) << named.errText().toStdString();
    const QByteArray log = ReadAll(dir.file("my.log"));
    EXPECT_TRUE(log.contains("HC,R,")) << log.left(300).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "))
                    .match(QString::fromUtf8(log))
                    .hasMatch());
    EXPECT_EQ(ReadAll(dir.file("SerialLog.log")), defaultLog);

    // Texts in the language asked for.
    const RunResult ja = RunCtl(
        {kSim, QStringLiteral("--lang"), QStringLiteral("ja"), QStringLiteral("clear-logger")},
        dir.path());
    EXPECT_EQ(ja.exitCode, 2);
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    const QString question = LoadMessage(kMsgDataClearReady).section(QLatin1Char('\r'), 0, 0);
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_TRUE(ja.errText().contains(question)) << ja.errText().toStdString();
    const RunResult en = RunCtl(
        {kSim, QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("clear-logger")},
        dir.path(), 60000, QStringLiteral("ja"));
    EXPECT_TRUE(en.errText().contains(QStringLiteral("Data clear"))) << en.errText().toStdString();

    // --quiet leaves standard error to the errors.
    const RunResult quiet =
        RunCtl({kSim, QStringLiteral("--quiet"), QStringLiteral("clock")}, dir.path());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.err.isEmpty()) << quiet.errText().toStdString();
    EXPECT_TRUE(quiet.outText().contains(QStringLiteral("TQ-7350 Date/Time")));

    // The text summary of a read.
    const RunResult text = RunCtl({kSim, QStringLiteral("read")}, dir.path());
    EXPECT_TRUE(text.outText().contains(QStringLiteral("TQ7350-2403-00127")));
    EXPECT_TRUE(text.outText().contains(QStringLiteral("H2S(100.0ppm)")));
    EXPECT_TRUE(text.outText().contains(QStringLiteral("ch6 BATT.")));
}
