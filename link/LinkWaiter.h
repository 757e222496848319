// Waiting for the detector without blocking the program.
//
// A command looks synchronous to its caller: the caller sets the status,
// sends, and waits while the status keeps its value. LinkWaiter runs that
// wait as a nested event loop that sleeps until something happens (bytes
// received, a link tick, a user action) and re-checks the caller's condition
// after each event. It never spins.
//
// With a VirtualLinkClock the waiter also drives time: whenever a pass over
// the event queue leaves nothing to do, it moves the clock to the next tick
// (or to the wait's deadline), so tests run long waits in milliseconds.
//
// Only one wait may be active at a time: a wait started from inside another
// (a second command from an event handler while the first one waits) is
// refused at once.
#pragma once

#include "link/LinkClock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class LinkWaiter {
public:
    enum class Outcome {
        Finished,  // the condition became false (or the deadline passed)
        Refused,   // another wait is active: nothing was waited for
        Abandoned, // virtual clock only: the safety limit of clock time passed
    };

    explicit LinkWaiter(LinkClock* clock = nullptr);

    void setClock(LinkClock* clock);
    LinkClock* clock() const { return clock_; }

    // Waits while `keepWaiting()` returns true, and at most until the clock
    // reaches `deadlineMs` (-1: no deadline). The condition is checked before
    // the first event and after every event.
    Outcome waitWhile(const std::function<bool()>& keepWaiting, qint64 deadlineMs = -1);
    // Waits `ms` milliseconds of clock time, staying responsive.
    Outcome waitMs(qint64 ms);

    bool isWaiting() const { return waiting_; }

    // Virtual clock only: the most clock time one wait may consume before it
    // is abandoned (a wait that nothing can ever end would otherwise run the
    // clock forever). Default one hour.
    void setVirtualLimitMs(qint64 ms) { virtualLimitMs_ = ms; }

    // For the virtual clock: one non-blocking pass over the event queue.
    // True when it achieved something (an event was handled, the link did
    // something, or queued work is still on its way).
    static bool processPendingOnce(LinkClock* clock);
    // Processes pending work until a few passes in a row change nothing.
    static void settle(LinkClock* clock);

private:
    Outcome waitReal(const std::function<bool()>& keepWaiting, qint64 deadlineMs);
    Outcome waitVirtual(const std::function<bool()>& keepWaiting, qint64 deadlineMs);

    qint64 nowMs() const;

    QPointer<LinkClock> clock_;
    QElapsedTimer fallback_; // time base when no link clock is set
    bool waiting_ = false;
    qint64 virtualLimitMs_ = 3600 * 1000;
};
