// Helpers for the emulator tests: talk to a SimDetector in-process and take
// its answers apart the way the PC does.
#pragma once

#include "sim/SimDetector.h"
#include "sim/SimProtocol.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

namespace simtest {

// Collects everything the detector sends.
struct Wire {
    explicit Wire(SimDetector& d) : det(d) {
        QObject::connect(&det, &SimDetector::bytesToHost, &det,
                         [this](const QByteArray& b) { got += b; });
    }
    // Sends one request frame and returns what came back synchronously.
    QByteArray ask(const QByteArray& text) {
        got.clear();
        det.receiveFromHost(simproto::BuildRequest(text));
        return got;
    }
    QByteArray blockAck(const QByteArray& five, char ackOrNak) {
        got.clear();
        det.receiveFromHost(simproto::BuildRequest(five + ackOrNak, simproto::ETB));
        return got;
    }
    SimDetector& det;
    QByteArray got;
};

// A detector of the test's own and the wire to it.
class SimTest : public testing::Test {
protected:
    SimDetector det;
    Wire w{det};
};

// An answer frame taken apart: STX "0001" code "," data ETX cs term.
struct Answer {
    bool wellFormed = false;
    QByteArray code; // e.g. "SA,R"
    QByteArray data; // between the comma after the code and ETX
    char status = 0; // eleventh character of the frame
    char terminator = 0;
    bool checksumOk = false;
    QList<QByteArray> tokens; // data split on "," and CR

    bool isAck() const { return status == simproto::ACK; }
};

inline Answer Parse(const QByteArray& f) {
    Answer a;
    const int etx = int(f.lastIndexOf(simproto::ETX));
    if (f.size() < 15 || f.at(0) != simproto::STX || f.mid(1, 4) != "0001" || etx < 10 ||
        etx + 4 != f.size() || f.at(9) != ',')
        return a;
    a.wellFormed = true;
    a.code = f.mid(5, 4);
    a.status = f.at(10);
    a.data = f.mid(10, etx - 10);
    a.terminator = f.at(etx + 3);
    a.checksumOk = simproto::Checksum(f.left(etx + 1)) == f.mid(etx + 1, 2);
    QByteArray d = a.data;
    d.replace(simproto::CR, ',');
    a.tokens = d.split(',');
    return a;
}

} // namespace simtest
