// The main window's side of a write that did not complete: found when the
// detector connects, resolved at the user's choice (workflows/UnfinishedWrite).
#include "ui/main/frmMain.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/uclTqif.h"
#include "ui/MessageBox.h"
#include "ui/main/LogPane.h"
#include "workflows/RegisterEvents.h"
#include "workflows/UnfinishedWrite.h"

#include <QApplication>

void frmMain::CheckUnfinishedWrite() {
    if (!uclTQ6937->Connected() || uclTQ6937->IsBusy())
        return;
    const std::optional<PendingWrite> entry = UnfinishedWrite::Find(*uclTQ6937);
    if (!entry)
        return;
    const QString description = UnfinishedWrite::Description(*entry);
    AddInfo(description, LogPane::Failure());

    MsgBoxRequest question;
    question.parent = this;
    question.text =
        description + QStringLiteral("\r\n\r\n") + LoadMessage(kMsgUnfinishedWriteQuestion);
    question.title = AppTitle();
    question.icon = QMessageBox::Warning;
    question.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    question.buttonTexts = {{QMessageBox::Yes, LoadMessage(kMsgFinishWrite)},
                            {QMessageBox::No, LoadMessage(kMsgRestoreOldValues)},
                            {QMessageBox::Cancel, LoadMessage(kMsgDecideLater)}};
    const QMessageBox::StandardButton answer = MsgBox(question);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) {
        AddInfo(LoadMessage(kMsgRecoveryNeeded, {entry->Serials.value(0).trimmed()}),
                LogPane::Failure());
        return;
    }
    const UnfinishedWrite::Action action = answer == QMessageBox::Yes
                                               ? UnfinishedWrite::Action::Finish
                                               : UnfinishedWrite::Action::Restore;
    ShowUpload(2, LoadMessage(kMsgUpload));
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const UnfinishedWrite::Result result =
        UnfinishedWrite::Resolve(*uclTQ6937, *entry, action, LogReport());
    QApplication::restoreOverrideCursor();
    CloseUpload();
    setEnabled(true);
    if (result.Success()) {
        RecordEvent(RegisterEvents::FromRecovery(EventIdentity(), *entry, action, result));
        MsgBox(this,
               LoadMessage(action == UnfinishedWrite::Action::Finish ? kMsgRecoveryDone
                                                                     : kMsgOldValuesRestored),
               AppTitle(), QMessageBox::Information);
    }
}
