// The one table of the control's 55 members, read by both faces (the COM
// object and the native-messaging host). A member is written once.
#pragma once

#include <cstdint>
#include <vector>

#include "script_value.h"

namespace quill {

enum class MemberKind { kMethod, kPropertyGet, kPropertyPut };

using MemberFunction = ScriptValue (*)(const ScriptArgs& args);

struct MemberInfo {
  const char* name;  // as scripts spell it, e.g. "QuillCheckExist", "Name"
  int32_t dispid;
  MemberKind kind;
  std::vector<ScriptType> parameters;  // in order
  // The result type; ignored for a put (its result is nothing).
  ScriptType result;
  MemberFunction run;
};

// The members in interface (virtual-table) order: 55 rows, a property's get
// before its put.
const std::vector<MemberInfo>& MemberTable();

// The member with this name (compared without regard to letter case) and
// kind; nullptr when there is none.
const MemberInfo* FindMember(const char* name, MemberKind kind);
// Any member of that name, whatever its kind; nullptr when there is none.
const MemberInfo* FindMemberByName(const char* name);

// Runs a member after checking the arguments' number and types; false (and
// the member not run) when they do not fit.
bool InvokeMember(const MemberInfo& member, const ScriptArgs& args, ScriptValue* result);

}  // namespace quill
