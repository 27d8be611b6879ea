// The fixed-price offer window offscreen, on a scripted browser: the list, the
// stock warning, the offer details and removal, the checks before a batch,
// and the batch itself with offers made, each known refusal, unexplained
// failures, a site that never answers and a page without the offer form.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/OfferCells.h"
#include "automation/frmFixedPriceOffer.h"
#include "automation/frmFixedPriceOptions.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Site = QStringLiteral("https://www.trademe.co.nz");
const QString OfferForm = QStringLiteral(
    "<form action=\"/Browse/SearchResults.aspx\"><input name=\"searchstring\"></form>"
    "<form method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx\">"
    "<input name=\"bidder_id_1\" type=\"checkbox\" value=\"7000001\" checked> Member 7000001"
    "<input name=\"bidder_id_2\" type=\"checkbox\" value=\"7000002\" checked> Member 7000002"
    "<input name=\"hasbidders\" type=\"hidden\" value=\"1\"><input name=\"offer_price\" type=\"text\"></form>");
const QString Sent = QStringLiteral("Your offer has been sent to 2 bidders and watchers.");

// The site as the scripted browser answers it: an offer page and an answer per auction.
struct ScriptedSite {
    QMap<QString, QString> offerPages;  // auction -> page body (the offer form by default)
    QMap<QString, QString> answers;     // auction -> answer to the post (Sent by default)
    QSet<QString> silentPages, silentAnswers;
    QStringList posted;                 // the filled pages, in order

    FakeBrowser::Page operator()(const QString& address, const QString& content)
    {
        static const QRegularExpression id(QStringLiteral("[?&]id=([^&]*)"));
        FakeBrowser::Page page;
        if (address.contains("FixedPriceOffer.aspx")) {
            const QString auction = QUrl::fromPercentEncoding(id.match(address).captured(1).toUtf8());
            page.neverLoads = silentPages.contains(auction);
            page.html = offerPages.value(auction, OfferForm);
            page.text = QString(page.html).remove(QRegularExpression("<[^>]*>"));
            return page;
        }
        if (address.contains("VNTMFP")) {
            posted << content;
            const QString auction = QRegularExpression("name=\"auction_id\" value=\"([^\"]*)\"").match(content).captured(1);
            page.then = Site + "/MyTradeMe/MakeAnOffer.aspx?id=" + QUrl::toPercentEncoding(auction);
            return page;
        }
        if (address.contains("MakeAnOffer.aspx")) {
            const QString auction = QUrl::fromPercentEncoding(id.match(address).captured(1).toUtf8());
            page.neverLoads = silentAnswers.contains(auction);
            page.text = answers.value(auction, Sent);
            page.html = "<p>" + page.text.toHtmlEscaped() + "</p>";
            return page;
        }
        return page;  // VNTM.sub, the blank page
    }
};
}  // namespace

class tst_offerwindow : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::shared_ptr<ScriptedSite> site;
    QList<QPointer<FakeBrowser>> browsers;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int offered(const QString& id) { return conn().Scalar("SELECT FixedPriceOffered FROM Auction WHERE AuctionId=?", {id}).toInt(); }

    void auction(const QString& id, double daysAgo, double winning = 0, double start = 20, const QString& item = "PLAIN")
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateEnded, StartPrice, Winningbid, dateNextAction) "
             "VALUES (?, ?, ?, 16, ?, ?, ?, ?)",
             {id, item, "Title " + id, vb::now() - daysAgo, start, winning, vb::today() - 1});
    }
    std::unique_ptr<frmFixedPriceOffer> open()
    {
        auto w = std::make_unique<frmFixedPriceOffer>();
        w->setPageTimeout(2000);
        w->show();
        return w;
    }
    static QStringList column(const frmFixedPriceOffer& w, int c)
    {
        QStringList cells;
        for (int r = 0; r < w.rowCount(); ++r) cells << w.cell(r, c)->text();
        return cells;
    }
    static void select(frmFixedPriceOffer& w, int row) { w.list()->setCurrentIndex(w.model()->index(row, 0)); }
    static void check(frmFixedPriceOffer& w, const QList<int>& rows)
    {
        for (int r : rows) w.cell(r, 0)->setCheckState(Qt::Checked);
    }
    // Confirms the batch and waits for the window to close.
    void run(frmFixedPriceOffer& w, int offers, const QString& summary)
    {
        messages().answer(vbmsg::Yes, QString("You are about to make %1 Fixed Price Offer(s).").arg(offers));
        messages().answer(vbmsg::OK, summary);
        w.cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 10000);
    }

