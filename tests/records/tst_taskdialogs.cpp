// The three task dialogs offscreen with the real task chain: how an auction
// ended, a payment (with the pick-up chain), a dispatch; their checks, the
// failures that keep them open, and the seller's way in from the main window.

#include "BoxLook.h"
#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/frmUndo.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/AmountEdit.h"
#include "platform/ColorContrast.h"
#include "platform/FocusChain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "records/RecordsForms.h"
#include "records/frmAuction.h"
#include "records/frmAuctionEnded.h"
#include "records/frmPaid.h"
#include "records/frmSend.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>

class tst_taskdialogs : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    QStringList history(const QString& id)
    {
        return table("SELECT Description, Changed FROM History WHERE AuctionId=? ORDER BY Date, Autonumber", {id});
    }
    static QString serial(double d) { return UndoRecipe::DateText(d); }

    template <class Dialog>
    std::unique_ptr<Dialog> open(const QString& id)
    {
        auto d = std::make_unique<Dialog>();
        d->setProperty("mAuctionId", id);
        d->show();  // loads the sale
        return d;
    }
    // Shows a window as the seller gets it, active; the control with the focus then.
    static QWidget* showActive(QWidget* w)
    {
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w)) return nullptr;
        return QApplication::focusWidget();
    }
    // The control a focused part belongs to (an editable list's own box, a date's).
    static QWidget* fieldOf(QWidget* w)
    {
        if (w && w->parentWidget() && (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
            return w->parentWidget();
        return w;
    }
    // Update was done: the dialog closed accepted.
    template <class Dialog>
    static bool closed(const Dialog& d)
    {
        return !d.isVisible() && d.result() == QDialog::Accepted;
    }

    void sale(const QString& id, int step, const QString& buyer, const QString& address = QString(), const QString& item = "MISC",
              double due = 0)
    {
        QVERIFY(conn().Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, "
                               "Winningbid, Shipping, DeliveryAddress) VALUES (?, ?, ?, ?, ?, ?, ?, 1234.5, 7.25, ?)",
                               {id, "Rimu bowl " + id, item, step, vb::now() - 10, due == 0 ? vb::today() - 1 : due,
                                buyer.isEmpty() ? QVariant() : QVariant(buyer), address.isEmpty() ? QVariant() : QVariant(address)}));
    }
    void buyer(const QString& id, const QVariant& name, const QVariant& address)
    {
        QVERIFY(conn().Execute("INSERT INTO Customer (CustomerId, Name, Email, Address) VALUES (?, ?, ?, ?)",
                               {id, name, id + "@example.co.nz", address}));
    }
    void teapot(int stock = 5)
    {
        QVERIFY(conn().Execute("INSERT INTO Item (ItemId, Description, UseStock, Stock) VALUES ('TEAPOT', 'Blue teapot', 1, ?)", {stock}));
    }


private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        mainWindow = RecordingMainWindow();
        ctx().gMainWindow = &mainWindow;
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        FormsRegistry::instance().clearStubCalls();
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // ---- auction ended -------------------------------------------------------

    // What the dialog shows of a sale with and without a buyer.
    void endedPrefill_data()
    {
        QTest::addColumn<QString>("saleBuyer");
        QTest::addColumn<QStringList>("shown");  // buyer id, name, e-mail, address
        QTest::newRow("a buyer on file") << "kiri" << QStringList{"kiri", "Kiri Ngata", "kiri@example.co.nz", "Kiri\r\n2 Beach Rd"};
        // The sale's address was not the winner's: nothing is shown of it.
        QTest::newRow("no buyer") << "" << QStringList{"", "", "", ""};
        QTest::newRow("a buyer not on file") << "ghost" << QStringList{"ghost", "Kiri", "", "Kiri\r\n2 Beach Rd"};
    }
    void endedPrefill()
    {
        QFETCH(QString, saleBuyer);
        QFETCH(QStringList, shown);
        buyer("kiri", "Kiri Ngata", "5 Other St\r\nNapier");
        sale("500", 1, saleBuyer, "Kiri\r\n2 Beach Rd");
        auto d = open<frmAuctionEnded>("500");
        QCOMPARE(d->windowTitle(), QStringLiteral("Auction ended: 500 - Rimu bowl 500"));
        QCOMPARE((QStringList{d->buyer()->currentText(), d->name()->text(), d->email()->text(), TaskDialog::addressText(d->address())}),
                 shown);
        QCOMPARE(d->amount(0)->text(), QStringLiteral("1,234.50"));
        QCOMPARE(d->amount(1)->text(), QStringLiteral("7.25"));
        QCOMPARE(d->buyer()->count(), 1);  // every buyer on file to choose from
    }

    // A buyer id that is known replaces the boxes; typed forms are cleaned first.
    void endedChoosingABuyer_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shownId");
        QTest::addColumn<bool>("known");
        QTest::newRow("known, other case") << "KIRI" << "kiri" << true;
        QTest::newRow("mailto prefix") << "mailto:kiri" << "kiri" << true;
        QTest::newRow("name and address") << "Kiri <kiri@x.nz>" << "kiri@x.nz" << false;
        QTest::newRow("unknown") << "newbie" << "newbie" << false;
        QTest::newRow("quote in the id") << "o'brien" << "o'brien" << false;
    }
    void endedChoosingABuyer()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shownId);
        QFETCH(bool, known);
        buyer("kiri", "Kiri Ngata", "5 Other St\r\nNapier");
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        d->name()->setText("Typed name");
        d->address()->setPlainText("Typed\nAddress");
        d->buyer()->setEditText(typed);
        d->buyer()->setFocus();
        QTest::keyClick(d->buyer(), Qt::Key_Return);  // Enter, as leaving the box
        QCOMPARE(d->buyer()->currentText(), shownId);
        if (known) {
            QCOMPARE(d->email()->text(), QStringLiteral("kiri@example.co.nz"));
            QCOMPARE(TaskDialog::addressText(d->address()), QStringLiteral("5 Other St\r\nNapier"));
            QCOMPARE(d->name()->text(), QStringLiteral("Kiri Ngata"));
        } else {
            QCOMPARE(d->email()->text(), QString());
            QCOMPARE(TaskDialog::addressText(d->address()), QStringLiteral("Typed\r\nAddress"));
            QCOMPARE(d->name()->text(), QStringLiteral("Typed name"));
        }
    }

    // The checks in their order, each answer and where the dialog stops.
    void endedChecks_data()
    {
        QTest::addColumn<QStringList>("boxes");  // buyer id, e-mail, name, address, bid, shipping
        QTest::addColumn<QStringList>("asked");  // the prompts, "No:"/"Yes:" marking the answered questions
        QTest::addColumn<bool>("saved");
        const QString buyerId = "Please set the Buyer Id.", email = "Please set the buyer email address.";
        const QString zeroBid = "The winning bid amount is set to zero - is this correct?";
        const QString zeroShip = "The shipping amount is set to zero - is this correct?";
        const QString noWinner = "No buyer details entered, did this auction end without a winning bidder?";
        QTest::newRow("name without buyer") << QStringList{"", "", "Kiri", "", "10", "5"} << QStringList{buyerId} << false;
        QTest::newRow("address without e-mail") << QStringList{"kiri", "", "", "1 Road", "10", "5"} << QStringList{email} << false;
        QTest::newRow("buyer without e-mail") << QStringList{"kiri", "", "", "", "10", "5"} << QStringList{email} << false;
        QTest::newRow("e-mail without buyer") << QStringList{"", "k@x.nz", "", "", "10", "5"} << QStringList{buyerId} << false;
        QTest::newRow("zero bid: only that question") << QStringList{"kiri", "k@x.nz", "", "", "0", "0"} << QStringList{"Yes:" + zeroBid} << true;
        QTest::newRow("zero bid refused") << QStringList{"kiri", "k@x.nz", "", "", "0.00", "5"} << QStringList{"No:" + zeroBid} << false;
        QTest::newRow("zero shipping refused") << QStringList{"kiri", "k@x.nz", "", "", "10", "0"} << QStringList{"No:" + zeroShip} << false;
        QTest::newRow("zero shipping accepted") << QStringList{"kiri", "k@x.nz", "", "", "10", "0"} << QStringList{"Yes:" + zeroShip} << true;
        QTest::newRow("no winner refused") << QStringList{"", "", "", "", "10", "5"} << QStringList{"No:" + noWinner} << false;
        QTest::newRow("all set") << QStringList{"kiri", "k@x.nz", "Kiri", "1 Road", "1,000.00", "5"} << QStringList{} << true;
        // A text that holds no amount is refused, never stored as 0.
        QTest::newRow("bid not an amount") << QStringList{"kiri", "k@x.nz", "", "", "abc", "5"}
                                           << QStringList{"The winning bid \"abc\" is not an amount.  Type a number such as 1,250.00."}
                                           << false;
        QTest::newRow("shipping not an amount, no winner") << QStringList{"", "", "", "", "0", "1,5"}
                                                           << QStringList{"The shipping amount \"1,5\" is not an amount."} << false;
        QTest::newRow("leading number") << QStringList{"kiri", "k@x.nz", "", "", "12abc", "5"} << QStringList{} << true;
    }
    void endedChecks()
    {
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, asked);
        QFETCH(bool, saved);
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        d->buyer()->setEditText(boxes[0]);
        d->email()->setText(boxes[1]);
        d->name()->setText(boxes[2]);
        d->address()->setPlainText(boxes[3]);
        d->amount(0)->setText(boxes[4]);
        d->amount(1)->setText(boxes[5]);
        for (const QString& a : asked) {
            if (a.startsWith("Yes:")) messages().answer(vbmsg::Yes, a.mid(4));
            else if (a.startsWith("No:")) messages().answer(vbmsg::No, a.mid(3));
            else messages().answer(vbmsg::OK, a);
        }
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(closed(*d), saved);
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='500'").toInt(), saved ? (boxes[0].isEmpty() ? 16 : 2) : 1);
        if (!saved) QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
    }

    // A winner: the buyer is created with the address, the sale stores the
    // result and moves on; amounts of a thousand and more keep their value.
    void endedWithAWinner()
    {
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        d->buyer()->setEditText("kiri");
        d->email()->setText("kiri@example.co.nz");
        d->address()->setPlainText("Kiri Ngata\n2 Beach Road\nNapier");
        QCOMPARE(d->name()->text(), QStringLiteral("Kiri Ngata"));  // the first line, as typed
        d->amount(0)->setText("1,234.50");
        d->amount(0)->tidy();
        QCOMPARE(d->amount(0)->text(), QStringLiteral("1,234.50"));
        d->amount(1)->setText("12.5");
        d->amount(1)->tidy();
        QCOMPARE(d->amount(1)->text(), QStringLiteral("12.50"));
        d->amount(1)->setText("abc");
        d->amount(1)->tidy();
        QCOMPARE(d->amount(1)->text(), QStringLiteral("abc"));  // refused at Update, never shown as 0
        d->amount(1)->setText("12.5abc");
        d->amount(1)->tidy();
        QCOMPARE(d->amount(1)->text(), QStringLiteral("12.50"));  // its leading number
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT CustomerId, Name, Email, Address FROM Customer"),
                 QStringList{"kiri|Kiri Ngata|kiri@example.co.nz|Kiri Ngata\r\n2 Beach Road\r\nNapier"});
        QCOMPARE(table("SELECT CustomerId, DeliveryAddress, DateEnded, Winningbid, Shipping, ActionId, dateNextAction FROM Auction"),
                 QStringList{QString("kiri|Kiri Ngata\r\n2 Beach Road\r\nNapier|%1|1234.5|12.5|2|%1").arg(vb::today())});
        QCOMPARE(history("500"), QStringList{"Auction ended successfully|ActionId=1,DateNextAction=" + serial(vb::today() - 1) +
                                             ",CustomerId=Null"});
    }

    // No buyer: one question, then the sale goes to relisting, ended today.
    void endedWithoutAWinner()
    {
        sale("500", 1, "", "Old place");
        auto d = open<frmAuctionEnded>("500");
        messages().answer(vbmsg::Yes, "did this auction end without a winning bidder?");
        d->cmdUpdate_Click();
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT CustomerId, DeliveryAddress, DateEnded, Winningbid, Shipping, ActionId FROM Auction"),
                 QStringList{QString("<Null>|<Null>|%1|1234.5|7.25|16").arg(vb::today())});
        QCOMPARE(history("500"), QStringList{"Auction ended - No bids|ActionId=1,DateNextAction=" + serial(vb::today() - 1)});
        QCOMPARE(scalar("SELECT count(*) FROM Customer").toInt(), 0);
    }

    // A different address on file is asked about; No keeps the buyer's own.
    void endedAddressQuestion()
    {
        buyer("kiri", "Kiri Ngata", "5 Other St\r\nNapier");
        sale("500", 1, "kiri", "2 Beach Rd");
        auto d = open<frmAuctionEnded>("500");
        messages().answer(vbmsg::No, "The customer address on file is different to the delivery address.");
        d->cmdUpdate_Click();
        QVERIFY(closed(*d));
        QCOMPARE(scalar("SELECT Address FROM Customer").toString(), QStringLiteral("5 Other St\r\nNapier"));
        QCOMPARE(scalar("SELECT DeliveryAddress FROM Auction").toString(), QStringLiteral("2 Beach Rd"));
    }

    // The failures that keep the dialog open with what was typed.
    void endedFailuresKeepTheDialog()
    {
        // The sale went while the dialog was open: said, nothing moved.
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        d->buyer()->setEditText("kiri");
        d->email()->setText("kiri@example.co.nz");
        QVERIFY(conn().Execute("DELETE FROM Auction"));
        messages().answer(vbmsg::OK, "Update failed.  Could not update record.");
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style & 0xF0, int(vbmsg::Critical));
        QVERIFY(d->isVisible());
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);

        // The sale's item is not on file: the step cannot move; the sale names itself.
        sale("501", 1, "", QString(), "GONE");
        auto e = open<frmAuctionEnded>("501");
        e->buyer()->setEditText("kiri");
        e->email()->setText("kiri@example.co.nz");
        messages().answer(vbmsg::OK, "Auction 501 cannot be moved on");
        e->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style & 0xF0, int(vbmsg::Exclamation));
        QVERIFY(e->isVisible());
        QCOMPARE(e->buyer()->currentText(), QStringLiteral("kiri"));
        QCOMPARE(table("SELECT CustomerId, ActionId FROM Auction WHERE AuctionId='501'"), QStringList{"kiri|1"});

        // Another program holds the file: the save is said to fail and nothing is kept.
        sale("502", 1, "");
        auto f = open<frmAuctionEnded>("502");
        f->buyer()->setEditText("tui");
        f->email()->setText("tui@example.co.nz");
        ReadLock::shortenWait(conn());
        ReadLock lock(env->programFolder() + "/shop.mdb");
        QVERIFY(lock.held());
        messages().answer(vbmsg::OK, "locked");
        f->cmdUpdate_Click();
        lock.release();
        QVERIFY(messages().verifyDone());
        QVERIFY(f->isVisible());
        QCOMPARE(table("SELECT CustomerId, ActionId, DateEnded FROM Auction WHERE AuctionId='502'"), QStringList{"<Null>|1|<Null>"});
        QCOMPARE(scalar("SELECT count(*) FROM Customer WHERE CustomerId='tui'").toInt(), 0);
    }

    // ---- paid ------------------------------------------------------------------

    // A sale without a delivery address opens with the buyer's, and the
    // first-line rule names the buyer who has no name on file.
    void paidPrefill()
    {
        buyer("kiri", QVariant(), "Kiri Ngata\r\n2 Beach Rd");
        sale("600", 4, "kiri");
        QVERIFY(conn().Execute("UPDATE Auction SET PayId='CASH' WHERE AuctionId='600'"));
        auto d = open<frmPaid>("600");
        QCOMPARE(d->windowTitle(), QStringLiteral("Flag as paid: 600 - Rimu bowl 600"));
        QCOMPARE(d->buyer()->text(), QStringLiteral("kiri"));
        QCOMPARE(d->total()->text(), QStringLiteral("$1241.75"));
        QCOMPARE(TaskDialog::addressText(d->address()), QStringLiteral("Kiri Ngata\r\n2 Beach Rd"));
        QCOMPARE(d->name()->text(), QStringLiteral("Kiri Ngata"));
        QCOMPARE(d->paid()->date(), QDate::currentDate());
        QCOMPARE(d->payMethods()->currentText(), QStringLiteral("CASH"));

        // A method chosen in the editor reached through ">>" does not replace the stored one.
        FormsRegistry::instance().overrideForm("frmPayMethod", [](QWidget* parent) {
            auto* e = new QDialog(parent);
            QTimer::singleShot(0, e, [e] {
                QVERIFY(ProgramContext::current().gConnection->Execute("INSERT INTO PayMethod (PayId, Description) VALUES ('AAA', 'New')"));
                e->accept();
            });
            return e;
        });
        d->payMethods()->setCurrentText("BANK");
        d->cmdForm_Click(0);
        QCOMPARE(d->payMethods()->currentText(), QStringLiteral("CASH"));
        QCOMPARE(d->payMethods()->itemText(0), QStringLiteral("AAA"));
    }

    // The checks; No to a question writes nothing.
    void paidChecks_data()
    {
        QTest::addColumn<bool>("date");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("pickedUp");
        QTest::addColumn<QString>("asked");  // "" for none
        QTest::newRow("no date") << false << "BANK" << "Kiri" << "1 Road" << false << "Please set the date paid.";
        QTest::newRow("no method") << true << "" << "Kiri" << "1 Road" << false << "Please set the payment method.";
        QTest::newRow("no name") << true << "BANK" << "" << "" << false << "Buyer name not entered, continue with update?";
        QTest::newRow("no address") << true << "BANK" << "Kiri" << "" << false << "Buyer address not entered, continue with update?";
        QTest::newRow("picked up: nothing asked") << true << "BANK" << "" << "" << true << "";
    }
    void paidChecks()
    {
        QFETCH(bool, date);
        QFETCH(QString, method);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(bool, pickedUp);
        QFETCH(QString, asked);
        buyer("kiri", "Kiri", "1 Road");
        sale("600", 4, "kiri");
        auto d = open<frmPaid>("600");
        if (!date) d->paid()->clear();
        d->payMethods()->setCurrentIndex(d->payMethods()->findText(method));
        d->name()->setText(name);
        d->address()->setPlainText(address);
        d->pickedUp()->setChecked(pickedUp);
        if (!asked.isEmpty()) messages().answer(asked.endsWith('?') ? vbmsg::No : vbmsg::OK, asked);
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(closed(*d), asked.isEmpty());
        if (!asked.isEmpty()) {
            QCOMPARE(table("SELECT datePaid, PayId, ActionId FROM Auction"), QStringList{"<Null>|<Null>|4"});
            QCOMPARE(table("SELECT Name FROM Customer"), QStringList{"Kiri"});
        }
    }

    // Paid without pick-up: the step after "Paid", whatever step the sale was at.
    void paidMovesOnFromAnyStep()
    {
        buyer("kiri", "Kiri", "1 Road");
        const double due = vb::today() + 2 + 0.5;
        sale("600", 2, "kiri", "1 Road", "MISC", due);
        auto d = open<frmPaid>("600");
        d->payMethods()->setCurrentText("BANK");
        d->paid()->setDate(QDate::currentDate().addDays(-3));
        d->cmdUpdate_Click();
        QVERIFY(closed(*d));
        const double paidOn = vb::toOleDate(QDate::currentDate().addDays(-3));
        QCOMPARE(table("SELECT datePaid, PayId, ActionId, dateNextAction, dateSent FROM Auction"),
                 QStringList{QString("%1|BANK|10|%2|<Null>").arg(paidOn).arg(vb::today())});
        QCOMPARE(history("600"), QStringList{"Payment received|ActionId=2,DateNextAction=" + serial(due) + ",DatePaid=Null,PayId=Null"});
    }

    // Picked up: paid, the e-mail skipped, the dispatch recorded and the
    // shipped e-mail skipped: four rows a second apart; undone one by one.
    void paidPickedUpChain()
    {
        teapot(5);
        buyer("kiri", "Kiri", "1 Road");
        const double due = vb::today() + 1;
        sale("600", 2, "kiri", "1 Road", "TEAPOT", due);
        const QStringList saleBefore = table("SELECT * FROM Auction");
        auto d = open<frmPaid>("600");
        d->payMethods()->setCurrentText("CASH");
        d->pickedUp()->setChecked(true);
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*d));
        const double today = vb::today();
        QCOMPARE(table("SELECT ActionId, dateNextAction, datePaid, dateSent FROM Auction"),
                 QStringList{QString("13|%1|%2|%2").arg(today + 1).arg(today)});
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), 4);
        QCOMPARE(history("600"),
                 (QStringList{"Payment received|ActionId=2,DateNextAction=" + serial(due) + ",DatePaid=Null,PayId=Null",
                              "SKIPPED TASK: Payment received email (item was picked up)|ActionId=10,DateNextAction=" + serial(today),
                              "Item picked up by buyer|ActionId=11,DateNextAction=" + serial(today) +
                                  ",DateSent=Null,TrackingNumber=,[STOCK]=TEAPOT",
                              "SKIPPED TASK: Shipped confirmation email (item was picked up)|ActionId=12,DateNextAction=" + serial(today)}));
        const QStringList dates = table("SELECT Date FROM History ORDER BY Autonumber");
        for (int i = 1; i < dates.size(); ++i)
            QVERIFY2(qAbs((dates[i].toDouble() - dates[i - 1].toDouble()) * 86400 - 1) < 0.01, qPrintable(dates.join(' ')));

        for (int step : {12, 11, 10, 2}) {
            QVERIFY(ctx().gDatabase->GetHistory("600"));
            QVERIFY(ctx().gDatabase->PerformUndo());
            QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), step);
        }
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), 5);
        QCOMPARE(table("SELECT * FROM Auction"), saleBefore);
    }

    // The chain follows the seller's own steps: what does not follow payment is not done.
    void paidPickedUpOtherChains_data()
    {
        QTest::addColumn<int>("afterPaid");     // step 7's next
        QTest::addColumn<int>("afterEmail");    // step 10's next
        QTest::addColumn<int>("finalStep");
        QTest::addColumn<int>("rows");
        QTest::newRow("paid goes to dispatch") << 11 << 11 << 13 << 3;  // no e-mail to skip
        QTest::newRow("paid goes to feedback") << 13 << 11 << 13 << 1;
        QTest::newRow("e-mail goes to feedback") << 10 << 13 << 13 << 2;  // skipped, no dispatch
    }
    void paidPickedUpOtherChains()
    {
        QFETCH(int, afterPaid);
        QFETCH(int, afterEmail);
        QFETCH(int, finalStep);
        QFETCH(int, rows);
        QVERIFY(ctx().gActions->SaveActionsToDatabase(7, ctx().gActions->Description(afterPaid), 0));
        QVERIFY(ctx().gActions->SaveActionsToDatabase(10, ctx().gActions->Description(afterEmail), 0));
        buyer("kiri", "Kiri", "1 Road");
        sale("600", 4, "kiri", "1 Road");
        auto d = open<frmPaid>("600");
        d->payMethods()->setCurrentText("CASH");
        d->pickedUp()->setChecked(true);
        d->cmdUpdate_Click();
        QVERIFY(closed(*d));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), finalStep);
        QCOMPARE(history("600").size(), rows);
    }

    // A sale still at "Auction ends" is refused by the task chain; what was typed is stored, the dialog stays.
    void paidAtStepOne()
    {
        buyer("kiri", "Kiri", "1 Road");
        sale("600", 1, "kiri", "1 Road");
        auto d = open<frmPaid>("600");
        d->payMethods()->setCurrentText("BANK");
        d->address()->setPlainText("Kiri\n9 New Road");
        messages().answer(vbmsg::No, "The customer address on file is different");
        messages().answer(vbmsg::OK, "If this auction has ended click 'Do Task' on the toolbar.");
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(d->isVisible());
        QCOMPARE(table("SELECT datePaid, PayId, DeliveryAddress, ActionId FROM Auction"),
                 QStringList{QString("%1|BANK|Kiri\r\n9 New Road|1").arg(vb::today())});
        QCOMPARE(mainWindow.refreshed, QStringList{"600"});  // the list shows the payment stored
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
    }

    // ---- send ------------------------------------------------------------------

    // What Update writes for a dispatch: the History text follows tracking and pick-up.
    void sendDispatch_data()
    {
        QTest::addColumn<QString>("tracking");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("pickedUp");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("finalStep");
        QTest::newRow("tracked") << "NZ123'45" << "1 Road" << false << "Item shipped (tracking number NZ123'45)" << 12;
        QTest::newRow("untracked") << "" << "1 Road" << false << "Item shipped" << 12;
        // Collected: nothing asked about the empty address, the shipped e-mail skipped.
        QTest::newRow("picked up, no address") << "" << "" << true << "Item picked up by buyer" << 13;
    }
    void sendDispatch()
    {
        QFETCH(QString, tracking);
        QFETCH(QString, address);
        QFETCH(bool, pickedUp);
        QFETCH(QString, text);
        QFETCH(int, finalStep);
        teapot(2);
        buyer("kiri", "Kiri", address);
        sale("700", 11, "kiri", address, "TEAPOT");
        QVERIFY(conn().Execute("UPDATE Auction SET TrackingNumber='OLD'"));
        auto d = open<frmSend>("700");
        QCOMPARE(d->windowTitle(), QStringLiteral("Send: 700 - Rimu bowl 700"));
        QCOMPARE(d->tracking()->text(), QStringLiteral("OLD"));
        d->tracking()->setText(tracking);
        d->pickedUp()->setChecked(pickedUp);
        const QDate shipped = QDate::currentDate().addDays(-2);  // stored as chosen; the due date counts from today
        d->sent()->setDate(shipped);
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT TrackingNumber, DeliveryAddress, dateSent, ActionId FROM Auction"),
                 QStringList{QString("%1|%2|%3|%4")
                                 .arg(tracking, address.isEmpty() ? "<Null>" : address)
                                 .arg(vb::toOleDate(shipped))
                                 .arg(finalStep)});
        QCOMPARE(scalar("SELECT dateNextAction FROM Auction").toDouble(), vb::today() + (finalStep == 13 ? 1 : 0));
        QCOMPARE(history("700").first(), text + "|ActionId=11,DateNextAction=" + serial(vb::today() - 1) +
                                             ",DateSent=Null,TrackingNumber=,[STOCK]=TEAPOT");
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), 1);
    }

    // The database ends the step's transaction inside it (the disk fills as
    // a History row is written, the pick-up's skip of the shipped e-mail
    // included): the step is kept whole or not at all (no dispatch date, no
    // stock taken, no History), the seller is told, and the dialog stays
    // with what was typed.
    void sendStepEndedByTheDatabase_data()
    {
        QTest::addColumn<bool>("pickedUp");
        QTest::addColumn<QString>("failingRow");  // a LIKE pattern
        QTest::newRow("the dispatch's own row") << false << "Item shipped%";
        QTest::newRow("the pick-up's skip of the shipped e-mail") << true << "SKIPPED TASK: Shipped confirmation email%";
    }
    void sendStepEndedByTheDatabase()
    {
        QFETCH(bool, pickedUp);
        QFETCH(QString, failingRow);
        teapot(2);
        buyer("kiri", "Kiri", "1 Road");
        sale("700", 11, "kiri", "1 Road", "TEAPOT");
        QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "History", "NEW.Description LIKE '" + failingRow + "'").isEmpty());
        auto d = open<frmSend>("700");
        d->tracking()->setText("T1");
        d->pickedUp()->setChecked(pickedUp);
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        messages().answer(vbmsg::OK, "The task of auction 700 could not be saved; the auction is as it was.");
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY2(messages().prompts().last().text.contains("disk full"), qPrintable(messages().prompts().last().text));
        QVERIFY(d->isVisible());
        QCOMPARE(d->tracking()->text(), QStringLiteral("T1"));
        // The sale's own fields were saved before the step, as typed; the step is not.
        QCOMPARE(table("SELECT TrackingNumber, dateSent, ActionId FROM Auction"), QStringList{"T1|<Null>|11"});
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='TEAPOT'").toInt(), 2);
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
        QCOMPARE(conn().transactionDepth(), 0);
    }

    // No address and not collected: asked; No leaves the sale at the step with the empty address saved.
    void sendWithoutAddress()
    {
        buyer("kiri", "Kiri", QVariant());
        sale("700", 11, "kiri");
        auto d = open<frmSend>("700");
        d->tracking()->setText("T1");
        messages().answer(vbmsg::No, "No delivery address set - was this item picked up?");
        messages().answer(vbmsg::OK, "Update was cancelled - set the delivery address first.");
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(d->isVisible());
        QCOMPARE(table("SELECT TrackingNumber, DeliveryAddress, dateSent, ActionId FROM Auction"), QStringList{"T1|<Null>|<Null>|11"});
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);

        // No date: said, nothing written.
        d->sent()->clear();
        messages().answer(vbmsg::OK, "Please set the date shipped.");
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(d->isVisible());
    }

    // The buyer's address fills an empty delivery box; its first line names a buyer without a name.
    void sendPrefillAndLabel()
    {
        buyer("kiri", QVariant(), "Kiri Ngata\r\n2 Beach Rd");
        sale("700", 11, "kiri", QString(), "MISC", vb::today() + 30);
        auto d = open<frmSend>("700");
        QCOMPARE(TaskDialog::addressText(d->address()), QStringLiteral("Kiri Ngata\r\n2 Beach Rd"));
        QCOMPARE(d->name()->text(), QStringLiteral("Kiri Ngata"));
        QCOMPARE(d->sent()->date(), QDate::currentDate());

        // Print label: the label window for this one sale, though it is not yet due.
        QString asked;
        FormsRegistry::instance().overrideForm("frmLabels", [&asked](QWidget* parent) {
            auto* w = new QDialog(parent);
            QTimer::singleShot(0, w, [w, &asked] {
                asked = w->property("pSingleAuctionNumber").toString();
                w->accept();
            });
            return w;
        });
        d->findChild<QPushButton*>("cmdLabel")->click();
        QCOMPARE(asked, QStringLiteral("700"));
    }

    // A sale whose buyer is not on file still shows its own fields, and
    // Update keeps them (nothing of the sale is overwritten by empty boxes).
    void buyerNotOnFile()
    {
        sale("700", 11, "ghost", "1 Road\r\nNelson");
        QVERIFY(conn().Execute("UPDATE Auction SET TrackingNumber='T9'"));
        auto d = open<frmSend>("700");
        QCOMPARE(d->windowTitle(), QStringLiteral("Send: 700 - Rimu bowl 700"));
        QCOMPARE(d->buyer()->text(), QString());
        QCOMPARE(d->tracking()->text(), QStringLiteral("T9"));
        d->cmdUpdate_Click();
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT DeliveryAddress, TrackingNumber, ActionId FROM Auction"), QStringList{"1 Road\r\nNelson|T9|12"});
        QCOMPARE(scalar("SELECT count(*) FROM Customer").toInt(), 0);

        sale("600", 4, "ghost", "2 Hill St");
        auto p = open<frmPaid>("600");
        QCOMPARE(p->total()->text(), QStringLiteral("$1241.75"));
        p->payMethods()->setCurrentText("BANK");
        messages().answer(vbmsg::Yes, "Buyer name not entered");
        p->cmdUpdate_Click();
        QVERIFY(closed(*p));
        QCOMPARE(table("SELECT DeliveryAddress, PayId, ActionId FROM Auction WHERE AuctionId='600'"), QStringList{"2 Hill St|BANK|10"});
    }

    // A buyer id, name and tracking number longer than the dispatch dialog's
    // boxes take show and are saved whole; the payment dialog names the same buyer.
    void storedTextKeptWhole()
    {
        const QString id = QStringLiteral("aroha_te_whare_kauri_crafts_and_antiques_wellington");
        const QString name = QStringLiteral("Aroha Te Whare-Ngata of Kauri Crafts and Antiques Ltd");
        const QString tracking = QStringLiteral("NZPOST-OVERNIGHT-SIGNATURE-REQUIRED-AKL-0012345678-NZ");
        QVERIFY(id.size() > 50 && name.size() > 50 && tracking.size() > 50);
        buyer(id, name, "2 Quay Street");
        sale("700", 11, id, "2 Quay Street");
        QVERIFY(conn().Execute("UPDATE Auction SET TrackingNumber=?", {tracking}));
        auto d = open<frmSend>("700");
        QCOMPARE(d->buyer()->text(), id);
        QCOMPARE(d->name()->text(), name);
        QCOMPARE(d->tracking()->text(), tracking);
        d->pickedUp()->setChecked(true);
        d->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT CustomerId, Name FROM Customer"), QStringList{id + "|" + name});
        QCOMPARE(table("SELECT CustomerId, TrackingNumber FROM Auction"), QStringList{id + "|" + tracking});

        sale("600", 4, id, "2 Quay Street");
        auto p = open<frmPaid>("600");
        QCOMPARE(p->buyer()->text(), id);
        p->payMethods()->setCurrentText("BANK");
        p->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*p));
        QCOMPARE(table("SELECT CustomerId, Name FROM Customer"), QStringList{id + "|" + name});

        // Typing stops at 50 characters.
        sale("701", 11, id, "2 Quay Street");
        auto t = open<frmSend>("701");
        t->tracking()->clear();
        t->tracking()->setFocus();
        QTest::keyClicks(t->tracking(), QString(60, u'7'));
        QCOMPARE(t->tracking()->text(), QString(50, u'7'));
    }

    // ---- the keyboard -----------------------------------------------------------

    // Each dialog opens with the caret in its first box to type into (the
    // buyer and the total of a payment are shown, not typed): a Space typed
    // at once is text, not Update.
    void keyboardOpensInTheFirstField_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("step");
        QTest::newRow("auction ended") << "frmAuctionEnded" << "500" << "cboCustomerId" << 1;
        QTest::newRow("paid, a method on the sale") << "frmPaid" << "600" << "txtName" << 7;
        QTest::newRow("send") << "frmSend" << "700" << "txtName" << 11;
    }
    void keyboardOpensInTheFirstField()
    {
        QFETCH(QString, form);
        QFETCH(QString, id);
        QFETCH(QString, field);
        QFETCH(int, step);
        RecordsForms::Register();
        buyer("kiri", "Kiri", "1 Road");
        sale("500", 1, "");
        sale("600", 7, "kiri", "1 Road");
        QVERIFY(conn().Execute("UPDATE Auction SET PayId='BANK' WHERE AuctionId='600'"));
        sale("700", 11, "kiri", "1 Road");
        std::unique_ptr<QWidget> d(FormsRegistry::instance().create(form, {{"mAuctionId", id}}));
        QWidget* typed = showActive(d.get());
        QVERIFY(typed);
        QCOMPARE(fieldOf(typed)->objectName(), field);
        QTest::keyClick(typed, Qt::Key_Space);
        QVERIFY(d->isVisible());
        QVERIFY(messages().verifyDone());
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(), step);
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
    }

    // Tab goes through the boxes as they stand, the buttons last.
    void keyboardTabOrder()
    {
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        QVERIFY(showActive(d.get()));
        QStringList order;
        for (int i = 0; i < 9; ++i) {
            QWidget* at = fieldOf(QApplication::focusWidget());
            order << (at->objectName() == "numTotal" ? "numTotal" + at->property("Index").toString() : at->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"cboCustomerId", "txtName", "txtEmail", "txtDeliveryAddress", "numTotal0", "numTotal1", "cmdForm",
                                     "cmdUpdate", "cmdCancel"}));
        QCOMPARE(fieldOf(QApplication::focusWidget())->objectName(), QStringLiteral("cboCustomerId"));
    }

    // Enter updates from a one-line box and presses the button it stands on;
    // in the address box it starts a new line; on ">>" it opens the editor.
    void keyboardEnter()
    {
        buyer("kiri", "Kiri", "1 Road");
        sale("700", 11, "kiri", "1 Road");
        auto d = open<frmSend>("700");
        QVERIFY(showActive(d.get()));
        d->address()->setFocus();
        d->address()->moveCursor(QTextCursor::End);
        QTest::keyClick(d->address(), Qt::Key_Return);
        QTest::keyClicks(d->address(), "Nelson");
        QVERIFY(d->isVisible());
        QCOMPARE(TaskDialog::addressText(d->address()), QStringLiteral("1 Road\r\nNelson"));

        QString opened;
        FormsRegistry::instance().overrideForm("frmCustomer", [&opened](QWidget* parent) {
            auto* w = new QDialog(parent);
            QTimer::singleShot(0, w, [w, &opened] {
                opened = w->property("mRemoteId").toString();
                w->reject();
            });
            return w;
        });
        auto* form = d->findChild<QToolButton*>("cmdForm");
        form->setFocus();
        QTest::keyClick(form, Qt::Key_Return);
        QCOMPARE(opened, QStringLiteral("kiri"));
        QVERIFY(d->isVisible());
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 11);

        d->tracking()->setFocus();
        QTest::keyClicks(d->tracking(), "NZ1");
        messages().answer(vbmsg::No, "The customer address on file is different to the delivery address.");
        QTest::keyClick(d->tracking(), Qt::Key_Return);
        QVERIFY(messages().verifyDone());
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT TrackingNumber, DeliveryAddress, ActionId FROM Auction"), QStringList{"NZ1|1 Road\r\nNelson|12"});

        // Enter on Cancel cancels.
        sale("701", 11, "kiri", "1 Road");
        auto e = open<frmSend>("701");
        QVERIFY(showActive(e.get()));
        auto* cancel = e->findChild<QPushButton*>("cmdCancel");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QVERIFY(!e->isVisible());
        QCOMPARE(e->result(), int(QDialog::Rejected));
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='701'").toInt(), 11);
    }

    // Enter in the buyer box looks the buyer up and does nothing more; Enter
    // in another box then ends the auction.
    void keyboardEnterInTheBuyerBox()
    {
        buyer("kiri", "Kiri Ngata", "2 Beach Rd");
        sale("500", 1, "");
        auto d = open<frmAuctionEnded>("500");
        QWidget* box = showActive(d.get());
        QVERIFY(box);
        QTest::keyClicks(box, "kiri");
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(d->isVisible());
        QVERIFY(messages().verifyDone());
        QCOMPARE(d->name()->text(), QStringLiteral("Kiri Ngata"));
        QCOMPARE(d->email()->text(), QStringLiteral("kiri@example.co.nz"));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 1);

        d->name()->setFocus();
        QTest::keyClick(d->name(), Qt::Key_Return);
        QVERIFY(closed(*d));
        QCOMPARE(table("SELECT CustomerId, ActionId FROM Auction"), QStringList{"kiri|2"});
    }

    // ---- the look -----------------------------------------------------------------

    // The boxes shown but not typed into (the buyer a task is for, the total)
    // are drawn apart from the boxes to type into, on a light desktop and a
    // dark one, their text readable, and the caret does not start in them.
    // Pictures of each: build/screenshots/readonly-*.png.
    void readOnlyBoxes_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("dark");
        for (bool dark : {false, true})
            for (const char* form : {"frmAuction", "frmPaid", "frmSend"})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(form), dark ? "dark" : "light"))) << QString(form) << dark;
    }
    void readOnlyBoxes()
    {
        QFETCH(QString, form);
        QFETCH(bool, dark);
        const QPalette light = QApplication::palette();
        if (dark) QApplication::setPalette(BoxLook::dark());
        const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });
        buyer("kiri", "Kiri Ngata", "1 Road");
        sale("800", form == "frmSend" ? 11 : 7, "kiri", "1 Road");

        std::unique_ptr<QWidget> w;
        QList<QLineEdit*> shown;
        QLineEdit* typed = nullptr;
        if (form == "frmAuction") {
            auto a = std::make_unique<frmAuction>();
            a->setProperty("mRemoteId", "800");
            a->setProperty("mRemoteEdit", true);
            a->show();
            a->Form_Activate();
            a->tabs()->setCurrentIndex(2);
            shown = {a->amount(4)};
            typed = a->amount(0);
            w = std::move(a);
        } else if (form == "frmPaid") {
            auto d = open<frmPaid>("800");
            shown = {d->buyer(), d->total()};
            typed = d->name();
            w = std::move(d);
        } else {
            auto d = open<frmSend>("800");
            shown = {d->buyer()};
            typed = d->name();
            w = std::move(d);
        }
        w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath(QStringLiteral("readonly-%1-%2.png").arg(form, dark ? "dark" : "light")));
        QVERIFY(messages().verifyDone());

        const QColor typedBackground = BoxLook::background(typed);
        QCOMPARE(typedBackground, QApplication::palette().color(QPalette::Base));
        for (QLineEdit* box : std::as_const(shown)) {
            const QString name = box->objectName();
            QVERIFY2(box->isReadOnly(), qPrintable(name));
            QVERIFY2(!box->text().isEmpty(), qPrintable(name));
            QVERIFY2(!FocusChain::IsField(box), qPrintable(name));
            const QColor background = BoxLook::background(box);
            QVERIFY2(background != typedBackground, qPrintable(name + " " + background.name()));
            QCOMPARE(background, QApplication::palette().color(QPalette::Window));
            QVERIFY2(ColorContrast::ratio(box->palette().color(QPalette::Text), background) >= ColorContrast::PlainText, qPrintable(name));
        }
        QWidget* first = FocusChain::FirstField(w.get());
        QVERIFY(first);
        QVERIFY2(!shown.contains(first), qPrintable(first->objectName()));
    }

    // ---- from the main window -------------------------------------------------

    // Do Task on sales at steps 1, 7 and 11 opens each one's dialog; Update
    // moves them on; Undo walks each back.
    void doTaskFromTheMainWindow()
    {
        RecordsForms::Register();
        FormsRegistry::instance().overrideForm("frmUndo", [](QWidget* parent) { return new frmUndo(parent); });
        ctx().gConfiguration.DefaultList = false;
        buyer("kiri", "Kiri", "1 Road");
        sale("801", 1, "");
        sale("807", 7, "kiri", "1 Road");
        sale("811", 11, "kiri", "1 Road");
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QTRY_COMPARE(MainWindowDriver::listedIds(*main).size(), 3);

        struct Case {
            QString id, form;
            int after;
        };
        const QList<Case> cases{{"801", "frmAuctionEnded", 2}, {"807", "frmPaid", 10}, {"811", "frmSend", 12}};
        for (const Case& c : cases) {
            QTRY_VERIFY(ctx().gDatabase->PendingLog().isEmpty());
            MainWindowDriver::clickRow(*main, c.id);
            QString shown;
            const bool opened = ModalDriver::OnModal([&] { main->action("mnuTaskDo")->trigger(); },
                                        [&](QWidget* modal) {
                                            shown = modal->objectName();
                                            if (auto* ended = qobject_cast<frmAuctionEnded*>(modal)) {
                                                ended->buyer()->setEditText("kiri");
                                                ended->cboCustomerId_Click();
                                            }
                                            if (auto* paid = qobject_cast<frmPaid*>(modal)) paid->payMethods()->setCurrentText("BANK");
                                            static_cast<TaskDialog*>(modal)->updateButton()->click();
                                        });
            QVERIFY2(opened, qPrintable(c.form));
            QCOMPARE(shown, c.form);
            QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {c.id}).toInt(), c.after);
        }
        QVERIFY(messages().verifyDone());

        for (const Case& c : cases) {
            // The list has taken in every change (the main window's timer), so no refresh moves the selection later.
            QTRY_VERIFY(ctx().gDatabase->PendingLog().isEmpty());
            QTRY_VERIFY(MainWindowDriver::listedIds(*main).contains(c.id));
            MainWindowDriver::clickRow(*main, c.id);
            QCOMPARE(MainWindowDriver::selectedId(*main), c.id);
            const bool shown = ModalDriver::OnModal([&] { main->action("mnuTaskUndo")->trigger(); },
                                       [](QWidget* modal) {
                                           auto* undo = modal->findChild<QPushButton*>("cmdUndoSelected");
                                           QVERIFY(undo && undo->isEnabled());
                                           undo->click();
                                       });
            QVERIFY(shown);
            QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {c.id}).toInt(), c.id.mid(1).toInt());
            main->CloseSearchAndRefreshList();
        }
        QCOMPARE(table("SELECT AuctionId, CustomerId, datePaid, PayId, dateSent FROM Auction ORDER BY AuctionId"),
                 (QStringList{"801|<Null>|<Null>|<Null>|<Null>", "807|kiri|<Null>|<Null>|<Null>", "811|kiri|<Null>|<Null>|<Null>"}));
        main->close();
    }
};

QTEST_MAIN(tst_taskdialogs)
#include "tst_taskdialogs.moc"
