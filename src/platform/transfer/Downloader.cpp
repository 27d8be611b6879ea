#include "Downloader.h"

#include "SiteCookieJar.h"

#include <QEventLoop>
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

Downloader::Result Downloader::Get(const QUrl& url, int timeoutMs)
{
    Result result;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = manager()->get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
    guard.start(timeoutMs + 1000);
    loop.exec();

    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen()) result.data = reply->readAll();
    if (reply->error() != QNetworkReply::NoError && (result.status < 200 || result.status > 299)) {
        result.error = reply->error() == QNetworkReply::OperationCanceledError ? QStringLiteral("The download timed out.")
                                                                               : reply->errorString();
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

bool Downloader::GetToFile(const QUrl& url, const QString& path, QString* error, int timeoutMs)
{
    const Result r = Get(url, timeoutMs);
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
