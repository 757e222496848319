// The main window and the instrument register: the recorder the window's
// reads, writes and maintenance commands record in, and the button that
// opens the register's window.
#include "ui/main/frmMain.h"

#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "register/RegisterLocation.h"
#include "ui/main/LogPane.h"
#include "ui/register/frmRegister.h"
#include "workflows/RegisterEvents.h"

RegisterEvents::Recorder& frmMain::Register() {
    if (!register_) {
        InstrumentRegister::Location location;
        QString error;
        if (!InstrumentRegister::ChooseLocation(options_.noRegister, options_.registerLocation,
                                                options_.demo, &location, &error)) {
            // Said once; the window works on without a register.
            AddInfo(error, LogPane::Failure());
            location = InstrumentRegister::Location();
        }
        register_ = std::make_unique<RegisterEvents::Recorder>(location);
    }
    return *register_;
}

qint64 frmMain::RecordEvent(const InstrumentRegister::Event& event) {
    RegisterEvents::Recorder& recorder = Register();
    if (!recorder.enabled())
        return 0;
    qint64 id = 0;
    recorder.Record(event, LogReport(), &id);
    if (registerWindow_ && registerWindow_->isVisible())
        registerWindow_->Reload();
    return id;
}

clsInstrument frmMain::EventIdentity() {
    clsInstrument identity = session_.Instrument;
    if (Register().enabled())
        RegisterEvents::Identify(*uclTQ6937, identity);
    return identity;
}

frmRegister* frmMain::RegisterWindow() const {
    return registerWindow_;
}

void frmMain::cmdRegister_Click() {
    if (!registerWindow_) {
        registerWindow_ = new frmRegister(Register(), this);
        registerWindow_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        registerWindow_->Reload();
    }
    registerWindow_->show();
    registerWindow_->raise();
    registerWindow_->activateWindow();
}
