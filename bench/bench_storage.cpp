// Storage benchmark: a 50,000-sale database, timed through the program's own
// layer and through the sqlite3 C API directly (the floor). Prints each
// measure with its ratio to the floor. Usage: bench_storage [SALES] [ITEMS]

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tools/DemoData.h"

#include "mainwindow/AuctionListModel.h"
#include "mainwindow/SearchPanel.h"
#include "mainwindow/frmMain.h"

#include <QLineEdit>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <functional>

namespace {

const char* mainList =
    "SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, Customer.Email, Auction.ActionId, "
    "Auction.DateNextAction, Auction.DateStart, Auction.Highlight, Auction.AuctionType "
    "FROM Customer RIGHT JOIN Auction ON Customer.CustomerId = Auction.CustomerId WHERE Auction.ActionId<>15";

// Best of several runs, in milliseconds.
double best(const std::function<void()>& work, int runs = 5)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        fastest = std::min(fastest, t.nsecsElapsed() / 1e6);
    }
    return fastest;
}

int rawCount(sqlite3* db, sqlite3_stmt* stmt, const QByteArray& item, const QByteArray& title)
{
    sqlite3_reset(stmt);
    sqlite3_bind_text(stmt, 1, item.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, title.constData(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int sales = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int items = argc > 2 ? std::atoi(argv[2]) : 1000;

    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());  // leave the user's settings alone
    const QString path = QDir(dir.path()).filePath("bench.mdb");
    const QString templ = QDir(QCoreApplication::applicationDirPath()).filePath("../bin/data.mdb");
    if (!QFile::copy(templ, path)) {
        out << "cannot copy " << templ << "\n";
        return 1;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        Connection c;
        QString error;
        DemoDataOptions options;
        options.sales = sales;
        options.items = items;
        QElapsedTimer t;
        t.start();
        if (!c.Open(path) || !DemoData::Fill(c, options, &error)) {
            out << "cannot fill: " << error << c.lastError() << "\n";
            return 1;
        }
        out << QStringLiteral("generated %1 sales, %2 items in %3 ms\n").arg(sales).arg(items).arg(t.elapsed());
    }
    const QByteArray file = QFile::encodeName(path);
    auto report = [&](const QString& what, double ours, double floor) {
        out << QStringLiteral("%1  ours %2 ms  floor %3 ms  ratio %4\n")
                   .arg(what, -34)
                   .arg(ours, 8, 'f', 2)
                   .arg(floor, 8, 'f', 2)
                   .arg(ours / floor, 5, 'f', 2);
    };

    // Opening with the configuration.
    ProgramContext& ctx = ProgramContext::current();
    const double ours = best([&] { modDatabase::OpenDatabase(path, "bench.mdb", false, true); });
    const double floor = best([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        for (const char* sql : {"SELECT DatabaseVersion FROM Configuration", "SELECT * FROM Configuration"}) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                for (int i = 0; i < sqlite3_column_count(s); ++i) sqlite3_column_value(s, i);
            sqlite3_finalize(s);
        }
        sqlite3_close(db);
    });
    report("open database + configuration", ours, floor);
    // Of which: remembering the file in the settings store (one file write).
    const double settings = best([&] {
        QList<QPair<QString, QString>> values = {{QStringLiteral("LastFileName"), path}, {QStringLiteral("LastFileTitle"), path}};
        for (int i = 1; i <= 5; ++i)
            values << qMakePair(QStringLiteral("RecentFileName%1").arg(i), path) << qMakePair(QStringLiteral("RecentFileTitle%1").arg(i), path);
        AppSettings::SaveSettings(QStringLiteral("Database"), values);
    });
    report("  without the settings write", ours - settings, floor);

    // The main list.
    int rows = 0;
    const double listOurs = best([&] {
        ctx.gDatabase->OpenDB(QString::fromLatin1(mainList), false, true, true);
        rows = ctx.gRecordset->RecordCount();
        ctx.gRecordset->Close();
    });
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const double listFloor = best([&] {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(raw, mainList, -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                if (sqlite3_column_type(s, i) == SQLITE_TEXT) sqlite3_column_text(s, i);
                else sqlite3_column_double(s, i);
            }
        sqlite3_finalize(s);
    });
    report(QStringLiteral("main list query (%1 rows)").arg(rows), listOurs, listFloor);

    // The two listing counts for every item.
    const double countOurs = best([&] {
        for (int n = 1; n <= items; ++n) {
            ctx.gDatabase->GetCurrentListings(DemoData::itemId(n), DemoData::itemTitle(n));
            ctx.gDatabase->GetSoldNotShippedListings(DemoData::itemId(n), DemoData::itemTitle(n));
        }
    }, 3);
    const double countFloor = best([&] {
        sqlite3_stmt* current = nullptr;
        sqlite3_stmt* sold = nullptr;
        sqlite3_prepare_v2(raw, "SELECT COUNT(*) FROM Auction WHERE ActionId=1 AND ItemId=? AND Description=?", -1, &current, nullptr);
        sqlite3_prepare_v2(raw, "SELECT COUNT(*) FROM Auction WHERE (ActionId=10 OR ActionId=11 OR (ActionId>1 AND ActionId<8)) "
                                "AND ItemId=? AND Description=?", -1, &sold, nullptr);
        for (int n = 1; n <= items; ++n) {
            const QByteArray id = DemoData::itemId(n).toUtf8(), title = DemoData::itemTitle(n).toUtf8();
            rawCount(raw, current, id, title);
            rawCount(raw, sold, id, title);
        }
        sqlite3_finalize(current);
        sqlite3_finalize(sold);
    }, 3);
    report(QStringLiteral("listing counts for %1 items").arg(items), countOurs, countFloor);
    // The main window's list: every sale, the task list, and one row.
    auto floorOf = [&](const QString& sql) {
        const QByteArray text = sql.toUtf8();
        return best([&] {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(raw, text.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                for (int i = 0; i < sqlite3_column_count(s); ++i) {
                    if (sqlite3_column_type(s, i) == SQLITE_TEXT) sqlite3_column_text(s, i);
                    else sqlite3_column_double(s, i);
                }
            sqlite3_finalize(s);
        });
    };
    const QString listQuery = QString::fromLatin1(
        "SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, Customer.Email, Auction.ActionId, "
        "Auction.DateNextAction, Auction.DateStart, Auction.Highlight, Auction.AuctionType "
        "FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId ");
    const QString everything = listQuery + "ORDER BY Auction.DateStart DESC";
    AuctionListModel model;
    const double allOurs = best([&] {
        model.load(*ctx.gConnection, everything);
        model.sortRows(AuctionListModel::ColNextAction, Qt::AscendingOrder);
    });
    report(QStringLiteral("list all incl. completed (%1 rows)").arg(model.rowCount()), allOurs, floorOf(everything));

    frmMain window;
    window.mTaskList = true;
    const double taskOurs = best([&] { window.Refreshlist(); });
    const QString taskQuery = listQuery + QStringLiteral("WHERE Auction.ActionId <> 15 AND Auction.DateNextAction<=%1 ORDER BY Auction.DateStart DESC")
                                              .arg(QString::number(vb::today(), 'f', 0));
    report(QStringLiteral("Refreshlist, task list (%1 rows)").arg(window.model->rowCount()), taskOurs, floorOf(taskQuery));
    window.mTaskList = false;
    const double activeOurs = best([&] { window.Refreshlist(); });
    report(QStringLiteral("Refreshlist, all active (%1 rows)").arg(window.model->rowCount()), activeOurs,
           floorOf(listQuery + "WHERE Auction.ActionId <> 15 ORDER BY Auction.DateStart DESC"));
    const QString one = window.model->row(window.model->rowCount() / 2).AuctionId;
    const double rowOurs = best([&] { window.RefreshListItem(one); }, 20);
    out << QStringLiteral("%1  ours %2 ms  (target under 5 ms)\n").arg(QStringLiteral("RefreshListItem of one sale"), -34).arg(rowOurs, 8, 'f', 2);

    // A search typed into the panel: a buyer name that many buyers contain.
    window.OpenSearchWindow(false);
    window.picSearch->ShowPage(2);
    int keystroke = 0;
    const QStringList typed = {"Smit", "Smith", "smith", "SMITH"};
    const double searchOurs = best([&] { window.picSearch->txtSearch[3]->setText(typed[keystroke++ % typed.size()]); });
    out << QStringLiteral("%1  ours %2 ms  (target under 100 ms)\n")
               .arg(QStringLiteral("buyer name search (%1 rows)").arg(window.model->rowCount()), -34)
               .arg(searchOurs, 8, 'f', 2);
    // Every title holds the text somewhere: LIKE reads each sale once.
    window.picSearch->txtSearch[3]->clear();
    window.picSearch->ShowPage(3);
    const QStringList titles = {"shirt", "SHIRT", "blanket", "Radio"};
    const double titleOurs = best([&] { window.picSearch->txtSearch[6]->setText(titles[keystroke++ % titles.size()]); });
    out << QStringLiteral("%1  ours %2 ms  (target under 100 ms)\n")
               .arg(QStringLiteral("auction title search (%1 rows)").arg(window.model->rowCount()), -34)
               .arg(titleOurs, 8, 'f', 2);
    // Text beyond ASCII that no title holds: the whole table is compared letter by letter.
    const QStringList accented = {QStringLiteral("Zo\u00eb"), QStringLiteral("\u0100pirana"), QStringLiteral("M\u00dcLLER")};
    const double accentedOurs = best([&] { window.picSearch->txtSearch[6]->setText(accented[keystroke++ % accented.size()]); });
    out << QStringLiteral("%1  ours %2 ms  (target under 100 ms)\n")
               .arg(QStringLiteral("title search beyond ASCII (%1 rows)").arg(window.model->rowCount()), -34)
               .arg(accentedOurs, 8, 'f', 2);

    sqlite3_close(raw);
    modDatabase::CloseDatabase();
    return 0;
}
