#pragma once
// Where the auction site and the maker's site are. The built-in addresses are
// the real sites; VENDARO_SITE_URL and VENDARO_MAKER_URL point the program at
// others (the local stand-in site in tests and the demo).

#include <QString>

class SiteConfig {
public:
    // Base addresses without a trailing "/".
    static QString defaultSiteUrl();
    static QString siteUrl();
    static QString makerUrl();
    // The site's home page.
    static QString siteHome();
    // An address on the built-in site, moved onto the configured one; any
    // other text (another site, a code such as "[RELIST]") is returned as is.
    static QString rebase(const QString& address);
    // The same for every built-in site address within a text (a page template).
    static QString rebaseText(const QString& text);
    // The maker's built-in address, and every use of it within a text (the
    // mail-form page) moved onto the configured maker address.
    static QString defaultMakerUrl();
    static QString rebaseMakerText(const QString& text);
    // What the site's addresses contain ("trademe.co.nz", or the configured host).
    static QString siteDomain();
    // The host of an address as a menu names it, with the port when the address names one.
    static QString hostName(const QString& address);
    // Whether an address lies on the site.
    static bool isOnSite(const QString& address);
};
