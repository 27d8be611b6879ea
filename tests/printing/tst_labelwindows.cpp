// The address label window and the label setup dialog offscreen, on a real
// database: what is listed and checked, combining addresses, the start
// position, printing from it and the next start, the setup's checks and
// saves (and a save that fails), the label report's layout, and the window
// opened from the main window's Reports menu.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "printing/LabelSetupRules.h"
#include "printing/PrintingForms.h"
#include "platform/SpinButtons.h"
#include "printing/frmLabels.h"
#include "printing/frmLabelsSetup.h"
#include "printing/reportLabels.h"
#include "printing/reportPickingList.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <optional>

using Rules = LabelSetupRules;

class tst_labelwindows : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QPointer<frmMain> mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void buyer(const QString& id) { exec("INSERT INTO Customer (CustomerId, Email) VALUES (?, ?)", {id, id + "@example.co.nz"}); }
    void sale(const QString& id, const QString& buyerId, const QString& address, int step = 11, double due = vb::today(), bool highlight = false)
    {
        exec("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, DateNextAction, CustomerId, DeliveryAddress, Highlight) "
             "VALUES (?, ?, 'MISC', ?, ?, ?, ?, ?)",
             {id, "Sale " + id, step, due, buyerId, address, highlight});
    }
    std::unique_ptr<frmLabels> open(const QString& single = QString())
    {
        auto w = std::make_unique<frmLabels>();
        w->pSingleAuctionNumber = single;
        w->show();
        w->Form_Activate();
        return w;
    }
    static QStringList listed(const frmLabels& w)
    {
        QStringList rows;
        for (int r = 0; r < w.model()->rowCount(); ++r)
            rows << w.model()->item(r, 0)->text() + (w.isChecked(r) ? "+" : "-") + "|" + w.model()->item(r, 2)->text() + "|" + w.labelOf(r);
        return rows;
    }
    // A stand-in for a window: takes what it is told and closes at once.
    void capture(const QString& form, QVariantMap* told, std::function<void()> whileOpen = {})
    {
        FormsRegistry::instance().overrideForm(form, [told, whileOpen](QWidget* parent) {
            auto* w = new QDialog(parent);
            QTimer::singleShot(0, w, [w, told, whileOpen] {
                for (const QByteArray& name : w->dynamicPropertyNames()) told->insert(QString::fromUtf8(name), w->property(name));
                if (whileOpen) whileOpen();
                w->accept();
            });
            return w;
        });
    }
    QString layoutRow()
    {
        return DatabaseFixture::rows("SELECT LabelTop, LabelLeft, LabelBottom, LabelRight, LabelWidth, LabelHeight, LabelCols, LabelRows, "
                                     "LabelFontSize, LabelFont FROM Configuration")
            .value(0);
    }

