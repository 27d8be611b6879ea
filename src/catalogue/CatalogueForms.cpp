#include "CatalogueForms.h"

#include "platform/FormsRegistry.h"

namespace CatalogueForms {

void Register()
{
    [[maybe_unused]] FormsRegistry& forms = FormsRegistry::instance();
}

}  // namespace CatalogueForms
