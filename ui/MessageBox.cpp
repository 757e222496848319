#include "ui/MessageBox.h"

#include <QAbstractButton>

namespace {

MsgBoxHandler& Handler() {
    static MsgBoxHandler handler;
    return handler;
}

QMessageBox::StandardButton ShowRealBox(const MsgBoxRequest& request) {
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(request.icon, request.title, text, request.buttons, request.parent);
    for (const auto& [button, caption] : request.buttonTexts) {
        if (QAbstractButton* b = box.button(button))
            b->setText(caption);
    }
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
    MsgBoxRequest request;
    request.parent = parent;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.buttons = buttons;
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
