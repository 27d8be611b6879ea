#pragma once
// The cookies of the site login, shared by the browser (which fills it) and
// the downloads (which send them).

#include <QNetworkCookieJar>

class SiteCookieJar : public QNetworkCookieJar {
    Q_OBJECT
public:
    static SiteCookieJar* instance();
    void add(const QNetworkCookie& cookie);
    void remove(const QNetworkCookie& cookie);
    void clear();
};
