#pragma once
// The stock on hand report's rows and layout, free of the window: every item
// whose stock is tracked, by item code, with its running listings, its sales
// not yet sent, what remains and whether it is low; the low stock variant
// keeps the low items alone.

#include "platform/printing/BandedReport.h"

#include <QList>
#include <QString>

class StockOnHandReport {
public:
    struct Row {
        QString ItemId;
        QString Description;
        int Stock = 0;
        int StockWarning = 0;
        int CurrentListings = 0;
        int SoldNotShipped = 0;
        int Available() const { return Stock - CurrentListings - SoldNotShipped; }
        QString strStockWarning() const { return StockWarning > 0 ? QString::number(StockWarning) : QString(); }
        // Nothing left, or less than the warning level.
        bool IsLow() const { return Available() < 1 || Available() < StockWarning; }
        QString Low() const { return IsLow() ? QStringLiteral("X") : QString(); }
    };

    // The rows from the database; false when the query failed (its message
    // has been shown).
    static bool Read(bool lowOnly, QList<Row>* rows);
    static QString Title(bool lowOnly);
    static BandedReport Build(const QList<Row>& rows, bool lowOnly, double today);
};
