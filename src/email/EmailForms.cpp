#include "EmailForms.h"

#include "frmEmailMultiple.h"
#include "frmEmailSingle.h"
#include "platform/FormsRegistry.h"

namespace EmailForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmEmailSingle"), [](QWidget* parent) { return new frmEmailSingle(parent); });
    forms.registerForm(QStringLiteral("frmEmailMultiple"), [](QWidget* parent) { return new frmEmailMultiple(parent); });
}

}  // namespace EmailForms
