#pragma once
// The site side of one fixed-price offer, without a window: the recipients
// taken from the site's offer page, the filled page VNTMFP.sub that posts the
// offer, and what a page without an offer form or a refused offer says.

#include <QString>

class OfferPage {
public:
    enum class Refusal { AlreadyMade, Relisted, NoBidders, NoLongerPossible, Unexplained };

    // The opening tag of the site's offer form holds this.
    static QString FormKey() { return QStringLiteral("MakeAnOffer.aspx"); }
    // The offer's recipients on the site's offer page: the recipient inputs
    // of its offer form (those before "hasbidders"), each made again from
    // its name and value, escaped, one a line. A box the page left unticked
    // is no recipient. "" when the page has no offer form or no recipient.
    static QString Recipients(const QString& pageHtml);
    // Fills FileStem.frm into FileStem.sub for one offer: the auction number as
    // listed, the recipients, the price in plain decimals and the days; every
    // value escaped. False when the page could not be made (said).
    static bool Create(const QString& fileStem, const QString& auctionNumber, const QString& recipients, double price, int days);

    // Why the site made no offer, from the text of its page.
    static Refusal Classify(const QString& pageText);
    // The reason shown for a known refusal ("" for none).
    static QString Reason(Refusal refusal);
    // The message for a refusal ("" for NoBidders, which is only counted).
    static QString Message(Refusal refusal, const QString& title, const QString& auctionNumber);
};
