#pragma once
// The browser of the running program: Qt WebEngine in one shared profile
// whose cookies also serve the program's downloads.

#include "WebBrowser.h"

#include <QPointer>
#include <QUrl>

class QWebEngineView;
class QWebEnginePage;
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

    // The address a written page is given as its own: the site page its
    // first form posts to, marked so that its load is told from the site's
    // page. Empty when the page holds no form posting to a web address, or
    // is too big to be set from memory; it then loads as the local file.
    static QUrl writtenPageOrigin(const QString& content, const QString& fileName);

private:
    void gather();
    void writeHeldContent();

    // The view may belong to the window it is placed in and go before us; the
    // page is ours, so a read still pending when we go finds it gone.
    QPointer<QWebEngineView> m_view;
    QWebEnginePage* m_page = nullptr;
    QString m_url, m_title, m_text, m_html;
    bool m_busy = false;
    int m_generation = 0;  // loads started; stale answers of earlier loads are dropped
    // The written page last loaded with a site origin: reported at its file's address.
    QUrl m_writtenOrigin;
    QString m_writtenAddress;
    QString m_heldContent;  // a written page too big to be set from memory, waiting for its placeholder
};
