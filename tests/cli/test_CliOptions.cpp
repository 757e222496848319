// tq7350ctl's command line, step by step: tokens, the invocation they
// describe, and the checks with the first usage error of a line. Plus the
// agreement of the option table with the command table.
#include "CliTestSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliOptions.h"
#include "cli/CommandTable.h"

#include <QSet>

using namespace cli;

namespace {

QStringList Args(const char* line) {
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The tokens as "name=value" (flags bare), "cmd:" and "arg:" items.
QString Describe(const Tokens& tokens) {
    QStringList items;
    for (const OptionToken& token : tokens.options)
        items << (token.spec->takesValue ? token.name + QLatin1Char('=') + token.value
                                         : token.name);
    if (tokens.command)
        items << QStringLiteral("cmd:") + tokens.commandWord;
    for (const QString& arg : tokens.positionals)
        items << QStringLiteral("arg:") + arg;
    return items.join(QLatin1Char(' '));
}

} // namespace

TEST(CliTokenise, SplitsOptionsCommandAndArguments) {
    struct Case {
        QStringList args;
        const char* tokens;
    };
    const QList<Case> cases = {
        {Args("--json read --seq=a.seq"), "--json --seq=a.seq cmd:read"},
        {Args("read --seq a.seq --history="), "--seq=a.seq --history= cmd:read"},
        // A value option takes the next argument, whatever it looks like.
        {Args("--port --json read"), "--port=--json cmd:read"},
        {Args("--timeout=x=1 clock"), "--timeout=x=1 cmd:clock"},
        {Args("-q logger a.dat b"), "-q cmd:logger arg:a.dat arg:b"},
        // "--" ends the options; a lone "-" is an argument.
        {Args("read -- --json -"), "cmd:read arg:--json arg:-"},
        {Args("-- read"), "cmd:read"},
        {Args("read -"), "cmd:read arg:-"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        const Tokens tokens = Tokenise(c.args);
        ASSERT_TRUE(tokens.ok) << c.args.join(' ').toStdString() << ": "
                               << tokens.error.toStdString();
        EXPECT_EQ(Describe(tokens), QString::fromUtf8(c.tokens)) << c.args.join(' ').toStdString();
    }
}

TEST(CliTokenise, StopsAtTheFirstBadWord) {
    struct Case {
        QStringList args;
        QString error;
    };
    const QList<Case> cases = {
        {Args("frobnicate --bogus"), LoadMessage(kMsgUnknownCommand, {"frobnicate"})},
        {Args("--bogus frobnicate"), LoadMessage(kMsgUnknownOption, {"--bogus"})},
        {Args("read --bogus=1"), LoadMessage(kMsgUnknownOption, {"--bogus"})},
        {Args("read --seq"), LoadMessage(kMsgOptionNeedsValue, {"--seq"})},
        {Args("--json=1 read"), LoadMessage(kMsgBadOptionValue, {"--json", "1"})},
        {Args("- read"), LoadMessage(kMsgUnknownCommand, {"-"})},
    };
    for (const Case& c : cases) {
        const Tokens tokens = Tokenise(c.args);
        EXPECT_FALSE(tokens.ok) << c.args.join(' ').toStdString();
        EXPECT_EQ(tokens.error, c.error) << c.args.join(' ').toStdString();
    }
}

TEST(CliAttachOptions, FillsTheInvocationInTheOrderGiven) {
    const QStringList args = {"--port",      " /dev/ttyUSB0 ", "--timeout", "3",
                              "--timeout=7", "--lang",         " JA",       "-q",
                              "write",       "f.seq",          "--id",      "--serial-no",
                              " ab-1 ",      "--history=",     "--retry",   "2"};
    const Tokens tokens = Tokenise(args);
    ASSERT_TRUE(tokens.ok) << tokens.error.toStdString();
    const Invocation inv = AttachOptions(tokens);
    EXPECT_EQ(inv.command, Command::Write);
    EXPECT_EQ(inv.commandName, QStringLiteral("write"));
    EXPECT_EQ(inv.file, QStringLiteral("f.seq"));
    EXPECT_EQ(inv.transport, TransportChoice::Port);
    EXPECT_EQ(inv.port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(inv.timeout, 7); // the later one wins
    EXPECT_EQ(inv.retry, 2);
    EXPECT_EQ(inv.lang, QStringLiteral("ja"));
    EXPECT_TRUE(inv.quiet);
    EXPECT_FALSE(inv.json);
    EXPECT_TRUE(inv.id);
    EXPECT_EQ(inv.serialNo, QStringLiteral("AB-1"));
    EXPECT_TRUE(inv.historyGiven); // an empty suffix is a suffix
    EXPECT_TRUE(inv.historySuffix.isEmpty());

    // --help wins over the command wherever it stands.
    const Invocation help = AttachOptions(Tokenise(Args("--sim read --help")));
    EXPECT_EQ(help.command, Command::Help);
    EXPECT_EQ(help.transport, TransportChoice::Sim);
}

TEST(CliCheckInvocation, ReportsTheFirstProblem) {
    struct Case {
        QStringList args;
        QString error; // empty: accepted
    };
    const QList<Case> cases = {
        // Each option in the order given: its command first, then its value.
        {Args("clock --count 0"), LoadMessage(kMsgOptionNotForCommand, {"--count", "clock"})},
        {Args("--help --count 0"), LoadMessage(kMsgNoCommand)},
        // A value out of range names the range.
        {Args("--retry 0 --timeout 0 clock"),
         LoadMessage(kMsgBadOptionRange, {"--retry", "0", 1, 20})},
        {Args("--timeout 5 --timeout 61 clock"),
         LoadMessage(kMsgBadOptionRange, {"--timeout", "61", 1, 60})},
        {Args("--lang fr clock"), LoadMessage(kMsgBadOptionValue, {"--lang", "fr"})},
        {Args("readings --count x"), LoadMessage(kMsgBadOptionRange, {"--count", "x", 1, 100000})},
        {Args("write --id --user-id=ab --serial-no= x.seq"),
         LoadMessage(kMsgBadOptionValue, {"--serial-no", ""})},
        {Args("write --id --station-id 12345678901234567 x.seq"),
         LoadMessage(kMsgBadOptionValue, {"--station-id", "12345678901234567"})},
        {Args("ports --yes"), LoadMessage(kMsgOptionNotForCommand, {"--yes", "ports"})},
        // Then the combinations.
        {Args("--sim --port /dev/x --count 0 readings"),
         LoadMessage(kMsgBadOptionRange, {"--count", "0", 1, 100000})},
        {Args("recover --finish --restore"), LoadMessage(kMsgFinishOrRestore)},
        {Args("read --no-verify"), LoadMessage(kMsgOptionNotForCommand, {"--no-verify", "read"})},
        {Args("--sim --port /dev/x clock"), LoadMessage(kMsgOneTransportOnly)},
        {Args("--help --sim-state=s.json --socket a:1"), LoadMessage(kMsgSimStateNeedsSim)},
        {Args("--sim-state s.json clock"), LoadMessage(kMsgSimStateNeedsSim)},
        {Args("--json"), LoadMessage(kMsgNoCommand)},
        {Args("logger"), LoadMessage(kMsgNeedsFileName, {"logger"})},
        {{"dump-list", ""}, LoadMessage(kMsgNeedsFileName, {"dump-list"})},
        {Args("logger a b"), LoadMessage(kMsgUnexpectedArgument, {"b"})},
        {Args("readings extra"), LoadMessage(kMsgUnexpectedArgument, {"extra"})},
        {Args("write --serial-no ABC x.seq"), LoadMessage(kMsgIdOptionNeedsId)},
        {Args("span --conc 1,2,3,4,5"), LoadMessage(kMsgBadChannelFlags)},
        // Accepted lines.
        {Args("--help read extra"), {}},
        {Args("--sim --sim-state s.json default --yes"), {}},
        {Args("--port=/dev/ttyUSB0 readings --count 100000 --json"), {}},
        {Args("write x.seq --id --serial-no ab-1 --station-id st --user-id us"), {}},
        {Args("span --channels 10100"), {}},
    };
    for (const Case& c : cases) {
        const std::string line = c.args.join(' ').toStdString();
        const Tokens tokens = Tokenise(c.args);
        ASSERT_TRUE(tokens.ok) << line << ": " << tokens.error.toStdString();
        QString error;
        const bool ok = CheckInvocation(tokens, AttachOptions(tokens), &error);
        EXPECT_EQ(ok, c.error.isEmpty()) << line << ": " << error.toStdString();
        EXPECT_EQ(error, c.error) << line;
        // ParseCommandLine is the three steps.
        const ParseResult parsed = ParseCommandLine(c.args);
        EXPECT_EQ(parsed.ok, c.error.isEmpty()) << line;
        EXPECT_EQ(parsed.error, c.error) << line;
    }
}

// A command row names only options of the option table that are commands'
// own; each of those is taken by some command; every command is found by its
// name and its value; one that needs --yes has its question.
TEST(CliCommandTable, AgreesWithTheOptionTable) {
    QSet<QString> taken;
    QSet<int> values;
    for (const CommandSpec& spec : Commands()) {
        const QString name = QString::fromLatin1(spec.name);
        EXPECT_EQ(FindCommand(name), &spec) << spec.name;
        EXPECT_EQ(FindCommand(spec.command), &spec) << spec.name;
        EXPECT_FALSE(values.contains(int(spec.command))) << spec.name;
        values << int(spec.command);
        EXPECT_NE(spec.run, nullptr) << spec.name;
        for (const QString& option : spec.options) {
            const OptionSpec* row = FindOption(option);
            ASSERT_NE(row, nullptr) << spec.name << " " << option.toStdString();
            EXPECT_TRUE(row->ofCommand) << spec.name << " " << option.toStdString();
            taken << option;
        }
        if (spec.confirmation.needed) {
            EXPECT_FALSE(spec.confirmation.text().trimmed().isEmpty()) << spec.name;
            EXPECT_TRUE(spec.accepts(QStringLiteral("--yes"))) << spec.name;
            taken << QStringLiteral("--yes");
        } else {
            EXPECT_FALSE(spec.accepts(QStringLiteral("--yes"))) << spec.name;
        }
    }
    for (const OptionSpec& option : Options()) {
        const std::string name = option.names.first().toStdString();
        EXPECT_NE(option.attach, nullptr) << name;
        if (option.ofCommand) {
            EXPECT_TRUE(taken.contains(option.names.first())) << name;
        }
    }
}
