#include "AppSettings.h"

#include <QSettings>

namespace {

class Store : public QSettings {
public:
    Store() : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vendaro"), QStringLiteral("Vendaro")) {}
};

}  // namespace

QString AppSettings::encodeKey(const QString& key)
{
    // '%' first, so that the escape itself survives; '/' and '\' are group
    // separators to QSettings.
    QString s = key;
    s.replace(u'%', QLatin1String("%25"));
    s.replace(u'/', QLatin1String("%2F"));
    s.replace(u'\\', QLatin1String("%5C"));
    if (s.isEmpty()) s = QStringLiteral("%00");
    return s;
}

QString AppSettings::decodeKey(const QString& stored)
{
    if (stored == QLatin1String("%00")) return QString();
    QString out;
    out.reserve(stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        if (stored[i] == u'%' && i + 2 < stored.size()) {
            const QStringView code = QStringView(stored).mid(i + 1, 2);
            if (code == u"25") { out += u'%'; i += 2; continue; }
            if (code == u"2F") { out += u'/'; i += 2; continue; }
            if (code == u"5C") { out += u'\\'; i += 2; continue; }
        }
        out += stored[i];
    }
    return out;
}

QString AppSettings::groupFor(const QString& section)
{
    const int slash = section.indexOf(u'\\');
    if (slash < 0) return encodeKey(section);
    return encodeKey(section.left(slash)) + u'/' + encodeKey(section.mid(slash + 1));
}

QString AppSettings::GetSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    Store s;
    if (s.status() == QSettings::AccessError) return defaultValue;
    s.beginGroup(groupFor(section));
    const QVariant value = s.value(encodeKey(key));
    if (!value.isValid()) return defaultValue;
    return value.toString();
}

void AppSettings::SaveSetting(const QString& section, const QString& key, const QString& value)
{
    Store s;
    s.beginGroup(groupFor(section));
    s.setValue(encodeKey(key), value);
}

void AppSettings::SaveSettings(const QString& section, const QList<QPair<QString, QString>>& values)
{
    Store s;
    s.beginGroup(groupFor(section));
    for (const auto& [key, value] : values) s.setValue(encodeKey(key), value);
}

void AppSettings::DeleteSetting(const QString& section, const QString& key)
{
    Store s;
    if (key.isEmpty()) {
        s.remove(groupFor(section));
        return;
    }
    s.beginGroup(groupFor(section));
    s.remove(encodeKey(key));
}

bool AppSettings::HasSetting(const QString& section, const QString& key)
{
    Store s;
    s.beginGroup(groupFor(section));
    return s.contains(encodeKey(key));
}

QStringList AppSettings::Keys(const QString& section)
{
    Store s;
    s.beginGroup(groupFor(section));
    QStringList keys;
    for (const QString& k : s.childKeys()) keys << decodeKey(k);
    return keys;
}

void AppSettings::Sync()
{
    Store s;
    s.sync();
}
