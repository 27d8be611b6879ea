#pragma once
// The stand-in auction site: a small HTTP server on 127.0.0.1 that serves the
// pages and forms the program relies on (see README.md, the site contract).
// Tests run it in-process on a free port; the demo runs it as a program.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class StandInSite {
public:
    struct Account {
        QString userId;    // the member name shown on the site
        QString email;     // what the seller logs in with
        QString password;
        QString member;    // the member number
    };
    // A listing of one of the seller accounts: running, sold or unsold.
    struct Listing {
        QString seller;          // userId of the account that listed it
        QString id;              // the listing number
        QString kind;            // "current", "sold" or "unsold"
        QString title;
        QDateTime start;         // local times
        QDateTime end;           // the close; for a sale, when it sold
        double startPrice = 0;
        double reservePrice = 0;
        double buyNowPrice = 0;  // 0: none
        double maxBid = 0;       // the top bid; 0: no bids
        int biddersWatchers = 0;
        // The member names of its bidders and watchers (a sale's buyer not
        // among them): a fixed price offer goes to them. None named: to
        // biddersWatchers numbered ones (bidderMember).
        QStringList bidders;
        QString length;          // "7 days", "10 days", "Scheduled enddate"
        bool featured = false;
        bool gallery = false;
        bool bold = false;
        bool homepage = false;
        // A sale ("sold"); a listing sold more than once is one Listing per sale.
        QString soldType;        // "Auction", "Buy Now" or "Fixed Price Offer"
        double salePrice = 0;
        QString shipping;        // the buyer's chosen shipping as the site words it; "" none
        QString buyerName;
        QString buyerEmail;
        QString buyerAddress;    // parts separated by ", "; "" none
        // An unsold listing.
        double offerPrice = 0;   // a fixed price offer made to the bidders; 0 none
        bool offerExpired = false;
        QString relistedAs;      // the listing it was relisted as; "" not relisted
        bool offerClosed = false;  // the site no longer takes a fixed price offer for it
        QString body;            // the description its listing form shows
    };
    // A member who buys from the sellers: found by the seller search, named
    // on the member page and first in the delivery addresses of the sold export.
    struct Buyer {
        QString userId;  // the member name
        QString member;  // the member number
        QString name;    // the buyer's own name; "" unknown (the member name stands in)
    };
    struct Request {
        QString method;
        QString path;
        QMap<QString, QString> query;
        QMap<QString, QString> form;  // fields of a posted form
        QString account;              // userId of the session, "" without one
    };

    // An e-mail the mail-form service accepted, its fields as posted.
    struct MailMessage {
        QString from;
        QString to;
        QString cc;
        QString subject;
        QString body;
    };
    // Test modes of the mail-form service (README.md, "The mail-form service").
    enum class MailFault {
        None,
        Reject,      // every e-mail is refused with an explanation
        EmptyReply,  // 200 with an empty page
        NoReply,     // the request is held unanswered while the mode lasts and the site runs
    };

    // Test modes of the listing exports (README.md, "Listing exports").
    enum class ExportFault {
        None,
        ChangedHeader,   // the "title" column is named "Title"
        ShiftedRecord,   // the first record carries an item too many
        Stalled,         // the header line is sent, then nothing more, until the client leaves or the site stops
    };

    // The largest posted form the site takes (README.md, "Posted forms").
    static constexpr qint64 MaxPostBytes = 10 * 1024 * 1024;

    StandInSite();
    ~StandInSite();
    StandInSite(const StandInSite&) = delete;
    StandInSite& operator=(const StandInSite&) = delete;

    // Reads accounts (and later listings) from a JSON fixture; false with a reason.
    bool loadFixture(const QString& path, QString* error = nullptr);
    void addAccount(const Account& account);
    // The version the maker's site says every seller must have ("2.1004" unless set).
    void setRequiredVersion(const QString& version);
    // The maker's downloads folder ("/downloads/" + name): a file held in
    // memory (tests), and a folder on disk for names not held (the demo).
    void setDownload(const QString& name, const QByteArray& bytes);
    void removeDownload(const QString& name);
    void setDownloadsFolder(const QString& folder);
    // A buyer the seller search finds (member name and number), and the
    // buyer's own name. A later buyer of the same member name replaces one.
    void addBuyer(const QString& userId, const QString& member, const QString& name = QString());
    // The buyer of a member name (any case), or one with an empty userId.
    Buyer buyer(const QString& userId) const;
    // A sale's delivery address as the sold export gives it (README.md, "Listing exports").
    QString deliveryAddress(const Listing& sale) const;
    // The seller accounts' listings, in the order added.
    void addListing(const Listing& listing);
    void clearListings();
    QList<Listing> listings(const QString& seller) const;
    void setExportFault(ExportFault fault);
    // How the feedback page answers for one auction number (README.md, "Feedback").
    enum class FeedbackScenario {
        Normal,         // placed the first time, refused as placed every later time
        AlreadyPlaced,  // feedback was left before: refused as placed from the first time
        UnknownMember,  // the member given is not known for the auction: refused every time
    };
    void setFeedbackScenario(const QString& auctionId, FeedbackScenario scenario);
    // The unsold pages: listings per page (10 unless set), and what a page
    // past the last one answers: a redirect to the last page (as the real site
    // does), or the last page's listings under the number asked for (a test mode).
    enum class PastEnd { LowerPage, SameNumber };
    void setUnsoldPaging(int perPage, PastEnd pastEnd = PastEnd::LowerPage);

    // Relisting (README.md, "Relisting"): how the pages of a relist or "sell
    // similar" of one listing answer, and what the site created.
    enum class SellPage { Listing, Photos, Extras, Confirm, Result };
    enum class RelistFault {
        None,
        UnderOffer,     // the listing page: "You cannot relist an auction that is under offer." and no form
        NoCredit,       // the confirmation page: not enough credit, no form
        Changed,        // the page named lacks the words the program looks for (a result page still creates the listing)
        RenamedFields,  // the listing form's title and the extras form's boxes carry other names
        NoAnswer,       // the page named is held unanswered while the fault lasts (stop() ends the wait)
    };
    void setRelistFault(const QString& listingId, RelistFault fault, SellPage page = SellPage::Listing);
    // A listing the relist pages created, the fields as they were posted.
    struct CreatedListing {
        QString templateId;  // the listing relisted, or copied by "sell similar"
        QString action;      // "relist" or "sell_similar"
        QString id;          // the new listing's number
        QString title, body, startPrice, startEqReserve, reservePrice, buyNowPrice;
        QString durationType, auctionLength, endDate, endHour;  // duration_type, auction_length, set_end_days, set_end_hour
        QStringList features;  // the feature boxes posted ticked, in page order
    };
    QList<CreatedListing> createdListings() const;

    void setMailFault(MailFault fault);
    // The e-mails accepted so far, oldest first.
    QList<MailMessage> mailMessages() const;
    void clearMailMessages();

    // Listens on 127.0.0.1 (port 0: any free port) in a thread of its own.
    bool start(quint16 port = 0);
    void stop();
    quint16 port() const;
    QString baseUrl() const;  // "http://127.0.0.1:<port>"

    // The member number of a listing's bidder or watcher n (1-based), as the
    // offer page names them.
    static QString bidderMember(int n);

    // Requests served so far, oldest first.
    QList<Request> requests() const;
    void clearRequests();
    // A session for an account without going through the login form (tests).
    QString openSession(const QString& userId);
    static QString sessionCookieName();
    // The SameSite attribute of the session cookie of the logins that follow,
    // written out (Lax unless set). Either keeps the cookie from every
    // post from another site (Strict also from a link followed from another
    // site), so a cross-site post shows its fault at once, where the real
    // site's cookie, without the attribute, lets it through for two minutes.
    // Unset writes none, as the real site does (the test of a login's age).
    enum class SameSite { Lax, Strict, Unset };
    void setCookieSameSite(SameSite policy);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
