#pragma once
// The stock warning of the fixed-price offer window: one entry per item code
// and title among the listed auctions whose item tracks stock, and for each a
// "NO STOCK!" or "LOW STOCK WARNING!" message when what is left cannot cover
// the running listings and the sales not yet shipped.

#include <QList>
#include <QString>
#include <QStringList>

class StockCheck {
public:
    struct Entry {
        QString ItemId, Description;
        int Stock = 0, StockWarning = 0;
        int CurrentListings = 0, SoldNotShipped = 0;
    };

    void Clear() { m_entries.clear(); }
    // Adds an item and title once (the first auction's stock values stand).
    void Add(const QString& itemId, const QString& description, int stock, int stockWarning);
    const QList<Entry>& Entries() const { return m_entries; }
    // Counts each entry's running listings and unshipped sales, and returns
    // the messages to show, in entry order.
    QStringList Warnings();
    // The message of one counted entry; "" when it needs none.
    static QString WarningText(const Entry& entry);

private:
    QList<Entry> m_entries;
};
