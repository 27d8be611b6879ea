#include "clsActions.h"

#include "EmailsApi.h"
#include "MainWindowApi.h"
#include "ProgramContext.h"
#include "UndoRecipe.h"
#include "clsDatabase.h"
#include "clsLinks.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QClipboard>
#include <QGuiApplication>

#include <sqlite3.h>

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
constexpr double OneSecond = 0.0000115;  // a day's fraction, as the program writes it
}  // namespace

const clsAction* clsActions::at(int Index) const
{
    return Index >= 1 && Index <= mActions.size() ? &mActions[Index - 1] : nullptr;
}

int clsActions::ActionId(int Index) const { return at(Index) ? at(Index)->ActionId : 0; }
QString clsActions::Description(int Index) const { return at(Index) ? at(Index)->Description : QString(); }
int clsActions::NextActionId(int Index) const { return at(Index) ? at(Index)->NextActionId : 0; }
int clsActions::NumDays(int Index) const { return at(Index) ? at(Index)->NumDays : 0; }

void clsActions::LoadActionsFromDatabase()
{
    ProgramContext& ctx = ProgramContext::current();
    mActions.clear();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM [Action] ORDER BY ActionId"), true, true, true, &rs)) return;
    for (; !rs.isEOF(); rs.MoveNext())
        mActions.append({rs.value(QStringLiteral("ActionId")).toInt(), rs.text(QStringLiteral("Description")),
                         rs.value(QStringLiteral("NextActionId")).toInt(), rs.value(QStringLiteral("Days")).toInt()});
}

int clsActions::GetActionId_UsingDescription(const QString& ActionDescription) const
{
    for (int i = 1; i <= std::min(16, Count()); ++i)
        if (Description(i) == ActionDescription) return i;
    MsgBox(QStringLiteral("Action description '") + ActionDescription + QStringLiteral("' not found?"), vbmsg::Critical,
           ProgramContext::current().gAppTitle);
    return 0;
}

bool clsActions::SaveActionsToDatabase(int ActionId, const QString& NextActionDescription, int NumDays)
{
    const int next = GetActionId_UsingDescription(NextActionDescription);
    if (next == 0 || !at(ActionId)) return false;
    mActions[ActionId - 1].NextActionId = next;
    mActions[ActionId - 1].NumDays = NumDays;
    return ProgramContext::current().gDatabase->OpenDB(QStringLiteral("UPDATE [Action] SET NextActionId=?, Days=? WHERE ActionId=?"),
                                                       {next, NumDays, ActionId}, false, false, true);
}

QString clsActions::RecipeDate(const QVariant& serial) { return UndoRecipe::DateText(serial); }

QString clsActions::DoneText(int step, const DoneOptions& o)
{
    switch (step) {
    case 1: return o.AuctionSold ? QStringLiteral("Auction ended successfully") : QStringLiteral("Auction ended - No bids");
    case 2: return QStringLiteral("Notification e-mail sent to winning bidder");
    case 3: return QStringLiteral("Sent 3 day reminder");
    case 4: return QStringLiteral("Sent payment reminder email (1)");
    case 5: return QStringLiteral("Sent payment reminder email (2)");
    case 6: return QStringLiteral("Sent payment reminder email (3)");
    case 7: return QStringLiteral("Payment received");
    case 8: return QStringLiteral("Refund requested from TradeMe");
    case 9: return QStringLiteral("Feedback placed");
    case 10: return QStringLiteral("Sent Payment received email");
    case 11:
        if (o.BuyerPickedUp) return QStringLiteral("Item picked up by buyer");
        if (!o.TrackingNumber.isEmpty()) return QStringLiteral("Item shipped (tracking number ") + o.TrackingNumber + u')';
        return QStringLiteral("Item shipped");
    case 12: return QStringLiteral("Sent Shipped confirmation email");
    case 13: return QStringLiteral("Positive feedback placed");
    case 14: return QStringLiteral("Sent thankyou email");
    case 15: return QStringLiteral("Completed");
    case 16: return QStringLiteral("Item was relisted");
    default: return QStringLiteral("Task %1 done").arg(step);
    }
}

