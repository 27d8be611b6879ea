// The outbox sender's run with a scripted browser: the start checks, the
// filled page, success, the questions, the time-out and the page file.

#include "TestEnvironment.h"
#include "emailer/MailFormPage.h"
#include "emailer/OutboxSender.h"
#include "emailer/OutboxStore.h"
#include "emailer/SingleInstance.h"
#include "platform/AppSettings.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"
#include "ReadLock.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QUrl>

#include <optional>
#include <thread>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString mailService = QStringLiteral("http://127.0.0.1:9/mailform/send.aspx");
}  // namespace

class tst_emailer : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::optional<FakeBrowser> browser;
    QStringList replies;  // the service's answers, one a post; the last repeats
    QStringList captions;
    QFileDevice::Permissions pagePermissions;  // of the page as the browser loaded it

    QString folder() const { return env->programFolder(); }
    QString outboxPath() const { return QDir(folder()).filePath(QStringLiteral("emailer.mdb")); }
    QString pagePath() const { return QDir(folder()).filePath(QStringLiteral("emailer.sub")); }

    qint64 queue(const QString& to, const QVariant& cc = QString(), const QString& body = QStringLiteral("Hello"))
    {
        Connection db;
        if (!db.Open(outboxPath())) return -1;
        db.Execute(QStringLiteral("INSERT INTO outbox (\"From\", \"To\", CC, Subject, TextBody) VALUES (?, ?, ?, ?, ?)"),
                   {QStringLiteral("seller@example.co.nz"), to, cc, QStringLiteral("Your purchase"), body});
        return db.Scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
    }
    QList<qint64> queued()
    {
        Connection db;
        db.Open(outboxPath());
        QList<qint64> ids;
        for (qint64 id = 1; id <= 20; ++id)
            if (db.Scalar(QStringLiteral("SELECT COUNT(*) FROM outbox WHERE AutoId=?"), {id}).toInt()) ids << id;
        return ids;
    }
    static void handOver() { AppSettings::SaveSetting(QStringLiteral("Settings"), QStringLiteral("emailer"), QStringLiteral("Valid")); }
    static QString handOverValue() { return AppSettings::GetSetting(QStringLiteral("Settings"), QStringLiteral("emailer")); }

    // A sender on the scripted browser, started; false when it ended at once.
    bool start(OutboxSender& sender)
    {
        sender.setLockWaitMs(200);
        connect(&sender, &OutboxSender::captionChanged, this, [this](const QString& c) { captions << c; });
        if (!sender.Begin()) return false;
        sender.setBrowser(&*browser);
        sender.SendNextMessage();
        return true;
    }
    int posts() const { return int(browser->localContents().size()); }

