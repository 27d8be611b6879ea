#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/frmBrowser.h"
#include "core/frmUndo.h"
#include "core/modDatabase.h"
#include "email/clsEmails.h"
#include "mainwindow/AuctionListModel.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <optional>

namespace {
using MainWindowDriver::StartHint;
const QString Site = QStringLiteral("https://www.trademe.co.nz");
const QString ViewAuction = Site + QStringLiteral("/Browse/Listing.aspx?id=");
const QString Refund = Site + QStringLiteral("/MyTradeMe/Refund.aspx?id=");
constexpr int QuestionStyle = vbmsg::YesNo + vbmsg::Question;

enum Mode { TaskList, ListAll };

// One browser window as the main window asked for it.
struct BrowserCall {
    QString address;  // StartingAddress
    bool autoLogin = false;
    bool exitAfterLogin = false;
    bool memberId = false;  // GetTradeMeMemberId
    bool modal = false;
};
}  // namespace

class tst_maintasks : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QPointer<frmMain> window;

    // The browser stand-in: every window it made, what each was asked, and
    // what a modal login reports.
    QList<QPointer<QWidget>> browserWindows;
    QList<BrowserCall> browsers;
    bool loginSucceeds = true;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void addBuyer(const QString& id, const QString& email)
    {
        exec("INSERT INTO Customer (CustomerId, Name, Email, EmailCC) VALUES (?, ?, ?, '')", {id, id, email});
    }
    // A sale of an item at a step; due is a date serial or Null, buyer "" for none.
    void addSale(const QString& id, int step, const QVariant& due, double start = 45000, const QString& buyer = QStringLiteral("ann"),
                 const QString& item = QStringLiteral("MISC"), const QString& title = QStringLiteral("Blue teapot"))
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, CustomerId, ActionId, DateNextAction, DateStart) "
             "VALUES (?, ?, ?, ?, ?, ?, ?)",
             {id, item, title, buyer.isEmpty() ? QVariant() : QVariant(buyer), step, due, start});
    }
    void addHistory(const QString& id, double when, const QString& description, const QString& changed)
    {
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)", {id, when, description, changed});
    }
    int stepOf(const QString& id) { return scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }
    QVariant dueOf(const QString& id) { return scalar("SELECT DateNextAction FROM Auction WHERE AuctionId=?", {id}); }
    QStringList historyOf(const QString& id)
    {
        QStringList texts;
        Recordset rs;
        rs.Open("SELECT Description FROM History WHERE AuctionId=? ORDER BY \"Date\", Autonumber", &conn(), Recordset::adOpenStatic,
                Recordset::adLockReadOnly, {id});
        for (; !rs.isEOF(); rs.MoveNext()) texts << rs.text("Description");
        return texts;
    }
    // Whole rows as text, every column with its name and stored type, so
    // that "" and Null, or 45000 and 45000.0000001, tell apart.
    QStringList rowsOf(const QString& sql)
    {
        QStringList out;
        Recordset rs;
        if (!rs.Open(sql, &conn(), Recordset::adOpenStatic, Recordset::adLockReadOnly)) {
            QTest::qFail(qPrintable(rs.lastError()), __FILE__, __LINE__);
            return out;
        }
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList fields;
            for (int i = 0; i < rs.FieldCount(); ++i) {
                const QVariant v = rs.value(i);
                QString text = QStringLiteral("Null");
                if (!v.isNull())
                    text = QString::fromLatin1(v.typeName()) + u':' +
                           (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17) : v.toString());
                fields << rs.FieldName(i) + u'=' + text;
            }
            out << fields.join(QStringLiteral(", "));
        }
        return out;
    }

    // The window as it is after its first activation, shown.
    frmMain& opened()
    {
        window = MainWindowDriver::open(env->messages());
        return *window;
    }
    QStringList listedIds() const { return MainWindowDriver::listedIds(*window); }
    QString selectedId() const { return MainWindowDriver::selectedId(*window); }
    QRect rowRect(const QString& id) const
    {
        return window->list->visualRect(window->model->index(window->model->rowOf(id), AuctionListModel::ColTitle));
    }
    // Selects a sale as the user does: a click on its row.
    void clickRow(const QString& id)
    {
        MainWindowDriver::clickRow(*window, id);
        QCOMPARE(window->txtAuctionId->text(), id);
    }
    // Finds a sale the way the seller finds one that is not listed (a
    // completed one): its number on the clipboard, then Search.
    void lookUp(const QString& id)
    {
        QGuiApplication::clipboard()->setText(id);
        window->action("Search")->trigger();
        QCOMPARE(selectedId(), id);
        QCOMPARE(window->txtAuctionId->text(), id);
    }
    void select(const QString& id)
    {
        if (window->model->rowOf(id) >= 0) clickRow(id);
        else lookUp(id);
    }
    // Lets the list take in the changes a task wrote (the main timer's work).
    void waitForTheList() { QTRY_VERIFY(ctx().gDatabase->PendingLog().isEmpty()); }

    // The entry of the toolbar's site-link menu for a Links row.
    QAction* siteEntry(int linkId) const
    {
        const QString name = QStringLiteral("TradeMe%1").arg(linkId);
        for (QAction* a : window->action("TradeMe")->menu()->actions())
            if (a->objectName() == name) return a;
        return nullptr;
    }
    // Lets browser windows opened without waiting report what they were asked.
    void settle() { QTest::qWait(20); }


