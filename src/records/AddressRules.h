#pragma once
// The two rules that keep a buyer's name and postal address consistent
// wherever an address is typed (buyer editor, sale editor, task dialogs):
// - the first-line rule fills an empty name box from the address's first line;
// - the buyer-address rule copies a sale's delivery address into the buyer's
//   Customer row on save, asking first when the address on file differs.
// Addresses are multi-line text with CR LF line ends.

#include <QString>

class QLineEdit;
class QPlainTextEdit;

class AddressRules {
public:
    // The name box text after an address change: `name` unchanged unless it
    // is empty and the address holds a CR LF, then the text before the first
    // CR LF (which stays empty for an address that begins with a line break).
    static QString FirstLineName(const QString& address, const QString& name);
    // Applies the first-line rule to nameBox on every change of addressBox,
    // typed or loaded. The buyer editor blocks the box's signals while it
    // shows a stored buyer (the stored name stands); a dialog that wants a
    // loaded address to name the buyer fills the box unblocked. The address
    // is read with CR LF line ends.
    static void Follow(QPlainTextEdit* addressBox, QLineEdit* nameBox);

    // The buyer-address rule of a save, split so that the question is asked
    // before the caller's transaction opens: PlanBuyerAddress reads the buyer
    // row and asks; WriteBuyerAddress writes inside the caller's transaction.
    // createsBuyer: the auction-ended dialog and the sale editor, which create
    // a missing buyer and write CustomerId and Email; the payment and dispatch
    // dialogs only update an existing buyer's Name and Address.
    struct BuyerPlan {
        bool skip = true;          // nothing to write: no buyer id, the lookup failed, or no row to update
        bool exists = false;       // the buyer row was found
        bool takeAddress = false;  // Address := address
        QString buyerId;           // the key written and searched for (BuyerKey when createsBuyer)
        QString name, address, email;
        bool createsBuyer = false;
    };
    static BuyerPlan PlanBuyerAddress(const QString& buyerId, const QString& name, const QString& address,
                                      const QString& email, bool createsBuyer);
    // True when written or nothing was to be written; false when a statement
    // failed (OpenDB has shown its message): the caller abandons its transaction.
    static bool WriteBuyerAddress(const BuyerPlan& plan);
    // The question asked when the buyer's address on file differs.
    static QString AddressQuestion(const QString& stored, const QString& typed);

    // The buyer id a creating window stores: the first 50 characters of the
    // typed id, trailing blanks removed. The sale row should carry the same.
    static QString BuyerKey(const QString& typed);
    static constexpr int BuyerIdLength = 50;
};
