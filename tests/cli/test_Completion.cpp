// The bash completion of tq7350ctl (packaging/tq7350ctl.bash): its lists are
// the program's option and command tables, and it completes what stands
// where on the command line.
#include "CliTestSupport.h"

#include "cli/CliOptions.h"
#include "cli/CommandTable.h"

#include <QRegularExpression>
#include <QSet>

using namespace cli;
using namespace clitest;

namespace {

QString Script() {
    return QStringLiteral(TQ_SOURCE_DIR "/packaging/tq7350ctl.bash");
}

QSet<QString> Words(const QString& text) {
    const QStringList list = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return QSet<QString>(list.begin(), list.end());
}

// The value of `name="..."` in the script.
QString Variable(const QString& script, const QString& name) {
    const QRegularExpression line(QStringLiteral("^") + name + QStringLiteral("=\"([^\"]*)\"$"),
                                  QRegularExpression::MultilineOption);
    return line.match(script).captured(1);
}

} // namespace

TEST(Completion, ListsTheOptionsAndCommandsOfTheTables) {
    const QString script = QString::fromUtf8(ReadAll(Script()));
    ASSERT_FALSE(script.isEmpty()) << Script().toStdString();

    QSet<QString> global, valued;
    for (const OptionSpec& option : Options()) {
        for (const QString& name : option.names) {
            if (!option.ofCommand)
                global << name;
            if (option.takesValue)
                valued << name;
        }
    }
    EXPECT_EQ(Words(Variable(script, QStringLiteral("_tq7350ctl_global_options"))), global);
    EXPECT_EQ(Words(Variable(script, QStringLiteral("_tq7350ctl_value_options"))), valued);

    QStringList commands, fileCommands;
    for (const CommandSpec& command : Commands()) {
        commands << QLatin1String(command.name);
        if (command.takesFile)
            fileCommands << QLatin1String(command.name);
    }
    EXPECT_EQ(Variable(script, QStringLiteral("_tq7350ctl_commands")), commands.join(' '));
    EXPECT_EQ(Variable(script, QStringLiteral("_tq7350ctl_file_commands")), fileCommands.join(' '));

    // Each command's own options: the lines "name | name) echo "..." ;;".
    QMap<QString, QSet<QString>> inScript;
    const QRegularExpression row(QStringLiteral("^\\s*([a-z| -]+)\\) echo \"([^\"]*)\" ;;$"),
                                 QRegularExpression::MultilineOption);
    for (auto it = row.globalMatch(script); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        for (const QString& name : m.captured(1).split(QLatin1Char('|')))
            inScript[name.trimmed()] = Words(m.captured(2));
    }
    for (const CommandSpec& command : Commands()) {
        QSet<QString> own;
        for (const OptionSpec& option : Options())
            for (const QString& name : option.names)
                if (option.ofCommand && command.accepts(name))
                    own << name;
        EXPECT_EQ(inScript.value(QLatin1String(command.name)), own) << command.name;
        inScript.remove(QLatin1String(command.name));
    }
    EXPECT_TRUE(inScript.isEmpty()) << inScript.keys().join(' ').toStdString();
}

TEST(Completion, CompletesWhatStandsWhere) {
    // bash-completion's two helpers the script uses, reduced to what the
    // test needs to see: the words, and which files would be offered.
    const QString helpers = QStringLiteral(
        "_init_completion() { COMPREPLY=(); words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD;"
        " cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; }\n"
        "_filedir() { COMPREPLY=(\"<files${1:+ *.$1}>\"); }\n");
    struct Case {
        const char* line; // the words up to the one being completed (last, may be empty)
        const char* expected;
    };
    const Case cases[] = {
        {"tq7350ctl re", "read readings recover register"},
        {"tq7350ctl --port /dev/ttyS9 re", "read readings recover register"},
        {"tq7350ctl --timeout=5 --json cl", "clear-logger clear-power clock"},
        {"tq7350ctl --lang ", "en ja"},
        {"tq7350ctl --timeout ", ""},
        {"tq7350ctl flash-check --y", "--yes"},
        {"tq7350ctl read --y", ""},
        {"tq7350ctl --json --retry 2 clock --se", "--serial-log --set"},
        {"tq7350ctl read --s", "--seq --serial-log --sim --sim-state --socket"},
        {"tq7350ctl read --seq ", "<files *.seq>"},
        {"tq7350ctl write ", "<files *.seq>"},
        {"tq7350ctl --sim logger ", "<files>"},
        {"tq7350ctl --sim clock ", ""},
        {"tq7350ctl --port /tmp/tq7350-no-such-device", "<files>"},
    };
    for (const Case& c : cases) {
        QStringList words = QString::fromLatin1(c.line).split(QLatin1Char(' '));
        QString quoted;
        for (const QString& w : words)
            quoted += QStringLiteral(" '") + w + QLatin1Char('\'');
        const QString program =
            helpers + QStringLiteral("source '") + Script() + QStringLiteral("'\nCOMP_WORDS=(") +
            quoted + QStringLiteral(")\nCOMP_CWORD=") + QString::number(words.size() - 1) +
            QStringLiteral("\n_tq7350ctl\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n"
                           "complete -p tq7350ctl >&2\n");
        QProcess bash;
        bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), program});
        ASSERT_TRUE(bash.waitForFinished(10000)) << c.line;
        const QString err = QString::fromUtf8(bash.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("-F _tq7350ctl tq7350ctl"))) << err.toStdString();
        QStringList got = QString::fromUtf8(bash.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        got.sort();
        EXPECT_EQ(got.join(QLatin1Char(' ')), QString::fromLatin1(c.expected)) << c.line;
    }
}
