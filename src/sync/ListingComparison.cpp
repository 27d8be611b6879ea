#include "ListingComparison.h"

#include "ListingRecordsets.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

namespace {

// Differences as the program compares values: a Null on either side is no difference.
bool numberDiffers(const QVariant& a, const QVariant& b)
{
    return !a.isNull() && !b.isNull() && a.toDouble() != b.toDouble();
}
bool textDiffers(const QVariant& a, const QVariant& b)
{
    return !a.isNull() && !b.isNull() && a.toString() != b.toString();
}
bool notEmpty(const QVariant& v) { return !v.isNull() && !v.toString().isEmpty(); }
bool isTrue(const QVariant& v) { return !v.isNull() && v.toBool(); }

}  // namespace

QString ListingComparison::Marker(int column) { return QStringLiteral("[~%1~]").arg(column); }

QString ListingComparison::SoldSaleCondition()
{
    // A range on the key finds the lettered ids through the index.
    return QStringLiteral(
        "(AuctionId=?1 OR (AuctionId>?1 AND AuctionId<?1||'~' AND length(AuctionId)=length(?1)+1 "
        "AND substr(AuctionId,length(?1)+1) GLOB '[A-Za-z]')) AND CustomerId=?2");
}

QVariantList ListingComparison::SoldSaleBinds(const QString& ListingId, const QString& BuyerName)
{
    return {ListingId, BuyerName};
}

bool ListingComparison::MarkBeforeSystemStart(Recordset& rs, const QString& DateField, double dateSystemStart)
{
    bool marked = false;
    if (rs.RecordCount() == 0) return false;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QVariant when = rs.value(DateField);
        if (when.isNull() || when.toDouble() >= dateSystemStart) continue;
        rs.setValue(QStringLiteral("BeforeSystemStart"), true);
        marked = true;
    }
    rs.Update();
    return marked;
}

void ListingComparison::CompareWithDatabase(Recordset& rs, int listType, int* changedTab, double today)
{
    ProgramContext& ctx = ProgramContext::current();
    const bool sold = listType == ListingRecordsets::Sold;
    const bool unsold = listType == ListingRecordsets::Unsold;
    auto flagWrite = [&] {
        rs.setValue(QStringLiteral("UpdateAuction"), true);
        if (*changedTab != ListingRecordsets::Sold) *changedTab = listType;
    };
    if (rs.RecordCount() == 0) return;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QString listingId = rs.text(QStringLiteral("listing_id"));
        const QVariant offerPrice = unsold ? rs.value(QStringLiteral("offer_price")) : QVariant();
        const QVariant relisted = unsold ? rs.value(QStringLiteral("relisted")) : QVariant();
        if (sold && rs.text(QStringLiteral("sold_type")).toLower() == QLatin1String("fixed price offer"))
            rs.setValue(QStringLiteral("FixedPriceOffered"), true);
        if (unsold && (notEmpty(offerPrice) || notEmpty(relisted))) rs.setValue(QStringLiteral("FixedPriceOffered"), true);

        Recordset sale;
        const bool opened =
            sold ? ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Auction WHERE ") + SoldSaleCondition() +
                                             QStringLiteral(" ORDER BY AuctionId"),
                                         SoldSaleBinds(listingId, rs.text(QStringLiteral("buyer_name"))), true, true, true, &sale)
                 : ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Auction WHERE AuctionId=?"), {listingId}, true, true,
                                         true, &sale);
        if (!opened) continue;
        if (sale.isEOF()) {
            flagWrite();
            continue;
        }
        const int actionId = sale.value(QStringLiteral("ActionId")).toInt();
        if ((sold || unsold) && actionId == 1) flagWrite();
        QString markers;
        if (textDiffers(rs.value(QStringLiteral("title")), sale.value(QStringLiteral("Description")))) markers += Marker(3);
        if (listType == ListingRecordsets::Current) {
            const QVariant end = rs.value(QStringLiteral("end_date"));
            if (!end.isNull() && numberDiffers(sale.value(QStringLiteral("dateNextAction")), vb::Int(end.toDouble())))
                markers += Marker(4);
            if (numberDiffers(rs.value(QStringLiteral("start_price")), sale.value(QStringLiteral("StartPrice")))) markers += Marker(5);
            if (numberDiffers(rs.value(QStringLiteral("reserve_price")), sale.value(QStringLiteral("ReservePrice"))))
                markers += Marker(6);
            if (numberDiffers(rs.value(QStringLiteral("buy_now_price")), sale.value(QStringLiteral("BuyNowPrice"))))
                markers += Marker(7);
            const QVariant maxBid = rs.value(QStringLiteral("max_bid_amount"));
            if (numberDiffers(maxBid, sale.value(QStringLiteral("MaxBidAmount")))) markers += Marker(8);
            // A missing top bid counts as no bids.
            if (!sale.isNull(QStringLiteral("HasBids")) && isTrue(sale.value(QStringLiteral("HasBids"))) != (maxBid.toDouble() > 0))
                markers += Marker(8);
        } else if (sold) {
            if (actionId != 15) rs.setValue(QStringLiteral("BeforeSystemStart"), false);
            rs.setValue(QStringLiteral("selected_shipping"),
                        sale.isNull(QStringLiteral("Shipping")) ? QVariant() : QVariant(sale.text(QStringLiteral("Shipping"))));
            if (notEmpty(rs.value(QStringLiteral("buyer_delivery_address"))) &&
                sale.text(QStringLiteral("DeliveryAddress")).isEmpty()) {
                rs.setValue(QStringLiteral("UpdateAddress"), true);
                *changedTab = ListingRecordsets::Sold;
            }
        } else if (unsold) {
            if (notEmpty(offerPrice) || notEmpty(relisted)) {
                if (!isTrue(sale.value(QStringLiteral("FixedPriceOffered")))) markers += Marker(8) + Marker(10);
                rs.setValue(QStringLiteral("FixedPriceOffered"), true);
            }
            if (notEmpty(rs.value(QStringLiteral("offer_expired"))) && actionId == 16 &&
                sale.value(QStringLiteral("dateNextAction")).toDouble() > today && !sale.isNull(QStringLiteral("dateNextAction")))
                markers += Marker(9);
            if (notEmpty(relisted) && actionId == 16) markers += Marker(10);
        }
        rs.setValue(QStringLiteral("UpdateFields"), markers);
        if (isTrue(sale.value(QStringLiteral("FixedPriceOffered")))) rs.setValue(QStringLiteral("FixedPriceOffered"), true);
    }
    rs.Update();
}
