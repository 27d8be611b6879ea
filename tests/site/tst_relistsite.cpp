// The stand-in's relist pages walked as the relist driver walks them, in the
// real browser (WebEngine, offscreen): each site form cut out of the page,
// rewritten, written as an auto-submit page and loaded; then what the site
// recorded is checked.

#include "DatabaseFixture.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/ListingForm.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/SiteConfig.h"
#include "platform/browser/WebEngineBrowser.h"

#include <QElapsedTimer>
#include <QNetworkCookie>
#include <QSignalSpy>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <memory>
#include <optional>

namespace {
constexpr int Patience = 90000;
}

class tst_relistsite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    std::unique_ptr<WebEngineBrowser> browser;

    void logIn()
    {
        QNetworkCookie cookie(StandInSite::sessionCookieName().toUtf8(), site.openSession("kiwi_seller").toUtf8());
        cookie.setDomain("127.0.0.1");
        cookie.setPath("/");
        WebEngineBrowser::profile()->cookieStore()->setCookie(cookie, QUrl(site.baseUrl()));
    }

    // Loads an address and waits for a page on the site (a local page that
    // submits itself is followed by the site's answer); its HTML, or "".
    QString load(const QString& address)
    {
        QSignalSpy loaded(browser.get(), &WebBrowser::DocumentComplete);
        browser->Navigate(address);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < Patience) {
            if (loaded.isEmpty() && !loaded.wait(int(Patience - clock.elapsed()))) break;
            for (const QList<QVariant>& report : std::as_const(loaded))
                if (SiteConfig::isOnSite(report.value(0).toString())) return browser->DocumentHtml();
            loaded.clear();
        }
        return QString();
    }

    // The driver's walk from the listing page to the result: "" when the
    // listing was made, else where and why it stopped.
    QString relist(const QString& path, const RelistRecord& record)
    {
        QString html = load(site.baseUrl() + path);
        if (!html.toLower().contains("required fields are shown with a")) return "listing page: " + html;
        QString form = modWebProcessing::ExtractForm(html, "newlisting_form", false);
        if (const int code = ListingForm::FillListingForm(form, record)) return QStringLiteral("listing form: %1").arg(code);
        if (const int code = ListingForm::FixBodyTextarea(form)) return QStringLiteral("body: %1").arg(code);
        if (!modWebProcessing::SaveSubmitPage(form, "/sell/details2.aspx", "newlisting_form", "VNTMR1", false)) return "VNTMR1";

        html = load(modWebProcessing::SubmitPagePath("VNTMR1"));
        if (!html.toLower().contains("first photo free")) return "photo page: " + html;
        form = modWebProcessing::ExtractForm(html, "/sell/extras2.aspx", false);
        if (!modWebProcessing::SaveSubmitPage(form, "/sell/extras2.aspx", "ContinueUpload", "VNTMR2", true)) return "VNTMR2";

        html = load(modWebProcessing::SubmitPagePath("VNTMR2"));
        if (!html.toLower().contains("shows a photo in search results")) return "extras page: " + html;
        form = modWebProcessing::ExtractForm(html, "extras", false);
        if (const int code = ListingForm::SetExtraFeatures(form, record)) return QStringLiteral("extras form: %1").arg(code);
        if (!modWebProcessing::SaveSubmitPage(form, "/sell/extras2.aspx", "extras", "VNTMR3", false)) return "VNTMR3";

        html = load(modWebProcessing::SubmitPagePath("VNTMR3"));
        if (!html.toLower().contains("check that your listing details are correct")) return "confirmation page: " + html;
        form = modWebProcessing::ExtractForm(html, "newlisting_finished_form", false);
        if (!modWebProcessing::SaveSubmitPage(form, "/sell/confirm2.aspx", "newlisting_finished_form", "VNTMR4", false)) return "VNTMR4";

        html = load(modWebProcessing::SubmitPagePath("VNTMR4"));
        if (!html.toLower().contains("your auction has")) return "result page: " + html;
        return QString();
    }

    static StandInSite::Listing listing(const QString& id, const QString& kind)
    {
        StandInSite::Listing l;
        l.seller = "kiwi_seller";
        l.id = id;
        l.kind = kind;
        l.title = "Rimu bowl " + id;
        l.body = "Hand turned rimu.\nOiled finish & waxed.";
        l.start = QDateTime::currentDateTime().addDays(-9);
        l.end = QDateTime::currentDateTime().addDays(kind == "current" ? 2 : -2);
        l.startPrice = 20;
        l.reservePrice = 35;
        l.buyNowPrice = 55;
        l.length = "7 days";
        l.gallery = true;
        l.bold = true;
        return l;
    }

