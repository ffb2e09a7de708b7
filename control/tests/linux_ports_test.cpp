// The control's Linux ports: the adapter list from a sysfs-shaped tree, the
// UTF-8 codec and the native platform.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "base64.h"
#include "control_fixture.h"
#include "crypto/md5.h"
#include "login_dialog.h"
#include "ports/linux/sysfs_adapter_list.h"
#include "ports/linux/utf8_text_codec.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;

// A throw-away directory shaped like /sys/class/net.
class FakeNetTree {
 public:
  FakeNetTree() {
    char pattern[] = "/tmp/quill-net-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
  }
  ~FakeNetTree() { nftw(root_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS); }

  const std::string& root() const { return root_; }

  // An interface with the attributes sysfs gives it (an empty value: the
  // attribute is missing).
  void Add(const std::string& name, const std::string& type, const std::string& index,
           const std::string& address) const {
    const std::string dir = root_ + "/" + name;
    mkdir(dir.c_str(), 0755);
    if (!type.empty()) Write(dir + "/type", type + "\n");
    if (!index.empty()) Write(dir + "/ifindex", index + "\n");
    if (!address.empty()) Write(dir + "/address", address + "\n");
  }
  void AddDirectory(const std::string& relative) const {
    mkdir((root_ + "/" + relative).c_str(), 0755);
  }

 private:
  static int Remove(const char* path, const struct stat*, int, FTW*) { return remove(path); }
  static void Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  std::string root_;
};

