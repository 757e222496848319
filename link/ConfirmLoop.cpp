#include "link/ConfirmLoop.h"

#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"

LinkResult ConfirmEvery(uclTqif& link, ResponseContext& ctx, const QString& confirmText,
                        int waitStatus, const ConfirmTiming& timing,
                        const std::function<bool()>& done, const std::function<void()>& eachPause) {
    LinkClock* clock = link.clock();
    auto nowMs = [clock] { return clock ? clock->elapsedMs() : 0; };
    auto end = [&link](LinkResult result) {
        link.setLastResult(result);
        return result;
    };
    const qint64 startMs = nowMs();
    const int lineLosses = link.LineLosses();
    for (;;) {
        // The pause; a cancel ends it at once.
        const qint64 until = nowMs() + qMax<qint64>(0, timing.PollMs);
        const LinkWaiter::Outcome outcome =
            link.waiter().waitWhile([&link] { return !link.Cancel(); }, until);
        if (link.Cancel())
            return end(LinkResult::Cancelled);
        if (outcome == LinkWaiter::Outcome::Refused)
            return end(LinkResult::Busy);
        if (outcome != LinkWaiter::Outcome::Finished)
            return end(LinkResult::TimedOut);
        if (link.LineLosses() != lineLosses)
            return end(LinkResult::LineLost);
        if (nowMs() - startMs > timing.LimitMs)
            return end(LinkResult::GaveUp);
        if (eachPause)
            eachPause();

        ctx.CommitDone = false;
        const LinkResult sent = link.SendAndWait(confirmText, waitStatus);
        link.setCommitDone(ctx.CommitDone);
        if (sent != LinkResult::Done)
            return end(link.Cancel() ? LinkResult::Cancelled : sent);
        if (link.LineLosses() != lineLosses)
            return end(LinkResult::LineLost);
        if (done ? done() : ctx.CommitDone)
            return end(LinkResult::Done);
    }
}
