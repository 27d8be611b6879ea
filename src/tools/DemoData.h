#pragma once
// Realistic seller data for the demo database, the tests and the benchmark:
// items (some stocked), buyers, sales spread over every task step, and their
// history. Titles and names hold apostrophes, quotes and percent signs, as
// real ones do. The same seed gives the same data.

#include <QList>
#include <QString>
#include <QStringList>

class Connection;

struct DemoDataOptions {
    int sales = 300;
    int buyers = 0;   // 0: one buyer per three sales
    int items = 20;   // besides MISC
    quint32 seed = 1;
    double today = 0; // 0: today's date
};

// A buyer as Fill writes it, and the member number the demo's stand-in site
// (site/fixtures/demo.json) gives the buyer: the demo's buyers are members
// there, so the site's member pages and forms work on demo sales.
struct DemoBuyer {
    QString customerId;  // the member name on the site
    QString name;
    QString email;
    QString member;      // the member number
    QString addressLines;  // the address without the name, lines separated by CR LF
};

// A sale as Fill writes it (dates as the database's day numbers), and what
// the demo's stand-in site knows of its listing.
struct DemoSale {
    QString auctionId;
    int step = 1;           // ActionId
    QString itemId;         // "MISC" for an odds-and-ends lot
    QString title;
    QString buyer;          // CustomerId; "" unless sold
    bool offerType = false; // AuctionType "O": a sale of it was made by fixed price offer
    double started = 0;
    double closes = 0;      // the listing's close, also when it still runs
    double nextAction = 0;
    double winningBid = 0;
    double shipping = 0;
    double startPrice = 1;  // also the reserve: none above it
    bool paid = false;
    bool sent = false;
    QString notes;
    QString deliveryAddress;  // the buyer's address lines; "" none given
    QString trackingNumber;
    bool nonAuction = false;
    bool highlighted = false;
    bool gallery = false;
    // Other members who bid on or watched the listing (customer ids, never
    // the buyer): a fixed price offer on it goes to them.
    QStringList bidders;

    bool running() const { return step == 1; }
    bool unsold() const { return step == 16; }
    bool sold() const { return !running() && !unsold(); }
    // ExtraFeatures, as the synchronisation writes a listing's features.
    QString extraFeatures() const;
};

class DemoData {
public:
    // The number of sales of the demo database (scripts/run); its buyers and
    // sales are the stand-in's (`mkdemo --site-fixture` writes its fixture).
    static constexpr int DemoSales = 400;

    // Adds the data to an open database built from the template, in one
    // transaction. False (and the reason) on failure; nothing is then added.
    static bool Fill(Connection& connection, const DemoDataOptions& options, QString* error = nullptr);

    // The buyers Fill writes, in order (buyer n at index n - 1).
    static QList<DemoBuyer> Buyers(const DemoDataOptions& options);
    // The sales Fill writes, in order.
    static QList<DemoSale> Sales(const DemoDataOptions& options);

    // The ItemId of item n (1-based) and its title, as Fill writes them.
    static QString itemId(int n);
    static QString itemTitle(int n);
};
