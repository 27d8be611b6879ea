// The listing limits of stocked items: the counts of running, new, unbid and
// unshipped listings, the end-weekday rule, the stock rule with its warning,
// the four limits and the number of listings they leave room for.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/ListingLimits.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
// Tuesday 14 April 2026, 10:30 in the morning.
const QDateTime Now(QDate(2026, 4, 14), QTime(10, 30));
const QString Title = QStringLiteral("Blue widget");

struct Limits {
    bool useStock = false;
    int stock = 0, warning = 0, maxListings = 0, minDaysApart = 0, perDay = 0, noBids = 0;
};
}  // namespace
Q_DECLARE_METATYPE(Limits)

class tst_listinglimits : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    Connection& conn() { return *ProgramContext::current().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    int nextId = 1000;
    // An auction of the item; started daysAgo days before today at 9 am.
    void auction(const QString& itemId, const QString& title, int step, const QVariant& daysAgo, bool hasBids = false)
    {
        const QVariant start = daysAgo.isNull() ? QVariant() : QVariant(vb::today() - daysAgo.toInt() + 0.375);
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, HasBids) VALUES (?, ?, ?, ?, ?, ?)",
             {QString::number(nextId++), itemId, title, step, start, hasBids});
    }
    void running(int daysAgo, bool hasBids = false) { auction("A", Title, 1, daysAgo, hasBids); }
    void sold(int n)
    {
        for (int i = 0; i < n; ++i) auction("A", Title, 5, 20);
    }
    ListingLimits::StockedItem item(const Limits& l, const QString& endDay = QStringLiteral(","))
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked, EndDay, UseStock, Stock, StockWarning, MaxListings, MinDaysApart, "
             "MaxListingsPerDay, MaxListingsNoBids) VALUES ('A', ?, 1, ?, ?, ?, ?, ?, ?, ?, ?)",
             {Title, endDay, l.useStock, l.stock, l.warning, l.maxListings, l.minDaysApart, l.perDay, l.noBids});
        // Read back as the queue reads its stocked items.
        Recordset rs;
        if (!ProgramContext::current().gDatabase->OpenDB("SELECT * FROM Item WHERE ItemId='A'", false, true, true, &rs) || rs.isEOF())
            return {};
        return ListingLimits::StockedItem::FromRecord(rs);
    }
    QStringList exclusions;
    void watch(ListingLimits& limits)
    {
        limits.AddExclusion = [this](const QString& id, const QString& description, const QString& reason) {
            exclusions << id + "|" + description + "|" + reason;
        };
    }

