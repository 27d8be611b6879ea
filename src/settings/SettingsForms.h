#pragma once
// Registers the settings windows (options, setup wizard, About) with the
// forms registry.

namespace SettingsForms {
void Register();
}
