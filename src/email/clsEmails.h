#pragma once
// The program-wide e-mail object (gEmails): e-mails to buyers made from the
// templates, and the way into the single e-mail dialog.

#include "core/EmailsApi.h"

class clsEmails : public EmailsApi {
public:
    // Opens the single e-mail dialog modally; refuses with a message while
    // the seller's own e-mail address is not configured.
    void ShowFormEmailSingle(const QString& AuctionId, int ActionId, const QString& ItemId, bool UpdateNextAction,
                             const QString& EmailId) override;

    // The address in a text: a leading "mailto:" dropped and, when the text
    // holds an "@" with "<" and ">", only what stands between them.
    static QString GetAddress(const QString& Address);

    // Makes gEmails a clsEmails for every program context from now on.
    static void Register();
};
