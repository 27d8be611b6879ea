// The demo and its stand-in site agree: every buyer of the demo database is a
// member the stand-in knows, under the name and member number the demo data
// gives, so the member pages the program looks buyers up on answer for them;
// and feedback left on a demo sale from the main window is placed, under the
// strict session cookie too.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/FeedbackRules.h"
#include "automation/frmFeedbackSingle.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/db/Connection.h"
#include "platform/transfer/Downloader.h"
#include "tools/DemoData.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSet>

#include <memory>
#include <optional>

namespace {
constexpr int Patience = 120000;

DemoDataOptions demoOptions()
{
    DemoDataOptions options;
    options.sales = DemoData::DemoSales;
    return options;
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
        const QString regenerate = QStringLiteral(" (site/fixtures/demo.json lists the demo's buyers: build/tools/mkdemo --site-buyers)");
        for (const QString& row : rows) {
            const QString id = row.section(u'|', 0, 0);
            const StandInSite::Buyer member = site.buyer(id);
            QVERIFY2(!member.member.isEmpty(), qPrintable(id + QStringLiteral(" is not a member") + regenerate));
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
};

QTEST_MAIN(tst_demosite)
#include "tst_demosite.moc"
