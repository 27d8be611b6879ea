#include "DemoSiteFixture.h"

#include "platform/Vb.h"

#include <QHash>
#include <QJsonDocument>

#include <cmath>

namespace {

// Days from the start of the day the data is made for, to whole seconds and
// written short: the site rounds them to seconds again.
double days(double when, double today) { return std::round((when - today) * 1e6) / 1e6; }

QByteArray compact(const QJsonValue& value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

}  // namespace

QJsonArray DemoSiteFixture::Buyers(const DemoDataOptions& options)
{
    QJsonArray out;
    for (const DemoBuyer& b : DemoData::Buyers(options))
        out.append(QJsonObject{{QStringLiteral("userId"), b.customerId}, {QStringLiteral("member"), b.member}, {QStringLiteral("name"), b.name}});
    return out;
}

QJsonArray DemoSiteFixture::Listings(const DemoDataOptions& options, const QString& seller)
{
    const double today = options.today != 0 ? options.today : vb::today();
    QHash<QString, DemoBuyer> buyers;
    for (const DemoBuyer& b : DemoData::Buyers(options)) buyers.insert(b.customerId, b);
    QJsonArray out;
    for (const DemoSale& s : DemoData::Sales(options)) {
        QJsonObject l{{QStringLiteral("seller"), seller},
                      {QStringLiteral("id"), s.auctionId},
                      {QStringLiteral("kind"), s.running() ? QStringLiteral("current") : s.unsold() ? QStringLiteral("unsold") : QStringLiteral("sold")},
                      {QStringLiteral("title"), s.title},
                      {QStringLiteral("fromMidnight"), true},
                      {QStringLiteral("startDays"), days(s.started, today)},
                      {QStringLiteral("endDays"), days(s.closes, today)},
                      {QStringLiteral("startPrice"), s.startPrice},
                      {QStringLiteral("reservePrice"), s.startPrice},
                      {QStringLiteral("length"), QStringLiteral("7 days")},
                      {QStringLiteral("bidders"), QJsonArray::fromStringList(s.bidders)},
                      {QStringLiteral("body"), QStringLiteral("%1. Sent by courier, or pick up in Hamilton.").arg(s.title)}};
        if (s.gallery) l.insert(QStringLiteral("gallery"), true);
        if (s.sold()) {
            const DemoBuyer buyer = buyers.value(s.buyer);
            l.insert(QStringLiteral("maxBid"), s.winningBid);
            l.insert(QStringLiteral("soldType"), s.offerType ? QStringLiteral("Fixed Price Offer") : QStringLiteral("Auction"));
            l.insert(QStringLiteral("salePrice"), s.winningBid);
            l.insert(QStringLiteral("shipping"), QStringLiteral("Courier $%1 ").arg(s.shipping, 0, 'f', 2));
            l.insert(QStringLiteral("buyerName"), buyer.customerId);
            l.insert(QStringLiteral("buyerEmail"), buyer.email);
            l.insert(QStringLiteral("buyerAddress"), QString(s.deliveryAddress).replace(QStringLiteral("\r\n"), QStringLiteral(", ")));
        }
        out.append(l);
    }
    return out;
}

QJsonObject DemoSiteFixture::Fixture(const QJsonObject& base, const DemoDataOptions& options)
{
    QJsonObject fixture = base;
    const QString seller = base.value(QStringLiteral("accounts")).toArray().at(0).toObject().value(QStringLiteral("userId")).toString();
    QJsonArray buyers = base.value(QStringLiteral("buyers")).toArray();
    for (const QJsonValue b : Buyers(options)) buyers.append(b);
    QJsonArray listings = base.value(QStringLiteral("listings")).toArray();
    for (const QJsonValue l : Listings(options, seller)) listings.append(l);
    fixture.insert(QStringLiteral("buyers"), buyers);
    fixture.insert(QStringLiteral("listings"), listings);
    return fixture;
}

QByteArray DemoSiteFixture::Text(const QJsonObject& fixture)
{
    QByteArray out = "{\n";
    const QStringList keys = fixture.keys();
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const QJsonValue value = fixture.value(keys[k]);
        out += "  " + compact(keys[k]) + ": ";
        if (value.isArray() && !value.toArray().isEmpty()) {
            const QJsonArray entries = value.toArray();
            out += "[\n";
            for (qsizetype i = 0; i < entries.size(); ++i) out += "    " + compact(entries[i]) + (i + 1 < entries.size() ? ",\n" : "\n");
            out += "  ]";
        } else {
            out += compact(value);
        }
        out += k + 1 < keys.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}
