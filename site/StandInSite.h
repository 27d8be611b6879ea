#pragma once
// The stand-in auction site: a small HTTP server on 127.0.0.1 that serves the
// pages and forms the program relies on (see README.md, the site contract).
// Tests run it in-process on a free port; the demo runs it as a program.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class StandInSite {
public:
    struct Account {
        QString userId;    // the member name shown on the site
        QString email;     // what the seller logs in with
        QString password;
        QString member;    // the member number
    };
    struct Request {
        QString method;
        QString path;
        QMap<QString, QString> query;
        QMap<QString, QString> form;  // fields of a posted form
        QString account;              // userId of the session, "" without one
    };

    StandInSite();
    ~StandInSite();
    StandInSite(const StandInSite&) = delete;
    StandInSite& operator=(const StandInSite&) = delete;

    // Reads accounts (and later listings) from a JSON fixture; false with a reason.
    bool loadFixture(const QString& path, QString* error = nullptr);
    void addAccount(const Account& account);
    // The version the maker's site says every seller must have ("2.1004" unless set).
    void setRequiredVersion(const QString& version);
    // A buyer the seller search finds (member name and number).
    void addBuyer(const QString& userId, const QString& member);

    // Listens on 127.0.0.1 (port 0: any free port) in a thread of its own.
    bool start(quint16 port = 0);
    void stop();
    quint16 port() const;
    QString baseUrl() const;  // "http://127.0.0.1:<port>"

    // Requests served so far, oldest first.
    QList<Request> requests() const;
    void clearRequests();
    // A session for an account without going through the login form (tests).
    QString openSession(const QString& userId);
    static QString sessionCookieName();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
