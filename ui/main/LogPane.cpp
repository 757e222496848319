#include "ui/main/LogPane.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

QColor LogPane::FromPackedRgb(int32_t colors) {
    const auto packed = static_cast<uint32_t>(colors);
    return QColor(static_cast<int>(packed & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                  static_cast<int>((packed >> 16) & 0xFF));
}

LogPane::LogPane(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("rtbLog"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setMaximumBlockCount(kMaxLines);
}

void LogPane::AddInfo(const QString& Info, const QColor& Colors) {
    QString text = Info;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // The user's own cursor is never used for writing: entries go to the end.
    const bool userSelection = textCursor().hasSelection();
    QScrollBar* bar = verticalScrollBar();
    const int scrolledTo = bar->value();

    QTextCharFormat format;
    format.setForeground(Colors);
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    if (!empty_)
        end.insertBlock(QTextBlockFormat(), format);
    end.insertText(text, format);
    end.endEditBlock();
    empty_ = false;

    if (userSelection) {
        // Leave the selection and the view where the user put them.
        bar->setValue(scrolledTo);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void LogPane::ClearLog() {
    clear();
    empty_ = true;
}

QColor LogPane::ToneColour(workflows::Tone tone) {
    switch (tone) {
    case workflows::Tone::Progress:
        return Success();
    case workflows::Tone::Failure:
        return Failure();
    case workflows::Tone::Listing:
        return Listing();
    case workflows::Tone::Transfer:
        return DumpList();
    }
    return Success();
}
