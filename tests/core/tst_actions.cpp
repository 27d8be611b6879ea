#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "email/clsEmails.h"
#include "platform/FormsRegistry.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QClipboard>
#include <QGuiApplication>

#include <optional>

using DoneOptions = clsActions::DoneOptions;

namespace {
// Bits of the options column of the DoneAction table.
enum Flag { Ended = 1, Sold = 2, Skipped = 4, Paid = 8, PickedUp = 16, NonAuction = 32, NoAddress = 64, UseStock = 128, NullDue = 256 };
}  // namespace

class tst_actions : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow window;

    ProgramContext& ctx() { return ProgramContext::current(); }
    clsActions& actions() { return *ctx().gActions; }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    // A sale at a step, of item SHIRT (stock 10), due 45000.
    void addSale(const QString& id, int step, int flags = 0)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateNextAction, DeliveryAddress, NonAuction, CustomerId) "
             "VALUES (?, 'SHIRT', 'Men''s shirt', ?, ?, ?, ?, 'ann')",
             {id, step, flags & NullDue ? QVariant() : QVariant(45000.0), flags & NoAddress ? QVariant() : QVariant("1 Main Rd"),
              bool(flags & NonAuction)});
        exec("UPDATE Item SET UseStock=?, Stock=10 WHERE ItemId='SHIRT'", {bool(flags & UseStock)});
    }
    QStringList historyTexts(const QString& id)
    {
        QStringList texts;
        Recordset rs;
        rs.Open("SELECT Description FROM History WHERE AuctionId=? ORDER BY \"Date\", Autonumber", &conn(), Recordset::adOpenStatic,
                Recordset::adLockReadOnly, {id});
        for (; !rs.isEOF(); rs.MoveNext()) texts << rs.text("Description");
        return texts;
    }

