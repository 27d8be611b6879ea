#pragma once
// The label setup dialog's rules, free of the window: reading and showing
// measures, the ranges of the counts, the spinner steps, the check that the
// rows fit the page's height, the measures a sheet can have, and the rows of
// a test print.

#include "LabelRows.h"

#include <QString>

class LabelSetupRules {
public:
    // The fields, by their index in the dialog's numValue array.
    enum Field { Top = 0, Left = 1, Bottom = 2, Right = 3, Width = 4, Height = 5, Across = 6, Down = 7, FontSize = 8 };
    static constexpr int FieldCount = 9;
    static bool IsCount(int index) { return index >= Across; }
    // The most a count field takes: 4 across, 15 down, 72 points.
    static int CountMax(int index);

    // Centimetres in a typed measure: "12 mm" is 1.2, "3CM" 3, "2.5" 2.5;
    // text without a leading number is 0, and no other unit is known.
    static double ParseMeasure(const QString& text);
    // "1.50 cm".
    static QString MeasureText(double cm);
    // What a field shows when the focus leaves it.
    static QString Validate(int index, const QString& text);
    // One spinner click (+1 up, -1 down) on a field's text.
    static QString Spin(int index, const QString& text, int step);

    // How many twips the rows of labels overrun the page's height (0 or less: they fit).
    static qint64 HeightExcess(const QString& top, const QString& bottom, const QString& height, const QString& down);
    static QString FitMessage(qint64 excessTwips);
    // Why a measure cannot be printed, or "" when it can: no measure is
    // negative, a margin is less than the page, and a label has a width and a
    // height up to the page's own (compared in hundredths of a centimetre).
    static QString MeasureProblem(int index, double cm);

    // A full sheet of test labels, then the marker row.
    static LabelRows TestRows(int across, int down);
    static QString TestLabel();
    static QString MarkerText();
};
