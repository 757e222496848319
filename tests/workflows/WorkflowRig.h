// The program's link joined to the in-process detector emulator on a
// virtual clock, with a data folder of its own (the write journal), for the
// tests of the workflows.
#pragma once

#include "common/TestSupport.h"
#include "link/InMemoryTransport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "sim/SimDetector.h"
#include "sim/SimState.h"
#include "workflows/InformationDownload.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace workflowtest {

class Rig {
public:
    Rig() : dataDir_(qgetenv("TQ7350_DATA_DIR")) {
        qputenv("TQ7350_DATA_DIR", dir.file(QStringLiteral("data")).toUtf8());
        link.setClock(&clock);
        link.setLogFolder(dir.path());
        transport.attachClock(&clock);
        JoinInMemory(transport, sim);
        link.setTransport(&transport);
        link.setTimeout(3);
        link.setRetry(3);
        sim.setCommitPolls(1);
        link.setPortOpen(true);
    }
    ~Rig() { qputenv("TQ7350_DATA_DIR", dataDir_); }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Brings the line up and waits (on the virtual clock) for the link to
    // find the detector.
    bool connect() {
        sim.setLineUp(true);
        for (int i = 0; i < 400 && !link.Connected(); ++i)
            clock.runTicks(1);
        return link.Connected();
    }

    // "Instrument Information" into `record`.
    bool read(clsInstrument& record) {
        return InformationDownload::Run(link, record, {}, {}).Success();
    }

    // The detector's committed settings (the emulator's own view, not read
    // over the link).
    QJsonObject committed() { return sim.state().toJson(); }

    testsupport::ScratchDir dir;
    VirtualLinkClock clock;
    SimDetector sim;
    InMemoryTransport transport;
    uclTqif link;

private:
    QByteArray dataDir_;
};

} // namespace workflowtest
