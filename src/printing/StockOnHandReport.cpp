#include "StockOnHandReport.h"

#include "ReportText.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

bool StockOnHandReport::Read(bool lowOnly, QList<Row>* rows)
{
    rows->clear();
    // One statement counts every item's sales (the sale's title must be the
    // item's, the case of every letter aside, as the relist limits count).
    const QString sameTitle = Sql::SameText(QStringLiteral("Auction.Description"), QStringLiteral("Item.Description"));
    const QString sql =
        QStringLiteral("SELECT ItemId, Description, Stock, StockWarning, "
                       "(SELECT COUNT(*) FROM Auction WHERE Auction.ItemId=Item.ItemId AND ") +
        sameTitle +
        QStringLiteral(" AND Auction.ActionId=1) AS CurrentListings, "
                       "(SELECT COUNT(*) FROM Auction WHERE Auction.ItemId=Item.ItemId AND ") +
        sameTitle +
        QStringLiteral(" AND (Auction.ActionId=10 OR Auction.ActionId=11 OR (Auction.ActionId>1 AND Auction.ActionId<8))) AS SoldNotShipped "
                       "FROM Item WHERE UseStock=1 ORDER BY ItemId");
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase || !ctx.gDatabase->OpenDB(sql, false, true, true, &rs)) return false;
    for (; !rs.isEOF(); rs.MoveNext()) {
        Row row;
        row.ItemId = rs.text(QStringLiteral("ItemId"));
        row.Description = rs.text(QStringLiteral("Description"));
        row.Stock = rs.value(QStringLiteral("Stock")).toInt();
        row.StockWarning = rs.value(QStringLiteral("StockWarning")).toInt();
        row.CurrentListings = rs.value(QStringLiteral("CurrentListings")).toInt();
        row.SoldNotShipped = rs.value(QStringLiteral("SoldNotShipped")).toInt();
        if (!lowOnly || row.IsLow()) rows->append(row);
    }
    return true;
}

QString StockOnHandReport::Title(bool lowOnly)
{
    return lowOnly ? QStringLiteral("Low stock report") : QStringLiteral("Stock on hand");
}

BandedReport StockOnHandReport::Build(const QList<Row>& rows, bool lowOnly, double today)
{
    using ReportText::Item;
    BandedReport report;
    report.topMargin = 720;
    report.bottomMargin = 720;
    report.leftMargin = 600;
    report.rightMargin = 600;

    report.reportHeader.height = 840;
    report.reportHeader.items << Item(Title(lowOnly), {}, 0, 0, 10700, 360, 12, true, Qt::AlignHCenter)
                              << ReportText::Rule(0, 420, 10700)
                              << Item(ReportText::DateText(today), {}, 8460, 480, 2220, 300, 9.75, true, Qt::AlignRight);

    struct Column {
        const char* heading;
        const char* field;
        int left;
        int width;
        Qt::Alignment alignment;
    };
    static const Column columns[] = {
        {"Item Code", "ItemId", 0, 1020, Qt::AlignLeft},
        {"Description", "Description", 1020, 3855, Qt::AlignLeft},
        {"On hand", "Stock", 4876, 795, Qt::AlignHCenter},
        {"Current listings", "CurrentListings", 5669, 1470, Qt::AlignHCenter},
        {"Sold (not sent)", "SoldNotShipped", 7143, 1350, Qt::AlignHCenter},
        {"Available", "Available", 8504, 900, Qt::AlignHCenter},
        {"Warn<", "strStockWarning", 9411, 675, Qt::AlignHCenter},
        {"Low?", "Low", 10091, 555, Qt::AlignHCenter},
    };
    report.pageHeader.height = 360;
    report.detail.height = 255;
    for (const Column& c : columns) {
        report.pageHeader.items << Item(QString::fromLatin1(c.heading), {}, c.left, 60, c.width, 240, 8.25, true, c.alignment);
        report.detail.items << Item({}, QString::fromLatin1(c.field), c.left, 0, c.width, 255, 8.25, false, c.alignment);
    }
    report.pageHeader.items << ReportText::Rule(0, 320, 10695);

    report.fields = QStringList{"ItemId", "Description", "Stock", "StockWarning", "strStockWarning",
                                "CurrentListings", "SoldNotShipped", "Available", "Low"};
    for (const Row& r : rows)
        report.rows << QVariantList{r.ItemId, r.Description, r.Stock, r.StockWarning, r.strStockWarning(),
                                    r.CurrentListings, r.SoldNotShipped, r.Available(), r.Low()};
    return report;
}
