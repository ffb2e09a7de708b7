// The class object of QuillActiveXCtrl.
#pragma once

#include <windows.h>

namespace quill {

// A new class factory for the control, asked for as iid. The factory keeps
// the module loaded while it lives.
HRESULT GetControlClassFactory(REFIID iid, void** object);

}  // namespace quill
