#pragma once
// The seller of a test on the stand-in site: the account the database's
// settings name, and browsers (WebEngine and the downloader) that start
// logged out, so each test logs in as a seller would.

#include "StandInSite.h"
#include "core/ProgramContext.h"
#include "platform/browser/WebEngineBrowser.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace SiteSeller {

// The stand-in's usual seller.
inline StandInSite::Account Kiwi() { return {"kiwi_seller", "seller@example.co.nz", "demo-pass", "1234567"}; }

// The database's settings name the account; the browsers hold no session.
inline void UseAccount(const StandInSite::Account& account)
{
    Configuration& c = ProgramContext::current().gConfiguration;
    c.TradeMeUserId = account.userId;
    c.TradeMeEmail = account.email;
    c.TradeMePassword = account.password;
    c.TradeMeMemberId = account.member;
    WebEngineBrowser::profile()->cookieStore()->deleteAllCookies();
    SiteCookieJar::instance()->clear();
}

}  // namespace SiteSeller
