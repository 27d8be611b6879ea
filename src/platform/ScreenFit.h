#pragma once
// The room a window has on its screen: windows open within it, however
// large their contents, the desktop's scale or the seller's saved size.

#include <QRect>
#include <QSize>

class QWidget;

namespace ScreenFit {

// Room kept for a window's frame and title bar, which are not known before it shows.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 48;

// The available area (less panels and docks) of the screen the window opens
// on, its parent's when it has one, less its frame: the most its inside may take.
QRect room(const QWidget* window);
// The size given, no larger than that room.
QSize within(const QWidget* window, const QSize& wanted);

}  // namespace ScreenFit
