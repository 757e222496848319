// The confirm loop shared by every operation that leaves the detector busy
// for a while (storing settings, clearing memory, switching the sampling
// head, adjusting a zero): pause, ask with the confirm command, and repeat
// until the detector says it has finished.
#pragma once

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

enum class ConfirmResult {
    Done,      // the detector confirmed
    Failed,    // a confirm command was not answered (or was refused)
    Cancelled, // the host set Cancel during a pause or a confirm
    GaveUp,    // the detector kept answering "busy" beyond LimitMs
};

// Repeats: pause timing.PollMs on the link clock (a Cancel ends the pause
// at once), then `eachPause` (when given), then CommitDone = false and send
// `confirmText` with status `waitStatus` and wait. An answer other than a
// success ends the loop with Failed; `done()` true ends it with Done.
// `done` defaults to "the confirm answer carried ACK" (CommitDone).
ConfirmResult ConfirmEvery(uclTqif& link, ResponseContext& ctx, const QString& confirmText,
                           int waitStatus, const ConfirmTiming& timing,
                           const std::function<bool()>& done = {},
                           const std::function<void()>& eachPause = {});
