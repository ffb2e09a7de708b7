// The module's own type library (resource 1 of type TYPELIB).
#pragma once

#include <ole2.h>
#include <windows.h>

namespace quill {

// Loads it without registering anything.
HRESULT LoadModuleTypeLib(ITypeLib** library);

}  // namespace quill
