#include "SiteConfig.h"

#include <QUrl>

namespace {
const QString builtInBases[] = {QStringLiteral("https://www.trademe.co.nz"), QStringLiteral("http://www.trademe.co.nz")};

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

QString SiteConfig::defaultMakerUrl() { return QStringLiteral("https://www.vendaro.co.nz"); }

QString SiteConfig::makerUrl() { return fromEnvironment("VENDARO_MAKER_URL", defaultMakerUrl()); }

QString SiteConfig::siteHome() { return siteUrl() + u'/'; }

QString SiteConfig::rebase(const QString& address)
{
    // Both the secure and the plain address of the built-in site count.
    for (const QString& base : builtInBases) {
        if (!address.startsWith(base, Qt::CaseInsensitive)) continue;
        const QString rest = address.mid(base.size());
        if (!rest.isEmpty() && !rest.startsWith(u'/') && !rest.startsWith(u'?')) continue;  // another host
        return siteUrl() + rest;
    }
    return address;
}

QString SiteConfig::rebaseText(const QString& text)
{
    QString out = text;
    for (const QString& base : builtInBases) out.replace(base, siteUrl(), Qt::CaseInsensitive);
    return out;
}

QString SiteConfig::rebaseMakerText(const QString& text)
{
    QString out = text;
    for (const QString& base : {defaultMakerUrl(), QStringLiteral("http://www.vendaro.co.nz")}) out.replace(base, makerUrl(), Qt::CaseInsensitive);
    return out;
}

QString SiteConfig::siteDomain()
{
    QString host = QUrl(siteUrl()).host().toLower();
    if (host.startsWith(QLatin1String("www."))) host = host.mid(4);
    return host;
}

bool SiteConfig::isOnSite(const QString& address)
{
    const QString domain = siteDomain();
    return !domain.isEmpty() && address.toLower().contains(domain);
}

QString SiteConfig::hostName(const QString& address)
{
    const QUrl url(address);
    return url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}
