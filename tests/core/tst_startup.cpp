#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/frmWizardDatabase.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/db/Connection.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

class tst_startup : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }

    // The agreement answered without showing it.
    void agreement(bool agreed)
    {
        FormsRegistry::instance().overrideForm("frmAgreement", [agreed](QWidget* parent) {
            auto* d = new QDialog(parent);
            d->setProperty("Agreed", agreed);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
    }
    QStringList openedForms() const
    {
        QStringList names;
        for (const auto& call : FormsRegistry::instance().stubCalls()) names << call.form;
        return names;
    }
    QString readShortcut()
    {
        QFile f(modStart::DesktopShortcutPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void init()
    {
        env.emplace();
        QFile::remove(modStart::DesktopShortcutPath());
    }
    void cleanup() { env.reset(); }

    void installedMeansTemplatesPresent()
    {
        QVERIFY(modStart::IsInstalled(env->programFolder()));
        QFile::remove(QDir(env->programFolder()).filePath("VNTMLI.frm"));
        QVERIFY(!modStart::IsInstalled(env->programFolder()));
        QTemporaryDir empty;
        QVERIFY(!modStart::IsInstalled(empty.path()));
    }

    void desktopShortcutIsReplaced()
    {
        QVERIFY(modStart::DesktopShortcutPath().endsWith("/Vendaro.desktop"));
        QFile old(modStart::DesktopShortcutPath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[Desktop Entry]\nExec=/old/place/vendaro\n");
        old.close();
        modStart::CreateDesktopShortcut();
        const QString text = readShortcut();
        QVERIFY(text.contains("Comment=Vendaro Auction Management for TradeMe\n"));
        QVERIFY(text.contains("Exec=\"" + QDir(env->programFolder()).filePath("vendaro") + "\"\n"));
        QVERIFY(text.contains("Path=" + env->programFolder() + "\n"));
        QVERIFY(!text.contains("/old/place"));
        QCOMPARE(QFileInfo(modStart::DesktopShortcutPath()).dir().entryList({"Vendaro*"}, QDir::Files).size(), 1);
    }

    void desktopShortcutIsValidForAnyFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "Vendaro";
        QTest::newRow("blank") << "My Programs";
        QTest::newRow("percent") << "100% mine";
        QTest::newRow("dollar") << "$HOME";
        QTest::newRow("quote") << "say \"hi\"";
        QTest::newRow("backquote") << "`id`";
        QTest::newRow("backslash") << "back\\slash";
        QTest::newRow("macron") << "Tāmaki";
    }
    void desktopShortcutIsValidForAnyFolder()
    {
        QFETCH(QString, folder);
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils) is missing");
        QTemporaryDir root;
        const QString programFolder = QDir(root.path()).filePath(folder);
        QVERIFY(QDir().mkpath(programFolder));
        ProgramContext::current().gAppFolder = programFolder;
        modStart::CreateDesktopShortcut();
        QProcess validate;
        validate.start(validator, {modStart::DesktopShortcutPath()});
        QVERIFY(validate.waitForFinished(60000));
        const QString report = QString::fromUtf8(validate.readAllStandardOutput() + validate.readAllStandardError());
        QVERIFY2(validate.exitCode() == 0 && !report.contains("error:"), qPrintable(readShortcut() + "\n" + report));
        QVERIFY(readShortcut().contains("\nIcon="));
    }

    void decliningTheAgreementInstallsNothing()
    {
        agreement(false);
        modStart::Main();
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
        QVERIFY(!AppSettings::HasSetting("Settings", "filename"));
        QVERIFY(QFile::exists(modStart::DesktopShortcutPath()));  // the shortcut is there all the same
    }

    void acceptingStartsTheInstaller()
    {
        // An installer that starts (and ends at once).
        QVERIFY(QFile::copy("/bin/true", QDir(env->programFolder()).filePath("VendaroInstaller")));
        agreement(true);
        modStart::Main();
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), QStringLiteral("Install"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
    }

    void aMissingInstallerIsReportedAndTheSettingsStay()
    {
        env->messages().answer(vbmsg::OK, "Installation failed.\r\n\r\nThe application is not in the current folder?\r\n\r\n" +
                                              env->programFolder());
        modStart::RunInstaller("Update");
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), QStringLiteral("Update"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
    }

    void cleanSettingsOpenTheDatabaseWizard()
    {
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardDatabase"));
        modStart::NormalRun();
        QCOMPARE(openedForms(), QStringList{"frmWizardDatabase"});
        QCOMPARE(FormsRegistry::instance().stubCalls()[0].vars.value("FirstRun").toBool(), true);
        QVERIFY(ctx().gDatabase && ctx().gActions && ctx().gLinks);
    }

    void aLastDatabaseThatFailsOpensTheDatabaseWizard()
    {
        AppSettings::SaveSetting("Database", "LastFileName", QDir(env->programFolder()).filePath("gone.mdb"));
        env->messages().answer(vbmsg::OK, "An error occurred trying to open database:").answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardDatabase"));
        modStart::NormalRun();
        QCOMPARE(openedForms(), QStringList{"frmWizardDatabase"});
    }

    void theLastDatabaseReopens_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("form");
        QTest::newRow("set up") << "1234567" << "frmMain";
        QTest::newRow("not set up") << "0" << "frmWizardSetup";
    }
    void theLastDatabaseReopens()
    {
        QFETCH(QString, member);
        QFETCH(QString, form);
        const QString file = DatabaseFixture::create(env->programFolder(), "shop.mdb");
        QVERIFY(DatabaseFixture::execute(file, {"UPDATE Configuration SET TradeMeMemberId='" + member + "'"}));
        AppSettings::SaveSetting("Database", "LastFileName", file);
        AppSettings::SaveSetting("Database", "LastFileTitle", "shop.mdb");
        // The recent list is loaded first and kept as it was.
        for (int i = 1; i <= 5; ++i) AppSettings::SaveSetting("Database", QStringLiteral("RecentFileName%1").arg(i), QStringLiteral("/r/%1.mdb").arg(i));
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText(form));
        modStart::NormalRun();
        QCOMPARE(openedForms(), QStringList{form});
        QCOMPARE(ctx().gDatabaseFile, file);
        QCOMPARE(ctx().gRecentFileNames[4], QStringLiteral("/r/5.mdb"));
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileName1"), QStringLiteral("/r/1.mdb"));
    }

    void aCreatedDatabaseReopensAfterARestart()
    {
        ctx().CreateObjects();
        frmWizardDatabase w;
        w.txtDatabaseDesc->setText("Winter stock");
        QVERIFY(w.CreateDatabase(env->programFolder(), "Winter"));
        QVERIFY(w.InitialiseConfiguration());
        const QString file = ctx().gDatabaseFile;

        // The restart: a fresh program with the same settings.
        ctx().ReleaseObjects();
        ProgramContext::reset();
        ctx().gAppFolder = env->programFolder();
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardSetup"));
        modStart::NormalRun();
        QCOMPARE(ctx().gDatabaseFile, file);
        QCOMPARE(ctx().gConfiguration.DatabaseDesc, QStringLiteral("Winter stock"));
        QCOMPARE(ctx().gRecentFileNames[0], file);
        QCOMPARE(openedForms(), QStringList{"frmWizardSetup"});
    }
    // Settings naming the program's own template or outbox never make it the seller's database.
    void theProgramsOwnDatabasesAreNotOpened_data()
    {
        QTest::addColumn<QString>("named");  // the LastFileName, %1 the program folder, %2 another folder
        QTest::newRow("the template") << "%1/data.mdb";
        QTest::newRow("the template, spelt another way") << "%1/./data.mdb";
        QTest::newRow("the outbox") << "%1/emailer.mdb";
        QTest::newRow("a link to the template") << "%2/shop.mdb";
    }
    void theProgramsOwnDatabasesAreNotOpened()
    {
        QFETCH(QString, named);
        QTemporaryDir elsewhere;
        const QString program = env->programFolder();
        QVERIFY(QFile::exists(QDir(program).filePath("emailer.mdb")));  // the shipped outbox
        QVERIFY(QFile::link(QDir(program).filePath("data.mdb"), QDir(elsewhere.path()).filePath("shop.mdb")));
        const QString last = QString(named).replace("%1", program).replace("%2", elsewhere.path());
        const QString own = QFileInfo(last).canonicalFilePath();
        QFile file(own);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        const QFile::Permissions permissions = QFile::permissions(own);
        AppSettings::SaveSetting("Database", "LastFileName", last);
        env->messages().answer(vbmsg::OK, "You cannot open this database.").answer(vbmsg::OK, FormsRegistry::notAvailableText("frmWizardDatabase"));
        modStart::NormalRun();
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Information));
        QCOMPARE(openedForms(), QStringList{"frmWizardDatabase"});
        QVERIFY(!ctx().gConnection->IsOpen());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QFile::permissions(own), permissions);
    }
};

VENDARO_TEST_MAIN(tst_startup)
#include "tst_startup.moc"
