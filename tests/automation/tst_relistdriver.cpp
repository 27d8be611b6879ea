// The relist batch on a scripted browser: the listing, photo, extras and
// confirmation pages walked for each ticked row, what is recorded for a
// relist and a similar listing, the summary and the synchronisation after
// it, and each failure: the site's refusals, a page that changed, a page that
// never comes, and a Cancel during a row.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "ViewedBrowser.h"
#include "automation/AutomationForms.h"
#include "automation/RelistRecorder.h"
#include "automation/frmRelist.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"

#include <QDialog>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");

const QString ListingPage = QStringLiteral(
    "<html><body><p>Required fields are shown with a *</p>\n"
    "<form method=\"post\" action=\"/sell/details2.aspx\" name=\"newlisting_form\" id=\"newlisting_form\">\n"
    "<input type=\"hidden\" name=\"listingid\" value=\"%1\">\n"
    "<input name=\"title\" type=\"text\" value=\"Old\">\n"
    "<textarea name=\"body\">Old description</textarea>\n"
    "<input name=\"startprice\" type=\"text\" value=\"20\">\n"
    "<input name=\"start_eq_reserve\" type=\"checkbox\" value=\"1\" checked=\"\">\n"
    "<input name=\"reserveprice\" type=\"text\" value=\"\">\n"
    "<input name=\"buynowprice\" type=\"text\" value=\"50\">\n"
    "<input type=\"radio\" name=\"duration_type\" id=\"listingDurationFixedRadio\" value=\"easy\" checked=\"\">\n"
    "<select name=\"auction_length\"><option value=\"1440\">1 day</option><option value=\"10080\" selected=\"\">7 days</option></select>\n"
    "<input type=\"radio\" name=\"duration_type\" id=\"listingDurationScheduledRadio\" value=\"advanced\">\n"
    "<select name=\"set_end_days\"><option value=\"01/01/2030\">Tue 1 Jan</option></select>\n"
    "<select name=\"set_end_hour\"><option value=\"8:00 am\">8:00 am</option></select>\n"
    "</form></body></html>");
const QString PhotoPage = QStringLiteral(
    "<html><body><p>Your first photo free</p><form method=\"post\" action=\"/sell/extras2.aspx\" name=\"ContinueUpload\">"
    "<input type=\"hidden\" name=\"draft\" value=\"D\"></form></body></html>");
const QString ExtrasPage = QStringLiteral(
    "<html><body><p>Gallery shows a photo in search results</p>"
    "<form method=\"post\" action=\"/sell/extras2.aspx\" name=\"extras\" id=\"extras\">\n"
    "<input type=\"hidden\" name=\"draft\" value=\"D\">\n"
    "<input type=\"checkbox\" name=\"gallerycheckbox\" value=\"1\">\n<input type=\"checkbox\" name=\"boldtitlecheckbox\" value=\"1\">\n"
    "<input type=\"checkbox\" name=\"featurecheckbox\" value=\"1\">\n<input type=\"checkbox\" name=\"combocheckbox\" value=\"1\">\n"
    "<input type=\"checkbox\" name=\"homepagecheckbox\" value=\"1\">\n</form></body></html>");
const QString ConfirmPage = QStringLiteral(
    "<html><body><p>Check that your listing details are correct</p>"
    "<form method=\"post\" action=\"/sell/confirm2.aspx\" name=\"newlisting_finished_form\">"
    "<input type=\"hidden\" name=\"draft\" value=\"D\"></form></body></html>");
const QString ResultPage = QStringLiteral("<html><body><p>Your auction has been listed. Its number is 9001.</p></body></html>");

// The site as the scripted browser answers it. The listing is the auction
// of the listing page asked for; each filled page goes on to the next page.
struct ScriptedSite {
    QMap<QString, QString> listingPages;  // auction -> page (ListingPage by default)
    QString confirmPage = ConfirmPage;
    QString resultPage = ResultPage;
    QSet<QString> silent;                 // addresses containing one of these never load
    QStringList posted;                   // the filled local pages, in order
    QStringList opened;                   // the listing pages asked for
    std::function<void()> onFirstPost;    // runs as the first filled page loads

