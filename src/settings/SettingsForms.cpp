#include "SettingsForms.h"

#include "frmAbout.h"
#include "frmConfig.h"
#include "platform/FormsRegistry.h"

namespace SettingsForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmConfig"), [](QWidget* parent) { return new frmConfig(parent); });
    forms.registerForm(QStringLiteral("frmAbout"), [](QWidget* parent) { return new frmAbout(parent); });
}

}  // namespace SettingsForms
