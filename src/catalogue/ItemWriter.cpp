#include "ItemWriter.h"

#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "records/LookupModel.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <cmath>
#include <limits>

namespace {

const QString DayNames[7] = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
                             QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};

ItemRow rowFrom(const Recordset& rs)
{
    ItemRow row;
    row.itemId = rs.text(QStringLiteral("ItemId"));
    row.description = rs.text(QStringLiteral("Description"));
    row.stocked = rs.value(QStringLiteral("Stocked")).toBool();
    row.maxListings = rs.value(QStringLiteral("MaxListings")).toInt();
    row.maxListingsNoBids = rs.value(QStringLiteral("MaxListingsNoBids")).toInt();
    row.maxListingsPerDay = rs.value(QStringLiteral("MaxListingsPerDay")).toInt();
    row.minDaysApart = rs.value(QStringLiteral("MinDaysApart")).toInt();
    row.endDay = rs.text(QStringLiteral("EndDay"));
    row.useStock = rs.value(QStringLiteral("UseStock")).toBool();
    row.stock = rs.value(QStringLiteral("Stock")).toInt();
    row.stockWarning = rs.value(QStringLiteral("StockWarning")).toInt();
    return row;
}

// Statement failures are said as OpenDB says them; the window shows nothing more.
template <typename Result>
Result failed(const QString& sql, const QString& error, bool report = true)
{
    if (report) clsDatabase::ReportError(sql, error);
    Result r;
    r.outcome = Result::Failed;
    r.message = error;
    return r;
}

template <typename Result>
Result refused(const QString& message)
{
    Result r;
    r.outcome = Result::Refused;
    r.message = message;
    return r;
}

// The number a counting query gives, or -1 (reported).
int count(const QString& sql, const QVariantList& binds)
{
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(sql, binds, true, true, true, &rs)) return -1;
    const int n = rs.isEOF() ? 0 : rs.value(0).toInt();
    rs.Close();
    return n;
}

}  // namespace

bool ItemWriter::IsDefaultItem(const QString& code) { return LookupModel::sameCode(code, DefaultItem); }

QString ItemWriter::ItemKey(const QString& codeText) { return vb::RTrim(codeText.left(ItemIdLength)); }

int ItemWriter::BoxNumber(const QString& text)
{
    const double n = vb::roundHalfEven(vb::Val(text));
    if (!std::isfinite(n)) return 0;
    if (n > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (n < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(n);
}

QString ItemWriter::EndDayText(const std::array<bool, 8>& chkEndDay)
{
    QString text = QStringLiteral(",");
    if (!chkEndDay[0]) return text;
    for (int day = 1; day <= 7; ++day)
        if (chkEndDay[day]) text += DayNames[day - 1] + u',';
    return text;
}

ItemRow ItemWriter::RowOf(const ItemForm& form)
{
    ItemRow row;
    row.itemId = ItemKey(form.codeText);
    row.description = vb::RTrim(form.description);
    row.stocked = form.stocked;
    // An unstocked item has no limits, end days or stock, whatever the boxes hold.
    const bool limit = form.stocked && form.limit;
    row.maxListings = limit ? BoxNumber(form.numValue[0]) : 0;
    row.maxListingsNoBids = limit ? BoxNumber(form.numValue[1]) : 0;
    row.maxListingsPerDay = limit ? BoxNumber(form.numValue[2]) : 0;
    row.minDaysApart = limit ? BoxNumber(form.numValue[3]) : 0;
    std::array<bool, 8> days = form.chkEndDay;
    days[0] = form.stocked && days[0];
    row.endDay = EndDayText(days);
    row.useStock = form.stocked && form.useStock;
    row.stock = row.useStock ? BoxNumber(form.numValue[4]) : 0;
    row.stockWarning = row.useStock && form.stockWarning ? BoxNumber(form.numValue[5]) : 0;
    return row;
}

ItemForm ItemWriter::FormOf(const ItemRow& row)
{
    ItemForm form;
    form.heldCode = form.codeText = row.itemId;
    form.description = row.description;
    form.stocked = row.stocked;
    const int limits[4] = {row.maxListings, row.maxListingsNoBids, row.maxListingsPerDay, row.minDaysApart};
    for (int i = 0; i < 4; ++i) {
        if (limits[i] > 0) {
            form.numValue[i] = QString::number(limits[i]);
            form.limit = true;
        }
    }
    for (int day = 1; day <= 7; ++day) {
        form.chkEndDay[day] = row.endDay.contains(DayNames[day - 1], Qt::CaseSensitive);
        if (form.chkEndDay[day]) form.chkEndDay[0] = true;
    }
    form.useStock = row.useStock;
    form.numValue[4] = QString::number(row.stock);
    if (row.stockWarning > 0) form.numValue[5] = QString::number(row.stockWarning);
    form.stockWarning = row.stockWarning > 0;
    return form;
}

ItemLoadResult ItemWriter::Load(const QString& code)
{
    ItemLoadResult result;
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT * FROM Item WHERE ItemId=?"), {code}, false, true,
                                                     true, &rs))
        return result;
    result.outcome = rs.isEOF() ? ItemLoadResult::NotFound : ItemLoadResult::Found;
    if (!rs.isEOF()) result.row = rowFrom(rs);
    rs.Close();
    return result;
}