private slots:
    void init()
    {
        env.emplace();
        vb::setClock(Now);
        exclusions.clear();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup()
    {
        vb::setClock(QDateTime());
        env.reset();
    }

    // The counts take only the item's code and title; the running listings
    // are those at step 1, the unshipped sales those at steps 2-7, 10 and 11.
    void counts()
    {
        running(0, false);
        running(0, true);
        running(3, false);
        running(40, true);
        auction("A", Title, 1, QVariant(), false);  // no start date: runs, no days
        auction("A", "Red widget", 1, 0);            // another title
        auction("B", Title, 1, 0);                   // another item
        for (int step : {2, 7, 10, 11}) auction("A", Title, step, 10);
        for (int step : {8, 9, 12, 16}) auction("A", Title, step, 10);
        ListingLimits limits;
        watch(limits);
        limits.mFewestDaysSinceStart = 5;  // left over from another item
        QVERIFY(limits.CountCurrentListings(item({}), 7));
        QCOMPARE(limits.mCurrentListings, qint16(5));
        QCOMPARE(limits.mFewestDaysSinceStart, qint16(0));
        QCOMPARE(limits.mListedToday, qint16(2));
        QCOMPARE(limits.mListingsNoBids, qint16(3));
        QCOMPARE(limits.mSoldNotShipped, qint16(4));

        // The bulk read of every stocked item counts the same.
        QHash<QString, ListingLimits::Counts> all;
        QVERIFY(ListingLimits::LoadCounts(&all));
        QCOMPARE(all.keys(), QStringList{"A"});
        const ListingLimits::Counts a = all.value("A");
        QCOMPARE(QList<int>({a.Listings, a.FewestDaysSinceStart, a.ListedToday, a.NoBids, a.SoldNotShipped}),
                 QList<int>({5, 0, 2, 3, 4}));

        // The next item, without listings, starts from fresh counters.
        exec("DELETE FROM Auction");
        ListingLimits::StockedItem other;
        other.ItemId = "C";
        other.Description = "Nothing listed";
        QVERIFY(limits.CountCurrentListings(other, 7));
        QCOMPARE(limits.mCurrentListings, qint16(0));
        QCOMPARE(limits.mFewestDaysSinceStart, qint16(99));
        QCOMPARE(limits.mSoldNotShipped, qint16(0));
        QVERIFY(exclusions.isEmpty());
    }

    // The listings of an item's title, whatever the case of any letter
    // ("kākahu" and "KĀKAHU" are "Kākahu"); "%" and "_" in a title are
    // letters, not wildcards. The limit counts them all.
    void titlesFoldEveryLetter_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("same");
        QTest::addColumn<QStringList>("other");
        QTest::newRow("macrons") << "Kākahu" << QStringList{"kākahu", "KĀKAHU", "Kākahu"} << QStringList{"Kakahu", "Kākahu wool"};
        QTest::newRow("other letters") << "Zoë's Müller jug" << QStringList{"ZOË'S MÜLLER JUG", "zoë's müller jug"}
                                       << QStringList{"Zoe's Muller jug"};
        QTest::newRow("wildcards are letters") << "50% off_sale" << QStringList{"50% OFF_SALE"}
                                               << QStringList{"50x off sale", "50% off_sale!", "5% off_sale"};
        QTest::newRow("backslash") << "Path \\ tool" << QStringList{"PATH \\ TOOL"} << QStringList{"Path \\\\ tool"};
    }
    void titlesFoldEveryLetter()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, same);
        QFETCH(QStringList, other);
        exec("INSERT INTO Item (ItemId, Description, Stocked, MaxListings) VALUES ('A', ?, 1, ?)", {title, int(same.size())});
        for (const QString& t : same) auction("A", t, 1, 2);
        for (const QString& t : other) auction("A", t, 1, 2);
        for (const QString& t : same) auction("A", t, 5, 2);
        Recordset rs;
        QVERIFY(ProgramContext::current().gDatabase->OpenDB("SELECT * FROM Item WHERE ItemId='A'", false, true, true, &rs) && !rs.isEOF());
        const ListingLimits::StockedItem it = ListingLimits::StockedItem::FromRecord(rs);

        ListingLimits limits;
        watch(limits);
        QVERIFY(limits.CountCurrentListings(it, 7));
        QCOMPARE(limits.mCurrentListings, qint16(same.size()));
        QCOMPARE(limits.mSoldNotShipped, qint16(same.size()));
        QHash<QString, ListingLimits::Counts> all;
        QVERIFY(ListingLimits::LoadCounts(&all));
        QCOMPARE(all.value("A").Listings, qint16(same.size()));
        QCOMPARE(all.value("A").SoldNotShipped, qint16(same.size()));
        // As many running as the limit allows: no further listing.
        QCOMPARE(limits.CheckListingLimits(it), qint16(0));
        QCOMPARE(exclusions, QStringList{"A|" + title + "|Maximum current listings reached"});
        QCOMPARE(ProgramContext::current().gDatabase->GetCurrentListings("A", title), int(same.size()));
    }

    // Codes and titles are values of the query, never part of its text.
    void quotedTitle()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES (?, ?, 1)", {"O'B", "Bob's 'best' widget"});
        auction("O'B", "Bob's 'best' widget", 1, 2);
        auction("O'B", "Bob's 'best' widget", 3, 2);
        ListingLimits limits;
        ListingLimits::StockedItem it;
        it.ItemId = "O'B";
        it.Description = "Bob's 'best' widget";
        QVERIFY(limits.CountCurrentListings(it, 7));
        QCOMPARE(limits.mCurrentListings, qint16(1));
        QCOMPARE(limits.mFewestDaysSinceStart, qint16(2));
        QCOMPARE(limits.mSoldNotShipped, qint16(1));
        QVERIFY(env->messages().prompts().isEmpty());
    }

    void limits_data()
    {
        QTest::addColumn<Limits>("limits");
        QTest::addColumn<QList<int>>("runningDaysAgo");  // negative: days ago, with bids
        QTest::addColumn<int>("soldNotShipped");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("warned");

        QTest::newRow("no limits") << Limits{} << QList<int>{0, 0, 0} << 0 << 1 << "" << false;
        QTest::newRow("at max listings") << Limits{.maxListings = 3} << QList<int>{1, 2, 3} << 0 << 0
                                         << "Maximum current listings reached" << false;
        QTest::newRow("one below max listings") << Limits{.maxListings = 3} << QList<int>{1, 2} << 0 << 1 << "" << false;
        QTest::newRow("days apart reached") << Limits{.minDaysApart = 2} << QList<int>{2, 5} << 0 << 1 << "" << false;
        QTest::newRow("days apart not reached") << Limits{.minDaysApart = 2} << QList<int>{1, 5} << 0 << 0
                                                << "Minimum days between auctions not reached" << false;
        QTest::newRow("no listing, 99 days apart") << Limits{.minDaysApart = 99} << QList<int>{} << 0 << 1 << "" << false;
        QTest::newRow("no listing, 100 days apart") << Limits{.minDaysApart = 100} << QList<int>{} << 0 << 0
                                                    << "Minimum days between auctions not reached" << false;
        QTest::newRow("per day reached") << Limits{.perDay = 2} << QList<int>{0, 0, 1} << 0 << 0 << "Maximum auctions per day reached"
                                         << false;
        QTest::newRow("no bids reached") << Limits{.noBids = 2} << QList<int>{1, 2, -3} << 0 << 0
                                         << "Maximum auctions with no bids reached" << false;
        QTest::newRow("first failing limit decides") << Limits{.maxListings = 2, .perDay = 1} << QList<int>{0, 0} << 0 << 0
                                                     << "Maximum current listings reached" << false;
        QTest::newRow("stock taken by listings") << Limits{.useStock = true, .stock = 5} << QList<int>{1, 2, 3} << 2 << 0
                                                 << "Stock unavailable considering current auctions listed" << false;
        QTest::newRow("no stock on hand") << Limits{.useStock = true, .stock = 2} << QList<int>{} << 2 << 0 << "NO STOCK ON HAND!"
                                          << false;
        QTest::newRow("stock ignored when not used") << Limits{.stock = 0} << QList<int>{1} << 3 << 1 << "" << false;
        QTest::newRow("low stock warns and goes on") << Limits{.useStock = true, .stock = 3, .warning = 2} << QList<int>{4} << 1 << 1
                                                     << "" << true;
        QTest::newRow("low stock warns, then a limit excludes")
            << Limits{.useStock = true, .stock = 3, .warning = 2, .maxListings = 1} << QList<int>{4} << 1 << 0
            << "Maximum current listings reached" << true;
        QTest::newRow("no warning level, no warning") << Limits{.useStock = true, .stock = 1} << QList<int>{} << 0 << 1 << "" << false;
        QTest::newRow("enough stock, no warning") << Limits{.useStock = true, .stock = 9, .warning = 2} << QList<int>{} << 0 << 1 << ""
                                                  << false;
        QTest::newRow("smallest room") << Limits{.maxListings = 5, .perDay = 2} << QList<int>{3, 4} << 0 << 2 << "" << false;
        QTest::newRow("room without bids") << Limits{.noBids = 4} << QList<int>{1, -2} << 0 << 3 << "" << false;
        QTest::newRow("days apart alone gives one") << Limits{.minDaysApart = 1} << QList<int>{3} << 0 << 1 << "" << false;
        QTest::newRow("stock does not cap the number") << Limits{.useStock = true, .stock = 1, .noBids = 3} << QList<int>{} << 0 << 3
                                                       << "" << false;
    }
    void limits()
    {
        QFETCH(Limits, limits);
        QFETCH(QList<int>, runningDaysAgo);
        QFETCH(int, soldNotShipped);
        QFETCH(int, expected);
        QFETCH(QString, reason);
        QFETCH(bool, warned);

        for (int d : runningDaysAgo) running(std::abs(d), d < 0);
        sold(soldNotShipped);
        const ListingLimits::StockedItem it = item(limits);
        if (warned) env->messages().answer(vbmsg::OK, "LOW STOCK WARNING!");
        ListingLimits rules;
        watch(rules);
        QVERIFY(rules.CountCurrentListings(it, 7));
        QCOMPARE(int(rules.CheckListingLimits(it)), expected);
        QCOMPARE(exclusions, reason.isEmpty() ? QStringList() : QStringList{"A|" + Title + "|" + reason});
        QVERIFY(env->messages().verifyDone());
        if (warned) QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Information));
    }

    void lowStockText()
    {
        running(1);
        sold(1);
        const ListingLimits::StockedItem it = item({.useStock = true, .stock = 3, .warning = 2});
        env->messages().answer(vbmsg::OK);
        ListingLimits rules;
        QVERIFY(rules.CountCurrentListings(it, 7));
        QCOMPARE(rules.CheckListingLimits(it), qint16(1));
        QCOMPARE(env->messages().prompts().size(), 1);
        QCOMPARE(env->messages().prompts().first().title, ProgramContext::current().gAppTitle);
        QCOMPARE(env->messages().prompts().first().text,
                 "LOW STOCK WARNING!" + CrLf + CrLf + "Item: A" + CrLf + Title + CrLf + CrLf + "3 Stock on hand" + CrLf +
                     "1 Current listings" + CrLf + "1 Sold (but not yet shipped)" + CrLf + CrLf + "1 STOCK REMAINING");
    }

    // The new listing ends today + the template's days: on an allowed weekday
    // or not listed at all.
    void weekday_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("endDay");
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("passes");
        const QDate monday(2026, 4, 13), tuesday(2026, 4, 14);
        QTest::newRow("Monday only, from a Monday") << monday << ",Mon," << 7 << true;
        QTest::newRow("Monday only, from a Tuesday") << tuesday << ",Mon," << 7 << false;
        QTest::newRow("Monday only, 6 days from Tuesday") << tuesday << ",Mon," << 6 << true;
        QTest::newRow("weekend, ends on a Sunday") << tuesday << ",Sat,Sun," << 5 << true;
        QTest::newRow("no day chosen") << tuesday << "," << 7 << true;
        QTest::newRow("empty") << tuesday << "" << 7 << true;
        QTest::newRow("no duration") << tuesday << ",Mon," << 0 << true;
    }
    void weekday()
    {
        QFETCH(QDate, today);
        QFETCH(QString, endDay);
        QFETCH(int, days);
        QFETCH(bool, passes);
        vb::setClock(QDateTime(today, QTime(23, 50)));
        const ListingLimits::StockedItem it = item({}, endDay);
        ListingLimits rules;
        watch(rules);
        QCOMPARE(rules.CountCurrentListings(it, days), passes);
        QCOMPARE(exclusions, passes ? QStringList() : QStringList{"A|" + Title + "|Auction would not end on a day you selected"});

        // Forced back in, the item passes whatever its end day.
        exclusions.clear();
        rules.IgnoreExcluded = "[X][A]";
        QVERIFY(rules.CountCurrentListings(it, days));
        QVERIFY(exclusions.isEmpty());
    }

    // A forced item gets one listing, no exclusion and no warning, whatever
    // its stock and limits; only its own bracketed code forces it.
    void forced_data()
    {
        QTest::addColumn<QString>("ignoreExcluded");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("excluded");
        QTest::newRow("forced") << "[B][A]" << 1 << false;
        QTest::newRow("another code containing it") << "[AB][a]" << 0 << true;
        QTest::newRow("none") << "" << 0 << true;
    }
    void forced()
    {
        QFETCH(QString, ignoreExcluded);
        QFETCH(int, expected);
        QFETCH(bool, excluded);
        running(0);
        running(1);
        const ListingLimits::StockedItem it = item({.useStock = true, .stock = 3, .warning = 5, .maxListings = 2});
        if (excluded) env->messages().answer(vbmsg::OK, "LOW STOCK WARNING!");
        ListingLimits rules;
        watch(rules);
        rules.IgnoreExcluded = ignoreExcluded;
        QVERIFY(rules.CountCurrentListings(it, 7));
        QCOMPARE(int(rules.CheckListingLimits(it)), expected);
        QCOMPARE(exclusions.size(), excluded ? 1 : 0);
        QVERIFY(env->messages().verifyDone());
    }
};

VENDARO_TEST_MAIN(tst_listinglimits)
#include "tst_listinglimits.moc"
