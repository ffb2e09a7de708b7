// Script values to and from JSON, as the host's requests and replies carry
// them: a long is a JSON number with an integral value in the signed 32-bit
// range, a BSTR a JSON string (used up to its first NUL) or null.
#pragma once

#include <nlohmann/json.hpp>

#include "script_value.h"

namespace quill::host {

using Json = nlohmann::ordered_json;

// False when the JSON value does not fit the parameter type.
bool ToScriptValue(const Json& value, ScriptType type, ScriptValue* out);

// A long as a number, a text as a string (a null text as ""), nothing as null.
Json FromScriptValue(const ScriptValue& value);

}  // namespace quill::host
