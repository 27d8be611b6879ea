#include "WebEngineBrowser.h"

#include "platform/HtmlTag.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <utility>

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

// A page set from memory travels as a data: address, which the browser
// refuses beyond 2 MB once percent-encoded.
bool fitsInAddress(const QString& content)
{
    constexpr qsizetype Limit = 2 * 1024 * 1024 - 1024;  // room for the address's own head
    return QUrl::toPercentEncoding(content.toUtf8()).size() <= Limit;
}

// The action of a page's first form, with the entities a browser writes
// into attribute values read back.
QString firstFormAction(const QString& content)
{
    const HtmlTag form = HtmlTag::Find(content, QLatin1String("form"), 0);
    if (!form.found()) return {};
    qsizetype at = form.start + 1 + form.name.size();
    HtmlTag::Attribute a;
    while (HtmlTag::NextAttribute(content, at, a)) {
        if (QStringView(content).sliced(a.start, a.nameEnd - a.start).compare(QLatin1String("action"), Qt::CaseInsensitive) != 0) continue;
        if (a.valueStart < 0) return {};
        QString action = content.sliced(a.valueStart, a.valueEnd - a.valueStart);
        action.replace(QLatin1String("&quot;"), QLatin1String("\""));
        action.replace(QLatin1String("&#39;"), QLatin1String("'"));
        action.replace(QLatin1String("&lt;"), QLatin1String("<"));
        action.replace(QLatin1String("&gt;"), QLatin1String(">"));
        action.replace(QLatin1String("&amp;"), QLatin1String("&"));
        return action.trimmed();
    }
    return {};
}

}  // namespace

QWebEngineProfile* WebEngineBrowser::profile()
{
    static QWebEngineProfile* shared = [] {
        // WebEngine reports its set-up at every start; the seller's terminal
        // shows the program's own messages.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
        auto* p = new QWebEngineProfile(QStringLiteral("Vendaro"));
        // A written page too big to be given the site's address posts from
        // its file's, but it never reads local files: the seller's database,
        // with the site password, is one.
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

WebEngineBrowser::WebEngineBrowser(QObject* parent) : WebBrowser(parent), m_view(new QWebEngineView), m_page(new SilentPage(profile(), this))
{
    m_view->setPage(m_page);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_busy = true;
        ++m_generation;
        emit DownloadBegin();
    });
    connect(m_page, &QWebEnginePage::loadProgress, this, &WebBrowser::ProgressChange);
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool) {
        writeHeldContent();
        gather();
    });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // WebEngine answers reads still pending while the page goes: with the page
    // already let go they find nothing to call.
    QWebEnginePage* page = std::exchange(m_page, nullptr);
    // The view belongs to the window it is placed in, or to us.
    if (m_view && !m_view->parent()) delete m_view.data();
    delete page;
}

QWidget* WebEngineBrowser::widget() { return m_view; }

QUrl WebEngineBrowser::writtenPageOrigin(const QString& content, const QString& fileName)
{
    QUrl origin(firstFormAction(content));
    const QString scheme = origin.scheme().toLower();
    if (!origin.isValid() || origin.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) return {};
    // The mark keeps the written page apart from the site page of the same
    // address; a fragment is never sent, so the post and its origin are the site's.
    origin.setFragment(QStringLiteral("written:") + fileName);
    return origin;
}

void WebEngineBrowser::writeHeldContent()
{
    if (m_heldContent.isEmpty() || !m_page || m_page->url() != m_writtenOrigin) return;
    // The written page goes into the placeholder loaded at its address, as
    // the page itself: its own onload runs when the writing closes.
    const QString literal = QString::fromUtf8(QJsonDocument(QJsonArray{std::exchange(m_heldContent, QString())}).toJson(QJsonDocument::Compact));
    m_page->runJavaScript(QStringLiteral("document.open(); document.write(") + literal + QStringLiteral("[0]); document.close();"));
}

void WebEngineBrowser::gather()
{
    if (!m_page) return;
    const int generation = m_generation;
    QPointer<WebEngineBrowser> self(this);
    QString url = m_page->url().toString();
    if (m_writtenOrigin.isValid() && m_page->url() == m_writtenOrigin) url = m_writtenAddress;
    const QString title = m_page->title();
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
    // A read still pending when the page goes is answered during its
    // destruction; the page must not be touched then.
    m_page->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"), [self, generation, deliver](const QVariant& text) {
        if (!self || !self->m_page) return;
        if (generation != self->m_generation) return deliver(QString(), QString());
        self->m_page->toHtml([self, generation, deliver, text](const QString& html) {
            if (!self || !self->m_page) return;
            if (generation != self->m_generation) return deliver(QString(), QString());
            deliver(text.toString(), html);
        });
    });
}

void WebEngineBrowser::Navigate(const QString& address)
{
    if (!m_page) return;
    const QString path = localPath(address);
    if (isLocalSubmitPage(address)) {
        // Not served as HTML from disk (Linux does not take .sub as HTML):
        // the content is loaded, and the file may go as soon as this returns.
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QString content = QString::fromUtf8(f.readAll());
            m_heldContent.clear();
            const QUrl origin = writtenPageOrigin(content, QFileInfo(path).fileName());
            if (origin.isEmpty()) {
                m_writtenOrigin.clear();
                m_page->setHtml(content, QUrl::fromLocalFile(path));
                return;
            }
            // Given the address of the site page its form posts to, the page's
            // post is same-site and carries the seller's session however old the
            // login; as a local file it would post cross-site, and the browser
            // sends a Lax session with that only in a login's first minutes.
            m_writtenOrigin = origin;
            m_writtenAddress = QUrl::fromLocalFile(path).toString();
            if (fitsInAddress(content)) {
                m_page->setHtml(content, origin);
            } else {
                m_heldContent = content;
                m_page->setHtml(QStringLiteral("<html><head></head><body></body></html>"), origin);
            }
            return;
        }
    }
    m_page->load(path.isEmpty() ? QUrl::fromUserInput(address) : QUrl::fromLocalFile(path));
}

void WebEngineBrowser::GoBack() { if (m_page) m_page->triggerAction(QWebEnginePage::Back); }
void WebEngineBrowser::GoForward() { if (m_page) m_page->triggerAction(QWebEnginePage::Forward); }
void WebEngineBrowser::Refresh() { if (m_page) m_page->triggerAction(QWebEnginePage::Reload); }
void WebEngineBrowser::Stop() { if (m_page) m_page->triggerAction(QWebEnginePage::Stop); }
