#include "Transaction.h"

#include "Connection.h"

#include <sqlite3.h>

namespace {
bool inTransaction(const Connection* connection) { return sqlite3_get_autocommit(connection->handle()) == 0; }
}  // namespace

Transaction::Transaction(Connection* connection) : m_connection(connection)
{
    if (!m_connection || !m_connection->IsOpen()) {
        m_error = QStringLiteral("The database is not open.");
        return;
    }
    // A savepoint here would begin a transaction of its own, and its commit
    // would keep part of a save the database has already undone.
    if (m_connection->transactionEnded()) {
        m_error = m_connection->transactionEndedError();
        m_connection->setLastError(m_error);
        return;
    }
    m_outermost = !inTransaction(m_connection);
    m_name = QStringLiteral("vendaro_sp%1").arg(m_connection->m_depth + 1);
    if (!m_connection->Execute(QStringLiteral("SAVEPOINT ") + m_name)) {
        m_error = m_connection->lastError();
        return;
    }
    ++m_connection->m_depth;
    m_active = true;
}

Transaction::~Transaction() { Rollback(); }

bool Transaction::Commit()
{
    if (!m_active) return false;
    if (m_connection->transactionEnded()) {
        end();
        return false;
    }
    // Releasing the outermost savepoint is the commit to the file.
    if (m_connection->Execute(QStringLiteral("RELEASE ") + m_name)) {
        --m_connection->m_depth;
        m_active = false;
        return true;
    }
    const QString reason = m_connection->lastError();
    const bool undone = Rollback();
    m_error = (undone ? QStringLiteral("The changes could not be saved and were undone: ")
                      : QStringLiteral("The changes could not be saved: ")) +
              reason + (undone ? QString() : QStringLiteral("; ") + m_error);
    m_connection->setLastError(m_error);
    return false;
}

bool Transaction::Rollback()
{
    if (!m_active) return true;
    if (!m_connection->IsOpen()) {  // closing the connection ended the transaction
        m_active = false;
        return true;
    }
    if (m_connection->transactionEnded()) return end();
    m_active = false;
    if (m_connection->m_depth > 0) --m_connection->m_depth;
    const QString cause = m_connection->lastError();
    if (!undo()) {
        m_error = QStringLiteral("the changes could not be undone: ") + m_connection->lastError();
        m_connection->setLastError(m_error);
        return false;
    }
    m_connection->setLastError(cause);  // keep the error that caused the rollback
    return true;
}

bool Transaction::end()
{
    m_active = false;
    m_error = m_connection->transactionEndedError();
    m_connection->setLastError(m_error);
    if (m_connection->m_depth > 0) --m_connection->m_depth;
    if (m_connection->m_depth == 0) m_connection->m_endedBy.clear();
    // The guard that began the transaction wanted all of it undone, and it is.
    // An inner one's outer guards lost their work as well: the step failed.
    return m_outermost;
}

bool Transaction::undo()
{
    // "ROLLBACK TO" keeps the transaction open and "RELEASE" would then try to
    // commit again: the guard that began the transaction ends it outright.
    // A commit SQLite has already rolled back counts as undone.
    const bool done = m_outermost ? m_connection->Execute(QStringLiteral("ROLLBACK"))
                                  : m_connection->Execute(QStringLiteral("ROLLBACK TO ") + m_name) &&
                                        m_connection->Execute(QStringLiteral("RELEASE ") + m_name);
    return done || (m_outermost && !inTransaction(m_connection));
}
