// The synchronisation window offscreen: the run against the stand-in site's
// exports (the unsold pages from a scripted browser), the review lists, the
// buttons, the relist wait, the unload question and the popup commands.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "ScriptedMessages.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/Downloader.h"
#include "platform/transfer/SiteCookieJar.h"
#include "sync/ExportFile.h"
#include "sync/ListingRecordsets.h"
#include "sync/ReviewListModel.h"
#include "sync/UpdateSession.h"
#include "sync/frmUpdate.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QNetworkCookie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

namespace {
const QString Seller = QStringLiteral("kiwi_seller");
const QString CrLf = QStringLiteral("\r\n");

// A window that stands in for another and closes at once, keeping what it was opened with.
class StandInWindow : public QDialog {
public:
    StandInWindow(QWidget* parent, std::function<void(QDialog*)> onShow) : QDialog(parent), m_onShow(std::move(onShow)) {}

protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        QTimer::singleShot(0, this, [this] {
            if (m_onShow) m_onShow(this);
            accept();
        });
    }

private:
    std::function<void(QDialog*)> m_onShow;
};

// The message service of the test, telling what the window shows at each prompt.
class WatchedMessages : public MessageService {
public:
    WatchedMessages(ScriptedMessages& inner, std::function<void(const QString&)> seen) : m_inner(inner), m_seen(std::move(seen))
    {
        MessageService::install(this);
    }
    ~WatchedMessages() override { MessageService::install(&m_inner); }
    int MsgBox(const QString& prompt, int style, const QString& title) override
    {
        m_seen(prompt);
        return m_inner.MsgBox(prompt, style, title);
    }
    bool InputBox(const QString& prompt, const QString& title, const QString& defaultText, QString* answer) override
    {
        m_seen(prompt);
        return m_inner.InputBox(prompt, title, defaultText, answer);
    }
    QString GetOpenFileName(const QString& t, const QString& f, const QString& x) override { return m_inner.GetOpenFileName(t, f, x); }
    QString GetSaveFileName(const QString& t, const QString& p, const QString& x) override { return m_inner.GetSaveFileName(t, p, x); }
    QColor ChooseColor(const QColor& initial, const QString& title) override { return m_inner.ChooseColor(initial, title); }

private:
    ScriptedMessages& m_inner;
    std::function<void(const QString&)> m_seen;
};

QString closedText(const QDateTime& when)
{
    return QLocale(QLocale::English).toString(when, QStringLiteral("ddd d MMM h:mm ap"));
}
}  // namespace

