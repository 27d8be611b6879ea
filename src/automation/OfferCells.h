#pragma once
// The texts of a fixed-price offer row: amounts as the list shows them, the
// offer price and days read back from their cells, the price as the site and
// the History text take it, and the lines the offer dialog opens with.

#include <QString>

class OfferCells {
public:
    // "$0.00": a dollar sign, two decimals, no thousands separators.
    static QString Money(double value);
    // Plain decimal with "." and no trailing zeros: 25, 12.5.
    static QString Plain(double value);
    // The offer price of a "Fixed Price Offer" cell ("$1500.00", as Money
    // writes it); an empty cell reads as 0.
    static double ReadPrice(const QString& cell);
    // The days of a "Days valid for" cell, rounded to a whole number; empty reads as 0.
    static int ReadDays(const QString& cell);
    // The offer dialog's text on the auction's result, from the row's
    // "Sold/Unsold", "Top Bid" and "Reserve" cells.
    static QString InfoText(const QString& soldCell, const QString& topBidCell, const QString& reserveCell);
};
