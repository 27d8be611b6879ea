#pragma once
// The one copy of the sender that may run for a program folder: a lock file
// held for the whole run. A lock left by a copy that died is taken over.

#include <QLockFile>
#include <QString>

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath);
    // Takes the lock, waiting up to waitMs for a copy that is ending to let go.
    bool Acquire(int waitMs);
    bool held() const { return m_lock.isLocked(); }
    void Release();

private:
    QLockFile m_lock;
};