ItemSaveResult ItemWriter::Save(const ItemForm& form)
{
    ProgramContext& ctx = ProgramContext::current();
    const ItemRow row = RowOf(form);
    const QString held = form.adding ? row.itemId : form.heldCode;
    const QString select = QStringLiteral("SELECT * FROM Item WHERE ItemId=?");
    if (!form.adding && IsDefaultItem(held)) return refused<ItemSaveResult>(DefaultItemRefusal);

    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return failed<ItemSaveResult>(select, tx.lastError());
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(select, {held}, false, true, true, &rs)) return failed<ItemSaveResult>(select, rs.lastError(), false);
    const bool exists = !rs.isEOF();
    const QString storedId = exists ? rs.text(QStringLiteral("ItemId")) : QString();
    rs.Close();
    if (form.adding && exists) return refused<ItemSaveResult>(QStringLiteral("Cannot add record.  Code already exists in this table."));
    if (!form.adding && !exists) return refused<ItemSaveResult>(QStringLiteral("Failed.  Could not update record."));

    const QVariantList values = {row.itemId,         row.description,       row.stocked,      false,
                                 row.maxListings,    row.maxListingsNoBids, row.maxListingsPerDay, row.minDaysApart,
                                 row.endDay,         row.useStock,          row.stock,        row.stockWarning};
    const bool renamed = !form.adding && storedId != row.itemId;
    if (form.adding) {
        const QString insert = QStringLiteral(
            "INSERT INTO Item (ItemId, Description, Stocked, Relist, MaxListings, MaxListingsNoBids, MaxListingsPerDay, "
            "MinDaysApart, EndDay, UseStock, Stock, StockWarning) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (!ctx.gConnection->Execute(insert, values)) return failed<ItemSaveResult>(insert, ctx.gConnection->lastError());
    } else {
        // A new code that another item holds would merge two items' sales and details.
        if (renamed) {
            Recordset other;
            if (!ctx.gDatabase->OpenDB(select, {row.itemId}, false, true, true, &other))
                return failed<ItemSaveResult>(select, other.lastError(), false);
            const bool taken = !other.isEOF() && other.text(QStringLiteral("ItemId")) != storedId;
            other.Close();
            if (taken) return refused<ItemSaveResult>(QStringLiteral("Code already exists."));
        }
        const QString update = QStringLiteral(
            "UPDATE Item SET ItemId=?, Description=?, Stocked=?, Relist=?, MaxListings=?, MaxListingsNoBids=?, "
            "MaxListingsPerDay=?, MinDaysApart=?, EndDay=?, UseStock=?, Stock=?, StockWarning=? WHERE ItemId=?");
        int rows = 0;
        if (!ctx.gConnection->Execute(update, QVariantList(values) << storedId, &rows))
            return failed<ItemSaveResult>(update, ctx.gConnection->lastError());
        if (rows != 1) return refused<ItemSaveResult>(QStringLiteral("Failed.  Could not update record."));
        // The details belong to the item, not to its old code.
        if (renamed) {
            const QString details = QStringLiteral("UPDATE ItemDetail SET ItemId=? WHERE ItemId=?");
            if (!ctx.gConnection->Execute(details, {row.itemId, storedId}))
                return failed<ItemSaveResult>(details, ctx.gConnection->lastError());
        }
    }
    if (!tx.Commit()) return failed<ItemSaveResult>(select, tx.lastError());
    ItemSaveResult result;
    result.outcome = ItemSaveResult::Saved;
    result.row = row;
    return result;
}

