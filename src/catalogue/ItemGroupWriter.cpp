#include "ItemGroupWriter.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }

ItemSaveResult failed(const QString& sql, const QString& error)
{
    clsDatabase::ReportError(sql, error);
    ItemSaveResult r;
    r.outcome = ItemSaveResult::Failed;
    r.message = error;
    return r;
}

ItemSaveResult refused(const QString& message)
{
    ItemSaveResult r;
    r.outcome = ItemSaveResult::Refused;
    r.message = message;
    return r;
}
}  // namespace

ItemSaveResult ItemGroupWriter::Save(const ItemGroupForm& group)
{
    Connection* conn = ctx().gConnection;
    const QString key = ItemWriter::ItemKey(group.codeText);
    const QString description = vb::RTrim(group.description);
    const QString held = group.adding ? key : group.heldCode;
    if (!group.adding && ItemWriter::IsDefaultItem(held)) return refused(ItemWriter::DefaultItemRefusal);

    const QString select = QStringLiteral("SELECT ItemId FROM Item WHERE ItemId=?");
    Transaction tx(conn);
    if (!tx.isActive()) return failed(select, tx.lastError());
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(select, {held}, false, true, true, &rs)) {
        ItemSaveResult r;
        r.outcome = ItemSaveResult::Failed;
        r.message = rs.lastError();
        return r;
    }
    const bool exists = !rs.isEOF();
    const QString storedId = exists ? rs.text(QStringLiteral("ItemId")) : QString();
    rs.Close();
    if (group.adding && exists) return refused(QStringLiteral("Cannot add record.  Code already exists in this table."));
    if (!group.adding && !exists) return refused(QStringLiteral("Failed.  Could not update record."));

    if (group.adding) {
        // The other columns take the table's defaults.
        const QString insert = QStringLiteral("INSERT INTO Item (ItemId, Description, Stocked) VALUES (?, ?, ?)");
        if (!conn->Execute(insert, {key, description, group.stocked})) return failed(insert, conn->lastError());
    } else {
        const bool renamed = storedId != key;
        if (renamed) {
            // A code another item holds would merge two items' sales and details.
            Recordset other;
            if (!ctx().gDatabase->OpenDB(select, {key}, false, true, true, &other)) {
                ItemSaveResult r;
                r.outcome = ItemSaveResult::Failed;
                r.message = other.lastError();
                return r;
            }
            const bool taken = !other.isEOF() && other.text(QStringLiteral("ItemId")) != storedId;
            other.Close();
            if (taken) return refused(QStringLiteral("Code already exists."));
        }
        const QString update = QStringLiteral("UPDATE Item SET ItemId=?, Description=?, Stocked=? WHERE ItemId=?");
        int rows = 0;
        if (!conn->Execute(update, {key, description, group.stocked, storedId}, &rows)) return failed(update, conn->lastError());
        if (rows != 1) return refused(QStringLiteral("Failed.  Could not update record."));
        // The details belong to the item, not to its old code.
        if (renamed) {
            const QString move = QStringLiteral("UPDATE ItemDetail SET ItemId=? WHERE ItemId=?");
            if (!conn->Execute(move, {key, storedId})) return failed(move, conn->lastError());
        }
    }
    // Only a stocked item has details.
    const QString details = QStringLiteral("DELETE FROM ItemDetail WHERE ItemId=?");
    if (!group.stocked && !conn->Execute(details, {key})) return failed(details, conn->lastError());
    if (!tx.Commit()) return failed(select, tx.lastError());

    ItemSaveResult result;
    result.outcome = ItemSaveResult::Saved;
    result.row.itemId = key;
    result.row.description = description;
    result.row.stocked = group.stocked;
    return result;
}

QString ItemGroupWriter::ItemOfTitle(const QString& title)
{
    for (const char* sql : {"SELECT ItemId FROM Item WHERE Description=? ORDER BY ItemId LIMIT 1",
                            "SELECT ItemId FROM ItemDetail WHERE Title=? ORDER BY AutoId LIMIT 1"}) {
        Recordset rs;
        if (!ctx().gDatabase->OpenDB(QLatin1String(sql), {title}, false, true, true, &rs)) continue;
        if (!rs.isEOF() && !rs.text(QStringLiteral("ItemId")).isEmpty()) return rs.text(QStringLiteral("ItemId"));
    }
    return {};
}
