#include "CatalogueForms.h"

#include "frmItem.h"
#include "frmItemDetails.h"
#include "frmItemGroup.h"
#include "platform/FormsRegistry.h"

namespace CatalogueForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmItem"), [](QWidget* parent) { return new frmItem(parent); });
    forms.registerForm(QStringLiteral("frmItemGroup"), [](QWidget* parent) { return new frmItemGroup(parent); });
    forms.registerForm(QStringLiteral("frmItemDetails"), [](QWidget* parent) { return new frmItemDetails(parent); });
}

}  // namespace CatalogueForms
