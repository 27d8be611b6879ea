// The bulk e-mail window offscreen: which due e-mails it lists and how, the
// batch that queues them and moves each task on, and the failures that end it.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "email/EmailForms.h"
#include "email/clsEmails.h"
#include "email/frmEmailMultiple.h"
#include "mainwindow/frmMain.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QStandardItem>
#include <QTimer>

#include <memory>
#include <optional>

class tst_emailmultiple : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int stepOf(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }

    void sale(const QString& id, int step, double due, const QString& buyer = "kiri", bool highlight = false)
    {
        exec("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, Winningbid, Shipping, "
             "Highlight) VALUES (?, ?, 'MISC', ?, ?, ?, ?, 20, 5, ?)",
             {id, "Sale " + id, step, vb::now() - 9, due, buyer, highlight});
    }
    int outboxRows()
    {
        Connection c;
        if (!c.Open(clsEmails::OutboxPath())) return -1;
        return c.Scalar("SELECT count(*) FROM outbox").toInt();
    }
    std::unique_ptr<frmEmailMultiple> open()
    {
        auto w = std::make_unique<frmEmailMultiple>();
        w->show();
        return w;
    }
    QStringList listed(const frmEmailMultiple& w)
    {
        QStringList rows;
        for (int r = 0; r < w.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 5; ++c) cells << w.cell(r, c)->text();
            rows << cells.join(u'|');
        }
        return rows;
    }

