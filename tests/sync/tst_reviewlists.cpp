// The review lists of the synchronisation window, as models: what each column
// shows, which rows and cells are bold or red, the counted captions, the
// shipping note, the whole-day sort key and the sorts a header click asks for.

#include "TestEnvironment.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "sync/ListingRecordsets.h"
#include "sync/ReviewListModel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QSignalSpy>

#include <memory>

namespace {

using Values = QVariantMap;

double serial(int y, int m, int d, int h = 0, int min = 0)
{
    return vb::toOleDate(QDate(y, m, d)) + (h * 60 + min) / 1440.0;
}

// A listing set of the list type with one record per entry, fields as given
// (every other field Null).
std::unique_ptr<Recordset> listings(int listType, const QVector<Values>& records)
{
    auto rs = ListingRecordsets::Create(listType);
    for (const Values& values : records) {
        rs->AddNew();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (!rs->setValue(it.key(), it.value())) qFatal("%s", qPrintable(rs->lastError()));
        rs->Update();
    }
    return rs;
}

// The date field of a list type's rows.
QString dateField(int listType) { return listType == ListingRecordsets::Sold ? "sold_date" : "end_date"; }

QStringList column(const ReviewListModel& model, int c)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << model.CellText(row, c);
    return texts;
}

QList<int> boldCells(const ReviewListModel& model, int row)
{
    QList<int> cells;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.CellBold(row, c)) cells << c;
    return cells;
}

}  // namespace

