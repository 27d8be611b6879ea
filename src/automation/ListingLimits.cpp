#include "ListingLimits.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");

qint16 counter(const QVariant& v)
{
    return qint16(std::clamp<qint64>(v.toLongLong(), 0, 32767));
}
}  // namespace

ListingLimits::StockedItem ListingLimits::StockedItem::FromRecord(const Recordset& rs)
{
    StockedItem item;
    item.ItemId = rs.text(QStringLiteral("ItemId"));
    item.Description = rs.text(QStringLiteral("Description"));
    const QVariant endDay = rs.value(QStringLiteral("EndDay"));
    // No rule is defined for a Null: read it as no day chosen.
    item.EndDay = endDay.isNull() ? QStringLiteral(",") : endDay.toString();
    item.UseStock = rs.value(QStringLiteral("UseStock")).toBool();
    item.Stock = rs.value(QStringLiteral("Stock")).toInt();
    item.StockWarning = rs.value(QStringLiteral("StockWarning")).toInt();
    item.MaxListings = rs.value(QStringLiteral("MaxListings")).toInt();
    item.MinDaysApart = rs.value(QStringLiteral("MinDaysApart")).toInt();
    item.MaxListingsPerDay = rs.value(QStringLiteral("MaxListingsPerDay")).toInt();
    item.MaxListingsNoBids = rs.value(QStringLiteral("MaxListingsNoBids")).toInt();
    return item;
}

bool ListingLimits::IsForced(const QString& ItemId) const
{
    return IgnoreExcluded.contains(QLatin1Char('[') + ItemId + QLatin1Char(']'), Qt::CaseSensitive);
}

bool ListingLimits::EndsOnAllowedDay(const QString& EndDay, int DurationDays, double now)
{
    if (DurationDays == 0 || EndDay.size() < 3) return true;
    static const char* const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const QDate end = vb::fromOleDate(vb::Int(now) + DurationDays).date();
    return EndDay.contains(QLatin1String(names[end.dayOfWeek() - 1]), Qt::CaseSensitive);
}

namespace {
// The five counts over the sales of one code and title: running listings (step
// 1) with their newest start, those started today and those without bids, and
// the sales waiting to be shipped. Bound: today.
const QString CountColumns = QStringLiteral(
    "SUM(ActionId=1) AS Listings, MAX(CASE WHEN ActionId=1 THEN CAST(dateStart AS INTEGER) END) AS Newest, "
    "SUM(ActionId=1 AND CAST(dateStart AS INTEGER)=?) AS Today, SUM(ActionId=1 AND COALESCE(HasBids,0)=0) AS NoBids, "
    "SUM(ActionId=10 OR ActionId=11 OR (ActionId>1 AND ActionId<8)) AS SoldNotShipped ");

ListingLimits::Counts countsOf(const Recordset& rs, qint64 today)
{
    ListingLimits::Counts c;
    c.Listings = counter(rs.value(QStringLiteral("Listings")));
    c.ListedToday = counter(rs.value(QStringLiteral("Today")));
    c.NoBids = counter(rs.value(QStringLiteral("NoBids")));
    c.SoldNotShipped = counter(rs.value(QStringLiteral("SoldNotShipped")));
    const QVariant newest = rs.value(QStringLiteral("Newest"));
    // A listing without a start date counts as running but not in the days.
    if (!newest.isNull()) c.FewestDaysSinceStart = qint16(std::clamp<qint64>(today - newest.toLongLong(), -32768, 99));
    return c;
}
}  // namespace

bool ListingLimits::LoadCounts(QHash<QString, Counts>* counts)
{
    counts->clear();
    const qint64 today = qint64(vb::today());
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(
            // Keyed by the item's own code: its sales may spell the code in another case.
            QStringLiteral("SELECT Item.ItemId AS ItemKey, ") + CountColumns +
                QStringLiteral("FROM Item INNER JOIN Auction ON Item.ItemId = Auction.ItemId AND ") +
                Sql::SameText(QStringLiteral("Auction.Description"), QStringLiteral("Item.Description")) +
                QStringLiteral(" WHERE Item.Stocked<>0 GROUP BY Item.ItemId"),
            {today}, false, true, true, &rs))
        return false;
    for (; !rs.isEOF(); rs.MoveNext()) counts->insert(rs.text(QStringLiteral("ItemKey")), countsOf(rs, today));
    return true;
}

