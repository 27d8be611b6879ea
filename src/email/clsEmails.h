#pragma once
// The program-wide e-mail object (gEmails): e-mails to buyers made from the
// seller's templates, queued in the outbox for the Emailer program, and the
// way into the single e-mail dialog.

#include "core/EmailsApi.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class Recordset;

class clsEmails : public EmailsApi {
public:
    // Template kinds (Email.ActionId) beyond the task steps' own.
    static constexpr int GeneralKind = 17;
    static constexpr int CustomKind = 18;

    // The one instance start-up made (gEmails), or null when there is none.
    static clsEmails* Current();

    // Opens the single e-mail dialog modally; refuses with a message while
    // the seller's own e-mail address is not configured.
    void ShowFormEmailSingle(const QString& AuctionId, int ActionId, const QString& ItemId, bool UpdateNextAction,
                             const QString& EmailId) override;

    // ---- composition ----
    // The e-mail of a task step for a sale: "subject CR LF message". The
    // template is the item's own of that kind, else the "MISC" one; kind 18
    // takes the one named EmailId. Includes and codes are expanded, the
    // subject kept to one line (line breaks become blanks) and the message
    // wrapped. With no template the result is CR LF alone. Sets
    // OnErrorReturnFalse to false (never to true) after reporting a missing
    // include, a missing required value, a missing sale or a failed query.
    QString GetEmail(const QString& AuctionId, int ActionId, const QString& ItemId, const QString& EmailId,
                     bool& OnErrorReturnFalse);
    // The template kind of a task step: 2, 4, 5, 6, 10, 12, 14 and 18 are
    // their own; every other step takes the general e-mail (17).
    static int TemplateKind(int ActionId);
    // Replaces each "[insert:id]" (any case) by the message of template id,
    // nested includes too. A missing template, or one already being expanded
    // (an include that loops back), is reported once, leaves its tag and
    // stops the expansion.
    void InsertCustom(QString& ByRefText, bool& OnErrorReturnFalse);
    // Replaces the fourteen codes from the sale's row (query B of GetEmail:
    // AuctionId, Description, WinningBid, Shipping, Notes, DeliveryAddress,
    // TrackingNumber, CustomerId, Name) and the configuration. sale null:
    // the shared record set's current row.
    void ConvertCodes(QString& ByRefText, bool& OnErrorReturnFalse, const Recordset* sale = nullptr);
    // Replaces every occurrence of strCode by the data (Null: nothing). A
    // required code present while the data is empty is reported and stays.
    // The inserted data is never searched for the code again.
    static void ReplaceCodeWithData(QString& ByRefText, const QString& strCode, const QVariant& strDataField,
                                    bool& OnErrorReturnFalse, bool& Required, const QString& strDataFieldDescription);
    // Wraps lines longer than the configured width (EmailWrap; 0 = off) at
    // their last blank within the width; see the overload.
    static void WrapText(QString& ByRefText);
    // Width 0 or less leaves the text as it is. Otherwise the text ends with
    // CR LF, and each longer line is broken by turning its rightmost blank at
    // or before column Width + 1 into CR LF; a line with no blank there is
    // left whole, measured again Width + 2 characters further on.
    static void WrapText(QString& ByRefText, int Width);

    // The address in a text: a leading "mailto:" dropped and, when the text
    // holds an "@" with "<" and then ">", only what stands between them. A ">"
    // before the first "<" leaves the text as given.
    static QString GetAddress(const QString& Address);

    // ---- the outbox ----
    // Queues one e-mail in the outbox (emailer.mdb) and starts the Emailer
    // program. The seller's own copy address is added to CC. A From, To, CC
    // or Subject holding a line break is refused. True when the e-mail is
    // queued and the sender started; false after a failure, which leaves
    // nothing queued and, unless NoErrorMessage, is reported. NoCCEmail and
    // HTMLBody have no effect.
    bool Send(const QString& EmailFrom, const QString& EmailTo, const QString& EmailCC, const QString& EmailSubject,
              const QString& EmailMessage, bool NoErrorMessage = false, bool NoCCEmail = false,
              const QString& HTMLBody = QString());
    // The e-mail that completes a sale's current task: it is queued and the
    // task moved on in one transaction over the shop and the outbox, so that
    // both are kept or neither is; the sender starts once they are. What
    // fails is said. NotSent: nothing was queued or changed (the e-mail may be
    // sent again). SenderNotStarted: both are kept, and the e-mail waits in
    // the outbox for the sender's next start.
    enum class TaskEmail { Sent, NotSent, SenderNotStarted };
    TaskEmail SendForTask(const QString& AuctionId, const QString& EmailFrom, const QString& EmailTo, const QString& EmailCC,
                          const QString& EmailSubject, const QString& EmailMessage);
    // The CC column of a queued e-mail: the given copy addresses and the
    // configured one, joined by ", ".
    static QString MergeCC(const QString& EmailCC, const QString& ConfiguredCC);
    // The outbox database and the sender program, in the program folder.
    static QString OutboxPath();
    static QString EmailerPath();

    // The e-mail button's menu lists the custom templates (kind 18) anew:
    // after the fixed entries a separator and one entry per template whose
    // code does not begin with "~".
    static void UpdateToolBar();

    // Makes gEmails a clsEmails for every program context from now on.
    static void Register();

private:
    // Expands the includes of text; chain holds the templates being expanded
    // around it. False when the expansion must stop.
    bool expandIncludes(QString& text, QStringList& chain, bool& OnErrorReturnFalse);
    // The buyer's name for "[BUYERNAME]": the first word of Name (dots read as
    // blanks), or the member id when that word is a title or too short.
    static QString GetBuyerName(const Recordset& sale);
};
