#pragma once
// Registers the label and report windows with the forms registry.

namespace PrintingForms {
void Register();
}
