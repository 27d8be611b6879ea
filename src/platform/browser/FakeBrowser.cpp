#include "FakeBrowser.h"

#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QUrl>

void FakeBrowser::dropStalled()
{
    m_pending -= m_stalled;
    m_stalled = 0;
}

void FakeBrowser::Stop()
{
    // Every load under way ends, also one whose answer is still to come.
    m_history << QStringLiteral("<stop>");
    ++m_stopped;
    m_pending = 0;
    m_stalled = 0;
}

void FakeBrowser::Navigate(const QString& address)
{
    dropStalled();  // a new load replaces one that hangs
    m_history << address;
    QString content;
    if (isLocalSubmitPage(address)) {
        // Read now, as the real browser does: the file may go right after.
        QFile f(localPath(address));
        if (f.open(QIODevice::ReadOnly)) content = QString::fromUtf8(f.readAll());
        m_contents << content;
    }
    ++m_pending;
    emit DownloadBegin();
    QPointer<FakeBrowser> self(this);
    QTimer::singleShot(0, this, [self, address, content, stops = m_stopped] {
        if (!self || self->m_stopped != stops) return;
        const Page page = self->m_handler ? self->m_handler(address, content) : Page{};
        if (page.neverLoads) {
            ++self->m_stalled;
            return;
        }
        --self->m_pending;
        const QString local = localPath(address);
        self->m_url = !page.url.isEmpty() ? page.url : local.isEmpty() ? address : QUrl::fromLocalFile(local).toString();
        self->m_title = page.title;
        self->m_text = normaliseText(page.text);
        self->m_html = page.html;
        emit self->DocumentComplete(self->m_url);
        if (self && !page.then.isEmpty()) self->Navigate(page.then);
    });
}
