#include "DatabaseFixture.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/UndoRecipe.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <cmath>
#include <optional>

namespace {
// 5 March 2024 2:07:09 PM, local time, as the database keeps it.
double marchAfternoon() { return vb::toOleDate(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))); }

// What a column should hold: an invalid value is Null, a double compares to a
// millionth of a day, anything else compares as text.
QString mismatch(const QVariant& actual, const QVariant& expected)
{
    if (!expected.isValid()) return actual.isNull() ? QString() : QStringLiteral("expected Null, got %1").arg(actual.toString());
    if (actual.isNull()) return QStringLiteral("expected %1, got Null").arg(expected.toString());
    if (expected.typeId() == QMetaType::Double) {
        bool ok = false;
        const double a = actual.toDouble(&ok);
        return ok && std::fabs(a - expected.toDouble()) < 1e-6 ? QString()
                                                                : QStringLiteral("expected %1, got %2").arg(expected.toDouble(), 0, 'f', 6).arg(actual.toString());
    }
    return actual.toString() == expected.toString() ? QString()
                                                    : QStringLiteral("expected %1, got %2").arg(expected.toString(), actual.toString());
}
}  // namespace

class tst_history : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    clsDatabase& db() { return *ctx().gDatabase; }
    Connection& conn() { return *ctx().gConnection; }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }

    // A sale part way through: paid by bank, waiting to be sent.
    void addSale(const QString& id, const QString& title)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateNextAction, datePaid, PayId, Notes, HasBids, Bold) "
             "VALUES (?, 'WIDGET', ?, 7, 45000, 45100.5, 'BANK', 'before', 0, 1)",
             {id, title});
    }
    qint64 addHistory(const QString& id, double date, const QString& description, const QString& changed)
    {
        const QString sql = QStringLiteral("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)");
        if (!conn().Execute(sql, {id, date, description, changed})) {
            QTest::qFail(qPrintable(conn().lastError()), __FILE__, __LINE__);
            return -1;
        }
        return scalar("SELECT last_insert_rowid()").toLongLong();
    }
    bool historyRowExists(qint64 autonumber) { return scalar("SELECT COUNT(*) FROM History WHERE Autonumber=?", {autonumber}).toInt() == 1; }
    int historyRows() { return scalar("SELECT COUNT(*) FROM History").toInt(); }
    int widgetStock() { return scalar("SELECT Stock FROM Item WHERE ItemId='WIDGET'").toInt(); }
    bool saleExists(const QString& id) { return scalar("SELECT COUNT(*) FROM Auction WHERE AuctionId=?", {id}).toInt() == 1; }
    QVariantList saleRow(const QString& id)
    {
        Recordset rs;
        if (!db().OpenDB("SELECT * FROM Auction WHERE AuctionId=?", {id}, false, true, true, &rs) || rs.isEOF()) return {};
        return rs.rows().value(0);
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock) VALUES ('WIDGET', 'Blue widget', 1, 3)");
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // ---- UpdateHistory ----------------------------------------------------

    void updateHistoryWithoutDescriptionWritesNothing()
    {
        addSale("A1", "Blue widget");
        QVERIFY(db().UpdateHistory("A1", 45500.25, QString(), "ActionId=7", true));
        QCOMPARE(historyRows(), 0);
        QVERIFY(db().PendingLog().isEmpty());
    }

    void updateHistoryWritesOneRow_data()
    {
        QTest::addColumn<bool>("updateLog");
        QTest::newRow("without the change log") << false;
        QTest::newRow("with the change log") << true;
    }
    void updateHistoryWritesOneRow()
    {
        QFETCH(bool, updateLog);
        addSale("A1", "Blue widget");
        const double when = 45500.25;
        QVERIFY(db().UpdateHistory("A1", when, "Payment received", "DatePaid=,PayId=Null", updateLog));

        Recordset rs;
        QVERIFY(db().OpenDB("SELECT * FROM History", false, true, true, &rs));
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A1"));
        QCOMPARE(rs.value("Date").toDouble(), when);
        QCOMPARE(rs.text("Description"), QStringLiteral("Payment received"));
        QCOMPARE(rs.text("Changed"), QStringLiteral("DatePaid=,PayId=Null"));

        if (!updateLog) {
            QVERIFY(db().PendingLog().isEmpty());
            return;
        }
        QCOMPARE(db().PendingLog().size(), 1);
        const clsDataLog& entry = db().PendingLog().first();
        QCOMPARE(entry.AuctionId, QStringLiteral("A1"));
        QCOMPARE(entry.TableId, QStringLiteral("History"));
        QCOMPARE(entry.FieldId, QStringLiteral("Date"));
        QCOMPARE(entry.FieldType, QStringLiteral("date"));
        QVERIFY(!entry.DeletedRecord);
        QVERIFY(std::fabs(vb::toOleDate(entry.FieldValue.toDateTime()) - when) < 1e-6);

        // The row just written confirms the entry at once.
        RecordingMainWindow window;
        ctx().gMainWindow = &window;
        QVERIFY(db().CheckLog());
        QCOMPARE(window.refreshed, QStringList{"A1"});
        QVERIFY(db().PendingLog().isEmpty());
    }

    void updateHistoryThatCannotWriteReportsIt()
    {
        exec("DROP TABLE History");
        env->messages().answer(vbmsg::OK, "An error occurred opening database.");
        QVERIFY(!db().UpdateHistory("A1", 45500.25, "Payment received", "PayId=Null", true));
        QVERIFY(db().PendingLog().isEmpty());
    }

    // ---- GetHistory ---------------------------------------------------------

    void getHistoryPicksTheNewestRow_data()
    {
        QTest::addColumn<QString>("sale");
        QTest::addColumn<QString>("description");
        QTest::newRow("of one sale") << "A1" << "A1 newest";
        QTest::newRow("of one sale, asked in another letter case") << "a1" << "A1 newest";
        QTest::newRow("of all sales") << "" << "B2 newest";
    }
    void getHistoryPicksTheNewestRow()
    {
        QFETCH(QString, sale);
        QFETCH(QString, description);
        addSale("A1", "Blue widget, as new");
        addSale("B2", "Red widget");
        addHistory("A1", 45000.5, "A1 oldest", "[DELETE]");
        const qint64 newest = addHistory("A1", 45002.5, "A1 newest", "ActionId=4");
        addHistory("A1", 45001.5, "A1 middle", "ActionId=3");
        addHistory("B2", 45003.5, "B2 newest", "Notes=old note");
        addHistory("B2", 45000.25, "B2 oldest", "[DELETE]");

        QVERIFY(db().GetHistory(sale));
        QCOMPARE(ctx().gUndoDescription, description);
        if (description == QLatin1String("A1 newest")) {
            QCOMPARE(ctx().gUndoAuctionId, QStringLiteral("A1"));
            QCOMPARE(ctx().gUndoAuctionDesc, QStringLiteral("Blue widget, as new"));
            QCOMPARE(ctx().gUndoChanged, QStringLiteral("ActionId=4"));
            QCOMPARE(ctx().gUndoAutonumber, newest);
        } else {
            QCOMPARE(ctx().gUndoAuctionId, QStringLiteral("B2"));
            QCOMPARE(ctx().gUndoAuctionDesc, QStringLiteral("Red widget"));
            QCOMPARE(ctx().gUndoChanged, QStringLiteral("Notes=old note"));
        }
    }

    // Several steps of one task are written with the same time: the last one
    // written is undone first.
    void getHistoryBreaksTiesByWritingOrder()
    {
        addSale("A1", "Blue widget");
        addHistory("A1", 45002.5, "first", "ActionId=3");
        const qint64 second = addHistory("A1", 45002.5, "second", "ActionId=4");
        QVERIFY(db().GetHistory("A1"));
        QCOMPARE(ctx().gUndoAutonumber, second);
        QCOMPARE(ctx().gUndoDescription, QStringLiteral("second"));
    }

    void getHistorySkipsAutoCompleteRows()
    {
        addSale("A1", "Blue widget");
        const qint64 task = addHistory("A1", 45002.5, "Sent", "ActionId=7");
        addHistory("A1", 45003.5, "Completed", "[AUTOCOMPLETE]");
        for (const QString& sale : {QStringLiteral("A1"), QString()}) {
            QVERIFY(db().GetHistory(sale));
            QCOMPARE(ctx().gUndoAutonumber, task);
            QCOMPARE(ctx().gUndoChanged, QStringLiteral("ActionId=7"));
        }
    }

    void getHistoryWithNothingToUndo_data()
    {
        QTest::addColumn<QString>("sale");
        QTest::addColumn<bool>("autoCompleteRow");
        QTest::addColumn<bool>("otherSaleRow");
        QTest::newRow("no history at all") << "A1" << false << false;
        QTest::newRow("no history at all, all sales") << "" << false << false;
        QTest::newRow("only an [AUTOCOMPLETE] row") << "A1" << true << false;
        QTest::newRow("only an [AUTOCOMPLETE] row, all sales") << "" << true << false;
        QTest::newRow("only another sale has history") << "A1" << true << true;
    }
    void getHistoryWithNothingToUndo()
    {
        QFETCH(QString, sale);
        QFETCH(bool, autoCompleteRow);
        QFETCH(bool, otherSaleRow);
        addSale("A1", "Blue widget");
        addSale("B2", "Red widget");
        if (autoCompleteRow) addHistory("A1", 45003.5, "Completed", "[AUTOCOMPLETE]");
        if (otherSaleRow) addHistory("B2", 45003.5, "Sent", "ActionId=7");
        ctx().gUndoAuctionId = "untouched";

        env->messages().answer(vbmsg::OK, "Nothing to undo!");
        QVERIFY(!db().GetHistory(sale));
        QCOMPARE(env->messages().prompts().at(0).style, int(vbmsg::Information));
        QCOMPARE(ctx().gUndoAuctionId, QStringLiteral("untouched"));
    }

    // One row chosen by its key, older than others of the sale: only it is undone.
    void selectHistoryTakesTheRowByItsKey()
    {
        addSale("A1", "Blue widget");
        const qint64 completed = addHistory("A1", 45002.5, "Completed", "ActionId=2,DateNextAction=45000");
        const qint64 note = addHistory("A1", 45003.5, "A note", "[NOTHING]");
        exec("UPDATE Auction SET ActionId=15 WHERE AuctionId='A1'");
        QVERIFY(db().SelectHistory(completed));
        QCOMPARE(ctx().gUndoAuctionId, QStringLiteral("A1"));
        QCOMPARE(ctx().gUndoAuctionDesc, QStringLiteral("Blue widget"));
        QCOMPARE(ctx().gUndoDescription, QStringLiteral("Completed"));
        QCOMPARE(ctx().gUndoChanged, QStringLiteral("ActionId=2,DateNextAction=45000"));
        QVERIFY(db().PerformUndo());
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='A1'").toInt(), 2);
        QVERIFY(!historyRowExists(completed));
        QVERIFY(historyRowExists(note));

        // A key no row has: nothing said, the selection kept.
        QVERIFY(!db().SelectHistory(completed));
        QCOMPARE(ctx().gUndoAutonumber, completed);
    }

    // ---- PerformUndo: recipes -----------------------------------------------

    void undoRestoresTheRecipe_data()
    {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QVariantMap>("expected");  // column -> value (invalid = Null)
        const QVariant null;
        const double march = marchAfternoon();
        QTest::newRow("step back, due date cleared")
            << "ActionId=4,DateNextAction=Null" << QVariantMap{{"ActionId", 4}, {"dateNextAction", null}};
        QTest::newRow("payment cleared: empty date and Null text")
            << "DatePaid=,PayId=Null" << QVariantMap{{"datePaid", null}, {"PayId", null}};
        QTest::newRow("date as a serial") << "DatePaid=46000.25" << QVariantMap{{"datePaid", 46000.25}};
        QTest::newRow("date as ISO text") << "DatePaid=2024-03-05T14:07:09" << QVariantMap{{"datePaid", march}};
        QTest::newRow("date as the program writes it") << "DatePaid=5/03/2024 2:07:09 PM" << QVariantMap{{"datePaid", march}};
        QTest::newRow("Yes/No values") << "HasBids=True,Bold=False" << QVariantMap{{"HasBids", 1}, {"Bold", 0}};
        QTest::newRow("Yes/No Null and empty are No") << "HasBids=Null,Bold=" << QVariantMap{{"HasBids", 0}, {"Bold", 0}};
        QTest::newRow("Yes/No in other spellings") << "HasBids=-1,Bold=NULL" << QVariantMap{{"HasBids", 1}, {"Bold", 0}};
        QTest::newRow("text holding a comma and a pair, as written now")
            << "Notes=Left at the gate,, ActionId=15,ActionId=4" << QVariantMap{{"Notes", "Left at the gate, ActionId=15"}, {"ActionId", 4}};
        QTest::newRow("text holding '='") << "Notes=a=b=c" << QVariantMap{{"Notes", "a=b=c"}};
        QTest::newRow("text ending in a comma") << "Notes=gate,,,ActionId=4" << QVariantMap{{"Notes", "gate,"}, {"ActionId", 4}};
        QTest::newRow("empty text") << "TrackingNumber=,ActionId=4" << QVariantMap{{"TrackingNumber", ""}, {"ActionId", 4}};
        QTest::newRow("text value") << "Notes=Left at the gate" << QVariantMap{{"Notes", "Left at the gate"}};
        QTest::newRow("text with an apostrophe") << "Notes=Buyer's note" << QVariantMap{{"Notes", "Buyer's note"}};
        QTest::newRow("money value") << "Winningbid=12.5" << QVariantMap{{"Winningbid", 12.5}};
        QTest::newRow("column names in any letter case")
            << "ACTIONID=4,datenextaction=Null,pAYiD=CASH" << QVariantMap{{"ActionId", 4}, {"dateNextAction", null}, {"PayId", "CASH"}};
    }
    void undoRestoresTheRecipe()
    {
        QFETCH(QString, recipe);
        QFETCH(QVariantMap, expected);
        addSale("A1", "Blue widget");
        addSale("B2", "Red widget");
        const qint64 older = addHistory("A1", 45001.5, "Won", "ActionId=1");
        const qint64 undone = addHistory("A1", 45002.5, "The task", recipe);
        const qint64 other = addHistory("B2", 45000.5, "Other sale", "ActionId=1");
        const QVariantList otherSale = saleRow("B2");

        QVERIFY(db().GetHistory("A1"));
        QCOMPARE(ctx().gUndoAutonumber, undone);
        QVERIFY(db().PerformUndo());

        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QVariant actual = scalar(QStringLiteral("SELECT %1 FROM Auction WHERE AuctionId='A1'").arg(it.key()));
            const QString why = mismatch(actual, it.value());
            QVERIFY2(why.isEmpty(), qPrintable(it.key() + QStringLiteral(": ") + why));
        }
        QCOMPARE(scalar("SELECT Description FROM Auction WHERE AuctionId='A1'").toString(), QStringLiteral("Blue widget"));
        QCOMPARE(saleRow("B2"), otherSale);
        QCOMPARE(widgetStock(), 3);
        QVERIFY(!historyRowExists(undone));
        QVERIFY(historyRowExists(older));
        QVERIFY(historyRowExists(other));
        QCOMPARE(ctx().gUndoSelectedAuctionId, QStringLiteral("A1"));
    }

    void undoPutsItemsBackInStock_data()
    {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QVariant>("stockBefore");  // invalid = Null
        QTest::addColumn<QVariant>("stock");
        QTest::addColumn<int>("step");
        QTest::newRow("stock alone") << "[STOCK]=WIDGET" << QVariant(3) << QVariant(4) << 7;
        QTest::newRow("stock with a step") << "ActionId=1,[STOCK]=WIDGET" << QVariant(3) << QVariant(4) << 1;
        QTest::newRow("stock first, then a step") << "[STOCK]=WIDGET,ActionId=1" << QVariant(3) << QVariant(4) << 1;
        QTest::newRow("an item that is gone") << "[STOCK]=ABC" << QVariant(3) << QVariant(3) << 7;
        QTest::newRow("a stock nobody counts stays so") << "[STOCK]=WIDGET" << QVariant() << QVariant() << 7;
        QTest::newRow("an item code holding a comma") << "[STOCK]=WID,,GET,ActionId=1" << QVariant(3) << QVariant(3) << 1;
    }
    void undoPutsItemsBackInStock()
    {
        QFETCH(QString, recipe);
        QFETCH(QVariant, stockBefore);
        QFETCH(QVariant, stock);
        QFETCH(int, step);
        addSale("A1", "Blue widget");
        exec("UPDATE Item SET Stock=? WHERE ItemId='WIDGET'", {stockBefore});
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock) VALUES ('WID,GET', 'Odd code', 1, 5)");
        const qint64 undone = addHistory("A1", 45002.5, "Listed", recipe);
        QVERIFY(db().GetHistory("A1"));
        QVERIFY(db().PerformUndo());
        const QVariant now = scalar("SELECT Stock FROM Item WHERE ItemId='WIDGET'");
        QCOMPARE(now.isNull(), !stock.isValid());
        if (stock.isValid()) QCOMPARE(now.toInt(), stock.toInt());
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='WID,GET'").toInt(), recipe.contains("WID,,GET") ? 6 : 5);
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='MISC'").toInt(), 0);
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='A1'").toInt(), step);
        QVERIFY(!historyRowExists(undone));
        QCOMPARE(ctx().gUndoSelectedAuctionId, QStringLiteral("A1"));
    }

    // The recipe text: what the writer writes reads back whole, and recipes
    // written before values were escaped read as they always did.
    void recipesReadBackWhole_data()
    {
        QTest::addColumn<QStringList>("pairs");  // name, value, name, value, ...
        QTest::newRow("plain") << QStringList{"ActionId", "4", "DateNextAction", "Null"};
        QTest::newRow("empty values") << QStringList{"DatePaid", "", "TrackingNumber", "", "PayId", "Null"};
        QTest::newRow("a comma") << QStringList{"[STOCK]", "BOX,ActionId=15", "CustomerId", "Null"};
        QTest::newRow("commas at the ends") << QStringList{"Notes", ",gate,", "ActionId", "4"};
        QTest::newRow("commas only") << QStringList{"Notes", ",", "Bold", ",,,"};
        QTest::newRow("'=' signs") << QStringList{"Notes", "=a=b=", "ActionId", "4"};
        QTest::newRow("the last value ends in a comma") << QStringList{"ActionId", "4", "Notes", "x,"};
    }
    void recipesReadBackWhole()
    {
        QFETCH(QStringList, pairs);
        UndoRecipe recipe;
        QList<UndoRecipe::Pair> expected;
        for (int i = 0; i + 1 < pairs.size(); i += 2) {
            recipe.add(pairs[i], pairs[i + 1]);
            expected.append({pairs[i], pairs[i + 1]});
        }
        QList<UndoRecipe::Pair> read;
        QVERIFY(UndoRecipe::Parse(recipe.text(), &read));
        QCOMPARE(read.size(), expected.size());
        for (int i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].Name, expected[i].Name);
            QCOMPARE(read[i].Value, expected[i].Value);
        }
    }

    void storedRecipesReadAsBefore_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("pairs");
        QTest::newRow("a task") << "ActionId=4,DateNextAction=45000.25" << QStringList{"ActionId", "4", "DateNextAction", "45000.25"};
        QTest::newRow("a dispatch") << "ActionId=11,DateNextAction=45000,DateSent=Null,TrackingNumber=Null,[STOCK]=SHIRT"
                                    << QStringList{"ActionId", "11", "DateNextAction", "45000", "DateSent", "Null", "TrackingNumber", "Null",
                                                   "[STOCK]", "SHIRT"};
        QTest::newRow("an empty value") << "DatePaid=,PayId=Null" << QStringList{"DatePaid", "", "PayId", "Null"};
        QTest::newRow("a date as text") << "DateNextAction=5/03/2024 2:07:09 PM" << QStringList{"DateNextAction", "5/03/2024 2:07:09 PM"};
        QTest::newRow("an '=' in a value") << "Notes=a=b" << QStringList{"Notes", "a=b"};
        QTest::newRow("a trailing comma") << "ActionId=4," << QStringList{"ActionId", "4"};
        QTest::newRow("nothing") << "" << QStringList{};
    }
    void storedRecipesReadAsBefore()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, pairs);
        QList<UndoRecipe::Pair> read;
        QVERIFY(UndoRecipe::Parse(stored, &read));
        QStringList flat;
        for (const UndoRecipe::Pair& p : read) flat << p.Name << p.Value;
        QCOMPARE(flat, pairs);
    }

    void undoOfNothingRemovesOnlyItsRow()
    {
        addSale("A1", "Blue widget");
        addSale("B2", "Red widget");
        const qint64 created = addHistory("A1", 45000.5, "Created", "[DELETE]");
        const qint64 undone = addHistory("A1", 45002.5, "Email sent", "[NOTHING]");
        const qint64 other = addHistory("B2", 45001.5, "Completed", "[AUTOCOMPLETE]");
        const QVariantList before = saleRow("A1");

        QVERIFY(db().GetHistory("A1"));
        QCOMPARE(ctx().gUndoAutonumber, undone);
        QVERIFY(db().PerformUndo());
        QCOMPARE(saleRow("A1"), before);
        QCOMPARE(widgetStock(), 3);
        QVERIFY(!historyRowExists(undone));
        QVERIFY(historyRowExists(created));
        QVERIFY(historyRowExists(other));
        QCOMPARE(historyRows(), 2);
        QCOMPARE(ctx().gUndoSelectedAuctionId, QStringLiteral("A1"));
    }

    void undoOfACompletedSaleReopensIt()
    {
        addSale("A1", "Blue widget");
        addSale("B2", "Red widget");
        const qint64 created = addHistory("A1", 45000.5, "Created", "[DELETE]");
        const qint64 sent = addHistory("A1", 45002.5, "Sent", "ActionId=7");
        const qint64 completed = addHistory("A1", 45003.5, "Completed", "[AUTOCOMPLETE]");
        const qint64 otherCompleted = addHistory("B2", 45003.5, "Completed", "[AUTOCOMPLETE]");
        exec("UPDATE Auction SET ActionId=9 WHERE AuctionId='A1'");

        QVERIFY(db().GetHistory("A1"));
        QCOMPARE(ctx().gUndoAutonumber, sent);
        QVERIFY(db().PerformUndo());
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='A1'").toInt(), 7);
        QVERIFY(!historyRowExists(sent));
        QVERIFY(!historyRowExists(completed));
        QVERIFY(historyRowExists(created));
        QVERIFY(historyRowExists(otherCompleted));
    }

    void undoOfACreationDeletesTheSale_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes deletes") << int(vbmsg::Yes);
        QTest::newRow("No keeps") << int(vbmsg::No);
    }
    void undoOfACreationDeletesTheSale()
    {
        QFETCH(int, answer);
        addSale("A1", "Blue widget");
        addSale("B2", "Red widget");
        const qint64 created = addHistory("A1", 45002.5, "Created", "[DELETE]");
        const qint64 other = addHistory("B2", 45000.5, "Created", "[DELETE]");
        ctx().gUndoSelectedAuctionId = "before";

        QVERIFY(db().GetHistory("A1"));
        env->messages().answer(answer, "Warning! This action will permanantly delete Auction number A1");
        const bool undone = db().PerformUndo();
        QCOMPARE(env->messages().prompts().at(0).style, int(vbmsg::YesNo + vbmsg::Exclamation));
        QVERIFY(saleExists("B2"));
        QVERIFY(historyRowExists(other));
        QCOMPARE(widgetStock(), 3);
        if (answer == vbmsg::Yes) {
            QVERIFY(undone);
            QVERIFY(!saleExists("A1"));
            QVERIFY(!historyRowExists(created));
            QCOMPARE(ctx().gUndoSelectedAuctionId, QStringLiteral("A1"));
        } else {
            QVERIFY(!undone);
            QVERIFY(saleExists("A1"));
            QVERIFY(historyRowExists(created));
        }
    }

    // ---- PerformUndo: failures ------------------------------------------------

    // A recipe that does not fit the sale undoes nothing at all and says why.
    void undoThatCannotApplyChangesNothing_data()
    {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QString>("column");  // named in the message
        QTest::newRow("column that does not exist") << "Colour=Red" << "colour";
        QTest::newRow("column that does not exist after a good pair") << "ActionId=4,Colour=Red" << "colour";
        QTest::newRow("number that does not convert") << "ActionId=abc" << "actionid";
        QTest::newRow("bad pair after a stock pair") << "[STOCK]=WIDGET,ActionId=abc" << "actionid";
        QTest::newRow("bad pair after good pairs") << "[STOCK]=WIDGET,DatePaid=,PayId=Null,ActionId=abc" << "actionid";
        QTest::newRow("date that does not exist") << "DatePaid=31/02/2024" << "datepaid";
        QTest::newRow("date that is not a date") << "DatePaid=soon" << "datepaid";
        // "maybe" is no truth value and is refused like "ActionId=abc".
        QTest::newRow("Yes/No that is not a truth value") << "HasBids=maybe" << "hasbids";
        QTest::newRow("a part that is not a pair") << "ActionId=4,Colour" << "colour";
    }
    void undoThatCannotApplyChangesNothing()
    {
        QFETCH(QString, recipe);
        QFETCH(QString, column);
        addSale("A1", "Blue widget");
        exec("UPDATE Auction SET HasBids=1 WHERE AuctionId='A1'");
        const qint64 undone = addHistory("A1", 45002.5, "The task", recipe);
        const QVariantList before = saleRow("A1");

        QVERIFY(db().GetHistory("A1"));
        env->messages().answer(vbmsg::OK);
        const bool done = db().PerformUndo();
        if (done) env->messages().clear();  // one failure is enough
        QVERIFY(!done);
        QCOMPARE(env->messages().pending(), 0);
        const auto& p = env->messages().prompts().at(0);
        QVERIFY2(p.text.contains(column, Qt::CaseInsensitive), qPrintable(p.text));
        QCOMPARE(saleRow("A1"), before);
        QCOMPARE(widgetStock(), 3);
        QVERIFY(historyRowExists(undone));
        QCOMPARE(historyRows(), 1);
    }

    void undoOfASaleNoLongerThere()
    {
        addSale("A1", "Blue widget");
        const qint64 row = addHistory("GONE", 45002.5, "Sent", "ActionId=4,[STOCK]=WIDGET");
        // The sale was deleted after the row was selected.
        ctx().gUndoAuctionId = "GONE";
        ctx().gUndoDescription = "Sent";
        ctx().gUndoChanged = "ActionId=4,[STOCK]=WIDGET";
        ctx().gUndoAutonumber = row;

        env->messages().answer(vbmsg::OK, "GONE");
        QVERIFY(!db().PerformUndo());
        QVERIFY(historyRowExists(row));
        QCOMPARE(widgetStock(), 3);
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='A1'").toInt(), 7);
    }
};

VENDARO_TEST_MAIN(tst_history)
#include "tst_history.moc"
