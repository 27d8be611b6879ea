#include "PickingListReport.h"

#include "ReportText.h"
#include "core/ProgramContext.h"
#include "core/TaskDue.h"
#include "core/clsDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

namespace {
bool differs(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull()) return false;
    return a.toString() != b.toString();
}
}  // namespace

bool PickingListReport::Read(double today, QList<Row>* rows)
{
    rows->clear();
    const SqlCondition due = TaskDue::Condition(QStringLiteral("DateNextAction"), today);
    const QString sql = QStringLiteral("SELECT ItemId, Description FROM Auction WHERE ActionId=11 AND ") + due.text +
                        QStringLiteral(" ORDER BY ItemId, Description");
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase || !ctx.gDatabase->OpenDB(sql, due.binds, false, true, true, &rs)) return false;
    QList<Sale> sales;
    for (; !rs.isEOF(); rs.MoveNext()) sales.append({rs.value(0), rs.value(1)});
    *rows = Group(sales);
    return true;
}

QList<PickingListReport::Row> PickingListReport::Group(const QList<Sale>& sales)
{
    QList<Row> rows;
    for (const Sale& sale : sales) {
        if (rows.isEmpty() || differs(sale.ItemId, rows.last().ItemId) || differs(sale.Description, rows.last().Description))
            rows.append(Row{1, {}, {}});
        else
            ++rows.last().Qty;
        rows.last().ItemId = sale.ItemId;
        rows.last().Description = sale.Description;
    }
    return rows;
}

BandedReport PickingListReport::Build(const QList<Row>& rows, double today)
{
    using ReportText::Item;
    BandedReport report;
    report.topMargin = 1000;
    report.bottomMargin = 1000;
    report.leftMargin = 1700;
    report.rightMargin = 1700;

    report.reportHeader.height = 840;
    report.reportHeader.items << Item(QStringLiteral("Picking List"), {}, 2947, 0, 2610, 360, 12, true, Qt::AlignHCenter)
                              << ReportText::Rule(0, 420, 8490)
                              << Item(ReportText::DateText(today), {}, 7365, 480, 1110, 300, 9.75, true, Qt::AlignRight);
    report.pageHeader.height = 400;
    report.pageHeader.items << Item(QStringLiteral("Quantity"), {}, 0, 60, 870, 270, 9.75, true)
                            << Item(QStringLiteral("Item Code"), {}, 1134, 60, 1170, 270, 9.75, true)
                            << Item(QStringLiteral("Description"), {}, 3402, 60, 1905, 270, 9.75, true)
                            << ReportText::Rule(0, 360, 8500);
    report.detail.height = 285;
    report.detail.items << Item({}, QStringLiteral("Qty"), 0, 0, 795, 285, 8.25, false)
                        << Item({}, QStringLiteral("ItemId"), 1134, 0, 1710, 285, 8.25, false)
                        << Item({}, QStringLiteral("Description"), 3402, 0, 3390, 285, 8.25, false);
    report.fields = QStringList{"Qty", "ItemId", "Description"};
    for (const Row& r : rows) report.rows << QVariantList{r.Qty, r.ItemId, r.Description};
    return report;
}
