#include "BoxLook.h"
#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "mainwindow/AuctionListModel.h"
#include "mainwindow/MenuAccelerators.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/ColorContrast.h"
#include "platform/FormsRegistry.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <limits>
#include <optional>

#include <sqlite3.h>

namespace {
const QString Section = QStringLiteral("Settings\\frmMain");
using MainWindowDriver::StartHint;
const QString NotAvailable = QStringLiteral("is not yet available in this version of Vendaro.");

enum Mode { TaskList, ListAll, SendView };

// The list's own statement (its columns in the order the model reads them).
const QString ListColumns = QStringLiteral(
    "SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, Customer.Email, Auction.ActionId, "
    "Auction.DateNextAction, Auction.DateStart, Auction.Highlight, Auction.AuctionType "
    "FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId ");

// How well the text drawn in a cell stands out: the contrast between the
// cell's most common colour (its background) and its colour furthest from it.
double drawnContrast(const QImage& image, const QRect& cell)
{
    QHash<QRgb, int> counts;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) best = std::max(best, ColorContrast::ratio(QColor(background), QColor(it.key())));
    return best;
}

QStringList idsOf(const AuctionListModel& model)
{
    QStringList ids;
    for (int r = 0; r < model.rowCount(); ++r) ids << model.row(r).AuctionId;
    return ids;
}

