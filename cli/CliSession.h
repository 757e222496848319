// One run of the tool against one detector: chooses and opens the link
// (serial port, socket, the USB infrared adapter found as the window finds
// it, or the in-process emulator), writes the serial log where it was asked
// to, waits for the detector to answer, relays the link's events to the
// console and turns Ctrl+C into the link's Cancel.
#pragma once

#include "cli/CliOptions.h"
#include "link/InMemoryTransport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "sim/SimDetector.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace cli {

class Console;

class CliSession : public QObject {
    Q_OBJECT
public:
    CliSession(const Invocation& invocation, Console& console);
    ~CliSession() override;

    // Reads the configuration file of the working folder when there is one,
    // sets up the serial log, time-out and retry, and chooses the transport.
    // Nothing is opened or sent. kExitDone, or the exit status of the
    // problem (already reported).
    int prepare();

    // Opens the transport and waits for the detector's answer to connect
    // polling, at most Timeout x Retry x 1.2 s (at least two polls).
    // kExitDone or kExitNoDetector (reported).
    int connectDetector();

    // Closes the port (the emulator's state has been saved on every commit).
    void close();

    uclTqif& link() { return link_; }
    // The working record, as the window's.
    clsInstrument& record() { return record_; }
    // Channels the configuration file marks as locked (forced to enabled
    // after a read and a settings-file load).
    std::array<bool, 5> lockedChannels() const;
    // "/dev/ttyUSB0", "127.0.0.1:7350", "emulator".
    QString target() const { return target_; }
    // The folder the tool was started in: history file, logger image.
    QString startFolder() const { return startFolder_; }

    // Ctrl+C was pressed (the link's Cancel has been set).
    bool interrupted() const { return interrupted_; }

    // Lets the link work on its own (the concentration polling) while
    // `keepWaiting` holds, at most `ms` of link-clock time; Ctrl+C ends it.
    // Unlike the link's own waits this is no command wait, so the link's
    // timer-driven work is not held back.
    void idleWhile(const std::function<bool()>& keepWaiting, qint64 ms);

    // The present date and time as the serial log's "Date = ~1" texts show it.
    QString dateText() const;

private:
    int setUpSerialLog();
    int chooseTransport();
    int setUpSimulator();
    void wireEvents();

    const Invocation& inv_;
    Console& console_;
    QString startFolder_;
    QString target_;

    // The emulator's parts outlive the link, which is destroyed first.
    std::unique_ptr<VirtualLinkClock> simClock_;
    std::unique_ptr<SimDetector> sim_;
    std::unique_ptr<InMemoryTransport> simTransport_;
    std::unique_ptr<QTemporaryDir> logDir_;
    clsInstrument record_;
    clsInstrument defaults_;
    uclTqif link_;
    QTimer interruptPoll_;
    bool interrupted_ = false;
};

} // namespace cli
