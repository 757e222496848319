// Refuses a second running copy of the program. A lock file in the user's
// runtime folder (or the temporary folder) marks the running copy; a lock left
// behind by a copy that crashed is recognised and taken over, so it never
// blocks the next start.
#pragma once

#include <QLockFile>
#include <QString>

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath = DefaultLockPath());

    // True when this process now holds the lock (no other copy runs). Calling
    // it again while holding the lock returns true.
    bool tryAcquire();
    void release();
    bool isHeld() const { return lock_.isLocked(); }
    QString lockPath() const { return path_; }

    // "tq7350-<user>.lock" in $XDG_RUNTIME_DIR, else in the temporary folder.
    static QString DefaultLockPath();

private:
    QString path_;
    QLockFile lock_;
};
