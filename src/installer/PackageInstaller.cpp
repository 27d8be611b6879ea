#include "PackageInstaller.h"

#include "FilesInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString InfoName = QStringLiteral("files.info");
constexpr mode_t ProgramMode = 0755;
constexpr mode_t FileMode = 0644;

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// The folder a listed file goes into, when every step below folder is a real
// folder (no link that could lead elsewhere); empty otherwise.
QString realFolderOf(const QString& folder, const QString& item)
{
    if (!ZipArchive::IsSafeName(item)) return QString();
    QString path = folder;
    const QStringList steps = item.split(u'/');
    for (int i = 0; i + 1 < steps.size(); ++i) {
        path += u'/' + steps[i];
        const QFileInfo step(path);
        if (step.isSymLink() || !step.isDir()) return QString();
    }
    return path;
}

// A temporary file's or second name's ending after ".<name>.": six letters
// or digits (QTemporaryFile's XXXXXX), or "old-" and a number.
bool isCompanionEnding(const QString& ending)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:[A-Za-z0-9]{6}|old-[0-9]+)$"));
    return pattern.match(ending).hasMatch();
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

PackageInstaller::~PackageInstaller() { Abandon(); }

bool PackageInstaller::IsProgram(const QString& item, const QByteArray& start)
{
    static const QStringList programs{MainProgramName, QStringLiteral("Emailer"), QStringLiteral("VendaroInstaller")};
    return programs.contains(item) || start.startsWith("\x7f" "ELF") || start.startsWith("#!");
}

void PackageInstaller::clearBeside(const QString& folder, const QString& item)
{
    const QString where = realFolderOf(folder, item);
    if (where.isEmpty()) return;
    const QString start = u'.' + item.section(u'/', -1) + u'.';
    const QFileInfoList entries = QDir(where).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(start) && isCompanionEnding(name.mid(start.size())))
            ::unlink(encoded(entry.absoluteFilePath()).constData());
    }
}

void PackageInstaller::ClearLeftovers(const QString& folder)
{
    const QString list = QDir(folder).filePath(UnfinishedName);
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray text = file.read(MaxInfoBytes);
    file.close();
    for (const QString& item : QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts)) clearBeside(QDir(folder).absolutePath(), item);
    QFile::remove(list);
}

void PackageInstaller::writeUnfinished()
{
    // Written before the first temporary file, so that a kill from here on leaves a list to clear by.
    QFile file(QDir(m_folder).filePath(UnfinishedName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;  // Prepare still clears beside each file
    m_unfinished = true;
    file.write(m_items.join(u'\n').toUtf8() + '\n');
    file.flush();
    ::fsync(file.handle());
    file.close();
    syncFolder(m_folder);
}

void PackageInstaller::dropUnfinished()
{
    if (!m_unfinished) return;
    QFile::remove(QDir(m_folder).filePath(UnfinishedName));
    m_unfinished = false;
}

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
    // What an earlier run left beside these files goes before this run adds its own.
    for (const QString& item : std::as_const(m_items)) clearBeside(m_folder, item);
    writeUnfinished();
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
    const bool written = m_zip.extract(item, &file, &error) && file.flush() && ::fsync(file.handle()) == 0;
    // The permissions follow what the file is, whatever the zip says (it may say set-user-id or world-writable).
    char start[4] = {};
    const ssize_t read = written ? ::pread(file.handle(), start, sizeof start, 0) : 0;
    const bool program = IsProgram(item, QByteArray(start, int(qMax<ssize_t>(read, 0))));
    const bool permitted = ::fchmod(file.handle(), program ? ProgramMode : FileMode) == 0;
    if (written && !permitted) error = QString::fromLocal8Bit(strerror(errno));
    file.close();
    if (!written || !permitted) {
        QFile::remove(temporary);
        return fail(CouldNotUnzip(item), error.isEmpty() ? QStringLiteral("The file could not be written.") : error);
    }
    m_temporary << temporary;
    return true;
}

bool PackageInstaller::Commit()
{
    if (!allExtracted()) return fail(CouldNotUnzip(m_items.value(m_temporary.size())), QStringLiteral("Not extracted."));
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
    // The main program last: until it is in place the old one runs, and offers the update again.
    QList<int> order;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i] != MainProgramName) order << i;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i] == MainProgramName) order << i;
    QList<int> placed;
    QStringList folders;
    for (int k = 0; k < order.size(); ++k) {
        const int i = order[k];
        if (beforeRename) beforeRename(m_items[i]);
        // rename() replaces the target in one step (a running program keeps its old file).
        if (std::rename(encoded(m_temporary[i]).constData(), encoded(targets[i]).constData()) != 0) {
            const QString error = QString::fromLocal8Bit(strerror(errno));
            // Back as it was: the old files return, files that were new go.
            for (auto j = placed.crbegin(); j != placed.crend(); ++j) {
                if (backups[*j].isEmpty()) ::unlink(encoded(targets[*j]).constData());
                else std::rename(encoded(backups[*j]).constData(), encoded(targets[*j]).constData());
                backups[*j].clear();
            }
            dropBackups();
            // What is left to remove: the files not put in place.
            QStringList temporary, items;
            for (int r = k; r < order.size(); ++r) {
                temporary << m_temporary[order[r]];
                items << m_items[order[r]];
            }
            const QString item = m_items[i];
            m_temporary = temporary;
            m_items = items;
            return fail(CouldNotUnzip(item), error);
        }
        placed << i;
        const QString folder = QFileInfo(targets[i]).absolutePath();
        if (!folders.contains(folder)) folders << folder;
    }
    dropBackups();
    m_temporary.clear();
    for (const QString& folder : std::as_const(folders)) syncFolder(folder);
    dropUnfinished();
    return true;
}

void PackageInstaller::Abandon()
{
    for (const QString& path : std::as_const(m_temporary)) QFile::remove(path);
    m_temporary.clear();
    dropUnfinished();
}
