#include "Downloader.h"

#include "SiteCookieJar.h"

#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

QNetworkAccessManager* Downloader::manager()
{
    static QNetworkAccessManager* nam = [] {
        auto* m = new QNetworkAccessManager;
        m->setCookieJar(SiteCookieJar::instance());
        SiteCookieJar::instance()->setParent(nullptr);  // shared: the manager must not own it
        m->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        return m;
    }();
    return nam;
}

namespace {

// One transfer in flight: owns its reply and its guard timer, judges the
// outcome once the reply has finished, reports and deletes itself.
class Transfer : public QObject {
public:
    Transfer(const QUrl& url, int timeoutMs, int stallTimeoutMs, qint64 maxBytes, QObject* context, Downloader::Callback done)
        : m_maxBytes(maxBytes), m_hasContext(context != nullptr), m_context(context), m_done(std::move(done))
    {
        QNetworkRequest request(url);
        request.setTransferTimeout(stallTimeoutMs > 0 ? std::min(stallTimeoutMs, timeoutMs) : timeoutMs);
        m_reply = Downloader::manager()->get(request);
        // The network thread reads no further ahead of us than this.
        m_reply->setReadBufferSize(qBound<qint64>(qint64(1), maxBytes + 1, qint64(1024 * 1024)));
        connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
            bool known = false;
            const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
            if (known && length > m_maxBytes) stopTooLarge();
        });
        connect(m_reply, &QNetworkReply::readyRead, this, &Transfer::take);
        connect(m_reply, &QNetworkReply::finished, this, &Transfer::finish);
        // An error is the end, even where the reply would only finish later (a failed decompression).
        connect(m_reply, &QNetworkReply::errorOccurred, this, &Transfer::finish);
        // The reply's own time-out counts only silence; this one bounds the whole transfer.
        m_guard.setSingleShot(true);
        connect(&m_guard, &QTimer::timeout, m_reply, &QNetworkReply::abort);
        m_guard.start(timeoutMs + 1000);
        if (context) {
            m_contextGone = connect(context, &QObject::destroyed, this, [this] {
                m_abandoned = true;
                m_reply->abort();
            });
        }
    }

private:
    void stopTooLarge()
    {
        m_tooLarge = true;
        m_reply->abort();
    }
    // Take what has arrived, never more than the cap: one byte beyond it is enough to know.
    void take()
    {
        if (m_tooLarge || m_finished) return;
        m_result.data += m_reply->read(m_maxBytes - m_result.data.size());
        if (m_reply->bytesAvailable() > 0) stopTooLarge();
    }

    void finish()
    {
        if (m_finished) return;
        if (m_reply->isOpen()) take();
        m_finished = true;
        m_guard.stop();
        QObject::disconnect(m_reply, nullptr, this, nullptr);
        QObject::disconnect(m_contextGone);
        judge();
        // A reply that failed is ending already; aborting it again only makes Qt complain.
        if (!m_reply->isFinished() && m_reply->error() == QNetworkReply::NoError) m_reply->abort();
        m_reply->deleteLater();
        deleteLater();
        // A context gone (or going) wants no answer.
        if (m_abandoned || (m_hasContext && !m_context) || !m_done) return;
        // Taken out first: the answer may open a dialog, whose event loop may delete this transfer.
        const Downloader::Callback done = std::move(m_done);
        const Downloader::Result result = std::move(m_result);
        done(result);
    }

    void judge()
    {
        Downloader::Result& result = m_result;
        result.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (m_tooLarge) {
            result.data.clear();
            result.error = QStringLiteral("The site sent more than %1; the download was stopped.")
                               .arg(QLocale::c().formattedDataSize(m_maxBytes, 0, QLocale::DataSizeTraditionalFormat));
        } else if (m_reply->error() == QNetworkReply::OperationCanceledError) {
            // Cut off, perhaps after a good status and part of the body: never a whole download.
            result.data.clear();
            result.error = QStringLiteral("The download timed out.");
        } else if (m_reply->error() != QNetworkReply::NoError) {
            if (result.status >= 200 && result.status <= 299) result.data.clear();  // a good start, a broken body
            result.error = m_reply->errorString();
        } else if (result.status < 200 || result.status > 299) {
            result.error = QStringLiteral("The site answered with status %1.").arg(result.status);
        } else if (result.data.isEmpty()) {
            result.error = QStringLiteral("The site sent nothing.");
        } else {
            result.ok = true;
        }
        if (!result.ok && result.status >= 300 && !result.error.contains(QString::number(result.status)))
            result.error += QStringLiteral(" (status %1)").arg(result.status);
    }

    QNetworkReply* m_reply = nullptr;
    QTimer m_guard;
    qint64 m_maxBytes;
    bool m_hasContext;
    QPointer<QObject> m_context;
    QMetaObject::Connection m_contextGone;
    Downloader::Callback m_done;
    Downloader::Result m_result;
    bool m_tooLarge = false;
    bool m_finished = false;
    bool m_abandoned = false;
};

}  // namespace

void Downloader::Start(const QUrl& url, int timeoutMs, qint64 maxBytes, QObject* context, Callback done, int stallTimeoutMs)
{
    new Transfer(url, timeoutMs, stallTimeoutMs, maxBytes, context, std::move(done));
}

Downloader::Result Downloader::Get(const QUrl& url, int timeoutMs, qint64 maxBytes)
{
    Result result;
    bool finished = false;
    QEventLoop loop;
    Start(url, timeoutMs, maxBytes, &loop, [&](const Result& r) {
        result = r;
        finished = true;
        loop.quit();
    });
    if (!finished) loop.exec();
    return result;
}

bool Downloader::GetToFile(const QUrl& url, const QString& path, QString* error, int timeoutMs, qint64 maxBytes)
{
    const Result r = Get(url, timeoutMs, maxBytes);
    if (!r.ok) {
        if (error) *error = r.error;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(r.data) != r.data.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
