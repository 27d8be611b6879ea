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
    m_active = false;
    if (!m_connection->IsOpen()) return true;  // closing the connection ended the transaction
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

bool Transaction::undo()
{
    // "ROLLBACK TO" keeps the transaction open and "RELEASE" would then try to
    // commit again: the guard that began the transaction ends it outright.
    // Work SQLite has already rolled back with its transaction counts as undone.
    const bool done = m_outermost ? m_connection->Execute(QStringLiteral("ROLLBACK"))
                                  : m_connection->Execute(QStringLiteral("ROLLBACK TO ") + m_name) &&
                                        m_connection->Execute(QStringLiteral("RELEASE ") + m_name);
    return done || !inTransaction(m_connection);
}
