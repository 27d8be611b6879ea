#pragma once
// Where the label report puts things on the page, from the label layout: the
// margins, the height of one row of labels and the four label fields, each
// column at the left margin plus (column - 1) label widths, the last column
// narrowed to end at the right margin. All in twips.

#include "LabelLayout.h"
#include "LabelRows.h"
#include "platform/printing/BandedReport.h"

#include <QString>

#include <array>

class LabelReportLayout {
public:
    struct Field {
        int left = 0;   // from the left margin
        int width = 0;
    };

    int pageWidth = 0;
    int topMargin = 0;
    int leftMargin = 0;
    int bottomMargin = 0;
    int rightMargin = 0;
    int labelHeight = 0;
    int labelWidth = 0;  // after narrowing
    int across = 1;
    int fontSize = 10;
    QString fontName;
    std::array<Field, labelrows::Fields> fields{};
    // The last column could not be narrowed enough: the too-wide message is due.
    bool tooWide = false;

    static LabelReportLayout Lay(const LabelLayout& layout);
    // The label report of these rows.
    BandedReport Report(const LabelRows& rows) const;

    static QString TooWideMessage();
};
