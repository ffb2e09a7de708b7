#include "member_table.h"

#include <cctype>
#include <type_traits>
#include <utility>

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
MemberInfo Row(const char* name, int32_t dispid, MemberKind kind) {
  return MemberInfo{name, dispid, kind, ParametersOf(F), ResultTypeOf(F), &Invoke<F>};
}

constexpr MemberKind kMethod = MemberKind::kMethod;
constexpr MemberKind kGet = MemberKind::kPropertyGet;
constexpr MemberKind kPut = MemberKind::kPropertyPut;

std::vector<MemberInfo> BuildTable() {
  return {
      Row<QuillCheckExist>("QuillCheckExist", 1, kMethod),
      Row<QuillGetLastError>("QuillGetLastError", 2, kMethod),
      Row<QuillOpen>("QuillOpen", 3, kMethod),
      Row<QuillGetUID>("QuillGetUID", 4, kMethod),
      Row<QuillSHA1WithSeed>("QuillSHA1WithSeed", 5, kMethod),
      Row<QuillChangePassword>("QuillChangePassword", 6, kMethod),
      Row<QuillGenResetPwdRequest>("QuillGenResetPwdRequest", 7, kMethod),
      Row<QuillResetPassword>("QuillResetPassword", 8, kMethod),
      Row<QuillReadUserStorage>("QuillReadUserStorage", 9, kMethod),
      Row<QuillWriteUserStorage>("QuillWriteUserStorage", 10, kMethod),
      Row<QuillDataEncrypt>("QuillDataEncrypt", 11, kMethod),
      Row<QuillDataDecrypt>("QuillDataDecrypt", 12, kMethod),
      Row<QuillGetMachineCode>("QuillGetMachineCode", 13, kMethod),
      Row<QuillClose>("QuillClose", 14, kMethod),
      Row<QuillSecureReadStorage>("QuillSecureReadStorage", 15, kMethod),
      Row<QuillSecureReadStorageEx>("QuillSecureReadStorageEx", 16, kMethod),
      Row<QuillSecureWriteStorage>("QuillSecureWriteStorage", 17, kMethod),
      Row<QuillSecureWriteStorageEx>("QuillSecureWriteStorageEx", 18, kMethod),
      Row<QuillRemoteChangeRequest>("QuillRemoteChangeRequest", 19, kMethod),
      Row<QuillRemoteChange>("QuillRemoteChange", 20, kMethod),
      Row<QuillSHA1WithSeedEx>("QuillSHA1WithSeedEx", 21, kMethod),
      Row<QuillSecureExportSeed>("QuillSecureExportSeed", 22, kMethod),
      Row<QuillSetKeyInfo>("QuillSetKeyInfo", 23, kMethod),
      Row<GetName>("Name", 24, kGet),
      Row<PutName>("Name", 24, kPut),
      Row<GetDescription>("Description", 25, kGet),
      Row<PutDescription>("Description", 25, kPut),
      Row<GetUrl>("Url", 26, kGet),
      Row<PutUrl>("Url", 26, kPut),
      Row<GetOther>("Other", 27, kGet),
      Row<PutOther>("Other", 27, kPut),
      Row<GetModel>("Model", 28, kGet),
      Row<PutModel>("Model", 28, kPut),
      Row<GetRequestEnabled>("RequestEnabled", 29, kGet),
      Row<PutRequestEnabled>("RequestEnabled", 29, kPut),
      Row<GetVersion>("Version", 48, kGet),
      Row<PutVersion>("Version", 48, kPut),
      Row<QuillOpenEx>("QuillOpenEx", 30, kMethod),
      Row<QuillOpenFile>("QuillOpenFile", 31, kMethod),
      Row<QuillReadFile>("QuillReadFile", 32, kMethod),
      Row<QuillWriteFile>("QuillWriteFile", 33, kMethod),
      Row<QuillFlushFile>("QuillFlushFile", 34, kMethod),
      Row<QuillFileSeek>("QuillFileSeek", 35, kMethod),
      Row<QuillDeleteFile>("QuillDeleteFile", 36, kMethod),
      Row<QuillRenameFile>("QuillRenameFile", 37, kMethod),
      Row<QuillGetSize>("QuillGetSize", 38, kMethod),
      Row<QuillCloseFile>("QuillCloseFile", 39, kMethod),
      Row<QuillGetAvailableSpaces>("QuillGetAvailableSpaces", 40, kMethod),
      Row<QuillWriteMemory>("QuillWriteMemory", 41, kMethod),
      Row<QuillReadMemory>("QuillReadMemory", 42, kMethod),
      Row<QuillReadUserStorageEx>("QuillReadUserStorageEx", 43, kMethod),
      Row<QuillWriteUserStorageEx>("QuillWriteUserStorageEx", 44, kMethod),
      Row<QuillSelectId>("QuillSelectId", 45, kMethod),
      Row<QuillGetUIDByIndex>("QuillGetUIDByIndex", 46, kMethod),
      Row<QuillIsConnected>("QuillIsConnected", 47, kMethod),
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
  ScriptValue value = member.run(args);
  if (result != nullptr) *result = std::move(value);
  return true;
}

}  // namespace quill
