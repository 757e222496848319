// Token splitter: the configuration file's set-up (TAB, "'", ";"), the
// corner cases of quotes and comments, the lists and the 256-slot table.
#include "app/clsToken.h"

#include "common/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

clsToken ConfigSplitter() {
    clsToken t;
    t.AddComments(QStringLiteral(";"));
    t.AddDelimiters(QStringLiteral("\t"));
    t.AddStrings(QStringLiteral("'"));
    return t;
}

// The tokens of a split and the slot after them (a comment's text, or empty).
QStringList Split(clsToken& t, const QString& source) {
    t.setSource(source);
    QStringList out;
    for (int i = 0; i <= t.TokenCount(); ++i)
        out << t.Tokens(i);
    return out;
}

} // namespace

// One splitter for all lines, so that each line also shows that the slots of
// the line before were cleared.
TEST(Token, ConfigurationLines) {
    const std::pair<const char*, QStringList> cases[] = {
        {"Font\t'MS UI Gothic'\t9", {"Font", "MS UI Gothic", "9", ""}},
        // Consecutive delimiters give no empty token; a closed quote pair does.
        {"\ta\t\t\tb\t", {"a", "b", ""}},
        {"a\t''\tc", {"a", "", "c", ""}},
        // Quotes protect delimiters and comments; text glued to an opening
        // quote is dropped; an unclosed quote still gives its text.
        {"k\t'a\tb;c'\td", {"k", "a\tb;c", "d", ""}},
        {"k\tab'cd'", {"k", "cd", ""}},
        {"k\t'open text", {"k", "open text", ""}},
        {"k\t'", {"k", ""}},
        // A comment ends the scan; text before it is a token, the rest waits
        // in the slot after the tokens.
        {"; Formats = Name", {" Formats = Name"}},
        {"Timeout\t5;note", {"Timeout", "5", "note"}},
        {"Timeout\t;only a comment", {"Timeout", "only a comment"}},
        {"x", {"x", ""}},
    };
    clsToken t = ConfigSplitter();
    for (const auto& [source, tokens] : cases)
        EXPECT_EQ(Split(t, QString::fromLatin1(source)), tokens) << source;
    EXPECT_EQ(t.Source(), QStringLiteral("x"));
}

// The lists hold ten single characters; entries beyond them are ignored.
TEST(Token, ListsHoldTenSingleCharacterEntries) {
    clsToken t;
    for (int i = 0; i < 12; ++i)
        t.AddDelimiters(QString(QChar('a' + i)));
    EXPECT_EQ(t.Delimiters(9), QStringLiteral("j"));
    EXPECT_EQ(t.Delimiters(10), QString()); // "k" was ignored
    EXPECT_EQ(Split(t, QStringLiteral("1k2a3")), QStringList({"1k2", "3", ""}));
    t.setDelimiters(10, QStringLiteral("x"));
    t.setDelimiters(-1, QStringLiteral("x"));
    EXPECT_EQ(t.Delimiters(-1), QString());
    // Cleared, the list takes entries again from its first slot.
    t.ClearDelimiters();
    t.AddDelimiters(QStringLiteral(","));
    EXPECT_EQ(t.Delimiters(1), QString());
    EXPECT_EQ(Split(t, QStringLiteral("a,b")), QStringList({"a", "b", ""}));
}

TEST(Token, TableOfTwoHundredFiftySixSlotsNeverOverflows) {
    clsToken t = ConfigSplitter();
    QStringList values;
    for (int i = 0; i < 300; ++i)
        values << QString::number(i % 10);
    t.setSource(values.join(QLatin1Char('\t')) + QStringLiteral(";tail"));
    EXPECT_EQ(t.TokenCount(), 256);
    EXPECT_TRUE(t.Overflowed());
    EXPECT_EQ(t.Tokens(255), QStringLiteral("5")); // value 255
    EXPECT_EQ(t.Tokens(256), QString());

    t.setSource(QStringLiteral("a\tb"));
    EXPECT_FALSE(t.Overflowed());

    // Exactly 256 fits.
    t.setSource(values.mid(0, 256).join(QLatin1Char('\t')));
    EXPECT_EQ(t.TokenCount(), 256);
    EXPECT_FALSE(t.Overflowed());

    t.setTokens(256, QStringLiteral("x"));
    EXPECT_EQ(t.Tokens(256), QString());
    t.setTokenCount(1000);
    EXPECT_EQ(t.TokenCount(), 256);
    t.setTokenCount(-5);
    EXPECT_EQ(t.TokenCount(), 0);
}
