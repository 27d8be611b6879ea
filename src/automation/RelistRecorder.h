#pragma once
// What a listing made on the site leaves in the database: a relisted
// auction's task moves on; for a similar listing, every auction of the item
// and title waiting to be relisted is completed (the new listing takes their
// place), all in one transaction. When that cannot be kept, nothing of it is,
// and the seller must hear that the listing exists all the same: relisting
// the waiting auctions again would list (and pay for) the item twice.

#include "RelistRecord.h"

#include <QString>
#include <QStringList>

class RelistRecorder {
public:
    struct Outcome {
        bool recorded = true;
        QStringList waiting;  // the auctions that still wait to be relisted when not recorded
        QString why;          // what failed (a refusal DoneAction has said leaves it empty)
    };
    static Outcome Record(const RelistRecord& record);

    // The number of the listing the site's result page reports; "" when it names none.
    static QString NewListingNumber(const QString& resultPage);
    // What the seller is told of a listing made on the site but not recorded.
    static QString NotRecordedMessage(const RelistRecord& record, const QString& newListing, const Outcome& outcome);
};