    static FakeBrowser::Page html(const QString& body)
    {
        FakeBrowser::Page page;
        page.html = body;
        page.text = QString(body).remove(QRegularExpression("<[^>]*>"));
        return page;
    }
    FakeBrowser::Page operator()(const QString& address, const QString& content)
    {
        for (const QString& s : silent)
            if (address.contains(s)) {
                FakeBrowser::Page p;
                p.neverLoads = true;
                return p;
            }
        const QString site = SiteConfig::siteUrl();
        if (address.contains("Details2.aspx")) {
            opened << address.mid(site.size());
            const QString id = QRegularExpression("listingid=([^&]*)").match(address).captured(1);
            return html(listingPages.value(id, ListingPage.arg(id)));
        }
        for (const auto& [stem, next] : {std::pair{"VNTMR1", "/sell/details2.aspx"}, {"VNTMR2", "/sell/photos.aspx"},
                                         {"VNTMR3", "/sell/extras2.aspx"}, {"VNTMR4", "/sell/confirm2.aspx"}})
            if (address.contains(stem)) {
                posted << content;
                if (posted.size() == 1 && onFirstPost) QTimer::singleShot(0, onFirstPost);
                FakeBrowser::Page p;
                p.then = site + next;
                return p;
            }
        if (address.endsWith("/sell/details2.aspx")) return html(PhotoPage);
        if (address.endsWith("/sell/photos.aspx")) return html(ExtrasPage);
        if (address.endsWith("/sell/extras2.aspx")) return html(confirmPage);
        if (address.endsWith("/sell/confirm2.aspx")) return html(resultPage);
        return {};  // VNTM.sub, the blank page
    }
};
}  // namespace

class tst_relistdriver : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::shared_ptr<ScriptedSite> site;
    QList<int> updates;  // pAutoUpdate of each synchronisation opened
    QPointer<QWidget> view;  // the page of the browser made last

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int step(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }

    void sale(const QString& id, const QString& item, const QString& title, int step, double startedDaysAgo = 10)
    {
        exec("INSERT OR IGNORE INTO Item (ItemId, Description, Stocked) VALUES (?, ?, ?)", {item, title, item.startsWith('S')});
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, dateNextAction, StartPrice, ReservePrice, "
             "FixedPriceOffered, DurationFixed, DurationDays, ExtraFeatures, BuyNowPrice) VALUES (?, ?, ?, ?, ?, ?, 5, 10, 1, 1, 7, ',Gallery,', 0)",
             {id, item, title, step, vb::today() - startedDaysAgo, vb::today()});
    }
    std::unique_ptr<frmRelist> open()
    {
        auto w = std::make_unique<frmRelist>();
        w->setPageTimeout(3000);
        w->show();
        return w;
    }
    int rowOf(frmRelist& w, const QString& auction)
    {
        for (int r = 0; r < w.rowCount(); ++r)
            if (w.cell(r, 0)->text() == auction) return r;
        return -1;
    }
    void tick(frmRelist& w, const QStringList& auctions)
    {
        for (const QString& a : auctions) w.cell(rowOf(w, a), 0)->setCheckState(Qt::Checked);
    }
    void start(frmRelist& w, int n)
    {
        messages().answer(vbmsg::Yes, QString("You are about to relist %1 auctions on TradeMe.").arg(n));
        w.cmdOK_Click();
    }

