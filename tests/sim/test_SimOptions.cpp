// The emulator program's command line.
#include "sim/SimOptions.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

ParsedSimOptions Parse(QStringList args) {
    args.prepend(QStringLiteral("tq7350-sim"));
    return ParseSimOptions(args);
}

// Long option names in the first column of the options table of
// docs/emulator.md, or of the help text.
QSet<QString> OptionNames(const QString& text, const QString& linePattern) {
    QSet<QString> names;
    const QRegularExpression line(linePattern), name(QStringLiteral("--([a-z][a-z-]*)"));
    for (const QString& l : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch())
            continue;
        for (auto it = name.globalMatch(m.captured(1)); it.hasNext();)
            names.insert(it.next().captured(1));
    }
    names.remove(QStringLiteral("help"));
    names.remove(QStringLiteral("help-all"));
    return names;
}

} // namespace

TEST(SimOptions, DefaultsAndEveryOption) {
    const ParsedSimOptions bare = Parse({QStringLiteral("--pty")});
    ASSERT_TRUE(bare.options) << bare.error.toStdString();
    const SimOptions& d = *bare.options;
    EXPECT_EQ(d.action, SimOptions::Action::Serve);
    EXPECT_TRUE(d.pty);
    EXPECT_EQ(QList<int>({d.commitPolls, d.zeroPolls, d.seed, d.restartAfterMs, d.faults.baud}),
              QList<int>({2, 2, 7350, 5000, 0}));
    EXPECT_FALSE(d.faults.silent);
    EXPECT_TRUE(d.linkPath.isEmpty());

    const ParsedSimOptions all = Parse(
        QStringLiteral("--tcp 7350 --state s.json -v --baud 9600 --delay 50 --drop-every 3 "
                       "--bare-cr-every 4 --truncate-every 5 --garble-every 6 --wrong-model XX-1 "
                       "--refuse a1,,gj --refuse XS --drop-line-after 7 --never-commit --silent "
                       "--calib-fail 31 --commit-polls 0 --zero-polls 9 --seed 0 "
                       "--restart-after 0")
            .split(QLatin1Char(' ')));
    ASSERT_TRUE(all.options) << all.error.toStdString();
    const SimOptions& o = *all.options;
    EXPECT_FALSE(o.pty);
    EXPECT_EQ(o.tcpPort, 7350);
    EXPECT_EQ(o.statePath, QStringLiteral("s.json"));
    EXPECT_TRUE(o.verbose);
    const SimFaults& f = o.faults;
    EXPECT_EQ(QList<int>({f.baud, f.delayMs, f.dropEveryN, f.bareCrEveryN, f.truncateEveryN,
                          f.garbleEveryN, f.dropLineAfterN, f.calibFailMask}),
              QList<int>({9600, 50, 3, 4, 5, 6, 7, 31}));
    EXPECT_EQ(f.wrongModel, QStringLiteral("XX-1"));
    EXPECT_EQ(f.refuseCodes, QStringList({"A1", "GJ", "XS"}));
    EXPECT_TRUE(f.neverCommit);
    EXPECT_TRUE(f.silent);
    EXPECT_EQ(QList<int>({o.commitPolls, o.zeroPolls, o.seed, o.restartAfterMs}),
              QList<int>({0, 9, 0, 0}));
}

