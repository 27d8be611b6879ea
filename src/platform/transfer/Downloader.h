#pragma once
// Downloads from the site over HTTP, sending the browser's login cookies.
// A network error, a status outside 200-299 or an empty body is a failure;
// every transfer has a time-out. While it waits, window events go on.

#include <QByteArray>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

class Downloader {
public:
    struct Result {
        bool ok = false;
        int status = 0;       // the HTTP status, 0 without an answer
        QByteArray data;
        QString error;        // why it failed
    };

    static Result Get(const QUrl& url, int timeoutMs = 60000);
    // Saves a download to a file; false (and the reason) on failure, leaving no partial file.
    static bool GetToFile(const QUrl& url, const QString& path, QString* error = nullptr, int timeoutMs = 60000);

    static QNetworkAccessManager* manager();
};
