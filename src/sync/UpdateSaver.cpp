#include "UpdateSaver.h"

#include "ListingComparison.h"
#include "ListingRecordsets.h"
#include "UpdateSession.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QSet>

#include <functional>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString PickUp = QStringLiteral("Buyer to pick-up or make arrangements directly with the seller");

bool notEmpty(const QVariant& v) { return !v.isNull() && !v.toString().isEmpty(); }
// Missing numbers count as 0.
double nz(const QVariant& v) { return v.isNull() ? 0.0 : v.toDouble(); }
QVariant nzValue(const QVariant& v) { return QVariant(nz(v)); }

// A column's value as an undo recipe writes it.
QString recipeValue(const QString& field, const QVariant& v)
{
    static const QSet<QString> dates = {"dateend", "datenextaction", "datestart", "datepaid", "datesent", "dateended"};
    if (v.isNull()) return QStringLiteral("Null");
    if (dates.contains(field.toLower())) return UndoRecipe::DateText(v);
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    return v.toString();
}

// A row of one listing set, as the save keeps track of it.
QString rowKey(int listType, int row) { return QStringLiteral("%1/%2").arg(listType).arg(row); }

// A record that holds a sale: a buyer, or a step past the end of the auction
// (15 "Completed" and 16 "Relist item" end unsold listings too).
bool holdsSale(const Recordset& rs)
{
    const int step = rs.value(QStringLiteral("ActionId")).toInt();
    return !rs.text(QStringLiteral("CustomerId")).isEmpty() || (step > 1 && step != 15 && step != 16);
}

// The fields a row cannot be saved without.
QStringList requiredDates(int listType, bool updateAuction)
{
    switch (listType) {
    case ListingRecordsets::Current: return {QStringLiteral("start_date"), QStringLiteral("end_date")};
    case ListingRecordsets::Sold: return updateAuction ? QStringList{QStringLiteral("sold_date")} : QStringList{};
    default: return updateAuction ? QStringList{QStringLiteral("end_date")} : QStringList{};
    }
}

}  // namespace

// What the write leaves for after the commit.
struct UpdateSaver::Pending {
    QSet<QString> handledRows;         // "listType/row": flags cleared after the commit
    QStringList unknownTypes;
    QHash<QString, bool> takeAddress;  // "listType/row" -> the seller's answer to that row's address question
    QHash<QString, qint64> completions;
    QString error;                     // why the write failed
};

void UpdateSaver::SetAuctionField(Recordset& rs, const QString& FieldName, const QVariant& NewValue, QString& UndoText)
{
    UndoText = UndoRecipe(UndoText).add(FieldName, recipeValue(FieldName, rs.value(FieldName))).text();
    if (UndoText.startsWith(u',')) UndoText.remove(0, 1);
    rs.setValue(FieldName, NewValue);
}

QString UpdateSaver::GetAuctionIdForSale(const QString& ListingId, QString* renamedTo)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId, ActionId, CustomerId FROM Auction WHERE AuctionId=?"), {ListingId},
                               false, true, true, &rs))
        return QString();
    if (rs.isEOF()) return ListingId;
    const int actionId = rs.value(QStringLiteral("ActionId")).toInt();
    // A running listing, or a finished one without a buyer, takes the sale itself.
    if ((rs.text(QStringLiteral("CustomerId")).isEmpty() && actionId >= 15) || actionId == 1) return ListingId;
    rs.Close();

    // The sale in progress moves to the first free letter, the new one takes the next.
    Recordset taken;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId FROM Auction WHERE AuctionId>? AND AuctionId<?||'~'"),
                               {ListingId, ListingId}, true, true, true, &taken))
        return QString();
    QSet<QChar> used;
    for (; !taken.isEOF(); taken.MoveNext()) {
        const QString id = taken.text(QStringLiteral("AuctionId"));
        if (id.size() == ListingId.size() + 1) used.insert(id.back().toUpper());
    }
    QList<QChar> free;
    for (char16_t c = u'A'; c <= u'Z' && free.size() < 2; ++c)
        if (!used.contains(QChar(c))) free.append(QChar(c));
    if (free.size() < 2) return QString();
    const QString moved = ListingId + free[0];
    if (!clsDatabase::RenameAuction(ListingId, moved, nullptr, nullptr)) return QString();
    if (renamedTo) *renamedTo = moved;
    return ListingId + free[1];
}

