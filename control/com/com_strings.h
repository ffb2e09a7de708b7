// Script text across the COM edge: BSTR <-> ScriptText.
#pragma once

#include <ole2.h>
#include <windows.h>

#include "script_value.h"

namespace quill {

// A null BSTR is the null text; otherwise all SysStringLen characters,
// embedded NULs included (the members read up to the first one themselves).
ScriptText TextFromBstr(BSTR value);

// The result as a script receives it: empty (null or "") gives a null BSTR.
// Returns false when the string cannot be allocated.
bool TextToBstr(const ScriptText& text, BSTR* result);

}  // namespace quill
