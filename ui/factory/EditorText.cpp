#include "ui/factory/EditorText.h"

#include <QComboBox>
#include <QLineEdit>

QString TextAfterKey(QWidget* editor, QChar key, const QString& fallback) {
    QLineEdit* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            line = combo->lineEdit();
    }
    if (!line)
        return fallback + key;
    QString text = line->text();
    if (line->hasSelectedText())
        text.replace(line->selectionStart(), line->selectedText().size(), key);
    else
        text.insert(line->cursorPosition(), key);
    return text;
}