class tst_reviewlists : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void headers_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("current") << int(ListingRecordsets::Current)
                                 << QStringList{"DateSortingIndex", "Auction#", "Item code", "Title", "Closes", "Start price",
                                                "Reserve", "Buy now", "Top bid", "Bidders/Watchers"};
        QTest::newRow("sold") << int(ListingRecordsets::Sold)
                              << QStringList{"DateSortingIndex", "Auction#", "Item code", "Title", "Closed", "Buyer", "Email",
                                             "Top Bid", "Sold by", "Shipping", "Delivery address"};
        QTest::newRow("unsold") << int(ListingRecordsets::Unsold)
                                << QStringList{"DateSortingIndex", "Auction#", "Item code", "Title", "Closed", "Price",
                                               "Reserve", "No bids", "Fixed price offer", "Expired", "Relisted"};
    }
    void headers()
    {
        QFETCH(int, listType);
        QFETCH(QStringList, headers);
        QCOMPARE(ReviewListModel::Headers(listType), headers);
        ReviewListModel model(listType);
        QCOMPARE(model.listType(), listType);
        QCOMPARE(model.columnCount(), headers.size());
        for (int c = 0; c < headers.size(); ++c) QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
        QVERIFY(!model.headerData(headers.size(), Qt::Horizontal, Qt::DisplayRole).isValid());
    }

    // An empty set leaves the list empty, unsorted, with the plain caption,
    // also after a fill that had rows.
    void emptySet_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("caption");
        QTest::newRow("current") << int(ListingRecordsets::Current) << "Current";
        QTest::newRow("sold") << int(ListingRecordsets::Sold) << "Sold";
        QTest::newRow("unsold") << int(ListingRecordsets::Unsold) << "Unsold";
    }
    void emptySet()
    {
        QFETCH(int, listType);
        QFETCH(QString, caption);
        ReviewListModel model(listType);
        QCOMPARE(model.Caption(), caption);
        QCOMPARE(ReviewListModel::PlainCaption(listType), caption);

        auto full = listings(listType, {{{"listing_id", "1"}, {"UpdateAuction", true}, {"BeforeSystemStart", true}}});
        model.Fill(*full);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.Caption(), caption + " (x1)");

        auto empty = listings(listType, {});
        model.Fill(*empty);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.Count(), 0);
        QCOMPARE(model.Caption(), caption);
        QCOMPARE(model.sortColumn(), -1);
        QVERIFY(!model.AnyBold());
        QVERIFY(!model.AnyRed());
        QVERIFY(!model.ShippingNote());
        QCOMPARE(model.RecordPosition(0), -1);
        QCOMPARE(model.CellText(0, 1), QString());
        QVERIFY(!model.CellBold(0, 1));
    }

    void sortKey_data()
    {
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QString>("key");
        QTest::newRow("midnight") << QVariant(45010.0) << "0000045010";
        QTest::newRow("morning") << QVariant(45010.4) << "0000045010";
        QTest::newRow("afternoon") << QVariant(45010.6) << "0000045011";
        QTest::newRow("noon of an even day stays") << QVariant(45010.5) << "0000045010";
        QTest::newRow("noon of an odd day goes on") << QVariant(45011.5) << "0000045012";
        QTest::newRow("Null") << QVariant() << "";
        QTest::newRow("no date") << QVariant(1e300) << "";
    }
    void sortKey()
    {
        QFETCH(QVariant, date);
        QFETCH(QString, key);
        QCOMPARE(ReviewListModel::SortKey(date), key);
    }

    // Rows closing on one afternoon share a key with the next morning's, so
    // they keep their record order among themselves.
    void closesShareTheDayKey()
    {
        const double morning = serial(2026, 3, 9, 9, 15);
        const double afternoon = serial(2026, 3, 8, 14, 0);
        const double evening = serial(2026, 3, 8, 21, 30);
        const double before = serial(2026, 3, 8, 11, 59);
        auto rs = listings(ListingRecordsets::Current, {{{"listing_id", "morning"}, {"end_date", morning}},
                                                        {{"listing_id", "evening"}, {"end_date", evening}},
                                                        {{"listing_id", "before"}, {"end_date", before}},
                                                        {{"listing_id", "afternoon"}, {"end_date", afternoon}}});
        ReviewListModel model(ListingRecordsets::Current);
        model.Fill(*rs);
        QCOMPARE(column(model, 1), (QStringList{"before", "morning", "evening", "afternoon"}));
        const QString day = ReviewListModel::SortKey(serial(2026, 3, 9));
        QCOMPARE(column(model, 0), (QStringList{ReviewListModel::SortKey(serial(2026, 3, 8)), day, day, day}));
        QCOMPARE(model.CellText(3, 4), QStringLiteral("Sun 8 Mar 2:00 PM"));
        QCOMPARE(model.sortColumn(), 0);
        QCOMPARE(model.sortOrder(), Qt::AscendingOrder);
    }

    // Current lists the next close first; Sold and Unsold the latest first.
    // A date left Null keys empty and goes with the earliest.
    void defaultOrder_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("current") << int(ListingRecordsets::Current) << QStringList{"none", "first", "second", "third"};
        QTest::newRow("sold") << int(ListingRecordsets::Sold) << QStringList{"third", "first", "second", "none"};
        QTest::newRow("unsold") << int(ListingRecordsets::Unsold) << QStringList{"third", "first", "second", "none"};
    }
    void defaultOrder()
    {
        QFETCH(int, listType);
        QFETCH(QStringList, order);
        const QString date = dateField(listType);
        auto rs = listings(listType, {{{"listing_id", "third"}, {date, serial(2026, 3, 10, 9)}},
                                      {{"listing_id", "first"}, {date, serial(2026, 3, 8, 9)}},
                                      {{"listing_id", "none"}},
                                      {{"listing_id", "second"}, {date, serial(2026, 3, 8, 10)}}});
        ReviewListModel model(listType);
        model.Fill(*rs);
        QCOMPARE(column(model, 1), order);
        QCOMPARE(model.sortOrder(), ReviewListModel::DefaultSortOrder(listType));
        // Every row finds its record again.
        for (int row = 0; row < model.rowCount(); ++row) {
            QVERIFY(rs->MoveTo(model.RecordPosition(row)));
            QCOMPARE(rs->text("listing_id"), model.ListingId(row));
            QCOMPARE(model.RowOfRecord(model.RecordPosition(row)), row);
        }
        QCOMPARE(model.RowOfRecord(99), -1);
    }

    // What each column shows: dates and money formatted, other values as text,
    // Null as an empty cell, the site's text as it stands.
    void cellText_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<Values>("values");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        const int current = ListingRecordsets::Current, sold = ListingRecordsets::Sold, unsold = ListingRecordsets::Unsold;
        QTest::newRow("listing id") << current << Values{{"listing_id", "4101"}} << 1 << "4101";
        QTest::newRow("item code") << current << Values{{"ItemId", "TEAPOT"}} << 2 << "TEAPOT";
        QTest::newRow("item code not found") << current << Values{} << 2 << "";
        QTest::newRow("markup in a title") << current << Values{{"title", "<b>Teapot</b> &amp; cups"}} << 3
                                           << "<b>Teapot</b> &amp; cups";
        QTest::newRow("closes") << current << Values{{"end_date", serial(2026, 3, 8, 21, 30)}} << 4 << "Sun 8 Mar 9:30 PM";
        QTest::newRow("closes Null") << current << Values{} << 4 << "";
        QTest::newRow("start price") << current << Values{{"start_price", 1.0}} << 5 << "$1.00";
        QTest::newRow("reserve") << current << Values{{"reserve_price", 10.5}} << 6 << "$10.50";
        QTest::newRow("reserve Null") << current << Values{} << 6 << "";
        QTest::newRow("buy now") << current << Values{{"buy_now_price", 1234.567}} << 7 << "$1234.57";
        QTest::newRow("top bid") << current << Values{{"max_bid_amount", 12.5}} << 8 << "$12.50";
        QTest::newRow("bidders") << current << Values{{"bidders_watchers", 7}} << 9 << "7";
        QTest::newRow("sold closed") << sold << Values{{"sold_date", serial(2026, 3, 5, 8, 5)}} << 4 << "Thu 5 Mar 8:05 AM";
        QTest::newRow("buyer") << sold << Values{{"buyer_name", "o'brien"}} << 5 << "o'brien";
        QTest::newRow("email") << sold << Values{{"buyer_email", "sean@example.co.nz"}} << 6 << "sean@example.co.nz";
        QTest::newRow("sale price") << sold << Values{{"sale_price", 42.0}} << 7 << "$42.00";
        QTest::newRow("sold by") << sold << Values{{"sold_type", "Buy Now"}} << 8 << "Buy Now";
        QTest::newRow("shipping as read") << sold << Values{{"selected_shipping", "5.5"}} << 9 << "$5.50";
        QTest::newRow("shipping none") << sold << Values{{"selected_shipping", "0"}} << 9 << "$0.00";
        QTest::newRow("shipping Null") << sold << Values{} << 9 << "";
        QTest::newRow("shipping not an amount") << sold << Values{{"selected_shipping", "Pick-up"}} << 9 << "Pick-up";
        QTest::newRow("address") << sold << Values{{"buyer_delivery_address", "1 Main Road\nHamilton"}} << 10
                                 << "1 Main Road\nHamilton";
        QTest::newRow("unsold closed") << unsold << Values{{"end_date", serial(2026, 3, 8, 12, 0)}} << 4 << "Sun 8 Mar 12:00 PM";
        QTest::newRow("price") << unsold << Values{{"start_price", 1.0}} << 5 << "$1.00";
        QTest::newRow("reserve, no bid") << unsold << Values{{"reserve_price", 10.0}} << 6 << "$10.00";
        QTest::newRow("reserve, bid 0") << unsold << Values{{"reserve_price", 10.0}, {"max_bid_amount", 0.0}} << 6 << "$10.00";
        QTest::newRow("top bid for reserve") << unsold << Values{{"reserve_price", 10.0}, {"max_bid_amount", 12.5}} << 6 << "12.5";
        QTest::newRow("whole top bid") << unsold << Values{{"max_bid_amount", 20.0}} << 6 << "20";
        QTest::newRow("large top bid") << unsold << Values{{"max_bid_amount", 1500000.0}} << 6 << "1500000";
        QTest::newRow("no bids") << unsold << Values{{"no_bids", "Yes"}} << 7 << "Yes";
        QTest::newRow("no bids empty") << unsold << Values{{"no_bids", ""}} << 7 << "";
        QTest::newRow("offer") << unsold << Values{{"offer_price", "$45.00"}} << 8 << "$45.00";
        QTest::newRow("expired") << unsold << Values{{"offer_expired", "Expired"}} << 9 << "Expired";
        QTest::newRow("relisted") << unsold << Values{{"relisted", "Relisted"}} << 10 << "Relisted";
    }
    void cellText()
    {
        QFETCH(int, listType);
        QFETCH(Values, values);
        QFETCH(int, column);
        QFETCH(QString, text);
        auto rs = listings(listType, {values});
        ReviewListModel model(listType);
        model.Fill(*rs);
        QCOMPARE(model.CellText(0, column), text);
        QCOMPARE(model.data(model.index(0, column), Qt::DisplayRole).toString(), text);
    }

    // Whole rows bold for new or ended auctions (counted); cells bold by the
    // change markers; the Sold delivery address by its own flag.
    void bold_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<Values>("flags");
        QTest::addColumn<bool>("rowBold");
        QTest::addColumn<QList<int>>("cells");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("anyBold");
        const int current = ListingRecordsets::Current, sold = ListingRecordsets::Sold, unsold = ListingRecordsets::Unsold;
        const QList<int> currentAll{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        const QList<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("nothing changed") << current << Values{{"UpdateFields", ""}} << false << QList<int>{} << "Current" << false;
        QTest::newRow("new current") << current << Values{{"UpdateAuction", true}} << true << currentAll << "Current (x1)" << true;
        QTest::newRow("title and top bid") << current << Values{{"UpdateFields", "[~3~][~8~]"}} << false << QList<int>{3, 8}
                                           << "Current" << true;
        QTest::newRow("top bid twice") << current << Values{{"UpdateFields", "[~8~][~8~]"}} << false << QList<int>{8}
                                       << "Current" << true;
        QTest::newRow("markers under a new row") << current << Values{{"UpdateAuction", true}, {"UpdateFields", "[~3~]"}}
                                                 << true << currentAll << "Current (x1)" << true;
        QTest::newRow("not ended") << current << Values{{"UpdateAuction", false}, {"UpdateFields", "[~5~]"}} << false
                                   << QList<int>{5} << "Current" << true;
        QTest::newRow("address on a current row") << current << Values{{"UpdateAddress", true}} << false << QList<int>{}
                                                  << "Current" << false;
        QTest::newRow("address only") << sold << Values{{"UpdateAddress", true}} << false << QList<int>{10} << "Sold" << true;
        QTest::newRow("title and address") << sold << Values{{"UpdateFields", "[~3~]"}, {"UpdateAddress", true}} << false
                                           << QList<int>{3, 10} << "Sold" << true;
        QTest::newRow("ended sale with an address") << sold << Values{{"UpdateAuction", true}, {"UpdateAddress", true}}
                                                    << true << all << "Sold (x1)" << true;
        QTest::newRow("address false") << sold << Values{{"UpdateAddress", false}} << false << QList<int>{} << "Sold" << false;
        QTest::newRow("offer, relisted") << unsold << Values{{"UpdateFields", "[~8~][~10~]"}} << false << QList<int>{8, 10}
                                         << "Unsold" << true;
        QTest::newRow("expired") << unsold << Values{{"UpdateFields", "[~9~]"}} << false << QList<int>{9} << "Unsold" << true;
        QTest::newRow("new unsold") << unsold << Values{{"UpdateAuction", true}} << true << all << "Unsold (x1)" << true;
    }
    void bold()
    {
        QFETCH(int, listType);
        QFETCH(Values, flags);
        QFETCH(bool, rowBold);
        QFETCH(QList<int>, cells);
        QFETCH(QString, caption);
        QFETCH(bool, anyBold);
        flags.insert("listing_id", "4101");
        auto rs = listings(listType, {flags, {{"listing_id", "plain"}}});
        ReviewListModel model(listType);
        model.Fill(*rs);
        const int row = model.RowOfRecord(0);
        QCOMPARE(model.RowBold(row), rowBold);
        QCOMPARE(boldCells(model, row), cells);
        QCOMPARE(boldCells(model, model.RowOfRecord(1)), QList<int>{});
        QCOMPARE(model.Caption(), caption);
        QCOMPARE(model.Count(), rowBold ? 1 : 0);
        QCOMPARE(model.AnyBold(), anyBold);
        for (int c = 0; c < model.columnCount(); ++c) {
            const QVariant font = model.data(model.index(row, c), Qt::FontRole);
            QCOMPARE(font.isValid() && font.value<QFont>().bold(), cells.contains(c));
        }
    }

    // The caption counts every new or ended auction, not the rows with markers.
    void captionCounts()
    {
        QVector<Values> records;
        for (int i = 0; i < 5; ++i)
            records << Values{{"listing_id", QString::number(i)}, {"UpdateAuction", i % 2 == 0}, {"UpdateFields", "[~3~]"}};
        auto rs = listings(ListingRecordsets::Sold, records);
        ReviewListModel model(ListingRecordsets::Sold);
        model.Fill(*rs);
        QCOMPARE(model.Count(), 3);
        QCOMPARE(model.Caption(), QStringLiteral("Sold (x3)"));
        // A refill counts afresh.
        model.Fill(*rs);
        QCOMPARE(model.Caption(), QStringLiteral("Sold (x3)"));
        model.Clear();
        QCOMPARE(model.Caption(), QStringLiteral("Sold"));
        QCOMPARE(model.rowCount(), 0);
    }

    // Red: a Sold or Unsold listing that ended before the system start.
    void red_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QVariant>("beforeSystemStart");
        QTest::addColumn<bool>("red");
        QTest::newRow("sold before") << int(ListingRecordsets::Sold) << QVariant(true) << true;
        QTest::newRow("sold run by the database") << int(ListingRecordsets::Sold) << QVariant(false) << false;
        QTest::newRow("sold after") << int(ListingRecordsets::Sold) << QVariant() << false;
        QTest::newRow("unsold before") << int(ListingRecordsets::Unsold) << QVariant(true) << true;
        QTest::newRow("current never") << int(ListingRecordsets::Current) << QVariant(true) << false;
    }
    void red()
    {
        QFETCH(int, listType);
        QFETCH(QVariant, beforeSystemStart);
        QFETCH(bool, red);
        auto rs = listings(listType, {{{"BeforeSystemStart", beforeSystemStart}, {"UpdateFields", "[~3~]"}}});
        ReviewListModel model(listType);
        model.Fill(*rs);
        QCOMPARE(model.RowRed(0), red);
        QCOMPARE(model.AnyRed(), red);
        for (int c = 0; c < model.columnCount(); ++c) {
            const QVariant colour = model.data(model.index(0, c), Qt::ForegroundRole);
            QCOMPARE(colour.isValid() && colour.value<QColor>() == QColor(Qt::red), red);
        }
        // Red and bold go together.
        QVERIFY(model.CellBold(0, 3));
    }

    // The shipping note: a sale the database runs has now ended and its
    // shipping reads "$0.00".
    void shippingNote_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<Values>("values");
        QTest::addColumn<bool>("note");
        const int sold = ListingRecordsets::Sold;
        QTest::newRow("running sale ended") << sold << Values{{"UpdateAuction", true}, {"BeforeSystemStart", false},
                                                              {"selected_shipping", "0"}} << true;
        QTest::newRow("new sale, nothing in the database")
            << sold << Values{{"UpdateAuction", true}, {"selected_shipping", "0"}} << false;
        QTest::newRow("red") << sold << Values{{"UpdateAuction", true}, {"BeforeSystemStart", true}, {"selected_shipping", "0"}}
                             << false;
        QTest::newRow("not ended") << sold << Values{{"UpdateFields", "[~3~]"}, {"BeforeSystemStart", false},
                                                     {"selected_shipping", "0"}} << false;
        QTest::newRow("shipping set") << sold << Values{{"UpdateAuction", true}, {"BeforeSystemStart", false},
                                                        {"selected_shipping", "5.5"}} << false;
        QTest::newRow("shipping Null shows empty") << sold << Values{{"UpdateAuction", true}, {"BeforeSystemStart", false}}
                                                   << false;
        QTest::newRow("not the sold list") << int(ListingRecordsets::Unsold)
                                           << Values{{"UpdateAuction", true}, {"BeforeSystemStart", false}} << false;
    }
    void shippingNote()
    {
        QFETCH(int, listType);
        QFETCH(Values, values);
        QFETCH(bool, note);
        // Beside it a Sold sale still running with no shipping: not ended, no note.
        Values other{{"listing_id", "other"}, {"BeforeSystemStart", false}};
        if (listType == ListingRecordsets::Sold) other.insert("selected_shipping", "0");
        auto rs = listings(listType, {other, values});
        ReviewListModel model(listType);
        model.Fill(*rs);
        QCOMPARE(model.ShippingNote(), note);
        // A fill without the row takes the note back.
        auto plain = listings(listType, {{{"listing_id", "other"}}});
        model.Fill(*plain);
        QVERIFY(!model.ShippingNote());
    }

    // A header click sorts by the column's value: dates by date, money by the
    // amount, text ignoring case, equal values in their former order.
    void headerSort_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("records");
        const int current = ListingRecordsets::Current, sold = ListingRecordsets::Sold, unsold = ListingRecordsets::Unsold;
        const QVariant null;
        const int up = Qt::AscendingOrder, down = Qt::DescendingOrder;
        // "$10.00" < "$100.00" < "$2.00" as text.
        QTest::newRow("start price") << current << "start_price" << QVariantList{10.0, 2.0, null, 100.0, 2.0} << 5 << up
                                     << QList<int>{2, 1, 4, 0, 3};
        QTest::newRow("start price down") << current << "start_price" << QVariantList{10.0, 2.0, null, 100.0, 2.0} << 5 << down
                                          << QList<int>{3, 0, 1, 4, 2};
        // "Fri 1 May" < "Mon 10 Feb" < "Sat 31 Jan" as text.
        QTest::newRow("closes") << current << "end_date"
                                << QVariantList{serial(2026, 5, 1, 9), serial(2026, 2, 10, 9), serial(2026, 1, 31, 9)} << 4
                                << up << QList<int>{2, 1, 0};
        QTest::newRow("bidders") << current << "bidders_watchers" << QVariantList{10, 9, 100} << 9 << up << QList<int>{1, 0, 2};
        QTest::newRow("title ignoring case") << current << "title" << QVariantList{"banana", "Apple", "cherry", "apple"} << 3
                                             << up << QList<int>{1, 3, 0, 2};
        QTest::newRow("title down") << current << "title" << QVariantList{"banana", "Apple", "cherry", "apple"} << 3 << down
                                    << QList<int>{2, 0, 1, 3};
        QTest::newRow("shipping by amount") << sold << "selected_shipping" << QVariantList{"10", "9.5", "0", null} << 9 << up
                                            << QList<int>{3, 2, 1, 0};
        QTest::newRow("sale price") << sold << "sale_price" << QVariantList{42.0, 5.0, 300.0} << 7 << down
                                    << QList<int>{2, 0, 1};
        QTest::newRow("unsold price") << unsold << "start_price" << QVariantList{9.0, 10.0} << 5 << up << QList<int>{0, 1};
    }
    void headerSort()
    {
        QFETCH(int, listType);
        QFETCH(QString, field);
        QFETCH(QVariantList, values);
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QList<int>, records);
        QVector<Values> rows;
        for (int i = 0; i < values.size(); ++i)
            rows << Values{{"listing_id", QString::number(i)}, {dateField(listType), serial(2026, 3, 1 + i, 9)}, {field, values[i]}};
        auto rs = listings(listType, rows);
        ReviewListModel model(listType);
        model.Fill(*rs);
        model.sort(column, Qt::SortOrder(order));
        QList<int> sorted;
        for (int row = 0; row < model.rowCount(); ++row) sorted << model.RecordPosition(row);
        QCOMPARE(sorted, records);
        QCOMPARE(model.sortColumn(), column);
        QCOMPARE(int(model.sortOrder()), order);
    }

    // The Unsold Reserve column sorts by the amount it shows, the top bid or the reserve.
    void unsoldReserveSortsByShownAmount()
    {
        auto rs = listings(ListingRecordsets::Unsold, {{{"reserve_price", 50.0}, {"max_bid_amount", 12.5}},
                                                       {{"reserve_price", 20.0}},
                                                       {{"reserve_price", 5.0}, {"max_bid_amount", 0.0}}});
        ReviewListModel model(ListingRecordsets::Unsold);
        model.Fill(*rs);
        model.sort(6, Qt::AscendingOrder);
        QCOMPARE(column(model, 6), (QStringList{"$5.00", "12.5", "$20.00"}));
        QCOMPARE(model.data(model.index(1, 6), Qt::UserRole), QVariant(12.5));
    }

    // The selection follows its record through a header sort; the key column
    // sorts back to the fill's order.
    void sortKeepsSelection()
    {
        auto rs = listings(ListingRecordsets::Current, {{{"listing_id", "a"}, {"end_date", serial(2026, 3, 1, 9)}, {"title", "Zebra"}},
                                                        {{"listing_id", "b"}, {"end_date", serial(2026, 3, 2, 9)}, {"title", "apple"}},
                                                        {{"listing_id", "c"}, {"end_date", serial(2026, 3, 3, 9)}, {"title", "Mango"}}});
        ReviewListModel model(ListingRecordsets::Current);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.Fill(*rs);
        QPersistentModelIndex selected = model.index(0, 3);
        QCOMPARE(model.ListingId(selected.row()), QStringLiteral("a"));
        QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
        model.sort(3, Qt::AscendingOrder);
        QCOMPARE(layout.count(), 1);
        QCOMPARE(column(model, 1), (QStringList{"b", "c", "a"}));
        QVERIFY(selected.isValid());
        QCOMPARE(selected.row(), 2);
        QCOMPARE(selected.column(), 3);
        QCOMPARE(model.data(model.index(0, 0), Qt::UserRole).toString(), ReviewListModel::SortKey(serial(2026, 3, 2)));
        model.sort(0, Qt::AscendingOrder);
        QCOMPARE(column(model, 1), (QStringList{"a", "b", "c"}));
        QCOMPARE(selected.row(), 0);
        // Nothing to sort and no such column: no change.
        model.sort(42, Qt::AscendingOrder);
        QCOMPARE(layout.count(), 2);
    }

    // The fill reads the set without moving it; an edit still pending is saved and shown.
    void fillKeepsThePosition()
    {
        auto rs = listings(ListingRecordsets::Current, {{{"listing_id", "a"}}, {{"listing_id", "b"}}, {{"listing_id", "c"}}});
        QVERIFY(rs->MoveTo(1));
        QVERIFY(rs->setValue("ItemId", "TEAPOT"));
        ReviewListModel model(ListingRecordsets::Current);
        model.Fill(*rs);
        QCOMPARE(rs->AbsolutePosition(), 1);
        QVERIFY(!rs->isEditing());
        QCOMPARE(rs->text("ItemId"), QStringLiteral("TEAPOT"));
        QCOMPARE(model.ItemCode(model.RowOfRecord(1)), QStringLiteral("TEAPOT"));
        // The rows are a snapshot: a change to the set shows at the next fill only.
        QVERIFY(rs->setValue("title", "Blue teapot"));
        QVERIFY(rs->Update());
        QCOMPARE(model.CellText(model.RowOfRecord(1), 3), QString());
        model.Fill(*rs);
        QCOMPARE(model.CellText(model.RowOfRecord(1), 3), QStringLiteral("Blue teapot"));
    }

    // 5,000 listings fill at once: one reset, no per-row signal, every row in
    // its sorted place. (bench_reviewlists times the fill and the sort.)
    void fillsManyRowsAtOnce()
    {
        QVector<Values> records;
        records.reserve(5000);
        for (int i = 0; i < 5000; ++i)
            records << Values{{"listing_id", QString::number(4000000 + i)},
                              {"title", QStringLiteral("Listing %1").arg(i)},
                              {"sold_date", serial(2026, 1, 1) + i * 0.37},
                              {"buyer_name", QStringLiteral("buyer%1").arg(i % 300)},
                              {"sale_price", 5.0 + i % 97},
                              {"selected_shipping", QString::number(i % 11)},
                              {"UpdateAuction", i % 3 == 0},
                              {"BeforeSystemStart", i % 4 == 0 ? QVariant(false) : QVariant()},
                              {"UpdateFields", i % 5 == 0 ? "[~3~]" : ""}};
        auto rs = listings(ListingRecordsets::Sold, records);
        ReviewListModel model(ListingRecordsets::Sold);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.Fill(*rs);
        // Sales of one day keep their record order under the latest-first sort.
        QHash<int, int> rowBefore;
        for (int row = 0; row < model.rowCount(); ++row) {
            rowBefore.insert(model.RecordPosition(row), row);
            if (row > 0 && model.CellText(row, 0) == model.CellText(row - 1, 0))
                QVERIFY(model.RecordPosition(row) > model.RecordPosition(row - 1));
            else if (row > 0)
                QVERIFY(model.CellText(row, 0) < model.CellText(row - 1, 0));
        }
        model.sort(7, Qt::AscendingOrder);
        // Equal prices keep the order they had.
        for (int row = 1; row < model.rowCount(); ++row) {
            const double price = model.data(model.index(row, 7), Qt::UserRole).toDouble();
            const double previous = model.data(model.index(row - 1, 7), Qt::UserRole).toDouble();
            QVERIFY(previous <= price);
            if (previous == price)
                QVERIFY(rowBefore.value(model.RecordPosition(row)) > rowBefore.value(model.RecordPosition(row - 1)));
        }
        QCOMPARE(model.rowCount(), 5000);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(model.Count(), 1667);
        QVERIFY(model.ShippingNote());
    }
};

VENDARO_TEST_MAIN(tst_reviewlists)
#include "tst_reviewlists.moc"
