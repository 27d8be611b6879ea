#pragma once
// The relist window's list of edited listing values. The edit command appends
// an entry holding the row's current values, the options dialog overwrites it
// (Update) or drops it again (Remove), and the queue takes the last entry of
// each record whenever it is (re)built. Positions run from 1 to Count.
//
// A position outside 1..Count is refused: Update and Remove return false and
// change nothing, a getter returns an empty value.

#include "clsRelistOption.h"

#include <QList>

class clsRelistOptions {
public:
    const clsRelistOption& Add(const QString& AuctionId, const QString& ItemId, const QString& Title, double StartPrice,
                               double ReservePrice, const QVariant& BuyNowPrice, bool DurationFixed, qint16 DurationDays,
                               double DurationTime, const QString& ExtraFeatures, qint16 RelistIndex);
    // Overwrites the listing values of the last entry; its auction, item and
    // relist index stay.
    bool Update(const QString& Title, double StartPrice, double ReservePrice, const QVariant& BuyNowPrice, bool DurationFixed,
                qint16 DurationDays, double DurationTime, const QString& ExtraFeatures);
    bool Remove(int Index);

    QString AuctionId(int Index) const { return at(Index).AuctionId; }
    QString ItemId(int Index) const { return at(Index).ItemId; }
    QString Title(int Index) const { return at(Index).Title; }
    double StartPrice(int Index) const { return at(Index).StartPrice; }
    double ReservePrice(int Index) const { return at(Index).ReservePrice; }
    QVariant BuyNowPrice(int Index) const { return at(Index).BuyNowPrice; }
    // "True" or "False"; "" for a position outside the list.
    QString DurationFixed(int Index) const;
    qint16 DurationDays(int Index) const { return at(Index).DurationDays; }
    double DurationTime(int Index) const { return at(Index).DurationTime; }
    QString ExtraFeatures(int Index) const { return at(Index).ExtraFeatures; }
    qint16 RelistIndex(int Index) const { return at(Index).RelistIndex; }
    qint32 Count() const { return qint32(m_entries.size()); }

    bool IsValidIndex(int Index) const { return Index >= 1 && Index <= m_entries.size(); }
    // The entry that decides the values of one queue record: the last one
    // added for that auction and relist index; nullptr when there is none.
    const clsRelistOption* Latest(const QString& AuctionId, qint16 RelistIndex) const;

private:
    const clsRelistOption& at(int Index) const;
    QList<clsRelistOption> m_entries;
};
