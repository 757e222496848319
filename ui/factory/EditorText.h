// The text a grid editor would hold after a typed key: the selection
// replaced by the key, or the key inserted at the cursor. The key filters of
// the factory settings dialog check that text before the key reaches the
// editor.
#pragma once

#include <QString>

class QWidget;

// `editor` is the grid's open editor (a line edit or an editable combo
// box); without one the key is appended to `fallback`.
QString TextAfterKey(QWidget* editor, QChar key, const QString& fallback);
