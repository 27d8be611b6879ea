#pragma once
// One change of a sale that the main list has not shown yet.

#include <QString>
#include <QVariant>

struct clsDataLog {
    QString AuctionId;
    QString TableId;
    QString FieldId;
    QVariant FieldValue;
    QString FieldType;  // "string", "number" or "date"
    bool DeletedRecord = false;
    int Checks = 0;     // times checked without being confirmed
};
