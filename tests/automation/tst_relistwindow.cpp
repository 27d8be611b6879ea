// The relist window offscreen: the update question, the notices told once,
// the empty queue and the deferred exclusions window, ticks that survive a
// rebuild, the options dialog for a row (and by itself for a single relist),
// the checks before a batch and the question on closing after edits.

#include "DatabaseFixture.h"
#include "ModalDriver.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmRelist.h"
#include "automation/frmRelistDetail.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString NoOfferNotice = QStringLiteral("One or more of the auctions listed have not had a fixed price offer made.");
const QString ExcludedNotice = QStringLiteral("One or more auctions could not be relisted.");
const QString NoneToRelist = QStringLiteral("There are no auctions to relist.");

// Calls back each time its widget is hidden.
class HideWatch : public QObject {
public:
    HideWatch(QWidget* widget, std::function<void()> hidden) : m_hidden(std::move(hidden)) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide) m_hidden();
        return false;
    }

private:
    std::function<void()> m_hidden;
};
}  // namespace

class tst_relistwindow : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    // A stocked item with its template auction (offer made, complete values).
    void stocked(const QString& item, const QString& auction, const QVariantMap& limits = {})
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES (?, ?, 1)", {item, "Title " + item});
        for (auto it = limits.begin(); it != limits.end(); ++it)
            exec("UPDATE Item SET " + it.key() + "=? WHERE ItemId=?", {it.value(), item});
        sale(auction, item, 9, true);
    }
    void sale(const QString& auction, const QString& item, int step, bool offerMade)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, dateNextAction, StartPrice, ReservePrice, "
             "BuyNowPrice, MaxBidAmount, FixedPriceOffered, DurationFixed, DurationDays, ExtraFeatures) "
             "VALUES (?, ?, ?, ?, ?, ?, 5, 10, 0, 0, ?, 1, 7, ',')",
             {auction, item, "Title " + item, step, vb::today() - 10, vb::today(), offerMade});
    }
    // An unstocked item's unsold auction, due for relisting.
    void unsold(const QString& item, const QString& auction, bool offerMade)
    {
        exec("INSERT OR IGNORE INTO Item (ItemId, Description, Stocked) VALUES (?, ?, 0)", {item, "Title " + item});
        sale(auction, item, 16, offerMade);
    }
    std::unique_ptr<frmRelist> open(const QString& auction = {})
    {
        auto w = std::make_unique<frmRelist>();
        w->setRemoteAuctionId(auction);
        w->show();
        return w;
    }
    static QStringList ticked(const frmRelist& w)
    {
        QStringList rows;
        for (int r = 0; r < w.rowCount(); ++r)
            if (w.cell(r, 0)->checkState() == Qt::Checked) rows << w.cell(r, 0)->text() + "/" + w.cell(r, 4)->text();
        return rows;
    }
    static void tick(frmRelist& w, int row, bool on = true) { w.cell(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }
    static void select(frmRelist& w, int row) { w.list()->setCurrentIndex(w.model()->index(row, 0)); }
    static QAction* popupItem(frmRelist& w, const char* name) { return w.popup()->findChild<QAction*>(QLatin1String(name)); }

private slots:
    void initTestCase() { AutomationForms::Register(); }

    void init()
    {
        env.emplace();
        vb::setClock(QDateTime(QDate(2026, 4, 14), QTime(10, 30)));
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gConfiguration.DateLastUpdate = vb::now();
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        FormsRegistry::instance().clearStubCalls();
        vb::setClock(QDateTime());
        env.reset();
    }

    // Data older than an hour: the seller is asked to update first.
    void updateQuestion_data()
    {
        QTest::addColumn<double>("hoursAgo");
        QTest::addColumn<int>("answer");  // 0: no question
        QTest::newRow("an hour ago") << 1.0 << 0;
        QTest::newRow("older, update") << 1.01 << int(vbmsg::Yes);
        QTest::newRow("older, no update") << 1.01 << int(vbmsg::No);
    }
    void updateQuestion()
    {
        QFETCH(double, hoursAgo);
        QFETCH(int, answer);
        ctx().gConfiguration.DateLastUpdate = vb::now() - hoursAgo / 24;
        stocked("W", "100");
        bool updated = false;
        FormsRegistry::instance().overrideForm("frmUpdate", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [&, d] {
                updated = true;
                d->accept();
            });
            return d;
        });
        if (answer)
            messages().answer(answer, "To ensure your database is up to date, an update should be performed prior to a relist." + CrLf + CrLf +
                                          "Do you want to update TradeMe auction data now? (recommended)");
        auto w = open();
        QCOMPARE(updated, answer == vbmsg::Yes);
        QCOMPARE(w->rowCount(), 1);
        QVERIFY(messages().verifyDone());
        if (answer) QCOMPARE(messages().prompts().first().style, int(vbmsg::YesNo + vbmsg::Question));
    }

    // Red rows, notices once per window, headers and the list sorted by item.
    void listAndNotices()
    {
        stocked("Z", "300");
        unsold("M", "200", false);
        unsold("M", "201", true);
        messages().answer(vbmsg::OK, NoOfferNotice);
        auto w = open();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->windowTitle(), "Relist");
        QCOMPARE(w->model()->headerData(3, Qt::Horizontal).toString(), "Currrent listings");
        QCOMPARE(w->rowCount(), 3);
        QCOMPARE(w->cell(0, 1)->text(), "M");
        QCOMPARE(w->cell(2, 1)->text(), "Z");
        for (int r = 0; r < 3; ++r) {
            const bool red = w->cell(r, 0)->text() == "200";
            QCOMPARE(w->cell(r, 5)->foreground().color() == QColor(Qt::red), red);
        }
        QVERIFY(!w->selectBox()->isChecked());
        QCOMPARE(w->selectBox()->text(), "Select all");
        // A separator shows as a line, not as a "-" title.
        QVERIFY(popupItem(*w, "mnuPopupLine1")->isSeparator());
        QVERIFY(popupItem(*w, "mnuPopupLine1")->text().isEmpty());
        // Rebuilt, the notice is not told again.
        w->LoadRelistList(true);
        QCOMPARE(w->rowCount(), 3);
        QVERIFY(messages().verifyDone());
    }

    // The window lets events run once its list is filled; by then the list
    // is sorted and the edited row selected again, so what the seller picks
    // then is the row that stays there.
    void listReadyBeforeEventsRun()
    {
        stocked("Z", "300");
        stocked("M", "200");
        stocked("A", "100");
        QStringList seen;
        QTimer peek;
        peek.setInterval(0);
        connect(&peek, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* w = qobject_cast<frmRelist*>(top);
                if (!w || !w->isVisible() || w->rowCount() == 0 || w->waitPanel()->isVisible()) continue;
                QStringList items;
                for (int r = 0; r < w->rowCount(); ++r) items << w->cell(r, 1)->text();
                const QModelIndex current = w->list()->currentIndex();
                const QString shown = items.join(u',') + " at " + (current.isValid() ? w->cell(current.row(), 1)->text() : "-");
                if (seen.value(seen.size() - 1) != shown) seen << shown;
            }
        });
        peek.start();
        auto w = open();
        select(*w, 1);
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { popupItem(*w, "mnuPopupEdit")->trigger(); },
                                                      [](frmRelistDetail* d) {
                                                          d->title()->setText("Better title");
                                                          d->cmdOK_Click();
                                                      }));
        peek.stop();
        QCOMPARE(w->cell(1, 2)->text(), "Better title");
        QVERIFY(!seen.isEmpty());
        for (const QString& shown : std::as_const(seen)) QVERIFY2(shown.startsWith("A,M,Z at "), qPrintable(seen.join(" | ")));
        QCOMPARE(seen.last(), "A,M,Z at M");
    }

    // The wait panel goes only once the list stands in its order: the seller
    // (and events run while the panel goes) never meet the rows unsorted.
    void listShowsOnlyInItsOrder()
    {
        stocked("Z", "300");
        stocked("A", "100");
        unsold("M", "200", true);
        auto w = std::make_unique<frmRelist>();
        QStringList shown;  // the items as the list stood each time the wait panel went
        HideWatch watch(w->waitPanel(), [&] {
            QStringList items;
            for (int r = 0; r < w->rowCount(); ++r) items << w->cell(r, 1)->text();
            shown << items.join(u',');
        });
        w->show();
        QCOMPARE(w->rowCount(), 3);
        QVERIFY(!shown.isEmpty());
        for (const QString& items : std::as_const(shown)) QCOMPARE(items, "A,M,Z");
        // So is a rebuild.
        shown.clear();
        w->LoadRelistList(false);
        QVERIFY(!shown.isEmpty());
        for (const QString& items : std::as_const(shown)) QCOMPARE(items, "A,M,Z");
    }

    // Nothing to relist but exclusions: the notice, the message, then the
    // exclusions window half a second later; forcing an item in rebuilds the
    // queue without saying again that there is nothing.
    void emptyWithExclusions()
    {
        stocked("W", "100", {{"UseStock", 1}, {"Stock", 0}});
        QVariantMap given;
        FormsRegistry::instance().overrideForm("frmRelistExcluded", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [&, d] {
                given.insert("IgnoreExcluded", d->property("IgnoreExcluded"));
                given.insert("rows", int(d->property("rstExcluded").value<RelistExclusions>().size()));
                d->setProperty("IgnoreExcluded", "[W]");
                d->accept();
            });
            return d;
        });
        messages().answer(vbmsg::OK, ExcludedNotice);
        messages().answer(vbmsg::OK, NoneToRelist);
        auto w = open();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->rowCount(), 0);
        QVERIFY(w->isVisible());
        QVERIFY(!popupItem(*w, "mnuPopupEdit")->isEnabled());
        QVERIFY(w->timer()->isActive());
        QTRY_COMPARE(w->rowCount(), 1);
        QCOMPARE(given.value("rows").toInt(), 1);
        QCOMPARE(given.value("IgnoreExcluded").toString(), "");
        QCOMPARE(w->ignoreExcluded(), "[W]");
        QVERIFY(!w->timer()->isActive());
        QVERIFY(popupItem(*w, "mnuPopupEdit")->isEnabled());
        QVERIFY(messages().verifyDone());
    }

    void emptyWithoutExclusions()
    {
        messages().answer(vbmsg::OK, NoneToRelist);
        auto w = open();
        QVERIFY(messages().verifyDone());
        QVERIFY(w->isVisible());
        QVERIFY(!w->timer()->isActive());
        for (const char* name : {"mnuPopupEdit", "mnuPopupAuction", "mnuPopupItem", "mnuPopupBrowser"})
            QVERIFY(!popupItem(*w, name)->isEnabled());
    }

    // Ticks come back after a rebuild, each copy of an item on its own;
    // "Select all" forgets them.
    void ticksSurviveRebuild()
    {
        stocked("W", "100", {{"MaxListings", 2}});
        stocked("X", "110");
        auto w = open();
        QCOMPARE(w->rowCount(), 3);
        int copy1 = -1;
        for (int r = 0; r < 3; ++r)
            if (w->cell(r, 0)->text() == "100" && w->queue().record(w->cell(r, 0)->data(Qt::UserRole + 1).toInt()).RelistIndex == 1)
                copy1 = r;
        QVERIFY(copy1 >= 0);
        tick(*w, copy1);
        tick(*w, 2);
        QCOMPARE(w->checkedAuctions(), "[100/1][110/1]");
        QCOMPARE(w->selectedRow(), 2);
        tick(*w, 2, false);
        tick(*w, 2);
        const QStringList before = ticked(*w);
        QCOMPARE(before.size(), 2);
        w->LoadRelistList(false);
        QCOMPARE(ticked(*w), before);

        w->selectBox()->click();
        QCOMPARE(w->selectBox()->text(), "Deselect all");
        QCOMPARE(w->checkedCount(), 3);
        QCOMPARE(w->checkedAuctions(), "");
        w->LoadRelistList(false);
        QVERIFY(!w->selectBox()->isChecked());
        QCOMPARE(w->checkedCount(), 0);
    }

    // The checks before a batch: nothing ticked; a red row ticked makes the
    // confirmation a warning.
    void confirmation()
    {
        unsold("M", "200", false);
        unsold("M", "201", true);
        messages().answer(vbmsg::OK, NoOfferNotice);
        auto w = open();
        messages().answer(vbmsg::OK, "Select the listings you want to relist first.");
        w->cmdOK_Click();
        QVERIFY(messages().verifyDone());

        const int plain = w->cell(0, 0)->text() == "201" ? 0 : 1;
        tick(*w, plain);
        messages().answer(vbmsg::No, "You are about to relist 1 auctions on TradeMe." + CrLf + CrLf + "Are you sure you want to continue?");
        w->cmdOK_Click();
        QCOMPARE(messages().prompts().last().style, int(vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2));
        tick(*w, 1 - plain);
        messages().answer(vbmsg::No, "You are about to relist 2 auctions on TradeMe." + CrLf + CrLf +
                                         "ONE OR MORE OF THE AUCTIONS YOU HAVE SELECTED HAVE NOT YET HAD A FIXED PRICE OFFER MADE.  IF "
                                         "YOU RELIST THE AUCTION YOU WILL NOT BE ABLE TO MAKE A FIXED PRICE OFFER." +
                                         CrLf + CrLf + "Are you sure you want to continue?");
        w->cmdOK_Click();
        QCOMPARE(messages().prompts().last().style, int(vbmsg::YesNo + vbmsg::Exclamation + vbmsg::DefaultButton2));
        QVERIFY(messages().verifyDone());
        QVERIFY(w->isVisible());
        QVERIFY(!w->running());
    }

    // The options of a row: accepted, the row shows them and closing asks;
    // a later visit cancelled keeps the accepted edit.
    void editOptions()
    {
        stocked("W", "100");
        auto w = open();
        select(*w, 0);
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { popupItem(*w, "mnuPopupEdit")->trigger(); },
                                                      [](frmRelistDetail* d) {
                                                          QCOMPARE(d->title()->text(), "Title W");
                                                          d->title()->setText("Better title");
                                                          d->startPrice()->setText("6");
                                                          d->cmdOK_Click();
                                                      }));
        QCOMPARE(w->cell(0, 2)->text(), "Better title");
        QCOMPARE(w->cell(0, 5)->text(), "6");
        QVERIFY(w->queue().mOptionsEdited);
        QCOMPARE(w->selectedRow(), 0);

        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { emit w->list()->doubleClicked(w->model()->index(0, 0)); },
                                                      [](frmRelistDetail* d) {
                                                          QCOMPARE(d->title()->text(), "Better title");
                                                          d->title()->setText("Dropped");
                                                          d->cmdCancel_Click();
                                                      }));
        QCOMPARE(w->cell(0, 2)->text(), "Better title");

        // Closing asks; No keeps the window, Yes closes it.
        messages().answer(vbmsg::No, "Any changes you have made will be lost." + CrLf + CrLf + "Are you sure you want to exit?");
        w->close();
        QVERIFY(w->isVisible());
        messages().answer(vbmsg::Yes, "Any changes you have made will be lost.");
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(messages().verifyDone());
    }

    // With "Select all" ticked, a row's edit redraws the list all ticked.
    void selectAllThenEdit()
    {
        stocked("W", "100");
        stocked("X", "110");
        auto w = open();
        w->selectBox()->click();
        QCOMPARE(w->checkedCount(), 2);
        select(*w, 0);
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { popupItem(*w, "mnuPopupEdit")->trigger(); },
                                                      [](frmRelistDetail* d) { d->cmdOK_Click(); }));
        QCOMPARE(w->checkedCount(), 2);
        QCOMPARE(w->selectBox()->text(), "Deselect all");
    }

    // The exclusions window waits while another window is up, and the
    // timer stops when there is nothing to show.
    void exclusionsWait()
    {
        stocked("W", "100");
        stocked("S", "110", {{"UseStock", 1}, {"Stock", 0}});
        messages().answer(vbmsg::OK, ExcludedNotice);
        auto w = open();
        int opened = 0;
        FormsRegistry::instance().overrideForm("frmRelistExcluded", [&](QWidget* parent) {
            ++opened;
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, &QDialog::accept);
            return d;
        });
        select(*w, 0);
        bool openedWhileEditing = true;
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>(
            [&] {
                w->mnuPopupExcluded_Click();
                popupItem(*w, "mnuPopupEdit")->trigger();
            },
            [&](frmRelistDetail* d) {
                QTest::qWait(1200);  // two ticks
                openedWhileEditing = opened > 0;
                d->cmdCancel_Click();
            }));
        QVERIFY(!openedWhileEditing);
        QTRY_COMPARE(opened, 1);
        QCOMPARE(w->rowCount(), 1);

        exec("DELETE FROM Item WHERE ItemId='S'");
        w->LoadRelistList(false);
        w->mnuPopupExcluded_Click();
        QTRY_VERIFY(!w->timer()->isActive());
        QCOMPARE(opened, 1);
    }

    // A first visit cancelled: the row keeps its values, nothing to lose.
    void cancelFirstVisit()
    {
        stocked("W", "100");
        auto w = open();
        select(*w, 0);
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { popupItem(*w, "mnuPopupEdit")->trigger(); },
                                                      [](frmRelistDetail* d) {
                                                          d->title()->setText("Dropped");
                                                          d->cmdCancel_Click();
                                                      }));
        QCOMPARE(w->cell(0, 2)->text(), "Title W");
        QVERIFY(!w->queue().mOptionsEdited);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(messages().prompts().isEmpty());
    }

    // A single relist opens its options by itself.
    void singleRelist()
    {
        unsold("M", "200", true);
        unsold("M", "201", true);
        bool seen = false;
        std::unique_ptr<frmRelist> w;
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { w = open("201"); },
                                                      [&](frmRelistDetail* d) {
                                                          seen = d->title()->text() == "Title M";
                                                          d->cmdOK_Click();
                                                      }));
        QVERIFY(seen);
        QCOMPARE(w->rowCount(), 1);
        QCOMPARE(w->cell(0, 0)->text(), "201");
        QCOMPARE(w->cell(0, 4)->text(), "Relist");
    }

    // The item's window gets code and title, and the queue is built again
    // (its limits may have changed there).
    void viewItem()
    {
        stocked("W", "100", {{"MaxListings", 1}});
        auto w = open();
        QCOMPARE(w->rowCount(), 1);
        select(*w, 0);
        QVariantMap seen;
        FormsRegistry::instance().overrideForm("frmItem", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [&, d] {
                seen.insert("mRemoteId", d->property("mRemoteId"));
                seen.insert("mRemoteDesc", d->property("mRemoteDesc"));
                // The seller lists one more now.
                exec("UPDATE Item SET MaxListings=2 WHERE ItemId='W'");
                d->accept();
            });
            return d;
        });
        popupItem(*w, "mnuPopupItem")->trigger();
        QCOMPARE(seen.value("mRemoteId").toString(), "W");
        QCOMPARE(seen.value("mRemoteDesc").toString(), "Title W");
        QCOMPARE(w->rowCount(), 2);
    }

    // The filled listing pages go with the window.
    void pagesDeleted()
    {
        for (const char* name : {"VNTMR1.sub", "VNTMR4.sub"}) {
            QFile f(QDir(ctx().gAppFolder).filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        messages().answer(vbmsg::OK, NoneToRelist);
        auto w = open();
        w->close();
        w.reset();
        QVERIFY(!QFile::exists(QDir(ctx().gAppFolder).filePath("VNTMR1.sub")));
        QVERIFY(!QFile::exists(QDir(ctx().gAppFolder).filePath("VNTMR4.sub")));
    }
};

QTEST_MAIN(tst_relistwindow)
#include "tst_relistwindow.moc"
