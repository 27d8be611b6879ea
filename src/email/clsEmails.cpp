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

void clsEmails::Register()
{
    ProgramContext::SetEmailsFactory([] { return new clsEmails; });
}
