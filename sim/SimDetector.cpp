#include "sim/SimDetector.h"

#include "sim/SimDetectorPrivate.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <memory>

using namespace simproto;

SimDetectorPrivate::SimDetectorPrivate(SimDetector* owner) : q(owner), st(SimState::Defaults()) {
    scheduler = [owner](int ms, std::function<void()> fn) {
        QTimer::singleShot(std::max(0, ms), owner, std::move(fn));
    };
    clock = [] { return QDateTime::currentDateTime(); };
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    monoUs = [started] { return started->nsecsElapsed() / 1000; };
}

void SimDetectorPrivate::log(const QString& line) {
    emit q->logLine(line);
}

void SimDetectorPrivate::logFrame(const char* dir, const QByteArray& bytes) {
    if (verbose)
        log(QStringLiteral("%1 %2").arg(QLatin1String(dir), Render(bytes)));
}

void SimDetectorPrivate::feed(const QByteArray& bytes) {
    if (!up) {
        if (verbose)
            log(QStringLiteral("line down, %1 bytes ignored").arg(bytes.size()));
        return;
    }
    const QList<RequestFrame> frames = splitter.feed(bytes);
    for (const RequestFrame& f : frames) {
        if (!up)
            break; // an earlier frame of this burst took the line down
        handleFrame(f);
    }
}

void SimDetectorPrivate::handleFrame(const RequestFrame& f) {
    logFrame("<-", f.raw);
    if (!f.addressOk) {
        log(QStringLiteral("ignored (address is not 0001): %1").arg(Render(f.raw)));
        return;
    }
    if (!f.checksumOk) {
        log(QStringLiteral("ignored (checksum): %1").arg(Render(f.raw)));
        return;
    }
    if (f.terminator == ETB) {
        handleBlockAck(f);
        return;
    }
    received.add(f.text);

    if (faults.dropLineAfterN != lastDropLineAfterN) {
        lastDropLineAfterN = faults.dropLineAfterN;
        commandsSinceFaultSet = 0;
    }
    ++commandsSinceFaultSet;
    const bool dropNow =
        faults.dropLineAfterN > 0 && commandsSinceFaultSet == faults.dropLineAfterN;

    SimReply r;
    if (faults.silent) {
        if (verbose)
            log(QStringLiteral("silent: no answer"));
    } else {
        const QString code = QString::fromLatin1(f.text.left(2));
        // "A1" refuses every form of the code, "A1:W" its write form only.
        const QString codeAndForm =
            code + QLatin1Char(':') + QChar::fromLatin1(f.text.size() > 3 ? f.text.at(3) : ' ');
        if (faults.refuseCodes.contains(code, Qt::CaseInsensitive) ||
            faults.refuseCodes.contains(codeAndForm, Qt::CaseInsensitive)) {
            efActive = false;
            r = refuse(f.text.left(4), f.text, QStringLiteral("code refused by the fault switch"));
        } else {
            r = dispatch(f.text);
        }
        r = applyFaults(r);
    }
    if (dropNow) {
        log(QStringLiteral("line drop after %1 commands").arg(faults.dropLineAfterN));
        r.dropLineAfter = true;
    }
    deliver(r, int(f.raw.size()));
}

void SimDetectorPrivate::handleBlockAck(const RequestFrame& f) {
    blockAcks.add(f.text);
    if (!efActive || f.text.size() != 6 || !f.text.startsWith("EF,R,")) {
        log(QStringLiteral("ignored block acknowledgement: %1").arg(Render(f.raw)));
        return;
    }
    const char a = f.text.at(5);
    if (a == ACK) {
        efAddr += kEfBlockBytes;
        if (efAddr >= efImage.size()) {
            efActive = false; // acknowledgement of the last block: nothing follows
            return;
        }
    } else if (a != NAK) {
        log(QStringLiteral("ignored block acknowledgement: %1").arg(Render(f.raw)));
        return;
    }
    SimReply r;
    if (!faults.silent)
        r = applyFaults(efBlock());
    deliver(r, int(f.raw.size()));
}