TEST(SysfsAdapterListTest, ListsEthernetByInterfaceIndex) {
  FakeNetTree net;
  net.Add("lo", "772", "1", "00:00:00:00:00:00");
  net.Add("eth1", "1", "3", "00:11:22:33:44:55");
  net.Add("eth0", "1", "2", "AA:bb:cc:dd:ee:ff");
  net.Add("tun0", "65534", "5", "");
  net.Add("wlan0", "1", "4", "02:00:00:00:00:01");
  net.AddDirectory("wlan0/wireless");
  net.Add("enx", "1", "10", "0a:0b:0c:0d:0e:0f");
  SysfsAdapterList list(net.root());
  std::vector<NetworkAdapter> adapters = {NetworkAdapter{}};  // replaced
  ASSERT_TRUE(list.ListAdapters(&adapters));
  ASSERT_EQ(adapters.size(), 4u);
  EXPECT_EQ(adapters[0].address, (Bytes{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
  EXPECT_EQ(adapters[0].type, 6u);
  EXPECT_EQ(adapters[1].address, (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
  EXPECT_EQ(adapters[2].type, 71u);  // Wi-Fi, as Windows types it
  EXPECT_EQ(adapters[3].address, (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}));
  EXPECT_EQ(adapters[3].type, 6u);
}

TEST(SysfsAdapterListTest, LeavesOutWhatCannotBeRead) {
  FakeNetTree net;
  net.Add("noaddress", "1", "2", "");
  net.Add("noindex", "1", "", "00:11:22:33:44:55");
  net.Add("badindex", "1", "x7", "00:11:22:33:44:55");
  net.Add("badaddress", "1", "4", "00:11:22:33:44:5g");
  net.Add("notype", "", "5", "00:11:22:33:44:55");
  net.Add("lo", "1", "6", "00:00:00:00:00:00");  // loopback by name
  net.Add("eth0", "1", "7", "00:00:00:00:00:07");
  std::vector<NetworkAdapter> adapters;
  ASSERT_TRUE(SysfsAdapterList(net.root()).ListAdapters(&adapters));
  ASSERT_EQ(adapters.size(), 1u);
  EXPECT_EQ(adapters[0].address, (Bytes{0, 0, 0, 0, 0, 7}));
}

TEST(SysfsAdapterListTest, EmptyAndMissingTrees) {
  FakeNetTree net;
  std::vector<NetworkAdapter> adapters;
  EXPECT_TRUE(SysfsAdapterList(net.root()).ListAdapters(&adapters));
  EXPECT_TRUE(adapters.empty());
  EXPECT_FALSE(SysfsAdapterList(net.root() + "/missing").ListAdapters(&adapters));
  EXPECT_TRUE(adapters.empty());
}

TEST(SysfsAdapterListTest, ParsesHardwareAddresses) {
  Bytes address;
  ASSERT_TRUE(ParseHardwareAddress("a:0B", &address));
  EXPECT_EQ(address, (Bytes{0x0A, 0x0B}));
  ASSERT_TRUE(ParseHardwareAddress("ff", &address));
  EXPECT_EQ(address, (Bytes{0xFF}));
  address = {1, 2, 3};
  for (const char* bad : {"", ":", "aa:", ":aa", "aa::bb", "aaa:bb", "aa:bg", "aa bb", "-1"}) {
    EXPECT_FALSE(ParseHardwareAddress(bad, &address)) << bad;
  }
  EXPECT_EQ(address, (Bytes{1, 2, 3}));  // untouched on failure
  std::string longest;
  for (int i = 0; i < 32; ++i) longest += i == 0 ? "01" : ":01";
  EXPECT_TRUE(ParseHardwareAddress(longest, &address));
  EXPECT_EQ(address.size(), 32u);
  EXPECT_FALSE(ParseHardwareAddress(longest + ":01", &address));
}

class LinuxMachineCodeTest : public ControlTest {};

// The machine code digests the Ethernet addresses in the port's order.
TEST_F(LinuxMachineCodeTest, DigestsTheEthernetAddressesInIndexOrder) {
  FakeNetTree net;
  net.Add("eth1", "1", "3", "00:11:22:33:44:55");
  net.Add("eth0", "1", "2", "aa:bb:cc:dd:ee:ff");
  net.Add("wlan0", "1", "4", "02:00:00:00:00:01");
  net.AddDirectory("wlan0/phy80211");
  SysfsAdapterList adapters(net.root());
  AddToken();
  Connect();
  ControlPorts().adapters = &adapters;
  const uint8_t joined[] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  uint8_t digest[kMd5DigestSize];
  Md5Digest(joined, sizeof(joined), digest);
  std::string code;
  ASSERT_EQ(ComputeMachineCode(&code), 0);
  EXPECT_EQ(code, Base64Encode(digest, sizeof(digest)));
}

TEST(Utf8TextCodecPortTest, RoundTripsNonAscii) {
  Utf8TextCodecPort codec;
  const std::u16string text = u"Gr\u00fc\u00dfe \u4f60\u597d \U0001F511";
  const std::string narrow = codec.ToNarrow(text);
  EXPECT_EQ(narrow,
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x94\x91");
  EXPECT_EQ(codec.ToWide(narrow), text);
  EXPECT_EQ(codec.ToNarrowForThread(text), narrow);
  EXPECT_EQ(codec.ToNarrow(u""), "");
  EXPECT_EQ(codec.ToWide(""), u"");
}

TEST(Utf8TextCodecPortTest, UnpairedSurrogatesAndBadBytesBecomeReplacements) {
  Utf8TextCodecPort codec;
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(codec.ToNarrow(std::u16string{u'a', 0xD83D}), "a" + replacement);
  EXPECT_EQ(codec.ToNarrow(std::u16string{0xDC00, u'b'}), replacement + "b");
  EXPECT_EQ(codec.ToNarrow(std::u16string{0xDC00, 0xD800}), replacement + replacement);
  EXPECT_EQ(codec.ToWide("a\xFF"), (std::u16string{u'a', 0xFFFD}));
  EXPECT_EQ(codec.ToWide("\xC3"), (std::u16string{0xFFFD}));
  // NUL characters pass through; the members cut at them.
  EXPECT_EQ(codec.ToNarrow(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(NativeControlPlatformTest, HasEveryPortAndNoDialog) {
  ControlPlatform& platform = NativeControlPlatform();
  ASSERT_NE(platform.text, nullptr);
  ASSERT_NE(platform.adapters, nullptr);
  ASSERT_NE(platform.dialog, nullptr);
  ASSERT_NE(platform.clock, nullptr);
  EXPECT_EQ(&NativeControlPlatform(), &platform);
  LoginDialogController controller;
  EXPECT_EQ(platform.dialog->Run(controller), -1);
  EXPECT_EQ(platform.text->ToNarrow(u"\u00e9"), "\xC3\xA9");
  EXPECT_GT(platform.clock->NowSeconds(), 1700000000);  // seconds, not milliseconds or ticks
  EXPECT_LT(platform.clock->NowSeconds(), 100000000000);
}

}  // namespace
}  // namespace quill
