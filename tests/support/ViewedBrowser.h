#pragma once
// The scripted browser with a view of its own, which a window places as it
// does the real browser's (hidden, shown over the window for a message).
// The view goes with the browser, or with the window that took it first.

#include "platform/browser/FakeBrowser.h"

#include <QPointer>
#include <QWidget>

class ViewedBrowser : public FakeBrowser {
public:
    using FakeBrowser::FakeBrowser;
    ~ViewedBrowser() override { delete m_view; }
    QWidget* widget() override { return m_view; }

private:
    QPointer<QWidget> m_view = new QWidget;
};
