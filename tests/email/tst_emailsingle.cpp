// The single e-mail dialog offscreen: what it shows of a sale, its checks,
// sending with and without completing the task, the failures that keep it
// open, its remembered size, and the seller's way in from the main window.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "email/EmailForms.h"
#include "email/clsEmails.h"
#include "email/frmEmailSingle.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

class tst_emailsingle : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    std::unique_ptr<frmEmailSingle> open(const QString& id, int step, bool updateNextAction, const QString& emailId = QString())
    {
        auto d = std::make_unique<frmEmailSingle>();
        d->setProperty("mRemoteAuctionId", id);
        d->setProperty("mRemoteActionId", step);
        d->setProperty("mRemoteItemId", "MISC");
        d->setProperty("mRemoteEmailId", emailId);
        d->setProperty("mRemoteUpdateNextAction", updateNextAction);
        d->show();
        return d;
    }
    static bool sent(const frmEmailSingle& d) { return !d.isVisible() && d.result() == QDialog::Accepted; }

    QStringList outbox()
    {
        Connection c;
        if (!c.Open(clsEmails::OutboxPath())) return {c.lastError()};
        Recordset rs;
        if (!rs.Open("SELECT \"From\", \"To\", CC, Subject, TextBody FROM outbox ORDER BY AutoId", &c)) return {rs.lastError()};
        QStringList rows;
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList row;
            for (const char* f : {"From", "To", "CC", "Subject", "TextBody"}) row << rs.text(QLatin1String(f));
            rows << row.join(u'|');
        }
        return rows;
    }
    void sale(const QString& id, int step, const QString& item = "MISC")
    {
        exec("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, Winningbid, Shipping, "
             "DeliveryAddress) VALUES (?, 'Rimu bowl', ?, ?, ?, ?, 'kiri', 5, 2.5, ?)",
             {id, item, step, vb::now() - 5, vb::today() - 1, "Kiri Ngata" + CrLf + "2 Beach Rd"});
    }
    void onlyTemplate(int kind, const QString& subject, const QString& message)
    {
        exec("DELETE FROM Email WHERE ActionId=?", {kind});
        exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES ('T', 'MISC', ?, ?, ?)", {kind, subject, message});
    }

