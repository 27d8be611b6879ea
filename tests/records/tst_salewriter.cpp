// The sale editor's write side without its window: the Auction row, the
// History rows and their recipes (and their undo), the seller's own sale
// number, refused and failed saves, and the delete with its twin rename.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/UndoRecipe.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "records/SaleWriter.h"

#include <QDateTime>
#include <QRegularExpression>

#include <optional>

namespace {
const QVariant Null;
const QString Started = QStringLiteral("Auction started");

// A day some time ago, as a serial: a due date a loaded sale might hold.
constexpr double LoadedDue = 46000;
}  // namespace

class tst_salewriter : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    static QString today() { return UndoRecipe::DateText(vb::today()); }

    // A new sale as the editor's Add leaves it (cleared fields), in a window
    // opened for browsing or for sales made outside the site.
    static SaleForm added(const QString& code, bool nonAuction = false)
    {
        SaleForm f;
        f.adding = true;
        f.nonAuction = nonAuction;
        f.codeText = code;
        f.description = QStringLiteral("Teapot");
        f.itemId = QStringLiteral("TEA");
        f.dateStart = vb::today();
        f.dateNextAction = vb::today();
        f.actionId = 1;
        f.rememberedDateNextAction = vb::today();
        f.rememberedStep = 1;
        return f;
    }
    // A sale loaded for editing from its stored row, remembered values set as the loader sets them.
    SaleForm loaded(const QString& id)
    {
        Recordset rs;
        [&] { QVERIFY(ctx().gDatabase->OpenDB("SELECT * FROM Auction WHERE AuctionId=?", {id}, false, true, true, &rs) && !rs.isEOF()); }();
        SaleForm f;
        f.heldCode = f.codeText = rs.text("AuctionId");
        f.description = rs.text("Description");
        f.itemId = rs.text("ItemId");
        f.dateStart = rs.value("dateStart").toDouble();
        f.dateNextAction = f.rememberedDateNextAction = rs.value("dateNextAction");
        f.actionId = f.rememberedStep = rs.value("ActionId").toInt();
        f.customerId = rs.text("CustomerId");
        f.deliveryAddress = rs.text("DeliveryAddress");
        f.datePaid = f.rememberedDatePaid = rs.value("datePaid");
        f.payId = rs.text("PayId");
        f.winningBid = rs.value("Winningbid").toDouble();
        f.shipping = rs.value("Shipping").toDouble();
        f.dateSent = f.rememberedDateSent = rs.value("dateSent");
        f.trackingNumber = rs.text("TrackingNumber");
        f.notes = rs.text("Notes");
        return f;
    }
    static AddressRules::BuyerPlan planFor(const SaleForm& f)
    {
        return AddressRules::PlanBuyerAddress(f.customerId, f.buyerName, f.deliveryAddress, f.buyerEmail, true);
    }
    static SaleSaveResult save(const SaleForm& f) { return SaleWriter::Save(f, planFor(f)); }

    // A stored sale: "id|ActionId|dateNextAction|datePaid|PayId|dateSent|NonAuction" ("<Null>" for Null).
    void insertSale(const QString& row)
    {
        const QStringList c = row.split(u'|');
        QVariantList values;
        for (const QString& cell : c) values << (cell == "<Null>" ? QVariant() : QVariant(cell));
        QVERIFY2(conn().Execute("INSERT INTO Auction (AuctionId, ItemId, Description, dateStart, Winningbid, Shipping, TrackingNumber, "
                                "ActionId, dateNextAction, datePaid, PayId, dateSent, NonAuction) "
                                "VALUES (?, 'TEA', 'Teapot', 45990, 25, 5, '', ?, ?, ?, ?, ?, ?)",
                                values),
                 qPrintable(conn().lastError()));
    }
    // The History rows of a sale, oldest first: "Description|Changed|offset in tenths of a second after the first row".
    QStringList history(const QString& id)
    {
        Recordset rs;
        if (!ctx().gDatabase->OpenDB("SELECT * FROM History WHERE AuctionId=? ORDER BY \"Date\", Autonumber", {id}, false, true, true, &rs))
            return {"query failed"};
        QStringList out;
        double first = -1;
        for (; !rs.isEOF(); rs.MoveNext()) {
            const double when = rs.value("Date").toDouble();
            if (first < 0) first = when;
            out << rs.text("Description") + u'|' + rs.text("Changed") + u'|' + QString::number(qRound((when - first) * 864000));
        }
        return out;
    }
    QStringList everything()
    {
        return table("SELECT * FROM Auction ORDER BY AuctionId") + table("SELECT * FROM History ORDER BY Autonumber") +
               table("SELECT * FROM Customer ORDER BY CustomerId") + table("SELECT NextAuctionNumber FROM Configuration");
    }
    QStringList pendingLog()
    {
        QStringList out;
        for (const clsDataLog& e : ctx().gDatabase->PendingLog()) out << e.AuctionId + u'|' + e.TableId + u'|' + e.FieldId;
        return out;
    }
    void setNumbers(int next, int step)
    {
        QVERIFY(conn().Execute("UPDATE Configuration SET NextAuctionNumber=?, NextAuctionNumberStep=?", {next, step}));
        ctx().gConfiguration.NextAuctionNumber = next;
        ctx().gConfiguration.NextAuctionNumberStep = step;
    }

    static void fixClock() { vb::setClock(QDateTime(QDate(2026, 3, 14), QTime(10, 0))); }

