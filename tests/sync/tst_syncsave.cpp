// Saving a synchronisation: the sales, buyers and History rows (with their
// undo recipes) written from the three listing sets, further sales of one
// listing under letters, listings that ended before the system start, the
// address question, the item codes and stock, and a save that cannot be kept.

#include "DatabaseFixture.h"
#include "SyncCalendar.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "RecordingUpdateView.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "sync/ListingComparison.h"
#include "sync/ListingRecordsets.h"
#include "sync/UpdateSaver.h"
#include "sync/UpdateSession.h"

#include <QRegularExpression>

#include <functional>
#include <memory>
#include <optional>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString PickUp = QStringLiteral("Buyer to pick-up or make arrangements directly with the seller");

using namespace SyncCalendar;

QVariantMap current(const QVariantMap& changes = {})
{
    return with({{"listing_id", "4101"},   {"title", "Blue teapot"},   {"start_date", Opened},  {"end_date", Closes},
                 {"max_bid_amount", 12.5}, {"start_price", 1.0},       {"reserve_price", 10.0}, {"buy_now_price", 45.0},
                 {"length", "7 days"},     {"gallery", "no"},          {"bold", "no"},          {"featured", "no"},
                 {"homepage", "no"}},
                changes);
}
QVariantMap sold(const QVariantMap& changes = {})
{
    return with({{"listing_id", "4101"},
                 {"title", "Blue teapot"},
                 {"start_date", Opened},
                 {"sold_date", SoldAt},
                 {"sold_type", "Auction"},
                 {"sale_price", 42.0},
                 {"start_price", 1.0},
                 {"reserve_price", 10.0},
                 {"buynow_price", 45.0},
                 {"selected_shipping", "5.5"},
                 {"buyer_name", "sean1"},
                 {"buyer_email", "sean@example.co.nz"},
                 {"buyer_delivery_address", "Sean Smith, 1 Main Road, Hamilton"},
                 {"feature", "no"},
                 {"gallery", "yes"},
                 {"bold", "no"},
                 {"homepage_feature", "no"}},
                changes);
}
QVariantMap unsold(const QVariantMap& changes = {})
{
    return with({{"listing_id", "4101"}, {"title", "Blue teapot"}, {"end_date", EndedAt}, {"start_price", 1.0},
                 {"reserve_price", 10.0}, {"offer_price", ""},     {"offer_expired", ""},  {"relisted", ""},
                 {"no_bids", "No bids"}},
                changes);
}
// The running sale a current listing becomes.
QVariantMap runningSale(const QVariantMap& changes = {})
{
    return with({{"AuctionId", "4101"},    {"Description", "Blue teapot"}, {"ActionId", 1},       {"dateStart", Opened},
                 {"dateNextAction", vb::Int(Closes)}, {"StartPrice", 1.0}, {"ReservePrice", 10.0}, {"BuyNowPrice", 45.0},
                 {"MaxBidAmount", 12.5},   {"HasBids", true}},
                changes);
}

using Rows = QList<QVariantMap>;

// Every prompt goes to the test's script; before it is answered, a look at the database.
class WatchedMessages : public MessageService {
public:
    explicit WatchedMessages(ScriptedMessages& script) : m_script(script) { MessageService::install(this); }
    ~WatchedMessages() override { MessageService::install(&m_script); }
    std::function<void()> onPrompt;
    int MsgBox(const QString& prompt, int style, const QString& title) override
    {
        if (onPrompt) onPrompt();
        return m_script.MsgBox(prompt, style, title);
    }
    bool InputBox(const QString& p, const QString& t, const QString& d, QString* a) override { return m_script.InputBox(p, t, d, a); }
    QString GetOpenFileName(const QString& t, const QString& f, const QString& x) override { return m_script.GetOpenFileName(t, f, x); }
    QString GetSaveFileName(const QString& t, const QString& p, const QString& f) override { return m_script.GetSaveFileName(t, p, f); }
    QColor ChooseColor(const QColor& i, const QString& t) override { return m_script.ChooseColor(i, t); }

private:
    ScriptedMessages& m_script;
};

class MainWindow : public RecordingMainWindow {
public:
    int afresh = 0;
    void ShowDefaultListAfresh() override { ++afresh; }
};

}  // namespace

Q_DECLARE_METATYPE(Rows)

