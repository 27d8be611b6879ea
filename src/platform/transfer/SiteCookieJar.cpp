#include "SiteCookieJar.h"

#include <QNetworkCookie>

SiteCookieJar* SiteCookieJar::instance()
{
    // Owned by the download manager once handed to it; created once.
    static SiteCookieJar* jar = new SiteCookieJar;
    return jar;
}

void SiteCookieJar::add(const QNetworkCookie& cookie)
{
    // A cookie without a domain would never be sent: it came from the site the browser showed.
    if (!insertCookie(cookie)) updateCookie(cookie);
}

void SiteCookieJar::remove(const QNetworkCookie& cookie) { deleteCookie(cookie); }

void SiteCookieJar::clear() { setAllCookies({}); }
