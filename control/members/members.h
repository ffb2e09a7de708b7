// The control's members, one function each, implemented by family in the
// files of this folder. Arguments and results are script values; every member
// reports its outcome in its result and records the reason in the store.
#pragma once

#include <cstdint>

#include "script_value.h"

namespace quill {

// Generated from members.def: one function per member, named as the member
// (GetNAME and PutNAME for a property), its parameters in the interface's
// order.
#include "member_declarations.inc"

}  // namespace quill
