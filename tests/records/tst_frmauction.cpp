// The sale record editor offscreen: its opening modes, its change handlers,
// its checks, and a sale entered, saved and deleted by hand.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "RecordingMainWindow.h"
#include "mainwindow/frmMain.h"
#include "records/RecordsForms.h"
#include "platform/FormsRegistry.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/AmountEdit.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "records/CodeBox.h"
#include "records/frmAuction.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <optional>

class tst_frmauction : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }

    std::unique_ptr<frmAuction> open(const QVariantMap& vars = {})
    {
        auto w = std::make_unique<frmAuction>();
        for (auto it = vars.begin(); it != vars.end(); ++it) w->setProperty(it.key().toUtf8().constData(), it.value());
        w->show();
        w->Form_Activate();
        return w;
    }
    void sale(const QString& id, int step, const QString& buyer, const QString& payId, const QVariant& paid = QVariant(),
              double bid = 25)
    {
        QVERIFY(conn().Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, PayId, "
                               "datePaid, Winningbid, Shipping, DeliveryAddress) VALUES (?,?, 'MISC', ?, ?, ?, ?, ?, ?, ?, 5, 'Old place')",
                               {id, "Sale " + id, step, vb::now() - 10, vb::today() + 2, buyer.isEmpty() ? QVariant() : QVariant(buyer),
                                payId.isEmpty() ? QVariant() : QVariant(payId), paid, bid}));
    }
    void buyer(const QString& id)
    {
        QVERIFY(conn().Execute("INSERT INTO Customer (CustomerId, Name, Email, Address) VALUES (?,?,?,?)",
                               {id, "Buyer " + id, id + "@example.co.nz", "1 Main Road\r\nNelson"}));
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
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // A sale entered by hand is saved with its buyer and its first History row, and the main list is rebuilt.
    void aSaleByHand()
    {
        auto w = open();
        w->cmdAdd_Click();
        QCOMPARE(w->tabs()->currentIndex(), 0);
        w->codeBox()->setText("5001");
        w->title()->setText("Rimu bowl");
        w->items()->setCurrentText("MISC");
        w->buyer()->setEditText("kiri");
        w->email()->setText("kiri@example.co.nz");
        w->address()->setPlainText("Kiri Ngata\n2 Beach Road\nNapier");
        w->amount(0)->setText("1,234.00");  // as the display groups it
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(table("SELECT AuctionId, Description, ItemId, ActionId, CustomerId, Winningbid, NonAuction FROM Auction"),
                 QStringList{"5001|Rimu bowl|MISC|1|kiri|1234|0"});
        QCOMPARE(table("SELECT CustomerId, Name, Email, Address FROM Customer"),
                 QStringList{"kiri|Kiri Ngata|kiri@example.co.nz|Kiri Ngata\r\n2 Beach Road\r\nNapier"});
        QCOMPARE(table("SELECT Description, Changed FROM History"), QStringList{"Auction started|[DELETE]"});
        QCOMPARE(mainWindow.listRebuilds, 1);
        QVERIFY(mainWindow.refreshed.contains("5001"));
        QCOMPARE(w->amount(0)->text(), QStringLiteral("1,234.00"));
    }

    // A sale made outside the site: its own caption, number, step and checks.
    void aSaleOutsideTheSite()
    {
        ctx().gConfiguration.NextAuctionNumber = 1001;
        ctx().gConfiguration.NextAuctionNumberStep = 10;
        QVERIFY(conn().Execute("UPDATE Configuration SET NextAuctionNumber=1001, NextAuctionNumberStep=10", {}));
        auto w = open({{"mRemotePrivate", true}});
        QCOMPARE(w->windowTitle(), QStringLiteral("Add Non-Auction"));
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->codeBox()->text(), QStringLiteral("1001"));
        QCOMPARE(w->step(), 4);
        QCOMPARE(w->nextAction()->date(), QDate::currentDate().addDays(3));
        QCOMPARE(w->tabs()->currentIndex(), 1);
        w->title()->setText("Kauri box");
        w->items()->setCurrentText("MISC");
        w->amount(0)->setText("40");
        messages().answer(vbmsg::OK, "Please set the buyer details.");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        w->buyer()->setEditText("tama");
        w->email()->setText("tama@example.co.nz");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT AuctionId, ActionId, NonAuction FROM Auction"), QStringList{"1001|4|1"});
        QCOMPARE(ctx().gConfiguration.NextAuctionNumber, 1011);
        QCOMPARE(table("SELECT Description FROM History"), QStringList{"Non-Auction transaction"});
        // The window stays one for such sales: Add proposes the next number.
        w->cmdAdd_Click();
        QCOMPARE(w->codeBox()->text(), QStringLiteral("1011"));
    }

    // Opened for one sale; a sale at step 3 shows its step and saves unchanged.
    void openedForOneSale()
    {
        buyer("sean1");
        sale("4101", 3, "sean1", "BANK");
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->step(), 3);
        QCOMPARE(w->steps()->currentText(), QStringLiteral("Send 3 day reminder"));
        QCOMPARE(w->email()->text(), QStringLiteral("sean1@example.co.nz"));
        QCOMPARE(w->name()->text(), QStringLiteral("Buyer sean1"));
        QCOMPARE(w->address()->toPlainText(), QStringLiteral("Old place"));  // the sale's own
        QCOMPARE(w->payMethods()->currentText(), QStringLiteral("BANK"));
        w->tabs()->setCurrentIndex(1);
        w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmAuction.png"));
        // The buyer's own address differs from the sale's: asked before anything is written.
        messages().answer(vbmsg::No, "The customer address on file is different to the delivery address.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 3);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
    }

    // Opened with no sale, no step is chosen; Add proposes the first. A sale
    // stored without a step shows none and is saved only once one is chosen.
    void noStepUntilASale()
    {
        auto w = open();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->steps()->currentIndex(), -1);
        QCOMPARE(w->steps()->currentText(), QString());
        QCOMPARE(w->steps()->count(), 16);
        w->cmdAdd_Click();
        QCOMPARE(w->step(), 1);
        QCOMPARE(w->steps()->currentText(), QStringLiteral("Auction ends"));
        w->cmdCancel_Click();

        buyer("sean1");
        sale("4101", 0, "sean1", "BANK");
        w->codeBox()->setText("4101");
        w->cmdEdit_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->steps()->currentIndex(), -1);
        messages().answer(vbmsg::OK, "Please set the Next action");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 0);
        w->setStep(2);
        w->cboActionId_Click();
        messages().answer(vbmsg::No, "The customer address on file is different to the delivery address.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 2);
    }

    // A sale without buyer row or payment method shows neither, not those of the sale before.
    void nothingCarriedOverBetweenSales()
    {
        buyer("sean1");
        sale("4101", 2, "sean1", "BANK", vb::today());
        sale("4102", 2, "ghost", "");
        auto w = open();
        w->codeBox()->setText("4101");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->payMethods()->currentText(), QStringLiteral("BANK"));
        QCOMPARE(w->email()->text(), QStringLiteral("sean1@example.co.nz"));
        w->codeBox()->setText("4102");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->payMethods()->currentText(), QString());
        QCOMPARE(w->email()->text(), QString());
        QCOMPARE(w->name()->text(), QString());
        QVERIFY(w->paid()->isNull());
    }

    // Ticking the payment or dispatch date re-steps an unpaid or unshipped sale; untick restores.
    void datesResteps()
    {
        buyer("sean1");
        sale("4101", 2, "sean1", "");
        sale("4102", 11, "sean1", "BANK", vb::today() - 3);
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        w->paid()->setDate(QDate::currentDate());
        QCOMPARE(w->step(), 10);
        QVERIFY(!w->steps()->isEnabled());
        QCOMPARE(w->nextAction()->date(), QDate::currentDate());
        w->paid()->clear();
        QCOMPARE(w->step(), 2);
        QVERIFY(w->steps()->isEnabled());
        QCOMPARE(w->nextAction()->date(), QDate::currentDate().addDays(2));
        // Choosing a method ticks the date.
        w->payMethods()->setCurrentText("CASH");
        w->cboPayId_Click();
        QCOMPARE(w->paid()->date(), QDate::currentDate());
        QCOMPARE(w->step(), 10);
        w->cmdCancel_Click();

        w->codeBox()->setText("4102");
        w->cmdEdit_Click();
        w->paid()->setDate(QDate::currentDate().addDays(-1));  // loaded paid: no re-step
        QCOMPARE(w->step(), 11);
        w->sent()->setDate(QDate::currentDate());
        QCOMPARE(w->step(), 12);  // the step after 11
        QCOMPARE(w->nextAction()->date(), QDate::currentDate().addDays(0));
        messages().answer(vbmsg::Yes, "The customer address on file is different to the delivery address.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Description FROM History WHERE AuctionId='4102'"), QStringList{"Item shipped"});
        QCOMPARE(scalar("SELECT Address FROM Customer").toString(), QStringLiteral("Old place"));
    }

    // Step 15 empties and disables the due date; another step brings today back.
    void completedStep()
    {
        sale("4101", 2, "", "");
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        w->setStep(15);
        w->cboActionId_Click();
        QVERIFY(w->nextAction()->isNull());
        QVERIFY(!w->nextAction()->isEnabled());
        w->setStep(2);
        w->cboActionId_Click();
        QCOMPARE(w->nextAction()->date(), QDate::currentDate());
        QVERIFY(w->nextAction()->isEnabled());
        w->setStep(15);
        w->cboActionId_Click();
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Description FROM History"), QStringList{"Completed"});
        w->cmdEdit_Click();
        w->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 1);
    }

    // The buyer box, the name from the address, the site's labels, the amounts.
    void changeHandlers()
    {
        buyer("Sean1");
        auto w = open();
        w->cmdAdd_Click();
        w->address()->setFocus();
        QTest::keyClicks(w->address(), "HEMI WALKER");
        QTest::keyClick(w->address(), Qt::Key_Return);
        QCOMPARE(w->name()->text(), QStringLiteral("Hemi Walker"));
        w->address()->setPlainText("ADDRESS : 12 Kauri St\nCITY : Auckland\nZIP :1010\nCOUNTRY : New Zealand");
        QCOMPARE(w->address()->toPlainText(), QStringLiteral("12 Kauri St\nAuckland1010\nNew Zealand"));
        // Leaving the buyer box with another case shows the buyer as stored, address and all.
        w->buyer()->setEditText("sean1");
        w->cboCustomerId_Click();
        QCOMPARE(w->buyer()->currentText(), QStringLiteral("Sean1"));
        QCOMPARE(w->email()->text(), QStringLiteral("Sean1@example.co.nz"));
        QCOMPARE(w->address()->toPlainText(), QStringLiteral("1 Main Road\nNelson"));
        QCOMPARE(w->name()->text(), QStringLiteral("Buyer Sean1"));
        // Amounts: tidied on leaving, summed in the total.
        w->amount(0)->setText("20");
        w->amount(1)->setText("12.5");
        w->amount(1)->tidy();
        QCOMPARE(w->amount(1)->text(), QStringLiteral("12.50"));
        QCOMPARE(w->amount(4)->text(), QStringLiteral("32.50"));
        // What holds no amount stays as typed (never shown as 0) and adds nothing.
        w->amount(1)->setText("abc");
        w->amount(1)->tidy();
        QCOMPARE(w->amount(1)->text(), QStringLiteral("abc"));
        QCOMPARE(w->amount(4)->text(), QStringLiteral("20.00"));
        // The item names an empty title.
        w->items()->setCurrentText("MISC");
        w->cboItemId_Click();
        QCOMPARE(w->title()->text(), QStringLiteral("Miscellaneous items"));
    }

    // A zero winning bid for a sold sale is asked about; Yes saves, No points at the amount.
    void zeroBid()
    {
        sale("4101", 2, "", "", QVariant(), 0);
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        messages().answer(vbmsg::No, "The winning bid amount is set to zero - is this correct?");
        messages().answer(vbmsg::OK, "Please set the winning bid amount.");
        w->cmdUpdate_Click();
        QCOMPARE(w->tabs()->currentIndex(), 2);
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        messages().answer(vbmsg::Yes, "The winning bid amount is set to zero - is this correct?");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
    }

    // An amount typed with a thousands separator is stored as typed; a text
    // that holds no amount is refused at Update, never stored as 0.
    void amountsAsTyped()
    {
        sale("4101", 2, "", "", QVariant(), 10);
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        w->amount(0)->setText("1,500");
        w->amount(1)->setText("abc");
        messages().answer(vbmsg::OK, "The shipping amount \"abc\" is not an amount.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->tabs()->currentIndex(), 2);
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(scalar("SELECT Winningbid FROM Auction WHERE AuctionId='4101'").toDouble(), 10.0);
        w->amount(1)->setText("12abc");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(table("SELECT Winningbid, Shipping FROM Auction WHERE AuctionId='4101'"), QStringList{"1500|12"});
    }

    // The seller's way: Data > Auctions, a sale entered by hand, then worked from the main list.
    void enteredByHandThenWorked()
    {
        RecordsForms::Register();
        ctx().gConfiguration.DefaultList = false;
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        bool saved = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* w = qobject_cast<frmAuction*>(QApplication::activeModalWidget());
            if (!w || saved || !w->isVisible()) return;
            saved = true;
            w->cmdAdd_Click();
            w->codeBox()->setText("5001");
            w->title()->setText("Totara spoon");
            w->items()->setCurrentText("MISC");
            w->setStep(4);
            w->nextAction()->setDate(QDate::currentDate());
            w->buyer()->setEditText("kiri");
            w->email()->setText("kiri@example.co.nz");
            w->amount(0)->setText("30");
            w->cmdUpdate_Click();
            w->close();
        });
        poll.start();
        QTimer::singleShot(20000, &poll, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        main->action("mnuDataAuction")->trigger();
        poll.stop();
        QVERIFY(saved);
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='5001'").toInt(), 4);
        QTRY_VERIFY(MainWindowDriver::listedIds(*main).contains("5001"));
        MainWindowDriver::clickRow(*main, "5001");
        main->action("mnuTaskDone")->trigger();
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='5001'").toInt(), 5);  // the next step of the chain
        main->close();
    }

    // The ">>" buttons open the item, buyer and payment-method editors at the codes shown.
    void formButtons()
    {
        buyer("sean1");
        sale("4101", 10, "sean1", "BANK", vb::today());
        QStringList opened;
        for (const char* form : {"frmItem", "frmCustomer", "frmPayMethod"})
            FormsRegistry::instance().overrideForm(form, [&opened, form](QWidget* parent) {
                auto* d = new QDialog(parent);
                QTimer::singleShot(0, d, [d, form, &opened] {
                    opened << QString::fromLatin1(form) + ":" + d->property("mRemoteId").toString();
                    d->accept();
                });
                return d;
            });
        auto w = open({{"mRemoteId", "4101"}, {"mRemoteEdit", true}});
        for (int i = 0; i < 3; ++i) w->cmdForm_Click(i);
        QCOMPARE(opened, (QStringList{"frmItem:MISC", "frmCustomer:sean1", "frmPayMethod:BANK"}));
    }

    // Delete asks, deletes for good and gives the twin the bare number.
    void deleteWithTwin()
    {
        sale("123A", 2, "", "");
        sale("123B", 2, "", "");
        auto w = open();
        w->codeBox()->setText("123A");
        messages().answer(vbmsg::No, "Are you sure you want to PERMANENTLY delete this record?");
        w->cmdDelete_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 2);
        messages().answer(vbmsg::Yes, "WARNING: This action cannot be un-done!");
        w->cmdDelete_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT AuctionId FROM Auction"), QStringList{"123"});
        QCOMPARE(mainWindow.listRebuilds, 1);
    }

    // Text the synchronisation stored longer than the boxes take is shown and
    // saved whole when the seller changes something else.
    void storedTextKeptWhole()
    {
        const QString title = QStringLiteral("Antique kauri chest of drawers, brass handles and two keys");
        const QString email = QStringLiteral("accounts.aroha-te-whare.nz1@wellington-harbour.co.nz");
        const QString tracking = QStringLiteral("NZPOST-OVERNIGHT-SIGNATURE-REQUIRED-AKL-0012345678-NZ");
        QCOMPARE(title.size(), 58);
        QCOMPARE(email.size(), 52);
        QVERIFY(tracking.size() > 50);
        QVERIFY(conn().Execute("INSERT INTO Customer (CustomerId, Name, Email, Address) VALUES ('aroha', 'Aroha Te Whare', ?, ?)",
                               {email, "Aroha Te Whare\r\n2 Quay Street\r\nWellington"}));
        QVERIFY(conn().Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, "
                               "DeliveryAddress, Winningbid, Shipping, PayId, datePaid, dateSent, TrackingNumber) VALUES ('4201', ?, 'MISC', 12, ?, ?, "
                               "'aroha', ?, 250, 30, 'BANK', ?, ?, ?)",
                               {title, vb::now() - 10, vb::today() + 2, "Aroha Te Whare\r\n2 Quay Street\r\nWellington", vb::today() - 3,
                                vb::today() - 1, tracking}));
        auto w = open({{"mRemoteId", "4201"}, {"mRemoteEdit", true}});
        QCOMPARE(w->title()->text(), title);
        QCOMPARE(w->email()->text(), email);
        QCOMPARE(w->tracking()->text(), tracking);
        w->tabs()->setCurrentIndex(4);
        w->notes()->setFocus();
        QTest::keyClicks(w->notes(), "Collected in person");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(table("SELECT Description, TrackingNumber, Notes FROM Auction"), QStringList{title + "|" + tracking + "|Collected in person"});
        QCOMPARE(table("SELECT Email FROM Customer"), QStringList{email});
    }

    // The title's 50 characters limit typing; a save that would shorten a
    // longer stored title asks first, and No writes nothing.
    void titleLimitsTyping()
    {
        const QString title = QStringLiteral("Antique kauri chest of drawers, brass handles and two keys");
        QVERIFY(conn().Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction) "
                               "VALUES ('4202', ?, 'MISC', 1, ?, ?)",
                               {title, vb::now() - 10, vb::today() + 2}));
        auto w = open();
        w->cmdAdd_Click();
        w->title()->setFocus();
        QTest::keyClicks(w->title(), QString(60, u'x'));
        QCOMPARE(w->title()->text(), QString(50, u'x'));
        w->cmdCancel_Click();

        w->codeBox()->setText("4202");
        w->cmdEdit_Click();
        w->title()->setFocus();
        w->title()->end(false);
        QTest::keyClicks(w->title(), "!");  // no longer than it was
        QCOMPARE(w->title()->text(), title);
        QTest::keyClick(w->title(), Qt::Key_Backspace);
        messages().answer(vbmsg::No, "The Title was stored with 58 characters and would be saved with 57");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(scalar("SELECT Description FROM Auction").toString(), title);
        messages().answer(vbmsg::Yes, "Save the shorter Title?");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(scalar("SELECT Description FROM Auction").toString(), title.chopped(1));
    }

    // A new buyer's e-mail and name typed while adding a sale stay when the
    // code box is left again (its look-up fills them only for a buyer on
    // file), and the buyer is saved with them.
    void newBuyerTypedStays()
    {
        buyer("sean1");
        auto w = open();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->cmdAdd_Click();
        w->codeBox()->setFocus();
        QTest::keyClicks(w->codeBox(), "5101");
        w->title()->setFocus();
        w->title()->setText("Flax kete");
        w->items()->setCurrentText("MISC");
        w->tabs()->setCurrentIndex(1);
        w->email()->setFocus();
        QTest::keyClicks(w->email(), "mere@example.co.nz");
        w->name()->setFocus();
        QTest::keyClicks(w->name(), "Mere Kingi");
        w->codeBox()->setFocus();
        w->title()->setFocus();  // the code box is left: its look-up runs
        QCOMPARE(w->email()->text(), QStringLiteral("mere@example.co.nz"));
        QCOMPARE(w->name()->text(), QStringLiteral("Mere Kingi"));
        w->buyer()->setFocus();
        QTest::keyClicks(w->buyer()->lineEdit(), "mere_k");
        w->email()->setFocus();  // not on file: the boxes stay as typed
        w->codeBox()->setFocus();
        w->title()->setFocus();
        QCOMPARE(w->email()->text(), QStringLiteral("mere@example.co.nz"));
        QCOMPARE(w->name()->text(), QStringLiteral("Mere Kingi"));
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT CustomerId, Name, Email FROM Customer WHERE CustomerId='mere_k'"),
                 QStringList{"mere_k|Mere Kingi|mere@example.co.nz"});
        QCOMPARE(scalar("SELECT CustomerId FROM Auction WHERE AuctionId='5101'").toString(), QStringLiteral("mere_k"));

        // A buyer on file fills them, and a sale shown without a buyer shows none.
        w->cmdAdd_Click();
        w->tabs()->setCurrentIndex(1);
        w->buyer()->setFocus();
        QTest::keyClicks(w->buyer()->lineEdit(), "sean1");
        w->email()->setFocus();
        QCOMPARE(w->email()->text(), QStringLiteral("sean1@example.co.nz"));
        QCOMPARE(w->name()->text(), QStringLiteral("Buyer sean1"));
        w->cmdCancel_Click();
        sale("5102", 2, "", "");
        w->codeBox()->setText("5101");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->name()->text(), QStringLiteral("Mere Kingi"));
        w->codeBox()->setText("5102");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->email()->text(), QString());
        QCOMPARE(w->name()->text(), QString());
    }

    // A window closed for good with the caret in the buyer box: the box's
    // editing ends as the window goes, and no look-up runs on what is left of it
    // (the sanitized run reports one).
    void destroyedWithTheCaretInTheBuyerBox()
    {
        buyer("sean1");
        auto w = open();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->cmdAdd_Click();
        w->tabs()->setCurrentIndex(1);
        w->buyer()->setFocus();
        QTest::keyClicks(w->buyer()->lineEdit(), "sean1");
        QVERIFY(w->buyer()->hasFocus());
        w.reset();
        QVERIFY(messages().verifyDone());
    }
};

VENDARO_TEST_MAIN(tst_frmauction)
#include "tst_frmauction.moc"
