#include "CatalogueForms.h"

#include "frmItem.h"
#include "platform/FormsRegistry.h"

namespace CatalogueForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmItem"), [](QWidget* parent) { return new frmItem(parent); });
}

}  // namespace CatalogueForms
