#include "ItemDetailWriter.h"

#include "ItemWriter.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QStringList>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString DayNames[7] = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
                             QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};

ProgramContext& ctx() { return ProgramContext::current(); }

ItemDetailRow rowFrom(const Recordset& rs)
{
    ItemDetailRow row;
    row.autoId = rs.value(QStringLiteral("AutoId")).toLongLong();
    row.itemId = rs.text(QStringLiteral("ItemId"));
    row.title = rs.text(QStringLiteral("Title"));
    row.endDay = rs.text(QStringLiteral("EndDay"));
    row.maxListings = rs.value(QStringLiteral("MaxListings")).toInt();
    row.maxListingsNoBids = rs.value(QStringLiteral("MaxListingsNoBids")).toInt();
    row.maxListingsPerDay = rs.value(QStringLiteral("MaxListingsPerDay")).toInt();
    row.minDaysApart = rs.value(QStringLiteral("MinDaysApart")).toInt();
    row.useStock = rs.value(QStringLiteral("UseStock")).toBool();
    row.stock = rs.value(QStringLiteral("Stock")).toInt();
    row.stockWarning = rs.value(QStringLiteral("StockWarning")).toInt();
    // A missing flag reads as the table's default, fixed length.
    const QVariant fixed = rs.value(QStringLiteral("DurationFixed"));
    row.durationFixed = fixed.isNull() || fixed.toBool();
    row.durationDays = rs.value(QStringLiteral("DurationDays")).toInt();
    row.durationTime = rs.value(QStringLiteral("DurationTime")).toDouble();
    return row;
}

QString shown(int value) { return value > 0 ? QString::number(value) : QString(); }

// The first ItemId a look-up gives, "" for none; *failed when it failed (reported).
QString firstItem(const QString& sql, const QVariantList& binds, bool* failed)
{
    Recordset rs;
    *failed = !ctx().gDatabase->OpenDB(sql, binds, false, true, true, &rs);
    if (*failed || rs.isEOF()) return {};
    return rs.text(QStringLiteral("ItemId"));
}
}  // namespace

const QStringList& ItemDetailWriter::DaysEntries()
{
    static const QStringList entries{QStringLiteral("1 day"),  QStringLiteral("2 days"), QStringLiteral("3 days"),
                                     QStringLiteral("4 days"), QStringLiteral("5 days"), QStringLiteral("6 days"),
                                     QStringLiteral("7 days"), QStringLiteral("10 days (fee charged)")};
    return entries;
}

int ItemDetailWriter::DaysOfEntry(int entry)
{
    if (entry < 0 || entry >= DaysEntries().size()) return 0;
    return entry + 1 > 7 ? 10 : entry + 1;
}

int ItemDetailWriter::EntryOfDays(int days)
{
    if (days == 10) return 7;
    if (days >= 1 && days <= 7) return days - 1;
    return 6;
}

ItemDetailRow ItemDetailWriter::RowOf(const ItemDetailForm& form, const QString& itemId)
{
    ItemDetailRow row;
    row.itemId = itemId;
    row.title = form.title;
    row.endDay = ItemWriter::EndDayText(form.chkEndDay);
    row.maxListings = ItemWriter::BoxNumber(form.numValue[0]);
    row.maxListingsNoBids = ItemWriter::BoxNumber(form.numValue[1]);
    row.maxListingsPerDay = ItemWriter::BoxNumber(form.numValue[2]);
    row.minDaysApart = ItemWriter::BoxNumber(form.numValue[3]);
    row.useStock = form.useStock;
    row.stock = form.useStock ? ItemWriter::BoxNumber(form.numValue[4]) : 0;
    row.stockWarning = form.useStock && form.stockWarning ? ItemWriter::BoxNumber(form.numValue[5]) : 0;
    row.durationFixed = form.fixed;
    row.durationDays = DaysOfEntry(form.daysEntry);
    row.durationTime = form.fixed ? 0.0 : form.endTime;
    return row;
}

ItemDetailForm ItemDetailWriter::FormOf(const ItemDetailRow& row)
{
    ItemDetailForm form;
    form.title = row.title;
    for (int day = 1; day <= 7; ++day) {
        form.chkEndDay[day] = row.endDay.contains(DayNames[day - 1], Qt::CaseSensitive);
        if (form.chkEndDay[day]) form.chkEndDay[0] = true;
    }
    form.numValue = {shown(row.maxListings), shown(row.maxListingsNoBids), shown(row.maxListingsPerDay),
                     shown(row.minDaysApart), shown(row.stock),           shown(row.stockWarning)};
    form.useStock = row.useStock;
    form.stockWarning = row.stockWarning > 0;
    form.fixed = row.durationFixed;
    form.daysEntry = EntryOfDays(row.durationDays);
    form.endTime = row.durationTime;
    return form;
}

