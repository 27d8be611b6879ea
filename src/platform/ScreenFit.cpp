#include "ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenFit {

QRect room(const QWidget* window)
{
    const QWidget* parent = window ? window->parentWidget() : nullptr;
    QScreen* screen = parent ? parent->screen() : window ? window->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    return area.adjusted(FrameWidth / 2, FrameHeight - FrameWidth / 2, -FrameWidth / 2, -FrameWidth / 2);
}

QSize within(const QWidget* window, const QSize& wanted) { return wanted.boundedTo(room(window).size()); }

}  // namespace ScreenFit
