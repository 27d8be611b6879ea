#include "ListingExport.h"

#include <algorithm>

namespace {

QString yesNo(bool flag) { return flag ? QStringLiteral("yes") : QStringLiteral("no"); }

}  // namespace

QList<StandInSite::Listing> ListingExport::Select(const QList<StandInSite::Listing>& listings, bool sold, bool lastSevenDays,
                                                  const QDateTime& now, const QString& searchTerm)
{
    const QString kind = sold ? QStringLiteral("sold") : QStringLiteral("current");
    // The site keeps its sales for 45 days; a current listing shows until it closes.
    const QDateTime since = now.addDays(lastSevenDays ? -7 : -45);
    QList<StandInSite::Listing> selected;
    for (const StandInSite::Listing& l : listings) {
        if (l.kind != kind) continue;
        if (!searchTerm.isEmpty() && !l.title.contains(searchTerm, Qt::CaseInsensitive)) continue;
        const QDateTime& when = sold ? l.end : l.start;
        if ((sold || lastSevenDays) && when < since) continue;
        selected.append(l);
    }
    std::stable_sort(selected.begin(), selected.end(), [sold](const StandInSite::Listing& a, const StandInSite::Listing& b) {
        return sold ? a.end > b.end : a.start > b.start;
    });
    return selected;
}

QStringList ListingExport::Header(bool sold)
{
    if (sold) {
        // The buyer's member number is a column the program does not read.
        return {QStringLiteral("listing_id"),   QStringLiteral("title"),        QStringLiteral("sold_date"),
                QStringLiteral("sold_type"),    QStringLiteral("sale_price"),   QStringLiteral("buyer_name"),
                QStringLiteral("buyer_member_id"), QStringLiteral("buyer_email"), QStringLiteral("buyer_delivery_address"),
                QStringLiteral("selected_shipping"), QStringLiteral("start_date"), QStringLiteral("start_price"),
                QStringLiteral("reserve_price"), QStringLiteral("buynow_price"), QStringLiteral("feature"),
                QStringLiteral("gallery"),      QStringLiteral("bold"),         QStringLiteral("homepage_feature")};
    }
    return {QStringLiteral("listing_id"),     QStringLiteral("title"),         QStringLiteral("start_date"),
            QStringLiteral("end_date"),       QStringLiteral("length"),        QStringLiteral("start_price"),
            QStringLiteral("reserve_price"),  QStringLiteral("buy_now_price"), QStringLiteral("max_bid_amount"),
            QStringLiteral("bidders_watchers"), QStringLiteral("featured"),    QStringLiteral("gallery"),
            QStringLiteral("bold"),           QStringLiteral("homepage")};
}

QString ListingExport::Item(const QString& value)
{
    QString item = value;
    item.replace(u'"', QStringLiteral("\"\"\"\""));
    if (value.contains(u',') || value.contains(u'"') || value.contains(u'\r') || value.contains(u'\n'))
        item = u'"' + item + u'"';
    return item;
}

QString ListingExport::Date(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

QString ListingExport::Price(double value) { return QString::number(value, 'f', 2); }

QByteArray ListingExport::HeaderLine(bool sold, StandInSite::ExportFault fault)
{
    QStringList names = Header(sold);
    if (fault == StandInSite::ExportFault::ChangedHeader) names.replace(1, QStringLiteral("Title"));
    return (names.join(u',') + QStringLiteral(",\r\n")).toUtf8();
}

QString ListingExport::DeliveryAddress(const StandInSite::Listing& sale, const QMap<QString, StandInSite::Buyer>& buyers)
{
    if (sale.buyerAddress.isEmpty()) return {};
    // The site's addresses start with the name to deliver to (the program
    // takes the first line as the buyer's name); a buyer without one of
    // record is named by the member name.
    QString name = buyers.value(sale.buyerName.toLower()).name;
    if (name.isEmpty()) name = sale.buyerName;
    return name.isEmpty() ? sale.buyerAddress : name + QStringLiteral(", ") + sale.buyerAddress;
}

QByteArray ListingExport::Csv(const QList<StandInSite::Listing>& listings, bool sold, const QMap<QString, StandInSite::Buyer>& buyers,
                              StandInSite::ExportFault fault)
{
    QByteArray out = HeaderLine(sold, fault);
    bool shifted = false;
    for (const StandInSite::Listing& l : listings) {
        QStringList items;
        items << Item(l.id) << Item(l.title);
        if (fault == StandInSite::ExportFault::ShiftedRecord && !shifted) {
            items << QStringLiteral("an item too many");
            shifted = true;
        }
        const QString buyNow = l.buyNowPrice > 0 ? Price(l.buyNowPrice) : QString();
        if (sold) {
            items << Date(l.end) << Item(l.soldType) << Price(l.salePrice) << Item(l.buyerName)
                  << Item(buyers.value(l.buyerName.toLower()).member) << Item(l.buyerEmail) << Item(DeliveryAddress(l, buyers))
                  << Item(l.shipping)
                  << Date(l.start) << Price(l.startPrice) << Price(l.reservePrice) << buyNow << yesNo(l.featured)
                  << yesNo(l.gallery) << yesNo(l.bold) << yesNo(l.homepage);
        } else {
            items << Date(l.start) << Date(l.end) << Item(l.length) << Price(l.startPrice) << Price(l.reservePrice) << buyNow
                  << Price(l.maxBid) << QString::number(l.biddersWatchers) << yesNo(l.featured) << yesNo(l.gallery)
                  << yesNo(l.bold) << yesNo(l.homepage);
        }
        out += (items.join(u',') + QStringLiteral(",\r\n")).toUtf8();
    }
    return out;
}
