#include "OutboxStore.h"

#include "platform/db/Recordset.h"

bool OutboxStore::Open(const QString& path)
{
    if (m_db.Open(path)) return true;
    m_error = m_db.lastError();
    return false;
}

bool OutboxStore::FormTemplate(QString* html)
{
    Recordset rs;
    if (!rs.Open(QStringLiteral("SELECT FormHTML FROM emailForm LIMIT 1"), &m_db, Recordset::adOpenForwardOnly)) {
        m_error = rs.lastError();
        return false;
    }
    if (rs.isEOF() || rs.text(QStringLiteral("FormHTML")).trimmed().isEmpty()) {
        m_error = QStringLiteral("The outbox database holds no mail form page (table emailForm).");
        return false;
    }
    *html = rs.text(QStringLiteral("FormHTML"));
    return true;
}

bool OutboxStore::Next(OutboxMessage* message, int* remaining)
{
    // Oldest first, so that a message the seller chose to retry or keep
    // is the one tried first again.
    Recordset rs;
    if (!rs.Open(QStringLiteral("SELECT AutoId, \"From\", \"To\", CC, Subject, TextBody, (SELECT COUNT(*) FROM outbox) AS Remaining "
                                "FROM outbox ORDER BY AutoId LIMIT 1"),
                 &m_db, Recordset::adOpenForwardOnly)) {
        m_error = rs.lastError();
        return false;
    }
    *remaining = rs.isEOF() ? 0 : rs.value(QStringLiteral("Remaining")).toInt();
    if (rs.isEOF()) return true;
    OutboxMessage row;
    row.AutoId = rs.value(QStringLiteral("AutoId")).toLongLong();
    row.From = rs.text(QStringLiteral("From"));
    row.To = rs.text(QStringLiteral("To"));
    row.CC = rs.text(QStringLiteral("CC"));
    row.Subject = rs.text(QStringLiteral("Subject"));
    row.TextBody = rs.text(QStringLiteral("TextBody"));
    *message = row;
    return true;
}

bool OutboxStore::Remove(qint64 autoId)
{
    if (!m_db.Execute(QStringLiteral("DELETE FROM outbox WHERE AutoId=?"), {autoId})) {
        m_error = m_db.lastError();
        return false;
    }
    return true;  // already gone counts as removed
}
