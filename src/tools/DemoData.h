#pragma once
// Realistic seller data for the demo database, the tests and the benchmark:
// items (some stocked), buyers, sales spread over every task step, and their
// history. Titles and names hold apostrophes, quotes and percent signs, as
// real ones do. The same seed gives the same data.

#include <QList>
#include <QString>

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
};

class DemoData {
public:
    // The number of sales of the demo database (scripts/run); its buyers are
    // the stand-in's (`mkdemo --site-buyers` writes them for its fixture).
    static constexpr int DemoSales = 400;

    // Adds the data to an open database built from the template, in one
    // transaction. False (and the reason) on failure; nothing is then added.
    static bool Fill(Connection& connection, const DemoDataOptions& options, QString* error = nullptr);

    // The buyers Fill writes, in order (buyer n at index n - 1).
    static QList<DemoBuyer> Buyers(const DemoDataOptions& options);

    // The ItemId of item n (1-based) and its title, as Fill writes them.
    static QString itemId(int n);
    static QString itemTitle(int n);
};
