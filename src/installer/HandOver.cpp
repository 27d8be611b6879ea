#include "HandOver.h"

#include "platform/AppSettings.h"

namespace {
const QString Section = QStringLiteral("Settings");
}

HandOver HandOver::Read()
{
    HandOver h;
    h.action = AppSettings::GetSetting(Section, QStringLiteral("action"));
    h.filename = AppSettings::GetSetting(Section, QStringLiteral("filename"));
    return h;
}

void HandOver::DeleteAction()
{
    AppSettings::DeleteSetting(Section, QStringLiteral("action"));
    AppSettings::Sync();
}

bool HandOver::IsOrder() const
{
    return (action == QLatin1String("Install") || action == QLatin1String("Update")) && IsPlainFileName(filename);
}

bool HandOver::IsPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.size() > 255) return false;
    for (const QChar c : name) {
        const bool allowed = c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u' ';
        if (!allowed || c.unicode() > 0x7E) return false;
    }
    return !name.startsWith(u'.') && !name.startsWith(u' ') && !name.endsWith(u' ');
}
