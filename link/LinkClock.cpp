#include "link/LinkClock.h"

#include "link/LinkWaiter.h"

#include <algorithm>

int LinkClock::addBusyCheck(std::function<bool()> check) {
    const int id = nextBusyId_++;
    busyChecks_.push_back({id, std::move(check)});
    return id;
}

void LinkClock::removeBusyCheck(int id) {
    busyChecks_.erase(std::remove_if(busyChecks_.begin(), busyChecks_.end(),
                                     [id](const BusyCheck& b) { return b.id == id; }),
                      busyChecks_.end());
}

bool LinkClock::anyBusy() const {
    for (const BusyCheck& b : busyChecks_) {
        if (b.check && b.check())
            return true;
    }
    return false;
}

RealLinkClock::RealLinkClock(QObject* parent) : LinkClock(parent) {
    elapsed_.start();
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &LinkClock::tick);
    timer_.start();
}

void RealLinkClock::singleShot(qint64 ms, std::function<void()> fn) {
    QTimer::singleShot(std::chrono::milliseconds(std::max<qint64>(ms, 0)), this, std::move(fn));
}

void VirtualLinkClock::singleShot(qint64 ms, std::function<void()> fn) {
    callbacks_.push_back({now_ + std::max<qint64>(ms, 0), callbackOrder_++, std::move(fn)});
}

std::vector<VirtualLinkClock::Callback>::iterator VirtualLinkClock::nextCallback() {
    return std::min_element(callbacks_.begin(), callbacks_.end(),
                            [](const Callback& a, const Callback& b) {
                                return a.at != b.at ? a.at < b.at : a.order < b.order;
                            });
}

void VirtualLinkClock::advanceTo(qint64 ms) {
    for (;;) {
        auto callback = nextCallback();
        const bool callbackFirst = callback != callbacks_.end() && callback->at <= nextTick_;
        const qint64 next = callbackFirst ? std::max(callback->at, now_) : nextTick_;
        if (next > ms)
            break;
        now_ = next;
        if (callbackFirst) {
            std::function<void()> fn = std::move(callback->fn);
            callbacks_.erase(callback);
            if (fn)
                fn();
        } else {
            nextTick_ += kTickMs;
            emit tick();
        }
    }
    now_ = std::max(now_, ms);
}

void VirtualLinkClock::advanceToNextEvent(qint64 deadlineMs) {
    qint64 target = nextTick_;
    auto callback = nextCallback();
    if (callback != callbacks_.end() && callback->at < target)
        target = std::max(callback->at, now_);
    if (deadlineMs >= 0 && deadlineMs >= now_ && deadlineMs < target)
        target = deadlineMs;
    advanceTo(target);
}

void VirtualLinkClock::settle() {
    LinkWaiter::settle(this);
}

void VirtualLinkClock::runTicks(int count) {
    for (int i = 0; i < count; ++i) {
        const qint64 target = nextTick_;
        do {
            settle();
            advanceToNextEvent(target);
        } while (now_ < target);
    }
    settle();
}

void VirtualLinkClock::runFor(qint64 ms) {
    const qint64 target = now_ + std::max<qint64>(ms, 0);
    do {
        settle();
        advanceToNextEvent(target);
    } while (now_ < target);
    settle();
}
