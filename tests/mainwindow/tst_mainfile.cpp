#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "StandInSite.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "email/clsEmails.h"
#include "mainwindow/AuctionListModel.h"
#include "mainwindow/SearchPanel.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/transfer/Downloader.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTreeView>

#include <optional>

namespace {
const QString Section = QStringLiteral("Settings\\frmMain");
const QString Database = QStringLiteral("Database");
using MainWindowDriver::StartHint;
const QString Maker = QStringLiteral("http://127.0.0.1:9");  // VENDARO_MAKER_URL of every test
const QString CannotRestart = QStringLiteral("Cannot restart vendaro - the application is not in the current folder?");
}  // namespace

class tst_mainfile : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QPointer<frmMain> window;
    // Browser windows the main window opened, in order.
    QList<QPointer<QDialog>> browsers;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    QString inFolder(const QString& name) const { return QDir(env->programFolder()).filePath(name); }
    QString shopPath() const { return inFolder(QStringLiteral("shop.mdb")); }

    void addSale(const QString& id, int step, const QVariant& due, double start = 45000)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, CustomerId, ActionId, DateNextAction, DateStart) "
             "VALUES (?, 'MISC', 'Blue teapot', 'ann', ?, ?, ?)",
             {id, step, due, start});
    }
    void addTemplate(const QString& id)
    {
        exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES (?, 'MISC', 18, ?, ?)",
             {id, "About " + id, "Hello from " + id});
    }
    QStringList historyOf(const QString& id)
    {
        QStringList texts;
        Recordset rs;
        rs.Open("SELECT Description FROM History WHERE AuctionId=? ORDER BY \"Date\", Autonumber", &conn(), Recordset::adOpenStatic,
                Recordset::adLockReadOnly, {id});
        for (; !rs.isEOF(); rs.MoveNext()) texts << rs.text("Description");
        return texts;
    }

    // Whole rows as text, read through a connection of their own (the
    // program's one is closed once it restarts).
    static QStringList rowsIn(const QString& path, const QString& sql)
    {
        QStringList out;
        Connection c;
        if (!c.Open(path)) {
            QTest::qFail(qPrintable("cannot open " + path), __FILE__, __LINE__);
            return out;
        }
        Recordset rs;
        if (!rs.Open(sql, &c, Recordset::adOpenStatic, Recordset::adLockReadOnly)) {
            QTest::qFail(qPrintable(rs.lastError()), __FILE__, __LINE__);
            return out;
        }
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList fields;
            for (int i = 0; i < rs.FieldCount(); ++i) fields << rs.FieldName(i) + u'=' + rs.value(i).toString();
            out << fields.join(QStringLiteral(", "));
        }
        rs.Close();
        return out;
    }
    // The "Database" section as key=value pairs.
    static QStringList databaseSettings()
    {
        QStringList out;
        QStringList keys = AppSettings::Keys(Database);
        keys.sort();
        for (const QString& k : keys) out << k + u'=' + AppSettings::GetSetting(Database, k);
        return out;
    }
    // Fills the recent list as the start-up leaves it: newest first, each a file of the program folder.
    void setRecent(const QStringList& titles)
    {
        for (int i = 0; i < ProgramContext::RecentCount; ++i) {
            ctx().gRecentFileNames[i] = i < titles.size() ? inFolder(titles[i]) : QString();
            ctx().gRecentFileTitles[i] = i < titles.size() ? titles[i] : QString();
        }
    }

    // The window as it is after its first activation, shown.
    frmMain& opened()
    {
        window = MainWindowDriver::open(env->messages());
        return *window;
    }
    // The listed sales in number order.
    QStringList listedIds() const
    {
        QStringList ids = MainWindowDriver::listedIds(*window);
        ids.sort();
        return ids;
    }
    void clickRow(const QString& id)
    {
        MainWindowDriver::clickRow(*window, id);
        QCOMPARE(window->txtAuctionId->text(), id);
    }
    // The Email button's drop-down: "-" for a separator, else name=caption (as shown).
    QStringList emailMenu() const
    {
        QStringList out;
        for (QAction* a : window->action("Email")->menu()->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + u'=' + MainWindowDriver::shownText(a->text()));
        return out;
    }

    // A restart: the program started once more, this window closed with its layout kept.
    void verifyRestarted()
    {
        QCOMPARE(env->startedPrograms(), QStringList{QCoreApplication::applicationFilePath()});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(window.isNull(), "the window stayed open");
        QVERIFY(AppSettings::HasSetting(Section, "WindowState"));
        QVERIFY(AppSettings::HasSetting(Section, "ListSortKey"));
    }
    // No restart: nothing started, the window still open on the same database.
    void verifyStayed()
    {
        QVERIFY(env->startedPrograms().isEmpty());
        QVERIFY(window && window->isVisible());
        QVERIFY(!AppSettings::HasSetting(Section, "WindowState"));
        QCOMPARE(ctx().gDatabaseFile, shopPath());
        QVERIFY(ctx().gConnection->IsOpen());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), window->model->rowCount());
    }

    // The one stub call a command made.
    void verifyStub(const QString& form, const QVariantMap& vars)
    {
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, form);
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars, vars);
    }

