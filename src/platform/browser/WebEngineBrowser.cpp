#include "WebEngineBrowser.h"

#include "platform/transfer/SiteCookieJar.h"

#include <QFile>
#include <QPointer>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// A page that never shows script dialogs (the browser runs silent).
class SilentPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return true; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
};

}  // namespace

QWebEngineProfile* WebEngineBrowser::profile()
{
    static QWebEngineProfile* shared = [] {
        auto* p = new QWebEngineProfile(QStringLiteral("Vendaro"));
        // Local pages post to the site, but never read local files: the
        // seller's database, with the site password, is one.
        p->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        p->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        p->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        // The login made here serves the downloads too.
        QWebEngineCookieStore* store = p->cookieStore();
        QObject::connect(store, &QWebEngineCookieStore::cookieAdded, [](const QNetworkCookie& c) { SiteCookieJar::instance()->add(c); });
        QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, [](const QNetworkCookie& c) { SiteCookieJar::instance()->remove(c); });
        store->loadAllCookies();
        return p;
    }();
    return shared;
}

WebEngineBrowser::WebEngineBrowser(QObject* parent) : WebBrowser(parent), m_view(new QWebEngineView)
{
    m_view->setPage(new SilentPage(profile(), m_view));
    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        m_busy = true;
        ++m_generation;
        emit DownloadBegin();
    });
    connect(m_view, &QWebEngineView::loadProgress, this, &WebBrowser::ProgressChange);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool) { gather(); });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The view belongs to the window it is placed in, or to us.
    if (m_view && !m_view->parent()) delete m_view;
}

QWidget* WebEngineBrowser::widget() { return m_view; }

void WebEngineBrowser::gather()
{
    const int generation = m_generation;
    QPointer<WebEngineBrowser> self(this);
    const QString url = m_view->url().toString();
    const QString title = m_view->title();
    // Every finished load is reported, in order. A page that was left (a
    // local page that submits itself, say) before its text arrived is
    // reported with its address and title only.
    //
    // The report is posted, not made inside WebEngine's callback: a handler
    // that opens a modal window (a message, a login) would otherwise hold the
    // callback, and no other page's callbacks would come until it closed.
    auto deliver = [self, url, title](const QString& text, const QString& html) {
        if (!self) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, url, title, text, html] {
                if (!self) return;
                self->m_url = url;
                self->m_title = title;
                self->m_text = normaliseText(text);
                self->m_html = html;
                self->m_busy = false;
                emit self->DocumentComplete(url);
            },
            Qt::QueuedConnection);
    };
    m_view->page()->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"),
                                  [self, generation, deliver](const QVariant& text) {
                                      if (!self) return;
                                      if (generation != self->m_generation) return deliver(QString(), QString());
                                      self->m_view->page()->toHtml([self, generation, deliver, text](const QString& html) {
                                          if (!self) return;
                                          if (generation != self->m_generation) return deliver(QString(), QString());
                                          deliver(text.toString(), html);
                                      });
                                  });
}

void WebEngineBrowser::Navigate(const QString& address)
{
    if (isLocalSubmitPage(address)) {
        // Not served as HTML from disk: load its content with its own address.
        const QString path = localPath(address);
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            m_view->setHtml(QString::fromUtf8(f.readAll()), QUrl::fromLocalFile(path));
            return;
        }
    }
    const QString path = localPath(address);
    m_view->load(path.isEmpty() ? QUrl::fromUserInput(address) : QUrl::fromLocalFile(path));
}

void WebEngineBrowser::GoBack() { m_view->back(); }
void WebEngineBrowser::GoForward() { m_view->forward(); }
void WebEngineBrowser::Refresh() { m_view->reload(); }
void WebEngineBrowser::Stop() { m_view->stop(); }
