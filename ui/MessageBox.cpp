#include "ui/MessageBox.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>

namespace {

MsgBoxHandler& Handler() {
    static MsgBoxHandler handler;
    return handler;
}

// The lines a box lists under its text: one row each, at most kListRows
// rows high before it scrolls.
constexpr int kListRows = 14;

void AddList(QMessageBox& box, const QStringList& items) {
    auto* list = new QListWidget(&box);
    list->setObjectName(QStringLiteral("msgBoxItems"));
    list->addItems(items);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    const int rowHeight = qMax(list->sizeHintForRow(0), list->fontMetrics().height());
    list->setMinimumWidth(
        qMin(list->sizeHintForColumn(0) + 4 * list->fontMetrics().averageCharWidth(), 720));
    list->setFixedHeight(rowHeight * qMin(int(items.size()), kListRows) + 2 * list->frameWidth() +
                         4);
    // Under the text, above the buttons.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    int buttonRow = -1;
    for (int i = 0; i < grid->count(); ++i) {
        if (qobject_cast<QDialogButtonBox*>(grid->itemAt(i)->widget())) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            buttonRow = row;
        }
    }
    if (buttonRow < 0)
        return;
    QLayoutItem* buttons = grid->takeAt(grid->indexOf(box.findChild<QDialogButtonBox*>()));
    grid->addWidget(list, buttonRow, 1, 1, grid->columnCount() - 1);
    grid->addItem(buttons, buttonRow + 1, 0, 1, grid->columnCount());
}

QMessageBox::StandardButton ShowRealBox(const MsgBoxRequest& request) {
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(request.icon, request.title, text, request.buttons, request.parent);
    for (const auto& [button, caption] : request.buttonTexts) {
        if (QAbstractButton* b = box.button(button))
            b->setText(caption);
    }
    if (!request.items.isEmpty())
        AddList(box, request.items);
    // The first button is the default one, as on the platform's own boxes.
    for (const auto button : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Retry}) {
        if (request.buttons.testFlag(button)) {
            box.setDefaultButton(button);
            break;
        }
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
    return MsgBox(parent, text, title, icon, buttons, QStringList());
}

QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                   const QStringList& items) {
    MsgBoxRequest request;
    request.parent = parent;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.buttons = buttons;
    request.items = items;
    return MsgBox(request);
}

QMessageBox::StandardButton MsgBox(const MsgBoxRequest& request) {
    // Copy the handler: it may replace itself while it runs.
    const MsgBoxHandler handler = Handler();
    if (handler)
        return handler(request);
    return ShowRealBox(request);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
    MsgBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
