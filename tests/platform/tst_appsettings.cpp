#include "TestEnvironment.h"
#include "platform/AppSettings.h"

#include <QFile>
#include <QSettings>

#include <optional>

class tst_appsettings : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    void sectionsMapToGroups_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("group");
        QTest::newRow("top level") << "Database" << "Database";
        QTest::newRow("form section") << "Settings\\frmMain" << "Settings/frmMain";
        QTest::newRow("database name with slash") << "Messages\\shop/2024.mdb" << "Messages/shop%2F2024.mdb";
        QTest::newRow("database name with backslash") << "Messages\\a\\b.mdb" << "Messages/a%5Cb.mdb";
    }
    void sectionsMapToGroups()
    {
        QFETCH(QString, section);
        QFETCH(QString, group);
        QCOMPARE(AppSettings::groupFor(section), group);
    }

    void valuesRoundTripInTheirSection()
    {
        QCOMPARE(AppSettings::GetSetting("Settings\\frmMain", "Width", "9000"), QStringLiteral("9000"));
        AppSettings::SaveSetting("Settings\\frmMain", "Width", "12000");
        AppSettings::SaveSetting("Settings", "Width", "1");
        QCOMPARE(AppSettings::GetSetting("Settings\\frmMain", "Width", "9000"), QStringLiteral("12000"));
        QCOMPARE(AppSettings::GetSetting("Settings", "Width"), QStringLiteral("1"));
        AppSettings::Sync();

        // Stored where and as the other two programs read them.
        QSettings raw(env->settingsFile(), QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/frmMain/Width").toString(), QStringLiteral("12000"));
        QVERIFY(env->settingsFile().startsWith(env->settingsFolder()));
    }

    // Message texts are keys: every character must come back unchanged, and
    // one message must never land on another's key.
    void awkwardKeysSurvive_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("slashes") << "Save to C:/shop or C:\\shop?";
        QTest::newRow("percent") << "100% done, %2F is not a slash";
        QTest::newRow("ini syntax") << "a=b; [section] #comment \"quoted\"";
        QTest::newRow("line breaks") << "First line.\r\n\r\nSecond line.";
        QTest::newRow("blanks at the ends") << "  padded  ";
        QTest::newRow("unicode") << QString::fromUtf8("Kia ora, Māori ☺");
        QTest::newRow("long") << QString(3000, u'x');
    }
    void awkwardKeysSurvive()
    {
        QFETCH(QString, key);
        const QString section = QStringLiteral("Messages\\shop.mdb");
        AppSettings::SaveSetting(section, key, "False");
        AppSettings::Sync();
        QCOMPARE(AppSettings::GetSetting(section, key, "True"), QStringLiteral("False"));
        QVERIFY(AppSettings::HasSetting(section, key));
        QCOMPARE(AppSettings::Keys(section), QStringList{key});
        // A message switched off in one database stays on in another.
        QCOMPARE(AppSettings::GetSetting("Messages\\other.mdb", key, "True"), QStringLiteral("True"));
    }

    void keysThatLookAlikeStayApart()
    {
        AppSettings::SaveSetting("Settings", "a/b", "1");
        AppSettings::SaveSetting("Settings", "a\\b", "2");
        AppSettings::SaveSetting("Settings", "a%2Fb", "3");
        QCOMPARE(AppSettings::GetSetting("Settings", "a/b"), QStringLiteral("1"));
        QCOMPARE(AppSettings::GetSetting("Settings", "a\\b"), QStringLiteral("2"));
        QCOMPARE(AppSettings::GetSetting("Settings", "a%2Fb"), QStringLiteral("3"));
        QVERIFY(!AppSettings::HasSetting("Settings\\a", "b"));
    }

    void deleteKeyOrSection()
    {
        AppSettings::SaveSetting("Settings", "action", "Install");
        AppSettings::SaveSetting("Settings", "filename", "vendaro.zip");
        AppSettings::SaveSetting("Settings\\frmBrowser", "Top", "10");
        AppSettings::DeleteSetting("Settings", "action");
        QVERIFY(!AppSettings::HasSetting("Settings", "action"));
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
        AppSettings::DeleteSetting("Settings", "no such key");  // not an error

        AppSettings::DeleteSetting("Settings\\frmBrowser");
        QVERIFY(AppSettings::Keys("Settings\\frmBrowser").isEmpty());
        QCOMPARE(AppSettings::GetSetting("Settings", "filename"), QStringLiteral("vendaro.zip"));
    }

    void unreadableStoreGivesDefaults()
    {
        AppSettings::SaveSetting("Database", "LastFileName", "/tmp/a.mdb");
        AppSettings::Sync();
        QFile f(env->settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\x00\xff\xfe garbage [[[ = \n", 20);
        f.close();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, env->settingsFolder() + "/none");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, env->settingsFolder());
        QCOMPARE(AppSettings::GetSetting("Database", "RecentFileName1", "dflt"), QStringLiteral("dflt"));
    }

    // Each test starts with an empty store (the value written in the test above is gone).
    void eachTestStartsEmpty()
    {
        QCOMPARE(AppSettings::GetSetting("Database", "LastFileName", "none"), QStringLiteral("none"));
        QVERIFY(!QFile::exists(env->settingsFile()));
    }
};

VENDARO_TEST_MAIN(tst_appsettings)
#include "tst_appsettings.moc"