SimReply SimDetectorPrivate::applyFaults(SimReply r) {
    if (r.bytes.isEmpty())
        return r;
    ++answerNo;
    auto hit = [this](int n) { return n > 0 && answerNo % n == 0; };
    if (hit(faults.dropEveryN)) {
        log(QStringLiteral("fault: answer %1 dropped").arg(answerNo));
        r.bytes.clear();
    } else if (hit(faults.bareCrEveryN)) {
        log(QStringLiteral("fault: answer %1 replaced by a bare CR").arg(answerNo));
        r.bytes = QByteArray(1, CR);
    } else if (hit(faults.truncateEveryN)) {
        log(QStringLiteral("fault: answer %1 truncated").arg(answerNo));
        r.bytes.truncate(std::max<qsizetype>(1, r.bytes.size() / 2));
        // A cut frame must not end in a terminator by chance.
        while (!r.bytes.isEmpty() &&
               (r.bytes.endsWith(EOT) || r.bytes.endsWith(ETB) || r.bytes.endsWith(CR)))
            r.bytes.chop(1);
    } else if (hit(faults.garbleEveryN)) {
        log(QStringLiteral("fault: answer %1 garbled").arg(answerNo));
        if (r.raw)
            r.bytes[r.bytes.size() / 2] = char(r.bytes.at(r.bytes.size() / 2) ^ 0xFF);
        else if (r.bytes.size() > 5)
            r.bytes[5] = '#'; // the answer code becomes unknown
    }
    return r;
}

void SimDetectorPrivate::deliver(const SimReply& r, int requestBytes) {
    if (r.bytes.isEmpty() && !r.dropLineAfter)
        return;
    if (!r.bytes.isEmpty()) {
        if (r.raw) {
            if (verbose)
                log(QStringLiteral("-> [%1 raw bytes]").arg(r.bytes.size()));
        } else {
            logFrame("->", r.bytes);
        }
    }
    const int baud = faults.baud;
    const qint64 delayUs = qint64(std::max(0, faults.delayMs)) * 1000;
    if (delayUs == 0 && baud <= 0 && out.empty() && !outBusy) {
        emitNow(Out{0, r.bytes, r.dropLineAfter});
        return;
    }
    // The answer starts once the line is free and the request has arrived:
    // on a paced line the request itself took its bytes' time to come in.
    const qint64 now = monoUs();
    qint64 t = std::max(now, lineFreeUs) + delayUs;
    if (baud > 0)
        t += qint64(requestBytes) * 10 * 1000000 / baud;
    if (baud <= 0 || r.bytes.isEmpty()) {
        out.push_back(Out{t, r.bytes, r.dropLineAfter});
    } else {
        // Pieces of about a millisecond of line time, each due when its last
        // byte would have left the detector.
        const int chunk = std::max(1, baud / 10000);
        const qint64 start = t;
        for (int pos = 0; pos < r.bytes.size(); pos += chunk) {
            const QByteArray piece = r.bytes.mid(pos, chunk);
            t = start + qint64(pos + piece.size()) * 10 * 1000000 / baud;
            out.push_back(Out{t, piece, false});
        }
        out.back().dropLine = r.dropLineAfter;
    }
    lineFreeUs = t;
    kick();
}

void SimDetectorPrivate::kick() {
    if (outBusy || out.empty())
        return;
    outBusy = true;
    const quint64 gen = generation;
    QPointer<SimDetector> self(q);
    // Rounded down: a piece sent a fraction of a millisecond early does not
    // shorten the timeline, because the next answer still starts at lineFreeUs.
    const qint64 waitUs = out.front().dueUs - monoUs();
    scheduler(int(std::max<qint64>(0, waitUs / 1000)), [self, gen, this] {
        if (!self || gen != generation || out.empty())
            return;
        const Out o = out.front();
        out.pop_front();
        outBusy = false;
        emitNow(o);
        kick();
    });
}

void SimDetectorPrivate::emitNow(const Out& o) {
    sending.push_back(o);
    if (emitting)
        return;
    emitting = true;
    while (!sending.empty()) {
        const Out x = sending.front();
        sending.pop_front();
        if (!x.bytes.isEmpty())
            emit q->bytesToHost(x.bytes);
        if (x.dropLine)
            dropLine(); // also discards what is still waiting
    }
    emitting = false;
}

