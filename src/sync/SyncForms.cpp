#include "SyncForms.h"

#include "frmUpdate.h"
#include "platform/FormsRegistry.h"

namespace SyncForms {

void Register()
{
    FormsRegistry::instance().registerForm(QStringLiteral("frmUpdate"), [](QWidget* parent) { return new frmUpdate(parent); });
}

}  // namespace SyncForms
