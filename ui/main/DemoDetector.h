// The detector of the demonstration mode: the emulator, running inside the
// program and joined to the link through an in-memory transport, so the
// window can be tried out without an adapter or a detector.
//
// It behaves as a detector lying in front of the adapter: the line is up
// from the start, and after a power-off it comes back five seconds later, as
// if the user had switched it on again.
#pragma once

#include "link/InMemoryTransport.h"
#include "sim/SimDetector.h"

#include <QObject>

class LinkClock;

class DemoDetector : public QObject {
    Q_OBJECT
public:
    // Delay before a switched-off detector is back.
    static constexpr int kRestartMs = 5000;

    // `clock`: the link's clock when it is not the wall clock (tests); the
    // emulator's delays then run on it too.
    explicit DemoDetector(LinkClock* clock = nullptr, QObject* parent = nullptr);

    LinkTransport* transport() { return &transport_; }
    SimDetector& detector() { return sim_; }

private:
    SimDetector sim_;
    InMemoryTransport transport_;
    LinkClock* clock_;
};
