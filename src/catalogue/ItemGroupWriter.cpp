#include "ItemGroupWriter.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
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
}  // namespace

ItemSaveResult ItemGroupWriter::Save(const ItemGroupForm& group)
{
    Connection* conn = ctx().gConnection;
    const QString details = QStringLiteral("DELETE FROM ItemDetail WHERE ItemId=?");
    Transaction tx(conn);
    if (!tx.isActive()) return failed(details, tx.lastError());

    // The item editor's boxes as they would show the stored row, so that its
    // save keeps the limits, end days and stock this window does not show.
    ItemForm form;
    if (!group.adding) {
        const ItemLoadResult loaded = ItemWriter::Load(group.heldCode);
        if (loaded.outcome == ItemLoadResult::Failed) {
            ItemSaveResult r;
            r.outcome = ItemSaveResult::Failed;
            return r;
        }
        if (loaded.outcome == ItemLoadResult::Found) form = ItemWriter::FormOf(loaded.row);
    }
    form.adding = group.adding;
    form.heldCode = group.heldCode;
    form.codeText = group.codeText;
    form.description = group.description;
    form.stocked = group.stocked;
    ItemSaveResult result = ItemWriter::Save(form);
    if (result.outcome != ItemSaveResult::Saved) return result;
    // Only a stocked item has details (a rename has moved them to the new code).
    if (!group.stocked && !conn->Execute(details, {result.row.itemId})) return failed(details, conn->lastError());
    if (!tx.Commit()) return failed(details, tx.lastError());
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