int ItemWriter::SalesOf(const QString& code)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM Auction WHERE ItemId=?"), {code});
}

ItemQuestion ItemWriter::DeleteQuestion(const QString& code, const QString& title, int sales)
{
    if (sales > 0)
        return {QStringLiteral("All auctions assigned to this item code will be changed to the default item code 'MISC' "
                               "(Miscellaneous).\r\n\r\nAre you sure you want to delete this record?"),
                vbmsg::YesNoCancel | vbmsg::Exclamation};
    return {QStringLiteral("Item: %1\r\n%2\r\n\r\nAre you sure you want to permanently delete this item?").arg(code, title),
            vbmsg::YesNo | vbmsg::Question};
}

ItemDeleteResult ItemWriter::Delete(const QString& code)
{
    ProgramContext& ctx = ProgramContext::current();
    if (IsDefaultItem(code)) return refused<ItemDeleteResult>(DefaultItemRefusal);
    const QString recode = QStringLiteral("UPDATE Auction SET ItemId=? WHERE ItemId=?");
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return failed<ItemDeleteResult>(recode, tx.lastError());
    int moved = 0;
    if (!ctx.gConnection->Execute(recode, {DefaultItem, code}, &moved))
        return failed<ItemDeleteResult>(recode, ctx.gConnection->lastError());
    const QString details = QStringLiteral("DELETE FROM ItemDetail WHERE ItemId=?");
    if (!ctx.gConnection->Execute(details, {code})) return failed<ItemDeleteResult>(details, ctx.gConnection->lastError());
    const QString del = QStringLiteral("DELETE FROM Item WHERE ItemId=?");
    int rows = 0;
    if (!ctx.gConnection->Execute(del, {code}, &rows)) return failed<ItemDeleteResult>(del, ctx.gConnection->lastError());
    // Without its row there is nothing to delete: the sales keep their code.
    if (rows != 1) return refused<ItemDeleteResult>(QStringLiteral("Record not found."));
    if (!tx.Commit()) return failed<ItemDeleteResult>(del, tx.lastError());
    ItemDeleteResult result;
    result.outcome = ItemDeleteResult::Deleted;
    result.salesMoved = moved;
    return result;
}

int ItemWriter::SalesToRecode(const QString& code, const QString& title)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM Auction WHERE ItemId<>? AND Description=?"), {code, title});
}

ItemQuestion ItemWriter::RecodeQuestion(const QString& code, const QString& title, int sales)
{
    return {QStringLiteral("%1\r\n\r\nThere are %2 auctions in the database with this title.\r\n\r\n"
                           "Do you want to update the item code to '%3' for all these auctions?")
                .arg(title, QString::number(sales), code),
            vbmsg::YesNo | vbmsg::Question};
}

int ItemWriter::RecodeSales(const QString& code, const QString& title)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString sql = QStringLiteral("UPDATE Auction SET ItemId=? WHERE ItemId<>? AND Description=?");
    int rows = 0;
    if (!ctx.gConnection->Execute(sql, {code, code, title}, &rows)) {
        clsDatabase::ReportError(sql, ctx.gConnection->lastError());
        return -1;
    }
    return rows;
}

void ItemWriter::ItemsChanged()
{
    if (MainWindowApi* main = ProgramContext::current().gMainWindow) {
        main->UpdateComboItems();
        main->Refreshlist();
    }
}
