// The listing exports end to end against the stand-in site: the addresses of
// the day filter, the download into the program folder without waiting in a
// nested event loop, and the reading back, with each failure reported: no
// session, a stalled export, a file that cannot be written, a changed format.

#include "StandInSite.h"
#include "TestEnvironment.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/Downloader.h"
#include "platform/transfer/SiteCookieJar.h"
#include "sync/ExportFile.h"
#include "sync/ListingRecordsets.h"
#include "sync/SiteText.h"
#include "sync/UpdateSession.h"
#include "tools/DemoData.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkCookie>

#include <memory>
#include <optional>

namespace {

const QString seller = QStringLiteral("kiwi_seller");

QNetworkCookie sessionCookie(const QString& token)
{
    QNetworkCookie cookie(StandInSite::sessionCookieName().toLatin1(), token.toLatin1());
    cookie.setDomain(QStringLiteral("127.0.0.1"));
    cookie.setPath(QStringLiteral("/"));
    return cookie;
}

QVariant price(double value) { return QVariant(value); }

}  // namespace

class tst_exportdownload : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::unique_ptr<StandInSite> site;
    std::unique_ptr<UpdateSession> session;

    QString file(int listType) const { return QDir(env->programFolder()).filePath(QStringLiteral("tmdata%1.csv").arg(listType)); }
    void logIn() { SiteCookieJar::instance()->add(sessionCookie(site->openSession(seller))); }

    // Runs DownloadCSV for a list type to its end, waiting at most waitMs; the
    // outcome, and whether it came only after the call returned.
    bool download(int listType, bool* later = nullptr, int waitMs = 90000)
    {
        session->mListType = listType;
        std::optional<bool> outcome;
        session->DownloadCSV([&](bool ok) { outcome = ok; });
        if (later) *later = !outcome.has_value();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), waitMs); }();
        return outcome.value_or(false);
    }

