#pragma once
// Small readers of the site's own wording, shared by the export reader and
// the page readers of the synchronisation.

#include <QString>

class SiteText {
public:
    // The dollar amount in a text such as "Courier $5.50 ": the word after
    // the first "$" (up to a blank) read by its leading number with the one
    // amount reader, written back in its shortest form ("5.5"); "1,200.00"
    // reads as "1200". "0" when the text has no "$" or no amount follows it.
    static QString GetDollarAmount(const QString& Text);
};