bool UpdateSaver::AddressDiffers(const QString& CustomerId, const QString& Address, QString* StoredAddress)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (CustomerId.isEmpty() || Address.isEmpty() ||
        !ctx.gDatabase->OpenDB(QStringLiteral("SELECT Address FROM Customer WHERE CustomerId=?"), {CustomerId}, true, true, false, &rs) ||
        rs.isEOF())
        return false;
    const QString stored = rs.text(QStringLiteral("Address"));
    if (StoredAddress) *StoredAddress = stored;
    return !stored.isEmpty() && stored != Address;
}

bool UpdateSaver::UpdateCustomer(const QString& CustomerId, const QString& Email, const QString& Address, bool TakeAddress)
{
    if (CustomerId.isEmpty() || Email.isEmpty()) return true;
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Customer WHERE CustomerId=?"), {CustomerId}, false, false, true, &rs))
        return false;
    if (rs.isEOF()) {
        rs.AddNew();
        rs.setValue(QStringLiteral("EmailCC"), QVariant());
        rs.setValue(QStringLiteral("Name"), QVariant());
        rs.setValue(QStringLiteral("Address"), QVariant());
    }
    const QString stored = rs.text(QStringLiteral("Address"));
    rs.setValue(QStringLiteral("CustomerId"), CustomerId);
    rs.setValue(QStringLiteral("Email"), Email);
    rs.setValue(QStringLiteral("DontEmail"), false);
    if (!Address.isEmpty()) {
        const QString firstLine = Address.section(QStringLiteral("\r\n"), 0, 0);
        if (stored.isEmpty()) {
            const QString name = firstLine == PickUp ? CustomerId : firstLine;
            rs.setValue(QStringLiteral("Name"), name.left(50));
            rs.setValue(QStringLiteral("Address"), Address);
        } else if (stored != Address && TakeAddress) {
            rs.setValue(QStringLiteral("Name"), firstLine.left(50));
            rs.setValue(QStringLiteral("Address"), Address);
        }
    }
    return rs.Update();
}

QString UpdateSaver::GetExtraFeatures(const QString& Gallery, const QString& Bold, const QString& Featured, const QString& HomePage)
{
    const auto yes = [](const QString& v) { return v == QLatin1String("yes"); };
    QString text = QStringLiteral(",");
    if (yes(Featured) && yes(Gallery) && yes(Bold)) {
        text += QStringLiteral("Feature combo,");
    } else {
        if (yes(Featured)) text += QStringLiteral("Feature,");
        if (yes(Gallery)) text += QStringLiteral("Gallery,");
        if (yes(Bold)) text += QStringLiteral("Bold title,");
    }
    if (yes(HomePage)) text += QStringLiteral("Homepage featured,");
    return text;
}

void UpdateSaver::GetItemCodes(Recordset& rs)
{
    ProgramContext& ctx = ProgramContext::current();
    // The catalogue read once: titles compare as the database compares them (without regard to case).
    QHash<QString, QVariantList> items;
    Recordset catalogue;
    if (ctx.gDatabase->OpenDB(QStringLiteral("SELECT Description, ItemId, UseStock, Stock, StockWarning FROM Item ORDER BY rowid DESC"),
                              true, true, true, &catalogue)) {
        for (; !catalogue.isEOF(); catalogue.MoveNext())
            items.insert(catalogue.text(QStringLiteral("Description")).toLower(),
                         {catalogue.value(1), catalogue.value(2), catalogue.value(3), catalogue.value(4)});
    }
    if (rs.RecordCount() == 0) return;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const auto found = items.constFind(rs.text(QStringLiteral("title")).toLower());
        const bool known = found != items.constEnd();
        rs.setValue(QStringLiteral("ItemId"), known ? found->at(0) : QVariant(QStringLiteral("MISC")));
        rs.setValue(QStringLiteral("UseStock"), known ? found->at(1).toBool() : false);
        rs.setValue(QStringLiteral("Stock"), known ? QVariant(found->at(2).toInt()) : QVariant(0));
        rs.setValue(QStringLiteral("StockWarning"), known ? QVariant(found->at(3).toInt()) : QVariant(0));
    }
    rs.Update();
}

