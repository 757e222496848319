// Internals of SimDetector shared by the core (SimDetector.cpp) and the
// command handlers (SimCommands.cpp). Not part of the public interface.
#pragma once

#include "sim/SimDetector.h"
#include "sim/SimProtocol.h"

#include <QHash>
#include <QPointer>
#include <QRandomGenerator>
#include <deque>

// What the detector sends for one request.
struct SimReply {
    QByteArray bytes; // framed answer or raw block; empty = no answer
    bool raw = false; // raw memory block (no frame)
    bool dropLineAfter = false;
};

// The most recent records of one kind and the count of all of them, so that
// a long session (a soak test, a client polling for hours) cannot grow the
// emulator without bound.
template <typename T> struct SimRecent {
    QList<T> items; // the most recent SimDetector::kRecentRecords, oldest first
    qint64 total = 0;

    void add(const T& x) {
        items.append(x);
        ++total;
        if (items.size() > SimDetector::kRecentRecords)
            items.removeFirst(); // cheap: the list only moves its start
    }
    void clear() {
        items.clear();
        total = 0;
    }
};

// One command as its handler sees it.
struct SimRequest {
    QByteArray text;  // the whole command text ("SA,W,...")
    QByteArray code;  // the two-letter code ("SA")
    QByteArray code4; // code and form, the code of the answer ("SA,W")
    char form = 0;    // 'R', 'W', 'C', 'E', ...
    QByteArray param; // everything after "SA,W,"
    int entry = 0;    // the code's entry in its group's table, if the group has one
};

class SimDetectorPrivate {
public:
    explicit SimDetectorPrivate(SimDetector* q);

    SimDetector* q;
    SimState st;
    SimFaults faults;
    SimRecent<QByteArray> received, blockAcks;
    SimRecent<QString> refusals;
    simproto::RequestSplitter splitter;
    SimDetector::Scheduler scheduler;
    SimDetector::Clock clock;
    SimDetector::MonotonicClock monoUs;
    qint64 lineFreeUs = 0; // when the line is free of what was queued so far
    QRandomGenerator rng{7350u};
    bool up = true;
    bool verbose = false;
    int commitPolls = 2;
    int zeroPolls = 2;
    int spanGasPolls = 10;

    // Writes received but not committed: applied in order by the commit. One
    // per key (the code, and for a code with several targets the target): a
    // later write with the same key replaces the earlier one and moves to the
    // end, as it would have been applied last.
    struct Staged {
        QByteArray key;
        QByteArray command;
        std::function<void(SimState&)> apply;
    };
    QList<Staged> staged;

    // Jobs finished by confirm polls of their code ("DW", "XC", ...).
    struct Job {
        int pollsLeft = 0;
        std::function<void()> done;
    };
    QHash<QByteArray, Job> jobs;

    // Zero adjustment.
    bool zeroRunning = false;
    int zeroPollsLeft = 0;
    QByteArray zeroFlags, lastZeroResult;

    // Span gas on the channels of gasMask for gasPollsLeft more readings.
    int gasMask = 0;
    int gasPollsLeft = 0;
    int gasPollsDone = 0;
    std::array<double, kSimChannels> gasValue{};

    // "EF" block transfer.
    bool efActive = false;
    int efAddr = 0;     // start of the block last sent
    QByteArray efImage; // the memory being listed, fixed at the request
    static constexpr int kEfBlockBytes = 128;

    // Output queue (delays and pacing).
    // Each piece carries the moment (on the monotonic clock, in microseconds)
    // at which its last byte would have left a real detector. Pacing works on
    // this absolute timeline, so timer granularity never accumulates.
    struct Out {
        qint64 dueUs = 0;
        QByteArray bytes;
        bool dropLine = false;
    };
    std::deque<Out> out;
    bool outBusy = false;
    // Answers handed out right now; a request sent by the PC from inside
    // bytesToHost is answered after the current emission returns, so a
    // synchronous peer never nests calls more than one level deep.
    std::deque<Out> sending;
    bool emitting = false;
    quint64 generation = 0;

