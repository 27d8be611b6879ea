// Synchronisation benchmark: a save of 3,000 current and 1,000 sold listings
// into a database of 50,000 sales, compare and save timed through the
// program, against its floor: the same number of indexed lookups and writes
// through the sqlite3 C API in one transaction. Target: within 5x of the
// floor and under 2 s. Each measure is the median of several runs, each on a
// fresh copy of the database.
// Usage: bench_sync [SALES]   (default 50000)

#include "BenchSupport.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "sync/ListingComparison.h"
#include "sync/ListingRecordsets.h"
#include "sync/UpdateSaver.h"
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
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
constexpr int CurrentRows = 3000;
constexpr int SoldRows = 1000;

// Listing numbers: running sales of the database (compared and rewritten),
// then new ones (inserted).
QStringList runningIds(const QString& path, int n)
{
    QStringList ids;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT AuctionId FROM Auction WHERE ActionId=1 LIMIT ?", -1, &s, nullptr);
    sqlite3_bind_int(s, 1, n);
    while (sqlite3_step(s) == SQLITE_ROW) ids << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return ids;
}

void fill(UpdateSaver::Listings& sets, const QStringList& running)
{
    const double now = vb::now();
    for (int t = 0; t < 3; ++t) sets[t] = ListingRecordsets::Create(t);
    Recordset& current = *sets[ListingRecordsets::Current];
    for (int i = 0; i < CurrentRows; ++i) {
        current.AddNew();
        current.setValue("listing_id", i < running.size() / 2 ? running[i] : QString::number(9000000000LL + i));
        current.setValue("title", QStringLiteral("Bench listing %1").arg(i));
        current.setValue("start_date", now - 3);
        current.setValue("end_date", now + 4);
        current.setValue("start_price", 10.0);
        current.setValue("reserve_price", 20.0);
        current.setValue("max_bid_amount", i % 3 ? 0.0 : 12.0);
        current.setValue("length", QStringLiteral("7 days"));
        current.setValue("gallery", QStringLiteral("yes"));
        current.Update();
    }
    Recordset& sold = *sets[ListingRecordsets::Sold];
    for (int i = 0; i < SoldRows; ++i) {
        sold.AddNew();
        // Half sell running listings (updated in place), half listings not yet known.
        sold.setValue("listing_id", i < SoldRows / 2 ? running[running.size() / 2 + i] : QString::number(9100000000LL + i));
        sold.setValue("title", QStringLiteral("Bench sale %1").arg(i));
        sold.setValue("start_date", now - 8);
        sold.setValue("sold_date", now - 1);
        sold.setValue("sold_type", QStringLiteral("Auction"));
        sold.setValue("sale_price", 25.0);
        sold.setValue("selected_shipping", QStringLiteral("5.5"));
        sold.setValue("buyer_name", QStringLiteral("benchbuyer%1").arg(i));
        sold.setValue("buyer_email", QStringLiteral("benchbuyer%1@example.co.nz").arg(i));
        sold.setValue("buyer_delivery_address", QStringLiteral("Bench Buyer, %1 Long Street, Wellington").arg(i));
        sold.Update();
    }
}

