#include "helper_fixture.h"

namespace quill::testing {
namespace {

struct EditionCase {
  uint32_t major;
  uint32_t minor;
  uint32_t platformId;
  uint8_t productType;
  uint16_t architecture;
  int serverR2;
  const char16_t* name;
};

constexpr uint32_t kNt = 2;
constexpr uint32_t k9x = 1;
constexpr uint8_t kWs = 1;
constexpr uint8_t kServer = 3;
constexpr uint16_t kX86 = 0;
constexpr uint16_t kAmd64 = kProcessorArchitectureAmd64;

class EditionNameTest : public HelperTest, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(EditionNameTest, NamesTheEditionByItsVersionRecord) {
  const EditionCase& edition = GetParam();
  system.version.major = edition.major;
  system.version.minor = edition.minor;
  system.version.platformId = edition.platformId;
  system.version.productType = edition.productType;
  system.architecture = edition.architecture;
  system.serverR2 = edition.serverR2;
  EXPECT_EQ(Helper().GetOsName(), std::u16string(edition.name));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, EditionNameTest,
    ::testing::Values(
        EditionCase{4, 0, kNt, kWs, kX86, 0, u"Microsoft Windows NT 4.0"},
        EditionCase{4, 0, k9x, kWs, kX86, 0, u"Microsoft Windows 95"},
        EditionCase{4, 10, k9x, kWs, kX86, 0, u"Microsoft Windows 98"},
        EditionCase{4, 90, k9x, kWs, kX86, 0, u"Microsoft Windows Me"},
        EditionCase{5, 0, kNt, kServer, kX86, 0, u"Microsoft Windows 2000"},
        EditionCase{5, 1, kNt, kWs, kAmd64, 0, u"Microsoft Windows XP"},
        EditionCase{5, 2, kNt, kWs, kAmd64, 1, u"Microsoft Windows XP Professional x64 Edition"},
        // 5.2 on a 32-bit workstation or a 64-bit server is a server 2003.
        EditionCase{5, 2, kNt, kWs, kX86, 0, u"Microsoft Windows Server 2003"},
        EditionCase{5, 2, kNt, kServer, kAmd64, 0, u"Microsoft Windows Server 2003"},
        EditionCase{5, 2, kNt, kServer, kX86, 1, u"Microsoft Windows Server 2003 R2"},
        EditionCase{6, 0, kNt, kWs, kX86, 0, u"Microsoft Windows Vista"},
        EditionCase{6, 0, kNt, kServer, kAmd64, 0, u"Microsoft Windows Server 2008"},
        EditionCase{6, 1, kNt, kWs, kAmd64, 0, u"Microsoft Windows 7"},
        EditionCase{6, 1, kNt, kServer, kAmd64, 0, u"Microsoft Windows Server 2008 R2"},
        EditionCase{6, 2, kNt, kWs, kAmd64, 0, u"Microsoft Windows 8"},
        EditionCase{3, 51, kNt, kWs, kX86, 0, u"未知操作系统"},
        EditionCase{10, 0, kNt, kWs, kAmd64, 0, u"未知操作系统"},
        // Other combinations of 4, 5 and 6 have no name.
        EditionCase{4, 0, 0, kWs, kX86, 0, u""}, EditionCase{4, 1, kNt, kWs, kX86, 0, u""},
        EditionCase{5, 3, kNt, kWs, kX86, 0, u""}, EditionCase{6, 2, kNt, kServer, kAmd64, 0, u""},
        EditionCase{6, 3, kNt, kWs, kAmd64, 0, u""}));

TEST_F(HelperTest, EditionIsUnknownWhenTheVersionCannotBeRead) {
  system.versionAvailable = false;
  EXPECT_EQ(Helper().GetOsName(), u"UnKnown OS");
}

TEST_F(HelperTest, Wow64FollowsIsWow64ProcessAndIsFalseWithoutIt) {
  system.wow64 = true;
  EXPECT_TRUE(Helper().IsWow64());
  system.wow64 = false;
  EXPECT_FALSE(Helper().IsWow64());

  system.hasIsWow64Process = false;
  system.wow64 = true;
  system.isWow64ProcessCalls = 0;
  EXPECT_FALSE(Helper().IsWow64());
  EXPECT_EQ(system.isWow64ProcessCalls, 0);
}

}  // namespace
}  // namespace quill::testing
