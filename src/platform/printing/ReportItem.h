#pragma once
// One thing printed in a band of a banded report: a fixed text, the value of a
// field of the current row, or a horizontal rule. Positions and sizes are in
// twips, from the band's top and the page's left margin.

#include <QString>
#include <Qt>

struct ReportItem {
    enum Kind { Label, Field, Rule };
    Kind kind = Label;
    QString text;   // a Label's text
    QString field;  // a Field's name in the report's rows
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;  // a Rule's line width when above 0
    QString fontName = QStringLiteral("Arial");
    double fontSize = 8.25;  // points
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
};
