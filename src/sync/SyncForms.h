#pragma once
// Registers the synchronisation's windows with the forms registry.

namespace SyncForms {
void Register();
}
