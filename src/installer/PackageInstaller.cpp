#include "PackageInstaller.h"

#include "FilesInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString InfoName = QStringLiteral("files.info");

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

PackageInstaller::~PackageInstaller() { Abandon(); }

QString PackageInstaller::CouldNotUnzip(const QString& name)
{
    return QStringLiteral("Could not unzip file: ") + name + QStringLiteral(". Make sure Vendaro is not open in another window");
}

bool PackageInstaller::fail(const QString& reason, const QString& detail)
{
    m_reason = reason;
    m_detail = detail;
    return false;
}

bool PackageInstaller::Prepare(const QString& zipPath, const QString& folder)
{
    Abandon();
    m_items.clear();
    m_reason.clear();
    m_detail.clear();
    m_folder = QDir(folder).absolutePath();
    QString error;
    if (!m_zip.open(zipPath, &error)) return fail(QStringLiteral("Missing information file"), error);
    if (!m_zip.entry(InfoName).found) return fail(QStringLiteral("Missing information file"), QString());

    // Every entry must be one we could unpack safely, listed or not: a package
    // holding anything else is not one we made.
    for (const QString& name : m_zip.names()) {
        const ZipArchive::Entry e = m_zip.entry(name);
        if (!ZipArchive::IsSafeName(name) || e.isSymlink || e.isSpecial)
            return fail(CouldNotUnzip(name), QStringLiteral("The package holds an entry outside its folder or a link."));
    }

    QByteArray info;
    QStringList items;
    if (!m_zip.read(InfoName, &info, MaxInfoBytes, &error) || !FilesInfo::Parse(info, &items))
        return fail(QString(), error.isEmpty() ? QStringLiteral("files.info cannot be read.") : error);
    for (const QString& item : items) {
        if (m_items.contains(item)) continue;
        const ZipArchive::Entry e = m_zip.entry(item);
        if (!ZipArchive::IsSafeName(item) || !e.found || e.isDirectory || e.isSymlink || e.isSpecial)
            return fail(CouldNotUnzip(item), e.found ? QStringLiteral("Not a plain file name or not a file.") : QStringLiteral("Not in the package."));
        if (!checkTarget(item, &error)) return fail(CouldNotUnzip(item), error);
        m_items << item;
    }
    return true;
}

bool PackageInstaller::checkTarget(const QString& item, QString* detail) const
{
    // Each step below the folder that exists must be a real folder (a link
    // could lead outside); the target itself, when there, a file or a link.
    const QStringList steps = item.split(u'/');
    QString path = m_folder;
    for (int i = 0; i < steps.size(); ++i) {
        path += u'/' + steps[i];
        const QFileInfo step(path);
        const bool last = i == steps.size() - 1;
        if (!step.exists() && !step.isSymLink()) return true;  // made later, below a real folder
        if (last) {
            if (step.isDir() && !step.isSymLink()) {
                *detail = QStringLiteral("A folder stands in the file's place.");
                return false;
            }
            return true;
        }
        if (step.isSymLink() || !step.isDir()) {
            *detail = QStringLiteral("%1 is not a folder.").arg(path);
            return false;
        }
    }
    return true;
}

bool PackageInstaller::ExtractNext()
{
    if (allExtracted()) return true;
    const QString item = m_items.at(m_temporary.size());
    const QString target = m_folder + u'/' + item;
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (!QDir().mkpath(folder)) return fail(CouldNotUnzip(item), QStringLiteral("The folder %1 cannot be made.").arg(folder));
    QTemporaryFile file(folder + u'/' + u'.' + targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) return fail(CouldNotUnzip(item), file.errorString());
    const QString temporary = file.fileName();
    QString error;
    const ZipArchive::Entry e = m_zip.entry(item);
    const bool written = m_zip.extract(item, &file, &error) && file.flush() && ::fsync(file.handle()) == 0;
    // The file's permissions as stored (owner read and write at least), else the old file's, else rw-r--r--.
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
    if (e.unixMode >= 0) {
        ::fchmod(file.handle(), mode_t((e.unixMode & 0777) | 0600));
    } else if (targetInfo.exists()) {
        permissions = targetInfo.permissions() | QFile::ReadOwner | QFile::WriteOwner;
        file.setPermissions(permissions);
    } else {
        file.setPermissions(permissions);
    }
    file.close();
    if (!written) {
        QFile::remove(temporary);
        return fail(CouldNotUnzip(item), error.isEmpty() ? QStringLiteral("The file could not be written.") : error);
    }
    m_temporary << temporary;
    return true;
}

bool PackageInstaller::Commit()
{
    if (!allExtracted()) return fail(CouldNotUnzip(m_items.value(m_temporary.size())), QStringLiteral("Not extracted."));
    const auto encoded = [](const QString& path) { return QFile::encodeName(path); };
    QStringList targets;
    for (const QString& item : std::as_const(m_items)) targets << m_folder + u'/' + item;
    // Every old file keeps a second name first (a hard link, no copy), so a
    // rename that fails half-way can put the old files back.
    QStringList backups;
    const auto dropBackups = [&] {
        for (const QString& b : std::as_const(backups))
            if (!b.isEmpty()) ::unlink(encoded(b).constData());
    };
    for (const QString& target : std::as_const(targets)) {
        const QFileInfo info(target);
        if (!info.exists() && !info.isSymLink()) {
            backups << QString();
            continue;
        }
        QString backup;
        for (int attempt = 0; attempt < 100 && backup.isEmpty(); ++attempt) {
            const QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".old-%1").arg(attempt);
            if (::link(encoded(target).constData(), encoded(name).constData()) == 0) backup = name;
            else if (errno != EEXIST) break;
        }
        if (backup.isEmpty()) {
            const QString error = QString::fromLocal8Bit(strerror(errno));
            dropBackups();
            return fail(CouldNotUnzip(QDir(m_folder).relativeFilePath(target)), error);
        }
        backups << backup;
    }
    QStringList folders;
    for (int i = 0; i < targets.size(); ++i) {
        // rename() replaces the target in one step (a running program keeps its old file).
        if (std::rename(encoded(m_temporary[i]).constData(), encoded(targets[i]).constData()) != 0) {
            const QString error = QString::fromLocal8Bit(strerror(errno));
            // Back as it was: the old files return, files that were new go.
            for (int j = i - 1; j >= 0; --j) {
                if (backups[j].isEmpty()) ::unlink(encoded(targets[j]).constData());
                else std::rename(encoded(backups[j]).constData(), encoded(targets[j]).constData());
                backups[j].clear();
            }
            dropBackups();
            const QString item = m_items[i];
            m_temporary = m_temporary.mid(i);
            m_items = m_items.mid(i);
            return fail(CouldNotUnzip(item), error);
        }
        const QString folder = QFileInfo(targets[i]).absolutePath();
        if (!folders.contains(folder)) folders << folder;
    }
    dropBackups();
    m_temporary.clear();
    for (const QString& folder : std::as_const(folders)) syncFolder(folder);
    return true;
}

void PackageInstaller::Abandon()
{
    for (const QString& path : std::as_const(m_temporary)) QFile::remove(path);
    m_temporary.clear();
}
