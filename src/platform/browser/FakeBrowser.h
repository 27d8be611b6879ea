#pragma once
// A scripted browser for tests: pages come from a handler, loads complete on
// the next turn of the event loop, and every address asked for is recorded.

#include "WebBrowser.h"

#include <QStringList>

class FakeBrowser : public WebBrowser {
    Q_OBJECT
public:
    struct Page {
        QString url;       // where the load ends (after redirects); empty = as asked
        QString title;
        QString text;      // body text; normalised as the real browser does
        QString html;
        QString then;      // an address the page goes on to by itself (a form that submits itself)
        bool neverLoads = false;  // a silent site: the load stays busy until stopped or replaced
    };
    // Answers a load: the address asked for and, for a local .sub page, its content.
    using Handler = std::function<Page(const QString& address, const QString& content)>;

    explicit FakeBrowser(QObject* parent = nullptr) : WebBrowser(parent) {}

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    QWidget* widget() override { return nullptr; }
    void Navigate(const QString& address) override;
    QString LocationURL() const override { return m_url; }
    QString LocationName() const override { return m_title; }
    QString BodyText() const override { return m_text; }
    QString DocumentHtml() const override { return m_html; }
    bool Busy() const override { return m_pending > 0; }
    void GoBack() override { m_history << QStringLiteral("<back>"); }
    void GoForward() override { m_history << QStringLiteral("<forward>"); }
    void Refresh() override { if (!m_url.isEmpty()) Navigate(m_url); }
    void Stop() override;

    // Every address navigated to, oldest first; local pages with their content.
    QStringList navigations() const { return m_history; }
    QStringList localContents() const { return m_contents; }

private:
    Handler m_handler;
    QString m_url, m_title, m_text, m_html;
    QStringList m_history, m_contents;
    int m_pending = 0;
    int m_stalled = 0;  // loads that never complete
    int m_stopped = 0;  // Stop calls so far: a load begun before one never completes
    void dropStalled();
};
