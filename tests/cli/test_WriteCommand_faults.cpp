// tq7350ctl write as a user meets it when something goes wrong: settings
// files that would reach the detector changed are refused before anything
// is sent; a detector that refuses, never stores or loses its line gives an
// exit status of 1 with the reason and never "Upload Complete."; a write
// killed half-way is found by the next command, which refuses to store
// anything until the write is finished or put back.
#include "CliTestSupport.h"

#include <QElapsedTimer>
#include <QThread>

using namespace clitest;

namespace {

// The settings of an emulator's state file that a settings write carries.
QJsonObject SettingsOf(const QJsonObject& state) {
    QJsonArray channels;
    for (const QJsonValue& v : state.value(QStringLiteral("channels")).toArray()) {
        QJsonObject c = v.toObject();
        QJsonObject kept;
        for (const char* key : {"warning", "alarm", "stel", "twa", "autoCal"})
            kept.insert(QLatin1String(key), c.value(QLatin1String(key)));
        channels.append(kept);
    }
    QJsonObject o;
    o.insert(QStringLiteral("settings"), state.value(QStringLiteral("settings")));
    o.insert(QStringLiteral("channels"), channels);
    o.insert(QStringLiteral("specNo"), state.value(QStringLiteral("specNo")));
    return o;
}

// A folder with an emulator state file and a settings file read from it
// with three settings changed.
struct WriteScene {
    testsupport::ScratchDir dir;
    QString state;
    QByteArray good;
    QByteArray edited;
    QJsonObject before;

    WriteScene() {
        state = dir.file(QStringLiteral("S.json"));
        const RunResult read = RunSimCtl(state, Words("read --seq good.seq"), dir.path());
        EXPECT_EQ(read.exitCode, 0) << read.errText().toStdString();
        good = ReadAll(dir.file(QStringLiteral("good.seq")));
        edited =
            ReplaceLine(ReplaceLine(ReplaceLine(good, "XP", "XP,W,0258"), "BS", "BS,W,SP-EDIT"),
                        "A2", "A2,W,   50, 18.0,   40, 30.0,*****,");
        EXPECT_TRUE(WriteAll(dir.file(QStringLiteral("edited.seq")), edited));
        before = SettingsOf(ReadJson(state));
    }
};

} // namespace

// Each bad file: exit 2, the error names the file (and the line where there
// is one), and the detector's state is as it was.
TEST(CliWriteFaults, FilesThatWouldReachTheDetectorChangedAreRefused) {
    REQUIRE_PROGRAMS();
    WriteScene s;
    ASSERT_FALSE(s.good.isEmpty());
    int a2Line = 0;
    const QList<QByteArray> lines = s.good.split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith("A2,"))
            a2Line = i + 1;
    // One of each kind the tool reports (every kind: tests/records).
    const struct {
        const char* name;
        QByteArray content;
        QString inError;
    } cases[] = {
        {"typo", ReplaceLine(s.good, "A2", "A2,W,   50,  abc,   40, 30.0,*****,"),
         QStringLiteral("bad.seq:%1:").arg(a2Line)},
        {"empty", QByteArray(), QStringLiteral("no settings line")},
        {"NUL in the Spec No.", ReplaceLine(s.good, "BS", QByteArray("BS,W,SP\0X", 9)),
         QStringLiteral("not text")},
    };
    // Nothing reaches the detector, not even the connect probe.
    const QByteArray log = ReadAll(s.dir.file(QStringLiteral("SerialLog.log")));
    ASSERT_FALSE(log.isEmpty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteAll(s.dir.file(QStringLiteral("bad.seq")), c.content));
        const RunResult r = RunSimCtl(s.state, Words("write bad.seq"), s.dir.path());
        EXPECT_EQ(r.exitCode, 2) << r.errText().toStdString();
        EXPECT_TRUE(r.errText().contains(c.inError)) << r.errText().toStdString();
        EXPECT_FALSE(r.outText().contains(QStringLiteral("Upload Complete")));
        EXPECT_EQ(SettingsOf(ReadJson(s.state)), s.before);
        EXPECT_EQ(ReadAll(s.dir.file(QStringLiteral("SerialLog.log"))), log);
    }
    const RunResult missing = RunSimCtl(s.state, Words("write none.seq"), s.dir.path());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.errText().contains(QStringLiteral("none.seq")));

    // A line that is not a setting is skipped with a warning naming it.
    ASSERT_TRUE(WriteAll(s.dir.file(QStringLiteral("extra.seq")), s.edited + "HELLO WORLD\r\n"));
    const RunResult extra = RunSimCtl(s.state, Words("write extra.seq"), s.dir.path());
    EXPECT_EQ(extra.exitCode, 0) << extra.errText().toStdString();
    const int helloLine = int(s.edited.count('\n')) + 1;
    EXPECT_TRUE(extra.errText().contains(QStringLiteral("extra.seq:%1:").arg(helloLine)))
        << extra.errText().toStdString();
}

