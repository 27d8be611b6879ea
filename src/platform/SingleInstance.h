#pragma once
// One running copy of a program per user: a lock file in the user's runtime
// folder. The lock of a copy that crashed is taken over (QLockFile checks
// whether its holder still runs).

#include <QString>

#include <memory>

class QLockFile;

class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    ~SingleInstance();
    // True when this process holds the lock (now or already); false while another copy runs.
    bool tryLock();
    bool isLocked() const;
    // Where the lock of a program of that name lives.
    static QString lockPath(const QString& name);

private:
    std::unique_ptr<QLockFile> m_lock;
};
