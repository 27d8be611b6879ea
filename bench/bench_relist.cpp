// Relist queue benchmark: the whole queue built (stocked items with their
// templates and limit counts, then the due relists) on a database of 50,000
// sales and 1,000 items, against its floor: the same rows through the sqlite3
// C API, read the best way (one ordered pass over the stocked items' sales
// giving each item's newest auction and its counts, and one query for the
// due relists with their running counts). Target: within 3x of the floor.
// Each measure is the median of several runs.
// Usage: bench_relist [SALES] [ITEMS]   (default 50000 1000)

#include "BenchSupport.h"
#include "automation/RelistQueue.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "tools/DemoData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

// Reads every column of the current row, as a record set fetching it would.
void readRow(sqlite3_stmt* s)
{
    for (int c = 0; c < sqlite3_column_count(s); ++c) sqlite3_column_text(s, c);
}

// The floor, and the number of listings it finds room for (no limits but the
// count of running listings are applied: the comparison is of reading).
double floorRun(const QString& path, int* templates, int* relists)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    QElapsedTimer t;
    t.start();
    const double today = vb::today();
    sqlite3_stmt *items = nullptr, *sales = nullptr, *due = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Item WHERE Stocked<>0", -1, &items, nullptr);
    while (sqlite3_step(items) == SQLITE_ROW) readRow(items);
    sqlite3_prepare_v2(db,
                       "SELECT Auction.AuctionId,ActionId,DateNextAction,Auction.ItemId,Auction.Description,StartPrice,ReservePrice,"
                       "BuyNowPrice,MaxBidAmount,FixedPriceOffered,DurationFixed,DurationDays,DurationTime,ExtraFeatures,dateStart,HasBids "
                       "FROM Item INNER JOIN Auction ON Item.ItemId=Auction.ItemId AND Auction.Description=Item.Description "
                       "WHERE Item.Stocked<>0 ORDER BY Auction.ItemId, dateStart DESC",
                       -1, &sales, nullptr);
    QByteArray current;
    int running = 0;
    *templates = 0;
    const double passStart = t.nsecsElapsed();
    while (sqlite3_step(sales) == SQLITE_ROW) {
        const QByteArray item(reinterpret_cast<const char*>(sqlite3_column_text(sales, 3)));
        if (item != current) {
            current = item;
            readRow(sales);  // the newest: the template
            ++*templates;
        }
        const int step = sqlite3_column_int(sales, 1);
        running += step == 1;
        sqlite3_column_double(sales, 14);
        sqlite3_column_int(sales, 15);
    }
    const double onePass = t.nsecsElapsed() - passStart;
    // The other way: the newest auction per item, then the counts grouped.
    // The floor takes whichever is faster.
    const double groupedStart = t.nsecsElapsed();
    sqlite3_stmt *newest = nullptr, *counts = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT * FROM (SELECT Auction.*, ROW_NUMBER() OVER (PARTITION BY Auction.ItemId ORDER BY dateStart DESC) AS N "
                       "FROM Item INNER JOIN Auction ON Item.ItemId=Auction.ItemId AND Auction.Description=Item.Description "
                       "WHERE Item.Stocked<>0) WHERE N=1",
                       -1, &newest, nullptr);
    while (sqlite3_step(newest) == SQLITE_ROW) readRow(newest);
    sqlite3_prepare_v2(db,
                       "SELECT Auction.ItemId, SUM(ActionId=1), MAX(CASE WHEN ActionId=1 THEN CAST(dateStart AS INTEGER) END), "
                       "SUM(ActionId=1 AND CAST(dateStart AS INTEGER)=?1), SUM(ActionId=1 AND HasBids=0), "
                       "SUM(ActionId IN (2,3,4,5,6,7,10,11)) FROM Item INNER JOIN Auction ON Item.ItemId=Auction.ItemId "
                       "AND Auction.Description=Item.Description WHERE Item.Stocked<>0 GROUP BY Auction.ItemId",
                       -1, &counts, nullptr);
    sqlite3_bind_double(counts, 1, today);
    while (sqlite3_step(counts) == SQLITE_ROW) readRow(counts);
    const double grouped = t.nsecsElapsed() - groupedStart;
    sqlite3_finalize(newest);
    sqlite3_finalize(counts);
    sqlite3_prepare_v2(db,
                       "SELECT AuctionId,ActionId,DateNextAction,Auction.ItemId,Auction.Description,StartPrice,ReservePrice,BuyNowPrice,"
                       "MaxBidAmount,FixedPriceOffered,DurationFixed,DurationDays,DurationTime,ExtraFeatures,Item.Stocked,"
                       "(SELECT COUNT(*) FROM Auction R WHERE R.ActionId=1 AND R.ItemId=Auction.ItemId AND R.Description=Auction.Description) "
                       "FROM Item INNER JOIN Auction ON Item.ItemId=Auction.ItemId "
                       "WHERE ActionId=16 AND COALESCE(Item.Stocked,0)=0 AND DateNextAction<=?",
                       -1, &due, nullptr);
    sqlite3_bind_double(due, 1, today);
    *relists = 0;
    while (sqlite3_step(due) == SQLITE_ROW) {
        readRow(due);
        ++*relists;
    }
    const double ms = (t.nsecsElapsed() - onePass - grouped + std::min(onePass, grouped)) / 1e6;
    for (sqlite3_stmt* s : {items, sales, due}) sqlite3_finalize(s);
    sqlite3_close(db);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sales = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int itemCount = argc > 2 ? std::atoi(argv[2]) : 1000;
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    const QString path = QDir(dir.path()).filePath("bench.mdb");
    DemoDataOptions options;
    options.sales = sales;
    options.items = itemCount;
    if (!bench::CreateDemoDatabase(path, options, out)) return 1;
    {
        Connection c;
        c.Open(path);
        // Every stocked item has a current template, half allow any end day,
        // no stock warnings: the build runs through without a message.
        c.Execute(QStringLiteral("UPDATE Auction SET dateNextAction=? WHERE dateNextAction<?"), {vb::today() - 1, vb::today() - 1});
        c.Execute(QStringLiteral("UPDATE Item SET StockWarning=0, EndDay=CASE WHEN rowid%2=0 THEN ',' ELSE EndDay END"));
    }
    bench::QuietMessages messages(vbmsg::No);
    MessageService::install(&messages);
    if (!modDatabase::OpenDatabase(path, QStringLiteral("bench.mdb"), false, false)) {
        out << "cannot open the database\n";
        return 1;
    }

    std::vector<double> ours, floors;
    int queued = 0, excluded = 0, templates = 0, relists = 0;
    for (int run = 0; run < 7; ++run) {
        floors.push_back(floorRun(path, &templates, &relists));
        RelistQueue q;
        QElapsedTimer t;
        t.start();
        q.Build();
        for (int i = 1; i <= q.count(); ++i) q.FillRow(i, vb::now());
        ours.push_back(t.nsecsElapsed() / 1e6);
        queued = q.count();
        excluded = int(q.rstExclusions.size());
    }
    modDatabase::CloseDatabase();
    const double o = bench::median(ours), f = bench::median(floors);
    out << QStringLiteral("%1 sales, %2 items: %3 listings queued, %4 items excluded (floor: %5 templates, %6 due relists)\n")
               .arg(sales)
               .arg(itemCount)
               .arg(queued)
               .arg(excluded)
               .arg(templates)
               .arg(relists);
    out << QStringLiteral("queue build: ours %1 ms, floor %2 ms, ratio %3 (target within 3x: %4)\n")
               .arg(o, 0, 'f', 1)
               .arg(f, 0, 'f', 1)
               .arg(o / f, 0, 'f', 2)
               .arg(o / f <= 3 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    if (!messages.seen.isEmpty()) out << messages.seen.size() << " messages, first: " << messages.seen.first() << "\n";
    return o / f <= 3 ? 0 : 2;
}