void clsActions::DoAction(const QString& AuctionId, int ActionId)
{
    ProgramContext& ctx = ProgramContext::current();
    FormsRegistry& forms = FormsRegistry::instance();
    QString url;
    switch (ActionId) {
    case 1: forms.showModal(QStringLiteral("frmAuctionEnded"), {{QStringLiteral("mAuctionId"), AuctionId}}); return;
    case 2: case 4: case 5: case 6: case 10: case 12: case 14: case 17: case 18:
        if (ctx.gEmails)
            ctx.gEmails->ShowFormEmailSingle(AuctionId, ActionId, ctx.gMainWindow ? ctx.gMainWindow->SelectedItemId() : QString(),
                                             true, QString());
        return;
    case 7: forms.showModal(QStringLiteral("frmPaid"), {{QStringLiteral("mAuctionId"), AuctionId}}); return;
    case 11: forms.showModal(QStringLiteral("frmSend"), {{QStringLiteral("mAuctionId"), AuctionId}}); return;
    case 13: forms.showModal(QStringLiteral("frmFeedbackSingle"), {{QStringLiteral("mRemoteId"), AuctionId}}); return;
    case 15: MsgBox(QStringLiteral("This item is complete."), vbmsg::Exclamation, ctx.gAppTitle); return;
    case 8: url = ctx.gLinks->Link(ctx.gLinkIdRefund); break;
    case 9: url = ctx.gLinks->Link(ctx.gLinkIdViewAuction); break;
    case 16: url = ctx.gLinks->Link(ctx.gLinkIdRelist); break;
    default: break;
    }
    if (url.isEmpty()) {
        MsgBox(QStringLiteral("Can't do task!") + CrLf + CrLf + QStringLiteral("No URL link assigned for this action."),
               vbmsg::Exclamation, ctx.gAppTitle);
        return;
    }
    if (ActionId == 8) {
        // The refund form asks for the auction number: it is ready to paste.
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setText(AuctionId);
        }
    }
    if (ctx.gMainWindow) ctx.gMainWindow->TradeMe_Link(url);
}

bool clsActions::readSale(const QString& AuctionId, DoneSale* sale) const
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT Auction.ActionId, Auction.DateNextAction, Auction.NonAuction, Auction.DeliveryAddress, "
                                              "Auction.ItemId, Item.ItemId AS ListedItemId, Item.UseStock, Item.Stock "
                                              "FROM Auction LEFT JOIN Item ON Item.ItemId = Auction.ItemId WHERE Auction.AuctionId=?"),
                               {AuctionId}, false, true, true, &rs))
        return false;
    if (rs.isEOF()) return false;  // no such sale: nothing to move on
    const QString itemId = rs.text(QStringLiteral("ItemId"));
    if (rs.value(QStringLiteral("ListedItemId")).isNull()) {
        MsgBox(itemId.isEmpty() ? QStringLiteral("Auction %1 cannot be moved on: it has no item code.").arg(AuctionId)
                                : QStringLiteral("Auction %1 cannot be moved on: its item code \"%2\" is not in the item list.")
                                      .arg(AuctionId, itemId),
               vbmsg::Exclamation, ctx.gAppTitle);
        return false;
    }
    sale->ActionId = rs.value(QStringLiteral("ActionId")).toInt();
    sale->DateNextAction = rs.value(QStringLiteral("DateNextAction"));
    sale->NonAuction = rs.value(QStringLiteral("NonAuction")).toBool();
    sale->HasDeliveryAddress = !rs.text(QStringLiteral("DeliveryAddress")).isEmpty();
    sale->ItemId = rs.text(QStringLiteral("ListedItemId"));
    sale->UseStock = rs.value(QStringLiteral("UseStock")).toBool();
    sale->StockCounted = !rs.value(QStringLiteral("Stock")).isNull();
    return true;
}