private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("INSERT INTO Customer (CustomerId, Name, Email, EmailCC) VALUES ('kiri', 'Kiri Ngata', 'kiri@example.co.nz', 'cc@example.co.nz')");
        Configuration& c = ctx().gConfiguration;
        c.EmailFrom = c.TradeMeEmail = "shop@example.co.nz";
        c.EmailSignature = "Kauri Crafts";
        c.BankAccountName = "Kauri Crafts Ltd";
        c.BankAccountNumber = "12-3456";
        c.TradeMeUserId = "kauricrafts";
        c.EmailWrap = 0;
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
    }
    void cleanup() { env.reset(); }

    // Only due e-mail steps of sales with a buyer on file, by step; due later today counts.
    void whatIsListed()
    {
        const double today = vb::today();
        int n = 100;
        for (int step : {1, 2, 3, 4, 7, 10, 11, 12, 13, 14, 15, 16}) sale(QString::number(++n), step, today);
        sale("200", 5, today + 1);           // due tomorrow
        sale("201", 6, today + 0.75, "kiri", true);  // later today, highlighted
        sale("202", 2, today - 3, "ghost");  // buyer not on file
        auto w = open();
        const QString d = vb::formatDate(today, "d/mm/yyyy");
        QCOMPARE(listed(*w), (QStringList{"102|Sale 102|kiri@example.co.nz|" + d + "|Email winning bidder",
                                          "104|Sale 104|kiri@example.co.nz|" + d + "|Payment reminder email (1)",
                                          "201|Sale 201|kiri@example.co.nz|" + d + "|Payment reminder email (3)",
                                          "106|Sale 106|kiri@example.co.nz|" + d + "|Payment received email",
                                          "108|Sale 108|kiri@example.co.nz|" + d + "|Shipped confirmation email",
                                          "110|Sale 110|kiri@example.co.nz|" + d + "|Send thank you email"}));
        QCOMPARE(w->checkedCount(), 6);
        QStandardItem* highlighted = w->cell(2, 3);
        QVERIFY(highlighted->font().bold());
        QCOMPARE(highlighted->foreground().color(), QColor(Qt::red));
        QVERIFY(!w->cell(0, 3)->font().bold());
        QCOMPARE(BatchQueueWindow::tag(w->cell(0, 0)).toString(), QStringLiteral("kiri"));
        QCOMPARE(BatchQueueWindow::tag(w->cell(0, 1)).toString(), QStringLiteral("MISC"));
        QCOMPARE(BatchQueueWindow::tag(w->cell(0, 2)).toString(), QStringLiteral("cc@example.co.nz"));
        QCOMPARE(BatchQueueWindow::tag(w->cell(0, 4)).toInt(), 2);
    }

    void nothingToSend()
    {
        sale("101", 2, vb::today() + 2);
        messages().answer(vbmsg::OK, "Nothing to send on the current task list.");
        auto w = open();
        QTRY_VERIFY(!w->isVisible());
    }

    // Three checked rows around an unchecked one: three e-mails, three tasks moved on.
    void sendsTheCheckedRows()
    {
        for (const char* id : {"101", "102", "103", "104"}) sale(id, 2, vb::today());
        auto w = open();
        w->cell(1, 0)->setCheckState(Qt::Unchecked);
        messages().answer(vbmsg::Yes, "You are about to send 3 emails.\r\n\r\nAre you sure you want to continue?");
        messages().answer(vbmsg::OK, "3 emails were sent successfully.");
        w->startButton()->click();
        QVERIFY(messages().verifyDone());
        QVERIFY(!w->isVisible());
        QCOMPARE(outboxRows(), 3);
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103"), stepOf("104")}), (QList<int>{4, 2, 4, 4}));
        QCOMPARE(env->startedPrograms().size(), 3);
    }

    // A row that cannot be made or queued ends the batch with the count so far.
    void aFailingRowEndsTheBatch_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("sent");
        QTest::newRow("required value missing in the second")
            << "signature" << "is missing - set your 'Email Signature' under tools/options" << 1;
        QTest::newRow("outbox missing") << "outbox" << "An error occurred while attempting to send email." << 0;
    }
    void aFailingRowEndsTheBatch()
    {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        QFETCH(int, sent);
        sale("101", 2, vb::today());
        sale("102", 4, vb::today());
        sale("103", 5, vb::today());
        exec("UPDATE Email SET Subject='About your purchase', Message='Kia ora'");
        exec("UPDATE Email SET Message='Regards, [MYSIGNATURE]' WHERE ActionId=4");
        auto w = open();
        if (fault == "signature") ctx().gConfiguration.EmailSignature.clear();
        else QVERIFY(QFile::remove(clsEmails::OutboxPath()));
        messages().answer(vbmsg::Yes, "You are about to send 3 emails.");
        messages().answer(vbmsg::OK, said);
        messages().answer(vbmsg::OK, QString("%1 emails were sent successfully.").arg(sent));
        w->startButton()->click();
        QVERIFY(messages().verifyDone());
        QVERIFY(!w->isVisible());
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103")}), (QList<int>{sent ? 4 : 2, 4, 5}));
    }

    // The second row's task cannot be moved on (the disk fills as its History
    // row is written, or as the outbox takes its e-mail): its e-mail is not
    // queued, the seller is told, the batch ends, and the next "Send all
    // pending email" sends it once.
    void aTaskNotMovedQueuesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the step's History row")
            << "history" << QStringList{"An error occurred opening database.", "The email to the buyer of auction 102 was not sent"};
        QTest::newRow("the outbox row") << "outbox" << QStringList{"An error occurred while attempting to send email."};
    }
    void aTaskNotMovedQueuesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, said);
        sale("101", 2, vb::today());
        sale("102", 4, vb::today());
        sale("103", 5, vb::today());
        exec("UPDATE Email SET Subject='About your purchase', Message='Kia ora'");
        QString full;
        if (fault == "history") full = DatabaseFixture::fullDiskOn("INSERT", "History", "NEW.AuctionId = '102'");
        else
            QVERIFY(DatabaseFixture::execute(clsEmails::OutboxPath(),
                                             {"CREATE TRIGGER full BEFORE INSERT ON outbox WHEN (SELECT count(*) FROM outbox) = 1 "
                                              "BEGIN SELECT RAISE(ROLLBACK, 'disk full'); END"}));
        {
            auto w = open();
            messages().answer(vbmsg::Yes, "You are about to send 3 emails.");
            for (const QString& text : said) messages().answer(vbmsg::OK, text);
            messages().answer(vbmsg::OK, "1 emails were sent successfully.");
            w->startButton()->click();
            QVERIFY(messages().verifyDone());
            QVERIFY(!w->isVisible());
        }
        QCOMPARE(outboxRows(), 1);
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103")}), (QList<int>{4, 4, 5}));
        QCOMPARE(conn().Scalar("SELECT count(*) FROM History WHERE AuctionId <> '101'").toInt(), 0);
        QCOMPARE(env->startedPrograms().size(), 1);

        // Room again: the rows still due go, each once.
        if (fault == "history") QVERIFY(conn().Execute("DROP TRIGGER temp." + full));
        else QVERIFY(DatabaseFixture::execute(clsEmails::OutboxPath(), {"DROP TRIGGER full"}));
        auto again = open();
        QCOMPARE(again->rowCount(), 2);
        messages().answer(vbmsg::Yes, "You are about to send 2 emails.");
        messages().answer(vbmsg::OK, "2 emails were sent successfully.");
        again->startButton()->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(outboxRows(), 3);
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103")}), (QList<int>{4, 5, 6}));
    }

    // Queued and moved on, but the sender does not start: the row counts,
    // the seller is told once, and the batch stops there.
    void senderNotStartedEndsTheBatch()
    {
        sale("101", 2, vb::today());
        sale("102", 2, vb::today());
        env->setProgramStartSucceeds(false);
        auto w = open();
        messages().answer(vbmsg::Yes, "You are about to send 2 emails.");
        messages().answer(vbmsg::OK, "The email outbox program could not be started");
        messages().answer(vbmsg::OK, "1 emails were sent successfully.");
        w->startButton()->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(outboxRows(), 1);
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102")}), (QList<int>{4, 2}));
    }

    // Cancel while the first row is sent: asked at the second.
    void cancelAtTheNextRow_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("sent");
        QTest::newRow("yes") << int(vbmsg::Yes) << 1;
        QTest::newRow("no") << int(vbmsg::No) << 2;
    }
    void cancelAtTheNextRow()
    {
        QFETCH(int, answer);
        QFETCH(int, sent);
        sale("101", 2, vb::today());
        sale("102", 2, vb::today());
        auto w = open();
        // The seller's click lands while the first e-mail is queued.
        bool clicked = false;
        modStart::SetProgramStarter([&](const QString&, const QStringList&) {
            if (!clicked) w->cancelButton()->click();
            clicked = true;
            return true;
        });
        messages().answer(vbmsg::Yes, "You are about to send 2 emails.");
        messages().answer(answer, "Cancel sending email?");
        messages().answer(vbmsg::OK, QString("%1 emails were sent successfully.").arg(sent));
        w->startButton()->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(outboxRows(), sent);
    }

    // The seller's way: Task > Send all pending email, then Send.
    void fromTheMainWindow()
    {
        EmailForms::Register();
        ctx().gConfiguration.DefaultList = false;
        sale("101", 2, vb::today());
        sale("102", 12, vb::today() - 1);
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        bool shown = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* w = qobject_cast<frmEmailMultiple*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible() || shown) return;
            shown = true;
            poll.stop();
            w->startButton()->click();
        });
        poll.start();
        messages().answer(vbmsg::Yes, "You are about to send 2 emails.");
        messages().answer(vbmsg::OK, "2 emails were sent successfully.");
        main->action("mnuTaskEmailAll")->trigger();
        QVERIFY(shown);
        QVERIFY(messages().verifyDone());
        QCOMPARE(outboxRows(), 2);
        QCOMPARE(stepOf("101"), 4);
        QCOMPARE(stepOf("102"), 13);
        main->close();
    }
};

QTEST_MAIN(tst_emailmultiple)
#include "tst_emailmultiple.moc"
