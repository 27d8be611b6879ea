// The relist queue: which auctions are relisted and which stocked items are
// listed again (and how often), the exclusions, the seller's edits carried
// into a rebuilt queue, and the texts and warnings of each list row.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/RelistQueue.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tools/DemoData.h"

#include <optional>

namespace {
// Tuesday 14 April 2026, 10:30 in the morning.
const QDateTime Now(QDate(2026, 4, 14), QTime(10, 30));
const QString Widget = QStringLiteral("Blue widget");

struct Sale {
    QString id;
    QString item = QStringLiteral("W");
    QString title = Widget;
    int step = 1;
    double startedDaysAgo = 10;
    QVariant nextActionDaysAgo = 0;  // null: no next-action date
    QVariantMap fields;              // other columns
};
}  // namespace

class tst_relistqueue : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    Connection& conn() { return *ProgramContext::current().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void item(const QString& id, const QString& title, bool stocked, const QVariantMap& fields = {})
    {
        QStringList columns{"ItemId", "Description", "Stocked"};
        QVariantList values{id, title, stocked};
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            columns << it.key();
            values << it.value();
        }
        exec("INSERT INTO Item (" + columns.join(',') + ") VALUES (" + QStringList(values.size(), "?").join(',') + ")", values);
    }
    void sale(const Sale& s)
    {
        QStringList columns{"AuctionId", "ItemId", "Description", "ActionId", "dateStart", "dateNextAction"};
        const double today = vb::today();
        QVariantList values{s.id, s.item, s.title, s.step, today - s.startedDaysAgo + 0.4,
                            s.nextActionDaysAgo.isNull() ? QVariant() : QVariant(today - s.nextActionDaysAgo.toDouble())};
        for (auto it = s.fields.begin(); it != s.fields.end(); ++it) {
            columns << it.key();
            values << it.value();
        }
        exec("INSERT INTO Auction (" + columns.join(',') + ") VALUES (" + QStringList(values.size(), "?").join(',') + ")", values);
    }
    static QStringList queued(const RelistQueue& q)
    {
        QStringList out;
        for (int i = 1; i <= q.count(); ++i) {
            const RelistRecord& r = q.record(i);
            out << QStringLiteral("%1 %2 %3").arg(r.AuctionId, r.RelistAction).arg(r.RelistIndex);
        }
        return out;
    }
    static QStringList excluded(const RelistQueue& q)
    {
        QStringList out;
        for (const RelistExclusion& e : q.rstExclusions)
            out << QStringLiteral("%1|%2|%3|%4").arg(e.ItemId, e.Description).arg(e.CurrentListings).arg(e.Reason);
        return out;
    }

