#pragma once
// How well one colour reads on another (the WCAG contrast ratio, 1 to 21), and
// the text colour to draw on a background the seller chose.

#include <QColor>

namespace ColorContrast {

// Plain text needs 4.5:1; bold text 3:1.
constexpr double PlainText = 4.5;
constexpr double BoldText = 3.0;

// Relative luminance, 0 (black) to 1 (white).
double luminance(const QColor& colour);
double ratio(const QColor& a, const QColor& b);
// Black or white, whichever reads better on the background.
QColor textOn(const QColor& background);
// The wanted colour when it reads on the background at the ratio given;
// otherwise the same hue made darker or lighter (towards black or white,
// whichever reads better) just far enough that it does.
QColor readableOn(const QColor& background, const QColor& wanted, double minimum = PlainText);

}  // namespace ColorContrast
