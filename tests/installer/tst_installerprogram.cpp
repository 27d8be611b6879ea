// The real VendaroInstaller program, run offscreen against the in-process
// stand-in maker site with a package built by scripts/make-package: it
// updates a copy of a program folder and starts its main program again.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "email/clsEmails.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
}
}  // namespace

class tst_installerprogram : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    QTemporaryDir work;
    QString release;    // the new version's program folder
    QString installed;  // the seller's program folder, an older version
    QString messageLog;

    // The installer program run in the installed folder; its messages are logged, not shown.
    int runInstaller(const QStringList& extraEnvironment = {})
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), env->settingsFolder());
        e.insert(QStringLiteral("VENDARO_MAKER_URL"), site.baseUrl());
        e.insert(QStringLiteral("VENDARO_MESSAGE_LOG"), messageLog);
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const QString& pair : extraEnvironment) e.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(work.path());  // not the program folder: the installer works in its own
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QDir(installed).filePath(QStringLiteral("VendaroInstaller")), {});
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    }
    QList<QJsonObject> messages() const
    {
        QList<QJsonObject> out;
        for (const QByteArray& line : readFile(messageLog).split('\n'))
            if (!line.trimmed().isEmpty() && line != "<missing>") out << QJsonDocument::fromJson(line).object();
        return out;
    }
    void order(const QString& action)
    {
        AppSettings::SaveSettings(QStringLiteral("Settings"), {{QStringLiteral("action"), action}, {QStringLiteral("filename"), QStringLiteral("vendaro.zip")}});
        AppSettings::Sync();
    }

