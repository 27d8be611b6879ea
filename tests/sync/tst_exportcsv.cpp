// The reader of the site's listing exports: the header check, the items and
// their quotes, the conversion of each kind whatever the machine's locale, and
// the records it refuses (a wrong item count) or passes over.

#include "TestEnvironment.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "sync/ExportCsvReader.h"
#include "sync/ListingRecordsets.h"
#include "sync/SiteText.h"
#include "sync/UpdateSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

namespace {

using Row = QMap<QString, QString>;

const QStringList currentColumns{"listing_id", "title", "start_date", "end_date", "max_bid_amount", "start_price",
                                 "reserve_price", "buy_now_price", "bidders_watchers", "featured", "gallery", "bold",
                                 "homepage", "length"};
const QStringList soldColumns{"listing_id", "title", "start_date", "sold_date", "sold_type", "sale_price",
                              "start_price", "reserve_price", "buynow_price", "selected_shipping", "buyer_name",
                              "buyer_delivery_address", "buyer_email", "feature", "gallery", "bold", "homepage_feature"};

QString line(const QStringList& items) { return items.join(u',') + QStringLiteral(",\r\n"); }

// A record in the columns' order: plain values, with some items written as given.
QString record(const QStringList& columns, const Row& written = {})
{
    static const Row defaults{{"listing_id", "4101"},       {"title", "Blue teapot"},
                              {"start_date", "01/03/2026 10:00:00"}, {"end_date", "08/03/2026 21:30:00"},
                              {"sold_date", "05/03/2026 20:15:30"},  {"sold_type", "Auction"},
                              {"sale_price", "42.00"},      {"max_bid_amount", "12.50"},
                              {"start_price", "1.00"},      {"reserve_price", "10.00"},
                              {"buy_now_price", "45.00"},   {"buynow_price", "45.00"},
                              {"bidders_watchers", "7"},    {"featured", "no"},
                              {"feature", "no"},            {"gallery", "yes"},
                              {"bold", "no"},               {"homepage", "no"},
                              {"homepage_feature", "no"},   {"length", "7 days"},
                              {"selected_shipping", "Courier $5.50 "}, {"buyer_name", "sean1"},
                              {"buyer_delivery_address", "\"1 Main Road, Hamilton\""}, {"buyer_email", "sean@example.co.nz"}};
    QStringList items;
    for (const QString& c : columns) items << written.value(c, defaults.value(c));
    return line(items);
}

QString currentHeader() { return line(currentColumns); }
QString soldHeader() { return line(soldColumns); }

double serial(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return vb::toOleDate(QDate(y, m, d)) + QTime(h, min, s).msecsSinceStartOfDay() / 86400000.0;
}

// Expected values of the last row read: a Null QVariant for Null.
using Expected = QVariantMap;

}  // namespace

