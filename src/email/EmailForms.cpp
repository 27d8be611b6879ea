#include "EmailForms.h"

#include "frmEmail.h"
#include "frmEmailSingle.h"
#include "platform/FormsRegistry.h"

namespace EmailForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmEmailSingle"), [](QWidget* parent) { return new frmEmailSingle(parent); });
    forms.registerForm(QStringLiteral("frmEmail"), [](QWidget* parent) { return new frmEmail(parent); });
}

}  // namespace EmailForms
