#include "DatabaseFixture.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <optional>

namespace {
// The due date of the test sale: 4 June 2024, midday.
const double dueSerial = 45447.5;
QDateTime due() { return vb::fromOleDate(dueSerial); }
}  // namespace

class tst_changelog : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow window;
    ProgramContext& ctx() { return ProgramContext::current(); }
    clsDatabase& db() { return *ctx().gDatabase; }
    Connection& conn() { return *ctx().gConnection; }
    const QList<clsDataLog>& pending() { return db().PendingLog(); }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void addSale(const QString& id, int step = 4)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateNextAction, Notes) "
             "VALUES (?, 'MISC', 'Blue widget', ?, ?, 'Buyer''s note')",
             {id, step, dueSerial});
    }
    void logNumber(const QString& id, int step) { db().Log(id, "Auction", "ActionId", step, false, false); }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        window = RecordingMainWindow();
        ctx().gMainWindow = &window;
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // ---- Log ----------------------------------------------------------------

    void logKeepsOneEntryPerSaleTableAndColumn_data()
    {
        QTest::addColumn<QString>("auctionId");
        QTest::addColumn<QString>("tableId");
        QTest::addColumn<QString>("fieldId");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("added");
        QTest::newRow("same sale, table and column") << "A1" << "Auction" << "ActionId" << false << false;
        QTest::newRow("another column") << "A1" << "Auction" << "dateNextAction" << false << true;
        QTest::newRow("another table") << "A1" << "History" << "ActionId" << false << true;
        QTest::newRow("another sale") << "B2" << "Auction" << "ActionId" << false << true;
        QTest::newRow("a deleted record") << "A1" << "Auction" << "ActionId" << true << true;
    }
    void logKeepsOneEntryPerSaleTableAndColumn()
    {
        QFETCH(QString, auctionId);
        QFETCH(QString, tableId);
        QFETCH(QString, fieldId);
        QFETCH(bool, deleted);
        QFETCH(bool, added);
        QVERIFY(db().Log("A1", "Auction", "ActionId", 4, false, false));
        const clsDataLog* second = db().Log(auctionId, tableId, fieldId, 5, false, deleted);
        QCOMPARE(second != nullptr, added);
        if (!added) {
            QCOMPARE(pending().size(), 1);
            QCOMPARE(pending()[0].FieldValue.toInt(), 5);
            return;
        }
        QCOMPARE(pending().size(), 2);
        QCOMPARE(pending()[0].FieldValue.toInt(), 4);
        const clsDataLog& entry = pending()[1];
        QCOMPARE(entry.AuctionId, auctionId);
        QCOMPARE(entry.TableId, tableId);
        QCOMPARE(entry.FieldId, fieldId);
        QCOMPARE(entry.FieldValue.toInt(), 5);
        QCOMPARE(entry.DeletedRecord, deleted);
    }

    void deletedRecordsAlwaysAdd()
    {
        db().Log("A1", "Auction", "AuctionId", "A1", true, true);
        db().Log("A1", "Auction", "AuctionId", "A1", true, true);
        QCOMPARE(pending().size(), 2);
    }

    void logTellsTheKindOfValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("stringFlag");
        QTest::addColumn<QString>("fieldType");
        QTest::newRow("text") << QVariant("Buyer's note") << true << "string";
        QTest::newRow("the string flag wins over a date") << QVariant(due()) << true << "string";
        QTest::newRow("date and time") << QVariant(due()) << false << "date";
        QTest::newRow("date") << QVariant(QDate(2024, 6, 4)) << false << "date";
        QTest::newRow("whole number") << QVariant(4) << false << "number";
        QTest::newRow("money") << QVariant(12.5) << false << "number";
        QTest::newRow("Yes/No") << QVariant(true) << false << "number";
        QTest::newRow("digits as text") << QVariant("4") << false << "number";
    }
    void logTellsTheKindOfValue()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, stringFlag);
        QFETCH(QString, fieldType);
        const clsDataLog* entry = db().Log("A1", "Auction", "Notes", value, stringFlag, false);
        QVERIFY(entry);
        QCOMPARE(entry->FieldType, fieldType);
        QCOMPARE(entry->FieldValue, value);
    }

    // ---- CheckLog -------------------------------------------------------------

    void checkLogConfirmsWhatTheRowHolds_data()
    {
        QTest::addColumn<QString>("fieldId");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("stringFlag");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("saleDeleted");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("number held") << "ActionId" << QVariant(4) << false << false << false << true;
        QTest::newRow("number not yet held") << "ActionId" << QVariant(5) << false << false << false << false;
        QTest::newRow("date held") << "dateNextAction" << QVariant(due()) << false << false << false << true;
        QTest::newRow("date 4 minutes later") << "dateNextAction" << QVariant(due().addSecs(240)) << false << false << false << true;
        QTest::newRow("date 4 minutes earlier") << "dateNextAction" << QVariant(due().addSecs(-240)) << false << false << false << true;
        QTest::newRow("date 6 minutes later") << "dateNextAction" << QVariant(due().addSecs(360)) << false << false << false << false;
        QTest::newRow("date 6 minutes earlier") << "dateNextAction" << QVariant(due().addSecs(-360)) << false << false << false << false;
        QTest::newRow("date another day") << "dateNextAction" << QVariant(due().addDays(1)) << false << false << false << false;
        QTest::newRow("text held, with an apostrophe") << "Notes" << QVariant("Buyer's note") << true << false << false << true;
        QTest::newRow("text not yet held") << "Notes" << QVariant("Buyer's notes") << true << false << false << false;
        // A value logged as Null is confirmed by a Null in the row.
        QTest::newRow("Null held") << "datePaid" << QVariant() << false << false << false << true;
        QTest::newRow("Null held, as text") << "PayId" << QVariant() << true << false << false << true;
        QTest::newRow("Null not yet held") << "Notes" << QVariant() << true << false << false << false;
        QTest::newRow("empty date held") << "datePaid" << QVariant(QDateTime()) << false << false << false << true;
        QTest::newRow("empty date not yet held") << "dateNextAction" << QVariant(QDateTime()) << false << false << false << false;
        QTest::newRow("deleted record still there") << "AuctionId" << QVariant("A1") << true << true << false << false;
        QTest::newRow("deleted record gone") << "AuctionId" << QVariant("A1") << true << true << true << true;
    }
    void checkLogConfirmsWhatTheRowHolds()
    {
        QFETCH(QString, fieldId);
        QFETCH(QVariant, value);
        QFETCH(bool, stringFlag);
        QFETCH(bool, deleted);
        QFETCH(bool, saleDeleted);
        QFETCH(bool, confirmed);
        addSale("A1");
        addSale("B2");
        db().Log("A1", "Auction", fieldId, value, stringFlag, deleted);
        if (saleDeleted) exec("DELETE FROM Auction WHERE AuctionId='A1'");

        QCOMPARE(db().CheckLog(), confirmed);
        QCOMPARE(pending().isEmpty(), confirmed);
        QCOMPARE(window.refreshed, confirmed ? QStringList{"A1"} : QStringList());
    }

    void checkLogConfirmsADateOnlyValue()
    {
        addSale("A1");
        exec("UPDATE Auction SET dateNextAction=? WHERE AuctionId='A1'", {vb::toOleDate(QDate(2024, 6, 4))});
        db().Log("A1", "Auction", "dateNextAction", QDate(2024, 6, 4), false, false);
        QVERIFY(db().CheckLog());
        QCOMPARE(window.refreshed, QStringList{"A1"});
    }

    void checkLogWorksFromTheNewestEnd()
    {
        addSale("A1");
        addSale("B2", 2);
        addSale("C3");
        logNumber("A1", 4);  // held
        logNumber("B2", 3);  // not yet held
        QVERIFY(!db().CheckLog());
        QCOMPARE(pending().size(), 2);
        QVERIFY(window.refreshed.isEmpty());

        logNumber("C3", 4);  // held
        QVERIFY(!db().CheckLog());
        QCOMPARE(window.refreshed, QStringList{"C3"});
        QCOMPARE(pending().size(), 2);
        QCOMPARE(pending()[0].AuctionId, QStringLiteral("A1"));
        QCOMPARE(pending()[1].AuctionId, QStringLiteral("B2"));

        exec("UPDATE Auction SET ActionId=3 WHERE AuctionId='B2'");
        QVERIFY(db().CheckLog());
        QCOMPARE(window.refreshed, (QStringList{"C3", "B2", "A1"}));
        QVERIFY(pending().isEmpty());
        QVERIFY(db().CheckLog());
        QCOMPARE(window.refreshed.size(), 3);
    }

    void checkLogWithoutMainWindow()
    {
        ctx().gMainWindow = nullptr;
        addSale("A1");
        logNumber("A1", 4);
        QVERIFY(db().CheckLog());
        QVERIFY(pending().isEmpty());
    }

    // ---- CheckLog: entries that cannot be confirmed ------------------------------

    void checkLogGivesUpAfterMaxChecks()
    {
        addSale("A1");
        logNumber("A1", 4);    // held, but waits behind the entry below
        logNumber("GONE", 4);  // its sale was deleted: never confirmed
        for (int i = 1; i < clsDatabase::MaxLogChecks; ++i) {
            QVERIFY2(!db().CheckLog(), qPrintable(QStringLiteral("check %1").arg(i)));
            QCOMPARE(pending().size(), 2);
        }
        QVERIFY(window.refreshed.isEmpty());
        QVERIFY(db().CheckLog());
        QVERIFY(pending().isEmpty());
        QCOMPARE(window.refreshed, (QStringList{"GONE", "A1"}));
    }

    void checkLogDropsAStatementThatCannotRun_data()
    {
        QTest::addColumn<QString>("tableId");
        QTest::addColumn<QString>("fieldId");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("no such table") << "NoSuchTable" << "ActionId" << QVariant(4) << false;
        QTest::newRow("no such table, date") << "NoSuchTable" << "dateNextAction" << QVariant(due()) << false;
        QTest::newRow("no such table, deleted record") << "NoSuchTable" << "AuctionId" << QVariant("A1") << true;
        // A quoted name that matches no column must not be taken for text.
        QTest::newRow("no such column") << "Auction" << "NoSuchColumn" << QVariant("x") << false;
        QTest::newRow("names with quotes") << "Auc\"tion" << "Act'ionId" << QVariant(4) << false;
    }
    void checkLogDropsAStatementThatCannotRun()
    {
        QFETCH(QString, tableId);
        QFETCH(QString, fieldId);
        QFETCH(QVariant, value);
        QFETCH(bool, deleted);
        addSale("A1");
        logNumber("A1", 4);
        db().Log("B2", tableId, fieldId, value, false, deleted);
        // No message is scripted: any message fails the test.
        QVERIFY(db().CheckLog());
        QVERIFY(pending().isEmpty());
        QCOMPARE(window.refreshed, (QStringList{"B2", "A1"}));
        QVERIFY(env->messages().prompts().isEmpty());
    }

    // ---- UpdateLog ------------------------------------------------------------

    void updateLogRenamesOnlyTheOldSale()
    {
        logNumber("A1", 4);
        logNumber("B2", 4);
        db().Log("A1", "Auction", "Notes", "note", true, false);
        db().Log("A10", "Auction", "Notes", "note", true, false);
        db().UpdateLog("A1", "P1001");
        QStringList ids;
        for (const clsDataLog& entry : pending()) ids << entry.AuctionId;
        QCOMPARE(ids, (QStringList{"P1001", "B2", "P1001", "A10"}));

        // The renamed entries are confirmed under the new number.
        addSale("P1001");
        exec("UPDATE Auction SET Notes='note' WHERE AuctionId='P1001'");
        addSale("B2");
        exec("INSERT INTO Auction (AuctionId, Notes) VALUES ('A10', 'note')");
        QVERIFY(db().CheckLog());
        QCOMPARE(window.refreshed, (QStringList{"A10", "P1001", "B2"}));  // each sale once per check
    }
};

VENDARO_TEST_MAIN(tst_changelog)
#include "tst_changelog.moc"
