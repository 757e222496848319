#include "ui/main/DemoDetector.h"

#include "link/LinkClock.h"

#include <QTimer>

namespace {

// Line speed of the emulated adapter: slow enough that a read takes a few
// seconds, as with a real detector, so the progress window can be seen.
constexpr int kDemoBaud = 115200;

} // namespace

DemoDetector::DemoDetector(LinkClock* clock, QObject* parent) : QObject(parent), clock_(clock) {
    if (clock_) {
        transport_.attachClock(clock_);
        sim_.setScheduler(
            [this](int ms, std::function<void()> fn) { clock_->singleShot(ms, std::move(fn)); });
        sim_.setMonotonicClock([this] { return clock_->elapsedMs() * 1000; });
    } else {
        sim_.faults().baud = kDemoBaud;
    }
    JoinInMemory(transport_, sim_);
    connect(&sim_, &SimDetector::lineDropped, this, [this] {
        auto back = [this] { sim_.setLineUp(true); };
        if (clock_)
            clock_->singleShot(kRestartMs, back);
        else
            QTimer::singleShot(kRestartMs, this, back);
    });
}
