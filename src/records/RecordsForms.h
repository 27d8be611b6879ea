#pragma once
// Registers the record editors with the forms registry.

namespace RecordsForms {
void Register();
}
