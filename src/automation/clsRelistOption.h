#pragma once
// The listing values the seller set for one queued relist, kept apart from the
// queue so that a rebuilt queue gets them again. An entry belongs to the queue
// record with the same AuctionId and RelistIndex.

#include <QString>
#include <QVariant>

class clsRelistOption {
public:
    QString AuctionId;
    QString ItemId;
    QString Title;
    double StartPrice = 0;
    double ReservePrice = 0;
    QVariant BuyNowPrice;  // a null QVariant: no buy-now price recorded
    bool DurationFixed = true;
    qint16 DurationDays = 0;
    double DurationTime = 0;  // time of day as a fraction of a day
    QString ExtraFeatures;
    qint16 RelistIndex = 1;
};
