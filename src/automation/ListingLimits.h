#pragma once
// The listing limits of a stocked item, judged while the relist queue is
// built: CountCurrentListings measures how the item stands on the site now and
// applies its end-weekday rule; CheckListingLimits applies the stock rule and
// the four limits and says how many listings to create now. An item that may
// not be listed goes to the exclusion sink with its reason; an item forced
// back in by the seller ("[ItemId]" in IgnoreExcluded) is never excluded and
// gets one listing.
//
// The counters stay after an item is done: the queue shows the running
// listings of the last item counted.

#include <QHash>
#include <QString>

#include <functional>

class Recordset;

class ListingLimits {
public:
    // The columns of an Item row that the rules read.
    struct StockedItem {
        QString ItemId, Description, EndDay = QStringLiteral(",");
        bool UseStock = false;
        int Stock = 0, StockWarning = 0;
        int MaxListings = 0, MinDaysApart = 0, MaxListingsPerDay = 0, MaxListingsNoBids = 0;
        // The current row of a record set of Item rows (a Null reads as 0, as
        // "," for EndDay).
        static StockedItem FromRecord(const Recordset& rs);
    };
    // How an item stands on the site now (the counters below).
    struct Counts {
        qint16 Listings = 0, FewestDaysSinceStart = 99, ListedToday = 0, NoBids = 0, SoldNotShipped = 0;
    };
    // The counts of every stocked item in one statement, keyed by ItemId; an
    // item without any sale of its code and title is absent (all counts 0).
    // False when the statement failed (reported).
    static bool LoadCounts(QHash<QString, Counts>* counts);

    using ExclusionSink = std::function<void(const QString& ItemId, const QString& Description, const QString& Reason)>;

    // The seller's forced items, "[ItemId]" each; matched case-sensitively.
    QString IgnoreExcluded;
    // Receives each exclusion (the relist window's AddExclusion).
    ExclusionSink AddExclusion;

    bool IsForced(const QString& ItemId) const;

    // DurationDays: the length of the item's template auction. False when the
    // listing would end on a weekday the item does not allow.
    bool CountCurrentListings(const StockedItem& item, int DurationDays);
    // The same with the counts already read (LoadCounts).
    bool CountCurrentListings(const StockedItem& item, int DurationDays, const Counts& counts);
    // Listings to create now; 0 when the item is excluded. Run after
    // CountCurrentListings returned True for the same item.
    qint16 CheckListingLimits(const StockedItem& item);

    qint16 mCurrentListings = 0;         // L: running listings
    qint16 mFewestDaysSinceStart = 99;   // F: whole days since the newest started
    qint16 mListedToday = 0;             // T: started today
    qint16 mListingsNoBids = 0;          // B: running without bids
    qint16 mSoldNotShipped = 0;          // S: sold and waiting to be shipped

    // The weekday rule alone: passes with no days chosen or no duration.
    static bool EndsOnAllowedDay(const QString& EndDay, int DurationDays, double now);
    static QString LowStockText(const StockedItem& item, int current, int soldNotShipped, int available);
};