class tst_syncsave : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    UpdateSaver::Listings sets;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }

    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    QStringList history(const QString& id) { return table("SELECT Description, Changed FROM History WHERE AuctionId=? ORDER BY Autonumber", {id}); }
    // What a save may change, whole.
    QStringList snapshot()
    {
        return table("SELECT * FROM Auction ORDER BY AuctionId") + table("SELECT * FROM History ORDER BY Autonumber") +
               table("SELECT * FROM Customer ORDER BY CustomerId") + table("SELECT DateLastUpdate FROM Configuration");
    }

    void insert(const QString& tableName, const Rows& rows)
    {
        for (const QVariantMap& r : rows) {
            QStringList marks;
            for (int i = 0; i < r.size(); ++i) marks << QStringLiteral("?");
            QVERIFY2(conn().Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(tableName, r.keys().join(u','), marks.join(u',')),
                                    r.values()),
                     qPrintable(conn().lastError()));
        }
    }
    void add(int listType, const QVariantMap& row)
    {
        Recordset& rs = *sets[listType];
        rs.AddNew();
        for (auto it = row.begin(); it != row.end(); ++it) QVERIFY2(rs.setValue(it.key(), it.value()), qPrintable(it.key()));
        rs.Update();
    }
    void fresh()
    {
        for (int t = 0; t < 3; ++t) sets[t] = ListingRecordsets::Create(t);
    }
    // What a run does before the save: before-start marks, comparison, item codes.
    void compareAll()
    {
        int tab = 0;
        for (int t = 0; t < 3; ++t) {
            if (t == ListingRecordsets::Sold) ListingComparison::MarkBeforeSystemStart(*sets[t], "sold_date", Start);
            if (t == ListingRecordsets::Unsold) ListingComparison::MarkBeforeSystemStart(*sets[t], "end_date", Start);
            ListingComparison::CompareWithDatabase(*sets[t], t, &tab, vb::today());
            UpdateSaver::GetItemCodes(*sets[t]);
        }
    }
    QVariant field(int listType, int row, const QString& name)
    {
        Recordset& rs = *sets[listType];
        return rs.rows().value(row).value(rs.FieldIndex(name));
    }
    // Columns of one sale (?2, ?3... are the extra values), "" when there is none.
    QString sale(const QString& id, const QString& columns, const QVariantList& extra = {})
    {
        return table("SELECT " + columns + " FROM Auction WHERE AuctionId=?1", QVariantList{id} + extra).value(0);
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        vb::setClock(QDateTime(Today, QTime(10, 30)));
        ctx().gConfiguration.DateSystemStart = Start;
        ctx().gConfiguration.RelistUnsold = true;
        ctx().gConfiguration.DateLastUpdate = 0;
        fresh();
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        vb::setClock(QDateTime());
        env.reset();
    }

    // A new current listing: one History row its undo deletes; saved again, nothing new.
    void newCurrentListing()
    {
        add(ListingRecordsets::Current, current({{"gallery", "yes"}, {"bold", "yes"}, {"homepage", "yes"}}));
        compareAll();
        QVERIFY(field(ListingRecordsets::Current, 0, "UpdateAuction").toBool());
        UpdateSaver saver(sets);
        QVERIFY(saver.Save());
        QCOMPARE(history("4101"), QStringList{"New Auction (Closes Tue 12 Jan 9:30 PM)|[DELETE]"});
        QCOMPARE(scalar("SELECT \"Date\" FROM History WHERE AuctionId='4101'").toDouble(), Now);
        QCOMPARE(table("SELECT ActionId, Description, ItemId, dateStart = ?, dateNextAction = ?, StartPrice, ReservePrice, MaxBidAmount, "
                       "BuyNowPrice, HasBids, ExtraFeatures, DurationFixed, DurationDays, DurationTime FROM Auction",
                       {Opened, vb::Int(Closes)}),
                 QStringList{"1|Blue teapot|MISC|1|1|1|10|12.5|45|1|,Gallery,Bold title,Homepage featured,|1|11|0"});
        QCOMPARE(field(ListingRecordsets::Current, 0, "UpdateAuction").toBool(), false);
        QCOMPARE(field(ListingRecordsets::Current, 0, "UpdateFields").toString(), QString());
        QCOMPARE(scalar("SELECT DateLastUpdate FROM Configuration").toDouble(), Now);
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, Now);
        // Only a sale completed by the save (one from before the system start) has a completion row.
        QVERIFY(saver.CompletionRows().isEmpty());

        const QStringList before = table("SELECT * FROM Auction");
        UpdateSaver again(sets);
        QVERIFY(again.Save());
        QCOMPARE(table("SELECT * FROM Auction"), before);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 1);
        QVERIFY(again.CompletionRows().isEmpty());
    }

    // What a current listing writes, row by row: no History for a listing already known.
    void currentColumns_data()
    {
        QTest::addColumn<QVariantMap>("row");
        QTest::addColumn<QString>("expected");  // MaxBidAmount|HasBids|BuyNowPrice|DurationFixed|DurationDays|DurationTime|ExtraFeatures
        QTest::newRow("plain") << current() << "12.5|1|45|1|11|0|,";
        QTest::newRow("no bids") << current({{"max_bid_amount", 0.0}}) << "0|0|45|1|11|0|,";
        QTest::newRow("max bid not given") << current({{"max_bid_amount", QVariant()}}) << "0|0|45|1|11|0|,";
        QTest::newRow("no buy now") << current({{"buy_now_price", QVariant()}}) << "12.5|1|<Null>|1|11|0|,";
        QTest::newRow("scheduled end: the closing time kept")
            << current({{"length", "Scheduled enddate"}}) << "12.5|1|45|0|11|0.895833|,";
        QTest::newRow("feature combo and home page")
            << current({{"gallery", "yes"}, {"bold", "yes"}, {"featured", "yes"}, {"homepage", "yes"}})
            << "12.5|1|45|1|11|0|,Feature combo,Homepage featured,";
        QTest::newRow("capitalised Yes counts as no") << current({{"gallery", "Yes"}, {"featured", "YES"}}) << "12.5|1|45|1|11|0|,";
    }
    void currentColumns()
    {
        QFETCH(QVariantMap, row);
        QFETCH(QString, expected);
        insert("Auction", {runningSale({{"MaxBidAmount", 3.0}, {"ExtraFeatures", ",Gallery,"}})});
        add(ListingRecordsets::Current, row);
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(sale("4101", "MaxBidAmount, HasBids, BuyNowPrice, DurationFixed, DurationDays, round(DurationTime, 6), ExtraFeatures"),
                 expected);
        QCOMPARE(history("4101"), QStringList());
    }

    // A running listing sold: the sale is updated in place; its recipe holds
    // the eleven columns' old values, and undone it is the running listing again.
    void soldInPlace()
    {
        insert("Auction", {runningSale()});
        const QString undoable = "ActionId, CustomerId, Winningbid, Shipping, StartPrice, ReservePrice, MaxBidAmount, BuyNowPrice, "
                                 "DateEnded, dateNextAction, DeliveryAddress, dateStart";
        const QString running = sale("4101", undoable);
        add(ListingRecordsets::Sold, sold({{"feature", "yes"}, {"homepage_feature", "yes"}}));
        compareAll();
        QVERIFY(field(ListingRecordsets::Sold, 0, "UpdateAuction").toBool());
        QVERIFY(UpdateSaver(sets).Save());

        const QStringList rows = history("4101");
        QCOMPARE(rows.size(), 2);  // the sale, then its next task
        QVERIFY2(rows[0].startsWith("Auction ended Mon 4 Jan 8:15 PM (sold by Auction)|CustomerId=Null,Winningbid=0,Shipping=0,"
                                    "StartPrice=1,ReservePrice=10,MaxBidAmount=12.5,BuyNowPrice=45,DateEnded=Null,dateNextAction="),
                 qPrintable(rows[0]));
        QList<UndoRecipe::Pair> pairs;
        QVERIFY(UndoRecipe::Parse(rows[0].section(u'|', 1), &pairs));
        QStringList names;
        for (const auto& p : pairs) names << p.Name;
        QCOMPARE(names, (QStringList{"CustomerId", "Winningbid", "Shipping", "StartPrice", "ReservePrice", "MaxBidAmount", "BuyNowPrice",
                                     "DateEnded", "dateNextAction", "DeliveryAddress", "DateStart"}));
        QCOMPARE(pairs[8].Value.toDouble(), vb::Int(Closes));
        QCOMPARE(pairs[9].Value, QString("Null"));
        QCOMPARE(pairs[10].Value.toDouble(), Opened);

        QCOMPARE(sale("4101", "ActionId, CustomerId, Winningbid, Shipping, MaxBidAmount, DateEnded = ?2, dateStart = ?3, "
                              "DeliveryAddress, HasBids, ExtraFeatures, AuctionType",
                      {vb::Int(SoldAt), Opened}),
                 "2|sean1|42|5.5|42|1|1|Sean Smith\r\n1 Main Road\r\nHamilton|1|,Feature,Gallery,Homepage featured,|<Null>");
        QCOMPARE(table("SELECT Name, Address, Email, DontEmail FROM Customer WHERE CustomerId='sean1'"),
                 QStringList{"Sean Smith|Sean Smith\r\n1 Main Road\r\nHamilton|sean@example.co.nz|0"});

        // Undone (its task, then the sale), it is the running listing again.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(ctx().gDatabase->GetHistory("4101"));
            QVERIFY(ctx().gDatabase->PerformUndo());
        }
        QCOMPARE(sale("4101", undoable), running);
        QCOMPARE(history("4101"), QStringList());
    }

    // One listing sold again and again: the sale in progress under the bare
    // number moves to the next free letter with its History, the new one takes
    // the letter after; with no bare number left a sale takes it again. Each
    // run's export holds every sale so far, and none is written twice.
    void furtherSalesTakeLetters()
    {
        insert("Auction", {runningSale()});
        Rows exported;
        auto run = [&](const QString& buyer) {
            if (!buyer.isEmpty())
                exported << sold({{"buyer_name", buyer},
                                  {"buyer_email", buyer + "@example.co.nz"},
                                  {"buyer_delivery_address", buyer + ", 1 Main Road, Hamilton"}});
            fresh();
            for (const QVariantMap& r : exported) add(ListingRecordsets::Sold, r);
            compareAll();
            // What the save logged is what the database holds, renamed sales too: the main list confirms it at once.
            return UpdateSaver(sets).Save() && ctx().gDatabase->CheckLog();
        };
        auto sales = [&] { return table("SELECT AuctionId || ':' || CustomerId || ':' || ActionId FROM Auction ORDER BY AuctionId"); };
        auto movedOn = [&](const QString& id) { QVERIFY(conn().Execute("UPDATE Auction SET ActionId=5 WHERE AuctionId=?", {id})); };
        auto sold = [&](const QString& id) { return history(id).filter("(sold by ").size(); };

        QVERIFY(run("alice"));
        QCOMPARE(sales(), QStringList{"4101:alice:2"});
        movedOn("4101");
        const QStringList aliceHistory = table("SELECT Autonumber, Description, Changed FROM History ORDER BY Autonumber");
        QCOMPARE(aliceHistory.size(), 2);

        QVERIFY(run("bob"));
        QCOMPARE(sales(), (QStringList{"4101A:alice:5", "4101B:bob:2"}));
        QCOMPARE(table("SELECT Autonumber, Description, Changed FROM History WHERE AuctionId='4101A' ORDER BY Autonumber"), aliceHistory);
        QCOMPARE(history("4101B").size(), 2);
        QVERIFY2(history("4101B").value(0).endsWith("(sold by Auction)|[DELETE]"), qPrintable(history("4101B").value(0)));
        QCOMPARE(history("4101"), QStringList());

        QVERIFY(run("carol"));
        QCOMPARE(sales(), (QStringList{"4101:carol:2", "4101A:alice:5", "4101B:bob:2"}));
        movedOn("4101");

        QVERIFY(run("dave"));
        QCOMPARE(sales(), (QStringList{"4101A:alice:5", "4101B:bob:2", "4101C:carol:5", "4101D:dave:2"}));
        for (const QString id : {"4101A", "4101B", "4101C", "4101D"}) QVERIFY2(sold(id) == 1, qPrintable(history(id).join("\n")));
        QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE AuctionId='4101'").toInt(), 0);

        const QStringList before = table("SELECT * FROM Auction ORDER BY AuctionId") + table("SELECT * FROM History ORDER BY Autonumber");
        QVERIFY(run(QString()));
        QCOMPARE(table("SELECT * FROM Auction ORDER BY AuctionId") + table("SELECT * FROM History ORDER BY Autonumber"), before);
    }

    // The number a new sale is written under, and where the sale in progress goes.
    void auctionIdForSale_data()
    {
        QTest::addColumn<Rows>("existing");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("renamed");
        auto at = [](const QString& id, int step, const QVariant& buyer) {
            return QVariantMap{{"AuctionId", id}, {"ActionId", step}, {"CustomerId", buyer}};
        };
        const QVariant none;
        QTest::newRow("no sale") << Rows{} << "4101" << "";
        QTest::newRow("running listing") << Rows{at("4101", 1, none)} << "4101" << "";
        QTest::newRow("running, a buyer set") << Rows{at("4101", 1, "alice")} << "4101" << "";
        QTest::newRow("unsold without a buyer") << Rows{at("4101", 16, none)} << "4101" << "";
        QTest::newRow("completed without a buyer") << Rows{at("4101", 15, none)} << "4101" << "";
        QTest::newRow("completed with a buyer") << Rows{at("4101", 15, "alice")} << "4101B" << "4101A";
        QTest::newRow("in progress") << Rows{at("4101", 5, "alice")} << "4101B" << "4101A";
        QTest::newRow("in progress, empty buyer") << Rows{at("4101", 5, "")} << "4101B" << "4101A";
        QTest::newRow("A and B taken") << Rows{at("4101", 5, "carol"), at("4101A", 5, "alice"), at("4101B", 2, "bob")} << "4101D"
                                       << "4101C";
        QTest::newRow("only A taken") << Rows{at("4101", 5, "carol"), at("4101A", 5, "alice")} << "4101C" << "4101B";
        QTest::newRow("lower-case a taken") << Rows{at("4101", 5, "carol"), at("4101a", 5, "alice")} << "4101C" << "4101B";
        QTest::newRow("longer numbers are no letters")
            << Rows{at("4101", 5, "alice"), at("41011", 1, none), at("41012", 5, "kim7")} << "4101B" << "4101A";
    }
    void auctionIdForSale()
    {
        QFETCH(Rows, existing);
        QFETCH(QString, id);
        QFETCH(QString, renamed);
        insert("Auction", existing);
        insert("History", {{{"AuctionId", "4101"}, {"Date", Now - 2}, {"Description", "Auction ended"}, {"Changed", "[DELETE]"}}});
        QStringList before;
        for (const QVariantMap& r : existing) before << r.value("AuctionId").toString();
        QString movedTo;
        QCOMPARE(UpdateSaver::GetAuctionIdForSale("4101", &movedTo), id);
        QCOMPARE(movedTo, renamed);
        if (!renamed.isEmpty()) before.replace(0, renamed);
        before.sort(Qt::CaseInsensitive);
        QCOMPARE(table("SELECT AuctionId FROM Auction ORDER BY AuctionId"), before);
        QCOMPARE(table("SELECT AuctionId FROM History"), QStringList{renamed.isEmpty() ? "4101" : renamed});
    }

    // A listing that ended before the system start: recorded, moved on, and
    // completed, with a History row at the system start that undoes nothing.
    void beforeSystemStart_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("ended");
        QTest::newRow("sold") << int(ListingRecordsets::Sold) << "Auction ended Mon 30 Nov 8:15 PM (sold by Auction)|[DELETE]";
        QTest::newRow("unsold") << int(ListingRecordsets::Unsold) << "Auction ended 1/12/2026 3:45:00 PM (UNSOLD)|[DELETE]";
    }
    void beforeSystemStart()
    {
        QFETCH(int, listType);
        QFETCH(QString, ended);
        if (listType == ListingRecordsets::Sold) add(listType, sold({{"sold_date", SoldAt - 35}}));
        else add(listType, unsold({{"end_date", EndedAt - 33}}));
        compareAll();
        QVERIFY(field(listType, 0, "BeforeSystemStart").toBool());
        QVERIFY(field(listType, 0, "UpdateAuction").toBool());
        QVERIFY(UpdateSaver(sets).Save());
        const QStringList rows = history("4101");
        QVERIFY2(rows.size() >= 3, qPrintable(rows.join("\n")));
        QCOMPARE(rows.first(), ended);
        QCOMPARE(rows.filter(QRegularExpression("^Completed\\|ActionId=")).size(), 1);
        QCOMPARE(rows.last(), QString("[This auction ended before the system start date]|[NOTHING]"));
        QCOMPARE(scalar("SELECT \"Date\" FROM History WHERE Changed='[NOTHING]'").toDouble(), vb::Int(Start));
        QCOMPARE(sale("4101", "ActionId, dateNextAction = ?2, FixedPriceOffered", {vb::today()}), QString("15|1|1"));
        QCOMPARE(field(listType, 0, "UpdateAuction").toBool(), false);
        QVERIFY(ctx().gDatabase->CheckLog());  // the completion's step, not the first one, is logged
    }

    // Buyers' names are bound: one with an apostrophe finds and keeps their sale.
    void buyerWithApostrophe()
    {
        insert("Auction", {runningSale({{"ActionId", 5}, {"CustomerId", "o'brien"}})});
        add(ListingRecordsets::Sold, sold({{"buyer_name", "o'brien"}, {"buyer_email", "ob@example.co.nz"}}));
        add(ListingRecordsets::Sold, sold({{"buyer_name", "d'arcy"}, {"buyer_email", "da@example.co.nz"}}));
        compareAll();
        QCOMPARE(field(ListingRecordsets::Sold, 0, "UpdateAuction").toBool(), false);
        QCOMPARE(field(ListingRecordsets::Sold, 1, "UpdateAuction").toBool(), true);
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(table("SELECT AuctionId || ':' || CustomerId || ':' || DeliveryAddress FROM Auction ORDER BY AuctionId"),
                 (QStringList{"4101A:o'brien:Sean Smith\r\n1 Main Road\r\nHamilton", "4101B:d'arcy:Sean Smith\r\n1 Main Road\r\nHamilton"}));
        QCOMPARE(table("SELECT CustomerId FROM Customer ORDER BY CustomerId"), (QStringList{"d'arcy", "o'brien"}));
    }

    // A recorded sale that is gone by the next save (undone meanwhile) is not
    // written back, under a made-up number or at all.
    void soldRowWithoutItsSale()
    {
        add(ListingRecordsets::Sold, sold());
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        QVERIFY(conn().Execute("DELETE FROM Auction"));
        const int historyRows = scalar("SELECT COUNT(*) FROM History").toInt();
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), historyRows);
    }

    // The buyer of a new sale: the address's parts become lines; the name is
    // its first line, the buyer's id for a pick-up.
    void buyerAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QStringList>("customer");  // Name|Address|Email|DontEmail
        QTest::addColumn<QString>("delivery");
        const QString lines = "Sean Smith\r\n1 Main Road\r\nHamilton";
        const QString email = "sean@example.co.nz";
        QTest::newRow("three parts") << "Sean Smith, 1 Main Road, Hamilton" << email
                                     << QStringList{"Sean Smith|" + lines + "|" + email + "|0"} << lines;
        QTest::newRow("comma without blank stays") << "Sean Smith,1 Main Road" << email
                                                   << QStringList{"Sean Smith,1 Main Road|Sean Smith,1 Main Road|" + email + "|0"}
                                                   << "Sean Smith,1 Main Road";
        QTest::newRow("pick-up") << PickUp << email << QStringList{"sean1|" + PickUp + "|" + email + "|0"} << PickUp;
        QTest::newRow("pick-up and a town") << PickUp + ", Hamilton" << email
                                            << QStringList{"sean1|" + PickUp + "\r\nHamilton|" + email + "|0"} << PickUp + "\r\nHamilton";
        QTest::newRow("long first line") << QString(60, u'x') + ", Hamilton" << email
                                         << QStringList{QString(50, u'x') + "|" + QString(60, u'x') + "\r\nHamilton|" + email + "|0"}
                                         << QString(60, u'x') + "\r\nHamilton";
        QTest::newRow("no address") << "" << email << QStringList{"<Null>|<Null>|" + email + "|0"} << "<Null>";
        QTest::newRow("no e-mail: no buyer row") << "Sean Smith, 1 Main Road, Hamilton" << "" << QStringList() << lines;
        QTest::newRow("apostrophes") << "Kate O'Brien, 1 O'Connell St" << email
                                     << QStringList{"Kate O'Brien|Kate O'Brien\r\n1 O'Connell St|" + email + "|0"}
                                     << "Kate O'Brien\r\n1 O'Connell St";
    }
    void buyerAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, email);
        QFETCH(QStringList, customer);
        QFETCH(QString, delivery);
        add(ListingRecordsets::Sold, sold({{"buyer_delivery_address", address}, {"buyer_email", email}}));
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(table("SELECT Name, Address, Email, DontEmail FROM Customer"), customer);
        QCOMPARE(sale("4101", "DeliveryAddress"), delivery);
    }

    // A buyer on file with another address: asked once per buyer, before
    // anything is written; the sale takes the delivery address either way.
    void addressQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("customer");
        QTest::newRow("Yes") << int(vbmsg::Yes) << "Sean Smith|Sean Smith\r\n1 Main Road\r\nHamilton|sean@example.co.nz|0";
        QTest::newRow("No") << int(vbmsg::No) << "Sean|PO Box 1\r\nHamilton|sean@example.co.nz|0";
    }
    void addressQuestion()
    {
        QFETCH(int, answer);
        QFETCH(QString, customer);
        insert("Customer", {{{"CustomerId", "sean1"}, {"Name", "Sean"}, {"Email", "old@example.co.nz"}, {"Address", "PO Box 1\r\nHamilton"},
                             {"DontEmail", true}}});
        add(ListingRecordsets::Current, current({{"listing_id", "3101"}}));
        add(ListingRecordsets::Sold, sold());
        add(ListingRecordsets::Sold, sold({{"listing_id", "4102"}, {"title", "Green teapot"}}));
        compareAll();
        WatchedMessages watch(messages());
        QStringList atPrompt;
        watch.onPrompt = [&] {
            atPrompt << QString("in transaction %1, %2 sales").arg(ReadLock::inTransaction(conn())).arg(scalar("SELECT COUNT(*) FROM Auction").toInt());
        };
        messages().answer(answer, "is different to the delivery address");
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(atPrompt, QStringList{"in transaction 0, 0 sales"});
        const ScriptedMessages::Prompt asked = messages().prompts().value(0);
        QCOMPARE(asked.text, QString("The address on file for the buyer sean1 is different to the delivery address.  Do you want to update "
                                     "the buyer address?\r\n\r\nCurrent customer address:\r\nPO Box 1\r\nHamilton\r\n\r\nUpdate to:\r\n"
                                     "Sean Smith\r\n1 Main Road\r\nHamilton"));
        QCOMPARE(asked.style, vbmsg::YesNo + vbmsg::Question);
        QCOMPARE(asked.title, ctx().gAppTitle);
        QCOMPARE(table("SELECT Name, Address, Email, DontEmail FROM Customer"), QStringList{customer});
        QCOMPARE(table("SELECT DeliveryAddress FROM Auction WHERE CustomerId='sean1' ORDER BY AuctionId"),
                 QStringList(2, "Sean Smith\r\n1 Main Road\r\nHamilton"));
    }

    // A buyer on file with two new sales to two addresses: each address that
    // differs gets its own question, showing the address the buyer will have
    // by then; the buyer keeps the address the seller accepted last, and each
    // sale its own delivery address.
    void addressQuestionPerAddress_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("asked");  // current -> new, per question
        QTest::addColumn<QString>("kept");
        const QString po = "PO Box 1\r\nHamilton", main = "Sean Smith\r\n1 Main Road\r\nHamilton",
                      beach = "Sean Smith\r\n9 Beach Road\r\nNapier";
        const int yes = vbmsg::Yes, no = vbmsg::No;
        QTest::newRow("Yes, Yes") << QList<int>{yes, yes} << QStringList{po + " -> " + main, main + " -> " + beach} << beach;
        QTest::newRow("Yes, No") << QList<int>{yes, no} << QStringList{po + " -> " + main, main + " -> " + beach} << main;
        QTest::newRow("No, Yes") << QList<int>{no, yes} << QStringList{po + " -> " + main, po + " -> " + beach} << beach;
        QTest::newRow("No, No") << QList<int>{no, no} << QStringList{po + " -> " + main, po + " -> " + beach} << po;
    }
    void addressQuestionPerAddress()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, asked);
        QFETCH(QString, kept);
        insert("Customer", {{{"CustomerId", "sean1"}, {"Name", "Sean"}, {"Email", "sean@example.co.nz"}, {"Address", "PO Box 1\r\nHamilton"}}});
        add(ListingRecordsets::Sold, sold());
        add(ListingRecordsets::Sold, sold({{"listing_id", "4102"}, {"buyer_delivery_address", "Sean Smith, 9 Beach Road, Napier"}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "4103"}}));  // the first address again: asked no more
        compareAll();
        for (int a : answers) messages().answer(a, "is different to the delivery address");
        QVERIFY(UpdateSaver(sets).Save());
        QVERIFY(messages().verifyDone());
        QStringList shown;
        for (const ScriptedMessages::Prompt& p : messages().prompts())
            shown << p.text.section("Current customer address:\r\n", 1).section("\r\n\r\nUpdate to:\r\n", 0, 0) + " -> " +
                         p.text.section("\r\n\r\nUpdate to:\r\n", 1);
        QCOMPARE(shown, asked);
        QCOMPARE(table("SELECT Address FROM Customer"), QStringList{kept});
        QCOMPARE(table("SELECT Name FROM Customer"), QStringList{kept.startsWith("PO Box") ? "Sean" : "Sean Smith"});
        QCOMPARE(table("SELECT AuctionId || ':' || DeliveryAddress FROM Auction ORDER BY AuctionId"),
                 (QStringList{"4101:Sean Smith\r\n1 Main Road\r\nHamilton", "4102:Sean Smith\r\n9 Beach Road\r\nNapier",
                              "4103:Sean Smith\r\n1 Main Road\r\nHamilton"}));
    }

    // The same address on file: no question; the e-mail is brought up to date.
    void sameAddressNoQuestion()
    {
        insert("Customer", {{{"CustomerId", "sean1"}, {"Name", "Sean"}, {"Email", "old@example.co.nz"},
                             {"Address", "Sean Smith\r\n1 Main Road\r\nHamilton"}, {"DontEmail", true}}});
        add(ListingRecordsets::Sold, sold());
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(table("SELECT Name, Address, Email, DontEmail FROM Customer"),
                 QStringList{"Sean|Sean Smith\r\n1 Main Road\r\nHamilton|sean@example.co.nz|0"});
    }

    // A recorded sale that lacks the address takes it, with no History row.
    void addressOfARecordedSale()
    {
        insert("Auction", {runningSale({{"ActionId", 5}, {"CustomerId", "sean1"}, {"Shipping", 0.0}})});
        insert("Customer", {{{"CustomerId", "sean1"}, {"Email", "sean@example.co.nz"}, {"Address", "PO Box 1"}}});
        add(ListingRecordsets::Sold, sold({{"selected_shipping", "7"}}));
        compareAll();
        QVERIFY(field(ListingRecordsets::Sold, 0, "UpdateAddress").toBool());
        QVERIFY(!field(ListingRecordsets::Sold, 0, "UpdateAuction").toBool());
        messages().answer(vbmsg::No, "is different to the delivery address");
        QVERIFY(UpdateSaver(sets).Save());
        // The comparison put the sale's own shipping (0) in the row.
        QCOMPARE(sale("4101", "ActionId, DeliveryAddress, Shipping"), QString("5|Sean Smith\r\n1 Main Road\r\nHamilton|0"));
        QCOMPARE(history("4101"), QStringList());
        QCOMPARE(table("SELECT Address FROM Customer"), QStringList{"PO Box 1"});
        QCOMPARE(field(ListingRecordsets::Sold, 0, "UpdateAddress").toBool(), false);
    }

    // How the sale was sold; an unknown way is reported and the sale still saved.
    void saleType_data()
    {
        QTest::addColumn<QString>("soldType");
        QTest::addColumn<QString>("expected");  // AuctionType|FixedPriceOffered
        QTest::addColumn<QString>("message");
        QTest::newRow("auction") << "Auction" << "<Null>|0" << "";
        QTest::newRow("buy now") << "Buy Now" << "<Null>|0" << "";
        QTest::newRow("fixed price offer") << "fixed price offer" << "O|1" << "";
        QTest::newRow("Fixed Price Offer") << "Fixed Price Offer" << "O|1" << "";
        QTest::newRow("unknown") << "Raffle" << "<Null>|0" << "Unknown auction type encountered 'Raffle'";
        QTest::newRow("unknown with an apostrophe") << "Buyer's pick" << "<Null>|0" << "Unknown auction type encountered 'Buyer's pick'";
    }
    void saleType()
    {
        QFETCH(QString, soldType);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        add(ListingRecordsets::Sold, sold({{"sold_type", soldType}}));
        compareAll();
        if (!message.isEmpty()) messages().answer(vbmsg::OK, message);
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(sale("4101", "AuctionType, FixedPriceOffered"), expected);
        QCOMPARE(history("4101").filter("(sold by " + soldType + ")|").size(), 1);
        if (message.isEmpty()) return;
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(messages().prompts()[0].style, int(vbmsg::Critical));
        QVERIFY(messages().prompts()[0].text.startsWith("Auction update failed."));
    }

    // An unsold listing: the step it takes, its History, and a relist on the site.
    void unsoldSteps_data()
    {
        QTest::addColumn<bool>("relistUnsold");
        QTest::addColumn<Rows>("existing");
        QTest::addColumn<QVariantMap>("row");
        QTest::addColumn<QString>("expected");  // ActionId|dateNextAction - today|MaxBidAmount|HasBids
        QTest::addColumn<QStringList>("history");
        const QString ended = "Auction ended 3/01/2027 3:45:00 PM (UNSOLD)";
        QTest::newRow("new, to relist") << true << Rows{} << unsold() << "16|0|0|0" << QStringList{ended + "|[DELETE]"};
        QTest::newRow("new, relisting off") << false << Rows{} << unsold() << "15|0|0|0" << QStringList{ended + "|[DELETE]"};
        QTest::newRow("new, relisted on the site")
            << true << Rows{} << unsold({{"relisted", "Relisted"}}) << "15|0|0|0" << QStringList{ended + "|[DELETE]"};
        QTest::newRow("new, bids below the reserve")
            << true << Rows{} << unsold({{"no_bids", ""}, {"max_bid_amount", 8.0}}) << "16|0|8|1" << QStringList{ended + "|[DELETE]"};
        QTest::newRow("running listing ended")
            << true << Rows{runningSale()} << unsold({{"start_price", 0.0}, {"reserve_price", 20.0}}) << "16|0|0|0"
            << QStringList{ended + QString("|ActionId=1,dateNextAction=%1,DateEnded=Null,ReservePrice=10").arg(vb::Int(Closes))};
        QTest::newRow("relisted since")
            << true << Rows{runningSale({{"ActionId", 16}, {"dateNextAction", serial(Today) + 2}, {"MaxBidAmount", 0.0}, {"HasBids", false}})}
            << unsold({{"relisted", "Relisted"}}) << "15|0|0|0"
            << QStringList{QString("Completed|ActionId=16,dateNextAction=%1").arg(serial(Today) + 2)};
        QTest::newRow("offer expired: relist due today")
            << true << Rows{runningSale({{"ActionId", 16}, {"dateNextAction", serial(Today) + 2}, {"MaxBidAmount", 0.0}, {"HasBids", false}})}
            << unsold({{"offer_expired", "Expired"}}) << "16|0|0|0" << QStringList();
        QTest::newRow("nothing new") << true
                                     << Rows{runningSale({{"ActionId", 16}, {"dateNextAction", serial(Today) + 2}, {"MaxBidAmount", 0.0},
                                                          {"HasBids", false}})}
                                     << unsold() << "16|2|0|0" << QStringList();
    }
    void unsoldSteps()
    {
        QFETCH(bool, relistUnsold);
        QFETCH(Rows, existing);
        QFETCH(QVariantMap, row);
        QFETCH(QString, expected);
        QFETCH(QStringList, history);
        ctx().gConfiguration.RelistUnsold = relistUnsold;
        insert("Auction", existing);
        add(ListingRecordsets::Unsold, row);
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        QVERIFY(ctx().gDatabase->CheckLog());
        QCOMPARE(sale("4101", "ActionId, dateNextAction - ?2, MaxBidAmount, HasBids", {vb::today()}), expected);
        QCOMPARE(this->history("4101"), history);
    }

    // A listing sold by fixed-price offer that the site still shows among the
    // unsold listings: the sale stands, with its buyer and its tasks, and is
    // not offered for relisting; in one save or in a later run alike.
    void unsoldRowLeavesASale_data()
    {
        QTest::addColumn<Rows>("existing");
        QTest::addColumn<bool>("oneSave");
        QTest::newRow("both rows new in one save") << Rows{} << true;
        QTest::newRow("a running listing, both rows in one save") << Rows{runningSale()} << true;
        QTest::newRow("the unsold row in the next run") << Rows{} << false;
    }
    void unsoldRowLeavesASale()
    {
        QFETCH(Rows, existing);
        QFETCH(bool, oneSave);
        insert("Auction", existing);
        const QVariantMap byOffer = sold({{"sold_type", "Fixed Price Offer"}, {"sale_price", 40.0}});
        const QVariantMap stillUnsold = unsold({{"offer_price", "$40.00"}, {"title", "Blue teapot (offer)"}});
        add(ListingRecordsets::Sold, byOffer);
        if (oneSave) add(ListingRecordsets::Unsold, stillUnsold);
        compareAll();
        QVERIFY(UpdateSaver(sets).Save());
        const QString recorded = sale("4101", "ActionId, CustomerId, Winningbid, AuctionType, FixedPriceOffered, Description, DateEnded");
        QVERIFY2(recorded.startsWith("2|sean1|40|O|1|Blue teapot|"), qPrintable(recorded));
        if (!oneSave) {
            fresh();
            add(ListingRecordsets::Sold, byOffer);
            add(ListingRecordsets::Unsold, stillUnsold);
            compareAll();
            QVERIFY(UpdateSaver(sets).Save());
        }
        QCOMPARE(sale("4101", "ActionId, CustomerId, Winningbid, AuctionType, FixedPriceOffered, Description, DateEnded"), recorded);
        const QStringList rows = history("4101");
        QCOMPARE(rows.size(), 2);  // the sale, then its next task
        QVERIFY2(rows[0].startsWith("Auction ended Mon 4 Jan 8:15 PM (sold by Fixed Price Offer)|"), qPrintable(rows[0]));
        QCOMPARE(rows.filter("(UNSOLD)").size(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 1);
        QVERIFY(ctx().gDatabase->CheckLog());
    }

    // Rows the site gave no date for are left out, named in one message, and keep their flags.
    void undatedRowsSkipped()
    {
        add(ListingRecordsets::Current, current());
        add(ListingRecordsets::Current, current({{"listing_id", "4102"}, {"end_date", QVariant()}}));
        add(ListingRecordsets::Current, current({{"listing_id", "4103"}, {"start_date", QVariant()}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "5101"}, {"sold_date", QVariant()}}));
        add(ListingRecordsets::Unsold, unsold({{"listing_id", "6101"}, {"end_date", QVariant()}}));
        compareAll();
        messages().answer(vbmsg::OK, "These listings were not saved because the site gave no date for them:\r\n4102\r\n4103\r\n5101\r\n6101");
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(messages().prompts()[0].style, int(vbmsg::Exclamation));
        QCOMPARE(table("SELECT AuctionId FROM Auction"), QStringList{"4101"});
        QCOMPARE(scalar("SELECT COUNT(*) FROM Customer").toInt(), 0);
        QCOMPARE(field(ListingRecordsets::Current, 0, "UpdateAuction").toBool(), false);
        QCOMPARE(field(ListingRecordsets::Current, 1, "UpdateAuction").toBool(), true);
        QCOMPARE(field(ListingRecordsets::Sold, 0, "UpdateAuction").toBool(), true);
        QCOMPARE(field(ListingRecordsets::Unsold, 0, "UpdateAuction").toBool(), true);
    }

    // Saved twice, and run again on the same exports: nothing new the second time.
    void secondSaveWritesNothingNew()
    {
        insert("Auction", {runningSale({{"AuctionId", "4102"}}), runningSale({{"AuctionId", "5102"}, {"ActionId", 5}, {"CustomerId", "kim7"}})});
        auto fill = [&] {
            fresh();
            add(ListingRecordsets::Current, current());
            add(ListingRecordsets::Current, current({{"listing_id", "4102"}, {"start_price", 2.0}}));
            add(ListingRecordsets::Sold, sold({{"listing_id", "5101"}}));
            add(ListingRecordsets::Sold, sold({{"listing_id", "5102"}, {"buyer_name", "kim7"}, {"buyer_email", "kim@example.co.nz"}}));
            add(ListingRecordsets::Unsold, unsold({{"listing_id", "6101"}}));
            add(ListingRecordsets::Unsold, unsold({{"listing_id", "6102"}, {"relisted", "Relisted"}}));
            add(ListingRecordsets::Unsold, unsold({{"listing_id", "6103"}, {"offer_price", "$20.00"}}));
            add(ListingRecordsets::Unsold, unsold({{"listing_id", "6104"}, {"end_date", Start - 3}}));
            compareAll();
        };
        auto everything = [&] {
            return table("SELECT * FROM Auction ORDER BY AuctionId") + table("SELECT * FROM History ORDER BY Autonumber") +
                   table("SELECT * FROM Customer ORDER BY CustomerId");
        };
        fill();
        QVERIFY(UpdateSaver(sets).Save());
        const QStringList first = everything();
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 8);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE Changed='[DELETE]'").toInt(), 6);

        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(everything(), first);

        fill();
        for (int t = 0; t < 3; ++t)
            for (const QVariantList& r : sets[t]->rows()) {
                QVERIFY(!r[sets[t]->FieldIndex("UpdateAuction")].toBool());
                QCOMPARE(r[sets[t]->FieldIndex("UpdateFields")].toString(), QString());
            }
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(everything(), first);
    }

    // A save that cannot be kept leaves the database and the rows as they
    // were; once the cause is gone the same rows save.
    void failedSave_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("another program reads the file") << true;
        QTest::newRow("no letter left for a further sale") << false;
    }
    void failedSave()
    {
        QFETCH(bool, locked);
        insert("Auction", {runningSale({{"ActionId", 5}, {"CustomerId", "alice"}})});
        insert("History", {{{"AuctionId", "4101"}, {"Date", Now - 2}, {"Description", "Auction ended"}, {"Changed", "[DELETE]"}}});
        insert("Customer", {{{"CustomerId", "sean1"}, {"Email", "sean@example.co.nz"}, {"Address", "PO Box 1"}}});
        if (!locked)
            for (char c = 'A'; c < 'Z'; ++c)
                insert("Auction", {runningSale({{"AuctionId", QString("4101") + c}, {"ActionId", 5}, {"CustomerId", QString("buyer") + c}})});
        add(ListingRecordsets::Current, current({{"listing_id", "4201"}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "5101"}}));
        add(ListingRecordsets::Sold, sold({{"buyer_name", "bob"}, {"buyer_email", "bob@example.co.nz"}}));
        add(ListingRecordsets::Unsold, unsold({{"listing_id", "6101"}, {"offer_price", "$5.00"}}));
        compareAll();
        auto flags = [&] {
            QStringList out;
            for (int t = 0; t < 3; ++t)
                for (const QVariantList& r : sets[t]->rows())
                    out << QString("%1/%2/%3").arg(r[sets[t]->FieldIndex("UpdateFields")].toString(), r[sets[t]->FieldIndex("UpdateAuction")].toString(),
                                                   r[sets[t]->FieldIndex("UpdateAddress")].toString());
            return out;
        };
        const QStringList flagged = flags();
        QCOMPARE(flagged, (QStringList{"/true/", "/true/", "/true/", "/true/"}));
        const QStringList before = snapshot();
        const int pendingLog = int(ctx().gDatabase->PendingLog().size());

        messages().answer(vbmsg::Yes, "is different to the delivery address");
        messages().answer(vbmsg::OK, "The update could not be saved; the database is as it was and the listings are still to be saved.");
        {
            std::optional<ReadLock> reader;
            if (locked) {
                ReadLock::shortenWait(conn());
                reader.emplace(conn().path());
                QVERIFY(reader->held());
            }
            QVERIFY(!UpdateSaver(sets).Save());
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
            QVERIFY2(messages().prompts().last().text.contains(locked ? "locked" : "4101"), qPrintable(messages().prompts().last().text));
            QVERIFY(!ReadLock::inTransaction(conn()));
        }
        QCOMPARE(snapshot(), before);
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, 0.0);
        QCOMPARE(flags(), flagged);
        QCOMPARE(int(ctx().gDatabase->PendingLog().size()), pendingLog);
        if (!locked) return;

        messages().answer(vbmsg::Yes, "is different to the delivery address");
        QVERIFY(UpdateSaver(sets).Save());
        QCOMPARE(table("SELECT AuctionId || ':' || coalesce(CustomerId, '') FROM Auction ORDER BY AuctionId"),
                 (QStringList{"4101A:alice", "4101B:bob", "4201:", "5101:sean1", "6101:"}));
        QCOMPARE(table("SELECT AuctionId FROM History WHERE Description='Auction ended'"), QStringList{"4101A"});
        QCOMPARE(table("SELECT Address FROM Customer WHERE CustomerId='sean1'"), QStringList{"Sean Smith\r\n1 Main Road\r\nHamilton"});
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, Now);
        QCOMPARE(flags(), (QStringList{"/false/false", "/false/false", "/false/false", "/false/false"}));
    }

    // The item code and stock of each row, by title as the database compares it.
    void itemCodes_data()
    {
        QTest::addColumn<QVariant>("title");
        QTest::addColumn<QString>("expected");  // ItemId|UseStock|Stock|StockWarning
        QTest::newRow("known") << QVariant("Blue teapot") << "TEAPOT|true|4|2";
        QTest::newRow("other case") << QVariant("BLUE TEAPOT") << "TEAPOT|true|4|2";
        QTest::newRow("apostrophe") << QVariant("Kate's mug") << "KATE|false|0|0";
        QTest::newRow("unknown") << QVariant("Red cup") << "MISC|false|0|0";
        QTest::newRow("no title") << QVariant() << "MISC|false|0|0";
        QTest::newRow("two items of one title: the first") << QVariant("Green jug") << "JUGA|true|7|0";
    }
    void itemCodes()
    {
        QFETCH(QVariant, title);
        QFETCH(QString, expected);
        insert("Item", {{{"ItemId", "TEAPOT"}, {"Description", "Blue teapot"}, {"UseStock", true}, {"Stock", 4}, {"StockWarning", 2}},
                        {{"ItemId", "KATE"}, {"Description", "Kate's mug"}, {"Stock", QVariant()}, {"StockWarning", QVariant()}},
                        {{"ItemId", "JUGA"}, {"Description", "Green jug"}, {"UseStock", true}, {"Stock", 7}},
                        {{"ItemId", "JUGB"}, {"Description", "Green jug"}, {"UseStock", true}, {"Stock", 9}}});
        for (int t = 0; t < 3; ++t) {
            add(t, {{"listing_id", "4101"}, {"title", title}});
            add(t, {{"listing_id", "4102"}, {"title", "Red cup"}, {"ItemId", "OLD"}, {"Stock", 3}});
            UpdateSaver::GetItemCodes(*sets[t]);
            QStringList got;
            for (const char* f : {"ItemId", "UseStock", "Stock", "StockWarning"}) got << field(t, 0, f).toString();
            QCOMPARE(got.join(u'|'), expected);
            QCOMPARE(field(t, 1, "ItemId").toString(), QString("MISC"));
            QCOMPARE(field(t, 1, "Stock").toInt(), 0);
        }
    }

    // Low stock: a new sale whose item has less than one left, or fewer than its warning level.
    void lowStock_data()
    {
        QTest::addColumn<int>("stock");
        QTest::addColumn<int>("warning");
        QTest::addColumn<QVariantMap>("flags");
        QTest::addColumn<bool>("low");
        const QVariantMap newSale{{"UpdateAuction", true}, {"UseStock", true}};
        QTest::newRow("two left") << 3 << 0 << newSale << false;
        QTest::newRow("none left") << 1 << 0 << newSale << true;
        QTest::newRow("below the warning") << 4 << 4 << newSale << true;
        QTest::newRow("at the warning") << 4 << 2 << newSale << false;
        QTest::newRow("stock not counted") << 0 << 0 << with(newSale, {{"UseStock", false}}) << false;
        QTest::newRow("sale not new") << 0 << 0 << with(newSale, {{"UpdateAuction", false}}) << false;
        QTest::newRow("ended before the system start") << 0 << 0 << with(newSale, {{"BeforeSystemStart", true}}) << false;
    }
    void lowStock()
    {
        QFETCH(int, stock);
        QFETCH(int, warning);
        QFETCH(QVariantMap, flags);
        QFETCH(bool, low);
        // The item is listed once and sold once, not yet sent.
        insert("Auction", {runningSale({{"AuctionId", "4001"}, {"ItemId", "TEAPOT"}}),
                           runningSale({{"AuctionId", "4002"}, {"ItemId", "TEAPOT"}, {"ActionId", 7}, {"CustomerId", "kim7"}})});
        add(ListingRecordsets::Sold, sold({{"listing_id", "4100"}, {"title", "Other"}, {"UpdateAuction", true}, {"UseStock", true}, {"ItemId", "MUG"}, {"Stock", 9}}));
        add(ListingRecordsets::Sold, with(sold(), with(flags, {{"ItemId", "TEAPOT"}, {"Stock", stock}, {"StockWarning", warning}})));
        QCOMPARE(UpdateSaver::LowStock(*sets[ListingRecordsets::Sold]), low);
    }

    // The session's save: the waits shown, the main list, the low-stock note once, closing.
    void sessionSave()
    {
        MainWindow main;
        ctx().gMainWindow = &main;
        insert("Item", {{{"ItemId", "TEAPOT"}, {"Description", "Blue teapot"}, {"UseStock", true}, {"Stock", 1}}});
        insert("Auction", {runningSale({{"AuctionId", "4001"}, {"ItemId", "TEAPOT"}})});
        RecordingUpdateView view;
        UpdateSession session(&view, nullptr);
        session.CreateListingRecordsets();
        std::swap(sets, session.mListings);
        add(ListingRecordsets::Sold, sold());
        std::swap(sets, session.mListings);
        for (int t = 0; t < 3; ++t) {
            session.mListType = t;
            session.CompareWithDatabase(*session.mListings[t]);
            session.GetItemCodes();
        }
        session.mUnsavedChanges = true;
        view.calls.clear();
        const QString lowStock = "One or more items that have just sold are currently out of stock or low on stock.  To view these items, "
                                 "print the 'Low stock report' on the reports menu.";
        messages().answer(vbmsg::OK, lowStock);
        QVERIFY(session.SaveUpdates(false));
        QCOMPARE(view.calls, (QStringList{"ShowWait Checking stock levels", "ShowWait Updating database", "ShowWait "}));
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(messages().prompts()[0].text, lowStock);
        QCOMPARE(messages().prompts()[0].style, int(vbmsg::Information));
        QCOMPARE(messages().prompts()[0].title, QString("Vendaro"));
        QCOMPARE(session.mNoteLowStock, 2);
        QCOMPARE(session.mUnsavedChanges, false);
        QCOMPARE(main.afresh, 1);
        QVERIFY(!session.mCompletionRows.contains("4101"));  // a running sale, not completed by the save

        view.calls.clear();
        session.mUnsavedChanges = true;
        QVERIFY(session.SaveUpdates(true));
        QCOMPARE(view.calls, (QStringList{"ShowWait Updating database", "ShowWait ", "Unload"}));
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(main.afresh, 2);
        QVERIFY(session.mCompletionRows.isEmpty());
    }

    // The session's save that fails: the window stays, the rows stay to save.
    void sessionSaveFails()
    {
        MainWindow main;
        ctx().gMainWindow = &main;
        RecordingUpdateView view;
        UpdateSession session(&view, nullptr);
        session.CreateListingRecordsets();
        std::swap(sets, session.mListings);
        add(ListingRecordsets::Current, current());
        compareAll();
        std::swap(sets, session.mListings);
        session.mUnsavedChanges = true;
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        messages().answer(vbmsg::OK, "The update could not be saved");
        QVERIFY(!session.SaveUpdates(true));
        QCOMPARE(view.calls, (QStringList{"ShowWait Checking stock levels", "ShowWait Updating database", "ShowWait "}));
        QCOMPARE(session.mUnsavedChanges, true);
        QCOMPARE(main.afresh, 0);
    }

    // The database ends the whole save inside one of its steps, as a full
    // disk does (a trigger raising ROLLBACK): the window's save stops there,
    // nothing of it is in the file (no sale, History row, buyer or stamp
    // written after the failure), the seller is told, and the rows stay to
    // save. Saved again once there is room, every sale is there once.
    void sessionSaveEndedByTheDatabase_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("when");
        QTest::addColumn<bool>("historyRow");  // OpenDB says a History row refused
        QTest::newRow("the task step of the second new sale")
            << "INSERT" << "History" << "NEW.AuctionId = '5102' AND NEW.Description = 'Auction ended successfully'" << true;
        QTest::newRow("the step's move of the second new sale")
            << "UPDATE" << "Auction" << "NEW.AuctionId = '5102' AND NEW.ActionId > 1" << false;
        QTest::newRow("the completion of a sale from before the system start")
            << "INSERT" << "History" << "NEW.Description = 'Completed'" << true;
        QTest::newRow("the buyer of the third new sale") << "INSERT" << "Customer" << "NEW.CustomerId = 'carol'" << false;
        QTest::newRow("the stamp") << "UPDATE" << "Configuration" << "" << false;
    }
    void sessionSaveEndedByTheDatabase()
    {
        QFETCH(QString, event);
        QFETCH(QString, tableName);
        QFETCH(QString, when);
        QFETCH(bool, historyRow);
        MainWindow main;
        ctx().gMainWindow = &main;
        RecordingUpdateView view;
        UpdateSession session(&view, nullptr);
        session.CreateListingRecordsets();
        std::swap(sets, session.mListings);
        add(ListingRecordsets::Current, current({{"listing_id", "4201"}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "5101"}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "5102"}, {"buyer_name", "bob"}, {"buyer_email", "bob@example.co.nz"}}));
        add(ListingRecordsets::Sold, sold({{"listing_id", "5103"}, {"buyer_name", "carol"}, {"buyer_email", "carol@example.co.nz"}}));
        add(ListingRecordsets::Sold,
            sold({{"listing_id", "5104"}, {"buyer_name", "dave"}, {"buyer_email", "dave@example.co.nz"}, {"sold_date", SoldAt - 35}}));
        add(ListingRecordsets::Unsold, unsold({{"listing_id", "6101"}}));
        compareAll();
        std::swap(sets, session.mListings);
        session.mUnsavedChanges = true;
        const QStringList before = snapshot();
        const int pendingLog = int(ctx().gDatabase->PendingLog().size());
        const QString full = DatabaseFixture::fullDiskOn(event, tableName, when);
        QVERIFY(!full.isEmpty());

        if (historyRow) messages().answer(vbmsg::OK, "An error occurred opening database.");
        messages().answer(vbmsg::OK, "The update could not be saved; the database is as it was and the listings are still to be saved.");
        QVERIFY(!session.SaveUpdates(true));
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(conn().transactionDepth(), 0);
        QCOMPARE(snapshot(), before);
        QCOMPARE(scalar("SELECT DateLastUpdate FROM Configuration").toDouble(), 0.0);
        QVERIFY(messages().verifyDone());
        const auto& told = messages().prompts();
        QVERIFY(!told.isEmpty());
        QVERIFY2(told.last().text.contains("could not be saved") && told.last().text.contains("disk full"), qPrintable(told.last().text));
        QCOMPARE(told.last().style, int(vbmsg::Critical));
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, 0.0);
        QCOMPARE(int(ctx().gDatabase->PendingLog().size()), pendingLog);
        QCOMPARE(session.mUnsavedChanges, true);
        QCOMPARE(main.afresh, 0);
        QVERIFY(!view.calls.contains("Unload"));

        // Room again: the same rows save, each sale once.
        QVERIFY(conn().Execute("DROP TRIGGER temp." + full));
        messages().clear();
        QVERIFY(session.SaveUpdates(true));
        QCOMPARE(table("SELECT AuctionId || ':' || coalesce(CustomerId, '') FROM Auction ORDER BY AuctionId"),
                 (QStringList{"4201:", "5101:sean1", "5102:bob", "5103:carol", "5104:dave", "6101:"}));
        QCOMPARE(table("SELECT AuctionId FROM History WHERE Description = 'Auction ended successfully' ORDER BY AuctionId"),
                 (QStringList{"5101", "5102", "5103", "5104"}));
        QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE Description LIKE '%(UNSOLD)'").toInt(), 1);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Customer").toInt(), 4);
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, Now);
        QCOMPARE(session.mUnsavedChanges, false);
    }

    void extraFeatures_data()
    {
        QTest::addColumn<QStringList>("values");  // Gallery, Bold, Featured, HomePage
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList{"no", "no", "no", "no"} << ",";
        QTest::newRow("empty") << QStringList{"", "", "", ""} << ",";
        QTest::newRow("gallery") << QStringList{"yes", "no", "no", "no"} << ",Gallery,";
        QTest::newRow("bold") << QStringList{"no", "yes", "no", "no"} << ",Bold title,";
        QTest::newRow("featured") << QStringList{"no", "no", "yes", "no"} << ",Feature,";
        QTest::newRow("home page") << QStringList{"no", "no", "no", "yes"} << ",Homepage featured,";
        QTest::newRow("gallery and bold") << QStringList{"yes", "yes", "no", "no"} << ",Gallery,Bold title,";
        QTest::newRow("featured and gallery") << QStringList{"yes", "no", "yes", "no"} << ",Feature,Gallery,";
        QTest::newRow("combo") << QStringList{"yes", "yes", "yes", "no"} << ",Feature combo,";
        QTest::newRow("combo and home page") << QStringList{"yes", "yes", "yes", "yes"} << ",Feature combo,Homepage featured,";
        QTest::newRow("Yes is not yes") << QStringList{"Yes", "YES", "yes ", "True"} << ",";
    }
    void extraFeatures()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(UpdateSaver::GetExtraFeatures(values[0], values[1], values[2], values[3]), expected);
        QCOMPARE(UpdateSession::GetExtraFeatures(values[0], values[1], values[2], values[3]), expected);
    }

    // One column of the sale changed, its old value added to the recipe.
    void setAuctionField_data()
    {
        QTest::addColumn<QString>("undo");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("newValue");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first pair, Null") << "" << "CustomerId" << QVariant("sean1") << "CustomerId=Null";
        QTest::newRow("appended") << "ActionId=1" << "StartPrice" << QVariant(2.0) << "ActionId=1,StartPrice=1";
        QTest::newRow("fraction") << "" << "MaxBidAmount" << QVariant(20.0) << "MaxBidAmount=12.5";
        QTest::newRow("date") << "" << "dateNextAction" << QVariant(serial(Today)) << QString("dateNextAction=%1").arg(vb::Int(Closes));
        QTest::newRow("text with commas") << "" << "Description" << QVariant("Teapot") << "Description=Blue,, big teapot";
        QTest::newRow("empty text") << "" << "TrackingNumber" << QVariant("X1") << "TrackingNumber=";
    }
    void setAuctionField()
    {
        QFETCH(QString, undo);
        QFETCH(QString, field);
        QFETCH(QVariant, newValue);
        QFETCH(QString, expected);
        insert("Auction", {runningSale({{"Description", "Blue, big teapot"}, {"TrackingNumber", ""}})});
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM Auction WHERE AuctionId='4101'", &conn(), Recordset::adOpenStatic, Recordset::adLockOptimistic));
        UpdateSaver::SetAuctionField(rs, field, newValue, undo);
        QCOMPARE(undo, expected);
        QCOMPARE(rs.value(field), newValue);
        QList<UndoRecipe::Pair> pairs;
        QVERIFY(UndoRecipe::Parse(undo, &pairs));
        QCOMPARE(pairs.last().Name, field);
    }

    // The time of the last update: kept in the database and the program.
    void dateLastUpdate()
    {
        QVERIFY(UpdateSaver::SetDateLastUpdate());
        QCOMPARE(scalar("SELECT DateLastUpdate FROM Configuration").toDouble(), Now);
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, Now);

        vb::setClock(QDateTime(Today, QTime(11, 0)));
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        messages().answer(vbmsg::OK, "The time of this update could not be recorded.");
        UpdateSession session(nullptr, nullptr);
        QVERIFY(!session.SetDateLastUpdate());
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Exclamation));
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, Now);
        reader.release();
        QCOMPARE(scalar("SELECT DateLastUpdate FROM Configuration").toDouble(), Now);
    }
};

VENDARO_TEST_MAIN(tst_syncsave)
#include "tst_syncsave.moc"
