#include "ui/FontCopy.h"

#include <QApplication>
#include <QWidget>

void CopyFontSpec(const FontSpec& source, QFont& font) {
    font.setBold(source.bold);
    // Character set: nothing to copy (see the header).
    font.setItalic(source.italic);
    if (!source.name.isEmpty())
        font.setFamily(source.name);
    if (source.size > 0)
        font.setPointSizeF(static_cast<qreal>(source.size));
    font.setStrikeOut(source.strikethrough);
    font.setUnderline(source.underline);
    // Weights use the same 1..1000 scale as QFont; 0 means "default" (normal).
    int weight = source.weight <= 0 ? int(QFont::Normal) : int(source.weight);
    if (weight > 1000)
        weight = 1000;
    font.setWeight(static_cast<QFont::Weight>(weight));
}

QFont FontFromSpec(const FontSpec& source) {
    QFont font = QApplication::font();
    CopyFontSpec(source, font);
    return font;
}

void ApplySharedFont(QWidget* window, const FontSpec& source) {
    if (!window)
        return;
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        QFont font = control->font();
        CopyFontSpec(source, font);
        control->setFont(font);
    }
}
