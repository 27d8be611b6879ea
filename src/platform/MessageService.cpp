#include "MessageService.h"

#include "QtMessageService.h"

namespace {
MessageService* gInstalled = nullptr;
QString gDefaultTitle = QStringLiteral("Vendaro");
}  // namespace

MessageService& MessageService::instance()
{
    if (gInstalled) return *gInstalled;
    static QtMessageService real;
    return real;
}

void MessageService::install(MessageService* service) { gInstalled = service; }

void MessageService::setDefaultTitle(const QString& title) { gDefaultTitle = title; }

QString MessageService::defaultTitle() { return gDefaultTitle; }

int MsgBox(const QString& prompt, int style, const QString& title)
{
    return MessageService::instance().MsgBox(prompt, style, title);
}