class tst_frmupdate : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::unique_ptr<StandInSite> site;
    bool loginOK = true;
    int logins = 0;
    QList<QVariantMap> opened;  // windows the review commands opened: "form" and their variables
    // The unsold pages the scripted browser shows: listing number, title, closed.
    struct Unsold {
        QString id;
        QString title;
        QDateTime closed;
    };
    QList<Unsold> unsold;
    int unsoldLoads = 0;

    ProgramContext& ctx() { return ProgramContext::current(); }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return ctx().gConnection->Scalar(sql, binds); }

    QString unsoldUrl() const { return SiteConfig::siteUrl() + QStringLiteral("/MyTradeMe/Sell/Unsold.aspx"); }

    FakeBrowser::Page unsoldPage(const QString& address, const QString& content)
    {
        if (address.endsWith(QLatin1String("VNTM.sub"))) return {QString(), "VNTM", "", content};
        ++unsoldLoads;
        // One page: asked for page 2, the site shows page 1 again.
        QString text = QStringLiteral("TradeMe | My TradeMe\nMy Trade Me > Selling > Unsold items\nUnsold items\n");
        for (const Unsold& u : std::as_const(unsold))
            text += u.title + QStringLiteral("\nClosed:  ") + closedText(u.closed) + QStringLiteral(" (#") + u.id +
                    QStringLiteral(")\nPrice $10.00\nNo bids\n");
        text += QStringLiteral("Page 1\n");
        return {unsoldUrl(), "Unsold items - TradeMe", text, ""};
    }

    StandInSite::Listing listing(const QString& id, const QString& kind, const QString& title, int endDays)
    {
        StandInSite::Listing l;
        l.seller = Seller;
        l.id = id;
        l.kind = kind;
        l.title = title;
        const QDateTime now = QDateTime::currentDateTime();
        l.end = now.addDays(endDays);
        l.start = l.end.addDays(-7);
        l.startPrice = 10;
        l.reservePrice = 15;
        l.length = QStringLiteral("7 days");
        return l;
    }
    StandInSite::Listing sale(const QString& id, const QString& title, int soldDays, const QString& buyer, double shipping = -1)
    {
        StandInSite::Listing l = listing(id, QStringLiteral("sold"), title, soldDays);
        l.soldType = QStringLiteral("Auction");
        l.salePrice = 25;
        l.buyerName = buyer;
        l.buyerEmail = buyer + QStringLiteral("@example.com");
        l.buyerAddress = QStringLiteral("12 Kauri Street, Ponsonby, Auckland 1011");
        if (shipping >= 0) l.shipping = QStringLiteral("Courier ($%1)").arg(shipping, 0, 'f', 2);
        return l;
    }

    // The seller's listings on the site: two running, two sold (one before
    // the system start), one unsold.
    void listDefault()
    {
        site->clearListings();
        site->addListing(listing("2900000001", "current", "Rimu bowl", 3));
        site->addListing(listing("2900000002", "current", "Kauri box", 5));
        site->addListing(sale("2900000101", "Paua pendant", -1, "o'brien_fan"));
        site->addListing(sale("2900000102", "Greenstone hook", -40, "sean1", 5));
        unsold = {{"2900000201", "Flax basket", QDateTime::currentDateTime().addDays(-2)}};
    }

    // The notes at the end of a run that has everything new.
    static void expectEndNotes(ScriptedMessages& messages, bool red = true, bool shipping = false)
    {
        messages.answer(vbmsg::OK, "Tip:");
        messages.answer(vbmsg::OK, "displayed in BOLD");
        if (red) messages.answer(vbmsg::OK, "displayed in RED");
        if (shipping) messages.answer(vbmsg::OK, "do not have the shipping cost set");
    }

    // Shows the window and waits for its run to end.
    bool run(frmUpdate& w)
    {
        QSignalSpy ended(&w, &frmUpdate::runEnded);
        if (!w.isVisible()) w.show();
        return ended.wait(60000);
    }
    bool rerun(frmUpdate& w, const std::function<void()>& action)
    {
        QSignalSpy ended(&w, &frmUpdate::runEnded);
        action();
        return ended.wait(60000);
    }
    int exportRequests()
    {
        int n = 0;
        for (const auto& r : site->requests())
            if (r.path.contains(QLatin1String("MyListingsCSV"))) ++n;
        return n;
    }

