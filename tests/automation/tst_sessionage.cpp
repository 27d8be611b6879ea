// Feedback placed more than two minutes after the login, in the real browser
// against the stand-in site, whose session cookie carries no SameSite
// attribute, as the real site's does not. A browser sends such a cookie with
// a post from another site only in the cookie's first two minutes; the
// program's written pages must post as the site's own page, so the seller's
// session goes with them whatever the age of the login.
//
// Slow by design (it waits past those two minutes): label "sessionage".

#include "DatabaseFixture.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmFeedback.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QPushButton>

#include <optional>

namespace {
constexpr int Patience = 120000;
const QString Confirm = QStringLiteral("You are about to leave 1 feedback comments.\r\n\r\nAre you sure you want to continue?");
}  // namespace

class tst_sessionage : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    void sale(const QString& id, const QString& buyer)
    {
        QVERIFY2(conn().Execute("INSERT INTO Auction (AuctionId, AuctionType, Description, ItemId, ActionId, dateStart, dateNextAction, "
                                "CustomerId, Winningbid) VALUES (?, 'A', ?, 'MISC', 13, ?, ?, ?, 20)",
                                {id, "Sale " + id, vb::now() - 9, vb::today(), buyer}),
                 qPrintable(conn().lastError()));
    }
    int stepOf(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }
    QStringList feedbackPosts() const
    {
        QStringList out;
        for (const auto& r : site.requests())
            if (r.method == "POST" && r.path == "/MyTradeMe/Feedback/Place.aspx") out << r.form.value("auctionid") + "|" + r.account;
        return out;
    }
    int logins() const
    {
        int n = 0;
        for (const auto& r : site.requests()) n += r.method == "POST" && r.path == "/Members/Login.aspx";
        return n;
    }
    void runBulk()
    {
        frmFeedback w;
        w.show();
        w.startButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return !w.isVisible(); }, Patience));
    }

private slots:
    void initTestCase()
    {
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        AutomationForms::Register();
        site.addAccount(SiteSeller::Kiwi());
        site.addBuyer("kiri", "3000001");
        site.setCookieSameSite(StandInSite::SameSite::Unset);
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        SiteSeller::UseAccount(SiteSeller::Kiwi());
        ctx().gConfiguration.Feedback = "Great buyer\r\n";
    }
    void cleanupTestCase()
    {
        env.reset();
        site.stop();
    }

    void feedbackLongAfterTheLogin()
    {
        // The first batch logs in and places its feedback at once.
        sale("8300001", "kiri");
        env->messages().answer(vbmsg::Yes, Confirm);
        env->messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 1 auctions.");
        runBulk();
        QVERIFY(env->messages().verifyDone());
        QCOMPARE(logins(), 1);

        // Past the browser's two minutes of grace for a cookie without SameSite.
        QTest::qWait(130000);

        // The next batch finds the seller still logged in (a page fetch
        // carries the cookie) and posts without a new login.
        sale("8300002", "kiri");
        env->messages().answer(vbmsg::Yes, Confirm);
        env->messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 1 auctions.");
        runBulk();
        QVERIFY(env->messages().verifyDone());
        QCOMPARE(logins(), 1);
        QCOMPARE(feedbackPosts(), (QStringList{"8300001|kiwi_seller", "8300002|kiwi_seller"}));
        QCOMPARE(stepOf("8300002"), 14);
    }
};

QTEST_MAIN(tst_sessionage)
#include "tst_sessionage.moc"
