#include "StandInSite.h"
#include "TestEnvironment.h"
#include "ZipFixture.h"
#include "installer/FilesInfo.h"
#include "installer/HandOver.h"
#include "installer/InstallRun.h"
#include "installer/PackageInstaller.h"
#include "installer/ProgressPacer.h"
#include "installer/frmInstall.h"
#include "platform/AppSettings.h"
#include "platform/SingleInstance.h"
#include "platform/zip/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>

#include <optional>

#include <sys/stat.h>

namespace {
const QString CrLf = QStringLiteral("\r\n");

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
// Every file below a folder with its bytes, to show that a refused package changed nothing.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(folder).relativeFilePath(path), QFileInfo(path).isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return out;
}
QByteArray zipBytes(const QList<ZipItem>& items)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.zip"));
    if (!MakeZip(path, items)) return QByteArray();
    return readFile(path);
}
}  // namespace

class tst_installer : public QObject {
    Q_OBJECT
    StandInSite site;
    std::optional<TestEnvironment> env;
    QStringList started;  // main programs the runs started, with their folders

    QString folder() const { return env->programFolder(); }
    void order(const QString& action, const QString& filename = QStringLiteral("vendaro.zip"))
    {
        AppSettings::SaveSettings(QStringLiteral("Settings"), {{QStringLiteral("action"), action}, {QStringLiteral("filename"), filename}});
    }
    // A run over the test's folder whose main-program start is recorded.
    std::unique_ptr<InstallRun> makeRun(bool startSucceeds = true)
    {
        auto run = std::make_unique<InstallRun>(folder());
        run->setStarter([this, startSucceeds](const QString& program, const QString& where) {
            started << program + QStringLiteral(" in ") + where;
            return startSucceeds;
        });
        return run;
    }
    // Runs to its end (the window would close); false when it did not end in time.
    bool runToEnd(InstallRun& run, int ms = 60000)
    {
        QSignalSpy done(&run, &InstallRun::finished);
        run.Begin();
        return !done.isEmpty() || done.wait(ms);
    }
    QList<ZipItem> goodPackage() const
    {
        return {{QStringLiteral("files.info"), "a.dll\r\nb.exe\r\n\"c,1.dll\"\r\nd.dll, e.dll\r\nsub/f.txt\r\n"},
                {QStringLiteral("a.dll"), "new a"},
                {QStringLiteral("b.exe"), "#!/bin/sh\necho new b\n", 0100755},
                {QStringLiteral("c,1.dll"), "new c"},
                {QStringLiteral("d.dll"), "new d"},
                {QStringLiteral("e.dll"), "new e"},
                {QStringLiteral("sub/f.txt"), "new f"},
                {QStringLiteral("unlisted.txt"), "not listed"}};
    }
    QStringList downloadRequests() const
    {
        QStringList out;
        for (const StandInSite::Request& r : site.requests())
            if (r.path.startsWith(QLatin1String("/downloads/"))) out << r.path;
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(site.start()); }
    void cleanupTestCase() { site.stop(); }
    void init()
    {
        env.emplace();
        started.clear();
        site.clearRequests();
        site.removeDownload(QStringLiteral("vendaro.zip"));
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
    }
    void cleanup()
    {
        qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
        env.reset();
    }

