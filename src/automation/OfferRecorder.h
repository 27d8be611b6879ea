#pragma once
// What a fixed-price offer leaves in the database: the auction marked as
// offered (also when the site refused it for a known reason, or the seller
// took the auction off the list), and, for an offer made on an auction
// waiting to be relisted, its due date moved to the day after the offer
// expires with a History row that undoes both.

#include <QString>

class OfferRecorder {
public:
    // "Fixed price offer made for $12.5 (valid for 3 days, offer expires
    // 17/3/2026 10:00 AM" (the expiry is now plus the days).
    static QString HistoryText(double price, int days, double now);
    // Records the auction's offer in one transaction; the change log follows
    // the commit. False when nothing was written: no such single auction, or
    // a failed statement (said, with OpenDB's message).
    static bool RecordOfferMade(const QString& auctionId, bool offerMade, double price, int days);
    // What the seller is told of an offer the site sent that could not be
    // recorded: the auction would be offered again.
    static QString NotRecordedMessage(const QString& title, const QString& auctionId);
};