private slots:
    void init()
    {
        env.emplace();
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
        replies = {QStringLiteral("[success] Your email has been sent.")};
        captions.clear();
        browser.emplace();
        // The filled page shows its text and posts itself; the service answers from the script.
        browser->setHandler([this](const QString& address, const QString&) {
            FakeBrowser::Page page;
            if (WebBrowser::isLocalSubmitPage(address)) {
                pagePermissions = QFile::permissions(WebBrowser::localPath(address));
                page.text = QStringLiteral("Sending email...");
                page.then = mailService;
                return page;
            }
            page.text = replies.size() > 1 ? replies.takeFirst() : replies.value(0);
            return page;
        });
    }
    void cleanup()
    {
        browser.reset();
        env.reset();
    }

    void fillEscapesEveryValueOnce_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("inPage");
        QTest::newRow("plain") << QStringLiteral("abc") << QStringLiteral("abc");
        QTest::newRow("markup") << QStringLiteral("x\"><input name=\"bcc\" value=\"a@b.c")
                                << QStringLiteral("x&quot;&gt;&lt;input name=&quot;bcc&quot; value=&quot;a@b.c");
        QTest::newRow("text area end") << QStringLiteral("</textarea><input name=bcc>") << QStringLiteral("&lt;/textarea&gt;&lt;input name=bcc&gt;");
        QTest::newRow("ampersand") << QStringLiteral("Tom & Jerry's &amp;") << QStringLiteral("Tom &amp; Jerry's &amp;amp;");
        QTest::newRow("another code") << QStringLiteral("[EMAIL_TO]") << QStringLiteral("[EMAIL_TO]");
        QTest::newRow("its own code") << QStringLiteral("[EMAIL_TEXTBODY]") << QStringLiteral("[EMAIL_TEXTBODY]");
    }
    void fillEscapesEveryValueOnce()
    {
        QFETCH(QString, value);
        QFETCH(QString, inPage);
        const QString formTemplate = QStringLiteral("F=[EMAIL_FROM];T=[EMAIL_TO];C=[EMAIL_CC];S=[EMAIL_SUBJECT];B=[EMAIL_TEXTBODY];");
        for (int field = 0; field < 5; ++field) {
            OutboxMessage m{1, QStringLiteral("f"), QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("s"), QStringLiteral("b")};
            QString* fields[] = {&m.From, &m.To, &m.CC, &m.Subject, &m.TextBody};
            *fields[field] = value;
            QStringList expected = {QStringLiteral("f"), QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("s"), QStringLiteral("b")};
            expected[field] = inPage;
            QCOMPARE(MailFormPage::Fill(formTemplate, m),
                     QStringLiteral("F=%1;T=%2;C=%3;S=%4;B=%5;").arg(expected[0], expected[1], expected[2], expected[3], expected[4]));
        }
    }

    void shippedPagePostsToTheConfiguredService()
    {
        OutboxStore store;
        QVERIFY2(store.Open(outboxPath()), qPrintable(store.lastError()));
        QString html;
        QVERIFY2(store.FormTemplate(&html), qPrintable(store.lastError()));
        for (const char* code : {"[EMAIL_FROM]", "[EMAIL_TO]", "[EMAIL_CC]", "[EMAIL_SUBJECT]", "[EMAIL_TEXTBODY]"})
            QVERIFY2(html.contains(QLatin1String(code)), code);
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:4321/");
        const QString page = MailFormPage::Prepare(html);
        QVERIFY(page.contains(QStringLiteral("action=\"http://127.0.0.1:4321/mailform/send.aspx\"")));
        QVERIFY(!page.contains(QStringLiteral("vendaro.co.nz")));
        QVERIFY(page.contains(QStringLiteral("onload=\"document.forms[0].submit()\"")));
        // A value holding the maker's address is not moved: it goes in after the move.
        OutboxMessage m;
        m.TextBody = QStringLiteral("See https://www.vendaro.co.nz/help");
        QVERIFY(MailFormPage::Fill(page, m).contains(m.TextBody));
    }

    void withoutHandOverEndsAtOnceLeavingNoFile()
    {
        queue(QStringLiteral("buyer@example.com"));
        OutboxSender sender(folder());
        QSignalSpy finished(&sender, &OutboxSender::finished);
        QVERIFY(!start(sender));
        QVERIFY(sender.isFinished());
        QCOMPARE(finished.count(), 1);
        QVERIFY(!QFile::exists(pagePath()));
        QCOMPARE(posts(), 0);
        QCOMPARE(queued().size(), 1);
    }

    void anotherCopyRunningLeavesItsSettingAndPage()
    {
        queue(QStringLiteral("buyer@example.com"));
        handOver();
        SingleInstance running(QDir(folder()).filePath(QStringLiteral("Emailer.lock")));
        QVERIFY(running.Acquire(0));
        QFile page(pagePath());
        QVERIFY(page.open(QIODevice::WriteOnly) && page.write("the other copy's page") > 0);
        page.close();

        OutboxSender sender(folder());
        QVERIFY(!start(sender));
        QVERIFY(sender.isFinished());
        QCOMPARE(handOverValue(), QStringLiteral("Valid"));
        QVERIFY2(QFile::exists(pagePath()), "only the copy holding the lock deletes the page");
        QCOMPARE(posts(), 0);
    }

    void waitsForACopyThatIsEnding()
    {
        queue(QStringLiteral("buyer@example.com"));
        handOver();
        SingleInstance ending(QDir(folder()).filePath(QStringLiteral("Emailer.lock")));
        QVERIFY(ending.Acquire(0));
        std::thread letGo([&ending] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ending.Release();
        });
        OutboxSender sender(folder());
        sender.setLockWaitMs(5000);
        const bool begun = sender.Begin();
        letGo.join();
        QVERIFY2(begun, "the new copy takes over once the old one lets go");
        sender.setBrowser(&*browser);
        sender.SendNextMessage();
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(queued().size(), 0);
    }

    void emptyOutboxConsumesTheHandOver()
    {
        handOver();
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QVERIFY(sender.isFinished());
        QCOMPARE(handOverValue(), QString());
        QCOMPARE(posts(), 0);
        QVERIFY(!QFile::exists(pagePath()));
    }

    void sendsEveryRowCountingDown()
    {
        for (const char* to : {"a@example.com", "b@example.com", "c@example.com"}) queue(QString::fromLatin1(to));
        handOver();
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(captions, (QStringList{QStringLiteral("Vendaro email outbox - 3 emails remaining"),
                                         QStringLiteral("Vendaro email outbox - 2 emails remaining"),
                                         QStringLiteral("Vendaro email outbox - 1 emails remaining")}));
        QCOMPARE(posts(), 3);
        QVERIFY(browser->localContents().at(0).contains(QStringLiteral("value=\"a@example.com\"")));
        QVERIFY(browser->localContents().at(2).contains(QStringLiteral("value=\"c@example.com\"")));
        QCOMPARE(posts(), 3);
        QCOMPARE(queued().size(), 0);
        QVERIFY(!QFile::exists(pagePath()));
        QCOMPARE(handOverValue(), QString());
        // The page holds the buyer's address and message.
        QVERIFY(pagePermissions & QFileDevice::ReadOwner);
        QCOMPARE(pagePermissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    }

    void rowAddedWhileRunningIsSentToo()
    {
        queue(QStringLiteral("a@example.com"));
        handOver();
        bool added = false;
        connect(browser.operator->(), &WebBrowser::DocumentComplete, this, [&] {
            if (!added) queue(QStringLiteral("late@example.com"));
            added = true;
        });
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(posts(), 2);
        QCOMPARE(queued().size(), 0);
    }

    void nullCopyFieldGoesInEmpty()
    {
        queue(QStringLiteral("a@example.com"), QVariant());
        handOver();
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(posts(), 1);
        QVERIFY(browser->localContents().at(0).contains(QStringLiteral("name=\"cc\" value=\"\"")));
        QVERIFY(!browser->localContents().at(0).contains(QStringLiteral("[EMAIL_CC]")));
    }

    void successIsTheExactWord_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("sent");
        QTest::newRow("alone") << QStringLiteral("[success]") << true;
        QTest::newRow("anywhere") << QString(QStringLiteral("Thank you.") + CrLf + QStringLiteral("Result: [success] (id 7)")) << true;
        QTest::newRow("capitals") << QStringLiteral("[SUCCESS]") << false;
        QTest::newRow("without brackets") << QStringLiteral("success") << false;
    }
    void successIsTheExactWord()
    {
        QFETCH(QString, reply);
        QFETCH(bool, sent);
        replies = {reply};
        queue(QStringLiteral("a@example.com"));
        handOver();
        if (!sent) env->messages().answer(vbmsg::No, QString(QStringLiteral("Error message received:") + CrLf + CrLf + reply + CrLf)).answer(vbmsg::No);
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(queued().size(), sent ? 0 : 1);
    }

    void refusedMessageWalksTheQuestions_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("posts");
        QTest::addColumn<bool>("stillQueued");
        QTest::newRow("try again, then sent") << QList<int>{vbmsg::Yes} << 2 << false;
        QTest::newRow("no, remove") << QList<int>{vbmsg::No, vbmsg::Yes} << 1 << false;
        QTest::newRow("no, keep") << QList<int>{vbmsg::No, vbmsg::No} << 1 << true;
    }
    void refusedMessageWalksTheQuestions()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, posts);
        QFETCH(bool, stillQueued);
        replies = {QStringLiteral("Your email was not sent: the To address is missing."), QStringLiteral("[success]")};
        queue(QStringLiteral("buyer@example.com"), QStringLiteral("copy@example.com"), QString(QStringLiteral("Line 1") + CrLf + QStringLiteral("Line 2")));
        handOver();
        const QString question = QString(QStringLiteral("Email not sent. Error message received:") + CrLf + CrLf +
                                                "Your email was not sent: the To address is missing." + CrLf + CrLf +
                                                "FROM: seller@example.co.nz" + CrLf + QStringLiteral("TO: buyer@example.com") + CrLf +
                                                "CC: copy@example.com" + CrLf + QStringLiteral("SUBJECT: Your purchase") + CrLf +
                                                "MESSAGE: Line 1" + CrLf + QStringLiteral("Line 2") + CrLf + CrLf + QStringLiteral("Try again?"));
        env->messages().answer(answers[0], question);
        if (answers.size() > 1) env->messages().answer(answers[1], QStringLiteral("Do you want to remove this message from the outbox?"));
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QCOMPARE(env->messages().prompts().at(0).text, question);
        QCOMPARE(env->messages().prompts().at(0).style, vbmsg::Critical + vbmsg::YesNo);
        QCOMPARE(env->messages().prompts().at(0).title, QStringLiteral("Vendaro email outbox"));
        if (answers.size() > 1) QCOMPARE(env->messages().prompts().at(1).style, int(vbmsg::YesNo));
        QCOMPARE(this->posts(), posts);
        QCOMPARE(queued().size(), stillQueued ? 1 : 0);
        QVERIFY(!QFile::exists(pagePath()));
    }

    void keptMessageIsFirstAtTheNextStart()
    {
        const qint64 kept = queue(QStringLiteral("first@example.com"));
        queue(QStringLiteral("second@example.com"));
        replies = {QStringLiteral("Not now")};
        handOver();
        env->messages().answer(vbmsg::No, QStringLiteral("TO: first@example.com")).answer(vbmsg::No);
        {
            OutboxSender sender(folder());
            QVERIFY(start(sender));
            QTRY_VERIFY(sender.isFinished());
        }
        QCOMPARE(queued().size(), 2);
        replies = {QStringLiteral("[success]")};
        handOver();
        OutboxSender again(folder());
        QVERIFY(start(again));
        QTRY_VERIFY(!browser->localContents().isEmpty() && posts() == 2);
        QVERIFY(browser->localContents().at(1).contains(QStringLiteral("first@example.com")));
        QTRY_VERIFY(again.isFinished());
        QVERIFY(kept > 0);
        QCOMPARE(queued().size(), 0);
    }

    void replyThatNeverComesTimesOut_data()
    {
        QTest::addColumn<bool>("emptyPage");
        QTest::newRow("no reply") << false;
        QTest::newRow("empty reply") << true;
    }
    void replyThatNeverComesTimesOut()
    {
        QFETCH(bool, emptyPage);
        browser->setHandler([emptyPage](const QString& address, const QString&) {
            FakeBrowser::Page page;
            if (WebBrowser::isLocalSubmitPage(address)) {
                page.text = QStringLiteral("Sending email...");
                page.then = mailService;
            } else if (!emptyPage) {
                page.neverLoads = true;
            }
            return page;  // an empty reply reads as a page still loading
        });
        queue(QStringLiteral("a@example.com"));
        handOver();
        env->messages().answer(vbmsg::No, QStringLiteral("No reply came from the mail service within 1 seconds.")).answer(vbmsg::No);
        OutboxSender sender(folder());
        sender.setReplyTimeoutMs(300);
        QVERIFY(start(sender));
        QTRY_VERIFY(sender.isFinished());
        QVERIFY(env->messages().prompts().at(0).text.endsWith(QStringLiteral("Try again?")));
        QCOMPARE(queued().size(), 1);
    }

    void formPageReportedWithoutItsTextStillReadsTheReply()
    {
        // The real browser reports a page that went on before its text was read with no text.
        browser->setHandler([](const QString& address, const QString&) {
            FakeBrowser::Page page;
            if (WebBrowser::isLocalSubmitPage(address)) page.then = mailService;
            else page.text = QStringLiteral("[success]");
            return page;
        });
        queue(QStringLiteral("a@example.com"));
        handOver();
        OutboxSender sender(folder());
        sender.setReplyTimeoutMs(5000);
        QVERIFY(start(sender));
        QTRY_VERIFY_WITH_TIMEOUT(sender.isFinished(), 60000);
        QCOMPARE(queued().size(), 0);
    }

    void sentRowThatCannotBeRemovedIsNotSentAgain()
    {
        queue(QStringLiteral("a@example.com"));
        handOver();
        std::optional<ReadLock> reader;
        browser->setHandler([&](const QString& address, const QString&) {
            FakeBrowser::Page page;
            if (WebBrowser::isLocalSubmitPage(address)) {
                page.text = QStringLiteral("Sending email...");
                page.then = mailService;
            } else {
                reader.emplace(outboxPath());  // the main program reading the outbox just then
                page.text = QStringLiteral("[success]");
            }
            return page;
        });
        env->messages().answer(vbmsg::OK, QStringLiteral("was sent, but it could not be removed from the outbox"));
        OutboxSender sender(folder());
        QVERIFY(start(sender));
        QTRY_VERIFY_WITH_TIMEOUT(sender.isFinished(), 60000);
        QVERIFY(reader && reader->held());
        QCOMPARE(posts(), 1);
        reader.reset();
        QCOMPARE(queued().size(), 1);
    }

    void unreadableOutboxEndsWithAMessage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("no outbox") << QStringLiteral("remove");
        QTest::newRow("no page row") << QStringLiteral("DELETE FROM emailForm");
        QTest::newRow("null page") << QStringLiteral("UPDATE emailForm SET FormHTML = NULL");
        QTest::newRow("no page table") << QStringLiteral("DROP TABLE emailForm");
    }
    void unreadableOutboxEndsWithAMessage()
    {
        QFETCH(QString, damage);
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(outboxPath()));
        } else {
            Connection db;
            QVERIFY(db.Open(outboxPath()));
            QVERIFY(db.Execute(damage));
        }
        handOver();
        env->messages().answer(vbmsg::OK, QStringLiteral("The email outbox cannot be read"));
        OutboxSender sender(folder());
        QVERIFY(!start(sender));
        QVERIFY(sender.isFinished());
        QCOMPARE(posts(), 0);
        QVERIFY(!QFile::exists(QDir(folder()).filePath(QStringLiteral("Emailer.lock"))));
    }
};

VENDARO_TEST_MAIN(tst_emailer)
#include "tst_emailer.moc"
