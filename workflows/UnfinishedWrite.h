// A write that did not complete (see WriteSettings.h and
// records/WriteJournal.h): finding it when a program connects to the
// detector, and resolving it by finishing the write or putting the old
// values back. Both end by reading the settings back; the journal entry is
// removed only when the detector holds what was chosen.
#pragma once

#include "records/WriteJournal.h"
#include "workflows/Report.h"

#include <QString>
#include <QStringList>

#include <optional>

class uclTqif;

namespace UnfinishedWrite {

using workflows::Outcome;

// The journal entry of the connected detector, if there is one. Asks the
// detector for its serial number only when the journal holds any entry at
// all. `reason` is the link's when that question failed.
std::optional<PendingWrite> Find(uclTqif& link, LinkResult* reason = nullptr);

enum class Action {
    Finish,  // send the write's commands again, store, read back
    Restore, // send the old values, store, read back
};

struct Result {
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Fields the detector holds otherwise than chosen (after the read-back).
    QStringList Differences;
    bool Success() const { return outcome == Outcome::Success; }
};

Result Resolve(uclTqif& link, const PendingWrite& entry, Action action,
               const workflows::Report& report);

// The user's words for a found entry ("The last write to detector ...").
QString Description(const PendingWrite& entry);

} // namespace UnfinishedWrite
