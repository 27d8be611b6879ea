#include "EmailForms.h"

#include "frmEmailSingle.h"
#include "platform/FormsRegistry.h"

namespace EmailForms {

void Register()
{
    FormsRegistry::instance().registerForm(QStringLiteral("frmEmailSingle"), [](QWidget* parent) { return new frmEmailSingle(parent); });
}

}  // namespace EmailForms
