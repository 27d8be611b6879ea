#include "DatabaseFixture.h"
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

    void doneActionRefusals()
    {
        // A running listing is only finished once it is known to have ended.
        addSale("1", 1);
        env->messages().answer(vbmsg::OK, "If this auction has ended click 'Do Task' on the toolbar.");
        DoneOptions o;
        QVERIFY(!actions().DoneAction("1", o));
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Information));
        QCOMPARE(scalar("SELECT ActionId FROM Auction WHERE AuctionId='1'").toInt(), 1);

        // No such sale, or a sale whose item is missing: nothing happens, quietly.
        QVERIFY(!actions().DoneAction("404", o));
        exec("INSERT INTO Auction (AuctionId, ItemId, ActionId) VALUES ('2', 'GONE', 4)");
        QVERIFY(!actions().DoneAction("2", o));
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
        QVERIFY(ctx().gDatabase->PendingLog().isEmpty());
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
        for (int seconds : {0, 1, 2}) actions().SetAuctionCompleted("100", seconds, QStringLiteral("Closed %1").arg(seconds));
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
        actions().SetAuctionCompleted("404", 0, "Closed");
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
        QTest::newRow("7 nothing to open") << 7 << "" << "" << "Can't do task!";
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
