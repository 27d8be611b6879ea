#include "EmailForms.h"

#include "frmEmail.h"
#include "frmEmailMultiple.h"
#include "frmEmailSingle.h"
#include "platform/FormsRegistry.h"

namespace EmailForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmEmailSingle"), [](QWidget* parent) { return new frmEmailSingle(parent); });
    forms.registerForm(QStringLiteral("frmEmailMultiple"), [](QWidget* parent) { return new frmEmailMultiple(parent); });
    forms.registerForm(QStringLiteral("frmEmail"), [](QWidget* parent) { return new frmEmail(parent); });
}

}  // namespace EmailForms
