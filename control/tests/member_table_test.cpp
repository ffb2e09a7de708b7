// The member table: the interface's members in order with their DISPIDs and
// types, lookup by name, and invocation with checked arguments.
#include "member_table.h"

#include <cstring>
#include <set>
#include <utility>

#include "control_fixture.h"

namespace quill {
namespace {

// One row as the interface declares it: name, DISPID, kind (m, g, p),
// parameter types (L long, T text) and result type.
struct ExpectedRow {
  const char* name;
  int32_t dispid;
  char kind;
  const char* parameters;
  char result;
};

constexpr ExpectedRow kInterface[] = {
    {"QuillCheckExist", 1, 'm', "", 'L'},
    {"QuillGetLastError", 2, 'm', "", 'L'},
    {"QuillOpen", 3, 'm', "T", 'L'},
    {"QuillGetUID", 4, 'm', "", 'T'},
    {"QuillSHA1WithSeed", 5, 'm', "T", 'T'},
    {"QuillChangePassword", 6, 'm', "TT", 'L'},
    {"QuillGenResetPwdRequest", 7, 'm', "", 'T'},
    {"QuillResetPassword", 8, 'm', "T", 'L'},
    {"QuillReadUserStorage", 9, 'm', "L", 'T'},
    {"QuillWriteUserStorage", 10, 'm', "T", 'L'},
    {"QuillDataEncrypt", 11, 'm', "T", 'T'},
    {"QuillDataDecrypt", 12, 'm', "T", 'T'},
    {"QuillGetMachineCode", 13, 'm', "", 'T'},
    {"QuillClose", 14, 'm', "", 'L'},
    {"QuillSecureReadStorage", 15, 'm', "L", 'T'},
    {"QuillSecureReadStorageEx", 16, 'm', "LL", 'T'},
    {"QuillSecureWriteStorage", 17, 'm', "T", 'L'},
    {"QuillSecureWriteStorageEx", 18, 'm', "LT", 'L'},
    {"QuillRemoteChangeRequest", 19, 'm', "T", 'T'},
    {"QuillRemoteChange", 20, 'm', "TT", 'L'},
    {"QuillSHA1WithSeedEx", 21, 'm', "T", 'T'},
    {"QuillSecureExportSeed", 22, 'm', "", 'T'},
    {"QuillSetKeyInfo", 23, 'm', "TTTTL", 'L'},
    {"Name", 24, 'g', "", 'T'},
    {"Name", 24, 'p', "T", '-'},
    {"Description", 25, 'g', "", 'T'},
    {"Description", 25, 'p', "T", '-'},
    {"Url", 26, 'g', "", 'T'},
    {"Url", 26, 'p', "T", '-'},
    {"Other", 27, 'g', "", 'T'},
    {"Other", 27, 'p', "T", '-'},
    {"Model", 28, 'g', "", 'L'},
    {"Model", 28, 'p', "L", '-'},
    {"RequestEnabled", 29, 'g', "", 'L'},
    {"RequestEnabled", 29, 'p', "L", '-'},
    {"Version", 48, 'g', "", 'T'},
    {"Version", 48, 'p', "T", '-'},
    {"QuillOpenEx", 30, 'm', "", 'L'},
    {"QuillOpenFile", 31, 'm', "TL", 'L'},
    {"QuillReadFile", 32, 'm', "LL", 'T'},
    {"QuillWriteFile", 33, 'm', "LT", 'L'},
    {"QuillFlushFile", 34, 'm', "L", 'L'},
    {"QuillFileSeek", 35, 'm', "LL", 'L'},
    {"QuillDeleteFile", 36, 'm', "T", 'L'},
    {"QuillRenameFile", 37, 'm', "TT", 'L'},
    {"QuillGetSize", 38, 'm', "L", 'L'},
    {"QuillCloseFile", 39, 'm', "L", 'L'},
    {"QuillGetAvailableSpaces", 40, 'm', "", 'L'},
    {"QuillWriteMemory", 41, 'm', "LT", 'L'},
    {"QuillReadMemory", 42, 'm', "LL", 'T'},
    {"QuillReadUserStorageEx", 43, 'm', "LL", 'T'},
    {"QuillWriteUserStorageEx", 44, 'm', "LT", 'L'},
    {"QuillSelectId", 45, 'm', "T", 'L'},
    {"QuillGetUIDByIndex", 46, 'm', "L", 'T'},
    {"QuillIsConnected", 47, 'm', "T", 'L'},
};

char KindLetter(MemberKind kind) {
  switch (kind) {
    case MemberKind::kMethod:
      return 'm';
    case MemberKind::kPropertyGet:
      return 'g';
    case MemberKind::kPropertyPut:
      return 'p';
  }
  return '?';
}

char TypeLetter(ScriptType type) {
  return type == ScriptType::kLong ? 'L' : 'T';
}

// A well-typed argument list of zeros and null texts.
ScriptArgs DefaultArgs(const MemberInfo& member) {
  ScriptArgs args;
  for (ScriptType type : member.parameters) {
    if (type == ScriptType::kLong) {
      args.emplace_back(int32_t{0});
    } else {
      args.emplace_back(ScriptText::Null());
    }
  }
  return args;
}

TEST(MemberTableTest, RowsFollowTheInterfaceOrder) {
  const std::vector<MemberInfo>& table = MemberTable();
  ASSERT_EQ(table.size(), std::size(kInterface));
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(kInterface[i].name);
    EXPECT_STREQ(table[i].name, kInterface[i].name);
    EXPECT_EQ(table[i].dispid, kInterface[i].dispid);
    EXPECT_EQ(KindLetter(table[i].kind), kInterface[i].kind);
    std::string parameters;
    for (ScriptType type : table[i].parameters) parameters += TypeLetter(type);
    EXPECT_EQ(parameters, kInterface[i].parameters);
    if (kInterface[i].result != '-') {
      EXPECT_EQ(TypeLetter(table[i].result), kInterface[i].result);
    }
    EXPECT_NE(table[i].run, nullptr);
  }
}

TEST(MemberTableTest, NamesAreUniquePerKindAndPropertiesShareTheirDispid) {
  std::set<std::pair<std::string, char>> seen;
  std::set<int32_t> methodDispids;
  for (const MemberInfo& member : MemberTable()) {
    EXPECT_TRUE(seen.insert({member.name, KindLetter(member.kind)}).second) << member.name;
    if (member.kind == MemberKind::kMethod) {
      EXPECT_TRUE(methodDispids.insert(member.dispid).second) << member.name;
    }
    if (member.kind == MemberKind::kPropertyPut) {
      const MemberInfo* get = FindMember(member.name, MemberKind::kPropertyGet);
      ASSERT_NE(get, nullptr) << member.name;
      EXPECT_EQ(get->dispid, member.dispid);
      EXPECT_LT(get, &member);  // the get comes first
      ASSERT_EQ(member.parameters.size(), 1u);
      EXPECT_EQ(member.parameters[0], get->result);
    }
  }
}

TEST(MemberTableTest, LookupIgnoresLetterCaseOnly) {
  const std::vector<MemberInfo>& table = MemberTable();
  EXPECT_EQ(FindMember("quillcheckexist", MemberKind::kMethod), &table[0]);
  EXPECT_EQ(FindMember("QUILLISCONNECTED", MemberKind::kMethod), &table[54]);
  EXPECT_EQ(FindMember("version", MemberKind::kPropertyPut), &table[36]);
  EXPECT_EQ(FindMember("Name", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("QuillOpen", MemberKind::kPropertyGet), nullptr);
  EXPECT_EQ(FindMember("QuillCheckExis", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("QuillCheckExistX", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember(nullptr, MemberKind::kMethod), nullptr);
  // By name alone: the get of a property, the member of a method.
  ASSERT_NE(FindMemberByName("MODEL"), nullptr);
  EXPECT_EQ(FindMemberByName("MODEL")->kind, MemberKind::kPropertyGet);
  EXPECT_EQ(FindMemberByName("quillopenex"), &table[37]);
  EXPECT_EQ(FindMemberByName("QuillOpenExtra"), nullptr);
  EXPECT_EQ(FindMemberByName(nullptr), nullptr);
}

TEST(ControlCodesTest, EveryCodeHasANameAndAMeaning) {
  for (int code = CTL_NO_TOKEN; code <= CTL_UID_UNREADABLE; ++code) {
    const char* name = ControlErrorName(code);
    const bool unused = (code >= 4120 && code <= 4123) || code == 4127 || code == 4128;
    if (unused) {
      EXPECT_EQ(name, nullptr) << code;
      EXPECT_EQ(ControlErrorMeaning(code), nullptr) << code;
    } else {
      ASSERT_NE(name, nullptr) << code;
      EXPECT_EQ(std::string(name).rfind("CTL_", 0), 0u) << name;
      ASSERT_NE(ControlErrorMeaning(code), nullptr) << code;
      EXPECT_GT(std::strlen(ControlErrorMeaning(code)), 0u) << name;
    }
  }
  EXPECT_STREQ(ControlErrorName(CTL_NO_TOKEN), "CTL_NO_TOKEN");
  EXPECT_STREQ(ControlErrorName(4131), "CTL_BAD_ID");
  EXPECT_STREQ(ControlErrorName(0x1021), "CTL_NOT_SUPPORTED");
  EXPECT_EQ(ControlErrorName(0), nullptr);
  EXPECT_EQ(ControlErrorName(84), nullptr);
}

class MemberInvokeTest : public ControlTest {};

TEST_F(MemberInvokeTest, RefusesArgumentsThatDoNotFit) {
  Connect();
  const MemberInfo* openFile = FindMember("QuillOpenFile", MemberKind::kMethod);
  ASSERT_NE(openFile, nullptr);
  ScriptValue result = int32_t{42};
  const ScriptArgs refused[] = {
      {},
      {Text("a.txt")},
      {Text("a.txt"), int32_t{0}, int32_t{0}},
      {int32_t{0}, Text("a.txt")},
      {Text("a.txt"), Text("0")},
      {Text("a.txt"), std::monostate()},
  };
  for (const ScriptArgs& args : refused) {
    EXPECT_FALSE(InvokeMember(*openFile, args, &result));
  }
  // Nothing ran: no code recorded, the result untouched.
  EXPECT_EQ(std::get<int32_t>(result), 42);
  EXPECT_TRUE(Codes().empty());
  EXPECT_TRUE(InvokeMember(*openFile, {Text("a.txt"), int32_t{2}}, &result));
  EXPECT_EQ(std::get<int32_t>(result), -1);
  EXPECT_EQ(QuillGetLastError(), CTL_NOT_SUPPORTED);
}

TEST_F(MemberInvokeTest, PassesArgumentsInOrder) {
  AddToken();
  AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 2);
  ScriptValue result;
  ASSERT_TRUE(
      InvokeMember(*FindMember("QuillGetUIDByIndex", MemberKind::kMethod), {int32_t{1}}, &result));
  EXPECT_EQ(Utf8(std::get<ScriptText>(result)), UidOf(1));
  ASSERT_TRUE(
      InvokeMember(*FindMember("QuillSelectId", MemberKind::kMethod), {Text(UidOf(1))}, &result));
  EXPECT_EQ(std::get<int32_t>(result), 0);
  EXPECT_EQ(Session().selected, 1);
  const ScriptArgs keyInfo = {Text(std::string(40, 'n')), Text(""), Text(""), Text(""), int32_t{0}};
  PutModel(1);
  ASSERT_TRUE(InvokeMember(*FindMember("QuillSetKeyInfo", MemberKind::kMethod), keyInfo, &result));
  EXPECT_EQ(std::get<int32_t>(result), 2);  // model 1: no token of that family
}

TEST_F(MemberInvokeTest, PutsReturnNothing) {
  Connect();
  ScriptValue result = int32_t{7};
  ASSERT_TRUE(InvokeMember(*FindMember("Model", MemberKind::kPropertyPut), {int32_t{1}}, &result));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(result));
  EXPECT_EQ(GetModel(), 1);
  ASSERT_TRUE(InvokeMember(*FindMember("Model", MemberKind::kPropertyGet), {}, &result));
  EXPECT_EQ(std::get<int32_t>(result), 1);
  // The result may be left out.
  EXPECT_TRUE(InvokeMember(*FindMember("Model", MemberKind::kPropertyPut), {int32_t{0}}, nullptr));
  EXPECT_EQ(GetModel(), 0);
}

// Every member runs through its invoker without a token and answers with a
// value of its declared type.
TEST_F(MemberInvokeTest, EveryMemberAnswersWithItsType) {
  Connect();
  for (const MemberInfo& member : MemberTable()) {
    SCOPED_TRACE(member.name);
    ScriptValue result;
    ASSERT_TRUE(InvokeMember(member, DefaultArgs(member), &result));
    if (member.kind == MemberKind::kPropertyPut) {
      EXPECT_TRUE(std::holds_alternative<std::monostate>(result));
    } else if (member.result == ScriptType::kLong) {
      EXPECT_TRUE(std::holds_alternative<int32_t>(result));
    } else {
      EXPECT_TRUE(std::holds_alternative<ScriptText>(result));
    }
  }
  EXPECT_EQ(ports.dialog.shown, 0);  // QuillOpenEx found no token first
}

}  // namespace
}  // namespace quill
