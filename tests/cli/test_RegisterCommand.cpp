// The register from the tool: read, write, span and the clock set record
// exactly their events; list, show, export and certificate; --no-register and the
// environment; a read-only register and two tools writing at once never
// change how the detector work ends.
#include "CliTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStandardPaths>

#include <unistd.h>

using namespace clitest;

namespace {

// The tool against the emulator of `state`, on the register `reg`.
QStringList Sim(const QString& state, const QString& reg, const char* line) {
    return QStringList{QStringLiteral("--sim"), QStringLiteral("--sim-state"), state, reg} +
           Words(line);
}
QStringList On(const QString& reg, const char* line) {
    return QStringList{reg} + Words(line);
}

QStringList Kinds(const QJsonObject& shown) {
    QStringList kinds;
    for (const QJsonValue& v : At(shown, "events").toArray())
        kinds << At(v.toObject(), "kind").toString();
    return kinds;
}

int Count(const QString& text, const QString& what) {
    return int(text.count(what));
}

const QString kNotRecorded = QStringLiteral("Not recorded in the instrument register");

// Runs the tool as the unprivileged user "nobody" when the tests run as root
// (root writes to a read-only file all the same).
RunResult RunCtlAsUser(const QStringList& args, const QString& folder) {
    if (geteuid() != 0)
        return RunCtl(args, folder);
    QProcessEnvironment env = RunEnvironment(folder);
    env.insert(QStringLiteral("HOME"), folder);
    // A copy of the tool in the test's folder: the build folder may lie where
    // that user cannot reach (a checkout under /root).
    const QString program = folder + QStringLiteral("/tq7350ctl");
    QFile::copy(CtlProgram(), program);
    QFile::setPermissions(program,
                          QFile::permissions(CtlProgram()) | QFile::ExeOther | QFile::ReadOther);
    return RunIn(QStringLiteral("setpriv"),
                 QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                             QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
                     args,
                 folder, env);
}

} // namespace

TEST(CliRegister, ReadWriteAndSpanRecordExactlyTheirEvents) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file(QStringLiteral("sim.json"));
    const QString reg = QStringLiteral("--register=") + dir.file(QStringLiteral("reg.sqlite"));

    const RunResult read = RunCtl(Sim(state, reg, "read --seq a.seq --json"), dir.path());
    ASSERT_EQ(read.exitCode, 0) << read.errText().toStdString();
    EXPECT_TRUE(read.json().contains(QStringLiteral("registerEvent")));
    const QString serial = At(read.json(), "record/identity/serialNo").toString().trimmed();
    ASSERT_FALSE(serial.isEmpty());

    // The interval changed in the file, written back.
    const int interval = At(read.json(), "record/settings/Intervals").toInt();
    ASSERT_NE(interval, 600);
    QString file = QString::fromLatin1(ReadAll(dir.file(QStringLiteral("a.seq"))));
    file.replace(QRegularExpression(QStringLiteral("XP,W,[0-9A-F]+")), QStringLiteral("XP,W,0258"));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("b.seq")), file.toLatin1()));
    const RunResult write = RunCtl(Sim(state, reg, "write b.seq"), dir.path());
    ASSERT_EQ(write.exitCode, 0) << write.errText().toStdString();
    const RunResult span = RunCtl(Sim(state, reg, "span --channels 10000 --json"), dir.path());
    ASSERT_EQ(span.exitCode, 0) << span.errText().toStdString();
    const RunResult clock = RunCtl(Sim(state, reg, "clock --set"), dir.path());
    ASSERT_EQ(clock.exitCode, 0) << clock.errText().toStdString();

    const RunResult shown = RunCtl(
        On(reg, "register show") + QStringList{serial, QStringLiteral("--json")}, dir.path());
    ASSERT_EQ(shown.exitCode, 0) << shown.errText().toStdString();
    EXPECT_EQ(Kinds(shown.json()),
              (QStringList{QStringLiteral("read"), QStringLiteral("write"), QStringLiteral("span"),
                           QStringLiteral("maintenance")}));
    EXPECT_EQ(At(shown.json(), "events/3/action").toString(), QStringLiteral("clock-set"));
    const QJsonArray written = At(shown.json(), "events/1/written").toArray();
    ASSERT_EQ(written.size(), 1) << shown.outText().toStdString();
    EXPECT_TRUE(written.at(0).toString().contains(QString::number(interval)));
    EXPECT_TRUE(written.at(0).toString().contains(QStringLiteral("600")));
    EXPECT_TRUE(At(shown.json(), "events/2/channels/0/calibrated").toBool());
    EXPECT_EQ(At(shown.json(), "events/2/channels/0/ok").toBool(),
              At(span.json(), "channels/0/ok").toBool());

    // The list, filtered by due dates, and the CSV.
    const RunResult list = RunCtl(On(reg, "register list --json"), dir.path());
    ASSERT_EQ(list.exitCode, 0);
    ASSERT_EQ(At(list.json(), "detectors").toArray().size(), 1);
    EXPECT_EQ(At(list.json(), "detectors/0/events").toInt(), 4);
    const RunResult due = RunCtl(On(reg, "register list --due-within 36500 --json"), dir.path());
    EXPECT_EQ(At(due.json(), "detectors").toArray().size(),
              At(list.json(), "detectors/0/calibrationDue").isNull() ? 0 : 1);
    const RunResult exported = RunCtl(On(reg, "register export l.csv"), dir.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.errText().toStdString();
    const QList<QByteArray> rows = ReadAll(dir.file(QStringLiteral("l.csv"))).split('\n');
    ASSERT_GE(rows.size(), 2);
    EXPECT_TRUE(rows.at(0).startsWith("Serial No.,"));
    EXPECT_TRUE(rows.at(1).startsWith(serial.toLatin1() + ','));

    // The certificate of the span run.
    const RunResult cert = RunCtl(
        On(reg, "register certificate") + QStringList{serial} + Words("--out c.pdf"), dir.path());
    ASSERT_EQ(cert.exitCode, 0) << cert.errText().toStdString();
    EXPECT_TRUE(ReadAll(dir.file(QStringLiteral("c.pdf"))).startsWith("%PDF-"));
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {dir.file(QStringLiteral("c.pdf")), QStringLiteral("-")});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains(serial));
    }
    // A read is no calibration run.
    const QString readId = QString::number(At(shown.json(), "events/0/id").toInt());
    const RunResult notARun =
        RunCtl(On(reg, "register certificate") +
                   QStringList{serial, QStringLiteral("--run"), readId} + Words("--out x.pdf"),
               dir.path());
    EXPECT_EQ(notARun.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("x.pdf"))));
}

