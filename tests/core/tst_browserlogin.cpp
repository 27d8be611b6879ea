#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsLinks.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QAbstractButton>
#include <QLineEdit>
#include <QRegularExpression>

#include <optional>

namespace {
const QString Site = QStringLiteral("https://www.trademe.co.nz");
const QString LoginCheck = Site + QStringLiteral("/MyTradeMe/Default.aspx");
const QString LoginPage = Site + QStringLiteral("/Members/Login.aspx");
const QString Password = QStringLiteral("pa\"ss<&>word");

QString unescape(QString s)
{
    s.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
    return s;
}
}  // namespace

// The site as the login sees it: the login check, the login form and its answer.
struct ScriptedSite {
    bool loggedIn = false;
    QString member = QStringLiteral("1234567");
    QString password = Password;
    QStringList pagesBeforeAnswer;  // pages that are not the site's, shown first
    bool localPageExisted = false;  // the filled page was still on disk when loaded
    QString localPath;
    int answersBeforeSilence = -1;  // site pages answered before the site falls silent; -1 never

    FakeBrowser::Page answer(const QString& address, const QString& content)
    {
        if (content.isEmpty() && answersBeforeSilence == 0) {
            FakeBrowser::Page silence;
            silence.neverLoads = true;
            return silence;
        }
        if (content.isEmpty() && answersBeforeSilence > 0) --answersBeforeSilence;
        if (!content.isEmpty()) {
            localPageExisted = QFile::exists(localPath);
            auto field = [&](const QString& name) {
                const auto m = QRegularExpression("name=\"" + name + "\" value=\"([^\"]*)\"").match(content);
                return unescape(m.captured(1));
            };
            loggedIn = field("email") == "seller@example.co.nz" && field("password") == password &&
                       content.contains("action=\"" + Site + "/Members/Login.aspx\"");
            return {QString(), "VNTMLI", "Logging in", content, loggedIn ? LoginCheck : LoginPage + "?error=1"};
        }
        if (!pagesBeforeAnswer.isEmpty() && address == LoginCheck) {
            const QString other = pagesBeforeAnswer.takeFirst();
            return {other, "blank", "", "", LoginCheck};
        }
        if (address.startsWith(LoginCheck)) {
            if (!loggedIn) return {address, "My TradeMe", "You need to login to view this page", ""};
            return {address, "My TradeMe",
                    "kiwi_seller (seller@example.co.nz)\n\nYou are member " + member + "\nWelcome back to My TradeMe.", ""};
        }
        if (address.startsWith(LoginPage)) return {address, "Log in", "Log in\nEmail\nPassword", ""};
        return {address, "Somewhere", "Another page", ""};
    }
};

class tst_browserlogin : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ScriptedSite site;
    QWidget caller;

    ProgramContext& ctx() { return ProgramContext::current(); }
    QString filledPage() const { return QDir(env->programFolder()).filePath("VNTMLI.sub"); }

    // A login window for the calling window, with the scripted site behind it.
    frmBrowser* open(bool exitAfterLogin = true, bool learn = false)
    {
        auto* w = new frmBrowser;
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->RemoteForm = &caller;
        w->AutoLogin = true;
        w->ExitAfterLogin = exitAfterLogin;
        w->GetTradeMeMemberId = learn;
        fake(w)->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
        w->show();
        return w;
    }
    static FakeBrowser* fake(frmBrowser* w) { return static_cast<FakeBrowser*>(w->browser()); }
    static QString lastNavigation(frmBrowser* w)
    {
        const QStringList all = fake(w)->navigations();
        return all.isEmpty() ? QString() : all.last();
    }
    static bool postedFilledPage(frmBrowser* w)
    {
        for (const QString& a : fake(w)->navigations())
            if (a.endsWith("VNTMLI.sub")) return true;
        return false;
    }

