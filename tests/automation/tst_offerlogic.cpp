// The fixed-price offers without a window: the auctions selected and their
// cells, the stock warnings, the recipients taken from the site's page and
// the filled offer page, the refusals, and what an offer writes.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/OfferCandidates.h"
#include "automation/OfferCells.h"
#include "automation/OfferPage.h"
#include "automation/OfferRecorder.h"
#include "automation/StockCheck.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
// Tuesday 14 April 2026, 10:30 in the morning.
const QDateTime Now(QDate(2026, 4, 14), QTime(10, 30));
}  // namespace

class tst_offerlogic : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void item(const QString& id, bool stocked, bool useStock = false, int stock = 0, int warning = 0)
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked, UseStock, Stock, StockWarning) VALUES (?, ?, ?, ?, ?, ?)",
             {id, "Item " + id, stocked, useStock, stock, warning});
    }
    void auction(const QString& id, const QString& itemId, double ended, const QVariant& buyer = {}, int step = 16,
                 const QString& title = QString())
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateEnded, CustomerId, StartPrice, dateNextAction) "
             "VALUES (?, ?, ?, ?, ?, ?, 20, ?)",
             {id, itemId, title.isEmpty() ? "Title " + id : title, step, ended, buyer, vb::today() - 2});
    }
    QStringList listed(bool unsold, bool sold)
    {
        QList<OfferCandidates::Row> rows;
        if (!OfferCandidates::Load(unsold, sold, &rows)) return {"<failed>"};
        QStringList ids;
        for (const auto& r : rows) ids << r.AuctionId;
        return ids;
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

    // Which auctions each pair of settings lists: unsold ones of any item,
    // sold ones only of stocked items; newest first.
    void selection_data()
    {
        QTest::addColumn<bool>("unsold");
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("unsold only") << true << false << QStringList{"4", "2"};
        QTest::newRow("both") << true << true << QStringList{"4", "3", "2"};
        QTest::newRow("sold only") << false << true << QStringList{"3"};
        QTest::newRow("neither") << false << false << QStringList{};
    }
    void selection()
    {
        QFETCH(bool, unsold);
        QFETCH(bool, sold);
        QFETCH(QStringList, expected);
        item("STOCKED", true);
        item("PLAIN", false);
        const double t = vb::today();
        auction("1", "PLAIN", t - 1, "kiri");     // sold, item not stocked
        auction("2", "PLAIN", t - 3);             // unsold
        auction("3", "STOCKED", t - 2, "hemi");   // sold, stocked
        auction("4", "STOCKED", t - 0.5, "");     // no buyer written as empty: unsold
        auction("5", "GHOST", t - 1);             // no Item row
        QCOMPARE(listed(unsold, sold), expected);
    }

    // The 45-day edge by the program's clock, the running task, an offer made, no end date.
    void whatIsLeftOut()
    {
        item("PLAIN", false);
        const double edge = vb::today() - 45;
        auction("edge", "PLAIN", edge);
        auction("later", "PLAIN", edge + 1.0 / 86400);
        auction("running", "PLAIN", vb::today() - 1, {}, 1);
        auction("offered", "PLAIN", vb::today() - 1);
        exec("UPDATE Auction SET FixedPriceOffered=1 WHERE AuctionId='offered'");
        exec("INSERT INTO Auction (AuctionId, ItemId, ActionId) VALUES ('noend', 'PLAIN', 16)");
        auction("new", "PLAIN", vb::today() - 0.1);
        QCOMPARE(listed(true, true), (QStringList{"new", "later"}));
    }

    void cells_data()
    {
        QTest::addColumn<double>("winning");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("reserve");
        QTest::addColumn<double>("topBid");
        QTest::addColumn<QString>("buyer");
        QTest::addColumn<QStringList>("expected");  // Sold/Unsold .. Days valid for
        QTest::newRow("bid above start") << 30.0 << 20.0 << 25.0 << 30.0 << "kiri"
                                         << QStringList{"Sold", "$20.00", "$25.00", "$30.00", "", "$30.00", "7"};
        QTest::newRow("start price") << 0.0 << 20.0 << 0.0 << 0.0 << ""
                                     << QStringList{"UnSold", "$20.00", "", "No bids", "", "$20.00", "7"};
        QTest::newRow("no price at all") << 0.0 << 0.0 << 0.0 << 12.5 << ""
                                         << QStringList{"UnSold", "", "", "$12.50", "", "", ""};
    }
    void cells()
    {
        QFETCH(double, winning);
        QFETCH(double, start);
        QFETCH(double, reserve);
        QFETCH(double, topBid);
        QFETCH(QString, buyer);
        QFETCH(QStringList, expected);
        OfferCandidates::Row r;
        r.AuctionId = "123A";
        r.ItemId = "MISC";
        r.Description = "Kauri bowl";
        r.CustomerId = buyer;
        r.DateEnded = vb::toOleDate(QDateTime(QDate(2026, 4, 2), QTime(19, 5)));
        r.WinningBid = winning;
        r.StartPrice = start;
        r.ReservePrice = reserve;
        r.MaxBidAmount = topBid;
        const QStringList cells = OfferCandidates::Cells(r, 7);
        QCOMPARE(cells.size(), 11);
        QCOMPARE(cells.mid(0, 4), (QStringList{"123A", "MISC", "Kauri bowl", "2/04/2026 7:05:00 PM"}));
        QCOMPARE(cells.mid(4), expected);
    }

    // Reading the offer cells back, and the price as the site and History take it.
    void offerNumbers_data()
    {
        QTest::addColumn<QString>("priceCell");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("plain");
        QTest::newRow("whole") << "$25.00" << 25.0 << "25";
        QTest::newRow("half") << "$12.50" << 12.5 << "12.5";
        QTest::newRow("empty") << "" << 0.0 << "0";
        QTest::newRow("large") << "$1234567.89" << 1234567.89 << "1234567.89";
    }
    void offerNumbers()
    {
        QFETCH(QString, priceCell);
        QFETCH(double, price);
        QFETCH(QString, plain);
        QCOMPARE(OfferCells::ReadPrice(priceCell), price);
        QCOMPARE(OfferCells::Plain(price), plain);
        QCOMPARE(OfferCells::ReadDays(""), 0);
        QCOMPARE(OfferCells::ReadDays("7"), 7);
    }

    void infoText_data()
    {
        QTest::addColumn<QString>("sold");
        QTest::addColumn<QString>("topBid");
        QTest::addColumn<QString>("reserve");
        QTest::addColumn<QString>("expected");
        const QString prompt = CrLf + "Enter your fixed price offer for this auction";
        QTest::newRow("unsold, no bids") << "UnSold" << "No bids" << "" << "This item did not sell, no bids were placed" + CrLf + prompt;
        QTest::newRow("sold, no bids") << "Sold" << "No bids" << "" << "This item SOLD for No bids" + CrLf + prompt;
        QTest::newRow("top bid and reserve") << "UnSold" << "$18.00" << "$40.00"
                                             << "This item did not sell, the top bid was $18.00" + CrLf + "Reserve was $40.00" + CrLf + prompt;
    }
    void infoText()
    {
        QFETCH(QString, sold);
        QFETCH(QString, topBid);
        QFETCH(QString, reserve);
        QFETCH(QString, expected);
        QCOMPARE(OfferCells::InfoText(sold, topBid, reserve), expected);
    }

    void stockWarning_data()
    {
        QTest::addColumn<int>("stock");
        QTest::addColumn<int>("warning");
        QTest::addColumn<int>("listings");
        QTest::addColumn<int>("unshipped");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("remaining");
        QTest::newRow("no warning level") << 5 << 0 << 3 << 2 << "" << "";
        QTest::newRow("low") << 5 << 2 << 2 << 2 << "LOW STOCK WARNING!" << "1 STOCK REMAINING";
        QTest::newRow("none left") << 2 << 0 << 0 << 2 << "NO STOCK!" << "0 STOCK REMAINING";
        QTest::newRow("none left, warning level") << 2 << 9 << 1 << 2 << "NO STOCK!" << "-1 STOCK REMAINING";
        QTest::newRow("enough") << 10 << 2 << 3 << 2 << "" << "";
    }
    void stockWarning()
    {
        QFETCH(int, stock);
        QFETCH(int, warning);
        QFETCH(int, listings);
        QFETCH(int, unshipped);
        QFETCH(QString, heading);
        QFETCH(QString, remaining);
        StockCheck::Entry e{"BOWL", "Kauri bowl", stock, warning, listings, unshipped};
        const QString text = StockCheck::WarningText(e);
        if (heading.isEmpty()) {
            QCOMPARE(text, QString());
            return;
        }
        QCOMPARE(text, heading + CrLf + CrLf + "Item: BOWL" + CrLf + "Kauri bowl" + CrLf + CrLf + QString::number(stock) + " Stock on hand" +
                           CrLf + QString::number(listings) + " Current listings" + CrLf + QString::number(unshipped) +
                           " Sold (but not yet shipped)" + CrLf + CrLf + remaining);
    }

    // One entry per item and title; the counts come from the database.
    void stockEntries()
    {
        item("BOWL", true, true, 5, 2);
        auction("r1", "BOWL", vb::today(), {}, 1, "Kauri bowl");
        auction("r2", "BOWL", vb::today(), {}, 1, "Kauri bowl");
        auction("s1", "BOWL", vb::today(), "kiri", 4, "Kauri bowl");
        auction("s2", "BOWL", vb::today(), "hemi", 11, "Kauri bowl");
        StockCheck check;
        check.Add("BOWL", "Kauri bowl", 5, 2);
        check.Add("BOWL", "Kauri bowl", 99, 0);
        check.Add("BOWL", "Rimu bowl", 5, 0);
        QCOMPARE(check.Entries().size(), 2);
        const QStringList warnings = check.Warnings();
        QCOMPARE(check.Entries()[0].CurrentListings, 2);
        QCOMPARE(check.Entries()[0].SoldNotShipped, 2);
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings[0].startsWith("LOW STOCK WARNING!"));
        QVERIFY(warnings[0].endsWith(CrLf + "1 STOCK REMAINING"));
    }

    // The recipients come from the offer form only, each input made again
    // from its name and value: nothing else of the page gets through.
    void recipients_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        const QString search = "<form action=\"/Browse/SearchResults.aspx\"><input name=\"bidder_id_9\" value=\"search\"></form>";
        const QString tail = "<input name=\"hasbidders\" type=\"hidden\" value=\"1\"><input name=\"offer_price\"></form>";
        const QString form = "<form method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx\">";
        QTest::newRow("two ticked") << search + form + "<input name=\"bidder_id_1\" type=\"checkbox\" value=\"7000001\" checked=\"\"> A<br>"
                                                         "<input name=\"bidder_id_2\" type=\"checkbox\" value=\"7000002\" checked> B" + tail
                                    << "<input type=\"hidden\" name=\"bidder_id_1\" value=\"7000001\">" + CrLf +
                                           "<input type=\"hidden\" name=\"bidder_id_2\" value=\"7000002\">";
        QTest::newRow("unticked left out") << form + "<input name=\"bidder_id_1\" type=\"checkbox\" value=\"1\">"
                                                     "<input name=\"bidder_id_2\" type=\"hidden\" value=\"2\">" + tail
                                           << "<input type=\"hidden\" name=\"bidder_id_2\" value=\"2\">";
        QTest::newRow("markup in values") << form + "<input name=\"bidder_id_1\" type=\"hidden\" value=\"&quot;&gt;&lt;script&gt;x&amp;y\" "
                                                    "onfocus=\"alert(1)\">" + tail
                                          << "<input type=\"hidden\" name=\"bidder_id_1\" value=\"&quot;&gt;&lt;script&gt;x&amp;y\">";
        QTest::newRow("no offer form") << search + "<p>You have already made an offer on this listing.</p>" << "";
        QTest::newRow("form without recipients") << form + tail << "";
        QTest::newRow("recipients without hasbidders") << form + "<input name=\"bidder_id_1\" value=\"1\"></form>" << "";
    }
    void recipients()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(OfferPage::Recipients(html), expected);
    }

    // The filled page: every value escaped, the price in plain decimals, the number as listed.
    void offerPage()
    {
        const QString recipients = "<input type=\"hidden\" name=\"bidder_id_1\" value=\"7000001\">";
        QVERIFY(OfferPage::Create("VNTMFP", "123A\"><b>", recipients, 12.5, 3));
        QFile f(QDir(env->programFolder()).filePath("VNTMFP.sub"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(f.readAll());
        QVERIFY(page.contains("name=\"auction_id\" value=\"123A&quot;&gt;&lt;b&gt;\""));
        QVERIFY(!page.contains("<b>"));
        QVERIFY(page.contains(CrLf + recipients + CrLf));
        QVERIFY(page.contains("name=\"offer_price\" value=\"12.5\""));
        QVERIFY(page.contains("name=\"duration\" value=\"3\""));
        QVERIFY(page.contains("action=\"https://www.trademe.co.nz/MyTradeMe/MakeAnOffer.aspx\""));
        QVERIFY(page.endsWith("</html>" + CrLf));
        QVERIFY(!page.contains(QRegularExpression("\\[[A-Z]+\\]")));  // every placeholder filled
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("reason");
        QTest::newRow("already") << "You have already made an offer on this listing." << int(OfferPage::Refusal::AlreadyMade)
                                 << "A fixed price offer has already been made.";
        QTest::newRow("relisted") << "Sorry, the AUCTION HAS BEEN RELISTED as #99." << int(OfferPage::Refusal::Relisted)
                                  << "Item has been relisted.";
        QTest::newRow("no bidders") << "All bidders and watchers have removed themselves" << int(OfferPage::Refusal::NoBidders) << "";
        QTest::newRow("too late") << "You can no longer place a fixed price offer for this listing." << int(OfferPage::Refusal::NoLongerPossible)
                                  << "A fixed price offer can no longer be made for this item.";
        QTest::newRow("anything else") << "Page not found" << int(OfferPage::Refusal::Unexplained) << "";
        QTest::newRow("no page") << "" << int(OfferPage::Refusal::Unexplained) << "";
    }
    void refusals()
    {
        QFETCH(QString, text);
        QFETCH(int, refusal);
        QFETCH(QString, reason);
        const auto r = OfferPage::Refusal(refusal);
        QCOMPARE(int(OfferPage::Classify(text)), refusal);
        QCOMPARE(OfferPage::Reason(r), reason);
        const QString message = OfferPage::Message(r, "Kauri bowl", "123A");
        if (r == OfferPage::Refusal::NoBidders) QVERIFY(message.isEmpty());
        else if (r == OfferPage::Refusal::Unexplained)
            QVERIFY(message.startsWith("Could not make fixed price offer for item 'Kauri bowl' (ref# 123A)." + CrLf + CrLf + "Possible cause:" + CrLf));
        else
            QCOMPARE(message, "Could not make a fixed price offer for item 'Kauri bowl' (ref# 123A)." + CrLf + CrLf + reason);
    }

    // An offer on an auction waiting to be relisted: marked, due the day after
    // the offer expires, logged, and a History row that undoes both.
    void offerOnRelistStep()
    {
        item("PLAIN", false);
        auction("555", "PLAIN", vb::today() - 3);
        const double oldDue = vb::today() - 2;
        QVERIFY(OfferRecorder::RecordOfferMade("555", true, 12.5, 3));
        QCOMPARE(conn().Scalar("SELECT FixedPriceOffered FROM Auction WHERE AuctionId='555'").toInt(), 1);
        QCOMPARE(conn().Scalar("SELECT dateNextAction FROM Auction WHERE AuctionId='555'").toDouble(), vb::today() + 4);
        const QStringList history = DatabaseFixture::rows("SELECT Description, Changed, \"Date\" FROM History WHERE AuctionId='555'");
        QCOMPARE(history.size(), 1);
        QCOMPARE(history[0].section('|', 0, 0), QString("Fixed price offer made for $12.5 (valid for 3 days, offer expires 17/4/2026 10:30 AM"));
        QCOMPARE(history[0].section('|', 1, 1), "FixedPriceOffered=False,dateNextAction=" + QString::number(oldDue, 'g', 17));
        bool logged = false;
        for (const clsDataLog& e : ctx().gDatabase->PendingLog())
            logged = logged || (e.AuctionId == "555" && e.FieldId == "dateNextAction");
        QVERIFY(logged);

        QVERIFY(ctx().gDatabase->GetHistory("555"));
        QVERIFY(ctx().gDatabase->PerformUndo());
        QCOMPARE(conn().Scalar("SELECT FixedPriceOffered FROM Auction WHERE AuctionId='555'").toInt(), 0);
        QCOMPARE(conn().Scalar("SELECT dateNextAction FROM Auction WHERE AuctionId='555'").toDouble(), oldDue);
    }

    // Any other task, a refusal or a removal only marks the auction.
    void onlyMarked_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("made");
        QTest::newRow("sold, offer made") << 10 << true;
        QTest::newRow("completed, offer made") << 15 << true;
        QTest::newRow("relist step, refused") << 16 << false;
    }
    void onlyMarked()
    {
        QFETCH(int, step);
        QFETCH(bool, made);
        item("PLAIN", false);
        auction("556", "PLAIN", vb::today() - 3, "kiri", step);
        QVERIFY(OfferRecorder::RecordOfferMade("556", made, 20, 7));
        QCOMPARE(DatabaseFixture::rows("SELECT FixedPriceOffered, dateNextAction = ? FROM Auction WHERE AuctionId='556'", {vb::today() - 2}),
                 QStringList{"1|1"});
        QCOMPARE(DatabaseFixture::rows("SELECT count(*) FROM History"), QStringList{"0"});
        QVERIFY(!OfferRecorder::RecordOfferMade("gone", true, 20, 7));
    }
};

VENDARO_TEST_MAIN(tst_offerlogic)
#include "tst_offerlogic.moc"