private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("INSERT INTO Customer (CustomerId, Name, Email, EmailCC) VALUES ('ann', 'Ann', 'ann@example.com', '')");
        ctx().gConfiguration.DefaultList = false;
        ctx().gConfiguration.TradeMeEmail = QStringLiteral("seller@example.com");
        browsers.clear();
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) {
            auto* d = new QDialog(parent);
            browsers << d;
            return d;
        });
    }
    void cleanup()
    {
        for (const QPointer<QDialog>& b : browsers) delete b.data();
        browsers.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
        env.reset();
    }

    // ---- File: new, open, save as ------------------------------------------------

    void newDatabaseForgetsTheLastOne()
    {
        frmMain& w = opened();
        QVERIFY(AppSettings::HasSetting(Database, "LastFileName"));
        QVERIFY(AppSettings::HasSetting(Database, "LastFileTitle"));
        w.action("mnuFileNew")->trigger();
        // The next run starts without a database to open, and makes one.
        QVERIFY(!AppSettings::HasSetting(Database, "LastFileName"));
        QVERIFY(!AppSettings::HasSetting(Database, "LastFileTitle"));
        verifyRestarted();
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    void failedRestartSaysSo()
    {
        env->setProgramStartSucceeds(false);
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, CannotRestart);
        w.action("mnuFileNew")->trigger();
        QCOMPARE(env->startedPrograms().size(), 1);  // tried once
        const ScriptedMessages::Prompt& said = env->messages().prompts().last();
        QCOMPARE(said.text, CannotRestart);
        QCOMPARE(said.style, int(vbmsg::Critical));
        QCOMPARE(said.title, ctx().gAppTitle);
    }

    void openChosenDatabase()
    {
        const QString garage = DatabaseFixture::create(env->programFolder(), "garage.mdb");
        setRecent({"shop.mdb"});
        frmMain& w = opened();
        env->messages().answerFile(garage);
        w.action("mnuFileOpen")->trigger();
        QCOMPARE(env->messages().prompts().last().kind, QStringLiteral("GetOpenFileName"));
        QCOMPARE(ctx().gDatabaseFile, garage);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileName"), garage);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileTitle"), QStringLiteral("garage.mdb"));
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName1"), garage);
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileTitle1"), QStringLiteral("garage.mdb"));
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName2"), shopPath());
        verifyRestarted();
    }

    void openChangesNothing_data()
    {
        QTest::addColumn<QString>("chosen");  // "" cancels the dialog
        QTest::newRow("a missing file") << "gone.mdb";
        QTest::newRow("cancelled") << "";
    }
    void openChangesNothing()
    {
        QFETCH(QString, chosen);
        setRecent({"shop.mdb"});
        frmMain& w = opened();
        const QStringList before = databaseSettings();
        const QString path = chosen.isEmpty() ? QString() : inFolder(chosen);
        env->messages().answerFile(path);
        if (!path.isEmpty()) env->messages().answer(vbmsg::OK, "Could not open database");
        w.action("mnuFileOpen")->trigger();
        if (!path.isEmpty()) {
            QCOMPARE(env->messages().prompts().last().text, "Could not open database " + path);
            QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Critical));
        }
        QCOMPARE(env->messages().prompts().size(), path.isEmpty() ? 2 : 3);
        QCOMPARE(databaseSettings(), before);
        QVERIFY(!QFileInfo::exists(inFolder("gone.mdb")));
        verifyStayed();
    }

    void saveAsCopiesTheDatabase_data()
    {
        QTest::addColumn<QString>("typed");     // what the seller gives the dialog
        QTest::addColumn<QString>("target");    // the file that results
        QTest::addColumn<bool>("exists");       // a database is there already (and is overwritten)
        QTest::addColumn<bool>("cutShort");     // its last change was cut short: its journal is hot
        QTest::newRow("a new file") << "copy.mdb" << "copy.mdb" << false << false;
        QTest::newRow("no extension typed") << "copy" << "copy.mdb" << false << false;
        QTest::newRow("over another database, yes") << "other.mdb" << "other.mdb" << true << false;
        QTest::newRow("over a database killed in the middle of a change") << "other.mdb" << "other.mdb" << true << true;
    }
    void saveAsCopiesTheDatabase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, target);
        QFETCH(bool, exists);
        QFETCH(bool, cutShort);
        const QString path = inFolder(target);
        if (exists) DatabaseFixture::create(env->programFolder(), target);
        if (cutShort) QVERIFY(DatabaseFixture::leaveHotJournal(path));
        addSale("100", 4, vb::today() - 1, 45001);
        addSale("200", 7, vb::today() + 3, 45002);
        const QString auctions = QStringLiteral("SELECT * FROM Auction ORDER BY AuctionId");
        const QString customers = QStringLiteral("SELECT * FROM Customer ORDER BY CustomerId");
        const QStringList auctionRows = rowsIn(shopPath(), auctions);
        const QStringList customerRows = rowsIn(shopPath(), customers);
        QCOMPARE(auctionRows.size(), 2);
        setRecent({"shop.mdb"});
        frmMain& w = opened();

        env->messages().answerFile(inFolder(typed));
        if (exists) env->messages().answer(vbmsg::Yes, "Database already exists");
        w.action("mnuFileSaveAs")->trigger();
        QCOMPARE(env->messages().prompts()[1].kind, QStringLiteral("GetSaveFileName"));
        if (exists) {
            const ScriptedMessages::Prompt& asked = env->messages().prompts().last();
            QCOMPARE(asked.text, "Database already exists: " + path + "\r\n\r\nOverwrite database?");
            QCOMPARE(asked.style, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2);
        }
        verifyRestarted();
        // The copy holds the same rows, and is the database from now on.
        QCOMPARE(rowsIn(path, auctions), auctionRows);
        QCOMPARE(rowsIn(path, customers), customerRows);
        QCOMPARE(ctx().gDatabaseFile, path);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileName"), path);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileTitle"), target);
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName1"), path);
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName2"), shopPath());
        // The original stays as it was.
        QCOMPARE(rowsIn(shopPath(), auctions), auctionRows);
        QCOMPARE(rowsIn(path, "PRAGMA integrity_check"), QStringList{"integrity_check=ok"});
    }

    // A copy that cannot take the target's place leaves both databases as they were.
    void saveAsThatFailsKeepsBoth()
    {
        const QString other = DatabaseFixture::create(env->programFolder(), "other.mdb");
        QVERIFY(DatabaseFixture::execute(other, {"INSERT INTO Customer (CustomerId) VALUES ('other buyer')"}));
        // Its journal is a folder with something in it, which cannot be removed.
        QVERIFY(QDir().mkpath(other + "-journal/inside"));
        QFile otherFile(other);
        QVERIFY(otherFile.open(QIODevice::ReadOnly));
        const QByteArray otherBytes = otherFile.readAll();
        otherFile.close();
        addSale("100", 4, vb::today() - 1);
        setRecent({"shop.mdb"});
        frmMain& w = opened();
        const QStringList before = databaseSettings();
        env->messages().answerFile(other).answer(vbmsg::Yes, "Overwrite database?").answer(vbmsg::OK, "The database could not be copied to:");
        w.action("mnuFileSaveAs")->trigger();
        const ScriptedMessages::Prompt& said = env->messages().prompts().last();
        QVERIFY2(said.text.startsWith("The database could not be copied to:\r\n" + other + "\r\n\r\nRemoving the old journal file " + other +
                                      "-journal failed: "),
                 qPrintable(said.text));
        QCOMPARE(said.style, int(vbmsg::Critical));
        QCOMPARE(databaseSettings(), before);
        QVERIFY(otherFile.open(QIODevice::ReadOnly));
        QCOMPARE(otherFile.readAll(), otherBytes);
        QVERIFY(!QFileInfo::exists(other + ".new"));
        verifyStayed();
        QCOMPARE(rowsIn(shopPath(), "SELECT AuctionId FROM Auction"), QStringList{"AuctionId=100"});
    }

    void saveAsChangesNothing_data()
    {
        QTest::addColumn<QString>("chosen");  // "" cancels the dialog
        QTest::addColumn<bool>("asked");      // the overwrite question, answered No
        QTest::newRow("onto the open database") << "shop.mdb" << false;
        QTest::newRow("over another database, no") << "other.mdb" << true;
        QTest::newRow("cancelled") << "" << false;
    }
    void saveAsChangesNothing()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, asked);
        const QString other = DatabaseFixture::create(env->programFolder(), "other.mdb");
        addSale("100", 4, vb::today() - 1);
        setRecent({"shop.mdb"});
        frmMain& w = opened();
        const QStringList before = databaseSettings();
        env->messages().answerFile(chosen.isEmpty() ? QString() : inFolder(chosen));
        if (asked) env->messages().answer(vbmsg::No, "Overwrite database?");
        w.action("mnuFileSaveAs")->trigger();
        QCOMPARE(env->messages().prompts().size(), asked ? 3 : 2);
        if (asked) {
            QCOMPARE(env->messages().prompts().last().text, "Database already exists: " + other + "\r\n\r\nOverwrite database?");
            QCOMPARE(env->messages().prompts().last().style, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2);
        }
        QCOMPARE(databaseSettings(), before);
        QCOMPARE(rowsIn(other, "SELECT AuctionId FROM Auction"), QStringList{});
        QCOMPARE(rowsIn(shopPath(), "SELECT AuctionId FROM Auction"), QStringList{"AuctionId=100"});
        verifyStayed();
    }

    // ---- File: the recent databases -------------------------------------------------

    void recentEntryOpensItsDatabase()
    {
        const QString garage = DatabaseFixture::create(env->programFolder(), "garage.mdb");
        setRecent({"shop.mdb", "garage.mdb"});
        frmMain& w = opened();
        QAction* entry = w.action("mnuFileRecent(2)");
        QVERIFY(entry->isVisible());
        entry->trigger();
        QCOMPARE(ctx().gDatabaseFile, garage);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileName"), garage);
        QCOMPARE(AppSettings::GetSetting(Database, "LastFileTitle"), QStringLiteral("garage.mdb"));
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName1"), garage);
        QCOMPARE(AppSettings::GetSetting(Database, "RecentFileName2"), shopPath());
        QCOMPARE(env->messages().prompts().size(), 1);
        verifyRestarted();
    }

    void missingRecentEntryGoes_data()
    {
        QTest::addColumn<QStringList>("titles");  // newest first; entry 2 has no file
        QTest::addColumn<QStringList>("left");
        QTest::newRow("2 of 3") << QStringList{"shop.mdb", "gone.mdb", "garage.mdb"} << QStringList{"shop.mdb", "garage.mdb"};
        QTest::newRow("2 of 5") << QStringList{"shop.mdb", "gone.mdb", "a.mdb", "b.mdb", "c.mdb"}
                                << QStringList{"shop.mdb", "a.mdb", "b.mdb", "c.mdb"};
        QTest::newRow("2 of 2: entry 1 alone") << QStringList{"shop.mdb", "gone.mdb"} << QStringList{"shop.mdb"};
    }
    void missingRecentEntryGoes()
    {
        QFETCH(QStringList, titles);
        QFETCH(QStringList, left);
        // What an older run left in the settings is replaced, every key of it.
        for (int i = 1; i <= ProgramContext::RecentCount; ++i) {
            AppSettings::SaveSetting(Database, QStringLiteral("RecentFileName%1").arg(i), "stale");
            AppSettings::SaveSetting(Database, QStringLiteral("RecentFileTitle%1").arg(i), "stale");
        }
        setRecent(titles);
        frmMain& w = opened();
        const QString gone = inFolder("gone.mdb");
        env->messages().answer(vbmsg::OK, "Could not open database");
        w.action("mnuFileRecent(2)")->trigger();
        QCOMPARE(env->messages().prompts().last().text, "Could not open database " + gone);
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Critical));

        for (int i = 1; i <= ProgramContext::RecentCount; ++i) {
            const QString name = i <= left.size() ? inFolder(left[i - 1]) : QString();
            const QString title = i <= left.size() ? left[i - 1] : QString();
            QCOMPARE(ctx().gRecentFileNames[i - 1], name);
            QCOMPARE(ctx().gRecentFileTitles[i - 1], title);
            QVERIFY(AppSettings::HasSetting(Database, QStringLiteral("RecentFileName%1").arg(i)));
            QCOMPARE(AppSettings::GetSetting(Database, QStringLiteral("RecentFileName%1").arg(i), "unset"), name);
            QCOMPARE(AppSettings::GetSetting(Database, QStringLiteral("RecentFileTitle%1").arg(i), "unset"), title);
            // The menu follows; here entry 1 shows even when it is the only one.
            QAction* entry = w.action(QStringLiteral("mnuFileRecent(%1)").arg(i));
            QCOMPARE(entry->isVisible(), i <= left.size());
            if (i <= left.size()) QCOMPARE(entry->text(), QStringLiteral("&%1  %2").arg(i).arg(title));
        }
        QVERIFY(w.action("mnuFileBar2")->isVisible());
        verifyStayed();
    }

    // ---- closing keeps the layout ------------------------------------------------------

    void closingKeepsTheWindowSize_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("maximised") << true;
        QTest::newRow("normal") << false;
    }
    void closingKeepsTheWindowSize()
    {
        QFETCH(bool, maximised);
        AppSettings::SaveSetting(Section, "Width", "12000");
        AppSettings::SaveSetting(Section, "Height", "8000");
        AppSettings::SaveSetting(Section, "WindowState", maximised ? "2" : "0");
        frmMain& w = opened();
        QCOMPARE(w.isMaximized(), maximised);
        if (!maximised) w.resize(w.minimumWidth() + 100, w.minimumHeight() + 60);
        const QSize size = w.size();
        QVERIFY(w.close());
        QCOMPARE(AppSettings::GetSetting(Section, "WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0"));
        // A maximised window keeps the size it has when it is restored.
        QCOMPARE(AppSettings::GetSetting(Section, "Width"), maximised ? QStringLiteral("12000") : QString::number(vb::pixelsToTwips(size.width())));
        QCOMPARE(AppSettings::GetSetting(Section, "Height"), maximised ? QStringLiteral("8000") : QString::number(vb::pixelsToTwips(size.height())));
    }

    void closingWithTheSearchPanelKeepsBothListLayouts()
    {
        AppSettings::SaveSetting(Section, "listColumn5", "222");
        AppSettings::SaveSetting(Section, "listColumnSearch5", "150");
        frmMain& w = opened();
        QCOMPARE(w.list->columnWidth(AuctionListModel::ColBuyer), 222);
        w.OpenSearchWindow(false);
        QVERIFY(w.searchShown());
        QCOMPARE(w.list->columnWidth(AuctionListModel::ColBuyer), 150);
        QStringList listWidths;
        for (int n = 2; n <= AuctionListModel::ColumnCount; ++n) listWidths << AppSettings::GetSetting(Section, QStringLiteral("listColumn%1").arg(n));
        w.list->setColumnWidth(AuctionListModel::ColBuyer, 177);
        QStringList searchWidths;
        for (int n = 2; n <= AuctionListModel::ColumnCount; ++n) searchWidths << QString::number(w.list->columnWidth(n - 1));

        QVERIFY(w.close());
        for (int n = 2; n <= AuctionListModel::ColumnCount; ++n) {
            QCOMPARE(AppSettings::GetSetting(Section, QStringLiteral("listColumnSearch%1").arg(n)), searchWidths[n - 2]);
            QCOMPARE(AppSettings::GetSetting(Section, QStringLiteral("listColumn%1").arg(n)), listWidths[n - 2]);
        }
        QCOMPARE(AppSettings::GetSetting(Section, "listColumnSearch5"), QStringLiteral("177"));
        QCOMPARE(AppSettings::GetSetting(Section, "listColumn5"), QStringLiteral("222"));
    }

    // ---- the toolbar's list entries -----------------------------------------------------

    void toolbarListEntries_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QDate>("from");  // invalid: empty
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("option");  // the search panel's checked option
        QTest::addColumn<QStringList>("listed");
        // Sales due yesterday to a week ahead ("d-1" .. "d7"), one completed, one undated.
        const QDate today = QDate::currentDate();
        QDate friday = today;
        while (friday.dayOfWeek() != Qt::Friday) friday = friday.addDays(1);
        QStringList week;
        for (int d = -1; d <= today.daysTo(friday); ++d) week << QStringLiteral("d%1").arg(d);
        QStringList active{"undated"};
        for (int d = -1; d <= 7; ++d) active << QStringLiteral("d%1").arg(d);
        QTest::newRow("today's tasks") << "TasksToday" << QDate() << today << 0 << QStringList{"d-1", "d0"};
        QTest::newRow("tomorrow's tasks") << "TasksTomorrow" << today.addDays(1) << today.addDays(1) << 0 << QStringList{"d1"};
        QTest::newRow("this week's tasks") << "TasksWeek" << QDate() << friday << 0 << week;
        QTest::newRow("all and completed") << "ListAllAndCompleted" << QDate() << QDate() << 2 << (active + QStringList{"done"});
        QTest::newRow("completed only") << "ListCompletedOnly" << QDate() << QDate() << 1 << QStringList{"done"};
    }
    void toolbarListEntries()
    {
        QFETCH(QString, key);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, option);
        QFETCH(QStringList, listed);
        const double today = vb::today();
        for (int d = -1; d <= 7; ++d) addSale(QStringLiteral("d%1").arg(d), 4, today + d + 0.6, 45000 + d);
        addSale("done", 15, today, 44000);
        addSale("undated", 2, QVariant(), 44001);
        frmMain& w = opened();
        QVERIFY(!w.searchShown());

        w.action(key)->trigger();
        QVERIFY(w.searchShown());
        SearchPanel* panel = w.picSearch;
        QCOMPARE(panel->dateSearch[0]->isNull(), !from.isValid());
        if (from.isValid()) QCOMPARE(panel->dateSearch[0]->date(), from);
        QCOMPARE(panel->dateSearch[1]->isNull(), !to.isValid());
        if (to.isValid()) QCOMPARE(panel->dateSearch[1]->date(), to);
        for (int i = 0; i < 3; ++i) QCOMPARE(panel->optSearch[i]->isChecked(), i == option);
        listed.sort();
        QCOMPARE(listedIds(), listed);
        QCOMPARE(MainWindowDriver::itemsListed(w), QStringLiteral("%1 Items listed").arg(listed.size()));
        QCOMPARE(w.lblMode->text(), QStringLiteral("  Search Results"));
    }

    void daysToFriday_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("days");
        // 2 to 8 March 2024, Saturday to Friday.
        QTest::newRow("Saturday") << QDate(2024, 3, 2) << 6;
        QTest::newRow("Sunday") << QDate(2024, 3, 3) << 5;
        QTest::newRow("Monday") << QDate(2024, 3, 4) << 4;
        QTest::newRow("Tuesday") << QDate(2024, 3, 5) << 3;
        QTest::newRow("Wednesday") << QDate(2024, 3, 6) << 2;
        QTest::newRow("Thursday") << QDate(2024, 3, 7) << 1;
        QTest::newRow("Friday") << QDate(2024, 3, 8) << 0;
    }
    void daysToFriday()
    {
        QFETCH(QDate, day);
        QFETCH(int, days);
        QCOMPARE(frmMain::DaysToFriday(day), days);
        QCOMPARE(day.addDays(days).dayOfWeek(), int(Qt::Friday));
    }

    void unknownListKeySaysSo_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("no such entry") << "Archive";
        QTest::newRow("like a list entry") << "ListArchived";
        // Only the three task list entries are task list entries.
        QTest::newRow("like a task entry") << "TasksYesterday";
    }
    void unknownListKeySaysSo()
    {
        QFETCH(QString, key);
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, "No action set for this button.");
        w.tbar_ButtonMenuClick(key);
        const ScriptedMessages::Prompt& said = env->messages().prompts().last();
        QCOMPARE(said.text, "No action set for this button. Key = " + key);
        QCOMPARE(said.style, int(vbmsg::OKOnly));
        QVERIFY(!w.searchShown());
        QCOMPARE(listedIds(), QStringList{"100"});
    }

    // ---- custom e-mails on the Email button -----------------------------------------------

    void customEmailEntries()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        const QStringList fixed = emailMenu();
        QCOMPARE(fixed.size(), 9);
        addTemplate("ZED");
        addTemplate("ABC");
        addTemplate("~hidden");
        w.ApplyConfiguration();
        // By name; each entry's key counts the entries before it.
        const QStringList custom{"-", "EmailCustom10=Custom email: ABC", "EmailCustom11=Custom email: ZED"};
        QCOMPARE(emailMenu(), fixed + custom);
        QVERIFY(w.action("EmailCustom10") && w.action("EmailCustom10")->isEnabled());
        QVERIFY(w.action("EmailCustom11") && w.action("EmailCustom11")->isEnabled());
        // Listed anew each time, never twice.
        w.UpdateEmailToolBar();
        w.UpdateEmailToolBar();
        QCOMPARE(emailMenu(), fixed + custom);
        QCOMPARE(w.action("EmailCustom10"), w.action("Email")->menu()->actions().at(10));
        QCOMPARE(w.action("EmailCustom11"), w.action("Email")->menu()->actions().at(11));
    }

    void customEmailNeedsASale()
    {
        ctx().gConfiguration.DefaultList = true;
        addSale("100", 4, vb::today() + 2);  // not due: the task list is empty
        addTemplate("ABC");
        frmMain& w = opened();
        w.ApplyConfiguration();
        QCOMPARE(w.model->rowCount(), 0);
        QVERIFY(!w.action("EmailCustom10")->isEnabled());
        env->messages().answer(vbmsg::OK, "Select an auction item first.");
        w.tbar_ButtonMenuClick("EmailCustom10");
        QCOMPARE(env->messages().prompts().last().text, QStringLiteral("Select an auction item first."));
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
    }

    void customEmailOpensItsTemplate()
    {
        const double due = vb::today() - 1 + 0.25;
        addSale("100", 4, due, 45002);
        addSale("200", 6, due, 45001);
        addTemplate("ZED");
        addTemplate("ABC");
        frmMain& w = opened();
        w.ApplyConfiguration();
        w.UpdateEmailToolBar();
        clickRow("200");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmEmailSingle"));
        w.action("EmailCustom11")->trigger();
        verifyStub("frmEmailSingle", {{"mRemoteAuctionId", "200"},
                                      {"mRemoteActionId", 18},
                                      {"mRemoteItemId", "MISC"},
                                      {"mRemoteEmailId", "ZED"},
                                      {"mRemoteUpdateNextAction", false}});
        // A custom e-mail is not the sale's task: nothing moves on.
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='200'").toInt(), 6);
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='200'").toDouble(), due);
    }

    // ---- toolbar buttons -----------------------------------------------------------------

    void postpone_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("text");
        QTest::newRow("the button: one day") << "Postpone" << 1 << "Next action postponed for 1 day";
        QTest::newRow("two weeks") << "Postpone14" << 14 << "Next action postponed for 2 weeks";
    }
    void postpone()
    {
        QFETCH(QString, button);
        QFETCH(int, days);
        QFETCH(QString, text);
        const double due = vb::today() - 2 + 0.75;
        addSale("100", 4, due, 45002);
        addSale("200", 4, due, 45001);
        frmMain& w = opened();
        clickRow("200");
        w.action(button)->trigger();
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='200'").toDouble(), vb::today() + days);
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='100'").toDouble(), due);
        QCOMPARE(historyOf("200"), QStringList{text});
        // The history row says how to undo it.
        QCOMPARE(scalar("SELECT Changed FROM History WHERE AuctionId='200'").toString(),
                 QStringLiteral("DateNextAction=") + clsActions::RecipeDate(due));
        QTRY_VERIFY(ctx().gDatabase->PendingLog().isEmpty());
        QCOMPARE(w.model->row(w.model->rowOf("200")).ActionDate, vb::dateText(vb::today() + days));
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    void siteButtonWithoutALinkDoesNothing()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        w.action("TradeMe")->setData(QString());
        w.action("TradeMe")->trigger();
        QTest::qWait(20);
        QVERIFY(browsers.isEmpty());
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    // ---- Reports, Data, Tools and Help ------------------------------------------------------

    void singleLabelNeedsASale()
    {
        frmMain& w = opened();
        QCOMPARE(w.model->rowCount(), 0);
        env->messages().answer(vbmsg::OK, "Select an auction item first");
        w.action("mnuReportsSingleLabel")->trigger();
        QCOMPARE(env->messages().prompts().last().text, QStringLiteral("Select an auction item first"));
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
    }

    void singleLabelForTheSelectedSale()
    {
        addSale("100", 11, vb::today(), 45002);
        addSale("200", 11, vb::today(), 45001);
        frmMain& w = opened();
        clickRow("200");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmLabels"));
        w.action("mnuReportsSingleLabel")->trigger();
        verifyStub("frmLabels", {{"pSingleAuctionNumber", "200"}});
    }

    void stockReports()
    {
        frmMain& w = opened();
        const QString report = QStringLiteral("Settings\\reportStockOnHand");
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("reportStockOnHand"));
        w.action("mnuReportLowStock")->trigger();
        QCOMPARE(AppSettings::GetSetting(report, "LowStockOnly"), QStringLiteral("True"));
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("reportStockOnHand"));
        w.action("mnuReportStockOnHand")->trigger();
        QCOMPARE(AppSettings::GetSetting(report, "LowStockOnly"), QStringLiteral("False"));
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 2);
        for (const FormsRegistry::StubCall& c : calls) {
            QCOMPARE(c.form, QStringLiteral("reportStockOnHand"));
            QVERIFY(c.modal);
        }
    }

    void menuWindows_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QVariantMap>("vars");
        QTest::newRow("sales") << "mnuDataAuction" << "frmAuction" << QVariantMap{};
        QTest::newRow("direct sale") << "mnuDataAuctionAddNon" << "frmAuction" << QVariantMap{{"mRemotePrivate", true}};
        QTest::newRow("buyers") << "mnuDataCustomer" << "frmCustomer" << QVariantMap{};
        QTest::newRow("payment methods") << "mnuDataPayMethods" << "frmPayMethod" << QVariantMap{};
        QTest::newRow("items") << "mnuDataItem" << "frmItem" << QVariantMap{};
        QTest::newRow("item groups") << "mnuDataItemGroup" << "frmItemGroup" << QVariantMap{};
        QTest::newRow("e-mail templates") << "mnuToolsEmail" << "frmEmail" << QVariantMap{};
        QTest::newRow("options") << "mnuToolsOptions" << "frmConfig" << QVariantMap{};
        QTest::newRow("about") << "mnuHelpAbout" << "frmAbout" << QVariantMap{};
    }
    void menuWindows()
    {
        QFETCH(QString, entry);
        QFETCH(QString, form);
        QFETCH(QVariantMap, vars);
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText(form));
        w.action(entry)->trigger();
        verifyStub(form, vars);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 1);
    }

    // The demo's maker site is the stand-in: it has a page at each address
    // the Help entries open.
    void helpPagesOnTheStandIn_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("heading");
        QTest::newRow("tutorial") << "mnuHelpTutorial" << "<h1>Vendaro tutorial</h1>";
        QTest::newRow("contact") << "mnuHelpContact" << "<h1>Contact us</h1>";
    }
    void helpPagesOnTheStandIn()
    {
        QFETCH(QString, entry);
        QFETCH(QString, heading);
        StandInSite site;
        QVERIFY(site.start());
        // The site stops once the client has let go of its kept-alive connection.
        const auto release = qScopeGuard([] {
            Downloader::manager()->clearConnectionCache();
            qputenv("VENDARO_MAKER_URL", Maker.toUtf8());
        });
        frmMain& w = opened();
        qputenv("VENDARO_MAKER_URL", site.baseUrl().toUtf8());
        w.action(entry)->trigger();
        QCOMPARE(browsers.size(), 1);
        const QString address = browsers[0]->property("StartingAddress").toString();
        QVERIFY2(address.startsWith(site.baseUrl() + u'/'), qPrintable(address));
        const Downloader::Result page = Downloader::Get(QUrl(address), 10000);
        QVERIFY2(page.ok, qPrintable(address + QStringLiteral(": ") + page.error));
        QCOMPARE(page.status, 200);
        QVERIFY(page.data.contains(heading.toUtf8()));
    }

    void helpPages_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("address");
        QTest::newRow("tutorial") << "mnuHelpTutorial" << Maker + "/help";
        QTest::newRow("contact") << "mnuHelpContact" << Maker + "/contact.aspx";
    }
    void helpPages()
    {
        QFETCH(QString, entry);
        QFETCH(QString, address);
        frmMain& w = opened();
        w.action(entry)->trigger();
        QCOMPARE(browsers.size(), 1);
        QVERIFY(browsers[0]);
        QCOMPARE(browsers[0]->property("StartingAddress").toString(), address);
        QVERIFY(browsers[0]->isVisible());
        QVERIFY(!browsers[0]->isModal());
        QCOMPARE(env->messages().prompts().size(), 1);
    }

    // The maker's site of every test refuses: the check says it could not be
    // made (tst_updatecheck asks a site that answers).
    void updateCheckWithoutTheMakerSite()
    {
        frmMain& w = opened();
        env->messages().answer(vbmsg::OK, "Vendaro could not check for a software update.");
        w.action("mnuHelpUpdate")->trigger();
        QVERIFY(!env->messages().prompts().last().text.contains("up to date"));
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Exclamation));
        QVERIFY(env->startedPrograms().isEmpty());
        QVERIFY(w.isVisible());
    }

    // The Task List and List All buttons leave a search for the list.
    void listButtonsCloseTheSearch()
    {
        addSale("100", 4, vb::today());
        addSale("200", 4, vb::today() + 3);
        frmMain& w = opened();
        w.OpenSearchWindow(false);
        QVERIFY(w.searchShown());
        w.action("Tasks")->trigger();
        QVERIFY(!w.searchShown());
        QVERIFY(w.mTaskList);
        QCOMPARE(w.model->rowCount(), 1);
    }

    // The open database reached by another spelling of its path is not copied onto itself.
    void saveAsOntoItselfByAnotherSpelling()
    {
        frmMain& w = opened();
        const QFileInfo open(ctx().gDatabaseFile);
        env->messages().answerFile(open.absolutePath() + "/./" + open.fileName());
        w.action("mnuFileSaveAs")->trigger();
        QVERIFY(QFile::exists(ctx().gDatabaseFile));
        QVERIFY(ctx().gConnection->IsOpen());
        QVERIFY(env->startedPrograms().isEmpty());
    }

    // The program's own template is never opened or written as a seller's database.
    void theTemplateIsNotASellersDatabase()
    {
        frmMain& w = opened();
        const QString templateFile = QDir(env->programFolder()).filePath("data.mdb");
        env->messages().answerFile(templateFile).answer(vbmsg::OK, "You cannot open this database.");
        w.action("mnuFileOpen")->trigger();
        env->messages().answerFile(templateFile).answer(vbmsg::OK, "You cannot open this database.");
        w.action("mnuFileSaveAs")->trigger();
        QVERIFY(env->startedPrograms().isEmpty());
        QVERIFY(ctx().gConnection->IsOpen());
        QVERIFY(ctx().gDatabaseFile != templateFile);
    }
};

VENDARO_TEST_MAIN(tst_mainfile)
#include "tst_mainfile.moc"