private slots:
    void init()
    {
        env.emplace();
        vb::setClock(Now);
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup()
    {
        vb::setClock(QDateTime());
        env.reset();
    }

    // A stocked item with room for three gets three copies of its newest
    // auction of the item's own title, numbered 3, 2, 1.
    void sellSimilarCopies()
    {
        item("W", Widget, true, {{"MaxListings", 3}});
        sale({.id = "100", .step = 9, .startedDaysAgo = 30, .fields = {{"StartPrice", 5}}});
        sale({.id = "101", .step = 9, .startedDaysAgo = 20, .fields = {{"StartPrice", 7}, {"DurationDays", 5}}});
        sale({.id = "102", .title = "Blue widget (old title)", .step = 9, .startedDaysAgo = 1});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"101 Sell similar 3", "101 Sell similar 2", "101 Sell similar 1"}));
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(q.record(i).StartPrice, 7.0);
            QCOMPARE(q.record(i).DurationDays, qint16(5));
            QCOMPARE(q.record(i).CurrentListings, qint16(0));
            QVERIFY(!q.record(i).Checked);
        }
        QVERIFY(q.rstExclusions.isEmpty());
        QVERIFY(env->messages().prompts().isEmpty());
    }

    // The template must have had its next action within 45 days.
    void templateAge_data()
    {
        QTest::addColumn<QVariant>("nextActionDaysAgo");
        QTest::addColumn<bool>("queued");
        QTest::newRow("45 days") << QVariant(45) << true;
        QTest::newRow("46 days") << QVariant(46) << false;
        QTest::newRow("no date") << QVariant() << false;
    }
    void templateAge()
    {
        QFETCH(QVariant, nextActionDaysAgo);
        QFETCH(bool, queued);
        item("W", Widget, true);
        sale({.id = "100", .step = 9, .nextActionDaysAgo = nextActionDaysAgo});
        if (!queued)
            env->messages().answer(vbmsg::OK, "Cannot relist item: W - Blue widget\r\n\r\nCould not find a current auction to use!  "
                                              "If this item (with this title) has never been listed before then you will need "
                                              "to manually list it on TradeMe first.");
        RelistQueue q;
        q.Build();
        QCOMPARE(q.count(), queued ? 1 : 0);
        QVERIFY(q.rstExclusions.isEmpty());
        QVERIFY(env->messages().verifyDone());
        if (!queued) QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Critical));
    }

    // Unsold auctions of unstocked items are relisted once due; the stocked
    // item's unsold auction is not relisted as such.
    void unstockedRelists()
    {
        item("M", "Misc thing", false);
        item("W", Widget, true, {{"MaxListings", 1}});
        sale({.id = "200", .item = "M", .title = "Misc thing", .step = 16, .nextActionDaysAgo = 0});
        sale({.id = "201", .item = "M", .title = "Misc thing", .step = 16, .nextActionDaysAgo = -1});  // due tomorrow
        sale({.id = "202", .item = "M", .title = "Misc thing", .step = 16, .nextActionDaysAgo = -0.5});  // due at noon today
        sale({.id = "203", .item = "M", .title = "Misc thing", .step = 15, .nextActionDaysAgo = 3});
        sale({.id = "204", .step = 16, .nextActionDaysAgo = 3});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"204 Sell similar 1", "200 Relist 1"}));

        // Chosen by itself, the auction due tomorrow is relisted at once.
        RelistQueue single;
        single.mRemoteAuctionId = "201";
        single.Build();
        QCOMPARE(queued(single), QStringList({"201 Relist 1"}));
        // An unstocked auction at another step is listed as similar.
        single.mRemoteAuctionId = "203";
        single.Build();
        QCOMPARE(queued(single), QStringList({"203 Sell similar 1"}));
        single.mRemoteAuctionId = "nope";
        single.Build();
        QCOMPARE(single.count(), 0);
    }

    // A stocked item's older auction, chosen by itself: the newest can be
    // used instead; No (or the newest chosen) lists the chosen one.
    void singleStocked_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("answer");  // 0: no question
        QTest::addColumn<QString>("expected");
        QTest::newRow("older, use newest") << "300" << int(vbmsg::Yes) << "301 Sell similar 1";
        QTest::newRow("older, keep it") << "300" << int(vbmsg::No) << "300 Sell similar 1";
        QTest::newRow("newest") << "301" << 0 << "301 Sell similar 1";
    }
    void singleStocked()
    {
        QFETCH(QString, chosen);
        QFETCH(int, answer);
        QFETCH(QString, expected);
        item("W", Widget, true, {{"MaxListings", 1}});
        // Limits and step do not matter here: one running listing already.
        sale({.id = "300", .step = 16, .startedDaysAgo = 20});
        sale({.id = "301", .step = 1, .startedDaysAgo = 2});
        if (answer)
            env->messages().answer(answer, "The auction you have selected is not the most recently added auction.  If you made "
                                           "changes after this auction was listed then they will not be included.\r\n\r\nDo you "
                                           "want to use the most recent auction as a template?");
        RelistQueue q;
        q.mRemoteAuctionId = chosen;
        q.Build();
        QCOMPARE(queued(q), QStringList{expected});
        QVERIFY(q.rstExclusions.isEmpty());
        QVERIFY(env->messages().verifyDone());
    }

    // An item at a limit is excluded with its count; forced in, it is queued
    // once and never excluded.
    void exclusionsAndForcing()
    {
        item("W", Widget, true, {{"MaxListings", 2}});
        item("S", "Sock", true, {{"UseStock", true}, {"Stock", 0}});
        item("D", "Day item", true, {{"EndDay", ",Mon,"}});  // a 7-day listing from Tuesday ends on a Tuesday
        sale({.id = "400", .step = 1, .startedDaysAgo = 1});
        sale({.id = "401", .step = 1, .startedDaysAgo = 2});
        sale({.id = "402", .item = "S", .title = "Sock", .step = 9, .fields = {{"DurationDays", 7}}});
        sale({.id = "403", .item = "D", .title = "Day item", .step = 9, .fields = {{"DurationDays", 7}}});
        RelistQueue q;
        q.Build();
        QCOMPARE(q.count(), 0);
        QCOMPARE(excluded(q), QStringList({"W|Blue widget|2|Maximum current listings reached", "S|Sock|0|NO STOCK ON HAND!",
                                           "D|Day item|0|Auction would not end on a day you selected"}));

        q.IgnoreExcluded() = "[W][D]";
        q.Build();
        QCOMPARE(queued(q), QStringList({"400 Sell similar 1", "403 Sell similar 1"}));
        QCOMPARE(excluded(q), QStringList({"S|Sock|0|NO STOCK ON HAND!"}));
        QCOMPARE(q.record(1).CurrentListings, qint16(2));
    }

    // Sales may spell their item's code in another case (a code retyped in
    // the item editor): the bulk build finds the template and counts them.
    void codeInAnotherCase()
    {
        item("W", Widget, true, {{"MaxListings", 3}});
        sale({.id = "450", .item = "w", .step = 9, .startedDaysAgo = 20});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"450 Sell similar 3", "450 Sell similar 2", "450 Sell similar 1"}));
        for (int i = 0; i < 3; ++i) sale({.id = QString::number(460 + i), .item = "w", .step = 1, .startedDaysAgo = 3.0 + i});
        q.Build();
        QCOMPARE(q.count(), 0);
        QCOMPARE(excluded(q), QStringList({"W|Blue widget|3|Maximum current listings reached"}));
        QVERIFY(env->messages().prompts().isEmpty());
    }

    // A relist row counts the running listings of its own title, not those
    // of the last stocked item judged.
    void relistCountsItsOwn()
    {
        item("W", Widget, true);
        item("M", "Misc thing", false);
        for (int i = 0; i < 3; ++i) sale({.id = QString::number(500 + i), .step = 1, .startedDaysAgo = 1.0 + i});
        sale({.id = "510", .item = "M", .title = "Misc thing", .step = 16});
        sale({.id = "511", .item = "M", .title = "Misc thing", .step = 1});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"500 Sell similar 1", "510 Relist 1"}));
        QCOMPARE(q.record(1).CurrentListings, qint16(3));
        QCOMPARE(q.record(2).CurrentListings, qint16(1));
        QCOMPARE(q.FillRow(2, vb::now()).texts.at(3), "1");
    }

    // A relist row's running listings are those of its title whatever the
    // case of any letter, as the limits count them; a plain title too.
    void relistCountsEveryCase()
    {
        item("M", "Misc thing", false);
        sale({.id = "510", .item = "M", .title = "Kākahu", .step = 16});
        sale({.id = "511", .item = "M", .title = "KĀKAHU", .step = 1});
        sale({.id = "512", .item = "M", .title = "kākahu", .step = 1});
        sale({.id = "513", .item = "M", .title = "Kakahu", .step = 1});
        sale({.id = "520", .item = "M", .title = "Flax kete", .step = 16});
        sale({.id = "521", .item = "M", .title = "FLAX KETE", .step = 1});
        sale({.id = "522", .item = "M", .title = "Flax kete%", .step = 1});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"510 Relist 1", "520 Relist 1"}));
        QCOMPARE(q.record(1).CurrentListings, qint16(2));
        QCOMPARE(q.record(2).CurrentListings, qint16(1));
    }

    // Codes and titles with quotes reach the database as values.
    void quotes()
    {
        const QString title = "Bob's \"best\" widget'; DROP TABLE Item; --";
        item("O'B", title, true);
        item("X'", "Tom's thing", false);
        sale({.id = "600", .item = "O'B", .title = title, .step = 9});
        sale({.id = "601", .item = "O'B", .title = title, .step = 9, .startedDaysAgo = 20});
        sale({.id = "602", .item = "X'", .title = "Tom's thing", .step = 16});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"600 Sell similar 1", "602 Relist 1"}));
        QCOMPARE(q.record(1).Title, title);
        env->messages().answer(vbmsg::No, "not the most recently added auction");
        q.mRemoteAuctionId = "601";
        q.Build();
        QCOMPARE(queued(q), QStringList({"601 Sell similar 1"}));
        QVERIFY(env->messages().verifyDone());
    }

    // The seller's edits: the last entry of a record's auction and copy wins,
    // another copy keeps its values, and a rebuild applies them again.
    void options()
    {
        item("W", Widget, true, {{"MaxListings", 2}});
        sale({.id = "700", .step = 9, .fields = {{"StartPrice", 5}, {"ExtraFeatures", ",Gallery,Homepage featured,"}}});
        RelistQueue q;
        q.Build();
        QCOMPARE(queued(q), QStringList({"700 Sell similar 2", "700 Sell similar 1"}));
        QVERIFY(!q.mOptionsEdited);
        QCOMPARE(q.record(1).ExtraFeatures, ",Gallery,Homepage feature,");

        q.mRelistOptionList.Add("700", "W", "First edit", 6, 0, QVariant(), true, 5, 0, ",", 1);
        q.mRelistOptionList.Add("700", "W", "Second edit", 8, 10, 20.0, false, 3, 0.75, ",Bold title,", 1);
        q.mRelistOptionList.Add("700", "W", "Other copy", 9, 0, QVariant(), true, 5, 0, ",", 2);
        q.mRelistOptionList.Add("799", "W", "Not queued", 9, 0, QVariant(), true, 5, 0, ",", 2);
        q.ApplyRelistOptions(2);
        QVERIFY(q.mOptionsEdited);
        const RelistRecord& copy1 = q.record(2);
        QCOMPARE(copy1.Title, "Second edit");
        QCOMPARE(copy1.StartPrice, 8.0);
        QCOMPARE(copy1.ReservePrice, 10.0);
        QCOMPARE(copy1.BuyNowPrice, QVariant(20.0));
        QVERIFY(!copy1.DurationFixed);
        QCOMPARE(copy1.DurationDays, qint16(3));
        QCOMPARE(copy1.DurationTime, 0.75);
        QCOMPARE(copy1.ExtraFeatures, ",Bold title,");
        QCOMPARE(q.record(1).Title, Widget);

        q.mOptionsEdited = false;
        q.Build();
        QVERIFY(q.mOptionsEdited);
        QCOMPARE(q.record(2).Title, "Second edit");
        QCOMPARE(q.record(1).Title, "Other copy");
    }

    // The texts of a row, its warning colour and the notices it raises.
    void rowTexts_data()
    {
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("cells");  // from "Start price" on
        QTest::addColumn<bool>("red");
        QTest::addColumn<QList<int>>("notices");  // unknown, no offer, ten days

        const QVariantMap complete{{"StartPrice", 5},       {"ReservePrice", 12.5},     {"BuyNowPrice", 40},
                                   {"MaxBidAmount", 11},    {"FixedPriceOffered", true}, {"DurationFixed", true},
                                   {"DurationDays", 7},     {"ExtraFeatures", ",Gallery,Bold title,"}};
        auto with = [&](std::initializer_list<std::pair<const char*, QVariant>> changes) {
            QVariantMap m = complete;
            for (const auto& [k, v] : changes) m.insert(k, v);
            return m;
        };
        QTest::newRow("complete") << complete << "Sell similar"
                                  << QStringList{"5", "12.5", "40", "11", "Fixed", "7", "Tue 21 Apr", "Gallery,Bold title,"} << false
                                  << QList<int>{0, 0, 0};
        QTest::newRow("not downloaded")
            << with({{"StartPrice", 0}, {"ReservePrice", QVariant()}, {"BuyNowPrice", QVariant()}, {"MaxBidAmount", 0},
                     {"DurationDays", 0}, {"ExtraFeatures", QVariant()}})
            << "Sell similar" << QStringList{"?", "?", "?", "", "Fixed", "?", "", "?"} << false << QList<int>{1, 0, 0};
        QTest::newRow("no buy now, no features") << with({{"BuyNowPrice", 0}, {"ExtraFeatures", ","}}) << "Sell similar"
                                                 << QStringList{"5", "12.5", "-", "11", "Fixed", "7", "Tue 21 Apr", "None"} << false
                                                 << QList<int>{0, 0, 0};
        QTest::newRow("relist without offer") << with({{"FixedPriceOffered", false}}) << "Relist"
                                              << QStringList{"5", "12.5", "40", "11", "Fixed", "7", "Tue 21 Apr", "Gallery,Bold title,"}
                                              << true << QList<int>{0, 1, 0};
        QTest::newRow("similar without offer") << with({{"FixedPriceOffered", false}}) << "Sell similar"
                                               << QStringList{"5", "12.5", "40", "11", "Fixed", "7", "Tue 21 Apr", "Gallery,Bold title,"}
                                               << false << QList<int>{0, 0, 0};
        // 10 days ending at 8:30 pm, later than 10:30 am: cut to 9 days.
        QTest::newRow("ten days, later end") << with({{"DurationFixed", false}, {"DurationDays", 10}, {"DurationTime", 0.8541666667}})
                                             << "Sell similar"
                                             << QStringList{"5", "12.5", "40", "11", "Scheduled", "9", "Thu 23 Apr 8:30 PM",
                                                            "Gallery,Bold title,"}
                                             << true << QList<int>{0, 0, 1};
        QTest::newRow("ten days, earlier end") << with({{"DurationFixed", false}, {"DurationDays", 10}, {"DurationTime", 0.25}})
                                               << "Sell similar"
                                               << QStringList{"5", "12.5", "40", "11", "Scheduled", "10", "Fri 24 Apr 6:00 AM",
                                                              "Gallery,Bold title,"}
                                               << false << QList<int>{0, 0, 0};
        // A fixed 10-day listing has no end time to keep: never cut.
        QTest::newRow("ten days fixed") << with({{"DurationDays", 10}, {"DurationTime", 0.9}}) << "Sell similar"
                                        << QStringList{"5", "12.5", "40", "11", "Fixed", "10", "Fri 24 Apr", "Gallery,Bold title,"}
                                        << false << QList<int>{0, 0, 0};
    }
    void rowTexts()
    {
        QFETCH(QVariantMap, fields);
        QFETCH(QString, action);
        QFETCH(QStringList, cells);
        QFETCH(bool, red);
        QFETCH(QList<int>, notices);
        const bool stocked = action == "Sell similar";
        item("W", Widget, stocked);
        sale({.id = "800", .step = stocked ? 9 : 16, .fields = fields});
        RelistQueue q;
        q.Build();
        QCOMPARE(q.count(), 1);
        QCOMPARE(q.record(1).RelistAction, action);
        const RelistQueue::Row row = q.FillRow(1, vb::now());
        QCOMPARE(row.texts.mid(0, 5), QStringList({"800", "W", Widget, "0", action}));
        QCOMPARE(row.texts.mid(5), cells);
        QCOMPARE(row.red, red);
        QCOMPARE(QList<int>({q.mUnknownNotice, q.mNoOfferNotice, q.mTenDayNotice}), notices);
        QCOMPARE(RelistQueue::Headers().size(), row.texts.size());
    }

    // The cut is made once: the record keeps 9 days and the row is not red
    // when drawn again; a told notice stays told.
    void tenDayCutOnce()
    {
        item("W", Widget, true);
        sale({.id = "900", .step = 9, .fields = {{"DurationFixed", false}, {"DurationDays", 10}, {"DurationTime", 0.9}}});
        RelistQueue q;
        q.Build();
        QVERIFY(q.FillRow(1, vb::now()).red);
        q.mTenDayNotice = 2;
        const RelistQueue::Row again = q.FillRow(1, vb::now());
        QVERIFY(!again.red);
        QCOMPARE(again.texts.at(10), "9");
        QCOMPARE(q.record(1).DurationDays, qint16(9));
        QCOMPARE(q.mTenDayNotice, 2);
    }

    void tickKeys()
    {
        RelistRecord a{.AuctionId = "123", .RelistIndex = 1};
        RelistRecord b{.AuctionId = "123", .RelistIndex = 2};
        QCOMPARE(RelistQueue::TickKey(a), "[123/1]");
        QVERIFY(RelistQueue::TickKey(a) != RelistQueue::TickKey(b));
    }

    // A database that has lost its sales table: each failed query is reported
    // and the queue stays empty.
    void failedQueries()
    {
        item("W", Widget, true);
        exec("ALTER TABLE Auction RENAME TO Gone");
        env->messages().answer(vbmsg::OK, "An error occurred opening database.");
        env->messages().answer(vbmsg::OK, "An error occurred opening database.");
        RelistQueue q;
        q.Build();
        QCOMPARE(q.count(), 0);
        QVERIFY(env->messages().verifyDone());
    }

    // Over a generated database the bulk build gives what judging each item
    // on its own gives.
    void bulkMatchesPerItem()
    {
        DemoDataOptions options;
        options.sales = 3000;
        options.items = 60;
        options.today = vb::today();
        QVERIFY(DemoData::Fill(conn(), options));
        // Every stocked item's template current and no stock warnings, so no
        // message interrupts.
        exec("UPDATE Auction SET dateNextAction=? WHERE dateNextAction<?", {vb::today() - 1, vb::today() - 1});
        exec("UPDATE Item SET StockWarning=0, EndDay=CASE WHEN rowid%2=0 THEN ',' ELSE EndDay END, MaxListings=MaxListings*(rowid%3)");
        RelistQueue bulk;
        bulk.Build();

        QMap<QString, int> expected, built;
        Recordset items;
        QVERIFY(ProgramContext::current().gDatabase->OpenDB("SELECT * FROM Item WHERE Stocked<>0", false, true, true, &items));
        RelistQueue single;
        ListingLimits limits;
        int excluded = 0;
        limits.AddExclusion = [&](const QString&, const QString&, const QString&) { ++excluded; };
        for (; !items.isEOF(); items.MoveNext()) {
            const ListingLimits::StockedItem it = ListingLimits::StockedItem::FromRecord(items);
            qint16 days = 0;
            single.Reset();
            if (!single.AddSellSimilar(it, 0, &days) || !limits.CountCurrentListings(it, days)) continue;
            if (const int n = limits.CheckListingLimits(it)) expected[it.ItemId] = n;
        }
        for (int i = 1; i <= bulk.count(); ++i)
            if (bulk.record(i).RelistAction == "Sell similar") ++built[bulk.record(i).ItemId];
        QVERIFY2(expected.size() >= 5 && excluded >= 5, qPrintable(QString("%1 queued, %2 excluded").arg(expected.size()).arg(excluded)));
        QCOMPARE(built, expected);
        QCOMPARE(int(bulk.rstExclusions.size()), excluded);
        QVERIFY(env->messages().prompts().isEmpty());
    }
};

QTEST_MAIN(tst_relistqueue)
#include "tst_relistqueue.moc"