TEST(SimOptions, WholeNumbersOutsideTheirRangeNameTheOptionAndTheRange) {
    struct Range {
        const char* name;
        qint64 lo, hi;
    };
    // One check serves every whole-number option; a few of them: the widest
    // range, a narrow one, and --tcp, which stands in for --pty.
    const Range ranges[] = {
        {"seed", 0, 2147483647},
        {"calib-fail", 0, 31},
        {"tcp", 0, 65535},
    };
    for (const Range& r : ranges) {
        const QString opt = QStringLiteral("--%1").arg(QLatin1String(r.name));
        // The --tcp checks need --pty away, the others need one of them.
        const QStringList mode = QLatin1String(r.name) == QLatin1String("tcp")
                                     ? QStringList()
                                     : QStringList{QStringLiteral("--pty")};
        for (qint64 ok : {r.lo, r.hi})
            EXPECT_TRUE(Parse(mode + QStringList{opt, QString::number(ok)}).options)
                << r.name << " " << ok;
        const QString expected =
            QStringLiteral("%1 needs a whole number from %2 to %3").arg(opt).arg(r.lo).arg(r.hi);
        for (const QString& bad : {QString::number(r.lo - 1), QString::number(r.hi + 1),
                                   QStringLiteral("12x"), QStringLiteral("")}) {
            const ParsedSimOptions p = Parse(mode + QStringList{opt, bad});
            EXPECT_FALSE(p.options) << r.name << " " << bad.toStdString();
            EXPECT_EQ(p.error, expected) << bad.toStdString();
            EXPECT_EQ(p.exitCode, kSimExitBadValue);
        }
    }
}

TEST(SimOptions, RefusedCommandLines) {
    struct Case {
        QStringList args;
        QString error;
        int exitCode;
    };
    const QString oneOf = QStringLiteral("give exactly one of --pty and --tcp PORT");
    const Case cases[] = {
        {{"--pty", "--bogus"}, "Unknown option 'bogus'.", kSimExitFailure},
        {{"--pty", "-x"}, "Unknown option 'x'.", kSimExitFailure},
        {{"--pty", "--baud"}, "Missing value after '--baud'.", kSimExitFailure},
        {{}, oneOf, kSimExitBadValue},
        {{"-v", "--state", "s.json"}, oneOf, kSimExitBadValue},
        {{"--pty", "--tcp", "0"}, oneOf, kSimExitBadValue},
        {{"--pty", "--link", ""}, "--link needs a path", kSimExitBadValue},
        // An unknown option is refused even beside an option that ends the program.
        {{"--print-defaults", "--bogus"}, "Unknown option 'bogus'.", kSimExitFailure},
    };
    for (const Case& c : cases) {
        const ParsedSimOptions p = Parse(c.args);
        EXPECT_FALSE(p.options) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.error, c.error) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode, c.exitCode) << c.args.join(' ').toStdString();
    }
}

TEST(SimOptions, ActionsThatEndTheProgramAtOnce) {
    const ParsedSimOptions image =
        Parse({QStringLiteral("--write-check-image"), QStringLiteral("/tmp/c.dat"),
               QStringLiteral("--baud"), QStringLiteral("abc")});
    ASSERT_TRUE(image.options);
    EXPECT_EQ(image.options->action, SimOptions::Action::WriteCheckImage);
    EXPECT_EQ(image.options->checkImagePath, QStringLiteral("/tmp/c.dat"));
    const ParsedSimOptions defaults = Parse({QStringLiteral("--print-defaults")});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->action, SimOptions::Action::PrintDefaults);
    for (const char* h : {"--help", "-h", "--help-all"}) {
        const ParsedSimOptions help = Parse({QLatin1String(h)});
        ASSERT_TRUE(help.options) << h;
        EXPECT_EQ(help.options->action, SimOptions::Action::Help);
        EXPECT_TRUE(help.options->helpText.contains(QLatin1String("--drop-line-after <N>")));
    }
}

TEST(SimOptions, HelpAndTheDocumentationListTheSameOptions) {
    const ParsedSimOptions help = Parse({QStringLiteral("--help")});
    ASSERT_TRUE(help.options);
    const QSet<QString> inHelp =
        OptionNames(help.options->helpText, QStringLiteral("^  ((-\\w, )?--[a-z-]+)"));
    QFile doc(QStringLiteral(TQ_SOURCE_DIR "/docs/emulator.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QSet<QString> inDoc = OptionNames(QString::fromUtf8(doc.readAll()),
                                            QStringLiteral("^\\| ((`-\\w`, )?`--[^|]*)\\|"));
    EXPECT_TRUE(inHelp.contains(QStringLiteral("pty")));
    EXPECT_TRUE(inHelp.contains(QStringLiteral("verbose")));
    EXPECT_TRUE(inHelp.contains(QStringLiteral("print-defaults")));
    EXPECT_EQ(inHelp, inDoc);
}
