#include "ui/FileDialog.h"

#include <QFileDialog>

namespace {

FileDialogHandler& Handler() {
    static FileDialogHandler handler;
    return handler;
}

QString ShowRealDialog(const FileDialogRequest& request) {
    QFileDialog dialog(request.parent, request.title, request.folder);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString AskFileName(const FileDialogRequest& request) {
    // Copy the handler: it may replace itself while it runs.
    const FileDialogHandler handler = Handler();
    if (handler)
        return handler(request);
    return ShowRealDialog(request);
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
    FileDialogHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
