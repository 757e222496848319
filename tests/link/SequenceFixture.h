// A link joined to the in-process detector emulator through the in-memory
// transport, on a virtual clock, with the command set as its answer parser.
#pragma once

#include "common/TestSupport.h"
#include "link/CommandSet.h"
#include "link/InMemoryTransport.h"
#include "link/LinkClock.h"
#include "link/ResponseParser.h"
#include "link/uclTqif.h"
#include "sim/SimDetector.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

class SequenceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        link.setClock(&clock);
        link.setLogFolder(dir.path());
        transport.attachClock(&clock);
        JoinInMemory(transport, sim);
        link.setTransport(&transport);
        link.setTimeout(3);
        link.setRetry(3);
        link.setResponseParser([this](const QString& frame) { return ParseResponse(frame, ctx); });
        link.setPortOpen(true);
        for (int i = 0; i < 200 && !link.Connected(); ++i)
            clock.runTicks(1);
        ASSERT_TRUE(link.Connected());
        link.setStatus(6);
        sim.clearReceivedCommands();
    }

    QStringList received() const {
        QStringList out;
        for (const QByteArray& c : sim.receivedCommands())
            out << QString::fromLatin1(c);
        return out;
    }

    // The serial log written so far.
    QString logText() const {
        QFile f(dir.file(QStringLiteral("SerialLog.log")));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromLatin1(f.readAll());
    }

    testsupport::ScratchDir dir;
    VirtualLinkClock clock;
    uclTqif link;
    InMemoryTransport transport;
    SimDetector sim;
    ResponseContext ctx;
};
