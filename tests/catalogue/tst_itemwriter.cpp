// The item editor's write side without its window: the row a save writes,
// refused and failed saves, a rename taking the item's details along, the
// delete that gives the item's sales "MISC", and the re-coding of sales.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "catalogue/ItemWriter.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"

#include <optional>

namespace {
const QString ItemColumns = QStringLiteral(
    "SELECT ItemId, Description, Stocked, Relist, MaxListings, MaxListingsNoBids, MaxListingsPerDay, MinDaysApart, EndDay, "
    "UseStock, Stock, StockWarning FROM Item WHERE ItemId<>'MISC' ORDER BY ItemId");
}  // namespace

class tst_itemwriter : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    Connection& conn() { return *ProgramContext::current().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void insertItem(const QString& code, const QString& title)
    {
        exec("INSERT INTO Item (ItemId, Description, Stocked, EndDay) VALUES (?, ?, 1, ',Mon,')", {code, title});
    }
    void insertSale(const QString& id, const QVariant& itemId, const QString& title)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, dateStart, ActionId) VALUES (?, ?, ?, 46000, 1)", {id, itemId, title});
    }
    void insertDetail(const QString& itemId, const QString& title)
    {
        exec("INSERT INTO ItemDetail (ItemId, Title) VALUES (?, ?)", {itemId, title});
    }
    // The shop every case starts from: two items, their sales and details.
    void shop()
    {
        insertItem("TEA", "Teapot");
        insertItem("CUP", "Cup");
        insertSale("s1", "TEA", "Teapot");
        insertSale("s2", "TEA", "Old teapot");
        insertSale("s3", "CUP", "Cup");
        insertDetail("TEA", "Teapot, blue");
        insertDetail("TEA", "Teapot, red");
        insertDetail("CUP", "Cup, white");
    }
    QStringList everything()
    {
        return table("SELECT * FROM Item ORDER BY ItemId") + table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId") +
               table("SELECT * FROM ItemDetail ORDER BY AutoId");
    }
    QStringList sales() { return table("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId"); }
    QStringList details() { return table("SELECT ItemId, Title FROM ItemDetail ORDER BY AutoId"); }

    static ItemForm adding(const QString& code, const QString& title)
    {
        ItemForm f;
        f.adding = true;
        f.codeText = code;
        f.description = title;
        f.stocked = true;
        return f;
    }
    static ItemForm editing(const QString& held, const QString& code, const QString& title)
    {
        ItemForm f = adding(code, title);
        f.adding = false;
        f.heldCode = held;
        return f;
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void keyAndNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << "12" << "12" << 12;
        QTest::newRow("trailing blanks") << "12  " << "12" << 12;
        QTest::newRow("cut to 10, then blanks removed") << "123456789 X" << "123456789" << 123456789;
        QTest::newRow("text after the number") << "3 left" << "3 left" << 3;
        QTest::newRow("no number") << "many" << "many" << 0;
        QTest::newRow("empty") << "" << "" << 0;
        QTest::newRow("a fraction rounds half to even") << "2.5" << "2.5" << 2;
        QTest::newRow("beyond 32 bits") << "99999999999" << "9999999999" << 2147483647;
    }
    void keyAndNumbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(int, number);
        QCOMPARE(ItemWriter::ItemKey(text), key);
        QCOMPARE(ItemWriter::BoxNumber(text), number);
    }

    // The stored-value rules: what a save writes for the boxes, whatever else they hold.
    void rowOf_data()
    {
        QTest::addColumn<bool>("stocked");
        QTest::addColumn<bool>("limit");
        QTest::addColumn<bool>("endDays");
        QTest::addColumn<bool>("useStock");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QString>("row");  // limits|EndDay|UseStock|Stock|StockWarning
        QTest::newRow("everything on") << true << true << true << true << true << "1,2,3,4|,Mon,Wed,Sun,|1|9|5";
        QTest::newRow("not stocked: nothing else kept") << false << true << true << true << true << "0,0,0,0|,|0|0|0";
        QTest::newRow("no limits") << true << false << true << true << true << "0,0,0,0|,Mon,Wed,Sun,|1|9|5";
        QTest::newRow("days ticked but no preference") << true << true << false << true << true << "1,2,3,4|,|1|9|5";
        QTest::newRow("no stock tracking") << true << true << true << false << true << "1,2,3,4|,Mon,Wed,Sun,|0|0|0";
        QTest::newRow("no warning") << true << true << true << true << false << "1,2,3,4|,Mon,Wed,Sun,|1|9|0";
    }
    void rowOf()
    {
        QFETCH(bool, stocked);
        QFETCH(bool, limit);
        QFETCH(bool, endDays);
        QFETCH(bool, useStock);
        QFETCH(bool, warning);
        QFETCH(QString, row);
        ItemForm f = adding("TEA  ", "Teapot  ");
        f.stocked = stocked;
        f.limit = limit;
        f.numValue = {"1", "2", "3", "4", "9", "5"};
        f.chkEndDay = {endDays, true, false, true, false, false, false, true};
        f.useStock = useStock;
        f.stockWarning = warning;
        const ItemRow r = ItemWriter::RowOf(f);
        QCOMPARE(r.itemId, QString("TEA"));
        QCOMPARE(r.description, QString("Teapot"));
        QCOMPARE(r.stocked, stocked);
        QCOMPARE(QString("%1,%2,%3,%4|%5|%6|%7|%8")
                     .arg(r.maxListings)
                     .arg(r.maxListingsNoBids)
                     .arg(r.maxListingsPerDay)
                     .arg(r.minDaysApart)
                     .arg(r.endDay)
                     .arg(int(r.useStock))
                     .arg(r.stock)
                     .arg(r.stockWarning),
                 row);
    }

    // What loading shows: limits and a warning level that are not above 0
    // show empty with their tick boxes clear; end days are matched case-sensitively.
    void formOf_data()
    {
        QTest::addColumn<QString>("limits");  // four, comma-separated
        QTest::addColumn<QString>("endDay");
        QTest::addColumn<int>("warning");
        QTest::addColumn<QString>("shown");  // limit tick|boxes 0-3|day ticks 0-7|warning tick|box 5
        QTest::newRow("no limits") << "0,0,0,0" << "," << 0 << "0|,,,|00000000|0|";
        QTest::newRow("one limit") << "0,0,3,0" << ",Fri," << 2 << "1|,,3,|10000100|1|2";
        QTest::newRow("negative shows empty") << "-1,0,0,0" << ",Mon,Sun," << -4 << "0|,,,|11000001|0|";
        QTest::newRow("lower-case days are no days") << "0,0,0,0" << ",mon,tue," << 0 << "0|,,,|00000000|0|";
    }
    void formOf()
    {
        QFETCH(QString, limits);
        QFETCH(QString, endDay);
        QFETCH(int, warning);
        QFETCH(QString, shown);
        const QStringList l = limits.split(',');
        ItemRow row;
        row.itemId = "TEA";
        row.stocked = true;
        row.maxListings = l[0].toInt();
        row.maxListingsNoBids = l[1].toInt();
        row.maxListingsPerDay = l[2].toInt();
        row.minDaysApart = l[3].toInt();
        row.endDay = endDay;
        row.useStock = true;
        row.stock = 7;
        row.stockWarning = warning;
        const ItemForm f = ItemWriter::FormOf(row);
        QString days;
        for (bool d : f.chkEndDay) days += d ? '1' : '0';
        QCOMPARE(QString("%1|%2|%3|%4|%5")
                     .arg(int(f.limit))
                     .arg(QStringList{f.numValue[0], f.numValue[1], f.numValue[2], f.numValue[3]}.join(','))
                     .arg(days)
                     .arg(int(f.stockWarning))
                     .arg(f.numValue[5]),
                 shown);
        QCOMPARE(f.numValue[4], QString("7"));
        // What a save of the shown boxes writes is the row again (a stored
        // non-positive limit becomes 0).
        const ItemRow again = ItemWriter::RowOf(f);
        QCOMPARE(again.maxListingsPerDay, std::max(row.maxListingsPerDay, 0));
        QCOMPARE(again.stockWarning, std::max(warning, 0));
    }

    void load()
    {
        shop();
        ItemLoadResult r = ItemWriter::Load("tea");
        QCOMPARE(r.outcome, ItemLoadResult::Found);
        QCOMPARE(r.row.itemId, QString("TEA"));  // as stored
        QCOMPARE(r.row.endDay, QString(",Mon,"));
        QCOMPARE(ItemWriter::Load("POT").outcome, ItemLoadResult::NotFound);
        QCOMPARE(ItemWriter::Load("x' OR '1'='1").outcome, ItemLoadResult::NotFound);
        exec("ALTER TABLE Item RENAME TO Gone");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        QCOMPARE(ItemWriter::Load("TEA").outcome, ItemLoadResult::Failed);
    }

    void saveAdded()
    {
        shop();
        ItemForm f = adding("O'Pot  ", "Pot o' tea  ");
        f.limit = true;
        f.numValue = {"2", "", "x", "1", "5", "1"};
        f.chkEndDay = {true, false, false, false, false, true, true, false};
        f.useStock = true;
        f.stockWarning = true;
        const ItemSaveResult r = ItemWriter::Save(f);
        QCOMPARE(r.outcome, ItemSaveResult::Saved);
        QCOMPARE(r.row.itemId, QString("O'Pot"));
        QCOMPARE(table(ItemColumns), (QStringList{"CUP|Cup|1|0|0|0|0|0|,Mon,|0|0|0", "O'Pot|Pot o' tea|1|0|2|0|0|1|,Fri,Sat,|1|5|1",
                                                "TEA|Teapot|1|0|0|0|0|0|,Mon,|0|0|0"}));
        QVERIFY(messages().prompts().isEmpty());
        QVERIFY(!ReadLock::inTransaction(conn()));
    }

    // A refused save writes nothing and the window stays in its mode with its fields.
    void refused_data()
    {
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("adding a code that exists") << true << "" << "TEA" << "Cannot add record.  Code already exists in this table.";
        QTest::newRow("adding a code that exists in another case") << true << "" << "tea "
                                                                    << "Cannot add record.  Code already exists in this table.";
        QTest::newRow("editing an item that has gone") << false << "POT" << "POT" << "Failed.  Could not update record.";
        QTest::newRow("renaming to another item's code") << false << "TEA" << "CUP" << "Code already exists.";
        QTest::newRow("renaming to another item's code, other case") << false << "TEA" << "cup" << "Code already exists.";
        QTest::newRow("renaming to the default item") << false << "TEA" << "MISC" << "Code already exists.";
        QTest::newRow("editing the default item") << false << "misc" << "MISC"
                                                  << "This is the default item and cannot be modified or deleted.";
    }
    void refused()
    {
        QFETCH(bool, add);
        QFETCH(QString, held);
        QFETCH(QString, code);
        QFETCH(QString, message);
        shop();
        const QStringList before = everything();
        ItemForm f = add ? adding(code, "Something") : editing(held, code, "Something");
        const ItemSaveResult r = ItemWriter::Save(f);
        QCOMPARE(r.outcome, ItemSaveResult::Refused);
        QCOMPARE(r.message, message);
        QVERIFY(messages().prompts().isEmpty());  // the window says it
        QCOMPARE(everything(), before);
        QVERIFY(!ReadLock::inTransaction(conn()));
    }

    // Changing the code renames the item: its details follow it, its sales
    // keep the old code (the re-coding offer alone moves sales).
    void renamed_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("a free code") << "POT";
        QTest::newRow("the same code in another case") << "Tea";
    }
    void renamed()
    {
        QFETCH(QString, code);
        shop();
        const ItemSaveResult r = ItemWriter::Save(editing("TEA", code + "  ", "Teapot"));
        QCOMPARE(r.outcome, ItemSaveResult::Saved);
        QCOMPARE(table("SELECT ItemId FROM Item WHERE ItemId<>'MISC' ORDER BY ItemId"), (QStringList{"CUP", code}));
        QCOMPARE(details(), (QStringList{code + "|Teapot, blue", code + "|Teapot, red", "CUP|Cup, white"}));
        QCOMPARE(sales(), (QStringList{"s1|TEA", "s2|TEA", "s3|CUP"}));
    }

    // A save that cannot be done or kept is a failure, reported, with nothing
    // written: never a success that empties the window.
    void failedSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("add");
        QTest::newRow("the first query fails, adding") << "query" << true;
        QTest::newRow("the first query fails, editing") << "query" << false;
        QTest::newRow("the row's write fails, adding") << "row" << true;
        QTest::newRow("the row's write fails, editing") << "row" << false;
        QTest::newRow("moving the details fails") << "details" << false;
        QTest::newRow("the disk fills as the details move") << "full details" << false;
        QTest::newRow("the commit is refused, adding") << "commit" << true;
        QTest::newRow("the commit is refused, renaming") << "commit" << false;
    }
    void failedSave()
    {
        QFETCH(QString, how);
        QFETCH(bool, add);
        shop();
        if (how == "row") {
            exec("CREATE TRIGGER refuse1 BEFORE INSERT ON Item BEGIN SELECT RAISE(ABORT, 'no items today'); END");
            exec("CREATE TRIGGER refuse2 BEFORE UPDATE ON Item BEGIN SELECT RAISE(ABORT, 'no items today'); END");
        }
        if (how == "details") exec("CREATE TRIGGER refuse BEFORE UPDATE ON ItemDetail BEGIN SELECT RAISE(ABORT, 'no details today'); END");
        if (how == "full details") QVERIFY(!DatabaseFixture::fullDiskOn("UPDATE", "ItemDetail").isEmpty());
        const QStringList before = everything();
        if (how == "query") exec("ALTER TABLE Item RENAME TO Gone");
        const ItemForm f = add ? adding("POT", "Pot") : editing("TEA", "POT", "Teapot");

        messages().answer(vbmsg::OK, "An error occurred opening database.");
        ItemSaveResult r;
        if (how == "commit") {
            ReadLock::shortenWait(conn());
            ReadLock reader(conn().path());
            QVERIFY(reader.held());
            r = ItemWriter::Save(f);
            reader.release();
            QVERIFY2(r.message.contains("locked"), qPrintable(r.message));
        } else {
            r = ItemWriter::Save(f);
        }
        QCOMPARE(r.outcome, ItemSaveResult::Failed);
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
        if (how.startsWith("full")) QVERIFY2(messages().prompts().last().text.contains("disk full"), qPrintable(messages().prompts().last().text));
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(conn().transactionDepth(), 0);
        if (how == "query") exec("ALTER TABLE Gone RENAME TO Item");
        QCOMPARE(everything(), before);
    }

    void deleteQuestion_data()
    {
        QTest::addColumn<int>("sales");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::newRow("no sales") << 0 << "Item: TEA\r\nTea %1 pot\r\n\r\nAre you sure you want to permanently delete this item?"
                                  << int(vbmsg::YesNo | vbmsg::Question);
        QTest::newRow("sales") << 2
                               << "All auctions assigned to this item code will be changed to the default item code 'MISC' "
                                  "(Miscellaneous).\r\n\r\nAre you sure you want to delete this record?"
                               << int(vbmsg::YesNoCancel | vbmsg::Exclamation);
    }
    void deleteQuestion()
    {
        QFETCH(int, sales);
        QFETCH(QString, text);
        QFETCH(int, style);
        const ItemQuestion q = ItemWriter::DeleteQuestion("TEA", "Tea %1 pot", sales);
        QCOMPARE(q.text, text);
        QCOMPARE(q.style, style);
    }

    // The item's sales take "MISC" and its details go with its row; other items keep theirs.
    void deleted_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("salesOf");
        QTest::addColumn<QStringList>("sales");
        QTest::addColumn<QStringList>("details");
        QTest::newRow("an item with sales") << "TEA" << 2 << QStringList{"s1|MISC", "s2|MISC", "s3|CUP"}
                                            << QStringList{"CUP|Cup, white", "BOWL|Bowl, big"};
        QTest::newRow("typed in another case") << "tea" << 2 << QStringList{"s1|MISC", "s2|MISC", "s3|CUP"}
                                               << QStringList{"CUP|Cup, white", "BOWL|Bowl, big"};
        QTest::newRow("an item without sales") << "BOWL" << 0 << QStringList{"s1|TEA", "s2|TEA", "s3|CUP"}
                                               << QStringList{"TEA|Teapot, blue", "TEA|Teapot, red", "CUP|Cup, white"};
    }
    void deleted()
    {
        QFETCH(QString, code);
        QFETCH(int, salesOf);
        QFETCH(QStringList, sales);
        QFETCH(QStringList, details);
        shop();
        insertItem("BOWL", "Bowl");
        insertDetail("BOWL", "Bowl, big");
        QCOMPARE(ItemWriter::SalesOf(code), salesOf);
        const ItemDeleteResult r = ItemWriter::Delete(code);
        QCOMPARE(r.outcome, ItemDeleteResult::Deleted);
        QCOMPARE(r.salesMoved, salesOf);
        QCOMPARE(this->sales(), sales);
        QCOMPARE(this->details(), details);
        QCOMPARE(table("SELECT COUNT(*) FROM Item WHERE ItemId=?", {code}), QStringList{"0"});
        QCOMPARE(table("SELECT COUNT(*) FROM Item WHERE ItemId='MISC'"), QStringList{"1"});
        QVERIFY(!ReadLock::inTransaction(conn()));
    }

    // A delete that is refused or fails changes nothing: the sales keep their
    // code and the details stay with the item.
    void deleteKeepsAll_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("outcome");
        QTest::newRow("the default item") << "" << "MISC" << int(ItemDeleteResult::Refused);
        QTest::newRow("the default item in another case") << "" << "Misc" << int(ItemDeleteResult::Refused);
        QTest::newRow("an item that has gone") << "" << "POT" << int(ItemDeleteResult::Refused);
        QTest::newRow("the row's delete fails after the sales moved") << "row" << "TEA" << int(ItemDeleteResult::Failed);
        QTest::newRow("the details' delete fails") << "details" << "TEA" << int(ItemDeleteResult::Failed);
        QTest::newRow("the commit is refused") << "commit" << "TEA" << int(ItemDeleteResult::Failed);
    }
    void deleteKeepsAll()
    {
        QFETCH(QString, how);
        QFETCH(QString, code);
        QFETCH(int, outcome);
        shop();
        insertSale("s4", "POT", "Pot");
        insertSale("s5", "MISC", "Spoon");
        if (how == "row") exec("CREATE TRIGGER refuse BEFORE DELETE ON Item BEGIN SELECT RAISE(ABORT, 'no deletes today'); END");
        if (how == "details") exec("CREATE TRIGGER refuse BEFORE DELETE ON ItemDetail BEGIN SELECT RAISE(ABORT, 'no deletes today'); END");
        const QStringList before = everything();
        if (outcome == ItemDeleteResult::Failed) messages().answer(vbmsg::OK, "An error occurred opening database.");
        ItemDeleteResult r;
        if (how == "commit") {
            ReadLock::shortenWait(conn());
            ReadLock reader(conn().path());
            QVERIFY(reader.held());
            r = ItemWriter::Delete(code);
        } else {
            r = ItemWriter::Delete(code);
        }
        QCOMPARE(int(r.outcome), outcome);
        if (code.compare("MISC", Qt::CaseInsensitive) == 0)
            QCOMPARE(r.message, QString("This is the default item and cannot be modified or deleted."));
        else if (outcome == ItemDeleteResult::Refused)
            QCOMPARE(r.message, QString("Record not found."));
        QVERIFY(messages().verifyDone());
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(everything(), before);
    }

    // After a save: the sales with the item's title under another code,
    // "MISC" included and a sale without a code not; No leaves them.
    void recode()
    {
        shop();
        insertSale("s4", "MISC", "Teapot");
        insertSale("s5", "CUP", "teapot");  // titles compare as the database compares text
        insertSale("s6", QVariant(), "Teapot");
        insertSale("s7", "POT", "Teapot o'clock");
        const ItemSaveResult saved = ItemWriter::Save(editing("TEA", "TEA", "Teapot   "));
        QCOMPARE(saved.outcome, ItemSaveResult::Saved);
        const QString code = saved.row.itemId, title = saved.row.description;
        QCOMPARE(title, QString("Teapot"));
        QCOMPARE(ItemWriter::SalesToRecode(code, "Teapot o'clock"), 1);
        const int n = ItemWriter::SalesToRecode(code, title);
        QCOMPARE(n, 2);
        const ItemQuestion q = ItemWriter::RecodeQuestion(code, title, n);
        QCOMPARE(q.text, QString("Teapot\r\n\r\nThere are 2 auctions in the database with this title.\r\n\r\n"
                                 "Do you want to update the item code to 'TEA' for all these auctions?"));
        QCOMPARE(q.style, int(vbmsg::YesNo | vbmsg::Question));
        // The save itself moves no sale: only a Yes to the question does.
        QCOMPARE(sales(), (QStringList{"s1|TEA", "s2|TEA", "s3|CUP", "s4|MISC", "s5|CUP", "s6|<Null>", "s7|POT"}));
        QCOMPARE(ItemWriter::RecodeSales(code, title), 2);
        QCOMPARE(sales(), (QStringList{"s1|TEA", "s2|TEA", "s3|CUP", "s4|TEA", "s5|TEA", "s6|<Null>", "s7|POT"}));
        QCOMPARE(ItemWriter::SalesToRecode(code, title), 0);
    }

    // A re-coding that fails moves no sale, not even the ones before the failure.
    void recodeFails_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("refused") << false;
        QTest::newRow("the disk fills at the second sale") << true;
    }
    void recodeFails()
    {
        QFETCH(bool, diskFull);
        shop();
        insertSale("s4", "MISC", "Teapot");
        insertSale("s5", "CUP", "Teapot");
        if (diskFull) QVERIFY(!DatabaseFixture::fullDiskOn("UPDATE", "Auction", "OLD.AuctionId = 's5'").isEmpty());
        else exec("CREATE TRIGGER refuse BEFORE UPDATE ON Auction BEGIN SELECT RAISE(ABORT, 'no changes today'); END");
        const QStringList before = sales();
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        QCOMPARE(ItemWriter::RecodeSales("TEA", "Teapot"), -1);
        QVERIFY(messages().verifyDone());
        QCOMPARE(sales(), before);
    }
};

VENDARO_TEST_MAIN(tst_itemwriter)
#include "tst_itemwriter.moc"
