#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/MessageService.h"

#include <QAction>
#include <QTcpServer>

#include <memory>
#include <optional>

// The maker's site tells which version every seller must have.
class tst_updatecheck : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;

private slots:
    void initTestCase() { QVERIFY(site.start()); }
    void cleanupTestCase() { site.stop(); }
    void init() { env.emplace(); }
    void cleanup()
    {
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
        env.reset();
    }

    void pendingWhenTheSiteWantsANewerVersion_data()
    {
        QTest::addColumn<QString>("required");
        QTest::addColumn<bool>("pending");
        QTest::newRow("the same version") << "2.1004" << false;
        QTest::newRow("an older one") << "2.1" << false;
        QTest::newRow("a newer one") << "2.1005" << true;
        QTest::newRow("not a number") << "soon" << false;
    }
    void pendingWhenTheSiteWantsANewerVersion()
    {
        QFETCH(QString, required);
        QFETCH(bool, pending);
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
        site.setRequiredVersion(required);
        QCOMPARE(frmMain::CheckForSoftwareUpdate(), pending);
    }

    // A maker's site that cannot be asked, or answers wrongly, holds nothing
    // up: the check gives up at its time-out when the site keeps quiet or
    // never finishes, at once when the version file passes its small cap, and
    // says why; nothing is pending.
    void aSiteThatFailsMeansNothingPending_data()
    {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unreachable") << "http://127.0.0.1:9" << "refused";
        QTest::newRow("silent") << "silent" << "The download timed out.";
        QTest::newRow("endless version file") << "/_test/endless" << "The site sent more than 64 KB; the download was stopped.";
        QTest::newRow("trickling version file") << "/_test/trickle" << "The download timed out.";
    }
    void aSiteThatFailsMeansNothingPending()
    {
        QFETCH(QString, maker);
        QFETCH(QString, reason);
        QTcpServer silent;  // takes the connection, never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        if (maker == "silent") maker = QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort());
        else if (maker.startsWith(u'/')) maker = site.baseUrl() + maker;
        qputenv("VENDARO_MAKER_URL", maker.toUtf8());
        const frmMain::SoftwareUpdateCheck check = frmMain::CheckSoftwareVersion();
        QVERIFY(!check.made);
        QVERIFY(!check.pending);
        QVERIFY2(check.failure.contains(reason, Qt::CaseInsensitive), qPrintable(check.failure));
    }

    // Help > Check for software update says what the check found, and a check
    // that could not be made says so, and why: never "up to date".
    void helpCheckSaysWhatItFound_data()
    {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("required");  // the version the site names
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("style");
        const QString notChecked = "Vendaro could not check for a software update.";
        QTest::newRow("up to date") << "site" << "2.1004" << "Vendaro is up to date." << "" << int(vbmsg::Information);
        QTest::newRow("a server that never answers") << "silent" << "" << notChecked << "timed out" << int(vbmsg::Exclamation);
        QTest::newRow("404") << "/nothing-here" << "" << notChecked << "404" << int(vbmsg::Exclamation);
        QTest::newRow("a refused port") << "refused" << "" << notChecked << "refused" << int(vbmsg::Exclamation);
        QTest::newRow("no version number") << "site" << "soon" << notChecked << "gave no version number" << int(vbmsg::Exclamation);
    }
    void helpCheckSaysWhatItFound()
    {
        QFETCH(QString, maker);
        QFETCH(QString, required);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        QFETCH(int, style);
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        std::unique_ptr<frmMain> window(MainWindowDriver::open(env->messages()));
        QVERIFY(window);

        QTcpServer silent;  // takes the connection, never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QTcpServer closed;  // a port nothing listens on
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 refusedPort = closed.serverPort();
        closed.close();
        if (maker == "site") maker = site.baseUrl();
        else if (maker == "silent") maker = QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort());
        else if (maker == "refused") maker = QStringLiteral("http://127.0.0.1:%1").arg(refusedPort);
        else maker = site.baseUrl() + maker;
        qputenv("VENDARO_MAKER_URL", maker.toUtf8());
        if (!required.isEmpty()) site.setRequiredVersion(required);

        env->messages().answer(vbmsg::OK, message);
        window->action("mnuHelpUpdate")->trigger();
        QVERIFY(env->messages().verifyDone());
        const ScriptedMessages::Prompt said = env->messages().prompts().last();
        QVERIFY2(said.text.contains(reason, Qt::CaseInsensitive), qPrintable(said.text));
        if (message != "Vendaro is up to date.") QVERIFY2(!said.text.contains("up to date"), qPrintable(said.text));
        QCOMPARE(said.style, style);
        QVERIFY(env->startedPrograms().isEmpty());
        QVERIFY(window->isVisible());
    }
};

VENDARO_TEST_MAIN(tst_updatecheck)
#include "tst_updatecheck.moc"
