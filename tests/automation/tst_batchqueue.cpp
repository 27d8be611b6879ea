// The batch queue window the batch windows share, on a window of scripted
// rows: the cursor over checked rows, the questions and the summary, Cancel
// and close while a batch runs (rows that finish at once and rows that wait
// for pages), the popup, the settings.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/BatchQueueWindow.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

using Outcome = BatchQueueWindow::RowOutcome;

namespace {
BatchQueueWindow::Setup queueSetup(bool continueQuestion)
{
    BatchQueueWindow::Setup s;
    s.formName = QStringLiteral("frmQueue");
    s.caption = QStringLiteral("Queue");
    s.headers = {QStringLiteral("Auction#"), QStringLiteral("Title"), QStringLiteral("BuyerId")};
    s.waitText = QStringLiteral("Working");
    s.confirmText = QStringLiteral("You are about to work on %1 sales.");
    s.cancelQuestion = QStringLiteral("Cancel work?");
    if (continueQuestion) s.continueQuestion = QStringLiteral("Continue working?");
    s.summaryText = QStringLiteral("Done %1 sales.");
    return s;
}
const QString Confirm = QStringLiteral("Are you sure you want to continue?");
}  // namespace

class QueueWindow : public BatchQueueWindow {
public:
    QueueWindow(bool continueQuestion, const QList<bool>& checked) : BatchQueueWindow(queueSetup(continueQuestion), nullptr), m_checked(checked) {}

    QList<Outcome> outcomes;              // per row; Succeeded when not given
    bool waitsForPages = false;           // rows end later, as site pages load
    std::function<void(int)> duringRow;   // runs while a row is in hand
    QStringList started;
    int fills = 0;

    using BatchQueueWindow::addPopupItem;

protected:
    bool fillList() override
    {
        ++fills;
        for (int i = 0; i < m_checked.size(); ++i) addRow({QString::number(101 + i), "Sale " + QString::number(i + 1), "buyer" + QString::number(i + 1)}, m_checked[i]);
        if (m_checked.isEmpty()) MsgBox("Nothing here.", vbmsg::Information, QString());
        return !m_checked.isEmpty();
    }
    Outcome startRow(int row) override
    {
        started << cell(row, 0)->text();
        const Outcome outcome = outcomes.value(row, Outcome::Succeeded);
        if (!waitsForPages) {
            if (duringRow) duringRow(row);
            return outcome;
        }
        QTimer::singleShot(20, this, [this, row, outcome] {
            if (duringRow) duringRow(row);
            QTimer::singleShot(20, this, [this, outcome] { rowFinished(outcome); });
        });
        return Outcome::Pending;
    }
    QString buyerOf(int row) const override { return cell(row, 2)->text(); }
    QString itemOf(int row) const override { return "ITEM" + cell(row, 0)->text(); }

private:
    QList<bool> m_checked;
};

