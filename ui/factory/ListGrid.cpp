#include "ui/factory/ListGrid.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "model/clsInstrument.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/factory/EditorText.h"
#include "ui/factory/FileChoice.h"
#include "workflows/ListExchange.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

namespace {

const QColor kInvalid(255, 0, 0);
const QColor kValid(255, 255, 255);
constexpr int kBackspace = 8;
// The entry numbers' column: 400 twips at 15 twips per pixel, or the
// width of "128" when the font needs more.
constexpr int kNumberColumnWidth = 400 / 15;

} // namespace

ListGrid::ListGrid(GridControl* grid, QLabel* spaceCount, ListFile::List list, QWidget* dialog)
    : QObject(grid), grid_(grid), spaceCount_(spaceCount), list_(list), dialog_(dialog) {
    connect(grid_, &GridControl::KeyPressEdit, this, &ListGrid::onKeyPress);
    connect(grid_, &GridControl::AfterEdit, this, &ListGrid::onAfterEdit);
    connect(grid_, &GridControl::EnterCell, this, &ListGrid::onEnterCell);
    connect(grid_, &GridControl::Click, this, &ListGrid::onEnterCell);
    connect(grid_, &GridControl::ChangeEdit, this, [this] {
        if (grid_->Col() == kIdentifierColumn)
            showLeadingBlanks(grid_->EditText());
    });
    connect(grid_, &GridControl::LostFocus, this, &ListGrid::clearLeadingBlanks);
    // The identifier column stays as wide as the grid. A signal rather than
    // an event filter: a filter also sees the events of a grid half destroyed.
    connect(grid_, &GridControl::ViewportResized, this, [this] {
        if (grid_->Cols() > kIdentifierColumn)
            fitIdentifierColumn();
    });
}

void ListGrid::Fill(const clsInstrument& record) {
    grid_->setRows(ListFile::kEntries);
    grid_->setCols(2);
    grid_->setFixedRows(0);
    grid_->setFixedCols(1);
    for (int r = 0; r < ListFile::kEntries; ++r) {
        grid_->setTextMatrix(r, kNumberColumn, QString::number(r + 1));
        grid_->setTextMatrix(r, kIdentifierColumn,
                             list_ == ListFile::List::Station ? record.StationList(r)
                                                              : record.UserList(r));
    }
    grid_->setColAlignment(kNumberColumn, Qt::AlignRight | Qt::AlignVCenter);
    grid_->setColWidth(kNumberColumn, qMax(kNumberColumnWidth, grid_->ContentWidth(kNumberColumn)));
    // What the detector holds is shown as it is (white); typing and imports
    // are checked.
    for (int r = 0; r < ListFile::kEntries; ++r)
        grid_->setCellBackColor(r, kIdentifierColumn, kValid);
    fitIdentifierColumn();
}

QStringList ListGrid::Identifiers() const {
    QStringList out;
    for (int r = 0; r < ListFile::kEntries; ++r)
        out << grid_->TextMatrix(r, kIdentifierColumn);
    return out;
}

bool ListGrid::IsValid() const {
    for (int r = 0; r < grid_->Rows(); ++r) {
        if (grid_->CellBackColor(r, kIdentifierColumn) == kInvalid)
            return false;
    }
    return true;
}

void ListGrid::WriteBack(clsInstrument& record) const {
    ListExchange::ApplyIdentifiers(record, list_, Identifiers());
}

void ListGrid::checkRow(int row) {
    const bool valid = ListFile::IsIdentifierValid(grid_->TextMatrix(row, kIdentifierColumn));
    grid_->setCellBackColor(row, kIdentifierColumn, valid ? kValid : kInvalid);
}

void ListGrid::CheckAllRows() {
    for (int r = 0; r < grid_->Rows(); ++r)
        checkRow(r);
}

