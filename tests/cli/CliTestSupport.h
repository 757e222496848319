// Running the real tq7350ctl and tq7350-sim programs from the tests.
#pragma once

#include "common/TestSupport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

namespace clitest {

using testsupport::ReadAll;
using testsupport::WriteAll;

// A catalogue text as the tool prints it: line breaks as new lines, no
// trailing one.
inline QString Printed(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    while (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    return t;
}

// The words of a command line.
inline QStringList Words(const char* line) {
    return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The value at a path of keys and array indexes ("record/channels/1/name").
inline QJsonValue At(const QJsonObject& o, const char* path) {
    QJsonValue v = o;
    for (const QString& key : QString::fromLatin1(path).split(QLatin1Char('/')))
        v = v.isArray() ? v.toArray().at(key.toInt()) : v.toObject().value(key);
    return v;
}

inline QString CtlProgram() {
    return QStringLiteral(TQ_BINARY_DIR "/tq7350ctl");
}
inline QString SimProgram() {
    return QStringLiteral(TQ_BINARY_DIR "/tq7350-sim");
}
inline bool ProgramsBuilt() {
    return QFileInfo(CtlProgram()).isExecutable() && QFileInfo(SimProgram()).isExecutable();
}

struct RunResult {
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
    QString errText() const { return QString::fromUtf8(err); }
    QString outText() const { return QString::fromUtf8(out); }
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// The environment of a program run in `folder`: the catalogue in `lang`, no
// port or socket and no display from the caller's environment, and the
// program's own data (the journal of unfinished writes) in the test's
// folder, where runs of other tests do not see it.
inline QProcessEnvironment RunEnvironment(const QString& folder,
                                          const QString& lang = QStringLiteral("en")) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TQ7350_LANG"), lang);
    for (const char* name : {"TQ7350_PORT", "TQ7350_SOCKET", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("TQ7350_DATA_DIR"), folder + QStringLiteral("/data"));
    return env;
}

// Runs `program` in `folder` and waits for it (killed after `timeoutMs`).
inline RunResult RunIn(const QString& program, const QStringList& args, const QString& folder,
                       const QProcessEnvironment& env, int timeoutMs = 60000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(10000))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Runs tq7350ctl in `folder` with the catalogue in English unless the
// arguments say otherwise.
inline RunResult RunCtl(const QStringList& args, const QString& folder, int timeoutMs = 60000,
                        const QString& lang = QStringLiteral("en"),
                        const QStringList& extraEnvironment = {}) {
    QProcessEnvironment env = RunEnvironment(folder, lang);
    for (const QString& pair : extraEnvironment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return RunIn(CtlProgram(), args, folder, env, timeoutMs);
}

// The emulator program on a pseudo-terminal; stopped when the object goes.
class SimOnPty {
public:
    explicit SimOnPty(const QStringList& extra) {
        process_.setProgram(SimProgram());
        process_.setArguments(QStringList{QStringLiteral("--pty")} + extra);
        process_.start();
        if (!process_.waitForStarted(10000))
            return;
        QElapsedTimer t;
        t.start();
        while (path_.isEmpty() && t.elapsed() < 10000) {
            process_.waitForReadyRead(100);
            path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        }
    }
    ~SimOnPty() { stop(); }
    SimOnPty(const SimOnPty&) = delete;
    SimOnPty& operator=(const SimOnPty&) = delete;

    QString path() const { return path_; }
    bool ok() const { return path_.startsWith(QLatin1String("/dev/")); }
    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }
    // Everything the emulator wrote on its standard error so far.
    QString log() {
        errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
        return errors_;
    }

private:
    QProcess process_;
    QString path_;
    QString errors_;
};

// Runs the tool against its built-in emulator whose state lives in `state`.
inline RunResult RunSimCtl(const QString& state, const QStringList& args, const QString& folder) {
    return RunCtl(QStringList{QStringLiteral("--sim"), QStringLiteral("--sim-state"), state} + args,
                  folder);
}

inline QJsonObject ReadJson(const QString& path) {
    return QJsonDocument::fromJson(ReadAll(path)).object();
}

inline bool WriteJson(const QString& path, const QJsonObject& o) {
    return WriteAll(path, QJsonDocument(o).toJson());
}

// The emulator's default state, as its program prints it.
inline QJsonObject DefaultSimState() {
    QProcess p;
    p.start(SimProgram(), {QStringLiteral("--print-defaults")});
    p.waitForFinished(10000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

#define REQUIRE_PROGRAMS()                                                                         \
    if (!ProgramsBuilt())                                                                          \
    GTEST_SKIP() << "tq7350ctl or tq7350-sim is not built"

inline void SetChannel(QJsonObject& state, int ch, const char* key, const QJsonValue& value) {
    QJsonArray channels = state.value(QStringLiteral("channels")).toArray();
    QJsonObject c = channels.at(ch).toObject();
    c.insert(QLatin1String(key), value);
    channels.replace(ch, c);
    state.insert(QStringLiteral("channels"), channels);
}

inline void SetSetting(QJsonObject& state, const char* key, int value) {
    QJsonObject settings = state.value(QStringLiteral("settings")).toObject();
    settings.insert(QLatin1String(key), value);
    state.insert(QStringLiteral("settings"), settings);
}

// The parts of a read that a settings write carries.
inline QJsonObject WrittenPart(const QJsonObject& readResult) {
    const QJsonObject record = readResult.value(QStringLiteral("record")).toObject();
    QJsonArray channels;
    for (const QJsonValue& v : record.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject c = v.toObject();
        QJsonObject kept;
        for (const char* key : {"enabled", "name", "unit", "point", "fullScale", "step", "warning",
                                "alarm", "stel", "twa", "autoCal", "zeroFollower"})
            kept.insert(QLatin1String(key), c.value(QLatin1String(key)));
        channels.append(kept);
    }
    QJsonObject o;
    o.insert(QStringLiteral("settings"), record.value(QStringLiteral("settings")));
    o.insert(QStringLiteral("channels"), channels);
    o.insert(QStringLiteral("specNo"),
             record.value(QStringLiteral("identity")).toObject().value(QStringLiteral("specNo")));
    return o;
}

// Replaces the line of a settings file that starts with `code`.
inline QByteArray ReplaceLine(const QByteArray& file, const QByteArray& code,
                              const QByteArray& line) {
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray& l : lines)
        if (l.startsWith(code + ","))
            l = line + "\r";
    return lines.join('\n');
}

} // namespace clitest
