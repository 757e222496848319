// The emulator library on the master side of a pseudo-terminal created by
// this process: the link opens the slave side as a serial port. The time the
// last byte of each answer is written and the time the first byte of the next
// request is read are recorded at the master, i.e. on the wire.
#pragma once

#include "sim/SimDetector.h"

#include <QSocketNotifier>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

class PtyDetector : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    explicit PtyDetector(SimDetector& sim) : sim_(sim) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        path_ = QString::fromLocal8Bit(::ptsname(master_));
        notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { onReadable(); });
        connect(&sim_, &SimDetector::bytesToHost, this,
                [this](const QByteArray& bytes) { writeAnswer(bytes); });
    }
    ~PtyDetector() override {
        if (master_ >= 0)
            ::close(master_);
    }

    bool ok() const { return !path_.isEmpty(); }
    QString slavePath() const { return path_; }
    // Answer-to-next-request gaps in nanoseconds, while recording is on.
    std::vector<double> gapsNs;
    bool recording = false;

private:
    void onReadable() {
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            return; // nobody has the slave open (yet)
        if (answered_ && recording)
            gapsNs.push_back(double(
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - answerAt_)
                    .count()));
        answered_ = false;
        sim_.receiveFromHost(QByteArray(buffer, int(n)));
    }
    void writeAnswer(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        answerAt_ = Clock::now();
        answered_ = true;
    }

    SimDetector& sim_;
    int master_ = -1;
    QString path_;
    QSocketNotifier* notifier_ = nullptr;
    Clock::time_point answerAt_;
    bool answered_ = false;
};
