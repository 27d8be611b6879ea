#include "WindowCascade.h"

namespace WindowCascade {

namespace {
// One direction: from `last` a step on, back to the start when the window's
// far edge would pass the end of the room (or the last stood outside it).
int along(int last, int length, int start, int room, int step)
{
    const int next = last + step;
    if (next < start || next + length > start + room) return start;
    return next;
}
}  // namespace

QPoint Next(const QRect& last, const QSize& frame, const QRect& area, int step)
{
    return {along(last.left(), frame.width(), area.left(), area.width(), step),
            along(last.top(), frame.height(), area.top(), area.height(), step)};
}

}  // namespace WindowCascade
