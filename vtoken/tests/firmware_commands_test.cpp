// Every firmware command at the command level: the normal answer and the
// refusals, with the expected values computed as a server or host would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/des.h"
#include "crypto/md5.h"
#include "firmware.h"
#include "sha1.h"
#include "virtual_token.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;

const AccessKey kAccessKey = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};

TokenUidValue SampleUid() {
  TokenUidValue uid;
  for (size_t i = 0; i < uid.size(); ++i) uid[i] = static_cast<uint8_t>(3 * i + 1);
  return uid;
}

Bytes Digest(const std::string& password) {
  uint8_t buffer[64] = {};
  std::memcpy(buffer, password.data(), password.size());
  Bytes digest(32, 0);
  Md5Digest(buffer, sizeof(buffer), digest.data());
  return digest;
}

Bytes Text(const std::string& text, size_t size) {
  Bytes bytes(size, 0);
  std::copy(text.begin(), text.end(), bytes.begin());
  return bytes;
}

Bytes Concat(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

Bytes Encrypted(const uint8_t key[8], Bytes block) {
  DesKey(key).EncryptBlock(block.data());
  return block;
}

class FirmwareTest : public ::testing::Test {
 protected:
  TokenResponse Run(uint8_t ins, const Bytes& data = {}, uint8_t le = 0, uint8_t p1 = 0,
                    uint8_t p2 = 0) {
    TokenApdu apdu;
    apdu.ins = ins;
    apdu.p1 = p1;
    apdu.p2 = p2;
    apdu.data = data.empty() ? nullptr : data.data();
    apdu.lc = data.size();
    apdu.le = le;
    return firmware_.Execute(apdu);
  }

  // The status word of an answer with status 0xAA.
  uint16_t Sw(const TokenResponse& response) {
    EXPECT_EQ(response.status, kStatusProcessed);
    return response.statusWord;
  }

  // The data of an ok answer.
  Bytes Data(const TokenResponse& response) {
    EXPECT_EQ(response.status, kStatusProcessed);
    EXPECT_EQ(response.statusWord, 0x9000);
    return response.data;
  }

  uint16_t Login(const std::string& password) { return Sw(Run(0x15, Digest(password))); }
  uint16_t PresentKey(const AccessKey& key) { return Sw(Run(0x2B, Bytes(key.begin(), key.end()))); }

  TokenSettings settings_;
  TokenFirmware firmware_{DefaultTokenState(SampleUid(), settings_, kAccessKey), kAccessKey};
};

TEST_F(FirmwareTest, AnswersTheIdentityCommandsWithTheirDefaults) {
  const TokenUidValue uid = SampleUid();
  EXPECT_EQ(Data(Run(0x3F, {}, 32)), Bytes(uid.begin(), uid.end()));
  const Bytes identity = {'Q', 'U', 'I', 'L', 'L', 'V', 'T', '1',  1,
                          2,   3,   4,   5,   0,   0,   0,   0x02, 0x01};
  EXPECT_EQ(Data(Run(0x3B, {}, 18)), identity);
  EXPECT_EQ(Data(Run(0x3D, {}, 8)), Text("QVT 0001", 8));
  EXPECT_EQ(Data(Run(0x2E, {}, 1)), Bytes{1});
  EXPECT_EQ(Data(Run(0x41, {}, 32)), Text("login", 32));
  EXPECT_EQ(Data(Run(0x25, {}, 232)), Bytes(232, 0));

  // Each takes no data and answers exactly its own size.
  const std::pair<uint8_t, uint8_t> commands[] = {{0x3F, 32}, {0x3B, 18}, {0x3D, 8},
                                                  {0x2E, 1},  {0x41, 32}, {0x25, 232}};
  for (const auto& [ins, size] : commands) {
    EXPECT_EQ(Sw(Run(ins, {}, static_cast<uint8_t>(size - 1))), 0x6700) << int(ins);
    EXPECT_EQ(Sw(Run(ins, {1}, size)), 0x6700) << int(ins);
  }
}

TEST(FirmwareSettingsTest, SettingsGiveTheStartingValues) {
  TokenSettings settings;
  settings.password = "door";
  settings.versionText = "QVT 7";
  settings.identity = "DOOR";
  settings.requestEnabled = 0x80;
  settings.usageTag = "door-guard";
  TokenFirmware firmware(DefaultTokenState(SampleUid(), settings, kAccessKey), kAccessKey);
  auto run = [&](uint8_t ins, uint8_t le) {
    TokenApdu apdu;
    apdu.ins = ins;
    apdu.le = le;
    return firmware.Execute(apdu).data;
  };
  EXPECT_EQ(run(0x3D, 8), Text("QVT 7", 8)) << "a short version text is padded with zero bytes";
  EXPECT_EQ(run(0x3B, 18), Concat(Text("DOOR", 8), {1, 2, 3, 4, 5, 0, 0, 0, 2, 1}));
  EXPECT_EQ(run(0x2E, 1), Bytes{0x80});
  EXPECT_EQ(run(0x41, 32), Text("door-guard", 32));

  const Bytes digest = Digest("door");
  TokenApdu verify;
  verify.ins = 0x15;
  verify.data = digest.data();
  verify.lc = digest.size();
  EXPECT_EQ(firmware.Execute(verify).statusWord, 0x9000);

  std::string error;
  EXPECT_TRUE(CheckTokenSettings(settings, &error));
  settings.versionText = "123456789";
  EXPECT_FALSE(CheckTokenSettings(settings, &error));
  EXPECT_NE(error.find("version text"), std::string::npos);
  settings = TokenSettings();
  settings.password = std::string(65, 'p');
  EXPECT_FALSE(CheckTokenSettings(settings, &error));
  settings = TokenSettings();
  settings.usageTag = std::string(33, 't');
  EXPECT_FALSE(CheckTokenSettings(settings, &error));
}

TEST_F(FirmwareTest, ThreeWrongPasswordsInARowLockUntilUnplugged) {
  EXPECT_EQ(Login("wrong"), 0x6982);
  EXPECT_EQ(Login("wrong"), 0x6982);
  EXPECT_EQ(Login("12345678"), 0x9000) << "a right password ends the run of failures";
  EXPECT_TRUE(firmware_.Session().passwordVerified);
  EXPECT_EQ(Login("wrong"), 0x6982);
  EXPECT_FALSE(firmware_.Session().passwordVerified) << "a wrong password clears verified";
  EXPECT_EQ(Login("wrong"), 0x6982);
  EXPECT_FALSE(firmware_.Session().locked);
  EXPECT_EQ(Login("wrong"), 0x6982);
  EXPECT_TRUE(firmware_.Session().locked);
  EXPECT_EQ(firmware_.Session().failedPasswords, 3);

  // Locked: status 0xE3 without data for everything but UID and usage tag.
  for (uint8_t ins : {0x15, 0x3B, 0x3D, 0x2E, 0x25, 0x19, 0x1B, 0x0F, 0x63, 0x2B, 0x44}) {
    const TokenResponse response = Run(ins, {}, 0);
    EXPECT_EQ(response.status, kStatusLocked) << int(ins);
    EXPECT_EQ(response.statusWord, 0x9000);
    EXPECT_TRUE(response.data.empty());
  }
  EXPECT_EQ(Run(0x15, Digest("12345678")).status, kStatusLocked) << "even the right password";
  EXPECT_EQ(Data(Run(0x3F, {}, 32)).size(), 32u);
  EXPECT_EQ(Data(Run(0x41, {}, 32)), Text("login", 32));

  firmware_.Unplug();
  EXPECT_FALSE(firmware_.Session().locked);
  EXPECT_EQ(firmware_.Session().failedPasswords, 0);
  EXPECT_EQ(Login("12345678"), 0x9000);
  EXPECT_EQ(Sw(Run(0x15, Bytes(31, 0))), 0x6700);
}

TEST_F(FirmwareTest, ChangeAndLogoutNeedAndClearTheVerifiedPassword) {
  EXPECT_EQ(Sw(Run(0x17, Digest("new"))), 0x6982);
  EXPECT_EQ(Sw(Run(0x23, Bytes(232, 7))), 0x6982) << "key information needs the password";
  ASSERT_EQ(Login("12345678"), 0x9000);
  EXPECT_EQ(Sw(Run(0x17, Bytes(16, 0))), 0x6700);
  EXPECT_EQ(Sw(Run(0x17, Digest("new"))), 0x9000);
  EXPECT_EQ(Sw(Run(0x23, Bytes(231, 7))), 0x6700);
  EXPECT_EQ(Sw(Run(0x23, Bytes(232, 7))), 0x9000);
  EXPECT_EQ(Data(Run(0x25, {}, 232)), Bytes(232, 7));

  ASSERT_EQ(PresentKey(kAccessKey), 0x9000);
  EXPECT_EQ(Sw(Run(0x19, {1})), 0x6700);
  EXPECT_EQ(Sw(Run(0x19)), 0x9000);
  EXPECT_FALSE(firmware_.Session().passwordVerified);
  EXPECT_FALSE(firmware_.Session().accessKeyPresented);
  EXPECT_EQ(Sw(Run(0x23, Bytes(232, 8))), 0x6982);
  EXPECT_EQ(Login("12345678"), 0x6982);
  EXPECT_EQ(Login("new"), 0x9000);
}

TEST_F(FirmwareTest, ResetChallengeAndResponseAsAServerComputesThem) {
  const Bytes challenge = {1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes answer = Data(Run(0x1B, challenge, 8));
  EXPECT_EQ(answer, Encrypted(kAccessKey.data(), challenge)) << "the reset key is the access key";
  const Bytes response = Encrypted(kAccessKey.data(), answer);

  // A wrong response is refused and the challenge forgotten.
  Bytes wrong = response;
  wrong[7] ^= 0x01;
  EXPECT_EQ(Sw(Run(0x1D, Concat(Concat(challenge, wrong), Digest("reset")))), 0x6982);
  EXPECT_EQ(Sw(Run(0x1D, Concat(Concat(challenge, response), Digest("reset")))), 0x6985);

  // Two failures, then a reset: the run of failures starts over.
  EXPECT_EQ(Login("bad"), 0x6982);
  EXPECT_EQ(Login("bad"), 0x6982);
  ASSERT_EQ(Data(Run(0x1B, challenge, 8)), answer);
  const Bytes other = {8, 7, 6, 5, 4, 3, 2, 1};
  EXPECT_EQ(Sw(Run(0x1D, Concat(Concat(other, response), Digest("reset")))), 0x6985)
      << "only the remembered challenge";
  ASSERT_EQ(Data(Run(0x1B, challenge, 8)), answer);
  EXPECT_EQ(Sw(Run(0x1D, Concat(Concat(challenge, response), Digest("reset")))), 0x9000);
  EXPECT_EQ(firmware_.Session().failedPasswords, 0);
  EXPECT_EQ(Login("bad"), 0x6982);
  EXPECT_FALSE(firmware_.Session().locked);
  EXPECT_EQ(Login("reset"), 0x9000);

  EXPECT_EQ(Sw(Run(0x1B, Bytes(7, 0), 8)), 0x6700);
  EXPECT_EQ(Sw(Run(0x1B, challenge, 0)), 0x6700);
  EXPECT_EQ(Sw(Run(0x1D, Bytes(47, 0))), 0x6700);
}

TEST_F(FirmwareTest, KeyedDigestUsesTheSeedOfTheSelector) {
  const Bytes data = {'a', 'b', 'c'};
  EXPECT_EQ(Sw(Run(0x21, data, 20)), 0x6982) << "needs the password";
  ASSERT_EQ(Login("12345678"), 0x9000);
  EXPECT_EQ(Sw(Run(0x21, data, 20, 2)), 0x6A86);
  EXPECT_EQ(Sw(Run(0x21, data, 16)), 0x6700);

  // seed s = MD5(uid || s) || MD5(uid || s || s)
  const TokenUidValue uid = SampleUid();
  for (uint8_t selector : {0, 1}) {
    Bytes seed(32);
    Bytes input(uid.begin(), uid.end());
    input.push_back(selector);
    Md5Digest(input.data(), input.size(), seed.data());
    input.push_back(selector);
    Md5Digest(input.data(), input.size(), seed.data() + 16);
    const Bytes message = Concat(seed, data);
    Bytes expected(20);
    Sha1Digest(message.data(), message.size(), expected.data());
    EXPECT_EQ(Data(Run(0x21, data, 20, selector)), expected) << int(selector);

    if (selector == 0) {
      EXPECT_EQ(Sw(Run(0x20, {}, 32)), 0x6982) << "the seed needs the access key";
      ASSERT_EQ(PresentKey(kAccessKey), 0x9000);
      EXPECT_EQ(Data(Run(0x20, {}, 32)), seed);
      EXPECT_EQ(Sw(Run(0x20, {}, 31)), 0x6700);
    }
  }
  Bytes empty(20);
  const StoredTokenState& stored = firmware_.Stored();
  Sha1Digest(stored.seeds[1].data(), stored.seeds[1].size(), empty.data());
  EXPECT_EQ(Data(Run(0x21, {}, 20, 1)), empty) << "no data: the digest of the seed alone";
}

TEST_F(FirmwareTest, AccessKeyGatesSeedSecureStorageAndCipher) {
  AccessKey wrong = kAccessKey;
  wrong[0] ^= 0x80;
  EXPECT_EQ(PresentKey(wrong), 0x6982);
  EXPECT_EQ(Sw(Run(0x35, {}, 8)), 0x6982);
  EXPECT_EQ(Sw(Run(0x37, Bytes(8, 1))), 0x6982);
  EXPECT_EQ(Sw(Run(0x2D, Bytes(8, 1), 8)), 0x6982);
  EXPECT_EQ(Sw(Run(0x2F, Bytes(8, 1), 8)), 0x6982);
  EXPECT_EQ(Sw(Run(0x2B, Bytes(7, 0))), 0x6700);

  ASSERT_EQ(PresentKey(kAccessKey), 0x9000);
  EXPECT_EQ(Sw(Run(0x37, Bytes(8, 1), 0, 0x08, 0x00)), 0x9000);
  EXPECT_EQ(Data(Run(0x35, {}, 8, 0x08, 0x00)), Bytes(8, 1));
  // A wrong key afterwards takes the permission away again.
  EXPECT_EQ(PresentKey(wrong), 0x6982);
  EXPECT_EQ(Sw(Run(0x35, {}, 8, 0x08, 0x00)), 0x6982);
}

TEST_F(FirmwareTest, StorageAreasKeepTheirBoundsAndOffsets) {
  ASSERT_EQ(PresentKey(kAccessKey), 0x9000);
  const Bytes data = {1, 2, 3, 4, 5};
  // User storage: offset p1 (high) p2 (low), 2048 bytes.
  EXPECT_EQ(Sw(Run(0x0E, data, 0, 0x01, 0x2C)), 0x9000);
  EXPECT_EQ(Data(Run(0x0F, {}, 5, 0x01, 0x2C)), data);
  EXPECT_EQ(Data(Run(0x0F, {}, 3, 0x01, 0x2D)), Bytes({2, 3, 4}));
  EXPECT_TRUE(Data(Run(0x0F, {}, 0, 0x01, 0x2C)).empty()) << "le 0 reads nothing";
  EXPECT_EQ(Data(Run(0x0F, {}, 48, 0x07, 0xD0)).size(), 48u);  // 2000 + 48
  EXPECT_EQ(Sw(Run(0x0F, {}, 49, 0x07, 0xD0)), 0x6B00);
  EXPECT_EQ(Sw(Run(0x0E, {9, 9}, 0, 0x07, 0xFF)), 0x6B00);
  EXPECT_EQ(Sw(Run(0x0F, {}, 1, 0x08, 0x00)), 0x6B00);
  EXPECT_EQ(Sw(Run(0x0F, {}, 1, 0xFF, 0xFF)), 0x6B00);
  EXPECT_EQ(Sw(Run(0x0F, {}, 241)), 0x6700) << "more than an answer frame carries";
  EXPECT_EQ(Sw(Run(0x0F, {1}, 1)), 0x6700);
  EXPECT_EQ(Data(Run(0x0F, {}, 240)).size(), 240u);

  // Secure storage: 2056 bytes.
  EXPECT_EQ(Sw(Run(0x37, data, 0, 0x08, 0x03)), 0x9000);
  EXPECT_EQ(Data(Run(0x35, {}, 5, 0x08, 0x03)), data);
  EXPECT_EQ(Sw(Run(0x37, Bytes(6, 0), 0, 0x08, 0x03)), 0x6B00);
  EXPECT_EQ(Data(Run(0x0F, {}, 5, 0x08 - 1, 0xFB)), Bytes(5, 0)) << "the areas are apart";

  // Memory: offset p1 alone, 192 bytes.
  EXPECT_EQ(Sw(Run(0x62, data, 0, 187)), 0x9000);
  EXPECT_EQ(Data(Run(0x63, {}, 5, 187)), data);
  EXPECT_EQ(Sw(Run(0x63, {}, 3, 190)), 0x6B00);
  EXPECT_EQ(Sw(Run(0x62, Bytes(193, 0), 0, 0)), 0x6B00);

  // The last-block marker is only recorded.
  EXPECT_EQ(Sw(Run(0x36, {}, 0, 1)), 0x9000);
  EXPECT_EQ(firmware_.Session().lastBlockMarker, 1);
  EXPECT_EQ(Sw(Run(0x36, {}, 0, 0)), 0x9000);
  EXPECT_EQ(Sw(Run(0x36, {}, 0, 2)), 0x6A86);
  EXPECT_EQ(Sw(Run(0x36, {1}, 0, 1)), 0x6700);
}

TEST_F(FirmwareTest, CipherWorksOnEachBlockOnItsOwn) {
  ASSERT_EQ(PresentKey(kAccessKey), 0x9000);
  Bytes plain(16);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 11);
  const Bytes whole = Data(Run(0x2D, plain, 16));
  const Bytes first = Data(Run(0x2D, Bytes(plain.begin(), plain.begin() + 8), 8));
  const Bytes second = Data(Run(0x2D, Bytes(plain.begin() + 8, plain.end()), 8));
  EXPECT_EQ(whole, Concat(first, second));
  EXPECT_NE(whole, plain);
  EXPECT_EQ(Data(Run(0x2F, whole, 16)), plain);
  EXPECT_EQ(Data(Run(0x2F, second, 8)), Bytes(plain.begin() + 8, plain.end()));

  // Key of selector s: the first 8 bytes of MD5("cipher" || uid || s).
  const TokenUidValue uid = SampleUid();
  const std::string label = "cipher";
  Bytes input(label.size() + uid.size() + 1);
  std::copy(label.begin(), label.end(), input.begin());
  std::copy(uid.begin(), uid.end(), input.begin() + static_cast<long>(label.size()));
  input.back() = 1;
  uint8_t key[16];
  Md5Digest(input.data(), input.size(), key);
  const Bytes block(plain.begin(), plain.begin() + 8);
  EXPECT_EQ(Data(Run(0x2D, block, 8, 1)), Encrypted(key, block));
  EXPECT_NE(Data(Run(0x2D, block, 8, 1)), first) << "each selector has its own key";

  EXPECT_EQ(Data(Run(0x2D, Bytes(232, 5), 232)).size(), 232u);
  EXPECT_EQ(Sw(Run(0x2D, block, 8, 2)), 0x6A86);
  EXPECT_EQ(Sw(Run(0x2D, Bytes(12, 0), 12)), 0x6700);
  EXPECT_EQ(Sw(Run(0x2F, Bytes(240, 0), 240)), 0x6700);
  EXPECT_EQ(Sw(Run(0x2D, {}, 0)), 0x6700);
  EXPECT_EQ(Sw(Run(0x2D, block, 16)), 0x6700) << "answers exactly as many bytes as sent";
}

class RemoteChangeTest : public FirmwareTest {
 protected:
  // value A, PasswordDigest(text 1), PasswordDigest(text 2), values B, C, D, E.
  Bytes Payload(const std::string& oldPassword, const std::string& newPassword) {
    Bytes payload = Bytes(16, 0xA1);
    payload = Concat(Concat(payload, Digest(oldPassword)), Digest(newPassword));
    payload = Concat(payload, Bytes(32, 0xB2));
    payload = Concat(payload, Bytes(24, 0xC3));
    payload = Concat(payload, Bytes(24, 0xD4));
    payload.push_back(0xE5);
    return payload;
  }

  const Bytes challenge_ = {9, 8, 7, 6, 5, 4, 3, 2};
};

TEST_F(RemoteChangeTest, AppliesWithTheRightOldPassword) {
  EXPECT_EQ(Sw(Run(0x45, Payload("12345678", "remote"), 0, 1, 0)), 0x6985) << "no challenge yet";
  EXPECT_EQ(Data(Run(0x44, challenge_, 8)), Encrypted(kAccessKey.data(), challenge_));
  EXPECT_EQ(Sw(Run(0x45, Bytes(232, 0x4B), 0, 1, 1)), 0x6985) << "the block comes second";
  EXPECT_EQ(Sw(Run(0x45, {}, 0, 0xFF, 0xFF)), 0x6985) << "nothing pending";

  ASSERT_EQ(Data(Run(0x44, challenge_, 8)).size(), 8u);
  EXPECT_EQ(Sw(Run(0x45, Bytes(160, 0), 0, 1, 0)), 0x6700);
  ASSERT_EQ(Sw(Run(0x45, Payload("12345678", "remote"), 0, 1, 0)), 0x9000);
  EXPECT_EQ(Sw(Run(0x45, Bytes(231, 0), 0, 1, 1)), 0x6700);
  ASSERT_EQ(Sw(Run(0x45, Bytes(232, 0x4B), 0, 1, 1)), 0x9000);
  EXPECT_EQ(Sw(Run(0x45, {}, 0, 1, 2)), 0x6A86);
  EXPECT_EQ(Sw(Run(0x45, {1}, 0, 0xFF, 0xFF)), 0x6700);
  ASSERT_EQ(Sw(Run(0x45, {}, 0, 0xFF, 0xFF)), 0x9000);

  EXPECT_EQ(Login("12345678"), 0x6982);
  EXPECT_EQ(Login("remote"), 0x9000);
  EXPECT_EQ(Data(Run(0x25, {}, 232)), Bytes(232, 0x4B));
  const auto& values = firmware_.Stored().remoteValues;
  EXPECT_EQ(values.front(), 0xA1);
  EXPECT_EQ(values[16], 0xB2);
  EXPECT_EQ(values.back(), 0xE5);
  EXPECT_FALSE(firmware_.Session().pendingPayload);
  EXPECT_EQ(Sw(Run(0x45, {}, 0, 0xFF, 0xFF)), 0x6985) << "applied once";
}

TEST_F(RemoteChangeTest, RefusesAWrongOldPasswordAndDropsThePendingChange) {
  ASSERT_EQ(Data(Run(0x44, challenge_, 8)).size(), 8u);
  ASSERT_EQ(Sw(Run(0x45, Payload("not it", "remote"), 0, 1, 0)), 0x9000);
  ASSERT_EQ(Sw(Run(0x45, Bytes(232, 0x4B), 0, 1, 1)), 0x9000);
  EXPECT_EQ(Sw(Run(0x45, {}, 0, 0xFF, 0xFF)), 0x6982);
  EXPECT_EQ(Data(Run(0x25, {}, 232)), Bytes(232, 0)) << "nothing applied";
  EXPECT_EQ(Sw(Run(0x45, Payload("12345678", "remote"), 0, 1, 0)), 0x6985)
      << "the challenge went with it";

  // Unplugging drops a pending change too.
  ASSERT_EQ(Data(Run(0x44, challenge_, 8)).size(), 8u);
  ASSERT_EQ(Sw(Run(0x45, Payload("12345678", "remote"), 0, 1, 0)), 0x9000);
  firmware_.Unplug();
  EXPECT_EQ(Sw(Run(0x45, Bytes(232, 0x4B), 0, 1, 1)), 0x6985);
  EXPECT_EQ(Login("12345678"), 0x9000);
}

// The token saves its stored state after each command that changed it.
TEST(VirtualTokenSavingTest, SavesChangesAndUndoesACommandThatCannotBeSaved) {
  VirtualToken token(DefaultTokenState(SampleUid(), TokenSettings(), kAccessKey), kAccessKey,
                     FrameKey{});
  int saves = 0;
  bool saveWorks = true;
  token.SetStoredStateSink([&](const StoredTokenState&) {
    ++saves;
    return saveWorks;
  });
  auto run = [&](uint8_t ins, const Bytes& data, uint8_t le = 0) {
    TokenApdu apdu;
    apdu.ins = ins;
    apdu.data = data.empty() ? nullptr : data.data();
    apdu.lc = data.size();
    apdu.le = le;
    return token.Execute(apdu);
  };
  EXPECT_EQ(run(0x0F, {}, 16).statusWord, 0x9000);
  EXPECT_EQ(run(0x15, Digest("12345678")).statusWord, 0x9000);
  EXPECT_EQ(saves, 0) << "reads and the session change nothing stored";
  EXPECT_EQ(run(0x0E, {1, 2, 3}).statusWord, 0x9000);
  EXPECT_EQ(run(0x17, Digest("second")).statusWord, 0x9000);
  EXPECT_EQ(saves, 2);

  saveWorks = false;
  const TokenResponse refused = run(0x0E, {7, 7, 7});
  EXPECT_EQ(refused.status, kStatusProcessed);
  EXPECT_EQ(refused.statusWord, 0x6581);
  EXPECT_EQ(run(0x0F, {}, 3).data, Bytes({1, 2, 3})) << "the unsaved write was undone";
  EXPECT_EQ(run(0x19, {}).statusWord, 0x9000);
  EXPECT_EQ(run(0x15, Digest("second")).statusWord, 0x9000);

  token.Unplug();
  EXPECT_FALSE(token.Session().passwordVerified);
}

}  // namespace
}  // namespace quill
