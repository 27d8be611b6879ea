#include "MailFormPage.h"

#include "core/modCommon.h"
#include "platform/SiteConfig.h"

namespace MailFormPage {

QString Prepare(const QString& formTemplate) { return SiteConfig::rebaseMakerText(formTemplate); }

QString Fill(const QString& formTemplate, const OutboxMessage& message)
{
    return modCommon::ReplaceCodes(formTemplate, {{QStringLiteral("[EMAIL_FROM]"), message.From.toHtmlEscaped()},
                                                  {QStringLiteral("[EMAIL_TO]"), message.To.toHtmlEscaped()},
                                                  {QStringLiteral("[EMAIL_CC]"), message.CC.toHtmlEscaped()},
                                                  {QStringLiteral("[EMAIL_SUBJECT]"), message.Subject.toHtmlEscaped()},
                                                  {QStringLiteral("[EMAIL_TEXTBODY]"), message.TextBody.toHtmlEscaped()}});
}

}  // namespace MailFormPage