private slots:
    void initTestCase()
    {
        clsEmails::Register();
        QVERIFY(site.start());
        // The new version: the real installer, a main program that notes where it was started, the data files.
        release = work.filePath(QStringLiteral("release"));
        QVERIFY(QDir().mkpath(release));
        const QDir built(qEnvironmentVariable("VENDARO_PROGRAM_DIR"));
        QVERIFY(QFile::copy(QStringLiteral(VENDARO_INSTALLER_PROGRAM), QDir(release).filePath(QStringLiteral("VendaroInstaller"))));
        QVERIFY(writeFile(QDir(release).filePath(QStringLiteral("vendaro")), "#!/bin/sh\n# version 2\npwd > started-here\n", true));
        QVERIFY(writeFile(QDir(release).filePath(QStringLiteral("Emailer")), "#!/bin/sh\n# version 2\n", true));
        for (const QString& name : built.entryList({QStringLiteral("data.mdb"), QStringLiteral("emailer.mdb"), QStringLiteral("*.frm")}, QDir::Files))
            QVERIFY(QFile::copy(built.filePath(name), QDir(release).filePath(name)));
        const QString out = work.filePath(QStringLiteral("downloads"));
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedChannels);
        script.start(QStringLiteral(VENDARO_SOURCE_DIR "/scripts/make-package"), {release, out});
        QVERIFY(script.waitForFinished(60000));
        QCOMPARE(script.exitCode(), 0);
        const QByteArray package = readFile(QDir(out).filePath(QStringLiteral("vendaro.zip")));
        QVERIFY(package.startsWith("PK"));
        // The list names every file of the release but the seller's outbox, one a line.
        const QByteArray info = readFile(QDir(out).filePath(QStringLiteral("files.info")));
        QVERIFY(info.contains("vendaro\r\n") && info.contains("VendaroInstaller\r\n") && info.contains("data.mdb\r\n"));
        QVERIFY(!info.contains("emailer.mdb"));
        site.setDownload(QStringLiteral("vendaro.zip"), package);
    }
    void cleanupTestCase() { site.stop(); }
    void init()
    {
        env.emplace();
        // The seller's folder: this installer, an older main program, the seller's outbox.
        installed = QDir(env->programFolder()).filePath(QStringLiteral("Vendaro"));
        QVERIFY(QDir().mkpath(installed));
        QVERIFY(QFile::copy(QStringLiteral(VENDARO_INSTALLER_PROGRAM), QDir(installed).filePath(QStringLiteral("VendaroInstaller"))));
        QVERIFY(writeFile(QDir(installed).filePath(QStringLiteral("vendaro")), "#!/bin/sh\n# version 1\n", true));
        QVERIFY(writeFile(QDir(installed).filePath(QStringLiteral("data.mdb")), "old template"));
        QVERIFY(writeFile(QDir(installed).filePath(QStringLiteral("emailer.mdb")), "the seller's outbox"));
        messageLog = QDir(env->programFolder()).filePath(QStringLiteral("messages.jsonl"));
        site.clearRequests();
    }
    void cleanup()
    {
        site.setRequiredVersion(QStringLiteral("2.1004"));
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
        env.reset();
    }

    // The whole way: Help > Check for software update in the main window finds
    // a newer version on the maker's site, the seller agrees, the main window
    // hands over to the installer of its folder, which updates it and restarts vendaro.
    void helpCheckForUpdateUpdatesTheProgramFolder()
    {
        ProgramContext::current().gAppFolder = installed;
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
        QPointer<frmMain> window = MainWindowDriver::open(env->messages());
        QStringList starts;
        modStart::SetProgramStarter([&](const QString& program, const QStringList& arguments) {
            starts << program;
            return arguments.isEmpty();
        });
        site.setRequiredVersion(QStringLiteral("2.2"));
        env->messages().answer(vbmsg::Yes, QStringLiteral("Do you want to update now?"));
        auto* entry = window->findChild<QAction*>(QStringLiteral("mnuHelpUpdate"));
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(env->messages().verifyDone());
        QCOMPARE(starts, QStringList{QDir(installed).filePath(QStringLiteral("VendaroInstaller"))});
        QTRY_VERIFY(!window || !window->isVisible());
        delete window.data();
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), QStringLiteral("Update"));
        modDatabase::CloseDatabase();
        site.clearRequests();
        // What the main program started, for real.
        QCOMPARE(runInstaller(), 0);
        QCOMPARE(readFile(QDir(installed).filePath("vendaro")), readFile(QDir(release).filePath("vendaro")));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(QDir(installed).filePath("started-here")).trimmed(), QFile::encodeName(installed), 60000);
        QCOMPARE(messages().size(), 1);
        QCOMPARE(messages().first().value("text").toString(), QStringLiteral("Update completed"));
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
    }

    // Help > Check for software update hands over "Update": the folder is updated and vendaro started from it.
    void updateReplacesTheFilesAndRestarts()
    {
        order(QStringLiteral("Update"));
        QCOMPARE(runInstaller(), 0);
        const QDir dir(installed);
        QCOMPARE(readFile(dir.filePath("vendaro")), readFile(QDir(release).filePath("vendaro")));
        QVERIFY(QFileInfo(dir.filePath("vendaro")).isExecutable());
        QCOMPARE(readFile(dir.filePath("data.mdb")), readFile(QDir(release).filePath("data.mdb")));
        QCOMPARE(readFile(dir.filePath("VNTMLI.frm")), readFile(QDir(release).filePath("VNTMLI.frm")));
        QCOMPARE(readFile(dir.filePath("emailer.mdb")), QByteArray("the seller's outbox"));
        QVERIFY(!dir.exists("vendaro.zip"));
        QVERIFY(!dir.exists("files.info"));
        QVERIFY(!QDir(work.path()).exists("vendaro.zip"));
        // The new main program was started in its folder.
        QTRY_COMPARE_WITH_TIMEOUT(readFile(dir.filePath("started-here")).trimmed(), QFile::encodeName(installed), 60000);
        const auto said = messages();
        QCOMPARE(said.size(), 1);
        QCOMPARE(said[0].value("text").toString(), QStringLiteral("Update completed"));
        QCOMPARE(said[0].value("style").toInt(), int(vbmsg::Information));
        QCOMPARE(said[0].value("title").toString(), QStringLiteral("Vendaro"));
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
        QCOMPARE(site.requests().size(), 1);
        QCOMPARE(site.requests().first().path, QStringLiteral("/downloads/vendaro.zip"));
    }

    // An install says nothing and starts the main program (here a stand-in named by VENDARO_START_PROGRAM).
    void installStartsTheMainProgramSilently()
    {
        const QString standIn = QDir(env->programFolder()).filePath(QStringLiteral("standin"));
        QVERIFY(writeFile(standIn, "#!/bin/sh\npwd > \"$0.ran\"\n", true));
        order(QStringLiteral("Install"));
        QCOMPARE(runInstaller({QStringLiteral("VENDARO_START_PROGRAM=") + standIn}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(standIn + QStringLiteral(".ran")).trimmed(), QFile::encodeName(installed), 60000);
        QVERIFY(messages().isEmpty());
        QCOMPARE(readFile(QDir(installed).filePath("vendaro")), readFile(QDir(release).filePath("vendaro")));
        QVERIFY(!QFileInfo::exists(QDir(installed).filePath("started-here")));
    }

    // A second copy while one runs: it says so, and the order stays for the running one.
    void secondCopyLeavesTheOrder()
    {
        SingleInstance running(QStringLiteral("VendaroInstaller"));
        QVERIFY(running.tryLock());
        order(QStringLiteral("Update"));
        QCOMPARE(runInstaller(), 0);
        const auto said = messages();
        QCOMPARE(said.size(), 1);
        QCOMPARE(said[0].value("text").toString(), QStringLiteral("Another instance of this program is already running"));
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), QStringLiteral("Update"));
        QCOMPARE(readFile(QDir(installed).filePath("vendaro")), QByteArray("#!/bin/sh\n# version 1\n"));
        QVERIFY(site.requests().isEmpty());
    }

    // Started without an order it closes at once, saying nothing.
    void withoutAnOrderItClosesAtOnce()
    {
        QCOMPARE(runInstaller(), 0);
        QVERIFY(messages().isEmpty());
        QVERIFY(site.requests().isEmpty());
        QCOMPARE(readFile(QDir(installed).filePath("vendaro")), QByteArray("#!/bin/sh\n# version 1\n"));
    }
};

VENDARO_TEST_MAIN(tst_installerprogram)
#include "tst_installerprogram.moc"
