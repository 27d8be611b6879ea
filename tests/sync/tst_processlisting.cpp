// Processing a sold listing that ended before the system start: the questions
// along the task chain, the step written, and the completion undone.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "RecordingUpdateView.h"
#include "ScriptedMessages.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "sync/ListingProcessor.h"
#include "sync/ListingRecordsets.h"
#include "sync/UpdateSession.h"

#include <QRegularExpression>

#include <memory>
#include <optional>

using Outcome = ListingProcessor::Outcome;
Q_DECLARE_METATYPE(ListingProcessor::Outcome)

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Paid = QStringLiteral("Has the buyer paid for this item?");
const QString WinnerEmail = QStringLiteral("Has the buyer been sent a winning bidder email?");
const QString Refund = QStringLiteral("Have you requested a refund from TradeMe?");
const QString Feedback = QStringLiteral("Have you posted feedback for this buyer?");
const QString Relisted = QStringLiteral("Have you relisted this item?");
const QString ReceivedEmail = QStringLiteral("Have you sent a payment received email?");
const QString Shipped = QStringLiteral("Have you shipped this item?");
const QString ShippedEmail = QStringLiteral("Has a shipped confirmation email been sent?");
const QString PositiveFeedback = QStringLiteral("Have you placed feedback for this buyer?");
const QString ThankYou = QStringLiteral("Has a thank you email been sent?");
const QString Finished = QStringLiteral("Finished processing.");
const QString AllDone = QStringLiteral("You have done all tasks for this item.");
const QString BeforeStart = QStringLiteral("[This auction ended before the system start date]");

// A scripted answer: the text the prompt holds, and the button.
struct Step {
    QString expect;
    int answer;
};
}  // namespace
Q_DECLARE_METATYPE(QList<Step>)

