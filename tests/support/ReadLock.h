#pragma once
// Another program reading a database file: while its read transaction is
// open, no writer can commit (the commit waits for the busy time-out, then
// fails as "database is locked").

#include "platform/db/Connection.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

class ReadLock {
public:
    explicit ReadLock(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return;
        m_held = sqlite3_exec(m_db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ReadLock()
    {
        release();
        sqlite3_close_v2(m_db);
    }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    bool held() const { return m_held; }
    void release()
    {
        if (m_held) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        m_held = false;
    }

    // A writer that gives up after ms instead of the program's own time-out,
    // so a test does not wait seconds for each refused commit.
    static void shortenWait(Connection& writer, int ms = 100) { sqlite3_busy_timeout(writer.handle(), ms); }
    // True while the connection is inside a transaction.
    static bool inTransaction(Connection& connection)
    {
        return connection.handle() && sqlite3_get_autocommit(connection.handle()) == 0;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};