TEST(CliRegister, NoRegisterEnvironmentAndDefault) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString state = dir.file(QStringLiteral("sim.json"));
    const QString defaultRegister = dir.file(QStringLiteral("data/register.sqlite"));
    ASSERT_EQ(RunCtl(Sim(state, QStringLiteral("--no-register"), "read"), dir.path()).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(defaultRegister));
    const QStringList read = {QStringLiteral("--sim"), QStringLiteral("--sim-state"), state,
                              QStringLiteral("read")};
    ASSERT_EQ(RunCtl(read, dir.path(), 60000, QStringLiteral("en"),
                     {QStringLiteral("TQ7350_REGISTER=") + dir.file(QStringLiteral("env.sqlite"))})
                  .exitCode,
              0);
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("env.sqlite"))));
    EXPECT_FALSE(QFileInfo::exists(defaultRegister));
    // The emulator's events go only into a register named explicitly.
    ASSERT_EQ(RunCtl(read, dir.path()).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(defaultRegister));
    // The default register, as the register command finds it.
    ASSERT_EQ(RunCtl(Words("register list"), dir.path()).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(defaultRegister));
    EXPECT_EQ(RunCtl(Words("--no-register register list"), dir.path()).exitCode, 1);
}

TEST(CliRegister, UsageErrors) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    for (const char* line :
         {"register", "register drop", "register show", "register list SN",
          "register certificate SN", "register list --run 3", "register show SN --due-within 7",
          "register list --due-within -1", "read --out x"})
        EXPECT_EQ(RunCtl(Words(line), dir.path()).exitCode, 2) << line;
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("data/register.sqlite"))));
}

TEST(CliRegister, AReadOnlyRegisterLeavesTheReadDoneWithOneWarning) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("reg.sqlite"));
    ASSERT_EQ(
        RunCtl(QStringList{QStringLiteral("--register"), path} + Words("register list"), dir.path())
            .exitCode,
        0);
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    // The folder is the tool's to write in (its serial log, the emulator's
    // state); only the register is not.
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));
    const RunResult r = RunCtlAsUser(Sim(dir.file(QStringLiteral("sim.json")),
                                         QStringLiteral("--register=") + path, "read --json"),
                                     dir.path());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_TRUE(At(r.json(), "ok").toBool());
    EXPECT_EQ(Count(r.errText(), kNotRecorded), 1) << r.errText().toStdString();
    EXPECT_TRUE(At(r.json(), "registerWarning").toString().contains(kNotRecorded));
    EXPECT_FALSE(At(r.json(), "record").toObject().isEmpty());
}

TEST(CliRegister, TwoToolsWritingTheSameRegisterAtOnce) {
    REQUIRE_PROGRAMS();
    testsupport::ScratchDir dir;
    const QString reg = QStringLiteral("--register=") + dir.file(QStringLiteral("reg.sqlite"));
    QList<QProcess*> running;
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        QDir(dir.path()).mkdir(name);
        auto* p = new QProcess;
        p->setProcessEnvironment(RunEnvironment(dir.path()));
        p->setWorkingDirectory(dir.file(name));
        // Each reads its own emulator; a few reads each, all at once.
        p->start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("for i in 1 2 3 4; do \"%1\" --sim %2 read >/dev/null || exit 9; "
                                 "done")
                      .arg(CtlProgram(), reg)});
        running << p;
    }
    for (QProcess* p : running) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0);
        const QString err = QString::fromUtf8(p->readAllStandardError());
        EXPECT_EQ(Count(err, kNotRecorded), 0) << err.toStdString();
        delete p;
    }
    const QJsonObject list = RunCtl(On(reg, "register list --json"), dir.path()).json();
    ASSERT_EQ(At(list, "detectors").toArray().size(), 1); // the emulators are one serial number
    EXPECT_EQ(At(list, "detectors/0/events").toInt(), 12);
}