bool UpdateSaver::LowStock(Recordset& sold)
{
    ProgramContext& ctx = ProgramContext::current();
    if (sold.RecordCount() == 0) return false;
    for (sold.MoveFirst(); !sold.isEOF(); sold.MoveNext()) {
        if (!sold.value(QStringLiteral("UpdateAuction")).toBool() || !sold.value(QStringLiteral("UseStock")).toBool() ||
            sold.value(QStringLiteral("BeforeSystemStart")).toBool())
            continue;
        const QString item = sold.text(QStringLiteral("ItemId"));
        const QString title = sold.text(QStringLiteral("title"));
        const int level = sold.value(QStringLiteral("Stock")).toInt() - ctx.gDatabase->GetCurrentListings(item, title) -
                          ctx.gDatabase->GetSoldNotShippedListings(item, title);
        if (level < 1 || level < sold.value(QStringLiteral("StockWarning")).toInt()) return true;
    }
    return false;
}

bool UpdateSaver::SetDateLastUpdate()
{
    ProgramContext& ctx = ProgramContext::current();
    const double when = vb::now();
    if (!ctx.gConnection->Execute(QStringLiteral("UPDATE Configuration SET DateLastUpdate=?"), {when})) {
        MsgBox(QStringLiteral("The time of this update could not be recorded.") + CrLf + CrLf + ctx.gConnection->lastError(),
               vbmsg::Exclamation, ctx.gAppTitle);
        return false;
    }
    ctx.gConfiguration.DateLastUpdate = when;
    return true;
}

