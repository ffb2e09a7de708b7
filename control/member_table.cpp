#include "member_table.h"

#include <cctype>
#include <type_traits>
#include <utility>

#include "library_lock.h"
#include "members/members.h"

namespace quill {
namespace {

// How a typed member function maps to the table: each parameter type to a
// script type and to the accessor that unpacks it.
template <typename T>
struct ParameterOf;
template <>
struct ParameterOf<int32_t> {
  static constexpr ScriptType kType = ScriptType::kLong;
  static int32_t Get(const ScriptArgs& args, size_t index) { return LongArg(args, index); }
};
template <>
struct ParameterOf<const ScriptText&> {
  static constexpr ScriptType kType = ScriptType::kText;
  static const ScriptText& Get(const ScriptArgs& args, size_t index) {
    return TextArg(args, index);
  }
};

template <typename R>
struct ResultOf;
template <>
struct ResultOf<int32_t> {
  static constexpr ScriptType kType = ScriptType::kLong;
};
template <>
struct ResultOf<ScriptText> {
  static constexpr ScriptType kType = ScriptType::kText;
};

template <typename R, typename... P>
std::vector<ScriptType> ParametersOf(R (*)(P...)) {
  return {ParameterOf<P>::kType...};
}

// A get or a method reports its own result type; a put (void) the type of
// the property it sets.
template <typename R, typename... P>
ScriptType ResultTypeOf(R (*)(P...)) {
  if constexpr (std::is_void_v<R>) {
    static_assert(sizeof...(P) == 1, "a put takes the property's value");
    return (ParameterOf<P>::kType, ...);
  } else {
    return ResultOf<R>::kType;
  }
}

template <typename R, typename... P, size_t... I>
ScriptValue Call(R (*function)(P...), const ScriptArgs& args, std::index_sequence<I...>) {
  if constexpr (std::is_void_v<R>) {
    function(ParameterOf<P>::Get(args, I)...);
    return std::monostate();
  } else {
    return function(ParameterOf<P>::Get(args, I)...);
  }
}

template <typename R, typename... P>
constexpr size_t ArityOf(R (*)(P...)) {
  return sizeof...(P);
}

// Unpacks arguments that InvokeMember has checked and calls the member.
template <auto F>
ScriptValue Invoke(const ScriptArgs& args) {
  return Call(F, args, std::make_index_sequence<ArityOf(F)>());
}

template <auto F>
MemberInfo Row(const char* name, int32_t dispid, MemberKind kind,
               std::vector<const char*> parameterNames, uint32_t undirectedParameters) {
  return MemberInfo{name,
                    dispid,
                    kind,
                    ParametersOf(F),
                    ResultTypeOf(F),
                    &Invoke<F>,
                    std::move(parameterNames),
                    undirectedParameters};
}

constexpr MemberKind kMethod = MemberKind::kMethod;
constexpr MemberKind kGet = MemberKind::kPropertyGet;
constexpr MemberKind kPut = MemberKind::kPropertyPut;

std::vector<MemberInfo> BuildTable() {
  return {
#include "member_rows.inc"
  };
}

bool SameName(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

bool Fits(ScriptType type, const ScriptValue& value) {
  switch (type) {
    case ScriptType::kLong:
      return std::holds_alternative<int32_t>(value);
    case ScriptType::kText:
      return std::holds_alternative<ScriptText>(value);
  }
  return false;
}

}  // namespace

const std::vector<MemberInfo>& MemberTable() {
  static const std::vector<MemberInfo> table = BuildTable();
  return table;
}

const MemberInfo* FindMember(const char* name, MemberKind kind) {
  if (name == nullptr) return nullptr;
  for (const MemberInfo& member : MemberTable()) {
    if (member.kind == kind && SameName(member.name, name)) return &member;
  }
  return nullptr;
}

const MemberInfo* FindMemberByName(const char* name) {
  if (name == nullptr) return nullptr;
  for (const MemberInfo& member : MemberTable()) {
    if (SameName(member.name, name)) return &member;
  }
  return nullptr;
}

bool InvokeMember(const MemberInfo& member, const ScriptArgs& args, ScriptValue* result) {
  if (args.size() != member.parameters.size()) return false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!Fits(member.parameters[i], args[i])) return false;
  }
  ScriptValue value;
  {
    // Members share the process-wide session and the library's tables with
    // every other control instance of the process, whatever its thread.
    const LibraryLock lock;
    value = member.run(args);
  }
  if (result != nullptr) *result = std::move(value);
  return true;
}

}  // namespace quill
