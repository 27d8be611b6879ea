#pragma once
// Registers the buyer e-mail windows with the forms registry.

namespace EmailForms {
void Register();
}