private slots:
    void initTestCase() { AutomationForms::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gConfiguration.DateLastUpdate = vb::now();
        site = std::make_shared<ScriptedSite>();
        WebBrowser::setFactory([this](QObject* parent) {
            auto* b = new ViewedBrowser(parent);
            view = b->widget();
            b->setHandler([s = site](const QString& a, const QString& c) { return (*s)(a, c); });
            return b;
        });
        FormsRegistry::instance().overrideForm("frmBrowser", [](QWidget* parent) {
            auto* d = new QDialog(parent);
            d->setProperty("LoginOK", true);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
        updates.clear();
        FormsRegistry::instance().overrideForm("frmUpdate", [this](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [this, d] {
                updates << d->property("pAutoUpdate").toInt();
                d->accept();
            });
            return d;
        });
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        WebBrowser::setFactory({});
        env.reset();
    }

    // A relist and two similar listings: each walks the four forms; the
    // relisted auction's task moves on, the similar listing completes every
    // auction of its title waiting to be relisted; the new listings are
    // fetched by a synchronisation.
    void relistsAndRecords()
    {
        sale("100", "M", "Misc thing", 16);
        sale("200", "S1", "Stocked one", 9, 20);   // the template: ended
        sale("201", "S1", "Stocked one", 16, 30);  // waits to be relisted as well
        sale("300", "S2", "Stocked two", 1, 2);    // the template still runs
        auto w = open();
        QCOMPARE(w->rowCount(), 3);
        tick(*w, {"100", "200", "300"});
        start(*w, 3);
        messages().answer(vbmsg::OK, "Complete - Relisted 3 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(messages().verifyDone());
        QCOMPARE(site->opened, QStringList({"/Sell/Details2.aspx?action=relist&listingid=100",
                                            "/Sell/Details2.aspx?action=sell_similar&inlog=true&listingid=200",
                                            "/Sell/Details2.aspx?action=sell_similar&listingid=300"}));
        QCOMPARE(site->posted.size(), 12);
        // The listing form carries the queued values; the extras the features.
        QVERIFY(site->posted[0].contains("Misc thing"));
        QVERIFY(site->posted[2].contains("gallerycheckbox"));
        QCOMPARE(step("100"), 15);  // relisted: the task after "Relist item"
        QCOMPARE(step("200"), 9);
        QCOMPARE(step("201"), 15);
        QCOMPARE(step("300"), 1);
        QCOMPARE(updates, QList<int>{3});
        QCOMPARE(w->doneCount(), 3);
    }

    // Unticked rows between ticked ones are passed over.
    void uncheckedPassed()
    {
        sale("100", "M", "Misc thing", 16);
        sale("101", "M", "Misc thing", 16);
        sale("102", "M", "Misc thing", 16);
        auto w = open();
        tick(*w, {"100", "102"});
        start(*w, 2);
        messages().answer(vbmsg::OK, "Complete - Relisted 2 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QCOMPARE(site->opened.size(), 2);
        QVERIFY(!site->opened.join(' ').contains("101"));
        QCOMPARE(step("101"), 16);
    }

    // Each failure: the message over the site's page, then the question;
    // nothing of the row is recorded.
    void failures_data()
    {
        QTest::addColumn<QString>("listingPage");
        QTest::addColumn<QString>("confirmPage");
        QTest::addColumn<QString>("silent");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("errorCode");
        const QString generic = "] : Relist failed - Could not relist auction (ref# 100)" + CrLf + CrLf + "Possible cause:" + CrLf +
                                "1. You do not have enough credit.";
        QTest::newRow("under offer") << "<p>You cannot relist an auction that is under offer</p>" << ConfirmPage << ""
                                     << "Misc thing" + CrLf + CrLf + "Relist failed - Could not relist auction (ref# 100)" + CrLf + CrLf +
                                            "You cannot relist an auction that is under offer."
                                     << int(vbmsg::Information) << "Cancel relist?" << 0;
        QTest::newRow("no credit") << ListingPage.arg("100") << "<p>Sorry, you don't have enough credit to pay for this listing</p>" << ""
                                   << "Relist failed - Could not relist auction (ref# 100)" + CrLf + CrLf +
                                          "You do not have enough credit. You need to add funds to your TradeMe account before you can "
                                          "relist more auctions."
                                   << int(vbmsg::Information) << "Cancel relist?" << 0;
        QTest::newRow("page changed") << "<p>Welcome to the new selling page</p>" << ConfirmPage << ""
                                      << "Misc thing" + CrLf + CrLf + "[Error 1" + generic << int(vbmsg::Critical) << "Continue relisting?"
                                      << 1;
        QTest::newRow("form renamed") << ListingPage.arg("100").replace("\"title\"", "\"listing_title\"") << ConfirmPage << ""
                                      << "[Error 11" + generic << int(vbmsg::Critical) << "Continue relisting?" << 11;
        QTest::newRow("confirmation changed") << ListingPage.arg("100") << "<p>Almost there</p>" << ""
                                              << "[Error 7" + generic << int(vbmsg::Critical) << "Continue relisting?" << 7;
        QTest::newRow("listing page never comes") << ListingPage.arg("100") << ConfirmPage << "Details2.aspx"
                                                  << "[Error 1" + generic << int(vbmsg::Critical) << "Continue relisting?" << 1;
        // The confirmation was posted: the listing may exist, so the seller is told to look.
        QTest::newRow("result never comes") << ListingPage.arg("100") << ConfirmPage << "/sell/confirm2.aspx"
                                            << "Misc thing" + CrLf + CrLf +
                                                   "Relist result unknown - TradeMe did not answer after the listing of auction "
                                                   "(ref# 100) was confirmed." +
                                                   CrLf + CrLf + "Check your current listings on TradeMe before you relist this auction again."
                                            << int(vbmsg::Exclamation) << "Continue relisting?" << 0;
    }
    void failures()
    {
        QFETCH(QString, listingPage);
        QFETCH(QString, confirmPage);
        QFETCH(QString, silent);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(QString, question);
        QFETCH(int, errorCode);
        sale("100", "M", "Misc thing", 16);
        sale("101", "M", "Misc thing", 16);
        site->listingPages.insert("100", listingPage);
        site->confirmPage = confirmPage;
        if (!silent.isEmpty()) site->silent.insert(silent);
        auto w = open();
        tick(*w, {"100", "101"});
        start(*w, 2);
        messages().answer(vbmsg::OK, message);
        // Stop there: Yes to cancelling, No to going on.
        messages().answer(question == "Cancel relist?" ? vbmsg::Yes : vbmsg::No, question);
        messages().answer(vbmsg::OK, "Complete - Relisted 0 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 15000);
        QVERIFY(messages().verifyDone());
        const QList<ScriptedMessages::Prompt> prompts = messages().prompts();
        QCOMPARE(prompts.at(prompts.size() - 3).style, icon);
        if (errorCode) QCOMPARE(w->errorCode(), errorCode);
        QCOMPARE(step("100"), 16);
        QCOMPARE(step("101"), 16);
        QVERIFY(updates.isEmpty());
    }

    // While a failure is said the site's page covers the list: at the size the
    // list has once the window's maximise has taken effect, and after a resize
    // made then. Afterwards the window is no longer maximised (at its former
    // size, or the one the seller gave it) and the page is out of sight.
    void pageCoversTheListWhileAFailureIsSaid_data()
    {
        QTest::addColumn<bool>("resized");
        QTest::newRow("maximised") << false;
        QTest::newRow("resized while the message is up") << true;
    }
    void pageCoversTheListWhileAFailureIsSaid()
    {
        QFETCH(bool, resized);
        sale("100", "M", "Misc thing", 16);
        sale("101", "M", "Misc thing", 16);
        site->listingPages.insert("100", "<p>Welcome to the new selling page</p>");
        auto w = open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QSize normal = w->size();
        QVERIFY(view && !view->isVisible());
        QList<QRect> pageAt, listAt;
        messages().whileShown = [&](const ScriptedMessages::Prompt& prompt) {
            if (!prompt.text.contains("Relist failed")) return;
            QTRY_VERIFY(w->isMaximized() && w->size() != normal);
            pageAt << view->geometry();
            listAt << w->list()->geometry();
            QVERIFY(view->isVisible());
            if (!resized) return;
            const QSize smaller = w->size() - QSize(120, 80);
            w->resize(smaller);
            QTRY_COMPARE(w->size(), smaller);
            pageAt << view->geometry();
            listAt << w->list()->geometry();
        };
        tick(*w, {"100", "101"});
        start(*w, 2);
        messages().answer(vbmsg::OK, "[Error 1] : Relist failed");
        messages().answer(vbmsg::No, "Continue relisting?");
        messages().answer(vbmsg::OK, "Complete - Relisted 0 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 15000);
        messages().whileShown = nullptr;
        QVERIFY(messages().verifyDone());
        QCOMPARE(pageAt.size(), resized ? 2 : 1);
        QCOMPARE(pageAt, listAt);
        QCOMPARE(w->windowState(), Qt::WindowNoState);
        if (!resized) QCOMPARE(w->size(), normal);
        QVERIFY(!view->isVisible());
    }

    // The result seen, the blank page that ends the row never loads: the
    // listing is recorded and counted all the same.
    void blankPageLate()
    {
        sale("100", "M", "Misc thing", 16);
        site->silent.insert("VNTM.sub");
        auto w = open();
        tick(*w, {"100"});
        start(*w, 1);
        messages().answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(messages().verifyDone());
        QCOMPARE(step("100"), 15);
        QCOMPARE(updates, QList<int>{1});
    }

    // "Cancel relist?" answered No after a refusal: the next row is relisted.
    void goOnAfterRefusal()
    {
        sale("100", "M", "Misc thing", 16);
        sale("101", "M", "Misc thing", 16);
        site->listingPages.insert("100", "<p>You cannot relist an auction that is under offer</p>");
        auto w = open();
        tick(*w, {"100", "101"});
        start(*w, 2);
        messages().answer(vbmsg::OK, "You cannot relist an auction that is under offer.");
        messages().answer(vbmsg::No, "Cancel relist?");
        messages().answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(messages().verifyDone());
        QCOMPARE(step("100"), 16);
        QCOMPARE(step("101"), 15);
        QCOMPARE(updates, QList<int>{1});
    }

    // A Cancel during a row lets it finish; "Cancel relist?" No goes on.
    void cancelDuringRow_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("relisted");
        QTest::newRow("cancel") << int(vbmsg::Yes) << 1;
        QTest::newRow("go on") << int(vbmsg::No) << 2;
    }
    void cancelDuringRow()
    {
        QFETCH(int, answer);
        QFETCH(int, relisted);
        sale("100", "M", "Misc thing", 16);
        sale("101", "M", "Misc thing", 16);
        auto w = open();
        tick(*w, {"100", "101"});
        bool stillOpen = false;
        site->onFirstPost = [&] {
            w->cmdCancel_Click();
            stillOpen = w->isVisible();
        };
        start(*w, 2);
        messages().answer(answer, "Cancel relist?");
        messages().answer(vbmsg::OK, QString("Complete - Relisted %1 auctions.").arg(relisted));
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(stillOpen);
        QVERIFY(messages().verifyDone());
        QCOMPARE(step("100"), 15);
        QCOMPARE(step("101"), relisted == 2 ? 15 : 16);
    }

    // Recording a similar listing: codes and titles are values, and an item
    // with nothing waiting completes nothing.
    void recordSimilar()
    {
        sale("500", "S'1", "Bob's \"best\"", 16);
        sale("501", "S'1", "Bob's \"best\"", 16);
        sale("502", "S'1", "Another title", 16);
        RelistRecord r;
        r.RelistAction = "Sell similar";
        r.ItemId = "S'1";
        r.Title = "Bob's \"best\"";
        QVERIFY(RelistRecorder::Record(r).recorded);
        QCOMPARE(step("500"), 15);
        QCOMPARE(step("501"), 15);
        QCOMPARE(step("502"), 16);
        r.Title = "Nothing waiting";
        QVERIFY(RelistRecorder::Record(r).recorded);
        QVERIFY(messages().prompts().isEmpty());
    }

    // The site made the listing, but the database cannot record it (the disk
    // fills as a History row is written): nothing of the recording is kept,
    // not one completion of several, and the seller is told the listing
    // exists (its number when the result page gives one) and which auctions
    // still look due, so that they are not relisted and paid for twice. The
    // listing counts as relisted, and the synchronisation fetches it.
    void listingMadeButNotRecorded_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("failsAt");    // the History row of this auction
        QTest::addColumn<QString>("said");
        QTest::newRow("similar listing, the second of three completions")
            << "Sell similar" << "202"
            << "The listing was made on TradeMe as auction 2000001 (from auction ref# 200), but it could not be recorded here.\r\n\r\n"
               "These auctions were not marked as relisted and still show as waiting to be relisted: 201, 202, 203.";
        QTest::newRow("relist, its own step")
            << "Relist" << "100"
            << "The listing was made on TradeMe from auction (ref# 100), but it could not be recorded here.\r\n\r\n"
               "Auction 100 was not marked as relisted and still shows as waiting to be relisted.";
    }
    void listingMadeButNotRecorded()
    {
        QFETCH(QString, action);
        QFETCH(QString, failsAt);
        QFETCH(QString, said);
        QStringList due;
        if (action == "Relist") {
            sale("100", "M", "Misc thing", 16);
            due = {"100"};
        } else {
            sale("200", "S1", "Stocked one", 9, 20);  // the template: ended
            for (const char* id : {"201", "202", "203"}) sale(id, "S1", "Stocked one", 16, 30);
            due = {"201", "202", "203"};
            site->resultPage = "<html><body><h1>Listing confirmed</h1><p>Congratulations! Your auction has been listed.</p>"
                               "<p>Auction number: <a href=\"/Browse/Listing.aspx?id=2000001\">2000001</a></p></body></html>";
        }
        const QString full = DatabaseFixture::fullDiskOn("INSERT", "History", "NEW.AuctionId = '" + failsAt + "'");
        QVERIFY(!full.isEmpty());
        auto w = open();
        tick(*w, {due.first() == "100" ? "100" : "200"});
        start(*w, 1);
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        messages().answer(vbmsg::OK, said);
        messages().answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(messages().verifyDone());
        const auto& prompts = messages().prompts();
        QVERIFY2(prompts[prompts.size() - 2].text.contains("disk full"), qPrintable(prompts[prompts.size() - 2].text));
        for (const QString& id : due) QCOMPARE(step(id), 16);
        QCOMPARE(conn().Scalar("SELECT count(*) FROM History").toInt(), 0);
        QCOMPARE(conn().transactionDepth(), 0);
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
        QCOMPARE(w->doneCount(), 1);
        QCOMPARE(updates, QList<int>{1});
    }
};

QTEST_MAIN(tst_relistdriver)
#include "tst_relistdriver.moc"
