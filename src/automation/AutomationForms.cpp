#include "AutomationForms.h"

#include "frmFeedback.h"
#include "frmFeedbackSingle.h"
#include "frmFixedPriceOffer.h"
#include "frmFixedPriceOptions.h"
#include "frmRelist.h"
#include "frmRelistDetail.h"
#include "frmRelistExcluded.h"
#include "platform/FormsRegistry.h"

namespace AutomationForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmFeedbackSingle"), [](QWidget* parent) { return new frmFeedbackSingle(parent); });
    forms.registerForm(QStringLiteral("frmFeedback"), [](QWidget* parent) { return new frmFeedback(parent); });
    forms.registerForm(QStringLiteral("frmFixedPriceOffer"), [](QWidget* parent) { return new frmFixedPriceOffer(parent); });
    forms.registerForm(QStringLiteral("frmFixedPriceOptions"), [](QWidget* parent) { return new frmFixedPriceOptions(parent); });
    // The options list is no Qt value: the relist window hands it to the dialog in C++.
    forms.registerForm(QStringLiteral("frmRelistDetail"), [](QWidget* parent) { return new frmRelistDetail(parent); });
    forms.registerForm(QStringLiteral("frmRelistExcluded"), [](QWidget* parent) { return new frmRelistExcluded(parent); });
    forms.registerForm(QStringLiteral("frmRelist"), [](QWidget* parent) { return new frmRelist(parent); });
}

}  // namespace AutomationForms
