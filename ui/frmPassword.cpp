#include "ui/frmPassword.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "ui/FontCopy.h"
#include "ui/MessageBox.h"
#include "ui/frmOpen.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPassword::frmPassword(AppSettings& settings, MainWindowFactory createMainWindow, QWidget* parent)
    : QDialog(parent), settings_(settings), createMainWindow_(std::move(createMainWindow)) {
    setObjectName(QStringLiteral("frmPassword"));
    setModal(false);

    lblPass = new QLabel(this);
    lblPass->setObjectName(QStringLiteral("lblPass"));
    txtPass = new QLineEdit(this);
    txtPass->setObjectName(QStringLiteral("txtPass"));
    txtPass->setEchoMode(QLineEdit::Password);
    lblPass->setBuddy(txtPass);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(8);
    layout->addWidget(lblPass);
    layout->addWidget(txtPass);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmPassword::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPassword::cmdCancel_Click);

    Form_Load();
}

void frmPassword::Form_Load() {
    setWindowTitle(AppTitle());
    cmdOK->setText(LoadMessage(kMsgOk));
    cmdCancel->setText(LoadMessage(kMsgCancel));
    lblPass->setText(LoadMessage(kMsgEnterPassword));
    txtPass->clear();
    ApplySharedFont(this, settings_.SharedFont);

    // Size to the texts in the current language and font, then centre.
    adjustSize();
    const QSize hint = sizeHint();
    setFixedSize(qMax(hint.width(), 340), hint.height());
    CentreOnScreen(this);
    txtPass->setFocus();
}

void frmPassword::cmdOK_Click() {
    // Letter case is ignored; blanks are part of the code.
    if (txtPass->text().toUpper() == settings_.AccessCode.toUpper()) {
        settings_.AccessGranted = true;
        if (createMainWindow_) {
            mainWindow_ = createMainWindow_();
            if (mainWindow_)
                mainWindow_->show();
        }
        close();
        return;
    }
    MsgBox(this, LoadMessage(kMsgIncorrectPassword), LoadMessage(kMsgPassword),
           QMessageBox::Critical);
    txtPass->setFocus();
}

void frmPassword::cmdCancel_Click() {
    close();
}

void frmPassword::reject() {
    close();
}

bool frmPassword::Form_QueryUnload() {
    if (settings_.AccessGranted)
        return true;
    return MsgBox(this, LoadMessage(kMsgEndQuestion), QStringLiteral("TQ-7350"),
                  QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void frmPassword::closeEvent(QCloseEvent* event) {
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    // Accepting the event hides the window; QDialog's own handling would go
    // through reject() and so back here.
    event->accept();
}
