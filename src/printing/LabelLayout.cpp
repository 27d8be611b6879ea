#include "LabelLayout.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QtGlobal>

bool LabelLayout::Read(LabelLayout* layout)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString sql = QStringLiteral("SELECT * FROM Configuration");
    Recordset rs;
    if (!ctx.gDatabase || !ctx.gDatabase->OpenDB(sql, true, true, true, &rs)) return false;
    if (rs.isEOF()) {
        clsDatabase::ReportError(sql, QStringLiteral("The settings row is missing."));
        return false;
    }
    LabelLayout read;
    read.LabelTop = rs.value(QStringLiteral("LabelTop")).toDouble();
    read.LabelLeft = rs.value(QStringLiteral("LabelLeft")).toDouble();
    read.LabelBottom = rs.value(QStringLiteral("LabelBottom")).toDouble();
    read.LabelRight = rs.value(QStringLiteral("LabelRight")).toDouble();
    read.LabelWidth = rs.value(QStringLiteral("LabelWidth")).toDouble();
    read.LabelHeight = rs.value(QStringLiteral("LabelHeight")).toDouble();
    read.LabelCols = rs.value(QStringLiteral("LabelCols")).toInt();
    read.LabelRows = rs.value(QStringLiteral("LabelRows")).toInt();
    read.LabelFontSize = rs.value(QStringLiteral("LabelFontSize")).toInt();
    read.FontIsNull = rs.isNull(QStringLiteral("LabelFont"));
    read.LabelFont = rs.text(QStringLiteral("LabelFont"));
    *layout = read;
    return true;
}

bool LabelLayout::Save() const
{
    ProgramContext& ctx = ProgramContext::current();
    const QString sql = QStringLiteral(
        "UPDATE Configuration SET LabelTop=?, LabelLeft=?, LabelBottom=?, LabelRight=?, LabelWidth=?, LabelHeight=?, "
        "LabelCols=?, LabelRows=?, LabelFontSize=?, LabelFont=?");
    const QVariantList binds{LabelTop, LabelLeft, LabelBottom, LabelRight, LabelWidth, LabelHeight,
                             LabelCols, LabelRows, LabelFontSize, LabelFont};
    if (!ctx.gConnection) {
        clsDatabase::ReportError(sql, QStringLiteral("No database is open."));
        return false;
    }
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return false;
    }
    int changed = 0;
    if (!ctx.gConnection->Execute(sql, binds, &changed)) {
        clsDatabase::ReportError(sql, ctx.gConnection->lastError());
        return false;
    }
    if (changed != 1) {
        clsDatabase::ReportError(sql, QStringLiteral("The settings row is missing."));
        return false;
    }
    if (!tx.Commit()) {
        clsDatabase::ReportError(sql, tx.lastError());
        return false;
    }
    return true;
}

int LabelLayout::Across() const { return qBound(1, LabelCols, MaxCols); }

int LabelLayout::Down() const { return qMax(1, LabelRows); }
