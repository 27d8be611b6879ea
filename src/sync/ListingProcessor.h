#pragma once
// "Process this listing" of the Sold review list: a sale that ended before the
// system start was saved as completed; the seller answers yes/no questions
// along the task chain and the sale is set to the step it really stands at.
// The completion written by the save is undone and the new step written in one
// transaction. No widget: the window calls it from its popup menu and refills
// its Sold list afterwards.

#include <QString>

#include <functional>

class UpdateSession;

class ListingProcessor {
public:
    // session: its Sold set, its unsaved state and save, its completion rows.
    explicit ListingProcessor(UpdateSession& session);

    enum class Outcome {
        NotSaved,          // rows still await saving
        NotFound,          // no sale of this listing and buyer
        AlreadyProcessed,  // the sale is not at step 15
        Cancelled,         // Cancel at a question
        Declined,          // No to saving the step
        AllDone,           // every task answered done: nothing to change
        Updated,           // the step was written
        Failed,            // the step could not be written (said); the sale is as it was
    };

    // Processes the Sold record at position (AbsolutePosition). saveFirst is
    // called when rows await saving (it runs the save and refills the Sold
    // list; the window supplies it). On Updated the caller refills the Sold list.
    Outcome ProcessListing(int recordPosition, const std::function<void()>& saveFirst);

    // The sale of a sold listing bought by the buyer: its own number, or the
    // number with one letter added. Several match when the buyer bought the
    // listing more than once: the first by AuctionId wins (the bare number,
    // then the letters in order), the sale the comparison and the save take
    // for the row. "" when there is none or the query fails.
    static QString FindAuctionId(const QString& ListingId, const QString& BuyerName);

    // Asks the question about the Sold set's current row (Yes/No/Cancel); on
    // Yes ActionId becomes NextActionId(ActionId). Returns the button.
    int AskActionQuestion(int& ActionId, const QString& Question);

    // Undoes the sale's completion and sets it to step ActionId due today, all
    // or nothing. False (said) when nothing was changed.
    bool UpdateAuctionAction(const QString& AuctionId, int ActionId);

private:
    // The History row whose undo takes the sale back from its completion; 0
    // when there is none. False when the history could not be read (said).
    bool completionRow(const QString& AuctionId, qint64* row) const;

    UpdateSession& m_session;
};