class tst_processlisting : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow mainWindow;
    RecordingUpdateView view;
    std::unique_ptr<UpdateSession> session;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }
    Recordset& sold() { return *session->mListings[ListingRecordsets::Sold]; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }

    // A row of the sold export; returns its position in the Sold set.
    int addSoldRow(const QString& listing, const QString& buyer, bool newSale, bool beforeStart)
    {
        Recordset& rs = sold();
        rs.AddNew();
        rs.setValue("ItemId", "MISC");
        rs.setValue("UseStock", false);
        rs.setValue("BeforeSystemStart", beforeStart);
        rs.setValue("UpdateAuction", newSale);
        rs.setValue("listing_id", listing);
        rs.setValue("title", "Blue teapot");
        rs.setValue("start_date", vb::today() - 47);
        rs.setValue("sold_date", vb::today() - 40 + 0.5);
        rs.setValue("sold_type", "auction");
        rs.setValue("sale_price", 20.0);
        rs.setValue("start_price", 10.0);
        rs.setValue("selected_shipping", "5.00");
        rs.setValue("buyer_name", buyer);
        rs.setValue("buyer_delivery_address", "1 Main Street, Wellington");
        rs.Update();
        return rs.RecordCount() - 1;
    }
    // A listing that ended before the system start, saved as the window saves
    // it: completed, with its History rows. Returns its row in the Sold set.
    int savedBeforeStart(const QString& listing, const QString& buyer = QStringLiteral("ann"))
    {
        const int row = addSoldRow(listing, buyer, true, true);
        if (!session->SaveUpdates(false)) QTest::qFail("the save failed", __FILE__, __LINE__);
        return row;
    }
    // A sale put straight into the database.
    void addSale(const QString& id, const QString& buyer, int step)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, CustomerId, ActionId, DateNextAction) VALUES (?, 'MISC', 'Blue teapot', ?, ?, ?)",
             {id, buyer, step, vb::today() - 3});
    }
    int stepOf(const QString& id) { return scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }
    double dueOf(const QString& id) { return scalar("SELECT DateNextAction FROM Auction WHERE AuctionId=?", {id}).toDouble(); }
    bool historyRowExists(qint64 autonumber) { return scalar("SELECT COUNT(*) FROM History WHERE Autonumber=?", {autonumber}).toInt() == 1; }
    QStringList historyOf(const QString& id)
    {
        QStringList out;
        Recordset rs;
        rs.Open("SELECT Description, Changed FROM History WHERE AuctionId=? ORDER BY Autonumber", &conn(), Recordset::adOpenStatic,
                Recordset::adLockReadOnly, {id});
        for (; !rs.isEOF(); rs.MoveNext()) out << rs.text("Description") + " | " + rs.text("Changed");
        return out;
    }
    bool beforeStartFlag(int row)
    {
        sold().MoveTo(row);
        return sold().value("BeforeSystemStart").toBool();
    }
    // The value of the pending change-log entry for the sale's step (invalid when none).
    QVariant loggedStep(const QString& id)
    {
        for (const clsDataLog& e : ctx().gDatabase->PendingLog())
            if (e.AuctionId == id && e.TableId == "Auction" && e.FieldId == "ActionId") return e.FieldValue;
        return {};
    }
    void script(const QList<Step>& steps)
    {
        for (const Step& s : steps) messages().answer(s.answer, s.expect);
    }
    Outcome process(int row, const std::function<void()>& saveFirst = {})
    {
        ListingProcessor processor(*session);
        return processor.ProcessListing(row, saveFirst);
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gConfiguration.DateSystemStart = vb::today() - 30;
        mainWindow = RecordingMainWindow();
        ctx().gMainWindow = &mainWindow;
        view.calls.clear();
        session = std::make_unique<UpdateSession>(&view, nullptr);
        session->CreateListingRecordsets();
    }
    void cleanup()
    {
        session.reset();
        env.reset();
    }

    // ---- the questions along the chain ---------------------------------------

    void questions_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("step");  // the sale's step afterwards (15: left completed)
        const int Yes = vbmsg::Yes, No = vbmsg::No, Cancel = vbmsg::Cancel;

        QTest::newRow("not paid, no winning bidder email")
            << QList<Step>{{Paid, No}, {WinnerEmail, No}, {"Email winning bidder", Yes}} << Outcome::Updated << 2;
        // Not paid, the questions go on: the payment reminders are asked as the refund.
        QTest::newRow("not paid, e-mail sent, no refund asked")
            << QList<Step>{{Paid, No}, {WinnerEmail, Yes}, {Refund, No}, {"Request a refund", Yes}} << Outcome::Updated << 8;
        QTest::newRow("not paid, no feedback posted")
            << QList<Step>{{Paid, No}, {WinnerEmail, Yes}, {Refund, Yes}, {Feedback, No}, {Finished, Yes}} << Outcome::Updated << 9;
        QTest::newRow("paid, nothing sent")
            << QList<Step>{{Paid, Yes}, {ReceivedEmail, No}, {"Payment received email", Yes}} << Outcome::Updated << 10;
        QTest::newRow("paid, not shipped") << QList<Step>{{Paid, Yes}, {ReceivedEmail, Yes}, {Shipped, No}, {Finished, Yes}}
                                           << Outcome::Updated << 11;
        QTest::newRow("paid, no thank you yet")
            << QList<Step>{{Paid, Yes}, {ReceivedEmail, Yes}, {Shipped, Yes}, {ShippedEmail, Yes}, {PositiveFeedback, Yes}, {ThankYou, No},
                           {"Send thank you email", Yes}}
            << Outcome::Updated << 14;
        QTest::newRow("paid, all done") << QList<Step>{{Paid, Yes},         {ReceivedEmail, Yes}, {Shipped, Yes},   {ShippedEmail, Yes},
                                                       {PositiveFeedback, Yes}, {ThankYou, Yes},      {AllDone, vbmsg::OK}}
                                        << Outcome::AllDone << 15;
        QTest::newRow("not paid, relisted: all done")
            << QList<Step>{{Paid, No}, {WinnerEmail, Yes}, {Refund, Yes}, {Feedback, Yes}, {Relisted, Yes}, {AllDone, vbmsg::OK}}
            << Outcome::AllDone << 15;
        QTest::newRow("cancel at the payment") << QList<Step>{{Paid, Cancel}} << Outcome::Cancelled << 15;
        QTest::newRow("cancel after not paid") << QList<Step>{{Paid, No}, {WinnerEmail, Cancel}} << Outcome::Cancelled << 15;
        QTest::newRow("cancel further on")
            << QList<Step>{{Paid, Yes}, {ReceivedEmail, Yes}, {Shipped, Cancel}} << Outcome::Cancelled << 15;
        QTest::newRow("the step not saved") << QList<Step>{{Paid, No}, {WinnerEmail, No}, {Finished, No}} << Outcome::Declined << 15;
    }
    void questions()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(Outcome, outcome);
        QFETCH(int, step);
        const int row = savedBeforeStart("4001");
        const qint64 completion = session->mCompletionRows.value("4001");
        QVERIFY(completion > 0);
        const QStringList history = historyOf("4001");
        const double due = dueOf("4001");
        const QVariant logged = loggedStep("4001");

        script(steps);
        QCOMPARE(process(row), outcome);
        QVERIFY(messages().verifyDone());

        QCOMPARE(stepOf("4001"), step);
        const bool updated = outcome == Outcome::Updated;
        QCOMPARE(dueOf("4001"), updated ? vb::today() : due);
        QCOMPARE(historyRowExists(completion), !updated);
        QCOMPARE(historyOf("4001").size(), history.size() - (updated ? 1 : 0));
        QCOMPARE(beforeStartFlag(row), !updated);
        QCOMPARE(mainWindow.listRefreshes, updated ? 1 : 0);
        QCOMPARE(loggedStep("4001"), updated ? QVariant(step) : logged);
    }

    // The questions name the listing, its title and buyer; the last one the step.
    void questionTexts()
    {
        const int row = savedBeforeStart("4001");
        script({{Paid, vbmsg::No}, {WinnerEmail, vbmsg::No}, {Finished, vbmsg::No}});
        QCOMPARE(process(row), Outcome::Declined);
        const QList<ScriptedMessages::Prompt>& asked = messages().prompts();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].text, "Auction # 4001" + CrLf + "Blue teapot" + CrLf + "Buyer: ann" + CrLf + CrLf + Paid);
        QCOMPARE(asked[0].style, vbmsg::YesNoCancel + vbmsg::Question);
        QCOMPARE(asked[0].title, ctx().gAppTitle);
        QCOMPARE(asked[1].style, vbmsg::YesNoCancel + vbmsg::Question);
        QCOMPARE(asked[2].text, Finished + CrLf + CrLf + "The next action for Auction # 4001 will be set to: " + CrLf +
                                    "Email winning bidder" + CrLf + CrLf + "Save changes?");
        QCOMPARE(asked[2].style, vbmsg::YesNo + vbmsg::Question);
    }

    // A step without a question of its own ends the questions as a No does.
    void aStepWithoutAQuestion_data()
    {
        QTest::addColumn<QString>("change");  // the seller's step table
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<int>("step");
        QTest::newRow("reminder after the e-mail") << "UPDATE [Action] SET NextActionId=3 WHERE ActionId=2"
                                                   << QList<Step>{{Paid, vbmsg::No}, {WinnerEmail, vbmsg::Yes}, {"Send 3 day reminder", vbmsg::Yes}}
                                                   << 3;
        QTest::newRow("paid leads to paid") << "UPDATE [Action] SET NextActionId=7 WHERE ActionId=7"
                                            << QList<Step>{{Paid, vbmsg::Yes}, {"will be set to: \r\nPaid", vbmsg::Yes}} << 7;
    }
    void aStepWithoutAQuestion()
    {
        QFETCH(QString, change);
        QFETCH(QList<Step>, steps);
        QFETCH(int, step);
        exec(change);
        ctx().gActions->LoadActionsFromDatabase();
        const int row = savedBeforeStart("4001");
        script(steps);
        QCOMPARE(process(row), Outcome::Updated);
        QCOMPARE(stepOf("4001"), step);
    }

    // ---- what is refused before any question ---------------------------------

    void refusals_data()
    {
        QTest::addColumn<QString>("sale");  // in the database, at step
        QTest::addColumn<int>("saleStep");
        QTest::addColumn<QString>("listing");  // the Sold row
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        QTest::addColumn<Outcome>("outcome");
        const QString processed = "This listing has already been processed (not currently set to completed)";
        QTest::newRow("not completed") << "4001" << 2 << "4001" << processed << int(vbmsg::Information) << Outcome::AlreadyProcessed;
        QTest::newRow("a lettered sale not completed") << "4001B" << 11 << "4001" << processed << int(vbmsg::Information)
                                                       << Outcome::AlreadyProcessed;
        QTest::newRow("no sale") << "" << 0 << "4001" << "Cant find auction?" << int(vbmsg::Critical) << Outcome::NotFound;
        // The listing number is whole: 123 is not the start of sale 1234.
        QTest::newRow("a longer number") << "1234" << 15 << "123" << "Cant find auction?" << int(vbmsg::Critical) << Outcome::NotFound;
        QTest::newRow("a wildcard in the number") << "1234" << 15 << "1_3" << "Cant find auction?" << int(vbmsg::Critical)
                                                  << Outcome::NotFound;
    }
    void refusals()
    {
        QFETCH(QString, sale);
        QFETCH(int, saleStep);
        QFETCH(QString, listing);
        QFETCH(QString, message);
        QFETCH(int, style);
        QFETCH(Outcome, outcome);
        if (!sale.isEmpty()) addSale(sale, "ann", saleStep);
        const int row = addSoldRow(listing, "ann", false, true);
        messages().answer(vbmsg::OK, message);
        QCOMPARE(process(row), outcome);
        QCOMPARE(messages().prompts().size(), 1);
        QCOMPARE(messages().prompts()[0].text, message);
        QCOMPARE(messages().prompts()[0].style, style);
        if (!sale.isEmpty()) QCOMPARE(stepOf(sale), saleStep);
        QVERIFY(beforeStartFlag(row));
    }

    void findAuctionId_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("buyer");
        QTest::addColumn<QString>("found");
        QTest::newRow("its own number") << "1234" << "ann" << "1234";
        QTest::newRow("a shorter number") << "123" << "ann" << "";
        QTest::newRow("two letters more") << "12" << "ann" << "";
        QTest::newRow("a LIKE wildcard") << "12_4" << "ann" << "";
        QTest::newRow("a LIKE percent") << "12%" << "ann" << "";
        QTest::newRow("another buyer") << "1234" << "bob" << "";
        QTest::newRow("a lettered sale") << "555" << "bob" << "555A";
        QTest::newRow("an apostrophe") << "777" << "Sean O'Brien" << "777";
        QTest::newRow("a quote breaking out") << "777" << "x' OR '1'='1" << "";
        // Bought more than once: the first by number, as the comparison and the save take it.
        QTest::newRow("several sales to the buyer") << "888" << "ann" << "888";
        QTest::newRow("several lettered sales") << "999" << "ann" << "999A";
    }
    void findAuctionId()
    {
        QFETCH(QString, listing);
        QFETCH(QString, buyer);
        QFETCH(QString, found);
        addSale("1234", "ann", 15);
        addSale("555A", "bob", 15);
        addSale("555B", "kate", 15);
        addSale("777", "Sean O'Brien", 15);
        addSale("888A", "ann", 15);
        addSale("888", "ann", 4);
        addSale("999B", "ann", 15);
        addSale("999A", "ann", 2);
        addSale("999", "kate", 15);
        QCOMPARE(ListingProcessor::FindAuctionId(listing, buyer), found);
    }

    void aBuyerWithAnApostrophe()
    {
        const int row = savedBeforeStart("4001", "Sean O'Brien");
        QCOMPARE(scalar("SELECT CustomerId FROM Auction WHERE AuctionId='4001'").toString(), QStringLiteral("Sean O'Brien"));
        script({{"Buyer: Sean O'Brien", vbmsg::No}, {WinnerEmail, vbmsg::No}, {Finished, vbmsg::Yes}});
        QCOMPARE(process(row), Outcome::Updated);
        QCOMPARE(stepOf("4001"), 2);
    }

    // ---- rows awaiting the save ----------------------------------------------

    void unsavedRows_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("saved");  // saveFirst was called
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("not now") << int(vbmsg::No) << true << false << Outcome::NotSaved;
        QTest::newRow("saved") << int(vbmsg::Yes) << true << true << Outcome::Cancelled;
        QTest::newRow("the save fails") << int(vbmsg::Yes) << false << true << Outcome::NotSaved;
    }
    void unsavedRows()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, saved);
        QFETCH(Outcome, outcome);
        const int row = savedBeforeStart("4001");
        session->mUnsavedChanges = true;
        bool called = false;
        messages().answer(answer, "You must save changes before you can process this listing." + CrLf + CrLf + "Do you want to save now?");
        if (outcome == Outcome::Cancelled) messages().answer(vbmsg::Cancel, Paid);
        QCOMPARE(process(row,
                         [&] {
                             called = true;
                             if (saveSucceeds) session->mUnsavedChanges = false;
                         }),
                 outcome);
        QCOMPARE(called, saved);
        QCOMPARE(messages().prompts()[0].style, vbmsg::YesNo + vbmsg::Question);
        QCOMPARE(stepOf("4001"), 15);
    }

    // ---- the undo of the completion ------------------------------------------

    // The save's completion is undone, not a note the seller wrote since, nor
    // the row that says the sale ended before the system start.
    void theCompletionIsUndone_data()
    {
        QTest::addColumn<bool>("known");  // the session that saved it still holds its completion
        QTest::newRow("saved by this window") << true;
        QTest::newRow("saved by an earlier window") << false;
    }
    void theCompletionIsUndone()
    {
        QFETCH(bool, known);
        const int row = savedBeforeStart("4001");
        const qint64 completion = session->mCompletionRows.value("4001");
        QCOMPARE(scalar("SELECT Description FROM History WHERE Autonumber=?", {completion}).toString(), QStringLiteral("Completed"));
        QVERIFY(scalar("SELECT Changed FROM History WHERE Autonumber=?", {completion}).toString().startsWith("ActionId=2,"));
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES ('4001', ?, 'Buyer rang about pick-up', '[NOTHING]')",
             {vb::now() + 0.01});
        if (!known) session->mCompletionRows.clear();
        QStringList history = historyOf("4001");

        script({{Paid, vbmsg::No}, {WinnerEmail, vbmsg::No}, {Finished, vbmsg::Yes}});
        QCOMPARE(process(row), Outcome::Updated);
        QVERIFY(!historyRowExists(completion));
        const QStringList left = historyOf("4001");
        QCOMPARE(left.size(), history.size() - 1);
        QVERIFY(left.contains("Buyer rang about pick-up | [NOTHING]"));
        QVERIFY(left.contains(BeforeStart + " | [NOTHING]"));
        QCOMPARE(left.filter(QRegularExpression("^Completed \\|")).size(), 0);
        QCOMPARE(stepOf("4001"), 2);
        QCOMPARE(dueOf("4001"), vb::today());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction WHERE AuctionId='4001'").toInt(), 1);
    }

    // A listing from before the system start that cannot be completed is not
    // left at its first step: the save keeps nothing and the row its flags.
    void aSaveThatCannotCompleteKeepsNothing()
    {
        exec("CREATE TRIGGER refuse_completion BEFORE UPDATE OF ActionId ON Auction WHEN NEW.ActionId=15 "
             "BEGIN SELECT RAISE(ABORT, 'completion refused'); END");
        const int row = addSoldRow("4001", "ann", true, true);
        // Said once, by the save, with the completion's own cause.
        messages().answer(vbmsg::OK, "The update could not be saved; the database is as it was");
        QVERIFY(!session->SaveUpdates(false));
        QVERIFY2(messages().prompts().last().text.contains("completion refused"), qPrintable(messages().prompts().last().text));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM History").toInt(), 0);
        QVERIFY(session->mCompletionRows.isEmpty());
        sold().MoveTo(row);
        QVERIFY(sold().value("UpdateAuction").toBool());
    }

    // Marked completed again from the main window since the save: the session's
    // completion is the one undone, the later one stays.
    void theSavedCompletionIsPreferred()
    {
        const int row = savedBeforeStart("4001");
        const qint64 completion = session->mCompletionRows.value("4001");
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES ('4001', ?, 'Completed', ?)",
             {vb::now() + 0.01, QStringLiteral("ActionId=15,DateNextAction=%1").arg(vb::today())});
        const qint64 later = scalar("SELECT last_insert_rowid()").toLongLong();
        script({{Paid, vbmsg::Yes}, {ReceivedEmail, vbmsg::No}, {Finished, vbmsg::Yes}});
        QCOMPARE(process(row), Outcome::Updated);
        QVERIFY(!historyRowExists(completion));
        QVERIFY(historyRowExists(later));
        QCOMPARE(stepOf("4001"), 10);
    }

    // A sale with no step change in its history (completed some other way)
    // keeps its history whole and takes the step.
    void aCompletionWithoutHistory()
    {
        addSale("4001", "ann", 15);
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES ('4001', ?, 'A note', '[NOTHING]')", {vb::now()});
        exec("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES ('4001', ?, 'Created', '[DELETE]')", {vb::now() - 1});
        const int row = addSoldRow("4001", "ann", false, true);
        script({{Paid, vbmsg::Yes}, {ReceivedEmail, vbmsg::No}, {Finished, vbmsg::Yes}});
        QCOMPARE(process(row), Outcome::Updated);
        QCOMPARE(stepOf("4001"), 10);
        QCOMPARE(historyOf("4001").size(), 2);
    }

    // ---- a write that fails --------------------------------------------------

    void aFailedWriteLeavesTheSale()
    {
        const int row = savedBeforeStart("4001");
        const qint64 completion = session->mCompletionRows.value("4001");
        const QStringList history = historyOf("4001");
        const QString selection = ctx().gUndoSelectedAuctionId;
        const QVariant logged = loggedStep("4001");
        {
            ReadLock lock(conn().path());
            QVERIFY(lock.held());
            ReadLock::shortenWait(conn());
            script({{Paid, vbmsg::No},
                    {WinnerEmail, vbmsg::No},
                    {Finished, vbmsg::Yes},
                    {"The next action for Auction # 4001 could not be saved; the sale is as it was.", vbmsg::OK}});
            QCOMPARE(process(row), Outcome::Failed);
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Critical));
            QVERIFY(!ReadLock::inTransaction(conn()));
        }
        QCOMPARE(stepOf("4001"), 15);
        QVERIFY(historyRowExists(completion));
        QCOMPARE(historyOf("4001"), history);
        QVERIFY(beforeStartFlag(row));
        QCOMPARE(mainWindow.listRefreshes, 0);
        QCOMPARE(loggedStep("4001"), logged);
        QCOMPARE(ctx().gUndoSelectedAuctionId, selection);

        // Once the other program lets go, the same answers go through.
        messages().clear();
        script({{Paid, vbmsg::No}, {WinnerEmail, vbmsg::No}, {Finished, vbmsg::Yes}});
        QCOMPARE(process(row), Outcome::Updated);
        QCOMPARE(stepOf("4001"), 2);
        QVERIFY(!historyRowExists(completion));
    }
};

VENDARO_TEST_MAIN(tst_processlisting)
#include "tst_processlisting.moc"
