// The unsold pages of the stand-in site (the hand-written listings of the demo
// fixture's seller) in the real browser: what the page's body text gives the
// reader, and a run paging through it.

#include "DatabaseFixture.h"
#include "RecordingUpdateView.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/SiteCookieJar.h"
#include "sync/ListingRecordsets.h"
#include "sync/UnsoldPageReader.h"
#include "sync/UpdateSession.h"

#include <QNetworkCookie>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <memory>
#include <optional>

namespace {
constexpr int Patience = 90000;
}

class tst_unsoldsite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    RecordingUpdateView view;
    std::unique_ptr<WebEngineBrowser> browser;

    QString unsoldUrl() const { return site.baseUrl() + QStringLiteral("/MyTradeMe/Sell/Unsold.aspx"); }
    void logIn()
    {
        QNetworkCookie cookie(StandInSite::sessionCookieName().toUtf8(), site.openSession("kiwi_seller").toUtf8());
        cookie.setDomain("127.0.0.1");
        cookie.setPath("/");
        WebEngineBrowser::profile()->cookieStore()->setCookie(cookie, QUrl(site.baseUrl()));
    }
    QStringList ids(const Recordset& rs) const
    {
        QStringList out;
        const int column = rs.FieldIndex(QStringLiteral("listing_id"));
        for (const QVariantList& row : rs.rows()) out << row[column].toString();
        return out;
    }
    // The fixture's unsold listings of the seller that closed within the last `days` days, newest first.
    QStringList expectedIds(int days) const
    {
        QList<StandInSite::Listing> unsold;
        for (const StandInSite::Listing& l : site.listings("kiwi_seller"))
            if (l.kind == QLatin1String("unsold") && l.end >= QDateTime(QDate::currentDate().addDays(-days), QTime(0, 0))) unsold << l;
        std::stable_sort(unsold.begin(), unsold.end(), [](const auto& x, const auto& y) { return x.end > y.end; });
        QStringList out;
        for (const auto& l : unsold) out << l.id;
        return out;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(site.loadFixture(QStringLiteral(VENDARO_DEMO_BASE_FIXTURE), &error), qPrintable(error));
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
        // The fixture spans more than the 45-day window and more than one page.
        QVERIFY(expectedIds(45).size() > 10);
        QVERIFY(expectedIds(90).size() > expectedIds(45).size());
    }
    void cleanupTestCase() { site.stop(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        WebEngineBrowser::profile()->cookieStore()->deleteAllCookies();
        SiteCookieJar::instance()->clear();
        site.setUnsoldPaging(10);
        view.calls.clear();
        browser = std::make_unique<WebEngineBrowser>();
    }
    void cleanup()
    {
        browser.reset();
        env.reset();
    }

    // The browser keeps the page's lines and the two blanks after "Closed:".
    void bodyTextReadsAsTheReaderExpects()
    {
        logIn();
        QSignalSpy loaded(browser.get(), &WebBrowser::DocumentComplete);
        browser->Navigate(unsoldUrl());
        QVERIFY(loaded.wait(Patience));
        const QString text = browser->BodyText();
        QVERIFY2(text.contains(UnsoldPageReader::Sentinel), qPrintable(text.left(600)));
        QVERIFY(!text.contains(QRegularExpression("[^\\r]\\n")));

        auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
        const auto r = UnsoldPageReader::ParseUnsoldPage(text, *rs, 45, QDate::currentDate());
        QCOMPARE(r.outcome, UnsoldPageReader::PageResult::NextPage);
        QCOMPARE(ids(*rs), expectedIds(45).mid(0, 10));
        QVERIFY(r.unreadDates.isEmpty());

        const auto row = [&](const QString& id) {
            rs->MoveTo(int(ids(*rs).indexOf(id)));
            return rs.get();
        };
        Recordset* quoted = row("4100000102");
        QCOMPARE(quoted->value("title").toString(), QStringLiteral("Rimu \"Colonial\" bookcase & shelves"));
        QCOMPARE(quoted->value("max_bid_amount").toDouble(), 180.0);
        QCOMPARE(quoted->value("offer_price").toString(), QStringLiteral("Offered for $250.00"));
        QCOMPARE(quoted->value("offer_expired").toString(), QString());
        Recordset* suite = row("4100000103");
        QVERIFY(suite->value("title").toString().size() > 60);
        QVERIFY(suite->value("title").toString().startsWith("Genuine leather lounge suite, three seater"));
        QCOMPARE(suite->value("start_price").toDouble(), 1200.0);
        QCOMPARE(suite->value("reserve_price").toDouble(), 1850.0);
        QCOMPARE(suite->value("offer_expired").toString(), QStringLiteral("Offer expired\r\nOffered for $1,750.00"));
        Recordset* camera = row("4100000104");
        QCOMPARE(camera->value("no_bids").toString(), QStringLiteral("No bids"));
        QCOMPARE(camera->value("relisted").toString(), QStringLiteral("Relisted as #4100000190"));
        const QDateTime closed = vb::fromOleDate(camera->value("end_date").toDouble());
        QDateTime expected;
        for (const StandInSite::Listing& l : site.listings("kiwi_seller"))
            if (l.id == QLatin1String("4100000104")) expected = l.end;
        QCOMPARE(closed, QDateTime(expected.date(), QTime(expected.time().hour(), expected.time().minute())));
    }

    void runReadsThePages_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("sameNumber");
        QTest::addColumn<int>("pagesAsked");  // requests of the unsold page, a redirect followed included
        QTest::newRow("45 days: an older listing on page 2 ends it") << 45 << false << 2;
        QTest::newRow("7 days: ends on page 1") << 7 << false << 1;
        QTest::newRow("all: page 3 lands on page 2") << 90 << false << 4;
        QTest::newRow("all: page 3 answers as page 2 did") << 90 << true << 3;
    }
    void runReadsThePages()
    {
        QFETCH(int, days);
        QFETCH(bool, sameNumber);
        QFETCH(int, pagesAsked);
        site.setUnsoldPaging(10, sameNumber ? StandInSite::PastEnd::SameNumber : StandInSite::PastEnd::LowerPage);
        logIn();
        UpdateSession session(&view, browser.get());
        session.mListURL[ListingRecordsets::Unsold] = unsoldUrl();
        session.mDays = days;
        QSignalSpy ended(&session, &UpdateSession::runEnded);
        site.clearRequests();
        session.StartUnsoldPages();
        QVERIFY(ended.wait(Patience));
        QCOMPARE(ids(*session.mListings[ListingRecordsets::Unsold]), expectedIds(days));
        int asked = 0;
        for (const auto& r : site.requests()) asked += r.path == QLatin1String("/MyTradeMe/Sell/Unsold.aspx");
        QCOMPARE(asked, pagesAsked);
        QVERIFY(!session.unsoldStepFailed());
        QVERIFY(view.calls.contains("RunFinished"));
        QVERIFY(env->messages().prompts().isEmpty());
    }

    void withoutASessionTheLoginFails()
    {
        UpdateSession session(&view, browser.get());
        session.mListURL[ListingRecordsets::Unsold] = unsoldUrl();
        QSignalSpy ended(&session, &UpdateSession::runEnded);
        session.StartUnsoldPages();
        QVERIFY(ended.wait(Patience));
        QVERIFY(view.calls.contains("LoginFailed"));
        QVERIFY(!view.calls.contains("RunFinished"));
        QVERIFY(session.unsoldStepFailed());
    }
};

VENDARO_TEST_MAIN(tst_unsoldsite)
#include "tst_unsoldsite.moc"
