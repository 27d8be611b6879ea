// A new seller's first run, as they do it: the database wizard makes a
// database, the setup wizard logs in to the stand-in site in the real
// browser and learns the member id, and the main window opens on the new
// database; the next start goes straight to the main window.

#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmWizardDatabase.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "email/clsEmails.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/db/Connection.h"
#include "platform/transfer/SiteCookieJar.h"
#include "settings/SettingsForms.h"
#include "settings/frmConfig.h"
#include "settings/frmWizardSetup.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <optional>

namespace {
constexpr int Patience = 90000;
const QString StartHint = QStringLiteral("To get started, click the UPDATE button");

template <typename W>
W* shownWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<W*>(top); w && w->isVisible()) return w;
    return nullptr;
}
}  // namespace

class tst_firstrun : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    QTemporaryDir documents;
    QStringList shownMessages;

    ProgramContext& ctx() { return ProgramContext::current(); }

private slots:
    void initTestCase()
    {
        site.addAccount({"kiwi_seller", "seller@example.co.nz", "demo-pass", "1234567"});
        QVERIFY(site.start());
        qputenv("VENDARO_SITE_URL", site.baseUrl().toUtf8());
        CoreForms::Register();
        clsEmails::Register();
        SettingsForms::Register();
        FormsRegistry::instance().registerForm("frmMain", [](QWidget* parent) { return new frmMain(parent); });
    }
    void cleanupTestCase() { site.stop(); }
    void init()
    {
        env.emplace();
        WebEngineBrowser::profile()->cookieStore()->deleteAllCookies();
        SiteCookieJar::instance()->clear();
        // The program's own message window, answered at once and recorded.
        shownMessages.clear();
        FormsRegistry::instance().overrideForm("frmMessageBox", [this](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [this, d] {
                shownMessages << d->property("Message").toString();
                d->accept();
            });
            return d;
        });
    }
    void cleanup()
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible()) top->close();
        QTest::qWait(50);
        env.reset();
    }

    void aNewSellersFirstRun()
    {
        // A clean settings folder: no database yet, so the database wizard.
        QVERIFY(modStart::NormalRun());
        QPointer<frmWizardDatabase> databaseWizard = shownWindow<frmWizardDatabase>();
        QVERIFY(databaseWizard);
        QTRY_COMPARE(databaseWizard->currentStep(), 1);
        QTest::mouseClick(databaseWizard->cmdNew, Qt::LeftButton);
        databaseWizard->txtDatabaseName->setText("Shop");
        databaseWizard->txtDatabaseDesc->setText("Kiwi gadgets");
        databaseWizard->txtDatabasePath->setText(documents.path());
        QTest::mouseClick(databaseWizard->cmdOK, Qt::LeftButton);
        const QString file = QDir(documents.path()).filePath("Shop.mdb");
        QVERIFY(QFile::exists(file));
        QTRY_VERIFY(!databaseWizard);

        // The setup wizard: the login test against the site.
        frmWizardSetup* setup = shownWindow<frmWizardSetup>();
        QVERIFY(setup);
        QTRY_COMPARE(setup->CurrentStep, 1);
        setup->txtTradeMeUserId->setText("kiwi_seller");
        setup->txtTradeMeEmail->setText("seller@example.co.nz");
        setup->txtTradeMePassword->setText("demo-pass");
        env->messages().answer(vbmsg::OK, "TradeMe log in successful!");
        // A login that never settles must not hang the test.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible() && top->objectName() == "frmBrowser") top->close();
        });
        watchdog.start(Patience);
        QTest::mouseClick(setup->cmdNext, Qt::LeftButton);
        watchdog.stop();
        QCOMPARE(setup->CurrentStep, 2);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("1234567"));
        QVERIFY(!QFile::exists(QDir(env->programFolder()).filePath("VNTMLI.sub")));

        // Keep the tasks as they are; relist unsold, offers for unsold only.
        QTest::mouseClick(setup->cmdNext, Qt::LeftButton);
        QTest::mouseClick(setup->cmdNo, Qt::LeftButton);
        QCOMPARE(setup->CurrentStep, 20);
        QTest::mouseClick(setup->cmdYes, Qt::LeftButton);
        QTest::mouseClick(setup->cmdYes, Qt::LeftButton);
        QTest::mouseClick(setup->cmdNo, Qt::LeftButton);
        QCOMPARE(setup->CurrentStep, 23);
        QTest::mouseClick(setup->cmdNext, Qt::LeftButton);
        QCOMPARE(setup->CurrentStep, 24);
        QTest::mouseClick(setup->cmdNext, Qt::LeftButton);

        // The main window, on the new database.
        frmMain* main = nullptr;
        QTRY_VERIFY((main = shownWindow<frmMain>()) != nullptr);
        QTRY_COMPARE(shownMessages.size(), 1);
        QVERIFY(shownMessages[0].startsWith(StartHint));
        QCOMPARE(main->windowTitle(), QStringLiteral("Kiwi gadgets - Vendaro"));
        QCOMPARE(ctx().gDatabaseFile, file);
        QTRY_VERIFY(!shownWindow<frmWizardSetup>());
        {
            Connection c;
            QVERIFY(c.Open(file));
            QCOMPARE(c.Scalar("SELECT TradeMeMemberId FROM Configuration").toString(), QStringLiteral("1234567"));
            QCOMPARE(c.Scalar("SELECT FPOsold FROM Configuration").toInt(), 0);
        }

        // Tools > Options opens the options window on these settings.
        bool optionsShown = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&optionsShown] {
            if (auto* options = shownWindow<frmConfig>()) {
                optionsShown = true;
                options->cmdCancel_Click();
            }
        });
        closer.start(50);
        main->action("mnuToolsOptions")->trigger();
        closer.stop();
        QVERIFY(optionsShown);
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
        main->close();
        modDatabase::CloseDatabase();

        // The next start: straight to the main window.
        QVERIFY(modStart::NormalRun());
        QTRY_VERIFY(shownWindow<frmMain>() != nullptr);
        QTRY_COMPARE(shownMessages.size(), 2);
        QVERIFY(!shownWindow<frmWizardSetup>());
        QVERIFY(!shownWindow<frmWizardDatabase>());
        QCOMPARE(ctx().gDatabaseFile, file);
    }
};

VENDARO_TEST_MAIN(tst_firstrun)
#include "tst_firstrun.moc"
