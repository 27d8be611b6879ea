// Storage benchmark: what a seller waits for, timed through the program and
// against its floor, the same rows read through the sqlite3 C API with the
// best statement for them. Every measure is the median of several runs and
// prints its ratio to the floor (and its target, where it has one).
// Usage: bench_storage [SALES[,SALES...]] [ITEMS]   (default 50000,100000 sales, 1000 items)

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tools/DemoData.h"

#include "mainwindow/AuctionListModel.h"
#include "mainwindow/SearchPanel.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);

// The floors' list statements: the columns the list model takes.
const QString ListColumns = QStringLiteral(
    "SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, Customer.Email, Auction.ActionId, "
    "Auction.DateNextAction, Auction.DateStart, Auction.Highlight, Auction.AuctionType "
    "FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId ");
// The floors' order: newest first, scanned and sorted rather than walked
// through the start-date index (which reads the table in random order).
const QString FloorOrder = QStringLiteral(" ORDER BY +Auction.DateStart DESC, Auction.rowid DESC");

// Without a condition no index can help: the floor reads the table in file order.
QString floorList(const QString& where)
{
    if (where.isEmpty()) return QString(ListColumns).replace(QStringLiteral("FROM Auction "), QStringLiteral("FROM Auction NOT INDEXED ")) + FloorOrder;
    return ListColumns + QStringLiteral("WHERE ") + where + FloorOrder;
}

// Median of several runs, in milliseconds; prepare runs untimed before each run.
double median(const std::function<void()>& work, int runs = 5, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Answers every prompt with OK; notes when the start hint appears (the list
// is filled by then) and keeps any other message, which means a broken run.
class BenchMessages : public MessageService {
public:
    QElapsedTimer clock;
    double hintAt = -1;
    QStringList unexpected;

    int MsgBox(const QString& prompt, int, const QString&) override
    {
        if (prompt.startsWith(QLatin1String("To get started"))) hintAt = clock.nsecsElapsed() / 1e6;
        else unexpected << prompt.left(200);
        return vbmsg::OK;
    }
    bool InputBox(const QString&, const QString&, const QString&, QString*) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QColor ChooseColor(const QColor&, const QString&) override { return {}; }
};

// The floor's own connection to the file.
class Raw {
public:
    explicit Raw(const QByteArray& file) { open(file, &db); }
    // Opened as the program opens its connection: no mutex, the same cache.
    static void open(const QByteArray& file, sqlite3** db)
    {
        sqlite3_open_v2(file.constData(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_exec(*db, QByteArray("PRAGMA cache_size=-" + QByteArray::number(Connection::CacheKiB)).constData(), nullptr, nullptr, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
    // Runs a statement and reads every value of every row; the row count.
    int rows(const QString& sql, const QVariantList& binds = {}) const { return rowsOn(db, sql, binds); }
    static int rowsOn(sqlite3* db, const QString& sql, const QVariantList& binds = {})
    {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), -1, &s, nullptr) != SQLITE_OK) {
            out << "floor statement failed: " << sqlite3_errmsg(db) << "\n";
            return -1;
        }
        for (int i = 0; i < binds.size(); ++i) dbvalue::bind(s, i + 1, binds[i]);
        int n = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            ++n;
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                if (sqlite3_column_type(s, i) == SQLITE_TEXT) sqlite3_column_text(s, i);
                else sqlite3_column_double(s, i);
            }
        }
        sqlite3_finalize(s);
        return n;
    }
    sqlite3* db = nullptr;
};

void header(int sales, int items)
{
    out << QStringLiteral("\n== %1 sales, %2 items ==\n").arg(sales).arg(items);
    out << QStringLiteral("%1 %2 %3 %4  %5\n")
               .arg(QStringLiteral("measure"), -46)
               .arg(QStringLiteral("ours ms"), 10)
               .arg(QStringLiteral("floor ms"), 10)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("target"));
}

