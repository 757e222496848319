// The shared font and how windows take it over: every window copies the
// program-wide font onto each of its controls when it loads.
#pragma once

#include "app/AppSettings.h"

#include <QFont>

class QWidget;

// Copies the font description onto `font`, property by property in the order
// bold, character set, italic, name, size, strikethrough, underline, weight.
// The order matters: the weight comes last and so decides boldness when the
// two disagree. An empty name keeps the font's family and a size of zero or
// less keeps its size; the character set has no counterpart in QFont (the
// font engine picks glyphs per script) and is passed over.
void CopyFontSpec(const FontSpec& source, QFont& font);

// A font built from the description on top of the application's default font.
QFont FontFromSpec(const FontSpec& source);

// Applies the copy rule to every control (child widget, at any depth) of
// `window`. Children that are not widgets have no font and are skipped.
void ApplySharedFont(QWidget* window, const FontSpec& source);
