// A whole synchronisation against the stand-in site in the real browser: log
// in, download the current and sold exports, read the unsold pages, compare,
// save; then the same again, which must change nothing.

#include "DatabaseFixture.h"
#include "RecordingUpdateView.h"
#include "ScriptedMessages.h"
#include "SiteSeller.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/SiteCookieJar.h"
#include "sync/ListingRecordsets.h"
#include "sync/ReviewListModel.h"
#include "sync/SyncForms.h"
#include "sync/UpdateSession.h"
#include "sync/frmUpdate.h"
#include "tools/DemoData.h"
#include "MainWindowDriver.h"
#include "platform/FormsRegistry.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTabWidget>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <memory>
#include <optional>

namespace {
constexpr int Patience = 120000;
}

class tst_syncrun : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    QWidget caller;

    ProgramContext& ctx() { return ProgramContext::current(); }

    QStringList table(const QString& sql)
    {
        QStringList out;
        Recordset rs;
        if (!rs.Open(sql, ctx().gConnection)) return {rs.lastError()};
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList row;
            for (int i = 0; i < rs.FieldCount(); ++i) row << rs.value(i).toString();
            out << row.join(u'|');
        }
        return out;
    }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return ctx().gConnection->Scalar(sql, binds); }

    bool logIn()
    {
        frmBrowser w;
        w.RemoteForm = &caller;
        w.AutoLogin = true;
        w.ExitAfterLogin = true;
        w.show();
        return QTest::qWaitFor([&] { return !w.isVisible(); }, Patience) && w.LoginOK;
    }

    // One run, then the save; the run's messages are scripted by the caller.
    bool runAndSave(RecordingUpdateView& view)
    {
        WebEngineBrowser browser;
        UpdateSession session(&view, &browser);
        session.SetExportURLs(QStringLiteral("Last 45 days"));
        QSignalSpy ended(&session, &UpdateSession::runEnded);
        session.Start();
        if (!ended.wait(Patience) || !view.calls.contains(QStringLiteral("RunFinished"))) return false;
        return session.SaveUpdates(false);
    }

    QList<StandInSite::Listing> listed(const QString& kind, int days = 45) const
    {
        QList<StandInSite::Listing> out;
        const QDateTime from(QDate::currentDate().addDays(-days), QTime(0, 0));
        for (const auto& l : site.listings(QStringLiteral("kiwi_seller")))
            if (l.kind == kind && (kind == QLatin1String("current") || l.end >= from)) out << l;
        return out;
    }

