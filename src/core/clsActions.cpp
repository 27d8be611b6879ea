#include "clsActions.h"

#include "EmailsApi.h"
#include "MainWindowApi.h"
#include "ProgramContext.h"
#include "clsDatabase.h"
#include "clsLinks.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>

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

QString clsActions::RecipeDate(const QVariant& serial)
{
    if (serial.isNull()) return QStringLiteral("Null");
    // The shortest text that reads back as exactly the same number.
    return QString::number(serial.toDouble(), 'g', QLocale::FloatingPointShortest);
}

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

bool clsActions::DoneAction(const QString& AuctionId, DoneOptions& o)
{
    ProgramContext& ctx = ProgramContext::current();
    int finalStep = 0;
    double lastHistory = 0;
    if (!advance(AuctionId, o, &finalStep, &lastHistory)) return false;
    // The main list follows once the changes are committed.
    ctx.gDatabase->Log(AuctionId, QStringLiteral("Auction"), QStringLiteral("ActionId"), finalStep, false, false);
    if (lastHistory != 0)
        ctx.gDatabase->Log(AuctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(lastHistory), false, false);
    return true;
}

bool clsActions::advance(const QString& AuctionId, DoneOptions& o, int* finalStep, double* lastHistory)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId,ActionId,DateNextAction,DateSent,NonAuction,DeliveryAddress, "
                                              "Item.ItemId,Item.UseStock,Item.Stock,Item.StockWarning FROM Item INNER JOIN Auction "
                                              "ON Item.ItemId = Auction.ItemId WHERE AuctionId=?"),
                               {AuctionId}, false, false, true, &rs) ||
        rs.isEOF())
        return false;

    const int oldStep = rs.value(QStringLiteral("ActionId")).toInt();
    if (oldStep == 1 && !o.AuctionEnded) {
        MsgBox(QStringLiteral("If this auction has ended click 'Do Task' on the toolbar."), vbmsg::Information, ctx.gAppTitle);
        return false;
    }
    QString changed = QStringLiteral("ActionId=%1,DateNextAction=%2").arg(oldStep).arg(RecipeDate(rs.value(QStringLiteral("DateNextAction"))));
    const int current = o.AuctionPaid ? 7 : oldStep;
    const double today = vb::today();
    const bool nonAuction = rs.value(QStringLiteral("NonAuction")).toBool();

    if (!o.Skipped && current == 11) {
        // The undo clears what the dispatch wrote (the send dialog stores the
        // tracking number just before): no date sent, the empty tracking number
        // every sale starts with.
        changed += QStringLiteral(",DateSent=Null,TrackingNumber=");
        if (o.DateShipped == 0) o.DateShipped = today;
        rs.setValue(QStringLiteral("DateSent"), o.DateShipped);
        if (rs.value(QStringLiteral("UseStock")).toBool()) {
            rs.setValue(QStringLiteral("Stock"), rs.value(QStringLiteral("Stock")).toLongLong() - 1);
            changed += QStringLiteral(",[STOCK]=") + rs.text(QStringLiteral("ItemId"));
        }
        if (rs.text(QStringLiteral("DeliveryAddress")).isEmpty() && !o.BuyerPickedUp) {
            const int answer = MsgBox(QStringLiteral("No delivery address set - was this item picked up?"),
                                      vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle);
            if (answer == vbmsg::Yes) {
                o.BuyerPickedUp = true;
            } else {
                MsgBox(QStringLiteral("Update was cancelled - set the delivery address first."), vbmsg::Information, ctx.gAppTitle);
                rs.CancelUpdate();
                return false;
            }
        }
    }
    if (o.AuctionEnded && o.AuctionSold) changed += QStringLiteral(",CustomerId=Null");

    const int next = NextActionId(current);
    int newStep = next;
    if (o.AuctionEnded && !o.AuctionSold) newStep = 16;
    else if (nonAuction && next == 13) newStep = NextActionId(13);
    rs.setValue(QStringLiteral("ActionId"), newStep);

    bool completed = false;
    double due = today + NumDays(current);
    if (next == 15) {
        due = today;
        completed = true;
    } else if (nonAuction && next == 13) {
        due = today + NumDays(13);
    }
    rs.setValue(QStringLiteral("DateNextAction"), due);

    // The sale, its item's stock and its History rows go in together.
    Transaction tx(ctx.gConnection);
    if (!tx.isActive() || !rs.Update()) {
        MsgBox(QStringLiteral("The task could not be saved.") + CrLf + CrLf + (tx.isActive() ? rs.lastError() : tx.lastError()),
               vbmsg::Critical, ctx.gAppTitle);
        return false;
    }
    rs.Close();
    const double now = vb::now();
    *finalStep = newStep;
    *lastHistory = 0;
    if (o.UpdateHistory) {
        const QString text = o.Skipped ? QStringLiteral("SKIPPED TASK: ") + Description(current) : DoneText(current, o);
        if (!ctx.gDatabase->UpdateHistory(AuctionId, now, text, changed, false)) return false;
        *lastHistory = now;
        if (completed) {
            if (!ctx.gDatabase->UpdateHistory(AuctionId, now + OneSecond, QStringLiteral("Completed"), QStringLiteral("[AUTOCOMPLETE]"), false))
                return false;
            *lastHistory = now + OneSecond;
        }
    }
    // A collected item needs no shipped-confirmation e-mail.
    if (o.BuyerPickedUp && current == 11 && next == 12) {
        DoneOptions skip;
        skip.Skipped = true;
        skip.UpdateHistory = false;
        double unused = 0;
        if (advance(AuctionId, skip, finalStep, &unused)) {
            const double when = now + 3.0 / 86400;
            if (!ctx.gDatabase->UpdateHistory(AuctionId, when, QStringLiteral("SKIPPED TASK: Shipped confirmation email (item was picked up)"),
                                              QStringLiteral("ActionId=12,DateNextAction=") + RecipeDate(today + NumDays(11)), false))
                return false;
            *lastHistory = when;
        }
    }
    return tx.Commit();
}

void clsActions::SetAuctionCompleted(const QString& AuctionId, int AddSeconds, const QString& ActionDescription)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId,ActionId,DateNextAction FROM Auction WHERE AuctionId=?"), {AuctionId},
                               false, false, true, &rs))
        return;
    if (rs.isEOF()) return;  // no such sale: nothing to complete or record
    const QString changed = QStringLiteral("ActionId=%1,DateNextAction=%2")
                                .arg(rs.text(QStringLiteral("ActionId")), RecipeDate(rs.value(QStringLiteral("DateNextAction"))));
    rs.setValue(QStringLiteral("ActionId"), 15);
    rs.setValue(QStringLiteral("DateNextAction"), vb::today());
    const double when = vb::now() + AddSeconds * OneSecond;
    Transaction tx(ctx.gConnection);
    if (!tx.isActive() || !rs.Update() || !ctx.gDatabase->UpdateHistory(AuctionId, when, ActionDescription, changed, false) ||
        !tx.Commit()) {
        MsgBox(QStringLiteral("The auction could not be marked completed.") + CrLf + CrLf + rs.lastError(), vbmsg::Critical,
               ctx.gAppTitle);
        return;
    }
    ctx.gDatabase->Log(AuctionId, QStringLiteral("Auction"), QStringLiteral("ActionId"), 15, false, false);
    if (!ActionDescription.isEmpty())
        ctx.gDatabase->Log(AuctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(when), false, false);
}
