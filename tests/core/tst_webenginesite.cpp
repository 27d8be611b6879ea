// Site work against the stand-in site in the real browser (WebEngine, offscreen).

#include "DatabaseFixture.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/SiteConfig.h"
#include "platform/browser/WebBrowser.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/transfer/Downloader.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QDir>
#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QScopeGuard>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

namespace {
constexpr int Patience = 90000;
}

class tst_webenginesite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    QWidget caller;

    ProgramContext& ctx() { return ProgramContext::current(); }
    QString filledPage() const { return QDir(env->programFolder()).filePath("VNTMLI.sub"); }

    std::unique_ptr<frmBrowser> open(bool learn = false)
    {
        auto w = std::make_unique<frmBrowser>();
        w->RemoteForm = &caller;
        w->AutoLogin = true;
        w->ExitAfterLogin = true;
        w->GetTradeMeMemberId = learn;
        w->show();
        return w;
    }
    int loginPosts() const
    {
        int n = 0;
        for (const auto& r : site.requests()) n += r.method == "POST" && r.path == "/Members/Login.aspx";
        return n;
    }

private slots:
    void initTestCase()
    {
        // The browser's start says nothing of its own set-up on the terminal.
        static QStringList categories;
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString&) { categories << QString::fromUtf8(context.category); });
        {
            QWidget window;
            WebBrowser* browser = WebBrowser::create(&window);
            bool loaded = false;
            connect(browser, &WebBrowser::DocumentComplete, this, [&] { loaded = true; });
            browser->Navigate("about:blank");
            QTRY_VERIFY_WITH_TIMEOUT(loaded, Patience);
        }
        qInstallMessageHandler(previous);
        QVERIFY2(!categories.contains("qt.webenginecontext"), qPrintable(categories.join(", ")));

        site.addAccount({"kiwi_seller", "seller@example.co.nz", "pa\"ss<word", "1234567"});
        site.addAccount({"other_seller", "other@example.co.nz", "other-pass", "7654321"});
        site.addBuyer("sean1", "3000001");
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
    }
    void cleanupTestCase() { site.stop(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        SiteSeller::UseAccount({"kiwi_seller", "seller@example.co.nz", "pa\"ss<word", "1234567"});
        site.clearRequests();
    }
    void cleanup()
    {
        QVERIFY(!QFile::exists(filledPage()));
        env.reset();
    }

    void freshLoginServesTheDownloadsToo()
    {
        QVERIFY(!Downloader::Get(QUrl(site.baseUrl() + "/MyTradeMe/Selling.aspx")).ok);
        auto w = open();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), Patience);
        QVERIFY(w->LoginOK);
        QCOMPARE(loginPosts(), 1);
        for (const auto& r : site.requests())
            if (r.method == "POST") QCOMPARE(r.form.value("password"), QStringLiteral("pa\"ss<word"));
        // The session the browser got also authorises the program's downloads.
        Downloader::Result r;
        QTRY_VERIFY_WITH_TIMEOUT((r = Downloader::Get(QUrl(site.baseUrl() + "/MyTradeMe/Selling.aspx"))).ok, Patience);
        QVERIFY(r.data.contains("Items I'm selling"));
    }

    void alreadyLoggedInSettlesAtTheFirstPage()
    {
        QNetworkCookie cookie(StandInSite::sessionCookieName().toUtf8(), site.openSession("kiwi_seller").toUtf8());
        cookie.setDomain("127.0.0.1");
        cookie.setPath("/");
        WebEngineBrowser::profile()->cookieStore()->setCookie(cookie, QUrl(site.baseUrl()));
        auto w = open();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), Patience);
        QVERIFY(w->LoginOK);
        QCOMPARE(loginPosts(), 0);
    }

    void wrongPasswordLandsOnTheLoginPage()
    {
        ctx().gConfiguration.TradeMePassword = "wrong";
        env->messages().answer(vbmsg::OK, "Could not login to TradeMe.\r\n\r\nPossible cause:");
        auto w = open();
        QTRY_VERIFY_WITH_TIMEOUT(env->messages().pending() == 0, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(w->browser()->LocationURL().endsWith("/Members/Login.aspx") && !w->browser()->Busy(), Patience);
        QVERIFY(!w->LoginOK);
        QCOMPARE(loginPosts(), 1);
        w->close();
    }

    void anotherAccountIsRefused()
    {
        ctx().gConfiguration.TradeMeMemberId = "999";
        env->messages().answer(vbmsg::OK, "You cannot log into a different account with this database.");
        auto w = open();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), Patience);
        QVERIFY(!w->LoginOK);
    }

    void learningTakesTheMemberNumber()
    {
        ctx().gConfiguration.TradeMeMemberId = "0";
        auto w = open(true);
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), Patience);
        QVERIFY(w->LoginOK);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("1234567"));
    }

    // Feedback through the pages a feedback window drives: placed, refused
    // the second time, and an unknown buyer.
    void feedbackIsPlacedOnce()
    {
        QNetworkCookie cookie(StandInSite::sessionCookieName().toUtf8(), site.openSession("kiwi_seller").toUtf8());
        cookie.setDomain("127.0.0.1");
        cookie.setPath("/");
        WebEngineBrowser::profile()->cookieStore()->setCookie(cookie, QUrl(site.baseUrl()));

        QWidget window;
        WebBrowser* browser = WebBrowser::create(&window);
        browser->widget()->setParent(&window);
        window.show();
        const QString comment = "Great \"buyer\" & <fast> payment";
        auto place = [&](const QString& auction, const QString& buyer) {
            int step = 1;
            int result = 0;
            QMetaObject::Connection c = QObject::connect(browser, &WebBrowser::DocumentComplete, [&] {
                if (result == 0) result = modWebProcessing::PlaceFeedback(&window, browser, step, auction, buyer, comment, "");
            });
            browser->Navigate(site.baseUrl() + "/Browse/SearchResults.aspx?searchtype=SELLER&searchstring=" + buyer + "&searchregion=100");
            (void)QTest::qWaitFor([&] { return result != 0; }, Patience);
            QObject::disconnect(c);
            return result;
        };

        QCOMPARE(place("555A", "sean1"), 1);
        QList<StandInSite::Request> posts;
        for (const auto& r : site.requests())
            if (r.method == "POST" && r.path == "/MyTradeMe/Feedback/Place.aspx") posts << r;
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts[0].form.value("feedback"), comment + " :)");
        QCOMPARE(posts[0].form.value("auctionid"), QStringLiteral("555"));
        QCOMPARE(posts[0].form.value("memberid"), QStringLiteral("3000001"));
        QCOMPARE(posts[0].form.value("role"), QStringLiteral("successful_bidder"));
        QCOMPARE(posts[0].account, QStringLiteral("kiwi_seller"));

        env->messages().answer(vbmsg::OK, "Feedback has already been placed for this member.");
        QCOMPARE(place("555", "sean1"), -1);
        env->messages().answer(vbmsg::OK, "Could not retrieve member number (nobody_here).");
        QCOMPARE(place("556", "nobody_here"), -1);
        QVERIFY(!QFile::exists(QDir(env->programFolder()).filePath("VNTMFB.sub")));
    }

    // The pages the program writes run as local files; one that carried a
    // script anyway must not read the seller's database (it holds the site
    // password) or any other local file.
    void aWrittenPageCannotReadLocalFiles()
    {
        const QString secret = QDir(env->programFolder()).filePath("shop.mdb");
        QVERIFY(QFile::exists(secret));
        const QString page = QDir(env->programFolder()).filePath("VNTMXS.sub");
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><title>waiting</title></head><body><script>\n"
                "var seen = 'refused';\n"
                "try { var x = new XMLHttpRequest(); x.open('GET', '" + QUrl::fromLocalFile(secret).toEncoded() + "', false);\n"
                "      x.send(); seen = 'read ' + x.responseText.length; } catch (e) {}\n"
                "document.title = seen;\n"
                "</script></body></html>\n");
        f.close();

        QWidget window;
        WebBrowser* browser = WebBrowser::create(&window);
        auto* view = static_cast<QWebEngineView*>(browser->widget());
        view->setParent(&window);
        browser->Navigate(page);
        QTRY_VERIFY_WITH_TIMEOUT(view->title() == "refused" || view->title().startsWith("read"), Patience);
        QCOMPARE(view->title(), QStringLiteral("refused"));
    }

    // A written page is given the address its form posts to, so the post is
    // the site's own; a page without a form posting to a web address stays
    // a local page.
    void writtenPageOrigin_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("origin");
        const QString fb = "http://127.0.0.1:81/MyTradeMe/Feedback/Place.aspx";
        QTest::newRow("double quotes") << "<form method=\"post\" action=\"" + fb + "\"><input name=a></form>" << fb + "#written:P.sub";
        QTest::newRow("single quotes") << "<FORM ACTION='" + fb + "'>" << fb + "#written:P.sub";
        QTest::newRow("unquoted") << "<form action=" + fb + " method=post>" << fb + "#written:P.sub";
        QTest::newRow("'>' in an earlier value") << "<form title=\"a > b\" action=\"" + fb + "\">" << fb + "#written:P.sub";
        QTest::newRow("entities in the query") << "<form action=\"https://site.test/x.aspx?a=1&amp;b=2\">"
                                               << "https://site.test/x.aspx?a=1&b=2#written:P.sub";
        QTest::newRow("the first form decides") << "<form action=\"https://a.test/1\"></form><form action=\"https://b.test/2\">"
                                                << "https://a.test/1#written:P.sub";
        QTest::newRow("relative action") << "<form action=\"Place.aspx\">" << QString();
        QTest::newRow("script action") << "<form action=\"javascript:alert(1)\">" << QString();
        QTest::newRow("local file action") << "<form action=\"file:///etc/passwd\">" << QString();
        QTest::newRow("no form") << "<html><body>blank</body></html>" << QString();
        QTest::newRow("action only in text") << "<p>action=\"https://a.test/1\"</p><form method=post>" << QString();
    }
    void writtenPageOrigin()
    {
        QFETCH(QString, page);
        QFETCH(QString, origin);
        QCOMPARE(WebEngineBrowser::writtenPageOrigin(page, "P.sub").toString(), origin);
    }

    // A written page posts as the logged-in seller however old the login:
    // under a session cookie the browser never sends cross-site, a page loaded
    // as a local file would reach the site logged out. A page too big to be
    // set from memory (a long description, a long e-mail) does the same.
    void writtenPagesPostAsTheSeller_data()
    {
        QTest::addColumn<int>("words");
        QTest::newRow("small") << 10;
        QTest::newRow("beyond the in-memory limit") << 450000;  // "kākahu " percent-encodes to 2.7 MB
    }
    void writtenPagesPostAsTheSeller()
    {
        QFETCH(int, words);
        QNetworkCookie cookie(StandInSite::sessionCookieName().toUtf8(), site.openSession("kiwi_seller").toUtf8());
        cookie.setDomain("127.0.0.1");
        cookie.setPath("/");
        cookie.setSameSitePolicy(QNetworkCookie::SameSite::Strict);
        WebEngineBrowser::profile()->cookieStore()->setCookie(cookie, QUrl(site.baseUrl()));

        const QString path = QDir(env->programFolder()).filePath("VNTMFB.sub");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString filler;
        filler.reserve(words * 7);
        for (int i = 0; i < words; ++i) filler += QStringLiteral("kākahu ");
        f.write(("<html><head><title>VNTMFB</title></head><body onload=\"document.forms[0].submit()\"><p>" + filler +
                 "</p><form method=\"post\" action=\"" + site.baseUrl() + "/MyTradeMe/Feedback/Place.aspx\">"
                 "<input type=\"hidden\" name=\"memberid\" value=\"3000001\"><input type=\"hidden\" name=\"auctionid\" value=\"" +
                 QString::number(700 + words) + "\"><input type=\"hidden\" name=\"feedback\" value=\"Thanks\">"
                 "<input type=\"hidden\" name=\"role\" value=\"successful_bidder\"></form></body></html>")
                    .toUtf8());
        f.close();

        QWidget window;
        WebBrowser* browser = WebBrowser::create(&window);
        browser->widget()->setParent(&window);
        QStringList addresses;
        connect(browser, &WebBrowser::DocumentComplete, this, [&](const QString& address) { addresses << address; });
        browser->Navigate(path);
        QFile::remove(path);  // as the program does: the browser has the content
        QTRY_VERIFY_WITH_TIMEOUT(addresses.size() >= 2, Patience);
        // The written page is reported at its own file's address, then the site's answer.
        QCOMPARE(addresses.first(), QUrl::fromLocalFile(path).toString());
        QVERIFY2(SiteConfig::isOnSite(addresses.last()), qPrintable(addresses.last()));
        QVERIFY2(browser->BodyText().contains("Your feedback has been placed", Qt::CaseInsensitive), qPrintable(browser->BodyText().left(300)));
        QList<StandInSite::Request> posts;
        for (const auto& r : site.requests())
            if (r.method == "POST" && r.path == "/MyTradeMe/Feedback/Place.aspx") posts << r;
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts[0].account, QStringLiteral("kiwi_seller"));
    }

    // WebEngine answers a read still pending when its page goes; a browser
    // that goes while it reads a page back must not be called through then.
    void aBrowserGoingWhileItReadsAPage()
    {
        for (bool placed : {false, true}) {
            QWidget window;
            QPointer<WebBrowser> browser = WebBrowser::create(nullptr);
            if (placed) browser->widget()->setParent(&window);
            auto* page = static_cast<QWebEngineView*>(browser->widget())->page();
            bool finished = false;
            // Runs after the browser has asked for the page's text.
            connect(page, &QWebEnginePage::loadFinished, this, [&] {
                finished = true;
                QTimer::singleShot(0, this, [&] { delete browser.data(); });
            });
            int reports = 0;
            connect(browser, &WebBrowser::DocumentComplete, this, [&] { ++reports; });
            browser->Navigate(site.baseUrl() + "/");
            QTRY_VERIFY_WITH_TIMEOUT(finished && !browser, Patience);
            QTest::qWait(200);  // any late answer
            QCOMPARE(reports, 0);
        }
    }

    void plainBrowserAtTheHomePage()
    {
        frmBrowser w;
        w.StartingAddress = site.baseUrl() + "/";
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.windowTitle().startsWith("TradeMe - New Zealand"), Patience);
        QCOMPARE(w.windowTitle(), QStringLiteral("TradeMe - New Zealand's online auction site") + ctx().gBrowserCaptionSuffix);
        QVERIFY(w.browser()->BodyText().contains("Welcome to TradeMe\r\n"));
        // A picture for the eye, kept beside the build's programs.
        const QString shots = TestEnvironment::screenshotFolder();
        QTest::qWait(300);
        w.grab().save(QDir(shots).filePath("browser-home.png"));
        w.close();
    }
};

VENDARO_TEST_MAIN(tst_webenginesite)
#include "tst_webenginesite.moc"
