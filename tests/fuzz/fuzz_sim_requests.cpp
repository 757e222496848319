// The emulator on any bytes from the host: its frame splitter and every
// command handler. The input is a list of requests, each a flag byte, a
// length byte and that many bytes:
//   bit 0  frame the bytes as a request (STX "0001" ... ETX checksum
//          terminator), with a command code of the command set and a form
//          letter in front; otherwise the bytes go as they are
//   bit 1  a wrong checksum
//   bit 2  ETB in place of EOT (a block acknowledgement)
//   bit 3  take the line down and up again first
//   bits 4-5  cut into up to four pieces
// After every request the emulator's records stay bounded and its state
// stays one that saves and loads.
#include "FuzzSupport.h"

#include "link/CommandSet.h"
#include "sim/SimDetector.h"
#include "sim/SimProtocol.h"

#include <QJsonObject>

#include <deque>
#include <functional>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    SimDetector det;
    // Time stands still and delayed work runs after each request, a bounded number of times.
    std::deque<std::function<void()>> later;
    qint64 nowUs = 0;
    det.setScheduler([&later](int, std::function<void()> fn) { later.push_back(std::move(fn)); });
    det.setMonotonicClock([&nowUs] { return nowUs; });
    det.setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(3, 0)); });
    QByteArray answers;
    QObject::connect(&det, &SimDetector::bytesToHost, &det,
                     [&answers](const QByteArray& b) { answers += b; });
    const auto& rows = CommandSet::Rows();
    static const char kForms[] = "RWCE";

    while (!in.empty()) {
        const uint8_t flags = in.byte();
        QByteArray bytes = in.bytes(in.byte());
        if (flags & 1) {
            const uint8_t pick = in.byte();
            const QByteArray code = rows.at(pick % rows.size()).Code.toLatin1();
            const QByteArray text = code + ',' + kForms[(pick >> 6) & 3] + ',' + bytes;
            bytes = simproto::BuildRequest(text, (flags & 4) ? simproto::ETB : simproto::EOT);
            if (flags & 2) {
                const qsizetype sum = bytes.size() - 3;
                bytes[sum] = bytes.at(sum) == '0' ? '1' : '0';
            }
        }
        if (flags & 8) {
            det.setLineUp(false);
            det.setLineUp(true);
        }
        const int pieces = 1 + ((flags >> 4) & 3);
        qsizetype at = 0;
        for (int p = 1; p < pieces && at < bytes.size(); ++p) {
            const qsizetype cut = at + 1 + (in.byte() % (bytes.size() - at));
            det.receiveFromHost(bytes.mid(at, cut - at));
            at = cut;
        }
        det.receiveFromHost(bytes.mid(at));
        for (int n = 0; n < 64 && !later.empty(); ++n) {
            nowUs += 100000;
            auto fn = std::move(later.front());
            later.pop_front();
            fn();
        }
        fuzz::Check(det.receivedCommands().size() <= SimDetector::kRecentRecords &&
                        det.receivedBlockAcks().size() <= SimDetector::kRecentRecords &&
                        det.refusals().size() <= SimDetector::kRecentRecords,
                    "the emulator's records stay bounded");
        fuzz::Check(det.stagedCount() <= 4096, "staged writes stay bounded");
    }
    SimState again = SimState::Defaults();
    QString error;
    fuzz::Check(SimState::fromJson(det.state().toJson(), again, &error),
                "the emulator's state stays one that loads", error.toUtf8());
    fuzz::Check(again.toJson() == det.state().toJson(), "and loads back the same");
    return 0;
}
