#include "ListingProcessor.h"

#include "ListingComparison.h"
#include "ListingRecordsets.h"
#include "UpdateSession.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr int Completed = 15;

// The question asked at a step; the payment reminders are asked as the refund
// request they lead to. "" for a step without a question.
QString stepQuestion(int* step)
{
    switch (*step) {
    case 2: return QStringLiteral("Has the buyer been sent a winning bidder email?");
    case 4:
    case 5:
    case 6:
    case 8: *step = 8; return QStringLiteral("Have you requested a refund from TradeMe?");
    case 9: return QStringLiteral("Have you posted feedback for this buyer?");
    case 10: return QStringLiteral("Have you sent a payment received email?");
    case 11: return QStringLiteral("Have you shipped this item?");
    case 12: return QStringLiteral("Has a shipped confirmation email been sent?");
    case 13: return QStringLiteral("Have you placed feedback for this buyer?");
    case 14: return QStringLiteral("Has a thank you email been sent?");
    case 16: return QStringLiteral("Have you relisted this item?");
    default: return QString();
    }
}

// A History row whose recipe puts a step back: the step change it records.
bool restoresStep(const QString& recipe)
{
    QList<UndoRecipe::Pair> pairs;
    if (!UndoRecipe::Parse(recipe, &pairs)) return false;  // [DELETE], [NOTHING], [AUTOCOMPLETE]
    for (const UndoRecipe::Pair& pair : pairs)
        if (pair.Name.compare(QLatin1String("ActionId"), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

ListingProcessor::ListingProcessor(UpdateSession& session) : m_session(session) {}

QString ListingProcessor::FindAuctionId(const QString& ListingId, const QString& BuyerName)
{
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId FROM Auction WHERE ") +
                                                         ListingComparison::SoldSaleCondition() +
                                                         QStringLiteral(" ORDER BY AuctionId LIMIT 1"),
                                                     ListingComparison::SoldSaleBinds(ListingId, BuyerName), true, true, true, &rs) ||
        rs.isEOF())
        return QString();
    return rs.text(QStringLiteral("AuctionId"));
}

int ListingProcessor::AskActionQuestion(int& ActionId, const QString& Question)
{
    ProgramContext& ctx = ProgramContext::current();
    const Recordset* sold = m_session.mListings[ListingRecordsets::Sold].get();
    QString about;
    if (sold && !sold->isEOF() && !sold->isBOF())
        about = QStringLiteral("Auction # ") + sold->text(QStringLiteral("listing_id")) + CrLf + sold->text(QStringLiteral("title")) +
                CrLf + QStringLiteral("Buyer: ") + sold->text(QStringLiteral("buyer_name")) + CrLf + CrLf;
    const int answer = MsgBox(about + Question, vbmsg::YesNoCancel + vbmsg::Question, ctx.gAppTitle);
    if (answer == vbmsg::Yes) ActionId = ctx.gActions->NextActionId(ActionId);
    return answer;
}

ListingProcessor::Outcome ListingProcessor::ProcessListing(int recordPosition, const std::function<void()>& saveFirst)
{
    ProgramContext& ctx = ProgramContext::current();
    if (m_session.mUnsavedChanges) {
        if (MsgBox(QStringLiteral("You must save changes before you can process this listing.") + CrLf + CrLf +
                       QStringLiteral("Do you want to save now?"),
                   vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) == vbmsg::Yes &&
            saveFirst)
            saveFirst();
        if (m_session.mUnsavedChanges) return Outcome::NotSaved;
    }

    Recordset* sold = m_session.mListings[ListingRecordsets::Sold].get();
    QString id;
    Recordset sale;
    if (sold && sold->MoveTo(recordPosition))
        id = FindAuctionId(sold->text(QStringLiteral("listing_id")), sold->text(QStringLiteral("buyer_name")));
    if (id.isEmpty() ||
        !ctx.gDatabase->OpenDB(QStringLiteral("SELECT ActionId FROM Auction WHERE AuctionId=?"), {id}, true, true, true, &sale) ||
        sale.isEOF()) {
        MsgBox(QStringLiteral("Cant find auction?"), vbmsg::Critical, ctx.gAppTitle);
        return Outcome::NotFound;
    }
    if (sale.value(QStringLiteral("ActionId")).toInt() != Completed) {
        MsgBox(QStringLiteral("This listing has already been processed (not currently set to completed)"), vbmsg::Information,
               ctx.gAppTitle);
        return Outcome::AlreadyProcessed;
    }
    sale.Close();

    // Paid: the chain goes on from step 7, else from the sale's first step.
    int step = 7;
    int answer = AskActionQuestion(step, QStringLiteral("Has the buyer paid for this item?"));
    if (answer == vbmsg::Cancel) return Outcome::Cancelled;
    if (answer != vbmsg::Yes) step = ctx.gActions->NextActionId(1);

    // The questions go on whatever the payment answer; a step without a
    // question ends them as a No does.
    while (step != Completed) {
        const QString question = stepQuestion(&step);
        if (question.isEmpty()) {
            answer = vbmsg::No;
            break;
        }
        answer = AskActionQuestion(step, question);
        if (answer == vbmsg::Cancel) return Outcome::Cancelled;
        if (answer != vbmsg::Yes) break;
    }
    if (answer == vbmsg::Yes) {
        MsgBox(QStringLiteral("You have done all tasks for this item.  You do not need to process a listing if all tasks are done as "
                              "the system will automatically set it to completed for you."),
               vbmsg::Information, ctx.gAppTitle);
        return Outcome::AllDone;
    }

    // A damaged step table can lead off the table: no sale is put at a step that is not there.
    if (step < 1 || ctx.gActions->ActionId(step) != step) {
        MsgBox(QStringLiteral("The task steps lead to step %1, which is not in the task step table; Auction # %2 is left as it is.")
                   .arg(step)
                   .arg(id),
               vbmsg::Critical, ctx.gAppTitle);
        return Outcome::Failed;
    }
    if (MsgBox(QStringLiteral("Finished processing.") + CrLf + CrLf + QStringLiteral("The next action for Auction # ") + id +
                   QStringLiteral(" will be set to: ") + CrLf + ctx.gActions->Description(step) + CrLf + CrLf +
                   QStringLiteral("Save changes?"),
               vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) != vbmsg::Yes)
        return Outcome::Declined;
    if (!UpdateAuctionAction(id, step)) return Outcome::Failed;

    // The row is no longer a completed sale from before the system start.
    if (sold->MoveTo(recordPosition)) {
        sold->setValue(QStringLiteral("BeforeSystemStart"), false);
        sold->Update();
    }
    if (ctx.gMainWindow) ctx.gMainWindow->CloseSearchAndRefreshList();
    return Outcome::Updated;
}

bool ListingProcessor::completionRow(const QString& AuctionId, qint64* row) const
{
    *row = 0;
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(
            QStringLiteral("SELECT Autonumber, Changed FROM History WHERE AuctionId=? ORDER BY \"Date\" DESC, Autonumber DESC"),
            {AuctionId}, true, true, true, &rs))
        return false;
    // The completion the last save wrote, while it is still there; else the
    // newest step change of the sale: the one that completed it, since the
    // sale stands at step 15. Notes and other entries without a step are
    // never taken, nor a sale's creation ([DELETE]).
    const qint64 saved = m_session.mCompletionRows.value(AuctionId, 0);
    for (; !rs.isEOF(); rs.MoveNext()) {
        if (!restoresStep(rs.text(QStringLiteral("Changed")))) continue;
        const qint64 autonumber = rs.value(QStringLiteral("Autonumber")).toLongLong();
        if (*row == 0) *row = autonumber;
        if (saved == 0 || autonumber == saved) {
            *row = autonumber;
            break;
        }
    }
    return true;
}

