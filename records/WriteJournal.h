// The journal of a write in progress. Before the first write command goes to
// a detector, the write is recorded here: the detector's serial number, the
// commands that will be sent and the same settings as the detector held them
// before. The entry is removed once the write is committed and read back as
// sent (or the old values are put back). An entry that is still here when a
// program next connects to that detector means the last write did not
// complete: the detector may hold some of its commands staged, and the next
// command that stores anything (a zero, a span, another write) would store
// them too. The program says so before anything else and offers to finish
// the write or to put the old values back.
//
// One file per detector, "<serial>.json" in the "pending-writes" folder of
// the shared data folder, written through a temporary file. The reader
// treats the file as untrusted: bounded size, every command checked to be a
// write command of printable ASCII.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct PendingWrite {
    // The serial numbers the detector may answer with: the one it had when
    // the write began, and the one the write gives it (an identity write).
    QStringList Serials;
    QDateTime Started;
    // The program and version that wrote it.
    QString Program;
    // Write commands in the order they are sent ("A2,W,   10,   35,...").
    QStringList NewCommands;
    // For each command, the same setting as the detector held it before.
    QStringList OldCommands;

    // The file the entry lives in (set by Save and by the readers).
    QString FilePath;
};

namespace WriteJournal {

// Limits of what the reader accepts.
constexpr qint64 kMaxFileBytes = 2 * 1024 * 1024;
constexpr int kMaxCommands = 1000;
constexpr int kMaxCommandLength = 256;

// "<shared data folder>/pending-writes".
QString Folder();

// Records the write (atomically). False with a reason in *error.
bool Save(PendingWrite& entry, QString* error = nullptr);

// The entry for a detector that answers with `serial`, if there is one.
std::optional<PendingWrite> Find(const QString& serial);

// Every readable entry (unreadable files are skipped).
QList<PendingWrite> All();

// Removes the entry's file; true when it is gone.
bool Remove(const PendingWrite& entry);

// Reads one entry from JSON text; nullopt (with a reason) when it is not a
// well-formed journal entry.
std::optional<PendingWrite> Parse(const QByteArray& content, QString* error = nullptr);
QByteArray Serialize(const PendingWrite& entry);

} // namespace WriteJournal
