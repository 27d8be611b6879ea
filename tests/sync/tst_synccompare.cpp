// The comparison of downloaded listings with the sales in the database: the
// change markers and their order, the rows to write, the delivery address a
// sale lacks, offers, listings before the system start, and the tab the run
// brings forward. The comparison only reads.

#include "DatabaseFixture.h"
#include "SyncCalendar.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "sync/ListingComparison.h"
#include "sync/ListingRecordsets.h"
#include "sync/UpdateSession.h"

#include <sqlite3.h>

#include <memory>
#include <optional>

namespace {

using namespace SyncCalendar;

// A listing of each list type as the site gives it, and the sale it matches exactly.
QVariantMap listing(int listType, const QVariantMap& changes = {})
{
    static const QVariantMap current{{"listing_id", "4101"},    {"title", "Blue teapot"},   {"start_date", Opened},
                                     {"end_date", Closes},      {"max_bid_amount", 12.5},   {"start_price", 1.0},
                                     {"reserve_price", 10.0},   {"buy_now_price", 45.0},    {"length", "7 days"}};
    static const QVariantMap sold{{"listing_id", "4101"},
                                  {"title", "Blue teapot"},
                                  {"start_date", Opened},
                                  {"sold_date", SoldAt},
                                  {"sold_type", "Auction"},
                                  {"sale_price", 42.0},
                                  {"selected_shipping", "5.5"},
                                  {"buyer_name", "sean1"},
                                  {"buyer_email", "sean@example.co.nz"},
                                  {"buyer_delivery_address", "1 Main Road, Hamilton"}};
    static const QVariantMap unsold{{"listing_id", "4101"}, {"title", "Blue teapot"}, {"end_date", EndedAt},
                                    {"start_price", 1.0},   {"reserve_price", 10.0},  {"offer_price", ""},
                                    {"offer_expired", ""},  {"relisted", ""},         {"no_bids", "No bids"}};
    return with(listType == ListingRecordsets::Sold ? sold : listType == ListingRecordsets::Unsold ? unsold : current, changes);
}
QVariantMap sale(int listType, const QVariantMap& changes = {})
{
    static const QVariantMap current{{"AuctionId", "4101"},   {"Description", "Blue teapot"}, {"ActionId", 1},
                                     {"dateNextAction", vb::Int(Closes)}, {"StartPrice", 1.0}, {"ReservePrice", 10.0},
                                     {"BuyNowPrice", 45.0},   {"MaxBidAmount", 12.5},         {"HasBids", true}};
    static const QVariantMap sold{{"AuctionId", "4101"},   {"Description", "Blue teapot"}, {"ActionId", 5},
                                  {"CustomerId", "sean1"}, {"Shipping", 6.5},             {"DeliveryAddress", "1 Main Road\r\nHamilton"}};
    static const QVariantMap unsold{{"AuctionId", "4101"}, {"Description", "Blue teapot"}, {"ActionId", 16},
                                    {"dateNextAction", serial(Today)}};
    return with(listType == ListingRecordsets::Sold ? sold : listType == ListingRecordsets::Unsold ? unsold : current, changes);
}

using Rows = QList<QVariantMap>;

}  // namespace

Q_DECLARE_METATYPE(Rows)

