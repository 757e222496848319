// An in-process transport that joins the link to a peer object living in the
// same program (the detector emulator in tests and demonstrations).
//
// Both directions are queued, as on a real line: bytes the link sends reach
// the peer on a later pass of the event loop, and bytes the peer answers with
// (even from inside its receive call) reach the link on a later pass. Line
// changes travel in the same queue, so they keep their order with the bytes.
//
// The peer is joined with JoinInMemory(transport, peer), which needs of the
// peer: receiveFromHost(QByteArray), lineUp(), and the signals
// bytesToHost(QByteArray) and lineChanged(bool cts, bool dsr).
#pragma once

#include "link/LinkTransport.h"

class LinkClock;

class InMemoryTransport : public LinkTransport {
    Q_OBJECT
public:
    explicit InMemoryTransport(QObject* parent = nullptr);
    ~InMemoryTransport() override;

    Kind kind() const override { return Kind::InMemory; }
    QString describe() const override { return QStringLiteral("in-memory"); }

    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool send(const QByteArray& bytes) override;

    bool hasWorkInFlight() const override { return pendingDeliveries() > 0; }

    // Deliveries queued in either direction and not yet made.
    int pendingDeliveries() const { return pendingToPeer_ + pendingToLink_; }
    // Registers a busy check with the clock, so that a virtual clock waits
    // for queued deliveries before it moves on.
    void attachClock(LinkClock* clock);

    bool peerCts() const { return cts_; }
    bool peerDsr() const { return dsr_; }

public slots:
    // Bytes from the peer, on their way to the link.
    void receiveFromPeer(const QByteArray& bytes);
    // The peer's CTS/DSR. While open, a change reaches the link as a line
    // event; opening reports lines that are already up.
    void setPeerLine(bool cts, bool dsr);

signals:
    // Bytes from the link, delivered to the peer.
    void bytesToPeer(const QByteArray& bytes);

private:
    bool open_ = false;
    bool cts_ = false;
    bool dsr_ = false;
    // The line state last reported to the link.
    bool reportedCts_ = false;
    bool reportedDsr_ = false;
    int pendingToPeer_ = 0;
    int pendingToLink_ = 0;
    LinkClock* clock_ = nullptr;
    int busyId_ = 0;
};

// Connects a transport and a peer in both directions (see above) and takes
// over the peer's present line state.
template <class Peer> void JoinInMemory(InMemoryTransport& transport, Peer& peer) {
    QObject::connect(&transport, &InMemoryTransport::bytesToPeer, &peer,
                     [&peer](const QByteArray& bytes) { peer.receiveFromHost(bytes); });
    QObject::connect(&peer, &Peer::bytesToHost, &transport, &InMemoryTransport::receiveFromPeer);
    QObject::connect(&peer, &Peer::lineChanged, &transport, &InMemoryTransport::setPeerLine);
    transport.setPeerLine(peer.lineUp(), peer.lineUp());
}
