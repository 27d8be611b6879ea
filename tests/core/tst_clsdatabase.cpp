#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <optional>

namespace {
const QString buyerName = QStringLiteral("like=Auction.CustomerId,CustomerId,Name,SELECT CustomerId,Name FROM Customer");
const QString itemDescription = QStringLiteral("like=Auction.ItemId,ItemId,Description,SELECT ItemId,Description FROM Item");
const QString auctionTitle = QStringLiteral("like=Auction.Description,Description,Description,SELECT Description FROM Auction");
}  // namespace

class tst_clsdatabase : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    clsDatabase& db() { return *ctx().gDatabase; }
    Connection& conn() { return *ctx().gConnection; }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void addBuyer(const QString& id, const QString& name) { exec("INSERT INTO Customer (CustomerId, Name) VALUES (?, ?)", {id, name}); }
    void addSale(const QString& id, const QString& item, const QString& title, int step, const QString& buyer = QString())
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, CustomerId) VALUES (?, ?, ?, ?, ?)",
             {id, item, title, step, buyer.isEmpty() ? QVariant() : QVariant(buyer)});
    }
    // How many sales a search condition selects, as the main list would use it.
    int salesMatching(const SqlCondition& condition)
    {
        Recordset rs;
        if (!db().OpenDB("SELECT COUNT(*) FROM Auction WHERE " + condition.text + "1=1", condition.binds, false, true, true, &rs)) return -1;
        return rs.value(0).toInt();
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void openDBReportsErrorsWhenAsked()
    {
        QVERIFY(!db().OpenDB("SELECT Nonsense FROM Nowhere", false, true, false));
        env->messages().answer(vbmsg::OK);
        QVERIFY(!db().OpenDB("SELECT Nonsense FROM Nowhere", false, true, true));
        const auto& p = env->messages().prompts().at(0);
        QCOMPARE(p.style, int(vbmsg::Critical));
        QCOMPARE(p.title, ctx().gAppTitle);
        QVERIFY(p.text.startsWith("An error occurred opening database.\r\n\r\nSQLQuery = SELECT Nonsense FROM Nowhere\r\nError = "));
        QVERIFY(p.text.contains("Nowhere"));
    }

    void openDBUsesTheSharedRecordSetByDefault()
    {
        QVERIFY(db().OpenDB("SELECT * FROM [Action] ORDER BY ActionId", true, true, true));
        QCOMPARE(ctx().gRecordset->RecordCount(), 18);
        QCOMPARE(ctx().gRecordset->value("description").toString(), QStringLiteral("Auction ends"));
        // A statement without rows runs and leaves the record set closed.
        QVERIFY(db().OpenDB("UPDATE Item SET Stock=5 WHERE ItemId=?", {"MISC"}, false, false, true));
        QVERIFY(!ctx().gRecordset->IsOpen());
        QCOMPARE(conn().Scalar("SELECT Stock FROM Item WHERE ItemId='MISC'").toInt(), 5);
    }

    void getLikeExactMatchWins()
    {
        addBuyer("b1", "Smithers");
        addBuyer("b2", "Smith");
        addBuyer("b3", "Jones-Smith");
        QCOMPARE(db().GetLike(buyerName, "smith"), (SqlCondition{"(Auction.CustomerId = ?) AND ", {"b2"}}));
    }

    void getLikeGathersContainsMatches()
    {
        addBuyer("b1", "Smithers");
        addBuyer("b2", "Jones-Smith");
        addBuyer("b3", "Brown");
        addSale("1", "MISC", "a", 2, "b1");
        addSale("2", "MISC", "b", 2, "b2");
        addSale("3", "MISC", "c", 2, "b3");
        const SqlCondition condition = db().GetLike(buyerName, "SMITH");
        QCOMPARE(condition, (SqlCondition{" (Auction.CustomerId = ? OR Auction.CustomerId = ?) AND ", {"b1", "b2"}}));
        QCOMPARE(salesMatching(condition), 2);
    }

    void getLikeStopsAfter101Terms()
    {
        QVERIFY(conn().Execute("BEGIN"));
        for (int i = 0; i < 150; ++i) addBuyer(QStringLiteral("b%1").arg(i), QStringLiteral("Ann Smith %1").arg(i));
        QVERIFY(conn().Execute("COMMIT"));
        const SqlCondition condition = db().GetLike(buyerName, "smith");
        QCOMPARE(condition.text.count(" OR ") + 1, 101);
        QCOMPARE(condition.binds.size(), 101);
        QVERIFY(condition.text.startsWith(" (") && condition.text.endsWith(") AND "));
    }

    // What the user types is a value, never SQL: quotes, column names and
    // wildcard characters find exactly what they say.
    void getLikeTakesTypedTextLiterally_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("sales");
        QTest::newRow("apostrophe, exact") << buyerName << "Sean O'Brien" << 1;
        QTest::newRow("apostrophe, contains") << buyerName << "o'bri" << 1;
        QTest::newRow("double quote") << auctionTitle << "\"Superhero\"" << 1;
        QTest::newRow("a column's name") << buyerName << "Name" << 0;
        QTest::newRow("the searched column's name") << buyerName << "CustomerId" << 0;
        QTest::newRow("percent matches itself") << itemDescription << "100%" << 1;
        QTest::newRow("underscore matches itself") << auctionTitle << "radio_" << 1;
        QTest::newRow("no match") << buyerName << "Nobody" << 0;
        QTest::newRow("backslash") << auctionTitle << "\\" << 0;
    }
    void getLikeTakesTypedTextLiterally()
    {
        QFETCH(QString, tag);
        QFETCH(QString, typed);
        QFETCH(int, sales);
        addBuyer("sean", "Sean O'Brien");
        addBuyer("ann", "Ann Smith");
        exec("INSERT INTO Item (ItemId, Description) VALUES ('WOOL', '100% wool blanket'), ('NAILS', '1000 nails')");
        addSale("1", "WOOL", "Kids' \"Superhero\" cape", 2, "sean");
        addSale("2", "NAILS", "Vintage radio_set", 2, "ann");
        addSale("3", "NAILS", "Vintage radios", 2, "ann");
        const SqlCondition condition = db().GetLike(tag, typed);
        QCOMPARE(salesMatching(condition), sales);
        if (sales == 0) QCOMPARE(condition, SqlCondition{clsDatabase::MatchNothing()});
    }

    // Every letter's case folds, as the seller types names and titles with
    // macrons and umlauts in either case.
    void getLikeFoldsEveryLetter_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariantList>("keys");
        QTest::newRow("part of a name, upper case") << buyerName << QString::fromUtf8("MÜLLER") << QVariantList{"zoe"};
        QTest::newRow("whole name, lower case") << buyerName << QString::fromUtf8("āpirana ngata") << QVariantList{"api"};
        QTest::newRow("part of a title") << auctionTitle << QString::fromUtf8("ÄPFEL") << QVariantList{QString::fromUtf8("Äpfel crate")};
        QTest::newRow("another letter") << buyerName << QString::fromUtf8("Zoe") << QVariantList{};
    }
    void getLikeFoldsEveryLetter()
    {
        QFETCH(QString, tag);
        QFETCH(QString, typed);
        QFETCH(QVariantList, keys);
        addBuyer("zoe", QString::fromUtf8("Zoë Müller"));
        addBuyer("api", QString::fromUtf8("Āpirana Ngata"));
        addSale("1", "MISC", QString::fromUtf8("Äpfel crate"), 2, "zoe");
        addSale("2", "MISC", "Pear crate", 2, "api");
        const SqlCondition condition = db().GetLike(tag, typed);
        QCOMPARE(condition.binds, keys);
        QCOMPARE(salesMatching(condition), int(keys.size()));
    }

    // The exact match wins even where more than a hundred others hold the text.
    void getLikeFindsTheExactMatchBeyondAscii()
    {
        QVERIFY(conn().Execute("BEGIN"));
        for (int i = 0; i < 150; ++i) addBuyer(QStringLiteral("b%1").arg(i), QString::fromUtf8("Āpirana %1").arg(i));
        addBuyer("exact", QString::fromUtf8("Āpirana"));
        QVERIFY(conn().Execute("COMMIT"));
        QCOMPARE(db().GetLike(buyerName, QString::fromUtf8("āPIRANA")), (SqlCondition{"(Auction.CustomerId = ?) AND ", {"exact"}}));
    }

    // A key is a value: one holding a NUL or a quote is bound as it is.
    void getLikeBindsTheKeys()
    {
        const QString nul = QStringLiteral("nul\0key"), quote = QStringLiteral("o'neill");
        addBuyer(nul, "Nora Null");
        addBuyer(quote, "Nora O'Neill");
        addSale("1", "MISC", "a", 2, nul);
        addSale("2", "MISC", "b", 2, quote);
        const SqlCondition condition = db().GetLike(buyerName, "nora");
        QCOMPARE(condition.binds, (QVariantList{nul, quote}));
        QVERIFY2(!condition.text.contains("nul") && !condition.text.contains("neill"), qPrintable(condition.text));
        QCOMPARE(salesMatching(condition), 2);
    }

    void getLikeRefusesAMalformedTag()
    {
        env->messages().answer(vbmsg::OK, "Invalid TAG in search fields.");
        QCOMPARE(db().GetLike("like=Auction.CustomerId,CustomerId", "smith"), SqlCondition{clsDatabase::MatchNothing()});
        const auto& p = env->messages().prompts().at(0);
        QCOMPARE(p.style, int(vbmsg::Critical));
        QVERIFY(p.text.contains("\r\n\r\nAuction.CustomerId,CustomerId\r\n\r\nError = "));
    }

    void getLikeWithAFailingLookupMatchesNothing()
    {
        // The exact lookup runs first and reports nothing.
        QCOMPARE(db().GetLike("like=Auction.CustomerId,CustomerId,Nope,SELECT CustomerId FROM Nowhere", "x"), SqlCondition{clsDatabase::MatchNothing()});
    }

    void listingCountsOfAnItem()
    {
        const QString title = "Men's shirt";
        exec("INSERT INTO Item (ItemId, Description) VALUES ('SHIRT', ?)", {title});
        int n = 0;
        for (int step : {1, 1, 2, 3, 7, 8, 10, 11, 12, 15, 16}) addSale(QString::number(++n), "SHIRT", title, step);
        addSale("x1", "SHIRT", "MEN'S SHIRT", 1);   // titles compare ignoring case
        addSale("x2", "SHIRT", "Men's shirts", 1);  // another title
        addSale("x3", "MISC", title, 1);            // another item
        QCOMPARE(db().GetCurrentListings("SHIRT", title), 3);
        QCOMPARE(db().GetSoldNotShippedListings("SHIRT", title), 5);  // 2, 3, 7, 10, 11
        QCOMPARE(db().GetCurrentListings("SHIRT", "no such title"), 0);
        QCOMPARE(db().GetCurrentListings("O'Neill", "it's \"quoted\" 100%"), 0);
    }

    void newSaleGetsItsDefaults()
    {
        Recordset rs;
        QVERIFY(db().OpenDB("SELECT * FROM Auction WHERE AuctionId=''", false, false, true, &rs));
        QVERIFY(rs.AddNew());
        const double before = vb::now();
        db().InitialiseAuctionTable(rs);
        rs.setValue("AuctionId", "P1001");
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        rs.Close();

        QVERIFY(db().OpenDB("SELECT * FROM Auction WHERE AuctionId='P1001'", false, true, true, &rs));
        for (const char* nullColumn : {"AuctionType", "ItemId", "Description", "CustomerId", "BuyNowPrice", "PayId", "datePaid",
                                       "dateSent", "DateEnded", "Notes", "DeliveryAddress", "ExtraFeatures"})
            QVERIFY2(rs.isNull(nullColumn), nullColumn);
        for (const char* zero : {"Winningbid", "Shipping", "StartPrice", "ReservePrice", "MaxBidAmount", "NonAuction", "Bold",
                                 "Highlight", "FixedPriceOffered", "HasBids", "DurationDays", "DurationTime"})
            QVERIFY2(!rs.isNull(zero) && rs.value(zero).toDouble() == 0, zero);
        QCOMPARE(rs.value("ActionId").toInt(), 1);
        QCOMPARE(rs.value("DurationFixed").toInt(), 1);
        QVERIFY(!rs.isNull("TrackingNumber"));
        QCOMPARE(rs.text("TrackingNumber"), QString());
        QCOMPARE(rs.value("dateNextAction").toDouble(), vb::today());
        QVERIFY(rs.value("dateStart").toDouble() >= before - 1e-6 && rs.value("dateStart").toDouble() <= vb::now() + 1e-6);
    }

    // A value many rows share counts once, so other matches still get a term.
    void getLikeCountsEachKeyOnce()
    {
        QVERIFY(conn().Execute("BEGIN"));
        for (int i = 0; i < 150; ++i) addSale(QStringLiteral("b%1").arg(i), "MISC", "Blue widget", 2);
        addSale("r1", "MISC", "Red widget", 2);
        QVERIFY(conn().Execute("COMMIT"));
        const SqlCondition condition = db().GetLike(auctionTitle, "widget");
        QCOMPARE(condition.text.count(" OR ") + 1, 2);
        QCOMPARE(salesMatching(condition), 151);
    }
};

VENDARO_TEST_MAIN(tst_clsdatabase)
#include "tst_clsdatabase.moc"
