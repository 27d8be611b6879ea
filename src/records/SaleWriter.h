#pragma once
// The write side of the sale record editor, kept out of the window: the
// window gathers its fields into a SaleForm and shows what the result says.
//
// A save is one transaction: the buyer row, the Auction row, the History rows
// with their undo recipes and the advance of the seller's own sale number. A
// save that fails keeps nothing (the change log included); a refused save
// (the code is taken, or the edited row has gone) keeps only the buyer row,
// whole, so the buyer typed in is not lost.
//
// A delete is one transaction too: the sale, and the rename of its twin
// ("123A" deleted: "123B" becomes "123") with the twin's History rows.

#include "AddressRules.h"

#include <QString>
#include <QVariant>

// What the sale editor shows. Dates are OLE serials (a QDate or QDateTime is
// taken too); a Null QVariant is an empty date picker.
struct SaleForm {
    QString heldCode;   // the code the editor loaded (editing)
    QString codeText;   // the code box text
    bool adding = false;  // false: editing
    bool nonAuction = false;  // the window caption contains "Non"
    QString description;
    QString itemId;
    double dateStart = 0;
    QVariant dateNextAction;
    int actionId = 1;  // the task step shown
    QString customerId;
    QString buyerName;
    QString buyerEmail;
    QString deliveryAddress;  // CR LF line ends
    QVariant datePaid;
    QString payId;
    double winningBid = 0;
    double shipping = 0;
    QVariant dateSent;
    QString trackingNumber;
    QString notes;
    // As last loaded or cleared: they decide which History rows a save writes.
    QVariant rememberedDatePaid;
    QVariant rememberedDateSent;
    QVariant rememberedDateNextAction;
    int rememberedStep = 1;
};

struct SaleSaveResult {
    enum Outcome { Saved, Refused, Failed };
    Outcome outcome = Failed;
    // Refused: the information message the window shows. Failed: the error,
    // which has been shown already.
    QString message;
    QString auctionId;  // Saved: the AuctionId as stored
};

struct SaleDeleteResult {
    enum Outcome { Deleted, NotFound, Failed };
    Outcome outcome = Failed;
    QString renamedFrom, renamedTo;  // the twin, when it took the bare number
    // An information message for the window: the twin kept its id because the
    // bare number belongs to another sale. Empty otherwise.
    QString message;
};

class SaleWriter {
public:
    static constexpr int AuctionIdLength = 15;
    static constexpr double PaymentOffset = 0.0000115;  // days after the save's "now"
    static constexpr double DispatchOffset = 0.000023;
    static constexpr double CompletionOffset = 0.0000345;

    // The AuctionId a code box text is stored as: 15 characters, trailing blanks removed.
    static QString SaleKey(const QString& codeText);

    // plan: AddressRules::PlanBuyerAddress(customerId, buyerName,
    // deliveryAddress, buyerEmail, true), asked before the save.
    static SaleSaveResult Save(const SaleForm& form, const AddressRules::BuyerPlan& plan);

    // Deletes the sale `code` (the code box text) and, unless nonAuction,
    // gives its twin the bare number.
    static SaleDeleteResult Delete(const QString& code, bool nonAuction);

    // The twin of a code ending in upper-case "A" or "B" ("" for any other).
    static QString TwinOf(const QString& code);
};
