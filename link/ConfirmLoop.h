// The confirm loop shared by every operation that leaves the detector busy
// for a while (storing settings, clearing memory, switching the sampling
// head, adjusting a zero): pause, ask with the confirm command, and repeat
// until the detector says it has finished.
#pragma once

#include "link/LinkResult.h"

#include <QString>

#include <functional>

class uclTqif;
struct ResponseContext;

struct ConfirmTiming {
    // Pause before every confirm command.
    qint64 PollMs = 5000;
    // Longest the detector may stay busy (counted from the first pause)
    // before the run is given up.
    qint64 LimitMs = 120000;
};

// Repeats: pause timing.PollMs on the link clock (a Cancel ends the pause
// at once), then `eachPause` (when given), then CommitDone = false and send
// `confirmText` with status `waitStatus` and wait. A confirm command that
// fails ends the loop with its reason (Cancelled when the host set Cancel);
// `done()` true ends it with Done; a detector that keeps answering "busy"
// beyond LimitMs ends it with GaveUp; a line that went down during the loop
// (also when it came back during a pause) ends it with LineLost: the
// detector that answers now may not be in the state the loop waits for. `done` defaults to "the
// confirm answer carried ACK" (CommitDone). The result is also left in the link's LastResult().
LinkResult ConfirmEvery(uclTqif& link, ResponseContext& ctx, const QString& confirmText,
                        int waitStatus, const ConfirmTiming& timing,
                        const std::function<bool()>& done = {},
                        const std::function<void()>& eachPause = {});
