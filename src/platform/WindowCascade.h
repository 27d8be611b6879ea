#pragma once
// Where the next of a set of windows goes: a step down and right of the last
// one opened, so that each shows its title bar, and always within the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace WindowCascade {

// The top-left corner for a window whose frame has the size given, opened
// after one whose frame is at `last`, within `area` (the screen less its
// panels). Each direction starts over on its own: a frame that would go past
// the bottom goes to the top, one that would go past the right edge to the
// left, so a new diagonal starts beside the last rather than on it. A frame
// larger than the area starts at its top or left edge.
QPoint Next(const QRect& last, const QSize& frame, const QRect& area, int step);

}  // namespace WindowCascade
