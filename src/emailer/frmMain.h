#pragma once
// The outbox sender's window: its caption tells how many e-mails are left;
// the browser the pages are posted through sits outside the visible area.

#include <QWidget>

class OutboxSender;
class WebBrowser;

namespace emailer {

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(OutboxSender& sender, QWidget* parent = nullptr);
    WebBrowser* web() const { return m_web; }

private:
    WebBrowser* m_web;
};

}  // namespace emailer