private slots:
    void initTestCase() { WebBrowser::setFactory([](QObject* parent) { return new FakeBrowser(parent); }); }
    void cleanupTestCase() { WebBrowser::setFactory({}); }

    void init()
    {
        qunsetenv("VENDARO_SITE_URL");
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        Configuration& c = ctx().gConfiguration;
        c.TradeMeUserId = "kiwi_seller";
        c.TradeMeEmail = "seller@example.co.nz";
        c.TradeMePassword = Password;
        c.TradeMeMemberId = "1234567";
        site = ScriptedSite();
        site.localPath = filledPage();
    }
    void cleanup()
    {
        QVERIFY2(!QFile::exists(filledPage()), "the filled login page must never stay on disk");
        env.reset();
    }

    void alreadyLoggedInSettlesAtTheFirstPage()
    {
        site.loggedIn = true;
        std::unique_ptr<frmBrowser> w(open());
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->LoginOK);
        QCOMPARE(fake(w.get())->navigations(), QStringList{LoginCheck});
        QCOMPARE(w->windowTitle(), QStringLiteral("Log in"));
    }

    void freshLoginPostsTheFilledPage()
    {
        std::unique_ptr<frmBrowser> w(open());
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->LoginOK);
        QVERIFY(postedFilledPage(w.get()));
        // The password reached the site intact, escaped in the page.
        QVERIFY(fake(w.get())->localContents().value(0).contains("pa&quot;ss&lt;&amp;&gt;word"));
        // The page was gone from disk as soon as the browser had read it.
        QVERIFY(!site.localPageExisted);
    }

    void pagesOffTheSiteAreIgnoredWhileChecking()
    {
        site.loggedIn = true;
        site.pagesBeforeAnswer = {"about:blank"};
        std::unique_ptr<frmBrowser> w(open());
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->LoginOK);
    }

    void wrongPasswordSaysSoAndOpensTheLoginPage()
    {
        site.password = "something else";
        env->messages().answer(vbmsg::OK, "Could not login to TradeMe.\r\n\r\nPossible cause:\r\n1. Check your TradeMe UserId");
        std::unique_ptr<frmBrowser> w(open());
        QTRY_COMPARE(lastNavigation(w.get()), LoginPage);
        QVERIFY(!w->LoginOK);
        QVERIFY(w->isVisible());  // left open for a login by hand
        QVERIFY(!w->AutoLogin);
        QCOMPARE(w->RemoteForm, nullptr);
        QVERIFY(w->findChild<QWidget*>("picControls")->isVisibleTo(w.get()));
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        w->close();
    }

    void wrongPasswordWhileLearningClosesQuietly()
    {
        site.password = "something else";
        std::unique_ptr<frmBrowser> w(open(true, true));
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!w->LoginOK);
    }

    void anotherAccountIsRefused()
    {
        site.loggedIn = true;
        site.member = "7654321";
        env->messages().answer(vbmsg::OK, "You cannot log into a different account with this database.");
        std::unique_ptr<frmBrowser> w(open());
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!w->LoginOK);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("1234567"));
    }

    void readLoginPage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("member");
        const QString tail = "kiwi_seller (12)\r\nseller@example.co.nz\r\nYou are member 1234567\r\nLog out\r\n";
        QTest::newRow("member page") << tail << true << "1234567";
        QTest::newRow("other case") << QString(tail).replace("You are member", "YOU ARE MEMBER").replace("kiwi_seller", "Kiwi_Seller")
                                    << true << "1234567";
        // Letters whose lower case is longer than they are, before the number.
        QTest::newRow("dotted capital I before") << "Welcome İlker İİİ\r\n" + tail << true << "1234567";
        QTest::newRow("not logged in") << "You need to login to view this page\r\n" + tail << false << "";
        QTest::newRow("another seller's page") << QString(tail).replace("kiwi_seller", "other_seller") << false << "";
        QTest::newRow("without the e-mail") << QString(tail).replace("seller@example.co.nz", "") << false << "";
        QTest::newRow("number at the very end") << QString(tail).left(tail.indexOf("1234567") + 7) << false << "";
    }
    void readLoginPage()
    {
        QFETCH(QString, text);
        QFETCH(bool, loggedIn);
        QFETCH(QString, member);
        QString id;
        QCOMPARE(frmBrowser::ReadLoginPage(text, "kiwi_seller", "seller@example.co.nz", &id), loggedIn);
        QCOMPARE(id, member);
    }

    void learningTakesTheMemberNumber()
    {
        ctx().gConfiguration.TradeMeMemberId = "0";
        site.member = "7654321";
        std::unique_ptr<frmBrowser> w(open(true, true));
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->LoginOK);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("7654321"));
    }

    void withoutAStoredPasswordTheSellerLogsInByHand()
    {
        ctx().gConfiguration.TradeMePassword.clear();
        std::unique_ptr<frmBrowser> w(open());
        QTRY_COMPARE(w->loginState(), int(frmBrowser::ManualLogin));
        QCOMPARE(lastNavigation(w.get()), LoginPage);
        QVERIFY(!postedFilledPage(w.get()));
        // The seller logs in; the site shows the login check page.
        site.loggedIn = true;
        fake(w.get())->Navigate(LoginCheck);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->LoginOK);
    }

    void leavingTheManualLoginAsksToCancel_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes closes") << int(vbmsg::Yes);
        QTest::newRow("no goes back to the login page") << int(vbmsg::No);
    }
    void leavingTheManualLoginAsksToCancel()
    {
        QFETCH(int, answer);
        ctx().gConfiguration.TradeMeEmail.clear();
        std::unique_ptr<frmBrowser> w(open());
        QTRY_COMPARE(w->loginState(), int(frmBrowser::ManualLogin));
        env->messages().answer(answer, "Cancel login?");
        fake(w.get())->Navigate(Site + "/Browse/Listing.aspx?id=1");
        if (answer == vbmsg::Yes) {
            QTRY_VERIFY(!w->isVisible());
        } else {
            QTRY_COMPARE(lastNavigation(w.get()), LoginPage);
            QCOMPARE(w->loginState(), int(frmBrowser::ManualLogin));
            w->close();
        }
        QCOMPARE(env->messages().prompts()[0].style, vbmsg::YesNo + vbmsg::Question);
        QVERIFY(!w->LoginOK);
    }

    // A site that stops answering or drip-feeds a page that never completes
    // (at the check, or after the filled page posted itself) fails the login at the time-out as a rejected one does:
    // the message, the normal window back in its saved place at the login
    // page, and no filled page left behind. Learning closes quietly.
    void aSilentSiteFailsTheLoginInTime_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<bool>("learn");
        QTest::newRow("silent login check") << 0 << false;
        QTest::newRow("silent answer to the posted login") << 1 << false;
        QTest::newRow("silent answer while learning") << 1 << true;
    }
    void aSilentSiteFailsTheLoginInTime()
    {
        QFETCH(int, answers);
        QFETCH(bool, learn);
        constexpr int timeoutMs = 300;
        AppSettings::SaveSettings("Settings\\frmBrowser", {{"WindowState", "0"}, {"Left", "1500"}, {"Top", "1200"},
                                                           {"Width", "12000"}, {"Height", "9000"}});
        site.answersBeforeSilence = answers;
        if (!learn) env->messages().answer(vbmsg::OK, "Could not login to TradeMe.\r\n\r\nPossible cause:\r\n1. Check your TradeMe UserId");
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<frmBrowser> w(open(true, learn));
        QCOMPARE(w->loginTimeout(), int(frmBrowser::DefaultLoginTimeoutMs));
        w->setLoginTimeout(timeoutMs);

        QTRY_VERIFY_WITH_TIMEOUT(fake(w.get())->navigations().contains("<stop>"), 60000);
        // Not given up before its time: a lower bound, which a slow machine only passes more easily.
        QVERIFY(clock.elapsed() >= timeoutMs);
        QCOMPARE(w->loginState(), int(frmBrowser::Browsing));
        QVERIFY(!w->LoginOK);
        QVERIFY(!QFile::exists(filledPage()));
        // Where the site fell silent, then the stopped load (and the login page for a login by hand).
        QStringList route;
        for (const QString& a : fake(w.get())->navigations()) route << (a.endsWith("VNTMLI.sub") ? QStringLiteral("<filled page>") : a);
        QStringList expected{LoginCheck};
        if (answers > 0) expected << "<filled page>" << LoginCheck;
        expected << "<stop>";
        if (!learn) expected << LoginPage;
        QCOMPARE(route, expected);
        if (learn) {
            QTRY_VERIFY(!w->isVisible());
            QCOMPARE(env->messages().prompts().size(), 0);
            return;
        }
        QCOMPARE(env->messages().pending(), 0);
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QVERIFY(w->isVisible());
        QVERIFY(!w->AutoLogin);
        QCOMPARE(w->RemoteForm, nullptr);
        QVERIFY(w->findChild<QWidget*>("picControls")->isVisibleTo(w.get()));
        QVERIFY(!w->findChild<QWidget*>("lblMessage")->isVisibleTo(w.get()));
        // Left and Top are the frame's corner, the size the inside's.
        QCOMPARE(QRect(w->pos(), w->size()), QRect(100, 80, 800, 600));
        w->close();
    }

    void showBrowserGivesUpOnASilentSite()
    {
        site.answersBeforeSilence = 0;
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* w = new frmBrowser(parent);
            w->setLoginTimeout(200);
            static_cast<FakeBrowser*>(w->browser())->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            return w;
        });
        QVERIFY(!modWebProcessing::ShowBrowser(&caller, true, true, true));
    }

    void missingTemplateFailsTheLogin()
    {
        QFile::remove(QDir(env->programFolder()).filePath("VNTMLI.frm"));
        env->messages().answer(vbmsg::OK, "VNTMLI.frm is missing from the program folder");
        std::unique_ptr<frmBrowser> w(open());
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!w->LoginOK);
        QVERIFY(!postedFilledPage(w.get()));
    }

    void showBrowserReportsTheResult()
    {
        site.loggedIn = true;
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* w = new frmBrowser(parent);
            static_cast<FakeBrowser*>(w->browser())->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            return w;
        });
        QVERIFY(modWebProcessing::ShowBrowser(&caller, true, true, false));
        site.loggedIn = false;
        site.password = "no";
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* w = new frmBrowser(parent);
            static_cast<FakeBrowser*>(w->browser())->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            return w;
        });
        // Learning with a wrong password closes the window with no login.
        QVERIFY(!modWebProcessing::ShowBrowser(&caller, true, true, true));
    }

    void checkLoginStatus_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        const QString ok = "kiwi_seller (seller@example.co.nz)\nYou are member 1234567\nmore";
        QTest::newRow("logged in") << ok << 1;
        QTest::newRow("case of user and e-mail ignored") << "KIWI_SELLER (SELLER@EXAMPLE.CO.NZ)\nYou are member 1234567\n" << 1;
        QTest::newRow("login required") << ok + "\nYou need to login to view this page" << 0;
        QTest::newRow("no member line") << "kiwi_seller (seller@example.co.nz)" << 0;
        QTest::newRow("another user") << "someone (seller@example.co.nz)\nYou are member 1234567\n" << 0;
        QTest::newRow("another e-mail") << "kiwi_seller (x@example.co.nz)\nYou are member 1234567\n" << 0;
        QTest::newRow("member number without line end") << "kiwi_seller (seller@example.co.nz)\nYou are member 1234567" << 0;
        QTest::newRow("another member") << "kiwi_seller (seller@example.co.nz)\nYou are member 999\n" << -1;
    }
    void checkLoginStatus()
    {
        QFETCH(QString, text);
        QFETCH(int, status);
        frmBrowser w;
        auto* f = fake(&w);
        f->setHandler([text](const QString& a, const QString&) { return FakeBrowser::Page{a, "t", text, ""}; });
        f->Navigate("test://page");
        QTRY_COMPARE(f->LocationURL(), QStringLiteral("test://page"));
        if (status == -1) env->messages().answer(vbmsg::OK, "different account");
        QCOMPARE(w.CheckLoginStatus(), status);
    }

    // Esc in the address box closes the window, in the middle of a login
    // by hand too (which then ends without one).
    void escapeInTheAddressBoxCloses_data()
    {
        QTest::addColumn<bool>("manualLogin");
        QTest::newRow("plain browser") << false;
        QTest::newRow("login by hand") << true;
    }
    void escapeInTheAddressBoxCloses()
    {
        QFETCH(bool, manualLogin);
        std::unique_ptr<frmBrowser> w;
        if (manualLogin) {
            ctx().gConfiguration.TradeMePassword.clear();
            w.reset(open());
            QTRY_COMPARE(w->loginState(), int(frmBrowser::ManualLogin));
        } else {
            w = std::make_unique<frmBrowser>();
            w->StartingAddress = Site + "/Browse/Listing.aspx?id=5";
            fake(w.get())->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            w->show();
        }
        auto* address = w->findChild<QLineEdit*>("txtAddress");
        QTRY_VERIFY(!address->text().isEmpty());
        QVERIFY(address->isVisible());
        QTest::keyClick(address, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(!w->LoginOK);
    }

    // The address box is the window's width less 5000 twips; the buttons and
    // the loading bar share the rest side by side, inside the window.
    void addressBoxTakesAllButFiveThousandTwips_data()
    {
        QTest::addColumn<int>("widthTwips");
        QTest::newRow("the smallest window") << 10000;
        QTest::newRow("800 pixels") << 12000;
        QTest::newRow("1600 pixels") << 24000;
    }
    void addressBoxTakesAllButFiveThousandTwips()
    {
        QFETCH(int, widthTwips);
        AppSettings::SaveSettings("Settings\\frmBrowser", {{"WindowState", "0"}, {"Width", QString::number(widthTwips)}, {"Height", "9000"}});
        frmBrowser w;
        w.StartingAddress = Site + "/";
        fake(&w)->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
        w.show();
        QTRY_COMPARE(w.width(), vb::twipsToPixels(widthTwips));
        auto* strip = w.findChild<QWidget*>("picControls");
        auto* address = w.findChild<QLineEdit*>("txtAddress");
        QCOMPARE(strip->width(), w.width());
        QCOMPARE(address->width(), w.width() - vb::twipsToPixels(5000));
        // Every control, the loading bar as it shows while a page loads.
        w.findChild<QWidget*>("prgLoading")->show();
        QList<QWidget*> shown;
        for (QWidget* c : strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c->isVisibleTo(&w)) shown << c;
        QCOMPARE(shown.size(), 9);  // the box, seven buttons (Refresh, Stop and Go share a place) and the bar
        for (QWidget* c : shown) {
            QVERIFY2(strip->rect().contains(c->geometry()), qPrintable(c->objectName()));
            QVERIFY2(c->width() > 0, qPrintable(c->objectName()));
            for (QWidget* other : shown)
                QVERIFY2(c == other || !c->geometry().intersects(other->geometry()), qPrintable(c->objectName() + " overlaps " + other->objectName()));
        }
        w.close();
    }

    // While a page loads the seller sees so: the loading bar, and "Stop" in
    // Refresh's place; a stopped or loaded page takes them away.
    void aLoadingPageShowsSo()
    {
        bool silent = true;
        frmBrowser w;
        w.StartingAddress = Site + "/Browse/Listing.aspx?id=5";
        fake(&w)->setHandler([&](const QString& a, const QString& c) {
            if (!silent) return site.answer(a, c);
            FakeBrowser::Page never;
            never.neverLoads = true;
            return never;
        });
        w.show();
        auto* loading = w.findChild<QWidget*>("prgLoading");
        auto* refresh = w.findChild<QAbstractButton*>("cmdNavigate(2)");
        auto* stop = w.findChild<QAbstractButton*>("cmdNavigate(5)");
        QTRY_VERIFY(w.browser()->Busy());
        QVERIFY(loading->isVisible());
        QVERIFY(stop->isVisible());
        QVERIFY(!refresh->isVisible());
        QCOMPARE(stop->geometry(), refresh->geometry());
        const QString shots = TestEnvironment::screenshotFolder();
        w.findChild<QWidget*>("picControls")->grab().save(QDir(shots).filePath("browser-loading.png"));

        stop->click();
        QVERIFY(!loading->isVisible());
        QVERIFY(refresh->isVisible());
        QVERIFY(!stop->isVisible());

        silent = false;
        auto* address = w.findChild<QLineEdit*>("txtAddress");
        address->setText(w.StartingAddress);
        QTest::keyClick(address, Qt::Key_Return);
        QVERIFY(loading->isVisible());
        QTRY_VERIFY(!w.browser()->Busy());
        QVERIFY(!loading->isVisible());
        QVERIFY(refresh->isVisible());
        w.close();
    }

    // A browser window opened again, one after another, opens where the last
    // one closed: its frame's corner, not its inside, goes to the saved place,
    // so it does not move up by its title bar each time.
    void aBrowserOpenedAgainOpensWhereTheLastClosed()
    {
        AppSettings::SaveSettings("Settings\\frmBrowser", {{"WindowState", "0"}, {"Left", "1500"}, {"Top", "1800"},
                                                           {"Width", "10000"}, {"Height", "6000"}});
        for (int round = 1; round <= 3; ++round) {
            frmBrowser w;
            w.StartingAddress = Site + "/Browse/Listing.aspx?id=5";
            fake(&w)->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            w.show();
            QTRY_COMPARE(w.windowTitle(), QStringLiteral("Somewhere") + ctx().gBrowserCaptionSuffix);
            QCOMPARE(w.pos(), QPoint(100, 120));
            QCOMPARE(w.frameGeometry().topLeft(), QPoint(100, 120));
            w.close();
            QCOMPARE(AppSettings::GetSetting("Settings\\frmBrowser", "Top"), QStringLiteral("1800"));
            QCOMPARE(AppSettings::GetSetting("Settings\\frmBrowser", "Left"), QStringLiteral("1500"));
        }
    }

    void plainBrowserKeepsItsPlace()
    {
        AppSettings::SaveSetting("Settings\\frmBrowser", "WindowState", "0");
        AppSettings::SaveSetting("Settings\\frmBrowser", "Width", "12000");
        AppSettings::SaveSetting("Settings\\frmBrowser", "Height", "9000");
        {
            frmBrowser w;
            w.StartingAddress = Site + "/Browse/Listing.aspx?id=5";
            fake(&w)->setHandler([this](const QString& a, const QString& c) { return site.answer(a, c); });
            w.show();
            QTRY_COMPARE(w.windowTitle(), QStringLiteral("Somewhere") + ctx().gBrowserCaptionSuffix);
            QCOMPARE(w.size(), QSize(800, 600));
            QCOMPARE(w.findChild<QLineEdit*>("txtAddress")->text(), Site + "/Browse/Listing.aspx?id=5");
            QVERIFY(w.findChild<QWidget*>("picControls")->isVisibleTo(&w));
            w.resize(900, 700);
            w.close();
        }
        QCOMPARE(AppSettings::GetSetting("Settings\\frmBrowser", "Width"), QStringLiteral("13500"));
        QCOMPARE(AppSettings::GetSetting("Settings\\frmBrowser", "Height"), QStringLiteral("10500"));
    }
};

VENDARO_TEST_MAIN(tst_browserlogin)
#include "tst_browserlogin.moc"