private slots:
    void initTestCase()
    {
        // The real login window and update window; messages stay scripted.
        FormsRegistry::instance().registerForm("frmBrowser", [](QWidget* parent) { return new frmBrowser(parent); });
        SyncForms::Register();
        QString error;
        QVERIFY2(site.loadFixture(QStringLiteral(VENDARO_DEMO_FIXTURE), &error), qPrintable(error));
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
        c.DateSystemStart = vb::today() - 30;
        c.RelistUnsold = true;
    }
    void cleanup() { env.reset(); }

    void aRunSavesTheSiteAndASecondOneNothingNew()
    {
        QVERIFY(logIn());
        ScriptedMessages messages;
        RecordingUpdateView view;
        QVERIFY(runAndSave(view));
        // Every change the save logged is in the database: the main list confirms them all at once.
        QVERIFY(ctx().gDatabase->CheckLog());

        // Every current listing, each sale of the window and each unsold listing is a sale now.
        const auto current = listed("current");
        const auto sold = listed("sold");
        const auto unsold = listed("unsold");
        for (const auto& l : current) {
            QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {l.id}).toInt(), 1);
            QCOMPARE(scalar("SELECT Description FROM Auction WHERE AuctionId=?", {l.id}).toString(), l.title);
            QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE AuctionId=? AND Changed='[DELETE]' AND Description LIKE 'New Auction (Closes %'",
                            {l.id})
                         .toInt(),
                     1);
        }
        for (const auto& l : sold) {
            const QString id = scalar("SELECT AuctionId FROM Auction WHERE (AuctionId=?1 OR (AuctionId>?1 AND AuctionId<?1||'~' AND "
                                      "length(AuctionId)=length(?1)+1)) AND CustomerId=?2",
                                      {l.id, l.buyerName})
                                   .toString();
            QVERIFY2(!id.isEmpty(), qPrintable(l.id + " " + l.buyerName));
            QCOMPARE(scalar("SELECT Winningbid FROM Auction WHERE AuctionId=?", {id}).toDouble(), l.salePrice);
            const int step = scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt();
            if (l.end < QDateTime(QDate::currentDate().addDays(-30), QTime(0, 0))) {
                QCOMPARE(step, 15);  // before the system start: completed
                QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE AuctionId=? AND Changed='[NOTHING]'", {id}).toInt(), 1);
            } else {
                QVERIFY2(step > 1 && step < 15, qPrintable(id));
            }
            QVERIFY2(scalar("SELECT COUNT(*) FROM History WHERE AuctionId=? AND Description LIKE 'Auction ended % (sold by %'", {id}).toInt() == 1,
                     qPrintable(table("SELECT AuctionId, Description, Changed FROM History WHERE AuctionId='" + id + "'").join("\n")));
            if (!l.buyerEmail.isEmpty())
                QCOMPARE(scalar("SELECT Email FROM Customer WHERE CustomerId=?", {l.buyerName}).toString(), l.buyerEmail);
        }
        for (const auto& l : unsold) {
            const int step = scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {l.id}).toInt();
            // Relisted on the site, or ended before the system start: completed; otherwise due for relisting.
            const bool before = l.end < QDateTime(QDate::currentDate().addDays(-30), QTime(0, 0));
            QVERIFY2(step == (l.relistedAs.isEmpty() && !before ? 16 : 15), qPrintable(l.id));
        }
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), int(current.size() + sold.size() + unsold.size()));
        QVERIFY(ctx().gConfiguration.DateLastUpdate > vb::now() - 1.0 / 24);

        // Nothing changed on the site: the second run writes no new sale, buyer or History row.
        const QStringList auctions = table("SELECT * FROM Auction ORDER BY AuctionId");
        const QStringList buyers = table("SELECT * FROM Customer ORDER BY CustomerId");
        const int history = scalar("SELECT COUNT(*) FROM History").toInt();
        RecordingUpdateView again;
        QVERIFY(runAndSave(again));
        QCOMPARE(table("SELECT * FROM Auction ORDER BY AuctionId"), auctions);
        QCOMPARE(table("SELECT * FROM Customer ORDER BY CustomerId"), buyers);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), history);
    }

    // On the demo database its buyers have addresses on file; the site's
    // delivery addresses differ, and the seller takes them: the buyer keeps
    // the name (the address's first line), whose e-mails greet by it.
    void takenAddressKeepsTheBuyersName()
    {
        DemoDataOptions demo;
        demo.sales = DemoData::DemoSales;
        QString error;
        QVERIFY2(DemoData::Fill(*ctx().gConnection, demo, &error), qPrintable(error));
        QCOMPARE(scalar("SELECT Name FROM Customer WHERE CustomerId='mere2'").toString(), QStringLiteral("Mere O'Brien"));
        QVERIFY(logIn());
        ScriptedMessages& messages = env->messages();
        for (int i = 0; i < 2; ++i) messages.answer(vbmsg::Yes, "is different to the delivery address.");
        RecordingUpdateView view;
        QVERIFY(runAndSave(view));
        QVERIFY(messages.verifyDone());
        QStringList asked;
        for (const auto& p : messages.prompts()) asked << p.text.section(u' ', 7, 7);  // "The address on file for the buyer <id> is ..."
        asked.sort();
        QCOMPARE(asked, (QStringList{"mere2", "sean1"}));
        QCOMPARE(table("SELECT CustomerId, Name, Address FROM Customer WHERE CustomerId IN ('mere2', 'sean1', 'o''brien_fan') ORDER BY CustomerId"),
                 (QStringList{"mere2|Mere O'Brien|Mere O'Brien\r\nFlat 2\r\n45 Queen Street\r\nAuckland Central\r\nAuckland 1010",
                              "o'brien_fan|Siobhan O'Brien|Siobhan O'Brien\r\nRD 2\r\n88 Gorge Road\r\nTaumarunui 3992",
                              "sean1|Sean O'Brien|Sean O'Brien\r\n12 Kowhai Street\r\nRiverlea\r\nHamilton 3216"}));
    }

    // The seller's way: Task > Update in the main window logs in, shows the
    // three lists, Save writes them, and the main list shows the new sales.
    void taskUpdateFromTheMainWindow()
    {
        ScriptedMessages& messages = env->messages();
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages));
        QVERIFY(MainWindowDriver::listedIds(*main).isEmpty());
        // Nothing was on file: every listing is new, the older sales red.
        messages.answer(vbmsg::OK, "Tip:").answer(vbmsg::OK, "displayed in BOLD").answer(vbmsg::OK, "displayed in RED");
        QString shot;
        QStringList captions;
        bool saved = false;
        // The update window is looked at and saved once its run has ended.
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* w = qobject_cast<frmUpdate*>(modal); w && !saved && w->saveButton()->isEnabled()) {
                saved = true;
                for (int i = 0; i < 3; ++i) captions << w->tabs()->tabText(i);
                w->resize(1400, 700);
                w->tabs()->setCurrentIndex(1);
                shot = QDir(env->programFolder()).filePath("update-window.png");
                w->grab().save(shot);
                const QString keep = qEnvironmentVariable("VENDARO_SCREENSHOT_DIR");
                if (!keep.isEmpty()) {
                    QFile::remove(QDir(keep).filePath("update-window.png"));
                    QFile::copy(shot, QDir(keep).filePath("update-window.png"));
                }
                w->saveButton()->click();
            }
        });
        poll.start();
        QTimer::singleShot(Patience * 2, &poll, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        main->action("mnuTaskUpdate")->trigger();
        poll.stop();
        QVERIFY(saved);
        QVERIFY(messages.verifyDone());
        QCOMPARE(captions.size(), 3);
        QVERIFY2(captions[0].startsWith("Current (x") && captions[1].startsWith("Sold (x"), qPrintable(captions.join(',')));
        QVERIFY(QFileInfo(shot).size() > 0);
        const int sales = int(listed("current").size() + listed("sold").size() + listed("unsold").size());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), sales);
        // The main list shows them at once.
        QTRY_VERIFY(!MainWindowDriver::listedIds(*main).isEmpty());
        // The default list holds the sales with a task due: the new sales after the system start.
        QStringList due;
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId FROM Auction WHERE ActionId > 1 AND ActionId < 15 ORDER BY AuctionId", ctx().gConnection));
        for (; !rs.isEOF(); rs.MoveNext()) due << rs.text("AuctionId");
        QVERIFY(!due.isEmpty());
        for (const QString& id : due) QVERIFY2(MainWindowDriver::listedIds(*main).contains(id), qPrintable(id + " " + MainWindowDriver::listedIds(*main).join(',')));
        QVERIFY(ctx().gConfiguration.DateLastUpdate > vb::now() - 1.0 / 24);
        main->close();
    }
};

QTEST_MAIN(tst_syncrun)
#include "tst_syncrun.moc"
