#include "ListingRecordsets.h"

namespace {

using Kind = ListingRecordsets::Kind;
using Def = ListingRecordsets::FieldDef;

QVector<Def> workFields()
{
    return {{"ItemId", Kind::Text, 10},          {"UseStock", Kind::Boolean, 0},  {"Stock", Kind::Integer, 0},
            {"StockWarning", Kind::Integer, 0},  {"BeforeSystemStart", Kind::Boolean, 0},
            {"UpdateFields", Kind::Text, 250},   {"UpdateAuction", Kind::Boolean, 0},
            {"UpdateAddress", Kind::Boolean, 0}, {"FixedPriceOffered", Kind::Boolean, 0}};
}

QVector<Def> withWorkFields(const QVector<Def>& site) { return workFields() + site; }

QMetaType::Type metaType(Kind kind)
{
    switch (kind) {
    case Kind::Boolean: return QMetaType::Bool;
    case Kind::Integer: return QMetaType::Int;
    case Kind::Double:
    case Kind::Date: return QMetaType::Double;
    case Kind::Text: break;
    }
    return QMetaType::QString;
}

}  // namespace

const QVector<ListingRecordsets::FieldDef>& ListingRecordsets::Fields(int listType)
{
    static const QVector<Def> current = withWorkFields({{"listing_id", Kind::Text, 30},
                                                         {"title", Kind::Text, 150},
                                                         {"start_date", Kind::Date, 0},
                                                         {"end_date", Kind::Date, 0},
                                                         {"max_bid_amount", Kind::Double, 0},
                                                         {"start_price", Kind::Double, 0},
                                                         {"reserve_price", Kind::Double, 0},
                                                         {"buy_now_price", Kind::Double, 0},
                                                         {"bidders_watchers", Kind::Integer, 0},
                                                         {"featured", Kind::Text, 5},
                                                         {"gallery", Kind::Text, 5},
                                                         {"bold", Kind::Text, 5},
                                                         {"homepage", Kind::Text, 5},
                                                         {"length", Kind::Text, 25}});
    static const QVector<Def> sold = withWorkFields({{"listing_id", Kind::Text, 30},
                                                      {"title", Kind::Text, 150},
                                                      {"start_date", Kind::Date, 0},
                                                      {"sold_date", Kind::Date, 0},
                                                      {"sold_type", Kind::Text, 30},
                                                      {"sale_price", Kind::Double, 0},
                                                      {"start_price", Kind::Double, 0},
                                                      {"reserve_price", Kind::Double, 0},
                                                      {"buynow_price", Kind::Double, 0},
                                                      {"selected_shipping", Kind::Text, 250},
                                                      {"buyer_name", Kind::Text, 200},
                                                      {"buyer_delivery_address", Kind::Text, 500},
                                                      {"buyer_email", Kind::Text, 200},
                                                      {"feature", Kind::Text, 5},
                                                      {"gallery", Kind::Text, 5},
                                                      {"bold", Kind::Text, 5},
                                                      {"homepage_feature", Kind::Text, 5}});
    static const QVector<Def> unsold = withWorkFields({{"listing_id", Kind::Text, 30},
                                                        {"title", Kind::Text, 150},
                                                        {"end_date", Kind::Date, 0},
                                                        {"start_price", Kind::Double, 0},
                                                        {"reserve_price", Kind::Double, 0},
                                                        {"offer_price", Kind::Text, 50},
                                                        {"offer_expired", Kind::Text, 50},
                                                        {"relisted", Kind::Text, 20},
                                                        {"no_bids", Kind::Text, 20},
                                                        {"max_bid_amount", Kind::Double, 0}});
    switch (listType) {
    case Sold: return sold;
    case Unsold: return unsold;
    default: return current;
    }
}

std::unique_ptr<Recordset> ListingRecordsets::Create(int listType)
{
    auto rs = std::make_unique<Recordset>();
    for (const Def& f : Fields(listType)) rs->AppendField(f.name, metaType(f.kind));
    rs->OpenInMemory();
    return rs;
}

bool ListingRecordsets::KindOf(int listType, const QString& name, Kind* kind)
{
    for (const Def& f : Fields(listType)) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (kind) *kind = f.kind;
            return true;
        }
    }
    return false;
}

QString ListingRecordsets::ListName(int listType)
{
    switch (listType) {
    case Sold: return QStringLiteral("SOLD");
    case Unsold: return QStringLiteral("UNSOLD");
    default: return QStringLiteral("CURRENT");
    }
}
