#include "workflows/UnfinishedWrite.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "workflows/WriteSupport.h"

namespace UnfinishedWrite {

using workflows::Tone;

std::optional<PendingWrite> Find(uclTqif& link, LinkResult* reason) {
    if (reason)
        *reason = LinkResult::Done;
    if (WriteJournal::All().isEmpty())
        return std::nullopt;
    clsInstrument identity;
    const InstrumentScope scope(link, &identity);
    const LinkResult read =
        link.SendAndWait(CommandSet::ReadCommand(QStringLiteral("IN")), kStatusAwaitingRead);
    if (read != LinkResult::Done) {
        if (reason)
            *reason = read;
        return std::nullopt;
    }
    return WriteJournal::Find(identity.SerialNo());
}

QString Description(const PendingWrite& entry) {
    return LoadMessage(kMsgUnfinishedWriteFound,
                       {entry.Serials.value(0).trimmed(),
                        entry.Started.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"))});
}

Result Resolve(uclTqif& link, const PendingWrite& entry, Action action,
               const workflows::Report& report) {
    Result result;
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }
    const QStringList& commands = action == Action::Finish ? entry.NewCommands : entry.OldCommands;
    report.Progress(LoadMessage(kMsgNowUploading));
    link.setCancel(false);
    result.reason = WriteSupport::WriteAndVerify(link, commands, &result.Differences);
    if (result.reason == LinkResult::Done && result.Differences.isEmpty()) {
        WriteJournal::Remove(entry);
        result.outcome = Outcome::Success;
        report.Line(
            LoadMessage(action == Action::Finish ? kMsgRecoveryDone : kMsgOldValuesRestored),
            Tone::Progress);
        return result;
    }
    if (result.reason == LinkResult::Done) {
        // Stored, but not as chosen: nothing is staged any more, yet the
        // detector does not hold the settings; the entry stays so that the
        // choice is offered again.
        result.reason = LinkResult::Refused;
        report.Line(LoadMessage(kMsgVerifyFailed), Tone::Failure);
        for (const QString& line : result.Differences)
            report.Line(line, Tone::Failure);
    }
    result.outcome = workflows::OutcomeOf(result.reason);
    if (result.outcome == Outcome::Success)
        result.outcome = Outcome::Failed;
    report.Line(LoadMessage(kMsgRecoveryFailed), Tone::Failure);
    return result;
}

} // namespace UnfinishedWrite
