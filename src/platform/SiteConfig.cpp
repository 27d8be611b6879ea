#include "SiteConfig.h"

namespace {
QString fromEnvironment(const char* name, const QString& fallback)
{
    QString value = qEnvironmentVariable(name).trimmed();
    if (value.isEmpty()) value = fallback;
    while (value.endsWith(u'/')) value.chop(1);
    return value;
}
}  // namespace

QString SiteConfig::defaultSiteUrl() { return QStringLiteral("https://www.trademe.co.nz"); }

QString SiteConfig::siteUrl() { return fromEnvironment("VENDARO_SITE_URL", defaultSiteUrl()); }

QString SiteConfig::makerUrl() { return fromEnvironment("VENDARO_MAKER_URL", QStringLiteral("https://www.vendaro.co.nz")); }

QString SiteConfig::siteHome() { return siteUrl() + u'/'; }

QString SiteConfig::rebase(const QString& address)
{
    // Both the secure and the plain address of the built-in site count.
    for (const QString& base : {defaultSiteUrl(), QStringLiteral("http://www.trademe.co.nz")}) {
        if (!address.startsWith(base, Qt::CaseInsensitive)) continue;
        const QString rest = address.mid(base.size());
        if (!rest.isEmpty() && !rest.startsWith(u'/') && !rest.startsWith(u'?')) continue;  // another host
        return siteUrl() + rest;
    }
    return address;
}