private slots:
    // The tables of cases read today too.
    void initTestCase() { fixClock(); }
    void cleanupTestCase() { vb::setClock(QDateTime()); }
    void init()
    {
        fixClock();
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void keyAndTwin_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("twin");
        QTest::newRow("plain") << "123" << "123" << "";
        QTest::newRow("A") << "123A" << "123A" << "123B";
        QTest::newRow("B") << "123B" << "123B" << "123A";
        QTest::newRow("lower case has no twin") << "123a" << "123a" << "";
        QTest::newRow("C has no twin") << "123C" << "123C" << "";
        QTest::newRow("a lone letter has no twin") << "A" << "A" << "";
        QTest::newRow("trailing blanks removed") << "123A  " << "123A" << "";
        QTest::newRow("cut to 15, then blanks removed") << "12345678901234 X" << "12345678901234" << "";
    }
    void keyAndTwin()
    {
        QFETCH(QString, code);
        QFETCH(QString, key);
        QFETCH(QString, twin);
        QCOMPARE(SaleWriter::SaleKey(code), key);
        QCOMPARE(SaleWriter::TwinOf(code), twin);
    }

    // The Auction row of a new sale: defaults, then every column of the form.
    void addedRow()
    {
        SaleForm f = added("777  ");
        f.customerId = "sean1  ";
        f.buyerName = "Sean Smith";
        f.buyerEmail = "sean@example.co.nz";
        f.deliveryAddress = "Sean Smith\r\n1 Main Road";
        f.payId = "Cash";  // not stored: the sale is not paid
        f.winningBid = 1234.5;
        f.shipping = 7.25;
        f.description = "Tea 'n' biscuits";
        const SaleSaveResult r = save(f);
        QCOMPARE(r.outcome, SaleSaveResult::Saved);
        QCOMPARE(r.auctionId, QString("777"));
        QCOMPARE(table("SELECT AuctionId, Description, ItemId, NonAuction, dateStart, dateNextAction, ActionId, CustomerId, "
                       "DeliveryAddress, datePaid, PayId, Winningbid, Shipping, dateSent, TrackingNumber, Notes, StartPrice, "
                       "DurationFixed FROM Auction"),
                 QStringList{QString("777|Tea 'n' biscuits|TEA|0|%1|%1|1|sean1|Sean Smith\r\n1 Main Road|<Null>|<Null>|1234.5|7.25|"
                                     "<Null>||<Null>|0|1")
                                 .arg(vb::today())});
        QCOMPARE(table("SELECT CustomerId, Name, Email, Address FROM Customer"),
                 QStringList{"sean1|Sean Smith|sean@example.co.nz|Sean Smith\r\n1 Main Road"});
    }

    // The History rows one save writes, in order and a second or so apart.
    void historyRows_data()
    {
        QTest::addColumn<QString>("stored");  // "" = a new sale
        QTest::addColumn<bool>("nonAuction");
        QTest::addColumn<bool>("pay");
        QTest::addColumn<bool>("send");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("rows");
        const QString t = today();
        const QString due = UndoRecipe::DateText(LoadedDue);
        QTest::newRow("new sale") << "" << false << false << false << 1 << QStringList{Started + "|[DELETE]|0"};
        QTest::newRow("new sale made outside the site") << "" << true << false << false << 4
                                                        << QStringList{"Non-Auction transaction|[DELETE]|0"};
        QTest::newRow("new paid sale") << "" << false << true << false << 10
                                       << QStringList{Started + "|[DELETE]|0",
                                                      "Payment received|ActionId=1,DateNextAction=" + t + ",DatePaid=Null,PayId=Null|10"};
        QTest::newRow("new sale paid, sent and completed")
            << "" << false << true << true << 15
            << QStringList{Started + "|[DELETE]|0", "Payment received|ActionId=1,DateNextAction=" + t + ",DatePaid=Null,PayId=Null|10",
                           "Item shipped|ActionId=10,DateNextAction=" + t + ",DateSent=Null|20",
                           "Completed|ActionId=11,DateNextAction=" + t + "|30"};
        QTest::newRow("edit: a paid sale is sent")
            << "s1|10|46000|46001|Cash|<Null>|0" << false << true << true << 12
            << QStringList{"Item shipped|ActionId=10,DateNextAction=" + due + ",DateSent=Null|0"};
        QTest::newRow("edit: an unpaid sale is paid")
            << "s1|4|46000|<Null>|<Null>|<Null>|0" << false << true << false << 10
            << QStringList{"Payment received|ActionId=4,DateNextAction=" + due + ",DatePaid=Null,PayId=Null|0"};
        QTest::newRow("edit: completed") << "s1|12|46000|46001|Cash|46002|0" << false << true << true << 15
                                         << QStringList{"Completed|ActionId=12,DateNextAction=" + due + "|0"};
        QTest::newRow("edit: completed without a due date") << "s1|12|<Null>|46001|Cash|46002|0" << false << true << true << 15
                                                            << QStringList{"Completed|ActionId=12,DateNextAction=Null|0"};
        QTest::newRow("edit: already completed writes nothing") << "s1|15|<Null>|46001|Cash|46002|0" << false << true << true << 15
                                                                << QStringList{};
        QTest::newRow("edit: nothing changed writes nothing") << "s1|4|46000|<Null>|<Null>|<Null>|0" << false << false << false << 4
                                                              << QStringList{};
    }
    void historyRows()
    {
        QFETCH(QString, stored);
        QFETCH(bool, nonAuction);
        QFETCH(bool, pay);
        QFETCH(bool, send);
        QFETCH(int, step);
        QFETCH(QStringList, rows);
        SaleForm f;
        if (stored.isEmpty()) {
            f = added("s1", nonAuction);
        } else {
            insertSale(stored);
            f = loaded("s1");
        }
        f.customerId = "sean1";
        f.buyerEmail = "sean@example.co.nz";
        if (pay && f.datePaid.isNull()) {
            f.datePaid = vb::today();
            f.payId = "Cash";
        }
        if (send && f.dateSent.isNull()) f.dateSent = vb::today();
        f.actionId = step;
        if (step == 15) f.dateNextAction = Null;
        const QStringList logBefore = pendingLog();
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QCOMPARE(history("s1"), rows);
        // Each row is in the change log, so the main list shows it.
        QCOMPARE(pendingLog().size(), logBefore.size() + (rows.isEmpty() ? 0 : 1));
    }

    // Saving the completed sale again, as the window reloads it, adds nothing.
    void completedOnce()
    {
        insertSale("s1|12|46000|46001|Cash|46002|0");
        SaleForm f = loaded("s1");
        f.actionId = 15;
        f.dateNextAction = Null;
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QCOMPARE(save(loaded("s1")).outcome, SaleSaveResult::Saved);
        QCOMPARE(history("s1").size(), 1);
    }

    // The seller's own sale number advances only by a new sale made outside
    // the site saved under the proposed number.
    void saleNumber_data()
    {
        QTest::addColumn<bool>("nonAuction");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<int>("next");
        QTest::newRow("proposed number") << true << "1001" << false << 1011;
        QTest::newRow("proposed number with a trailing blank") << true << "1001 " << false << 1011;
        QTest::newRow("another number typed") << true << "1500" << false << 1001;
        QTest::newRow("a site auction window") << false << "1001" << false << 1001;
        QTest::newRow("editing the proposed number") << true << "1001" << true << 1001;
        QTest::newRow("not a number") << true << "X1001" << false << 1001;
    }
    void saleNumber()
    {
        QFETCH(bool, nonAuction);
        QFETCH(QString, code);
        QFETCH(bool, editing);
        QFETCH(int, next);
        setNumbers(1001, 10);
        SaleForm f = added(code, nonAuction);
        f.customerId = "sean1";
        f.buyerEmail = "sean@example.co.nz";
        if (editing) {
            insertSale("1001|4|46000|<Null>|<Null>|<Null>|1");
            f = loaded("1001");
        }
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QCOMPARE(ctx().gConfiguration.NextAuctionNumber, next);
        QCOMPARE(table("SELECT NextAuctionNumber FROM Configuration"), QStringList{QString::number(next)});
    }

    // NonAuction comes from the window when the sale is made and stays after.
    void nonAuctionFlag_data()
    {
        QTest::addColumn<QString>("stored");  // "" = a new sale
        QTest::addColumn<bool>("nonAuctionWindow");
        QTest::addColumn<QString>("flag");
        QTest::newRow("added in an Auction window") << "" << false << "0";
        QTest::newRow("added in an Add Non-Auction window") << "" << true << "1";
        QTest::newRow("a sale made outside the site edited in an Auction window") << "s1|4|46000|<Null>|<Null>|<Null>|1" << false << "1";
        QTest::newRow("a site sale edited in an Add Non-Auction window") << "s1|4|46000|<Null>|<Null>|<Null>|0" << true << "0";
    }
    void nonAuctionFlag()
    {
        QFETCH(QString, stored);
        QFETCH(bool, nonAuctionWindow);
        QFETCH(QString, flag);
        SaleForm f = added("s1", nonAuctionWindow);
        if (!stored.isEmpty()) {
            insertSale(stored);
            f = loaded("s1");
            f.nonAuction = nonAuctionWindow;
        }
        f.customerId = "sean1";
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QCOMPARE(table("SELECT NonAuction FROM Auction"), QStringList{flag});
    }

    // A refused save keeps the buyer (whole) and nothing else.
    void refused_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("message");
        QTest::newRow("adding a code that exists") << true << "Cannot add record.  Code already exists in this table.";
        QTest::newRow("editing a sale that has gone") << false << "Failed.  Could not update record.";
    }
    void refused()
    {
        QFETCH(bool, adding);
        QFETCH(QString, message);
        setNumbers(1001, 10);
        insertSale("1001|4|46000|<Null>|<Null>|<Null>|1");
        SaleForm f = added("1001", true);
        if (!adding) {
            f = loaded("1001");
            QVERIFY(conn().Execute("DELETE FROM Auction"));
        }
        f.customerId = "newbie";
        f.buyerName = "Nina New";
        f.buyerEmail = "nina@example.co.nz";
        f.deliveryAddress = "Nina New\r\n2 Hill Road";
        f.datePaid = vb::today();
        f.payId = "Cash";
        const QStringList sales = table("SELECT * FROM Auction");
        const SaleSaveResult r = save(f);
        QCOMPARE(r.outcome, SaleSaveResult::Refused);
        QCOMPARE(r.message, message);
        QVERIFY(messages().prompts().isEmpty());  // the window says it
        QCOMPARE(table("SELECT CustomerId, Name, Email, Address FROM Customer"),
                 QStringList{"newbie|Nina New|nina@example.co.nz|Nina New\r\n2 Hill Road"});
        QCOMPARE(table("SELECT * FROM Auction"), sales);
        QCOMPARE(table("SELECT COUNT(*) FROM History"), QStringList{"0"});
        QCOMPARE(ctx().gConfiguration.NextAuctionNumber, 1001);
        QCOMPARE(table("SELECT NextAuctionNumber FROM Configuration"), QStringList{"1001"});
        QVERIFY(pendingLog().isEmpty());
        QVERIFY(!ReadLock::inTransaction(conn()));
    }

    // A save that cannot be kept leaves everything as it was: the buyer, the
    // sale, its history, the sale number (stored and loaded) and the change log.
    void failedSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the commit is refused") << "commit";
        QTest::newRow("the sale's own statement fails") << "sale";
        QTest::newRow("a history row fails") << "history";
        // The database ends the whole transaction, as a full disk does.
        QTest::newRow("the disk fills as a history row is written") << "full history";
        QTest::newRow("the disk fills as the buyer is written") << "full buyer";
    }
    void failedSave()
    {
        QFETCH(QString, how);
        setNumbers(1001, 10);
        ctx().gDatabase->Log("other", "Auction", "Notes", "x", true, false);
        if (how == "sale")
            QVERIFY(conn().Execute("CREATE TRIGGER refuse BEFORE INSERT ON Auction BEGIN SELECT RAISE(ABORT, 'no sales today'); END"));
        if (how == "history")
            QVERIFY(conn().Execute("CREATE TRIGGER refuse BEFORE INSERT ON History WHEN NEW.Description='Payment received' "
                                   "BEGIN SELECT RAISE(ABORT, 'no history today'); END"));
        if (how == "full history") QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "History", "NEW.Description='Payment received'").isEmpty());
        if (how == "full buyer") QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "Customer").isEmpty());
        SaleForm f = added("1001", true);
        f.customerId = "newbie";
        f.buyerName = "Nina New";
        f.buyerEmail = "nina@example.co.nz";
        f.deliveryAddress = "Nina New\r\n2 Hill Road";
        f.datePaid = vb::today();
        f.payId = "Cash";
        const AddressRules::BuyerPlan plan = planFor(f);
        const QStringList before = everything();
        const QStringList logBefore = pendingLog();

        messages().answer(vbmsg::OK, "An error occurred opening database.");
        SaleSaveResult r;
        if (how == "commit") {
            ReadLock::shortenWait(conn());
            ReadLock reader(conn().path());
            QVERIFY(reader.held());
            r = SaleWriter::Save(f, plan);
            reader.release();
            QVERIFY2(r.message.contains("locked"), qPrintable(r.message));
        } else {
            r = SaleWriter::Save(f, plan);
        }
        QCOMPARE(r.outcome, SaleSaveResult::Failed);
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
        if (how.startsWith("full")) QVERIFY2(messages().prompts().last().text.contains("disk full"), qPrintable(messages().prompts().last().text));
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(conn().transactionDepth(), 0);
        QCOMPARE(everything(), before);
        QCOMPARE(pendingLog(), logBefore);
        QCOMPARE(ctx().gConfiguration.NextAuctionNumber, 1001);
    }

    // Renumbering a sale in the editor takes its history along; a number that
    // belongs to another sale fails and keeps nothing.
    void renumbered()
    {
        insertSale("s1|4|46000|<Null>|<Null>|<Null>|0");
        insertSale("s2|4|46000|<Null>|<Null>|<Null>|0");
        QVERIFY(ctx().gDatabase->UpdateHistory("s1", 46000, Started, "[DELETE]", true));
        SaleForm f = loaded("s1");
        f.codeText = "s3";
        f.datePaid = vb::today();
        f.payId = "Cash";
        f.customerId = "sean1";
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QCOMPARE(table("SELECT AuctionId FROM Auction ORDER BY AuctionId"), (QStringList{"s2", "s3"}));
        QCOMPARE(table("SELECT AuctionId, Description FROM History ORDER BY Autonumber"),
                 (QStringList{"s3|" + Started, "s3|Payment received"}));
        QCOMPARE(pendingLog(), (QStringList{"s3|History|Date", "s3|History|Date"}));

        f = loaded("s3");
        f.codeText = "s2";
        f.dateSent = vb::today();
        const QStringList before = everything();
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        QCOMPARE(save(f).outcome, SaleSaveResult::Failed);
        QCOMPARE(everything(), before);
    }

    // Each recipe a save writes undoes its own step: undone newest first, the
    // sale goes back through the states the save passed.
    void undo()
    {
        SaleForm f = added("u1");
        f.customerId = "sean1";
        f.datePaid = vb::today() - 1;
        f.payId = "Cash";
        f.dateSent = vb::today();
        f.actionId = 15;
        f.dateNextAction = Null;
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        const auto sale = [&] { return table("SELECT ActionId, dateNextAction, datePaid, PayId, dateSent FROM Auction"); };
        const QString t = QString::number(vb::today());
        const QString paid = QString::number(vb::today() - 1);
        QCOMPARE(sale(), QStringList{"15|<Null>|" + paid + "|Cash|" + t});
        const QList<QStringList> steps{
            {"11|" + t + "|" + paid + "|Cash|" + t},       // "Completed" undone
            {"10|" + t + "|" + paid + "|Cash|<Null>"},     // "Item shipped"
            {"1|" + t + "|<Null>|<Null>|<Null>"},          // "Payment received"
            {},                                            // "[DELETE]": the sale goes
        };
        for (const QStringList& expected : steps) {
            QVERIFY(ctx().gDatabase->GetHistory("u1"));
            if (expected.isEmpty()) messages().answer(vbmsg::Yes, "permanantly delete Auction number u1");
            QVERIFY(ctx().gDatabase->PerformUndo());
            QCOMPARE(sale(), expected);
        }
        QCOMPARE(table("SELECT COUNT(*) FROM History"), QStringList{"0"});
    }

    // The dispatch row of an edited sale undoes to the step and due date it was loaded with.
    void undoDispatchOfEditedSale()
    {
        insertSale("s1|10|46000|46001|Cash|<Null>|0");
        SaleForm f = loaded("s1");
        f.customerId = "sean1";
        f.dateSent = vb::today();
        f.actionId = 12;
        f.dateNextAction = vb::today() + 3;
        QCOMPARE(save(f).outcome, SaleSaveResult::Saved);
        QVERIFY(ctx().gDatabase->GetHistory("s1"));
        QCOMPARE(ctx().gUndoDescription, QString("Item shipped"));
        QVERIFY(ctx().gDatabase->PerformUndo());
        QCOMPARE(table("SELECT ActionId, dateNextAction, datePaid, PayId, dateSent FROM Auction"), QStringList{"10|46000|46001|Cash|<Null>"});
    }

    // The delete and the twin rename. Sales: stored ids; then what is left,
    // and the History rows by sale.
    void deleteSale_data()
    {
        QTest::addColumn<QStringList>("sales");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("nonAuction");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("renamed");  // "from>to"
        QTest::addColumn<bool>("told");        // an information message for the window
        const int deleted = SaleDeleteResult::Deleted, notFound = SaleDeleteResult::NotFound;
        QTest::newRow("123A with 123B: B becomes 123") << QStringList{"123A", "123B", "9"} << "123A" << false << deleted
                                                       << QStringList{"123", "9"} << "123B>123" << false;
        QTest::newRow("123B with 123A: A becomes 123") << QStringList{"123A", "123B"} << "123B" << false << deleted << QStringList{"123"}
                                                       << "123A>123" << false;
        QTest::newRow("123A alone") << QStringList{"123A", "9"} << "123A" << false << deleted << QStringList{"9"} << "" << false;
        QTest::newRow("123a looks for no twin") << QStringList{"123a", "123B"} << "123a" << false << deleted << QStringList{"123B"} << ""
                                                << false;
        QTest::newRow("twin stored in lower case") << QStringList{"123A", "123b"} << "123A" << false << deleted << QStringList{"123"}
                                                   << "123b>123" << false;
        QTest::newRow("bare number taken: no rename, said") << QStringList{"123", "123A", "123B"} << "123A" << false << deleted
                                                            << QStringList{"123", "123B"} << "" << true;
        QTest::newRow("nothing deleted: no rename") << QStringList{"123B"} << "123A" << false << notFound << QStringList{"123B"} << ""
                                                    << false;
        QTest::newRow("a window for sales made outside the site") << QStringList{"123A", "123B"} << "123A" << true << deleted
                                                                  << QStringList{"123B"} << "" << false;
        QTest::newRow("no letter") << QStringList{"123", "123A"} << "123" << false << deleted << QStringList{"123A"} << "" << false;
    }
    void deleteSale()
    {
        QFETCH(QStringList, sales);
        QFETCH(QString, code);
        QFETCH(bool, nonAuction);
        QFETCH(int, outcome);
        QFETCH(QStringList, left);
        QFETCH(QString, renamed);
        QFETCH(bool, told);
        for (const QString& id : sales) {
            insertSale(id + "|4|46000|<Null>|<Null>|<Null>|0");
            QVERIFY(ctx().gDatabase->UpdateHistory(id, 46000, Started, "[DELETE]", true));
        }
        QStringList historyBefore = table("SELECT AuctionId FROM History ORDER BY Autonumber");
        const SaleDeleteResult r = SaleWriter::Delete(code, nonAuction);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(table("SELECT AuctionId FROM Auction ORDER BY AuctionId"), left);
        QCOMPARE(r.renamedFrom.isEmpty() ? QString() : r.renamedFrom + u'>' + r.renamedTo, renamed);
        QCOMPARE(!r.message.isEmpty(), told);
        QVERIFY(messages().prompts().isEmpty());
        // The twin's history moves with it (and its change-log entry); the deleted sale's stays.
        if (!renamed.isEmpty()) {
            const QStringList fromTo = renamed.split(u'>');
            historyBefore.replaceInStrings(QRegularExpression("^" + fromTo[0] + "$"), fromTo[1]);
            QVERIFY(pendingLog().contains(fromTo[1] + "|History|Date"));
            QVERIFY(!pendingLog().contains(fromTo[0] + "|History|Date"));
        }
        QCOMPARE(table("SELECT AuctionId FROM History ORDER BY Autonumber"), historyBefore);
    }

    // A delete whose commit is refused keeps the sale, the twin and the log.
    void failedDelete()
    {
        for (const QString& id : QStringList{"123A", "123B"}) {
            insertSale(id + "|4|46000|<Null>|<Null>|<Null>|0");
            QVERIFY(ctx().gDatabase->UpdateHistory(id, 46000, Started, "[DELETE]", true));
        }
        const QStringList before = everything();
        const QStringList logBefore = pendingLog();
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        const SaleDeleteResult r = SaleWriter::Delete("123A", false);
        reader.release();
        QCOMPARE(r.outcome, SaleDeleteResult::Failed);
        QVERIFY(r.renamedFrom.isEmpty());
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(everything(), before);
        QCOMPARE(pendingLog(), logBefore);
    }
};

VENDARO_TEST_MAIN(tst_salewriter)
#include "tst_salewriter.moc"
