// The emulated TQ-7350 detector: takes the bytes the PC sends and produces
// the detector's answers, with a controllable line state and fault switches.
// Answer layouts are listed in docs/emulator.md.
#pragma once

#include "sim/SimState.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

// Fault switches. Every switch is off (0 / false / empty) by default and may
// be changed at any time; "every Nth answer" counts all answers sent since
// the detector was created (framed answers, dump blocks and raw blocks).
struct SimFaults {
    int delayMs = 0;          // extra delay before every answer
    int baud = 0;             // pace the line at this rate (10 bits per byte); 0 = instant
    int dropEveryN = 0;       // every Nth answer is not sent
    int bareCrEveryN = 0;     // every Nth answer is replaced by a lone CR
    int truncateEveryN = 0;   // every Nth answer loses its second half (no terminator)
    int garbleEveryN = 0;     // every Nth answer has its answer code corrupted
    QString wrongModel;       // "RC,R," answers with this model name instead
    QStringList refuseCodes;  // codes answered with a refusal (NAK): "A1" every form, "A1:W" one
    int dropLineAfterN = 0;   // the line goes down after the Nth command (counted from now on)
    bool neverCommit = false; // "DW,C," and the other confirms never answer ACK
    bool silent = false;      // the detector hears but never answers
    int calibFailMask = 0;    // bit i set: channel i fails zero and span adjustments
};

class SimDetector : public QObject {
    Q_OBJECT
public:
    // Runs fn after ms milliseconds. Default: QTimer::singleShot on this object.
    using Scheduler = std::function<void(int ms, std::function<void()> fn)>;
    // Monotonic time in microseconds, used to pace the line. Tests that inject
    // a scheduler inject the matching clock.
    using MonotonicClock = std::function<qint64()>;
    using Clock = std::function<QDateTime()>;

    explicit SimDetector(QObject* parent = nullptr);
    ~SimDetector() override;

    // Bytes the PC sent. Answers are emitted through bytesToHost,
    // synchronously from inside this call when no delay or pacing is set.
    void receiveFromHost(const QByteArray& bytes);

    // CTS/DSR as seen by the PC ("line up" = both on). Default: up. Taking
    // the line down ends the exchange in progress (a block transfer, answers
    // not yet sent); the staged writes and a storing job survive it, unless
    // the line went down because the detector was switched off ("RO,W,").
    void setLineUp(bool up);
    bool lineUp() const;

    // The committed state of the detector. Changing it directly is allowed
    // (tests set up situations this way); call state().rebuildMemory() after
    // changing the memory content markers.
    SimState& state();
    SimFaults& faults();

    // How many of the latest records below are kept; older ones are only
    // counted.
    static constexpr int kRecentRecords = 4096;

    // Command texts (e.g. "SA,R,") of request frames with a good checksum,
    // in order: the latest kRecentRecords. Block acknowledgements are listed
    // apart. The counts include the records no longer listed.
    const QList<QByteArray>& receivedCommands() const;
    qint64 receivedCommandCount() const;
    const QList<QByteArray>& receivedBlockAcks() const;
    qint64 receivedBlockAckCount() const;
    // Empties both lists and sets both counts to 0.
    void clearReceivedCommands();
    // Refused requests with their reason ("A1,W,...: field 3 ..."), in order:
    // the latest kRecentRecords, and the count of all.
    const QStringList& refusals() const;
    qint64 refusalCount() const;

    // Writes staged by "W" forms and not committed yet: at most one per
    // setting (a later write of the same setting replaces the earlier one).
    int stagedCount() const;
    // Confirm polls ("DW,C,", "XC,C,", "XY,C,", "UX,C,", "LR,C,") answered
    // without ACK before the job finishes. Default 2.
    void setCommitPolls(int n);
    int commitPolls() const;
    // "SZ,C," polls answered without a result while the zero adjusts. Default 2.
    void setZeroPolls(int n);
    // "DN,R," polls the span gas stays on after a span. Default 10.
    void setSpanGasPolls(int n);
    // Puts span gas on the channels of `mask` for `polls` readings: their
    // live readings rise to the channel's span gas value.
    void applySpanGas(int mask, int polls);

    void setScheduler(Scheduler s);
    void setMonotonicClock(MonotonicClock c);
    void setClock(Clock c);
    QDateTime detectorTime() const;
    void setNoiseSeed(quint32 seed);
    // Frame-by-frame log lines through logLine (refusals are always logged).
    void setVerbose(bool on);
    // Bytes queued for delayed or paced sending.
    int pendingOutput() const;

signals:
    void bytesToHost(const QByteArray& bytes);
    void lineChanged(bool cts, bool dsr);
    void lineDropped(); // after "RO" power-off or a drop-after-N fault
    void logLine(const QString& line);
    // The committed state changed (commit, clock, maintenance); a good
    // moment to save it.
    void stateChanged();

private:
    friend class SimDetectorPrivate;
    class SimDetectorPrivate* d;
};
