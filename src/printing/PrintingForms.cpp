#include "PrintingForms.h"

#include "frmLabels.h"
#include "frmLabelsSetup.h"
#include "reportLabels.h"
#include "reportPickingList.h"
#include "reportStockOnHand.h"
#include "platform/FormsRegistry.h"

namespace PrintingForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmLabels"), [](QWidget* parent) { return new frmLabels(parent); });
    forms.registerForm(QStringLiteral("frmLabelsSetup"), [](QWidget* parent) { return new frmLabelsSetup(parent); });
    forms.registerForm(QStringLiteral("reportLabels"), [](QWidget* parent) { return new reportLabels(parent); });
    forms.registerForm(QStringLiteral("reportStockOnHand"), [](QWidget* parent) { return new reportStockOnHand(parent); });
    forms.registerForm(QStringLiteral("reportPickingList"), [](QWidget* parent) { return new reportPickingList(parent); });
}

}  // namespace PrintingForms