    qint64 answerNo = 0;
    qint64 commandsSinceFaultSet = 0;
    int lastDropLineAfterN = 0;

    // --- core (SimDetector.cpp) ---
    void feed(const QByteArray& bytes);
    void handleFrame(const simproto::RequestFrame& f);
    void handleBlockAck(const simproto::RequestFrame& f);
    SimReply applyFaults(SimReply r);
    void deliver(const SimReply& r, int requestBytes);
    void kick();
    void emitNow(const Out& o);
    void dropLine();
    // Forgets the exchange in progress; `powerLost` also the staged writes
    // and running jobs (the detector was switched off).
    void resetVolatile(bool powerLost);
    // A power-off was answered: the line that drops next takes the
    // detector's memory with it.
    bool poweringOff = false;
    void log(const QString& line);
    void logFrame(const char* dir, const QByteArray& bytes);

    // --- commands (SimCommands.cpp) ---
    // Finds the handler of the command's code in the dispatch table.
    SimReply dispatch(const QByteArray& text);
    SimState view() const; // committed state with staged writes applied
    void stage(const QByteArray& key, const QByteArray& command, std::function<void(SimState&)> fn);
    void commitStaged();
    SimReply refuse(const QByteArray& code4, const QByteArray& command, const QString& why);
    SimReply answer(const QByteArray& code4, const QByteArray& data, char term = simproto::EOT);
    SimReply ack(const QByteArray& code4);
    SimReply confirm(const QByteArray& code2, const QByteArray& code4);
    SimReply efBlock();
    QByteArray reading(int ch);
    void startJob(const QByteArray& code2, std::function<void()> done);
    void noteRefusal(const QString& line);

    // Command handlers, one per group of codes (the table is in SimCommands.cpp).
    using Handler = SimReply (SimDetectorPrivate::*)(const SimRequest&);
    static bool bareRead(const SimRequest& r); // the R form without parameter
    SimReply unexpectedParam(const SimRequest& r);
    SimReply unknownForm(const SimRequest& r);
    SimReply onScalar(const SimRequest& r);        // single-value settings
    SimReply onIdentityText(const SimRequest& r);  // IN HN BS
    SimReply onNameList(const SimRequest& r);      // XS XZ
    SimReply onGasRecords(const SimRequest& r);    // GJ
    SimReply onChannelValues(const SimRequest& r); // A1 A2 AS AW SA
    SimReply onZeroFollower(const SimRequest& r);  // UZ
    SimReply onOverScale(const SimRequest& r);     // AO
    SimReply onLibraryPage(const SimRequest& r);   // LI
    SimReply onSensorPair(const SimRequest& r);    // LS
    SimReply onMultiValue(const SimRequest& r);    // BU WB MP HF
    SimReply onIdentityRead(const SimRequest& r);  // VP VS HB HA RC
    SimReply onLiveReadings(const SimRequest& r);  // DN
    SimReply onHistory(const SimRequest& r);       // SO BO
    SimReply onClock(const SimRequest& r);         // HC
    SimReply onJob(const SimRequest& r);           // DW XC XY UX
    SimReply onUpDown(const SimRequest& r);        // UD UP
    SimReply onPowerOff(const SimRequest& r);      // RO
    SimReply onCheckPattern(const SimRequest& r);  // XH
    SimReply onSwitch(const SimRequest& r);        // BP SQ
    SimReply onSamplingHead(const SimRequest& r);  // LR
    SimReply onZeroAdjust(const SimRequest& r);    // SZ
    SimReply onSpan(const SimRequest& r);          // S2 S1
    SimReply onN2Zero(const SimRequest& r);        // SN
    SimReply onMemoryBlock(const SimRequest& r);   // EP ES
    SimReply onParameterList(const SimRequest& r); // EF
    SimReply onAcceptAny(const SimRequest& r);     // YA..YV
};
