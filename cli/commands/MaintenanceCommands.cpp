// default, clear-logger, clear-power and power-off: the maintenance commands
// of the window, through the MaintenanceCommand workflow. They need --yes
// (the command table holds their questions).
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "model/clsInstrument.h"
#include "workflows/MaintenanceCommand.h"

namespace cli {

namespace {

// What the window shows when no detector answers before these commands.
constexpr NoAnswerTexts kNoAnswerDataRemoval{kMsgDataRemovalNoResponse,
                                             kMsgDataRemoveSequenceNoResponse};
constexpr NoAnswerTexts kNoAnswerPowerOff{kMsgPowerOffNoResponse, kNoText};

int RunMaintenance(CommandContext& c, MaintenanceCommand::Kind kind,
                   const NoAnswerTexts& noAnswer) {
    CliSession& s = c.session();
    if (const int status = Connect(c, noAnswer); status != kExitDone)
        return status;
    // Who the detector is, for the register: asked after the command, but
    // before a power-off, which leaves nobody to ask.
    clsInstrument identity = s.record();
    const bool powerOff = kind == MaintenanceCommand::Kind::PowerOff;
    if (powerOff && c.recorder().enabled())
        RegisterEvents::Identify(s.link(), identity);
    const MaintenanceCommand::Result r =
        MaintenanceCommand::Run(s.link(), s.record(), kind, ConsoleReport(c));
    if (!r.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    if (!powerOff && c.recorder().enabled())
        RegisterEvents::Identify(s.link(), identity);
    RecordEvent(c, RegisterEvents::FromMaintenance(identity, kind, r));
    c.out(r.DoneText);
    return kExitDone;
}

} // namespace

int RunDefault(CommandContext& c) {
    return RunMaintenance(c, MaintenanceCommand::Kind::Default, kNoAnswerDataRemoval);
}

int RunClearLogger(CommandContext& c) {
    return RunMaintenance(c, MaintenanceCommand::Kind::ClearLogger, kNoAnswerDataRemoval);
}

int RunClearPower(CommandContext& c) {
    return RunMaintenance(c, MaintenanceCommand::Kind::ClearPower, kNoAnswerDataRemoval);
}

int RunPowerOff(CommandContext& c) {
    return RunMaintenance(c, MaintenanceCommand::Kind::PowerOff, kNoAnswerPowerOff);
}

} // namespace cli
