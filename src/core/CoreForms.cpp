#include "CoreForms.h"

#include "frmAgreement.h"
#include "frmBrowser.h"
#include "frmMessageBox.h"
#include "frmUndo.h"
#include "frmWizardDatabase.h"
#include "platform/FormsRegistry.h"

namespace CoreForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmBrowser"), [](QWidget* parent) { return new frmBrowser(parent); });
    forms.registerForm(QStringLiteral("frmMessageBox"), [](QWidget* parent) { return new frmMessageBox(parent); });
    forms.registerForm(QStringLiteral("frmUndo"), [](QWidget* parent) { return new frmUndo(parent); });
    forms.registerForm(QStringLiteral("frmAgreement"), [](QWidget* parent) { return new frmAgreement(parent); });
    forms.registerForm(QStringLiteral("frmWizardDatabase"), [](QWidget* parent) { return new frmWizardDatabase(parent); });
}

}  // namespace CoreForms
