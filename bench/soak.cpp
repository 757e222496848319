// soak: read → edit → verified write → read cycles of tq7350ctl against
// tq7350-sim on a pseudo-terminal whose answers are disturbed, checking after
// every cycle what the emulator really committed.
//
// The emulator keeps its committed state in a state file (--state). After
// every cycle a copy of that file is read by the tool's own fault-free
// in-process emulator (`tq7350ctl --sim --sim-state COPY read --seq`), so the
// check compares settings files, the form the write started from, and needs
// no knowledge of either program's insides. What the cycle may leave:
// - the write said it succeeded (exit status 0): the state holds exactly the
//   file that was written, otherwise a false success;
// - the write failed: the state holds the old values (nothing stored, or put
//   back), or the new ones with the write left in the journal of unfinished
//   writes (then `recover` runs before the next cycle); anything else, or new
//   values with nothing in the journal, is a corrupted state.
// Every run of the tool has a time limit (a run killed by it is hung) and a
// run ended by a signal is a crash.
//
// Besides the main emulator, which runs for the whole soak so that its memory
// at the start and the end can be compared, some cycles go to a second
// emulator started on a copy of the state with a switch that cannot be set on
// a running one: the line taken down after a random number of commands, or
// the confirm never acknowledged. Their data folder is their own.
//
// --kill-test N instead kills the tool at a random moment of N writes (and of
// settings-file reads) and checks that the state is all old or all new and
// that no file the tool writes (settings file, journal entry, history) is
// half written.
//
// Exit status: 0 when no cycle ended as a false success, a corrupted state,
// a crash or a hang (and, for the kill test, every check held); 1 otherwise;
// 2 for a bad command line or when the programs could not be started.
#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "records/SettingsHistory.h"
#include "records/WriteJournal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <optional>

