#include "DatabaseCopy.h"

#include "Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }
QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// Flushes a file, or a folder's entries, to disk; "" or the reason it failed.
QString flush(const QString& path, bool folder)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) {
        const int error = errno;
        return systemError(error);
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    const QString problem = error == 0 ? QString() : systemError(error);
    ::close(fd);
    return problem;
}

// Removes a file; a file that is not there counts as removed.
// "" or the reason it failed; *removed tells whether there was one.
QString unlinkFile(const QString& path, bool* removed)
{
    if (::unlink(encoded(path).constData()) == 0) {
        *removed = true;
        return {};
    }
    const int error = errno;
    return error == ENOENT ? QString() : systemError(error);
}

// What an interrupted change left in a database's journal is rolled back
// (or checkpointed) by SQLite itself, so the file is whole without its
// journal files. A file SQLite cannot open has nothing to settle.
void settle(const QString& database)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(encoded(database).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

}  // namespace

DatabaseCopy::DatabaseCopy(const QString& source, const QString& target) : m_source(source), m_target(target) {}

QString DatabaseCopy::partialPath(const QString& target) { return target + QStringLiteral(".new"); }

QStringList DatabaseCopy::journalPaths(const QString& database)
{
    return {database + QStringLiteral("-journal"), database + QStringLiteral("-wal"), database + QStringLiteral("-shm")};
}

bool DatabaseCopy::fail(const QString& error)
{
    m_error = error;
    return false;
}

bool DatabaseCopy::Run()
{
    m_error.clear();
    if (!QFileInfo(m_source).isFile()) return fail(QStringLiteral("The database %1 to copy was not found.").arg(native(m_source)));
    const QString folder = QFileInfo(m_target).absolutePath();
    if (!QFileInfo(folder).isDir()) return fail(QStringLiteral("The folder %1 does not exist.").arg(native(folder)));
    if (!Connection::IsWritableFolder(folder))
        return fail(QStringLiteral("The folder %1 is read-only, so the new database cannot be saved in it.").arg(native(folder)));

    // What an interrupted earlier attempt left goes first, its journal before
    // it: a stale journal would be played into the new copy.
    const QString partial = partialPath(m_target);
    bool removed = false;
    if (!removeJournals(partial, &removed)) return false;
    if (const QString why = unlinkFile(partial, &removed); !why.isEmpty())
        return fail(QStringLiteral("Removing %1, left by an earlier attempt, failed: %2").arg(native(partial), why));

    bool built = build(partial) && prepare(partial);
    if (built) {
        if (const QString why = flush(partial, false); !why.isEmpty())
            built = fail(QStringLiteral("Writing the new database %1 to disk failed: %2").arg(native(partial), why));
    }
    // The target's journal belongs to the old file: played into the new one
    // it would damage it. Whatever it holds is settled into the old file
    // first, so that file is whole on its own until the rename.
    if (built && QFileInfo::exists(m_target)) settle(m_target);
    bool journalsRemoved = false;
    if (built) built = removeJournals(m_target, &journalsRemoved);
    if (built && journalsRemoved) {
        if (const QString why = flush(folder, true); !why.isEmpty())
            built = fail(QStringLiteral("Writing the folder %1 to disk failed: %2").arg(native(folder), why));
    }
    if (built && ::rename(encoded(partial).constData(), encoded(m_target).constData()) != 0) {
        const int error = errno;
        built = fail(QStringLiteral("Putting the new database in the place of %1 failed: %2").arg(native(m_target), systemError(error)));
    }
    if (!built) {
        // The target is untouched; the unfinished copy goes.
        if (const QString why = discard(partial); !why.isEmpty())
            m_error += QStringLiteral(" The unfinished copy %1 could not be removed: %2").arg(native(partial), why);
        return false;
    }
    if (const QString why = flush(folder, true); !why.isEmpty())
        return fail(QStringLiteral("Writing the folder %1 to disk failed: %2").arg(native(folder), why));
    return true;
}

bool DatabaseCopy::build(const QString& partial)
{
    // Owner-only before a byte of the seller's data is in it.
    const int fd = ::open(encoded(partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        return fail(QStringLiteral("Making the new database %1 failed: %2").arg(native(partial), systemError(error)));
    }
    ::close(fd);

    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    QString problem;
    const int readFlags = QFileInfo(m_source).isWritable() ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(encoded(m_source).constData(), &from, readFlags, nullptr) != SQLITE_OK) {
        problem = QString::fromUtf8(sqlite3_errmsg(from));
    } else if (sqlite3_open_v2(encoded(partial).constData(), &to, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        problem = QString::fromUtf8(sqlite3_errmsg(to));
    } else {
        sqlite3_busy_timeout(from, 5000);
        // Built without a journal or syncs of its own: it is flushed once, whole,
        // and until it is renamed nothing depends on it.
        sqlite3_exec(to, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            problem = QString::fromUtf8(sqlite3_errmsg(to));
        } else {
            const int step = sqlite3_backup_step(backup, -1);
            const int finish = sqlite3_backup_finish(backup);
            if (step != SQLITE_DONE || finish != SQLITE_OK) problem = QString::fromUtf8(sqlite3_errstr(step != SQLITE_DONE ? step : finish));
        }
    }
    sqlite3_close(from);
    if (sqlite3_close(to) != SQLITE_OK && problem.isEmpty()) problem = QString::fromUtf8(sqlite3_errmsg(to));
    if (!problem.isEmpty()) return fail(QStringLiteral("Copying %1 failed: %2").arg(native(m_source), problem));
    return true;
}

bool DatabaseCopy::prepare(const QString& partial)
{
    // Opened as any database is, so a copy that would be refused later never takes the target's place.
    Connection copy;
    if (!copy.Open(partial)) return fail(QStringLiteral("Checking the copy of %1 failed: %2").arg(native(m_source), copy.lastError()));
    QString why;
    if (m_preparation && !m_preparation(copy, &why)) return fail(QStringLiteral("Setting up the new database failed: %1").arg(why));
    return true;
}

QString DatabaseCopy::discard(const QString& partial)
{
    bool removed = false;
    const QStringList files = journalPaths(partial) << partial;
    for (const QString& file : files) {
        if (const QString why = unlinkFile(file, &removed); !why.isEmpty()) return why;
    }
    return {};
}

bool DatabaseCopy::removeJournals(const QString& database, bool* removedAny)
{
    for (const QString& journal : journalPaths(database)) {
        if (const QString why = unlinkFile(journal, removedAny); !why.isEmpty())
            return fail(QStringLiteral("Removing the old journal file %1 failed: %2").arg(native(journal), why));
    }
    return true;
}
