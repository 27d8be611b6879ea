#include "RecordsForms.h"

#include "frmAuction.h"
#include "frmAuctionEnded.h"
#include "frmCustomer.h"
#include "frmPaid.h"
#include "frmPayMethod.h"
#include "frmSend.h"
#include "platform/FormsRegistry.h"

namespace RecordsForms {

void Register()
{
    FormsRegistry& forms = FormsRegistry::instance();
    forms.registerForm(QStringLiteral("frmAuction"), [](QWidget* parent) { return new frmAuction(parent); });
    forms.registerForm(QStringLiteral("frmCustomer"), [](QWidget* parent) { return new frmCustomer(parent); });
    forms.registerForm(QStringLiteral("frmPayMethod"), [](QWidget* parent) { return new frmPayMethod(parent); });
    forms.registerForm(QStringLiteral("frmAuctionEnded"), [](QWidget* parent) { return new frmAuctionEnded(parent); });
    forms.registerForm(QStringLiteral("frmPaid"), [](QWidget* parent) { return new frmPaid(parent); });
    forms.registerForm(QStringLiteral("frmSend"), [](QWidget* parent) { return new frmSend(parent); });
}

}  // namespace RecordsForms
