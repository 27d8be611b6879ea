#pragma once
// One listing the relist window will create: an ended auction put up again
// ("Relist") or a stocked item listed once more from its newest auction
// ("Sell similar"). The listing values start as the source auction's and take
// the seller's edits (clsRelistOptions) whenever the queue is (re)built.

#include <QString>
#include <QVariant>

struct RelistRecord {
    bool Checked = false;
    QString AuctionId;      // the auction relisted, or used as template
    QString ItemId;
    QString Title;
    QString RelistAction;   // "Relist" or "Sell similar"
    qint16 CurrentListings = 0;
    double StartPrice = 0;
    double ReservePrice = 0;
    QVariant BuyNowPrice;   // null: no value recorded
    QString MaxBidAmount;   // top bid of the source auction, as text
    bool DurationFixed = true;
    qint16 DurationDays = 0;
    double DurationTime = 0;  // end time of day of a scheduled listing, as a fraction of a day
    QString ExtraFeatures;  // ",Gallery,Bold title,"; "," for none; "" not recorded
    bool FixedPriceOffered = false;
    qint16 ActionId = 0;    // the source auction's task step
    qint16 RelistIndex = 1; // 1 for a relist; N..1 for the N copies of one item
};
