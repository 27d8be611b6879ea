#include "StandInSite.h"
#include "TestEnvironment.h"
#include "mainwindow/frmMain.h"

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

    void anUnreachableSiteMeansNothingPending()
    {
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
        QVERIFY(!frmMain::CheckForSoftwareUpdate());
    }
};

VENDARO_TEST_MAIN(tst_updatecheck)
#include "tst_updatecheck.moc"
