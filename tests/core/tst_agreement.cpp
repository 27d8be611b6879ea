#include "TestEnvironment.h"
#include "core/frmAgreement.h"
#include "platform/Vb.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>

#include <optional>

namespace {
const QString SetupTitle = QStringLiteral("Vendaro Setup");
const QString Notice = QStringLiteral("please check you are connected to the Internet.");
const QString CancelQuestion = QStringLiteral("Installation cancelled by user.");
}  // namespace

class tst_agreement : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::optional<frmAgreement> window;

    // The window as the first run shows it.
    frmAgreement& shown()
    {
        window.emplace();
        window->show();
        if (!QTest::qWaitForWindowExposed(&*window)) QTest::qFail("the agreement did not show", __FILE__, __LINE__);
        return *window;
    }
    void verifyNotice(int index)
    {
        const auto& p = env->messages().prompts().at(index);
        QCOMPARE(p.title, SetupTitle);
        QCOMPARE(p.style, int(vbmsg::OKCancel + vbmsg::Information));
        QCOMPARE(p.text, QStringLiteral("To complete installation, the software will connect to the vendaro website - please check you "
                                        "are connected to the Internet."));
    }
    void verifyCancelQuestion(int index)
    {
        const auto& p = env->messages().prompts().at(index);
        QCOMPARE(p.title, SetupTitle);
        QCOMPARE(p.style, int(vbmsg::YesNo + vbmsg::Question));
        QVERIFY2(p.text.startsWith("Installation cancelled by user.\r\n\r\n"), qPrintable(p.text));
        QVERIFY2(p.text.endsWith("\r\n\r\nAre you sure you want to cancel setup?"), qPrintable(p.text));
    }

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        window.reset();
        env.reset();
    }

    void showsTheAgreement()
    {
        frmAgreement& w = shown();
        QCOMPARE(w.windowTitle(), QStringLiteral("Vendaro - Auction Mangement Software"));
        QVERIFY(!w.txtAgreement->toPlainText().trimmed().isEmpty());
        QCOMPARE(w.txtAgreement->toPlainText(), frmAgreement::AgreementText());
        QVERIFY(w.txtAgreement->isReadOnly());
        QVERIFY(!w.chkAccept->isChecked());
        QVERIFY(!w.Agreed);
    }

    void nextFollowsTheAcceptBox()
    {
        frmAgreement& w = shown();
        QVERIFY(!w.cmdNext->isEnabled());
        QTest::mouseClick(w.cmdNext, Qt::LeftButton);  // a disabled button does nothing
        QVERIFY(w.isVisible());
        w.chkAccept->click();
        QVERIFY(w.cmdNext->isEnabled());
        w.chkAccept->click();
        QVERIFY(!w.cmdNext->isEnabled());
        w.chkAccept->click();
        QVERIFY(w.cmdNext->isEnabled());
        QVERIFY(w.isVisible());
        QVERIFY(!w.Agreed);
    }

    void next_data()
    {
        QTest::addColumn<int>("notice");    // answer to the connection notice
        QTest::addColumn<int>("question");  // answer to the cancel question, 0 = not asked
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("agreed");
        QTest::newRow("notice OK: agreed") << int(vbmsg::OK) << 0 << true << true;
        QTest::newRow("notice cancelled, setup goes on") << int(vbmsg::Cancel) << int(vbmsg::No) << false << false;
        QTest::newRow("notice cancelled, setup cancelled") << int(vbmsg::Cancel) << int(vbmsg::Yes) << true << false;
    }
    void next()
    {
        QFETCH(int, notice);
        QFETCH(int, question);
        QFETCH(bool, closed);
        QFETCH(bool, agreed);
        frmAgreement& w = shown();
        w.chkAccept->click();

        env->messages().answer(notice, Notice);
        if (question) env->messages().answer(question, CancelQuestion);
        QTest::mouseClick(w.cmdNext, Qt::LeftButton);
        QCOMPARE(w.isVisible(), !closed);
        QCOMPARE(w.Agreed, agreed);
        QCOMPARE(env->messages().prompts().size(), question ? 2 : 1);
        verifyNotice(0);
        if (question) verifyCancelQuestion(1);

        if (!closed) {
            // Left as it was: still accepted, and Next works again.
            QVERIFY(w.chkAccept->isChecked());
            QVERIFY(w.cmdNext->isEnabled());
            env->messages().answer(vbmsg::OK, Notice);
            QTest::mouseClick(w.cmdNext, Qt::LeftButton);
            QVERIFY(!w.isVisible());
            QVERIFY(w.Agreed);
        }
    }

    void closingWithoutAccepting_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("answer");
        for (const char* way : {"Cancel button", "close box", "Esc key"}) {
            QTest::addRow("%s, cancel setup", way) << QString::fromLatin1(way) << int(vbmsg::Yes);
            QTest::addRow("%s, go on", way) << QString::fromLatin1(way) << int(vbmsg::No);
        }
    }
    void closingWithoutAccepting()
    {
        QFETCH(QString, way);
        QFETCH(int, answer);
        frmAgreement& w = shown();

        env->messages().answer(answer, CancelQuestion);
        if (way == "Cancel button")
            QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
        else if (way == "close box")
            w.close();
        else
            QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(env->messages().prompts().size(), 1);
        verifyCancelQuestion(0);
        QCOMPARE(w.isVisible(), answer == vbmsg::No);
        QVERIFY(!w.Agreed);
    }

    void looksLikeAFinishedWindow()
    {
        frmAgreement& w = shown();
        w.chkAccept->click();
        QTest::qWait(50);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(w.grab().save(QDir(shots).filePath("agreement.png")));
        // The window asks before it goes when the test ends.
        env->messages().answer(vbmsg::Yes, CancelQuestion);
        w.cmdCancel->click();
        QVERIFY(!w.isVisible());
    }
};

VENDARO_TEST_MAIN(tst_agreement)
#include "tst_agreement.moc"
