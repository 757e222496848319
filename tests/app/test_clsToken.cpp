// Token splitter: the configuration file's set-up (TAB, "'", ";") and the
// corner cases of quotes, comments and the 256-slot table.
#include "app/clsToken.h"

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

} // namespace

TEST(Token, QuotedNameKeepsBlanksAndLosesQuotes) {
    clsToken t = ConfigSplitter();
    t.setSource(QStringLiteral("Font\t'MS UI Gothic'\t9"));
    ASSERT_EQ(t.TokenCount(), 3);
    EXPECT_EQ(t.Tokens(0), QStringLiteral("Font"));
    EXPECT_EQ(t.Tokens(1), QStringLiteral("MS UI Gothic"));
    EXPECT_EQ(t.Tokens(2), QStringLiteral("9"));
    EXPECT_EQ(t.Source(), QStringLiteral("Font\t'MS UI Gothic'\t9"));
    EXPECT_FALSE(t.Overflowed());
}

TEST(Token, EmptyTokensOnlyFromQuotePairs) {
    clsToken t = ConfigSplitter();
    t.setSource(QStringLiteral("\ta\t\t\tb\t"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("b"));

    t.setSource(QStringLiteral("a\t''\tc"));
    ASSERT_EQ(t.TokenCount(), 3);
    EXPECT_EQ(t.Tokens(1), QString());
    EXPECT_EQ(t.Tokens(2), QStringLiteral("c"));
}

TEST(Token, QuotesProtectDelimitersAndComments) {
    clsToken t = ConfigSplitter();
    t.setSource(QStringLiteral("k\t'a\tb;c'\td"));
    ASSERT_EQ(t.TokenCount(), 3);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("a\tb;c"));
    // Text glued to an opening quote is dropped.
    t.setSource(QStringLiteral("k\tab'cd'"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("cd"));
    // An unclosed quote still gives its text; an empty unclosed one gives nothing.
    t.setSource(QStringLiteral("k\t'open text"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("open text"));
    t.setSource(QStringLiteral("k\t'"));
    EXPECT_EQ(t.TokenCount(), 1);
}

TEST(Token, AnyQuoteClosesAnyQuote) {
    clsToken t;
    t.AddDelimiters(QStringLiteral(","));
    t.AddStrings(QStringLiteral("'"));
    t.AddStrings(QStringLiteral("\""));
    t.setSource(QStringLiteral("'a,b\",c"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(0), QStringLiteral("a,b"));
    EXPECT_EQ(t.Tokens(1), QStringLiteral("c"));
}

TEST(Token, CommentStopsScanAndKeepsRestInNextSlot) {
    clsToken t = ConfigSplitter();
    t.setSource(QStringLiteral("; Formats = Name"));
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), QStringLiteral(" Formats = Name"));

    // Text collected before the comment survives as a token.
    t.setSource(QStringLiteral("Timeout\t5;note"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("5"));
    EXPECT_EQ(t.Tokens(2), QStringLiteral("note"));

    t.setSource(QStringLiteral("Timeout\t;only a comment"));
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(1), QStringLiteral("only a comment"));
}

TEST(Token, NewSplitForgetsOlderTokens) {
    clsToken t = ConfigSplitter();
    t.setSource(QStringLiteral("a\tb\tc\td"));
    ASSERT_EQ(t.TokenCount(), 4);
    t.setSource(QStringLiteral("x"));
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(1), QString());
    EXPECT_EQ(t.Tokens(3), QString());
}

TEST(Token, ClassPrecedenceCommentOverQuoteOverDelimiter) {
    clsToken t;
    t.AddDelimiters(QStringLiteral("#"));
    t.AddStrings(QStringLiteral("#"));
    t.setSource(QStringLiteral("a#b c#d"));
    // "#" is a quote here: "a" is dropped, "b c" quoted, "d" trails.
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(0), QStringLiteral("b c"));
    t.AddComments(QStringLiteral("#"));
    t.setSource(QStringLiteral("a#b"));
    ASSERT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(0), QStringLiteral("a"));
    EXPECT_EQ(t.Tokens(1), QStringLiteral("b"));
}

TEST(Token, ListsHoldTenEntriesAndIgnoreLongEntries) {
    clsToken t;
    for (int i = 0; i < 12; ++i)
        t.AddDelimiters(QString(QChar('a' + i)));
    EXPECT_EQ(t.Delimiters(9), QStringLiteral("j"));
    EXPECT_EQ(t.Delimiters(10), QString()); // "k" was ignored
    t.setSource(QStringLiteral("1k2a3"));
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(0), QStringLiteral("1k2"));

    // Writes inside 0..9 store without changing the count; reads beyond the
    // count are empty.
    clsToken u;
    u.AddStrings(QStringLiteral("'"));
    u.setStringRanges(5, QStringLiteral("\""));
    EXPECT_EQ(u.StringRanges(5), QString());
    u.setStringRanges(0, QStringLiteral("\""));
    EXPECT_EQ(u.StringRanges(0), QStringLiteral("\""));
    u.setStringRanges(10, QStringLiteral("x"));
    u.setStringRanges(-1, QStringLiteral("x"));
    EXPECT_EQ(u.StringRanges(-1), QString());

    clsToken w;
    w.AddComments(QStringLiteral(";;")); // two characters never match
    w.AddDelimiters(QStringLiteral(","));
    w.setSource(QStringLiteral("a;;b,c"));
    ASSERT_EQ(w.TokenCount(), 2);
    EXPECT_EQ(w.Tokens(0), QStringLiteral("a;;b"));
    w.ClearDelimiters();
    EXPECT_EQ(w.Delimiters(0), QString());
    w.setSource(QStringLiteral("a,b"));
    EXPECT_EQ(w.TokenCount(), 1);
    w.ClearComments();
    EXPECT_EQ(w.Comments(0), QString());
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
    values = values.mid(0, 256);
    t.setSource(values.join(QLatin1Char('\t')));
    EXPECT_EQ(t.TokenCount(), 256);
    EXPECT_FALSE(t.Overflowed());

    t.setTokens(256, QStringLiteral("x"));
    t.setTokens(-1, QStringLiteral("x"));
    EXPECT_EQ(t.Tokens(256), QString());
    t.setTokens(255, QStringLiteral("last"));
    EXPECT_EQ(t.Tokens(255), QStringLiteral("last"));
    t.setTokenCount(1000);
    EXPECT_EQ(t.TokenCount(), 256);
    t.setTokenCount(-5);
    EXPECT_EQ(t.TokenCount(), 0);
}
