#pragma once
// The sender's side of the outbox database emailer.mdb: the mail-form page
// template, the next e-mail to send with the count still queued, and the
// removal of a sent one. The main program adds rows while this is open.

#include "OutboxMessage.h"
#include "platform/db/Connection.h"

#include <QString>

class OutboxStore {
public:
    // Opens an existing outbox database; false with lastError().
    bool Open(const QString& path);
    void Close() { m_db.Close(); }

    // The FormHTML of the first emailForm row; false (lastError) when the
    // table, the row or the page is missing.
    bool FormTemplate(QString* html);
    // The oldest queued e-mail and how many are queued; *remaining is 0 when
    // the outbox is empty. False (lastError) when the outbox cannot be read.
    bool Next(OutboxMessage* message, int* remaining);
    // Removes a sent e-mail; false (lastError) when it could not be removed.
    bool Remove(qint64 autoId);

    QString lastError() const { return m_error; }

private:
    Connection m_db;
    QString m_error;
};
