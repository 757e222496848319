// The file dialogs of the factory settings dialog's list exchange. Every
// dialog goes through ChooseFile() so that a test can answer it by installing
// a chooser; without one the platform's dialog is shown.
#pragma once

#include <QString>

#include <functional>
#include <utility>

class QWidget;

struct FileRequest {
    enum class Kind {
        Save, // asks before replacing a file; the folder must exist
        Open, // the file must exist
    };
    Kind kind = Kind::Open;
    QWidget* parent = nullptr;
    QString filter;       // Qt filter text: "Comma separated (*.csv);;All files (*.*)"
    QString proposedName; // Save: the name proposed
};

// The chosen file, or an empty text when the user cancelled.
using FileChooser = std::function<QString(const FileRequest&)>;

QString ChooseFile(const FileRequest& request);

// Installs a chooser (an empty one brings back the real dialog) and returns
// the one it replaces.
FileChooser SetFileChooser(FileChooser chooser);

// Installs a chooser for the lifetime of the object.
class ScopedFileChooser {
public:
    explicit ScopedFileChooser(FileChooser chooser)
        : previous_(SetFileChooser(std::move(chooser))) {}
    ~ScopedFileChooser() { SetFileChooser(std::move(previous_)); }
    ScopedFileChooser(const ScopedFileChooser&) = delete;
    ScopedFileChooser& operator=(const ScopedFileChooser&) = delete;

private:
    FileChooser previous_;
};
