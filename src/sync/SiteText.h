#pragma once
// Small readers of the site's own wording, shared by the export reader and
// the page readers of the synchronisation.

#include <QString>

class SiteText {
public:
    // The dollar amount in a text such as "Courier $5.50 ": the digits (with
    // at most one decimal point) after the first "$", up to the first other
    // character, written back in their shortest form ("5.5"); "1,200.00"
    // reads as "1". "0" when the text has no "$" or no digits follow it.
    static QString GetDollarAmount(const QString& Text);
};
