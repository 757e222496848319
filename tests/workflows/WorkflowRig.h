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
#include "workflows/Report.h"

#include <QJsonObject>
#include <QList>

#include <utility>
#include <vector>

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
    bool connectAndRead(clsInstrument& record) { return connect() && read(record); }

    // The write commands ("XS,W,...") the emulator received since it was
    // last cleared.
    QStringList writes() const {
        QStringList out;
        for (const QByteArray& c : sim.receivedCommands()) {
            if (c.mid(2, 3) == ",W,")
                out << QString::fromLatin1(c);
        }
        return out;
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

// What a workflow reports: its lines with their tone, and its steps.
struct Recorder {
    QList<std::pair<QString, workflows::Tone>> lines;
    std::vector<std::pair<int, int>> steps;
    workflows::Report report() {
        workflows::Report r;
        r.line = [this](const QString& text, workflows::Tone tone) { lines.append({text, tone}); };
        r.steps = [this](int done, int total) { steps.emplace_back(done, total); };
        return r;
    }
    // The texts of the failure lines, or of all other lines.
    QStringList texts(bool failures) const {
        QStringList out;
        for (const auto& l : lines) {
            if ((l.second == workflows::Tone::Failure) == failures)
                out << l.first;
        }
        return out;
    }
    int count(const QString& text) const {
        int n = 0;
        for (const auto& l : lines)
            n += l.first == text ? 1 : 0;
        return n;
    }
    bool has(const QString& text, workflows::Tone tone) const {
        return lines.contains(std::make_pair(text, tone));
    }
};

} // namespace workflowtest