private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        qunsetenv("VENDARO_SITE_URL");
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        addBuyer("ann", "ann@example.com");
        ctx().gConfiguration.DefaultList = false;
        ctx().gConfiguration.TradeMeEmail = QStringLiteral("seller@example.com");
        browsers.clear();
        browserWindows.clear();
        loginSucceeds = true;
        // No real browser in these tests: a plain window with the browser's caption.
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* d = new QDialog(parent);
            d->setWindowTitle("x" + ProgramContext::current().gBrowserCaptionSuffix);
            browserWindows << d;
            QTimer::singleShot(0, d, [this, d] {
                browsers.append({d->property("StartingAddress").toString(), d->property("AutoLogin").toBool(),
                                 d->property("ExitAfterLogin").toBool(), d->property("GetTradeMeMemberId").toBool(), d->isModal()});
                if (d->isModal()) {
                    d->setProperty("LoginOK", loginSucceeds);
                    d->accept();
                }
            });
            return d;
        });
    }
    void cleanup()
    {
        for (const QPointer<QWidget>& b : browserWindows) delete b.data();
        browserWindows.clear();
        if (window) window->mnuPopup->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
        env.reset();
    }

    // ---- skip and done --------------------------------------------------------

    void skipTask_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("answer");  // 0: no question, only the refusal
        QTest::addColumn<int>("newStep");
        QTest::addColumn<int>("dueDays");  // from today; -1: the due date is kept
        QTest::addColumn<QStringList>("history");
        QTest::newRow("auction ends: refused") << 1 << 0 << 1 << -1 << QStringList{};
        QTest::newRow("completed: refused") << 15 << 0 << 15 << -1 << QStringList{};
        QTest::newRow("email winner: yes") << 2 << int(vbmsg::Yes) << 4 << 3 << QStringList{"SKIPPED TASK: Email winning bidder"};
        QTest::newRow("email winner: no") << 2 << int(vbmsg::No) << 2 << -1 << QStringList{};
        QTest::newRow("send item: yes, nothing shipped") << 11 << int(vbmsg::Yes) << 12 << 0 << QStringList{"SKIPPED TASK: Send item"};
        QTest::newRow("thank-you email: yes, the sale completes")
            << 14 << int(vbmsg::Yes) << 15 << 0 << QStringList{"SKIPPED TASK: Send thank you email", "Completed"};
    }
    void skipTask()
    {
        QFETCH(int, step);
        QFETCH(int, answer);
        QFETCH(int, newStep);
        QFETCH(int, dueDays);
        QFETCH(QStringList, history);
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock) VALUES ('TEAPOT', 'Blue teapot', 1, 5)");
        const double due = vb::today() - 1 + 0.625;
        addSale("100", step, due, 45000, "ann", "TEAPOT");
        exec("UPDATE Auction SET DeliveryAddress='1 Main Rd' WHERE AuctionId='100'");
        frmMain& w = opened();
        select("100");
        const QString description = ctx().gActions->Description(step);
        if (answer == 0) env->messages().answer(vbmsg::OK, "Can't skip this task.");
        else env->messages().answer(answer, "Skip task '");

        w.action("mnuTaskSkip")->trigger();
        const ScriptedMessages::Prompt& asked = env->messages().prompts().last();
        if (answer == 0) {
            QCOMPARE(asked.text, QStringLiteral("Can't skip this task."));
            QCOMPARE(asked.style, int(vbmsg::Information));
        } else {
            QCOMPARE(asked.text, QStringLiteral("Skip task '%1' for item number 100").arg(description));
            QCOMPARE(asked.style, QuestionStyle);
        }
        QCOMPARE(env->messages().prompts().size(), 2);  // the start hint, then only this
        QCOMPARE(stepOf("100"), newStep);
        QCOMPARE(dueOf("100").toDouble(), dueDays < 0 ? due : vb::today() + dueDays);
        QCOMPARE(historyOf("100"), history);
        // A skipped dispatch ships nothing.
        QVERIFY(scalar("SELECT DateSent FROM Auction WHERE AuctionId='100'").isNull());
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), 5);
    }

    void doneRefused_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("item");
        QTest::newRow("the auction has not ended") << 1 << "If this auction has ended click 'Do Task' on the toolbar." << int(vbmsg::Information)
                                                   << "MISC";
        QTest::newRow("already complete") << 15 << "This item is complete." << int(vbmsg::Exclamation) << "MISC";
        QTest::newRow("its item is not in the item list")
            << 4 << "Auction 100 cannot be moved on: its item code \"GONE\" is not in the item list." << int(vbmsg::Exclamation) << "GONE";
    }
    void doneRefused()
    {
        QFETCH(int, step);
        QFETCH(QString, text);
        QFETCH(int, style);
        QFETCH(QString, item);
        const double due = vb::today() - 2 + 0.4;
        addSale("100", step, due, 45000, "ann", item);
        addHistory("100", vb::today() - 3, "Auction listed", "[NOTHING]");
        frmMain& w = opened();
        select("100");
        env->messages().answer(vbmsg::OK, text);
        w.action("mnuTaskDone")->trigger();
        QCOMPARE(env->messages().prompts().last().text, text);
        QCOMPARE(env->messages().prompts().last().style, style);
        QCOMPARE(stepOf("100"), step);
        QCOMPARE(dueOf("100").toDouble(), due);
        QCOMPARE(historyOf("100"), QStringList{"Auction listed"});
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
        QCOMPARE(selectedId(), QStringLiteral("100"));
    }

    void doneWalksDownTheList_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("done");
        QTest::addColumn<QString>("shown");        // selected and in the pane at once
        QTest::addColumn<QStringList>("listed");   // once the list has followed
        QTest::addColumn<QString>("shownLater");
        QTest::newRow("list all: a middle row") << int(ListAll) << "200" << "300" << QStringList{"100", "200", "300"} << "300";
        QTest::newRow("list all: the first row") << int(ListAll) << "100" << "200" << QStringList{"100", "200", "300"} << "200";
        QTest::newRow("list all: the last row stays selected") << int(ListAll) << "300" << "300" << QStringList{"100", "200", "300"} << "300";
        QTest::newRow("task list: a middle row, which then goes") << int(TaskList) << "200" << "300" << QStringList{"100", "300"} << "300";
        QTest::newRow("task list: the last row, which then goes") << int(TaskList) << "300" << "300" << QStringList{"100", "200"} << "200";
    }
    void doneWalksDownTheList()
    {
        QFETCH(int, mode);
        QFETCH(QString, done);
        QFETCH(QString, shown);
        QFETCH(QStringList, listed);
        QFETCH(QString, shownLater);
        ctx().gConfiguration.DefaultList = mode == TaskList;
        const double today = vb::today();
        // Listed in this order: one task, newest start first.
        addSale("100", 4, today - 1, 45003, "ann", "MISC", "Apple crate");
        addSale("200", 4, today - 1, 45002, "ann", "MISC", "Banana box");
        addSale("300", 4, today - 1, 45001, "ann", "MISC", "Cherry jar");
        addHistory("300", today - 2, "Sent winning bidder email", "ActionId=2");
        frmMain& w = opened();
        QCOMPARE(listedIds(), (QStringList{"100", "200", "300"}));
        clickRow(done);

        w.action("mnuTaskDone")->trigger();
        QCOMPARE(stepOf(done), 5);
        QCOMPARE(dueOf(done).toDouble(), today + 4);
        QCOMPARE(historyOf(done).last(), QStringLiteral("Sent payment reminder email (1)"));
        // The pane shows the selected sale at once, before the list has followed.
        QCOMPARE(selectedId(), shown);
        QCOMPARE(w.txtAuctionId->text(), shown);
        QCOMPARE(w.txtDescription->text(), w.model->row(w.model->rowOf(shown)).Description);
        if (shown != done) QCOMPARE(w.listHistory->topLevelItemCount(), historyOf(shown).size());

        waitForTheList();
        QCOMPARE(listedIds(), listed);
        QCOMPARE(selectedId(), shownLater);
        QCOMPARE(w.txtAuctionId->text(), shownLater);
        QCOMPARE(w.listHistory->topLevelItemCount(), historyOf(shownLater).size());
        if (listed.contains(done))
            QCOMPARE(w.model->row(w.model->rowOf(done)).NextAction, QStringLiteral("Payment reminder email (2)"));
    }

    // ---- the send view ----------------------------------------------------------

    void sendWithNothingToSend_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("modeLabel");
        QTest::newRow("from the task list") << int(TaskList) << QStringList{"late"} << "  Task List";
        QTest::newRow("from list all") << int(ListAll) << QStringList{"late", "ship later"} << "  List All";
    }
    void sendWithNothingToSend()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, listed);
        QFETCH(QString, modeLabel);
        ctx().gConfiguration.DefaultList = mode == TaskList;
        addSale("late", 4, vb::today() - 1, 45002);
        addSale("ship later", 11, vb::today() + 2, 45001);  // not due yet
        frmMain& w = opened();
        QCOMPARE(listedIds(), listed);

        env->messages().answer(vbmsg::OK, "Nothing to send on the current task list.");
        w.action("mnuTaskSend")->trigger();
        QCOMPARE(env->messages().prompts().last().text, QStringLiteral("Nothing to send on the current task list."));
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(!w.mTaskShip);
        QCOMPARE(w.mTaskList, mode == TaskList);
        QCOMPARE(listedIds(), listed);
        QCOMPARE(w.lblMode->text(), modeLabel);
        QCOMPARE(MainWindowDriver::itemsListed(w), QStringLiteral("%1 Items listed").arg(listed.size()));
    }

    void sendViewComesAndGoes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("modeLabel");
        QTest::newRow("task list") << int(TaskList) << QStringList{"a", "s1", "s2"} << "  Task List";
        QTest::newRow("list all") << int(ListAll) << QStringList{"a", "s1", "s2", "s later"} << "  List All";
    }
    void sendViewComesAndGoes()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, listed);
        QFETCH(QString, modeLabel);
        ctx().gConfiguration.DefaultList = mode == TaskList;
        const double today = vb::today();
        addSale("a", 4, today - 2, 45005);
        addSale("s1", 11, today - 1, 45004);
        addSale("s2", 11, today, 45003);
        addSale("s later", 11, today + 3, 45002);
        exec("UPDATE Auction SET DeliveryAddress='12 Kauri St' WHERE AuctionId='s2'");
        frmMain& w = opened();
        QCOMPARE(listedIds(), listed);
        clickRow("a");  // not to be sent: the send view starts at its first row

        w.action("mnuTaskSend")->trigger();
        QVERIFY(w.mTaskShip);
        QCOMPARE(listedIds(), (QStringList{"s1", "s2"}));
        QCOMPARE(w.lblMode->text(), QStringLiteral("  Task List - Send Items"));
        QCOMPARE(MainWindowDriver::itemsListed(w), QStringLiteral("2 Items listed"));
        QCOMPARE(selectedId(), QStringLiteral("s1"));
        // Sending shows where the item goes.
        clickRow("s2");
        QVERIFY(w.frameDelivery->isVisible());
        QVERIFY(!w.frameAuction->isVisible());
        QCOMPARE(w.txtAddress->toPlainText(), QStringLiteral("12 Kauri St"));

        // A second press brings the list back, still on the sale being sent.
        w.action("mnuTaskSend")->trigger();
        QVERIFY(!w.mTaskShip);
        QCOMPARE(listedIds(), listed);
        QCOMPARE(w.lblMode->text(), modeLabel);
        QCOMPARE(selectedId(), QStringLiteral("s2"));
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("s2"));
        QVERIFY(w.frameAuction->isVisible());

        // ... and a third press keeps it selected in the send view.
        w.action("mnuTaskSend")->trigger();
        QVERIFY(w.mTaskShip);
        QCOMPARE(selectedId(), QStringLiteral("s2"));
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("s2"));
    }

    // ---- e-mail -------------------------------------------------------------------

    void emailToTheBuyer_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("kind");
        QTest::newRow("general") << "mnuTaskEmailBuyer" << 17;
        QTest::newRow("general, toolbar") << "EmailGeneral" << 17;
        QTest::newRow("winner") << "mnuTaskEmailWinner" << 2;
        QTest::newRow("reminder 1") << "mnuTaskEmailOver1" << 4;
        QTest::newRow("reminder 2") << "mnuTaskEmailOver2" << 5;
        QTest::newRow("reminder 3") << "mnuTaskEmailOver3" << 6;
        QTest::newRow("payment received") << "mnuTaskEmailPayment" << 10;
        QTest::newRow("shipped") << "mnuTaskEmailShipped" << 12;
        QTest::newRow("thank you") << "mnuTaskEmailFollowup" << 14;
    }
    void emailToTheBuyer()
    {
        QFETCH(QString, entry);
        QFETCH(int, kind);
        const double due = vb::today() - 1 + 0.3;
        addSale("100", 4, due, 45002);
        addSale("200", 6, due, 45001);
        frmMain& w = opened();
        clickRow("200");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmEmailSingle"));
        w.action(entry)->trigger();
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, QStringLiteral("frmEmailSingle"));
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars.value("mRemoteAuctionId").toString(), QStringLiteral("200"));
        QCOMPARE(calls[0].vars.value("mRemoteActionId").toInt(), kind);
        QCOMPARE(calls[0].vars.value("mRemoteItemId").toString(), QStringLiteral("MISC"));
        QCOMPARE(calls[0].vars.value("mRemoteEmailId").toString(), QString());
        // An e-mail chosen by hand is not the sale's task: the step stays.
        QCOMPARE(calls[0].vars.value("mRemoteUpdateNextAction").toBool(), false);
        QCOMPARE(stepOf("200"), 6);
        QCOMPARE(dueOf("200").toDouble(), due);
        QVERIFY(historyOf("200").isEmpty());
    }

    void emailNeedsTheSellersAddress_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("one buyer") << "mnuTaskEmailBuyer";
        QTest::newRow("one buyer, the task's e-mail") << "mnuTaskEmailOver1";
        QTest::newRow("all buyers") << "mnuTaskEmailAll";
    }
    void emailNeedsTheSellersAddress()
    {
        QFETCH(QString, entry);
        ctx().gConfiguration.TradeMeEmail.clear();
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        const QString text = QStringLiteral("You cannot send email until you set your email address under tools/options.");
        env->messages().answer(vbmsg::OK, text);
        w.action(entry)->trigger();
        QCOMPARE(env->messages().prompts().last().text, text);
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
        QCOMPARE(stepOf("100"), 4);
    }

    void emailToAllBuyers()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmEmailMultiple"));
        w.action("mnuTaskEmailAll")->trigger();
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, QStringLiteral("frmEmailMultiple"));
        QVERIFY(calls[0].modal);
        QCOMPARE(stepOf("100"), 4);
    }

    // ---- the list popup -------------------------------------------------------------

    void popupEntries_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("buyer");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("buyerDetails");
        QTest::addColumn<bool>("paid");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<bool>("addItem");
        QTest::newRow("auction ends, buyer, MISC") << 1 << "ann" << "MISC" << true << false << true << true;
        QTest::newRow("auction ends, no buyer, ITEM1") << 1 << "" << "ITEM1" << false << false << true << false;
        QTest::newRow("email winner, buyer, ITEM1") << 2 << "ann" << "ITEM1" << true << true << true << false;
        QTest::newRow("email winner, no buyer, misc") << 2 << "" << "misc" << false << true << true << false;
        QTest::newRow("negative feedback, no buyer, MISC") << 9 << "" << "MISC" << false << true << true << true;
        QTest::newRow("payment received email, buyer, MISC") << 10 << "ann" << "MISC" << true << false << true << true;
        QTest::newRow("payment received email, no buyer, misc") << 10 << "" << "misc" << false << false << true << false;
        QTest::newRow("completed, buyer, MISC") << 15 << "ann" << "MISC" << true << false << false << true;
        QTest::newRow("completed, no buyer, ITEM1") << 15 << "" << "ITEM1" << false << false << false << false;
    }
    void popupEntries()
    {
        QFETCH(int, step);
        QFETCH(QString, buyer);
        QFETCH(QString, item);
        QFETCH(bool, buyerDetails);
        QFETCH(bool, paid);
        QFETCH(bool, completed);
        QFETCH(bool, addItem);
        addSale("100", step, vb::today(), 45000, buyer, item);
        frmMain& w = opened();
        select("100");
        QVERIFY(!w.mnuPopup->isVisible());
        QTest::mouseClick(w.list->viewport(), Qt::RightButton, {}, rowRect("100").center());
        QVERIFY(w.mnuPopup->isVisible());
        QCOMPARE(w.action("mnuPopupBuyer")->isEnabled(), buyerDetails);
        QCOMPARE(w.action("mnuPopupPaid")->isEnabled(), paid);
        QCOMPARE(w.action("mnuPopupCompleted")->isEnabled(), completed);
        QCOMPARE(w.action("mnuPopupItemAdd")->isEnabled(), addItem);
        w.mnuPopup->close();
    }

    void popupOnlyOverTheSelectedRow_data()
    {
        QTest::addColumn<QString>("where");  // "selected", "other", "below"
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right button on the selected row") << "selected" << int(Qt::RightButton) << true;
        QTest::newRow("right button below the rows") << "below" << int(Qt::RightButton) << false;
        QTest::newRow("right button on another row") << "other" << int(Qt::RightButton) << false;
        QTest::newRow("left button on the selected row") << "selected" << int(Qt::LeftButton) << false;
    }
    void popupOnlyOverTheSelectedRow()
    {
        QFETCH(QString, where);
        QFETCH(int, button);
        QFETCH(bool, opens);
        addSale("100", 4, vb::today(), 45002);
        addSale("200", 4, vb::today(), 45001);
        frmMain& w = opened();
        QCOMPARE(listedIds(), (QStringList{"100", "200"}));
        clickRow("200");
        QPoint at = rowRect(where == "other" ? QStringLiteral("100") : QStringLiteral("200")).center();
        if (where == "below") at.ry() = rowRect("200").bottom() + 3 * rowRect("200").height();
        QVERIFY(at.y() < w.list->viewport()->height());

        QTest::mousePress(w.list->viewport(), Qt::MouseButton(button), {}, at);
        QCOMPARE(selectedId(), QStringLiteral("200"));  // a press never moves the selection here
        QVERIFY(!w.mnuPopup->isVisible());
        QTest::mouseRelease(w.list->viewport(), Qt::MouseButton(button), {}, at);
        QCOMPARE(w.mnuPopup->isVisible(), opens);
        QCOMPARE(selectedId(), QStringLiteral("200"));
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("200"));
        w.mnuPopup->close();
    }

    // The popup opens from the keyboard too, just below the selected row;
    // with no row selected it stays shut.
    void popupFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("opens");
        for (const char* how : {"Menu key", "Shift+F10", "context-menu event"}) {
            QTest::addRow("%s", how) << how << true << true;
            QTest::addRow("%s, nothing selected", how) << how << false << false;
        }
    }
    void popupFromTheKeyboard()
    {
        QFETCH(QString, how);
        QFETCH(bool, selected);
        QFETCH(bool, opens);
        addSale("100", 4, vb::today(), 45002);
        addSale("200", 4, vb::today(), 45001);
        frmMain& w = opened();
        clickRow("200");
        if (!selected) QTest::mouseClick(w.list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowRect("200").center());
        QCOMPARE(selectedId(), selected ? QStringLiteral("200") : QString());
        if (how == "Menu key") {
            QTest::keyClick(w.list, Qt::Key_Menu);
        } else if (how == "Shift+F10") {
            QTest::keyClick(w.list, Qt::Key_F10, Qt::ShiftModifier);
        } else {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0));
            QCoreApplication::sendEvent(w.list, &event);
        }
        QCOMPARE(w.mnuPopup->isVisible(), opens);
        if (opens) {
            const QPoint below = w.list->viewport()->mapToGlobal(QPoint(0, rowRect("200").bottom()));
            QVERIFY(qAbs(w.mnuPopup->y() - below.y()) <= 1);
            QVERIFY(w.mnuPopup->x() >= below.x() && w.mnuPopup->x() < below.x() + w.list->viewport()->width());
            QCOMPARE(w.action("mnuPopupPaid")->isEnabled(), true);  // enabled for the sale at step 4
        }
        w.mnuPopup->close();
    }

    void popupCompleted_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("answer");  // 0: not asked
        QTest::addColumn<bool>("completes");
        QTest::newRow("yes") << 4 << int(vbmsg::Yes) << true;
        QTest::newRow("no") << 4 << int(vbmsg::No) << false;
        QTest::newRow("already completed: not asked") << 15 << 0 << false;
    }
    void popupCompleted()
    {
        QFETCH(int, step);
        QFETCH(int, answer);
        QFETCH(bool, completes);
        const double due = vb::today() - 3 + 0.25;
        addSale("100", step, due);
        frmMain& w = opened();
        select("100");
        const QString question = QStringLiteral("Are you sure you want to flag this item as completed?");
        if (answer) env->messages().answer(answer, question);
        w.mnuPopupCompleted_Click();
        if (answer) {
            QCOMPARE(env->messages().prompts().last().text, question);
            QCOMPARE(env->messages().prompts().last().style, QuestionStyle);
        }
        QCOMPARE(env->messages().prompts().size(), answer ? 2 : 1);
        QCOMPARE(stepOf("100"), completes ? 15 : step);
        QCOMPARE(dueOf("100").toDouble(), completes ? vb::today() : due);
        QCOMPARE(historyOf("100"), completes ? QStringList{"Completed"} : QStringList{});
        if (completes) {
            // The row holds how to undo it.
            QCOMPARE(scalar("SELECT Changed FROM History WHERE AuctionId='100'").toString(),
                     QStringLiteral("ActionId=4,DateNextAction=") + clsActions::RecipeDate(due));
            waitForTheList();
            QCOMPARE(w.model->rowOf("100"), -1);  // a completed sale leaves the list
        }
    }

    void popupItemAndRelist_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QVariantMap>("vars");
        QTest::newRow("view item")
            << "mnuPopupItemView" << "frmItem"
            << QVariantMap{{"mRemoteId", "MISC"}, {"mRemoteDesc", "Red teapot"}, {"mRemoteAddNew", false}};
        QTest::newRow("title as a new item")
            << "mnuPopupItemAdd" << "frmItem" << QVariantMap{{"mRemoteId", "MISC"}, {"mRemoteDesc", "Red teapot"}, {"mRemoteAddNew", true}};
        QTest::newRow("relist the selected sale") << "mnuTaskRelistSelected" << "frmRelist" << QVariantMap{{"mRemoteAuctionId", "200A"}};
    }
    void popupItemAndRelist()
    {
        QFETCH(QString, entry);
        QFETCH(QString, form);
        QFETCH(QVariantMap, vars);
        addSale("100", 4, vb::today(), 45002);
        addSale("200A", 16, vb::today(), 45001, "ann", "MISC", "Red teapot");
        frmMain& w = opened();
        clickRow("200A");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText(form));
        w.action(entry)->trigger();
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, form);
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars, vars);
    }

    // ---- site pages -------------------------------------------------------------------

    void homePageOpensWithoutLogin_data()
    {
        QTest::addColumn<int>("missingLink");  // a Links row deleted first; 0 for none
        QTest::newRow("every link there") << 0;
        QTest::newRow("no open-page link") << 5;
        QTest::newRow("no login link") << 3;
        QTest::newRow("no view-auction link") << 2;
    }
    void homePageOpensWithoutLogin()
    {
        QFETCH(int, missingLink);
        if (missingLink) exec("DELETE FROM Links WHERE LinkId=?", {missingLink});
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        QAction* home = siteEntry(1);
        QVERIFY(home);
        home->trigger();
        settle();
        // One window at the home page, no login and no message.
        QCOMPARE(browsers.size(), 1);
        QCOMPARE(browsers[0].address, Site + "/");
        QVERIFY(!browsers[0].autoLogin);
        QVERIFY(!browsers[0].modal);
        QVERIFY(browserWindows[0] && browserWindows[0]->isVisible());
        QCOMPARE(env->messages().prompts().size(), 1);
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
        QVERIFY(w.isVisible());
    }

    void loginPageLogsInWithoutWaiting()
    {
        addSale("100", 4, vb::today());
        opened();
        QAction* login = siteEntry(3);
        QVERIFY(login);
        login->trigger();
        settle();
        QCOMPARE(browsers.size(), 1);
        QVERIFY(browsers[0].autoLogin);
        QVERIFY(!browsers[0].exitAfterLogin);
        QVERIFY(!browsers[0].memberId);
        QVERIFY(!browsers[0].modal);
        QVERIFY(browserWindows[0] && browserWindows[0]->isVisible());  // it stays open
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    void memberPageNeedsTheLogin_data()
    {
        QTest::addColumn<bool>("loginOK");
        QTest::newRow("logged in") << true;
        QTest::newRow("login failed") << false;
    }
    void memberPageNeedsTheLogin()
    {
        QFETCH(bool, loginOK);
        loginSucceeds = loginOK;
        addSale("100", 4, vb::today(), 45002);
        addSale("777B", 8, vb::today(), 45001);
        opened();
        clickRow("777B");
        QAction* refund = siteEntry(6);
        QVERIFY(refund);
        refund->trigger();
        settle();
        QVERIFY(!browsers.isEmpty());
        // First the login, waited for, closing once logged in.
        QVERIFY(browsers[0].autoLogin);
        QVERIFY(browsers[0].exitAfterLogin);
        QVERIFY(browsers[0].modal);
        QCOMPARE(browsers.size(), loginOK ? 2 : 1);
        if (loginOK) {
            QCOMPARE(browsers[1].address, Refund + "777");
            QVERIFY(!browsers[1].autoLogin);
            QVERIFY(!browsers[1].modal);
        }
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    void auctionNumberInTheAddress_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("number");
        QTest::newRow("plain") << "555" << "555";
        QTest::newRow("second sale A") << "555A" << "555";
        QTest::newRow("second sale B") << "555B" << "555";
        QTest::newRow("lower-case a stays") << "555a" << "555a";
        QTest::newRow("third letter C") << "555C" << "555";
    }
    void auctionNumberInTheAddress()
    {
        QFETCH(QString, id);
        QFETCH(QString, number);
        addSale("100", 4, vb::today(), 45002);
        addSale(id, 4, vb::today(), 45001);
        opened();
        clickRow(id);
        siteEntry(2)->trigger();
        settle();
        QCOMPARE(browsers.size(), 1);
        QCOMPARE(browsers[0].address, ViewAuction + number);
        QVERIFY(!browsers[0].autoLogin);
    }

    void auctionTypeInTheAddress_data()
    {
        QTest::addColumn<QVariant>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("offer") << QVariant("O") << "offer";
        QTest::newRow("auction") << QVariant("A") << "auction";
        QTest::newRow("none") << QVariant() << "auction";
    }
    void auctionTypeInTheAddress()
    {
        QFETCH(QVariant, type);
        QFETCH(QString, text);
        exec("UPDATE Links SET URL=? WHERE LinkId=2", {Site + "/Browse/Listing.aspx?type=[AUCTIONTYPE]&id=[AUCTIONNUMBER]"});
        addSale("100", 4, vb::today(), 45002);
        addSale("200", 4, vb::today(), 45001);
        exec("UPDATE Auction SET AuctionType=? WHERE AuctionId='200'", {type});
        opened();
        clickRow("200");
        siteEntry(2)->trigger();
        settle();
        QCOMPARE(browsers.size(), 1);
        QCOMPARE(browsers[0].address, Site + "/Browse/Listing.aspx?type=" + text + "&id=200");
    }

    void saleLinkWithAnEmptyList()
    {
        ctx().gConfiguration.DefaultList = true;
        addSale("100", 4, vb::today() + 2);  // not due: the task list is empty
        frmMain& w = opened();
        QCOMPARE(w.model->rowCount(), 0);
        env->messages().answer(vbmsg::OK, "Select an auction item first.");
        siteEntry(2)->trigger();
        settle();
        QCOMPARE(env->messages().prompts().last().text, QStringLiteral("Select an auction item first."));
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(browsers.isEmpty());
        QVERIFY(browserWindows.isEmpty());
    }

    void feedbackLink_data()
    {
        QTest::addColumn<QString>("buyer");
        QTest::newRow("with a buyer") << "ann";
        QTest::newRow("without a buyer") << "";
    }
    void feedbackLink()
    {
        QFETCH(QString, buyer);
        addSale("100", 4, vb::today(), 45002);
        addSale("200", 13, vb::today(), 45001, buyer);
        opened();
        clickRow("200");
        if (buyer.isEmpty()) env->messages().answer(vbmsg::OK, "Cannot leave feedback - there are no buyer details");
        else env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmFeedbackSingle"));
        QAction* feedback = siteEntry(14);
        QVERIFY(feedback);
        feedback->trigger();
        settle();
        QVERIFY(browsers.isEmpty());
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        if (buyer.isEmpty()) {
            QCOMPARE(env->messages().prompts().last().text, QStringLiteral("Cannot leave feedback - there are no buyer details"));
            QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
            QVERIFY(calls.isEmpty());
            return;
        }
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, QStringLiteral("frmFeedbackSingle"));
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars, (QVariantMap{{"mRemoteId", "200"}}));
    }

    void relistLink()
    {
        addSale("100", 4, vb::today(), 45002);
        addSale("200", 16, vb::today(), 45001);
        opened();
        clickRow("200");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmRelist"));
        QAction* relist = siteEntry(7);
        QVERIFY(relist);
        relist->trigger();
        settle();
        QVERIFY(browsers.isEmpty());
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, QStringLiteral("frmRelist"));
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars, (QVariantMap{{"mRemoteAuctionId", "200"}}));
    }

    // ---- browser windows -------------------------------------------------------------

    void openAllAuctions_data()
    {
        QTest::addColumn<int>("sales");
        QTest::addColumn<int>("windows");
        QTest::addColumn<bool>("limitMessage");
        QTest::newRow("three") << 3 << 3 << false;
        QTest::newRow("exactly ten") << 10 << 10 << true;
        QTest::newRow("eleven") << 11 << 10 << true;
    }
    void openAllAuctions()
    {
        QFETCH(int, sales);
        QFETCH(int, windows);
        QFETCH(bool, limitMessage);
        for (int i = 1; i <= sales; ++i) addSale(QStringLiteral("%1").arg(8000 + i), 4, vb::today(), 45100 - i);
        frmMain& w = opened();
        const QStringList ids = listedIds();
        QCOMPARE(ids.size(), sales);
        clickRow(ids.last());
        if (limitMessage) env->messages().answer(vbmsg::OK, "Maximum open browser windows reached (10)");
        w.action("mnuWebOpen")->trigger();
        settle();
        QStringList addresses;
        for (const BrowserCall& b : browsers) {
            QVERIFY(!b.autoLogin);
            addresses << b.address;
        }
        QStringList expected;
        for (int i = 0; i < windows; ++i) expected << ViewAuction + ids[i];
        QCOMPARE(addresses, expected);
        QCOMPARE(browserWindows.size(), windows);
        for (const QPointer<QWidget>& b : browserWindows) QVERIFY(b && b->isVisible());
        QCOMPARE(env->messages().prompts().size(), limitMessage ? 2 : 1);
        if (limitMessage) QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        // The list starts over afterwards.
        QCOMPARE(listedIds(), ids);
        QCOMPARE(selectedId(), ids.first());
    }

    // Open all gives ten browser windows the seller can tell apart: each a
    // step down and right of the one before, starting over at the screen's
    // edge, every one whole on the screen.
    void openAllCascadesTheWindowsWithinTheScreen()
    {
        for (int i = 1; i <= 10; ++i) addSale(QStringLiteral("%1").arg(8000 + i), 4, vb::today(), 45100 - i);
        // The window's place as the seller left it: low on the screen, so the
        // windows must start over; narrower than a browser window may be.
        AppSettings::SaveSettings("Settings\\frmBrowser", {{"WindowState", "0"}, {"Left", "1500"}, {"Top", "5400"},
                                                           {"Width", "8000"}, {"Height", "6000"}});
        WebBrowser::setFactory([](QObject* parent) { return new FakeBrowser(parent); });
        const auto noFactory = qScopeGuard([] { WebBrowser::setFactory({}); });
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* b = new frmBrowser(parent);
            browserWindows << b;
            return b;
        });
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, "Maximum open browser windows reached (10)");
        w.action("mnuWebOpen")->trigger();
        QCOMPARE(browserWindows.size(), 10);
        // Each has taken its place once it has loaded its page.
        for (const QPointer<QWidget>& b : std::as_const(browserWindows)) QTRY_VERIFY(b && b->windowTitle().endsWith(ctx().gBrowserCaptionSuffix));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QList<QPoint> places;
        for (const QPointer<QWidget>& b : std::as_const(browserWindows)) {
            const QRect frame = b->frameGeometry();
            QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("window %1 at %2,%3 %4x%5 leaves the screen")
                                                          .arg(places.size() + 1).arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
            QVERIFY2(!places.contains(frame.topLeft()), qPrintable(QStringLiteral("window %1 on another").arg(places.size() + 1)));
            places << frame.topLeft();
        }
        // The first where the seller left the window, the next one down and right of it.
        QCOMPARE(places[0], QPoint(100, 360));
        QVERIFY(places[1].x() > places[0].x() && places[1].y() > places[0].y());
        // Some started over at the top, some at the left edge.
        QVERIFY(std::any_of(places.begin(), places.end(), [&](const QPoint& p) { return p.y() == area.top(); }));
        QVERIFY(std::any_of(places.begin(), places.end(), [&](const QPoint& p) { return p.x() == area.left(); }));
        QVERIFY(env->messages().verifyDone());
    }

    // The product's and the site's entries, in the Web menu and the Web
    // button's drop-down, name the host they open.
    void webEntriesNameWhatTheyOpen_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("siteUrl");  // VENDARO_SITE_URL, "" for the built-in site
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("address");
        for (const char* entry : {"mnuWebTrademe", "WebTrademe"}) {
            QTest::addRow("%s, built-in site", entry) << entry << "" << "www.trademe.co.nz" << Site + "/";
            QTest::addRow("%s, stand-in site", entry) << entry << "http://127.0.0.1:8765" << "127.0.0.1:8765" << "http://127.0.0.1:8765/";
        }
        for (const char* entry : {"mnuWebVendaro", "WebVendaro"})
            QTest::addRow("%s, the tests' maker site", entry) << entry << "" << "127.0.0.1:9" << "http://127.0.0.1:9";
    }
    void webEntriesNameWhatTheyOpen()
    {
        QFETCH(QString, entry);
        QFETCH(QString, siteUrl);
        QFETCH(QString, caption);
        QFETCH(QString, address);
        if (!siteUrl.isEmpty()) qputenv("VENDARO_SITE_URL", siteUrl.toUtf8());
        const auto restore = qScopeGuard([] { qunsetenv("VENDARO_SITE_URL"); });
        frmMain& w = opened();
        QCOMPARE(MainWindowDriver::shownText(w.action(entry)->text()), caption);
        w.action(entry)->trigger();
        settle();
        QCOMPARE(browsers.size(), 1);
        QCOMPARE(browsers[0].address, address);
    }

    void closeAllBrowsers()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        const QString suffix = ctx().gBrowserCaptionSuffix;
        w.action("mnuWebBrowser")->trigger();
        w.action("mnuWebTrademe")->trigger();
        settle();
        QCOMPARE(browserWindows.size(), 2);
        QCOMPARE(browsers[1].address, Site + "/");

        // Other windows: none of them a visible browser.
        QWidget notes;
        notes.setWindowTitle("Browser notes");
        QWidget inside;
        inside.setWindowTitle("Old" + suffix + " (2)");
        QPointer<QWidget> hidden = new QWidget;
        hidden->setAttribute(Qt::WA_DeleteOnClose);
        hidden->setWindowTitle("Hidden" + suffix);
        for (QWidget* other : {&notes, &inside}) {
            other->show();
            QVERIFY(QTest::qWaitForWindowExposed(other));
        }
        for (const QPointer<QWidget>& b : browserWindows) QVERIFY(b && b->isVisible());

        w.action("mnuWebClose")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget>& b : browserWindows) QVERIFY(!b || !b->isVisible());
        QVERIFY(notes.isVisible());
        QVERIFY(inside.isVisible());
        QVERIFY2(hidden, "a hidden window was closed");
        QVERIFY(w.isVisible());
        delete hidden.data();
    }

    // ---- a sale worked through and undone ------------------------------------------

    void workedThroughAndUndone_data()
    {
        QTest::addColumn<bool>("paidChain");
        QTest::addColumn<QList<int>>("steps");  // the steps the sale goes through
        QTest::addColumn<int>("stockWhenComplete");
        QTest::newRow("default chain: reminders, refund, relist") << false << QList<int>{2, 4, 5, 6, 8, 9, 16, 15} << 5;
        QTest::newRow("paid at once: sent and followed up") << true << QList<int>{2, 7, 10, 11, 12, 13, 14, 15} << 4;
    }
    void workedThroughAndUndone()
    {
        QFETCH(bool, paidChain);
        QFETCH(QList<int>, steps);
        QFETCH(int, stockWhenComplete);
        // The seller's own chain may go from the winner's e-mail straight to payment.
        if (paidChain) ctx().gActions->SaveActionsToDatabase(2, "Paid", 0);
        const double today = vb::today();
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock, StockWarning) VALUES ('TEAPOT', 'Blue teapot', 1, 5, 1)");
        addSale("100", 2, today - 1 + 0.6, 45000.25, "ann", "TEAPOT");
        exec("UPDATE Auction SET DeliveryAddress='1 Main Rd\r\nAuckland', WinningBid=25, Shipping=5 WHERE AuctionId='100'");
        addHistory("100", today - 1 + 0.6, "Auction ended successfully", "ActionId=1,DateNextAction=45000.25,CustomerId=Null");
        const QStringList auctionBefore = rowsOf("SELECT * FROM Auction");
        const QStringList itemsBefore = rowsOf("SELECT * FROM Item ORDER BY ItemId");
        const QStringList historyBefore = rowsOf("SELECT * FROM History ORDER BY Autonumber");

        frmMain& w = opened();
        QCOMPARE(selectedId(), QStringLiteral("100"));
        for (int i = 0; i + 1 < steps.size(); ++i) {
            QCOMPARE(w.txtNextAction->property("Tag").toInt(), steps[i]);
            w.action("mnuTaskDone")->trigger();
            QCOMPARE(stepOf("100"), steps[i + 1]);
            waitForTheList();
        }
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), stockWhenComplete);
        QCOMPARE(historyOf("100").last(), QStringLiteral("Completed"));
        QCOMPARE(w.model->rowCount(), 0);  // completed: off the list
        QCOMPARE(env->messages().prompts().size(), 1);  // nothing was asked

        // Undo it all again, the sale selected each time.
        FormsRegistry::instance().overrideForm("frmUndo", [](QWidget* parent) { return new frmUndo(parent); });
        lookUp("100");
        for (int i = steps.size() - 1; i > 0; --i) {
            QCOMPARE(selectedId(), QStringLiteral("100"));
            const bool shown = ModalDriver::OnModal([&] { w.action("mnuTaskUndo")->trigger(); },
                                       [](QWidget* modal) {
                                           auto* undo = modal->findChild<QPushButton*>("cmdUndoSelected");
                                           QVERIFY(undo && undo->isEnabled());
                                           QTest::mouseClick(undo, Qt::LeftButton);
                                       });
            QVERIFY2(shown, "the undo window did not show");
            QCOMPARE(stepOf("100"), steps[i - 1]);
            QVERIFY(w.searchShown());  // the undone sale is looked up
        }
        QCOMPARE(env->messages().prompts().size(), 1);
        QCOMPARE(rowsOf("SELECT * FROM Item ORDER BY ItemId"), itemsBefore);
        QCOMPARE(rowsOf("SELECT * FROM History ORDER BY Autonumber"), historyBefore);
        // Undoing "Send item" puts back the DateSent and TrackingNumber the
        // sale held (every new sale has TrackingNumber '').
        const QStringList auctionAfter = rowsOf("SELECT * FROM Auction");
        QCOMPARE(auctionAfter.size(), auctionBefore.size());
        QStringList changed;
        const QStringList fieldsBefore = auctionBefore[0].split(QStringLiteral(", "));
        const QStringList fieldsAfter = auctionAfter[0].split(QStringLiteral(", "));
        for (int i = 0; i < fieldsBefore.size(); ++i)
            if (fieldsAfter.value(i) != fieldsBefore[i]) changed << fieldsBefore[i] + QStringLiteral(" became ") + fieldsAfter.value(i);
        QVERIFY2(changed.isEmpty(), qPrintable(changed.join(QStringLiteral("; "))));
    }
};

VENDARO_TEST_MAIN(tst_maintasks)
#include "tst_maintasks.moc"
