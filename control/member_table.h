// The one table of the control's members, read by both faces (the COM object
// and the native-messaging host). Its rows are generated from the member
// definitions (members.def), where a member is written once.
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
  // The parameters' names as the interface gives them ("" for a put's value,
  // which it leaves unnamed).
  std::vector<const char*> parameterNames;
  // The parameters the interface declares without a direction ([in]), one
  // bit each from the first (bit 0).
  uint32_t undirectedParameters = 0;
};

// The members in interface (virtual-table) order, a property's get before
// its put; row i is the interface's function i.
const std::vector<MemberInfo>& MemberTable();

// The member with this name (compared without regard to letter case) and
// kind; nullptr when there is none.
const MemberInfo* FindMember(const char* name, MemberKind kind);
// Any member of that name, whatever its kind; nullptr when there is none.
const MemberInfo* FindMemberByName(const char* name);

// Runs a member after checking the arguments' number and types; false (and
// the member not run) when they do not fit. Every call of a member from
// either face comes through here. The member runs under the
// library's in-process lock (library_lock.h), so threads take turns.
bool InvokeMember(const MemberInfo& member, const ScriptArgs& args, ScriptValue* result);

}  // namespace quill