bool ListingProcessor::UpdateAuctionAction(const QString& AuctionId, int ActionId)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString undoSelection = ctx.gUndoSelectedAuctionId;
    QString why;
    bool said = false;  // the failing step has shown its own message
    {
        Transaction tx(ctx.gConnection);
        qint64 completion = 0;
        int rows = 0;
        if (!tx.isActive()) {
            why = tx.lastError();
        } else if (!completionRow(AuctionId, &completion)) {
            said = true;
        } else if (completion > 0 && !ctx.gDatabase->SelectHistory(completion)) {
            why = QStringLiteral("Its completion could not be read from its history.");
        } else if (completion > 0 && !ctx.gDatabase->PerformUndo()) {
            said = true;
        } else if (!ctx.gConnection->Execute(QStringLiteral("UPDATE Auction SET ActionId=?, DateNextAction=? WHERE AuctionId=?"),
                                             {ActionId, vb::today(), AuctionId}, &rows)) {
            why = ctx.gConnection->lastError();
        } else if (rows != 1) {
            why = QStringLiteral("The sale is no longer in the database.");
        } else if (!tx.Commit()) {
            why = tx.lastError();
        }
    }
    if (!why.isEmpty() || said) {
        ctx.gUndoSelectedAuctionId = undoSelection;
        if (!said)
            MsgBox(QStringLiteral("The next action for Auction # %1 could not be saved; the sale is as it was.").arg(AuctionId) + CrLf +
                       CrLf + why,
                   vbmsg::Critical, ctx.gAppTitle);
        return false;
    }
    ctx.gDatabase->Log(AuctionId, QStringLiteral("Auction"), QStringLiteral("ActionId"), ActionId, false, false);
    return true;
}
