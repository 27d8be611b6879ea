#pragma once
// The task step table (gActions): the rows of [Action] in step order, so that
// a step's number is its position, and what is done to a sale at each step.

#include "clsAction.h"

#include <QList>
#include <QString>
#include <QVariant>

class clsActions {
public:
    // How a step was finished. DateShipped and BuyerPickedUp may come back
    // changed (today for a dispatch without a date; the pick-up answer).
    struct DoneOptions {
        bool AuctionEnded = false;   // the listing is known to have ended
        bool AuctionSold = false;    // ... with a buyer
        bool Skipped = false;        // skipped, not done
        bool UpdateHistory = true;   // write the History row(s)
        double DateShipped = 0;      // dispatch date of step 11; 0 = today
        bool BuyerPickedUp = false;  // the buyer collected the item
        bool AuctionPaid = false;    // paid: the step is taken as 7
        QString TrackingNumber;
        // The moment the History rows are dated from; 0: when DoneAction runs.
        // A dialog that finishes several steps in one click passes one moment
        // to all of them, so that its rows stay one second apart.
        double Now = 0;
        // A caller's own History row in place of the step's (with
        // UpdateHistory): this text, HistorySeconds after Now, its recipe the
        // step's own followed by RecipeTail's pairs.
        QString HistoryText;
        int HistorySeconds = 0;
        QString RecipeTail;
        // False for a caller that runs the step inside a save of its own and
        // says the outcome itself: a failed write is then only given back in
        // Failure (refusals and questions are said as always).
        bool ReportFailure = true;
        QString Failure;  // out: why the step could not be written; "" otherwise
    };

    void LoadActionsFromDatabase();
    // Sets the step that follows ActionId (named by its description) and its
    // days, in memory and in the table; false when nothing could be written.
    bool SaveActionsToDatabase(int ActionId, const QString& NextActionDescription, int NumDays);
    // The step whose description is exactly the text (lowest wins); 0 and a
    // message when none of steps 1-16 has it.
    int GetActionId_UsingDescription(const QString& ActionDescription) const;

    // Fields of the step at position Index (= its number); 0 or "" outside the loaded rows.
    int ActionId(int Index) const;
    QString Description(int Index) const;
    int NextActionId(int Index) const;
    int NumDays(int Index) const;
    int Count() const { return int(mActions.size()); }

    // Performs step ActionId for the sale: its dialog, e-mail or site page.
    // A sale due at step 7 (paid) opens the payment dialog.
    void DoAction(const QString& AuctionId, int ActionId);
    // Marks the sale's current step done and moves it on, with its undo recipe
    // in History; all or nothing. True when the sale was advanced; a refusal
    // or a failed save says why (a sale that is not there is passed over).
    // Inside a caller's transaction the step is a savepoint of it: a false
    // result means the caller's save cannot be kept as it stands.
    bool DoneAction(const QString& AuctionId, DoneOptions& options);
    // Puts the sale at step 15 due today, with a History row AddSeconds
    // seconds after now. Returns that row's Autonumber; 0 when the sale was
    // not completed (a failure is said) or no row was written. Given Failure,
    // a failed write is given back there ("" when kept) instead of said here:
    // the caller runs it inside a save of its own.
    qint64 SetAuctionCompleted(const QString& AuctionId, int AddSeconds, const QString& ActionDescription, QString* Failure = nullptr);

    // What DoneAction reads of a sale and its item.
    struct DoneSale {
        int ActionId = 0;
        QVariant DateNextAction;  // a serial, or Null
        bool NonAuction = false;
        bool HasDeliveryAddress = false;
        QString ItemId;
        bool UseStock = false;
        bool StockCounted = false;  // the item's Stock is not Null
    };
    // What finishing a sale's step does, decided before anything is asked or written.
    struct DonePlan {
        QString Refusal;           // not empty: nothing is written, this says why
        int RefusalStyle = 0;
        bool AskPickedUp = false;  // a dispatch without a delivery address: ask first
        int Current = 0;           // the step taken as done
        int NewStep = 0;
        double Due = 0;
        bool Completed = false;  // the "[AUTOCOMPLETE]" row follows the History row
        bool Ship = false;       // DateSent is written
        bool TakeStock = false;  // one unit leaves the stock of ItemId
        QString ItemId;
        QString Recipe;
        QString HistoryText;
    };
    // The plan for finishing the sale's current step on day today; reads nothing.
    DonePlan PlanDone(const QString& AuctionId, const DoneSale& sale, const DoneOptions& options, double today) const;

    // The History text of a step done (not skipped).
    static QString DoneText(int step, const DoneOptions& options);
    // A date as a recipe writes it: its serial number in the C locale, or "Null".
    static QString RecipeDate(const QVariant& serial);

private:
    const clsAction* at(int Index) const;
    // Step n is a row of the task table (at its own position).
    bool isStep(int n) const { return n >= 1 && ActionId(n) == n; }
    // The sale and its item; false when there is nothing to move on (a
    // missing item is said).
    bool readSale(const QString& AuctionId, DoneSale* sale) const;
    // The sale's (and its item's) writes of a plan, inside the caller's
    // transaction. False with why.
    bool writePlan(const QString& AuctionId, const DonePlan& plan, double dateSent, QString* why) const;
    QList<clsAction> mActions;
};