clsActions::DonePlan clsActions::PlanDone(const QString& AuctionId, const DoneSale& sale, const DoneOptions& o, double today) const
{
    DonePlan plan;
    auto refuse = [&](const QString& why, int style) {
        plan.Refusal = why;
        plan.RefusalStyle = style;
        return plan;
    };
    if (sale.ActionId == 1 && !o.AuctionEnded)
        return refuse(QStringLiteral("If this auction has ended click 'Do Task' on the toolbar."), vbmsg::Information);

    const int current = o.AuctionPaid ? 7 : sale.ActionId;
    if (!isStep(current))
        return refuse(QStringLiteral("Auction %1 cannot be moved on: its task %2 is not in the task list.").arg(AuctionId).arg(current),
                      vbmsg::Exclamation);
    const int next = NextActionId(current);
    int from = current;  // the step whose successor the sale takes
    int newStep = next;
    if (o.AuctionEnded && !o.AuctionSold) {
        newStep = 16;
    } else if (sale.NonAuction && next == 13) {
        from = 13;
        newStep = NextActionId(13);
    }
    if (!isStep(newStep)) {
        const QString step = QStringLiteral("task %1 \"%2\"").arg(from).arg(Description(from));
        return refuse(newStep == 0 ? QStringLiteral("Auction %1 cannot be moved on: %2 has no next task.").arg(AuctionId, step)
                                   : QStringLiteral("Auction %1 cannot be moved on: %2 is followed by task %3, which is not in the task list.")
                                         .arg(AuctionId, step)
                                         .arg(newStep),
                      vbmsg::Exclamation);
    }
    plan.Current = current;
    plan.NewStep = newStep;

    UndoRecipe recipe;
    recipe.add(QStringLiteral("ActionId"), QString::number(sale.ActionId)).addDate(QStringLiteral("DateNextAction"), sale.DateNextAction);
    if (!o.Skipped && current == 11) {
        // The undo clears what the dispatch wrote (the send dialog stores the
        // tracking number just before): no date sent, the empty tracking number
        // every sale starts with.
        plan.Ship = true;
        recipe.add(QStringLiteral("DateSent"), QStringLiteral("Null")).add(QStringLiteral("TrackingNumber"), QString());
        // A stock nobody counts (Null) is left uncounted.
        plan.TakeStock = sale.UseStock && sale.StockCounted;
        if (plan.TakeStock) {
            plan.ItemId = sale.ItemId;
            recipe.add(QStringLiteral("[STOCK]"), sale.ItemId);
        }
        plan.AskPickedUp = !sale.HasDeliveryAddress && !o.BuyerPickedUp;
    }
    if (o.AuctionEnded && o.AuctionSold) recipe.add(QStringLiteral("CustomerId"), QStringLiteral("Null"));
    plan.Recipe = recipe.text();

    plan.Due = today + NumDays(current);
    if (next == 15) {
        plan.Due = today;
        plan.Completed = true;
    } else if (sale.NonAuction && next == 13) {
        plan.Due = today + NumDays(13);
    }
    plan.HistoryText = o.Skipped ? QStringLiteral("SKIPPED TASK: ") + Description(current) : DoneText(current, o);
    return plan;
}

bool clsActions::writePlan(const QString& AuctionId, const DonePlan& plan, double dateSent, QString* why) const
{
    Connection* conn = ProgramContext::current().gConnection;
    QString sql = QStringLiteral("UPDATE Auction SET ActionId=?, DateNextAction=?");
    QVariantList binds{plan.NewStep, plan.Due};
    if (plan.Ship) {
        sql += QStringLiteral(", DateSent=?");
        binds << dateSent;
    }
    sql += QStringLiteral(" WHERE AuctionId=?");
    binds << AuctionId;
    int changed = 0;
    if (!conn->Execute(sql, binds, &changed)) {
        *why = conn->lastError();
        return false;
    }
    if (changed != 1) {
        *why = QStringLiteral("The sale is no longer in the database.");
        return false;
    }
    if (plan.TakeStock && !conn->Execute(QStringLiteral("UPDATE Item SET Stock = Stock - 1 WHERE ItemId=?"), {plan.ItemId})) {
        *why = conn->lastError();
        return false;
    }
    return true;
}