private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gMainWindow = &window;
        window = RecordingMainWindow();
        // Distinct day counts, so each due date tells which step set it.
        exec("UPDATE [Action] SET Days = ActionId + 20 WHERE ActionId <= 16");
        actions().LoadActionsFromDatabase();
        exec("INSERT INTO Item (ItemId, Description) VALUES ('SHIRT', 'Men''s shirt')");
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    void stepTable()
    {
        QCOMPARE(actions().Count(), 18);
        actions().LoadActionsFromDatabase();  // loading twice keeps one copy
        QCOMPARE(actions().Count(), 18);
        QCOMPARE(actions().ActionId(7), 7);
        QCOMPARE(actions().Description(15), QStringLiteral("Completed"));
        QCOMPARE(actions().NextActionId(14), 15);
        QCOMPARE(actions().NumDays(2), 22);
        // Never past the loaded rows.
        for (int outside : {0, -1, 19, 1000}) {
            QCOMPARE(actions().ActionId(outside), 0);
            QCOMPARE(actions().Description(outside), QString());
            QCOMPARE(actions().NextActionId(outside), 0);
            QCOMPARE(actions().NumDays(outside), 0);
        }
    }

    void lookupByDescription_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("id");
        QTest::newRow("exact") << "Paid" << 7;
        QTest::newRow("other case is not found") << "paid" << 0;
        QTest::newRow("e-mail kind 17 is not a step") << "General email" << 0;
        QTest::newRow("e-mail kind 18 is not a step") << "Custom email" << 0;
        QTest::newRow("a duplicate gives the lower id") << "Send item" << 5;
    }
    void lookupByDescription()
    {
        QFETCH(QString, description);
        QFETCH(int, id);
        exec("UPDATE [Action] SET Description='Send item' WHERE ActionId=5");
        actions().LoadActionsFromDatabase();
        if (id == 0) env->messages().answer(vbmsg::OK, "Action description '" + description + "' not found?");
        QCOMPARE(actions().GetActionId_UsingDescription(description), id);
        if (id == 0) QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
    }

    void saveStepOfTheChain()
    {
        actions().SaveActionsToDatabase(2, "Request a refund", 6);
        QCOMPARE(actions().NextActionId(2), 8);
        QCOMPARE(actions().NumDays(2), 6);
        QCOMPARE(scalar("SELECT NextActionId || '/' || Days FROM [Action] WHERE ActionId=2").toString(), QStringLiteral("8/6"));
        // An unknown description changes nothing, in memory or in the table.
        env->messages().answer(vbmsg::OK, "not found?");
        actions().SaveActionsToDatabase(2, "request a refund", 9);
        QCOMPARE(actions().NumDays(2), 6);
        QCOMPARE(scalar("SELECT Days FROM [Action] WHERE ActionId=2").toInt(), 6);
    }

    void doneAction_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("newStep");
        QTest::addColumn<int>("dueDays");  // from today
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QStringList>("history");
        const QString old = "ActionId=%1,DateNextAction=45000";
        QTest::newRow("ended and sold") << 1 << (Ended | Sold) << 2 << 21 << old.arg(1) + ",CustomerId=Null"
                                        << QStringList{"Auction ended successfully"};
        QTest::newRow("ended unsold goes to relist") << 1 << int(Ended) << 16 << 21 << old.arg(1)
                                                     << QStringList{"Auction ended - No bids"};
        QTest::newRow("paid at step 4 counts as step 7") << 4 << int(Paid) << 10 << 27 << old.arg(4)
                                                         << QStringList{"Payment received"};
        QTest::newRow("skipped") << 4 << int(Skipped) << 5 << 24 << old.arg(4)
                                 << QStringList{"SKIPPED TASK: Payment reminder email (1)"};
        QTest::newRow("next step 15 completes") << 14 << 0 << 15 << 0 << old.arg(14)
                                                << QStringList{"Sent thankyou email", "Completed"};
        QTest::newRow("not an auction skips positive feedback") << 12 << int(NonAuction) << 14 << 33 << old.arg(12)
                                                                  << QStringList{"Sent Shipped confirmation email"};
        QTest::newRow("shipped, stock tracked") << 11 << int(UseStock) << 12 << 31
                                                << old.arg(11) + ",DateSent=Null,TrackingNumber=,[STOCK]=SHIRT"
                                                << QStringList{"Item shipped (tracking number NZ123)"};
        QTest::newRow("shipped, stock not tracked") << 11 << 0 << 12 << 31 << old.arg(11) + ",DateSent=Null,TrackingNumber="
                                                    << QStringList{"Item shipped (tracking number NZ123)"};
        QTest::newRow("skipping dispatch does no shipping") << 11 << (Skipped | UseStock) << 12 << 31 << old.arg(11)
                                                            << QStringList{"SKIPPED TASK: Send item"};
        QTest::newRow("no due date") << 3 << int(NullDue) << 15 << 0 << "ActionId=3,DateNextAction=Null"
                                     << QStringList{"Sent 3 day reminder", "Completed"};
    }
    void doneAction()
    {
        QFETCH(int, step);
        QFETCH(int, flags);
        QFETCH(int, newStep);
        QFETCH(int, dueDays);
        QFETCH(QString, recipe);
        QFETCH(QStringList, history);
        addSale("100", step, flags);
        DoneOptions o;
        o.AuctionEnded = flags & Ended;
        o.AuctionSold = flags & Sold;
        o.Skipped = flags & Skipped;
        o.AuctionPaid = flags & Paid;
        o.TrackingNumber = "NZ123";
        QVERIFY(actions().DoneAction("100", o));

        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='100'").toInt(), newStep);
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='100'").toDouble(), vb::today() + dueDays);
        QCOMPARE(historyTexts("100"), history);
        QCOMPARE(scalar("SELECT Changed FROM History WHERE AuctionId='100' ORDER BY Autonumber LIMIT 1").toString(), recipe);
        if (history.size() == 2)
            QCOMPARE(scalar("SELECT Changed FROM History WHERE AuctionId='100' ORDER BY Autonumber DESC LIMIT 1").toString(),
                     QStringLiteral("[AUTOCOMPLETE]"));
        const bool shipped = step == 11 && !(flags & Skipped);
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'").toInt(), shipped && (flags & UseStock) ? 9 : 10);
        QCOMPARE(scalar("SELECT DateSent FROM Auction WHERE AuctionId='100'").isNull(), !shipped);
        if (shipped) QCOMPARE(o.DateShipped, vb::today());  // given back to the caller

        // The change log holds the new step and the newest History date.
        const QList<clsDataLog>& log = ctx().gDatabase->PendingLog();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0].FieldId, QStringLiteral("ActionId"));
        QCOMPARE(log[0].FieldValue.toInt(), newStep);
        QCOMPARE(log[1].FieldType, QStringLiteral("date"));
        QVERIFY(ctx().gDatabase->CheckLog());
        QCOMPARE(window.refreshed, QStringList{"100"});  // one refresh per sale and tick
    }

    // The decision alone, from what was read of the sale: what a dispatch
    // writes into its recipe and whether it must ask first.
    void planOfADispatch_data()
    {
        QTest::addColumn<QString>("itemId");
        QTest::addColumn<bool>("stockCounted");
        QTest::addColumn<bool>("hasAddress");
        QTest::addColumn<bool>("pickedUp");
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<QString>("history");
        const QString head = "ActionId=11,DateNextAction=45000.5,DateSent=Null,TrackingNumber=";
        QTest::newRow("stock counted") << "SHIRT" << true << true << false << head + ",[STOCK]=SHIRT" << false << "Item shipped";
        QTest::newRow("item code with a comma") << "BOX,ActionId=15" << true << true << false << head + ",[STOCK]=BOX,,ActionId=15" << false
                                                << "Item shipped";
        QTest::newRow("stock not counted") << "SHIRT" << false << true << false << head << false << "Item shipped";
        QTest::newRow("no address: asks") << "SHIRT" << true << false << false << head + ",[STOCK]=SHIRT" << true << "Item shipped";
        QTest::newRow("no address, collected") << "SHIRT" << true << false << true << head + ",[STOCK]=SHIRT" << false
                                               << "Item picked up by buyer";
    }
    void planOfADispatch()
    {
        QFETCH(QString, itemId);
        QFETCH(bool, stockCounted);
        QFETCH(bool, hasAddress);
        QFETCH(bool, pickedUp);
        QFETCH(QString, recipe);
        QFETCH(bool, asks);
        QFETCH(QString, history);
        clsActions::DoneSale sale;
        sale.ActionId = 11;
        sale.DateNextAction = 45000.5;
        sale.ItemId = itemId;
        sale.UseStock = true;
        sale.StockCounted = stockCounted;
        sale.HasDeliveryAddress = hasAddress;
        DoneOptions o;
        o.BuyerPickedUp = pickedUp;
        const clsActions::DonePlan plan = actions().PlanDone("100", sale, o, 46000);
        QCOMPARE(plan.Refusal, QString());
        QCOMPARE(plan.Recipe, recipe);
        QCOMPARE(plan.AskPickedUp, asks);
        QCOMPARE(plan.TakeStock, stockCounted);
        QVERIFY(plan.Ship);
        QCOMPARE(plan.NewStep, 12);
        QCOMPARE(plan.Due, 46000.0 + 31);
        QCOMPARE(plan.HistoryText, history);
    }

    // A sale that cannot be moved on is left exactly as it was, and the
    // seller is told why (naming the sale and the step), except for a sale
    // that is not there at all.
    void doneActionRefusals_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("change");  // run before the task is done
        QTest::addColumn<bool>("skipped");
        QTest::addColumn<QString>("message");  // "" = none
        QTest::addColumn<int>("style");
        const int info = vbmsg::Information, warn = vbmsg::Exclamation;
        QTest::newRow("a running listing") << 1 << 0 << "" << false << "If this auction has ended click 'Do Task' on the toolbar." << info;
        QTest::newRow("no such sale") << 4 << 0 << "DELETE FROM Auction WHERE AuctionId='100'" << false << "" << 0;
        const QString notListed = "Auction 100 cannot be moved on: its item code \"%1\" is not in the item list.";
        QTest::newRow("item not in the item list") << 4 << 0 << "UPDATE Auction SET ItemId='GONE' WHERE AuctionId='100'" << false
                                                  << notListed.arg("GONE") << warn;
        QTest::newRow("item not in the item list, skipped") << 4 << 0 << "UPDATE Auction SET ItemId='GONE' WHERE AuctionId='100'" << true
                                                           << notListed.arg("GONE") << warn;
        QTest::newRow("item deleted") << 11 << int(UseStock) << "DELETE FROM Item WHERE ItemId='SHIRT'" << false
                                      << notListed.arg("SHIRT") << warn;
        QTest::newRow("no item code") << 4 << 0 << "UPDATE Auction SET ItemId=NULL WHERE AuctionId='100'" << true
                                      << "Auction 100 cannot be moved on: it has no item code." << warn;
        const QString noNext = "Auction 100 cannot be moved on: task 4 \"Payment reminder email (1)\" has no next task.";
        QTest::newRow("next task empty") << 4 << 0 << "UPDATE [Action] SET NextActionId=NULL WHERE ActionId=4" << false << noNext << warn;
        QTest::newRow("next task 0, skipped") << 4 << 0 << "UPDATE [Action] SET NextActionId=0 WHERE ActionId=4" << true << noNext << warn;
        QTest::newRow("next task not in the task list")
            << 11 << (UseStock | NoAddress) << "UPDATE [Action] SET NextActionId=99 WHERE ActionId=11" << false
            << "Auction 100 cannot be moved on: task 11 \"Send item\" is followed by task 99, which is not in the task list." << warn;
        QTest::newRow("not an auction: the task after 13 is missing")
            << 12 << int(NonAuction) << "UPDATE [Action] SET NextActionId=40 WHERE ActionId=13" << false
            << "Auction 100 cannot be moved on: task 13 \"Leave positive feedback\" is followed by task 40, which is not in the task list."
            << warn;
        QTest::newRow("the sale's own task is not in the task list")
            << 99 << 0 << "" << false << "Auction 100 cannot be moved on: its task 99 is not in the task list." << warn;
        QTest::newRow("the sale has no task") << 4 << 0 << "UPDATE Auction SET ActionId=NULL WHERE AuctionId='100'" << true
                                              << "Auction 100 cannot be moved on: its task 0 is not in the task list." << warn;
    }
    void doneActionRefusals()
    {
        QFETCH(int, step);
        QFETCH(int, flags);
        QFETCH(QString, change);
        QFETCH(bool, skipped);
        QFETCH(QString, message);
        QFETCH(int, style);
        addSale("100", step, flags);
        if (!change.isEmpty()) exec(change);
        actions().LoadActionsFromDatabase();
        const QString sale = "SELECT ActionId || '/' || DateNextAction || '/' || coalesce(DateSent, '-') FROM Auction WHERE AuctionId='100'";
        const QVariant before = scalar(sale);
        const QVariant stock = scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'");
        if (!message.isEmpty()) env->messages().answer(vbmsg::OK, message);

        DoneOptions o;
        o.Skipped = skipped;
        QVERIFY(!actions().DoneAction("100", o));
        if (!message.isEmpty()) {
            QCOMPARE(env->messages().prompts().size(), 1);  // no question before the refusal
            QCOMPARE(env->messages().prompts()[0].text, message);
            QCOMPARE(env->messages().prompts()[0].style, style);
        }
        QCOMPARE(scalar(sale), before);
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'"), stock);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
    }

    // Another program reads the file while a task is saved: the save fails
    // as a whole and says so, naming the sale; once the file is free the next
    // save works, and after a reopen the file holds what the program said.
    void savesWhileAnotherProgramReads_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("task done") << "done" << "The task of auction 100 could not be saved";
        QTest::newRow("dispatch taking stock") << "dispatch" << "The task of auction 100 could not be saved";
        QTest::newRow("collected: the shipped e-mail skipped too") << "collected" << "The task of auction 100 could not be saved";
        QTest::newRow("marked completed") << "completed" << "Auction 100 could not be marked completed";
        QTest::newRow("undone") << "undo" << "The task could not be undone.";
    }
    void savesWhileAnotherProgramReads()
    {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        const int step = operation == "dispatch" || operation == "collected" ? 11 : 4;
        const int flags = UseStock | (operation == "collected" ? NoAddress : 0);
        addSale("100", step, flags);
        addSale("200", step, flags);
        exec("UPDATE Item SET Stock=10");
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES ('100', 45000, 'Earlier', 'ActionId=2'),"
             " ('200', 45000, 'Earlier', 'ActionId=2')");
        auto perform = [&](const QString& id) {
            if (operation == "completed") {
                actions().SetAuctionCompleted(id, 0, "Completed");
                return true;
            }
            if (operation == "undo") return ctx().gDatabase->GetHistory(id) && ctx().gDatabase->PerformUndo();
            DoneOptions o;
            o.BuyerPickedUp = operation == "collected";
            return actions().DoneAction(id, o);
        };
        const QString state = "SELECT ActionId || '/' || DateNextAction || '/' || coalesce(DateSent, '-') || '/' || "
                              "(SELECT COUNT(*) FROM History h WHERE h.AuctionId = a.AuctionId) FROM Auction a WHERE AuctionId=?";
        const QVariant untouched = scalar(state, {"100"});

        ReadLock::shortenWait(conn());
        {
            ReadLock reader(conn().path());
            QVERIFY(reader.held());
            env->messages().answer(vbmsg::OK, message);
            const bool done = perform("100");
            if (operation != "completed") QVERIFY(!done);
            QVERIFY2(!env->messages().prompts().isEmpty(), "the failure was not said");
            const ScriptedMessages::Prompt& said = env->messages().prompts().last();
            QVERIFY2(said.text.contains("locked"), qPrintable(said.text));  // the reason
            QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
            QVERIFY(!ReadLock::inTransaction(conn()));
        }
        QVERIFY(perform("200"));
        const QVariant saved = scalar(state, {"200"});
        QVERIFY(saved != untouched);
        const QString path = conn().path();
        modDatabase::CloseDatabase();
        QVERIFY(modDatabase::OpenDatabase(path, "shop.mdb", true, false));
        QCOMPARE(scalar(state, {"100"}), untouched);
        QCOMPARE(scalar(state, {"200"}), saved);
        const int stockTaken = operation == "dispatch" || operation == "collected" ? 1 : 0;
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'").toInt(), 10 - stockTaken);
    }

    // Undoing a dispatch puts the sale back at "Send item" and the unit back
    // in stock, whatever the item code holds; a stock nobody counts stays so.
    void dispatchUndoneRestoresTheSaleAndStock_data()
    {
        QTest::addColumn<QString>("itemId");
        QTest::addColumn<QVariant>("stock");  // invalid = Null
        QTest::newRow("plain item code") << "SHIRT" << QVariant(10);
        QTest::newRow("item code holding a comma and a pair") << "BOX,ActionId=15" << QVariant(10);
        QTest::newRow("item code holding '='") << "A=B" << QVariant(10);
        QTest::newRow("item code ending in a comma") << "BOX," << QVariant(10);
        QTest::newRow("item code of commas only") << ",," << QVariant(10);
        QTest::newRow("stock not counted") << "SHIRT" << QVariant();
        QTest::newRow("stock not counted, odd item code") << "X,[STOCK]=SHIRT" << QVariant();
    }
    void dispatchUndoneRestoresTheSaleAndStock()
    {
        QFETCH(QString, itemId);
        QFETCH(QVariant, stock);
        exec("INSERT OR IGNORE INTO Item (ItemId, Description) VALUES (?, 'Odd one')", {itemId});
        exec("UPDATE Item SET UseStock=1, Stock=? WHERE ItemId=?", {stock, itemId});
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock) VALUES ('OTHER', 'Bystander', 1, 7)");
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateNextAction, DeliveryAddress, TrackingNumber, CustomerId) "
             "VALUES ('100', ?, 'Odd one', 11, 45000, '1 Main Rd', '', 'ann')",
             {itemId});
        const QString sale = "SELECT ActionId || '/' || DateNextAction || '/' || coalesce(DateSent, '-') || '/' || "
                             "coalesce(CustomerId, '-') FROM Auction WHERE AuctionId='100'";
        const QVariant before = scalar(sale);
        auto stockNow = [&] { return scalar("SELECT Stock FROM Item WHERE ItemId=?", {itemId}); };

        DoneOptions o;
        QVERIFY(actions().DoneAction("100", o));
        QCOMPARE(stockNow(), stock.isValid() ? QVariant(qint64(9)) : QVariant());
        QVERIFY(ctx().gDatabase->GetHistory("100"));
        QVERIFY2(ctx().gDatabase->PerformUndo(), qPrintable(env->messages().texts().join('\n')));

        QCOMPARE(scalar(sale), before);
        QCOMPARE(stockNow(), stock.isValid() ? QVariant(qint64(10)) : QVariant());
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='OTHER'").toInt(), 7);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
    }

    void dispatchWithoutAddressDeclined()
    {
        addSale("100", 11, NoAddress | UseStock);
        env->messages()
            .answer(vbmsg::No, "No delivery address set - was this item picked up?")
            .answer(vbmsg::OK, "Update was cancelled - set the delivery address first.");
        DoneOptions o;
        QVERIFY(!actions().DoneAction("100", o));
        QCOMPARE(env->messages().prompts()[0].style, vbmsg::YesNo + vbmsg::Question);
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='100'").toInt(), 11);
        QVERIFY(scalar("SELECT DateSent FROM Auction WHERE AuctionId='100'").isNull());
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'").toInt(), 10);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
    }

    void dispatchPickedUpSkipsTheShippedEmail()
    {
        addSale("100", 11, NoAddress | UseStock);
        env->messages().answer(vbmsg::Yes, "was this item picked up?");
        DoneOptions o;
        QVERIFY(actions().DoneAction("100", o));
        QVERIFY(o.BuyerPickedUp);  // the answer comes back to the caller
        QCOMPARE(historyTexts("100"),
                 (QStringList{"Item picked up by buyer", "SKIPPED TASK: Shipped confirmation email (item was picked up)"}));
        // Two steps on: 11 -> 12 -> 13, due after step 12's days.
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='100'").toInt(), 13);
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='100'").toDouble(), vb::today() + 32);
        // Undoing the skip puts back the due date step 11 had set.
        QCOMPARE(scalar("SELECT Changed FROM History WHERE AuctionId='100' ORDER BY Autonumber DESC LIMIT 1").toString(),
                 QStringLiteral("ActionId=12,DateNextAction=%1").arg(vb::today() + 31));
        const double first = scalar("SELECT \"Date\" FROM History WHERE AuctionId='100' ORDER BY Autonumber LIMIT 1").toDouble();
        const double second = scalar("SELECT \"Date\" FROM History WHERE AuctionId='100' ORDER BY Autonumber DESC LIMIT 1").toDouble();
        QVERIFY(std::fabs((second - first) * 86400 - 3) < 0.01);
        QCOMPARE(scalar("SELECT Stock FROM Item WHERE ItemId='SHIRT'").toInt(), 9);
        // One log entry for the step, holding where the sale ended up.
        QCOMPARE(ctx().gDatabase->PendingLog()[0].FieldValue.toInt(), 13);
    }

    void completedInOrder()
    {
        addSale("100", 4);
        QList<qint64> rows;
        for (int seconds : {0, 1, 2}) rows << actions().SetAuctionCompleted("100", seconds, QStringLiteral("Closed %1").arg(seconds));
        // Each call gives the History row it wrote.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(scalar("SELECT Description FROM History WHERE Autonumber=?", {rows[i]}).toString(), QStringLiteral("Closed %1").arg(i));
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='100'").toInt(), 15);
        QCOMPARE(scalar("SELECT DateNextAction FROM Auction WHERE AuctionId='100'").toDouble(), vb::today());
        Recordset rs;
        rs.Open("SELECT Description, Changed FROM History ORDER BY \"Date\"", &conn());
        QStringList seen;
        for (; !rs.isEOF(); rs.MoveNext()) seen << rs.text("Description");
        QCOMPARE(seen, (QStringList{"Closed 0", "Closed 1", "Closed 2"}));
        QCOMPARE(scalar("SELECT Changed FROM History ORDER BY Autonumber LIMIT 1").toString(),
                 QStringLiteral("ActionId=4,DateNextAction=45000"));

        // A sale that does not exist: nothing at all.
        QCOMPARE(actions().SetAuctionCompleted("404", 0, "Closed"), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History WHERE AuctionId='404'").toInt(), 0);
        for (const clsDataLog& e : ctx().gDatabase->PendingLog()) QVERIFY(e.AuctionId != "404");
    }

    void doAction_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("form");     // a window opened, or ""
        QTest::addColumn<QString>("opened");   // a site page opened, or ""
        QTest::addColumn<QString>("message");  // a message shown, or ""
        const QString site = "https://www.trademe.co.nz";
        QTest::newRow("1 end of auction") << 1 << "frmAuctionEnded" << "" << "";
        for (int step : {2, 4, 5, 6, 10, 12, 14, 17, 18})
            QTest::addRow("%d e-mail", step) << step << "frmEmailSingle" << "" << "";
        QTest::newRow("3 nothing to open") << 3 << "" << "" << "Can't do task!\r\n\r\nNo URL link assigned for this action.";
        QTest::newRow("7 payment") << 7 << "frmPaid" << "" << "";
        QTest::newRow("8 refund page") << 8 << "" << site + "/MyTradeMe/Refund.aspx?id=[AUCTIONNUMBER]" << "";
        QTest::newRow("9 auction page") << 9 << "" << site + "/Browse/Listing.aspx?id=[AUCTIONNUMBER]" << "";
        QTest::newRow("11 dispatch") << 11 << "frmSend" << "" << "";
        QTest::newRow("13 feedback") << 13 << "frmFeedbackSingle" << "" << "";
        QTest::newRow("15 complete") << 15 << "" << "" << "This item is complete.";
        QTest::newRow("16 relist") << 16 << "" << "[RELIST]" << "";
    }
    void doAction()
    {
        QFETCH(int, step);
        QFETCH(QString, form);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        qunsetenv("VENDARO_SITE_URL");
        ctx().gConfiguration.TradeMeEmail = "seller@example.co.nz";
        window.selectedItemId = "SHIRT";
        if (!form.isEmpty()) env->messages().answer(vbmsg::OK, FormsRegistry::notAvailableText(form));  // the window is not built yet: its stub says so
        if (!message.isEmpty()) env->messages().answer(vbmsg::OK, message);
        actions().DoAction("12345", step);

        QCOMPARE(window.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
        const auto& calls = FormsRegistry::instance().stubCalls();
        QCOMPARE(calls.size(), form.isEmpty() ? 0 : 1);
        if (!form.isEmpty()) {
            QCOMPARE(calls[0].form, form);
            QVERIFY(calls[0].modal);
            if (form == "frmEmailSingle") {
                QCOMPARE(calls[0].vars.value("mRemoteAuctionId").toString(), QStringLiteral("12345"));
                QCOMPARE(calls[0].vars.value("mRemoteActionId").toInt(), step);
                QCOMPARE(calls[0].vars.value("mRemoteItemId").toString(), QStringLiteral("SHIRT"));
                QCOMPARE(calls[0].vars.value("mRemoteUpdateNextAction").toBool(), true);
            } else {
                QCOMPARE(calls[0].vars.value(form == "frmFeedbackSingle" ? "mRemoteId" : "mAuctionId").toString(),
                         QStringLiteral("12345"));
            }
        }
        if (!message.isEmpty()) QCOMPARE(env->messages().prompts().last().style, int(vbmsg::Exclamation));
        if (step == 8) QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12345"));
    }

    void doActionEmailNeedsTheSellersAddress()
    {
        ctx().gConfiguration.TradeMeEmail.clear();
        env->messages().answer(vbmsg::OK, "You cannot send email until you set your email address under tools/options.");
        actions().DoAction("12345", 2);
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
    }

    // Every step done, then every step undone: the sales, their items' stock
    // and the History table are exactly as they were.
    void undoReversesAChainOfSteps()
    {
        modDatabase::CloseDatabase();
        DemoDataOptions options;
        options.sales = 120;
        options.items = 6;
        options.seed = 7;
        const QString path = DatabaseFixture::createFilled(env->programFolder(), options, "demo.mdb");
        QVERIFY(modDatabase::OpenDatabase(path, "demo.mdb", true, false));
        exec("UPDATE Item SET UseStock=1 WHERE ItemId IN ('ITEM001','ITEM002')");

        auto snapshot = [&] {
            QStringList rows;
            Recordset rs;
            rs.Open("SELECT * FROM Auction ORDER BY AuctionId", &conn());
            for (; !rs.isEOF(); rs.MoveNext()) {
                QStringList values;
                for (int i = 0; i < rs.FieldCount(); ++i) {
                    const QVariant v = rs.value(i);
                    // An undone dispatch clears the tracking number to Null.
                    values << (v.isNull() && rs.FieldName(i) == "TrackingNumber" ? QString() : v.isNull() ? "<null>" : v.toString());
                }
                rows << values.join('|');
            }
            rs.Open("SELECT ItemId || ':' || Stock FROM Item ORDER BY ItemId", &conn());
            for (; !rs.isEOF(); rs.MoveNext()) rows << rs.value(0).toString();
            rows << scalar("SELECT COUNT(*) || '/' || MAX(Autonumber) FROM History").toString();
            return rows;
        };
        const QStringList before = snapshot();

        Recordset sales;
        QVERIFY(sales.Open("SELECT AuctionId, ActionId FROM Auction WHERE ActionId < 15", &conn()));
        int undos = 0;
        QStringList moved;
        for (; !sales.isEOF(); sales.MoveNext()) {
            const QString id = sales.text("AuctionId");
            const qint64 lastBefore = scalar("SELECT MAX(Autonumber) FROM History").toLongLong();
            for (int k = 0; k < 4; ++k) {
                const int step = scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt();
                if (step >= 15) break;
                DoneOptions o;
                o.AuctionEnded = o.AuctionSold = step == 1;
                o.BuyerPickedUp = step == 11 && id.endsWith('7');  // some collected, some sent
                o.TrackingNumber = "NZ1";
                if (step == 11 && scalar("SELECT DeliveryAddress FROM Auction WHERE AuctionId=?", {id}).isNull() && !o.BuyerPickedUp)
                    env->messages().answer(vbmsg::Yes, "picked up?");
                QVERIFY2(actions().DoneAction(id, o), qPrintable(id));
            }
            undos = scalar("SELECT COUNT(*) FROM History WHERE AuctionId=? AND Autonumber>? AND Changed<>'[AUTOCOMPLETE]'",
                           {id, lastBefore})
                        .toInt();
            moved << id;
            for (int u = 0; u < undos; ++u) {
                QVERIFY(ctx().gDatabase->GetHistory(id));
                QVERIFY2(ctx().gDatabase->PerformUndo(), qPrintable(id + " " + ctx().gUndoChanged));
            }
        }
        QVERIFY(moved.size() > 30);
        const QStringList after = snapshot();
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < before.size() - 1; ++i) QCOMPARE(after[i], before[i]);
        QCOMPARE(after.last().section('/', 0, 0), before.last().section('/', 0, 0));  // the same number of History rows
    }
};

VENDARO_TEST_MAIN(tst_actions)
#include "tst_actions.moc"
