#include "SaleTasks.h"

#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"

#include <QStringList>

SaleTasks::Outcome SaleTasks::Save(const QString& auctionId, const AddressRules::BuyerPlan& buyer, const Columns& columns)
{
    ProgramContext& ctx = ProgramContext::current();
    QStringList set;
    QVariantList binds;
    for (const auto& [column, value] : columns) {
        set << column + QStringLiteral("=?");
        binds << value;
    }
    binds << auctionId;
    const QString sql = QStringLiteral("UPDATE Auction SET ") + set.join(QStringLiteral(", ")) + QStringLiteral(" WHERE AuctionId=?");

    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return Failed;
    }
    // WriteBuyerAddress has said what failed.
    if (!AddressRules::WriteBuyerAddress(buyer)) return Failed;
    int changed = 0;
    if (!ctx.gConnection->Execute(sql, binds, &changed)) {
        clsDatabase::ReportError(sql, ctx.gConnection->lastError());
        return Failed;
    }
    if (!tx.Commit()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return Failed;
    }
    if (changed != 1) {
        MsgBox(QStringLiteral("Update failed.  Could not update record."), vbmsg::Critical, ctx.gAppTitle);
        return NotFound;
    }
    return Saved;
}

bool SaleTasks::CompletePayment(const QString& auctionId, bool pickedUp, double datePaid)
{
    clsActions& actions = *ProgramContext::current().gActions;
    const double now = vb::now();

    clsActions::DoneOptions paid;
    paid.AuctionPaid = true;
    paid.BuyerPickedUp = pickedUp;
    paid.Now = now;
    paid.HistoryText = QStringLiteral("Payment received");
    paid.RecipeTail = UndoRecipe().add(QStringLiteral("DatePaid"), QStringLiteral("Null")).add(QStringLiteral("PayId"), QStringLiteral("Null")).text();
    if (!actions.DoneAction(auctionId, paid)) return false;
    if (!pickedUp) return true;

    // The steps that follow the payment in the seller's own chain.
    int step = actions.NextActionId(7);
    if (step == 10) {
        clsActions::DoneOptions skip;
        skip.Skipped = true;
        skip.Now = now;
        skip.HistoryText = QStringLiteral("SKIPPED TASK: Payment received email (item was picked up)");
        skip.HistorySeconds = 1;
        if (actions.DoneAction(auctionId, skip)) step = actions.NextActionId(10);
    }
    if (step == 11) {
        clsActions::DoneOptions collected;
        collected.BuyerPickedUp = true;
        collected.DateShipped = datePaid;
        collected.Now = now;
        collected.HistoryText = QStringLiteral("Item picked up by buyer");
        collected.HistorySeconds = 2;
        actions.DoneAction(auctionId, collected);
    }
    return true;
}