void SimDetectorPrivate::resetVolatile(bool powerLost) {
    // What lives in the detector's memory survives a lost line: the staged
    // writes wait for a commit and a job being stored goes on. Only
    // switching off forgets them.
    if (powerLost) {
        staged.clear();
        jobs.clear();
    }
    zeroRunning = false;
    efActive = false;
    gasMask = 0;
    gasPollsLeft = 0;
    splitter.clear();
    out.clear();
    outBusy = false;
    sending.clear();
    ++generation;
}

void SimDetectorPrivate::dropLine() {
    q->setLineUp(false);
    emit q->lineDropped();
}

// --- SimDetector -------------------------------------------------------------

SimDetector::SimDetector(QObject* parent) : QObject(parent), d(new SimDetectorPrivate(this)) {}

SimDetector::~SimDetector() {
    delete d;
}

void SimDetector::receiveFromHost(const QByteArray& bytes) {
    d->feed(bytes);
}

void SimDetector::setLineUp(bool up) {
    if (up == d->up)
        return;
    d->up = up;
    if (!up) {
        d->resetVolatile(d->poweringOff);
        d->log(d->poweringOff ? QStringLiteral("line down (switched off)")
                              : QStringLiteral("line down"));
        d->poweringOff = false;
        emit lineChanged(false, false);
    } else {
        d->commandsSinceFaultSet = 0;
        d->log(QStringLiteral("line up"));
        emit lineChanged(true, true);
    }
}

bool SimDetector::lineUp() const {
    return d->up;
}
SimState& SimDetector::state() {
    return d->st;
}
SimFaults& SimDetector::faults() {
    return d->faults;
}
const QList<QByteArray>& SimDetector::receivedCommands() const {
    return d->received.items;
}
qint64 SimDetector::receivedCommandCount() const {
    return d->received.total;
}
const QList<QByteArray>& SimDetector::receivedBlockAcks() const {
    return d->blockAcks.items;
}
qint64 SimDetector::receivedBlockAckCount() const {
    return d->blockAcks.total;
}

void SimDetector::clearReceivedCommands() {
    d->received.clear();
    d->blockAcks.clear();
}

const QStringList& SimDetector::refusals() const {
    return d->refusals.items;
}
qint64 SimDetector::refusalCount() const {
    return d->refusals.total;
}
int SimDetector::stagedCount() const {
    return int(d->staged.size());
}
void SimDetector::setCommitPolls(int n) {
    d->commitPolls = std::max(0, n);
}
int SimDetector::commitPolls() const {
    return d->commitPolls;
}
void SimDetector::setZeroPolls(int n) {
    d->zeroPolls = std::max(0, n);
}
void SimDetector::setSpanGasPolls(int n) {
    d->spanGasPolls = std::max(0, n);
}

void SimDetector::applySpanGas(int mask, int polls) {
    d->gasMask = mask & 0x1F;
    d->gasPollsLeft = std::max(0, polls);
    d->gasPollsDone = 0;
    for (int i = 0; i < kSimChannels; ++i)
        d->gasValue[size_t(i)] = std::max(0.0, d->st.channels[size_t(i)].autoCalib);
}

void SimDetector::setMonotonicClock(MonotonicClock c) {
    if (c)
        d->monoUs = std::move(c);
}

void SimDetector::setScheduler(Scheduler s) {
    if (s)
        d->scheduler = std::move(s);
}

void SimDetector::setClock(Clock c) {
    if (c)
        d->clock = std::move(c);
}

QDateTime SimDetector::detectorTime() const {
    return d->clock().addSecs(d->st.clockOffsetSecs);
}
void SimDetector::setNoiseSeed(quint32 seed) {
    d->rng.seed(seed);
}
void SimDetector::setVerbose(bool on) {
    d->verbose = on;
}

int SimDetector::pendingOutput() const {
    int n = 0;
    for (const auto& o : d->out)
        n += int(o.bytes.size());
    return n;
}
