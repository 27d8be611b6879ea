#pragma once
// The browser of the running program: Qt WebEngine in one shared profile
// whose cookies also serve the program's downloads.

#include "WebBrowser.h"

class QWebEngineView;
class QWebEngineProfile;

class WebEngineBrowser : public WebBrowser {
    Q_OBJECT
public:
    explicit WebEngineBrowser(QObject* parent = nullptr);
    ~WebEngineBrowser() override;

    QWidget* widget() override;
    void Navigate(const QString& address) override;
    QString LocationURL() const override { return m_url; }
    QString LocationName() const override { return m_title; }
    QString BodyText() const override { return m_text; }
    QString DocumentHtml() const override { return m_html; }
    bool Busy() const override { return m_busy; }
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;

    // The one profile of the program (cookies shared with the downloads).
    static QWebEngineProfile* profile();

private:
    void gather();

    QWebEngineView* m_view;
    QString m_url, m_title, m_text, m_html;
    bool m_busy = false;
    int m_generation = 0;  // loads started; stale answers of earlier loads are dropped
};
