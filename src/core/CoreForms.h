#pragma once
// Registers the windows of the core with the forms registry.

namespace CoreForms {
void Register();
}