// One line: the measure, ours, its floor, the ratio and the target (ms, 0 for none).
void report(const QString& what, double ours, double floor, double target = 0, int oursRows = -1, int floorRows = -1)
{
    QString line = QStringLiteral("%1 %2 %3 %4").arg(what, -46).arg(ours, 10, 'f', 2).arg(floor, 10, 'f', 2).arg(ours / floor, 7, 'f', 2);
    if (target > 0) line += QStringLiteral("  under %1 %2").arg(target).arg(ours < target ? QStringLiteral("met") : QStringLiteral("MISSED"));
    if (oursRows >= 0 && floorRows >= 0 && oursRows != floorRows)
        line += QStringLiteral("  (rows differ: ours %1, floor %2)").arg(oursRows).arg(floorRows);
    out << line << "\n";
    out.flush();
}

bool run(int sales, int items)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());  // leave the user's settings alone
    const QString path = QDir(dir.path()).filePath("bench.mdb");
    const QString templ = QDir(QCoreApplication::applicationDirPath()).filePath("../bin/data.mdb");
    if (!QFile::copy(templ, path)) {
        out << "cannot copy " << templ << "\n";
        return false;
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
            return false;
        }
        out << QStringLiteral("\n(%1 sales generated in %2 ms)").arg(sales).arg(t.elapsed());
        header(sales, items);
    }
    const QByteArray file = QFile::encodeName(path);
    const QString title = QStringLiteral("bench.mdb");
    ProgramContext& ctx = ProgramContext::current();
    BenchMessages messages;
    MessageService::install(&messages);
    const double today = vb::today();
    auto floorOpen = [&](sqlite3** db) {
        Raw::open(file, db);
        Raw::rowsOn(*db, QStringLiteral("SELECT DatabaseVersion FROM Configuration"));
        Raw::rowsOn(*db, QStringLiteral("SELECT * FROM Configuration"));
    };

    // ---- opening the file ----------------------------------------------------
    const double openFloor = median([&] {
        sqlite3* db = nullptr;
        floorOpen(&db);
        sqlite3_close(db);
    });
    // Every open remembers the file in the settings store, a file written and
    // flushed to disk. Kept in memory (/dev/shm), the flush costs nothing: the
    // open alone is measured, never as a difference of two noisy times.
    QTemporaryDir memoryDir(QStringLiteral("/dev/shm/vendaro-bench-XXXXXX"));
    if (memoryDir.isValid()) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, memoryDir.path());
        report(QStringLiteral("open database + configuration"), median([&] { modDatabase::OpenDatabase(path, title, false, false); }), openFloor);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    report(QStringLiteral("  with the settings written to disk"), median([&] { modDatabase::OpenDatabase(path, title, false, false); }), openFloor);

    // ---- start-up: the file opened, the window shown, its list filled --------
    const bool taskListFirst = ctx.gConfiguration.DefaultList;
    const QString startWhere = taskListFirst ? QStringLiteral("Auction.ActionId <> 15 AND Auction.DateNextAction<=?") : QStringLiteral("Auction.ActionId <> 15");
    const QVariantList startBinds = taskListFirst ? QVariantList{today} : QVariantList{};
    std::vector<double> startTimes;
    for (int i = 0; i < 5; ++i) {
        modDatabase::CloseDatabase();
        messages.hintAt = -1;
        messages.clock.start();
        modDatabase::OpenDatabase(path, title, false, false);
        QPointer<frmMain> w = new frmMain;
        w->show();
        const QDeadlineTimer deadline(20000);
        while (messages.hintAt < 0 && !deadline.hasExpired()) QCoreApplication::processEvents();
        startTimes.push_back(messages.hintAt);
        if (w) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete w.data();
    }
    std::sort(startTimes.begin(), startTimes.end());
    const double startFloor = median([&] {
        sqlite3* db = nullptr;
        floorOpen(&db);
        Raw::rowsOn(db, floorList(startWhere), startBinds);
        sqlite3_close(db);
    });
    report(QStringLiteral("start-up to a filled list (%1)").arg(taskListFirst ? QStringLiteral("task list") : QStringLiteral("all active")),
           startTimes[startTimes.size() / 2], startFloor, 500);

    Raw raw(file);
    auto floorOf = [&](const QString& sql, const QVariantList& binds = {}, int* rows = nullptr) {
        int n = 0;
        const double ms = median([&] { n = raw.rows(sql, binds); });
        if (rows) *rows = n;
        return ms;
    };

    // ---- the layers below the window ------------------------------------------
    {
        const QString active = AuctionListModel::statement(QStringLiteral("Auction.ActionId <> 15"));
        int rows = 0;
        const double ours = median([&] {
            ctx.gDatabase->OpenDB(active, false, true, true);
            rows = ctx.gRecordset->RecordCount();
            ctx.gRecordset->Close();
        });
        int floorRows = 0;
        const double floor = floorOf(floorList(QStringLiteral("Auction.ActionId <> 15")), {}, &floorRows);
        report(QStringLiteral("recordset of the active sales (%1 rows)").arg(rows), ours, floor, 0, rows, floorRows);
    }
    {
        const double ours = median([&] {
            for (int n = 1; n <= items; ++n) {
                ctx.gDatabase->GetCurrentListings(DemoData::itemId(n), DemoData::itemTitle(n));
                ctx.gDatabase->GetSoldNotShippedListings(DemoData::itemId(n), DemoData::itemTitle(n));
            }
        }, 3);
        const double floor = median([&] {
            sqlite3_stmt* current = nullptr;
            sqlite3_stmt* sold = nullptr;
            sqlite3_prepare_v2(raw.db, "SELECT COUNT(*) FROM Auction WHERE ActionId=1 AND ItemId=? AND Description=?", -1, &current, nullptr);
            sqlite3_prepare_v2(raw.db, "SELECT COUNT(*) FROM Auction WHERE (ActionId=10 OR ActionId=11 OR (ActionId>1 AND ActionId<8)) "
                                       "AND ItemId=? AND Description=?", -1, &sold, nullptr);
            for (int n = 1; n <= items; ++n) {
                const QByteArray id = DemoData::itemId(n).toUtf8(), itemTitle = DemoData::itemTitle(n).toUtf8();
                for (sqlite3_stmt* s : {current, sold}) {
                    sqlite3_reset(s);
                    sqlite3_bind_text(s, 1, id.constData(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_text(s, 2, itemTitle.constData(), -1, SQLITE_TRANSIENT);
                    sqlite3_step(s);
                }
            }
            sqlite3_finalize(current);
            sqlite3_finalize(sold);
        }, 3);
        report(QStringLiteral("listing counts for %1 items").arg(items), ours, floor);
    }
    {
        AuctionListModel model;
        const QString all = AuctionListModel::statement(QString());
        const double ours = median([&] {
            model.load(*ctx.gConnection, all);
            model.sortRows(AuctionListModel::ColNextAction, Qt::AscendingOrder);
        });
        int floorRows = 0;
        const double floor = floorOf(floorList(QString()), {}, &floorRows);
        report(QStringLiteral("list model, every sale (%1 rows)").arg(model.rowCount()), ours, floor, 0, model.rowCount(), floorRows);
    }

    // ---- the main window -------------------------------------------------------
    QPointer<frmMain> window = new frmMain;
    window->show();
    window->Form_Activate();
    window->mTaskList = true;
    {
        const double ours = median([&] { window->Refreshlist(); });
        int floorRows = 0;
        const double floor = floorOf(floorList(QStringLiteral("Auction.ActionId <> 15 AND Auction.DateNextAction<=?")), {today}, &floorRows);
        report(QStringLiteral("Refreshlist, task list (%1 rows)").arg(window->model->rowCount()), ours, floor, 0, window->model->rowCount(), floorRows);
    }
    window->mTaskList = false;
    {
        const double ours = median([&] { window->Refreshlist(); });
        int floorRows = 0;
        const double floor = floorOf(floorList(QStringLiteral("Auction.ActionId <> 15")), {}, &floorRows);
        report(QStringLiteral("Refreshlist, all active (%1 rows)").arg(window->model->rowCount()), ours, floor, 300, window->model->rowCount(), floorRows);
    }
    // One sale read again: the statement by its key is the floor of an update
    // and of a removal alike.
    const QString oneRow = QStringLiteral("SELECT Auction.*, Customer.Email FROM Auction LEFT JOIN Customer ON "
                                          "Customer.CustomerId = Auction.CustomerId WHERE Auction.AuctionId=?");
    {
        const QString id = window->model->row(window->model->rowCount() / 2).AuctionId;
        const double ours = median([&] { window->RefreshListItem(id); }, 21);
        report(QStringLiteral("one row updated (of %1)").arg(window->model->rowCount()), ours, median([&] { raw.rows(oneRow, {id}); }, 21), 5);
    }
    // A row completed elsewhere, as Done in the list does (at the top, and in the
    // middle, where the rows after it move up); each put back untimed.
    for (const bool top : {true, false}) {
        const int listed = window->model->rowCount();
        QString id;
        QVariant step;
        const double ours = median([&] { window->RefreshListItem(id); }, 9,
                                   [&] {
                                       if (!id.isEmpty()) ctx.gConnection->Execute(QStringLiteral("UPDATE Auction SET ActionId=? WHERE AuctionId=?"), {step, id});
                                       id = window->model->row(top ? 0 : window->model->rowCount() / 2).AuctionId;
                                       step = ctx.gConnection->Scalar(QStringLiteral("SELECT ActionId FROM Auction WHERE AuctionId=?"), {id});
                                       ctx.gConnection->Execute(QStringLiteral("UPDATE Auction SET ActionId=15 WHERE AuctionId=?"), {id});
                                   });
        ctx.gConnection->Execute(QStringLiteral("UPDATE Auction SET ActionId=? WHERE AuctionId=?"), {step, id});
        report(QStringLiteral("one row removed, %1 (of %2)").arg(top ? QStringLiteral("top") : QStringLiteral("middle")).arg(listed), ours,
               median([&] { raw.rows(oneRow, {id}); }, 21), 5);
    }

    // ---- searches typed into the panel -----------------------------------------
    window->OpenSearchWindow(false);
    // Each keystroke searches again; a run types the next text of the list.
    auto search = [&](const QString& what, int page, int field, const QStringList& typed, const QString& floorWhere) {
        window->picSearch->ShowPage(page);
        int keystroke = 0;
        const double ours = median([&] { window->picSearch->txtSearch[field]->setText(typed[keystroke++ % typed.size()]); });
        const int oursRows = window->model->rowCount();
        const QString last = window->picSearch->txtSearch[field]->text();
        int floorRows = 0;
        keystroke = 0;
        const double floor = median([&] { floorRows = raw.rows(floorList(floorWhere), {typed[keystroke++ % typed.size()]}); });
        floorRows = raw.rows(floorList(floorWhere), {last});
        report(QStringLiteral("%1 (%2 rows)").arg(what).arg(oursRows), ours, floor, 100, oursRows, floorRows);
        window->picSearch->txtSearch[field]->clear();
    };
    // A buyer name that many buyers hold: up to 101 buyers are searched for.
    search(QStringLiteral("search: buyer name"), 2, 3, {"Smit", "Smith", "smith", "SMITH"},
           QStringLiteral("Auction.CustomerId IN (SELECT CustomerId FROM Customer WHERE Name LIKE '%' || ? || '%' LIMIT 101) "
                          "AND Auction.ActionId <> 15"));
    // Every title holds the text somewhere: LIKE reads each sale once.
    search(QStringLiteral("search: auction title"), 3, 6, {"shirt", "SHIRT", "blanket", "Radio"},
           QStringLiteral("Auction.Description IN (SELECT DISTINCT Description FROM Auction WHERE Description LIKE '%' || ? || '%' "
                          "LIMIT 101) AND Auction.ActionId <> 15"));
    // Text beyond ASCII that no title holds: the whole table is compared letter by letter.
    search(QStringLiteral("search: title beyond ASCII"), 3, 6, {QStringLiteral("Zo\u00eb"), QStringLiteral("\u0100pirana"), QStringLiteral("M\u00dcLLER")},
           QStringLiteral("Auction.Description IN (SELECT DISTINCT Description FROM Auction WHERE Description LIKE '%' || ? || '%' "
                          "LIMIT 101) AND Auction.ActionId <> 15"));

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete window.data();
    modDatabase::CloseDatabase();
    MessageService::install(nullptr);
    for (const QString& m : messages.unexpected) out << "unexpected message: " << m << "\n";
    return messages.unexpected.isEmpty();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
    QApplication app(argc, argv);
    QList<int> sizes = {50000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (const QString& n : QString::fromLocal8Bit(argv[1]).split(u',', Qt::SkipEmptyParts)) sizes << n.toInt();
    }
    const int items = argc > 2 ? std::atoi(argv[2]) : 1000;
    bool ok = true;
    for (int sales : sizes) ok = run(sales, items) && ok;
    return ok ? 0 : 1;
}
