// The stocked item detail dialog and its write side: defaults, what a save
// stores and a load shows again, the checks, the enabling rules, the
// re-coding offer, and a detail that cannot be loaded or kept.

#include "DatabaseFixture.h"
#include "ModalDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "catalogue/CatalogueForms.h"
#include "catalogue/ItemDetailWriter.h"
#include "catalogue/frmItemDetails.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <optional>

namespace {
const QString Columns = QStringLiteral(
    "SELECT ItemId, Title, EndDay, MaxListings, MaxListingsNoBids, MaxListingsPerDay, MinDaysApart, UseStock, Stock, StockWarning, "
    "DurationFixed, DurationDays, round(DurationTime * 1440) FROM ItemDetail ORDER BY AutoId");
}

class tst_itemdetails : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;
    qlonglong blue = 0;  // the teapot's detail

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    qlonglong detail(const QString& itemId, const QString& title, const QString& extra = QString())
    {
        exec("INSERT INTO ItemDetail (ItemId, Title) VALUES (?, ?)", {itemId, title});
        const qlonglong id = conn().Scalar("SELECT last_insert_rowid()").toLongLong();
        if (!extra.isEmpty()) exec("UPDATE ItemDetail SET " + extra + " WHERE AutoId=?", {id});
        return id;
    }
    // The shop: a stocked teapot with one detail, a cup, and sales.
    void shop()
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('TEA', 'Teapot', 1), ('CUP', 'Cup', 0)");
        blue = detail("TEA", "Teapot, blue");
    }
    std::unique_ptr<frmItemDetails> open(qlonglong id, const QString& itemId = "TEA", const QString& desc = QString())
    {
        auto w = std::make_unique<frmItemDetails>();
        w->mRemoteId = id;
        w->mItemId = itemId;
        w->mRemoteDesc = desc;
        if (!w->Form_Load()) return nullptr;
        return w;
    }
    static QString chosenEndTime(frmItemDetails& w) { return w.endTimes()->currentText(); }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        mainWindow = RecordingMainWindow();
        ctx().gMainWindow = &mainWindow;
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        env.reset();
    }

    void daysEntries_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("saved");
        QTest::newRow("1 day") << 1 << 0 << 1;
        QTest::newRow("7 days") << 7 << 6 << 7;
        QTest::newRow("10 days") << 10 << 7 << 10;
        QTest::newRow("none stored shows 7 days") << 0 << 6 << 7;
        QTest::newRow("a length the list does not offer") << 9 << 6 << 7;
    }
    void daysEntries()
    {
        QFETCH(int, stored);
        QFETCH(int, entry);
        QFETCH(int, saved);
        QCOMPARE(ItemDetailWriter::EntryOfDays(stored), entry);
        QCOMPARE(ItemDetailWriter::DaysOfEntry(entry), saved);
        QCOMPARE(ItemDetailWriter::DaysEntries().value(7), QString("10 days (fee charged)"));
        QCOMPARE(ItemDetailWriter::DaysOfEntry(-1), 0);
    }

    // A new detail starts with 7 days, 8:30 PM, a fixed length and all else empty.
    void newDetail()
    {
        shop();
        auto w = open(0);
        QVERIFY(w);
        QCOMPARE(w->title()->text(), QString());
        QCOMPARE(w->days()->currentText(), QString("7 days"));
        QCOMPARE(w->endTimes()->count(), 96);
        QCOMPARE(w->endTimes()->itemText(0), QString("12:00 AM"));
        QCOMPARE(w->endTimes()->itemText(95), QString("11:45 PM"));
        QCOMPARE(chosenEndTime(*w), QString("8:30 PM"));
        QVERIFY(w->duration(0)->isChecked());
        QVERIFY(w->endTimes()->isHidden());
        QVERIFY(!w->endTimeLabel()->isEnabled());
        for (int i = 0; i < 6; ++i) QCOMPARE(w->number(i)->text(), QString());
        for (int d = 0; d < 8; ++d) QVERIFY(!w->endDay(d)->isChecked());
        QVERIFY(!w->useStock()->isChecked());
        auto titled = open(0, "TEA", "Teapot, red");
        QCOMPARE(titled->title()->text(), QString("Teapot, red"));
    }

    // What a save stores, and that a load shows it again.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("stored");
        // EndDay|four limits|UseStock|Stock|StockWarning|DurationFixed|DurationDays|minutes
        QTest::newRow("Monday and Friday") << "days" << ",Mon,Fri,|0|0|0|0|0|0|0|1|7|0";
        QTest::newRow("days ticked without the preference") << "days off" << ",|0|0|0|0|0|0|0|1|7|0";
        QTest::newRow("10 days") << "ten" << ",|0|0|0|0|0|0|0|1|10|0";
        QTest::newRow("scheduled at 8:30 PM") << "scheduled" << ",|0|0|0|0|0|0|0|0|7|1230";
        QTest::newRow("limits, empty boxes store 0") << "limits" << ",|3|0|2|0|0|0|0|1|7|0";
        QTest::newRow("stock without tracking stores 0") << "stock off" << ",|0|0|0|0|0|0|0|1|7|0";
        QTest::newRow("stock with warning") << "stock" << ",|0|0|0|0|1|12|3|1|7|0";
        QTest::newRow("stock, warning unticked") << "warning off" << ",|0|0|0|0|1|12|0|1|7|0";
    }
    void roundTrip()
    {
        QFETCH(QString, how);
        QFETCH(QString, stored);
        shop();
        auto w = open(0);
        w->title()->setText("Teapot, green");
        if (how.startsWith("days")) {
            w->endDay(0)->setChecked(true);
            w->endDay(1)->setChecked(true);
            w->endDay(5)->setChecked(true);
            if (how == "days off") w->endDay(0)->setChecked(false);
        }
        if (how == "ten") w->days()->setCurrentIndex(7);
        if (how == "scheduled") w->duration(1)->setChecked(true);
        if (how == "limits") {
            w->number(0)->setText("3");
            w->number(2)->setText("2 a day");
        }
        w->number(4)->setText("12");
        w->number(5)->setText("3");
        if (how.startsWith("stock") || how == "warning off") {
            w->useStock()->setChecked(how != "stock off");
            w->stockWarning()->setChecked(how == "stock");
        }
        QVERIFY(w->ValidateItemDetail());
        QVERIFY(w->SaveItemDetail());
        QCOMPARE(table(Columns).last(), "TEA|Teapot, green|" + stored);
        QCOMPARE(mainWindow.listRebuilds, 1);
        QVERIFY(!ReadLock::inTransaction(conn()));

        // Loaded again it shows as it was left, and saves the same.
        const qlonglong id = w->mRemoteId;
        QVERIFY(id > 0);
        auto again = open(id);
        QVERIFY(again);
        QCOMPARE(again->endDay(0)->isChecked(), how == "days");
        QCOMPARE(again->endDay(1)->isChecked() && again->endDay(5)->isChecked(), how == "days");
        QCOMPARE(again->days()->currentText(), QString(how == "ten" ? "10 days (fee charged)" : "7 days"));
        QCOMPARE(again->duration(1)->isChecked(), how == "scheduled");
        QCOMPARE(again->endTimes()->isHidden(), how != "scheduled");
        QCOMPARE(chosenEndTime(*again), QString("8:30 PM"));
        QCOMPARE(again->stockWarning()->isChecked(), how == "stock");
        QCOMPARE(again->number(5)->text(), QString(how == "stock" ? "3" : ""));
        QCOMPARE(again->number(1)->text(), QString());  // 0 shows empty
        QVERIFY(again->SaveItemDetail());
        QCOMPARE(table(Columns).size(), 2);
        QCOMPARE(table(Columns).last(), "TEA|Teapot, green|" + stored);
    }

    // A stored end time that is no quarter hour is offered in its place.
    void oddEndTime()
    {
        shop();
        const qlonglong id = detail("TEA", "Teapot, odd", "DurationFixed=0, DurationTime=" + QString::number((20 * 60 + 37) / 1440.0, 'g', 17));
        auto w = open(id);
        QCOMPARE(chosenEndTime(*w), QString("8:37 PM"));
        QCOMPARE(w->endTimes()->count(), 97);
        QVERIFY(w->SaveItemDetail());
        QCOMPARE(table("SELECT round(DurationTime * 1440) FROM ItemDetail WHERE AutoId=?", {id}), QStringList{"1237"});
    }

    void checks_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("dayless");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << false << false << "The Auction Title must be set";
        QTest::newRow("blanks") << "   " << false << false << "The Auction Title must be set";
        QTest::newRow("another detail's title") << "teapot, BLUE" << false << false
                                                << "teapot, BLUE\r\n\r\nThis title already exists for item: TEA\r\n\r\n"
                                                   "Change the title or remove it from the other item detail first.";
        QTest::newRow("its own title") << "Teapot, blue" << true << false << "";
        QTest::newRow("its own item's description") << "Teapot" << false << false << "";
        QTest::newRow("another item's description") << "Cup" << false << false
                                                    << "Cup\r\n\r\nThis title already exists as the description for item: CUP\r\n\r\n"
                                                       "Change the title or change the description for CUP first.";
        QTest::newRow("a quote is a title like any") << "Bob's teapot" << false << false << "";
        QTest::newRow("a preference without a day") << "Teapot, red" << false << true
                                                    << "Please select the preferred auction end days (or uncheck this option).";
    }
    void checks()
    {
        QFETCH(QString, title);
        QFETCH(bool, edit);
        QFETCH(bool, dayless);
        QFETCH(QString, message);
        shop();
        auto w = open(edit ? blue : 0);
        w->title()->setText(title);
        w->endDay(0)->setChecked(dayless);
        if (!message.isEmpty()) messages().answer(vbmsg::OK, message);
        QCOMPARE(w->ValidateItemDetail(), message.isEmpty());
        if (!message.isEmpty()) {
            QCOMPARE(messages().prompts().last().text, message);
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Exclamation));
        }
    }

    void enablingRules()
    {
        shop();
        auto w = open(0);
        // Without a maximum the other three limits are out of use; their numbers are saved all the same.
        for (const char* text : {"", "0", "x"}) {
            w->number(0)->setText(text);
            for (int i = 1; i <= 3; ++i) QVERIFY(!w->number(i)->isEnabled());
        }
        w->number(0)->setText("2");
        for (int i = 1; i <= 3; ++i) QVERIFY(w->number(i)->isEnabled());
        // Days follow the preference and keep their ticks.
        QVERIFY(!w->endDay(3)->isEnabled());
        w->endDay(0)->setChecked(true);
        w->endDay(3)->setChecked(true);
        w->endDay(0)->setChecked(false);
        QVERIFY(!w->endDay(3)->isEnabled() && w->endDay(3)->isChecked());
        // Stock tracking enables stock and the warning box; clearing it clears the warning.
        QVERIFY(!w->number(4)->isEnabled() && !w->stockWarning()->isEnabled());
        w->useStock()->setChecked(true);
        QVERIFY(w->number(4)->isEnabled() && w->stockWarning()->isEnabled() && !w->number(5)->isEnabled());
        w->stockWarning()->setChecked(true);
        QVERIFY(w->number(5)->isEnabled());
        w->useStock()->setChecked(false);
        QVERIFY(!w->stockWarning()->isChecked() && !w->number(5)->isEnabled() && !w->number(4)->isEnabled());
        // The end time list is there for a scheduled end only.
        w->duration(1)->setChecked(true);
        QVERIFY(!w->endTimes()->isHidden() && w->endTimeLabel()->isEnabled());
        w->title()->setText("Teapot, green");
        w->useStock()->setChecked(true);
        w->show();
        w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmItemDetails.png"));
        w->duration(0)->setChecked(true);
        QVERIFY(w->endTimes()->isHidden() && !w->endTimeLabel()->isEnabled());
    }

    void spinners_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("after");
        QTest::newRow("up from empty") << "" << 1 << "1";
        QTest::newRow("down from empty") << "" << -1 << "0";
        QTest::newRow("down from 0") << "0" << -1 << "0";
        QTest::newRow("up from text with a number") << "4 left" << 1 << "5";
        QTest::newRow("down") << "4" << -1 << "3";
    }
    void spinners()
    {
        QFETCH(QString, text);
        QFETCH(int, step);
        QFETCH(QString, after);
        shop();
        auto w = open(0);
        for (int i = 0; i < 6; ++i) {
            w->number(i)->setText(text);
            w->UpDown_Change(i, step);
            QCOMPARE(w->number(i)->text(), after);
        }
    }

    // After a save the sales with the title under other codes may take the item's code.
    void recodeOffer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("yes") << int(vbmsg::Yes) << QStringList{"a1|TEA", "a2|TEA", "a3|TEA", "a4|TEA", "a5|CUP", "a6|<Null>"};
        QTest::newRow("no") << int(vbmsg::No) << QStringList{"a1|CUP", "a2|MISC", "a3|misc", "a4|TEA", "a5|CUP", "a6|<Null>"};
    }
    void recodeOffer()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, codes);
        shop();
        exec("INSERT INTO Auction (AuctionId, ItemId, Description) VALUES ('a1', 'CUP', 'Teapot, red'), ('a2', 'MISC', 'Teapot, red'), "
             "('a3', 'misc', 'teapot, RED'), ('a4', 'TEA', 'Teapot, red'), ('a5', 'CUP', 'Cup'), ('a6', NULL, 'Teapot, red')");
        auto w = open(0);
        w->title()->setText("Teapot, red");
        messages().answer(answer, "Teapot, red\r\n\r\nThere are 3 auctions in the database with this title.\r\n\r\n"
                                  "Do you want to update the item code to 'TEA' for all these auctions?");
        QVERIFY(w->SaveItemDetail());
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId"), codes);
        QCOMPARE(mainWindow.listRebuilds, 1);
    }

    // A detail that cannot be loaded is said and the dialog closes: its boxes
    // never become a new, duplicate row.
    void missingDetail_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("gone before the dialog opens") << "open";
        QTest::newRow("gone while it is open") << "save";
    }
    void missingDetail()
    {
        QFETCH(QString, when);
        shop();
        const qlonglong gone = detail("TEA", "Teapot, gone");
        if (when == "open") exec("DELETE FROM ItemDetail WHERE AutoId=?", {gone});
        const QStringList before = table("SELECT AutoId, Title FROM ItemDetail ORDER BY AutoId");
        int result = -1;
        const bool shown = ModalDriver::OnModal<frmItemDetails>(
            [&] {
                auto* w = new frmItemDetails;
                w->mRemoteId = gone;
                w->mItemId = "TEA";
                messages().answer(vbmsg::OK, "Record not found.");
                result = w->exec();
                delete w;
            },
            [&](frmItemDetails* w) {
                QCOMPARE(w->title()->text(), QString("Teapot, gone"));
                exec("DELETE FROM ItemDetail WHERE AutoId=?", {gone});
                w->findChild<QPushButton*>("cmdSave")->click();
            });
        QCOMPARE(shown, when == "save");
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().size(), 1);
        QStringList after = before;
        if (when == "save") after.removeLast();
        QCOMPARE(table("SELECT AutoId, Title FROM ItemDetail ORDER BY AutoId"), after);
        QCOMPARE(mainWindow.listRebuilds, 0);
    }

    // A save another program keeps from committing writes nothing, is
    // reported, and the dialog stays open with what was typed.
    void failedSave_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("a new detail") << false;
        QTest::newRow("an edited detail") << true;
    }
    void failedSave()
    {
        QFETCH(bool, edit);
        shop();
        FormsRegistry::instance().overrideForm("frmItemDetails", [](QWidget* parent) { return new frmItemDetails(parent); });
        const QStringList before = table(Columns);
        bool stayed = false;
        QVariantMap closed;
        const bool shown = ModalDriver::OnModal<frmItemDetails>(
            [&] {
                closed = FormsRegistry::instance().showModal("frmItemDetails", {{"mRemoteId", edit ? blue : 0}, {"mItemId", "TEA"}});
            },
            [&](frmItemDetails* w) {
                w->title()->setText("Teapot, locked");
                ReadLock::shortenWait(conn());
                ReadLock reader(conn().path());
                QVERIFY(reader.held());
                messages().answer(vbmsg::OK, "An error occurred opening database.");
                w->findChild<QPushButton*>("cmdSave")->click();
                stayed = w->isVisible() && w->title()->text() == "Teapot, locked";
                reader.release();
                QVERIFY(!ReadLock::inTransaction(conn()));
                w->findChild<QPushButton*>("cmdCancel")->click();
            });
        QVERIFY(shown);
        QVERIFY(stayed);
        QCOMPARE(closed.value("result").toInt(), int(QDialog::Rejected));
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
        QCOMPARE(table(Columns), before);
        QCOMPARE(mainWindow.listRebuilds, 0);
    }

    // The registered dialog, opened as the group editor opens it.
    void registered()
    {
        shop();
        CatalogueForms::Register();
        QVariantMap closed;
        QVERIFY(ModalDriver::OnModal<frmItemDetails>(
            [&] {
                closed = FormsRegistry::instance().showModal("frmItemDetails",
                                                             {{"mRemoteId", 0}, {"mItemId", "TEA"}, {"mRemoteDesc", "Teapot, spotted"}});
            },
            [&](frmItemDetails* w) {
                QCOMPARE(w->windowTitle(), QString("Stocked item detail"));
                QCOMPARE(w->title()->text(), QString("Teapot, spotted"));
                w->findChild<QPushButton*>("cmdSave")->click();
            }));
        QCOMPARE(closed.value("result").toInt(), int(QDialog::Accepted));
        QCOMPARE(table("SELECT ItemId, Title FROM ItemDetail ORDER BY AutoId"), (QStringList{"TEA|Teapot, blue", "TEA|Teapot, spotted"}));
    }

    // A stored title longer than the 50 characters typed here shows and is
    // saved whole when another value changes.
    void longTitleKeptWhole()
    {
        shop();
        const QString title = QStringLiteral("Antique teapot, blue willow pattern with its matching lid");
        QVERIFY(title.size() > 50);
        exec("UPDATE ItemDetail SET Title=? WHERE AutoId=?", {title, blue});
        auto w = open(blue);
        QVERIFY(w);
        QCOMPARE(w->title()->text(), title);
        w->useStock()->click();
        w->number(4)->setText("3");
        w->cmdSave_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Title, UseStock, Stock FROM ItemDetail"), QStringList{title + "|1|3"});
    }
};

VENDARO_TEST_MAIN(tst_itemdetails)
#include "tst_itemdetails.moc"
