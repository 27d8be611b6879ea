#include "OfferCandidates.h"

#include "OfferCells.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

QString OfferCandidates::Filter(bool unsold, bool sold)
{
    // A buyer written as an empty text is no buyer, as the Sold/Unsold column reads it.
    if (unsold && !sold) return QStringLiteral("AND (CustomerId Is Null OR CustomerId='') ");
    if (unsold && sold) return QStringLiteral("AND (Item.Stocked=1 OR (Item.Stocked=0 AND (CustomerId Is Null OR CustomerId=''))) ");
    if (sold) return QStringLiteral("AND Item.Stocked=1 AND CustomerId Is Not Null AND CustomerId<>'' ");
    return {};
}

bool OfferCandidates::Load(bool unsold, bool sold, QList<Row>* rows)
{
    rows->clear();
    if (!unsold && !sold) return true;
    const QString sql =
        QStringLiteral("SELECT AuctionId, Auction.ItemId, Auction.Description, DateEnded, CustomerId, ActionId, WinningBid, StartPrice, "
                       "ReservePrice, MaxBidAmount, BuyNowPrice, Item.UseStock,Item.Stock,Item.StockWarning "
                       "FROM Item INNER JOIN Auction ON Item.ItemId = Auction.ItemId "
                       "WHERE ActionId>1 AND FixedPriceOffered=0 AND DateEnded Is Not Null AND DateEnded>? ") +
        Filter(unsold, sold) + QStringLiteral("ORDER BY DateEnded DESC");
    Recordset rs;
    // After midnight at the start of the day 45 days back.
    if (!ProgramContext::current().gDatabase->OpenDB(sql, {vb::today() - 45}, false, true, true, &rs)) return false;
    for (; !rs.isEOF(); rs.MoveNext()) {
        Row r;
        r.AuctionId = rs.text(QStringLiteral("AuctionId"));
        r.ItemId = rs.text(QStringLiteral("ItemId"));
        r.Description = rs.text(QStringLiteral("Description"));
        r.CustomerId = rs.text(QStringLiteral("CustomerId"));
        r.DateEnded = rs.value(QStringLiteral("DateEnded"));
        r.WinningBid = rs.value(QStringLiteral("WinningBid")).toDouble();
        r.StartPrice = rs.value(QStringLiteral("StartPrice")).toDouble();
        r.ReservePrice = rs.value(QStringLiteral("ReservePrice")).toDouble();
        r.MaxBidAmount = rs.value(QStringLiteral("MaxBidAmount")).toDouble();
        r.BuyNowPrice = rs.value(QStringLiteral("BuyNowPrice")).toDouble();
        r.UseStock = rs.value(QStringLiteral("UseStock")).toBool();
        r.Stock = rs.value(QStringLiteral("Stock")).toInt();
        r.StockWarning = rs.value(QStringLiteral("StockWarning")).toInt();
        rows->append(r);
    }
    return true;
}

QStringList OfferCandidates::Cells(const Row& r, int defaultDays)
{
    const double offer = r.WinningBid > r.StartPrice ? r.WinningBid : r.StartPrice;
    const QString offerText = OfferCells::Money(offer);
    QStringList cells = {r.AuctionId,
                         r.ItemId,
                         r.Description,
                         r.DateEnded.isNull() ? QString() : vb::dateText(r.DateEnded.toDouble()),
                         r.CustomerId.isEmpty() ? QStringLiteral("UnSold") : QStringLiteral("Sold"),
                         OfferCells::Money(r.StartPrice),
                         OfferCells::Money(r.ReservePrice),
                         r.MaxBidAmount == 0 ? QStringLiteral("No bids") : OfferCells::Money(r.MaxBidAmount),
                         OfferCells::Money(r.BuyNowPrice),
                         offerText,
                         offerText == QLatin1String("$0.00") ? QString() : QString::number(defaultDays)};
    // BlankZeroPrices: a zero amount shows as an empty cell.
    for (int c = 5; c <= 9; ++c)
        if (cells[c] == QLatin1String("$0.00")) cells[c].clear();
    return cells;
}
