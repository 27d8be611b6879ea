#include "AutomationForms.h"

#include "frmFeedback.h"
#include "frmFeedbackSingle.h"
#include "platform/FormsRegistry.h"

namespace AutomationForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmFeedbackSingle"), [](QWidget* parent) { return new frmFeedbackSingle(parent); });
    forms.registerForm(QStringLiteral("frmFeedback"), [](QWidget* parent) { return new frmFeedback(parent); });
}

}  // namespace AutomationForms
