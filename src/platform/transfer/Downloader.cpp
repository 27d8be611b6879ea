#include "Downloader.h"

#include "SiteCookieJar.h"

#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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

Downloader::Result Downloader::Get(const QUrl& url, int timeoutMs, qint64 maxBytes)
{
    Result result;
    bool tooLarge = false;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = manager()->get(request);
    // The network thread reads no further ahead of us than this.
    reply->setReadBufferSize(qBound<qint64>(qint64(1), maxBytes + 1, qint64(1024 * 1024)));

    auto stopTooLarge = [&] {
        tooLarge = true;
        reply->abort();
    };
    // Take what has arrived, never more than the cap: one byte beyond it is enough to know.
    auto take = [&] {
        if (tooLarge) return;
        result.data += reply->read(maxBytes - result.data.size());
        if (reply->bytesAvailable() > 0) stopTooLarge();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        bool known = false;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > maxBytes) stopTooLarge();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::errorOccurred, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
    guard.start(timeoutMs + 1000);
    if (!reply->isFinished()) loop.exec();
    if (reply->isOpen()) take();
    QObject::disconnect(reply, nullptr, nullptr, nullptr);

    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        result.data.clear();
        result.error = QStringLiteral("The site sent more than %1; the download was stopped.")
                           .arg(QLocale::c().formattedDataSize(maxBytes, 0, QLocale::DataSizeTraditionalFormat));
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Cut off, perhaps after a good status and part of the body: never a whole download.
        result.data.clear();
        result.error = QStringLiteral("The download timed out.");
    } else if (reply->error() != QNetworkReply::NoError) {
        if (result.status >= 200 && result.status <= 299) result.data.clear();  // a good start, a broken body
        result.error = reply->errorString();
    } else if (result.status < 200 || result.status > 299) {
        result.error = QStringLiteral("The site answered with status %1.").arg(result.status);
    } else if (result.data.isEmpty()) {
        result.error = QStringLiteral("The site sent nothing.");
    } else {
        result.ok = true;
    }
    if (!result.ok && result.status >= 300 && !result.error.contains(QString::number(result.status)))
        result.error += QStringLiteral(" (status %1)").arg(result.status);
    reply->deleteLater();
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
