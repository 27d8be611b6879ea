#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/db/Connection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <optional>

using namespace modDatabase;

namespace {
const char* openFailed = "An error occurred trying to open database:";
const char* updateFailed = "An error occurred trying to update the database";

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QVariant scalar(const QString& path, const QString& sql)
{
    Connection c;
    if (!c.Open(path)) return QStringLiteral("<cannot open>");
    return c.Scalar(sql);
}
}  // namespace

class tst_opendatabase : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    QString folder() const { return env->programFolder(); }

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.reset();
    }

    void opensLoadsAndRemembers()
    {
        const QString path = DatabaseFixture::create(folder(), "shop.mdb");
        QVERIFY(OpenDatabase(path, "shop.mdb", true, true));
        QCOMPARE(ctx().gDatabaseFile, path);
        QCOMPARE(ctx().gDatabaseTitle, QStringLiteral("shop.mdb"));
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("0"));
        QCOMPARE(ctx().gConfiguration.LocationId, QStringLiteral("NZD"));
        QCOMPARE(ctx().gConfiguration.DefaultFPOdays, qint16(3));
        QVERIFY(ctx().gConfiguration.Feedback.endsWith("\r\n"));
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileName"), path);
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileTitle"), QStringLiteral("shop.mdb"));
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileName1"), path);
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileTitle1"), QStringLiteral("shop.mdb"));
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileName5", "unset"), QString());  // all ten written
        QVERIFY(ctx().gConnection->IsOpen());

        // Without AddToRecent the list is left alone.
        const QString other = DatabaseFixture::create(folder(), "other.mdb");
        QVERIFY(OpenDatabase(other, "other.mdb", true, false));
        QCOMPARE(ctx().gRecentFileNames[0], path);
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileName"), other);
    }

    void recentListMovesToFront_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("after");
        const QStringList five = {"/d/1.mdb", "/d/2.mdb", "/d/3.mdb", "/d/4.mdb", "/d/5.mdb"};
        QTest::newRow("third moves to the front") << five << "/d/3.mdb"
                                                  << QStringList{"/d/3.mdb", "/d/1.mdb", "/d/2.mdb", "/d/4.mdb", "/d/5.mdb"};
        QTest::newRow("first stays") << five << "/d/1.mdb" << five;
        QTest::newRow("last moves to the front") << five << "/d/5.mdb"
                                                 << QStringList{"/d/5.mdb", "/d/1.mdb", "/d/2.mdb", "/d/3.mdb", "/d/4.mdb"};
        QTest::newRow("new file pushes the fifth out") << five << "/d/new.mdb"
                                                       << QStringList{"/d/new.mdb", "/d/1.mdb", "/d/2.mdb", "/d/3.mdb", "/d/4.mdb"};
        QTest::newRow("paths differing in case are different files")
            << five << "/d/3.MDB" << QStringList{"/d/3.MDB", "/d/1.mdb", "/d/2.mdb", "/d/3.mdb", "/d/4.mdb"};
        QTest::newRow("short list grows") << QStringList{"/d/1.mdb", "", "", "", ""} << "/d/2.mdb"
                                          << QStringList{"/d/2.mdb", "/d/1.mdb", "", "", ""};
    }
    void recentListMovesToFront()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, opened);
        QFETCH(QStringList, after);
        for (int i = 0; i < 5; ++i) {
            ctx().gRecentFileNames[i] = before[i];
            ctx().gRecentFileTitles[i] = before[i].isEmpty() ? QString() : QFileInfo(before[i]).fileName();
        }
        AddToRecentList(opened, QFileInfo(opened).fileName());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(ctx().gRecentFileNames[i], after[i]);
            QCOMPARE(ctx().gRecentFileTitles[i], after[i].isEmpty() ? QString() : QFileInfo(after[i]).fileName());
        }
    }

    void recentListRoundTripsThroughSettings()
    {
        for (int i = 0; i < 5; ++i) {
            ctx().gRecentFileNames[i] = QStringLiteral("/d/%1.mdb").arg(i);
            ctx().gRecentFileTitles[i] = QStringLiteral("%1.mdb").arg(i);
        }
        SaveRecentList();
        ProgramContext::reset();
        LoadRecentList();
        QCOMPARE(ctx().gRecentFileNames[4], QStringLiteral("/d/4.mdb"));
        QCOMPARE(ctx().gRecentFileTitles[2], QStringLiteral("2.mdb"));
    }

    void upgradesOlderVersions_data()
    {
        QTest::addColumn<double>("version");
        QTest::newRow("1.0, two steps") << 1.0;
        QTest::newRow("1.0001, one step") << 1.0001;
    }
    void upgradesOlderVersions()
    {
        QFETCH(double, version);
        const QString path = DatabaseFixture::create(folder(), "old.mdb", version);
        if (version == 1.0)  // the seller had switched them off: the upgrade switches them on
            QCOMPARE(scalar(path, "SELECT COUNT(*) FROM pragma_table_info('Configuration') WHERE name='FPOsold'").toInt(), 0);
        QVERIFY(OpenDatabase(path, "old.mdb", true, false));
        QVERIFY(ctx().gConfiguration.FPOunsold);
        QVERIFY(ctx().gConfiguration.FPOsold);
        QVERIFY(ctx().gConfiguration.RelistUnsold);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("0"));
        modDatabase::CloseDatabase();
        QCOMPARE(scalar(path, "SELECT DatabaseVersion FROM Configuration").toDouble(), 1.0002);
        QCOMPARE(scalar(path, "SELECT TradeMeMemberId FROM Configuration").toString(), QStringLiteral("0"));
    }

    void halfAppliedUpgradeIsFinished()
    {
        // A 1.0 file that already has one of the columns its upgrade adds.
        const QString path = DatabaseFixture::create(folder(), "half.mdb", 1.0);
        QVERIFY(DatabaseFixture::execute(path, {"ALTER TABLE Configuration ADD COLUMN FPOunsold INTEGER"}));
        QVERIFY(OpenDatabase(path, "half.mdb", true, false));
        QVERIFY(ctx().gConfiguration.FPOunsold);
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("0"));
    }

    void failedUpgradeStepChangesNothing()
    {
        const QString path = DatabaseFixture::create(folder(), "stuck.mdb", 1.0001);
        QVERIFY(DatabaseFixture::execute(path, {"CREATE TRIGGER NoUpdate BEFORE UPDATE ON Configuration "
                                                "BEGIN SELECT RAISE(ABORT, 'locked by test'); END"}));
        env->messages()
            .answer(vbmsg::OK, "An error occurred opening database.")
            .answer(vbmsg::OK, updateFailed)
            .answer(vbmsg::OK, openFailed);
        QVERIFY(!OpenDatabase(path, "stuck.mdb", true, false));
        QVERIFY(env->messages().prompts()[0].text.contains("locked by test"));
        QVERIFY(!ctx().gConnection->IsOpen());
        // The step's column was rolled back with it: the next open starts the step again.
        QCOMPARE(scalar(path, "SELECT COUNT(*) FROM pragma_table_info('Configuration') WHERE name='TradeMeMemberId'").toInt(), 0);
        QCOMPARE(scalar(path, "SELECT DatabaseVersion FROM Configuration").toDouble(), 1.0001);
        QVERIFY(DatabaseFixture::execute(path, {"DROP TRIGGER NoUpdate"}));
        QVERIFY(OpenDatabase(path, "stuck.mdb", true, false));
    }

    void newerVersionOpensUnchanged()
    {
        const QString path = DatabaseFixture::create(folder(), "newer.mdb");
        QVERIFY(DatabaseFixture::execute(path, {"UPDATE Configuration SET DatabaseVersion=1.0003"}));
        QVERIFY(OpenDatabase(path, "newer.mdb", true, false));
        modDatabase::CloseDatabase();
        QCOMPARE(scalar(path, "SELECT DatabaseVersion FROM Configuration").toDouble(), 1.0003);
    }

    void unknownOldVersionFails()
    {
        const QString path = DatabaseFixture::create(folder(), "ancient.mdb");
        QVERIFY(DatabaseFixture::execute(path, {"UPDATE Configuration SET DatabaseVersion=0.9"}));
        const QByteArray before = fileHash(path);
        env->messages().answer(vbmsg::OK, updateFailed).answer(vbmsg::OK, openFailed);
        QVERIFY(!OpenDatabase(path, "ancient.mdb", true, true));
        QCOMPARE(env->messages().prompts()[1].style, int(vbmsg::Critical));
        QVERIFY(env->messages().prompts()[1].text.contains(path));
        QVERIFY(env->messages().prompts()[1].text.endsWith("Be sure you are opening a valid Vendaro database."));
        QCOMPARE(fileHash(path), before);
        QCOMPARE(ctx().gRecentFileNames[0], QString());
    }

    void typedColumnsMustHoldValues_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("opens");
        QTest::newRow("null text column reads as empty") << "EmailCC=NULL" << true;
        QTest::newRow("null date fails") << "DateLastUpdate=NULL" << false;
        QTest::newRow("null yes/no fails") << "ShowGrid=NULL" << false;
        QTest::newRow("text in a number column fails") << "EmailWrap='wide'" << false;
        QTest::newRow("whole number too large for its type fails") << "DefaultLink=70000" << false;
        QTest::newRow("date as text converts") << "DateLastUpdate='5/03/2024 2:07:09 PM'" << true;
        // Not a number, or beyond every number or date: no value.
        QTest::newRow("nan as text in a whole-number column") << "EmailWrap='nan'" << false;
        QTest::newRow("inf as text in a whole-number column") << "DefaultLink='inf'" << false;
        QTest::newRow("infinite number in a number column") << "ListColor=9e999" << false;
        QTest::newRow("nan as text in a yes/no column") << "ShowGrid='nan'" << false;
        QTest::newRow("date beyond the calendar") << "DateLastUpdate=1e300" << false;
        QTest::newRow("date as inf text") << "DateSystemStart='-inf'" << false;
    }
    void typedColumnsMustHoldValues()
    {
        QFETCH(QString, change);
        QFETCH(bool, opens);
        // A good database first: a failed open leaves its configuration in place.
        QVERIFY(OpenDatabase(DatabaseFixture::create(folder(), "good.mdb"), "good.mdb", true, false));
        ctx().gConfiguration.EmailCC = "kept@example.com";
        const QString path = DatabaseFixture::create(folder(), "bad.mdb");
        QVERIFY(DatabaseFixture::execute(path, {"UPDATE Configuration SET EmailCC='x@y.z', " + change}));
        if (!opens) env->messages().answer(vbmsg::OK, openFailed);
        QCOMPARE(OpenDatabase(path, "bad.mdb", true, false), opens);
        if (opens && change.startsWith("EmailCC")) QCOMPARE(ctx().gConfiguration.EmailCC, QString());
        if (!opens) {
            QCOMPARE(ctx().gConfiguration.EmailCC, QStringLiteral("kept@example.com"));
            QVERIFY(!ctx().gConnection->IsOpen());
        }
    }

    // A Configuration row without one of its columns is not a whole
    // configuration, whatever the column holds.
    void everySettingColumnMustExist_data()
    {
        QTest::addColumn<QString>("column");
        QTest::newRow("a text setting") << "EmailCC";
        QTest::newRow("the site password") << "TradeMePassword";
        QTest::newRow("a number setting") << "EmailWrap";
        QTest::newRow("a Yes/No setting") << "ShowGrid";
    }
    void everySettingColumnMustExist()
    {
        QFETCH(QString, column);
        QVERIFY(OpenDatabase(DatabaseFixture::create(folder(), "good.mdb"), "good.mdb", true, false));
        ctx().gConfiguration.EmailCC = "kept@example.com";
        const QString path = DatabaseFixture::create(folder(), "bad.mdb");
        QVERIFY(DatabaseFixture::execute(path, {"ALTER TABLE Configuration DROP COLUMN " + column}));
        env->messages().answer(vbmsg::OK, openFailed);
        QVERIFY(!OpenDatabase(path, "bad.mdb", true, false));
        QCOMPARE(ctx().gConfiguration.EmailCC, QStringLiteral("kept@example.com"));
        QVERIFY(!ctx().gConnection->IsOpen());
    }

    void badFilesFailCleanly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");  // why the file was refused, told after the usual text; "" none
        QTest::newRow("missing") << "missing" << "The file does not exist.";
        QTest::newRow("not a database") << "garbage" << "file is not a database";
        QTest::newRow("empty file") << "empty" << "The file is empty; it is not a database.";
        QTest::newRow("another program's database") << "foreign" << "";
        QTest::newRow("no configuration row") << "norow" << "";
        QTest::newRow("read-only") << "readonly" << "The file is read-only.";
        QTest::newRow("a folder") << "folder" << "The file does not exist.";
        QTest::newRow("damaged") << "damaged" << "The file is damaged and cannot be used.";
        QTest::newRow("in a read-only folder") << "locked folder" << "The folder %1 is read-only, so no change could be saved in it.";
    }
    void badFilesFailCleanly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = QDir(folder()).filePath("file.mdb");
        if (kind == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("Vendaro? no, a shopping list.\n").repeated(200));
        } else if (kind == "empty") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (kind == "foreign") {
            DatabaseFixture::create(folder(), "file.mdb");
            QVERIFY(DatabaseFixture::execute(path, {"DROP TABLE Configuration", "CREATE TABLE Recipes (Name TEXT)"}));
        } else if (kind == "norow") {
            DatabaseFixture::create(folder(), "file.mdb");
            QVERIFY(DatabaseFixture::execute(path, {"DELETE FROM Configuration"}));
        } else if (kind == "readonly") {
            DatabaseFixture::create(folder(), "file.mdb");
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        } else if (kind == "folder") {
            QDir(folder()).mkdir("file.mdb");
        } else if (kind == "damaged") {
            // The lists' own table: the configuration still reads.
            DatabaseFixture::create(folder(), "file.mdb");
            QVERIFY(DatabaseFixture::damage(path, "Auction"));
        } else if (kind == "locked folder") {
            DatabaseFixture::create(folder(), "file.mdb");
            QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
            reason = reason.arg(folder());
        }
        const QByteArray before = fileHash(path);
        const QStringList filesBefore = QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        env->messages().answer(vbmsg::OK, openFailed);
        QVERIFY(!OpenDatabase(path, "file.mdb", true, true));
        const QString said = env->messages().prompts()[0].text;
        QVERIFY(said.contains(path));
        const QString usual = QStringLiteral("Be sure you are opening a valid Vendaro database.");
        if (reason.isEmpty())
            QVERIFY(said.endsWith(usual));
        else
            QVERIFY2(said.contains(usual + "\r\n\r\n" + reason), qPrintable(said));
        QVERIFY(!OpenDatabase(path, "file.mdb", false, true));  // silent without ShowError

        QCOMPARE(fileHash(path), before);
        QCOMPARE(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
        QVERIFY(!ctx().gConnection->IsOpen());
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileName", "none"), QStringLiteral("none"));
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

VENDARO_TEST_MAIN(tst_opendatabase)
#include "tst_opendatabase.moc"