// The floor: one indexed lookup per listing, and per written row the writes
// the save makes at least (the sale; a History row and a buyer for a new one).
double floorRun(const QString& path, const QStringList& running)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *find = nullptr, *insert = nullptr, *update = nullptr, *history = nullptr, *buyer = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Auction WHERE AuctionId=?", -1, &find, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO Auction (AuctionId, Description, StartPrice, dateNextAction, ActionId) VALUES (?,?,10,?,1)", -1, &insert,
                       nullptr);
    sqlite3_prepare_v2(db, "UPDATE Auction SET Description=?, StartPrice=10 WHERE AuctionId=?", -1, &update, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?,?,?,?)", -1, &history, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO Customer (CustomerId, Email, Address) VALUES (?,?,?)", -1, &buyer, nullptr);
    auto id = [&](int list, int i) {
        if (list == 0) return i < running.size() / 2 ? running[i] : QString::number(9000000000LL + i);
        return i < SoldRows / 2 ? running[running.size() / 2 + i] : QString::number(9100000000LL + i);
    };
    for (int list = 0; list < 2; ++list) {
        const int rows = list == 0 ? CurrentRows : SoldRows;
        for (int i = 0; i < rows; ++i) {
            const QByteArray key = id(list, i).toUtf8();
            // Compare and save each look the row up.
            for (int pass = 0; pass < 2; ++pass) {
                sqlite3_bind_text(find, 1, key.constData(), -1, SQLITE_TRANSIENT);
                bool found = false;
                while (sqlite3_step(find) == SQLITE_ROW) {
                    found = true;
                    for (int c = 0; c < sqlite3_column_count(find); ++c) sqlite3_column_text(find, c);
                }
                sqlite3_reset(find);
                if (pass == 1 && found) {
                    sqlite3_bind_text(update, 1, "title", -1, SQLITE_STATIC);
                    sqlite3_bind_text(update, 2, key.constData(), -1, SQLITE_TRANSIENT);
                    sqlite3_step(update);
                    sqlite3_reset(update);
                } else if (pass == 1) {
                    sqlite3_bind_text(insert, 1, key.constData(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_text(insert, 2, "title", -1, SQLITE_STATIC);
                    sqlite3_bind_double(insert, 3, 46000);
                    sqlite3_step(insert);
                    sqlite3_reset(insert);
                }
            }
            if (list == 1 || i >= running.size() / 2) {
                sqlite3_bind_text(history, 1, key.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_double(history, 2, 46000);
                sqlite3_bind_text(history, 3, "New", -1, SQLITE_STATIC);
                sqlite3_bind_text(history, 4, "[DELETE]", -1, SQLITE_STATIC);
                sqlite3_step(history);
                sqlite3_reset(history);
            }
            if (list == 1) {
                const QByteArray name = QStringLiteral("benchbuyer%1").arg(i).toUtf8();
                sqlite3_bind_text(buyer, 1, name.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(buyer, 2, name.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(buyer, 3, "address", -1, SQLITE_STATIC);
                sqlite3_step(buyer);
                sqlite3_reset(buyer);
            }
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = t.nsecsElapsed() / 1e6;
    for (sqlite3_stmt* s : {find, insert, update, history, buyer}) sqlite3_finalize(s);
    sqlite3_close(db);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sales = argc > 1 ? std::atoi(argv[1]) : 50000;
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    const QString master = QDir(dir.path()).filePath("master.mdb");
    DemoDataOptions options;
    options.sales = sales;
    if (!bench::CreateDemoDatabase(master, options, out)) return 1;
    const QStringList running = runningIds(master, CurrentRows / 2 + SoldRows / 2);
    if (running.size() < CurrentRows / 2 + SoldRows / 2) {
        out << "too few running sales in the demo data\n";
        return 1;
    }
    bench::QuietMessages messages(vbmsg::Yes);
    MessageService::install(&messages);
    const QString path = QDir(dir.path()).filePath("bench.mdb");
    auto fresh = [&] {
        QFile::remove(path);
        QFile::copy(master, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    };

    std::vector<double> ours, floors;
    for (int run = 0; run < 5; ++run) {
        fresh();
        floors.push_back(floorRun(path, running));
        fresh();
        if (!modDatabase::OpenDatabase(path, QStringLiteral("bench.mdb"), false, false)) {
            out << "cannot open the copy\n";
            return 1;
        }
        ProgramContext::current().gConfiguration.DateSystemStart = vb::today() - 30;
        UpdateSaver::Listings sets;
        fill(sets, running);
        int changedTab = 0;
        QElapsedTimer t;
        t.start();
        for (int list : {ListingRecordsets::Current, ListingRecordsets::Sold}) {
            ListingComparison::CompareWithDatabase(*sets[list], list, &changedTab, vb::today());
            UpdateSaver::GetItemCodes(*sets[list]);
        }
        const double compared = t.nsecsElapsed() / 1e6;
        UpdateSaver saver(sets);
        const bool saved = saver.Save();
        if (run == 0) out << QStringLiteral("(first run: compare %1 ms, save %2 ms)\n").arg(compared, 0, 'f', 1).arg(t.nsecsElapsed() / 1e6 - compared, 0, 'f', 1);
        ours.push_back(t.nsecsElapsed() / 1e6);
        if (!saved) {
            out << "the save failed: " << messages.seen.join(" | ") << "\n";
            return 1;
        }
        modDatabase::CloseDatabase();
    }
    const double o = bench::median(ours), f = bench::median(floors);
    out << QStringLiteral("%1 sales; %2 current and %3 sold listings\n").arg(sales).arg(CurrentRows).arg(SoldRows);
    out << QStringLiteral("compare + save: ours %1 ms, floor %2 ms, ratio %3 (target within 5x and under 2000 ms: %4)\n")
               .arg(o, 0, 'f', 1)
               .arg(f, 0, 'f', 1)
               .arg(o / f, 0, 'f', 2)
               .arg(o / f <= 5 && o < 2000 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    if (!messages.seen.isEmpty()) out << "messages: " << messages.seen.first() << "\n";
    return 0;
}