class tst_synccompare : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }

    void insertSales(const Rows& sales)
    {
        for (const QVariantMap& s : sales) {
            QStringList marks;
            for (int i = 0; i < s.size(); ++i) marks << QStringLiteral("?");
            QVERIFY2(ctx().gConnection->Execute(QStringLiteral("INSERT INTO Auction (%1) VALUES (%2)")
                                                    .arg(s.keys().join(u','), marks.join(u',')),
                                                s.values()),
                     qPrintable(ctx().gConnection->lastError()));
        }
    }
    static std::unique_ptr<Recordset> listings(int listType, const Rows& rows)
    {
        auto rs = ListingRecordsets::Create(listType);
        for (const QVariantMap& r : rows) {
            rs->AddNew();
            for (auto it = r.begin(); it != r.end(); ++it) rs->setValue(it.key(), it.value());
            rs->Update();
        }
        return rs;
    }
    // Compares and returns the set; the database must be as it was.
    std::unique_ptr<Recordset> compared(int listType, const Rows& rows, int* changedTab = nullptr)
    {
        auto rs = listings(listType, rows);
        int tab = 0;
        const int changesBefore = sqlite3_total_changes(ctx().gConnection->handle());
        ListingComparison::CompareWithDatabase(*rs, listType, changedTab ? changedTab : &tab, vb::today());
        [&] { QCOMPARE(sqlite3_total_changes(ctx().gConnection->handle()), changesBefore); }();
        [&] { QVERIFY(rs->isEOF()); }();
        return rs;
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        vb::setClock(QDateTime(Today, QTime(10, 30)));
        ctx().gConfiguration.DateSystemStart = Start;
    }
    void cleanup()
    {
        vb::setClock(QDateTime());
        env.reset();
    }

    // One listing against the database: the work fields it is left with.
    // UpdateFields Null: the listing found no sale.
    void compare_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<Rows>("sales");
        QTest::addColumn<QVariantMap>("row");
        QTest::addColumn<QVariantMap>("expected");  // beside UpdateFields "" and the flags False

        const int cur = ListingRecordsets::Current, sold = ListingRecordsets::Sold, uns = ListingRecordsets::Unsold;
        const QVariant none;
        auto markers = [](const QVariant& m) { return QVariantMap{{"UpdateFields", m}}; };

        // Current.
        QTest::newRow("current unchanged") << cur << Rows{sale(cur)} << listing(cur) << QVariantMap();
        QTest::newRow("current new: written, no markers")
            << cur << Rows{} << listing(cur) << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}};
        QTest::newRow("title, start price and close day: in column order")
            << cur << Rows{sale(cur)}
            << listing(cur, {{"title", "Blue teapot, boxed"}, {"start_price", 2.0}, {"end_date", Closes + 1}})
            << markers("[~3~][~4~][~5~]");
        QTest::newRow("every column changed")
            << cur << Rows{sale(cur)}
            << listing(cur, {{"title", "Red teapot"},
                             {"end_date", Closes - 2},
                             {"start_price", 5.0},
                             {"reserve_price", 20.0},
                             {"buy_now_price", 50.0},
                             {"max_bid_amount", 0.0}})
            << markers("[~3~][~4~][~5~][~6~][~7~][~8~][~8~]");
        QTest::newRow("title differs only in case") << cur << Rows{sale(cur)} << listing(cur, {{"title", "blue teapot"}})
                                                    << markers("[~3~]");
        QTest::newRow("close time moved within the day")
            << cur << Rows{sale(cur)} << listing(cur, {{"end_date", vb::Int(Closes) + 0.1}}) << QVariantMap();
        QTest::newRow("first bid: top bid twice")
            << cur << Rows{sale(cur, {{"MaxBidAmount", 0.0}, {"HasBids", false}})} << listing(cur, {{"max_bid_amount", 5.0}})
            << markers("[~8~][~8~]");
        QTest::newRow("16 bid against 15: top bid once")
            << cur << Rows{sale(cur, {{"MaxBidAmount", 15.0}})} << listing(cur, {{"max_bid_amount", 16.0}}) << markers("[~8~]");
        QTest::newRow("whole and fractional prices by value")
            << cur << Rows{sale(cur, {{"StartPrice", 1}, {"ReservePrice", 10}})} << listing(cur) << QVariantMap();
        QTest::newRow("reserve 10 against 10.01")
            << cur << Rows{sale(cur)} << listing(cur, {{"reserve_price", 10.01}}) << markers("[~6~]");
        QTest::newRow("Null max bid, sale without bids")
            << cur << Rows{sale(cur, {{"MaxBidAmount", 0.0}, {"HasBids", false}})} << listing(cur, {{"max_bid_amount", none}})
            << QVariantMap();
        QTest::newRow("Null max bid, sale with bids: the bids would go")
            << cur << Rows{sale(cur)} << listing(cur, {{"max_bid_amount", none}}) << markers("[~8~]");
        QTest::newRow("Null values on the site are no difference")
            << cur << Rows{sale(cur)}
            << listing(cur, {{"title", none}, {"end_date", none}, {"start_price", none}, {"reserve_price", none}, {"buy_now_price", none}})
            << QVariantMap();
        QTest::newRow("Null values in the sale are no difference")
            << cur << Rows{sale(cur, {{"Description", none}, {"dateNextAction", none}, {"BuyNowPrice", none}, {"HasBids", none}})}
            << listing(cur, {{"title", "Other"}, {"end_date", Closes + 3}, {"buy_now_price", 99.0}}) << QVariantMap();
        QTest::newRow("current listing of a sale already sold is not written again")
            << cur << Rows{sale(cur, {{"ActionId", 5}})} << listing(cur) << QVariantMap();
        QTest::newRow("listing 410 is not sale 4101")
            << cur << Rows{sale(cur)} << listing(cur, {{"listing_id", "410"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}};
        QTest::newRow("listing 4101 is not sale 4101A")
            << cur << Rows{sale(cur, {{"AuctionId", "4101A"}})} << listing(cur)
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}};
        QTest::newRow("title with an apostrophe") << cur << Rows{sale(cur, {{"Description", "Kate's teapot"}})}
                                                  << listing(cur, {{"title", "Kate's teapot"}}) << QVariantMap();

        // Sold.
        QTest::newRow("sold, sale recorded") << sold << Rows{sale(sold)} << listing(sold)
                                             << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("sold, the buyer's sale still at step 1: written, the sale's shipping taken")
            << sold << Rows{sale(sold, {{"ActionId", 1}, {"Shipping", 0.0}})} << listing(sold)
            << QVariantMap{{"UpdateAuction", true}, {"selected_shipping", "0"}};
        QTest::newRow("sold, running listing without a buyer: a new sale")
            << sold << Rows{sale(sold, {{"ActionId", 1}, {"CustomerId", none}, {"DeliveryAddress", none}})} << listing(sold)
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("sold, sale without shipping: Null")
            << sold << Rows{sale(sold, {{"Shipping", none}})} << listing(sold) << QVariantMap{{"selected_shipping", none}};
        QTest::newRow("sold, only the title marked")
            << sold << Rows{sale(sold, {{"StartPrice", 99.0}, {"Description", "Old title"}})} << listing(sold, {{"start_price", 1.0}})
            << QVariantMap{{"UpdateFields", "[~3~]"}, {"selected_shipping", "6.5"}};
        QTest::newRow("sold to another buyer: a new sale")
            << sold << Rows{sale(sold)} << listing(sold, {{"buyer_name", "kim7"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("sold, the buyer's sale under a letter")
            << sold << Rows{sale(sold, {{"CustomerId", "kim7"}}), sale(sold, {{"AuctionId", "4101B"}})} << listing(sold)
            << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("sold, lower-case letter") << sold << Rows{sale(sold, {{"AuctionId", "4101c"}})} << listing(sold)
                                                 << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("listing 410 does not take sale 4101 of the same buyer")
            << sold << Rows{sale(sold)} << listing(sold, {{"listing_id", "410"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("listing 4101 does not take sale 41012 of the same buyer")
            << sold << Rows{sale(sold, {{"AuctionId", "41012"}})} << listing(sold)
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("listing 4101 does not take sale 4101AB")
            << sold << Rows{sale(sold, {{"AuctionId", "4101AB"}})} << listing(sold)
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("listing 41_1 does not take sale 4101")
            << sold << Rows{sale(sold)} << listing(sold, {{"listing_id", "41_1"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("buyer with an apostrophe") << sold << Rows{sale(sold, {{"CustomerId", "o'brien"}})}
                                                  << listing(sold, {{"buyer_name", "o'brien"}})
                                                  << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("sold, the sale lacks the address")
            << sold << Rows{sale(sold, {{"DeliveryAddress", none}})} << listing(sold)
            << QVariantMap{{"UpdateAddress", true}, {"selected_shipping", "6.5"}};
        QTest::newRow("sold, the sale's address is empty")
            << sold << Rows{sale(sold, {{"DeliveryAddress", ""}})} << listing(sold)
            << QVariantMap{{"UpdateAddress", true}, {"selected_shipping", "6.5"}};
        QTest::newRow("sold, another address on the sale is kept")
            << sold << Rows{sale(sold, {{"DeliveryAddress", "PO Box 1"}})} << listing(sold)
            << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("sold, no address on either side")
            << sold << Rows{sale(sold, {{"DeliveryAddress", none}})} << listing(sold, {{"buyer_delivery_address", ""}})
            << QVariantMap{{"selected_shipping", "6.5"}};
        QTest::newRow("sold by fixed price offer, new")
            << sold << Rows{} << listing(sold, {{"sold_type", "Fixed Price Offer"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"FixedPriceOffered", true}, {"selected_shipping", "5.5"}};
        QTest::newRow("sold, the sale had an offer") << sold << Rows{sale(sold, {{"FixedPriceOffered", true}})} << listing(sold)
                                                     << QVariantMap{{"FixedPriceOffered", true}, {"selected_shipping", "6.5"}};

        // Unsold.
        QTest::newRow("unsold, recorded") << uns << Rows{sale(uns)} << listing(uns) << QVariantMap();
        QTest::newRow("unsold, new") << uns << Rows{} << listing(uns)
                                     << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}};
        QTest::newRow("unsold, sale still running: written")
            << uns << Rows{sale(uns, {{"ActionId", 1}})} << listing(uns) << QVariantMap{{"UpdateAuction", true}};
        QTest::newRow("first offer: offer and relisted")
            << uns << Rows{sale(uns, {{"ActionId", 1}})} << listing(uns, {{"offer_price", "$20.00"}})
            << QVariantMap{{"UpdateAuction", true}, {"UpdateFields", "[~8~][~10~]"}, {"FixedPriceOffered", true}};
        QTest::newRow("offer already known") << uns << Rows{sale(uns, {{"FixedPriceOffered", true}})}
                                             << listing(uns, {{"offer_price", "$20.00"}}) << QVariantMap{{"FixedPriceOffered", true}};
        QTest::newRow("first offer, relisted at step 16")
            << uns << Rows{sale(uns)} << listing(uns, {{"offer_price", "$20.00"}, {"relisted", "Relisted"}})
            << QVariantMap{{"UpdateFields", "[~8~][~10~][~10~]"}, {"FixedPriceOffered", true}};
        QTest::newRow("relisted at step 16, offer known")
            << uns << Rows{sale(uns, {{"FixedPriceOffered", true}})} << listing(uns, {{"relisted", "Relisted"}})
            << QVariantMap{{"UpdateFields", "[~10~]"}, {"FixedPriceOffered", true}};
        QTest::newRow("relisted at step 15")
            << uns << Rows{sale(uns, {{"ActionId", 15}, {"FixedPriceOffered", true}})} << listing(uns, {{"relisted", "Relisted"}})
            << QVariantMap{{"FixedPriceOffered", true}};
        QTest::newRow("offer expired, relist due later")
            << uns << Rows{sale(uns, {{"dateNextAction", serial(Today) + 1}})} << listing(uns, {{"offer_expired", "Expired"}})
            << markers("[~9~]");
        QTest::newRow("offer expired, relist due today")
            << uns << Rows{sale(uns)} << listing(uns, {{"offer_expired", "Expired"}}) << QVariantMap();
        QTest::newRow("offer expired at step 15")
            << uns << Rows{sale(uns, {{"ActionId", 15}, {"dateNextAction", serial(Today) + 1}})}
            << listing(uns, {{"offer_expired", "Expired"}}) << QVariantMap();
        QTest::newRow("offer expired, no relist date")
            << uns << Rows{sale(uns, {{"dateNextAction", none}})} << listing(uns, {{"offer_expired", "Expired"}}) << QVariantMap();
        QTest::newRow("Null offer texts are empty")
            << uns << Rows{sale(uns, {{"dateNextAction", serial(Today) + 1}})}
            << listing(uns, {{"offer_price", none}, {"relisted", none}, {"offer_expired", none}}) << QVariantMap();
        QTest::newRow("unsold, new with an offer")
            << uns << Rows{} << listing(uns, {{"offer_price", "$20.00"}})
            << QVariantMap{{"UpdateFields", none}, {"UpdateAuction", true}, {"FixedPriceOffered", true}};
    }
    void compare()
    {
        QFETCH(int, listType);
        QFETCH(Rows, sales);
        QFETCH(QVariantMap, row);
        QFETCH(QVariantMap, expected);
        insertSales(sales);
        auto rs = compared(listType, {row});
        QVERIFY(!QTest::currentTestFailed());
        rs->MoveFirst();
        const QVariantMap want =
            with({{"UpdateFields", ""}, {"UpdateAuction", false}, {"UpdateAddress", false}, {"FixedPriceOffered", false}}, expected);
        for (auto it = want.begin(); it != want.end(); ++it) {
            const QVariant got = rs->value(it.key());
            const QString why = it.key() + QStringLiteral(": ") + (got.isNull() ? QStringLiteral("Null") : got.toString());
            if (it.value().isNull()) QVERIFY2(got.isNull(), qPrintable(why));
            else if (it.value().typeId() == QMetaType::Bool) QVERIFY2(got.toBool() == it.value().toBool(), qPrintable(why));
            else QVERIFY2(!got.isNull() && got.toString() == it.value().toString(), qPrintable(why));
        }
    }

    // Several listings: each gets its own sale's comparison, in order.
    void eachRowItsOwnSale()
    {
        insertSales({sale(ListingRecordsets::Current), sale(ListingRecordsets::Current, {{"AuctionId", "4102"}, {"StartPrice", 3.0}})});
        auto rs = compared(ListingRecordsets::Current, {listing(ListingRecordsets::Current, {{"listing_id", "4103"}}),
                                                        listing(ListingRecordsets::Current, {{"listing_id", "4102"}}),
                                                        listing(ListingRecordsets::Current)});
        QStringList got;
        for (const QVariantList& r : rs->rows())
            got << r[rs->FieldIndex("UpdateFields")].toString() + u'/' + r[rs->FieldIndex("UpdateAuction")].toString();
        QCOMPARE(got, (QStringList{"/true", "[~5~]/", "/"}));
    }

    // The tab brought forward: Sold wins, then Unsold; Current and markers alone never.
    void changedTab_data()
    {
        QTest::addColumn<bool>("newCurrent");
        QTest::addColumn<QString>("soldRow");  // "", "new", "address", "marker"
        QTest::addColumn<bool>("newUnsold");
        QTest::addColumn<int>("startTab");
        QTest::addColumn<int>("expected");
        QTest::newRow("nothing new") << false << "" << false << 0 << 0;
        QTest::newRow("new current only") << true << "" << false << 0 << 0;
        QTest::newRow("new current and unsold") << true << "" << true << 0 << 2;
        QTest::newRow("new sold, unsold after") << false << "new" << true << 0 << 1;
        QTest::newRow("address of a sold row") << false << "address" << true << 0 << 1;
        QTest::newRow("a sold marker alone") << false << "marker" << false << 0 << 0;
        QTest::newRow("a sold marker, new unsold") << false << "marker" << true << 0 << 2;
        QTest::newRow("sold earlier in the run stays") << false << "" << true << 1 << 1;
    }
    void changedTab()
    {
        QFETCH(bool, newCurrent);
        QFETCH(QString, soldRow);
        QFETCH(bool, newUnsold);
        QFETCH(int, startTab);
        QFETCH(int, expected);
        const int cur = ListingRecordsets::Current, sold = ListingRecordsets::Sold, uns = ListingRecordsets::Unsold;
        insertSales({sale(cur), sale(sold, {{"AuctionId", "5101"}, {"DeliveryAddress", soldRow == "address" ? QVariant() : "PO Box 1"},
                                            {"Description", soldRow == "marker" ? "Old" : "Blue teapot"}}),
                     sale(uns, {{"AuctionId", "6101"}})});
        int tab = startTab;
        compared(cur, {listing(cur, {{"listing_id", newCurrent ? "4199" : "4101"}})}, &tab);
        compared(sold, {listing(sold, {{"listing_id", soldRow == "new" ? "5199" : "5101"}})}, &tab);
        compared(uns, {listing(uns, {{"listing_id", newUnsold ? "6199" : "6101"}})}, &tab);
        QCOMPARE(tab, expected);
    }

    // Red rows: ended before the system start; a sale the database already
    // runs on (not completed) is handled normally whatever its date.
    void beforeSystemStart_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<double>("ended");
        QTest::addColumn<int>("saleStep");  // 0: no sale
        QTest::addColumn<bool>("red");
        const int sold = ListingRecordsets::Sold, uns = ListingRecordsets::Unsold;
        const double minute = 1.0 / 1440;
        QTest::newRow("sold a minute before, no sale") << sold << Start - minute << 0 << true;
        QTest::newRow("sold at the start") << sold << Start << 0 << false;
        QTest::newRow("sold after") << sold << Start + 3 << 0 << false;
        QTest::newRow("sold before, sale at 11") << sold << Start - 5 << 11 << false;
        QTest::newRow("sold before, sale at 1") << sold << Start - 5 << 1 << false;
        QTest::newRow("sold before, sale completed") << sold << Start - 5 << 15 << true;
        QTest::newRow("unsold before, no sale") << uns << Start - 5 << 0 << true;
        QTest::newRow("unsold before, sale at 16") << uns << Start - 5 << 16 << true;
        QTest::newRow("unsold after") << uns << Start + 1 << 0 << false;
    }
    void beforeSystemStart()
    {
        QFETCH(int, listType);
        QFETCH(double, ended);
        QFETCH(int, saleStep);
        QFETCH(bool, red);
        const QString dateField = listType == ListingRecordsets::Sold ? "sold_date" : "end_date";
        if (saleStep) insertSales({sale(listType, {{"ActionId", saleStep}})});
        auto rs = listings(listType, {listing(listType, {{dateField, ended}})});
        UpdateSession session(nullptr, nullptr);
        session.MarkBeforeSystemStart(*rs, dateField);
        QVERIFY(rs->isEOF());
        QCOMPARE(session.mNoteRed, ended < Start ? 1 : 0);
        int tab = 0;
        ListingComparison::CompareWithDatabase(*rs, listType, &tab, vb::today());
        rs->MoveFirst();
        QCOMPARE(rs->value("BeforeSystemStart").toBool(), red);
    }

    // The red note is asked for once; rows without a date are left alone.
    void redNote()
    {
        const int sold = ListingRecordsets::Sold;
        UpdateSession session(nullptr, nullptr);
        auto rs = listings(sold, {listing(sold, {{"sold_date", QVariant()}}), listing(sold, {{"sold_date", Start + 1}})});
        session.MarkBeforeSystemStart(*rs, "sold_date");
        QCOMPARE(session.mNoteRed, 0);
        for (const QVariantList& r : rs->rows()) QVERIFY(r[rs->FieldIndex("BeforeSystemStart")].isNull());

        auto early = listings(sold, {listing(sold, {{"sold_date", Start - 2}}), listing(sold, {{"sold_date", Start + 2}})});
        session.mNoteRed = 2;  // shown already this run
        session.MarkBeforeSystemStart(*early, "sold_date");
        QCOMPARE(session.mNoteRed, 2);
        early->MoveFirst();
        QCOMPARE(early->value("BeforeSystemStart").toBool(), true);
        early->MoveNext();
        QVERIFY(early->isNull("BeforeSystemStart"));

        auto empty = listings(sold, {});
        session.mNoteRed = 0;
        session.MarkBeforeSystemStart(*empty, "sold_date");
        QCOMPARE(session.mNoteRed, 0);
    }

    // The session's comparison works on its own list type and tab.
    void sessionCompares()
    {
        const int sold = ListingRecordsets::Sold;
        UpdateSession session(nullptr, nullptr);
        session.CreateListingRecordsets();
        session.mListType = sold;
        auto& rs = *session.mListings[sold];
        rs.AddNew();
        const QVariantMap row = listing(sold);
        for (auto it = row.begin(); it != row.end(); ++it) rs.setValue(it.key(), it.value());
        rs.Update();
        session.CompareWithDatabase(rs);
        QCOMPARE(session.mChangedTab, sold);
        rs.MoveFirst();
        QCOMPARE(rs.value("UpdateAuction").toBool(), true);
    }

    // The condition that finds a buyer's sale of a listing, on its own.
    void soldSaleCondition_data()
    {
        QTest::addColumn<QString>("auctionId");
        QTest::addColumn<bool>("matches");
        QTest::newRow("the number") << "4101" << true;
        QTest::newRow("a letter") << "4101A" << true;
        QTest::newRow("the last letter") << "4101Z" << true;
        QTest::newRow("a lower-case letter") << "4101b" << true;
        QTest::newRow("a digit more") << "41019" << false;
        QTest::newRow("two letters") << "4101AA" << false;
        QTest::newRow("a sign") << "4101-" << false;
        QTest::newRow("shorter") << "410" << false;
        QTest::newRow("another number") << "5101" << false;
    }
    void soldSaleCondition()
    {
        QFETCH(QString, auctionId);
        QFETCH(bool, matches);
        insertSales({sale(ListingRecordsets::Sold, {{"AuctionId", auctionId}})});
        const QVariant found = ctx().gConnection->Scalar(
            "SELECT COUNT(*) FROM Auction WHERE " + ListingComparison::SoldSaleCondition(), ListingComparison::SoldSaleBinds("4101", "sean1"));
        QCOMPARE(found.toInt(), matches ? 1 : 0);
        const QVariant otherBuyer = ctx().gConnection->Scalar(
            "SELECT COUNT(*) FROM Auction WHERE " + ListingComparison::SoldSaleCondition(), ListingComparison::SoldSaleBinds("4101", "kim7"));
        QCOMPARE(otherBuyer.toInt(), 0);
    }
};

VENDARO_TEST_MAIN(tst_synccompare)
#include "tst_synccompare.moc"
