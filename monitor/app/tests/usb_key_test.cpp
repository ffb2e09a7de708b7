// CUsbKey against virtual tokens: finding tokens of both models, the login
// token, the arrival wait, key information, "{ID}" expansion and passwords.
#include "usb_key.h"

#include <cstring>

#include "fake_platform.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

class UsbKeyTest : public MonitorTest {};

TEST_F(UsbKeyTest, FindsModelAFirstAndModelBOnlyWithoutA) {
  AddToken(TokenModel::kB);
  AddToken(TokenModel::kA);
  AddToken(TokenModel::kA);
  Connect();
  CUsbKey key(ports);
  EXPECT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.count(), 2);  // model A only
  std::string uid;
  ASSERT_EQ(key.GetUid(&uid), 0);
  EXPECT_EQ(uid, UidOf(1));

  server.Unplug(1);
  server.Unplug(2);
  EXPECT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.count(), 1);
  ASSERT_EQ(key.GetUid(&uid), 0);
  EXPECT_EQ(uid, UidOf(0));

  server.Unplug(0);
  EXPECT_EQ(key.Refresh(), kRefreshNoToken);
  EXPECT_EQ(key.count(), 0);
}

TEST_F(UsbKeyTest, KeepsAtMostEightHandles) {
  for (int i = 0; i < 9; ++i) AddToken(TokenModel::kA, "user");
  Connect();
  CUsbKey key(ports);
  EXPECT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.count(), kUsbKeyMaxHandles);
}

TEST_F(UsbKeyTest, UidReadFailureAfterDiscoveryGivesTwo) {
  fake::FakePlatform platform;
  auto token = platform.AddHidToken(0x04B4, 0xB328);
  token->Then(fake::Step::Answer());            // the discovery's UID read
  token->Then(fake::Step::StatusWord(0x6A86));  // Refresh's own UID read
  CUsbKey key(ports);
  EXPECT_EQ(key.Refresh(), kRefreshUidFailed);
  EXPECT_EQ(key.loginSeen(), 0);
}

TEST_F(UsbKeyTest, RecognisesTheLoginTagIgnoringCaseButNotItsFirstFourLetters) {
  AddToken(TokenModel::kA, "logi");
  AddToken(TokenModel::kA, "LOGIN");
  AddToken(TokenModel::kA, "login");
  Connect();
  CUsbKey key(ports);
  EXPECT_EQ(key.loginSeen(), 0);
  EXPECT_STREQ(key.loginUid(), "");
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.loginSeen(), 1);
  EXPECT_EQ(key.loginUid(), UidOf(1));  // the first login-tagged token

  server.Unplug(0);
  server.Unplug(1);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.loginUid(), UidOf(1));  // kept although it has gone

  key.ResetLoginSeen();
  EXPECT_EQ(key.loginSeen(), 0);
  EXPECT_EQ(key.loginUid(), UidOf(1));  // the reset clears only the flag
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.loginUid(), UidOf(2));
}

TEST_F(UsbKeyTest, WaitForKeyGivesUpAfterTenTries) {
  AddToken();
  Connect();
  server.Unplug(0);  // a device that never answers
  CUsbKey key(ports);
  EXPECT_FALSE(key.WaitForKey());
  EXPECT_EQ(system.sleeps, std::vector<uint32_t>(10, 500u));
}

TEST_F(UsbKeyTest, WaitForKeyStopsWhenALateTokenAnswers) {
  AddToken();
  Connect();
  server.Unplug(0);
  system.onSleep = [this](int pauses) {
    if (pauses == 3) {
      ASSERT_TRUE(server.Plug(0));
    }
  };
  CUsbKey key(ports);
  EXPECT_TRUE(key.WaitForKey());
  EXPECT_EQ(system.sleeps.size(), 3u);
  EXPECT_EQ(key.loginUid(), UidOf(0));

  system.sleeps.clear();
  EXPECT_TRUE(key.WaitForKey());  // present at once: no pause
  EXPECT_TRUE(system.sleeps.empty());
}

