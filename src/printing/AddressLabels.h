#pragma once
// The rules of the address label list, free of the window: the label text of
// a sale, combining sales sent to one address, the start position on a partly
// used sheet, the sheets needed, the rows of labels and where the next sheet
// starts.

#include "LabelRows.h"

#include <QList>
#include <QString>
#include <QStringList>

class AddressLabels {
public:
    static QString NoAddressText() { return QStringLiteral("No delivery address set!"); }

    // A sale's label: its delivery address as stored, or the no-address text
    // when the address is empty or blanks alone.
    static bool HasAddress(const QString& deliveryAddress);
    static QString LabelText(const QString& deliveryAddress);

    // The row (0-based) before row whose label text is the same (case and
    // blanks count), or -1: the later one of two labels for one address is cleared.
    static int SameAddressAs(const QStringList& labels, int row);

    // The start field's rule: the text itself, or "1" when its number is below
    // 1, or the labels per sheet when it is above them.
    static QString StartText(const QString& text, int perSheet);
    // The leading number of a text, 0 when it has none.
    static double Number(const QString& text);

    // Sheets needed for count labels from position start.
    static int SheetsRequired(int count, double start, int perSheet);
    // "Address labels - 7 labels to print (1 label sheets required)", or the
    // base caption alone when nothing is to print.
    static QString Caption(int count, double start, int perSheet);

    // The rows of labels: the used rows of the sheet before start left empty,
    // then the labels in order, across labels to a row (at most four).
    static LabelRows Rows(const QStringList& labels, double start, int across, int* printed);
    // The position the next printing starts at (1 to the labels per sheet).
    static int NextStart(double start, int printed, int perSheet);
};
