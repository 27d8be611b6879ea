#pragma once
// Working a modal window in a test: the window shows from a call that does
// not return until it closes, so the test acts on it from a poll of the event
// loop. A window that never comes (or never closes) is closed after a while,
// so the test fails instead of hanging.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <type_traits>

namespace ModalDriver {

// Runs start; the first visible modal window of type W is handed to act,
// once. True when such a window came.
template <typename W = QWidget>
bool OnModal(const std::function<void()>& start, const std::type_identity_t<std::function<void(W*)>>& act, int giveUpMs = 20000)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w || !w->isVisible() || seen) return;
        seen = true;
        poll.stop();
        act(w);
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    guard.start(giveUpMs);
    poll.start();
    start();
    return seen;
}

}  // namespace ModalDriver
