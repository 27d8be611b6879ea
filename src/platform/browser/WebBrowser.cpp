#include "WebBrowser.h"

#include "WebEngineBrowser.h"

#include <QUrl>

namespace {
WebBrowser::Factory& factory()
{
    static WebBrowser::Factory f;
    return f;
}
}  // namespace

WebBrowser* WebBrowser::create(QObject* parent)
{
    if (factory()) return factory()(parent);
    return new WebEngineBrowser(parent);
}

void WebBrowser::setFactory(Factory f) { factory() = std::move(f); }

QString WebBrowser::normaliseText(const QString& text)
{
    QString out = text;
    out.replace(QChar(0x00A0), u' ');
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(u'\r', u'\n');
    out.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return out;
}

QString WebBrowser::localPath(const QString& address)
{
    if (address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return QUrl(address).toLocalFile();
    if (address.startsWith(u'/')) return address;
    return QString();
}

bool WebBrowser::isLocalSubmitPage(const QString& address)
{
    const QString path = localPath(address);
    return !path.isEmpty() && path.endsWith(QLatin1String(".sub"), Qt::CaseInsensitive);
}
