#include "OfferRecorder.h"

#include "OfferCells.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

namespace {
constexpr int RelistStep = 16;
}

QString OfferRecorder::HistoryText(double price, int days, double now)
{
    return QStringLiteral("Fixed price offer made for $") + OfferCells::Plain(price) + QStringLiteral(" (valid for ") + QString::number(days) +
           QStringLiteral(" days, offer expires ") + vb::formatDate(now + days, QStringLiteral("d/m/yyyy h:mm ampm"));
}

bool OfferRecorder::RecordOfferMade(const QString& auctionId, bool offerMade, double price, int days)
{
    ProgramContext& ctx = ProgramContext::current();
    clsDatabase& db = *ctx.gDatabase;
    const double now = vb::now();
    const QString select = QStringLiteral("SELECT ActionId, FixedPriceOffered, DateNextAction FROM Auction WHERE AuctionId=?");

    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) {
        clsDatabase::ReportError(select, tx.lastError());
        return false;
    }
    Recordset rs;
    if (!db.OpenDB(select, {auctionId}, false, true, true, &rs)) return false;
    if (rs.RecordCount() != 1) return false;

    UndoRecipe recipe;
    const QVariant offered = rs.value(QStringLiteral("FixedPriceOffered"));
    recipe.add(QStringLiteral("FixedPriceOffered"),
               offered.isNull() ? QStringLiteral("Null") : offered.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    const bool moveDue = offerMade && rs.value(QStringLiteral("ActionId")).toInt() == RelistStep;
    const double due = vb::today() + days + 1;
    QString update = QStringLiteral("UPDATE Auction SET FixedPriceOffered=1");
    QVariantList binds;
    if (moveDue) {
        recipe.addDate(QStringLiteral("dateNextAction"), rs.value(QStringLiteral("DateNextAction")));
        update += QStringLiteral(", dateNextAction=?");
        binds << due;
    }
    update += QStringLiteral(" WHERE AuctionId=?");
    binds << auctionId;
    rs.Close();
    if (!db.OpenDB(update, binds, false, false, true)) return false;
    if (moveDue && !db.UpdateHistory(auctionId, now, HistoryText(price, days, now), recipe.text(), false)) return false;
    if (!tx.Commit()) {
        clsDatabase::ReportError(update, tx.lastError());
        return false;
    }
    if (moveDue) {
        db.Log(auctionId, QStringLiteral("Auction"), QStringLiteral("dateNextAction"), vb::fromOleDate(due), false, false);
        db.Log(auctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(now), false, false);
    }
    return true;
}

QString OfferRecorder::NotRecordedMessage(const QString& title, const QString& auctionId)
{
    return title + QStringLiteral("\r\n\r\nThe fixed price offer for auction (ref# ") + auctionId +
           QStringLiteral(") was sent to its bidders and watchers, but it could not be recorded here: the auction is not marked as "
                          "offered and may be listed for an offer again. Do not make a second offer on it.");
}
