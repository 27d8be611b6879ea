#include "SettingsForms.h"

#include "frmAbout.h"
#include "frmConfig.h"
#include "frmWizardSetup.h"
#include "platform/FormsRegistry.h"

namespace SettingsForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmConfig"), [](QWidget* parent) { return new frmConfig(parent); });
    forms.registerForm(QStringLiteral("frmWizardSetup"), [](QWidget* parent) { return new frmWizardSetup(parent); });
    forms.registerForm(QStringLiteral("frmAbout"), [](QWidget* parent) { return new frmAbout(parent); });
}

}  // namespace SettingsForms
