#pragma once
// Registers the stock catalogue windows with the forms registry.

namespace CatalogueForms {
void Register();
}
