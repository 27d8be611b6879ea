#pragma once
// What the task dialogs (auction ended, paid, sent) write, kept out of the
// windows: the sale's own fields with its buyer, and the chain of steps a
// payment completes.

#include "AddressRules.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

class SaleTasks {
public:
    using Columns = QList<std::pair<QString, QVariant>>;

    enum Outcome { Saved, NotFound, Failed };
    // Writes the buyer plan and the sale's columns in one transaction, before
    // the step moves. NotFound: the sale is gone ("Update failed.  Could not
    // update record." has been said); the buyer row is kept, whole, so what
    // was typed about the buyer is not lost. Failed: nothing is kept and the
    // error has been said.
    static Outcome Save(const QString& auctionId, const AddressRules::BuyerPlan& buyer, const Columns& columns);

    // Completes the payment task (whatever step the sale is at, it is taken
    // as paid) with its "Payment received" row. Picked up, it then skips the
    // payment-received e-mail and records the dispatch as collected on
    // datePaid, when those are the steps that follow; their rows are dated one
    // second apart after the payment's. False when the payment itself was
    // not recorded (DoneAction has said why); a later step that could not be
    // taken leaves the sale where the earlier ones put it.
    static bool CompletePayment(const QString& auctionId, bool pickedUp, double datePaid);
};