bool UpdateSaver::writeRow(int listType, Recordset& row, Pending& pending)
{
    ProgramContext& ctx = ProgramContext::current();
    const bool sold = listType == ListingRecordsets::Sold;
    const bool unsold = listType == ListingRecordsets::Unsold;
    const bool current = listType == ListingRecordsets::Current;
    const bool updateAuction = row.value(QStringLiteral("UpdateAuction")).toBool();
    const bool updateAddress = row.value(QStringLiteral("UpdateAddress")).toBool();
    const bool beforeStart = row.value(QStringLiteral("BeforeSystemStart")).toBool();
    const bool rowOffered = row.value(QStringLiteral("FixedPriceOffered")).toBool();
    const QString listingId = row.text(QStringLiteral("listing_id"));
    const QString buyer = row.text(QStringLiteral("buyer_name"));
    auto fail = [&](const QString& why) {
        pending.error = QStringLiteral("Listing %1: %2").arg(listingId, why);
        return false;
    };

    if (sold && (updateAuction || updateAddress)) {
        const QString address = row.text(QStringLiteral("buyer_delivery_address"));
        if (!UpdateCustomer(buyer, row.text(QStringLiteral("buyer_email")), address,
                            pending.takeAddress.value(rowKey(listType, row.AbsolutePosition()), false)))
            return fail(ctx.gConnection->lastError());
    }

    // The sale the row is written to.
    QString id = listingId;
    QString sql = QStringLiteral("SELECT * FROM Auction WHERE AuctionId=?");
    QVariantList binds{listingId};
    if (sold && updateAuction) {
        QString renamed;
        id = GetAuctionIdForSale(listingId, &renamed);
        if (id.isEmpty()) return fail(QStringLiteral("no number is free for another sale of this listing."));
        if (!renamed.isEmpty()) ctx.gDatabase->UpdateLog(listingId, renamed);
        binds = {id};
        if (id != listingId) {
            sql += QStringLiteral(" AND CustomerId=?");
            binds << buyer;
        }
    } else if (sold) {
        sql = QStringLiteral("SELECT * FROM Auction WHERE ") + ListingComparison::SoldSaleCondition() + QStringLiteral(" ORDER BY AuctionId");
        binds = ListingComparison::SoldSaleBinds(listingId, buyer);
    }
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(sql, binds, false, false, true, &rs)) return fail(ctx.gConnection->lastError());
    const bool isNew = rs.isEOF();
    if (isNew && sold && !updateAuction) return true;  // a sale the comparison did not find: nothing to change
    // A listing sold by fixed-price offer may still be among the site's unsold
    // listings (the Sold row of the same save may just have written it): the
    // sale stands, with its buyer and tasks.
    if (unsold && !isNew && holdsSale(rs)) return true;
    if (isNew) {
        rs.AddNew();
        ctx.gDatabase->InitialiseAuctionTable(rs);
    } else if (sold && !updateAuction) {
        id = rs.text(QStringLiteral("AuctionId"));
    }
    rs.setValue(QStringLiteral("AuctionId"), id);
    rs.setValue(QStringLiteral("ItemId"), row.value(QStringLiteral("ItemId")));
    rs.setValue(QStringLiteral("Description"), row.value(QStringLiteral("title")));

    QString description;
    QString recipe;
    const double now = vb::now();
    // Logged as written, before the task steps below log theirs: the log keeps
    // one value per sale and column, so the step's final value wins.
    auto log = [&](const QString& field, const QVariant& value, bool isText) {
        ctx.gDatabase->Log(id, QStringLiteral("Auction"), field, value, isText, false);
    };
    auto offerRule = [&] {
        if (!rs.value(QStringLiteral("FixedPriceOffered")).toBool() && rowOffered)
            rs.setValue(QStringLiteral("FixedPriceOffered"), true);
    };

    if (current) {
        const double start = row.value(QStringLiteral("start_date")).toDouble();
        const double end = row.value(QStringLiteral("end_date")).toDouble();
        if (updateAuction) {
            description = QStringLiteral("New Auction (Closes ") + vb::formatDate(end, QStringLiteral("ddd d mmm h:mm ampm")) + u')';
            recipe = QStringLiteral("[DELETE]");
            log(QStringLiteral("AuctionId"), id, true);
        }
        const bool fixed = row.text(QStringLiteral("length")) != QLatin1String("Scheduled enddate");
        rs.setValue(QStringLiteral("dateStart"), start);
        rs.setValue(QStringLiteral("dateNextAction"), vb::Int(end));
        rs.setValue(QStringLiteral("StartPrice"), nzValue(row.value(QStringLiteral("start_price"))));
        rs.setValue(QStringLiteral("ReservePrice"), nzValue(row.value(QStringLiteral("reserve_price"))));
        rs.setValue(QStringLiteral("MaxBidAmount"), nzValue(row.value(QStringLiteral("max_bid_amount"))));
        rs.setValue(QStringLiteral("BuyNowPrice"), row.value(QStringLiteral("buy_now_price")));
        rs.setValue(QStringLiteral("HasBids"), nz(row.value(QStringLiteral("max_bid_amount"))) > 0);
        rs.setValue(QStringLiteral("ExtraFeatures"),
                    GetExtraFeatures(row.text(QStringLiteral("gallery")), row.text(QStringLiteral("bold")),
                                     row.text(QStringLiteral("featured")), row.text(QStringLiteral("homepage"))));
        rs.setValue(QStringLiteral("DurationFixed"), fixed);
        rs.setValue(QStringLiteral("DurationDays"), int(vb::Int(end) - vb::Int(start)));
        rs.setValue(QStringLiteral("DurationTime"), fixed ? 0.0 : end - vb::Int(end));
    } else if (sold && updateAuction) {
        const double soldDate = row.value(QStringLiteral("sold_date")).toDouble();
        const QString soldType = row.text(QStringLiteral("sold_type"));
        description = QStringLiteral("Auction ended ") + vb::formatDate(soldDate, QStringLiteral("ddd d mmm h:mm ampm")) +
                      QStringLiteral(" (sold by ") + soldType + u')';
        rs.setValue(QStringLiteral("ActionId"), 1);
        const QString address = row.text(QStringLiteral("buyer_delivery_address"));
        SetAuctionField(rs, QStringLiteral("CustomerId"), buyer, recipe);
        SetAuctionField(rs, QStringLiteral("Winningbid"), nzValue(row.value(QStringLiteral("sale_price"))), recipe);
        SetAuctionField(rs, QStringLiteral("Shipping"), vb::Val(row.text(QStringLiteral("selected_shipping"))), recipe);
        SetAuctionField(rs, QStringLiteral("StartPrice"), nzValue(row.value(QStringLiteral("start_price"))), recipe);
        SetAuctionField(rs, QStringLiteral("ReservePrice"), nzValue(row.value(QStringLiteral("reserve_price"))), recipe);
        SetAuctionField(rs, QStringLiteral("MaxBidAmount"), nzValue(row.value(QStringLiteral("sale_price"))), recipe);
        SetAuctionField(rs, QStringLiteral("BuyNowPrice"), row.value(QStringLiteral("buynow_price")), recipe);
        SetAuctionField(rs, QStringLiteral("DateEnded"), vb::Int(soldDate), recipe);
        SetAuctionField(rs, QStringLiteral("dateNextAction"), vb::Int(now), recipe);
        SetAuctionField(rs, QStringLiteral("DeliveryAddress"), address.isEmpty() ? QVariant() : QVariant(address), recipe);
        SetAuctionField(rs, QStringLiteral("DateStart"), row.value(QStringLiteral("start_date")), recipe);
        rs.setValue(QStringLiteral("HasBids"), true);
        rs.setValue(QStringLiteral("ExtraFeatures"),
                    GetExtraFeatures(row.text(QStringLiteral("gallery")), row.text(QStringLiteral("bold")),
                                     row.text(QStringLiteral("feature")), row.text(QStringLiteral("homepage_feature"))));
        // A sale recorded for the first time is undone by deleting it.
        if (beforeStart || isNew) recipe = QStringLiteral("[DELETE]");
        const QString type = soldType.toLower();
        if (type == QLatin1String("fixed price offer")) {
            rs.setValue(QStringLiteral("AuctionType"), QStringLiteral("O"));
            rs.setValue(QStringLiteral("FixedPriceOffered"), true);
        } else {
            if (type != QLatin1String("auction") && type != QLatin1String("buy now")) pending.unknownTypes << soldType;
            rs.setValue(QStringLiteral("AuctionType"), QVariant());
        }
        log(QStringLiteral("ActionId"), 1, false);
    } else if (sold) {
        if (nz(rs.value(QStringLiteral("Shipping"))) == 0)
            rs.setValue(QStringLiteral("Shipping"), vb::Val(row.text(QStringLiteral("selected_shipping"))));
        if (updateAddress) rs.setValue(QStringLiteral("DeliveryAddress"), row.value(QStringLiteral("buyer_delivery_address")));
        offerRule();
    } else if (unsold) {
        const QString relisted = row.text(QStringLiteral("relisted"));
        if (updateAuction) {
            const double end = row.value(QStringLiteral("end_date")).toDouble();
            description = QStringLiteral("Auction ended ") + vb::dateText(end) + QStringLiteral(" (UNSOLD)");
            const int step = (!ctx.gConfiguration.RelistUnsold || !relisted.isEmpty()) ? 15 : 16;
            SetAuctionField(rs, QStringLiteral("ActionId"), step, recipe);
            SetAuctionField(rs, QStringLiteral("dateNextAction"), vb::Int(now), recipe);
            SetAuctionField(rs, QStringLiteral("DateEnded"), vb::Int(end), recipe);
            if (nz(row.value(QStringLiteral("start_price"))) > 0)
                SetAuctionField(rs, QStringLiteral("StartPrice"), row.value(QStringLiteral("start_price")), recipe);
            if (nz(row.value(QStringLiteral("reserve_price"))) > 0)
                SetAuctionField(rs, QStringLiteral("ReservePrice"), row.value(QStringLiteral("reserve_price")), recipe);
            const double maxBid = nz(row.value(QStringLiteral("max_bid_amount")));
            if (notEmpty(row.value(QStringLiteral("no_bids")))) rs.setValue(QStringLiteral("MaxBidAmount"), 0.0);
            if (maxBid > 0) rs.setValue(QStringLiteral("MaxBidAmount"), maxBid);
            rs.setValue(QStringLiteral("HasBids"), maxBid > 0);
            if (!rs.isNull(QStringLiteral("dateStart")) && vb::Int(rs.value(QStringLiteral("dateStart")).toDouble()) == vb::Int(now))
                rs.setValue(QStringLiteral("dateStart"), end - 7);
            if (isNew) recipe = QStringLiteral("[DELETE]");
            log(QStringLiteral("ActionId"), step, false);
        } else {
            const int step = rs.value(QStringLiteral("ActionId")).toInt();
            if (step == 16 && !relisted.isEmpty()) {
                description = QStringLiteral("Completed");
                SetAuctionField(rs, QStringLiteral("ActionId"), 15, recipe);
                SetAuctionField(rs, QStringLiteral("dateNextAction"), vb::Int(now), recipe);
            } else if (notEmpty(row.value(QStringLiteral("offer_expired"))) && step == 16 &&
                       !rs.isNull(QStringLiteral("dateNextAction")) && rs.value(QStringLiteral("dateNextAction")).toDouble() > vb::Int(now)) {
                rs.setValue(QStringLiteral("dateNextAction"), vb::Int(now));
            }
        }
        offerRule();
    }
    if (beforeStart) rs.setValue(QStringLiteral("FixedPriceOffered"), true);
    if (!rs.Update()) return fail(rs.lastError());
    rs.Close();

    if (!description.isEmpty()) {
        if (!ctx.gDatabase->UpdateHistory(id, now, description, recipe, false)) return fail(ctx.gConnection->lastError());
        ctx.gDatabase->Log(id, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(now), false, false);
    }
    if (updateAuction) {
        // A step that fails fails the save: the database may have undone all of it.
        if (sold) {
            clsActions::DoneOptions done;
            done.AuctionEnded = true;
            done.AuctionSold = true;
            done.ReportFailure = false;
            if (!ctx.gActions->DoneAction(id, done))
                return fail(done.Failure.isEmpty() ? QStringLiteral("the sale's next task could not be recorded.") : done.Failure);
        }
        if (beforeStart) {
            // The completion is what processing the listing later undoes.
            QString why;
            const qint64 completion = ctx.gActions->SetAuctionCompleted(id, 1, QStringLiteral("Completed"), &why);
            if (completion == 0) return fail(why.isEmpty() ? QStringLiteral("the sale could not be marked completed.") : why);
            pending.completions.insert(id, completion);
            if (!ctx.gDatabase->UpdateHistory(id, vb::Int(ctx.gConfiguration.DateSystemStart),
                                              QStringLiteral("[This auction ended before the system start date]"),
                                              QStringLiteral("[NOTHING]"), false))
                return fail(ctx.gConnection->lastError());
        }
    }
    return true;
}

