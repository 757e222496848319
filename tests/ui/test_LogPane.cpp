// The log pane: coloured lines appended at the end, whatever the user has
// clicked or selected.
#include "UiTestKit.h"

#include "ui/main/LogPane.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString Line(const LogPane& pane, int line) {
    return pane.document()->findBlockByNumber(line).text();
}

// The colour of the first character of a line.
QColor LineColour(const LogPane& pane, int line) {
    QTextCursor cursor(pane.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::NextCharacter);
    return cursor.charFormat().foreground().color();
}

} // namespace

TEST(LogPane, EntriesAreLinesInTheirColours) {
    LogPane pane;
    const std::pair<QString, QColor> entries[] = {
        {QStringLiteral("Connected"), LogPane::Connected()},
        {QStringLiteral("Upload"), LogPane::Success()},
        {QStringLiteral("No Response"), LogPane::Failure()},
        {QStringLiteral("Complete.\r\n"), LogPane::Message()}, // the catalogue's line break
        {QStringLiteral("next"), LogPane::DumpList()}};
    for (const auto& [text, colour] : entries)
        pane.AddInfo(text, colour);
    EXPECT_EQ(pane.PlainText(),
              QStringLiteral("Connected\nUpload\nNo Response\nComplete.\n\nnext"));
    const QColor colours[] = {QColor(0, 0, 255), QColor(0, 192, 0), QColor(255, 0, 0),
                              QColor(0, 0, 192), QColor(128, 32, 0)};
    for (int i : {0, 1, 2, 3})
        EXPECT_EQ(LineColour(pane, i), colours[i]) << i;
    EXPECT_EQ(LineColour(pane, 5), colours[4]);

    pane.ClearLog();
    pane.AddInfo(QStringLiteral("first"), LogPane::Success());
    EXPECT_EQ(pane.PlainText(), QStringLiteral("first")); // no empty line on top

    // Packed colours are 0x00BBGGRR.
    EXPECT_EQ(LogPane::FromPackedRgb(255), QColor(255, 0, 0));
    EXPECT_EQ(LogPane::FromPackedRgb(128 + 32 * 256 + 192 * 65536), QColor(128, 32, 192));

    // Long logs lose their oldest lines first.
    for (int i = 0; i < LogPane::kMaxLines + 50; ++i)
        pane.AddInfo(QString::number(i), LogPane::Success());
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaxLines);
    EXPECT_EQ(Line(pane, 0), QString::number(50));
}

TEST(LogPane, EntriesGoToTheEndWhateverTheUserSelected) {
    LogPane pane;
    pane.resize(300, 120);
    pane.show();
    pane.AddInfo(QStringLiteral("alpha"), LogPane::Success());
    pane.AddInfo(QStringLiteral("beta"), LogPane::Success());

    // The user selects "alp" at the start of the pane.
    QTextCursor selection(pane.document());
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
    EXPECT_EQ(pane.textCursor().position(), pane.document()->characterCount() - 1);
    // The user cannot type into the pane.
    QTest::keyClicks(&pane, QStringLiteral("xyz"));
    EXPECT_EQ(pane.PlainText(), QStringLiteral("alpha\nbeta\ngamma\ndelta"));
}