    // files.info is read item by item: line ends and commas end items, quotes keep commas.
    void filesInfoItems_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("LF lines") << QByteArray("a.dll\nb.exe\n") << true << QStringList{"a.dll", "b.exe"};
        QTest::newRow("CRLF lines, no last line end") << QByteArray("a.dll\r\nb.exe") << true << QStringList{"a.dll", "b.exe"};
        QTest::newRow("CR lines") << QByteArray("a.dll\rb.exe\r") << true << QStringList{"a.dll", "b.exe"};
        QTest::newRow("comma ends an item") << QByteArray("c.dll,d.dll\r\n") << true << QStringList{"c.dll", "d.dll"};
        QTest::newRow("quotes keep commas") << QByteArray("\"my, file.dll\",x.dll\r\n") << true << QStringList{"my, file.dll", "x.dll"};
        QTest::newRow("blanks around items") << QByteArray("  a.dll  ,\t b.exe \r\n") << true << QStringList{"a.dll", "b.exe"};
        QTest::newRow("blanks inside a name stay") << QByteArray("read me.txt\n") << true << QStringList{"read me.txt"};
        QTest::newRow("empty items and lines left out") << QByteArray("\r\n,a.dll,,\r\n\r\n") << true << QStringList{"a.dll"};
        QTest::newRow("text after a closing quote dropped") << QByteArray("\"a.dll\" junk,b.exe") << true << QStringList{"a.dll", "b.exe"};
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "a.dll\r\n") << true << QStringList{"a.dll"};
        QTest::newRow("UTF-8 name") << QByteArray("m\xC4\x81ori.txt\n") << true << QStringList{QString::fromUtf8("m\xC4\x81ori.txt")};
        QTest::newRow("empty file") << QByteArray() << true << QStringList{};
        QTest::newRow("quote never closed") << QByteArray("a.dll\n\"b.exe\n") << false << QStringList{};
        QTest::newRow("not UTF-8") << QByteArray("a\xFF.dll\n") << false << QStringList{};
    }
    void filesInfoItems()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, readable);
        QFETCH(QStringList, items);
        QStringList got{QStringLiteral("left over")};
        QCOMPARE(FilesInfo::Parse(text, &got), readable);
        QCOMPARE(got, items);
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("plainFileName");
        QTest::addColumn<bool>("safeEntry");
        QTest::newRow("package") << "vendaro.zip" << true << true;
        QTest::newRow("in a folder") << "sub/f.txt" << false << true;
        QTest::newRow("folder entry") << "sub/" << false << true;
        QTest::newRow("parent") << "../vendaro.zip" << false << false;
        QTest::newRow("parent inside") << "sub/../../x" << false << false;
        QTest::newRow("bare dots") << ".." << false << false;
        QTest::newRow("absolute") << "/tmp/vendaro.zip" << false << false;
        QTest::newRow("backslash") << "..\\vendaro.zip" << false << false;
        QTest::newRow("drive") << "C:vendaro.zip" << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("empty step") << "sub//f.txt" << false << false;
        QTest::newRow("this folder step") << "./f.txt" << false << false;
        QTest::newRow("query") << "vendaro.zip?x=1" << false << true;
        QTest::newRow("control character") << "a\nb" << false << false;
        QTest::newRow("hidden") << ".vendaro.zip" << false << true;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, plainFileName);
        QFETCH(bool, safeEntry);
        QCOMPARE(HandOver::IsPlainFileName(name), plainFileName);
        QCOMPARE(ZipArchive::IsSafeName(name), safeEntry);
    }

    // The bar paces itself: 100 ms first, then 30 ms per step reached; after 100 it starts over.
    void progressTimer()
    {
        ProgressPacer pacer;
        QCOMPARE(pacer.interval(), 100);
        pacer.tick();
        QCOMPARE(pacer.value(), 1);
        QCOMPARE(pacer.interval(), 30);
        for (int i = 1; i < 50; ++i) pacer.tick();
        QCOMPARE(pacer.value(), 50);
        QCOMPARE(pacer.interval(), 1500);
        pacer.setToMaximum();
        pacer.tick();
        QCOMPARE(pacer.value(), 1);
        QCOMPARE(pacer.interval(), 30);
        QVERIFY(pacer.isActive());
        pacer.stop();
        QVERIFY(!pacer.isActive());
    }

    // Every listed file, in order, replaces its old one; unlisted entries stay in the zip.
    void installsEveryListedFile()
    {
        const QString zip = folder() + QStringLiteral("/vendaro.zip");
        QVERIFY(MakeZip(zip, goodPackage()));
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        PackageInstaller package;
        QVERIFY2(package.Prepare(zip, folder()), qPrintable(package.detail()));
        QCOMPARE(package.items(), (QStringList{"a.dll", "b.exe", "c,1.dll", "d.dll", "e.dll", "sub/f.txt"}));
        while (!package.allExtracted()) QVERIFY2(package.ExtractNext(), qPrintable(package.detail()));
        QCOMPARE(readFile(folder() + QStringLiteral("/a.dll")), QByteArray("old a"));  // nothing replaced before the commit
        QVERIFY(package.Commit());
        QCOMPARE(readFile(folder() + QStringLiteral("/a.dll")), QByteArray("new a"));
        QCOMPARE(readFile(folder() + QStringLiteral("/c,1.dll")), QByteArray("new c"));
        QCOMPARE(readFile(folder() + QStringLiteral("/sub/f.txt")), QByteArray("new f"));
        QVERIFY(QFileInfo(folder() + QStringLiteral("/b.exe")).isExecutable());
        QVERIFY(!QFileInfo(folder() + QStringLiteral("/a.dll")).isExecutable());
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/unlisted.txt")));
        // No temporary file is left beside the targets.
        for (const QString& name : snapshot(folder()).keys()) QVERIFY2(!QFileInfo(name).fileName().startsWith(u'.'), qPrintable(name));
    }

    // Installed files take the permissions of what they are, whatever the
    // zip says: programs (the three by name, or by their first bytes)
    // rwxr-xr-x, every other file rw-r--r--; never set-user-id or writable by others.
    void permissionsFollowWhatAFileIs()
    {
        const QString zip = folder() + QStringLiteral("/vendaro.zip");
        QVERIFY(MakeZip(zip, {{"files.info", "vendaro\r\nEmailer\r\ndata.mdb\r\nreadme.txt\r\nlib/libhelper.so\r\ntools/run.sh\r\nold.txt\r\n"},
                              {"vendaro", "new vendaro", 0106777},
                              {"Emailer", "new emailer", 0},
                              {"data.mdb", "SQLite format 3", 0100777},
                              {"readme.txt", "read me", 0106777},
                              {"lib/libhelper.so", QByteArray("\x7f" "ELF\x02\x01\x01", 7), 0100644},
                              {"tools/run.sh", "#!/bin/sh\nexit 0\n", 0100600},
                              {"old.txt", "new text", 0}}));
        QVERIFY(writeFile(folder() + QStringLiteral("/old.txt"), "old text"));
        QVERIFY(QFile::setPermissions(folder() + QStringLiteral("/old.txt"), QFile::Permissions(0x7777)));
        PackageInstaller package;
        QVERIFY2(package.Prepare(zip, folder()), qPrintable(package.detail()));
        while (!package.allExtracted()) QVERIFY2(package.ExtractNext(), qPrintable(package.detail()));
        QVERIFY(package.Commit());
        const QList<QPair<QString, int>> expected{{"vendaro", 0755}, {"Emailer", 0755}, {"data.mdb", 0644}, {"readme.txt", 0644},
                                                  {"lib/libhelper.so", 0755}, {"tools/run.sh", 0755}, {"old.txt", 0644}};
        for (const auto& [name, mode] : expected) {
            struct stat st = {};
            QCOMPARE(::stat(QFile::encodeName(folder() + u'/' + name).constData(), &st), 0);
            QVERIFY2(int(st.st_mode & 07777) == mode, qPrintable(QStringLiteral("%1: %2").arg(name).arg(st.st_mode & 07777, 0, 8)));
        }
    }

    // What a killed run left beside the program's files (temporary files and
    // second names, and its list of them) goes at the start of the next run,
    // with or without an order; hidden files of other names stay.
    void leftoversGoAtTheNextStart()
    {
        const QStringList left{".vendaro.Ab12Cd", ".vendaro.old-0", ".vendaro.old-12", "sub/.f.txt.x9Y8z7"};
        const QStringList kept{".vendaro.notes", ".config", ".a.dll.Qw12Er", "sub/.f.txt.old-x"};
        for (const QString& name : left + kept) QVERIFY(writeFile(folder() + u'/' + name, "left"));
        QVERIFY(writeFile(folder() + u'/' + PackageInstaller::UnfinishedName, "vendaro\nsub/f.txt\n"));
        auto run = makeRun();
        QVERIFY(runToEnd(*run));
        for (const QString& name : left) QVERIFY2(!QFileInfo::exists(folder() + u'/' + name), qPrintable(name));
        for (const QString& name : kept) QVERIFY2(QFileInfo::exists(folder() + u'/' + name), qPrintable(name));
        QVERIFY(!QFileInfo::exists(folder() + u'/' + PackageInstaller::UnfinishedName));
        QVERIFY(started.isEmpty());
        run.reset();

        // Without a list (an older installer's run), an update clears beside the files it writes.
        QVERIFY(writeFile(folder() + QStringLiteral("/sub/.f.txt.k3j4h5"), "left"));
        site.setDownload(QStringLiteral("vendaro.zip"), zipBytes(goodPackage()));
        order(QStringLiteral("Install"));
        auto install = makeRun();
        QVERIFY(runToEnd(*install));
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/sub/.f.txt.k3j4h5")));
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/.a.dll.Qw12Er")));  // a.dll is listed
        QVERIFY(QFileInfo::exists(folder() + QStringLiteral("/.vendaro.notes")));
        QCOMPARE(readFile(folder() + QStringLiteral("/sub/f.txt")), QByteArray("new f"));
    }

    // A package that is not ours, or cannot be unpacked whole, is refused before
    // anything is written: the folder stays exactly as it was.
    void refusedPackagesChangeNothing_data()
    {
        QTest::addColumn<QList<ZipItem>>("items");
        QTest::addColumn<QString>("prepare");  // a file or folder put in place first
        QTest::addColumn<QString>("reason");
        const ZipItem a{QStringLiteral("a.dll"), "new a"};
        QTest::newRow("no files.info") << QList<ZipItem>{a} << "" << "Missing information file";
        QTest::newRow("listed entry missing")
            << QList<ZipItem>{{"files.info", "a.dll\r\nmissing.dll\r\n"}, a} << "" << PackageInstaller::CouldNotUnzip("missing.dll");
        QTest::newRow("listed parent path")
            << QList<ZipItem>{{"files.info", "a.dll\r\n../escape.txt\r\n"}, a, {"../escape.txt", "bad"}} << "" << PackageInstaller::CouldNotUnzip("../escape.txt");
        QTest::newRow("unlisted parent path")
            << QList<ZipItem>{{"files.info", "a.dll\r\n"}, a, {"sub/../../escape.txt", "bad"}} << "" << PackageInstaller::CouldNotUnzip("sub/../../escape.txt");
        QTest::newRow("listed absolute path")
            << QList<ZipItem>{{"files.info", "a.dll\r\n/tmp/escape.txt\r\n"}, a, {"/tmp/escape.txt", "bad"}} << "" << PackageInstaller::CouldNotUnzip("/tmp/escape.txt");
        QTest::newRow("listed symbolic link")
            << QList<ZipItem>{{"files.info", "a.dll\r\nlink\r\n"}, a, {"link", "/etc/passwd", 0120777}} << "" << PackageInstaller::CouldNotUnzip("link");
        QTest::newRow("unlisted symbolic link")
            << QList<ZipItem>{{"files.info", "a.dll\r\n"}, a, {"link", "..", 0120777}} << "" << PackageInstaller::CouldNotUnzip("link");
        QTest::newRow("listed folder entry")
            << QList<ZipItem>{{"files.info", "a.dll\r\nsub/\r\n"}, a, {"sub/", QByteArray(), 040755}} << "" << PackageInstaller::CouldNotUnzip("sub/");
        QTest::newRow("target is a folder")
            << QList<ZipItem>{{"files.info", "a.dll\r\nplugins\r\n"}, a, {"plugins", "a file"}} << "dir:plugins" << PackageInstaller::CouldNotUnzip("plugins");
        QTest::newRow("below a file")
            << QList<ZipItem>{{"files.info", "a.dll\r\nb.exe/x.txt\r\n"}, a, {"b.exe/x.txt", "x"}} << "file:b.exe" << PackageInstaller::CouldNotUnzip("b.exe/x.txt");
        QTest::newRow("below a link to elsewhere")
            << QList<ZipItem>{{"files.info", "a.dll\r\nout/x.txt\r\n"}, a, {"out/x.txt", "x"}} << "link:out" << PackageInstaller::CouldNotUnzip("out/x.txt");
        QTest::newRow("unreadable files.info")
            << QList<ZipItem>{{"files.info", "a.dll\r\n\"b.exe\r\n"}, a} << "" << "";
    }
    void refusedPackagesChangeNothing()
    {
        QFETCH(QList<ZipItem>, items);
        QFETCH(QString, prepare);
        QFETCH(QString, reason);
        QTemporaryDir outside;
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        if (prepare.startsWith(QLatin1String("dir:"))) QVERIFY(QDir(folder()).mkpath(prepare.mid(4)));
        if (prepare.startsWith(QLatin1String("file:"))) QVERIFY(writeFile(folder() + u'/' + prepare.mid(5), "old"));
        if (prepare.startsWith(QLatin1String("link:"))) QVERIFY(QFile::link(outside.path(), folder() + u'/' + prepare.mid(5)));
        QTemporaryDir zipDir;
        const QString zip = zipDir.filePath(QStringLiteral("vendaro.zip"));
        QVERIFY(MakeZip(zip, items));
        const auto before = snapshot(folder());
        PackageInstaller package;
        QVERIFY(!package.Prepare(zip, folder()));
        QCOMPARE(package.reason(), reason);
        QCOMPARE(snapshot(folder()), before);
        QVERIFY(snapshot(outside.path()).isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/escape.txt")));
    }

    // A file that fails while unpacking (a damaged entry) leaves every target as it was.
    void aFailedFileReplacesNothing()
    {
        const QByteArray marker(4096, 'M');
        const QString zip = folder() + QStringLiteral("/vendaro.zip");
        QVERIFY(MakeZip(zip, {{"files.info", "a.dll\r\nb.exe\r\nc.dll\r\n"}, {"a.dll", "new a"}, {"b.exe", marker, 0100755, true}, {"c.dll", "new c"}}));
        QByteArray bytes = readFile(zip);
        const qsizetype at = bytes.indexOf(marker);
        QVERIFY(at > 0);
        bytes[at + 100] = 'X';  // the checksum no longer holds
        QVERIFY(writeFile(zip, bytes));
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        QVERIFY(writeFile(folder() + QStringLiteral("/b.exe"), "old b"));
        const auto before = snapshot(folder());
        PackageInstaller package;
        QVERIFY(package.Prepare(zip, folder()));
        QVERIFY(package.ExtractNext());
        QVERIFY(!package.ExtractNext());
        QCOMPARE(package.reason(), PackageInstaller::CouldNotUnzip("b.exe"));
        package.Abandon();
        QCOMPARE(snapshot(folder()), before);
    }

    // A target that cannot be replaced when the files are put in place (a
    // folder appeared there meanwhile): the files already replaced get their
    // old contents back, new ones go, and no temporary file or second name is left.
    void aTargetThatCannotBeReplacedRestoresTheOldFiles()
    {
        const QString zip = folder() + QStringLiteral("/vendaro.zip");
        QVERIFY(MakeZip(zip, {{"files.info", "a.dll\r\nnew.dll\r\nb.exe\r\nc.dll\r\n"},
                              {"a.dll", "new a"}, {"new.dll", "brand new"}, {"b.exe", "new b", 0100755}, {"c.dll", "new c"}}));
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        QVERIFY(writeFile(folder() + QStringLiteral("/b.exe"), "old b"));
        const auto before = snapshot(folder());
        PackageInstaller package;
        QVERIFY(package.Prepare(zip, folder()));
        while (!package.allExtracted()) QVERIFY(package.ExtractNext());
        QVERIFY(writeFile(folder() + QStringLiteral("/c.dll/inside.txt"), "in the way"));
        QVERIFY(!package.Commit());
        QCOMPARE(package.reason(), PackageInstaller::CouldNotUnzip("c.dll"));
        package.Abandon();
        QVERIFY(QDir(folder() + QStringLiteral("/c.dll")).removeRecursively());
        QCOMPARE(snapshot(folder()), before);
    }

    // Started with no order (or a spoiled one): nothing is asked, downloaded or started.
    void withoutAnOrderNothingHappens_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("filename");
        QTest::newRow("no settings") << "" << "";
        QTest::newRow("no file name") << "Update" << "";
        QTest::newRow("unknown action") << "Repair" << "vendaro.zip";
        QTest::newRow("file name with a folder") << "Update" << "../../home/vendaro.zip";
        QTest::newRow("absolute file name") << "Install" << "/tmp/vendaro.zip";
    }
    void withoutAnOrderNothingHappens()
    {
        QFETCH(QString, action);
        QFETCH(QString, filename);
        if (!action.isEmpty() || !filename.isEmpty()) order(action, filename);
        auto run = makeRun();
        QVERIFY(runToEnd(*run));
        QVERIFY(env->messages().prompts().isEmpty());
        QVERIFY(started.isEmpty());
        QVERIFY(downloadRequests().isEmpty());
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), action);
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), filename);
    }

    // A whole run: Install starts the main program without a word, Update says so first.
    void installAndUpdate_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("downloading");
        QTest::newRow("Install") << "Install" << "Vendaro Installation" << "Downloading Vendaro Installation Files";
        QTest::newRow("Update") << "Update" << "Vendaro Update" << "Downloading Vendaro Update Files";
    }
    void installAndUpdate()
    {
        QFETCH(QString, action);
        QFETCH(QString, caption);
        QFETCH(QString, downloading);
        site.setDownload(QStringLiteral("vendaro.zip"), zipBytes(goodPackage()));
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        // Left-overs of an earlier run go first.
        QVERIFY(writeFile(folder() + QStringLiteral("/files.info"), "stale"));
        order(action);
        if (action == QLatin1String("Update")) env->messages().answer(vbmsg::OK, QStringLiteral("Update completed"));
        auto run = makeRun();
        QCOMPARE(run->caption(), caption);
        QStringList statuses;
        connect(run.get(), &InstallRun::statusChanged, this, [&](const QString& s) { statuses << s; });
        QVERIFY(runToEnd(*run));
        QCOMPARE(statuses, (QStringList{downloading, "Extracting Vendaro Files"}));
        QCOMPARE(downloadRequests(), QStringList{"/downloads/vendaro.zip"});
        QCOMPARE(readFile(folder() + QStringLiteral("/a.dll")), QByteArray("new a"));
        QCOMPARE(readFile(folder() + QStringLiteral("/sub/f.txt")), QByteArray("new f"));
        QCOMPARE(started, QStringList{QDir(folder()).filePath("vendaro") + " in " + folder()});
        if (action == QLatin1String("Update")) QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Information));
        else QVERIFY(env->messages().prompts().isEmpty());
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/vendaro.zip")));
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/files.info")));
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
        QCOMPARE(run->pacer().value(), ProgressPacer::Maximum);
    }

    // Whatever fails, the seller is told, nothing is started, the installation
    // is as it was, the download files are gone and the order is used up.
    // A download that hangs is given up by the time-out meant for it: the
    // other one is set far beyond the test's wait, so only that one can end it.
    void failedRunsLeaveTheInstallation_data()
    {
        QTest::addColumn<QString>("maker");  // "" the site; "silent" a server that never answers; else a path on the site
        QTest::addColumn<QByteArray>("package");  // what the site serves; "<none>" nothing (404)
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");  // why the download failed, as the installer logs it ("" no download failure)
        QTest::addColumn<int>("timeoutMs");  // the whole download's
        QTest::addColumn<int>("stallTimeoutMs");  // silence's
        const QString download = InstallRun::DownloadFailedMessage();
        const int never = InstallRun::DefaultTimeoutMs;
        const int stall = InstallRun::DefaultStallTimeoutMs;
        QTest::newRow("404 with a page") << "" << QByteArray("<none>") << download << "(status 404)" << never << stall;
        QTest::newRow("empty body") << "" << QByteArray() << download << "The site sent nothing." << never << stall;
        QTest::newRow("server never answers") << "silent" << QByteArray("<none>") << download << "The download timed out." << never << 500;
        QTest::newRow("endless trickle") << "/_test/trickle" << QByteArray("<none>") << download << "The download timed out." << 1500 << never;
        QTest::newRow("not a zip") << "" << QByteArray("<html>Sorry, we moved</html>") << InstallRun::ExtractFailedMessage("Missing information file") << ""
                                   << never << stall;
        QTest::newRow("missing entry") << "" << zipBytes({{"files.info", "a.dll\r\nnothere.dll\r\n"}, {"a.dll", "new a"}})
                                       << InstallRun::ExtractFailedMessage(PackageInstaller::CouldNotUnzip("nothere.dll")) << "" << never << stall;
        QTest::newRow("traversal") << "" << zipBytes({{"files.info", "a.dll\r\n../../x.txt\r\n"}, {"a.dll", "new a"}, {"../../x.txt", "bad"}})
                                   << InstallRun::ExtractFailedMessage(PackageInstaller::CouldNotUnzip("../../x.txt")) << "" << never << stall;
        QTest::newRow("unreadable files.info") << "" << zipBytes({{"files.info", "\"a.dll\r\n"}, {"a.dll", "new a"}}) << InstallRun::ExtractFailedMessage("")
                                               << "" << never << stall;
    }
    void failedRunsLeaveTheInstallation()
    {
        QFETCH(QString, maker);
        QFETCH(QByteArray, package);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        QFETCH(int, timeoutMs);
        QFETCH(int, stallTimeoutMs);
        QTcpServer silent;  // takes the connection, never answers
        if (maker == QLatin1String("silent")) {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            qputenv("VENDARO_MAKER_URL", QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort()).toUtf8());
        } else if (!maker.isEmpty()) {
            qputenv("VENDARO_MAKER_URL", (site.baseUrl() + maker).toUtf8());
        }
        if (package != "<none>") site.setDownload(QStringLiteral("vendaro.zip"), package);
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        const auto before = snapshot(folder());
        order(QStringLiteral("Update"));
        env->messages().answer(vbmsg::OK, message);
        if (!reason.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^VendaroInstaller: .*vendaro\\.zip: .*") +
                                                                  QRegularExpression::escape(reason)));
        auto run = makeRun();
        run->setTimeouts(timeoutMs, stallTimeoutMs);
        QVERIFY(runToEnd(*run, 120000));
        QCOMPARE(env->messages().prompts().size(), 1);
        QCOMPARE(env->messages().prompts().first().text, message);
        QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Critical));
        QCOMPARE(env->messages().prompts().first().title, QStringLiteral("Vendaro"));
        QVERIFY(started.isEmpty());
        QCOMPARE(snapshot(folder()), before);
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
    }

    // A second copy says so and touches nothing: the running one's order and files stay.
    void secondInstance()
    {
        SingleInstance first(QString::fromLatin1(InstallRun::InstanceName));
        QVERIFY(first.tryLock());
        order(QStringLiteral("Update"));
        QVERIFY(writeFile(folder() + QStringLiteral("/vendaro.zip"), "the first one's download"));
        env->messages().answer(vbmsg::OK, QStringLiteral("Another instance of this program is already running"));
        {
            auto run = makeRun();
            QVERIFY(runToEnd(*run));
            QVERIFY(run->secondInstance());
            QVERIFY(run->RequestClose());
        }
        QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Information));
        QCOMPARE(AppSettings::GetSetting("Settings", "action"), QStringLiteral("Update"));
        QCOMPARE(readFile(folder() + QStringLiteral("/vendaro.zip")), QByteArray("the first one's download"));
        QVERIFY(downloadRequests().isEmpty());
    }

    // A main program that cannot be started is reported, not passed over.
    void aFailedRestartIsReported()
    {
        site.setDownload(QStringLiteral("vendaro.zip"), zipBytes(goodPackage()));
        order(QStringLiteral("Install"));
        env->messages().answer(vbmsg::OK, QStringLiteral("Vendaro could not be started."));
        auto run = makeRun(false);
        QVERIFY(runToEnd(*run));
        QCOMPARE(env->messages().prompts().first().style, int(vbmsg::Critical));
        QVERIFY(env->messages().prompts().first().text.contains(QDir(folder()).filePath("vendaro")));
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/vendaro.zip")));
        // The real start refuses a program that is not there.
        QVERIFY(!InstallRun::StartDetached(QDir(folder()).filePath("nothing-here"), folder()));
    }

    // Closing during a stalled download stops it at once, without an error message.
    void closeDuringADownloadAborts()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("VENDARO_MAKER_URL", QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort()).toUtf8());
        order(QStringLiteral("Update"));
        auto run = makeRun();
        QSignalSpy done(run.get(), &InstallRun::finished);
        run->Begin();
        QCOMPARE(run->state(), InstallRun::State::Downloading);
        QTest::qWait(200);
        QVERIFY(run->RequestClose());
        QVERIFY(run->closing());
        QCOMPARE(run->status(), QStringLiteral("Please wait...cancelled by user"));
        QCOMPARE(run->state(), InstallRun::State::Finished);
        QTest::qWait(300);
        QVERIFY(env->messages().prompts().isEmpty());
        QVERIFY(started.isEmpty());
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/vendaro.zip")));
    }

    // During the unpacking the seller is asked; No goes on, Yes leaves everything as it was.
    void closeDuringTheUnpacking_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(vbmsg::No);
        QTest::newRow("Yes") << int(vbmsg::Yes);
    }
    void closeDuringTheUnpacking()
    {
        QFETCH(int, answer);
        site.setDownload(QStringLiteral("vendaro.zip"), zipBytes(goodPackage()));
        QVERIFY(writeFile(folder() + QStringLiteral("/a.dll"), "old a"));
        const auto before = snapshot(folder());
        order(QStringLiteral("Install"));
        env->messages().answer(answer, QStringLiteral("Are you sure you want to cancel?"));
        auto run = makeRun();
        bool closed = false;
        bool asked = false;
        connect(run.get(), &InstallRun::statusChanged, this, [&](const QString& s) {
            if (s == QLatin1String("Extracting Vendaro Files") && !asked) {
                asked = true;
                QTimer::singleShot(0, this, [&] { closed = run->RequestClose(); });
            }
        }, Qt::DirectConnection);
        QSignalSpy done(run.get(), &InstallRun::finished);
        run->Begin();
        QTRY_VERIFY(asked);
        QTRY_VERIFY(run->state() == InstallRun::State::Finished);
        const auto& prompt = env->messages().prompts().first();
        QCOMPARE(prompt.text, InstallRun::CancelQuestion());
        QCOMPARE(prompt.style, vbmsg::YesNo + vbmsg::Critical);
        if (answer == vbmsg::No) {
            QVERIFY(!closed);
            QCOMPARE(readFile(folder() + QStringLiteral("/a.dll")), QByteArray("new a"));
            QCOMPARE(started.size(), 1);
        } else {
            QVERIFY(closed);
            QVERIFY(started.isEmpty());
            auto after = snapshot(folder());
            QCOMPARE(after, before);
        }
    }

    // The window: captions, the status line and the bar follow the run; a picture to look at.
    void window()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("VENDARO_MAKER_URL", QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort()).toUtf8());
        order(QStringLiteral("Update"));
        frmInstall w(folder());
        QCOMPARE(w.windowTitle(), QStringLiteral("Vendaro Update"));
        auto* info = w.findChild<QLabel*>(QStringLiteral("lblInfo"));
        auto* bar = w.findChild<QProgressBar*>(QStringLiteral("pBar"));
        QVERIFY(info && bar);
        QCOMPARE(info->text(), QStringLiteral("Please wait"));
        QCOMPARE(bar->maximum(), 100);
        w.show();
        w.Activate();
        QCOMPARE(info->text(), QStringLiteral("Downloading Vendaro Update Files"));
        QTRY_VERIFY(bar->value() >= 3);
        w.grab().save(QDir(TestEnvironment::screenshotFolder()).filePath(QStringLiteral("installer.png")));
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QCOMPARE(info->text(), QStringLiteral("Please wait...cancelled by user"));
    }
    void windowCaptionForAnInstall()
    {
        order(QStringLiteral("Install"));
        frmInstall w(folder());
        QCOMPARE(w.windowTitle(), QStringLiteral("Vendaro Installation"));
    }
};

VENDARO_TEST_MAIN(tst_installer)
#include "tst_installer.moc"
