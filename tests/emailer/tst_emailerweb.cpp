// The outbox sender in the real browser (WebEngine, offscreen) against the
// stand-in mail-form service: exactly the fields arrive, and a refused, empty
// or missing reply walks the questions.

#include "StandInSite.h"
#include "TestEnvironment.h"
#include "emailer/OutboxSender.h"
#include "emailer/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Connection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <optional>

namespace {
constexpr int Patience = 90000;
const QString CrLf = QStringLiteral("\r\n");

// What the seller's e-mail may hold that a form could get wrong.
const QString awkwardBody = QStringLiteral("\r\nKia ora Se\u0101n,\r\n\r\nYour item: </textarea><input name=\"bcc\" value=\"x@example.com\">\r\n"
                                           "Fish & chips, O'Brien's \"best\" + 100%\r\n[EMAIL_TO]\r\n");
}  // namespace

class tst_emailerweb : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

    QString folder() const { return env->programFolder(); }
    QString outboxPath() const { return QDir(folder()).filePath(QStringLiteral("emailer.mdb")); }
    void queue(const QString& to, const QString& cc, const QString& subject, const QString& body)
    {
        Connection db;
        QVERIFY(db.Open(outboxPath()));
        QVERIFY(db.Execute(QStringLiteral("INSERT INTO outbox (\"From\", \"To\", CC, Subject, TextBody) VALUES (?, ?, ?, ?, ?)"),
                           {QStringLiteral("seller@example.co.nz"), to, cc, subject, body}));
    }
    int queued()
    {
        Connection db;
        return db.Open(outboxPath()) ? db.Scalar(QStringLiteral("SELECT COUNT(*) FROM outbox")).toInt() : -1;
    }
    int mailPosts() const
    {
        int n = 0;
        for (const auto& r : site.requests()) n += r.method == QLatin1String("POST") && r.path == QLatin1String("/mailform/send.aspx");
        return n;
    }
    // Runs the sender with its window, as the program does, until it ends;
    // watch, when given, sees the window while it works.
    void run(int replyTimeoutMs = Patience, const std::function<void(emailer::frmMain&)>& watch = {})
    {
        AppSettings::SaveSetting(QStringLiteral("Settings"), QStringLiteral("emailer"), QStringLiteral("Valid"));
        OutboxSender sender(folder());
        sender.setReplyTimeoutMs(replyTimeoutMs);
        QVERIFY(sender.Begin());
        emailer::frmMain window(sender);
        window.showInBackground();
        if (watch) connect(&sender, &OutboxSender::captionChanged, &window, [&] { watch(window); });
        sender.SendNextMessage();
        QTRY_VERIFY_WITH_TIMEOUT(sender.isFinished(), 3 * Patience);
        if (watch) watch(window);
        QVERIFY(!QFile::exists(sender.pagePath()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(site.start());
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
    }
    void init()
    {
        env.emplace();
        site.setMailFault(StandInSite::MailFault::None);
        site.clearMailMessages();
        site.clearRequests();
    }
    void cleanup() { env.reset(); }

    void serviceReceivesExactlyTheFields()
    {
        const QString subject = QStringLiteral("Your purchase: O'Brien's \"fish\" & <chips>");
        queue(QStringLiteral("buyer@example.com"), QStringLiteral("copy@example.com, seller@example.co.nz"), subject, awkwardBody);
        queue(QStringLiteral("second@example.com"), QString(), QStringLiteral("Second"), QStringLiteral("Line 1\r\nLine 2"));
        // A long e-mail (a seller's terms, a list of items) arrives whole.
        QString longBody;
        while (longBody.size() < 12 * 1024) longBody += awkwardBody;
        queue(QStringLiteral("third@example.com"), QString(), QStringLiteral("Long"), longBody);
        run();
        const QList<StandInSite::MailMessage> mail = site.mailMessages();
        QCOMPARE(mail.size(), 3);
        QCOMPARE(mail[0].from, QStringLiteral("seller@example.co.nz"));
        QCOMPARE(mail[0].to, QStringLiteral("buyer@example.com"));
        QCOMPARE(mail[0].cc, QStringLiteral("copy@example.com, seller@example.co.nz"));
        QCOMPARE(mail[0].subject, subject);
        QCOMPARE(mail[0].body, awkwardBody);
        QCOMPARE(mail[1].to, QStringLiteral("second@example.com"));
        QCOMPARE(mail[1].cc, QString());
        QCOMPARE(mail[1].body, QStringLiteral("Line 1\r\nLine 2"));
        QCOMPARE(mail[2].body.size(), longBody.size());
        QVERIFY(mail[2].body == longBody);
        QCOMPARE(queued(), 0);
    }

    // The sender works in the background: minimised from the start and after
    // every page its browser loads, never taking the focus, and the browser
    // wholly out of the window.
    void worksMinimisedWithoutTheFocus()
    {
        for (int i = 1; i <= 3; ++i) queue(QStringLiteral("buyer%1@example.com").arg(i), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        int looks = 0;
        QStringList faults;
        run(Patience, [&](emailer::frmMain& window) {
            ++looks;
            if (!window.testAttribute(Qt::WA_ShowWithoutActivating)) faults << "shown so that it takes the focus";
            if (!(window.windowState() & Qt::WindowMinimized)) faults << "not minimised";
            QWidget* view = window.web()->widget();
            if (view->geometry().intersects(window.rect())) faults << QStringLiteral("browser at x %1 to %2").arg(view->x()).arg(view->geometry().right());
            if (QWidget* focus = QApplication::focusWidget(); focus && (focus == view || view->isAncestorOf(focus)))
                faults << "the browser has the focus";
            if (looks == 1) window.grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("emailer.png"));
        });
        QCOMPARE(site.mailMessages().size(), 3);
        QVERIFY(looks >= 4);
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));
    }

    void refusedMessageWalksTheQuestions()
    {
        site.setMailFault(StandInSite::MailFault::Reject);
        queue(QStringLiteral("buyer@example.com"), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        env->messages()
            .answer(vbmsg::Yes, QStringLiteral("Your email was not sent: the mail service is not accepting email at the moment."))
            .answer(vbmsg::No, QStringLiteral("TO: buyer@example.com"))
            .answer(vbmsg::No, QStringLiteral("Do you want to remove this message from the outbox?"));
        run();
        QCOMPARE(mailPosts(), 2);
        QCOMPARE(queued(), 1);
        QVERIFY(site.mailMessages().isEmpty());

        // The next start sends it, once the service takes it.
        site.setMailFault(StandInSite::MailFault::None);
        run();
        QCOMPARE(site.mailMessages().size(), 1);
        QCOMPARE(queued(), 0);
    }

    void invalidAddressIsExplainedAndRemoved()
    {
        queue(QStringLiteral("not an address"), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        queue(QStringLiteral("buyer@example.com"), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        env->messages()
            .answer(vbmsg::No, QStringLiteral("the To address \"not an address\" is not a valid email address."))
            .answer(vbmsg::Yes, QStringLiteral("Do you want to remove this message from the outbox?"));
        run();
        QCOMPARE(site.mailMessages().size(), 1);
        QCOMPARE(site.mailMessages().at(0).to, QStringLiteral("buyer@example.com"));
        QCOMPARE(queued(), 0);
    }

    void missingReplyTimesOut_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("no reply") << int(StandInSite::MailFault::NoReply);
        QTest::newRow("empty reply") << int(StandInSite::MailFault::EmptyReply);
    }
    void missingReplyTimesOut()
    {
        QFETCH(int, fault);
        site.setMailFault(StandInSite::MailFault(fault));
        queue(QStringLiteral("buyer@example.com"), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        env->messages()
            .answer(vbmsg::No, QStringLiteral("No reply came from the mail service within 3 seconds."))
            .answer(vbmsg::No, QStringLiteral("Do you want to remove this message from the outbox?"));
        run(3000);
        site.setMailFault(StandInSite::MailFault::None);  // a held post lets go
        QCOMPARE(queued(), 1);
    }

    void serviceDownAsksToo()
    {
        // A port nobody listens on.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        qputenv("VENDARO_MAKER_URL", QStringLiteral("http://127.0.0.1:%1").arg(port).toUtf8());
        queue(QStringLiteral("buyer@example.com"), QString(), QStringLiteral("Hi"), QStringLiteral("Body"));
        env->messages().answer(vbmsg::No, QStringLiteral("Email not sent.")).answer(vbmsg::No);
        // The browser's error page ends the send, not the reply's time-out.
        run();
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
        QCOMPARE(queued(), 1);
    }
};

VENDARO_TEST_MAIN(tst_emailerweb)
#include "tst_emailerweb.moc"
