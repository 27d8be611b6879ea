// Relisting end to end: the relist window opened from the main window's Task
// menu, a row's options edited in the real dialog, the seller logged in and
// each listing made by the real browser (WebEngine, offscreen) against the
// in-process stand-in site, then recorded in the database.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmRelist.h"
#include "automation/frmRelistDetail.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modDatabase.h"
#include "core/modWebProcessing.h"
#include "mainwindow/frmMain.h"
#include "sync/SyncForms.h"
#include "sync/frmUpdate.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QComboBox>
#include <QStandardItem>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>

class tst_relistwindowsite : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int step(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }

    static StandInSite::Listing listing(const QString& id, const QString& kind, const QString& title)
    {
        StandInSite::Listing l;
        l.seller = "kiwi_seller";
        l.id = id;
        l.kind = kind;
        l.title = title;
        l.start = QDateTime::currentDateTime().addDays(-9);
        l.end = QDateTime::currentDateTime().addDays(-2);
        l.startPrice = 20;
        l.length = "7 days";
        l.body = "A fine thing";
        return l;
    }
    template <typename W>
    static W* visible()
    {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) return w;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* w = qobject_cast<W*>(top); w && w->isVisible()) return w;
        return nullptr;
    }
    // The relist window once its list stands: it fills behind a wait panel
    // that lets events run.
    static frmRelist* listedRelistWindow()
    {
        frmRelist* w = visible<frmRelist>();
        return w && w->rowCount() > 0 && !w->waitPanel()->isVisible() ? w : nullptr;
    }

    // A check that fails while a window is worked ends the windows still
    // open, innermost first, once they wait in their own event loops (a
    // dialog hidden before its loop runs would wait for ever): the task that
    // opened them returns and the test reports, rather than hanging.
    static auto endIfFailed(QWidget* window)
    {
        return qScopeGuard([window = QPointer<QWidget>(window)] {
            if (!QTest::currentTestFailed() || !window) return;
            auto* closer = new QTimer(window);
            closer->setInterval(100);
            connect(closer, &QTimer::timeout, window, [] {
                if (QThread::currentThread()->loopLevel() == 0) return;
                if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
            });
            closer->start();
        });
    }

