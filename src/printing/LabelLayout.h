#pragma once
// The label sheet layout: the ten label columns of the settings row, read
// afresh by every user (they are not part of the loaded configuration).
// Measures are centimetres; the counts are kept as stored and read clamped to
// a layout that can be printed (1 to 4 across, at least 1 down).

#include <QString>

class LabelLayout {
public:
    double LabelTop = 0;
    double LabelLeft = 0;
    double LabelBottom = 0;
    double LabelRight = 0;
    double LabelWidth = 0;
    double LabelHeight = 0;
    int LabelCols = 0;
    int LabelRows = 0;
    int LabelFontSize = 0;
    QString LabelFont;
    bool FontIsNull = false;  // the stored font name is missing

    static constexpr int MaxCols = 4;

    // Reads the settings row; on failure the database's message has been shown
    // and the result is false.
    static bool Read(LabelLayout* layout);
    // Writes the ten columns in one transaction; on failure the database's
    // message has been shown, nothing is kept and the result is false.
    bool Save() const;

    // The counts a sheet is printed with: across 1 to 4, down at least 1.
    int Across() const;
    int Down() const;
    int LabelsPerSheet() const { return Across() * Down(); }
};
