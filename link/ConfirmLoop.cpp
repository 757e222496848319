#include "link/ConfirmLoop.h"

#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/ReadSequence.h"
#include "link/uclTqif.h"

ConfirmResult ConfirmEvery(uclTqif& link, ResponseContext& ctx, const QString& confirmText,
                           int waitStatus, const ConfirmTiming& timing,
                           const std::function<bool()>& done,
                           const std::function<void()>& eachPause) {
    LinkClock* clock = link.clock();
    auto nowMs = [clock] { return clock ? clock->elapsedMs() : 0; };
    const qint64 startMs = nowMs();
    for (;;) {
        // The pause; a cancel ends it at once.
        const qint64 until = nowMs() + qMax<qint64>(0, timing.PollMs);
        const LinkWaiter::Outcome outcome =
            link.waiter().waitWhile([&link] { return !link.Cancel(); }, until);
        if (link.Cancel())
            return ConfirmResult::Cancelled;
        if (outcome != LinkWaiter::Outcome::Finished)
            return ConfirmResult::Failed;
        if (nowMs() - startMs > timing.LimitMs)
            return ConfirmResult::GaveUp;
        if (eachPause)
            eachPause();

        ctx.CommitDone = false;
        const int status = RunCommand(link, confirmText, waitStatus);
        link.setCommitDone(ctx.CommitDone);
        if (status != 6)
            return link.Cancel() ? ConfirmResult::Cancelled : ConfirmResult::Failed;
        if (done ? done() : ctx.CommitDone)
            return ConfirmResult::Done;
    }
}
