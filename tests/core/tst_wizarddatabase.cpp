#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/frmWizardDatabase.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

class tst_wizarddatabase : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QTemporaryDir place;
    ProgramContext& ctx() { return ProgramContext::current(); }

    std::unique_ptr<frmWizardDatabase> wizard(bool firstRun)
    {
        auto w = std::make_unique<frmWizardDatabase>();
        w->FirstRun = firstRun;
        w->show();
        w->Form_Activate();
        return w;
    }
    QVariant scalar(const QString& path, const QString& sql)
    {
        Connection c;
        if (!c.Open(path)) return "<cannot open>";
        return c.Scalar(sql);
    }
    QStringList openedForms() const
    {
        QStringList names;
        for (const auto& call : FormsRegistry::instance().stubCalls()) names << call.form;
        return names;
    }

private slots:
    void init()
    {
        env.emplace();
        ctx().CreateObjects();
        QVERIFY(place.isValid());
    }
    void cleanup() { env.reset(); }

    void firstPageDependsOnTheRun()
    {
        QCOMPARE(wizard(true)->currentStep(), 1);
        auto w = wizard(false);
        QCOMPARE(w->currentStep(), 2);
        QVERIFY(w->cmdOK->isVisibleTo(w.get()));
        QCOMPARE(w->txtDatabaseName->text(), QStringLiteral("MyDatabase"));
        QCOMPARE(w->txtDatabaseDesc->text(), QStringLiteral("My TradeMe Database"));
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString reserved = "Please choose a different database filename.  The name you have selected is reserved.";
        QTest::newRow("data") << "data" << "p" << reserved;
        QTest::newRow("DATA") << "DATA" << "p" << reserved;
        QTest::newRow("Emailer") << "Emailer" << "p" << reserved;
        QTest::newRow("eMaILer") << "eMaILer" << "p" << reserved;
        QTest::newRow("a point") << "my.shop" << "p" << "Invalid database filename.  You cannot have a . included in the database filename";
        QTest::newRow("no name") << "" << "p" << "Please enter your database filename.";
        QTest::newRow("only blanks") << "   " << "p" << "Please enter your database filename.";
        QTest::newRow("a folder in the name") << "shops/mine" << "p" << "Invalid database filename.  You cannot have a / included in the database filename";
        QTest::newRow("no place") << "shop" << "" << "Please enter the location you want your database saved to.";
        QTest::newRow("the last complaint is shown") << "" << "" << "Please enter your database filename.";
    }
    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, message);
        auto w = wizard(false);
        w->txtDatabaseName->setText(name);
        w->txtDatabasePath->setText(path.isEmpty() ? QString() : place.path());
        env->messages().answer(vbmsg::OK, message);
        w->cmdOK_Click();
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Information));
        QCOMPARE(env->messages().prompts()[0].title, QStringLiteral("Vendaro Database Setup"));
        QCOMPARE(QDir(place.path()).entryList(QDir::Files), QStringList());
        QVERIFY(openedForms().isEmpty());
    }

    void createsAndHandsOverToTheSetupWizard()
    {
        auto w = wizard(false);
        w->txtDatabaseName->setText("Shop");
        w->txtDatabaseDesc->clear();
        w->txtDatabasePath->setText(place.path());
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardSetup"));  // its stub says it is not built yet
        w->cmdOK_Click();
        const QString file = QDir(place.path()).filePath("Shop.mdb");
        QCOMPARE(ctx().gDatabaseFile, file);
        QCOMPARE(ctx().gDatabaseTitle, QStringLiteral("Shop.mdb"));
        QVERIFY(ctx().gConnection->IsOpen());
        QCOMPARE(scalar(file, "SELECT DatabaseDesc FROM Configuration").toString(), QStringLiteral("My TradeMe Database"));
        QCOMPARE(scalar(file, "SELECT DateSystemStart FROM Configuration").toDouble(), vb::today());
        QCOMPARE(ctx().gConfiguration.DateSystemStart, vb::today());
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileName"), file);
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileName1"), file);
        QCOMPARE(FormsRegistry::instance().stubCalls().value(0).vars.value("FirstRun").toBool(), true);
        QCOMPARE(openedForms(), QStringList{"frmWizardSetup"});
        QVERIFY(!w->isVisible());
    }

    void overwritingAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes: a fresh database") << int(vbmsg::Yes);
        QTest::newRow("no: left alone") << int(vbmsg::No);
    }
    void overwritingAsksFirst()
    {
        QFETCH(int, answer);
        const QString file = DatabaseFixture::create(place.path(), "Shop.mdb");
        QVERIFY(DatabaseFixture::execute(file, {"INSERT INTO Customer (CustomerId) VALUES ('old buyer')"}));
        auto w = wizard(false);
        w->txtDatabaseName->setText("Shop");
        w->txtDatabasePath->setText(place.path());
        env->messages().answer(answer, "A database with that name already exists.\r\n\r\nDo you want to overwrite the existing database?");
        if (answer == vbmsg::Yes) env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardSetup"));
        w->cmdOK_Click();
        QCOMPARE(env->messages().prompts()[0].style, vbmsg::YesNo + vbmsg::Question);
        modDatabase::CloseDatabase();
        QCOMPARE(scalar(file, "SELECT COUNT(*) FROM Customer").toInt(), answer == vbmsg::Yes ? 0 : 1);
    }

    void aCopyThatFailsSaysWhy()
    {
        auto w = wizard(false);
        w->txtDatabaseName->setText("Shop");
        w->txtDatabasePath->setText(QDir(place.path()).filePath("no/such/folder"));
        env->messages().answer(vbmsg::OK, "An error occurred trying to create your database?\r\nBe sure you have permission");
        w->cmdOK_Click();
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QVERIFY(env->messages().prompts()[0].text.contains("\r\nError returned: "));
        QVERIFY(openedForms().isEmpty());
    }

    void configurationThatCannotBeWrittenFails()
    {
        auto w = wizard(false);
        const QString file = DatabaseFixture::create(place.path(), "Shop.mdb");
        QVERIFY(modDatabase::OpenDatabase(file, "Shop.mdb", true, false));
        QVERIFY(ctx().gConnection->Execute("DELETE FROM Configuration"));
        env->messages().answer(vbmsg::OK, "The new database could not be set up.");
        QVERIFY(!w->InitialiseConfiguration());
    }

    void openingRoutesByMemberNumber_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("form");
        QTest::newRow("not set up: the setup wizard") << "0" << "frmWizardSetup";
        QTest::newRow("set up: the main window") << "1234567" << "frmMain";
    }
    void openingRoutesByMemberNumber()
    {
        QFETCH(QString, member);
        QFETCH(QString, form);
        const QString file = DatabaseFixture::create(place.path(), "Existing.mdb");
        QVERIFY(DatabaseFixture::execute(file, {"UPDATE Configuration SET TradeMeMemberId='" + member + "'"}));
        auto w = wizard(true);
        env->messages().answerFile(file).answer(vbmsg::OK, FormsRegistry::notAvailableText(form));
        w->cmdExists_Click();
        QCOMPARE(openedForms(), QStringList{form});
        QCOMPARE(ctx().gDatabaseTitle, QStringLiteral("Existing.mdb"));
        QVERIFY(!w->isVisible());
    }

    void openingRefusals_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("the template") << "DATA.mdb" << "You cannot open this database.";
        QTest::newRow("the outbox") << "Emailer.MDB" << "You cannot open this database.";
        QTest::newRow("missing") << "gone.mdb" << "Database gone.mdb was not found.";
        QTest::newRow("a link to the template") << "linked.mdb" << "You cannot open this database.";
    }
    void openingRefusals()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        if (file == "linked.mdb") {
            QFile::remove(QDir(place.path()).filePath(file));
            QVERIFY(QFile::link(QDir(env->programFolder()).filePath("data.mdb"), QDir(place.path()).filePath(file)));
        }
        auto w = wizard(true);
        env->messages().answerFile(QDir(place.path()).filePath(file)).answer(vbmsg::OK, message);
        w->cmdExists_Click();
        QVERIFY(openedForms().isEmpty());
        QVERIFY(w->isVisible());
    }

    void browseFillsNameAndPlace()
    {
        auto w = wizard(false);
        env->messages().answerFile("/home/seller/shops/Winter Sale.mdb");
        w->cmdBrowse_Click();
        QCOMPARE(w->txtDatabaseName->text(), QStringLiteral("Winter Sale"));
        QCOMPARE(w->txtDatabasePath->text(), QStringLiteral("/home/seller/shops"));
        env->messages().answerFile(QString());  // cancelled: nothing changes
        w->cmdBrowse_Click();
        QCOMPARE(w->txtDatabaseName->text(), QStringLiteral("Winter Sale"));
    }

    void exitAsksFirst()
    {
        auto w = wizard(true);
        env->messages().answer(vbmsg::No, "You cannot run Vendaro until a database is setup.\r\n\r\nCancel setup?");
        w->cmdExit_Click();
        QVERIFY(w->isVisible());
        env->messages().answer(vbmsg::Yes, "Cancel setup?");
        w->cmdExit_Click();
        QVERIFY(!w->isVisible());
        // A question with the information icon (Yes/No + 64).
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::YesNo + vbmsg::Information));
    }

    void typedNameAndPlaceAreTidied()
    {
        // Blanks around the name go; "~" in the location is the home folder.
        QTemporaryDir home(QDir::homePath() + "/wizard-XXXXXX");
        auto w = wizard(false);
        w->txtDatabaseName->setText("  Shop  ");
        w->txtDatabasePath->setText(" ~/" + QDir(QDir::homePath()).relativeFilePath(home.path()) + " ");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardSetup"));
        w->cmdOK_Click();
        QCOMPARE(ctx().gDatabaseFile, QDir(home.path()).filePath("Shop.mdb"));
        QVERIFY(QFile::exists(QDir(home.path()).filePath("Shop.mdb")));
        QCOMPARE(frmWizardDatabase::ExpandLocation("~"), QDir::homePath());
        QCOMPARE(frmWizardDatabase::ExpandLocation("/a/~b"), QStringLiteral("/a/~b"));
    }

    void enterPressesThePagesButton()
    {
        auto w = wizard(true);
        w->show();
        QVERIFY(w->cmdNew->isDefault());
        QTest::keyClick(w.get(), Qt::Key_Return);
        QCOMPARE(w->currentStep(), 2);
        QVERIFY(w->cmdOK->isDefault());
        QVERIFY(!w->cmdNew->isDefault());
        w->txtDatabaseName->setText("shop.x");
        w->txtDatabasePath->setText(place.path());
        env->messages().answer(vbmsg::OK, "You cannot have a . included");
        QTest::keyClick(w->txtDatabaseName, Qt::Key_Return);
        QCOMPARE(env->messages().prompts().size(), 1);
        w->close();
    }

    void looksLikeAFinishedWindow()
    {
        auto w = wizard(false);
        w->txtDatabasePath->setText("/home/seller/Documents");
        QTest::qWait(50);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(w->grab().save(QDir(shots).filePath("database-wizard.png")));
    }

    // When the new copy cannot be made, the database already there stays.
    void aFailedCopyKeepsTheOldDatabase()
    {
        const QString file = DatabaseFixture::create(place.path(), "Shop.mdb");
        QVERIFY(DatabaseFixture::execute(file, {"INSERT INTO Customer (CustomerId) VALUES ('old buyer')"}));
        QVERIFY(QFile::remove(QDir(env->programFolder()).filePath("data.mdb")));
        auto w = wizard(false);
        w->txtDatabaseName->setText("Shop");
        w->txtDatabasePath->setText(place.path());
        env->messages()
            .answer(vbmsg::Yes, "Do you want to overwrite the existing database?")
            .answer(vbmsg::OK, "An error occurred trying to create your database?");
        w->cmdOK_Click();
        QCOMPARE(scalar(file, "SELECT COUNT(*) FROM Customer").toInt(), 1);
        QVERIFY(!QFile::exists(file + ".new"));
    }
    // The new database is set up before it takes the old one's place, and an
    // old one whose last change was cut short leaves nothing in the new one.
    void replacingAnOldDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");  // what "Error returned:" says; "" the new database is made
        QTest::newRow("the old one killed in the middle of a change") << "hot journal" << "";
        QTest::newRow("a template without its configuration row") << "no row"
                                                                 << "Setting up the new database failed: It has no configuration row.";
        QTest::newRow("the old one's journal cannot be removed") << "journal stays" << "Removing the old journal file ";
    }
    void replacingAnOldDatabase()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        const QString file = DatabaseFixture::create(place.path(), "Shop.mdb");
        QVERIFY(DatabaseFixture::execute(file, {"INSERT INTO Customer (CustomerId) VALUES ('old buyer')"}));
        if (kind == "hot journal") QVERIFY(DatabaseFixture::leaveHotJournal(file));
        if (kind == "no row")
            QVERIFY(DatabaseFixture::execute(QDir(env->programFolder()).filePath("data.mdb"), {"DELETE FROM Configuration"}));
        if (kind == "journal stays") QVERIFY(QDir().mkpath(file + "-journal/inside"));
        auto w = wizard(false);
        w->txtDatabaseName->setText("Shop");
        w->txtDatabaseDesc->setText("Winter stock");
        w->txtDatabasePath->setText(place.path());
        env->messages().answer(vbmsg::Yes, "Do you want to overwrite the existing database?");
        env->messages().answer(vbmsg::OK, error.isEmpty() ? FormsRegistry::notAvailableText("frmWizardSetup") : QStringLiteral("An error occurred trying to create your database?"));
        w->cmdOK_Click();
        QVERIFY(!QFileInfo::exists(file + ".new"));
        if (!error.isEmpty()) {
            QVERIFY2(env->messages().prompts().last().text.contains("\r\nError returned: " + error), qPrintable(env->messages().prompts().last().text));
            QVERIFY(openedForms().isEmpty());
            QDir(file + "-journal").removeRecursively();
            QCOMPARE(scalar(file, "SELECT CustomerId FROM Customer").toString(), QStringLiteral("old buyer"));
            return;
        }
        QCOMPARE(openedForms(), QStringList{"frmWizardSetup"});
        modDatabase::CloseDatabase();
        QCOMPARE(scalar(file, "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        QCOMPARE(scalar(file, "SELECT COUNT(*) FROM Customer").toInt(), 0);
        QCOMPARE(scalar(file, "SELECT DatabaseDesc FROM Configuration").toString(), QStringLiteral("Winter stock"));
        QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), QFile::ReadOwner | QFile::WriteOwner);
    }

    // Whenever the new file is there, it is set up: nothing is left for later.
    void theNewDatabaseIsSetUpWhenItAppears()
    {
        auto w = wizard(false);
        w->txtDatabaseDesc->setText("Winter stock");
        QVERIFY(w->CreateDatabase(place.path(), "Winter"));
        const QString file = QDir(place.path()).filePath("Winter.mdb");
        Connection c;
        QVERIFY(c.Open(file));
        QCOMPARE(c.Scalar("SELECT DatabaseDesc FROM Configuration").toString(), QStringLiteral("Winter stock"));
        QCOMPARE(c.Scalar("SELECT DateSystemStart FROM Configuration").toDouble(), vb::today());
    }
};

VENDARO_TEST_MAIN(tst_wizarddatabase)
#include "tst_wizarddatabase.moc"
