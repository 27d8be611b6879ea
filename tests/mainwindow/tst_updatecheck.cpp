#include "StandInSite.h"
#include "TestEnvironment.h"
#include "mainwindow/frmMain.h"

#include <QElapsedTimer>
#include <QTcpServer>

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
    // up: the check gives up at its time-out (3 s), or at once when the
    // version file passes its small cap.
    void aSiteThatFailsMeansNothingPending_data()
    {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<int>("withinMs");
        QTest::newRow("unreachable") << "http://127.0.0.1:9" << 1000;
        QTest::newRow("silent") << "silent" << 5000;
        QTest::newRow("endless version file") << "/_test/endless" << 1000;
        QTest::newRow("trickling version file") << "/_test/trickle" << 5000;
    }
    void aSiteThatFailsMeansNothingPending()
    {
        QFETCH(QString, maker);
        QFETCH(int, withinMs);
        QTcpServer silent;  // takes the connection, never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        if (maker == "silent") maker = QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort());
        else if (maker.startsWith(u'/')) maker = site.baseUrl() + maker;
        qputenv("VENDARO_MAKER_URL", maker.toUtf8());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!frmMain::CheckForSoftwareUpdate());
        QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
    }
};

VENDARO_TEST_MAIN(tst_updatecheck)
#include "tst_updatecheck.moc"