QString ItemDetailWriter::Check(const ItemDetailForm& form, qint64 autoId, const QString& itemId)
{
    const QString& title = form.title;
    if (title.trimmed().isEmpty()) return QStringLiteral("The Auction Title must be set");
    bool failed = false;
    // Another detail with this title, whichever row comes first.
    const QString other = firstItem(QStringLiteral("SELECT ItemId FROM ItemDetail WHERE Title=? AND AutoId<>? ORDER BY AutoId LIMIT 1"),
                                    {title, autoId}, &failed);
    if (!failed && !other.isNull())
        return title + CrLf + CrLf + QStringLiteral("This title already exists for item: ") + other + CrLf + CrLf +
               QStringLiteral("Change the title or remove it from the other item detail first.");
    // Another item's description; the detail's own item may carry the title.
    const QString item = firstItem(QStringLiteral("SELECT ItemId FROM Item WHERE Description=? AND ItemId<>? ORDER BY ItemId LIMIT 1"),
                                   {title, itemId}, &failed);
    if (!failed && !item.isNull())
        return title + CrLf + CrLf + QStringLiteral("This title already exists as the description for item: ") + item + CrLf + CrLf +
               QStringLiteral("Change the title or change the description for ") + item + QStringLiteral(" first.");
    if (form.chkEndDay[0]) {
        bool any = false;
        for (int day = 1; day <= 7; ++day) any = any || form.chkEndDay[day];
        if (!any) return QStringLiteral("Please select the preferred auction end days (or uncheck this option).");
    }
    return {};
}

ItemDetailLoadResult ItemDetailWriter::Load(qint64 autoId)
{
    ItemDetailLoadResult result;
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT * FROM ItemDetail WHERE AutoId=?"), {autoId}, false, true, true, &rs))
        return result;
    result.outcome = rs.isEOF() ? ItemDetailLoadResult::NotFound : ItemDetailLoadResult::Found;
    if (!rs.isEOF()) result.row = rowFrom(rs);
    return result;
}

ItemDetailSaveResult ItemDetailWriter::Save(const ItemDetailRow& row)
{
    Connection& conn = *ctx().gConnection;
    ItemDetailSaveResult result;
    const QVariantList values = {row.itemId,        row.title,         row.endDay,   row.maxListings,   row.maxListingsNoBids,
                                 row.maxListingsPerDay, row.minDaysApart, row.useStock, row.stock,      row.stockWarning,
                                 row.durationFixed, row.durationDays,  row.durationTime};
    const QString sql = row.autoId > 0
                            ? QStringLiteral("UPDATE ItemDetail SET ItemId=?, Title=?, EndDay=?, MaxListings=?, MaxListingsNoBids=?, "
                                             "MaxListingsPerDay=?, MinDaysApart=?, UseStock=?, Stock=?, StockWarning=?, "
                                             "DurationFixed=?, DurationDays=?, DurationTime=? WHERE AutoId=?")
                            : QStringLiteral("INSERT INTO ItemDetail (ItemId, Title, EndDay, MaxListings, MaxListingsNoBids, "
                                             "MaxListingsPerDay, MinDaysApart, UseStock, Stock, StockWarning, DurationFixed, "
                                             "DurationDays, DurationTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Transaction tx(&conn);
    if (!tx.isActive()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return result;
    }
    int rows = 0;
    if (!conn.Execute(sql, row.autoId > 0 ? QVariantList(values) << row.autoId : values, &rows)) {
        clsDatabase::ReportError(sql, conn.lastError());
        return result;
    }
    // A detail deleted meanwhile stays deleted: its edit is not a new row.
    if (rows != 1) {
        result.outcome = ItemDetailSaveResult::NotFound;
        return result;
    }
    const qint64 autoId = row.autoId > 0 ? row.autoId : conn.Scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
    if (!tx.Commit()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return result;
    }
    result.outcome = ItemDetailSaveResult::Saved;
    result.autoId = autoId;
    return result;
}

int ItemDetailWriter::Delete(qint64 autoId, const QString& itemId)
{
    Connection& conn = *ctx().gConnection;
    // Only a detail of the item shown: never one the list no longer holds.
    const QString sql = QStringLiteral("DELETE FROM ItemDetail WHERE AutoId=? AND ItemId=?");
    int rows = 0;
    if (!conn.Execute(sql, {autoId, itemId}, &rows)) {
        clsDatabase::ReportError(sql, conn.lastError());
        return -1;
    }
    return rows;
}
