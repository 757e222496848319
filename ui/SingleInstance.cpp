#include "ui/SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// A lock file whose owner cannot be read (cut short while it was being
// written) is treated as left over once it is this old.
constexpr qint64 kUnreadableLockAgeMs = 5000;

} // namespace

SingleInstance::SingleInstance(const QString& lockPath) : path_(lockPath), lock_(lockPath) {
    // The lock is held for the whole run, so its age says nothing: only a
    // dead owner makes it stale (checked by process id and name).
    lock_.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire() {
    if (lock_.isLocked())
        return true;
    if (lock_.tryLock(0))
        return true;
    if (lock_.error() != QLockFile::LockFailedError)
        return false;
    // Held by a living process (tryLock already removes the lock of a dead
    // one), unless the file cannot even say who holds it.
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock_.getLockInfo(&pid, &host, &app))
        return false;
    const QDateTime modified = QFileInfo(path_).lastModified();
    if (modified.isValid() &&
        qAbs(modified.msecsTo(QDateTime::currentDateTime())) < kUnreadableLockAgeMs)
        return false;
    // removeStaleLockFile() refuses while another process still holds the
    // file's native lock.
    return lock_.removeStaleLockFile() && lock_.tryLock(0);
}

void SingleInstance::release() {
    if (lock_.isLocked())
        lock_.unlock();
}

QString SingleInstance::DefaultLockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    QString user;
#ifdef Q_OS_UNIX
    user = QString::number(::getuid());
#else
    user = qEnvironmentVariable("USERNAME");
#endif
    if (user.isEmpty())
        user = QStringLiteral("user");
    return QDir(folder).filePath(QStringLiteral("tq7350-%1.lock").arg(user));
}