bool UpdateSaver::Save()
{
    ProgramContext& ctx = ProgramContext::current();
    Pending pending;
    QSet<QString> skip;
    QStringList undated;
    const auto key = rowKey;
    // Each buyer's address as their row will hold it when the save reaches a
    // row (the address on file, then each one the seller accepts), and the
    // addresses already settled: each address that differs is asked about
    // once, and the buyer keeps the last one the seller accepted.
    QHash<QString, QString> addressOnFile;
    QSet<QString> settled;  // buyer, address

    // First what needs no writing: rows that cannot be saved, and the seller's answers.
    for (int t = 0; t < 3; ++t) {
        Recordset& rs = *m_listings[t];
        if (rs.RecordCount() == 0) continue;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            const bool updateAuction = rs.value(QStringLiteral("UpdateAuction")).toBool();
            bool dated = true;
            for (const QString& field : requiredDates(t, updateAuction)) dated = dated && !rs.isNull(field);
            if (!dated) {
                skip.insert(key(t, rs.AbsolutePosition()));
                undated << rs.text(QStringLiteral("listing_id"));
                continue;
            }
            if (t != ListingRecordsets::Sold) continue;
            const QString address = rs.text(QStringLiteral("buyer_delivery_address")).replace(QStringLiteral(", "), CrLf);
            if (address != rs.text(QStringLiteral("buyer_delivery_address")))
                rs.setValue(QStringLiteral("buyer_delivery_address"), address);
            const QString buyer = rs.text(QStringLiteral("buyer_name"));
            if (!(updateAuction || rs.value(QStringLiteral("UpdateAddress")).toBool()) || buyer.isEmpty() ||
                rs.text(QStringLiteral("buyer_email")).isEmpty() || address.isEmpty())
                continue;
            if (!addressOnFile.contains(buyer)) {
                QString stored;
                AddressDiffers(buyer, address, &stored);
                addressOnFile.insert(buyer, stored);
            }
            const QString current = addressOnFile.value(buyer);
            const QString buyerAddress = buyer + u'\n' + address;
            if (current == address || settled.contains(buyerAddress)) continue;
            settled.insert(buyerAddress);
            // A buyer without an address takes the first one without a question.
            const bool take = current.isEmpty() ||
                              MsgBox(QStringLiteral("The address on file for the buyer ") + buyer +
                                         QStringLiteral(" is different to the delivery address.  Do you want to update the buyer address?") +
                                         CrLf + CrLf + QStringLiteral("Current customer address:") + CrLf + current + CrLf + CrLf +
                                         QStringLiteral("Update to:") + CrLf + address,
                                     vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) == vbmsg::Yes;
            pending.takeAddress.insert(key(t, rs.AbsolutePosition()), take);
            if (take) addressOnFile.insert(buyer, address);
        }
        rs.Update();
    }

    // Changes are logged as they are written (the task steps log theirs too):
    // a write that is not kept must leave the change log as it found it.
    const QList<clsDataLog> logBefore = ctx.gDatabase->PendingLog();
    bool saved = false;
    {
        Transaction tx(ctx.gConnection);
        saved = tx.isActive();
        if (!saved) pending.error = tx.lastError();
        for (int t = 0; t < 3 && saved; ++t) {
            Recordset& rs = *m_listings[t];
            if (rs.RecordCount() == 0) continue;
            for (rs.MoveFirst(); !rs.isEOF() && saved; rs.MoveNext()) {
                if (skip.contains(key(t, rs.AbsolutePosition()))) continue;
                saved = writeRow(t, rs, pending);
                pending.handledRows.insert(key(t, rs.AbsolutePosition()));
            }
        }
        const double when = vb::now();
        if (saved && !ctx.gConnection->Execute(QStringLiteral("UPDATE Configuration SET DateLastUpdate=?"), {when})) {
            pending.error = ctx.gConnection->lastError();
            saved = false;
        }
        if (saved && !tx.Commit()) {
            pending.error = tx.lastError();
            saved = false;
        }
        if (saved) ctx.gConfiguration.DateLastUpdate = when;
    }
    if (!saved) {
        ctx.gDatabase->RestoreLog(logBefore);
        MsgBox(QStringLiteral("The update could not be saved; the database is as it was and the listings are still to be saved.") +
                   CrLf + CrLf + pending.error,
               vbmsg::Critical, ctx.gAppTitle);
        return false;
    }

    m_completionRows = pending.completions;
    for (int t = 0; t < 3; ++t) {
        Recordset& rs = *m_listings[t];
        if (rs.RecordCount() == 0) continue;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            if (!pending.handledRows.contains(key(t, rs.AbsolutePosition()))) continue;
            rs.setValue(QStringLiteral("UpdateFields"), QString());
            rs.setValue(QStringLiteral("UpdateAuction"), false);
            rs.setValue(QStringLiteral("UpdateAddress"), false);
        }
        rs.Update();
    }
    for (const QString& type : pending.unknownTypes)
        UpdateSession::ShowUpdateError(QStringLiteral("Unknown auction type encountered '") + type + u'\'');
    if (!undated.isEmpty())
        MsgBox(QStringLiteral("These listings were not saved because the site gave no date for them:") + CrLf + undated.join(CrLf),
               vbmsg::Exclamation, ctx.gAppTitle);
    return true;
}
