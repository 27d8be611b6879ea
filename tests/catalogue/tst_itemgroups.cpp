// The item group editor: an item's code, description and stocked flag with
// its stocked details. The list shows only the details of the item shown;
// unticking Stocked loses them only after asking; the default item stays as
// it is; saves that fail keep the window as it was; and the main window's
// Data menu opens it.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "catalogue/CatalogueForms.h"
#include "catalogue/ItemDetailListModel.h"
#include "catalogue/ItemGroupWriter.h"
#include "catalogue/frmItemDetails.h"
#include "catalogue/frmItemGroup.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "records/CodeBox.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

namespace {
const QString StockedMessage = QStringLiteral(
    "A stocked/permanent item must have at least one item detail. Click 'add' at the bottom of the item detail list to add a new "
    "item detail.");
const QString UncheckWarning = QStringLiteral("WARNING: If you uncheck this option the item detail");
const QString SaveChanges = QStringLiteral("Do you want to save the changes made?");

// The detail dialog as the group editor sees it: what it was told, and a
// stand-in for what the seller did there.
class DetailStub : public QDialog {
public:
    DetailStub(QList<QVariantMap>* opened, std::function<void(const QVariantMap&)> act, QWidget* parent)
        : QDialog(parent), m_opened(opened), m_act(std::move(act))
    {
    }
    int exec() override
    {
        const QVariantMap vars{{"mRemoteId", property("mRemoteId")}, {"mItemId", property("mItemId")}, {"mRemoteDesc", property("mRemoteDesc")}};
        m_opened->append(vars);
        if (m_act) m_act(vars);
        return QDialog::Accepted;
    }

private:
    QList<QVariantMap>* m_opened;
    std::function<void(const QVariantMap&)> m_act;
};
}  // namespace

