#include "SingleInstance.h"

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(lockPath)
{
    // Stale only when its process is gone: a long run is never taken over.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::Acquire(int waitMs) { return m_lock.isLocked() || m_lock.tryLock(waitMs); }

void SingleInstance::Release()
{
    if (m_lock.isLocked()) m_lock.unlock();
}
