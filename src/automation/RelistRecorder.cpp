#include "RelistRecorder.h"

#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QRegularExpression>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

RelistRecorder::Outcome RelistRecorder::Record(const RelistRecord& record)
{
    ProgramContext& ctx = ProgramContext::current();
    Outcome outcome;
    if (record.RelistAction == QLatin1String("Relist")) {
        clsActions::DoneOptions options;
        options.ReportFailure = false;
        if (!ctx.gActions->DoneAction(record.AuctionId, options)) {
            outcome.recorded = false;
            outcome.waiting = QStringList{record.AuctionId};
            outcome.why = options.Failure;
        }
        return outcome;
    }

    // Every completion and its History row, or none: the steps log their
    // changes as they go, so a save not kept puts the log back too.
    const QList<clsDataLog> logBefore = ctx.gDatabase->PendingLog();
    auto failed = [&](const QString& why) {
        ctx.gDatabase->RestoreLog(logBefore);
        outcome.recorded = false;
        outcome.why = why;
        return outcome;
    };
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return failed(tx.lastError());
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId FROM Auction WHERE ItemId=? AND Description=? AND ActionId=16"),
                               {record.ItemId, record.Title}, false, true, true, &rs))
        return failed(rs.lastError());
    QStringList waiting;
    for (; !rs.isEOF(); rs.MoveNext()) waiting << rs.text(QStringLiteral("AuctionId"));
    rs.Close();
    outcome.waiting = waiting;
    for (const QString& id : std::as_const(waiting)) {
        QString why;
        ctx.gActions->SetAuctionCompleted(id, 0, QStringLiteral("Completed"), &why);
        if (!why.isEmpty()) return failed(why);
    }
    if (!tx.Commit()) return failed(tx.lastError());
    outcome.waiting.clear();
    return outcome;
}

QString RelistRecorder::NewListingNumber(const QString& resultPage)
{
    // "Auction number: <a href=...>2000001</a>"
    static const QRegularExpression number(QStringLiteral("auction number:\\s*(?:<[^>]*>\\s*)*(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return number.match(resultPage).captured(1);
}

QString RelistRecorder::NotRecordedMessage(const RelistRecord& record, const QString& newListing, const Outcome& outcome)
{
    QString text = record.Title + CrLf + CrLf +
                   (newListing.isEmpty() ? QStringLiteral("The listing was made on TradeMe from auction (ref# ") + record.AuctionId +
                                               QStringLiteral("), but it could not be recorded here.")
                                         : QStringLiteral("The listing was made on TradeMe as auction ") + newListing +
                                               QStringLiteral(" (from auction ref# ") + record.AuctionId +
                                               QStringLiteral("), but it could not be recorded here."));
    if (outcome.waiting.size() == 1)
        text += CrLf + CrLf + QStringLiteral("Auction ") + outcome.waiting.first() +
                QStringLiteral(" was not marked as relisted and still shows as waiting to be relisted. Do not relist it again; "
                               "mark its task done instead.");
    else if (!outcome.waiting.isEmpty())
        text += CrLf + CrLf + QStringLiteral("These auctions were not marked as relisted and still show as waiting to be relisted: ") +
                outcome.waiting.join(QStringLiteral(", ")) + QStringLiteral(". Do not relist them again; mark them completed instead.");
    else
        text += CrLf + CrLf + QStringLiteral("Check the auctions waiting to be relisted for this item before you relist it again.");
    if (!outcome.why.isEmpty()) text += CrLf + CrLf + outcome.why;
    return text;
}
