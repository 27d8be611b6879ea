#pragma once
// The outbox sender's window: its caption tells how many e-mails are left;
// the browser the pages are posted through sits outside the visible area.
// The window works in the background: it starts minimised, never takes the
// focus itself, and only its questions come forward.

#include <QWidget>

class OutboxSender;
class WebBrowser;

namespace emailer {

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(OutboxSender& sender, QWidget* parent = nullptr);
    WebBrowser* web() const { return m_web; }

    // Shows the window minimised, without taking the focus from the seller's window.
    void showInBackground();

private:
    WebBrowser* m_web;
};

}  // namespace emailer
