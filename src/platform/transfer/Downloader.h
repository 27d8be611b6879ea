#pragma once
// Downloads from the site over HTTP, sending the browser's login cookies.
// A network error, a status outside 200-299, an empty body or a body larger
// than the request's cap is a failure; every transfer has a time-out. While
// it waits, window events go on.

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

    // Pages and exports; small files (a version number) ask for less, the installer for more.
    static constexpr qint64 DefaultMaxBytes = 32 * 1024 * 1024;

    // The whole transfer ends within timeoutMs; a body (or a Content-Length)
    // over maxBytes stops it at once, so no more than maxBytes is ever held.
    static Result Get(const QUrl& url, int timeoutMs = 60000, qint64 maxBytes = DefaultMaxBytes);
    // Saves a download to a file; false (and the reason) on failure, leaving no partial file.
    static bool GetToFile(const QUrl& url, const QString& path, QString* error = nullptr, int timeoutMs = 60000,
                          qint64 maxBytes = DefaultMaxBytes);

    static QNetworkAccessManager* manager();
};
