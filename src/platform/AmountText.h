#pragma once
// Money as the windows show it, and the one reader of every amount a seller
// types or the site gives. Shown: two decimals with digit grouping
// ("1,234.50"). Read: blanks around, a leading "$" and a minus sign (either
// first), digits with group commas in threes ("1,500" is 1500, never 1) and
// an optional point with decimals. A text that holds no amount is refused
// (ok false), never read as 0: the caller says so.

#include <QString>

class AmountText {
public:
    // How much of the text the amount must be.
    enum class Reading {
        Whole,    // nothing may follow it (a display read back, the site's export)
        Leading,  // words may follow it ("15 dollars", "12abc"), but no further
                  // digits: "1,5", "1.2.3" and "1 500" are refused, not cut short
    };

    static QString format(double value);
    // The amount of a text; ok false (and 0) when the text holds none.
    static double parse(const QString& text, bool* ok = nullptr, Reading reading = Reading::Whole);
    // A window's refusal of a text that holds no amount; what names the box in
    // a sentence ("winning bid").
    static QString NotAnAmount(const QString& what, const QString& text);
};
