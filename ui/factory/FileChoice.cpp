#include "ui/factory/FileChoice.h"

#include "app/Catalogue.h"

#include <QDir>
#include <QFileDialog>

namespace {

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

} // namespace

QString ChooseFile(const FileRequest& request) {
    const FileChooser chooser = Chooser();
    if (chooser)
        return chooser(request);
    const QString title = AppTitle();
    if (request.kind == FileRequest::Kind::Save)
        return QFileDialog::getSaveFileName(
            request.parent, title, QDir::current().filePath(request.proposedName), request.filter);
    return QFileDialog::getOpenFileName(request.parent, title, QDir::currentPath(), request.filter);
}

FileChooser SetFileChooser(FileChooser chooser) {
    FileChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}
