#pragma once
// Registers the site form automation windows with the forms registry.

namespace AutomationForms {
void Register();
}
