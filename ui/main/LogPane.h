// The log pane of the main window: the user's running record of what the
// program and the detector did, one coloured line per entry.
//
// Entries always go to the end of the text in their own colour, whatever the
// user has clicked or selected in the pane. A user's selection is left alone
// (so text can be copied while entries arrive); otherwise the pane follows the
// newest entry.
#pragma once

#include "workflows/Report.h"

#include <QColor>
#include <QTextEdit>
#include <cstdint>

class LogPane : public QTextEdit {
    Q_OBJECT
public:
    // Colours of the entries.
    static QColor Success() { return QColor(0, 192, 0); }   // progress and success
    static QColor Connected() { return QColor(0, 0, 255); } // link connection success
    static QColor Message() { return QColor(0, 0, 192); }   // detector and link messages
    static QColor Failure() { return QColor(255, 0, 0); }   // failures, port errors
    static QColor DumpList() { return QColor(128, 32, 0); } // dump list start and end
    static QColor Listing() { return QColor(0, 128, 64); }  // the analog value list

    // The colour of a line a workflow reports.
    static QColor ToneColour(workflows::Tone tone);

    // A colour given as a packed red + 256 x green + 65536 x blue value.
    static QColor FromPackedRgb(int32_t colors);

    // The pane keeps at most this many lines; the oldest go first.
    static constexpr int kMaxLines = 20000;

    explicit LogPane(QWidget* parent = nullptr);

    // Appends Info as a new line in the given colour. Line breaks inside the
    // text (CR LF from the catalogue's "~c") start further lines.
    void AddInfo(const QString& Info, const QColor& Colors);
    // Empties the pane (the window initialises it at start and after a
    // power-off).
    void ClearLog();
    // The pane's text as plain text, lines separated by "\n".
    QString PlainText() const { return toPlainText(); }

private:
    bool empty_ = true; // no entry since the last clear
};