namespace {

// Exit statuses of the tool (docs/cli.md).
constexpr int kToolOk = 0;
constexpr int kToolNoDetector = 3;
constexpr int kToolHighestStatus = 3;
// The soak's own.
constexpr int kSoakClean = 0;
constexpr int kSoakFaultFound = 1;
constexpr int kSoakCannotRun = 2;

void Say(const QString& text) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

struct Options {
    QString sim;
    QString ctl;
    QString work; // empty: a temporary folder
    int cycles = 0;
    int seconds = 0;
    quint32 seed = 1;
    // Every Nth answer of the main emulator; 0 = off.
    int dropEvery = 0;
    int garbleEvery = 0;
    int truncateEvery = 0;
    int bareCrEvery = 0;
    // Every Nth cycle goes to a second emulator with that switch; 0 = never.
    int lineDropCycleEvery = 0;
    int neverCommitCycleEvery = 0;
    int commitPolls = 1;
    int toolLimitSeconds = 180;
    int timeout = 1;
    int retry = 3;
    int killTest = 0;
    bool verbose = false;
};

struct ToolRun {
    int exitCode = -1;
    bool crashed = false; // ended by a signal, or an exit status the tool never gives
    bool hung = false;    // killed by the time limit
    bool killed = false;  // killed on purpose (kill test)
    QString errorText;
    qint64 ms = 0;
    bool ok() const { return !crashed && !hung && !killed && exitCode == kToolOk; }
};

// One emulator program on its own pseudo-terminal.
class Emulator {
public:
    bool start(const Options& o, const QString& statePath, const QStringList& extra,
               const QString& logPath) {
        QStringList args{QStringLiteral("--pty"), QStringLiteral("--state"), statePath,
                         QStringLiteral("--commit-polls"), QString::number(o.commitPolls)};
        auto every = [&args](const char* name, int n) {
            if (n > 0)
                args << QLatin1String(name) << QString::number(n);
        };
        every("--drop-every", o.dropEvery);
        every("--garble-every", o.garbleEvery);
        every("--truncate-every", o.truncateEvery);
        every("--bare-cr-every", o.bareCrEvery);
        args << extra;
        proc_.setStandardErrorFile(logPath, QIODevice::Append);
        proc_.start(o.sim, args);
        if (!proc_.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (pty_.isEmpty() && t.elapsed() < 5000) {
            if (!proc_.canReadLine())
                proc_.waitForReadyRead(100);
            pty_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
        }
        return !pty_.isEmpty();
    }
    void stop() {
        if (proc_.state() == QProcess::NotRunning)
            return;
        proc_.terminate();
        if (!proc_.waitForFinished(5000))
            proc_.kill();
        proc_.waitForFinished(1000);
    }
    ~Emulator() { stop(); }
    QString pty() const { return pty_; }
    bool running() const { return proc_.state() == QProcess::Running; }
    // Resident memory in KiB (Linux), -1 when unknown.
    qint64 rssKiB() const {
        QFile status(QStringLiteral("/proc/%1/status").arg(proc_.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }

private:
    QProcess proc_;
    QString pty_;
};

class Soak {
public:
    Soak(const Options& o, const QString& work)
        : o_(o), work_(work), rng_(o.seed), dataDir_(QDir(work).filePath(QStringLiteral("data"))),
          sideDataDir_(QDir(work).filePath(QStringLiteral("side-data"))) {
        QDir().mkpath(dataDir_);
        QDir().mkpath(sideDataDir_);
    }

    bool startMain(Emulator& main, const QString& statePath, QByteArray& old);
    int runCycles();
    int runKillTest();

private:
    QString path(const QString& name) const { return QDir(work_).filePath(name); }

    ToolRun tool(const QStringList& args, const QString& dataDir, int killAfterMs = -1) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TQ7350_DATA_DIR"), dataDir);
        env.insert(QStringLiteral("TQ7350_LANG"), QStringLiteral("en"));
        env.remove(QStringLiteral("TQ7350_PORT"));
        env.remove(QStringLiteral("TQ7350_SOCKET"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(work_);
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(o_.ctl,
                QStringList{QStringLiteral("--serial-log"), path(QStringLiteral("cycle.log")),
                            QStringLiteral("--timeout"), QString::number(o_.timeout),
                            QStringLiteral("--retry"), QString::number(o_.retry)} +
                    args);
        ToolRun r;
        if (!p.waitForStarted(10000)) {
            r.crashed = true;
            r.errorText = QStringLiteral("the tool did not start");
            return r;
        }
        const int limit = killAfterMs >= 0 ? killAfterMs : o_.toolLimitSeconds * 1000;
        if (!p.waitForFinished(limit)) {
            p.kill();
            p.waitForFinished(5000);
            (killAfterMs >= 0 ? r.killed : r.hung) = true;
        } else if (p.exitStatus() == QProcess::CrashExit || p.exitCode() < 0 ||
                   p.exitCode() > kToolHighestStatus) {
            r.crashed = true;
        }
        r.exitCode = p.exitCode();
        r.errorText = QString::fromUtf8(p.readAllStandardError()).trimmed();
        r.ms = t.elapsed();
        return r;
    }

    // The settings the state file holds, as a settings file's text; empty
    // when it could not be read.
    QByteArray committed(const QString& statePath) {
        const QString copy = path(QStringLiteral("check-state.json"));
        const QString seq = path(QStringLiteral("check.seq"));
        QFile::remove(copy);
        QFile::remove(seq);
        if (!QFile::copy(statePath, copy))
            return {};
        const ToolRun r = tool({QStringLiteral("--sim"), QStringLiteral("--sim-state"), copy,
                                QStringLiteral("read"), QStringLiteral("--seq"), seq},
                               path(QStringLiteral("check-data")));
        if (!r.ok())
            return {};
        return ReadAll(seq);
    }

    static QByteArray ReadAll(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A copy of the settings in `from` with one to three settings changed;
    // the new file's text. Empty when the file could not be read or written.
    QByteArray edit(const QByteArray& from, const QString& to);

    // Puts an unfinished write right (--restore, or --finish now and then);
    // true when the journal is empty afterwards.
    bool recover(const QString& pty, const QString& dataDir) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            const bool finish = rng_.bounded(4) == 0;
            const ToolRun r =
                tool({QStringLiteral("--port"), pty, QStringLiteral("recover"),
                      finish ? QStringLiteral("--finish") : QStringLiteral("--restore")},
                     dataDir);
            ++recoverRuns_;
            if (r.crashed || r.hung)
                return false;
            if (JournalEntries(dataDir) == 0)
                return true;
        }
        return false;
    }

    static int JournalEntries(const QString& dataDir) {
        return int(QDir(QDir(dataDir).filePath(QStringLiteral("pending-writes")))
                       .entryList({QStringLiteral("*.json")}, QDir::Files)
                       .size());
    }

    // The stderr of a bad cycle and its serial log, kept for a look later.
    void keep(const QString& what, int cycle, const ToolRun& r) {
        const QString name = QStringLiteral("%1-%2").arg(what).arg(cycle);
        QFile::copy(path(QStringLiteral("cycle.log")), path(name + QStringLiteral(".log")));
        QFile::copy(path(QStringLiteral("new.seq")), path(name + QStringLiteral(".seq")));
        Say(QStringLiteral("cycle %1: %2 (exit %3, %4 ms): %5")
                .arg(cycle)
                .arg(what)
                .arg(r.exitCode)
                .arg(r.ms)
                .arg(r.errorText.right(300)));
    }

    // One read → edit → write → check cycle against `pty`, whose state file is
    // `statePath`. `old` is the committed state before; on return the
    // committed state after.
    void cycle(int n, const QString& pty, const QString& statePath, const QString& dataDir,
               QByteArray& old, bool side, bool mustFail);

    // Files the tool writes, whole or absent: the settings file, journal
    // entries and the history. Returns the problems found.
    QStringList halfWrittenFiles(const QString& seqPath, const QString& dataDir) const;

    const Options& o_;
    QString work_;
    QRandomGenerator rng_;
    QString dataDir_;
    QString sideDataDir_;

    // Counts.
    int succeeded_ = 0;
    int failedCleanly_ = 0;
    int failedUnfinished_ = 0; // failed, new values stored, left in the journal and recovered
    int hung_ = 0;
    int falseSuccess_ = 0;
    int corrupted_ = 0;
    int crashed_ = 0;
    int readFailed_ = 0;
    int readWrong_ = 0;  // a read that said it succeeded but gave other values
    int noDetector_ = 0; // failed cleanly because no detector answered the connect polls
    int recoverRuns_ = 0;
    int recoverFailed_ = 0;
    int sideCycles_ = 0;
    int checkFailed_ = 0;
};

QByteArray Soak::edit(const QByteArray& from, const QString& to) {
    clsInstrument record;
    const SettingsFile::FileResult loaded =
        SettingsFile::ParseSettingsText(from, QStringLiteral("current"), record);
    if (!loaded.ok)
        return {};
    // Settings whose every value in the range is one the checks accept.
    const std::vector<std::function<void()>> edits = {
        [&] { record.setLcdBackLight(int16_t(rng_.bounded(0, 256))); },
        [&] { record.setCalLimit(int16_t(rng_.bounded(1, 366))); },
        [&] { record.setIntervals(int16_t(rng_.bounded(1, 3601))); },
        [&] { record.setBumpLimit(int16_t(rng_.bounded(0, 31))); },
        // The CO channel: warning 15..35 below alarm 40..50 (STEL 200, full scale 500).
        [&] { record.setWarning(2, float(rng_.bounded(15, 36))); },
        [&] { record.setAlarm(2, float(rng_.bounded(40, 51))); },
    };
    const QStringList before = SettingsFile::SettingsFileLines(record);
    const int count = 1 + int(rng_.bounded(3));
    for (int i = 0; i < count; ++i)
        edits[rng_.bounded(quint32(edits.size()))]();
    const QStringList changed = SettingsFile::SettingsFileLines(record);
    // Only the edited lines are replaced: a line the record does not carry
    // whole (the sensor library's "LS") stays as the detector gave it.
    if (before.size() != changed.size())
        return {};
    QList<QByteArray> lines = from.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype at =
            before.indexOf(QString::fromUtf8(line.endsWith('\r') ? line.chopped(1) : line));
        if (at >= 0 && before[at] != changed[at])
            line = changed[at].toUtf8() + (line.endsWith('\r') ? "\r" : "");
    }
    const QByteArray text = lines.join('\n');
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        return {};
    return text;
}

void Soak::cycle(int n, const QString& pty, const QString& statePath, const QString& dataDir,
                 QByteArray& old, bool side, bool mustFail) {
    QFile::remove(path(QStringLiteral("cycle.log")));
    // Read: a read that says it succeeded must give what the detector holds.
    // A second emulator's cycle goes straight to the write, where its line
    // drop is meant to fall.
    const QString current = path(QStringLiteral("current.seq"));
    QFile::remove(current);
    const ToolRun read = side ? ToolRun{}
                              : tool({QStringLiteral("--port"), pty, QStringLiteral("read"),
                                      QStringLiteral("--seq"), current},
                                     dataDir);
    if (side) {
        // no read
    } else if (read.crashed || read.hung) {
        ++(read.crashed ? crashed_ : hung_);
        keep(read.crashed ? QStringLiteral("read-crashed") : QStringLiteral("read-hung"), n, read);
    } else if (!read.ok()) {
        ++readFailed_;
    } else if (ReadAll(current) != old) {
        ++readWrong_;
        keep(QStringLiteral("read-wrong"), n, read);
    }

    // Edit the committed settings (a failed read still leaves something to write).
    const QString next = path(QStringLiteral("new.seq"));
    const QByteArray written = edit(old, next);
    if (written.isEmpty()) {
        ++checkFailed_;
        Say(QStringLiteral("cycle %1: could not make the file to write").arg(n));
        return;
    }

    const ToolRun write =
        tool({QStringLiteral("--port"), pty, QStringLiteral("write"), next}, dataDir);
    const QByteArray after = committed(statePath);
    if (after.isEmpty()) {
        ++checkFailed_;
        Say(QStringLiteral("cycle %1: the state file could not be read").arg(n));
        return;
    }
    const bool isOld = after == old;
    const bool isNew = after == written;
    const int unfinished = JournalEntries(dataDir);

    if (write.crashed) {
        ++crashed_;
        keep(QStringLiteral("crashed"), n, write);
    } else if (write.hung) {
        ++hung_;
        keep(QStringLiteral("hung"), n, write);
    } else if (write.ok()) {
        if (isNew && !mustFail) {
            ++succeeded_;
        } else {
            ++falseSuccess_;
            keep(QStringLiteral("false-success"), n, write);
        }
    } else if (!isOld && !(isNew && unfinished > 0)) {
        ++corrupted_;
        keep(QStringLiteral("corrupted"), n, write);
    } else if (write.errorText.isEmpty()) {
        // A failure without a word is no clean failure.
        ++corrupted_;
        keep(QStringLiteral("silent-failure"), n, write);
    } else if (isNew) {
        ++failedUnfinished_;
    } else {
        ++failedCleanly_;
        if (write.exitCode == kToolNoDetector)
            ++noDetector_;
    }
    if (o_.verbose)
        Say(QStringLiteral("cycle %1: exit %2 in %3 ms, state %4")
                .arg(n)
                .arg(write.exitCode)
                .arg(write.ms)
                .arg(isNew   ? QStringLiteral("new")
                     : isOld ? QStringLiteral("old")
                             : QStringLiteral("other")));

    // A second emulator's journal is thrown away with it.
    if (unfinished > 0 && !side && !recover(pty, dataDir))
        ++recoverFailed_;
    old = committed(statePath);
}

// Starts the main emulator on `statePath` and reads its committed state
// into `old`; says why and returns false when either fails.
bool Soak::startMain(Emulator& main, const QString& statePath, QByteArray& old) {
    if (!main.start(o_, statePath, {}, path(QStringLiteral("sim.err")))) {
        Say(QStringLiteral("soak: %1 did not start").arg(o_.sim));
        return false;
    }
    old = committed(statePath);
    if (old.isEmpty()) {
        Say(QStringLiteral("soak: the emulator's state file cannot be read"));
        return false;
    }
    return true;
}

int Soak::runCycles() {
    const QString statePath = path(QStringLiteral("state.json"));
    Emulator main;
    QByteArray old;
    if (!startMain(main, statePath, old))
        return kSoakCannotRun;
    const qint64 rssStart = main.rssKiB();
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while ((o_.cycles == 0 || n < o_.cycles) &&
           (o_.seconds == 0 || clock.elapsed() < qint64(o_.seconds) * 1000)) {
        ++n;
        const bool lineDrop = o_.lineDropCycleEvery > 0 && n % o_.lineDropCycleEvery == 0;
        const bool neverCommit = o_.neverCommitCycleEvery > 0 && n % o_.neverCommitCycleEvery == 0;
        if (!lineDrop && !neverCommit) {
            cycle(n, main.pty(), statePath, dataDir_, old, false, false);
            continue;
        }
        // A cycle of its own on a copy of the state; the main state is untouched.
        ++sideCycles_;
        const QString sideState = path(QStringLiteral("side-state.json"));
        QFile::remove(sideState);
        QFile::copy(statePath, sideState);
        QStringList extra;
        if (neverCommit)
            extra << QStringLiteral("--never-commit");
        else
            extra << QStringLiteral("--drop-line-after") << QString::number(rng_.bounded(1, 150))
                  << QStringLiteral("--restart-after") << QStringLiteral("500");
        Emulator side;
        if (!side.start(o_, sideState, extra, path(QStringLiteral("side-sim.err")))) {
            ++checkFailed_;
            continue;
        }
        QByteArray sideOld = old;
        cycle(n, side.pty(), sideState, sideDataDir_, sideOld, true, neverCommit);
        side.stop();
        // Whatever the side cycle left unfinished belongs to its own detector.
        QDir(QDir(sideDataDir_).filePath(QStringLiteral("pending-writes"))).removeRecursively();
    }
    const qint64 rssEnd = main.rssKiB();

    Say(QStringLiteral("cycles:             %1 in %2 s (seed %3; %4 on a second emulator)")
            .arg(n)
            .arg(clock.elapsed() / 1000)
            .arg(o_.seed)
            .arg(sideCycles_));
    Say(QStringLiteral("succeeded:          %1").arg(succeeded_));
    Say(QStringLiteral("failed cleanly:     %1 (%2 of them: no detector answered the connect "
                       "polls; %3: new values stored, left as an unfinished write and recovered)")
            .arg(failedCleanly_ + failedUnfinished_)
            .arg(noDetector_)
            .arg(failedUnfinished_));
    Say(QStringLiteral("hung:               %1").arg(hung_));
    Say(QStringLiteral("false success:      %1").arg(falseSuccess_));
    Say(QStringLiteral("corrupted state:    %1").arg(corrupted_));
    Say(QStringLiteral("crashed:            %1").arg(crashed_));
    Say(QStringLiteral("reads failed:       %1 (reads with wrong values: %2)")
            .arg(readFailed_)
            .arg(readWrong_));
    Say(QStringLiteral("recover runs:       %1 (left unrecovered: %2)")
            .arg(recoverRuns_)
            .arg(recoverFailed_));
    Say(QStringLiteral("emulator memory:    %1 KiB at the start, %2 KiB at the end")
            .arg(rssStart)
            .arg(rssEnd));
    if (checkFailed_ > 0)
        Say(QStringLiteral("checks not made:    %1").arg(checkFailed_));
    const bool clean = falseSuccess_ == 0 && corrupted_ == 0 && crashed_ == 0 && hung_ == 0 &&
                       readWrong_ == 0 && recoverFailed_ == 0 && checkFailed_ == 0;
    return clean ? kSoakClean : kSoakFaultFound;
}

QStringList Soak::halfWrittenFiles(const QString& seqPath, const QString& dataDir) const {
    QStringList problems;
    if (QFileInfo::exists(seqPath)) {
        clsInstrument record;
        const SettingsFile::FileResult r = SettingsFile::LoadSettingsFile(seqPath, record);
        if (!r.ok)
            problems << QStringLiteral("settings file: ") + r.Describe();
    }
    const QDir journal(QDir(dataDir).filePath(QStringLiteral("pending-writes")));
    for (const QString& name : journal.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QString error;
        if (!WriteJournal::Parse(ReadAll(journal.filePath(name)), &error))
            problems << QStringLiteral("journal entry %1: %2").arg(name, error);
    }
    const QString history = QDir(work_).filePath(HistoryFileName(QStringLiteral("_soak")));
    if (QFileInfo::exists(history)) {
        const QByteArray text = ReadAll(history);
        if (!text.isEmpty() && !text.endsWith("\r\n"))
            problems << QStringLiteral("history: the last line is cut");
        const qsizetype fields = HistoryHeaderFields().size();
        const QList<QByteArray> lines = text.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i) {
            // Fields outside quotes, as the history writes them.
            qsizetype commas = 0;
            bool inQuotes = false;
            for (const char c : lines[i]) {
                if (c == '"')
                    inQuotes = !inQuotes;
                else if (c == ',' && !inQuotes)
                    ++commas;
            }
            if (commas + 1 != fields)
                problems << QStringLiteral("history line %1: %2 fields, not %3")
                                .arg(i + 1)
                                .arg(commas + 1)
                                .arg(fields);
        }
    }
    return problems;
}

int Soak::runKillTest() {
    const QString statePath = path(QStringLiteral("state.json"));
    Emulator main;
    QByteArray old;
    if (!startMain(main, statePath, old))
        return kSoakCannotRun;
    // How long a whole write takes, so that the kills fall inside one.
    const QString next = path(QStringLiteral("new.seq"));
    QByteArray written = edit(old, next);
    const ToolRun timing = tool({QStringLiteral("--port"), main.pty(), QStringLiteral("write"),
                                 next, QStringLiteral("--history"), QStringLiteral("_soak")},
                                dataDir_);
    if (!timing.ok()) {
        Say(QStringLiteral("soak: the timing write failed: %1").arg(timing.errorText));
        return kSoakCannotRun;
    }
    old = committed(statePath);
    const int span = int(std::max<qint64>(1000, timing.ms));

    int allOld = 0, allNew = 0, mixed = 0, halfFiles = 0, exitedFirst = 0, unrecovered = 0;
    const QString seqOut = path(QStringLiteral("out.seq"));
    for (int i = 1; i <= o_.killTest; ++i) {
        QFile::remove(path(QStringLiteral("cycle.log")));
        written = edit(old, next);
        // Every fourth kill falls into a read that stores a settings file;
        // every other one into the last second of a write, where it stores.
        const bool readKill = i % 4 == 0;
        const int at = readKill     ? int(rng_.bounded(600)) // a read takes about half a second
                       : i % 2 == 0 ? span - 1000 + int(rng_.bounded(1000))
                                    : int(rng_.bounded(quint32(span)));
        const ToolRun r = readKill
                              ? tool({QStringLiteral("--port"), main.pty(), QStringLiteral("read"),
                                      QStringLiteral("--seq"), seqOut, QStringLiteral("--history"),
                                      QStringLiteral("_soak")},
                                     dataDir_, at)
                              : tool({QStringLiteral("--port"), main.pty(), QStringLiteral("write"),
                                      next, QStringLiteral("--history"), QStringLiteral("_soak")},
                                     dataDir_, at);
        if (!r.killed)
            ++exitedFirst;
        const QStringList problems = halfWrittenFiles(seqOut, dataDir_);
        if (!problems.isEmpty()) {
            ++halfFiles;
            Say(QStringLiteral("kill %1 at %2 ms: %3").arg(i).arg(at).arg(problems.join("; ")));
        }
        // Give the emulator a moment to finish what the killed tool started.
        QThread::msleep(200);
        const QByteArray after = committed(statePath);
        if (after == old) {
            ++allOld;
        } else if (after == written && !readKill) {
            ++allNew;
        } else {
            ++mixed;
            keep(QStringLiteral("kill-mixed"), i, r);
        }
        if (o_.verbose)
            Say(QStringLiteral("kill %1 at %2 ms: %3")
                    .arg(i)
                    .arg(at)
                    .arg(after == old ? QStringLiteral("old") : QStringLiteral("new")));
        if (JournalEntries(dataDir_) > 0 && !recover(main.pty(), dataDir_))
            ++unrecovered;
        old = committed(statePath);
    }
    Say(QStringLiteral("kills:              %1 (within the %2 ms of a write, half of them in its "
                       "last second; every fourth in a read that stores a settings file)")
            .arg(o_.killTest)
            .arg(span));
    Say(QStringLiteral("state all old:      %1").arg(allOld));
    Say(QStringLiteral("state all new:      %1").arg(allNew));
    Say(QStringLiteral("state mixed:        %1").arg(mixed));
    Say(QStringLiteral("half-written files: %1").arg(halfFiles));
    Say(QStringLiteral("finished first:     %1 (the tool ended before its kill)").arg(exitedFirst));
    Say(QStringLiteral("recover runs:       %1 (left unrecovered: %2)")
            .arg(recoverRuns_)
            .arg(unrecovered));
    return (mixed == 0 && halfFiles == 0 && unrecovered == 0) ? kSoakClean : kSoakFaultFound;
}

std::optional<Options> ParseOptions(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Read, edit, write and check cycles of tq7350ctl against a disturbed tq7350-sim."));
    p.addHelpOption();
    struct Valued {
        const char* name;
        const char* help;
    };
    const Valued valued[] = {
        {"sim", "The emulator program (default: beside this program's folder)."},
        {"ctl", "The tool (default: beside this program's folder)."},
        {"work", "Folder for the state, the files and the kept logs (default: a temporary one)."},
        {"cycles", "Stop after N cycles."},
        {"seconds", "Stop after S seconds (the cycle running then finishes)."},
        {"seed", "Seed of the edits, the side cycles' line drops and the kill moments."},
        {"disturb", "Per cent of answers disturbed, spread evenly over drops, garbles, "
                    "truncations and bare CRs."},
        {"drop-every", "Drop every Nth answer."},
        {"garble-every", "Garble every Nth answer."},
        {"truncate-every", "Cut every Nth answer."},
        {"bare-cr-every", "Replace every Nth answer by a bare CR."},
        {"line-drop-every", "Every Nth cycle: a second emulator whose line goes down."},
        {"never-commit-every", "Every Nth cycle: a second emulator that never commits."},
        {"commit-polls", "Confirm polls before the emulator acknowledges (default 1)."},
        {"tool-limit", "Seconds a run of the tool may take before it counts as hung "
                       "(default 180)."},
        {"timeout", "The tool's answer time-out in seconds (default 1)."},
        {"retry", "The tool's retries (default 3)."},
        {"kill-test", "Instead of cycles: kill the tool at a random moment of N writes."},
    };
    for (const Valued& v : valued)
        p.addOption(QCommandLineOption(QLatin1String(v.name), QLatin1String(v.help),
                                       QStringLiteral("value")));
    p.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("verbose")},
                                   QStringLiteral("A line per cycle.")));
    p.process(args);

    Options o;
    const QDir here(QCoreApplication::applicationDirPath());
    o.sim = p.isSet(QStringLiteral("sim")) ? p.value(QStringLiteral("sim"))
                                           : here.filePath(QStringLiteral("../tq7350-sim"));
    o.ctl = p.isSet(QStringLiteral("ctl")) ? p.value(QStringLiteral("ctl"))
                                           : here.filePath(QStringLiteral("../tq7350ctl"));
    o.work = p.value(QStringLiteral("work"));
    o.verbose = p.isSet(QStringLiteral("verbose"));
    bool ok = true;
    auto whole = [&](const char* name, int& out, int lo, int hi) {
        if (!p.isSet(QLatin1String(name)))
            return;
        bool good = false;
        const int v = p.value(QLatin1String(name)).toInt(&good);
        if (!good || v < lo || v > hi) {
            std::fprintf(stderr, "soak: --%s needs a whole number from %d to %d\n", name, lo, hi);
            ok = false;
            return;
        }
        out = v;
    };
    int seed = 1;
    whole("seed", seed, 0, 2147483647);
    o.seed = quint32(seed);
    whole("cycles", o.cycles, 0, 100000000);
    whole("seconds", o.seconds, 0, 100000000);
    whole("drop-every", o.dropEvery, 0, 1000000);
    whole("garble-every", o.garbleEvery, 0, 1000000);
    whole("truncate-every", o.truncateEvery, 0, 1000000);
    whole("bare-cr-every", o.bareCrEvery, 0, 1000000);
    whole("line-drop-every", o.lineDropCycleEvery, 0, 1000000);
    whole("never-commit-every", o.neverCommitCycleEvery, 0, 1000000);
    whole("commit-polls", o.commitPolls, 0, 1000);
    whole("tool-limit", o.toolLimitSeconds, 1, 3600);
    whole("timeout", o.timeout, 1, 60);
    whole("retry", o.retry, 1, 20);
    whole("kill-test", o.killTest, 0, 100000);
    if (p.isSet(QStringLiteral("disturb"))) {
        const double percent = p.value(QStringLiteral("disturb")).toDouble(&ok);
        if (!ok || percent < 0 || percent > 100) {
            std::fprintf(stderr, "soak: --disturb needs a per cent from 0 to 100\n");
            return std::nullopt;
        }
        // Four kinds, each on every Nth answer: together about `percent` %.
        const int every = percent > 0 ? std::max(1, int(4 * 100 / percent + 0.5)) : 0;
        o.dropEvery = o.garbleEvery = o.truncateEvery = o.bareCrEvery = every;
        // Shifted by one so that two kinds never fall on the same answer
        // for long (the first one in the emulator's order would hide the other).
        if (every > 3) {
            o.garbleEvery = every + 1;
            o.truncateEvery = every + 2;
            o.bareCrEvery = every + 3;
        }
    }
    if (o.cycles == 0 && o.seconds == 0 && o.killTest == 0) {
        std::fprintf(stderr, "soak: give --cycles, --seconds or --kill-test\n");
        return std::nullopt;
    }
    if (!ok)
        return std::nullopt;
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = ParseOptions(QCoreApplication::arguments());
    if (!options)
        return kSoakCannotRun;
    QTemporaryDir temporary;
    const QString work = options->work.isEmpty() ? temporary.path() : options->work;
    if (!QDir().mkpath(work))
        return kSoakCannotRun;
    // A new soak starts from the default detector.
    QFile::remove(QDir(work).filePath(QStringLiteral("state.json")));
    Soak soak(*options, work);
    return options->killTest > 0 ? soak.runKillTest() : soak.runCycles();
}
