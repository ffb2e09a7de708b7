// The module: its instance handle and the count of what keeps it loaded
// (live objects and class factory locks).
#pragma once

#include <windows.h>

#include <string>

namespace quill {

HINSTANCE ModuleInstance();
// The full path of the module file, as registration writes it.
std::wstring ModulePath();

void LockModule();
void UnlockModule();
// True while an object or a factory lock keeps the module in use.
bool ModuleInUse();

}  // namespace quill