// Fails unless every listed sale is found at its row.
void verifyIndex(const AuctionListModel& model)
{
    for (int r = 0; r < model.rowCount(); ++r)
        QVERIFY2(model.rowOf(model.row(r).AuctionId) == r,
                 qPrintable(QStringLiteral("%1 found at %2, listed at %3").arg(model.row(r).AuctionId).arg(model.rowOf(model.row(r).AuctionId)).arg(r)));
}
}  // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QPointer<frmMain> window;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void addBuyer(const QString& id, const QString& email)
    {
        exec("INSERT INTO Customer (CustomerId, Name, Email, EmailCC) VALUES (?, ?, ?, '')", {id, id, email});
    }
    // A sale of item MISC at a step; due is a date serial or Null.
    void addSale(const QString& id, int step, const QVariant& due, const QString& title = QStringLiteral("Blue teapot"),
                 const QString& buyer = QStringLiteral("ann"), double start = 45000)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, CustomerId, ActionId, DateNextAction, DateStart) "
             "VALUES (?, 'MISC', ?, ?, ?, ?, ?)",
             {id, title, buyer, step, due, start});
    }
    void addHistory(const QString& id, double when, const QString& description, const QString& changed)
    {
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)", {id, when, description, changed});
    }

    // The window as it is after its first activation, shown.
    frmMain& opened()
    {
        window = MainWindowDriver::open(env->messages());
        return *window;
    }
    void setMode(Mode mode)
    {
        window->mTaskList = mode == TaskList;
        window->mTaskShip = mode == SendView;
        window->Refreshlist();
    }
    QStringList listedIds() const { return MainWindowDriver::listedIds(*window); }
    QString selectedId() const { return MainWindowDriver::selectedId(*window); }
    // Selects a sale as the user does: a click on its row.
    void clickRow(const QString& id)
    {
        MainWindowDriver::clickRow(*window, id);
        QCOMPARE(window->txtAuctionId->text(), id);
    }
    QString status() const { return MainWindowDriver::itemsListed(*window); }
    void copyToClipboard(const QString& text)
    {
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(text);
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        addBuyer("ann", "ann@example.com");
    }
    void cleanup()
    {
        // A closed window deletes itself later; either way it goes before its context.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
        env.reset();
    }

    // ---- layout kept between runs ------------------------------------------

    void listLayoutAtStart_data()
    {
        QTest::addColumn<QStringList>("saved");  // key=value pairs of the window's section
        QTest::addColumn<int>("sortKey");
        QTest::addColumn<int>("sortOrder");
        QTest::addColumn<int>("indicator");
        QTest::addColumn<int>("titleWidth");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("first run: by next action") << QStringList{} << 7 << 0 << 7 << 260 << QStringList{"20", "10", "30"};
        QTest::newRow("saved: title descending")
            << QStringList{"ListSortKey=3", "ListSortOrder=1", "ListSortIndex=4", "listColumn4=333", "listColumn1=55"} << 3 << 1 << 3 << 333
            << QStringList{"30", "20", "10"};
        QTest::newRow("saved: date ascending") << QStringList{"ListSortKey=0", "ListSortOrder=0", "ListSortIndex=7"} << 0 << 0 << 6 << 260
                                               << QStringList{"10", "30", "20"};
    }
    void listLayoutAtStart()
    {
        QFETCH(QStringList, saved);
        QFETCH(int, sortKey);
        QFETCH(int, sortOrder);
        QFETCH(int, indicator);
        QFETCH(int, titleWidth);
        QFETCH(QStringList, rows);
        for (const QString& pair : saved) AppSettings::SaveSetting(Section, pair.section('=', 0, 0), pair.section('=', 1));
        ctx().gConfiguration.DefaultList = false;
        const double today = vb::today();
        addSale("10", 2, today - 5, "Apple crate", "ann", 45003);
        addSale("20", 1, today - 3, "banana box", "ann", 45002);
        addSale("30", 4, today - 4, "Cherry jar", "ann", 45001);

        frmMain& w = opened();
        QCOMPARE(w.mSortKey, sortKey);
        QCOMPARE(w.mSortOrder, sortOrder);
        QCOMPARE(w.list->header()->sortIndicatorSection(), indicator);
        QCOMPARE(w.list->header()->sortIndicatorOrder(), sortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        QCOMPARE(w.list->columnWidth(AuctionListModel::ColTitle), titleWidth);
        // The day-number column is never shown, whatever was saved.
        QVERIFY(w.list->isColumnHidden(AuctionListModel::ColDateSortingIndex));
        QCOMPARE(w.list->columnWidth(AuctionListModel::ColDateSortingIndex), 0);
        QCOMPARE(listedIds(), rows);
    }

    void closingKeepsTheListLayout()
    {
        frmMain& w = opened();
        w.list_ColumnClick(4);
        w.list->setColumnWidth(AuctionListModel::ColBuyer, 222);
        QVERIFY(w.close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());  // the window goes once closed
        QCOMPARE(AppSettings::GetSetting(Section, "ListSortKey"), QStringLiteral("3"));
        QCOMPARE(AppSettings::GetSetting(Section, "ListSortOrder"), QStringLiteral("0"));
        QCOMPARE(AppSettings::GetSetting(Section, "ListSortIndex"), QStringLiteral("4"));
        QCOMPARE(AppSettings::GetSetting(Section, "listColumn5"), QStringLiteral("222"));

        // The next window starts as this one ended.
        window = new frmMain;
        QCOMPARE(window->mSortKey, 3);
        QCOMPARE(window->list->header()->sortIndicatorSection(), 3);
        QCOMPARE(window->list->columnWidth(AuctionListModel::ColBuyer), 222);
        QCOMPARE(window->list->columnWidth(AuctionListModel::ColDateSortingIndex), 0);
    }

    void caption_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("caption");
        QTest::newRow("described database") << "Spring clearance" << "Spring clearance - Vendaro";
        QTest::newRow("no description: the file") << "" << "Vendaro - shop.mdb";
    }
    void caption()
    {
        QFETCH(QString, description);
        QFETCH(QString, caption);
        ctx().gConfiguration.DatabaseDesc = description;
        window = new frmMain;
        QCOMPARE(window->windowTitle(), caption);
    }

    void recentDatabases_data()
    {
        QTest::addColumn<QStringList>("titles");  // newest first; the first is the open one
        QTest::newRow("only the open one") << QStringList{"shop.mdb"};
        QTest::newRow("two") << QStringList{"shop.mdb", "garage.mdb"};
        QTest::newRow("five") << QStringList{"shop.mdb", "garage.mdb", "b.mdb", "c.mdb", "d.mdb"};
    }
    void recentDatabases()
    {
        QFETCH(QStringList, titles);
        for (int i = 0; i < titles.size(); ++i) {
            ctx().gRecentFileNames[i] = QDir(env->programFolder()).filePath(titles[i]);
            ctx().gRecentFileTitles[i] = titles[i];
        }
        window = new frmMain;
        const bool listed = titles.size() > 1;
        QCOMPARE(window->action("mnuFileBar2")->isVisible(), listed);
        for (int i = 1; i <= ProgramContext::RecentCount; ++i) {
            QAction* entry = window->action(QStringLiteral("mnuFileRecent(%1)").arg(i));
            QVERIFY(entry);
            QCOMPARE(entry->isVisible(), listed && i <= titles.size());
            if (entry->isVisible()) QCOMPARE(entry->text(), QStringLiteral("&%1  %2").arg(i).arg(titles[i - 1]));
        }
    }

    void minimumSize()
    {
        // The window keeps room for the list and the details pane: 11500 x 7200
        // twips with its frame, so the client area may not shrink below that
        // less the frame (8 pixels each side, plus the caption bar).
        frmMain& w = opened();
        QVERIFY2(w.minimumWidth() + 16 >= vb::twipsToPixels(11500), qPrintable(QString::number(w.minimumWidth())));
        QVERIFY2(w.minimumHeight() + 40 >= vb::twipsToPixels(7200), qPrintable(QString::number(w.minimumHeight())));
        w.showNormal();
        w.resize(200, 150);
        QVERIFY(w.width() >= w.minimumWidth());
        QVERIFY(w.height() >= w.minimumHeight());
    }

    void taskComboHoldsEveryStep()
    {
        window = new frmMain;
        QComboBox* tasks = window->cboSearch[0];
        QCOMPARE(tasks->count(), 17);  // the index is the step number
        QCOMPARE(tasks->itemText(0), QString());
        QCOMPARE(tasks->itemText(3), QString());  // step 3 is never searched for
        QCOMPARE(tasks->itemText(7), ctx().gActions->Description(7));
        QCOMPARE(tasks->itemText(7), QStringLiteral("Paid"));
        QCOMPARE(tasks->itemText(16), QStringLiteral("Relist item"));
    }

    // ---- what each list shows ----------------------------------------------

    void listModes_data()
    {
        QTest::addColumn<bool>("taskList");
        QTest::addColumn<bool>("taskShip");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("modeLabel");
        QTest::newRow("task list: due by today, not completed") << true << false << QStringList{"late", "today", "send"} << "  Task List";
        QTest::newRow("list all: every sale not completed")
            << false << false << QStringList{"late", "today", "later", "send", "send later", "no date"} << "  List All";
        QTest::newRow("send view: step 11 due by today") << false << true << QStringList{"send"} << "  Task List - Send Items";
        QTest::newRow("send view from the task list") << true << true << QStringList{"send"} << "  Task List - Send Items";
    }
    void listModes()
    {
        QFETCH(bool, taskList);
        QFETCH(bool, taskShip);
        QFETCH(QStringList, listed);
        QFETCH(QString, modeLabel);
        const double today = vb::today();
        addSale("late", 4, today - 1);
        addSale("today", 4, today);
        addSale("later", 4, today + 1);
        addSale("done", 15, today - 1);
        addSale("send", 11, today);
        addSale("send later", 11, today + 1);
        addSale("no date", 2, QVariant());
        frmMain& w = opened();
        w.mTaskList = taskList;
        w.mTaskShip = taskShip;
        w.Refreshlist();

        QStringList ids = listedIds();
        ids.sort();
        listed.sort();
        QCOMPARE(ids, listed);
        QCOMPARE(status(), QStringLiteral("%1 Items listed").arg(listed.size()));
        QCOMPARE(w.lblMode->text(), modeLabel);
        QVERIFY(w.action("mnuTaskDo")->isEnabled());
        QVERIFY(w.picDetails->isVisible());
        // The first row is selected and shown.
        QCOMPARE(selectedId(), w.model->row(0).AuctionId);
        QCOMPARE(w.txtAuctionId->text(), w.model->row(0).AuctionId);
    }

    void emptyListShowsNothingToWorkOn()
    {
        ctx().gConfiguration.DefaultList = false;
        addSale("100", 4, vb::today() + 2);
        addHistory("100", vb::today() - 1, "Auction ended successfully", "ActionId=1");
        frmMain& w = opened();
        QCOMPARE(status(), QStringLiteral("1 Items listed"));
        QCOMPARE(w.listHistory->topLevelItemCount(), 1);

        setMode(TaskList);  // nothing due yet
        QCOMPARE(w.model->rowCount(), 0);
        QCOMPARE(status(), QStringLiteral("0 Items listed"));
        QCOMPARE(w.listHistory->topLevelItemCount(), 0);
        QVERIFY(!w.picDetails->isVisible());
        QVERIFY(!w.listHistory->isVisible());
        for (const char* name : {"mnuTaskDo", "mnuTaskSkip", "mnuTaskDone", "mnuTaskEmailBuyer", "mnuWebOpen", "TaskDo", "EmailGeneral"})
            QVERIFY2(!w.action(name)->isEnabled(), name);
        QCOMPARE(w.SelectedAuctionId(), QString());
        w.list_DblClick();  // nothing to open
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());

        setMode(ListAll);
        QVERIFY(w.action("mnuTaskDo")->isEnabled());
        QVERIFY(w.action("TaskDo")->isEnabled());
        QVERIFY(w.picDetails->isVisible());
    }

    // A hovered menu entry puts its tip (often none) in the status bar's
    // message area; the count of listed sales stays in view.
    void itemsListedStaysWhileMenusAreHovered()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        QCOMPARE(status(), QStringLiteral("1 Items listed"));
        QMenu* task = w.menuBar()->findChild<QMenu*>("mnuTask");
        w.menuBar()->setActiveAction(task->menuAction());  // opened from the menu bar, as the seller does
        QVERIFY(QTest::qWaitForWindowExposed(task));
        QTest::mouseMove(task, task->actionGeometry(w.action("mnuTaskDo")).center());
        QTRY_COMPARE(task->activeAction(), w.action("mnuTaskDo"));
        QCOMPARE(w.statusBar()->currentMessage(), QString());
        QVERIFY(w.lblItemsListed->isVisible());
        QCOMPARE(status(), QStringLiteral("1 Items listed"));
        task->close();
    }

    void rowsWithoutBuyerOrDueDate()
    {
        ctx().gConfiguration.DefaultList = false;
        const double today = vb::today();
        addSale("nobuyer", 4, today - 1, "Green vase", "ghost");
        addSale("undated", 2, QVariant(), "Red vase", "ann", today - 10.25);
        addSale("evening", 4, today - 3 + 0.75, "Blue vase");
        frmMain& w = opened();
        QCOMPARE(w.model->rowCount(), 3);

        const AuctionRow& nobuyer = w.model->row(w.model->rowOf("nobuyer"));
        QCOMPARE(nobuyer.CustomerId, QStringLiteral("ghost"));
        QCOMPARE(nobuyer.Email, QString());
        QCOMPARE(nobuyer.ActionDate, vb::dateText(today - 1));

        const AuctionRow& undated = w.model->row(w.model->rowOf("undated"));
        QCOMPARE(undated.ActionDate, QString());
        QCOMPARE(undated.DateSortingIndex, AuctionListModel::dateKey(today - 10.25));
        QCOMPARE(undated.DateSortingIndex, QStringLiteral("%1").arg(qint64(today - 10), 10, 10, QLatin1Char('0')));

        // Due in the evening counts as the next day.
        const AuctionRow& evening = w.model->row(w.model->rowOf("evening"));
        QCOMPARE(evening.DateSortingIndex, AuctionListModel::dateKey(today - 2));
        QCOMPARE(evening.ActionDate, vb::dateText(today - 3 + 0.75));

        // By date, the undated sale takes its start date's place.
        w.list_ColumnClick(7);
        QCOMPARE(listedIds(), (QStringList{"undated", "evening", "nobuyer"}));

        clickRow("nobuyer");
        QCOMPARE(w.txtCustomerId->text(), QStringLiteral("ghost"));
        QCOMPARE(w.txtEmail->text(), QString());
        clickRow("undated");
        QCOMPARE(w.model->data(w.model->index(w.model->rowOf("undated"), AuctionListModel::ColActionDate), Qt::DisplayRole).toString(),
                 QString());
    }

    void selectingASaleKeepsItsDueTime()
    {
        // A sale due at a time of day (an auction's end) keeps that time in the
        // list once it is selected, and so keeps its place in the date order.
        ctx().gConfiguration.DefaultList = false;
        const double day = vb::today() - 3;
        const double evening = day + 0.75;
        addSale("morning", 4, day, "Red vase", "ann", 45002);  // shown first
        addSale("evening", 4, evening, "Blue vase", "ann", 45001);
        frmMain& w = opened();
        w.list_ColumnClick(7);
        QCOMPARE(listedIds(), (QStringList{"morning", "evening"}));
        clickRow("evening");
        w.list_ColumnClick(7);  // latest first
        // The date field shows the day only; the row keeps the time.
        QCOMPARE(listedIds(), (QStringList{"evening", "morning"}));
        const AuctionRow& row = w.model->row(w.model->rowOf("evening"));
        QCOMPARE(row.DateSortingIndex, AuctionListModel::dateKey(evening));
        QCOMPARE(row.ActionDate, vb::dateText(evening));
    }

    void dateKey_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QString>("key");
        QTest::newRow("midnight") << 45010.0 << "0000045010";
        QTest::newRow("morning") << 45010.4 << "0000045010";
        QTest::newRow("afternoon") << 45010.6 << "0000045011";
        QTest::newRow("noon of an even day stays") << 45010.5 << "0000045010";
        QTest::newRow("noon of an odd day goes on") << 45011.5 << "0000045012";
        QTest::newRow("before 1900") << -3.0 << "0000000003";
        QTest::newRow("after the last day") << vb::maxDate + 1 << "";
        QTest::newRow("before the first day") << vb::minDate - 1 << "";
        QTest::newRow("1e300") << 1e300 << "";
        QTest::newRow("-1e300") << -1e300 << "";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "";
    }
    void dateKey()
    {
        QFETCH(double, serial);
        QFETCH(QString, key);
        QCOMPARE(AuctionListModel::dateKey(serial), key);
    }

    // A number no date has (another program wrote it) lists without a date and
    // sorts before every day.
    void datesNoCalendarHolds_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("key");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("due 1e300") << "DateNextAction" << 1e300 << "";
        QTest::newRow("due -1e300") << "DateNextAction" << -1e300 << "";
        QTest::newRow("due infinity") << "DateNextAction" << inf << "";
        QTest::newRow("due minus infinity") << "DateNextAction" << -inf << "";
        // SQLite keeps a NaN as Null: the start date counts.
        QTest::newRow("due not a number") << "DateNextAction" << std::numeric_limits<double>::quiet_NaN() << "0000045000";
        QTest::newRow("started 1e300, no due date") << "DateStart" << 1e300 << "";
        QTest::newRow("started -1e300, no due date") << "DateStart" << -1e300 << "";
        QTest::newRow("started at infinity, no due date") << "DateStart" << inf << "";
        QTest::newRow("started at no number, no due date") << "DateStart" << std::numeric_limits<double>::quiet_NaN() << "0000000000";
    }
    void datesNoCalendarHolds()
    {
        QFETCH(QString, column);
        QFETCH(double, stored);
        QFETCH(QString, key);
        const double today = vb::today();
        addSale("odd", 4, QVariant(), "Blue teapot", "ann", 45000);
        addSale("plain", 4, today, "Blue teapot", "ann", 45001);
        if (column == "DateStart") exec("UPDATE Auction SET DateStart=? WHERE AuctionId='odd'", {stored});
        else exec("UPDATE Auction SET DateNextAction=? WHERE AuctionId='odd'", {stored});
        ctx().gConfiguration.DefaultList = false;
        frmMain& w = opened();
        QCOMPARE(w.model->rowCount(), 2);
        // As listed, brought up to date, and shown in the pane.
        for (int step = 0; step < 3; ++step) {
            if (step == 1) w.RefreshListItem("odd");
            if (step == 2) clickRow("odd");
            const AuctionRow& odd = w.model->row(w.model->rowOf("odd"));
            QCOMPARE(odd.DateSortingIndex, key);
            QCOMPARE(odd.ActionDate, QString());
        }
        QVERIFY(w.dateNextAction->isNull());
        // By date: the sale without a day comes first.
        w.list_ColumnClick(7);
        QCOMPARE(listedIds(), (QStringList{"odd", "plain"}));
        clickRow("plain");
        QCOMPARE(w.model->row(w.model->rowOf("plain")).DateSortingIndex, AuctionListModel::dateKey(today));
    }

    // The list's colour is a stored number; one no colour has gives the window background.
    void listColour_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QColor>("colour");
        const QColor window = vb::color(0x80000005);
        QTest::newRow("white") << 16777215.0 << QColor(Qt::white);
        QTest::newRow("red") << 255.0 << QColor(255, 0, 0);
        QTest::newRow("blue, not quite whole") << 16711679.6 << QColor(0, 0, 255);
        QTest::newRow("window background") << double(0x80000005) << window;
        QTest::newRow("button face as a negative Long") << double(qint32(0x8000000F)) << vb::color(0x8000000F);
        QTest::newRow("above 32 bits") << 4294967296.0 << window;
        QTest::newRow("below a Long") << -2147483649.0 << window;
        QTest::newRow("1e300") << 1e300 << window;
        QTest::newRow("-1e300") << -1e300 << window;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << window;
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << window;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << window;
    }
    void listColour()
    {
        QFETCH(double, stored);
        QFETCH(QColor, colour);
        ctx().gConfiguration.ListColor = stored;
        frmMain& w = opened();
        QCOMPARE(w.list->palette().color(QPalette::Base), colour);
    }

    // ---- the list reads on every background ------------------------------------

    // Every combination of grid lines, selection, a highlighted sale, the
    // desktop's palette and the list colour: the text stands out from its
    // row, as measured on the drawn list.
    void listReadsWell_data()
    {
        QTest::addColumn<bool>("grid");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("highlight");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<double>("listColor");
        const QList<QPair<QString, double>> colours{{"white", 16777215.0}, {"window colour", double(0x80000005)},
                                                    {"navy", double(0x602000)}, {"pale yellow", double(0xC0FFFF)}};
        for (bool dark : {false, true})
            for (const auto& [name, colour] : colours)
                for (bool grid : {false, true})
                    for (bool selected : {false, true})
                        for (bool highlight : {false, true})
                            QTest::addRow("%s palette, %s list%s%s%s", dark ? "dark" : "light", qPrintable(name), grid ? ", grid" : "",
                                          selected ? ", selected" : "", highlight ? ", highlighted" : "")
                                << grid << selected << highlight << dark << colour;
    }
    void listReadsWell()
    {
        QFETCH(bool, grid);
        QFETCH(bool, selected);
        QFETCH(bool, highlight);
        QFETCH(bool, dark);
        QFETCH(double, listColor);
        const QPalette light = QApplication::palette();
        const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });
        if (dark) QApplication::setPalette(BoxLook::dark());
        addSale("100", 4, vb::today(), "Blue teapot and matching cups", "ann", 45002);
        addSale("200", 4, vb::today(), "Kauri bowl with a long description", "ann", 45001);
        if (highlight) exec("UPDATE Auction SET Highlight=1, Bold=1");
        exec("UPDATE Configuration SET ShowGrid=?, ListColor=?", {grid, listColor});
        ctx().gConfiguration.ShowGrid = grid;
        ctx().gConfiguration.ListColor = listColor;
        frmMain& w = opened();
        w.resize(1100, 700);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        clickRow(selected ? "100" : "200");
        const int row = w.model->rowOf("100");
        QCoreApplication::processEvents();
        const QImage drawn = w.list->viewport()->grab().toImage();
        for (int column : {int(AuctionListModel::ColAuction), int(AuctionListModel::ColTitle)}) {
            const QRect cell = w.list->visualRect(w.model->index(row, column)).adjusted(2, 2, -3, -3);  // the text, not the lines around it
            const double ratio = drawnContrast(drawn, cell);
            QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("column %1: contrast %2").arg(column).arg(ratio, 0, 'f', 2)));
        }
        if (QTest::currentDataTag() == QByteArray("dark palette, white list, grid, selected, highlighted") ||
            QTest::currentDataTag() == QByteArray("light palette, white list, grid, selected, highlighted") ||
            QTest::currentDataTag() == QByteArray("dark palette, navy list, grid, highlighted"))
            w.list->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath(
                QStringLiteral("main-list-%1.png").arg(QString::fromLatin1(QTest::currentDataTag()).replace(", ", "-").replace(' ', '-'))));
    }

    // The auction number column shows the longest number listed whole, the
    // bold one of a highlighted sale too, whatever width it was left at.
    void auctionNumbersShowWhole_data()
    {
        QTest::addColumn<QString>("savedWidth");  // "" for none
        QTest::newRow("as designed") << "";
        QTest::newRow("left narrow by the seller") << "60";
    }
    void auctionNumbersShowWhole()
    {
        QFETCH(QString, savedWidth);
        if (!savedWidth.isEmpty()) AppSettings::SaveSetting(Section, "listColumn2", savedWidth);
        const QFont usual = QApplication::font();
        QFont larger = usual;
        larger.setPointSizeF(usual.pointSizeF() * 1.25);  // a desktop with larger text
        QApplication::setFont(larger);
        const auto restore = qScopeGuard([usual] { QApplication::setFont(usual); });
        addSale("2871040204A", 4, vb::today(), "Blue teapot", "ann", 45002);
        addSale("9", 4, vb::today(), "Kauri bowl", "ann", 45001);
        exec("UPDATE Auction SET Highlight=1 WHERE AuctionId='2871040204A'");
        frmMain& w = opened();
        const int row = w.model->rowOf("2871040204A");
        QVERIFY(row >= 0);
        const QModelIndex cell = w.model->index(row, AuctionListModel::ColAuction);
        QVERIFY2(w.list->columnWidth(AuctionListModel::ColAuction) >= w.list->sizeHintForIndex(cell).width(),
                 qPrintable(QStringLiteral("%1 for %2").arg(w.list->columnWidth(AuctionListModel::ColAuction)).arg(w.list->sizeHintForIndex(cell).width())));
        // Next Action, the last column, still takes the rest.
        QVERIFY(w.list->header()->stretchLastSection());
    }

    // ---- the list's index of auction numbers -----------------------------------

    void rowIndexAfterRemovals_data()
    {
        QTest::addColumn<QStringList>("removed");  // in the order they go
        QTest::newRow("the first") << QStringList{"s1"};
        QTest::newRow("one in the middle") << QStringList{"s4"};
        QTest::newRow("the last") << QStringList{"s8"};
        QTest::newRow("first, last, middle") << QStringList{"s1", "s8", "s5"};
        QTest::newRow("neighbours, the later first") << QStringList{"s6", "s5", "s4"};
        QTest::newRow("every row") << QStringList{"s3", "s1", "s8", "s2", "s7", "s4", "s6", "s5"};
    }
    void rowIndexAfterRemovals()
    {
        QFETCH(QStringList, removed);
        QStringList listed;
        for (int i = 1; i <= 8; ++i) {
            listed << QStringLiteral("s%1").arg(i);
            addSale(listed.last(), 4, vb::today(), "Blue teapot", "ann", 45100 - i);  // newest first
        }
        AuctionListModel model;
        QVERIFY(model.load(conn(), ListColumns + "ORDER BY Auction.DateStart DESC"));
        QCOMPARE(idsOf(model), listed);
        for (const QString& id : removed) {
            model.removeRowAt(model.rowOf(id));
            listed.removeOne(id);
            QCOMPARE(idsOf(model), listed);
            verifyIndex(model);
            QCOMPARE(model.rowOf(id), -1);
        }
        if (listed.isEmpty()) return;

        // Rows changed in place keep their place; a row given another sale is found by it.
        const int last = int(listed.size()) - 1;
        AuctionRow changed = model.row(last);
        changed.Description = QStringLiteral("Red vase");
        model.setRow(last, changed);
        QCOMPARE(model.rowOf(changed.AuctionId), last);
        AuctionRow other = model.row(0);
        other.AuctionId = QStringLiteral("s9");
        model.setRow(0, other);
        QCOMPARE(model.rowOf(listed.first()), -1);
        listed.first() = QStringLiteral("s9");
        verifyIndex(model);
        // Removals go on from there, and a sort starts afresh.
        model.removeRowAt(0);
        listed.removeFirst();
        QCOMPARE(model.rowOf("s9"), -1);
        verifyIndex(model);
        model.sortRows(AuctionListModel::ColAuction, Qt::DescendingOrder);
        verifyIndex(model);
        if (model.rowCount() > 1) {
            model.removeRowAt(1);
            verifyIndex(model);
        }
        QCOMPARE(model.rowCount(), int(listed.size()) - (listed.size() > 1 ? 1 : 0));
    }

    // A sale listed twice is found at its first row, and at the next once that goes.
    void rowIndexWithASaleListedTwice()
    {
        for (int i = 1; i <= 3; ++i) addSale(QStringLiteral("s%1").arg(i), 4, vb::today(), "Blue teapot", "ann", 45100 - i);
        AuctionListModel model;
        QVERIFY(model.load(conn(), ListColumns + ", (SELECT 1 AS copy UNION ALL SELECT 2) AS copies WHERE copies.copy=1 OR "
                                                  "Auction.AuctionId='s2' ORDER BY Auction.DateStart DESC, copies.copy"));
        QCOMPARE(idsOf(model), (QStringList{"s1", "s2", "s2", "s3"}));
        QCOMPARE(model.rowOf("s2"), 1);
        model.removeRowAt(1);
        QCOMPARE(model.rowOf("s2"), 1);
        QCOMPARE(model.rowOf("s3"), 2);
        model.removeRowAt(0);
        QCOMPARE(model.rowOf("s2"), 0);
        QCOMPARE(model.rowOf("s3"), 1);
        model.removeRowAt(0);
        QCOMPARE(model.rowOf("s2"), -1);
        QCOMPARE(model.rowOf("s3"), 0);
    }

    // ---- one row brought up to date -----------------------------------------

    void refreshOneRow_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("change");  // SQL run on sale 200
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("nextAction");
        QTest::addColumn<bool>("highlight");
        const QString tomorrow = QString::number(vb::today() + 1, 'f', 0);
        QTest::newRow("task list: moved to tomorrow") << int(TaskList) << "UPDATE Auction SET DateNextAction=" + tomorrow << true << ""
                                                      << "" << false;
        QTest::newRow("list all: moved to tomorrow stays")
            << int(ListAll) << "UPDATE Auction SET DateNextAction=" + tomorrow << false << "Blue teapot" << "Payment reminder email (1)"
            << false;
        QTest::newRow("send view: no longer to send") << int(SendView) << "UPDATE Auction SET ActionId=12" << true << "" << "" << false;
        QTest::newRow("send view: still to send, retitled")
            << int(SendView) << "UPDATE Auction SET Description='Red teapot'" << false << "Red teapot" << "Send item" << false;
        QTest::newRow("task list: completed") << int(TaskList) << "UPDATE Auction SET ActionId=15" << true << "" << "" << false;
        QTest::newRow("list all: completed") << int(ListAll) << "UPDATE Auction SET ActionId=15" << true << "" << "" << false;
        QTest::newRow("list all: deleted") << int(ListAll) << "DELETE FROM Auction" << true << "" << "" << false;
        QTest::newRow("task list: still due, next step")
            << int(TaskList) << "UPDATE Auction SET ActionId=5, Description='Red teapot'" << false << "Red teapot"
            << "Payment reminder email (2)" << false;
        QTest::newRow("task list: highlighted") << int(TaskList) << "UPDATE Auction SET Highlight=1, Bold=1" << false << "Blue teapot"
                                                << "Payment reminder email (1)" << true;
    }
    void refreshOneRow()
    {
        QFETCH(int, mode);
        QFETCH(QString, change);
        QFETCH(bool, removed);
        QFETCH(QString, title);
        QFETCH(QString, nextAction);
        QFETCH(bool, highlight);
        const int step = mode == SendView ? 11 : 4;
        const double today = vb::today();
        // Listed in this order (same task; newest start first).
        addSale("100", step, today - 1, "Blue teapot", "ann", 45003);
        addSale("200", step, today, "Blue teapot", "ann", 45002);
        addSale("300", step, today - 2, "Blue teapot", "ann", 45001);
        frmMain& w = opened();
        setMode(Mode(mode));
        QCOMPARE(listedIds(), (QStringList{"100", "200", "300"}));
        clickRow("200");

        exec(change + " WHERE AuctionId='200'");
        w.RefreshListItem("200");
        if (removed) {
            QCOMPARE(listedIds(), (QStringList{"100", "300"}));
            QCOMPARE(status(), QStringLiteral("2 Items listed"));
            // The row that took its place is selected and shown.
            QCOMPARE(selectedId(), QStringLiteral("300"));
            QCOMPARE(w.txtAuctionId->text(), QStringLiteral("300"));
            return;
        }
        QCOMPARE(listedIds(), (QStringList{"100", "200", "300"}));
        QCOMPARE(selectedId(), QStringLiteral("200"));
        const int r = w.model->rowOf("200");
        QCOMPARE(w.model->data(w.model->index(r, AuctionListModel::ColTitle), Qt::DisplayRole).toString(), title);
        QCOMPARE(w.model->data(w.model->index(r, AuctionListModel::ColNextAction), Qt::DisplayRole).toString(), nextAction);
        QCOMPARE(w.txtDescription->text(), title);
        const QVariant font = w.model->data(w.model->index(r, AuctionListModel::ColTitle), Qt::FontRole);
        QCOMPARE(font.isValid() && font.value<QFont>().bold(), highlight);
        const QVariant colour = w.model->data(w.model->index(r, AuctionListModel::ColTitle), Qt::ForegroundRole);
        QCOMPARE(colour.isValid() && colour.value<QColor>() == QColor(Qt::red), highlight);
    }

    void selectionAfterARowGoes_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("gone");
        QTest::addColumn<QString>("nowSelected");
        QTest::newRow("the last selected row") << "300" << "300" << "200";
        QTest::newRow("the first selected row") << "100" << "100" << "200";
        QTest::newRow("a row above the selected one") << "300" << "100" << "300";
        QTest::newRow("a row below the selected one") << "100" << "300" << "100";
    }
    void selectionAfterARowGoes()
    {
        QFETCH(QString, selected);
        QFETCH(QString, gone);
        QFETCH(QString, nowSelected);
        ctx().gConfiguration.DefaultList = false;
        addSale("100", 4, vb::today(), "Blue teapot", "ann", 45003);
        addSale("200", 4, vb::today(), "Blue teapot", "ann", 45002);
        addSale("300", 4, vb::today(), "Blue teapot", "ann", 45001);
        addHistory("200", vb::today() - 1, "Auction ended successfully", "ActionId=1");
        frmMain& w = opened();
        clickRow(selected);
        exec("UPDATE Auction SET ActionId=15 WHERE AuctionId=?", {gone});
        w.RefreshListItem(gone);
        QCOMPARE(w.model->rowCount(), 2);
        QCOMPARE(w.model->rowOf(gone), -1);
        QCOMPARE(selectedId(), nowSelected);
        QCOMPARE(w.txtAuctionId->text(), nowSelected);
        QCOMPARE(w.listHistory->topLevelItemCount(), nowSelected == "200" ? 1 : 0);
    }

    void lastRowGoing()
    {
        addSale("100", 4, vb::today());
        addHistory("100", vb::today() - 1, "Auction ended successfully", "ActionId=1");
        frmMain& w = opened();
        QCOMPARE(w.listHistory->topLevelItemCount(), 1);
        exec("UPDATE Auction SET DateNextAction=? WHERE AuctionId='100'", {vb::today() + 3});
        w.RefreshListItem("100");
        QCOMPARE(w.model->rowCount(), 0);
        QCOMPARE(w.listHistory->topLevelItemCount(), 0);
        QCOMPARE(status(), QStringLiteral("0 Items listed"));
        QVERIFY(!w.action("mnuTaskDo")->isEnabled());
        QVERIFY(!w.picDetails->isVisible());
        // A sale that is not listed is left alone.
        w.RefreshListItem("100");
        QCOMPARE(w.model->rowCount(), 0);
    }

    // ---- the details pane ---------------------------------------------------

    void details_data()
    {
        QTest::addColumn<QVariant>("bid");
        QTest::addColumn<QVariant>("shipping");
        QTest::addColumn<QString>("bidText");
        QTest::addColumn<QString>("shippingText");
        QTest::addColumn<QString>("total");
        QTest::newRow("bid and shipping") << QVariant(12.5) << QVariant(4.0) << "$12.50" << "$4.00" << "$16.50";
        QTest::newRow("no bid yet") << QVariant() << QVariant(4.0) << "" << "$4.00" << "$4.00";
        QTest::newRow("no shipping") << QVariant(12.5) << QVariant() << "$12.50" << "" << "$12.50";
        QTest::newRow("neither") << QVariant() << QVariant() << "" << "" << "";
        QTest::newRow("free shipping") << QVariant(1234.567) << QVariant(0.0) << "$1234.57" << "$0.00" << "$1234.57";
    }
    void details()
    {
        QFETCH(QVariant, bid);
        QFETCH(QVariant, shipping);
        QFETCH(QString, bidText);
        QFETCH(QString, shippingText);
        QFETCH(QString, total);
        addSale("100", 4, vb::today(), "Men's \"Classic\" shirt");
        exec("UPDATE Auction SET WinningBid=?, Shipping=? WHERE AuctionId='100'", {bid, shipping});
        frmMain& w = opened();
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("100"));
        QCOMPARE(w.txtDescription->text(), QStringLiteral("Men's \"Classic\" shirt"));
        QCOMPARE(w.txtCustomerId->text(), QStringLiteral("ann"));
        QCOMPARE(w.txtEmail->text(), QStringLiteral("ann@example.com"));
        QCOMPARE(w.lblTotal[0]->text(), bidText);
        QCOMPARE(w.lblTotal[1]->text(), shippingText);
        QCOMPARE(w.lblTotal[4]->text(), total);
    }

    void detailsByStep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QVariant>("paid");
        QTest::addColumn<bool>("paidButton");
        QTest::addColumn<bool>("totals");
        QTest::addColumn<bool>("detailsBox");  // the payment and shipping box, shown only with something in it
        QTest::newRow("auction ends") << 1 << QVariant() << false << false << false;
        QTest::newRow("email winner") << 2 << QVariant() << true << true << true;
        QTest::newRow("reminder 3") << 6 << QVariant() << true << true << true;
        QTest::newRow("negative feedback") << 9 << QVariant() << true << true << true;
        QTest::newRow("payment received") << 10 << QVariant() << false << true << false;
        QTest::newRow("payment received, paid") << 10 << QVariant(45000.0) << false << true << true;
        QTest::newRow("send item") << 11 << QVariant() << false << true << false;
        QTest::newRow("relist") << 16 << QVariant() << false << true << false;
    }
    void detailsByStep()
    {
        QFETCH(int, step);
        QFETCH(QVariant, paid);
        QFETCH(bool, paidButton);
        QFETCH(bool, totals);
        QFETCH(bool, detailsBox);
        ctx().gConfiguration.DefaultList = false;
        addSale("100", step, vb::today());
        exec("UPDATE Auction SET DatePaid=? WHERE AuctionId='100'", {paid});
        frmMain& w = opened();
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("100"));
        QCOMPARE(w.cmdPaid->isVisible(), paidButton);
        QCOMPARE(w.frameTotal->isVisible(), totals);
        QCOMPARE(w.frameDetails->isVisible(), detailsBox);
    }

    // The send view's heading names the sale and its winning bid; a sale
    // without a bid shows its title alone.
    void deliveryHeading_data()
    {
        QTest::addColumn<QVariant>("bid");
        QTest::addColumn<QString>("heading");
        QTest::newRow("a bid") << QVariant(12.5) << "Blue teapot  ($12.50)";
        QTest::newRow("no bid") << QVariant() << "Blue teapot";
        QTest::newRow("a bid of nothing") << QVariant(0.0) << "Blue teapot  ($0.00)";
    }
    void deliveryHeading()
    {
        QFETCH(QVariant, bid);
        QFETCH(QString, heading);
        addSale("100", 11, vb::today());
        exec("UPDATE Auction SET WinningBid=?, DeliveryAddress='1 Queen St' WHERE AuctionId='100'", {bid});
        frmMain& w = opened();
        setMode(SendView);
        QVERIFY(w.frameDelivery->isVisible());
        QCOMPARE(w.lblAuctionId->text(), heading);
    }

    // For the eye: the pane of a sale whose auction has not ended, of one
    // not paid at the payment step, and of one in the send view without a bid.
    void detailsPaneScreenshots()
    {
        addSale("100", 1, vb::today(), "Rimu coffee table");
        addSale("200", 11, vb::today(), "Kauri bowl");
        addSale("300", 10, vb::today(), "Flax kete");
        exec("UPDATE Auction SET WinningBid=NULL, DeliveryAddress='12 Rata St\r\nNelson 7010' WHERE AuctionId='200'");
        exec("UPDATE Auction SET WinningBid=35, Shipping=6.5 WHERE AuctionId='300'");
        AppSettings::SaveSetting(Section, "WindowState", "0");
        frmMain& w = opened();
        w.resize(1100, 700);
        setMode(ListAll);
        clickRow("100");
        QTest::qWait(20);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(w.grab().save(QDir(shots).filePath("main-details-step1.png")));
        clickRow("300");
        QTest::qWait(20);
        QVERIFY(w.grab().save(QDir(shots).filePath("main-details-unpaid.png")));
        setMode(SendView);
        QTest::qWait(20);
        QVERIFY(w.grab().save(QDir(shots).filePath("main-details-send.png")));
    }

    void paymentAndShipping_data()
    {
        QTest::addColumn<QVariant>("paid");
        QTest::addColumn<QVariant>("sent");
        QTest::newRow("neither") << QVariant() << QVariant();
        QTest::newRow("paid") << QVariant(45000.0) << QVariant();
        QTest::newRow("paid and sent") << QVariant(45000.0) << QVariant(45002.0);
        QTest::newRow("sent, payment unknown") << QVariant() << QVariant(45002.0);
    }
    void paymentAndShipping()
    {
        QFETCH(QVariant, paid);
        QFETCH(QVariant, sent);
        addSale("100", 7, vb::today());
        exec("UPDATE Auction SET DatePaid=?, PayId='BANK', DateSent=?, TrackingNumber='NZ123' WHERE AuctionId='100'", {paid, sent});
        frmMain& w = opened();
        for (QWidget* f : {static_cast<QWidget*>(w.lblPayment[0]), static_cast<QWidget*>(w.lblPayment[1]),
                           static_cast<QWidget*>(w.txtDatePaid), static_cast<QWidget*>(w.txtPayId)})
            QCOMPARE(f->isVisible(), paid.isValid());
        for (QWidget* f : {static_cast<QWidget*>(w.lblShipped[0]), static_cast<QWidget*>(w.lblShipped[1]),
                           static_cast<QWidget*>(w.txtDateSent), static_cast<QWidget*>(w.txtTrackingNumber)})
            QCOMPARE(f->isVisible(), sent.isValid());
        if (paid.isValid()) {
            QCOMPARE(w.txtDatePaid->text(), vb::dateText(45000));
            QCOMPARE(w.txtPayId->text(), QStringLiteral("BANK"));
        }
        if (sent.isValid()) {
            QCOMPARE(w.txtDateSent->text(), vb::dateText(45002));
            QCOMPARE(w.txtTrackingNumber->text(), QStringLiteral("NZ123"));
        }
    }

    void historyOldestFirst()
    {
        addSale("100", 4, vb::today());
        addSale("200", 4, vb::today());
        const auto at = [](int d, int h, int m) { return vb::toOleDate(QDateTime(QDate(2024, 3, d), QTime(h, m))); };
        addHistory("100", at(6, 9, 5), "Sent winning bidder email", "ActionId=2");
        addHistory("100", at(5, 14, 30), "Auction ended successfully", "ActionId=1");
        addHistory("200", at(4, 8, 0), "Someone else's sale", "ActionId=1");
        addHistory("100", at(6, 0, 0), "Buyer asked for tracking", "[NOTHING]");
        frmMain& w = opened();
        clickRow("100");
        QTreeWidget* h = w.listHistory;
        QCOMPARE(h->topLevelItemCount(), 3);
        const QStringList expected[] = {{"5/03/2024", "2:30 PM", "Auction ended successfully"},
                                        {"6/03/2024", "12:00 AM", "Buyer asked for tracking"},
                                        {"6/03/2024", "9:05 AM", "Sent winning bidder email"}};
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 3; ++c) QCOMPARE(h->topLevelItem(i)->text(c), expected[i][c]);
    }

    void historyMarks_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("red");
        QTest::newRow("a note") << "Buyer asked for tracking" << "[NOTHING]" << true << false;
        QTest::newRow("a note, other case") << "Buyer asked for tracking" << "[nothing]" << false << false;
        QTest::newRow("a skipped task") << "SKIPPED TASK: Payment reminder email (1)" << "ActionId=4" << false << true;
        QTest::newRow("skipped, no blank") << "SKIPPED TASK:Payment reminder email (1)" << "ActionId=4" << false << false;
        QTest::newRow("a plain change") << "Payment received" << "ActionId=7" << false << false;
    }
    void historyMarks()
    {
        QFETCH(QString, description);
        QFETCH(QString, changed);
        QFETCH(bool, bold);
        QFETCH(bool, red);
        addSale("100", 4, vb::today());
        addHistory("100", vb::today() - 1, description, changed);
        frmMain& w = opened();
        QCOMPARE(w.listHistory->topLevelItemCount(), 1);
        QTreeWidgetItem* item = w.listHistory->topLevelItem(0);
        QCOMPARE(item->text(2), description);
        QCOMPARE(item->font(2).bold(), bold);
        QCOMPARE(item->foreground(2).style() != Qt::NoBrush && item->foreground(2).color() == QColor(Qt::red), red);
    }

    // ---- sorting, highlighting, opening -------------------------------------

    // Newest first; sales started together list the later written first.
    void salesStartedTogether()
    {
        ctx().gConfiguration.DefaultList = false;
        addSale("first written", 4, vb::today(), "Blue teapot", "ann", 45000);
        addSale("older", 4, vb::today(), "Blue teapot", "ann", 44990);
        addSale("second written", 4, vb::today(), "Blue teapot", "ann", 45000);
        addSale("newest", 4, vb::today(), "Blue teapot", "ann", 45010);
        addSale("third written", 4, vb::today(), "Blue teapot", "ann", 45000);
        opened();
        QCOMPARE(listedIds(), (QStringList{"newest", "third written", "second written", "first written", "older"}));
    }

    // The list never walks the start-date index for its order: that reads a
    // large shop's sales one page each, in random order.
    void listKeepsOffTheStartDateIndex_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::newRow("task list") << "Auction.ActionId <> 15 AND Auction.DateNextAction<=45000";
        QTest::newRow("all active") << "Auction.ActionId <> 15 ";
        QTest::newRow("send view") << "Auction.ActionId =11 AND Auction.DateNextAction<=45000";
        QTest::newRow("search: active and completed") << "Auction.ActionId > 0";
        QTest::newRow("search: completed") << "Auction.ActionId = 15";
        QTest::newRow("every sale") << "";
    }
    void listKeepsOffTheStartDateIndex()
    {
        QFETCH(QString, condition);
        QStringList plan;
        sqlite3_stmt* stmt = conn().Prepare("EXPLAIN QUERY PLAN " + AuctionListModel::statement(condition), {});
        QVERIFY2(stmt, qPrintable(conn().lastError()));
        while (sqlite3_step(stmt) == SQLITE_ROW) plan << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
        sqlite3_finalize(stmt);
        QVERIFY2(!plan.isEmpty() && !plan.join(" | ").contains("AuctionStart"), qPrintable(plan.join(" | ")));
    }

    void columnSorting()
    {
        ctx().gConfiguration.DefaultList = false;
        const double today = vb::today();
        addSale("10", 4, today - 1, "banana box", "ann", 45003);
        addSale("20", 4, today - 9, "Cherry jar", "ann", 45002);
        addSale("30", 4, today - 5, "apple crate", "ann", 45001);
        frmMain& w = opened();
        clickRow("30");

        w.list_ColumnClick(7);  // Action Date
        QCOMPARE(w.mSortKey, 0);
        QCOMPARE(w.mSortOrder, 0);
        QCOMPARE(listedIds(), (QStringList{"20", "30", "10"}));
        QCOMPARE(w.list->header()->sortIndicatorSection(), 6);
        QCOMPARE(w.list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(selectedId(), QStringLiteral("30"));

        w.list_ColumnClick(7);
        QCOMPARE(w.mSortKey, 0);
        QCOMPARE(w.mSortOrder, 1);
        QCOMPARE(listedIds(), (QStringList{"10", "30", "20"}));
        QCOMPARE(w.list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(selectedId(), QStringLiteral("30"));

        // A click on the Title header: by title, ignoring case, from A.
        QHeaderView* header = w.list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(AuctionListModel::ColTitle) + 20, header->height() / 2));
        QCOMPARE(w.mSortKey, 3);
        QCOMPARE(w.mSortOrder, 0);
        QCOMPARE(w.mSortIndex, 4);
        QCOMPARE(listedIds(), (QStringList{"30", "10", "20"}));
        QCOMPARE(selectedId(), QStringLiteral("30"));
        QCOMPARE(w.txtAuctionId->text(), QStringLiteral("30"));
    }

    void highlightKeys_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("after");
        QTest::newRow("shift+H on a plain sale") << false << int(Qt::Key_H) << int(Qt::ShiftModifier) << true;
        QTest::newRow("shift+B on a highlighted sale") << true << int(Qt::Key_B) << int(Qt::ShiftModifier) << false;
        QTest::newRow("shift+H on a highlighted sale") << true << int(Qt::Key_H) << int(Qt::ShiftModifier) << false;
        QTest::newRow("H alone") << false << int(Qt::Key_H) << int(Qt::NoModifier) << false;
        QTest::newRow("shift+ctrl+H") << false << int(Qt::Key_H) << int(Qt::ShiftModifier | Qt::ControlModifier) << false;
        QTest::newRow("shift+G") << false << int(Qt::Key_G) << int(Qt::ShiftModifier) << false;
    }
    void highlightKeys()
    {
        QFETCH(bool, before);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, after);
        addSale("100", 4, vb::today(), "Blue teapot", "ann", 45002);
        addSale("200", 4, vb::today(), "Blue teapot", "ann", 45001);
        exec("UPDATE Auction SET Highlight=?, Bold=? WHERE AuctionId='200'", {before, before});
        frmMain& w = opened();
        clickRow("200");
        QTest::keyClick(w.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(scalar("SELECT Highlight FROM Auction WHERE AuctionId='200'").toBool(), after);
        QCOMPARE(scalar("SELECT Bold FROM Auction WHERE AuctionId='200'").toBool(), after);
        QCOMPARE(scalar("SELECT Highlight FROM Auction WHERE AuctionId='100'").toBool(), false);
        const QModelIndex title = w.model->index(w.model->rowOf("200"), AuctionListModel::ColTitle);
        QCOMPARE(w.model->data(title, Qt::FontRole).value<QFont>().bold(), after);
        QCOMPARE(selectedId(), QStringLiteral("200"));
    }

    // With no row selected (a Ctrl+click takes the selection away) the
    // commands on the selected row act on no sale at all, not on the first.
    void nothingSelectedActsOnNoSale_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("highlight (shift+H)") << "highlight";
        QTest::newRow("flag as paid") << "paid";
    }
    void nothingSelectedActsOnNoSale()
    {
        QFETCH(QString, command);
        addSale("100", 4, vb::today(), "Blue teapot", "ann", 45002);
        addSale("200", 4, vb::today(), "Blue teapot", "ann", 45001);
        frmMain& w = opened();
        clickRow("200");
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          w.list->visualRect(w.model->index(w.model->rowOf("200"), AuctionListModel::ColTitle)).center());
        QCOMPARE(selectedId(), QString());
        if (command == "highlight") QTest::keyClick(w.list, Qt::Key_H, Qt::ShiftModifier);
        else w.cmdPaid->click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction WHERE Highlight=1").toInt(), 0);
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
        // The list's rows outside it are empty rows, not a read past its end.
        QCOMPARE(w.model->row(-1).AuctionId, QString());
        QCOMPARE(w.model->row(w.model->rowCount()).AuctionId, QString());
    }

    void waitsForUnconfirmedChanges()
    {
        addSale("100", 4, vb::today());
        frmMain& w = opened();
        w.timer->stop();  // ticks are driven here
        QWidget* blocked[] = {w.list, w.tbar, w.picDetails, w.listHistory};

        ctx().gDatabase->Log("100", "Auction", "ActionId", 5, false, false);
        w.timer_Timer();
        QVERIFY(w.picWait->isVisible());
        QCOMPARE(w.lblWaitMessage->text(), QStringLiteral("Please wait...updating records"));
        for (QWidget* b : blocked) QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        w.timer_Timer();  // still not there
        QVERIFY(w.picWait->isVisible());
        for (QWidget* b : blocked) QVERIFY(!b->isEnabled());

        exec("UPDATE Auction SET ActionId=5 WHERE AuctionId='100'");
        w.timer_Timer();
        QVERIFY(!w.picWait->isVisible());
        for (QWidget* b : blocked) QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        // The confirmed sale's row shows the change.
        QCOMPARE(w.model->row(w.model->rowOf("100")).NextAction, QStringLiteral("Payment reminder email (2)"));
    }

    void doubleClickOpensTheSale()
    {
        ctx().gConfiguration.DefaultList = false;
        addSale("100", 4, vb::today(), "Blue teapot", "ann", 45002);
        addSale("200", 4, vb::today(), "Red teapot", "ann", 45001);
        frmMain& w = opened();
        const QModelIndex row = w.model->index(w.model->rowOf("200"), AuctionListModel::ColTitle);
        env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText("frmAuction"));
        const QPoint at = w.list->visualRect(row).center();
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, at);
        const QList<FormsRegistry::StubCall>& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].form, QStringLiteral("frmAuction"));
        QVERIFY(calls[0].modal);
        QCOMPARE(calls[0].vars.value("mRemoteId").toString(), QStringLiteral("200"));
        QCOMPARE(calls[0].vars.value("mRemoteEdit").toBool(), true);
    }

    // ---- commands -----------------------------------------------------------

    void toolbarListButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("taskList");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("modeLabel");
        QTest::newRow("Tasks") << "Tasks" << true << 2 << "  Task List";
        QTest::newRow("List") << "List" << false << 4 << "  List All";
        QTest::newRow("all active") << "ListAll" << false << 4 << "  List All";
    }
    void toolbarListButtons()
    {
        QFETCH(QString, button);
        QFETCH(bool, taskList);
        QFETCH(int, rows);
        QFETCH(QString, modeLabel);
        const double today = vb::today();
        addSale("late", 4, today - 1);
        addSale("send", 11, today);
        addSale("later", 4, today + 1);
        addSale("later still", 4, today + 7);
        addSale("done", 15, today);
        frmMain& w = opened();
        setMode(SendView);  // every button leaves the send view
        QCOMPARE(w.model->rowCount(), 1);
        w.action(button)->trigger();
        QCOMPARE(w.mTaskList, taskList);
        QVERIFY(!w.mTaskShip);
        QCOMPARE(w.model->rowCount(), rows);
        QCOMPARE(status(), QStringLiteral("%1 Items listed").arg(rows));
        QCOMPARE(w.lblMode->text(), modeLabel);
    }

    void menuEntries_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shortcut");
        const std::pair<const char*, QStringList> menus[] = {
            {"mnuFile",
             {"mnuFileNew", "mnuFileOpen", "mnuFileSaveAs", "mnuFileBar2", "mnuFileRecent(1)", "mnuFileRecent(2)", "mnuFileRecent(3)",
              "mnuFileRecent(4)", "mnuFileRecent(5)", "mnuFileExit"}},
            {"mnuTask",
             {"mnuTaskDo", "mnuTaskSkip=Ctrl+K", "mnuTaskDone", "mnuTaskUndo=Ctrl+Z", "mnuTaskEmail", "mnuTaskEmailAll=Ctrl+A",
              "mnuTaskEmailBuyer=Ctrl+E", "mnuTaskEmailWinner", "mnuTaskEmailOver1", "mnuTaskEmailOver2", "mnuTaskEmailOver3",
              "mnuTaskEmailPayment", "mnuTaskEmailShipped", "mnuTaskEmailFollowup", "mnuTaskSend=Ctrl+S", "mnuTaskFeedback=Ctrl+F",
              "mnuTaskFixedPriceOffer=Ctrl+X", "mnuTaskUpdate=Ctrl+U", "mnuTaskRelist", "mnuTaskRelistAll=Ctrl+R",
              "mnuTaskRelistSelected"}},
            {"mnuData", {"mnuDataAuction", "mnuDataAuctionAddNon=Ctrl+D", "mnuDataCustomer", "mnuDataItem", "mnuDataItemGroup", "mnuDataPayMethods"}},
            {"mnuReports",
             {"mnuReportsLabels=Ctrl+L", "mnuReportsSingleLabel=Ctrl+I", "mnuReportsPickingList", "mnuReportsStock", "mnuReportStockOnHand",
              "mnuReportLowStock"}},
            {"mnuTools", {"mnuToolsEmail", "mnuToolsOptions"}},
            {"mnuWeb", {"mnuWebBrowser", "mnuWebVendaro", "mnuWebTrademe", "mnuWebOpen=Ctrl+O", "mnuWebClose=Ctrl+C"}},
            {"mnuHelp", {"mnuHelpUpdate", "mnuHelpTutorial", "mnuHelpContact", "mnuHelpAbout"}},
        };
        for (const auto& [menu, entries] : menus)
            for (const QString& e : entries)
                QTest::newRow(qPrintable(e.section('=', 0, 0))) << QString::fromLatin1(menu) << e.section('=', 0, 0) << e.section('=', 1);
    }
    void menuEntries()
    {
        QFETCH(QString, menu);
        QFETCH(QString, entry);
        QFETCH(QString, shortcut);
        window = new frmMain;
        QAction* a = window->action(entry);
        QVERIFY2(a, qPrintable(entry + " is missing"));
        QCOMPARE(a->objectName(), entry);
        QCOMPARE(a->shortcut(), QKeySequence(shortcut));
        // It sits in its menu (or one of that menu's submenus).
        QMenu* top = window->menuBar()->findChild<QMenu*>(menu, Qt::FindDirectChildrenOnly);
        QVERIFY2(top, qPrintable(menu));
        QList<QAction*> all;
        QList<QMenu*> pending{top};
        while (!pending.isEmpty()) {
            QMenu* m = pending.takeFirst();
            for (QAction* x : m->actions()) {
                all << x;
                if (x->menu()) pending << x->menu();
            }
        }
        QVERIFY2(all.contains(a), qPrintable(entry + " is not in " + menu));
    }

    // Each reminder entry says what it sends, in the Task menu and in the
    // Email button's drop-down alike.
    void reminderEntriesSayWhatTheySend_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        for (int n = 1; n <= 3; ++n) {
            const QString caption = QStringLiteral("Send payment reminder email (%1)").arg(n);
            QTest::addRow("menu, reminder %d", n) << QStringLiteral("mnuTaskEmailOver%1").arg(n) << caption;
            QTest::addRow("drop-down, reminder %d", n) << QStringLiteral("EmailOver%1").arg(n) << caption;
        }
    }
    void reminderEntriesSayWhatTheySend()
    {
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        window = new frmMain;
        QCOMPARE(MainWindowDriver::shownText(window->action(entry)->text()), caption);
    }

    // One accelerator per entry: kept while free, else the first free letter
    // or digit that starts a word, else any free one; "&&" is a plain "&".
    void accelerators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("used");  // accelerators earlier entries took
        QTest::addColumn<QString>("result");
        QTest::newRow("own, free") << "Done &task" << "ds" << "Done &task";
        QTest::newRow("own, taken in another case") << "&Update auctions" << "U" << "Update &auctions";
        QTest::newRow("none: the first word") << "Picking List" << "" << "&Picking List";
        QTest::newRow("none: a later word") << "Contact us" << "c" << "Contact &us";
        QTest::newRow("every word start taken") << "1 Week" << "123456w" << "1 W&eek";
        QTest::newRow("a digit") << "Send payment reminder email (2)" << "sprew" << "Send payment reminder email (&2)";
        QTest::newRow("a word after punctuation") << "www.trademe.co.nz" << "w" << "www.&trademe.co.nz";
        QTest::newRow("a doubled & stays text") << "Tom && Jerry" << "t" << "Tom && &Jerry";
        QTest::newRow("a word after a doubled &") << "R&&D" << "r" << "R&&&D";
        QTest::newRow("nothing free: as it is") << "Ab" << "ab" << "Ab";
        QTest::newRow("nothing free, own taken: as it is") << "&Ab" << "ab" << "&Ab";
        QTest::newRow("letters beyond ASCII") << "Ōrākei" << "" << "&Ōrākei";
    }
    void accelerators()
    {
        QFETCH(QString, text);
        QFETCH(QString, used);
        QFETCH(QString, result);
        QSet<QChar> taken;
        for (QChar c : used) taken.insert(c.toCaseFolded());
        const qsizetype before = taken.size();
        QCOMPARE(MenuAccelerators::withAccelerator(text, taken), result);
        QCOMPARE(MainWindowDriver::shownText(result), MainWindowDriver::shownText(text));
        if (result != text || MenuAccelerators::accelerator(text) != QChar()) {
            const QChar chosen = MenuAccelerators::accelerator(result);
            if (taken.size() > before) QVERIFY(taken.contains(chosen.toCaseFolded()));
        }
    }

    // Every menu (the menu bar, its menus and submenus, both popups and the
    // toolbar's drop-downs): each entry has an accelerator no other entry of
    // that menu has. Entries filled from the database (site links, custom
    // e-mails) get theirs when the menu opens.
    void everyEntryHasItsOwnAccelerator_data()
    {
        QTest::addColumn<QString>("siteUrl");  // VENDARO_SITE_URL, "" for the built-in one
        QTest::addColumn<QString>("makerUrl");
        QTest::addColumn<QStringList>("templates");
        QTest::newRow("built-in sites") << "" << "https://www.vendaro.co.nz" << QStringList{};
        QTest::newRow("demo: one stand-in for both, custom e-mails")
            << "http://127.0.0.1:8765" << "http://127.0.0.1:8765" << QStringList{"ABC", "Thanks & more", "ZED"};
    }
    void everyEntryHasItsOwnAccelerator()
    {
        QFETCH(QString, siteUrl);
        QFETCH(QString, makerUrl);
        QFETCH(QStringList, templates);
        const QByteArray makerBefore = qgetenv("VENDARO_MAKER_URL");
        const auto restore = qScopeGuard([makerBefore] {
            qunsetenv("VENDARO_SITE_URL");
            qputenv("VENDARO_MAKER_URL", makerBefore);
        });
        if (!siteUrl.isEmpty()) qputenv("VENDARO_SITE_URL", siteUrl.toUtf8());
        qputenv("VENDARO_MAKER_URL", makerUrl.toUtf8());
        for (const QString& id : templates)
            exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES (?, 'MISC', 18, 's', 'm')", {id});
        for (int i = 0; i < ProgramContext::RecentCount; ++i) {
            ctx().gRecentFileNames[i] = QDir(env->programFolder()).filePath(QStringLiteral("shop%1.mdb").arg(i));
            ctx().gRecentFileTitles[i] = QStringLiteral("shop%1.mdb").arg(i);
        }
        addSale("100", 4, vb::today());
        frmMain& w = opened();

        QList<std::pair<QString, QList<QAction*>>> menus{{"the menu bar", w.menuBar()->actions()}};
        QList<QMenu*> pending{w.mnuPopup, w.mnuHistory};
        for (QAction* a : w.menuBar()->actions()) pending << a->menu();
        for (QAction* a : w.tbar->actions())
            if (a->menu()) pending << a->menu();
        QVERIFY(w.action("TradeMe")->menu()->actions().size() > 5);  // the site links are there
        while (!pending.isEmpty()) {
            QMenu* m = pending.takeFirst();
            m->popup(w.mapToGlobal(QPoint(10, 10)));  // as the seller opens it
            m->close();
            menus.append({m->title().isEmpty() ? m->parent()->objectName() + " drop-down" : m->title(), m->actions()});
            for (QAction* a : m->actions())
                if (a->menu()) pending << a->menu();
        }
        for (const auto& [name, entries] : menus) {
            QMap<QChar, QString> taken;
            for (QAction* a : entries) {
                if (a->isSeparator()) continue;
                const QChar key = MenuAccelerators::accelerator(a->text()).toCaseFolded();
                QVERIFY2(!key.isNull(), qPrintable(name + ": \"" + a->text() + "\" has no accelerator"));
                QVERIFY2(!taken.contains(key), qPrintable(name + ": \"" + a->text() + "\" and \"" + taken.value(key) + "\" share one"));
                taken.insert(key, a->text());
            }
        }
    }

    // Text from the database is shown as stored in the menus: its "&" is no
    // accelerator marker.
    void storedTextKeepsItsAmpersands_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a site link") << "link" << "TradeMe12" << "Tom & Jerry's page";
        QTest::newRow("a custom e-mail") << "email" << "EmailCustom10" << "Custom email: R&D";
        QTest::newRow("a recent database") << "recent" << "mnuFileRecent(2)" << "2  Bits & bobs.mdb";
    }
    void storedTextKeepsItsAmpersands()
    {
        QFETCH(QString, source);
        QFETCH(QString, entry);
        QFETCH(QString, shown);
        exec("UPDATE Links SET \"Desc\"='Tom & Jerry''s page' WHERE LinkId=12");
        exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES ('R&D', 'MISC', 18, 's', 'm')");
        ctx().gRecentFileNames[0] = QDir(env->programFolder()).filePath("shop.mdb");
        ctx().gRecentFileTitles[0] = "shop.mdb";
        ctx().gRecentFileNames[1] = QDir(env->programFolder()).filePath("bits.mdb");
        ctx().gRecentFileTitles[1] = "Bits & bobs.mdb";
        frmMain& w = opened();
        QAction* a = w.action(entry);
        if (source == "link")
            for (QAction* link : w.action("TradeMe")->menu()->actions())
                if (link->objectName() == entry) a = link;
        QVERIFY2(a, qPrintable(entry));
        QMenu* menu = qobject_cast<QMenu*>(a->parent());
        QVERIFY(menu);
        menu->popup(QPoint(10, 10));
        menu->close();
        QCOMPARE(MainWindowDriver::shownText(a->text()), shown);
    }

    // The wiring tables name entries that exist, each once (a later wiring
    // would silently win over an earlier one). A debug build stops at a slip.
    void wiringNamesEveryEntryOnce()
    {
        window = new frmMain;
        QCOMPARE(window->wiringProblems(), QStringList());
#ifdef QT_NO_DEBUG
        window->rewire("NoSuchEntry", [] {});
        window->rewire("mnuFileNew", [] {});
        QCOMPARE(window->wiringProblems(), (QStringList{"NoSuchEntry is no entry", "mnuFileNew is wired twice"}));
#endif
    }

    void unbuiltCommandsSaySo_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("text");
        QTest::newRow("buyers") << "mnuDataCustomer" << "The buyer window " + NotAvailable;
        QTest::newRow("labels") << "mnuReportsLabels" << "Printing address labels " + NotAvailable;
        QTest::newRow("options") << "mnuToolsOptions" << "The Options window " + NotAvailable;
        QTest::newRow("about") << "mnuHelpAbout" << "The About window " + NotAvailable;
        QTest::newRow("toolbar: update, a window not built yet") << "Update" << "Updating from the site " + NotAvailable;
    }
    void unbuiltCommandsSaySo()
    {
        QFETCH(QString, entry);
        QFETCH(QString, text);
        addSale("100", 4, vb::today());  // list commands need a sale
        frmMain& w = opened();
        QAction* a = w.action(entry);
        QVERIFY(a && a->isEnabled());
        env->messages().answer(vbmsg::OK, text);
        a->trigger();
        QCOMPARE(env->messages().prompts().size(), 2);  // the start hint, then this
        QCOMPARE(env->messages().prompts().last().title, ctx().gAppTitle);
        QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Information));
        QCOMPARE(w.model->rowCount(), 1);  // and nothing else happened
    }

    // ---- how it looks -------------------------------------------------------

    void screenshot()
    {
        env.reset();
        env.emplace();
        DemoDataOptions options;
        options.sales = 300;
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::createFilled(env->programFolder(), options), "shop.mdb", true, false));
        ctx().gConfiguration.DatabaseDesc = QStringLiteral("Kiwi Kitchenware");
        AppSettings::SaveSetting(Section, "WindowState", "0");  // not maximised
        window = new frmMain;
        window->resize(1280, 800);
        window->show();
        env->messages().answer(vbmsg::OK, StartHint);
        window->Form_Activate();
        QVERIFY(QTest::qWaitForWindowExposed(window.data()));
        QTest::qWait(50);
        QVERIFY(window->model->rowCount() > 0);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(window->grab().save(QDir(shots).filePath("main-window.png")));
    }

    // Moving the selection with the keyboard shows that sale: every command
    // then works on the sale the seller sees.
    void keyboardSelectionShowsTheSale()
    {
        addSale("100", 4, vb::today(), "First");
        addSale("200", 4, vb::today(), "Second");
        frmMain& w = opened();
        const QString first = selectedId();
        QTest::keyClick(w.list, Qt::Key_Down);
        QVERIFY(selectedId() != first);
        QCOMPARE(w.txtAuctionId->text(), selectedId());
    }

    // Stored text that looks like markup is shown as the seller typed it, in
    // every label that shows it.
    void textIsNeverMarkup()
    {
        const QString buyer = "<i>bob</i>";
        exec("INSERT INTO Customer (CustomerId, Name, Email) VALUES (?, 'Bob', ?)", {buyer, "<b>bob</b>@example.com"});
        addSale("<s>100</s>", 7, vb::today(), "Set of <b>6</b> plates", buyer);
        exec("UPDATE Auction SET DatePaid=45000, PayId='<b>BANK</b>', DateSent=45002, TrackingNumber='<a href=\"x\">NZ1</a>'");
        frmMain& w = opened();
        copyToClipboard("<b>no such sale</b>");
        w.OpenSearchWindow(true);
        QCOMPARE(w.txtDescription->text(), QStringLiteral("Set of <b>6</b> plates"));
        QCOMPARE(w.txtPayId->text(), QStringLiteral("<b>BANK</b>"));
        QCOMPARE(w.txtTrackingNumber->text(), QStringLiteral("<a href=\"x\">NZ1</a>"));

        QStringList showing, asMarkup;
        for (const QLabel* label : w.findChildren<QLabel*>()) {
            if (!label->text().contains(u'<')) continue;
            showing << label->objectName();
            if (label->textFormat() != Qt::PlainText) asMarkup << label->objectName();
        }
        QCOMPARE(asMarkup, QStringList());
        showing.sort();
        QCOMPARE(showing, (QStringList{"lblAuctionId", "txtAuctionId", "txtCustomerId", "txtDescription", "txtEmail", "txtPayId",
                                       "txtSearchMessage", "txtTrackingNumber"}));
    }

    // A list cell's tooltip shows the cell's text, whatever it holds.
    void listTooltipsShowTheText_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("tags") << "Set of <b>6</b> plates";
        QTest::newRow("a whole document") << "<qt>Teapot</qt>";
        QTest::newRow("an entity") << "Tom &amp; Jerry mugs";
        QTest::newRow("comparison signs") << "Bolts < 5mm & > 2mm";
        QTest::newRow("runs of blanks") << "Two  blanks,   three";
        QTest::newRow("two lines") << "Line one\nLine two";
        QTest::newRow("a blank line and a tab") << "Line one\n\n\tLine three";
        QTest::newRow("empty") << "";
    }
    void listTooltipsShowTheText()
    {
        QFETCH(QString, title);
        addSale("100", 4, vb::today(), title);
        frmMain& w = opened();
        QCOMPARE(w.model->rowCount(), 1);
        const QString tip = w.model->index(0, AuctionListModel::ColTitle).data(Qt::ToolTipRole).toString();
        // What QToolTip shows: markup when the text looks like it, else the text.
        QString shown = tip;
        if (Qt::mightBeRichText(tip)) {
            QTextDocument document;
            document.setHtml(tip);
            shown = document.toPlainText();
        }
        QCOMPARE(shown, title);
    }

    // The list sorts text in the seller's alphabet, ignoring case.
    void listSortsInTheSellersAlphabet_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("New Zealand") << "en_NZ" << QStringList{"apfel", "banana", "cherry", "zebra"};
        QTest::newRow("German") << "de_DE" << QStringList{"apfel", "banana", "cherry", "zebra"};
        QTest::newRow("Swedish, where Ä follows Z") << "sv_SE" << QStringList{"banana", "cherry", "zebra", "apfel"};
        QTest::newRow("no locale") << "C" << QStringList{"apfel", "banana", "cherry", "zebra"};
    }
    void listSortsInTheSellersAlphabet()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, order);
        const QLocale before;
        const auto restore = qScopeGuard([before] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(locale));
        addSale("cherry", 4, vb::today(), "Cherry jar");
        addSale("apfel", 4, vb::today(), QString::fromUtf8("Äpfel crate"));
        addSale("zebra", 4, vb::today(), "zebra mug");
        addSale("banana", 4, vb::today(), "banana box");
        frmMain& w = opened();
        w.list_ColumnClick(AuctionListModel::ColTitle + 1);
        if (w.mSortOrder != 0) w.list_ColumnClick(AuctionListModel::ColTitle + 1);
        QCOMPARE(w.mSortKey, int(AuctionListModel::ColTitle));
        QCOMPARE(listedIds(), order);
    }
};

VENDARO_TEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
