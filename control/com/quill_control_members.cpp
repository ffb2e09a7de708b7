// IQuillActiveXCtrl: each member converts its arguments, runs its row of the
// member table (the one place either face calls a member through) and hands
// its result back. The members' definitions are generated from
// control/members.def, member i of the interface being row i of the table.
// The HRESULT is S_OK whatever the member's outcome (scripts read the result
// and QuillGetLastError); only a missing result pointer or a failed
// allocation is reported as an error.
#include <new>
#include <utility>
#include <variant>

#include "com_strings.h"
#include "member_table.h"
#include "quill_control_object.h"

namespace quill {
namespace {

// Runs work; an exception never crosses the COM edge.
template <typename Work>
HRESULT Guarded(Work&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

ScriptValue ArgumentOf(BSTR value) {
  return TextFromBstr(value);
}

ScriptValue ArgumentOf(LONG value) {
  return static_cast<int32_t>(value);
}

// Runs row `row` of the member table with the interface's arguments; false
// when the row does not take them (a table out of step with the interface).
template <typename... Arguments>
bool RunRow(size_t row, ScriptValue* value, Arguments... arguments) {
  const std::vector<MemberInfo>& table = MemberTable();
  if (row >= table.size()) return false;
  return InvokeMember(table[row], ScriptArgs{ArgumentOf(arguments)...}, value);
}

template <typename... Arguments>
HRESULT Deliver(LONG* result, size_t row, Arguments... arguments) noexcept {
  if (result == nullptr) return E_POINTER;
  return Guarded([&] {
    ScriptValue value;
    if (!RunRow(row, &value, arguments...) || !std::holds_alternative<int32_t>(value)) {
      return E_UNEXPECTED;
    }
    *result = std::get<int32_t>(value);
    return S_OK;
  });
}

template <typename... Arguments>
HRESULT Deliver(BSTR* result, size_t row, Arguments... arguments) noexcept {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guarded([&] {
    ScriptValue value;
    if (!RunRow(row, &value, arguments...) || !std::holds_alternative<ScriptText>(value)) {
      return E_UNEXPECTED;
    }
    return TextToBstr(std::get<ScriptText>(value), result) ? S_OK : E_OUTOFMEMORY;
  });
}

template <typename Argument>
HRESULT Apply(size_t row, Argument argument) noexcept {
  return Guarded([&] { return RunRow(row, nullptr, argument) ? S_OK : E_UNEXPECTED; });
}

}  // namespace

#include "quill_control_method_bodies.inc"

}  // namespace quill