private slots:
    void initTestCase()
    {
        site.addAccount(SiteSeller::Kiwi());
        site.addListing(listing("4001", "unsold"));
        site.addListing(listing("4002", "current"));
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
    }
    void cleanupTestCase() { site.stop(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        SiteSeller::UseAccount(SiteSeller::Kiwi());
        browser = std::make_unique<WebEngineBrowser>();
        logIn();
    }
    void cleanup()
    {
        browser.reset();
        env.reset();
    }

    // A relist with a new reserve, a scheduled end and other features: the
    // site receives exactly the record's values, the title as written.
    void relistWithReserveScheduleAndFeatures()
    {
        RelistRecord r;
        r.AuctionId = "4001";
        r.RelistAction = "Relist";
        r.Title = "Kauri \"bowl\" <small> & co &amp; 50%1";
        r.StartPrice = 12.5;
        r.ReservePrice = 40;
        r.BuyNowPrice = QVariant();
        r.DurationFixed = false;
        r.DurationDays = 3;
        r.DurationTime = 21.0 / 24;
        r.ExtraFeatures = ",Feature combo,Homepage featured,";
        const QString stopped = relist("/Sell/Details2.aspx?action=relist&listingid=4001", r);
        QVERIFY2(stopped.isEmpty(), qPrintable(stopped.left(2000)));

        const QList<StandInSite::CreatedListing> made = site.createdListings();
        QCOMPARE(made.size(), 1);
        const StandInSite::CreatedListing& c = made.first();
        QCOMPARE(c.templateId, QStringLiteral("4001"));
        QCOMPARE(c.action, QStringLiteral("relist"));
        QCOMPARE(c.title, r.Title);
        QCOMPARE(c.body, QStringLiteral("Hand turned rimu.\r\nOiled finish & waxed.\r\n\r\n:)"));
        QCOMPARE(c.startPrice, QStringLiteral("12.5"));
        QCOMPARE(c.startEqReserve, QStringLiteral("0"));
        QCOMPARE(c.reservePrice, QStringLiteral("40"));
        QCOMPARE(c.buyNowPrice, QString());
        QCOMPARE(c.durationType, QStringLiteral("advanced"));
        QCOMPARE(c.endDate, QDate::currentDate().addDays(3).toString("dd/MM/yyyy"));
        QCOMPARE(c.endHour, QStringLiteral("9:00 pm"));
        QCOMPARE(c.features, (QStringList{"combocheckbox", "homepagecheckbox"}));

        // The new listing runs on the site; the old one says what became of it.
        bool found = false;
        for (const StandInSite::Listing& l : site.listings("kiwi_seller")) {
            if (l.id == "4001") QCOMPARE(l.relistedAs, c.id);
            if (l.id != c.id) continue;
            found = true;
            QCOMPARE(l.kind, QStringLiteral("current"));
            QCOMPARE(l.title, r.Title);
            QCOMPARE(l.reservePrice, 40.0);
            QCOMPARE(l.buyNowPrice, 0.0);
            QCOMPARE(l.length, QStringLiteral("Scheduled enddate"));
            QCOMPARE(l.end, QDateTime(QDate::currentDate().addDays(3), QTime(21, 0)));
            QVERIFY(l.featured && l.gallery && l.homepage && !l.bold);
        }
        QVERIFY(found);
        QVERIFY(!relist("/Sell/Details2.aspx?action=relist&listingid=4001", r).isEmpty());  // relisted once only
    }

    // "Sell similar" of a running listing with the site's own prices and ticks
    // and a fixed length: the template keeps running.
    void sellSimilarKeepsTheSitesValues()
    {
        RelistRecord r;
        r.AuctionId = "4002";
        r.RelistAction = "Sell similar";
        r.Title = "Rimu bowl, large";
        r.StartPrice = 0;
        r.ReservePrice = 0;
        r.BuyNowPrice = 0.0;
        r.DurationFixed = true;
        r.DurationDays = 10;
        r.ExtraFeatures = "";
        const int before = int(site.createdListings().size());
        const QString stopped = relist("/Sell/Details2.aspx?action=sell_similar&listingid=4002", r);
        QVERIFY2(stopped.isEmpty(), qPrintable(stopped.left(2000)));
        const StandInSite::CreatedListing c = site.createdListings().value(before);
        QCOMPARE(c.action, QStringLiteral("sell_similar"));
        QCOMPARE(c.title, r.Title);
        QCOMPARE(c.startPrice, QStringLiteral("20"));
        QCOMPARE(c.startEqReserve, QString());
        QCOMPARE(c.reservePrice, QStringLiteral("35"));
        QCOMPARE(c.buyNowPrice, QStringLiteral("55"));
        QCOMPARE(c.durationType, QStringLiteral("easy"));
        QCOMPARE(c.auctionLength, QStringLiteral("14400"));
        QCOMPARE(c.features, (QStringList{"gallerycheckbox", "boldtitlecheckbox"}));
        for (const StandInSite::Listing& l : site.listings("kiwi_seller"))
            if (l.id == "4002") QVERIFY(l.relistedAs.isEmpty());
    }

    // The site's fields renamed: the rewriting stops with its code, before anything is posted.
    void renamedFieldsStopTheRewriting()
    {
        site.setRelistFault("4002", StandInSite::RelistFault::RenamedFields);
        RelistRecord r;
        r.Title = "Anything";
        r.DurationDays = 7;
        const int before = int(site.createdListings().size());
        QCOMPARE(relist("/Sell/Details2.aspx?action=sell_similar&inlog=true&listingid=4002", r), QStringLiteral("listing form: 11"));
        site.setRelistFault("4002", StandInSite::RelistFault::None);
        QCOMPARE(site.createdListings().size(), before);
    }
};

VENDARO_TEST_MAIN(tst_relistsite)
#include "tst_relistsite.moc"
