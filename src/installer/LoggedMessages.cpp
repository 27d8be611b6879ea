#include "LoggedMessages.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

void LoggedMessages::log(const QString& kind, const QString& text, int style, const QString& title)
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QJsonObject line{{QStringLiteral("kind"), kind}, {QStringLiteral("text"), text}, {QStringLiteral("style"), style}, {QStringLiteral("title"), title}};
    file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}

int LoggedMessages::MsgBox(const QString& prompt, int style, const QString& title)
{
    log(QStringLiteral("MsgBox"), prompt, style, title.isEmpty() ? MessageService::defaultTitle() : title);
    static const int first[] = {vbmsg::OK, vbmsg::OK, vbmsg::Abort, vbmsg::Yes, vbmsg::Yes, vbmsg::Retry};
    static const int second[] = {vbmsg::OK, vbmsg::Cancel, vbmsg::Retry, vbmsg::No, vbmsg::No, vbmsg::Cancel};
    static const int third[] = {vbmsg::OK, vbmsg::Cancel, vbmsg::Ignore, vbmsg::Cancel, vbmsg::No, vbmsg::Cancel};
    const int buttons = qBound(0, vbmsg::buttonsOf(style), 5);
    switch (vbmsg::defaultButtonOf(style)) {
    case 1: return second[buttons];
    case 2: return third[buttons];
    default: return first[buttons];
    }
}

bool LoggedMessages::InputBox(const QString& prompt, const QString& title, const QString&, QString*)
{
    log(QStringLiteral("InputBox"), prompt, 0, title);
    return false;
}

QString LoggedMessages::GetOpenFileName(const QString& title, const QString&, const QString&)
{
    log(QStringLiteral("GetOpenFileName"), QString(), 0, title);
    return QString();
}

QString LoggedMessages::GetSaveFileName(const QString& title, const QString&, const QString&)
{
    log(QStringLiteral("GetSaveFileName"), QString(), 0, title);
    return QString();
}

QColor LoggedMessages::ChooseColor(const QColor&, const QString& title)
{
    log(QStringLiteral("ChooseColor"), QString(), 0, title);
    return QColor();
}
