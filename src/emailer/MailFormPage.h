#pragma once
// The mail-form page filled for one e-mail: the template's codes
// [EMAIL_FROM], [EMAIL_TO], [EMAIL_CC], [EMAIL_SUBJECT] and [EMAIL_TEXTBODY]
// replaced by the e-mail's fields.

#include "OutboxMessage.h"

#include <QString>

namespace MailFormPage {

// The template as the sender uses it: the service address moved onto the
// configured maker site (before any value goes in).
QString Prepare(const QString& formTemplate);

// One pass over the template: every value goes in HTML-escaped and is never
// scanned again, so buyer text is text in the form (it cannot close a field,
// add one, or be taken for another code).
QString Fill(const QString& formTemplate, const OutboxMessage& message);

}  // namespace MailFormPage
