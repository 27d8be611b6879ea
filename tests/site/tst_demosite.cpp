// The demo and its stand-in site agree: every buyer of the demo database is a
// member the stand-in knows, under the name and member number the demo data
// gives, so the member pages the program looks buyers up on answer for them;
// every sale of the demo database is a listing of the stand-in in the state
// the sale is in. Feedback left on a demo sale from the main window is placed
// (under the strict session cookie too), a fixed price offer on a demo sale
// is sent and an unsold demo sale is relisted.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "RecordingUpdateView.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/FeedbackRules.h"
#include "automation/frmFeedbackSingle.h"
#include "automation/frmFixedPriceOffer.h"
#include "automation/frmRelist.h"
#include "automation/frmRelistDetail.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/Downloader.h"
#include "sync/ListingRecordsets.h"
#include "sync/UpdateSession.h"
#include "tools/DemoData.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStandardItem>
#include <QTimer>

#include <cmath>
#include <memory>
#include <optional>

namespace {
constexpr int Patience = 120000;
const QString Regenerate = QStringLiteral(
    " (site/fixtures/demo.json is what `build/tools/mkdemo --site-fixture site/fixtures/demo-base.json` writes: "
    "edit the hand-written demo-base.json or DemoData, then write demo.json again)");

DemoDataOptions demoOptions()
{
    DemoDataOptions options;
    options.sales = DemoData::DemoSales;
    return options;
}

template <typename W>
W* visible()
{
    if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) return w;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<W*>(top); w && w->isVisible()) return w;
    return nullptr;
}
}  // namespace

class tst_demosite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }

