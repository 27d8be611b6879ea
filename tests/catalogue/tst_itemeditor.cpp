// The item editor window: what a caller asks it to open, the code box and
// its keys, the check-box rules, the spinners, the checks, the counts and
// View, and load, save, delete and re-coding as the seller sees them, with
// their failures; from the main window too, and its counts against the list.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "catalogue/CatalogueForms.h"
#include "catalogue/frmItem.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "mainwindow/AuctionListModel.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SpinButtons.h"
#include "platform/db/Connection.h"
#include "records/CodeBox.h"
#include "records/LookupModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

#include <memory>
#include <optional>

namespace {
const QString NotFound = QStringLiteral("Record not found.  Click Add to create a new record.");
const QString DefaultRefusal = QStringLiteral("This is the default item and cannot be modified or deleted.");
const QString WarningLevel = QStringLiteral("Please set your low stock warning level or disable low stock warnings.");
}  // namespace

class tst_itemeditor : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::optional<RecordingMainWindow> mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    void item(const QString& code, const QString& title, const QString& values = QStringLiteral("1,0,0,0,0,',',0,0,0"))
    {
        exec(QStringLiteral("INSERT INTO Item (ItemId, Description, Stocked, MaxListings, MaxListingsNoBids, MaxListingsPerDay, MinDaysApart, "
                            "EndDay, UseStock, Stock, StockWarning) VALUES (?, ?, %1)")
                 .arg(values),
             {code, title});
    }
    void sale(const QString& id, const QVariant& code, const QString& title, int step = 1, double start = 46000)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart) VALUES (?, ?, ?, ?, ?)", {id, code, title, step, start});
    }
    // Two items of a small shop and their sales.
    void shop()
    {
        item("CUP", "Cup");
        item("TEA", "Teapot", "1,5,0,2,0,',Mon,Fri,',1,12,3");
        item("VASE", "Vase o' the week", "0,0,0,0,0,',',0,0,0");
        sale("1", "TEA", "Teapot", 1);
        sale("2", "TEA", "Teapot", 1);
        sale("3", "TEA", "Teapot", 4);
        sale("4", "TEA", "Teapot", 11);
        sale("5", "TEA", "Teapot", 15);
        sale("6", "TEA", "Old teapot", 1);
        sale("7", "CUP", "Cup", 8);
    }
    QStringList sales() { return table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId"); }

    std::unique_ptr<frmItem> open(const QString& id = {}, const QString& desc = {}, bool addNew = false)
    {
        auto w = std::make_unique<frmItem>();
        w->mRemoteId = id;
        w->mRemoteDesc = desc;
        w->mRemoteAddNew = addNew;
        w->show();
        w->Form_Activate();
        return w;
    }
    static void type(frmItem& w, const QString& code)
    {
        w.codeBox()->setText(QString());
        w.codeBox()->setFocus();
        QTest::keyClicks(w.codeBox()->lineEdit(), code);
    }
    // Browses code as the seller does: typed, then Enter.
    static void browse(frmItem& w, const QString& code)
    {
        type(w, code);
        w.codeKey(Qt::Key_Return);
    }
    // What the boxes show: title|stocked|limit|limits|end days 0-7|useStock|stock|warning tick|level
    static QString shown(const frmItem& w)
    {
        QString days;
        for (int d = 0; d <= 7; ++d) days += w.endDay(d)->isChecked() ? '1' : '0';
        QStringList limits;
        for (int i = 0; i < 4; ++i) limits << w.numValue(i)->text();
        return QStringList{w.description()->text(), QString::number(w.stocked()->isChecked()), QString::number(w.limit()->isChecked()),
                           limits.join(','), days, QString::number(w.useStock()->isChecked()), w.numValue(4)->text(),
                           QString::number(w.stockWarning()->isChecked()), w.numValue(5)->text()}
            .join('|');
    }
    static QString enabled(const frmItem& w)
    {
        QString e;
        auto bit = [&e](const QWidget* x) { e += x->isEnabled() ? '1' : '0'; };
        bit(w.limit());
        bit(w.numValue(0));
        bit(w.UpDown(3));
        e += ' ';
        for (int d = 0; d <= 7; ++d) bit(w.endDay(d));
        e += ' ';
        bit(w.useStock());
        bit(w.numValue(4));
        bit(w.currentListings());
        bit(w.stockWarning());
        bit(w.numValue(5));
        bit(w.UpDown(5));
        return e;
    }
    static void tick(QCheckBox* box, bool on)
    {
        if (box->isChecked() != on) box->click();
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        mainWindow.emplace();
        ctx().gMainWindow = &*mainWindow;
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        mainWindow.reset();
        env.reset();
    }

    // ---- what a caller asks for ----

    void openRequested_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("desc");
        QTest::addColumn<bool>("addNew");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("title");
        QTest::newRow("nothing: browsing") << "" << "" << false << "" << 0 << "" << "";
        QTest::newRow("a code") << "cup" << "" << false << "" << 2 << "CUP" << "Cup";
        QTest::newRow("the title wins over the code") << "CUP" << "Teapot" << false << "" << 2 << "TEA" << "Teapot";
        QTest::newRow("an item's title, even when adding is asked") << "MISC" << "teapot" << true << "" << 2 << "TEA" << "Teapot";
        QTest::newRow("a title with a quote") << "MISC" << "Vase o' the week" << false << "" << 2 << "VASE" << "Vase o' the week";
        QTest::newRow("an unknown title, adding") << "MISC" << "Kauri bowl" << true << "" << 1 << "" << "Kauri bowl";
        QTest::newRow("an unknown title, not adding: the code") << "CUP" << "Kauri bowl" << false << "" << 2 << "CUP" << "Cup";
        QTest::newRow("only the default item: nothing") << "MISC" << "" << false << "" << 0 << "" << "";
        QTest::newRow("the default item in another case: nothing") << "misc" << "" << false << "" << 0 << "" << "";
        QTest::newRow("a code of no item") << "POT" << "" << false << NotFound << 0 << "" << "";
        QTest::newRow("the default item's title") << "MISC" << "Miscellaneous items" << false << DefaultRefusal << 0 << "MISC"
                                                  << "Miscellaneous items";
    }
    void openRequested()
    {
        QFETCH(QString, id);
        QFETCH(QString, desc);
        QFETCH(bool, addNew);
        QFETCH(QString, message);
        QFETCH(int, mode);
        QFETCH(QString, code);
        QFETCH(QString, title);
        shop();
        if (!message.isEmpty()) messages().answer(vbmsg::OK, message);
        // Opened as callers open it: through the registry, with the variables as properties.
        CatalogueForms::Register();
        std::unique_ptr<QWidget> created(FormsRegistry::instance().create(
            "frmItem", {{"mRemoteId", id}, {"mRemoteDesc", desc}, {"mRemoteAddNew", addNew}}));
        auto* w = qobject_cast<frmItem*>(created.get());
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Item"));
        w->show();
        w->Form_Activate();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), mode);
        QCOMPARE(w->codeBox()->text(), code);
        QCOMPARE(w->description()->text(), title);
        if (mode == 1) QCOMPARE(shown(*w), QString("Kauri bowl|1|0|,,,|00000000|0||0|"));
        QCOMPARE(w->lookup().rowCount(), 4);
    }

    // ---- the code box ----

    void codeBox()
    {
        shop();
        auto w = open();
        // An eleventh character is refused.
        type(*w, "ABCDEFGHIJK");
        QCOMPARE(w->codeBox()->text(), QString("ABCDEFGHIJ"));
        QCOMPARE(w->codeBox()->lineEdit()->cursorPosition(), 10);
        // A code no item has, left while browsing.
        messages().answer(vbmsg::OK, NotFound);
        w->cboId_LostFocus();
        QCOMPARE(w->codeBox()->text(), QString());
        // A code typed in another case shows as stored.
        browse(*w, "tea");
        QCOMPARE(w->codeBox()->text(), QString("TEA"));
        QVERIFY(messages().verifyDone());
    }

    // Up and Down step through the lookup list in its order and load the entry.
    void upAndDown_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("up on the first") << "CUP" << int(Qt::Key_Up) << "CUP";
        QTest::newRow("down on the first") << "CUP" << int(Qt::Key_Down) << "MISC";
        QTest::newRow("down on the last") << "VASE" << int(Qt::Key_Down) << "VASE";
        QTest::newRow("up on the last") << "VASE" << int(Qt::Key_Up) << "TEA";
        QTest::newRow("a code not listed: the first") << "ZZZ" << int(Qt::Key_Down) << "CUP";
        QTest::newRow("an empty box: the first") << "" << int(Qt::Key_Up) << "CUP";
    }
    void upAndDown()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, loaded);
        shop();
        auto w = open();
        type(*w, typed);
        w->codeKey(key);
        QCOMPARE(w->codeBox()->text(), loaded);
        QCOMPARE(w->description()->text(), scalar("SELECT Description FROM Item WHERE ItemId=?", {loaded}).toString());
        // MISC is shown, but offers no View.
        QCOMPARE(w->viewButton()->isVisibleTo(w.get()), loaded != "MISC");
    }

    // F10 copies the item shown into a new one; while editing it is refused.
    void copyRecord()
    {
        shop();
        auto w = open();
        browse(*w, "TEA");
        const QString tea = shown(*w);
        QCOMPARE(tea, QString("Teapot|1|1|5,,2,|11000100|1|12|1|3"));
        w->codeKey(Qt::Key_F10);
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(shown(*w), tea);
        QCOMPARE(enabled(*w), QString("111 11111111 111111"));
        type(*w, "TEA2");
        // The copy has the title of TEA's sales: they are offered to it.
        messages().answer(vbmsg::No, "There are 5 auctions in the database with this title.");
        w->cmdUpdate_Click();
        const QStringList copies = table("SELECT * FROM Item WHERE ItemId IN ('TEA','TEA2') ORDER BY ItemId");
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[1], QString(copies[0]).replace("TEA|", "TEA2|"));
        w->cmdEdit_Click();
        messages().answer(vbmsg::OK, "Update or Cancel this record first.");
        w->codeKey(Qt::Key_F10);
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QVERIFY(messages().verifyDone());
    }

    void addAndCancel()
    {
        shop();
        auto w = open();
        browse(*w, "TEA");
        w->cmdAdd_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(shown(*w), QString("|1|0|,,,|00000000|0||0|"));
        QCOMPARE(w->currentListings()->text(), QString());
        QVERIFY(!w->viewButton()->isVisibleTo(w.get()));
        QVERIFY(w->button("cmdUpdate")->isVisibleTo(w.get()));
        QVERIFY(!w->button("cmdAdd")->isVisibleTo(w.get()));
        w->description()->setText("Something");
        w->windowKey(Qt::Key_Escape);  // Esc while adding is Cancel
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(shown(*w), QString("|0|0|,,,|00000000|0||0|"));
        QVERIFY(w->isVisible());
        // Cancel after Edit shows the item as stored again.
        browse(*w, "TEA");
        w->cmdEdit_Click();
        w->description()->setText("Changed");
        tick(w->stocked(), false);
        w->cmdCancel_Click();
        QCOMPARE(w->codeBox()->text(), QString("TEA"));
        QCOMPARE(shown(*w), QString("Teapot|1|1|5,,2,|11000100|1|12|1|3"));
        w->windowKey(Qt::Key_Escape);  // Esc while browsing closes
        QVERIFY(!w->isVisible());
    }

    // ---- the check-box rules ----

    void checkBoxRules()
    {
        shop();
        auto w = open();
        browse(*w, "TEA");
        // Browsing: nothing flagged for editing takes a click.
        QCOMPARE(enabled(*w), QString("000 00000000 000000"));
        QVERIFY(w->tabs()->isTabEnabled(1));
        w->cmdEdit_Click();
        QCOMPARE(enabled(*w), QString("111 11111111 111111"));
        // Stocked, either way, clears the limit and end-day ticks; the values stay.
        tick(w->stocked(), false);
        QCOMPARE(shown(*w), QString("Teapot|0|0|5,,2,|01000100|1|12|1|3"));
        QVERIFY(!w->tabs()->isTabEnabled(1));
        QCOMPARE(enabled(*w).left(12), QString("000 00000000"));
        tick(w->stocked(), true);
        QVERIFY(w->tabs()->isTabEnabled(1));
        QCOMPARE(enabled(*w).left(12), QString("100 10000000"));
        tick(w->limit(), true);
        tick(w->endDay(0), true);
        QCOMPARE(enabled(*w).left(12), QString("111 11111111"));
        // No stock tracking: no warning, and the warning level greys.
        tick(w->useStock(), false);
        QVERIFY(!w->stockWarning()->isChecked());
        QCOMPARE(enabled(*w).mid(13), QString("100000"));
        tick(w->useStock(), true);
        QCOMPARE(enabled(*w).mid(13), QString("111100"));
        tick(w->stockWarning(), true);
        QCOMPARE(enabled(*w).mid(13), QString("111111"));
        // A stocked item with no limits, loaded after one with limits, shows none.
        w->cmdCancel_Click();
        exec("UPDATE Item SET Stocked=1 WHERE ItemId='CUP'");
        browse(*w, "CUP");
        QCOMPARE(shown(*w), QString("Cup|1|0|,,,|00000000|0|0|0|"));
    }

    void spinners_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("result");
        QTest::newRow("down on empty") << "" << -1 << "0";
        QTest::newRow("down on 0") << "0" << -1 << "0";
        QTest::newRow("up on empty") << "" << 1 << "1";
        QTest::newRow("up") << "7" << 1 << "8";
        QTest::newRow("down") << "7" << -1 << "6";
        QTest::newRow("text after the number") << "3 left" << 1 << "4";
        QTest::newRow("no number") << "lots" << 1 << "1";
        QTest::newRow("below zero") << "-5" << 1 << "0";
        QTest::newRow("no upper bound short of 32 bits") << "2147483647" << 1 << "2147483647";
    }
    void spinners()
    {
        QFETCH(QString, text);
        QFETCH(int, step);
        QFETCH(QString, result);
        auto w = open();
        w->cmdAdd_Click();
        tick(w->limit(), true);
        w->numValue(2)->setText(text);
        // The arrow itself, as the seller clicks it.
        (step > 0 ? w->UpDown(2)->upButton() : w->UpDown(2)->downButton())->click();
        QCOMPARE(w->numValue(2)->text(), result);
    }

    // ---- the checks ----

    void validation_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("message");
        QTest::newRow("no code") << "" << "Pot" << false << "" << "Please set the Item Code";
        QTest::newRow("blanks are no code") << "   " << "Pot" << false << "" << "Please set the Item Code";
        QTest::newRow("no title") << "POT" << "  " << false << "" << "Please set the Auction title";
        QTest::newRow("the code first") << "" << "" << false << "" << "Please set the Item Code";
        QTest::newRow("a warning without a level") << "POT" << "Pot" << true << "" << WarningLevel;
        QTest::newRow("a warning at zero") << "POT" << "Pot" << true << "0.4" << WarningLevel;
        QTest::newRow("the warning wins over the code") << "" << "Pot" << true << "none" << WarningLevel;
        QTest::newRow("a warning with a level") << "POT" << "Pot" << true << "2" << "";
        QTest::newRow("number boxes take any text") << "POT" << "Pot" << false << "lots" << "";
    }
    void validation()
    {
        QFETCH(QString, code);
        QFETCH(QString, title);
        QFETCH(bool, warning);
        QFETCH(QString, level);
        QFETCH(QString, message);
        auto w = open();
        w->cmdAdd_Click();
        w->codeBox()->setText(code);
        w->description()->setText(title);
        tick(w->useStock(), true);
        tick(w->stockWarning(), warning);
        w->numValue(5)->setText(level);
        if (!message.isEmpty()) messages().answer(vbmsg::OK, message);
        QCOMPARE(w->ValidateItem(), message.isEmpty());
        QVERIFY(messages().verifyDone());
        if (!message.isEmpty()) {
            messages().answer(vbmsg::OK, message);
            w->cmdUpdate_Click();  // nothing is written
            QVERIFY(messages().verifyDone());
            QCOMPARE(w->editMode(), int(RecordEditor::Adding));
            QCOMPARE(scalar("SELECT COUNT(*) FROM Item").toInt(), 1);
        }
    }

    // ---- counts and View ----

    void counts()
    {
        shop();
        auto w = open();
        browse(*w, "tea");
        QCOMPARE(w->currentListings()->text(), QString("2"));
        QCOMPARE(w->soldNotShipped()->text(), QString("2"));
        w->cmdEdit_Click();
        messages().answer(vbmsg::OK, "You cannot change this value manually.  This is the actual number of listings you currently have");
        QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(w->currentListings(), &tabbedIn);
        messages().answer(vbmsg::OK, "This is the actual number of listings that are sold but have not yet been shipped");
        QFocusEvent clickedIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(w->soldNotShipped(), &clickedIn);
        // Back from the explanation's own box: nothing more is said.
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(w->soldNotShipped(), &back);
        QVERIFY(messages().verifyDone());
        QVERIFY(w->currentListings()->isReadOnly());
        // Counted for the title shown: a title with a quote counts too.
        w->description()->setText("Old teapot");
        w->codeBox()->setFocus();
        w->cboId_LostFocus();
        QCOMPARE(w->currentListings()->text(), QString("1"));
        QCOMPARE(w->soldNotShipped()->text(), QString("0"));
        sale("8", "VASE", "Vase o' the week", 7);
        w->cmdCancel_Click();
        browse(*w, "VASE");
        QCOMPARE(w->soldNotShipped()->text(), QString("1"));
    }

    // A title counts its sales whatever the case of any letter, as a search
    // finds them: "kākahu" and "KĀKAHU" are the seller's "Kākahu".
    void countsFoldEveryLetter()
    {
        item("KAK", "Kākahu");
        sale("1", "KAK", "kākahu", 1);
        sale("2", "KAK", "KĀKAHU", 1);
        sale("3", "KAK", "Kākahu", 1);
        sale("4", "KAK", "Kakahu", 1);    // another title: no macron
        sale("5", "KAK", "Kākahu%", 1);   // a LIKE wildcard is no wildcard
        sale("6", "KAK", "KĀKAHU", 5);
        sale("7", "KAK", "kākahu", 11);
        auto w = open();
        browse(*w, "KAK");
        QCOMPARE(w->currentListings()->text(), QString("3"));
        QCOMPARE(w->soldNotShipped()->text(), QString("2"));
    }

    void view()
    {
        shop();
        sale("9", "TEA", "Teapot", 15, 46100);  // the listing started last
        sale("9A", "TEA", "Teapot", 15, 46200);  // a further sale of it: its listing's page
        QStringList opened;
        FormsRegistry::instance().overrideForm("frmBrowser", [&opened](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [d, &opened] {
                opened << d->property("StartingAddress").toString();
                d->close();
            });
            return d;
        });
        auto w = open();
        QVERIFY(!w->viewButton()->isVisibleTo(w.get()));  // nothing loaded
        browse(*w, "TEA");
        QVERIFY(w->viewButton()->isVisibleTo(w.get()));
        w->viewButton()->click();
        QCOMPARE(opened.size(), 1);
        QVERIFY2(opened[0].endsWith("/Browse/Listing.aspx?id=9"), qPrintable(opened[0]));
        // Not while editing or adding.
        w->cmdEdit_Click();
        QVERIFY(!w->viewButton()->isVisibleTo(w.get()));
        w->cmdCancel_Click();
        QVERIFY(w->viewButton()->isVisibleTo(w.get()));
        w->cmdAdd_Click();
        QVERIFY(!w->viewButton()->isVisibleTo(w.get()));
        w->cmdCancel_Click();
        // No sale under that code and title.
        browse(*w, "VASE");
        messages().answer(vbmsg::OK, "An auction with this title was not found in the database.");
        w->viewButton()->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(opened.size(), 1);
        FormsRegistry::instance().clearOverrides();
    }

    // ---- the default item and empty boxes ----

    void refusals_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        QTest::newRow("edit the default item") << "MISC" << "cmdEdit" << DefaultRefusal << int(vbmsg::Exclamation);
        QTest::newRow("edit it typed in another case") << "misc" << "cmdEdit" << DefaultRefusal << int(vbmsg::Exclamation);
        QTest::newRow("delete the default item") << "MISC" << "cmdDelete" << DefaultRefusal << int(vbmsg::Exclamation);
        QTest::newRow("delete it typed in another case") << "Misc" << "cmdDelete" << DefaultRefusal << int(vbmsg::Exclamation);
        QTest::newRow("edit nothing") << "" << "cmdEdit" << "Select a record to edit." << int(vbmsg::Information);
        QTest::newRow("delete nothing") << "" << "cmdDelete" << "No record selected to delete." << int(vbmsg::Information);
    }
    void refusals()
    {
        QFETCH(QString, code);
        QFETCH(QString, button);
        QFETCH(QString, message);
        QFETCH(int, style);
        sale("1", "MISC", "Spoon");
        auto w = open();
        w->codeBox()->setText(code);
        messages().answer(vbmsg::OK, message);
        w->button(button)->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style, style);
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(table("SELECT ItemId, Description FROM Item"), QStringList{"MISC|Miscellaneous items"});
        QCOMPARE(sales(), QStringList{"1|MISC"});
    }

    // ---- save ----

    // A new item that is not stocked keeps nothing of the limits, end days
    // or stock, whatever the boxes held; code and title lose trailing blanks.
    void saveNew()
    {
        shop();
        auto w = open();
        w->cmdAdd_Click();
        type(*w, "POT  ");
        w->description()->setText("Pot  ");
        tick(w->limit(), true);
        w->numValue(0)->setText("4");
        tick(w->endDay(0), true);
        tick(w->endDay(3), true);
        w->tabs()->setCurrentIndex(1);
        tick(w->useStock(), true);
        w->numValue(4)->setText("9");
        tick(w->stocked(), false);
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT * FROM Item WHERE ItemId='POT'"), QStringList{"POT|Pot|0|0|0|0|0|0|,|0|0|0"});
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), QString("POT"));
        QCOMPARE(w->heldCode(), QString("POT"));
        QCOMPARE(w->lookup().find("POT"), 2);
        QCOMPARE(mainWindow->itemListRefills, 1);
        QCOMPARE(mainWindow->listRebuilds, 1);
        // A stocked one keeps what its ticks allow.
        w->cmdAdd_Click();
        type(*w, "BOWL");
        w->description()->setText("Bowl");
        tick(w->limit(), true);
        w->numValue(1)->setText("2.5");
        w->numValue(3)->setText("x");
        tick(w->endDay(0), true);
        tick(w->endDay(7), true);
        tick(w->endDay(2), true);
        tick(w->useStock(), true);
        w->numValue(4)->setText("3");
        tick(w->stockWarning(), true);
        w->numValue(5)->setText("1");
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT * FROM Item WHERE ItemId='BOWL'"), QStringList{"BOWL|Bowl|1|0|0|2|0|0|,Tue,Sun,|1|3|1"});
        QCOMPARE(shown(*w), QString("Bowl|1|1|,2,,|10100001|1|3|1|1"));
        QVERIFY(messages().prompts().isEmpty());
    }

    // An existing code while adding: said when the box is left, refused at Update.
    void addExistingCode()
    {
        shop();
        auto w = open();
        browse(*w, "CUP");
        w->cmdEdit_Click();
        w->cmdCancel_Click();
        w->cmdAdd_Click();
        w->description()->setText("Another teapot");
        type(*w, "TEA");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->cboId_LostFocus();
        QCOMPARE(w->codeBox()->text(), QString("CUP"));  // the remembered code
        QCOMPARE(w->description()->text(), QString("Another teapot"));
        w->codeBox()->setText("tea");
        messages().answer(vbmsg::OK, "Cannot add record.  Code already exists in this table.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->description()->text(), QString("Another teapot"));
        QCOMPARE(scalar("SELECT Description FROM Item WHERE ItemId='TEA'").toString(), QString("Teapot"));
        QCOMPARE(mainWindow->listRebuilds, 0);
    }

    // Renaming while editing: the row takes the new code, its sales keep the
    // old one unless they carry its title and the offer is taken.
    void rename_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("offer declined") << int(vbmsg::No) << QStringList{"1|TEA", "2|TEA", "3|TEA", "4|TEA", "5|TEA", "6|TEA", "7|CUP"};
        QTest::newRow("offer taken") << int(vbmsg::Yes) << QStringList{"1|POT", "2|POT", "3|POT", "4|POT", "5|POT", "6|TEA", "7|CUP"};
    }
    void rename()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, after);
        shop();
        auto w = open("TEA");
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        type(*w, "POT");
        w->cboId_LostFocus();  // a free code: nothing said
        messages().answer(answer, "Teapot\r\n\r\nThere are 5 auctions in the database with this title.\r\n\r\n"
                                  "Do you want to update the item code to 'POT' for all these auctions?");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT ItemId FROM Item WHERE ItemId IN ('TEA','POT')"), QStringList{"POT"});
        QCOMPARE(sales(), after);
        QCOMPARE(w->codeBox()->text(), QString("POT"));
        QCOMPARE(w->currentListings()->text(), answer == vbmsg::Yes ? QString("2") : QString("0"));
    }

    // The item's own code retyped in another case is no other item's code: it is stored so.
    void retypeOwnCode()
    {
        shop();
        auto w = open("TEA");
        type(*w, "Tea");
        w->cboId_LostFocus();
        QCOMPARE(w->codeBox()->text(), QString("Tea"));
        w->cmdUpdate_Click();
        QVERIFY(messages().prompts().isEmpty());
        QCOMPARE(table("SELECT ItemId FROM Item WHERE ItemId='TEA'"), QStringList{"Tea"});
        QCOMPARE(w->codeBox()->text(), QString("Tea"));
        QCOMPARE(w->currentListings()->text(), QString("2"));  // its sales are still its own
    }

    // Another item's code typed while editing and saved without leaving the
    // box: refused, nothing merged, still editing.
    void renameToExistingCode()
    {
        shop();
        auto w = open("TEA");
        w->codeBox()->setText("CUP");
        w->description()->setText("Changed");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->codeBox()->text(), QString("TEA"));
        QCOMPARE(table("SELECT ItemId, Description FROM Item ORDER BY ItemId"),
                 (QStringList{"CUP|Cup", "MISC|Miscellaneous items", "TEA|Teapot", "VASE|Vase o' the week"}));
    }

    // The re-coding offer after a save names the sales of the title under
    // other codes, MISC's included; No leaves them.
    void recodeOffer()
    {
        shop();
        sale("11", "MISC", "Cup");
        sale("12", "TEA", "cup");
        sale("13", "VASE", "Cup");
        sale("14", QVariant(), "Cup");
        auto w = open("CUP");
        w->description()->setText("Cup   ");
        messages().answer(vbmsg::No, "There are 3 auctions in the database with this title.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style, int(vbmsg::YesNo | vbmsg::Question));
        QCOMPARE(table("SELECT AuctionId, ItemId FROM Auction WHERE AuctionId IN ('11','12','13','14') ORDER BY AuctionId"),
                 (QStringList{"11|MISC", "12|TEA", "13|VASE", "14|<Null>"}));
    }

    // ---- delete ----

    void deleteItem_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("gone");
        const QString noSales = "Item: VASE\r\nVase o' the week\r\n\r\nAre you sure you want to permanently delete this item?";
        const QString withSales = "All auctions assigned to this item code will be changed to the default item code 'MISC' (Miscellaneous).";
        const int yesNo = vbmsg::YesNo | vbmsg::Question, yesNoCancel = vbmsg::YesNoCancel | vbmsg::Exclamation;
        QTest::newRow("no sales, yes") << "VASE" << int(vbmsg::Yes) << noSales << yesNo << true;
        QTest::newRow("no sales, no") << "VASE" << int(vbmsg::No) << noSales << yesNo << false;
        QTest::newRow("sales, yes") << "TEA" << int(vbmsg::Yes) << withSales << yesNoCancel << true;
        QTest::newRow("sales, no") << "TEA" << int(vbmsg::No) << withSales << yesNoCancel << false;
        QTest::newRow("sales, cancel") << "TEA" << int(vbmsg::Cancel) << withSales << yesNoCancel << false;
    }
    void deleteItem()
    {
        QFETCH(QString, code);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(int, style);
        QFETCH(bool, gone);
        shop();
        const QStringList before = sales();
        auto w = open();
        browse(*w, code);
        messages().answer(answer, question);
        w->button("cmdDelete")->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style, style);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Item WHERE ItemId=?", {code}).toInt(), gone ? 0 : 1);
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), gone ? QString() : code);
        QCOMPARE(w->lookup().find(code) >= 0, !gone);
        QCOMPARE(mainWindow->listRebuilds, answer == vbmsg::Yes ? 1 : 0);
        QStringList after = before;
        if (gone) after.replaceInStrings("|" + code, "|MISC");
        QCOMPARE(sales(), after);
    }

    // ---- failures ----

    // Another program reading the file: the save cannot be kept. It is said,
    // nothing is written, and the window keeps its mode and boxes for another try.
    void saveWhileLocked()
    {
        shop();
        auto w = open("TEA");
        w->description()->setText("Blue teapot");
        const QStringList before = table("SELECT * FROM Item ORDER BY ItemId");
        ReadLock::shortenWait(conn());
        {
            ReadLock reader(conn().path());
            QVERIFY(reader.held());
            messages().answer(vbmsg::OK, "An error occurred opening database.");
            w->cmdUpdate_Click();
            QVERIFY(messages().verifyDone());
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
        }
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->description()->text(), QString("Blue teapot"));
        QCOMPARE(table("SELECT * FROM Item ORDER BY ItemId"), before);
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(mainWindow->listRebuilds, 0);
        // Once the reader has gone, the same Update keeps it.
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(scalar("SELECT Description FROM Item WHERE ItemId='TEA'").toString(), QString("Blue teapot"));
    }

    // A delete that cannot be kept changes nothing: the sales keep their code
    // and the item stays shown.
    void deleteWhileLocked()
    {
        shop();
        auto w = open();
        browse(*w, "TEA");
        const QStringList before = sales();
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        messages().answer(vbmsg::Yes, "Are you sure you want to delete this record?");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        w->button("cmdDelete")->click();
        QVERIFY(messages().verifyDone());
        reader.release();
        QCOMPARE(sales(), before);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Item WHERE ItemId='TEA'").toInt(), 1);
        QCOMPARE(w->codeBox()->text(), QString("TEA"));
        QCOMPARE(w->description()->text(), QString("Teapot"));
    }

    // The first query of a load fails: said once, the window carries on.
    void loadFails()
    {
        shop();
        auto w = open();
        exec("ALTER TABLE Item RENAME TO Gone");
        type(*w, "TEA");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        w->cmdEdit_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        exec("ALTER TABLE Gone RENAME TO Item");
    }

    // ---- from the main window ----

    // The counts of each item are the sales the main list shows under its
    // code and title at a running (1) or sold-not-sent step.
    void countsMatchTheMainList()
    {
        env.reset();
        env.emplace();
        ctx().gMainWindow = nullptr;
        DemoDataOptions options;
        options.sales = 400;
        options.items = 12;
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::createFilled(env->programFolder(), options), "shop.mdb", true, false));
        ctx().gConfiguration.DefaultList = false;  // every sale not completed
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QHash<QString, QPair<int, int>> listed;  // code + title -> running, sold not sent
        for (int r = 0; r < main->model->rowCount(); ++r) {
            const AuctionRow& row = main->model->row(r);
            auto& n = listed[row.ItemId.toUpper() + '\n' + row.Description.toLower()];
            if (row.ActionId == 1) ++n.first;
            if ((row.ActionId > 1 && row.ActionId < 8) || row.ActionId == 10 || row.ActionId == 11) ++n.second;
        }
        QVERIFY(main->model->rowCount() > 100);
        auto w = open();
        int counted = 0;
        for (int i = 1; i <= options.items; ++i) {
            browse(*w, DemoData::itemId(i));
            const auto n = listed.value(w->codeBox()->text().toUpper() + '\n' + w->description()->text().toLower());
            QCOMPARE(w->currentListings()->text(), QString::number(n.first));
            QCOMPARE(w->soldNotShipped()->text(), QString::number(n.second));
            counted += n.first + n.second;
        }
        QVERIFY(counted > 20);
        QVERIFY(messages().verifyDone());
        w.reset();
        main->close();
    }

    // Data > Items, and the sale popup's two item entries, as the seller uses them.
    void fromTheMainWindow()
    {
        ctx().gMainWindow = nullptr;
        CatalogueForms::Register();
        shop();
        sale("20", "MISC", "Kauri bowl", 1);
        sale("21", "MISC", "Kauri bowl", 4);
        ctx().gConfiguration.DefaultList = false;
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QTRY_VERIFY(MainWindowDriver::listedIds(*main).contains("20"));

        // Data > Items: browsing, nothing loaded.
        int rows = -1;
        QVERIFY(ModalDriver::OnModal<frmItem>([&] { main->action("mnuDataItem")->trigger(); },
                                              [&](frmItem* w) {
                                                  QTRY_VERIFY(w->lookup().rowCount() > 0);
                                                  rows = w->lookup().rowCount();
                                                  QCOMPARE(w->editMode(), int(RecordEditor::Browse));
                                                  QCOMPARE(w->codeBox()->text(), QString());
                                                  w->close();
                                              }));
        QCOMPARE(rows, 4);

        // "View item details" of a teapot sale: the teapot, for editing.
        MainWindowDriver::clickRow(*main, "3");
        QString viewed;
        QVERIFY(ModalDriver::OnModal<frmItem>([&] { main->action("mnuPopupItemView")->trigger(); },
                                              [&](frmItem* w) {
                                                  QTRY_COMPARE(w->editMode(), int(RecordEditor::Editing));
                                                  viewed = w->codeBox()->text() + "|" + w->description()->text();
                                                  w->close();
                                              }));
        QCOMPARE(viewed, QString("TEA|Teapot"));

        // "Add this auction title as a new item" of a MISC sale: a new item of
        // that title; its sales take its code when offered.
        MainWindowDriver::clickRow(*main, "20");
        messages().answer(vbmsg::Yes, "There are 2 auctions in the database with this title.");
        QVERIFY(ModalDriver::OnModal<frmItem>([&] { main->action("mnuPopupItemAdd")->trigger(); },
                                              [&](frmItem* w) {
                                                  QTRY_COMPARE(w->editMode(), int(RecordEditor::Adding));
                                                  QCOMPARE(w->description()->text(), QString("Kauri bowl"));
                                                  w->codeBox()->setText("BOWL");
                                                  w->cmdUpdate_Click();
                                                  QCOMPARE(w->editMode(), int(RecordEditor::Browse));
                                                  QCOMPARE(w->currentListings()->text(), QString("1"));
                                                  QCOMPARE(w->soldNotShipped()->text(), QString("1"));
                                                  w->close();
                                              }));
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT AuctionId, ItemId FROM Auction WHERE AuctionId IN ('20','21') ORDER BY AuctionId"),
                 (QStringList{"20|BOWL", "21|BOWL"}));
        // The main list shows the new code, and its search list offers it.
        QTRY_COMPARE(main->model->row(main->model->rowOf("20")).ItemId, QString("BOWL"));
        QVERIFY(main->findChildren<QComboBox*>().size() > 0);
        bool offered = false;
        for (QComboBox* box : main->findChildren<QComboBox*>()) offered = offered || box->findText("BOWL") >= 0;
        QVERIFY(offered);
        main->close();
    }

    // A stored description longer than the 50 characters typed here shows and
    // is saved whole when the item's other boxes change.
    void longDescriptionKeptWhole()
    {
        const QString title = QStringLiteral("Antique kauri chest of drawers, brass handles and two keys");
        item("KAURI", title, "0,0,0,0,0,',',0,0,0");
        auto w = open();
        type(*w, "KAURI");
        w->cmdEdit_Click();
        QCOMPARE(w->description()->text(), title);
        w->stocked()->click();
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Description, Stocked FROM Item WHERE ItemId='KAURI'"), QStringList{title + "|1"});
    }
};

VENDARO_TEST_MAIN(tst_itemeditor)
#include "tst_itemeditor.moc"
