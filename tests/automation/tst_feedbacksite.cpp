// Leaving feedback in the real browser (WebEngine, offscreen) against the
// stand-in site: the bulk window for three due sales, then again, when the
// site says it was already placed; and the seller's way through the main
// window, Do Task on a sale at the feedback step and Task > Place feedback.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmFeedback.h"
#include "automation/frmFeedbackSingle.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/db/Connection.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <functional>
#include <memory>
#include <optional>

namespace {
constexpr int Patience = 120000;
const QString Confirm = QStringLiteral("feedback comments.\r\n\r\nAre you sure you want to continue?");
}  // namespace

class tst_feedbacksite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int stepOf(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }
    void sale(const QString& id, const QString& buyer, const QString& type = "A")
    {
        exec("INSERT INTO Auction (AuctionId, AuctionType, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, Winningbid) "
             "VALUES (?, ?, ?, 'MISC', 13, ?, ?, ?, 20)",
             {id, type, "Sale " + id, vb::now() - 9, vb::today(), buyer});
    }
    QList<StandInSite::Request> feedbackPosts() const
    {
        QList<StandInSite::Request> out;
        for (const auto& r : site.requests())
            if (r.method == "POST" && r.path == "/MyTradeMe/Feedback/Place.aspx") out << r;
        return out;
    }
    // Opens the bulk window, starts the batch and waits until it has closed.
    void runBulk()
    {
        frmFeedback w;
        w.show();
        w.startButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return !w.isVisible(); }, Patience * 2));
    }

private slots:
    void initTestCase()
    {
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        AutomationForms::Register();
        site.addAccount(SiteSeller::Kiwi());
        site.addBuyer("kiri", "3000001");
        site.addBuyer("mere", "3000002");
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
        c.Feedback = "Great \"kiwi\" buyer & quick payer\r\nThanks\r\n";
        site.clearRequests();
    }
    void cleanup() { env.reset(); }

    // Three due sales (one buyer twice, a further sale, an offer): each
    // placed and its task completed; a second run finds them all placed.
    void bulkFeedbackThenAlreadyPlaced()
    {
        sale("8100001", "kiri");
        sale("8100002A", "kiri");
        sale("8100003", "mere", "O");
        messages().answer(vbmsg::Yes, "You are about to leave 3 " + Confirm);
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 3 auctions.");
        runBulk();
        QVERIFY(messages().verifyDone());
        QCOMPARE((QList<int>{stepOf("8100001"), stepOf("8100002A"), stepOf("8100003")}), (QList<int>{14, 14, 14}));
        const auto posts = feedbackPosts();
        QCOMPARE(posts.size(), 3);
        QStringList sent;
        for (const auto& p : posts)
            sent << p.form.value("auctionid") + "|" + p.form.value("memberid") + "|" + p.form.value("feedback") + "|" + p.form.value("role") +
                        "|" + p.account;
        QCOMPARE(sent, (QStringList{"8100001|3000001|Great \"kiwi\" buyer & quick payer :)|successful_bidder|kiwi_seller",
                                    "8100002|3000001|Thanks :)|successful_bidder|kiwi_seller",
                                    "8100003|3000002|Great \"kiwi\" buyer & quick payer :)|offer_recipient|kiwi_seller"}));
        QVERIFY(!QFile::exists(QDir(env->programFolder()).filePath("VNTMFB.sub")));

        // Again: the site refuses each; the tasks stay.
        exec("UPDATE Auction SET ActionId=13, DateNextAction=?", {vb::today()});
        messages().answer(vbmsg::Yes, "You are about to leave 3 " + Confirm);
        for (int i = 0; i < 3; ++i) {
            messages().answer(vbmsg::OK, "Feedback has already been placed for this member.");
            if (i < 2) messages().answer(vbmsg::Yes, "Continue leaving feedback?");
        }
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 0 auctions.");
        runBulk();
        QVERIFY(messages().verifyDone());
        QCOMPARE((QList<int>{stepOf("8100001"), stepOf("8100002A"), stepOf("8100003")}), (QList<int>{13, 13, 13}));
    }

    // The seller's way: Do Task on a sale at the feedback step, then Task >
    // Place feedback for the rest, one of which the site does not accept.
    void fromTheMainWindow()
    {
        ctx().gConfiguration.DefaultList = false;
        sale("8200001", "kiri");
        sale("8200002", "mere");
        site.setFeedbackScenario("8200002", StandInSite::FeedbackScenario::UnknownMember);
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QTRY_COMPARE(MainWindowDriver::listedIds(*main).size(), 2);

        MainWindowDriver::clickRow(*main, "8200001");
        messages().answer(vbmsg::OK, "Finished leaving feedback for kiri");
        QString opened;
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { main->action("mnuTaskDo")->trigger(); },
                                           [&](frmFeedbackSingle* d) {
                                               opened = d->mRemoteId;
                                               d->okButton()->click();
                                           },
                                           Patience * 2));
        QCOMPARE(opened, QStringLiteral("8200001"));
        QCOMPARE(stepOf("8200001"), 14);

        messages().answer(vbmsg::Yes, "You are about to leave 1 " + Confirm);
        messages().answer(vbmsg::OK, "Could not leave feedback for member: mere\r\n\r\nPossible cause:");
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 0 auctions.");
        int rows = -1;
        QVERIFY(ModalDriver::OnModal<frmFeedback>([&] { main->action("mnuTaskFeedback")->trigger(); },
                                     [&](frmFeedback* w) {
                                         rows = w->rowCount();
                                         w->startButton()->click();
                                     },
                                     Patience * 2));
        QCOMPARE(rows, 1);
        QVERIFY(messages().verifyDone());
        QCOMPARE(stepOf("8200002"), 13);
        QCOMPARE(feedbackPosts().size(), 2);
        main->close();
    }
};

QTEST_MAIN(tst_feedbacksite)
#include "tst_feedbacksite.moc"
