#include "link/InMemoryTransport.h"

#include "link/LinkClock.h"

#include <QPointer>

InMemoryTransport::InMemoryTransport(QObject* parent) : LinkTransport(parent) {}

InMemoryTransport::~InMemoryTransport() {
    if (clock_ && busyId_)
        clock_->removeBusyCheck(busyId_);
}

void InMemoryTransport::attachClock(LinkClock* clock) {
    if (clock_ && busyId_)
        clock_->removeBusyCheck(busyId_);
    clock_ = clock;
    busyId_ = 0;
    if (clock_) {
        QPointer<InMemoryTransport> self(this);
        busyId_ = clock_->addBusyCheck([self] { return self && self->pendingDeliveries() > 0; });
        connect(clock_, &QObject::destroyed, this, [this] {
            clock_ = nullptr;
            busyId_ = 0;
        });
    }
}

bool InMemoryTransport::open() {
    if (open_)
        return true;
    open_ = true;
    reportedCts_ = false;
    reportedDsr_ = false;
    if (cts_ || dsr_)
        setPeerLine(cts_, dsr_);
    return true;
}

void InMemoryTransport::close() {
    open_ = false;
}

bool InMemoryTransport::send(const QByteArray& bytes) {
    if (!open_)
        return false;
    ++pendingToPeer_;
    QMetaObject::invokeMethod(
        this,
        [this, bytes] {
            --pendingToPeer_;
            if (open_)
                emit bytesToPeer(bytes);
        },
        Qt::QueuedConnection);
    return true;
}

void InMemoryTransport::receiveFromPeer(const QByteArray& bytes) {
    ++pendingToLink_;
    QMetaObject::invokeMethod(
        this,
        [this, bytes] {
            --pendingToLink_;
            if (open_)
                emit bytesReceived(bytes);
        },
        Qt::QueuedConnection);
}

void InMemoryTransport::setPeerLine(bool cts, bool dsr) {
    cts_ = cts;
    dsr_ = dsr;
    // While closed the state is only remembered; opening reports it.
    if (!open_)
        return;
    ++pendingToLink_;
    QMetaObject::invokeMethod(
        this,
        [this, cts, dsr] {
            --pendingToLink_;
            if (!open_ || (cts == reportedCts_ && dsr == reportedDsr_))
                return;
            reportedCts_ = cts;
            reportedDsr_ = dsr;
            emit lineStateChanged(cts, dsr);
        },
        Qt::QueuedConnection);
}
