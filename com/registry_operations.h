// Carries out a registry script's operations against the real registry.
#pragma once
#include <windows.h>
#include <vector>
#include "com/registry_script_plan.h"

namespace fexo::com {

// Stops at the first operation that fails and returns its error as an
// HRESULT; S_OK when all succeeded.
HRESULT ApplyRegistryOperations(const std::vector<RegistryOperation>& operations);

}  // namespace fexo::com
