// The module's registry scripts: resources of type REGISTRY, carried out
// with the module's replacements.
#pragma once

#include <windows.h>

#include "registry/registry_script.h"

namespace quill {

enum class ScriptAction { kRegister, kUnregister };

HRESULT RunRegistryScript(HINSTANCE module, int resourceId, const ScriptReplacements& replacements,
                          ScriptAction action);

}  // namespace quill
