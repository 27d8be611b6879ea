#pragma once
// One e-mail of the outbox as the sender posts it: the row's key and its
// five texts (a Null column reads as the empty text).

#include <QString>

struct OutboxMessage {
    qint64 AutoId = 0;
    QString From;
    QString To;
    QString CC;
    QString Subject;
    QString TextBody;
};
