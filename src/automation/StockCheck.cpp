#include "StockCheck.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

void StockCheck::Add(const QString& itemId, const QString& description, int stock, int stockWarning)
{
    for (const Entry& e : m_entries)
        if (e.ItemId == itemId && e.Description == description) return;
    Entry e;
    e.ItemId = itemId;
    e.Description = description;
    e.Stock = stock;
    e.StockWarning = stockWarning;
    m_entries.append(e);
}

QStringList StockCheck::Warnings()
{
    clsDatabase& db = *ProgramContext::current().gDatabase;
    QStringList messages;
    for (Entry& e : m_entries) {
        e.CurrentListings = db.GetCurrentListings(e.ItemId, e.Description);
        e.SoldNotShipped = db.GetSoldNotShippedListings(e.ItemId, e.Description);
        const QString text = WarningText(e);
        if (!text.isEmpty()) messages << text;
    }
    return messages;
}

QString StockCheck::WarningText(const Entry& e)
{
    const int remaining = e.Stock - e.CurrentListings - e.SoldNotShipped;
    QString heading;
    if (e.Stock - e.SoldNotShipped < 1)
        heading = QStringLiteral("NO STOCK!");
    else if (e.StockWarning >= 1 && remaining < e.StockWarning)
        heading = QStringLiteral("LOW STOCK WARNING!");
    else
        return {};
    return heading + CrLf + CrLf + QStringLiteral("Item: ") + e.ItemId + CrLf + e.Description + CrLf + CrLf + QString::number(e.Stock) +
           QStringLiteral(" Stock on hand") + CrLf + QString::number(e.CurrentListings) + QStringLiteral(" Current listings") + CrLf +
           QString::number(e.SoldNotShipped) + QStringLiteral(" Sold (but not yet shipped)") + CrLf + CrLf + QString::number(remaining) +
           QStringLiteral(" STOCK REMAINING");
}
