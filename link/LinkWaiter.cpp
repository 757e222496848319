#include "link/LinkWaiter.h"

#include "link/LinkClock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

// Sleeps until the next event, but no longer than `ms`.
void blockForEvent(int ms) {
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(ms);
    QEventLoop loop;
    loop.processEvents(QEventLoop::WaitForMoreEvents);
}

// Passes in a row that must achieve nothing before the queue counts as idle.
// Events posted while posted events are being delivered are only delivered
// on the next pass, hence more than one.
constexpr int kQuietPasses = 2;

} // namespace

LinkWaiter::LinkWaiter(LinkClock* clock) : clock_(clock) {
    fallback_.start();
}

void LinkWaiter::setClock(LinkClock* clock) {
    clock_ = clock;
}

bool LinkWaiter::processPendingOnce(LinkClock* clock) {
    const quint64 before = clock ? clock->activity() : 0;
    bool dispatched = false;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatched = dispatcher->processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
    return dispatched || (clock && clock->activity() != before);
}

void LinkWaiter::settle(LinkClock* clock) {
    int quiet = 0;
    // The bound only protects against an event source that never rests.
    for (int pass = 0; quiet < kQuietPasses && pass < 1000000; ++pass) {
        if (processPendingOnce(clock)) {
            quiet = 0;
        } else if (clock && clock->anyBusy()) {
            blockForEvent(10);
            quiet = 0;
        } else {
            ++quiet;
        }
    }
}

LinkWaiter::Outcome LinkWaiter::waitWhile(const std::function<bool()>& keepWaiting,
                                          qint64 deadlineMs) {
    if (waiting_)
        return Outcome::Refused;
    waiting_ = true;
    Outcome outcome = (clock_ && clock_->isVirtual()) ? waitVirtual(keepWaiting, deadlineMs)
                                                      : waitReal(keepWaiting, deadlineMs);
    waiting_ = false;
    return outcome;
}

LinkWaiter::Outcome LinkWaiter::waitMs(qint64 ms) {
    return waitWhile([] { return true; }, nowMs() + std::max<qint64>(ms, 0));
}

qint64 LinkWaiter::nowMs() const {
    return clock_ ? clock_->elapsedMs() : fallback_.elapsed();
}

LinkWaiter::Outcome LinkWaiter::waitReal(const std::function<bool()>& keepWaiting,
                                         qint64 deadlineMs) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    while (keepWaiting()) {
        if (deadlineMs >= 0) {
            const qint64 left = deadlineMs - nowMs();
            if (left <= 0)
                break;
            if (!deadline.isActive())
                deadline.start(static_cast<int>(std::min<qint64>(left, 1 << 30)));
        }
        // Sleeps until at least one event arrived and was handled.
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return Outcome::Finished;
}

LinkWaiter::Outcome LinkWaiter::waitVirtual(const std::function<bool()>& keepWaiting,
                                            qint64 deadlineMs) {
    auto* clock = static_cast<VirtualLinkClock*>(clock_.data());
    const qint64 start = clock->elapsedMs();
    int quiet = 0;
    while (keepWaiting()) {
        if (deadlineMs >= 0 && clock->elapsedMs() >= deadlineMs)
            break;
        if (processPendingOnce(clock)) {
            quiet = 0;
            continue;
        }
        if (clock->anyBusy()) {
            blockForEvent(10);
            quiet = 0;
            continue;
        }
        if (++quiet < kQuietPasses)
            continue;
        quiet = 0;
        if (clock->elapsedMs() - start >= virtualLimitMs_)
            return Outcome::Abandoned;
        clock->advanceToNextEvent(deadlineMs);
    }
    return Outcome::Finished;
}
