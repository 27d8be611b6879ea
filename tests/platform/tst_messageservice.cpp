#include "TestEnvironment.h"
#include "platform/MessageDialog.h"
#include "platform/QtMessageService.h"

#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QMessageBox>
#include <QTimer>

#include <optional>

class tst_messageservice : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    void scriptedAnswersComeInOrderAndPromptsAreRecorded()
    {
        ScriptedMessages& m = env->messages();
        m.answer(vbmsg::Yes, "picked up").answerInput("42").answerFile("/tmp/x.mdb").answerColor(Qt::red);

        QCOMPARE(MsgBox("No delivery address set - was this item picked up?", vbmsg::YesNo + vbmsg::Question),
                 int(vbmsg::Yes));
        QString typed;
        QVERIFY(MessageService::instance().InputBox("How many?", "Count", "1", &typed));
        QCOMPARE(typed, QStringLiteral("42"));
        QCOMPARE(MessageService::instance().GetOpenFileName("Open", "/tmp", "Databases (*.mdb)"), QStringLiteral("/tmp/x.mdb"));
        QCOMPARE(MessageService::instance().ChooseColor(Qt::white, "Colour"), QColor(Qt::red));

        QCOMPARE(m.prompts().size(), 4);
        QCOMPARE(m.prompts()[0].title, QStringLiteral("Vendaro"));  // the program's title by default
        QCOMPARE(m.prompts()[0].style, vbmsg::YesNo + vbmsg::Question);
        QCOMPARE(m.prompts()[1].title, QStringLiteral("Count"));
        QCOMPARE(m.pending(), 0);
    }

    void cancelledInputLeavesTheAnswerAlone()
    {
        env->messages().cancelInput();
        QString typed = "unchanged";
        QVERIFY(!MessageService::instance().InputBox("Name?", "", "", &typed));
        QCOMPARE(typed, QStringLiteral("unchanged"));
    }

    void unexpectedPromptsFail_data()
    {
        QTest::addColumn<int>("scriptedKind");  // 0 none, 1 input box, 2 message with other text
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("returned");
        QTest::newRow("nothing scripted, OK only") << 0 << int(vbmsg::Information) << int(vbmsg::OK);
        QTest::newRow("nothing scripted, Yes/No") << 0 << int(vbmsg::YesNo) << int(vbmsg::No);
        QTest::newRow("nothing scripted, Yes/No/Cancel") << 0 << int(vbmsg::YesNoCancel) << int(vbmsg::Cancel);
        QTest::newRow("an input box was scripted") << 1 << int(vbmsg::OKCancel) << int(vbmsg::Cancel);
        QTest::newRow("another text was expected") << 2 << int(vbmsg::YesNo) << int(vbmsg::No);
    }
    void unexpectedPromptsFail()
    {
        QFETCH(int, scriptedKind);
        QFETCH(int, style);
        QFETCH(int, returned);
        ScriptedMessages& m = env->messages();
        QStringList failures;
        m.onFailure = [&](const QString& why) { failures << why; };
        if (scriptedKind == 1) m.answerInput("x");
        if (scriptedKind == 2) m.answer(vbmsg::Yes, "something else");

        QCOMPARE(MsgBox("Surprise", style), returned);
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures[0].contains("Surprise"));
        m.clear();
    }

    void leftoverAnswersFail()
    {
        ScriptedMessages& m = env->messages();
        QStringList failures;
        m.onFailure = [&](const QString& why) { failures << why; };
        m.answer(vbmsg::OK, "never shown");
        QVERIFY(!m.verifyDone());
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures[0].contains("never shown"));
        QVERIFY(m.verifyDone());  // the script is spent
    }

    // The real service: the buttons, the default button and the answer of each style.
    void qtMessageBoxButtons_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("buttonCount");
        QTest::addColumn<int>("defaultButton");  // QMessageBox::StandardButton
        QTest::addColumn<int>("click");          // QMessageBox::StandardButton, 0 = Esc
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("icon");
        QTest::newRow("OK") << int(vbmsg::Information) << 1 << int(QMessageBox::Ok) << int(QMessageBox::Ok)
                            << int(vbmsg::OK) << int(QMessageBox::Information);
        QTest::newRow("Yes/No, No default") << int(vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2) << 2
                                            << int(QMessageBox::No) << int(QMessageBox::Yes) << int(vbmsg::Yes)
                                            << int(QMessageBox::Question);
        QTest::newRow("Yes/No/Cancel, Esc") << int(vbmsg::YesNoCancel + vbmsg::Exclamation) << 3
                                            << int(QMessageBox::Yes) << 0 << int(vbmsg::Cancel)
                                            << int(QMessageBox::Warning);
        QTest::newRow("Yes/No/Cancel, third default") << int(vbmsg::YesNoCancel + vbmsg::DefaultButton3) << 3
                                                      << int(QMessageBox::Cancel) << int(QMessageBox::No)
                                                      << int(vbmsg::No) << int(QMessageBox::NoIcon);
        QTest::newRow("OK/Cancel") << int(vbmsg::OKCancel + vbmsg::Critical) << 2 << int(QMessageBox::Ok)
                                   << int(QMessageBox::Cancel) << int(vbmsg::Cancel) << int(QMessageBox::Critical);
    }
    void qtMessageBoxButtons()
    {
        QFETCH(int, style);
        QFETCH(int, buttonCount);
        QFETCH(int, defaultButton);
        QFETCH(int, click);
        QFETCH(int, result);
        QFETCH(int, icon);

        int seenButtons = -1, seenDefault = -1, seenIcon = -1;
        QString seenTitle;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seenButtons = int(box->buttons().size());
            seenDefault = int(box->defaultButton());
            seenIcon = int(box->icon());
            seenTitle = box->windowTitle();
            if (click == 0) QTest::keyClick(box, Qt::Key_Escape);
            else box->button(QDialogButtonBox::StandardButton(click))->click();
        });
        QtMessageService real;
        QCOMPARE(real.MsgBox("Text", style, ""), result);
        QCOMPARE(seenButtons, buttonCount);
        QCOMPARE(seenDefault, defaultButton);
        QCOMPARE(seenIcon, icon);
        QCOMPARE(seenTitle, QStringLiteral("Vendaro"));
    }

    // A message longer than the screen (a whole e-mail quoted in a question)
    // keeps the box within the screen: the text scrolls, the buttons stay in
    // reach and answer, and no character is lost.
    void longMessagesFitTheScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<QString>("screenshot");
        QString email;
        for (int i = 0; email.size() < 100 * 1024; ++i)
            email += QStringLiteral("Line %1 of the message: Kia ora, your parcel left today by courier.\r\n").arg(i);
        QString lines;
        for (int i = 1; i <= 120; ++i) lines += QStringLiteral("Listing %1 could not be read.\n").arg(i);
        QTest::newRow("a 100 KB e-mail") << QStringLiteral("Email not sent. Error message received:\r\n\r\n") + email + QStringLiteral("\r\n\r\nTry again?") << true
                                         << "message-long-email.png";
        QTest::newRow("120 lines") << lines << true << "";
        QTest::newRow("one long unbroken line") << QString(20000, u'x') << true << "";
        QTest::newRow("a short question") << QStringLiteral("Do you want to update now?") << false << "message-short.png";
    }
    void longMessagesFitTheScreen()
    {
        QFETCH(QString, text);
        QFETCH(bool, scrolls);
        QFETCH(QString, screenshot);
        QRect frame, area, yes, no, inside;
        bool scrolled = false;
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            frame = box->frameGeometry();
            area = box->screen()->availableGeometry();
            inside = box->rect();
            yes = QRect(box->button(QDialogButtonBox::Yes)->mapTo(box, QPoint(0, 0)), box->button(QDialogButtonBox::Yes)->size());
            no = QRect(box->button(QDialogButtonBox::No)->mapTo(box, QPoint(0, 0)), box->button(QDialogButtonBox::No)->size());
            scrolled = box->textScrolls();
            shown = box->text();
            if (!screenshot.isEmpty()) box->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath(screenshot));
            QTest::mouseClick(box->button(QDialogButtonBox::No), Qt::LeftButton);
        });
        QtMessageService real;
        QCOMPARE(real.MsgBox(text, vbmsg::YesNo + vbmsg::Critical, "Vendaro email outbox"), int(vbmsg::No));
        QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("box %1x%2 at %3,%4 on a screen of %5x%6")
                                                      .arg(frame.width()).arg(frame.height()).arg(frame.x()).arg(frame.y())
                                                      .arg(area.width()).arg(area.height())));
        QVERIFY(inside.contains(yes));
        QVERIFY(inside.contains(no));
        QCOMPARE(scrolled, scrolls);
        QCOMPARE(shown, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // Enter answers with the default button; Esc with the cancelling one.
    void keysAnswerALongQuestion()
    {
        QString lines;
        for (int i = 1; i <= 300; ++i) lines += QStringLiteral("Line %1\n").arg(i);
        for (const auto& [key, expected] : {std::pair{Qt::Key_Return, int(vbmsg::Yes)}, std::pair{Qt::Key_Escape, int(vbmsg::No)}}) {
            QTimer::singleShot(0, this, [key = key] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(box);
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
            });
            QtMessageService real;
            QCOMPARE(real.MsgBox(lines + "Try again?", vbmsg::YesNo + vbmsg::Critical, ""), expected);
        }
    }
};

VENDARO_TEST_MAIN(tst_messageservice)
#include "tst_messageservice.moc"
