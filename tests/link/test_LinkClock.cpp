// The link clock and the waiter.
#include "link/LinkClock.h"
#include "link/LinkWaiter.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(LinkClockTest, VirtualTicksAndCallbacksInTimeOrder) {
    VirtualLinkClock clock;
    QStringList events;
    QObject::connect(&clock, &LinkClock::tick,
                     [&] { events << QStringLiteral("tick@%1").arg(clock.elapsedMs()); });
    clock.singleShot(250, [&] { events << QStringLiteral("a@%1").arg(clock.elapsedMs()); });
    clock.singleShot(100, [&] { events << QStringLiteral("b@%1").arg(clock.elapsedMs()); });
    clock.singleShot(250, [&] { events << QStringLiteral("c@%1").arg(clock.elapsedMs()); });
    clock.runFor(300);
    EXPECT_EQ(events, QStringList({"b@100", "tick@100", "tick@200", "a@250", "c@250", "tick@300"}));
    EXPECT_EQ(clock.elapsedMs(), 300);
    EXPECT_EQ(clock.pendingCallbacks(), 0);

    // Time never goes backwards; a callback due now runs at the next step.
    clock.advanceTo(100);
    EXPECT_EQ(clock.elapsedMs(), 300);
    bool ran = false;
    clock.singleShot(0, [&] { ran = true; });
    clock.advanceToNextEvent();
    EXPECT_TRUE(ran);
    EXPECT_EQ(clock.elapsedMs(), 300);
    clock.runTicks(3);
    EXPECT_EQ(clock.elapsedMs(), 600);
}

TEST(LinkWaiterTest, VirtualWaitsTakeNoRealTime) {
    VirtualLinkClock clock;
    LinkWaiter waiter(&clock);
    int ticks = 0;
    QObject::connect(&clock, &LinkClock::tick, [&] { ++ticks; });
    QElapsedTimer real;
    real.start();
    // Two minutes of link time.
    EXPECT_EQ(waiter.waitMs(120000), LinkWaiter::Outcome::Finished);
    EXPECT_EQ(clock.elapsedMs(), 120000);
    EXPECT_EQ(ticks, 1200);
    EXPECT_LT(real.elapsed(), 2000);

    // A condition that a tick ends.
    EXPECT_EQ(waiter.waitWhile([&] { return ticks < 1205; }), LinkWaiter::Outcome::Finished);
    EXPECT_EQ(ticks, 1205);

    // A wait nothing can end is abandoned at the safety limit.
    waiter.setVirtualLimitMs(10000);
    const qint64 before = clock.elapsedMs();
    EXPECT_EQ(waiter.waitWhile([] { return true; }), LinkWaiter::Outcome::Abandoned);
    EXPECT_GE(clock.elapsedMs() - before, 10000);
    EXPECT_FALSE(waiter.isWaiting());
}

TEST(LinkWaiterTest, VirtualClockWaitsForWorkInFlight) {
    VirtualLinkClock clock;
    LinkWaiter waiter(&clock);
    // Something real (not on the virtual clock) is on its way for 30 ms.
    bool arrived = false;
    bool pending = true;
    clock.addBusyCheck([&] { return pending; });
    QTimer::singleShot(30, [&] {
        arrived = true;
        pending = false;
    });
    EXPECT_EQ(waiter.waitWhile([&] { return !arrived; }), LinkWaiter::Outcome::Finished);
    EXPECT_EQ(clock.elapsedMs(), 0); // time did not run ahead of it
}

TEST(LinkWaiterTest, RealWaitsStayResponsiveAndRefuseNesting) {
    RealLinkClock clock;
    LinkWaiter waiter(&clock);
    bool eventRan = false;
    LinkWaiter::Outcome nested = LinkWaiter::Outcome::Finished;
    QTimer::singleShot(20, [&] {
        eventRan = true;
        nested = waiter.waitMs(1000); // a second wait from inside the first
    });
    QElapsedTimer real;
    real.start();
    EXPECT_EQ(waiter.waitMs(150), LinkWaiter::Outcome::Finished);
    const qint64 took = real.elapsed();
    EXPECT_GE(took, 149);
    EXPECT_LT(took, 1000);
    EXPECT_TRUE(eventRan);
    EXPECT_EQ(nested, LinkWaiter::Outcome::Refused);

    // A condition ended by an event, long before the deadline.
    bool done = false;
    QTimer::singleShot(10, [&] { done = true; });
    real.restart();
    EXPECT_EQ(waiter.waitWhile([&] { return !done; }, clock.elapsedMs() + 5000),
              LinkWaiter::Outcome::Finished);
    EXPECT_LT(real.elapsed(), 1000);
}