private slots:
    void init()
    {
        env.emplace();
        site = std::make_unique<StandInSite>();
        site->addAccount({Seller, "seller@example.co.nz", "demo-pass", "1234567"});
        QVERIFY(site->start());
        qputenv("VENDARO_SITE_URL", site->baseUrl().toUtf8());
        listDefault();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        Configuration& c = ctx().gConfiguration;
        c.TradeMeUserId = Seller;
        c.TradeMeEmail = "seller@example.co.nz";
        c.DateSystemStart = vb::today() - 30;
        c.DateLastUpdate = vb::now() - 1;
        SiteCookieJar::instance()->clear();
        QNetworkCookie cookie(StandInSite::sessionCookieName().toLatin1(), site->openSession(Seller).toLatin1());
        cookie.setDomain(QStringLiteral("127.0.0.1"));
        cookie.setPath(QStringLiteral("/"));
        SiteCookieJar::instance()->add(cookie);

        loginOK = true;
        logins = 0;
        opened.clear();
        unsoldLoads = 0;
        WebBrowser::setFactory([this](QObject* parent) {
            auto* browser = new FakeBrowser(parent);
            browser->setHandler([this](const QString& a, const QString& c) { return unsoldPage(a, c); });
            return browser;
        });
        FormsRegistry& forms = FormsRegistry::instance();
        forms.overrideForm("frmBrowser", [this](QWidget* parent) {
            return new StandInWindow(parent, [this](QDialog* d) {
                if (d->property("AutoLogin").toBool()) {
                    ++logins;
                    d->setProperty("LoginOK", loginOK);
                } else {
                    opened << QVariantMap{{"form", "frmBrowser"}, {"StartingAddress", d->property("StartingAddress")}};
                }
            });
        });
        for (const char* name : {"frmAuction", "frmItem"})
            forms.overrideForm(name, [this, name](QWidget* parent) {
                return new StandInWindow(parent, [this, name](QDialog* d) {
                    QVariantMap vars{{"form", name}};
                    for (const QByteArray& p : d->dynamicPropertyNames()) vars.insert(QString::fromLatin1(p), d->property(p));
                    opened << vars;
                });
            });
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        WebBrowser::setFactory({});
        ExportFile::setTimeoutMs(60000);
        Downloader::manager()->clearConnectionCache();
        site.reset();
        qunsetenv("VENDARO_SITE_URL");
        SiteCookieJar::instance()->clear();
        env.reset();
    }

    // The filter: a database not updated for more than a week downloads 45 days, whatever was chosen.
    void staleUpdateForcesFortyFiveDays_data()
    {
        QTest::addColumn<double>("lastUpdateDaysAgo");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fresh, 7 saved") << 1.0 << "Last 7 days" << "Last 7 days";
        QTest::newRow("stale, 7 saved") << 8.0 << "Last 7 days" << "Last 45 days";
        QTest::newRow("fresh, nothing saved") << 1.0 << "" << "Last 45 days";
        QTest::newRow("fresh, unknown saved") << 1.0 << "Last 3 days" << "Last 45 days";
    }
    void staleUpdateForcesFortyFiveDays()
    {
        QFETCH(double, lastUpdateDaysAgo);
        QFETCH(QString, saved);
        QFETCH(QString, shown);
        ctx().gConfiguration.DateLastUpdate = vb::now() - lastUpdateDaysAgo;
        if (!saved.isEmpty()) AppSettings::SaveSetting(frmUpdate::Section(), "Filter", saved);
        frmUpdate w;
        QCOMPARE(w.filter()->currentText(), shown);
        QCOMPARE(w.session().mDays, shown == "Last 7 days" ? 7 : 45);
        QVERIFY(!w.saveButton()->isEnabled());
    }

    // A whole run: the lists, their captions and marks, Sold in front, the
    // update date held back until the save; Save writes it all and closes.
    void aRunShowsTheListsAndSaveWritesThem()
    {
        const double before = ctx().gConfiguration.DateLastUpdate;
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        QVERIFY(messages.verifyDone());
        QCOMPARE(logins, 1);
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("Current (x2)"));
        QCOMPARE(w.tabs()->tabText(1), QStringLiteral("Sold (x2)"));
        QCOMPARE(w.tabs()->tabText(2), QStringLiteral("Unsold (x1)"));
        QCOMPARE(w.tabs()->currentIndex(), 1);  // Sold has changes
        QVERIFY(w.saveButton()->isEnabled());
        QVERIFY(w.refreshButton()->isEnabled());
        QVERIFY(!w.waitShowing());
        ReviewListModel& sold = w.listModel(1);
        QCOMPARE(sold.rowCount(), 2);
        // Newest first; the sale before the system start is red.
        QCOMPARE(sold.ListingId(0), QStringLiteral("2900000101"));
        QVERIFY(!sold.RowRed(0));
        QVERIFY(sold.RowRed(1));
        QVERIFY(sold.RowBold(0) && sold.RowBold(1));
        QCOMPARE(sold.CellText(0, 5), QStringLiteral("o'brien_fan"));
        QVERIFY(w.session().mUnsavedChanges);
        QCOMPARE(ctx().gConfiguration.DateLastUpdate, before);

        QSignalSpy finished(&w, &QDialog::finished);
        w.saveButton()->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 5);
        QCOMPARE(scalar("SELECT CustomerId FROM Auction WHERE AuctionId='2900000101'").toString(), QStringLiteral("o'brien_fan"));
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='2900000102'").toInt(), 15);
        QVERIFY(ctx().gConfiguration.DateLastUpdate > before);
    }

    // Nothing new on the site: nothing bold, the date is stamped at once, no question on closing.
    void aRunWithNothingNewStampsTheDate()
    {
        {
            ScriptedMessages& messages = env->messages();
            expectEndNotes(messages);
            frmUpdate w;
            QVERIFY(run(w));
            QSignalSpy finished(&w, &QDialog::finished);
            w.saveButton()->click();
            QVERIFY(finished.wait(60000));
        }
        ctx().gConfiguration.DateLastUpdate = vb::now() - 1;
        const double before = ctx().gConfiguration.DateLastUpdate;
        ScriptedMessages& messages = env->messages();
        // The sale from before the system start stays red.
        messages.answer(vbmsg::OK, "Tip:").answer(vbmsg::OK, "displayed in RED");
        frmUpdate w;
        QVERIFY(run(w));
        QVERIFY(messages.verifyDone());
        QCOMPARE(w.tabs()->tabText(1), QStringLiteral("Sold"));
        QVERIFY(!w.session().mUnsavedChanges);
        QVERIFY(ctx().gConfiguration.DateLastUpdate > before);
        QCOMPARE(w.tabs()->currentIndex(), 0);
        w.close();
        QVERIFY(!w.isVisible());
    }

    // A refresh runs again from the login and comes back to the tab the seller was on.
    void refreshKeepsTheTab()
    {
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        w.tabs()->setCurrentIndex(2);
        messages.answer(vbmsg::OK, "Tip:");
        QVERIFY(rerun(w, [&] { w.refreshButton()->click(); }));
        QVERIFY(messages.verifyDone());
        QCOMPARE(logins, 2);
        QCOMPARE(w.tabs()->currentIndex(), 2);
        QCOMPARE(w.listModel(0).rowCount(), 2);
        // The filter is a refresh too, with the other day window (and no tip).
        w.tabs()->setCurrentIndex(0);
        QVERIFY(rerun(w, [&] { w.filter()->setCurrentText("Last 7 days"); }));
        QCOMPARE(w.session().mDays, 7);
        QCOMPARE(w.tabs()->currentIndex(), 0);
        QCOMPARE(logins, 3);
        QVERIFY(messages.verifyDone());
        messages.answer(vbmsg::No, "There are items to be updated.");
        w.close();
    }

    // After a relist the run downloads again until the Current export shows
    // as many new listings as were relisted, counting down between runs.
    void relistWaitCountsDownAndDownloadsAgain()
    {
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        w.pAutoUpdate = 3;
        QVERIFY(run(w));
        QCOMPARE(w.waitCount(), 6);
        QVERIFY(!w.saveButton()->isEnabled());
        QVERIFY(!w.refreshButton()->isEnabled());
        const int exports = exportRequests();
        // One a second; at 0 the download starts at once.
        QStringList shown;
        QSignalSpy ended(&w, &frmUpdate::runEnded);
        // The third listing appears on the site during the wait.
        site->addListing(listing("2900000003", "current", "Totara spoon", 6));
        messages.answer(vbmsg::OK, "Tip:");
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (w.waitShowing() && !shown.contains(w.waitMessage())) shown << w.waitMessage();
                return !ended.isEmpty();
            },
            15000));
        QCOMPARE(shown.filter("Waiting for trademe to update...").join(','),
                 QStringLiteral("Waiting for trademe to update...5,Waiting for trademe to update...4,Waiting for trademe to update...3,"
                                "Waiting for trademe to update...2,Waiting for trademe to update...1"));
        QCOMPARE(exportRequests(), exports + 2);
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("Current (x3)"));
        QCOMPARE(w.waitCount(), 0);
        QVERIFY(w.saveButton()->isEnabled());
        messages.answer(vbmsg::No, "There are items to be updated.");
        w.close();
    }

    // Closing with rows to save asks; Cancel keeps the window, No leaves the
    // database as it was, Yes saves; a save that fails keeps the window.
    void closingWithUnsavedRowsAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("auctions");
        QTest::newRow("cancel") << int(vbmsg::Cancel) << false << false << 0;
        QTest::newRow("no") << int(vbmsg::No) << false << true << 0;
        QTest::newRow("yes") << int(vbmsg::Yes) << false << true << 5;
        QTest::newRow("yes, the commit fails") << int(vbmsg::Yes) << true << false << 0;
    }
    void closingWithUnsavedRowsAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, locked);
        QFETCH(bool, closes);
        QFETCH(int, auctions);
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        messages.answer(answer, "Do you want to update now?");
        std::optional<ReadLock> lock;
        if (locked) {
            lock.emplace(ctx().gConnection->path());
            QVERIFY(lock->held());
            ReadLock::shortenWait(*ctx().gConnection);
            messages.answer(vbmsg::OK, "database is locked");
        }
        w.cancelButton()->click();
        QVERIFY(messages.verifyDone());
        QCOMPARE(!w.isVisible(), closes);
        if (!closes) QVERIFY(!w.session().mCancel);  // the cancel request is withdrawn
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), auctions);
        if (!locked) return;
        // The rows are still there to save once the file is free.
        QVERIFY(w.session().mUnsavedChanges);
        lock.reset();
        QSignalSpy finished(&w, &QDialog::finished);
        w.saveButton()->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 5);
    }

    // A download that fails is reported; Refresh and the filter come back, Save does not.
    void aFailedDownloadLeavesRefreshAndTheFilter()
    {
        site->setExportFault(StandInSite::ExportFault::Stalled);
        ExportFile::setTimeoutMs(300);
        ScriptedMessages& messages = env->messages();
        messages.answer(vbmsg::OK, "An error occurred downloading data file (0).");
        frmUpdate w;
        QVERIFY(run(w));
        QVERIFY(messages.verifyDone());
        QVERIFY(w.isVisible());
        QVERIFY(!w.waitShowing());
        QVERIFY(w.refreshButton()->isEnabled());
        QVERIFY(w.filter()->isEnabled());
        QVERIFY(!w.saveButton()->isEnabled());
        // Refresh works once the site does.
        site->setExportFault(StandInSite::ExportFault::None);
        expectEndNotes(messages);
        QVERIFY(rerun(w, [&] { w.refreshButton()->click(); }));
        QVERIFY(w.saveButton()->isEnabled());
        messages.answer(vbmsg::No, "Do you want to update now?");
        w.close();
    }

    // Cancel in the middle of a download, or of the unsold pages, closes the window at once and nothing runs after.
    void cancelStopsTheRunAtAnyStage_data()
    {
        QTest::addColumn<QString>("stage");
        QTest::newRow("current export") << "current";
        QTest::newRow("unsold pages") << "unsold";
        QTest::newRow("login refused") << "login";
    }
    void cancelStopsTheRunAtAnyStage()
    {
        QFETCH(QString, stage);
        ScriptedMessages& messages = env->messages();
        if (stage == "unsold") {
            WebBrowser::setFactory([](QObject* parent) {
                auto* browser = new FakeBrowser(parent);
                browser->setHandler([](const QString&, const QString&) {
                    FakeBrowser::Page page;
                    page.neverLoads = true;
                    return page;
                });
                return browser;
            });
        }
        auto w = std::make_unique<frmUpdate>();
        QSignalSpy ended(w.get(), &frmUpdate::runEnded);
        QSignalSpy finished(w.get(), &QDialog::finished);
        if (stage == "current") {
            site->setExportFault(StandInSite::ExportFault::Stalled);
            w->show();
            QVERIFY(QTest::qWaitFor([&] { return w->waitMessage() == "Downloading current listings" && exportRequests() > 0; }, 5000));
        } else if (stage == "unsold") {
            w->show();
            QVERIFY(QTest::qWaitFor([&] { return w->waitMessage().startsWith("Downloading unsold listings (Page 1)"); }, 10000));
        } else {
            loginOK = false;
            w->show();
            QVERIFY(QTest::qWaitFor([&] { return !w->isVisible(); }, 5000));
            QCOMPARE(logins, 1);
            QCOMPARE(exportRequests(), 0);
            return;
        }
        w->cancelButton()->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->session().isRunning());
        QTest::qWait(100);
        QVERIFY(messages.verifyDone());
        w.reset();
        QTest::qWait(50);  // nothing of the run is left to call back
    }

    // The popup's items follow the tab and the row.
    void popupRules()
    {
        ctx().gConnection->Execute("INSERT INTO Item (ItemId, Description) VALUES ('BOWL', 'Rimu bowl')", {});
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        auto enabled = [&](int tab, int row) {
            w.selectRow(tab, row);
            w.mnuPopup_Click();
            QStringList on;
            for (const char* name : {"mnuPopupTrademe", "mnuFixedPriceOffer", "mnuPopupAuction", "mnuPopupItem", "mnuPopupItemView",
                                     "mnuPopupItemAdd", "mnuPopupShipping", "mnuPopupProcess"})
                if (w.popupAction(name)->isEnabled()) on << QString::fromLatin1(name).mid(3);
            return on.join(',');
        };
        // Current: no offer; the bowl is a stock item, the box is not.
        const int bowl = w.listModel(0).ListingId(0) == "2900000001" ? 0 : 1;
        QCOMPARE(enabled(0, bowl), QStringLiteral("PopupTrademe,PopupAuction,PopupItem,PopupItemView"));
        QCOMPARE(enabled(0, 1 - bowl), QStringLiteral("PopupTrademe,PopupAuction,PopupItem,PopupItemView,PopupItemAdd"));
        // Sold: the new sale takes a shipping total; the red one is processed.
        QCOMPARE(enabled(1, 0), QStringLiteral("PopupTrademe,FixedPriceOffer,PopupAuction,PopupItem,PopupItemView,PopupItemAdd,PopupShipping"));
        QCOMPARE(enabled(1, 1),
                 QStringLiteral("PopupTrademe,FixedPriceOffer,PopupAuction,PopupItem,PopupItemView,PopupItemAdd,PopupShipping,PopupProcess"));
        // Once an offer was made on the site, no second one.
        Recordset& soldSet = *w.session().mListings[1];
        soldSet.MoveTo(w.listModel(1).RecordPosition(0));
        soldSet.setValue("FixedPriceOffered", true);
        soldSet.Update();
        QCOMPARE(enabled(1, 0), QStringLiteral("PopupTrademe,PopupAuction,PopupItem,PopupItemView,PopupItemAdd,PopupShipping"));
        QCOMPARE(enabled(2, 0), QStringLiteral("PopupTrademe,FixedPriceOffer,PopupAuction,PopupItem,PopupItemView,PopupItemAdd"));
        messages.answer(vbmsg::No, "Do you want to update now?");
        w.close();
    }

    // The typed shipping total: "0" is a charge of nothing, "1,500" is 1500, text is
    // refused with a message, empty answers change nothing, the later of two wins.
    void shippingTotal_data()
    {
        QTest::addColumn<QStringList>("answers");  // "<cancel>" cancels the box; "!" marks a text refused as no amount
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << QStringList{"0"} << "$0.00";
        QTest::newRow("amount") << QStringList{"7.5"} << "$7.50";
        QTest::newRow("thousands") << QStringList{"1,500"} << "$1500.00";
        QTest::newRow("text") << QStringList{"!abc"} << "$5.00";
        QTest::newRow("decimal comma") << QStringList{"!7,5"} << "$5.00";
        QTest::newRow("empty") << QStringList{""} << "$5.00";
        QTest::newRow("negative") << QStringList{"-3"} << "$5.00";
        QTest::newRow("cancelled") << QStringList{"<cancel>"} << "$5.00";
        QTest::newRow("later wins") << QStringList{"8", "9"} << "$9.00";
        QTest::newRow("text after an amount") << QStringList{"8", "!abc"} << "$8.00";
    }
    void shippingTotal()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, shown);
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        const auto row = [&] {
            for (int r = 0; r < w.listModel(1).rowCount(); ++r)
                if (w.listModel(1).ListingId(r) == "2900000102") return r;
            return -1;
        };
        QCOMPARE(w.listModel(1).CellText(row(), 9), QStringLiteral("$5.00"));
        for (const QString& a : answers) {
            if (a == "<cancel>") {
                messages.cancelInput("Enter the shipping cost for this auction.");
            } else if (a.startsWith(u'!')) {
                messages.answerInput(a.mid(1), "(Enter 0 for no shipping charge)");
                messages.answer(vbmsg::OK, "The shipping cost \"" + a.mid(1) + "\" is not an amount.");
            } else {
                messages.answerInput(a, "(Enter 0 for no shipping charge)");
            }
            w.selectRow(1, row());
            w.mnuPopupShipping_Click();
        }
        QVERIFY(messages.verifyDone());
        QCOMPARE(w.listModel(1).CellText(row(), 9), shown);
        QCOMPARE(w.list(1)->currentIndex().row(), row());  // the refill keeps the seller's place
        // The typed total survives a refresh and goes into the sale.
        messages.answer(vbmsg::OK, "Tip:");
        QVERIFY(rerun(w, [&] { w.refreshButton()->click(); }));
        QCOMPARE(w.listModel(1).CellText(row(), 9), shown);
        QSignalSpy finished(&w, &QDialog::finished);
        w.saveButton()->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(vb::formatNumber(scalar("SELECT Shipping FROM Auction WHERE AuctionId='2900000102'").toDouble(), "$0.00"), shown);
    }

    // Commands that open a sale save first: No opens nothing; Yes saves, opens the sale and downloads again.
    void viewAuctionSavesFirst()
    {
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        w.selectRow(1, 0);
        messages.answer(vbmsg::No, "You must save changes before you can view this auction.");
        w.mnuPopupAuction_Click();
        QVERIFY(opened.isEmpty());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 0);

        messages.answer(vbmsg::Yes, "You must save changes before you can view this auction.");
        messages.answer(vbmsg::OK, "Tip:");
        QVERIFY(rerun(w, [&] { w.mnuPopupAuction_Click(); }));
        QVERIFY(messages.verifyDone());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 5);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0]["form"].toString(), QStringLiteral("frmAuction"));
        QCOMPARE(opened[0]["mRemoteId"].toString(), QStringLiteral("2900000101"));
        QCOMPARE(opened[0]["mRemoteEdit"].toBool(), true);

        // The site pages of a row: the listing's own page, not modal.
        w.selectRow(2, 0);
        w.mnuPopupTrademe_Click();
        QTRY_COMPARE(opened.size(), 2);
        QVERIFY(opened[1]["StartingAddress"].toString().endsWith("2900000201"));
        w.close();
    }

    // A new stock item from a row's title: the item codes are read again.
    void addItemRereadsTheItemCodes()
    {
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        FormsRegistry::instance().overrideForm("frmItem", [this](QWidget* parent) {
            return new StandInWindow(parent, [this](QDialog* d) {
                opened << QVariantMap{{"form", "frmItem"}, {"mRemoteDesc", d->property("mRemoteDesc")}};
                ctx().gConnection->Execute("INSERT INTO Item (ItemId, Description) VALUES ('BOX', ?)", {d->property("mRemoteDesc")});
            });
        });
        const int box = w.listModel(0).ListingId(0) == "2900000002" ? 0 : 1;
        QCOMPARE(w.listModel(0).ItemCode(box), QStringLiteral("MISC"));
        w.selectRow(0, box);
        w.mnuPopupItemAdd_Click();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0]["mRemoteDesc"].toString(), QStringLiteral("Kauri box"));
        const int after = w.listModel(0).ListingId(0) == "2900000002" ? 0 : 1;
        QCOMPARE(w.listModel(0).ItemCode(after), QStringLiteral("BOX"));
        QVERIFY(!w.waitShowing());
        messages.answer(vbmsg::No, "Do you want to update now?");
        w.close();
    }

    // "Process this listing" asks its questions over the Sold list it works
    // on; the save it asks for first leaves every list refilled, and the
    // processed row is no longer red.
    void processingAsksOverTheSoldList()
    {
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        QVERIFY(messages.verifyDone());
        ReviewListModel& sold = w.listModel(1);
        const int red = sold.RowRed(0) ? 0 : 1;
        QVERIFY(sold.RowRed(red));
        w.tabs()->setCurrentIndex(1);
        w.selectRow(1, red);
        QStringList tabsSeen;  // the tab in front at each question of the processing
        WatchedMessages watch(messages, [&](const QString& prompt) {
            if (prompt.contains("Has the buyer") || prompt.contains("Finished processing"))
                tabsSeen << w.tabs()->tabText(w.tabs()->currentIndex()).section(' ', 0, 0);
        });
        messages.answer(vbmsg::Yes, "You must save changes before you can process this listing.");
        messages.answer(vbmsg::No, "Has the buyer paid for this item?");
        messages.answer(vbmsg::No, "Has the buyer been sent a winning bidder email?");
        messages.answer(vbmsg::Yes, "Finished processing.");
        w.mnuPopupProcess_Click();
        QVERIFY(messages.verifyDone());
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='2900000102'").toInt(), 2);
        QCOMPARE(tabsSeen, (QStringList{"Sold", "Sold", "Sold"}));
        QCOMPARE(w.tabs()->currentIndex(), 1);
        // Saved: no list holds a row still to save; the processed row is plain.
        for (int list = 0; list < 3; ++list) QVERIFY2(!w.listModel(list).AnyBold(), qPrintable(QString::number(list)));
        const int row = sold.ListingId(0) == "2900000102" ? 0 : 1;
        QVERIFY(!sold.RowRed(row));
        w.close();
    }

    // The widths the seller gives the review lists' columns, the auction
    // number's too, come back next time and stay through the first fill;
    // a column without a width of the seller's is fitted to its rows.
    void columnWidthsAreKept()
    {
        ctx().gConfiguration.DateLastUpdate = vb::now();
        const QList<int> widths{0, 131, 97, 222};
        {
            frmUpdate w;
            for (int j = 1; j < widths.size(); ++j) w.list(1)->setColumnWidth(j, widths[j]);
            w.reject();
        }
        QCOMPARE(AppSettings::GetSetting(frmUpdate::Section(), "listColumn(1)2"), QString::number(vb::pixelsToTwips(131)));
        QVERIFY(AppSettings::GetSetting(frmUpdate::Section(), "listColumn(1)1").isEmpty());  // the hidden sort key
        // One width never saved: fitted at the first fill, the others kept.
        AppSettings::DeleteSetting(frmUpdate::Section(), "listColumn(1)5");
        ScriptedMessages& messages = env->messages();
        expectEndNotes(messages);
        frmUpdate w;
        QVERIFY(run(w));
        QCOMPARE(w.listModel(1).rowCount(), 2);
        for (int j = 1; j < widths.size(); ++j) QCOMPARE(w.list(1)->columnWidth(j), widths[j]);
        QTreeView* list = w.list(1);
        QCOMPARE(list->columnWidth(4), qMin(320, qMax(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(4), list->header()->sectionSizeHint(4)) + 12));
        messages.answer(vbmsg::No, "Do you want to update now?");
        w.close();
    }

    // The window's size, filter and column widths come back next time.
    void settingsPersist()
    {
        ctx().gConfiguration.DateLastUpdate = vb::now();
        {
            frmUpdate w;
            w.setWindowState(Qt::WindowNoState);
            w.resize(700, 450);
            {
                const QSignalBlocker block(w.filter());
                w.filter()->setCurrentText("Last 7 days");
            }
            w.list(1)->setColumnWidth(3, 222);
            w.reject();
        }
        QCOMPARE(AppSettings::GetSetting(frmUpdate::Section(), "WindowState"), QStringLiteral("0"));
        QCOMPARE(AppSettings::GetSetting(frmUpdate::Section(), "Filter"), QStringLiteral("Last 7 days"));
        QVERIFY(!AppSettings::GetSetting(frmUpdate::Section(), "listColumn(1)3").isEmpty());
        QVERIFY(AppSettings::GetSetting(frmUpdate::Section(), "listColumn(1)1").isEmpty());
        frmUpdate again;
        QCOMPARE(again.filter()->currentText(), QStringLiteral("Last 7 days"));
        QCOMPARE(again.list(1)->columnWidth(3), 222);
        QCOMPARE(again.size(), QSize(700, 450));
    }
};

VENDARO_TEST_MAIN(tst_frmupdate)
#include "tst_frmupdate.moc"
