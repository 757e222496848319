// The one version of the three programs: --version of each, the usage texts
// that name the option, and the first line of the serial log.
#include "CliTestSupport.h"

#include "ProgramInfo.h"

#include <QDir>
#include <QRegularExpression>

using namespace clitest;

namespace {

QString Program(const char* name) {
    return QDir(QStringLiteral(TQ_BINARY_DIR)).filePath(QLatin1String(name));
}

// Runs one of the programs in `folder` without a display.
RunResult RunProgram(const char* name, const QStringList& args, const QString& folder,
                     const QString& lang = QStringLiteral("en")) {
    QProcessEnvironment env = RunEnvironment(folder, lang);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return RunIn(Program(name), args, folder, env, 30000);
}

} // namespace

TEST(ProgramVersion, EachProgramPrintsItsNameAndTheOneVersion) {
    struct Case {
        const char* program;
        QStringList args;
    };
    // --version ends the program whatever else the line asks for; the
    // window's needs no display for it.
    const Case cases[] = {
        {"tq7350", {"--version"}},
        {"tq7350", {"--demo", "--version", "--lang", "ja"}},
        {"tq7350ctl", {"--version"}},
        {"tq7350ctl", {"--sim", "read", "--version"}},
        {"tq7350ctl", {"--version", "write", "settings.seq"}},
        {"tq7350-sim", {"--version"}},
        {"tq7350-sim", {"--pty", "--version", "--baud", "abc"}},
    };
    for (const Case& c : cases) {
        const QString what = QLatin1String(c.program) + QLatin1Char(' ') + c.args.join(' ');
        testsupport::ScratchDir dir;
        const RunResult r = RunProgram(c.program, c.args, dir.path());
        ASSERT_TRUE(r.finished) << what.toStdString();
        EXPECT_EQ(r.exitCode, 0) << what.toStdString() << ": " << r.errText().toStdString();
        EXPECT_EQ(r.outText(), QStringLiteral("%1 %2\n").arg(QLatin1String(c.program),
                                                             QLatin1String(kProgramVersion)))
            << what.toStdString();
        // Nothing else happened: no link, no log.
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("SerialLog.log"))))
            << what.toStdString();
    }
}

TEST(ProgramVersion, TheUsageTextsNameTheOption) {
    testsupport::ScratchDir dir;
    // The tool: a second form under the usage line, before the first blank
    // line, in both languages.
    for (const QString& lang : {QStringLiteral("en"), QStringLiteral("ja")}) {
        const RunResult help =
            RunProgram("tq7350ctl", {QStringLiteral("--help")}, dir.path(), lang);
        ASSERT_EQ(help.exitCode, 0) << lang.toStdString();
        const QString usage = help.outText().section(QStringLiteral("\n\n"), 0, 0);
        const QString last = usage.section(QLatin1Char('\n'), -1);
        EXPECT_TRUE(last.startsWith(QStringLiteral("       ")));
        EXPECT_EQ(last.trimmed(), QStringLiteral("tq7350ctl --version")) << usage.toStdString();
        EXPECT_TRUE(usage.startsWith(lang == "en" ? QStringLiteral("Usage: tq7350ctl")
                                                  : QStringLiteral("使い方: tq7350ctl")))
            << usage.toStdString();
    }
    const RunResult window = RunProgram("tq7350", {QStringLiteral("--help")}, dir.path());
    ASSERT_EQ(window.exitCode, 0);
    EXPECT_TRUE(window.outText().contains(QStringLiteral("\n  --version ")));
    const RunResult sim = RunProgram("tq7350-sim", {QStringLiteral("--help")}, dir.path());
    ASSERT_EQ(sim.exitCode, 0);
    EXPECT_TRUE(sim.outText().contains(QStringLiteral("\n  --version ")));
}

TEST(ProgramVersion, EachRunsPartOfTheSerialLogStartsWithIt) {
    testsupport::ScratchDir dir;
    for (int run = 1; run <= 2; ++run) {
        const RunResult r =
            RunProgram("tq7350ctl", {QStringLiteral("--sim"), QStringLiteral("clock")}, dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    }
    const QString log = QString::fromUtf8(ReadAll(dir.file(QStringLiteral("SerialLog.log"))));
    const QString heading = QStringLiteral("tq7350ctl ") + QLatin1String(kProgramVersion);
    const QRegularExpression first(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d ") +
                                   QRegularExpression::escape(heading) + QStringLiteral("\r\n"));
    EXPECT_TRUE(first.match(log).hasMatch()) << log.left(200).toStdString();
    // The log is appended to: the second run starts its part the same way.
    EXPECT_EQ(log.count(QLatin1Char(' ') + heading + QStringLiteral("\r\n")), 2);
}
