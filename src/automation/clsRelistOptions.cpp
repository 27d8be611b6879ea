#include "clsRelistOptions.h"

#include "RelistOptionRules.h"

const clsRelistOption& clsRelistOptions::Add(const QString& AuctionId, const QString& ItemId, const QString& Title,
                                             double StartPrice, double ReservePrice, const QVariant& BuyNowPrice,
                                             bool DurationFixed, qint16 DurationDays, double DurationTime,
                                             const QString& ExtraFeatures, qint16 RelistIndex)
{
    clsRelistOption o;
    o.AuctionId = AuctionId;
    o.ItemId = ItemId;
    o.Title = Title;
    o.StartPrice = StartPrice;
    o.ReservePrice = ReservePrice;
    o.BuyNowPrice = BuyNowPrice;
    o.DurationFixed = DurationFixed;
    o.DurationDays = DurationDays;
    o.DurationTime = DurationTime;
    // The sync writes the homepage feature under another name than the one the
    // options and the extras form use.
    o.ExtraFeatures = RelistOptionRules::ReadExtraFeatures(ExtraFeatures);
    o.RelistIndex = RelistIndex;
    m_entries.append(o);
    return m_entries.last();
}

bool clsRelistOptions::Update(const QString& Title, double StartPrice, double ReservePrice, const QVariant& BuyNowPrice,
                              bool DurationFixed, qint16 DurationDays, double DurationTime, const QString& ExtraFeatures)
{
    if (m_entries.isEmpty()) return false;
    clsRelistOption& o = m_entries.last();
    o.Title = Title;
    o.StartPrice = StartPrice;
    o.ReservePrice = ReservePrice;
    o.BuyNowPrice = BuyNowPrice;
    o.DurationFixed = DurationFixed;
    o.DurationDays = DurationDays;
    o.DurationTime = DurationTime;
    o.ExtraFeatures = ExtraFeatures;
    return true;
}

bool clsRelistOptions::Remove(int Index)
{
    if (!IsValidIndex(Index)) return false;
    m_entries.removeAt(Index - 1);
    return true;
}

QString clsRelistOptions::DurationFixed(int Index) const
{
    if (!IsValidIndex(Index)) return {};
    return at(Index).DurationFixed ? QStringLiteral("True") : QStringLiteral("False");
}

const clsRelistOption* clsRelistOptions::Latest(const QString& AuctionId, qint16 RelistIndex) const
{
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it)
        if (it->AuctionId == AuctionId && it->RelistIndex == RelistIndex) return &*it;
    return nullptr;
}

const clsRelistOption& clsRelistOptions::at(int Index) const
{
    static const clsRelistOption none;
    return IsValidIndex(Index) ? m_entries.at(Index - 1) : none;
}
