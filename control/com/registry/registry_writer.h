// Carries out parsed registry scripts against the registry.
#pragma once

#include <windows.h>

#include <vector>

#include "registry/registry_script.h"

namespace quill {

// Registering writes every key and value (after deleting ForceRemove and
// Delete keys); unregistering removes what the removal rules say. Keys that
// are already missing are not an error. The first failure is returned, after
// the rest has been tried.
HRESULT WriteRegistryTrees(const std::vector<RegistryTree>& trees);
HRESULT RemoveRegistryTrees(const std::vector<RegistryTree>& trees);

}  // namespace quill
