// The built Emailer program, started the way the main program starts it:
// an e-mail queued with clsEmails::Send, or from the main window's task,
// reaches the stand-in mail-form service through the program's own browser;
// the program honours the hand-over, lets only one copy run, and cleans up
// when a signal ends it.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "email/EmailForms.h"
#include "email/clsEmails.h"
#include "email/frmEmailSingle.h"
#include "mainwindow/frmMain.h"
#include "platform/Vb.h"
#include "platform/AppSettings.h"
#include "platform/db/Connection.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QFile>
#include <QProcess>

#include <memory>
#include <csignal>
#include <optional>
#include <vector>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

class tst_emailerprogram : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    std::vector<std::unique_ptr<QProcess>> copies;  // the Emailer copies started, oldest first

    QString folder() const { return env->programFolder(); }
    QString path(const char* name) const { return QDir(folder()).filePath(QString::fromLatin1(name)); }
    int queued()
    {
        Connection db;
        return db.Open(path("emailer.mdb")) ? db.Scalar(QStringLiteral("SELECT COUNT(*) FROM outbox")).toInt() : -1;
    }
    static QString handOver() { return AppSettings::GetSetting(QStringLiteral("Settings"), QStringLiteral("emailer")); }
    // Waits for a started copy to end by itself; its exit code (-1: still running).
    static int finish(QProcess& copy, int ms = 90000)
    {
        if (!copy.waitForFinished(ms)) return -1;
        return copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -2;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(site.start());
        clsEmails::Register();
        EmailForms::Register();
    }
    void init()
    {
        env.emplace();
        site.setMailFault(StandInSite::MailFault::None);
        site.clearMailMessages();
        site.clearRequests();
        // The program folder holds the program, as an installed one does.
        QVERIFY(QFile::copy(QStringLiteral(VENDARO_EMAILER_PROGRAM), clsEmails::EmailerPath()));
        // Starts are real here, with this test's settings and the stand-in as the maker's site.
        modStart::SetProgramStarter([this](const QString& program, const QStringList& arguments) {
            auto copy = std::make_unique<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env->settingsFolder());
            environment.insert(QStringLiteral("VENDARO_MAKER_URL"), site.baseUrl());
            copy->setProcessEnvironment(environment);
            copy->setWorkingDirectory(folder());
            copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            copy->start(program, arguments);
            const bool started = copy->waitForStarted(60000);
            copies.push_back(std::move(copy));
            return started;
        });
    }
    void cleanup()
    {
        site.setMailFault(StandInSite::MailFault::None);
        for (auto& copy : copies) {
            if (copy->state() != QProcess::NotRunning && !copy->waitForFinished(90000)) {
                copy->kill();
                copy->waitForFinished(60000);
            }
        }
        copies.clear();
        env.reset();
    }

    void queuedEmailIsSentByTheProgram()
    {
        clsEmails emails;
        const QString body = QStringLiteral("Hi Se\u0101n,") + CrLf + CrLf + QStringLiteral("Your teapot </textarea> is on its way & O'Brien's too.") + CrLf;
        QVERIFY(emails.Send(QStringLiteral("seller@example.co.nz"), QStringLiteral("sean@example.com"), QStringLiteral("copy@example.com"),
                            QStringLiteral("Kiri's teapot & cup"), body));
        QCOMPARE(int(copies.size()), 1);
        QCOMPARE(finish(*copies[0]), 0);
        const QList<StandInSite::MailMessage> mail = site.mailMessages();
        QCOMPARE(mail.size(), 1);
        QCOMPARE(mail[0].from, QStringLiteral("seller@example.co.nz"));
        QCOMPARE(mail[0].to, QStringLiteral("sean@example.com"));
        QCOMPARE(mail[0].cc, QStringLiteral("copy@example.com"));
        QCOMPARE(mail[0].subject, QStringLiteral("Kiri's teapot & cup"));
        QCOMPARE(mail[0].body, body);
        QCOMPARE(queued(), 0);
        QVERIFY(!QFile::exists(path("emailer.sub")));
        QVERIFY(!QFile::exists(path("Emailer.lock")));
        QCOMPARE(handOver(), QString());
    }

    // The seller's way: Do Task on a sale due to e-mail its winner, Send in
    // the dialog; the program the main program starts posts exactly the
    // e-mail the template made, the buyer's own text included.
    void fromTheMainWindowTask()
    {
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(folder()), "shop.mdb", true, false));
        ProgramContext& ctx = ProgramContext::current();
        Configuration& c = ctx.gConfiguration;
        c.EmailFrom = c.TradeMeEmail = QStringLiteral("seller@example.co.nz");
        c.EmailSignature = QStringLiteral("Kauri & Co");
        c.BankAccountName = QStringLiteral("Kauri Ltd");
        c.BankAccountNumber = QStringLiteral("12-3456");
        c.TradeMeUserId = QStringLiteral("kauri");
        c.EmailWrap = 0;
        c.DefaultList = false;
        Connection& db = *ctx.gConnection;
        QVERIFY(db.Execute("INSERT INTO Customer (CustomerId, Name, Email) VALUES ('obrien', 'Sean O''Brien', 'sean@example.com')"));
        QVERIFY(db.Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, Winningbid, "
                           "Shipping, Notes) VALUES ('5150', 'Teapot </textarea> & cup', 'MISC', 2, ?, ?, 'obrien', 12.5, 4, ?)",
                           {vb::now() - 3, vb::today(), QStringLiteral("Wrap it well, it's fragile")}));
        QVERIFY(db.Execute("UPDATE Email SET Subject='Your [AUCTIONTITLE]', Message=? WHERE ActionId=2",
                           {QStringLiteral("Hi [BUYERNAME],") + CrLf + CrLf + QStringLiteral("[AUCTIONNOTES] - total $[TOTALVALUE]") + CrLf +
                            QStringLiteral("[MYSIGNATURE]")}));

        std::unique_ptr<frmMain> main(MainWindowDriver::open(env->messages()));
        QTRY_VERIFY(MainWindowDriver::listedIds(*main).contains("5150"));
        MainWindowDriver::clickRow(*main, "5150");
        bool sent = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<frmEmailSingle*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || sent) return;
            sent = true;
            poll.stop();
            d->sendButton()->click();
        });
        poll.start();
        main->action("mnuTaskDo")->trigger();
        QVERIFY(sent);
        QCOMPARE(int(copies.size()), 1);
        QCOMPARE(finish(*copies[0]), 0);
        const QList<StandInSite::MailMessage> mail = site.mailMessages();
        QCOMPARE(mail.size(), 1);
        QCOMPARE(mail[0].to, QStringLiteral("sean@example.com"));
        QCOMPARE(mail[0].subject, QStringLiteral("Your Teapot </textarea> & cup"));
        QCOMPARE(mail[0].body, QStringLiteral("Hi Sean,") + CrLf + CrLf + QStringLiteral("Wrap it well, it's fragile - total $16.50") + CrLf +
                                   QStringLiteral("Kauri & Co"));
        QCOMPARE(queued(), 0);
        QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId='5150'").toInt(), 4);
        main->close();
    }

    void withoutHandOverTheProgramEndsAtOnce()
    {
        Connection db;
        QVERIFY(db.Open(path("emailer.mdb")));
        QVERIFY(db.Execute(QStringLiteral("INSERT INTO outbox (\"From\", \"To\", CC, Subject, TextBody) VALUES ('s@example.com', 'b@example.com', '', 'Hi', 'Body')")));
        db.Close();
        QVERIFY(modStart::StartProgram(clsEmails::EmailerPath()));
        // It ends by itself, sending nothing and leaving the e-mail queued.
        QCOMPARE(finish(*copies[0]), 0);
        QCOMPARE(site.requests().size(), 0);
        QCOMPARE(queued(), 1);
        QVERIFY(!QFile::exists(path("emailer.sub")));
        QVERIFY(!QFile::exists(path("Emailer.lock")));
    }

    void secondCopyLeavesItsEmailToTheFirst()
    {
        // The first copy waits for the service's reply to its e-mail...
        site.setMailFault(StandInSite::MailFault::NoReply);
        clsEmails emails;
        QVERIFY(emails.Send(QStringLiteral("seller@example.co.nz"), QStringLiteral("first@example.com"), QString(), QStringLiteral("One"),
                            QStringLiteral("First")));
        // (it holds the lock before it writes its page)
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("emailer.sub")) || copies[0]->state() == QProcess::NotRunning, 60000);
        QCOMPARE(copies[0]->state(), QProcess::Running);
        // ... while a second e-mail starts a second copy, which gives way.
        QVERIFY(emails.Send(QStringLiteral("seller@example.co.nz"), QStringLiteral("second@example.com"), QString(), QStringLiteral("Two"),
                            QStringLiteral("Second")));
        QCOMPARE(finish(*copies[1]), 0);
        QCOMPARE(handOver(), QStringLiteral("Valid"));
        QVERIFY2(QFile::exists(path("emailer.sub")), "the running copy's page stays");
        QCOMPARE(copies[0]->state(), QProcess::Running);

        // The service answers: the first copy sends both.
        site.setMailFault(StandInSite::MailFault::None);
        QCOMPARE(finish(*copies[0]), 0);
        QCOMPARE(site.mailMessages().size(), 2);
        QCOMPARE(site.mailMessages().at(1).to, QStringLiteral("second@example.com"));
        QCOMPARE(queued(), 0);
        QVERIFY(!QFile::exists(path("emailer.sub")));
    }

    // Ended by log-out, shut-down or Ctrl+C while an e-mail is under way: the
    // program ends as it does by itself. The page holding the buyer's address
    // and message and the lock go; the e-mail stays queued for the next start.
    void endedBySignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void endedBySignal()
    {
        QFETCH(int, signalNumber);
        site.setMailFault(StandInSite::MailFault::NoReply);
        clsEmails emails;
        QVERIFY(emails.Send(QStringLiteral("seller@example.co.nz"), QStringLiteral("aroha@example.co.nz"), QString(), QStringLiteral("Your kete"),
                            QStringLiteral("Kia ora Aroha, your kete is on its way to 2 Quay Street.")));
        QCOMPARE(int(copies.size()), 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("emailer.sub")) || copies[0]->state() == QProcess::NotRunning, 60000);
        QCOMPARE(copies[0]->state(), QProcess::Running);
        QVERIFY(QFile::exists(path("Emailer.lock")));
        QCOMPARE(::kill(pid_t(copies[0]->processId()), signalNumber), 0);
        QCOMPARE(finish(*copies[0]), 0);
        QVERIFY(!QFile::exists(path("emailer.sub")));
        QVERIFY(!QFile::exists(path("Emailer.lock")));
        QCOMPARE(queued(), 1);
        QVERIFY(site.mailMessages().isEmpty());
    }
};

VENDARO_TEST_MAIN(tst_emailerprogram)
#include "tst_emailerprogram.moc"