private slots:
    void initTestCase() { AutomationForms::Register(); }

    void init()
    {
        env.emplace();
        vb::setClock(QDateTime());
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('PLAIN', 'Plain', 0)");
        Configuration& c = ctx().gConfiguration;
        c.FPOunsold = true;
        c.FPOsold = false;
        c.DefaultFPOdays = 3;
        site = std::make_shared<ScriptedSite>();
        browsers.clear();
        WebBrowser::setFactory([this](QObject* parent) {
            auto* b = new FakeBrowser(parent);
            b->setHandler([s = site](const QString& a, const QString& c) { return (*s)(a, c); });
            browsers << b;
            return b;
        });
        // The login is confirmed at once.
        FormsRegistry::instance().overrideForm("frmBrowser", [](QWidget* parent) {
            auto* d = new QDialog(parent);
            d->setProperty("LoginOK", true);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        WebBrowser::setFactory({});
        env.reset();
    }

    void settingsOff()
    {
        ctx().gConfiguration.FPOunsold = false;
        auction("1", 2);
        messages().answer(vbmsg::OK, "are set to not make fixed price offers.  If you want");
        auto w = open();
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(w->rowCount(), 0);
    }

    void nothingToDo()
    {
        auction("old", 46);
        messages().answer(vbmsg::OK, "Nothing to do.");
        auto w = open();
        QTRY_VERIFY(!w->isVisible());
    }

    // Newest first, unchecked, bold offer cells; the stock warning comes as the list opens.
    void listAndStock()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked, UseStock, Stock, StockWarning) VALUES ('BOWL', 'Bowl', 0, 1, 2, 0)");
        auction("1", 5, 30, 20);
        auction("2", 1, 0, 20, "BOWL");
        auction("3", 3, 0, 0, "BOWL");
        exec("UPDATE Auction SET Description='Kauri bowl' WHERE ItemId='BOWL'");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, CustomerId) VALUES ('s', 'BOWL', 'Kauri bowl', 4, 'kiri'), "
             "('t', 'BOWL', 'Kauri bowl', 11, 'hemi')");
        messages().answer(vbmsg::OK, "NO STOCK!" + CrLf + CrLf + "Item: BOWL" + CrLf + "Kauri bowl");
        auto w = open();
        QCOMPARE(column(*w, 0), (QStringList{"2", "3", "1"}));
        QCOMPARE(column(*w, 9), (QStringList{"$20.00", "", "$30.00"}));
        QCOMPARE(column(*w, 10), (QStringList{"3", "", "3"}));
        QCOMPARE(w->checkedCount(), 0);
        QCOMPARE(w->selectBox()->text(), QStringLiteral("Select all"));
        QVERIFY(!w->selectBox()->isChecked());
        QVERIFY(w->cell(0, 9)->font().bold());
        QCOMPARE(w->windowTitle(), QStringLiteral("Fixed Price Offers"));
        QVERIFY(messages().verifyDone());
        // A later activation neither refills nor warns again.
        w->Form_Activate();
        QCOMPARE(w->rowCount(), 3);
    }

    // The details go to the dialog; a price above 0 checks the row, anything else leaves it as it was.
    void offerDetails_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("offerCell");
        QTest::addColumn<QString>("daysCell");
        QTest::addColumn<bool>("checked");
        QTest::newRow("set") << 15.5 << 7 << "$15.50" << "7" << true;
        QTest::newRow("cancelled") << 0.0 << 7 << "" << "" << false;
        QTest::newRow("negative") << -5.0 << 1 << "" << "" << false;
    }
    void offerDetails()
    {
        QFETCH(double, price);
        QFETCH(int, days);
        QFETCH(QString, offerCell);
        QFETCH(QString, daysCell);
        QFETCH(bool, checked);
        auction("1", 2, 0, 0);
        QVariantMap seen;
        FormsRegistry::instance().overrideForm("frmFixedPriceOptions", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [&, d] {
                for (const char* p : {"pTitle", "pInfo", "pOfferPrice", "pValidFor"}) seen.insert(p, d->property(p));
                d->setProperty("pOfferPrice", price);
                d->setProperty("pValidFor", days);
                d->accept();
            });
            return d;
        });
        auto w = open();
        select(*w, 0);
        emit w->list()->doubleClicked(w->model()->index(0, 0));
        QCOMPARE(seen.value("pTitle").toString(), QStringLiteral("Title 1"));
        QCOMPARE(seen.value("pInfo").toString(),
                 "This item did not sell, no bids were placed" + CrLf + CrLf + "Enter your fixed price offer for this auction");
        QCOMPARE(seen.value("pOfferPrice").toDouble(), 0.0);
        QCOMPARE(seen.value("pValidFor").toInt(), 0);
        QCOMPARE(w->cell(0, 9)->text(), offerCell);
        QCOMPARE(w->cell(0, 10)->text(), daysCell);
        QCOMPARE(w->cell(0, 0)->checkState() == Qt::Checked, checked);
    }

    // A removal is written at once and takes the auction off the list for good.
    void removal()
    {
        auction("1", 2);
        auction("2", 3);
        auto w = open();
        select(*w, 0);
        messages().answer(vbmsg::No, "remove the option to make a fixed price for this auction?");
        w->mnuPopupRemoveOffer_Click();
        QCOMPARE(w->rowCount(), 2);
        messages().answer(vbmsg::Yes, "otherwise it will not appear on this list again.");
        w->mnuPopupRemoveOffer_Click();
        QCOMPARE(column(*w, 0), QStringList{"2"});
        QCOMPARE(offered("1"), 1);
        QCOMPARE(DatabaseFixture::rows("SELECT count(*) FROM History"), QStringList{"0"});
        w->close();
        auto again = open();
        QCOMPARE(column(*again, 0), QStringList{"2"});
    }

    void checksBeforeStart()
    {
        auction("1", 2);
        auction("2", 3, 0, 0);
        auto w = open();
        messages().answer(vbmsg::OK, "Select at least one item first.");
        w->cmdOK_Click();
        check(*w, {0, 1});
        messages().answer(vbmsg::OK, "One or more items do not have the Fixed Price Offer Amount set. Uncheck the items");
        w->cmdOK_Click();
        QVERIFY(!w->running());
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Exclamation));
        QVERIFY(site->posted.isEmpty());
    }

    // Two offers posted with the recipients of their pages, the price and the days.
    void offersMade()
    {
        auction("101", 2, 12.5, 10);
        auction("102A", 3);
        auction("103", 4);
        auto w = open();
        check(*w, {0, 1});
        w->cell(1, 10)->setText("7");
        run(*w, 2, "Complete - 2 Fixed Price Offers made.");
        QCOMPARE(site->posted.size(), 2);
        for (const QString& page : site->posted) {
            QVERIFY(page.contains("<input type=\"hidden\" name=\"bidder_id_1\" value=\"7000001\">" + CrLf +
                                  "<input type=\"hidden\" name=\"bidder_id_2\" value=\"7000002\">"));
            QVERIFY(!page.contains("searchstring"));
        }
        QVERIFY(site->posted[0].contains("name=\"auction_id\" value=\"101\""));
        QVERIFY(site->posted[0].contains("name=\"offer_price\" value=\"12.5\""));
        QVERIFY(site->posted[0].contains("name=\"duration\" value=\"3\""));
        QVERIFY(site->posted[1].contains("name=\"auction_id\" value=\"102A\""));
        QVERIFY(site->posted[1].contains("name=\"offer_price\" value=\"20\""));
        QVERIFY(site->posted[1].contains("name=\"duration\" value=\"7\""));
        QVERIFY(browsers.first()->navigations().contains(Site + "/MyTradeMe/FixedPriceOffer.aspx?id=102A"));
        QCOMPARE(offered("101") + offered("102A") + offered("103"), 2);
        QCOMPARE(DatabaseFixture::rows("SELECT Description FROM History WHERE AuctionId='101'").value(0).left(48),
                 QStringLiteral("Fixed price offer made for $12.5 (valid for 3 da"));
        QVERIFY(!QFile::exists(QDir(env->programFolder()).filePath("VNTMFP.sub")));
    }

    // The site sent the offer, but the database cannot record it (the disk
    // fills as its History row is written): nothing of the recording is
    // kept, and the seller is told the offer is out, so that the auction,
    // not marked as offered, is not offered a second time.
    void offerMadeButNotRecorded()
    {
        auction("101", 2, 12.5, 10);
        const double due = conn().Scalar("SELECT dateNextAction FROM Auction WHERE AuctionId='101'").toDouble();
        QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "History").isEmpty());
        auto w = open();
        check(*w, {0});
        messages().answer(vbmsg::Yes, "You are about to make 1 Fixed Price Offer(s).");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        messages().answer(vbmsg::OK, "Title 101\r\n\r\nThe fixed price offer for auction (ref# 101) was sent to its bidders and watchers, "
                                     "but it could not be recorded here");
        messages().answer(vbmsg::OK, "Complete - 1 Fixed Price Offers made.");
        w->cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QVERIFY(messages().verifyDone());
        QVERIFY(messages().prompts()[1].text.contains("disk full"));
        QCOMPARE(site->posted.size(), 1);
        QCOMPARE(offered("101"), 0);
        QCOMPARE(conn().Scalar("SELECT dateNextAction FROM Auction WHERE AuctionId='101'").toDouble(), due);
        QCOMPARE(conn().Scalar("SELECT count(*) FROM History").toInt(), 0);
        QCOMPARE(conn().transactionDepth(), 0);
    }

    // Each known refusal: said (or, with no bidders, counted), the auction marked,
    // and the next row starts without a question.
    void knownRefusals_data()
    {
        QTest::addColumn<bool>("onOfferPage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("summary");
        const QString one = "Complete - 1 Fixed Price Offers made.";
        const QString noBidders = CrLf + CrLf + "1 auction(s) could not have a fixed price offer made because there were no bidders or watchers.";
        for (bool page : {true, false}) {
            const char* where = page ? "page" : "answer";
            QTest::addRow("already made, %s", where) << page << "You have already made an offer on this listing."
                                                      << "A fixed price offer has already been made." << one;
            QTest::addRow("relisted, %s", where) << page << "Sorry, the auction has been relisted as #9." << "Item has been relisted." << one;
            QTest::addRow("too late, %s", where) << page << "You can no longer place a fixed price offer for this listing."
                                                  << "A fixed price offer can no longer be made for this item." << one;
            QTest::addRow("no bidders, %s", where) << page << "All bidders and watchers have removed themselves from this listing." << ""
                                                    << one + noBidders;
        }
    }
    void knownRefusals()
    {
        QFETCH(bool, onOfferPage);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, summary);
        auction("1", 2);
        auction("2", 3);
        if (onOfferPage) site->offerPages.insert("1", "<p>" + text + "</p>");
        else site->answers.insert("1", text);
        auto w = open();
        check(*w, {0, 1});
        messages().answer(vbmsg::Yes, "You are about to make 2 Fixed Price Offer(s).");
        if (!message.isEmpty())
            messages().answer(vbmsg::OK, "Could not make a fixed price offer for item 'Title 1' (ref# 1)." + CrLf + CrLf + message);
        messages().answer(vbmsg::OK, summary);
        w->cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        if (!message.isEmpty()) QCOMPARE(messages().prompts()[1].style, int(vbmsg::Information));
        QCOMPARE(messages().prompts().last().text, summary);
        QCOMPARE(offered("1"), 1);
        QCOMPARE(offered("2"), 1);
        QCOMPARE(DatabaseFixture::rows("SELECT AuctionId FROM History"), QStringList{"2"});
    }

    // Anything the site did not explain (a page without the offer form, an
    // answer of another kind, a page or answer that never comes): the
    // exclamation, the continue question, and the auction stays unmarked.
    void unexplained_data()
    {
        QTest::addColumn<QString>("offerPage");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("silentPage");
        QTest::addColumn<bool>("silentAnswer");
        QTest::newRow("page without the form") << "<p>Welcome to TradeMe</p>" << "" << false << false;
        QTest::newRow("form without recipients") << "<form action=\"/MyTradeMe/MakeAnOffer.aspx\"><input name=\"hasbidders\"></form>" << ""
                                                 << false << false;
        QTest::newRow("other answer") << "" << "Sorry, that offer could not be made." << false << false;
        QTest::newRow("page never comes") << "" << "" << true << false;
        QTest::newRow("answer never comes") << "" << "" << false << true;
    }
    void unexplained()
    {
        QFETCH(QString, offerPage);
        QFETCH(QString, answer);
        QFETCH(bool, silentPage);
        QFETCH(bool, silentAnswer);
        auction("1", 2);
        auction("2", 3);
        if (!offerPage.isEmpty()) site->offerPages.insert("1", offerPage);
        if (!answer.isEmpty()) site->answers.insert("1", answer);
        if (silentPage) site->silentPages.insert("1");
        if (silentAnswer) site->silentAnswers.insert("1");
        auto w = open();
        w->setPageTimeout(300);
        check(*w, {0, 1});
        messages().answer(vbmsg::Yes, "You are about to make 2 Fixed Price Offer(s).");
        messages().answer(vbmsg::OK, "Could not make fixed price offer for item 'Title 1' (ref# 1)." + CrLf + CrLf + "Possible cause:");
        messages().answer(vbmsg::No, "Continue processing fixed price offers?");
        messages().answer(vbmsg::OK, "Complete - 0 Fixed Price Offers made.");
        w->cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QCOMPARE(messages().prompts()[1].style, int(vbmsg::Exclamation));
        QCOMPARE(messages().prompts().last().text, QStringLiteral("Complete - 0 Fixed Price Offers made."));
        QCOMPARE(offered("1"), 0);
        QCOMPARE(offered("2"), 0);
    }

    // Yes to the continue question goes on with the next row.
    void continueAfterFailure()
    {
        auction("1", 2);
        auction("2", 3);
        site->offerPages.insert("1", "<p>Down for maintenance</p>");
        auto w = open();
        check(*w, {0, 1});
        messages().answer(vbmsg::Yes, "You are about to make 2");
        messages().answer(vbmsg::OK, "Could not make fixed price offer");
        messages().answer(vbmsg::Yes, "Continue processing fixed price offers?");
        messages().answer(vbmsg::OK, "Complete - 1 Fixed Price Offers made.");
        w->cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QCOMPARE(offered("2"), 1);
    }

    // Cancel while a page is awaited: the row finishes, then the cancel
    // question; a second Cancel closes the window at once, its page abandoned.
    void cancelWhileWaiting()
    {
        auction("1", 2);
        auction("2", 3);
        site->silentPages.insert("1");
        auto w = open();
        w->setPageTimeout(300);
        check(*w, {0, 1});
        messages().answer(vbmsg::Yes, "You are about to make 2");
        messages().answer(vbmsg::OK, "Could not make fixed price offer");
        messages().answer(vbmsg::Yes, "Cancel processing fixed price offers?");
        messages().answer(vbmsg::OK, "Complete - 0 Fixed Price Offers made.");
        w->cmdOK_Click();
        QCOMPARE(w->step(), 1);
        w->cancelButton()->click();
        QVERIFY(w->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
        QCOMPARE(offered("2"), 0);

        site->silentPages.insert("2");
        auto again = open();
        check(*again, {0, 1});
        messages().answer(vbmsg::Yes, "You are about to make 2");
        again->cmdOK_Click();
        again->cancelButton()->click();
        again->cancelButton()->click();
        QVERIFY(!again->isVisible());
        QCOMPARE(again->step(), 0);
        QCOMPARE(browsers.last()->navigations().last(), QStringLiteral("<stop>"));
        QTest::qWait(500);  // no time-out message follows
    }

    // The options dialog itself.
    void optionsDialog_data()
    {
        QTest::addColumn<double>("proposed");
        QTest::addColumn<int>("validFor");
        QTest::addColumn<QString>("typed");  // "" types nothing
        QTest::addColumn<int>("click");      // an option clicked, 0 none
        QTest::addColumn<QString>("key");    // "ok", "enter", "escape", "cancel"
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("days");
        QTest::newRow("proposed, OK at once") << 20.0 << 7 << "" << 0 << "ok" << 20.0 << 7;
        QTest::newRow("no days means 3") << 20.0 << 0 << "" << 0 << "ok" << 20.0 << 3;
        QTest::newRow("12.50 typed") << 20.0 << 3 << "12.50" << 0 << "enter" << 12.5 << 3;
        QTest::newRow("15abc typed") << 0.0 << 3 << "15abc" << 1 << "ok" << 15.0 << 1;
        QTest::newRow("negative") << 0.0 << 3 << "-5" << 0 << "ok" << -5.0 << 3;
        QTest::newRow("thousands typed") << 20.0 << 3 << "1,500" << 0 << "enter" << 1500.0 << 3;
        QTest::newRow("dollar sign typed") << 0.0 << 3 << "$1,250.50" << 0 << "ok" << 1250.5 << 3;
        QTest::newRow("escape") << 20.0 << 3 << "" << 0 << "escape" << 0.0 << 3;
        QTest::newRow("7 days then cancel") << 20.0 << 3 << "" << 7 << "cancel" << 0.0 << 7;
    }
    void optionsDialog()
    {
        QFETCH(double, proposed);
        QFETCH(int, validFor);
        QFETCH(QString, typed);
        QFETCH(int, click);
        QFETCH(QString, key);
        QFETCH(double, price);
        QFETCH(int, days);
        frmFixedPriceOptions d;
        d.pTitle = "Kauri bowl";
        d.pInfo = "This item did not sell";
        d.pOfferPrice = proposed;
        d.pValidFor = validFor;
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Kauri bowl"));
        QCOMPARE(d.info()->text(), QStringLiteral("This item did not sell"));
        QCOMPARE(d.offerPrice()->text(), proposed == 0 ? QString("0") : QString::number(proposed));
        QVERIFY(d.validFor(validFor == 0 ? 3 : validFor)->isChecked());
        if (!typed.isEmpty()) {
            d.offerPrice()->clear();
            QTest::keyClicks(d.offerPrice(), typed);
        }
        if (click) QTest::mouseClick(d.validFor(click), Qt::LeftButton);
        if (key == "ok") d.cmdOK_Click();
        else if (key == "cancel") d.cmdCancel_Click();
        else QTest::keyClick(d.offerPrice(), key == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.pOfferPrice, price);
        QCOMPARE(d.pValidFor, days);
    }

    // A price of 0 is refused, and so is a text that holds no amount (never
    // an offer of 0, or of 1 for "1,5"); the dialog stays.
    void optionsDialogNeedsAPrice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString setIt = "Please set the Offer Price first.";
        QTest::newRow("empty") << "" << setIt;
        QTest::newRow("zero") << "0" << setIt;
        QTest::newRow("zero dollars") << "$0.00" << setIt;
        QTest::newRow("text") << "abc" << "The offer price \"abc\" is not an amount.  Type a number such as 1,250.00.";
        QTest::newRow("decimal comma") << "1,5" << "The offer price \"1,5\" is not an amount.  Type a number such as 1,250.00.";
    }
    void optionsDialogNeedsAPrice()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        frmFixedPriceOptions d;
        d.pOfferPrice = 20;
        d.show();
        d.offerPrice()->setText(typed);
        messages().answer(vbmsg::OK, message);
        d.cmdOK_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().text, message);
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(d.isVisible());
        d.cmdCancel_Click();
        QCOMPARE(d.pOfferPrice, 0.0);
    }

    // The offer window with the real options dialog: a price typed "1,500"
    // is an offer of 1500 in the row and on the site, never one of $1.
    void typedPriceReachesTheRow()
    {
        auction("1", 2, 0, 0);
        FormsRegistry::instance().overrideForm("frmFixedPriceOptions", [](QWidget* parent) {
            auto* d = new frmFixedPriceOptions(parent);
            QTimer::singleShot(0, d, [d] {
                d->offerPrice()->clear();
                QTest::keyClicks(d->offerPrice(), "1,500");
                QTest::keyClick(d->offerPrice(), Qt::Key_Return);
            });
            return d;
        });
        auto w = open();
        select(*w, 0);
        emit w->list()->doubleClicked(w->model()->index(0, 0));
        QCOMPARE(w->cell(0, 9)->text(), QStringLiteral("$1500.00"));
        QCOMPARE(w->cell(0, 0)->checkState(), Qt::Checked);
        QCOMPARE(OfferCells::ReadPrice(w->cell(0, 9)->text()), 1500.0);
    }
};

VENDARO_TEST_MAIN(tst_offerwindow)
#include "tst_offerwindow.moc"
