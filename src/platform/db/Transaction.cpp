#include "Transaction.h"

#include "Connection.h"

#include <sqlite3.h>

Transaction::Transaction(Connection* connection) : m_connection(connection)
{
    if (!m_connection || !m_connection->IsOpen()) {
        m_error = QStringLiteral("The database is not open.");
        return;
    }
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
    if (!m_connection->Execute(QStringLiteral("RELEASE ") + m_name)) {
        m_error = m_connection->lastError();
        Rollback();
        return false;
    }
    --m_connection->m_depth;
    m_active = false;
    return true;
}

void Transaction::Rollback()
{
    if (!m_active) return;
    m_active = false;
    if (!m_connection->IsOpen()) return;
    const QString error = m_connection->lastError();
    m_connection->Execute(QStringLiteral("ROLLBACK TO ") + m_name);
    m_connection->Execute(QStringLiteral("RELEASE ") + m_name);
    --m_connection->m_depth;
    // Releasing the outermost savepoint commits, which another reader can
    // refuse; the transaction would then stay open, holding its lock.
    if (m_connection->m_depth == 0 && !sqlite3_get_autocommit(m_connection->handle())) m_connection->Execute(QStringLiteral("ROLLBACK"));
    m_connection->setLastError(error);  // keep the error that caused the rollback
}