// A refused command is named, the old values go back, and the write says it
// failed. (A detector that never finishes storing takes the tool two minutes
// to give up; the workflow tests run that case on a virtual clock.)
TEST(CliWriteFaults, ARefusedWriteFailsWithItsReason) {
    REQUIRE_PROGRAMS();
    WriteScene s;
    {
        SimOnPty sim(QStringList{QStringLiteral("--state"), s.state} +
                     Words("--refuse A1:W,XC --commit-polls 0"));
        ASSERT_TRUE(sim.ok());
        const RunResult r = RunCtl(QStringList{QStringLiteral("--port"), sim.path()} +
                                       Words("write edited.seq --json"),
                                   s.dir.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.errText().contains(QStringLiteral("The detector refused A1 (Warning).")))
            << r.errText().toStdString();
        EXPECT_TRUE(r.errText().contains(QStringLiteral("TQ-7350 Upload Failed.")));
        EXPECT_FALSE(r.errText().contains(QStringLiteral("Upload Complete")));
        EXPECT_EQ(At(r.json(), "error").toString(),
                  QStringLiteral("The detector refused A1 (Warning)."));
        EXPECT_TRUE(At(r.json(), "restored").toBool());
        // Any refused command is status 1.
        const RunResult clear =
            RunCtl(QStringList{QStringLiteral("--port"), sim.path()} + Words("clear-logger --yes"),
                   s.dir.path());
        EXPECT_EQ(clear.exitCode, 1) << clear.errText().toStdString();
        EXPECT_TRUE(clear.errText().contains(QStringLiteral("Data Removal Failed")))
            << clear.errText().toStdString();
    }
    EXPECT_EQ(SettingsOf(ReadJson(s.state)), s.before);
}

// The tool killed in the middle of a write at 9600 baud: the next command
// that would store anything (a zero) is refused while the detector may hold
// part of the write, so its committed state stays all old; recover puts the
// old values back, and then the zero runs.
TEST(CliWriteFaults, AWriteKilledHalfWayIsResolvedBeforeAnythingElseStores) {
    REQUIRE_PROGRAMS();
    for (const int killAfterMs : {1200, 2500}) {
        SCOPED_TRACE(killAfterMs);
        WriteScene s;
        SimOnPty sim(QStringList{QStringLiteral("--state"), s.state} +
                     Words("--baud 9600 --commit-polls 0 --zero-polls 0"));
        ASSERT_TRUE(sim.ok());
        const auto on = [&sim](const char* line) {
            return QStringList{QStringLiteral("--port"), sim.path()} + Words(line);
        };
        QProcess writer;
        writer.setProcessEnvironment(RunEnvironment(s.dir.path()));
        writer.setWorkingDirectory(s.dir.path());
        writer.start(CtlProgram(), on("write edited.seq"));
        ASSERT_TRUE(writer.waitForStarted(10000));
        QThread::msleep(killAfterMs);
        writer.kill();
        writer.waitForFinished(5000);

        const RunResult zero = RunCtl(on("zero"), s.dir.path(), 120000);
        const QJsonObject afterZero = SettingsOf(ReadJson(s.state));
        EXPECT_TRUE(afterZero == s.before) << "the zero stored part of the killed write";
        const bool unfinished = zero.errText().contains(QStringLiteral("did not complete"));
        if (unfinished) {
            EXPECT_EQ(zero.exitCode, 1);
            const RunResult recover = RunCtl(on("recover --restore"), s.dir.path(), 120000);
            EXPECT_EQ(recover.exitCode, 0) << recover.errText().toStdString();
            EXPECT_EQ(SettingsOf(ReadJson(s.state)), s.before);
        }
        const RunResult again = RunCtl(on("zero"), s.dir.path(), 120000);
        EXPECT_EQ(again.exitCode, 0) << again.errText().toStdString();
    }
}

// The history line of a write holds the detector's identity, not the
// defaults of an empty record.
TEST(CliWriteFaults, TheHistoryLineOfAWriteHoldsTheDetectorsIdentity) {
    REQUIRE_PROGRAMS();
    WriteScene s;
    const RunResult w = RunSimCtl(s.state, Words("write edited.seq --history _site"), s.dir.path());
    ASSERT_EQ(w.exitCode, 0) << w.errText().toStdString();
    const QByteArray history = ReadAll(s.dir.file(QStringLiteral("TQ7350_Setting_site.csv")));
    const QList<QByteArray> rows = history.split('\n');
    ASSERT_GE(rows.size(), 2);
    const QString line = QString::fromUtf8(rows.at(1));
    const QString serial = At(ReadJson(s.state), "serialNo").toString();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Write,")));
    EXPECT_TRUE(line.contains(serial)) << line.toStdString();
    EXPECT_FALSE(line.contains(QString(20, QLatin1Char('-'))));
    EXPECT_FALSE(line.contains(QStringLiteral("1899/")));
}