bool clsActions::DoneAction(const QString& AuctionId, DoneOptions& o)
{
    ProgramContext& ctx = ProgramContext::current();
    o.Failure.clear();
    DoneSale sale;
    if (!readSale(AuctionId, &sale)) return false;

    // Decide, then ask, then write.
    const double today = vb::today();
    DonePlan plan = PlanDone(AuctionId, sale, o, today);
    if (!plan.Refusal.isEmpty()) {
        MsgBox(plan.Refusal, plan.RefusalStyle, ctx.gAppTitle);
        return false;
    }
    if (plan.AskPickedUp) {
        if (MsgBox(QStringLiteral("No delivery address set - was this item picked up?"), vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) !=
            vbmsg::Yes) {
            MsgBox(QStringLiteral("Update was cancelled - set the delivery address first."), vbmsg::Information, ctx.gAppTitle);
            return false;
        }
        o.BuyerPickedUp = true;
        plan = PlanDone(AuctionId, sale, o, today);
    }
    if (plan.Ship && o.DateShipped == 0) o.DateShipped = today;

    // A collected item needs no shipped-confirmation e-mail: that step is
    // skipped with the dispatch.
    std::optional<DonePlan> skip;
    if (o.BuyerPickedUp && plan.Current == 11 && NextActionId(11) == 12) {
        DoneSale shipped = sale;
        shipped.ActionId = plan.NewStep;
        shipped.DateNextAction = plan.Due;
        DoneOptions skipped;
        skipped.Skipped = true;
        DonePlan p = PlanDone(AuctionId, shipped, skipped, today);
        if (p.Refusal.isEmpty()) skip = p;
        else MsgBox(p.Refusal, p.RefusalStyle, ctx.gAppTitle);
    }

    // The sale, its item's stock and its History rows go in together.
    const double now = o.Now != 0 ? o.Now : vb::now();
    double lastHistory = 0;
    QString why;
    const bool saved = [&] {
        Transaction tx(ctx.gConnection);
        if (!tx.isActive()) {
            why = tx.lastError();
            return false;
        }
        if (!writePlan(AuctionId, plan, o.DateShipped, &why)) return false;
        auto history = [&](double when, const QString& text, const QString& recipe) {
            if (ctx.gDatabase->UpdateHistory(AuctionId, when, text, recipe, false)) {
                lastHistory = when;
                return true;
            }
            why = ctx.gConnection->lastError();
            return false;
        };
        if (o.UpdateHistory && !o.HistoryText.isEmpty()) {
            const QString recipe = o.RecipeTail.isEmpty() ? plan.Recipe : plan.Recipe + u',' + o.RecipeTail;
            if (!history(now + o.HistorySeconds / 86400.0, o.HistoryText, recipe)) return false;
        } else if (o.UpdateHistory) {
            if (!history(now, plan.HistoryText, plan.Recipe)) return false;
            if (plan.Completed && !history(now + OneSecond, QStringLiteral("Completed"), QStringLiteral("[AUTOCOMPLETE]"))) return false;
        }
        if (skip) {
            if (!writePlan(AuctionId, *skip, o.DateShipped, &why)) return false;
            if (!history(now + 3.0 / 86400, QStringLiteral("SKIPPED TASK: Shipped confirmation email (item was picked up)"), skip->Recipe))
                return false;
        }
        if (!tx.Commit()) {
            why = tx.lastError();
            return false;
        }
        return true;
    }();
    if (!saved) {
        o.Failure = why;
        if (o.ReportFailure)
            MsgBox(QStringLiteral("The task of auction %1 could not be saved; the auction is as it was.").arg(AuctionId) + CrLf + CrLf + why,
                   vbmsg::Critical, ctx.gAppTitle);
        return false;
    }
    // The main list follows once the changes are committed.
    ctx.gDatabase->Log(AuctionId, QStringLiteral("Auction"), QStringLiteral("ActionId"), skip ? skip->NewStep : plan.NewStep, false, false);
    if (lastHistory != 0)
        ctx.gDatabase->Log(AuctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(lastHistory), false, false);
    return true;
}

qint64 clsActions::SetAuctionCompleted(const QString& AuctionId, int AddSeconds, const QString& ActionDescription, QString* Failure)
{
    ProgramContext& ctx = ProgramContext::current();
    if (Failure) Failure->clear();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT ActionId, DateNextAction FROM Auction WHERE AuctionId=?"), {AuctionId}, false, true,
                               !Failure, &rs)) {
        if (Failure) *Failure = rs.lastError();
        return 0;
    }
    if (rs.isEOF()) return 0;  // no such sale: nothing to complete or record
    const QString changed = UndoRecipe()
                                .add(QStringLiteral("ActionId"), rs.value(QStringLiteral("ActionId")).isNull()
                                                                     ? QStringLiteral("Null")
                                                                     : rs.text(QStringLiteral("ActionId")))
                                .addDate(QStringLiteral("DateNextAction"), rs.value(QStringLiteral("DateNextAction")))
                                .text();
    rs.Close();
    const double when = vb::now() + AddSeconds * OneSecond;
    QString why;
    qint64 row = 0;
    const bool saved = [&] {
        Transaction tx(ctx.gConnection);
        int rows = 0;
        if (!tx.isActive()) why = tx.lastError();
        else if (!ctx.gConnection->Execute(QStringLiteral("UPDATE Auction SET ActionId=15, DateNextAction=? WHERE AuctionId=?"),
                                           {vb::today(), AuctionId}, &rows))
            why = ctx.gConnection->lastError();
        else if (rows != 1) why = QStringLiteral("The sale is no longer in the database.");
        else if (!ctx.gDatabase->UpdateHistory(AuctionId, when, ActionDescription, changed, false)) why = ctx.gConnection->lastError();
        else if (!ActionDescription.isEmpty()) row = sqlite3_last_insert_rowid(ctx.gConnection->handle());
        if (why.isEmpty() && !tx.Commit()) why = tx.lastError();
        return why.isEmpty();
    }();
    if (!saved) {
        if (Failure) *Failure = why;
        else
            MsgBox(QStringLiteral("Auction %1 could not be marked completed; it is as it was.").arg(AuctionId) + CrLf + CrLf + why,
                   vbmsg::Critical, ctx.gAppTitle);
        return 0;
    }
    ctx.gDatabase->Log(AuctionId, QStringLiteral("Auction"), QStringLiteral("ActionId"), 15, false, false);
    if (!ActionDescription.isEmpty())
        ctx.gDatabase->Log(AuctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(when), false, false);
    return row;
}
