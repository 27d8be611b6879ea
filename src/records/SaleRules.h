#pragma once
// The sale editor's rules that need no window: the checks of a save after
// the mandatory fields, the capitals of a buyer's name and the site's address
// labels cut out of a pasted address.

#include <QString>

class SaleRules {
public:
    // What the checks look at (the window gathers it).
    struct Check {
        int step = 1;                 // the task step shown (0: none chosen)
        QString stepText;             // its description as the list shows it
        bool nextActionDate = false;  // the next-action date is set
        QString customerId, email, name, address;
        bool datePaid = false;
        QString payId;
        bool dateSent = false;
        bool nonAuction = false;  // the window is for sales made outside the site
        bool adding = false;
        double winningBid = 0;
    };
    enum class Field { None, NextActionDate, CustomerId, Email, Step, PayId, WinningBid };
    struct Verdict {
        QString message;            // empty: the check passes
        Field field = Field::None;  // where the focus goes
        bool askZeroBid = false;    // ask "The winning bid amount is set to zero - is this correct?" first
    };

    // The sale rules in their order; the first that fails decides. A zero
    // winning bid for a step from 2 to 14 comes back as askZeroBid with the
    // message for a No answer.
    static Verdict Validate(const Check& c);
    static QString ZeroBidQuestion();

    // Every blank-separated word with a capital first letter and the rest in
    // lower case; a name of one word keeps its case.
    static QString ProperCaseName(const QString& name);
    // A pasted address with "COUNTRY : " in it loses the site's labels
    // ("ADDRESS : ", "CITY : ", "STATE : ", CR LF "ZIP :", "COUNTRY : ", the
    // first of each), the postcode joining the line before it.
    static QString StripSiteAddressLabels(const QString& address);
};
