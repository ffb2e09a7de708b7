// The member table: generated from the member definitions, consistent in
// itself, lookup by name, and invocation with checked arguments.
#include "member_table.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "control_fixture.h"

namespace quill {
namespace {

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

const char* TypeWord(ScriptType type) {
  return type == ScriptType::kLong ? "long" : "text";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A row of the member table spelled as the definition file spells its
// members, after a property is split into its get and its put.
std::string Describe(const MemberInfo& member) {
  std::ostringstream out;
  out << KindLetter(member.kind) << ' ' << member.dispid << ' ' << member.name;
  if (member.kind != MemberKind::kPropertyPut) out << ' ' << TypeWord(member.result);
  for (size_t i = 0; i < member.parameters.size(); ++i) {
    out << ' ' << (i < member.parameterNames.size() ? member.parameterNames[i] : "?") << ':'
        << TypeWord(member.parameters[i]);
    if (member.undirectedParameters & (1u << i)) out << ":undirected";
  }
  return out.str();
}

// The definition file read on its own, each member described as Describe
// does: the table generated at build time must say the same.
std::vector<std::string> DefinedMembers() {
  std::ifstream file(QUILL_MEMBER_DEFINITION_FILE);
  std::vector<std::string> rows;
  std::string line;
  while (std::getline(file, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream fields(line);
    std::string kind, dispid, name, type;
    if (!(fields >> kind >> dispid >> name >> type)) continue;
    if (kind == "property") {
      rows.push_back("g " + dispid + " " + name + " " + type);
      rows.push_back("p " + dispid + " " + name + " :" + type);
      continue;
    }
    std::string row = "m " + dispid + " " + name + " " + type;
    for (std::string parameter; fields >> parameter;) row += " " + parameter;
    rows.push_back(row);
  }
  return rows;
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

TEST(MemberTableTest, HoldsEveryDefinedMemberInItsOrder) {
  const std::vector<std::string> defined = DefinedMembers();
  const std::vector<MemberInfo>& table = MemberTable();
  ASSERT_FALSE(defined.empty()) << "cannot read " << QUILL_MEMBER_DEFINITION_FILE;
  ASSERT_EQ(table.size(), defined.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(Describe(table[i]), defined[i]) << "row " << i;
    EXPECT_NE(table[i].run, nullptr) << defined[i];
  }
}

TEST(MemberTableTest, NamesAreUniqueAndPropertiesPairTheirAccessors) {
  std::set<std::pair<std::string, char>> seen;
  std::set<int32_t> methodDispids;
  std::set<int32_t> propertyDispids;
  const std::vector<MemberInfo>& table = MemberTable();
  for (size_t i = 0; i < table.size(); ++i) {
    const MemberInfo& member = table[i];
    SCOPED_TRACE(member.name);
    // Scripts find names without regard to letter case.
    EXPECT_TRUE(seen.insert({Lower(member.name), KindLetter(member.kind)}).second);
    EXPECT_GT(member.dispid, 0);
    ASSERT_EQ(member.parameterNames.size(), member.parameters.size());
    EXPECT_EQ(member.undirectedParameters >> member.parameters.size(), 0u);
    switch (member.kind) {
      case MemberKind::kMethod:
        EXPECT_TRUE(methodDispids.insert(member.dispid).second);
        for (const char* name : member.parameterNames) EXPECT_STRNE(name, "");
        break;
      case MemberKind::kPropertyGet:
        EXPECT_TRUE(propertyDispids.insert(member.dispid).second);
        EXPECT_TRUE(member.parameters.empty());
        break;
      case MemberKind::kPropertyPut: {
        // Right after its get, with its DISPID, taking what the get gives.
        ASSERT_GT(i, 0u);
        const MemberInfo& get = table[i - 1];
        EXPECT_EQ(get.kind, MemberKind::kPropertyGet);
        EXPECT_STREQ(get.name, member.name);
        EXPECT_EQ(get.dispid, member.dispid);
        ASSERT_EQ(member.parameters.size(), 1u);
        EXPECT_EQ(member.parameters[0], get.result);
        EXPECT_STREQ(member.parameterNames[0], "");
        break;
      }
    }
  }
  for (const MemberInfo& member : table) {
    if (member.kind == MemberKind::kMethod) {
      EXPECT_EQ(propertyDispids.count(member.dispid), 0u) << member.name;
      EXPECT_EQ(seen.count({Lower(member.name), 'g'}), 0u) << member.name;
    }
  }
}

TEST(MemberTableTest, LookupIgnoresLetterCaseOnly) {
  const std::vector<MemberInfo>& table = MemberTable();
  const MemberInfo* connected = FindMember("QuillIsConnected", MemberKind::kMethod);
  ASSERT_NE(connected, nullptr);
  EXPECT_EQ(FindMember("QUILLISCONNECTED", MemberKind::kMethod), connected);
  EXPECT_EQ(FindMember("quillcheckexist", MemberKind::kMethod), &table[0]);
  const MemberInfo* putVersion = FindMember("version", MemberKind::kPropertyPut);
  ASSERT_NE(putVersion, nullptr);
  EXPECT_STREQ(putVersion->name, "Version");
  EXPECT_EQ(putVersion->kind, MemberKind::kPropertyPut);
  EXPECT_EQ(FindMember("Name", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("QuillOpen", MemberKind::kPropertyGet), nullptr);
  EXPECT_EQ(FindMember("QuillCheckExis", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("QuillCheckExistX", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember("", MemberKind::kMethod), nullptr);
  EXPECT_EQ(FindMember(nullptr, MemberKind::kMethod), nullptr);
  // By name alone: the get of a property, the member of a method.
  ASSERT_NE(FindMemberByName("MODEL"), nullptr);
  EXPECT_EQ(FindMemberByName("MODEL")->kind, MemberKind::kPropertyGet);
  EXPECT_EQ(FindMemberByName("quillopenex"), FindMember("QuillOpenEx", MemberKind::kMethod));
  EXPECT_NE(FindMemberByName("quillopenex"), nullptr);
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