class tst_batchqueue : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ScriptedMessages& messages() { return env->messages(); }

    std::unique_ptr<QueueWindow> open(const QList<bool>& checked, bool continueQuestion = true)
    {
        auto w = std::make_unique<QueueWindow>(continueQuestion, checked);
        w->show();
        return w;
    }
    // Starts the batch (confirmed) and waits until the window has closed.
    static void run(QueueWindow& w)
    {
        w.cmdOK_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000);
    }

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    void cursor_data()
    {
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("value");
        QTest::newRow("first checked") << QList<bool>{true, false, true} << 0 << 1 << 1;
        QTest::newRow("over an unchecked row") << QList<bool>{true, false, true} << 1 << 3 << 3;
        QTest::newRow("none after the last") << QList<bool>{true, false, true} << 3 << 0 << 3;
        QTest::newRow("unchecked at the end") << QList<bool>{true, false, false} << 1 << 0 << 3;
    }
    void cursor()
    {
        QFETCH(QList<bool>, checked);
        QFETCH(int, from);
        QFETCH(int, row);
        QFETCH(int, value);
        int v = from;
        QCOMPARE(BatchQueueWindow::NextRow(QVector<bool>(checked.begin(), checked.end()), &v), row);
        QCOMPARE(v, value);
    }

    // Checked rows in list order, unchecked ones passed over; the summary
    // counts what succeeded; rows that finish at once and rows that wait.
    void batch_data()
    {
        QTest::addColumn<bool>("waits");
        QTest::newRow("rows finish at once") << false;
        QTest::newRow("rows wait for pages") << true;
    }
    void batch()
    {
        QFETCH(bool, waits);
        auto w = open({true, false, true, true});
        w->waitsForPages = waits;
        QCOMPARE(w->fills, 1);
        for (int r = 0; r < 4; ++r) QVERIFY2(!w->list()->visualRect(w->model()->index(r, 0)).isEmpty(), "every row is shown");
        messages().answer(vbmsg::Yes, "You are about to work on 3 sales.\r\n\r\n" + Confirm);
        messages().answer(vbmsg::OK, "Done 3 sales.");
        run(*w);
        QCOMPARE(w->started, (QStringList{"101", "103", "104"}));
        QCOMPARE(w->progress()->maximum(), 4);
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(messages().verifyDone());
    }

    // A failed row asks whether to go on; No ends with what succeeded.
    void failedRowAsks_data()
    {
        QTest::addColumn<bool>("waits");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<int>("done");
        QTest::newRow("go on") << false << int(vbmsg::Yes) << QStringList{"101", "102", "103"} << 2;
        QTest::newRow("stop") << false << int(vbmsg::No) << QStringList{"101", "102"} << 1;
        QTest::newRow("stop, waiting rows") << true << int(vbmsg::No) << QStringList{"101", "102"} << 1;
    }
    void failedRowAsks()
    {
        QFETCH(bool, waits);
        QFETCH(int, answer);
        QFETCH(QStringList, started);
        QFETCH(int, done);
        auto w = open({true, true, true});
        w->waitsForPages = waits;
        w->outcomes = {Outcome::Succeeded, Outcome::Failed, Outcome::Succeeded};
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(answer, "Continue working?");
        messages().answer(vbmsg::OK, QString("Done %1 sales.").arg(done));
        run(*w);
        QCOMPARE(w->started, started);
    }

    // Without a continue question (the e-mail window) a failed row ends the batch.
    void failedRowEndsWithoutQuestion()
    {
        auto w = open({true, true, true}, false);
        w->outcomes = {Outcome::Succeeded, Outcome::Failed};
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(vbmsg::OK, "Done 1 sales.");
        run(*w);
        QCOMPARE(w->started, (QStringList{"101", "102"}));
    }

    // Cancel during a row: the row finishes, the question comes before the next.
    void cancelBetweenRows_data()
    {
        QTest::addColumn<bool>("waits");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("yes") << false << int(vbmsg::Yes) << QStringList{"101"};
        QTest::newRow("no: goes on") << false << int(vbmsg::No) << QStringList{"101", "102", "103"};
        QTest::newRow("yes, waiting rows") << true << int(vbmsg::Yes) << QStringList{"101"};
    }
    void cancelBetweenRows()
    {
        QFETCH(bool, waits);
        QFETCH(int, answer);
        QFETCH(QStringList, started);
        auto w = open({true, true, true});
        w->waitsForPages = waits;
        QueueWindow* window = w.get();
        w->duringRow = [window](int row) {
            if (row == 0) window->cancelButton()->click();
        };
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(answer, "Cancel work?");
        messages().answer(vbmsg::OK, QString("Done %1 sales.").arg(started.size()));
        run(*w);
        QCOMPARE(w->started, started);
    }

    // Cancel asked for during the last checked row: the summary, no question.
    void cancelAtTheEnd()
    {
        auto w = open({true, false});
        QueueWindow* window = w.get();
        w->duringRow = [window](int) { window->cancelButton()->click(); };
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(vbmsg::OK, "Done 1 sales.");
        run(*w);
    }

    // Cancel twice, or a close then a Cancel, during a row: the window goes at
    // once, without a summary, and the row's late end is ignored.
    void closingDuringARow_data()
    {
        QTest::addColumn<bool>("waits");
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("two cancels") << false << false;
        QTest::newRow("two cancels, waiting row") << true << false;
        QTest::newRow("a close is taken as cancel") << true << true;
    }
    void closingDuringARow()
    {
        QFETCH(bool, waits);
        QFETCH(bool, closeFirst);
        auto w = open({true, true});
        w->waitsForPages = waits;
        QueueWindow* window = w.get();
        w->duringRow = [window, closeFirst](int) {
            if (closeFirst) {
                window->close();
                QVERIFY(window->isVisible());  // refused once
            } else {
                window->cancelButton()->click();
            }
            window->cancelButton()->click();
        };
        messages().answer(vbmsg::Yes, Confirm);
        run(*w);
        QCOMPARE(w->started, QStringList{"101"});
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QTest::qWait(100);  // a row that ends late finds the window gone
        QCOMPARE(w->started, QStringList{"101"});
    }

    // Nothing checked, or the confirmation declined: nothing starts.
    void nothingStarts()
    {
        auto w = open({true, true});
        w->selectBox()->click();
        QCOMPARE(w->selectBox()->text(), QStringLiteral("Select all"));
        QCOMPARE(w->checkedCount(), 0);
        messages().answer(vbmsg::OK, "Select at least one item first.");
        w->cmdOK_Click();
        w->selectBox()->click();
        QCOMPARE(w->checkedCount(), 2);
        messages().answer(vbmsg::No, Confirm);
        w->cmdOK_Click();
        QVERIFY(messages().verifyDone());
        QVERIFY(w->isVisible());
        QVERIFY(w->startButton()->isEnabled());
        QCOMPARE(w->started, QStringList{});
        w->cmdCancel_Click();
        QVERIFY(!w->isVisible());
    }

    // An empty list is said and the window closes; activations after the first fill nothing.
    void activation()
    {
        messages().answer(vbmsg::OK, "Nothing here.");
        auto empty = open({});
        QTRY_VERIFY(!empty->isVisible());

        auto w = open({true});
        w->Form_Activate();
        w->hide();
        w->show();
        QCOMPARE(w->fills, 1);
        QCOMPARE(w->rowCount(), 1);
    }

    // The popup: own items before the common ones, a double-click runs the first.
    void popup()
    {
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));  // the site links
        auto w = open({true, true});
        QStringList ran;
        w->addPopupItem("mnuPopupOwn", "Change it", [&] { ran << "own:" + w->cell(w->selectedRow(), 0)->text(); });
        QStringList names;
        for (QAction* a : w->popup()->actions()) names << a->objectName();
        QCOMPARE(names, (QStringList{"mnuPopupOwn", "mnuPopupAuction", "mnuPopupBuyer", "mnuPopupItem", "mnuPopupLine2", "mnuPopupBrowser"}));
        QStringList opened;
        for (const char* form : {"frmAuction", "frmCustomer", "frmItem", "frmBrowser"})
            FormsRegistry::instance().overrideForm(form, [&opened, form](QWidget* parent) {
                auto* d = new QDialog(parent);
                QTimer::singleShot(0, d, [d, form, &opened] {
                    opened << QString::fromLatin1(form) + ":" + d->property("mRemoteId").toString() +
                                  (d->property("mRemoteEdit").toBool() ? "+edit" : "") + d->property("StartingAddress").toString();
                    d->accept();
                });
                return d;
            });
        QCOMPARE(w->selectedRow(), 0);  // the first row is in hand when the window opens
        w->list()->setCurrentIndex(QModelIndex());
        w->popup()->actions().at(1)->trigger();  // no row selected: nothing
        w->list()->setCurrentIndex(w->model()->index(1, 0));
        emit w->list()->doubleClicked(w->model()->index(1, 0));
        for (int i = 1; i <= 3; ++i) w->popup()->actions().at(i)->trigger();
        QCOMPARE(ran, QStringList{"own:102"});
        QCOMPARE(opened, (QStringList{"frmAuction:102+edit", "frmCustomer:buyer2", "frmItem:ITEM102"}));
        // A further sale of a listing shows the listing's page.
        w->addRow({"4711A", "Sale", "buyer"}, true);
        w->list()->setCurrentIndex(w->model()->index(2, 0));
        opened.clear();
        w->popup()->actions().last()->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY2(opened[0].startsWith("frmBrowser:") && opened[0].contains("4711") && !opened[0].contains("4711A"), qPrintable(opened[0]));
    }

    // Size, state and column widths are kept; the window is never made smaller
    // than its least, nor opened larger than the screen.
    void settings()
    {
        {
            auto w = open({true});
            w->resize(vb::twipsToPixels(11500), vb::twipsToPixels(7000));
            w->list()->setColumnWidth(1, vb::twipsToPixels(3000));
            w->cmdCancel_Click();
        }
        const QString section = "Settings\\frmQueue";
        QCOMPARE(AppSettings::GetSetting(section, "WindowState"), QStringLiteral("0"));
        QCOMPARE(AppSettings::GetSetting(section, "Width").toInt(), vb::pixelsToTwips(vb::twipsToPixels(11500)));
        QCOMPARE(AppSettings::GetSetting(section, "listColumn2").toInt(), vb::pixelsToTwips(vb::twipsToPixels(3000)));
        {
            auto w = open({true});
            QCOMPARE(w->width(), vb::twipsToPixels(11500));
            QCOMPARE(w->list()->columnWidth(1), vb::twipsToPixels(3000));
            w->resize(10, 10);
            QCOMPARE(w->width(), vb::twipsToPixels(9000));
            QCOMPARE(w->height(), vb::twipsToPixels(5000));
            w->cmdCancel_Click();
        }
        // A size kept from a larger screen comes back within this one.
        AppSettings::SaveSetting(section, "Width", "40000");
        AppSettings::SaveSetting(section, "Height", "30000");
        auto w = open({true});
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(screen.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1x%2").arg(w->frameGeometry().width()).arg(w->frameGeometry().height())));
    }
};

QTEST_MAIN(tst_batchqueue)
#include "tst_batchqueue.moc"