private slots:
    void initTestCase() { PrintingForms::Register(); }
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        for (const char* id : {"ann", "bob", "cat"}) buyer(id);
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete mainWindow.data();
        env.reset();
    }

    // Due sales by buyer; the later of two labels for one address is cleared
    // and the seller is asked once; a sale without an address says so and is cleared.
    void listsDueSalesAndCombines()
    {
        const QString home = "Ann Smith\r\n1 Main Rd\r\nNelson";
        sale("101", "bob", home);
        sale("102", "ann", home, 11, vb::today() - 3, true);
        sale("103", "ann", "Ann\r\nelsewhere", 11, vb::today() + 1);  // due tomorrow
        sale("104", "ann", "Ann\r\nelsewhere", 4);                     // another task
        sale("105", "cat", "  ");
        sale("106", "ghost", home);  // no buyer row
        sale("107", "cat", home);
        messages().answer(vbmsg::OK, "No delivery address for item#105 (cat)");
        messages().answer(vbmsg::Yes, "Do you want to combine shipping");
        auto w = open();
        QCOMPARE(listed(*w), (QStringList{"102+|ann|" + home, "101-|bob|" + home, "105-|cat|No delivery address set!", "107-|cat|" + home}));
        QCOMPARE(messages().prompts().at(1).style, int(vbmsg::YesNo | vbmsg::Question));
        QCOMPARE(w->labelsToPrint(), 1);
        QCOMPARE(w->itemOf(0), QStringLiteral("MISC"));
        QCOMPARE(w->model()->item(0, 3)->text(), QStringLiteral("ann@example.co.nz"));
        QVERIFY(w->model()->item(0, 1)->font().bold());
        QCOMPARE(w->model()->item(0, 1)->foreground().color(), QColor(Qt::red));
        QCOMPARE(w->windowTitle(), QStringLiteral("Address labels - 1 labels to print (1 label sheets required)"));

        // The seller's own check marks count.
        w->model()->item(1, 0)->setCheckState(Qt::Checked);
        QCOMPARE(w->labelsToPrint(), 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Address labels - 2 labels to print (1 label sheets required)"));
        w->selectBox()->click();
        QCOMPARE(w->labelsToPrint(), 0);
        QCOMPARE(w->selectBox()->text(), QStringLiteral("Select all"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Address labels"));
    }

    void answeringNoChecksEveryRow()
    {
        sale("101", "ann", "1 Main Rd");
        sale("102", "bob", "1 Main Rd");
        sale("103", "cat", "");
        messages().answer(vbmsg::OK, "No delivery address for item#103 (cat)");
        messages().answer(vbmsg::No, "same delivery address");
        auto w = open();
        QCOMPARE(w->labelsToPrint(), 3);
        for (int r = 0; r < 3; ++r) QVERIFY(w->isChecked(r));
        QVERIFY(w->selectBox()->isChecked());
    }

    // One named sale is listed whatever its step and due date; an apostrophe is data.
    void singleSale()
    {
        sale("4'01", "ann", "1 Main Rd", 4, vb::today() + 20);
        sale("402", "ann", "2 Main Rd");
        auto w = open("4'01");
        QCOMPARE(listed(*w), QStringList{"4'01+|ann|1 Main Rd"});
    }

    void nothingToShipCloses()
    {
        sale("101", "ghost", "1 Main Rd");
        messages().answer(vbmsg::OK, "There are no items on the current task list to ship.");
        auto w = open("101");
        QTRY_VERIFY(!w->isVisible());
    }

    // Start 23 on a sheet of 24 with four labels: seven used rows, the labels
    // from the eighth row's second position, and the next sheet starts at 3.
    void printsFromTheStartPosition()
    {
        for (const char* id : {"101", "102", "103", "104"}) sale(id, "ann", QStringLiteral("Address %1").arg(id));
        sale("105", "bob", "Address 105");
        AppSettings::SaveSetting("Settings\\frmLabels", "LabelStart", "23");
        auto w = open();
        QCOMPARE(w->labelsPerSheet(), 24);
        QCOMPARE(w->startField()->text(), QStringLiteral("23"));
        w->model()->item(4, 0)->setCheckState(Qt::Unchecked);
        QCOMPARE(w->windowTitle(), QStringLiteral("Address labels - 4 labels to print (2 label sheets required)"));
        QVariantMap told;
        capture("reportLabels", &told);
        w->findChild<QPushButton*>("cmdPrint")->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(w->model()->rowCount(), 4);  // the cleared row is gone
        const LabelRows rows = told.value("DataSource").value<LabelRows>();
        QCOMPARE(rows.size(), 9);
        QCOMPARE(rows.at(6), labelrows::EmptyRow());
        QCOMPARE(rows.at(7), (QStringList{"", "Address 101", "Address 102", ""}));
        QCOMPARE(rows.at(8), (QStringList{"Address 103", "Address 104", "", ""}));
        QCOMPARE(AppSettings::GetSetting("Settings\\frmLabels", "LabelStart"), QStringLiteral("3"));
    }

    void printNeedsACheckedRow()
    {
        sale("101", "ann", "1 Main Rd");
        auto w = open();
        w->selectBox()->click();
        messages().answer(vbmsg::OK, "Select the items to print first.");
        w->findChild<QPushButton*>("cmdPrint")->click();
        QVERIFY(w->isVisible());
        QCOMPARE(w->model()->rowCount(), 1);
    }

    void startField()
    {
        sale("101", "ann", "1 Main Rd");
        auto w = open();
        QLineEdit* start = w->startField();
        start->setText("0");
        QCOMPARE(start->text(), QStringLiteral("1"));
        start->setText("abc");
        QCOMPARE(start->text(), QStringLiteral("1"));
        start->setText("99");
        QCOMPARE(start->text(), QStringLiteral("24"));
        w->spinner()->upButton()->click();
        QCOMPARE(start->text(), QStringLiteral("24"));
        w->spinner()->downButton()->click();
        QCOMPARE(start->text(), QStringLiteral("23"));

        // The setup makes the sheet smaller: the start comes into the new range.
        QVariantMap told;
        capture("frmLabelsSetup", &told, [this] { exec("UPDATE Configuration SET LabelCols=2, LabelRows=3"); });
        w->findChild<QPushButton*>("cmdSetup")->click();
        QCOMPARE(w->labelsPerSheet(), 6);
        QCOMPARE(start->text(), QStringLiteral("6"));
    }

    // A stored layout of no columns or rows prints one across and one down
    // instead of dividing by zero; one that cannot be read is said and the window does not open.
    void badLayouts()
    {
        sale("101", "ann", "1 Main Rd");
        exec("UPDATE Configuration SET LabelCols=0, LabelRows=0");
        {
            auto w = open();
            QCOMPARE(w->labelsAcross(), 1);
            QCOMPARE(w->labelsPerSheet(), 1);
        }
        exec("UPDATE Configuration SET LabelCols=7, LabelRows=-2");
        {
            auto w = open();
            QCOMPARE(w->labelsAcross(), 4);
            QCOMPARE(w->labelsPerSheet(), 4);
        }
        exec("ALTER TABLE Configuration RENAME TO Settings2");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        frmLabels w;
        QVERIFY(!w.layoutRead());
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        reportLabels report;
        QCOMPARE(report.exec(), int(QDialog::Rejected));
    }

    void reportReadsTheLayout()
    {
        exec("UPDATE Configuration SET LabelCols=4, LabelWidth=7, LabelLeft=1, LabelRight=1");
        messages().answer(vbmsg::OK, "The report is too wide to display all information.  Try reducing the left/right margins or label width.");
        reportLabels report;
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(messages().prompts().at(0).style, int(vbmsg::Critical));
        QCOMPARE(report.labelLayout().fields[3].width, 0);
        QCOMPARE(report.windowTitle(), QStringLiteral("Print Address Labels"));
        report.setDataSource(QVariant::fromValue(LabelRows{{"a", "b", "c", "d"}}));
        QCOMPARE(report.report().rows.size(), 1);
        QCOMPARE(report.report().detail.height, 1984);
    }

    void setupLoadsAndSaves()
    {
        frmLabelsSetup d;
        d.show();
        QStringList shown;
        for (int i = 0; i < frmLabelsSetup::FieldCount; ++i) shown << d.numValue(i)->text();
        QCOMPARE(shown, (QStringList{"0.80 cm", "0.00 cm", "0.80 cm", "0.00 cm", "7.00 cm", "3.50 cm", "3", "8", "10"}));
        QCOMPARE(d.fontBox()->currentText(), QStringLiteral("Liberation Sans"));

        d.numValue(Rules::Width)->setText("63.5mm");
        d.numValue(Rules::Across)->setText("5");
        d.UpDown(Rules::Height)->downButton()->click();  // 3.50 -> 3.40
        d.fontBox()->setEditText("Not A Font");
        d.cmdOK_Click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.numValue(Rules::Width)->text(), QStringLiteral("6.35 cm"));
        QCOMPARE(layoutRow(), QStringLiteral("0.8|0|0.8|0|6.35|3.4|4|8|10|Not A Font"));
    }

    // A font name not installed is shown as stored; a missing one shows the first listed font.
    void setupFonts()
    {
        exec("UPDATE Configuration SET LabelFont='No Such Font'");
        {
            frmLabelsSetup d;
            QCOMPARE(d.fontBox()->currentText(), QStringLiteral("No Such Font"));
        }
        exec("UPDATE Configuration SET LabelFont=NULL");
        frmLabelsSetup d;
        QVERIFY(d.fontBox()->count() > 0);
        QCOMPARE(d.fontBox()->currentText(), d.fontBox()->itemText(0));
    }

    // Rows that overrun the page, negative or page-sized measures: said, nothing saved, the dialog stays.
    void setupRefuses_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("said");
        QTest::newRow("too long") << int(Rules::Top) << "1.00 cm" << "too long for the page by 0.30 cm.";
        QTest::newRow("negative margin") << int(Rules::Left) << "-1" << "The left margin must be 0.00 cm or more";
        QTest::newRow("label wider than the page") << int(Rules::Width) << "21.01"
                                                   << "The label width must be more than 0.00 cm and at most 21.00 cm, the width of the page.";
        QTest::newRow("no label height") << int(Rules::Height) << "0" << "The label height must be more than 0.00 cm";
    }
    void setupRefuses()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, said);
        const QString before = layoutRow();
        frmLabelsSetup d;
        d.show();
        d.numValue(field)->setText(typed);
        if (field == Rules::Top) d.numValue(Rules::Bottom)->setText("1.00 cm");
        QVariantMap told;
        capture("reportLabels", &told);
        for (bool test : {false, true}) {
            messages().answer(vbmsg::OK, said);
            if (test)
                d.cmdTest_Click();
            else
                d.cmdOK_Click();
            QVERIFY(d.isVisible());
        }
        QVERIFY(told.isEmpty());
        QCOMPARE(layoutRow(), before);
    }

    // Full-width and whole-sheet label stock: labels whose total is exactly the page are taken.
    void setupTakesPageSizedLabels_data()
    {
        QTest::addColumn<QStringList>("typed");  // across, down, width, height
        QTest::addColumn<QString>("saved");
        QTest::newRow("1 x 2 of 21.0 x 14.85 cm") << QStringList{"1", "2", "21.0", "14.85"} << "0|0|0|0|21|14.85|1|2|10|Liberation Sans";
        QTest::newRow("one 21.0 x 29.7 cm label") << QStringList{"1", "1", "210 mm", "297mm"} << "0|0|0|0|21|29.7|1|1|10|Liberation Sans";
        QTest::newRow("2 x 1 of 10.5 x 29.7 cm") << QStringList{"2", "1", "10.5", "29.7"} << "0|0|0|0|10.5|29.7|2|1|10|Liberation Sans";
    }
    void setupTakesPageSizedLabels()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, saved);
        frmLabelsSetup d;
        d.show();
        for (int margin : {Rules::Top, Rules::Left, Rules::Bottom, Rules::Right}) d.numValue(margin)->setText("0");
        d.numValue(Rules::Across)->setText(typed[0]);
        d.numValue(Rules::Down)->setText(typed[1]);
        d.numValue(Rules::Width)->setText(typed[2]);
        d.numValue(Rules::Height)->setText(typed[3]);
        d.cmdOK_Click();  // no message is expected
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(layoutRow(), saved);
    }

    // A save that fails keeps the dialog open, and Test print then prints nothing.
    void setupSaveFails()
    {
        ReadLock lock(ctx().gDatabaseFile);
        QVERIFY(lock.held());
        ReadLock::shortenWait(conn());
        const QString before = layoutRow();
        frmLabelsSetup d;
        d.show();
        d.numValue(Rules::Down)->setText("7");
        QVariantMap told;
        capture("reportLabels", &told);
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        d.cmdOK_Click();
        QVERIFY(d.isVisible());
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        d.cmdTest_Click();
        QVERIFY(told.isEmpty());
        lock.release();
        QCOMPARE(layoutRow(), before);
        QCOMPARE(d.numValue(Rules::Down)->text(), QStringLiteral("7"));
    }

    // Test print saves first and prints a full sheet of the shown layout, then the marker.
    void testPrint()
    {
        frmLabelsSetup d;
        d.show();
        d.numValue(Rules::Down)->setText("7");
        QVariantMap told;
        capture("reportLabels", &told);
        d.cmdTest_Click();
        QVERIFY(d.isVisible());
        QCOMPARE(DatabaseFixture::rows("SELECT LabelRows FROM Configuration"), QStringList{"7"});
        const LabelRows rows = told.value("DataSource").value<LabelRows>();
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows.at(6), (QStringList{Rules::TestLabel(), Rules::TestLabel(), Rules::TestLabel(), ""}));
        QCOMPARE(rows.at(7).at(0), Rules::MarkerText());
    }

    // The popup menu and a double click open the sale, the buyer, the item and the sale's page.
    void popupWindows()
    {
        sale("101", "ann", "1 Main Rd");
        exec("UPDATE Auction SET ItemId='BOWL' WHERE AuctionId='101'");
        auto w = open();
        QStringList opened;
        for (const char* form : {"frmAuction", "frmCustomer", "frmItem", "frmBrowser"}) {
            FormsRegistry::instance().overrideForm(form, [&opened, form](QWidget* parent) {
                auto* d = new QDialog(parent);
                QTimer::singleShot(0, d, [d, &opened, form] {
                    QStringList told{QString::fromLatin1(form)};
                    for (const QByteArray& name : d->dynamicPropertyNames()) told << name + "=" + d->property(name).toString();
                    opened << told.join(u' ');
                    d->accept();
                });
                return d;
            });
        }
        for (const char* entry : {"mnuPopupAuction", "mnuPopupBuyer", "mnuPopupItem"}) w->popup()->findChild<QAction*>(entry)->trigger();
        emit w->list()->doubleClicked(w->model()->index(0, 1));
        QCOMPARE(opened, (QStringList{"frmAuction mRemoteEdit=true mRemoteId=101", "frmCustomer mRemoteId=ann", "frmItem mRemoteId=BOWL",
                                      "frmAuction mRemoteEdit=true mRemoteId=101"}));
        opened.clear();
        w->popup()->findChild<QAction*>("mnuPopupBrowser")->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY2(opened.at(0).startsWith("frmBrowser StartingAddress=") && opened.at(0).contains("101"), qPrintable(opened.at(0)));
    }

    void windowPictures()
    {
        const QString home = "Ann Smith\r\n1 Main Rd\r\nNelson";
        sale("101", "ann", home);
        sale("102", "bob", "Bob\r\n2 Side St", 11, vb::today(), true);
        auto w = open();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->grab().save(TestEnvironment::screenshotFolder() + "/frmLabels.png");
        frmLabelsSetup d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.grab().save(TestEnvironment::screenshotFolder() + "/frmLabelsSetup.png");
    }

    // The address labels, the picking list and the main window's Send items
    // list take the same sales to send: due at or before the start of today
    // (due dates are whole days; one with a time later in the day falls due
    // the day after), whatever the time now.
    void dueListsAgree()
    {
        vb::setClock(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
        const auto restore = qScopeGuard([] { vb::setClock(QDateTime()); });
        const double today = vb::today();
        const struct {
            const char* id;
            double due;
            bool listed;
        } sales[] = {
            {"301", today - 1, true},           // yesterday
            {"302", today, true},               // today at 00:00
            {"303", today + 9.0 / 24, false},   // today, before now
            {"304", today + 23.5 / 24, false},  // today, late in the day
            {"305", today + 1, false},          // tomorrow at 00:00
        };
        QStringList due;
        for (const auto& s : sales) {
            sale(s.id, "ann", QStringLiteral("Ann Smith\r\n%1 Main Rd").arg(QLatin1String(s.id)), 11, s.due);
            if (s.listed) due << s.id;
        }

        auto labels = open();
        QStringList labelled;
        for (int r = 0; r < labels->model()->rowCount(); ++r) labelled << labels->model()->item(r, 0)->text();
        labelled.sort();
        QCOMPARE(labelled, due);

        reportPickingList picking;
        QStringList picked;
        for (const PickingListReport::Row& row : picking.rows()) picked << row.Description.toString().remove("Sale ");
        picked.sort();
        QCOMPARE(picked, due);

        mainWindow = MainWindowDriver::open(messages());
        mainWindow->action("mnuTaskSend")->trigger();
        QVERIFY(mainWindow->mTaskShip);
        QStringList sent = MainWindowDriver::listedIds(*mainWindow);
        sent.sort();
        QCOMPARE(sent, due);
        QVERIFY(messages().verifyDone());
    }

    // "Print single address label" lists the selected sale (at another step) and
    // shows the real label report with its label in the first position.
    void singleLabelFromTheMainWindow()
    {
        sale("101", "ann", "Ann Smith\r\n1 Main Rd", 4);
        mainWindow = MainWindowDriver::open(messages());
        MainWindowDriver::clickRow(*mainWindow, "101");
        int pages = 0;
        LabelRows printed;
        QTimer::singleShot(0, this, [&] {
            auto* w = qobject_cast<frmLabels*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QTRY_COMPARE(w->model()->rowCount(), 1);
            QTimer::singleShot(0, this, [&] {
                auto* report = qobject_cast<reportLabels*>(QApplication::activeModalWidget());
                QVERIFY(report);
                pages = report->report().PageCount();
                printed = report->dataSource().value<LabelRows>();
                report->reject();
            });
            w->findChild<QPushButton*>("cmdPrint")->click();
        });
        mainWindow->action("mnuReportsSingleLabel")->trigger();
        QCOMPARE(pages, 1);
        QCOMPARE(printed, (LabelRows{{"Ann Smith\r\n1 Main Rd", "", "", ""}}));
    }

    // The Reports menu opens the label window, which lists the due sale and prints it.
    void fromTheMainWindow()
    {
        sale("101", "ann", "Ann Smith\r\n1 Main Rd");
        mainWindow = MainWindowDriver::open(messages());
        QVariantMap told;
        capture("reportLabels", &told);
        QStringList seen;
        QTimer::singleShot(0, this, [&seen] {
            auto* w = qobject_cast<frmLabels*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QTRY_COMPARE(w->model()->rowCount(), 1);
            seen = listed(*w);
            w->findChild<QPushButton*>("cmdPrint")->click();
        });
        QAction* entry = mainWindow->action("mnuReportsLabels");
        QVERIFY(entry);
        entry->trigger();
        QCOMPARE(seen, QStringList{"101+|ann|Ann Smith\r\n1 Main Rd"});
        QCOMPARE(told.value("DataSource").value<LabelRows>(), (LabelRows{{"Ann Smith\r\n1 Main Rd", "", "", ""}}));
        QCOMPARE(AppSettings::GetSetting("Settings\\frmLabels", "LabelStart"), QStringLiteral("2"));
    }
};

VENDARO_TEST_MAIN(tst_labelwindows)
#include "tst_labelwindows.moc"