class tst_itemgroups : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;
    QList<QVariantMap> detailOpens;
    std::function<void(const QVariantMap&)> detailAct;
    qlonglong blue = 0, red = 0;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    qlonglong detail(const QString& itemId, const QString& title)
    {
        exec("INSERT INTO ItemDetail (ItemId, Title, UseStock, Stock) VALUES (?, ?, 1, 4)", {itemId, title});
        return conn().Scalar("SELECT last_insert_rowid()").toLongLong();
    }
    // A stocked teapot with limits and stock of its own and two details; an
    // unstocked cup; sales.
    void shop()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked, MaxListings, EndDay, UseStock, Stock, StockWarning) VALUES "
             "('TEA', 'Teapot', 1, 3, ',Mon,', 1, 5, 2), ('CUP', 'Cup', 0, 0, ',', 0, 0, 0)");
        blue = detail("TEA", "Teapot, blue");
        red = detail("TEA", "Teapot, red");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description) VALUES ('s1', 'MISC', 'Cup'), ('s2', 'MISC', 'Teapot')");
    }
    QStringList items() { return table("SELECT ItemId, Description, Stocked FROM Item WHERE ItemId<>'MISC' ORDER BY ItemId"); }
    QStringList details() { return table("SELECT ItemId, Title FROM ItemDetail ORDER BY AutoId"); }

    std::unique_ptr<frmItemGroup> open(const QVariantMap& vars = {})
    {
        auto w = std::make_unique<frmItemGroup>();
        for (auto it = vars.begin(); it != vars.end(); ++it) w->setProperty(it.key().toUtf8().constData(), it.value());
        w->show();
        w->Form_Activate();
        return w;
    }
    static void type(RecordEditor& w, const QString& code)
    {
        w.codeBox()->setText(QString());
        w.codeBox()->setFocus();
        QTest::keyClicks(w.codeBox()->lineEdit(), code);
    }
    static void load(frmItemGroup& w, const QString& code)
    {
        type(w, code);
        w.codeKey(Qt::Key_Return);
    }
    static QStringList listed(frmItemGroup& w)
    {
        QStringList titles;
        for (int r = 0; r < w.details().rowCount(); ++r)
            titles << w.details().title(r) + "|" + w.details().data(w.details().index(r, 1)).toString();
        return titles;
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        mainWindow = RecordingMainWindow();
        ctx().gMainWindow = &mainWindow;
        detailOpens.clear();
        detailAct = nullptr;
        FormsRegistry::instance().overrideForm("frmItemDetails", [this](QWidget* parent) {
            return new DetailStub(&detailOpens, [this](const QVariantMap& vars) {
                if (detailAct) detailAct(vars);
            }, parent);
        });
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        env.reset();
    }

    // The item shown with its details; browse mode shows no detail buttons.
    void showsItemWithDetails()
    {
        shop();
        exec("UPDATE ItemDetail SET UseStock=0 WHERE AutoId=?", {red});
        auto w = open();
        QCOMPARE(w->windowTitle(), QString("Item Group"));
        QVERIFY(w->detailPanel()->isHidden());
        load(*w, "tea");
        QCOMPARE(w->codeBox()->text(), QString("TEA"));
        QCOMPARE(w->description()->text(), QString("Teapot"));
        QVERIFY(w->stocked()->isChecked());
        QVERIFY(!w->detailPanel()->isHidden());
        QCOMPARE(listed(*w), (QStringList{"Teapot, blue|4", "Teapot, red|"}));
        for (const char* name : {"cmdDetailAdd", "cmdDetailEdit", "cmdDetailDelete"}) QVERIFY(w->button(name)->isHidden());
        const int tall = w->height();
        load(*w, "CUP");
        QVERIFY(w->detailPanel()->isHidden());
        QVERIFY(w->height() < tall);
        QVERIFY(listed(*w).isEmpty());
        w->cmdEdit_Click();
        for (const char* name : {"cmdDetailAdd", "cmdDetailEdit", "cmdDetailDelete"}) QVERIFY(!w->button(name)->isHidden());
        QVERIFY(w->button("cmdDetailAdd")->isEnabled());
        QVERIFY(!w->button("cmdDetailEdit")->isEnabled());
        // A double-click on a detail of a record shown opens it at once.
        w->cmdCancel_Click();
        load(*w, "TEA");
        w->cmdEdit_Click();
        w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmItemGroup.png"));
        w->cmdCancel_Click();
        w->selectDetail(1);
        emit w->detailList()->doubleClicked(w->details().index(1, 0));
        QCOMPARE(detailOpens.size(), 1);
        QCOMPARE(detailOpens[0].value("mRemoteId").toLongLong(), red);
        QCOMPARE(detailOpens[0].value("mItemId").toString(), QString("TEA"));
    }

    // Mended: Add, the copy key and an item's delete left the details of the
    // item shown before in the list, where Delete removed them.
    void listHoldsOnlyTheItemShown()
    {
        shop();
        auto w = open();
        load(*w, "TEA");
        QCOMPARE(w->details().rowCount(), 2);

        w->cmdAdd_Click();
        QVERIFY(listed(*w).isEmpty());
        w->cmdDetailDelete_Click();  // nothing to delete, nothing asked
        w->stocked()->click();
        QVERIFY(listed(*w).isEmpty());
        // A detail of a new item waits for the item's save.
        messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
        messages().answer(vbmsg::OK, "Please set the Item Code");
        w->cmdDetailAdd_Click();
        QVERIFY(detailOpens.isEmpty());
        messages().answer(vbmsg::No, SaveChanges);
        w->cmdCancel_Click();

        load(*w, "TEA");
        w->codeKey(Qt::Key_F10);
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->description()->text(), QString("Teapot"));
        QVERIFY(w->stocked()->isChecked());
        QVERIFY(listed(*w).isEmpty());
        QVERIFY(!w->button("cmdDetailDelete")->isEnabled());
        messages().answer(vbmsg::No, SaveChanges);
        w->cmdCancel_Click();

        load(*w, "TEA");
        messages().answer(vbmsg::Yes, "Item: TEA\r\nTeapot\r\n\r\nAre you sure you want to permanently delete this item?");
        w->cmdDelete_Click();
        QVERIFY(listed(*w).isEmpty());
        QCOMPARE(w->loadedCode(), QString());
        QCOMPARE(details(), QStringList{});
        QCOMPARE(items(), QStringList{"CUP|Cup|0"});
        QCOMPARE(mainWindow.itemListRefills, 1);
        QCOMPARE(mainWindow.listRebuilds, 1);
        QVERIFY(messages().verifyDone());
    }

    // A new stocked item: Update wants a detail; the detail's Add saves the item first.
    void newStockedItem()
    {
        shop();
        auto w = open();
        w->cmdAdd_Click();
        type(*w, "POT");
        w->description()->setText("Pot o' tea  ");
        w->stocked()->click();
        QVERIFY(!w->detailPanel()->isHidden());
        messages().answer(vbmsg::OK, StockedMessage);
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(items(), (QStringList{"CUP|Cup|0", "TEA|Teapot|1"}));

        // No: nothing saved, nothing opened.
        messages().answer(vbmsg::No, "You must save this item before you can add item details\r\n\r\nDo you want to save now?");
        w->cmdDetailAdd_Click();
        QVERIFY(detailOpens.isEmpty());
        detailAct = [this](const QVariantMap& vars) { detail(vars.value("mItemId").toString(), "Pot, brown"); };
        messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
        w->cmdDetailAdd_Click();
        QCOMPARE(items(), (QStringList{"CUP|Cup|0", "POT|Pot o' tea|1", "TEA|Teapot|1"}));
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(detailOpens.size(), 1);
        QCOMPARE(detailOpens[0].value("mRemoteId").toLongLong(), 0);
        QCOMPARE(detailOpens[0].value("mItemId").toString(), QString("POT"));
        QCOMPARE(listed(*w), QStringList{"Pot, brown|4"});
        // Saved and unchanged: the next detail opens without a question.
        w->cmdDetailAdd_Click();
        QCOMPARE(detailOpens.size(), 2);
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), QString("POT"));
        QCOMPARE(details().filter("POT").size(), 2);
        QVERIFY(mainWindow.itemListRefills >= 2);
        QVERIFY(messages().verifyDone());
    }

    // Unticking Stocked asks when details would be lost; the save deletes
    // them. A save keeps the item's own limits and stock, ticked or not.
    void uncheckStocked()
    {
        shop();
        auto w = open();
        load(*w, "TEA");
        w->cmdEdit_Click();
        w->description()->setText("Teapot, china");
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT Description, Stocked, MaxListings, EndDay, UseStock, Stock, StockWarning FROM Item WHERE ItemId='TEA'"),
                 QStringList{"Teapot, china|1|3|,Mon,|1|5|2"});
        QCOMPARE(details().size(), 2);

        w->cmdEdit_Click();
        messages().answer(vbmsg::No, UncheckWarning);
        w->stocked()->click();
        QVERIFY(w->stocked()->isChecked());
        QVERIFY(!w->detailPanel()->isHidden());
        messages().answer(vbmsg::Yes, UncheckWarning);
        w->stocked()->click();
        QVERIFY(!w->stocked()->isChecked());
        QVERIFY(w->detailPanel()->isHidden());
        QCOMPARE(details().size(), 2);  // until the save
        w->cmdUpdate_Click();
        QCOMPARE(details(), QStringList{});
        // The item's own limits and stock are the item editor's: they stay.
        QCOMPARE(table("SELECT Stocked, MaxListings, UseStock, Stock FROM Item WHERE ItemId='TEA'"), QStringList{"0|3|1|5"});

        // Without details nothing is asked.
        w->cmdEdit_Click();
        w->stocked()->click();
        QVERIFY(w->stocked()->isChecked());
        w->stocked()->click();
        QVERIFY(messages().verifyDone());
    }

    void deleteDetail()
    {
        shop();
        auto w = open();
        load(*w, "TEA");
        w->selectDetail(1);
        messages().answer(vbmsg::No, "Teapot, red\r\n\r\nAre you sure you want to delete this item detail?");
        w->cmdDetailDelete_Click();
        QCOMPARE(details().size(), 2);
        w->selectDetail(1);
        messages().answer(vbmsg::Yes, "Teapot, red\r\n\r\nAre you sure you want to delete this item detail?");
        w->cmdDetailDelete_Click();
        QCOMPARE(details(), QStringList{"TEA|Teapot, blue"});
        QCOMPARE(listed(*w), QStringList{"Teapot, blue|4"});
        // One that has gone meanwhile is said, and the list follows the database.
        exec("DELETE FROM ItemDetail");
        messages().answer(vbmsg::Yes, "Teapot, blue");
        messages().answer(vbmsg::OK, "Record not found.");
        w->cmdDetailDelete_Click();
        QVERIFY(listed(*w).isEmpty());
    }

    // An item that sales carry asks Yes/No/Cancel; Yes gives them "MISC" and
    // the item goes with its details.
    void deleteItemWithSales_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << int(vbmsg::Cancel);
        QTest::newRow("no") << int(vbmsg::No);
        QTest::newRow("yes") << int(vbmsg::Yes);
    }
    void deleteItemWithSales()
    {
        QFETCH(int, answer);
        shop();
        exec("INSERT INTO Auction (AuctionId, ItemId, Description) VALUES ('s3', 'TEA', 'Teapot, blue')");
        const QStringList before = items() + details();
        auto w = open();
        load(*w, "TEA");
        messages().answer(answer, "All auctions assigned to this item code will be changed to the default item code 'MISC'");
        w->cmdDelete_Click();
        QCOMPARE(messages().prompts().last().style, int(vbmsg::YesNoCancel | vbmsg::Exclamation));
        const bool yes = answer == vbmsg::Yes;
        QCOMPARE(table("SELECT ItemId FROM Auction WHERE AuctionId='s3'"), QStringList{yes ? "MISC" : "TEA"});
        if (yes) QCOMPARE(items() + details(), QStringList{"CUP|Cup|0"});
        else QCOMPARE(items() + details(), before);
        QCOMPARE(w->details().rowCount(), yes ? 0 : 2);
        QCOMPARE(w->codeBox()->text(), QString(yes ? "" : "TEA"));
    }

    void defaultItem()
    {
        shop();
        auto w = open({{"mRemoteId", "MISC"}});
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        load(*w, "misc");
        QCOMPARE(w->codeBox()->text(), QString("MISC"));
        messages().answer(vbmsg::OK, "This is the default item and cannot be modified or deleted.");
        w->cmdEdit_Click();
        messages().answer(vbmsg::OK, "This is the default item and cannot be modified or deleted.");
        w->cmdDelete_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Exclamation));
        QCOMPARE(table("SELECT COUNT(*) FROM Item WHERE ItemId='MISC'"), QStringList{"1"});
    }

    // What an opener asks for.
    void openRequested_data()
    {
        QTest::addColumn<QVariantMap>("vars");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("stocked");
        QTest::addColumn<QString>("detailOpened");  // "" none, else the title of the detail opened
        QTest::newRow("an item's description") << QVariantMap{{"mRemoteDesc", "teapot"}, {"mRemoteAddNew", true}}
                                               << int(RecordEditor::Editing) << "TEA" << "Teapot" << true << "";
        QTest::newRow("a detail's title") << QVariantMap{{"mRemoteDesc", "Teapot, red"}} << int(RecordEditor::Editing) << "TEA"
                                          << "Teapot" << true << "Teapot, red";
        QTest::newRow("a new title") << QVariantMap{{"mRemoteDesc", "Jug"}, {"mRemoteAddNew", true}} << int(RecordEditor::Adding) << ""
                                     << "Jug" << false << "";
        QTest::newRow("a new stocked title") << QVariantMap{{"mRemoteDesc", "Jug"}, {"mRemoteAddNew", true}, {"mRemoteStocked", true}}
                                             << int(RecordEditor::Adding) << "" << "" << true << "";
        QTest::newRow("a new title, not to add") << QVariantMap{{"mRemoteDesc", "Jug"}} << int(RecordEditor::Browse) << "" << "" << false
                                                 << "";
        QTest::newRow("a code") << QVariantMap{{"mRemoteId", "cup"}} << int(RecordEditor::Editing) << "CUP" << "Cup" << false << "";
        QTest::newRow("a code with a quote") << QVariantMap{{"mRemoteId", "x' OR '1'='1"}} << int(RecordEditor::Browse) << "" << ""
                                             << false << "";
    }
    void openRequested()
    {
        QFETCH(QVariantMap, vars);
        QFETCH(int, mode);
        QFETCH(QString, code);
        QFETCH(QString, description);
        QFETCH(bool, stocked);
        QFETCH(QString, detailOpened);
        shop();
        if (vars.contains("mRemoteId") && code.isEmpty()) messages().answer(vbmsg::OK, "Record not found.  Click Add to create a new record.");
        auto w = open(vars);
        QCOMPARE(w->editMode(), mode);
        QCOMPARE(w->codeBox()->text(), code);
        QCOMPARE(w->description()->text(), description);
        QCOMPARE(w->stocked()->isChecked(), stocked);
        QCOMPARE(detailOpens.size(), detailOpened.isEmpty() ? 0 : 1);
        if (!detailOpened.isEmpty()) {
            QCOMPARE(detailOpens[0].value("mRemoteId").toLongLong(), red);
            QVERIFY(detailOpens[0].value("mRemoteDesc").isNull());
        }
        QVERIFY(messages().verifyDone());
    }

    // The opener's title is the default title of the first new detail only.
    void remoteTitleServesOnce()
    {
        shop();
        auto w = open({{"mRemoteDesc", "Jug"}, {"mRemoteAddNew", true}, {"mRemoteStocked", true}});
        type(*w, "JUG");
        w->description()->setText("Jugs");
        messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
        w->cmdDetailAdd_Click();
        w->cmdDetailAdd_Click();
        QCOMPARE(detailOpens.size(), 2);
        QCOMPARE(detailOpens[0].value("mRemoteDesc").toString(), QString("Jug"));
        QCOMPARE(detailOpens[1].value("mRemoteDesc").toString(), QString());
        QCOMPARE(detailOpens[1].value("mItemId").toString(), QString("JUG"));
    }

    // Cancel and closing offer to save changes; Cancel in the question keeps all.
    void unsavedChanges()
    {
        shop();
        auto w = open();
        load(*w, "CUP");
        w->cmdEdit_Click();
        w->cmdCancel_Click();  // nothing changed, nothing asked
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        w->cmdEdit_Click();
        w->description()->setText("Mug");
        messages().answer(vbmsg::Cancel, SaveChanges);
        w->cmdCancel_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->description()->text(), QString("Mug"));
        messages().answer(vbmsg::No, SaveChanges);
        w->cmdCancel_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->description()->text(), QString("Cup"));

        w->cmdEdit_Click();
        w->description()->setText("Mug");
        w->detailList()->setColumnWidth(0, 200);
        messages().answer(vbmsg::Cancel, SaveChanges);
        w->close();
        QVERIFY(w->isVisible());
        QCOMPARE(AppSettings::GetSetting(frmItemGroup::Section(), "listColumn1"), QString::number(200 * 15));
        messages().answer(vbmsg::Yes, SaveChanges);
        messages().answer(vbmsg::Yes, "There are 1 auctions in the database with this title.");
        w->description()->setText("Teapot");  // another item's title: the sale carrying it may move
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(items(), (QStringList{"CUP|Teapot|0", "TEA|Teapot|1"}));
        QCOMPARE(table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId"), (QStringList{"s1|MISC", "s2|CUP"}));
        // The widths come back in the next window.
        auto again = open();
        QCOMPARE(again->detailList()->columnWidth(0), 200);
    }

    // A stocked item's titles are its details': only an unstocked one offers re-coding.
    void recodeUnstockedOnly()
    {
        shop();
        auto w = open();
        load(*w, "TEA");
        w->cmdEdit_Click();
        w->cmdUpdate_Click();
        load(*w, "CUP");
        w->cmdEdit_Click();
        messages().answer(vbmsg::Yes, "Cup\r\n\r\nThere are 1 auctions in the database with this title.");
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId"), (QStringList{"s1|CUP", "s2|MISC"}));
        QVERIFY(messages().verifyDone());
    }

    // A new code while editing renames the item; its details go with it.
    void renameCarriesDetails()
    {
        shop();
        auto w = open();
        load(*w, "TEA");
        w->cmdEdit_Click();
        w->codeBox()->setText("POT");
        w->cmdUpdate_Click();
        QCOMPARE(w->codeBox()->text(), QString("POT"));
        QCOMPARE(items(), (QStringList{"CUP|Cup|0", "POT|Teapot|1"}));
        QCOMPARE(details(), (QStringList{"POT|Teapot, blue", "POT|Teapot, red"}));
        QCOMPARE(w->details().rowCount(), 2);
        // Another item's code is refused and the code edited comes back.
        w->cmdEdit_Click();
        w->codeBox()->setText("cup");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->codeBox()->text(), QString("POT"));
    }

    // A save another program keeps from committing changes nothing, is
    // reported, and leaves the window editing with what was typed.
    void failedSave_data()
    {
        QTest::addColumn<bool>("unstock");
        QTest::newRow("a description") << false;
        QTest::newRow("unticked, with the details to delete") << true;
    }
    void failedSave()
    {
        QFETCH(bool, unstock);
        shop();
        auto w = open();
        load(*w, "TEA");
        w->cmdEdit_Click();
        w->description()->setText("Teapot, locked");
        if (unstock) {
            messages().answer(vbmsg::Yes, UncheckWarning);
            w->stocked()->click();
        }
        const QStringList before = table("SELECT * FROM Item ORDER BY ItemId") + details();
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        // Update, or the same save through the detail list's question.
        if (!unstock) messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        if (unstock) w->cmdUpdate_Click();
        else w->cmdDetailAdd_Click();
        reader.release();
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->description()->text(), QString("Teapot, locked"));
        QCOMPARE(table("SELECT * FROM Item ORDER BY ItemId") + details(), before);
        QVERIFY(detailOpens.isEmpty());
        QCOMPARE(mainWindow.listRebuilds, 0);
        // Once the file is free the same Update goes through.
        if (!unstock) {
            messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
            w->cmdDetailAdd_Click();
            QCOMPARE(detailOpens.size(), 1);
        }
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT Description FROM Item WHERE ItemId='TEA'"), QStringList{"Teapot, locked"});
        QCOMPARE(details().size(), unstock ? 0 : 2);
    }

    // Unticking Stocked and ticking it again finds the item's own limits,
    // end days, stock and warning level as they were: this window writes the
    // code, description and flag only. A longer stored description stays whole.
    void stockedFlagOnlyWritesTheFlag()
    {
        shop();
        const QString title = QStringLiteral("Antique teapot, blue willow pattern with its matching lid");
        QVERIFY(title.size() > 50);
        exec("UPDATE Item SET Description=? WHERE ItemId='TEA'", {title});
        auto w = open();
        load(*w, "TEA");
        w->cmdEdit_Click();
        QCOMPARE(w->description()->text(), title);
        messages().answer(vbmsg::Yes, UncheckWarning);
        w->stocked()->click();
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Description, Stocked, MaxListings, EndDay, UseStock, Stock, StockWarning FROM Item WHERE ItemId='TEA'"),
                 QStringList{title + "|0|3|,Mon,|1|5|2"});
        QCOMPARE(details(), QStringList{});
        w->cmdEdit_Click();
        w->stocked()->click();
        messages().answer(vbmsg::Yes, "You must save this item before you can add item details");
        w->cmdDetailAdd_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Description, Stocked, MaxListings, EndDay, UseStock, Stock, StockWarning FROM Item WHERE ItemId='TEA'"),
                 QStringList{title + "|1|3|,Mon,|1|5|2"});
    }

    // The writer alone: a new row gets the three columns and the table's
    // defaults; refusals change nothing.
    void writer()
    {
        shop();
        ItemSaveResult r = ItemGroupWriter::Save({true, "", "JUG  ", "Jug  ", true});
        QCOMPARE(r.outcome, ItemSaveResult::Saved);
        QCOMPARE(table("SELECT ItemId, Description, Stocked, Relist, MaxListings, EndDay, UseStock, Stock FROM Item WHERE ItemId='JUG'"),
                 QStringList{"JUG|Jug|1|0|0|,|0|0"});
        r = ItemGroupWriter::Save({true, "", "tea", "Tea", true});
        QCOMPARE(r.outcome, ItemSaveResult::Refused);
        QCOMPARE(r.message, QString("Cannot add record.  Code already exists in this table."));
        r = ItemGroupWriter::Save({false, "GONE", "GONE", "Gone", false});
        QCOMPARE(r.outcome, ItemSaveResult::Refused);
        QCOMPARE(r.message, QString("Failed.  Could not update record."));
        QCOMPARE(details().size(), 2);
        QCOMPARE(ItemGroupWriter::ItemOfTitle("TEAPOT, RED"), QString("TEA"));
        QCOMPARE(ItemGroupWriter::ItemOfTitle("Cup"), QString("CUP"));
        QCOMPARE(ItemGroupWriter::ItemOfTitle("x' OR '1'='1"), QString());
    }

    // The main window's Data menu opens the editor; what it saves reaches the main window.
    void fromTheDataMenu()
    {
        CatalogueForms::Register();
        FormsRegistry::instance().clearOverrides();
        shop();
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QAction* entry = main->action("mnuDataItemGroup");
        QVERIFY(entry);
        QCOMPARE(MainWindowDriver::shownText(entry->text()), QString("Item groups..."));
        QString caption;
        const bool shown = ModalDriver::OnModal<frmItemGroup>([&] { entry->trigger(); },
                                                             [&](frmItemGroup* w) {
                                                                 caption = w->windowTitle();
                                                                 w->Form_Activate();
                                                                 w->cmdAdd_Click();
                                                                 type(*w, "BOWL");
                                                                 w->description()->setText("Bowl");
                                                                 w->cmdUpdate_Click();
                                                                 w->close();
                                                             });
        QVERIFY(shown);
        QCOMPARE(caption, QString("Item Group"));
        QCOMPARE(items(), (QStringList{"BOWL|Bowl|0", "CUP|Cup|0", "TEA|Teapot|1"}));
        QVERIFY(messages().verifyDone());
        main->close();
    }
};

VENDARO_TEST_MAIN(tst_itemgroups)
#include "tst_itemgroups.moc"
