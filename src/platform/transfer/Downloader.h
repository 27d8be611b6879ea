#pragma once
// Downloads from the site over HTTP, sending the browser's login cookies.
// A network error, a status outside 200-299, an empty body or a body larger
// than the request's cap is a failure; every transfer has a time-out.
// Start returns at once and reports from the event loop; Get waits for the
// same transfer while window events go on.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QObject;

class Downloader {
public:
    struct Result {
        bool ok = false;
        int status = 0;       // the HTTP status, 0 without an answer
        QByteArray data;
        QString error;        // why it failed
    };
    using Callback = std::function<void(const Result&)>;

    // Pages and exports; small files (a version number) ask for less, the installer for more.
    static constexpr qint64 DefaultMaxBytes = 32 * 1024 * 1024;

    // Starts a transfer and returns at once. done runs exactly once, later,
    // from the event loop, with the outcome; when context is destroyed first
    // the transfer is stopped and done never runs. The whole transfer ends
    // within timeoutMs; a body (or a Content-Length) over maxBytes stops it at
    // once, so no more than maxBytes is ever held. stallTimeoutMs (when above 0)
    // ends it sooner when nothing arrives for that long.
    static void Start(const QUrl& url, int timeoutMs, qint64 maxBytes, QObject* context, Callback done, int stallTimeoutMs = 0);
    // The same transfer, waited for.
    static Result Get(const QUrl& url, int timeoutMs = 60000, qint64 maxBytes = DefaultMaxBytes);
    // Saves a download to a file; false (and the reason) on failure, leaving no partial file.
    static bool GetToFile(const QUrl& url, const QString& path, QString* error = nullptr, int timeoutMs = 60000,
                          qint64 maxBytes = DefaultMaxBytes);

    static QNetworkAccessManager* manager();
};
