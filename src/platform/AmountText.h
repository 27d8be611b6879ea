#pragma once
// Money as the windows show it and read it back: two decimals with digit
// grouping ("1,234.50"). Reading accepts what a seller types or the display
// shows: blanks, a leading "$", group commas and a minus sign; anything else
// is not an amount. One reader for display round trips, checks and storage,
// so "1,234.00" reads as 1234, never as 1.

#include <QString>

class AmountText {
public:
    static QString format(double value);
    // The amount of a text; ok false (and 0) when the text is not one.
    static double parse(const QString& text, bool* ok = nullptr);
};
