#pragma once
// A stocked item the listing limits kept out of the relist queue, with why.
// The relist window collects them while it builds the queue and hands them to
// the excluded-items window.

#include <QList>
#include <QMetaType>
#include <QString>

struct RelistExclusion {
    QString ItemId;
    QString Description;      // the item's catalogue title
    qint16 CurrentListings = 0;  // the item's running listings when it was judged
    QString Reason;
};

using RelistExclusions = QList<RelistExclusion>;
Q_DECLARE_METATYPE(RelistExclusions)
