#pragma once
// The auctions a fixed-price offer can be made for: ended in the last 45
// days (by the program's clock), past the running task, without an offer
// made yet, and of the kinds the seller's settings ask for (unsold auctions,
// sold auctions of stocked items, or both); newest first. And the cells of
// each auction's row in the offer window.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class OfferCandidates {
public:
    struct Row {
        QString AuctionId, ItemId, Description, CustomerId;
        QVariant DateEnded;
        double WinningBid = 0, StartPrice = 0, ReservePrice = 0, MaxBidAmount = 0, BuyNowPrice = 0;
        bool UseStock = false;
        int Stock = 0, StockWarning = 0;
    };

    // The condition the two settings add ("" when neither is set).
    static QString Filter(bool unsold, bool sold);
    // Reads the candidates; false when the query failed (OpenDB has said why).
    static bool Load(bool unsold, bool sold, QList<Row>* rows);
    // The eleven cells of a row: the offer is the winning bid when above the
    // start price, else the start price; the days are defaultDays, empty when
    // there is no offer price. Zero amounts among the prices show empty.
    static QStringList Cells(const Row& row, int defaultDays);
};
