// File dialogs of the program ("Store local file", "Load local file"). Every
// dialog goes through AskFileName() so that a test (or any caller without a
// person at the screen) can answer it by installing a handler; without a
// handler the real modal dialog is shown.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class QWidget;

struct FileDialogRequest {
    enum class Kind {
        Open, // the file must exist
        Save, // the folder must exist; an existing file is replaced only after asking
    };
    QWidget* parent = nullptr;
    Kind kind = Kind::Open;
    QString title;
    QString folder; // where the dialog starts
    // Name filters ("Config Data (*.seq)") and the one selected at first.
    QStringList filters;
    int selectedFilter = 0;
    // Added to a name typed without one when saving ("seq").
    QString defaultSuffix;
};

// The chosen file's full path; empty when the user cancelled.
using FileDialogHandler = std::function<QString(const FileDialogRequest&)>;

QString AskFileName(const FileDialogRequest& request);

// Installs a handler (an empty one brings back the real dialog) and returns
// the one it replaces.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// Installs a handler for the lifetime of the object.
class ScopedFileDialogHandler {
public:
    explicit ScopedFileDialogHandler(FileDialogHandler handler)
        : previous_(SetFileDialogHandler(std::move(handler))) {}
    ~ScopedFileDialogHandler() { SetFileDialogHandler(std::move(previous_)); }
    ScopedFileDialogHandler(const ScopedFileDialogHandler&) = delete;
    ScopedFileDialogHandler& operator=(const ScopedFileDialogHandler&) = delete;

private:
    FileDialogHandler previous_;
};
