#include "RecordsForms.h"

#include "frmAuction.h"
#include "frmCustomer.h"
#include "frmPayMethod.h"
#include "platform/FormsRegistry.h"

namespace RecordsForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmAuction"), [](QWidget* parent) { return new frmAuction(parent); });
    forms.registerForm(QStringLiteral("frmCustomer"), [](QWidget* parent) { return new frmCustomer(parent); });
    forms.registerForm(QStringLiteral("frmPayMethod"), [](QWidget* parent) { return new frmPayMethod(parent); });
}

}  // namespace RecordsForms
