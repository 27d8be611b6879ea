// Fixed-price offers end to end: started from the main window's Task menu,
// logged in and posted by the real browser (WebEngine, offscreen) against the
// in-process stand-in site.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmFixedPriceOffer.h"
#include "core/frmBrowser.h"
#include "platform/FormsRegistry.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/db/Connection.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QAction>
#include <QApplication>
#include <QStandardItem>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <memory>
#include <optional>

class tst_offersite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    static StandInSite::Listing unsold(const QString& id, int biddersWatchers)
    {
        StandInSite::Listing l;
        l.seller = "kiwi_seller";
        l.id = id;
        l.kind = "unsold";
        l.title = "Title " + id;
        l.start = QDateTime::currentDateTime().addDays(-9);
        l.end = QDateTime::currentDateTime().addDays(-2);
        l.startPrice = 20;
        l.biddersWatchers = biddersWatchers;
        return l;
    }

private slots:
    void initTestCase()
    {
        // The real login window; the main window's start hint stays a plain message.
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        AutomationForms::Register();
        site.addAccount(SiteSeller::Kiwi());
        site.addListing(unsold("5001", 2));
        site.addListing(unsold("5002", 3));
        site.addListing(unsold("5003", 0));
        // The session never goes with a post from another site: every post the
        // program's pages make must be the site's own, whatever the login's age.
        site.setCookieSameSite(StandInSite::SameSite::Strict);
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
    }
    void cleanupTestCase() { site.stop(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        SiteSeller::UseAccount(SiteSeller::Kiwi());
        Configuration& c = ctx().gConfiguration;
        c.FPOunsold = true;
        c.FPOsold = false;
        c.DefaultFPOdays = 3;
        site.clearRequests();
    }
    void cleanup() { env.reset(); }

    // Two offers posted to each auction's bidders and watchers at its price,
    // and an auction without any counted on the summary's second line.
    void offersFromTheMainWindow()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('PLAIN', 'Plain', 0)");
        int n = 0;
        for (const QString id : {"5001", "5002", "5003"})
            exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateEnded, StartPrice, Winningbid, dateNextAction) "
                 "VALUES (?, 'PLAIN', ?, 16, ?, 20, ?, ?)",
                 {id, "Title " + id, vb::now() - 2 - n++, id == "5001" ? 32.5 : 0.0, vb::today()});
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        QVERIFY(main);

        ScriptedMessages& m = env->messages();
        m.answer(vbmsg::Yes, "You are about to make 3 Fixed Price Offer(s).");
        m.answer(vbmsg::OK, "Complete - 2 Fixed Price Offers made.\r\n\r\n1 auction(s) could not have a fixed price offer made because there "
                            "were no bidders or watchers.");
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            auto* w = qobject_cast<frmFixedPriceOffer*>(QApplication::activeModalWidget());
            if (!w) {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* f = qobject_cast<frmFixedPriceOffer*>(top); f && f->isVisible()) w = f;
            }
            QVERIFY(w);
            opened = true;
            QCOMPARE(w->rowCount(), 3);
            w->cell(1, 9)->setText("$25.00");
            w->cell(1, 10)->setText("7");
            for (int r = 0; r < 3; ++r) w->cell(r, 0)->setCheckState(Qt::Checked);
            w->cmdOK_Click();
        });
        QAction* task = main->action("mnuTaskFixedPriceOffer");
        QVERIFY(task);
        QCOMPARE(task->shortcut(), QKeySequence("Ctrl+X"));
        task->trigger();  // returns when the window has closed
        QVERIFY(opened);
        QVERIFY(m.verifyDone());

        QList<StandInSite::Request> posts;
        for (const auto& r : site.requests())
            if (r.method == "POST" && r.path == "/MyTradeMe/MakeAnOffer.aspx") posts << r;
        QCOMPARE(posts.size(), 2);
        QCOMPARE(posts[0].form.value("auction_id"), QStringLiteral("5001"));
        QCOMPARE(posts[0].form.value("offer_price"), QStringLiteral("32.5"));
        QCOMPARE(posts[0].form.value("duration"), QStringLiteral("3"));
        QCOMPARE(posts[0].form.value("bidder_id_1"), StandInSite::bidderMember(1));
        QCOMPARE(posts[0].form.value("bidder_id_2"), StandInSite::bidderMember(2));
        QVERIFY(!posts[0].form.contains("bidder_id_3"));
        QCOMPARE(posts[1].form.value("auction_id"), QStringLiteral("5002"));
        QCOMPARE(posts[1].form.value("offer_price"), QStringLiteral("25"));
        QCOMPARE(posts[1].form.value("duration"), QStringLiteral("7"));
        QCOMPARE(posts[1].form.value("bidder_id_3"), StandInSite::bidderMember(3));
        QCOMPARE(posts[1].account, QStringLiteral("kiwi_seller"));
        for (const auto& l : site.listings("kiwi_seller")) {
            if (l.id == "5001") QCOMPARE(l.offerPrice, 32.5);
            if (l.id == "5002") QCOMPARE(l.offerPrice, 25.0);
        }
        QCOMPARE(DatabaseFixture::rows("SELECT AuctionId, FixedPriceOffered, dateNextAction = ? FROM Auction ORDER BY AuctionId",
                                       {vb::today()}),
                 (QStringList{"5001|1|0", "5002|1|0", "5003|1|1"}));
        QCOMPARE(DatabaseFixture::rows("SELECT AuctionId FROM History ORDER BY AuctionId"), (QStringList{"5001", "5002"}));
    }
};

VENDARO_TEST_MAIN(tst_offersite)
#include "tst_offersite.moc"
