#include "CoreForms.h"

#include "frmBrowser.h"
#include "platform/FormsRegistry.h"

namespace CoreForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmBrowser"), [](QWidget* parent) { return new frmBrowser(parent); });
}

}  // namespace CoreForms
