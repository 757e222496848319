// The log pane: coloured lines appended at the end, whatever the user has
// clicked or selected.
#include "ui/main/LogPane.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

namespace {

// The colour of the first character of a line.
QColor LineColour(const LogPane& pane, int line) {
    const QTextBlock block = pane.document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::NextCharacter);
    return cursor.charFormat().foreground().color();
}

QString Line(const LogPane& pane, int line) {
    return pane.document()->findBlockByNumber(line).text();
}

} // namespace

TEST(LogPane, EntriesAreLinesInTheirColours) {
    LogPane pane;
    pane.AddInfo(QStringLiteral("TQ-7350 ...Connection Successful."), LogPane::Connected());
    pane.AddInfo(QStringLiteral("Upload"), LogPane::Success());
    pane.AddInfo(QStringLiteral("No Response"), LogPane::Failure());
    EXPECT_EQ(pane.PlainText(), QStringLiteral("TQ-7350 ...Connection Successful.\nUpload\n"
                                               "No Response"));
    EXPECT_EQ(LineColour(pane, 0), QColor(0, 0, 255));
    EXPECT_EQ(LineColour(pane, 1), QColor(0, 192, 0));
    EXPECT_EQ(LineColour(pane, 2), QColor(255, 0, 0));

    // A text ending in the catalogue's line break leaves an empty line.
    pane.AddInfo(QStringLiteral("Complete.\r\n"), LogPane::Success());
    pane.AddInfo(QStringLiteral("next"), LogPane::Message());
    EXPECT_EQ(Line(pane, 3), QStringLiteral("Complete."));
    EXPECT_EQ(Line(pane, 4), QString());
    EXPECT_EQ(Line(pane, 5), QStringLiteral("next"));
    EXPECT_EQ(LineColour(pane, 5), QColor(0, 0, 192));

    pane.ClearLog();
    EXPECT_TRUE(pane.PlainText().isEmpty());
    pane.AddInfo(QStringLiteral("first"), LogPane::DumpList());
    EXPECT_EQ(pane.PlainText(), QStringLiteral("first")); // no empty line on top
    EXPECT_EQ(LineColour(pane, 0), QColor(128, 32, 0));
}

TEST(LogPane, EntriesGoToTheEndWhateverTheUserSelected) {
    LogPane pane;
    pane.resize(300, 120);
    pane.show();
    pane.AddInfo(QStringLiteral("alpha"), LogPane::Success());
    pane.AddInfo(QStringLiteral("beta"), LogPane::Success());

    // The user selects "alp" at the start of the pane.
    QTextCursor selection(pane.document());
    selection.setPosition(0);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    pane.setTextCursor(selection);
    pane.AddInfo(QStringLiteral("gamma"), LogPane::Failure());
    EXPECT_EQ(pane.PlainText(), QStringLiteral("alpha\nbeta\ngamma"));
    EXPECT_EQ(LineColour(pane, 2), QColor(255, 0, 0));
    EXPECT_EQ(LineColour(pane, 0), QColor(0, 192, 0));                  // untouched
    EXPECT_EQ(pane.textCursor().selectedText(), QStringLiteral("alp")); // kept for copying

    // A click in the middle (no selection): the entry still goes to the end
    // and the pane follows it.
    QTextCursor middle(pane.document());
    middle.setPosition(2);
    pane.setTextCursor(middle);
    pane.AddInfo(QStringLiteral("delta"), LogPane::Connected());
    EXPECT_EQ(Line(pane, 3), QStringLiteral("delta"));
    EXPECT_EQ(LineColour(pane, 3), QColor(0, 0, 255));
    EXPECT_EQ(pane.textCursor().position(), pane.document()->characterCount() - 1);
    // The user cannot type into the pane.
    QTest::keyClicks(&pane, QStringLiteral("xyz"));
    EXPECT_EQ(pane.PlainText(), QStringLiteral("alpha\nbeta\ngamma\ndelta"));
}

TEST(LogPane, PackedColoursAndLongLogs) {
    EXPECT_EQ(LogPane::FromPackedRgb(0 + 192 * 256), QColor(0, 192, 0));
    EXPECT_EQ(LogPane::FromPackedRgb(255), QColor(255, 0, 0));
    EXPECT_EQ(LogPane::FromPackedRgb(192 * 65536), QColor(0, 0, 192));
    EXPECT_EQ(LogPane::FromPackedRgb(128 + 32 * 256), QColor(128, 32, 0));

    LogPane pane;
    for (int i = 0; i < LogPane::kMaxLines + 50; ++i)
        pane.AddInfo(QString::number(i), LogPane::Success());
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaxLines);
    // The oldest lines went first.
    EXPECT_EQ(Line(pane, 0), QString::number(50));
}
