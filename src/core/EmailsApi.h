#pragma once
// What the core asks of the program-wide e-mail object (gEmails), which the
// buyer e-mail subsystem provides.

#include <QString>

class EmailsApi {
public:
    virtual ~EmailsApi() = default;
    // Opens the single e-mail dialog for a sale with the template of an e-mail
    // kind, or refuses while the seller's own address is not set.
    virtual void ShowFormEmailSingle(const QString& AuctionId, int ActionId, const QString& ItemId, bool UpdateNextAction,
                                     const QString& EmailId) = 0;
};
