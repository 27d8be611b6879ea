#pragma once
// The task step table (gActions): the rows of [Action] in step order, so that
// a step's number is its position, and what is done to a sale at each step.

#include "clsAction.h"

#include <QList>
#include <QString>

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
    void DoAction(const QString& AuctionId, int ActionId);
    // Marks the sale's current step done and moves it on, with its undo recipe
    // in History; all or nothing. True when the sale was advanced.
    bool DoneAction(const QString& AuctionId, DoneOptions& options);
    // Puts the sale at step 15 due today, with a History row AddSeconds
    // seconds after now.
    void SetAuctionCompleted(const QString& AuctionId, int AddSeconds, const QString& ActionDescription);

    // The History text of a step done (not skipped).
    static QString DoneText(int step, const DoneOptions& options);
    // A date as a recipe writes it: its serial number in the C locale, or "Null".
    static QString RecipeDate(const QVariant& serial);

private:
    const clsAction* at(int Index) const;
    // DoneAction without the change log: the final step and the newest
    // History date written (0 for none) are given back for it.
    bool advance(const QString& AuctionId, DoneOptions& options, int* finalStep, double* lastHistory);
    QList<clsAction> mActions;
};