private slots:
    void initTestCase()
    {
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        AutomationForms::Register();
        QString error;
        QVERIFY2(site.loadFixture(QStringLiteral(VENDARO_DEMO_FIXTURE), &error), qPrintable(error));
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
    }
    void cleanupTestCase()
    {
        Downloader::manager()->clearConnectionCache();
        site.stop();
    }

    void init()
    {
        env.emplace();
        // The demo database as the demo run makes it.
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::createFilled(env->programFolder(), demoOptions(), "demo.mdb"), "demo.mdb",
                                          true, false));
        SiteSeller::UseAccount(SiteSeller::Kiwi());
        site.clearRequests();
    }
    void cleanup()
    {
        site.setCookieSameSite(StandInSite::SameSite::Lax);
        FormsRegistry::instance().clearOverrides();
        env.reset();
    }

    // Every buyer of the demo database, by its own rows: a member of the
    // stand-in under the demo data's member number and name.
    void everyDemoBuyerIsAMember()
    {
        QMap<QString, DemoBuyer> expected;
        for (const DemoBuyer& b : DemoData::Buyers(demoOptions())) expected.insert(b.customerId, b);
        const QStringList rows = DatabaseFixture::rows("SELECT CustomerId, Name FROM Customer UNION "
                                                       "SELECT CustomerId, NULL FROM Auction WHERE CustomerId IS NOT NULL "
                                                       "AND CustomerId NOT IN (SELECT CustomerId FROM Customer)");
        QCOMPARE(rows.size(), expected.size());  // no sale names a buyer the table lacks
        for (const QString& row : rows) {
            const QString id = row.section(u'|', 0, 0);
            const StandInSite::Buyer member = site.buyer(id);
            QVERIFY2(!member.member.isEmpty(), qPrintable(id + QStringLiteral(" is not a member") + Regenerate));
            QCOMPARE(member.member, expected.value(id).member);
            QCOMPARE(member.name, row.section(u'|', 1));
        }

        // Member numbers name one member each, the demo's and the fixture's others alike.
        QFile fixture(QStringLiteral(VENDARO_DEMO_FIXTURE));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        QSet<QString> numbers, names;
        const QJsonArray buyers = QJsonDocument::fromJson(fixture.readAll()).object().value("buyers").toArray();
        for (const QJsonValue v : buyers) {
            const QString number = v.toObject().value("member").toString();
            const QString name = v.toObject().value("userId").toString().toLower();
            QVERIFY2(!number.isEmpty() && !numbers.contains(number), qPrintable(number));
            QVERIFY2(!names.contains(name), qPrintable(name));
            numbers.insert(number);
            names.insert(name);
        }
        QVERIFY(buyers.size() > expected.size());
    }

    // The fixture is the hand-written one with the demo data added, as mkdemo
    // writes it: neither can change without the other.
    void fixtureIsWhatMkdemoWrites()
    {
        QProcess mkdemo;
        mkdemo.start(QStringLiteral(VENDARO_MKDEMO), {QStringLiteral("--site-fixture"), QStringLiteral(VENDARO_DEMO_BASE_FIXTURE)});
        QVERIFY(mkdemo.waitForFinished(Patience));
        QCOMPARE(mkdemo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(mkdemo.exitCode(), 0);
        QFile fixture(QStringLiteral(VENDARO_DEMO_FIXTURE));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        QVERIFY2(mkdemo.readAllStandardOutput() == fixture.readAll(), qPrintable(QStringLiteral("the fixture differs") + Regenerate));
    }

    // Every sale of the demo database, by its own rows, is a listing of the
    // demo seller in the state the sale is in: a running one current, a sale
    // sold to its buyer at its price with other bidders who are members (an
    // offer goes to them), an unsold one unsold with watchers who are members
    // and not relisted (it can be relisted); with the sale's title and times.
    void everyDemoSaleIsAListing()
    {
        QHash<QString, StandInSite::Listing> listed;
        for (const StandInSite::Listing& l : site.listings(QStringLiteral("kiwi_seller"))) listed.insert(l.id, l);
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, ActionId, CustomerId, Description, Winningbid, dateStart, DateEnded, dateNextAction, "
                        "AuctionType FROM Auction",
                        ctx().gConnection));
        const auto sameTime = [](const QDateTime& listed, double stored) { return std::fabs(vb::toOleDate(listed) - stored) < 1.0 / 86400; };
        int sales = 0;
        for (; !rs.isEOF(); rs.MoveNext(), ++sales) {
            const QString id = rs.text("AuctionId");
            QVERIFY2(listed.contains(id), qPrintable(id + QStringLiteral(" is not a listing") + Regenerate));
            const StandInSite::Listing l = listed.value(id);
            const int step = rs.value("ActionId").toInt();
            const QString buyer = rs.text("CustomerId");
            const QString kind = step == 1 ? QStringLiteral("current") : step == 16 ? QStringLiteral("unsold") : QStringLiteral("sold");
            QVERIFY2(l.kind == kind && l.title == rs.text("Description"), qPrintable(id + u' ' + l.kind + u' ' + l.title));
            QVERIFY2(sameTime(l.start, rs.value("dateStart").toDouble()), qPrintable(id));
            if (step == 1) QCOMPARE(vb::toOleDate(l.end.date()), rs.value("dateNextAction").toDouble());
            else QVERIFY2(sameTime(l.end, rs.value("DateEnded").toDouble()), qPrintable(id));
            QVERIFY2(!l.bidders.isEmpty(), qPrintable(id));
            for (const QString& bidder : l.bidders)
                QVERIFY2(!site.buyer(bidder).member.isEmpty() && bidder != buyer, qPrintable(id + u' ' + bidder));
            if (step == 16) QVERIFY2(l.relistedAs.isEmpty() && l.offerPrice == 0, qPrintable(id));
            if (kind != QLatin1String("sold")) continue;
            QCOMPARE(l.buyerName, buyer);
            QCOMPARE(l.salePrice, rs.value("Winningbid").toDouble());
            QCOMPARE(l.soldType, QString(rs.text("AuctionType") == QLatin1String("O") ? "Fixed Price Offer" : "Auction"));
        }
        QCOMPARE(sales, DemoData::DemoSales);
    }

    // Task > Update on the demo database: the site's listings of the demo's
    // sales are those sales as they stand, so the run reads them, asks
    // nothing about them and the save leaves them as they were. (The
    // fixture's hand-written sales are new: two of their buyers' addresses
    // differ from those on file.)
    void updateLeavesTheDemoSales()
    {
        const QStringList sales = DatabaseFixture::rows("SELECT * FROM Auction ORDER BY AuctionId");
        const QStringList buyers = DatabaseFixture::rows("SELECT * FROM Customer ORDER BY CustomerId");
        const QStringList history = DatabaseFixture::rows("SELECT * FROM History ORDER BY Autonumber");
        {
            frmBrowser login;
            QWidget caller;
            login.RemoteForm = &caller;
            login.AutoLogin = true;
            login.ExitAfterLogin = true;
            login.show();
            QVERIFY(QTest::qWaitFor([&] { return !login.isVisible(); }, Patience) && login.LoginOK);
        }
        ScriptedMessages& m = env->messages();
        for (int i = 0; i < 2; ++i) m.answer(vbmsg::No, "is different to the delivery address.");
        RecordingUpdateView view;
        WebEngineBrowser browser;
        UpdateSession session(&view, &browser);
        session.SetExportURLs(QStringLiteral("Last 45 days"));
        QSignalSpy ended(&session, &UpdateSession::runEnded);
        session.Start();
        QVERIFY(ended.wait(Patience * 2));
        QVERIFY(view.calls.contains(QStringLiteral("RunFinished")));
        // The demo's running sales and its sales of the last 45 days were read.
        QSet<QString> read;
        for (int list : {ListingRecordsets::Current, ListingRecordsets::Sold}) {
            Recordset& rs = *session.mListings[list];
            for (rs.MoveFirst(); rs.RecordCount() > 0 && !rs.isEOF(); rs.MoveNext()) read.insert(rs.text("listing_id"));
        }
        const QStringList recent = DatabaseFixture::rows("SELECT AuctionId FROM Auction WHERE ActionId=1 OR (CustomerId IS NOT NULL AND DateEnded>=?)",
                                                         {vb::today() - 44});
        QVERIFY(recent.size() > 20);
        for (const QString& id : recent) QVERIFY2(read.contains(id), qPrintable(id));
        QVERIFY(session.SaveUpdates(false));
        QVERIFY(m.verifyDone());
        QStringList asked;
        for (const auto& p : m.prompts()) asked << p.text.section(u' ', 7, 7);  // "The address on file for the buyer <id> is ..."
        asked.sort();
        QCOMPARE(asked, (QStringList{"mere2", "sean1"}));

        // The demo's rows as they were; the hand-written sales and their new buyers came in.
        const auto kept = [](const QStringList& now, const QStringList& before) {
            QSet<QString> keys;
            for (const QString& row : before) keys.insert(row.section(u'|', 0, 0));
            QStringList out;
            for (const QString& row : now)
                if (keys.contains(row.section(u'|', 0, 0))) out << row;
            return out;
        };
        QCOMPARE(kept(DatabaseFixture::rows("SELECT * FROM Auction ORDER BY AuctionId"), sales), sales);
        QCOMPARE(kept(DatabaseFixture::rows("SELECT * FROM Customer ORDER BY CustomerId"), buyers), buyers);
        QSet<QString> demo;
        for (const QString& row : sales) demo.insert(row.section(u'|', 0, 0));
        QStringList demoHistory;
        for (const QString& row : DatabaseFixture::rows("SELECT AuctionId, * FROM History ORDER BY Autonumber"))
            if (demo.contains(row.section(u'|', 0, 0))) demoHistory << row.section(u'|', 1);
        QCOMPARE(demoHistory, history);
    }

    // The seller search the feedback flow starts with leads to the member's
    // page, whose address carries the member number.
    void memberLookupResolves()
    {
        const DemoBuyer last = DemoData::Buyers(demoOptions()).constLast();
        const QString address = FeedbackRules::MemberSearchAddress(last.customerId);
        QVERIFY(address.startsWith(site.baseUrl()));
        const Downloader::Result page = Downloader::Get(QUrl(address), 10000);
        QVERIFY2(page.ok, qPrintable(page.error));
        QVERIFY(page.data.contains("Member number " + last.member.toUtf8()));
        const StandInSite::Request landed = site.requests().constLast();
        QCOMPARE(landed.path, QStringLiteral("/Members/Listings.aspx"));
        QCOMPARE(landed.query.value("member"), last.member);
    }

    // The seller's way on the demo: Do Task on a sale at the feedback step
    // places the feedback for the demo buyer's member number, under the
    // site's session cookie and under the strict one of the test switch.
    void feedbackOnADemoSale_data()
    {
        QTest::addColumn<int>("cookie");
        QTest::addColumn<int>("nth");  // the due sale taken (the site takes one feedback an auction)
        QTest::newRow("as the site starts") << int(StandInSite::SameSite::Lax) << 0;
        QTest::newRow("strict") << int(StandInSite::SameSite::Strict) << 1;
    }
    void feedbackOnADemoSale()
    {
        QFETCH(int, cookie);
        QFETCH(int, nth);
        site.setCookieSameSite(StandInSite::SameSite(cookie));
        ctx().gConfiguration.DefaultList = false;
        const QStringList due = DatabaseFixture::rows("SELECT AuctionId, CustomerId FROM Auction WHERE ActionId=13 AND CustomerId IS NOT NULL "
                                                      "ORDER BY AuctionId LIMIT 1 OFFSET ?", {nth});
        QCOMPARE(due.size(), 1);
        const QString id = due[0].section(u'|', 0, 0);
        const QString buyer = due[0].section(u'|', 1, 1);
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        MainWindowDriver::clickRow(*main, id);
        env->messages().answer(vbmsg::OK, "Finished leaving feedback for " + buyer);
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { main->action("mnuTaskDo")->trigger(); },
                                                        [&](frmFeedbackSingle* d) { d->okButton()->click(); }, Patience * 2));
        QVERIFY(env->messages().verifyDone());
        QCOMPARE(conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(), 14);
        QStringList placed;
        for (const StandInSite::Request& r : site.requests())
            if (r.method == QLatin1String("POST") && r.path == QLatin1String("/MyTradeMe/Feedback/Place.aspx"))
                placed << r.form.value("auctionid") + u'|' + r.form.value("memberid") + u'|' + r.account;
        QCOMPARE(placed, QStringList{id + u'|' + site.buyer(buyer).member + QStringLiteral("|kiwi_seller")});
        main->close();
    }

    // A fixed price offer from the offer window on the newest demo sale it
    // lists: the site takes it, sent to the sale's other bidders (members of
    // the site, never the buyer), and the sale is marked offered.
    void offerOnADemoSale()
    {
        Configuration& c = ctx().gConfiguration;
        c.FPOunsold = false;
        c.FPOsold = true;
        c.DefaultFPOdays = 3;
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        ScriptedMessages& m = env->messages();
        m.answer(vbmsg::Yes, "You are about to make 1 Fixed Price Offer(s).");
        m.answer(vbmsg::OK, "Complete - 1 Fixed Price Offers made.");
        QString id;
        QTimer::singleShot(0, this, [&] {
            frmFixedPriceOffer* w = visible<frmFixedPriceOffer>();
            QVERIFY(w);
            QVERIFY(w->rowCount() > 1);
            id = w->cell(0, 0)->text();
            w->cell(0, 0)->setCheckState(Qt::Checked);
            w->cmdOK_Click();
        });
        main->action("mnuTaskFixedPriceOffer")->trigger();  // returns when the window has closed
        QVERIFY(m.verifyDone());
        QVERIFY(!id.isEmpty());

        QList<StandInSite::Request> posts;
        for (const StandInSite::Request& r : site.requests())
            if (r.method == QLatin1String("POST") && r.path == QLatin1String("/MyTradeMe/MakeAnOffer.aspx")) posts << r;
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts[0].form.value("auction_id"), id);
        QSet<QString> members;
        for (const DemoBuyer& b : DemoData::Buyers(demoOptions())) members.insert(b.member);
        const QString buyer = conn().Scalar("SELECT CustomerId FROM Auction WHERE AuctionId=?", {id}).toString();
        members.remove(site.buyer(buyer).member);
        QStringList sentTo;
        for (auto it = posts[0].form.cbegin(); it != posts[0].form.cend(); ++it)
            if (it.key().startsWith(QLatin1String("bidder_id_"))) sentTo << it.value();
        QVERIFY(!sentTo.isEmpty());
        for (const QString& member : sentTo) QVERIFY2(members.contains(member), qPrintable(member));
        double offered = 0;
        for (const StandInSite::Listing& l : site.listings(QStringLiteral("kiwi_seller")))
            if (l.id == id) offered = l.offerPrice;
        QCOMPARE(offered, conn().Scalar("SELECT Winningbid FROM Auction WHERE AuctionId=?", {id}).toDouble());
        QCOMPARE(conn().Scalar("SELECT FixedPriceOffered FROM Auction WHERE AuctionId=?", {id}).toInt(), 1);
        main->close();
    }

    // Relisting the newest demo sale that ended unsold, selected in the main
    // window: the site makes the new listing from it and the sale is completed.
    void relistAnUnsoldDemoSale()
    {
        ctx().gConfiguration.DefaultList = false;
        ctx().gConfiguration.DateLastUpdate = vb::now();
        const QStringList unsold = DatabaseFixture::rows("SELECT AuctionId FROM Auction JOIN Item ON Item.ItemId=Auction.ItemId "
                                                         "WHERE ActionId=16 AND Item.Stocked=0 ORDER BY DateEnded DESC LIMIT 1");
        QCOMPARE(unsold.size(), 1);
        const QString id = unsold[0];
        // The synchronisation offered once the listing is made is not this test's.
        FormsRegistry::instance().overrideForm("frmUpdate", [](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        MainWindowDriver::clickRow(*main, id);
        ScriptedMessages& m = env->messages();
        m.answer(vbmsg::OK, "have not had a fixed price offer made");
        m.answer(vbmsg::OK, "Columns with a '?'");
        bool detailed = false, relisted = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            // A single relist opens with its options: taken as they are.
            if (frmRelistDetail* d = visible<frmRelistDetail>(); d && !detailed) {
                detailed = true;
                d->cmdOK_Click();
                return;
            }
            frmRelist* w = visible<frmRelist>();
            if (!detailed || !w || w->rowCount() == 0 || w->waitPanel()->isVisible() || visible<frmRelistDetail>()) return;
            poll.stop();
            relisted = true;
            QCOMPARE(w->rowCount(), 1);
            QCOMPARE(w->cell(0, 0)->text(), id);
            QCOMPARE(w->cell(0, 4)->text(), QStringLiteral("Relist"));
            w->cell(0, 0)->setCheckState(Qt::Checked);
            m.answer(vbmsg::Yes, "You are about to relist 1 auctions on TradeMe.");
            m.answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
            w->cmdOK_Click();
        });
        poll.start();
        main->action("mnuTaskRelistSelected")->trigger();  // returns when the window has closed
        poll.stop();
        QVERIFY(relisted);
        QVERIFY(m.verifyDone());

        const QList<StandInSite::CreatedListing> made = site.createdListings();
        QCOMPARE(made.size(), 1);
        QCOMPARE(made[0].templateId, id);
        QCOMPARE(made[0].action, QStringLiteral("relist"));
        QCOMPARE(made[0].title, conn().Scalar("SELECT Description FROM Auction WHERE AuctionId=?", {id}).toString());
        QString relistedAs;
        for (const StandInSite::Listing& l : site.listings(QStringLiteral("kiwi_seller")))
            if (l.id == id) relistedAs = l.relistedAs;
        QCOMPARE(relistedAs, made[0].id);
        QCOMPARE(conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(), 15);
        main->close();
    }
};

QTEST_MAIN(tst_demosite)
#include "tst_demosite.moc"
