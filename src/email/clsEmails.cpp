#include "clsEmails.h"

#include "core/ProgramContext.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"

void clsEmails::ShowFormEmailSingle(const QString& AuctionId, int ActionId, const QString& ItemId, bool UpdateNextAction,
                                    const QString& EmailId)
{
    const ProgramContext& ctx = ProgramContext::current();
    if (ctx.gConfiguration.TradeMeEmail.isEmpty()) {
        MsgBox(QStringLiteral("You cannot send email until you set your email address under tools/options."), vbmsg::Information,
               ctx.gAppTitle);
        return;
    }
    FormsRegistry::instance().showModal(QStringLiteral("frmEmailSingle"),
                                        {{QStringLiteral("mRemoteAuctionId"), AuctionId},
                                         {QStringLiteral("mRemoteActionId"), ActionId},
                                         {QStringLiteral("mRemoteItemId"), ItemId},
                                         {QStringLiteral("mRemoteEmailId"), EmailId},
                                         {QStringLiteral("mRemoteUpdateNextAction"), UpdateNextAction}});
}

QString clsEmails::GetAddress(const QString& Address)
{
    QString text = Address;
    if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) text = text.mid(7);
    const qsizetype open = text.indexOf(u'<');
    const qsizetype close = text.indexOf(u'>', open + 1);
    if (text.contains(u'@') && open >= 0 && close > open) text = text.mid(open + 1, close - open - 1);
    return text;
}

void clsEmails::Register()
{
    ProgramContext::SetEmailsFactory([] { return new clsEmails; });
}