void ListGrid::fitIdentifierColumn() {
    // As wide as the rest of the grid, wider when an identifier needs it.
    const int rest = grid_->viewport()->width() - grid_->ColWidth(kNumberColumn);
    grid_->setColWidth(kIdentifierColumn, qMax(rest, grid_->ContentWidth(kIdentifierColumn)));
}

void ListGrid::showLeadingBlanks(const QString& text) {
    if (spaceCount_)
        spaceCount_->setText(LoadMessage(kMsgLeftSpace, {ListFile::LeadingBlanks(text)}));
}

void ListGrid::clearLeadingBlanks() {
    if (spaceCount_)
        spaceCount_->clear();
}

void ListGrid::onEnterCell(int row, int col) {
    if (col == kIdentifierColumn && row >= 0)
        showLeadingBlanks(grid_->TextMatrix(row, col));
    else
        clearLeadingBlanks();
}

void ListGrid::onKeyPress(int, int col, int& key) {
    if (col != kIdentifierColumn || key == kBackspace)
        return;
    const QString after =
        TextAfterKey(grid_->ActiveEditor(), QChar(static_cast<char16_t>(key)), grid_->EditText());
    const bool keyAllowed = list_ == ListFile::List::User || IsTextKeyAllowed(key);
    if (!keyAllowed || after.size() > ListFile::kIdentifierLength) {
        key = 0;
        QApplication::beep();
    }
}

void ListGrid::onAfterEdit(int row, int col) {
    if (col != kIdentifierColumn)
        return;
    if (list_ == ListFile::List::Station)
        checkRow(row);
    if (grid_->Row() == row && grid_->Col() == col)
        showLeadingBlanks(grid_->TextMatrix(row, col));
}

QString ListGrid::fileFilter() const {
    return LoadMessage(kMsgCsvFilter) + QStringLiteral(";;") + LoadMessage(kMsgAllFilesFilter);
}

bool ListGrid::ExportTo(const QString& path, QString* error) const {
    return ListFile::Write(path, Identifiers(), error);
}

bool ListGrid::ImportFrom(const QString& path, clsInstrument& record, QString* error) {
    const ListFile::ReadResult file = ListFile::Read(path);
    if (!file.ok) {
        if (error)
            *error = file.error;
        return false;
    }
    for (int n = 0; n < file.identifiers.size(); ++n) {
        grid_->setTextMatrix(n, kIdentifierColumn, file.identifiers.at(n));
        if (list_ == ListFile::List::Station)
            record.setChange_StationList(n, true);
        else
            record.setChange_UserList(n, true);
    }
    CheckAllRows();
    fitIdentifierColumn();
    if (grid_->Col() == kIdentifierColumn && grid_->Row() >= 0)
        showLeadingBlanks(grid_->TextMatrix(grid_->Row(), kIdentifierColumn));
    return true;
}

bool ListGrid::ExportList() {
    if (list_ == ListFile::List::Station && !IsValid()) {
        MsgBox(dialog_, LoadMessage(kMsgImproperData, {ListFile::ListName(list_)}), AppTitle(),
               QMessageBox::Critical);
        return false;
    }
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.parent = dialog_;
    request.filter = fileFilter();
    request.proposedName = ListFile::DefaultFileName(list_);
    const QString path = ChooseFile(request);
    if (path.isEmpty())
        return false;
    QString error;
    if (!ExportTo(path, &error)) {
        MsgBox(dialog_, error, AppTitle(), QMessageBox::Critical);
        return false;
    }
    MsgBox(dialog_, LoadMessage(kMsgExportComplete), AppTitle(), QMessageBox::Information);
    return true;
}

bool ListGrid::ImportList(clsInstrument& record) {
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.parent = dialog_;
    request.filter = fileFilter();
    const QString path = ChooseFile(request);
    if (path.isEmpty())
        return false;
    QString error;
    if (!ImportFrom(path, record, &error)) {
        MsgBox(dialog_, error + QStringLiteral("\r\n") + LoadMessage(kMsgListFileNothingChanged),
               AppTitle(), QMessageBox::Critical);
        return false;
    }
    return true;
}