private slots:
    void init()
    {
        env.emplace();
        SiteCookieJar::instance()->clear();
        site = std::make_unique<StandInSite>();
        QString error;
        // The demo fixture's hand-written listings; most of their buyers are the demo's.
        QVERIFY2(site->loadFixture(QStringLiteral(VENDARO_SITE_FIXTURE), &error), qPrintable(error));
        DemoDataOptions demo;
        demo.sales = DemoData::DemoSales;
        for (const DemoBuyer& b : DemoData::Buyers(demo)) site->addBuyer(b.customerId, b.member, b.name);
        QVERIFY(site->start());
        qputenv("VENDARO_SITE_URL", site->baseUrl().toUtf8());
        session = std::make_unique<UpdateSession>(nullptr, nullptr);
        session->SetExportURLs(QStringLiteral("Last 45 days"));
        session->CreateListingRecordsets();
    }
    void cleanup()
    {
        session.reset();
        ExportFile::setTimeoutMs(60000);
        // The site stops once the clients let go of their kept-alive connections.
        Downloader::manager()->clearConnectionCache();
        site.reset();
        qunsetenv("VENDARO_SITE_URL");
        SiteCookieJar::instance()->clear();
        env.reset();
    }

    // Switching the filter changes the export addresses and the day window, never the unsold address.
    void exportAddresses()
    {
        const QString base = site->baseUrl();
        const QString exportPage = base + QStringLiteral("/MyTradeMe/Export/MyListingsCSV.aspx");
        const QString unsold = base + QStringLiteral("/MyTradeMe/Sell/Unsold.aspx");
        session->SetExportURLs(QStringLiteral("Last 7 days"));
        QCOMPARE(session->mDays, 7);
        QCOMPARE(session->mListURL[0], exportPage + QStringLiteral("?ListingType=Current&searchTerm=&filter=last_7_days"));
        QCOMPARE(session->mListURL[1], exportPage + QStringLiteral("?ListingType=Sold&show_deleted=1&filter=last_7_days"));
        QCOMPARE(session->mListURL[2], unsold);
        session->SetExportURLs(QStringLiteral("Last 45 days"));
        QCOMPARE(session->mDays, 45);
        QCOMPARE(session->mListURL[0], exportPage + QStringLiteral("?ListingType=Current&searchTerm=&filter=all"));
        QCOMPARE(session->mListURL[1], exportPage + QStringLiteral("?ListingType=Sold&show_deleted=1&filter=all"));
        QCOMPARE(session->mListURL[2], unsold);
    }

    // What the site lists comes back through the file and the reader, value for value, newest first.
    void roundTrip_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("sales");  // listing number and buyer
        QTest::newRow("current, 45 days") << 0 << "Last 45 days"
                                          << QStringList{"2871045105", "2871045102", "2871045101", "2871045103", "2871045104"};
        QTest::newRow("current, 7 days") << 0 << "Last 7 days"
                                         << QStringList{"2871045105", "2871045102", "2871045101", "2871045103"};
        QTest::newRow("sold, 45 days") << 1 << "Last 45 days"
                                       << QStringList{"2871040207 aroha10", "2871040202 mere2", "2871040204 aroha10",
                                                      "2871040201 sean1", "2871040203 o'brien_fan", "2871040204 tama_k",
                                                      "2871040205 mere2"};
        QTest::newRow("sold, 7 days") << 1 << "Last 7 days"
                                      << QStringList{"2871040207 aroha10", "2871040202 mere2", "2871040204 aroha10",
                                                     "2871040201 sean1"};
    }
    void roundTrip()
    {
        QFETCH(int, listType);
        QFETCH(QString, filter);
        QFETCH(QStringList, sales);
        logIn();
        session->SetExportURLs(filter);
        bool later = false;
        QVERIFY(download(listType, &later));
        QVERIFY2(later, "the download must report from the event loop, not before DownloadCSV returns");
        QVERIFY(QFile::exists(file(listType)));
        // Saved as the site sent it.
        QFile saved(file(listType));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        saved.close();
        QVERIFY(bytes.endsWith(",\r\n"));

        Recordset& rs = *session->mListings[listType];
        QVERIFY(session->ReadCSVFile(rs));
        QVERIFY2(!QFile::exists(file(listType)), "a file read whole is deleted");

        QMap<QString, StandInSite::Listing> byKey;
        for (const StandInSite::Listing& l : site->listings(seller))
            byKey.insert(listType == 1 ? l.id + u' ' + l.buyerName : l.id, l);
        QStringList read;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            const QString key = listType == 1 ? rs.text("listing_id") + u' ' + rs.text("buyer_name") : rs.text("listing_id");
            read << key;
            QVERIFY2(byKey.contains(key), qPrintable(key));
            const StandInSite::Listing& l = byKey[key];
            QCOMPARE(rs.text("title"), l.title);
            QCOMPARE(rs.value("start_date").toDouble(), vb::toOleDate(l.start));
            QCOMPARE(rs.value("start_price"), price(l.startPrice));
            QCOMPARE(rs.value("reserve_price"), price(l.reservePrice));
            QCOMPARE(rs.text("gallery"), QString(l.gallery ? "yes" : "no"));
            QCOMPARE(rs.text("bold"), QString(l.bold ? "yes" : "no"));
            const QVariant buyNow = rs.value(listType == 1 ? "buynow_price" : "buy_now_price");
            if (l.buyNowPrice > 0) QCOMPARE(buyNow, price(l.buyNowPrice));
            else QVERIFY2(buyNow.isNull(), "no buy now price: the site writes nothing");
            if (listType == 0) {
                QCOMPARE(rs.value("end_date").toDouble(), vb::toOleDate(l.end));
                QCOMPARE(rs.value("max_bid_amount"), price(l.maxBid));
                QCOMPARE(rs.value("bidders_watchers"), QVariant(l.biddersWatchers));
                QCOMPARE(rs.text("featured"), QString(l.featured ? "yes" : "no"));
                QCOMPARE(rs.text("homepage"), QString(l.homepage ? "yes" : "no"));
                QCOMPARE(rs.text("length"), l.length);
            } else {
                QCOMPARE(rs.value("sold_date").toDouble(), vb::toOleDate(l.end));
                QCOMPARE(rs.text("sold_type"), l.soldType);
                QCOMPARE(rs.value("sale_price"), price(l.salePrice));
                QCOMPARE(rs.text("buyer_email"), l.buyerEmail);
                QCOMPARE(rs.text("buyer_delivery_address"), site->deliveryAddress(l));
                QCOMPARE(rs.text("selected_shipping"), SiteText::GetDollarAmount(l.shipping));
                QCOMPARE(rs.text("feature"), QString(l.featured ? "yes" : "no"));
                QCOMPARE(rs.text("homepage_feature"), QString(l.homepage ? "yes" : "no"));
            }
        }
        QCOMPARE(read, sales);

        const StandInSite::Request asked = site->requests().constLast();
        QCOMPARE(asked.account, seller);
        QCOMPARE(asked.query.value("ListingType"), QString(listType == 1 ? "Sold" : "Current"));
        QCOMPARE(asked.query.value("filter"), QString(filter == "Last 7 days" ? "last_7_days" : "all"));
    }

    // The tricky texts of the fixture come through whole.
    void siteTextsSurvive()
    {
        logIn();
        QVERIFY(download(1));
        QVERIFY(session->ReadCSVFile(*session->mListings[1]));
        Recordset& rs = *session->mListings[1];
        QStringList titles, buyers, shipping, addresses;
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            titles << rs.text("title");
            buyers << rs.text("buyer_name");
            shipping << rs.text("selected_shipping");
            addresses << rs.text("buyer_name") + u'|' + rs.text("buyer_delivery_address");
        }
        // Delivery addresses as the site gives them: the buyer's own name first
        // (the save takes the first line as the name); a pick-up has none.
        QVERIFY(addresses.contains(QStringLiteral("mere2|Mere O'Brien, Flat 2, 45 Queen Street, Auckland Central, Auckland 1010")));
        QVERIFY(addresses.contains(QStringLiteral("o'brien_fan|Siobhan O'Brien, RD 2, 88 Gorge Road, Taumarunui 3992")));
        QVERIFY(addresses.contains(QStringLiteral("aroha10|")));
        QVERIFY(titles.contains(QStringLiteral("Stainless steel 12\" ruler, set of 2")));
        QVERIFY(buyers.contains(QStringLiteral("o'brien_fan")));
        QVERIFY(shipping.contains(QStringLiteral("0")));    // pick-up
        QVERIFY(shipping.contains(QStringLiteral("5.5")));  // "Courier $5.50 "

        QVERIFY(download(0));
        QVERIFY(session->ReadCSVFile(*session->mListings[0]));
        Recordset& current = *session->mListings[0];
        QStringList currentTitles;
        for (current.MoveFirst(); !current.isEOF(); current.MoveNext()) currentTitles << current.text("title");
        QVERIFY(currentTitles.contains(QStringLiteral("Pāua shell earrings")));
        QVERIFY(currentTitles.contains(QStringLiteral("Rimu coffee table, hand finished")));
    }

    // Without a session the site refuses the export: reported, and the old file is gone.
    void withoutASessionTheDownloadFails()
    {
        QFile old(file(0));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("listing_id,title,\r\n");
        old.close();
        env->messages().answer(vbmsg::OK, QStringLiteral("An error occurred downloading data file (0).\r\n"));
        QVERIFY(!download(0));
        QVERIFY2(env->messages().texts().constLast().contains(QStringLiteral("403")), qPrintable(env->messages().texts().join('|')));
        QVERIFY(env->messages().texts().constLast().startsWith(QStringLiteral("Auction update failed.")));
        QVERIFY(!QFile::exists(file(0)));
    }

    // An export that sends its header and then nothing: the time-out set ends
    // it, and it is reported as one; nothing is saved. The wait stays well
    // short of the program's own minute, so only the time-out set can end it.
    void stalledExportTimesOut()
    {
        logIn();
        site->setExportFault(StandInSite::ExportFault::Stalled);
        QCOMPARE(ExportFile::TimeoutMs(), 60000);
        ExportFile::setTimeoutMs(400);
        env->messages().answer(vbmsg::OK, QStringLiteral("An error occurred downloading data file (1).\r\nThe download timed out."));
        QVERIFY(!download(1, nullptr, 40000));
        QVERIFY(!QFile::exists(file(1)));
    }

    // The run going away while its export is still to come: no report, no answer.
    void runEndingMidDownloadIsQuiet()
    {
        logIn();
        site->setExportFault(StandInSite::ExportFault::Stalled);
        bool answered = false;
        session->mListType = 0;
        session->DownloadCSV([&](bool) { answered = true; });
        QTest::qWait(200);
        session.reset();
        QTest::qWait(200);
        QVERIFY(!answered);
        QVERIFY(!QFile::exists(file(0)));
    }

    // The program folder's file cannot be replaced (a folder stands in its place).
    void fileThatCannotBeWrittenIsReported()
    {
        logIn();
        QVERIFY(QDir(env->programFolder()).mkdir(QStringLiteral("tmdata1.csv")));
        env->messages().answer(vbmsg::OK, QStringLiteral("An error occurred downloading data file (1).\r\n"));
        QVERIFY(!download(1));
        QVERIFY(QFileInfo(file(1)).isDir());
    }

    // A changed export is downloaded, then refused by the reader: reported,
    // nothing read, and the file stays for a look.
    void changedExportIsRefused_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("message");
        QTest::newRow("renamed column") << int(StandInSite::ExportFault::ChangedHeader) << 0
                                        << "The TradeMe data file has changed (missing title)";
        QTest::newRow("a record with an item too many") << int(StandInSite::ExportFault::ShiftedRecord) << 1
                                                        << "The TradeMe data file has changed (row 2)";
    }
    void changedExportIsRefused()
    {
        QFETCH(int, fault);
        QFETCH(int, listType);
        QFETCH(QString, message);
        logIn();
        site->setExportFault(StandInSite::ExportFault(fault));
        QVERIFY(download(listType));
        env->messages().answer(vbmsg::OK, message);
        QVERIFY(!session->ReadCSVFile(*session->mListings[listType]));
        QCOMPARE(session->mListings[listType]->RecordCount(), 0);
        QVERIFY(QFile::exists(file(listType)));
    }

    void missingFileIsReported()
    {
        session->mListType = 1;
        env->messages().answer(vbmsg::OK, QStringLiteral("An error occurred reading data file (1).\r\n"));
        QVERIFY(!session->ReadCSVFile(*session->mListings[1]));
        QCOMPARE(session->mListings[1]->RecordCount(), 0);
    }
};

VENDARO_TEST_MAIN(tst_exportdownload)
#include "tst_exportdownload.moc"
