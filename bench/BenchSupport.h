// Pieces shared by the benchmarks: the emulator program on its own
// pseudo-terminal, a serial transport that watches the bytes each way, and
// connecting a link to it.
#pragma once

#include "link/LinkClock.h"
#include "link/SerialTransport.h"
#include "link/uclTqif.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

// The emulator program: the given path, else next to this program or one
// folder up. Empty when none is found.
inline QString FindSimulator(const QString& given) {
    if (!given.isEmpty())
        return given;
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {here.filePath(QStringLiteral("tq7350-sim")),
                                     here.filePath(QStringLiteral("../tq7350-sim"))}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QString();
}

// `tq7350-sim --pty` with further arguments, for the life of the object.
class SimProgram {
public:
    SimProgram(const QString& program, const QStringList& extraArgs) {
        proc_.setProcessChannelMode(QProcess::SeparateChannels);
        proc_.start(program, QStringList{QStringLiteral("--pty")} + extraArgs);
        QElapsedTimer t;
        t.start();
        while (proc_.waitForStarted(5000) && pty_.isEmpty() && t.elapsed() < 5000) {
            proc_.waitForReadyRead(100);
            pty_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
        }
        if (pty_.isEmpty())
            std::fprintf(stderr, "%s printed no device path\n", qPrintable(program));
    }
    ~SimProgram() {
        proc_.terminate();
        if (!proc_.waitForFinished(3000))
            proc_.kill();
    }
    // The device path it printed; empty when it did not start.
    QString pty() const { return pty_; }

private:
    QProcess proc_;
    QString pty_;
};

// The serial transport with hooks on the bytes that arrive and leave.
class ObservedSerialTransport : public LinkTransport {
public:
    ObservedSerialTransport(const QString& port, const QString& settings) {
        inner_.setPortName(port);
        inner_.setSettings(settings);
        connect(&inner_, &LinkTransport::bytesReceived, this, [this](const QByteArray& b) {
            received(b);
            emit bytesReceived(b);
        });
        connect(&inner_, &LinkTransport::lineStateChanged, this, &LinkTransport::lineStateChanged);
        connect(&inner_, &LinkTransport::lineError, this, &LinkTransport::lineError);
        connect(&inner_, &LinkTransport::logNote, this, &LinkTransport::logNote);
    }
    Kind kind() const override { return Kind::Serial; }
    QString describe() const override { return inner_.describe(); }
    bool open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool send(const QByteArray& bytes) override {
        sending(bytes);
        return inner_.send(bytes);
    }
    void onTick() override { inner_.onTick(); }
    bool hasWorkInFlight() const override { return inner_.hasWorkInFlight(); }

protected:
    virtual void received(const QByteArray&) {}
    virtual void sending(const QByteArray&) {}

private:
    SerialTransport inner_;
};

// Counts the bytes each way.
class CountingTransport : public ObservedSerialTransport {
public:
    using ObservedSerialTransport::ObservedSerialTransport;
    void resetCounts() { in_ = out_ = 0; }
    qint64 in() const { return in_; }
    qint64 out() const { return out_; }

protected:
    void received(const QByteArray& b) override { in_ += b.size(); }
    void sending(const QByteArray& b) override { out_ += b.size(); }

private:
    qint64 in_ = 0;
    qint64 out_ = 0;
};

// Opens the link on `transport` and waits (at most 10 s) for the detector.
inline bool ConnectLink(uclTqif& link, LinkTransport& transport, const QString& logFolder) {
    link.setLogFolder(logFolder);
    link.setTransport(&transport);
    link.setTimeout(3);
    link.setRetry(3);
    link.setPortOpen(true);
    link.waiter().waitWhile([&] { return !link.Connected(); }, link.clock()->elapsedMs() + 10000);
    if (!link.Connected())
        std::fprintf(stderr, "no connection on %s\n", qPrintable(transport.describe()));
    return link.Connected();
}

// The command line shared by the line-time benchmarks:
//   NAME [--sim PATH] [--baud N]... [--runs N]
// Runs `runAtBaud(sim, baud, runs)` for every baud rate (the defaults when
// none is given) and returns the process exit status.
template <typename RunAtBaud>
int RunLineTimeBenchmark(const char* name, const QList<int>& defaultBauds, RunAtBaud runAtBaud) {
    QString sim;
    QList<int> bauds;
    int runs = 1;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sim") && i + 1 < args.size())
            sim = args[++i];
        else if (args[i] == QLatin1String("--baud") && i + 1 < args.size())
            bauds << args[++i].toInt();
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: %s [--sim PATH] [--baud N]... [--runs N]\n", name);
            return 2;
        }
    }
    if (bauds.isEmpty())
        bauds = defaultBauds;
    sim = FindSimulator(sim);
    if (sim.isEmpty()) {
        std::fprintf(stderr, "tq7350-sim not found; give --sim PATH\n");
        return 2;
    }
    bool ok = true;
    for (int baud : bauds)
        ok = runAtBaud(sim, baud, runs) && ok;
    return ok ? 0 : 1;
}