TEST_F(UsbKeyTest, KeyInformationTextsAndModelBytes) {
  AddToken();
  Connect();
  TokenHandle handles[kMaxTokens] = {};
  int count = 0;
  ASSERT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
  ASSERT_EQ(TokenLogin(handles[0], kTokenPassword), 0);
  const uint8_t model[kModelSize] = {2, 9, 0, 7, 7, 7, 7, 7};
  std::string fullName(32, 'N');
  std::string fullOther(64, 'o');
  ASSERT_EQ(TokenSetKeyInfo(handles[0], fullName.c_str(), "Quill \xE9tude", "http://x/{ID}",
                            fullOther.c_str(), model),
            0);

  CUsbKey key(ports);
  UsbKeyInfo info;
  ASSERT_EQ(key.GetKeyInfo(&info), 0);
  EXPECT_EQ(info.name, std::u16string(32, u'N'));
  EXPECT_EQ(info.description, u"Quill \u00e9tude");  // thread code page (Latin-1 here)
  EXPECT_EQ(info.url, u"http://x/{ID}");
  EXPECT_EQ(info.other, std::u16string(64, u'o'));
  const uint8_t expected[kModelSize] = {2, 9, 0, 0, 0, 0, 0, 0};  // copied as text
  EXPECT_EQ(std::memcmp(info.model, expected, kModelSize), 0);

  std::string version;
  EXPECT_EQ(key.GetVersionText(&version), 0);
  EXPECT_EQ(version, "QVT 0001");

  server.Unplug(0);
  EXPECT_EQ(key.GetKeyInfo(&info), 1);
  EXPECT_EQ(key.GetVersionText(&version), 1);
}

TEST_F(UsbKeyTest, ExpandUrlReplacesEveryPlaceholderByTheUid) {
  AddToken();
  Connect();
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  const std::string uid = UidOf(0);

  char out[kExpandedUrlSize] = {};
  ASSERT_EQ(key.ExpandUrl("https://a/?u={ID}&v={ID}", out), 0);
  EXPECT_EQ(std::string(out), "https://a/?u=" + uid + "&v=" + uid);

  char lower[kExpandedUrlSize] = {};
  ASSERT_EQ(key.ExpandUrl("https://a/{id}/{Id}", lower), 0);
  EXPECT_STREQ(lower, "https://a/{id}/{Id}");

  char plain[kExpandedUrlSize] = {};
  ASSERT_EQ(key.ExpandUrl("", plain), 0);
  EXPECT_STREQ(plain, "");
  EXPECT_EQ(key.ExpandUrl(nullptr, plain), 1);
}

TEST_F(UsbKeyTest, ExpandUrlInsertsZeroBytesWhenTheUidCannotBeRead) {
  AddToken();
  Connect();
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  server.Unplug(0);
  char out[kExpandedUrlSize];
  std::memset(out, 'x', sizeof(out));
  ASSERT_EQ(key.ExpandUrl("http://a/{ID}tail", out), 0);
  EXPECT_STREQ(out, "http://a/");  // the URL ends where the UID should be
  for (size_t i = 9; i < 9 + kUidCharacters; ++i) EXPECT_EQ(out[i], '\0') << i;
  EXPECT_EQ(std::string(out + 9 + kUidCharacters), "tail");
}

TEST_F(UsbKeyTest, ExpandUrlNeverWritesPastItsBuffer) {
  AddToken();
  Connect();
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  // 10 bytes of text and one UID need 43 bytes with the terminator.
  char out[48];
  std::memset(out, 'g', sizeof(out));
  EXPECT_EQ(key.ExpandUrl("0123456789{ID}", out, 42), 1);
  for (size_t i = 0; i < 42; ++i) EXPECT_EQ(out[i], '\0') << i;  // nothing half-built is left
  for (size_t i = 42; i < sizeof(out); ++i) EXPECT_EQ(out[i], 'g') << i;

  char exact[43] = {};
  EXPECT_EQ(key.ExpandUrl("0123456789{ID}", exact, sizeof(exact)), 0);
  EXPECT_EQ(std::string(exact), "0123456789" + UidOf(0));

  std::string many;
  for (int i = 0; i < 40; ++i) many += "{ID}";  // 1280 bytes expanded
  char big[kExpandedUrlSize + 8];
  std::memset(big, 'g', sizeof(big));
  EXPECT_EQ(key.ExpandUrl(many.c_str(), big), 1);
  for (size_t i = kExpandedUrlSize; i < sizeof(big); ++i) EXPECT_EQ(big[i], 'g') << i;
}

TEST_F(UsbKeyTest, LoginAndChangePasswordOnTheFirstToken) {
  AddToken();
  Connect();
  CUsbKey key(ports);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.Login("wrong"), 1);
  EXPECT_EQ(key.Login(kTokenPassword), 0);
  EXPECT_EQ(key.ChangePassword("wrong", "new-one"), 1);
  EXPECT_EQ(key.ChangePassword(kTokenPassword, "new-one"), 0);
  ASSERT_EQ(key.Refresh(), kRefreshFound);
  EXPECT_EQ(key.Login(kTokenPassword), 1);
  EXPECT_EQ(key.Login("new-one"), 0);
  EXPECT_EQ(key.LastError(), 0);
}

}  // namespace
}  // namespace quill