class tst_exportcsv : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        env.reset();
    }

    void read_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");  // empty: read
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<Expected>("last");  // fields of the last row

        const int cur = ListingRecordsets::Current, sold = ListingRecordsets::Sold;
        const QString h = currentHeader();

        // The header.
        QTest::newRow("header only") << cur << h << "" << QStringList() << Expected();
        QTest::newRow("header only, no final line end") << cur << h.chopped(2) << "" << QStringList() << Expected();
        QTest::newRow("empty file") << cur << "" << "The TradeMe data file has changed (missing listing_id)" << QStringList()
                                    << Expected();
        QTest::newRow("a login page instead") << cur << "<html><body>You need to login to view this page</body></html>\r\n"
                                              << "The TradeMe data file has changed (missing listing_id)" << QStringList()
                                              << Expected();
        QTest::newRow("header without its trailing comma")
            << cur << h.chopped(3) + "\r\n" + record(currentColumns) << "The TradeMe data file has changed (row 1)"
            << QStringList() << Expected();
        QTest::newRow("header and records without trailing commas")
            << cur << h.chopped(3) + "\r\n" + record(currentColumns).chopped(3) + "\r\n"
            << "The TradeMe data file has changed (row 1)" << QStringList() << Expected();
        QStringList titled = currentColumns;
        titled[1] = "Title";
        QTest::newRow("\"Title\" is not \"title\"") << cur << line(titled) + record(titled)
                                                    << "The TradeMe data file has changed (missing title)" << QStringList()
                                                    << Expected();
        QTest::newRow("a column missing") << cur << line(currentColumns.mid(0, 13)) + record(currentColumns.mid(0, 13))
                                          << "The TradeMe data file has changed (missing length)" << QStringList()
                                          << Expected();
        QTest::newRow("Current columns are not Sold columns")
            << sold << h + record(currentColumns) << "The TradeMe data file has changed (missing sold_date)" << QStringList()
            << Expected();
        QStringList extra = currentColumns;
        extra.insert(2, "category");
        std::reverse(extra.begin(), extra.end());
        QTest::newRow("other order, a column of its own")
            << cur << line(extra) + record(extra, {{"category", "\"Home, garden\""}}) << "" << QStringList{"4101"}
            << Expected{{"title", "Blue teapot"}, {"start_price", 1.0}, {"length", "7 days"}};
        QTest::newRow("byte order mark") << cur << QString(QChar(0xFEFF)) + h + record(currentColumns) << ""
                                         << QStringList{"4101"} << Expected{{"title", "Blue teapot"}};

        // Items and quotes.
        auto title = [&](const QString& written, const QString& read) {
            QTest::newRow(qPrintable("title " + written))
                << cur << h + record(currentColumns, {{"title", written}}) << "" << QStringList{"4101"}
                << Expected{{"title", read}, {"start_price", 1.0}};
        };
        title("5\"\"\"\"x3", "5\"x3");
        title("5\"\"\"\"\"\"\"\"x3", "5\"\"x3");
        title("\"\"\"\"Best\"\"\"\" teapot", "\"Best\" teapot");
        title("\"Say \"\"\"\"hi\"\"\"\", then go\"", "Say \"hi\", then go");
        title("\"\"\"\"\"Quoted start, comma\"", "\"Quoted start, comma");
        title("\"Quoted end, comma\"\"\"\"\"", "Quoted end, comma\"");
        title("\"\"\"\"\"\"", "\"");
        title("\"\"", "");
        title("\"Two\r\nlines\"", "Two\r\nlines");
        title("\"Pāua shell, Māori carving – ngā mihi\"", "Pāua shell, Māori carving – ngā mihi");
        title("Kūmara 5\" stray\" quotes", "Kūmara 5\" stray\" quotes");
        title("\"closed\" then more", "closed");
        QTest::newRow("unclosed quote at the end of the file")
            << cur << h + record(currentColumns, {{"title", "\"no end"}}) + record(currentColumns)
            << "The TradeMe data file has changed (row 2)"
            << QStringList() << Expected();

        // Values by kind.
        QTest::newRow("plain values") << cur << h + record(currentColumns) << "" << QStringList{"4101"}
                                      << Expected{{"listing_id", "4101"},
                                                  {"start_date", serial(2026, 3, 1, 10)},
                                                  {"end_date", serial(2026, 3, 8, 21, 30)},
                                                  {"max_bid_amount", 12.5},
                                                  {"reserve_price", 10.0},
                                                  {"buy_now_price", 45.0},
                                                  {"bidders_watchers", 7},
                                                  {"featured", "no"},
                                                  {"gallery", "yes"}};
        auto value = [&](const char* name, const QString& field, const QString& written, const QVariant& read) {
            QTest::newRow(name) << cur << h + record(currentColumns, {{field, written}}) << "" << QStringList{"4101"}
                                << Expected{{field, read}};
        };
        value("empty price", "start_price", "", QVariant());
        value("empty date", "end_date", "", QVariant());
        value("empty count", "bidders_watchers", "", QVariant());
        value("empty text stays text", "length", "", QString());
        value("price with a currency sign", "start_price", "$5.00", 5.0);
        value("price with a thousands separator", "start_price", "\"1,200.00\"", 1200.0);
        value("price with separator and cents", "reserve_price", "\"1,200.50\"", 1200.5);
        value("price in the millions", "buy_now_price", "\"1,234,567.89\"", 1234567.89);
        value("empty price of blanks", "start_price", "  ", QVariant());
        value("price without decimals", "start_price", "20", 20.0);
        value("price with blanks", "start_price", " 20.5 ", 20.5);
        value("price from a point", "start_price", ".5", 0.5);
        value("count beyond 32 bits", "bidders_watchers", "3000000000", QVariant());
        value("count with a fraction", "bidders_watchers", "2.5", 2);
        value("date without seconds", "end_date", "08/03/2026 21:30", serial(2026, 3, 8, 21, 30));
        value("date alone", "end_date", "08/03/2026", serial(2026, 3, 8));
        value("date with one-digit day and hour", "end_date", "8/3/2026 9:05:01", serial(2026, 3, 8, 9, 5, 1));
        value("date that no calendar has", "end_date", "31/02/2026 10:00:00", QVariant());
        value("time that no clock has", "end_date", "08/03/2026 24:00:00", QVariant());
        value("date written the other way", "end_date", "2026-03-08 21:30:00", QVariant());
        value("date with a two-digit year", "end_date", "08/03/26 21:30:00", QVariant());
        value("date in words", "end_date", "Sun 8 Mar 9:30 pm", QVariant());

        // The shipping: the dollar amount of the site's wording.
        auto shipping = [&](const QString& written, const QString& read) {
            QTest::newRow(qPrintable("shipping " + written))
                << sold << soldHeader() + record(soldColumns, {{"selected_shipping", written}}) << "" << QStringList{"4101"}
                << Expected{{"selected_shipping", read},
                            {"sold_date", serial(2026, 3, 5, 20, 15, 30)},
                            {"buyer_delivery_address", "1 Main Road, Hamilton"},
                            {"homepage_feature", "no"}};
        };
        shipping("Courier $5.50 ", "5.5");
        shipping("\"Rural delivery, $1,200.00 \"", "1200");
        shipping("Buyer to pick-up or make arrangements directly with the seller", "0");
        shipping("", "0");
        shipping("North Island $12", "12");
        shipping("\"Ship \"\"\"\"fast\"\"\"\" $7.25 \"", "7.25");

        // Records the reader refuses or passes over.
        const QString one = record(currentColumns, {{"listing_id", "4101"}});
        const QString two = record(currentColumns, {{"listing_id", "4102"}, {"title", "Green jug"}});
        QTest::newRow("an item too many: nothing kept")
            << cur << h + one + record(currentColumns, {{"title", "Jug, green"}}) + two
            << "The TradeMe data file has changed (row 3)" << QStringList() << Expected();
        QTest::newRow("an item too few") << cur << h + one + two + one.mid(5) << "The TradeMe data file has changed (row 4)"
                                         << QStringList() << Expected();
        QTest::newRow("a record cut off at the end") << cur << h + one + two.left(20)
                                                     << "The TradeMe data file has changed (row 3)" << QStringList()
                                                     << Expected();
        QTest::newRow("blank lines pass, and count as rows")
            << cur << h + "\r\n" + one + "\r\n  \r\n" + two + "\r\n" + one.mid(5) << "The TradeMe data file has changed (row 8)"
            << QStringList() << Expected();
        QTest::newRow("blank lines are skipped") << cur << "\r\n" + h + "\r\n" + one + "\r\n\r\n" + two + "\r\n" << ""
                                                 << QStringList{"4101", "4102"} << Expected{{"title", "Green jug"}};
        QTest::newRow("a line break inside quotes is no row")
            << cur << h + record(currentColumns, {{"title", "\"Two\r\nlines\""}}) + two << "" << QStringList{"4101", "4102"}
            << Expected{{"title", "Green jug"}};
        QTest::newRow("records without a listing number are skipped")
            << cur << h + record(currentColumns, {{"listing_id", ""}}) + one + record(currentColumns, {{"listing_id", " "}})
            << "" << QStringList{"4101"} << Expected{{"title", "Blue teapot"}};
        QTest::newRow("a row of commas is skipped") << cur << h + one + QString(currentColumns.size(), u',') + "\r\n" << ""
                                                    << QStringList{"4101"} << Expected{{"title", "Blue teapot"}};
        QString lf = h + one + two;
        lf.remove(u'\r');
        QTest::newRow("line feeds alone") << cur << lf << "" << QStringList{"4101", "4102"} << Expected{{"title", "Green jug"}};
        QString cr = h + one + two;
        cr.remove(u'\n');
        QTest::newRow("carriage returns alone") << cur << cr << "" << QStringList{"4101", "4102"}
                                                << Expected{{"title", "Green jug"}};
        QTest::newRow("no line end after the last record") << cur << h + one + two.chopped(2) << ""
                                                           << QStringList{"4101", "4102"} << Expected{{"length", "7 days"}};
    }
    void read()
    {
        QFETCH(int, listType);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(QStringList, ids);
        QFETCH(Expected, last);

        const auto rs = ListingRecordsets::Create(listType);
        QString message = QStringLiteral("not set");
        const bool ok = ExportCsvReader::Read(text.toUtf8(), listType, *rs, &message);
        QCOMPARE(message, error);
        QCOMPARE(ok, error.isEmpty());
        QStringList read;
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext()) read << rs->text("listing_id");
        QCOMPARE(read, ids);
        if (ids.isEmpty()) return;
        rs->MoveLast();
        for (auto it = last.cbegin(); it != last.cend(); ++it) {
            const QVariant got = rs->value(it.key());
            if (it.value().isNull()) {
                QVERIFY2(got.isNull(), qPrintable(it.key() + " = " + got.toString()));
            } else if (it.value().typeId() == QMetaType::Double) {
                QVERIFY2(!got.isNull(), qPrintable(it.key()));
                QCOMPARE(got.toDouble(), it.value().toDouble());
            } else {
                QCOMPARE(got.typeId(), it.value().typeId());
                QCOMPARE(got, it.value());
            }
        }
        // The work fields are never read from a file.
        for (int f = 0; f < ListingRecordsets::mWorkFieldCount; ++f) QVERIFY(rs->value(f).isNull());
    }

    // An amount that is no number holds its record back (it would be saved
    // as 0), named with the items at fault; the other records are read.
    void amountThatIsNoNumber_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        const int cur = ListingRecordsets::Current, sold = ListingRecordsets::Sold;
        QTest::newRow("decimal comma") << cur << "start_price" << "\"12,50\"";
        QTest::newRow("not a number") << cur << "start_price" << "nan";
        QTest::newRow("infinite") << cur << "max_bid_amount" << "inf";
        QTest::newRow("exponent") << cur << "reserve_price" << "1e3";
        QTest::newRow("words") << cur << "buy_now_price" << "n/a";
        QTest::newRow("sale price") << sold << "sale_price" << "abc";
        QTest::newRow("separator in the wrong place") << sold << "buynow_price" << "\"12,00.00\"";
        QTest::newRow("amount and words") << sold << "start_price" << "12 dollars";
    }
    void amountThatIsNoNumber()
    {
        QFETCH(int, listType);
        QFETCH(QString, field);
        QFETCH(QString, written);
        const QStringList& columns = listType == ListingRecordsets::Sold ? soldColumns : currentColumns;
        const QString text = line(columns) + record(columns, {{"listing_id", "4101"}}) +
                             record(columns, {{"listing_id", "4102"}, {field, written}}) + record(columns, {{"listing_id", "4103"}});
        const auto rs = ListingRecordsets::Create(listType);
        QString error = "not set";
        QStringList heldBack{"not set"};
        QVERIFY(ExportCsvReader::Read(text.toUtf8(), listType, *rs, &error, &heldBack));
        QCOMPARE(error, QString());
        QString item = written;
        if (item.startsWith(u'"')) item = item.mid(1).chopped(1);
        QCOMPARE(heldBack, QStringList{QString("4102 (%1 \"%2\")").arg(field, item)});
        QStringList read;
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext()) read << rs->text("listing_id");
        QCOMPARE(read, (QStringList{"4101", "4103"}));
    }

    // Through the synchronisation: the record held back is named in one
    // message, as a record without a date is at the save, and the rest is read.
    void heldBackRecordIsReported()
    {
        const QString text = soldHeader() + record(soldColumns, {{"listing_id", "4101"}, {"sale_price", "\"1,200.50\""}}) +
                             record(soldColumns, {{"listing_id", "4102"}, {"sale_price", "abc"}, {"reserve_price", "ten"}});
        QFile file(QDir(env->programFolder()).filePath("tmdata1.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        file.close();
        UpdateSession session(nullptr, nullptr);
        session.CreateListingRecordsets();
        session.mListType = ListingRecordsets::Sold;
        env->messages().answer(vbmsg::OK);
        QVERIFY(session.ReadCSVFile(*session.mListings[ListingRecordsets::Sold]));
        QVERIFY(env->messages().verifyDone());
        const ScriptedMessages::Prompt said = env->messages().prompts().value(0);
        QCOMPARE(said.text, QString("These listings were not read because the site gave an amount that is not a number:\r\n"
                                    "4102 (sale_price \"abc\", reserve_price \"ten\")"));
        QCOMPARE(said.style, int(vbmsg::Exclamation));
        Recordset& rs = *session.mListings[ListingRecordsets::Sold];
        QCOMPARE(rs.RecordCount(), 1);
        rs.MoveFirst();
        QCOMPARE(rs.text("listing_id"), QString("4101"));
        QCOMPARE(rs.value("sale_price").toDouble(), 1200.5);
    }

    // A refused file leaves what the set held before.
    void refusedFileLeavesTheSetAsItWas()
    {
        const auto rs = ListingRecordsets::Create(ListingRecordsets::Current);
        QVERIFY(ExportCsvReader::Read((currentHeader() + record(currentColumns)).toUtf8(), ListingRecordsets::Current, *rs));
        const QString shifted = currentHeader() + record(currentColumns, {{"listing_id", "5000"}}) +
                                record(currentColumns, {{"title", "a,b"}});
        QVERIFY(!ExportCsvReader::Read(shifted.toUtf8(), ListingRecordsets::Current, *rs));
        QCOMPARE(rs->RecordCount(), 1);
        rs->MoveFirst();
        QCOMPARE(rs->text("listing_id"), QStringLiteral("4101"));
    }

    // A large shop's export: read in one pass, every record kept in order.
    void largeExport()
    {
        QString text = soldHeader();
        for (int i = 0; i < 5000; ++i)
            text += record(soldColumns, {{"listing_id", QString::number(2871000000 + i)}, {"title", "\"Jug, no. " + QString::number(i) + "\""}});
        const auto rs = ListingRecordsets::Create(ListingRecordsets::Sold);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(ExportCsvReader::Read(text.toUtf8(), ListingRecordsets::Sold, *rs));
        qInfo("5000 records read in %lld ms", clock.elapsed());
        QCOMPARE(rs->RecordCount(), 5000);
        rs->MoveLast();
        QCOMPARE(rs->text("title"), QStringLiteral("Jug, no. 4999"));
        QCOMPARE(rs->text("selected_shipping"), QStringLiteral("5.5"));
    }

    // Numbers and dates read the same under a locale of decimal commas and other date orders.
    void readsTheSameInAnyLocale()
    {
        const QString text = currentHeader() + record(currentColumns);
        const auto inC = ListingRecordsets::Create(ListingRecordsets::Current);
        QVERIFY(ExportCsvReader::Read(text.toUtf8(), ListingRecordsets::Current, *inC));
        for (const char* name : {"de_DE", "en_US", "fr_FR"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            const auto rs = ListingRecordsets::Create(ListingRecordsets::Current);
            QVERIFY(ExportCsvReader::Read(text.toUtf8(), ListingRecordsets::Current, *rs));
            QCOMPARE(rs->rows(), inC->rows());
            rs->MoveFirst();
            QCOMPARE(rs->value("max_bid_amount").toDouble(), 12.5);
            QCOMPARE(rs->value("end_date").toDouble(), serial(2026, 3, 8, 21, 30));
        }
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("records");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("nothing") << "" << QList<QStringList>() << QList<int>();
        QTest::newRow("one line end") << "\r\n" << QList<QStringList>{{""}} << QList<int>{1};
        QTest::newRow("trailing comma") << "a,b,\r\nc,d," << QList<QStringList>{{"a", "b", ""}, {"c", "d", ""}}
                                        << QList<int>{1, 2};
        QTest::newRow("quoted line end") << "\"a\r\nb\",c\r\n\r\nd" << QList<QStringList>{{"a\r\nb", "c"}, {""}, {"d"}}
                                         << QList<int>{1, 2, 3};
        QTest::newRow("empty quoted items") << "\"\",\"\"\"\"\"\"," << QList<QStringList>{{"", "\"", ""}} << QList<int>{1};
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, records);
        QFETCH(QList<int>, rows);
        const QList<ExportCsvReader::Record> got = ExportCsvReader::Split(text);
        QList<QStringList> items;
        QList<int> numbers;
        for (const auto& r : got) {
            items << r.items;
            numbers << r.row;
        }
        QCOMPARE(items, records);
        QCOMPARE(numbers, rows);
    }

    void dollarAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("amount");
        QTest::newRow("courier") << "Courier $5.50 " << "5.5";
        QTest::newRow("thousands") << "$1,200.00" << "1200";
        QTest::newRow("thousands without cents") << "Rural $1,500 extra" << "1500";
        QTest::newRow("comma after the amount") << "Courier $5.50, tracked" << "5.5";
        QTest::newRow("decimal comma is no amount") << "Kurier $5,50" << "0";
        QTest::newRow("no dollar sign") << "Pick-up" << "0";
        QTest::newRow("empty") << "" << "0";
        QTest::newRow("sign alone") << "Rural $" << "0";
        QTest::newRow("blank after the sign") << "$ 5" << "0";
        QTest::newRow("point first") << "$.5" << "0.5";
        QTest::newRow("point alone") << "$." << "0";
        QTest::newRow("two points: no amount") << "$5.5.5" << "0";
        QTest::newRow("first sign counts") << "Island $12 extra $3" << "12";
        QTest::newRow("leading zeros") << "$007.10" << "7.1";
        QTest::newRow("whole") << "$5.00" << "5";
        QTest::newRow("minus") << "$-5" << "0";
        QTest::newRow("tab ends it") << "$4\t.5" << "4";
        QTest::newRow("too long a number") << "$" + QString(400, u'9') << "0";
    }
    void dollarAmount()
    {
        QFETCH(QString, text);
        QFETCH(QString, amount);
        QCOMPARE(SiteText::GetDollarAmount(text), amount);
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QCOMPARE(SiteText::GetDollarAmount(text), amount);
    }
};

VENDARO_TEST_MAIN(tst_exportcsv)
#include "tst_exportcsv.moc"
