#include "SaleWriter.h"

#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QDate>
#include <QDateTime>

#include <limits>

namespace {

// A date as the Auction columns hold it: a serial, or Null for an empty picker.
QVariant serial(const QVariant& date)
{
    if (date.isNull()) return QVariant();
    switch (date.typeId()) {
    case QMetaType::QDate: return date.toDate().isValid() ? QVariant(vb::toOleDate(date.toDate())) : QVariant();
    case QMetaType::QDateTime: return date.toDateTime().isValid() ? QVariant(vb::toOleDate(date.toDateTime())) : QVariant();
    default: return date.toDouble();
    }
}

QVariant textOrNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

// A text column that stores "" rather than Null for an empty box.
QVariant textOrEmpty(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

// Statement failures are said as OpenDB says them; the caller shows nothing more.
SaleSaveResult saveFailed(const QString& sql, const QString& error, bool report = true)
{
    if (report) clsDatabase::ReportError(sql, error);
    SaleSaveResult r;
    r.outcome = SaleSaveResult::Failed;
    r.message = error;
    return r;
}

SaleDeleteResult deleteFailed(const QString& sql, const QString& error)
{
    clsDatabase::ReportError(sql, error);
    SaleDeleteResult r;
    r.outcome = SaleDeleteResult::Failed;
    r.message = error;
    return r;
}

}  // namespace

QString SaleWriter::SaleKey(const QString& codeText)
{
    return vb::RTrim(codeText.left(AuctionIdLength));
}

QString SaleWriter::TwinOf(const QString& code)
{
    if (code.size() < 2) return QString();
    if (code.endsWith(u'A')) return code.chopped(1) + u'B';
    if (code.endsWith(u'B')) return code.chopped(1) + u'A';
    return QString();
}

SaleSaveResult SaleWriter::Save(const SaleForm& form, const AddressRules::BuyerPlan& plan)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString key = SaleKey(form.codeText);
    const QString found = form.adding ? key : form.heldCode;
    const QString select = QStringLiteral("SELECT * FROM Auction WHERE AuctionId=?");

    // Entries logged by a save that is not kept must not stay pending.
    const QList<clsDataLog> logBefore = ctx.gDatabase->PendingLog();
    auto failed = [&](const QString& sql, const QString& error, bool report = true) {
        ctx.gDatabase->RestoreLog(logBefore);
        return saveFailed(sql, error, report);
    };

    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return failed(select, tx.lastError());

    // The buyer first: a refused sale still keeps the buyer typed in.
    if (!AddressRules::WriteBuyerAddress(plan)) return failed(QString(), ctx.gConnection->lastError(), false);

    Recordset rs;
    if (!ctx.gDatabase->OpenDB(select, {found}, false, false, true, &rs)) return failed(select, rs.lastError(), false);
    QString refusal;
    if (form.adding && !rs.isEOF()) refusal = QStringLiteral("Cannot add record.  Code already exists in this table.");
    if (!form.adding && rs.isEOF()) refusal = QStringLiteral("Failed.  Could not update record.");
    if (!refusal.isEmpty()) {
        rs.Close();
        if (!tx.Commit()) return failed(select, tx.lastError());
        SaleSaveResult r;
        r.outcome = SaleSaveResult::Refused;
        r.message = refusal;
        return r;
    }

    const QString formerId = form.adding ? QString() : rs.text(QStringLiteral("AuctionId"));
    if (form.adding) {
        rs.AddNew();
        ctx.gDatabase->InitialiseAuctionTable(rs);
        // Fixed when the sale is made: an edit keeps the stored flag.
        rs.setValue(QStringLiteral("NonAuction"), form.nonAuction);
    }
    const bool paid = !form.datePaid.isNull();
    rs.setValue(QStringLiteral("AuctionId"), key);
    rs.setValue(QStringLiteral("Description"), textOrEmpty(form.description));
    rs.setValue(QStringLiteral("ItemId"), textOrEmpty(form.itemId));
    rs.setValue(QStringLiteral("dateStart"), form.dateStart);
    rs.setValue(QStringLiteral("dateNextAction"), serial(form.dateNextAction));
    rs.setValue(QStringLiteral("ActionId"), form.actionId);
    // The buyer row was written under BuyerKey: the sale names the same row.
    rs.setValue(QStringLiteral("CustomerId"), textOrNull(AddressRules::BuyerKey(form.customerId)));
    rs.setValue(QStringLiteral("DeliveryAddress"), textOrNull(form.deliveryAddress));
    rs.setValue(QStringLiteral("datePaid"), serial(form.datePaid));
    rs.setValue(QStringLiteral("PayId"), paid ? textOrNull(form.payId) : QVariant());
    rs.setValue(QStringLiteral("Winningbid"), form.winningBid);
    rs.setValue(QStringLiteral("Shipping"), form.shipping);
    rs.setValue(QStringLiteral("dateSent"), serial(form.dateSent));
    rs.setValue(QStringLiteral("TrackingNumber"), textOrEmpty(form.trackingNumber));
    rs.setValue(QStringLiteral("Notes"), textOrNull(form.notes));
    if (!rs.Update()) return failed(select, rs.lastError());
    const QString id = rs.text(QStringLiteral("AuctionId"));
    rs.Close();

    // A sale renumbered in the editor takes its history along, as the sync does.
    const bool renamed = !form.adding && formerId != id;
    if (renamed) {
        QString sql, error;
        if (!clsDatabase::MoveHistory(formerId, id, &sql, &error)) return failed(sql, error);
    }