private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("INSERT INTO Customer (CustomerId, Name, Email, EmailCC) VALUES ('kiri', 'Kiri Ngata', 'kiri@example.co.nz', 'whanau@example.co.nz')");
        ctx().gConfiguration.EmailFrom = "shop@example.co.nz";
        ctx().gConfiguration.TradeMeEmail = "shop@example.co.nz";
        ctx().gConfiguration.EmailCC = "";
        ctx().gConfiguration.EmailWrap = 0;
        ctx().gConfiguration.EmailSignature = "Kauri Crafts";
        ctx().gConfiguration.BankAccountName = "Kauri Crafts Ltd";
        ctx().gConfiguration.BankAccountNumber = "12-3456-7890123-00";
        ctx().gConfiguration.TradeMeUserId = "kauricrafts";
        mainWindow = RecordingMainWindow();
        ctx().gMainWindow = &mainWindow;
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // The e-mail as made from the template, to the sale's buyer; a subject
    // whose codes bring line breaks stays one line.
    void opensReadyMade()
    {
        sale("900", 2);
        onlyTemplate(2, "Auction [AUCTIONNUMBER] to [DELIVERYADDRESS]", "Hi [BUYERNAME]," + CrLf + "Total [TOTALVALUE]");
        auto d = open("900", 2, true);
        QCOMPARE(d->windowTitle(), QStringLiteral("Send email"));
        QCOMPARE(d->from()->text(), QStringLiteral("shop@example.co.nz"));
        QCOMPARE(d->to()->text(), QStringLiteral("kiri@example.co.nz"));
        QCOMPARE(d->cc()->text(), QStringLiteral("whanau@example.co.nz"));
        QCOMPARE(d->subject()->text(), QStringLiteral("Auction 900 to Kiri Ngata 2 Beach Rd"));
        QCOMPARE(d->message()->toPlainText(), QStringLiteral("Hi Kiri,\nTotal 7.50"));
    }

    // The checks in their order; blanks count as filled, an empty CC is no question.
    void checks_data()
    {
        QTest::addColumn<QStringList>("boxes");  // from, to, subject, message
        QTest::addColumn<QStringList>("asked");  // "Yes:"/"No:" for questions, else an information
        QTest::addColumn<bool>("queued");
        const QString blankSubject = "The Subject is blank, do you still want to send the email?";
        const QString blankMessage = "The Message is blank, do you still want to send the email?";
        QTest::newRow("no To") << QStringList{"a@x", "", "S", "M"} << QStringList{"Please set the To email address"} << false;
        QTest::newRow("no From") << QStringList{"", "b@x", "S", "M"} << QStringList{"Please set the From email address"} << false;
        QTest::newRow("blank subject refused") << QStringList{"a@x", "b@x", "", "M"} << QStringList{"No:" + blankSubject} << false;
        QTest::newRow("both blank accepted")
            << QStringList{"a@x", "b@x", "", ""} << QStringList{"Yes:" + blankSubject, "Yes:" + blankMessage} << true;
        QTest::newRow("subject asked before From") << QStringList{"", "b@x", "", "M"}
                                                   << QStringList{"Yes:" + blankSubject, "Please set the From email address"} << false;
        QTest::newRow("blanks are text") << QStringList{" ", " ", " ", " "} << QStringList{} << true;
    }
    void checks()
    {
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, asked);
        QFETCH(bool, queued);
        sale("900", 2);
        auto d = open("900", 17, false);
        d->from()->setText(boxes[0]);
        d->to()->setText(boxes[1]);
        d->cc()->clear();
        d->subject()->setText(boxes[2]);
        d->message()->setPlainText(boxes[3]);
        for (const QString& a : asked) {
            if (a.startsWith("Yes:")) messages().answer(vbmsg::Yes, a.mid(4));
            else if (a.startsWith("No:")) messages().answer(vbmsg::No, a.mid(3));
            else messages().answer(vbmsg::OK, a);
        }
        d->cmdSend_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(sent(*d), queued);
        QCOMPARE(outbox().size(), queued ? 1 : 0);
    }

    // A missing template opens empty, and Send then asks both blank questions.
    void missingTemplate()
    {
        sale("900", 2);
        exec("DELETE FROM Email");
        auto d = open("900", 2, false);
        QCOMPARE(d->subject()->text(), QString());
        QCOMPARE(d->message()->toPlainText(), QString());
        messages().answer(vbmsg::No, "The Subject is blank");
        d->cmdSend_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(d->isVisible());
    }

    // Sent as it stands (CR LF lines), the task completed only when asked for.
    void sendCompletesTheTaskWhenAsked_data()
    {
        QTest::addColumn<bool>("update");
        QTest::newRow("from Do Task") << true;
        QTest::newRow("from an e-mail command") << false;
    }
    void sendCompletesTheTaskWhenAsked()
    {
        QFETCH(bool, update);
        sale("900", 2);
        auto d = open("900", 2, update);
        d->subject()->setText("You won");
        d->message()->setPlainText("Kia ora,\nthanks.");
        d->cmdSend_Click();
        QVERIFY(sent(*d));
        QCOMPARE(outbox(), QStringList{"shop@example.co.nz|kiri@example.co.nz|whanau@example.co.nz|You won|Kia ora,\r\nthanks."});
        QCOMPARE(env->startedPrograms(), QStringList{clsEmails::EmailerPath()});
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), update ? 4 : 2);
        QCOMPARE(scalar("SELECT count(*) FROM History WHERE Description='Notification e-mail sent to winning bidder'").toInt(),
                 update ? 1 : 0);
    }

    // Enter in the message starts a new line; Enter in a one-line box sends.
    void enterSends()
    {
        sale("900", 2);
        auto d = open("900", 2, false);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        d->message()->setPlainText("Kia ora,");
        d->message()->setFocus();
        d->message()->moveCursor(QTextCursor::End);
        QTest::keyClick(d->message(), Qt::Key_Return);
        QTest::keyClicks(d->message(), "thanks.");
        QVERIFY(d->isVisible());
        d->subject()->setFocus();
        d->subject()->setText("You won");
        QTest::keyClick(d->subject(), Qt::Key_Return);
        QVERIFY(sent(*d));
        QCOMPARE(outbox(), QStringList{"shop@example.co.nz|kiri@example.co.nz|whanau@example.co.nz|You won|Kia ora,\r\nthanks."});
    }

    // The outbox cannot take the e-mail: said, the text kept, the buttons back, the task as it was.
    void failedSendKeepsTheDialog()
    {
        sale("900", 2);
        auto d = open("900", 2, true);
        d->subject()->setText("You won");
        d->message()->setPlainText("Kia ora");
        QVERIFY(QFile::remove(clsEmails::OutboxPath()));
        messages().answer(vbmsg::OK, "An error occurred while attempting to send email.");
        d->cmdSend_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(d->isVisible());
        QVERIFY(d->sendButton()->isEnabled());
        QVERIFY(!d->findChild<QLabel*>("lblWaitMessage")->isVisible());
        QCOMPARE(d->message()->toPlainText(), QStringLiteral("Kia ora"));
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 2);
        d->cmdCancel_Click();
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
    }

    // The task cannot move on: the e-mail is not queued either, so the task
    // stays due with nothing sent and the next send is the only one. The
    // seller is told which sale, and the dialog keeps the text.
    void taskNotMovedSendsNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the sale's item is gone")
            << "item" << QStringList{"Auction 900 cannot be moved on", "The email to the buyer of auction 900 was not sent"};
        QTest::newRow("the disk fills as the step's History row is written")
            << "history" << QStringList{"An error occurred opening database.", "The email to the buyer of auction 900 was not sent"};
        QTest::newRow("the disk fills as the outbox takes the e-mail")
            << "outbox" << QStringList{"An error occurred while attempting to send email."};
        QTest::newRow("the outbox is busy at the commit") << "commit" << QStringList{"The email to the buyer of auction 900 was not sent"};
    }
    void taskNotMovedSendsNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, said);
        sale("900", 2, fault == "item" ? "GONE" : "MISC");
        if (fault == "history") QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "History").isEmpty());
        if (fault == "outbox")
            QVERIFY(DatabaseFixture::execute(clsEmails::OutboxPath(),
                                             {"CREATE TRIGGER full BEFORE INSERT ON outbox BEGIN SELECT RAISE(ROLLBACK, 'disk full'); END"}));
        std::optional<ReadLock> reader;
        if (fault == "commit") {
            ReadLock::shortenWait(conn());
            reader.emplace(clsEmails::OutboxPath());
            QVERIFY(reader->held());
        }
        auto d = open("900", 2, true);
        d->subject()->setText("You won");
        d->message()->setPlainText("Kia ora");
        for (const QString& text : said) messages().answer(vbmsg::OK, text);
        d->cmdSend_Click();
        QVERIFY(messages().verifyDone());
        if (fault != "item") QVERIFY2(messages().prompts().last().text.contains(fault == "commit" ? "locked" : "disk full"),
                                      qPrintable(messages().prompts().last().text));
        QVERIFY(d->isVisible());
        QVERIFY(d->sendButton()->isEnabled());
        QCOMPARE(d->message()->toPlainText(), QStringLiteral("Kia ora"));
        reader.reset();
        QCOMPARE(outbox(), QStringList());
        QCOMPARE(env->startedPrograms(), QStringList());
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 2);
        QCOMPARE(scalar("SELECT count(*) FROM History").toInt(), 0);
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
        QCOMPARE(conn().transactionDepth(), 0);
        QCOMPARE(scalar("SELECT count(*) FROM pragma_database_list WHERE name <> 'main' AND name <> 'temp'").toInt(), 0);
    }

    // Queued and moved on, but the sender does not start: both stay (the
    // e-mail goes with the sender's next start), the seller is told, and the
    // dialog closes so that it is not sent twice.
    void senderNotStartedKeepsBoth()
    {
        sale("900", 2);
        env->setProgramStartSucceeds(false);
        auto d = open("900", 2, true);
        d->subject()->setText("You won");
        d->message()->setPlainText("Kia ora");
        messages().answer(vbmsg::OK, "The email outbox program could not be started");
        d->cmdSend_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY2(messages().prompts().last().text.contains("task of auction 900 has been moved on"), qPrintable(messages().prompts().last().text));
        QVERIFY(sent(*d));
        QCOMPARE(outbox().size(), 1);
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 4);
    }

    // The size is kept between openings; smaller than the least is not taken.
    void rememberedSize()
    {
        sale("900", 2);
        {
            auto d = open("900", 17, false);
            d->resize(vb::twipsToPixels(9000), vb::twipsToPixels(8000));
            d->cmdCancel_Click();
        }
        QCOMPARE(AppSettings::GetSetting(frmEmailSingle::Section(), "Width").toInt(), vb::pixelsToTwips(vb::twipsToPixels(9000)));
        auto d = open("900", 17, false);
        QCOMPARE(d->width(), vb::twipsToPixels(9000));
        d->resize(10, 10);
        QCOMPARE(d->width(), vb::twipsToPixels(5000));
        QCOMPARE(d->height(), vb::twipsToPixels(5000));
    }

    // The custom templates follow in the e-mail button's menu through gEmails.
    void updateToolBarReachesTheMainWindow()
    {
        int rebuilt = 0;
        struct Main : RecordingMainWindow {
            int* count;
            void UpdateEmailToolBar() override { ++*count; }
        } main;
        main.count = &rebuilt;
        ctx().gMainWindow = &main;
        clsEmails::UpdateToolBar();
        QCOMPARE(rebuilt, 1);
        ctx().gMainWindow = nullptr;
        clsEmails::UpdateToolBar();  // no main window: nothing to do
    }

    // The seller's way: Do Task on a sale due to e-mail its winner opens the
    // dialog with the e-mail ready; Send queues it and moves the sale on.
    void doTaskFromTheMainWindow()
    {
        EmailForms::Register();
        ctx().gConfiguration.DefaultList = false;
        sale("900", 2);
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        ctx().gMainWindow = main.get();
        QTRY_VERIFY(MainWindowDriver::listedIds(*main).contains("900"));
        MainWindowDriver::clickRow(*main, "900");
        QString subject;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<frmEmailSingle*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible()) return;
            poll.stop();
            subject = d->subject()->text();
            d->sendButton()->click();
        });
        poll.start();
        QTimer::singleShot(20000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        main->action("mnuTaskDo")->trigger();
        QVERIFY(subject.startsWith("You won auction 900"));
        QCOMPARE(outbox().size(), 1);
        QCOMPARE(scalar("SELECT ActionId FROM Auction").toInt(), 4);
        ctx().gMainWindow = &mainWindow;
        main->close();
    }
};

QTEST_MAIN(tst_emailsingle)
#include "tst_emailsingle.moc"
