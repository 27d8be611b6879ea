#pragma once
// Realistic seller data for the demo database, the tests and the benchmark:
// items (some stocked), buyers, sales spread over every task step, and their
// history. Titles and names hold apostrophes, quotes and percent signs, as
// real ones do. The same seed gives the same data.

#include <QString>

class Connection;

struct DemoDataOptions {
    int sales = 300;
    int buyers = 0;   // 0: one buyer per three sales
    int items = 20;   // besides MISC
    quint32 seed = 1;
    double today = 0; // 0: today's date
};

class DemoData {
public:
    // Adds the data to an open database built from the template, in one
    // transaction. False (and the reason) on failure; nothing is then added.
    static bool Fill(Connection& connection, const DemoDataOptions& options, QString* error = nullptr);

    // The ItemId of item n (1-based) and its title, as Fill writes them.
    static QString itemId(int n);
    static QString itemTitle(int n);
};
