// The one time source of the instrument link: the 100 ms link tick (connect
// polling, answer time-outs, keep-alive) and the elapsed time used by every
// wait of the link and of the sequences built on it.
//
// RealLinkClock runs on a QTimer and a QElapsedTimer. VirtualLinkClock is for
// tests: its time only moves when told to, or when a waiting caller has
// nothing else to do (see LinkWaiter), so a wait that spans minutes of link
// time finishes in milliseconds.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class LinkClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    explicit LinkClock(QObject* parent = nullptr) : QObject(parent) {}

    // Milliseconds since the clock was created (monotonic).
    virtual qint64 elapsedMs() const = 0;
    // True for a clock that tests drive by hand.
    virtual bool isVirtual() const { return false; }
    // Runs `fn` once after `ms` milliseconds of this clock's time (a pacing
    // or delay of a peer in a test goes through here, so that it keeps step
    // with the link's ticks).
    virtual void singleShot(qint64 ms, std::function<void()> fn) = 0;

    // Work that is on its way but not yet visible as an event (bytes queued
    // in an in-memory transport, a socket still flushing). A virtual clock
    // does not move while any check answers true. The id removes it again.
    int addBusyCheck(std::function<bool()> check);
    void removeBusyCheck(int id);
    bool anyBusy() const;

    // Counts anything the link did (bytes in or out, a status change). A
    // waiter compares the count before and after a pass over the event queue
    // to see whether that pass achieved something.
    void noteActivity() { ++activity_; }
    quint64 activity() const { return activity_; }

signals:
    // One link tick (every kTickMs of clock time).
    void tick();

private:
    struct BusyCheck {
        int id;
        std::function<bool()> check;
    };
    std::vector<BusyCheck> busyChecks_;
    int nextBusyId_ = 1;
    quint64 activity_ = 0;
};

// Wall-clock time: a 100 ms QTimer for the tick and a QElapsedTimer.
class RealLinkClock : public LinkClock {
    Q_OBJECT
public:
    explicit RealLinkClock(QObject* parent = nullptr);
    qint64 elapsedMs() const override { return elapsed_.elapsed(); }
    void singleShot(qint64 ms, std::function<void()> fn) override;

private:
    QTimer timer_;
    QElapsedTimer elapsed_;
};

// Hand-driven time for tests. Nothing happens until advance...() is called,
// either by the test itself or by a LinkWaiter that found nothing else to do.
class VirtualLinkClock : public LinkClock {
    Q_OBJECT
public:
    explicit VirtualLinkClock(QObject* parent = nullptr) : LinkClock(parent) {}

    qint64 elapsedMs() const override { return now_; }
    bool isVirtual() const override { return true; }
    void singleShot(qint64 ms, std::function<void()> fn) override;

    // Time of the next tick.
    qint64 nextTickMs() const { return nextTick_; }
    // Callbacks of singleShot() not yet run.
    int pendingCallbacks() const { return int(callbacks_.size()); }

    // Moves time forward to `ms` (never backwards), raising one tick for every
    // tick time passed and running the callbacks that fall due, in time
    // order. Events that they cause are not processed here.
    void advanceTo(qint64 ms);
    // Moves straight to the next tick or callback, or to `deadlineMs` when
    // that comes first (a deadline of -1 means none).
    void advanceToNextEvent(qint64 deadlineMs = -1);

    // For test code that is not inside a link wait: processes every pending
    // event until nothing is left to do, then raises the next tick; `count`
    // times. Finally settles again.
    void runTicks(int count);
    // Runs ticks until `ms` of clock time have passed.
    void runFor(qint64 ms);
    // Processes pending events (posted events, ready I/O, queued in-memory
    // deliveries) until a few passes in a row change nothing.
    void settle();

private:
    struct Callback {
        qint64 at;
        quint64 order;
        std::function<void()> fn;
    };
    // The earliest callback, or end() when there is none.
    std::vector<Callback>::iterator nextCallback();

    qint64 now_ = 0;
    qint64 nextTick_ = kTickMs;
    std::vector<Callback> callbacks_;
    quint64 callbackOrder_ = 0;
};
