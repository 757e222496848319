// Test rig for the link: a uclTqif on a virtual clock, joined in memory to a
// scripted peer that answers with whatever the test's responder returns.
#pragma once

#include "common/TestSupport.h"
#include "link/FrameEngine.h"
#include "link/InMemoryTransport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace linktest {

// An answer frame as the detector sends it: STX "0001" code "," data ETX
// checksum terminator.
inline QByteArray BuildAnswerFrame(const QString& code, const QString& data,
                                   char terminator = FrameEngine::EOT) {
    QByteArray body;
    body += FrameEngine::STX;
    body += "0001";
    body += code.toLatin1();
    body += ',';
    body += data.toLatin1();
    body += FrameEngine::ETX;
    return body + FrameEngine::Checksum(body).toLatin1() + terminator;
}

// The command text of a request frame (between the address and the ETX).
inline QString CommandOf(const QByteArray& frame) {
    const int etx = frame.indexOf(FrameEngine::ETX);
    if (frame.size() < 5 || frame.at(0) != FrameEngine::STX || etx < 5)
        return QString();
    return QString::fromLatin1(frame.mid(5, etx - 5));
}

// A detector stand-in: every request goes to `respond`, whose result (if not
// empty) is sent straight back, from inside the receive call as the real
// emulator may do.
class ScriptedPeer : public QObject {
    Q_OBJECT
public:
    using Responder = std::function<QByteArray(const QString& command, const QByteArray& frame)>;

    explicit ScriptedPeer(LinkClock* clock) : clock_(clock) {}

    Responder respond;
    QList<QByteArray> requests;
    QList<qint64> requestTimes; // clock time of each request

    void receiveFromHost(const QByteArray& bytes) {
        requests << bytes;
        requestTimes << (clock_ ? clock_->elapsedMs() : 0);
        if (!respond)
            return;
        const QByteArray answer = respond(CommandOf(bytes), bytes);
        if (!answer.isEmpty())
            emit bytesToHost(answer);
    }
    bool lineUp() const { return up_; }
    void setLine(bool cts, bool dsr) {
        up_ = cts && dsr;
        emit lineChanged(cts, dsr);
    }
    // Answers at once with bytes the test chooses (not as a reply).
    void push(const QByteArray& bytes) { emit bytesToHost(bytes); }

    QStringList commands() const {
        QStringList out;
        for (const QByteArray& r : requests)
            out << CommandOf(r);
        return out;
    }

signals:
    void bytesToHost(const QByteArray& bytes);
    void lineChanged(bool cts, bool dsr);

private:
    LinkClock* clock_;
    bool up_ = true;
};

// The link, its virtual clock, the in-memory transport and a scripted peer,
// with the serial log in a scratch folder.
struct Rig {
    testsupport::ScratchDir dir;
    VirtualLinkClock clock;
    InMemoryTransport transport;
    ScriptedPeer peer{&clock};
    uclTqif link;
    QStringList acceptedFrames;
    bool parserAccepts = true;

    Rig() {
        link.setClock(&clock);
        link.setLogFolder(dir.path());
        link.setTimeout(1);
        link.setRetry(3);
        transport.attachClock(&clock);
        JoinInMemory(transport, peer);
        link.setTransport(&transport);
        link.setResponseParser([this](const QString& frame) {
            acceptedFrames << frame;
            return parserAccepts;
        });
    }

    // Opens the link and lets the peer answer the connect probe.
    bool connect() {
        auto previous = peer.respond;
        peer.respond = [previous](const QString& command, const QByteArray& frame) {
            if (command == QLatin1String("RC,R,"))
                return BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350"));
            return previous ? previous(command, frame) : QByteArray();
        };
        link.setPortOpen(true);
        link.waitWhile([this] { return !link.Connected(); });
        peer.requests.clear();
        peer.requestTimes.clear();
        return link.Connected() && link.Status() == 6;
    }

    QStringList logLines() const {
        QFile file(link.serialLog().filePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(file.readAll());
        QStringList lines = text.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    // Log lines without their time stamp.
    QStringList logEntries() const {
        QStringList out;
        for (const QString& line : logLines())
            out << line.mid(9);
        return out;
    }
};

} // namespace linktest
