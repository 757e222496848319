// The link on a virtual clock, joined in memory to a detector stand-in that
// answers each request with the next pieces of the fuzzer's input.
//
// The input after the rig's own bytes is a list of answers. Each answer is a
// flag byte, a length (two bytes, low byte first) and that many payload bytes:
//   bit 0  frame the payload: STX "0001" + the answer code of the request
//          (its first four characters, "SA,R") + "," + payload + ETX +
//          checksum + terminator; otherwise the payload goes as it is
//   bit 1  a wrong checksum
//   bit 2  ETB in place of EOT
//   bit 3  the next answer follows at once (same request)
//   bits 4-5  cut into up to four pieces at points taken from the payload
// Once the input is used up the stand-in stays silent.
#pragma once

#include "FuzzSupport.h"

#include "link/FrameEngine.h"
#include "link/InMemoryTransport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <QList>

namespace fuzz {

// True when the command's answer code `code` ("SA,R") appears in `bytes`
// (control characters and bytes outside 7-bit ASCII left out, as the link
// reads a frame) before a terminator (EOT or ETB): without that no answer
// of the stream could be this command's. (Where a frame starts depends on
// when the link emptied its buffer to repeat the command, so the check does
// not cut the stream into frames itself. The link does not check the
// checksum of an answer: a garbled value is caught by the checks of its
// command and, in a write, by the read-back.)
inline bool HoldsAnswerTo(const QByteArray& bytes, const QString& code) {
    const QByteArray wanted = code.toLatin1();
    QByteArray last; // the latest printable characters, at most as many as the code has
    bool seen = false;
    for (const char c : bytes) {
        if (c == FrameEngine::EOT || c == FrameEngine::ETB) {
            if (seen)
                return true;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 && c != '\r')
            continue;
        if (u >= 128)
            continue;
        last += c == '\r' ? ',' : c;
        if (last.size() > wanted.size())
            last.remove(0, 1);
        seen = seen || last == wanted;
    }
    return false;
}

class LinkFuzzRig {
public:
    explicit LinkFuzzRig(Input& in) : in_(in) {
        link_.setClock(&clock_);
        link_.setLogFolder(QStringLiteral("/nonexistent-folder-for-fuzzing"));
        link_.setTimeout(1);
        link_.setRetry(2);
        link_.setInstrument(&record_);
        transport_.attachClock(&clock_);
        QObject::connect(&transport_, &InMemoryTransport::bytesToPeer, &transport_,
                         [this](const QByteArray& bytes) { onRequest(bytes); });
        transport_.setPeerLine(true, true);
        link_.setTransport(&transport_);
    }
    ~LinkFuzzRig() {
        link_.setPortOpen(false);
        link_.setTransport(nullptr);
    }

    // Opens the link and answers the connect probe properly.
    bool connect() {
        connecting_ = true;
        link_.setPortOpen(true);
        link_.waitWhile([this] { return !link_.Connected(); });
        connecting_ = false;
        return link_.Connected();
    }

    uclTqif& link() { return link_; }
    clsInstrument& record() { return record_; }
    // Every byte the stand-in sent after connecting.
    const QByteArray& delivered() const { return delivered_; }

private:
    void onRequest(const QByteArray& frame) {
        const qsizetype etx = frame.indexOf(FrameEngine::ETX);
        const QByteArray command = etx > 5 ? frame.mid(5, etx - 5) : QByteArray();
        if (connecting_) {
            if (command.startsWith("RC,R,"))
                send(Framed("RC,R,TQ-7350", false, FrameEngine::EOT));
            return;
        }
        bool more = true;
        while (more && !in_.empty()) {
            const uint8_t flags = in_.byte();
            const size_t length = in_.byte() | size_t(in_.byte()) << 8;
            const QByteArray payload = in_.bytes(length);
            more = flags & 8;
            QByteArray answer = payload;
            if (flags & 1)
                answer = Framed(command.left(4) + ',' + payload, flags & 2,
                                (flags & 4) ? FrameEngine::ETB : FrameEngine::EOT);
            int pieces = 1 + ((flags >> 4) & 3);
            qsizetype at = 0;
            for (int p = 1; p < pieces && at < answer.size(); ++p) {
                const qsizetype cut =
                    at + 1 +
                    (payload.isEmpty() ? 0 : uint8_t(payload.at(p % payload.size()))) %
                        (answer.size() - at);
                send(answer.mid(at, cut - at));
                at = cut;
            }
            send(answer.mid(at));
        }
    }

    static QByteArray Framed(const QByteArray& text, bool wrongChecksum, char terminator) {
        QByteArray body;
        body += FrameEngine::STX;
        body += "0001";
        body += text;
        body += FrameEngine::ETX;
        QByteArray sum = FrameEngine::Checksum(body).toLatin1();
        if (wrongChecksum)
            sum[0] = sum.at(0) == '0' ? '1' : '0';
        return body + sum + terminator;
    }

    void send(const QByteArray& bytes) {
        if (bytes.isEmpty())
            return;
        if (!connecting_)
            delivered_ += bytes;
        transport_.receiveFromPeer(bytes);
    }

    Input& in_;
    VirtualLinkClock clock_;
    InMemoryTransport transport_;
    uclTqif link_;
    clsInstrument record_;
    bool connecting_ = false;
    QByteArray delivered_;
};

} // namespace fuzz
