#include "SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& name) : m_lock(std::make_unique<QLockFile>(lockPath(name)))
{
    m_lock->setStaleLockTime(0);  // only a lock whose holder is gone is stale, however old
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryLock() { return m_lock->isLocked() || m_lock->tryLock(0); }

bool SingleInstance::isLocked() const { return m_lock->isLocked(); }

QString SingleInstance::lockPath(const QString& name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(name + QStringLiteral(".lock"));
}
