// recover: resolves a write that did not complete (see
// workflows/UnfinishedWrite.h): --finish writes the new values again,
// --restore puts the old ones back; without either it says what is pending.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "model/clsInstrument.h"
#include "workflows/RegisterEvents.h"
#include "workflows/UnfinishedWrite.h"

#include <QJsonArray>

namespace cli {

int RunRecover(CommandContext& c) {
    if (const int status = Connect(c); status != kExitDone)
        return status;
    CliSession& s = c.session();
    LinkResult reason = LinkResult::Done;
    const std::optional<PendingWrite> entry = UnfinishedWrite::Find(s.link(), &reason);
    if (reason != LinkResult::Done) {
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    if (!entry) {
        c.out(LoadMessage(kMsgNoUnfinishedWrite, {s.record().SerialNo().trimmed()}));
        c.result.insert(QStringLiteral("unfinishedWrite"), QJsonValue());
        return kExitDone;
    }
    c.result.insert(QStringLiteral("unfinishedWrite"), entry->Serials.value(0).trimmed());
    c.result.insert(QStringLiteral("started"), entry->Started.toString(Qt::ISODate));
    c.result.insert(QStringLiteral("commands"), int(entry->NewCommands.size()));
    if (!c.inv.finish && !c.inv.restore) {
        c.out(UnfinishedWrite::Description(*entry));
        c.out(LoadMessage(kMsgRecoverChoose));
        return kExitFailed;
    }
    const UnfinishedWrite::Action action =
        c.inv.finish ? UnfinishedWrite::Action::Finish : UnfinishedWrite::Action::Restore;
    const UnfinishedWrite::Result r =
        UnfinishedWrite::Resolve(s.link(), *entry, action, ConsoleReport(c));
    c.result.insert(QStringLiteral("differences"), QJsonArray::fromStringList(r.Differences));
    if (!r.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    clsInstrument identity = s.record();
    if (c.recorder().enabled())
        RegisterEvents::Identify(s.link(), identity);
    RecordEvent(c, RegisterEvents::FromRecovery(identity, *entry, action, r));
    c.out(LoadMessage(action == UnfinishedWrite::Action::Finish ? kMsgRecoveryDone
                                                                : kMsgOldValuesRestored));
    return kExitDone;
}

} // namespace cli