bool ListingLimits::CountCurrentListings(const StockedItem& item, int DurationDays)
{
    const qint64 today = qint64(vb::today());
    Counts counts;
    Recordset rs;
    if (ProgramContext::current().gDatabase->OpenDB(
            QStringLiteral("SELECT ") + CountColumns + QStringLiteral("FROM Auction WHERE ItemId=?2 AND ") +
                Sql::SameText(QStringLiteral("Description"), QStringLiteral("?3"), item.Description),
            {today, item.ItemId, item.Description}, false, true, true, &rs) &&
        !rs.isEOF())
        counts = countsOf(rs, today);
    return CountCurrentListings(item, DurationDays, counts);
}

bool ListingLimits::CountCurrentListings(const StockedItem& item, int DurationDays, const Counts& counts)
{
    mCurrentListings = counts.Listings;
    mFewestDaysSinceStart = counts.FewestDaysSinceStart;
    mListedToday = counts.ListedToday;
    mListingsNoBids = counts.NoBids;
    mSoldNotShipped = counts.SoldNotShipped;

    if (!EndsOnAllowedDay(item.EndDay, DurationDays, vb::now()) && !IsForced(item.ItemId)) {
        if (AddExclusion)
            AddExclusion(item.ItemId, item.Description, QStringLiteral("Auction would not end on a day you selected"));
        return false;
    }
    return true;
}

qint16 ListingLimits::CheckListingLimits(const StockedItem& item)
{
    if (IsForced(item.ItemId)) return 1;

    const auto exclude = [&](const QString& reason) {
        if (AddExclusion) AddExclusion(item.ItemId, item.Description, reason);
        return qint16(0);
    };
    const int L = mCurrentListings, F = mFewestDaysSinceStart, T = mListedToday, B = mListingsNoBids, S = mSoldNotShipped;

    if (item.UseStock) {
        const int available = item.Stock - S - L;
        if (available < 1)
            return exclude(available + L >= 1 ? QStringLiteral("Stock unavailable considering current auctions listed")
                                              : QStringLiteral("NO STOCK ON HAND!"));
        if (item.StockWarning > 0 && available < item.StockWarning)
            MsgBox(LowStockText(item, L, S, available), vbmsg::Information, ProgramContext::current().gAppTitle);
    }

    if (item.MaxListings != 0 && L >= item.MaxListings) return exclude(QStringLiteral("Maximum current listings reached"));
    if (item.MinDaysApart != 0 && F < item.MinDaysApart)
        return exclude(QStringLiteral("Minimum days between auctions not reached"));
    if (item.MaxListingsPerDay != 0 && T >= item.MaxListingsPerDay)
        return exclude(QStringLiteral("Maximum auctions per day reached"));
    if (item.MaxListingsNoBids != 0 && B >= item.MaxListingsNoBids)
        return exclude(QStringLiteral("Maximum auctions with no bids reached"));

    int room = -1;
    const auto limit = [&](int max, int used) {
        if (max > 0 && (room < 0 || max - used < room)) room = max - used;
    };
    limit(item.MaxListings, L);
    limit(item.MaxListingsPerDay, T);
    limit(item.MaxListingsNoBids, B);
    // A negative limit never passes its test above, so any room left is at least 1.
    return qint16(room < 0 ? 1 : std::min(room, 32767));
}

QString ListingLimits::LowStockText(const StockedItem& item, int current, int soldNotShipped, int available)
{
    return QStringLiteral("LOW STOCK WARNING!") + CrLf + CrLf + QStringLiteral("Item: ") + item.ItemId + CrLf + item.Description + CrLf +
           CrLf + QString::number(item.Stock) + QStringLiteral(" Stock on hand") + CrLf + QString::number(current) +
           QStringLiteral(" Current listings") + CrLf + QString::number(soldNotShipped) + QStringLiteral(" Sold (but not yet shipped)") +
           CrLf + CrLf + QString::number(available) + QStringLiteral(" STOCK REMAINING");
}