private slots:
    void initTestCase()
    {
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        AutomationForms::Register();
        SyncForms::Register();
        site.addAccount(SiteSeller::Kiwi());
        site.addListing(listing("6001", "unsold", "Kauri bowl"));
        site.addListing(listing("6002", "unsold", "Rimu spoon"));
        site.addListing(listing("6003", "unsold", "Totara box"));
        site.addListing(listing("6004", "unsold", "USB-C > HDMI adapter"));
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
        ctx().gConfiguration.DateLastUpdate = vb::now();
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        env.reset();
    }

    // An unsold auction relisted with a new title and a stocked item listed
    // again from its newest sale; both arrive at the site as queued, the
    // relisted auction's task moves on and the synchronisation is offered
    // the two new listings.
    void relistFromTheMainWindow()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('BOWL', 'Kauri bowl', 0), ('SPOON', 'Rimu spoon', 1)");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, dateNextAction, StartPrice, ReservePrice, "
             "BuyNowPrice, FixedPriceOffered, DurationFixed, DurationDays, ExtraFeatures) VALUES "
             "('6001', 'BOWL', 'Kauri bowl', 16, ?, ?, 20, 30, 0, 1, 1, 7, ',Gallery,'), "
             "('6002', 'SPOON', 'Rimu spoon', 9, ?, ?, 12.5, 15, 0, 1, 1, 5, ',')",
             {vb::now() - 9, vb::today(), vb::now() - 9, vb::today()});
        // The synchronisation offered at the end logs in through the real
        // browser as the real one does: the batch's last page report must not
        // hold the browser's callbacks while it runs.
        QList<int> updates;
        bool loggedIn = false;
        FormsRegistry::instance().overrideForm("frmUpdate", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [&, d] {
                updates << d->property("pAutoUpdate").toInt();
                loggedIn = modWebProcessing::ShowBrowser(d, true, true, false);
                d->accept();
            });
            return d;
        });
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        QVERIFY(main);

        ScriptedMessages& m = env->messages();
        bool opened = false;
        // The window fills its list behind a wait panel that lets events run:
        // it is worked once the list is there.
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            frmRelist* w = listedRelistWindow();
            if (!w) return;
            poll.stop();
            opened = true;
            const auto endOnFailure = endIfFailed(w);
            QCOMPARE(w->rowCount(), 2);
            const int bowl = w->cell(0, 0)->text() == "6001" ? 0 : 1;
            w->list()->setCurrentIndex(w->model()->index(bowl, 0));
            // The bowl gets a new title and a bold title in the options dialog.
            QTimer::singleShot(0, this, [&] {
                auto* d = visible<frmRelistDetail>();
                QVERIFY(d);
                d->title()->setText("Kauri bowl, \"hand turned\" & oiled");
                d->extraFeature(1)->setChecked(true);
                // Three days, ending at the scheduled time the dialog offers (8:30 pm).
                d->duration(1)->click();
                d->days()->setCurrentIndex(2);
                d->cmdOK_Click();
            });
            w->mnuPopupEdit_Click();
            QCOMPARE(w->cell(bowl, 2)->text(), "Kauri bowl, \"hand turned\" & oiled");
            for (int r = 0; r < 2; ++r) w->cell(r, 0)->setCheckState(Qt::Checked);
            m.answer(vbmsg::Yes, "You are about to relist 2 auctions on TradeMe.");
            m.answer(vbmsg::OK, "Complete - Relisted 2 auctions.");
            w->cmdOK_Click();
        });
        poll.start();
        QAction* task = main->action("mnuTaskRelistAll");
        QVERIFY(task);
        task->trigger();  // returns when the window has closed
        QVERIFY(opened);
        QVERIFY(m.verifyDone());

        const QList<StandInSite::CreatedListing> made = site.createdListings();
        QCOMPARE(made.size(), 2);
        QCOMPARE(made[0].templateId, "6001");
        QCOMPARE(made[0].action, "relist");
        QCOMPARE(made[0].title, "Kauri bowl, \"hand turned\" & oiled");
        QCOMPARE(made[0].startPrice, "20");
        QCOMPARE(made[0].reservePrice, "30");
        QCOMPARE(made[0].features, QStringList({"gallerycheckbox", "boldtitlecheckbox"}));
        QCOMPARE(made[0].durationType, "advanced");
        QCOMPARE(made[0].endDate, QDate::currentDate().addDays(3).toString("dd/MM/yyyy"));
        QCOMPARE(made[0].endHour, "8:30 pm");
        QCOMPARE(made[1].templateId, "6002");
        QCOMPARE(made[1].action, "sell_similar");
        QCOMPARE(made[1].title, "Rimu spoon");
        QCOMPARE(made[1].startPrice, "12.5");
        QCOMPARE(step("6001"), 15);
        QCOMPARE(updates, QList<int>{2});
        QVERIFY(loggedIn);
    }

    // A title holding ">": the browser leaves it as it is in the title box's
    // value, and the listing is relisted with its title and description whole.
    void relistATitleHoldingGreaterThan()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('ADAPTER', 'USB-C > HDMI adapter', 0)");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, dateNextAction, StartPrice, ReservePrice, "
             "BuyNowPrice, FixedPriceOffered, DurationFixed, DurationDays, ExtraFeatures) VALUES "
             "('6004', 'ADAPTER', 'USB-C > HDMI adapter', 16, ?, ?, 20, 30, 0, 1, 1, 7, ',')",
             {vb::now() - 9, vb::today()});
        FormsRegistry::instance().overrideForm("frmUpdate", [](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        QVERIFY(main);
        ScriptedMessages& m = env->messages();
        bool opened = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            frmRelist* w = listedRelistWindow();
            if (!w) return;
            poll.stop();
            opened = true;
            const auto endOnFailure = endIfFailed(w);
            QCOMPARE(w->rowCount(), 1);
            QCOMPARE(w->cell(0, 2)->text(), "USB-C > HDMI adapter");
            w->cell(0, 0)->setCheckState(Qt::Checked);
            m.answer(vbmsg::Yes, "You are about to relist 1 auctions on TradeMe.");
            m.answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
            w->cmdOK_Click();
        });
        poll.start();
        main->action("mnuTaskRelistAll")->trigger();
        QVERIFY(opened);
        QVERIFY(m.verifyDone());
        const QList<StandInSite::CreatedListing> made = site.createdListings();
        QVERIFY(!made.isEmpty());
        QCOMPARE(made.last().templateId, "6004");
        QCOMPARE(made.last().action, "relist");
        QCOMPARE(made.last().title, "USB-C > HDMI adapter");
        QVERIFY2(made.last().body.startsWith("A fine thing") && made.last().body.endsWith(":)"), qPrintable(made.last().body));
        QCOMPARE(step("6004"), 15);
    }

    // The synchronisation the batch ends with is the real one: it downloads
    // the new listing, and its save puts it in the database as running.
    void syncPicksUpTheNewListing()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('BOX', 'Totara box', 0)");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, dateNextAction, StartPrice, ReservePrice, "
             "BuyNowPrice, FixedPriceOffered, DurationFixed, DurationDays, ExtraFeatures) VALUES "
             "('6003', 'BOX', 'Totara box', 16, ?, ?, 20, 30, 0, 1, 1, 7, ',')",
             {vb::now() - 9, vb::today()});
        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        QVERIFY(main);
        ScriptedMessages& m = env->messages();
        bool relisted = false, saved = false;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!relisted) {
                frmRelist* w = listedRelistWindow();
                if (!w) return;
                relisted = true;
                const auto endOnFailure = endIfFailed(w);
                w->cell(0, 0)->setCheckState(Qt::Checked);
                m.answer(vbmsg::Yes, "You are about to relist 1 auctions on TradeMe.");
                m.answer(vbmsg::OK, "Complete - Relisted 1 auctions.");
                m.answer(vbmsg::OK, "Tip:");
                m.answer(vbmsg::OK, "Listings that are displayed in BOLD are changes");
                w->cmdOK_Click();
                return;
            }
            frmUpdate* u = visible<frmUpdate>();
            if (!u || !u->saveButton()->isEnabled() || saved) return;
            saved = true;
            poll.stop();
            u->cmdSave_Click();
        });
        poll.start();
        main->action("mnuTaskRelistAll")->trigger();
        QVERIFY(relisted);
        QVERIFY(saved);
        const QList<StandInSite::CreatedListing> made = site.createdListings();
        QVERIFY(!made.isEmpty());
        QCOMPARE(made.last().templateId, "6003");
        QCOMPARE(step(made.last().id), 1);
        QCOMPARE(step("6003"), 15);
        QVERIFY(m.verifyDone());
    }
};

QTEST_MAIN(tst_relistwindowsite)
#include "tst_relistwindowsite.moc"