    // Each recipe undoes its own step only: it restores the step and due date
    // the row before it left.
    const double now = vb::now();
    int step = form.rememberedStep;
    QVariant due = serial(form.rememberedDateNextAction);
    auto history = [&](double offset, const QString& description, const QString& recipe) {
        return ctx.gDatabase->UpdateHistory(id, now + offset, description, recipe, true);
    };
    auto stepRecipe = [&] {
        return UndoRecipe().add(QStringLiteral("ActionId"), QString::number(step)).addDate(QStringLiteral("DateNextAction"), due);
    };
    const QString historySql = QStringLiteral("INSERT INTO History");

    qint64 nextNumber = -1;
    if (form.adding) {
        if (!history(0, form.nonAuction ? QStringLiteral("Non-Auction transaction") : QStringLiteral("Auction started"),
                     QStringLiteral("[DELETE]")))
            return failed(historySql, ctx.gConnection->lastError(), false);
        step = 1;
        due = vb::today();
        // Only the proposed number advances; a number typed in its place does not.
        bool numeric = false;
        const double typed = vb::Val(form.codeText, &numeric);
        if (form.nonAuction && numeric && typed == ctx.gConfiguration.NextAuctionNumber) {
            const qint64 next = qint64(ctx.gConfiguration.NextAuctionNumber) + ctx.gConfiguration.NextAuctionNumberStep;
            if (next >= std::numeric_limits<qint32>::min() && next <= std::numeric_limits<qint32>::max()) {
                const QString sql = QStringLiteral("UPDATE Configuration SET NextAuctionNumber=?");
                if (!ctx.gConnection->Execute(sql, {next})) return failed(sql, ctx.gConnection->lastError());
                nextNumber = next;
            }
        }
    }
    if (form.rememberedDatePaid.isNull() && paid) {
        const QString recipe =
            stepRecipe().add(QStringLiteral("DatePaid"), QStringLiteral("Null")).add(QStringLiteral("PayId"), QStringLiteral("Null")).text();
        if (!history(PaymentOffset, QStringLiteral("Payment received"), recipe))
            return failed(historySql, ctx.gConnection->lastError(), false);
        step = 10;
        due = vb::today();
    }
    if (form.rememberedDateSent.isNull() && !form.dateSent.isNull()) {
        const QString recipe = stepRecipe().add(QStringLiteral("DateSent"), QStringLiteral("Null")).text();
        if (!history(DispatchOffset, QStringLiteral("Item shipped"), recipe))
            return failed(historySql, ctx.gConnection->lastError(), false);
        step = 11;
        due = vb::today();
    }
    if (form.actionId == 15 && step != 15) {
        if (!history(CompletionOffset, QStringLiteral("Completed"), stepRecipe().text()))
            return failed(historySql, ctx.gConnection->lastError(), false);
    }

    if (!tx.Commit()) return failed(select, tx.lastError());
    if (renamed) ctx.gDatabase->UpdateLog(formerId, id);
    if (nextNumber >= 0) ctx.gConfiguration.NextAuctionNumber = qint32(nextNumber);
    SaleSaveResult r;
    r.outcome = SaleSaveResult::Saved;
    r.auctionId = id;
    return r;
}

SaleDeleteResult SaleWriter::Delete(const QString& code, bool nonAuction)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString del = QStringLiteral("DELETE FROM Auction WHERE AuctionId=?");
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return deleteFailed(del, tx.lastError());
    int rows = 0;
    if (!ctx.gConnection->Execute(del, {code}, &rows)) return deleteFailed(del, ctx.gConnection->lastError());
    SaleDeleteResult result;
    if (rows != 1) {
        result.outcome = SaleDeleteResult::NotFound;
        return result;
    }

    // The twin takes the bare number only when it exists and the number is free.
    const QString twin = nonAuction ? QString() : TwinOf(code);
    QString twinId;
    if (!twin.isEmpty()) {
        const QString find = QStringLiteral("SELECT AuctionId FROM Auction WHERE AuctionId=? OR AuctionId=?");
        const QString bare = code.chopped(1);
        Recordset rs;
        if (!ctx.gDatabase->OpenDB(find, {twin, bare}, true, true, true, &rs)) return deleteFailed(find, rs.lastError());
        bool bareTaken = false;
        int twins = 0;
        for (; !rs.isEOF(); rs.MoveNext()) {
            const QString id = rs.text(QStringLiteral("AuctionId"));
            if (id.compare(bare, Qt::CaseInsensitive) == 0) {
                bareTaken = true;
            } else {
                ++twins;
                twinId = id;
            }
        }
        rs.Close();
        if (twins == 1 && bareTaken) {
            result.message = QStringLiteral("Auction %1 keeps its number: %2 is already used by another auction.").arg(twinId, bare);
        } else if (twins == 1) {
            // Its history goes with it, as when the sync renumbers a sale.
            QString sql, error;
            if (!clsDatabase::RenameAuction(twinId, bare, &sql, &error)) return deleteFailed(sql, error);
            result.renamedFrom = twinId;
            result.renamedTo = bare;
        }
    }
    if (!tx.Commit()) return deleteFailed(del, tx.lastError());
    if (!result.renamedFrom.isEmpty()) ctx.gDatabase->UpdateLog(result.renamedFrom, result.renamedTo);
    result.outcome = SaleDeleteResult::Deleted;
    return result;
}
