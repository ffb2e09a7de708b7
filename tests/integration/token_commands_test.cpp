// Every token operation against a virtual token over loopback, on both faces.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base64.h"
#include "commands/remote_key.h"
#include "crypto/crc16b.h"
#include "crypto/des.h"
#include "device_table.h"
#include "library_state.h"
#include "loopback_platform.h"
#include "token.h"
#include "vtoken/server.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;
using CodeList = std::vector<int>;

CodeList StoredCodes() {
  CodeList codes;
  for (size_t i = 0; i < Library().store.Count(); ++i) codes.push_back(Library().store.At(i));
  return codes;
}

Bytes RandomBytes(size_t length, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(length);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

std::string TempLockPath() {
  char pattern[] = "/tmp/quill-lock-XXXXXX";
  close(mkstemp(pattern));
  return pattern;
}

class TokenCommandsTest : public ::testing::TestWithParam<TokenKind> {
 protected:
  void SetUp() override {
    TokenSpec spec;
    spec.kind = GetParam();
    token = server.AddToken(spec);
    TokenSpec other;
    other.kind = GetParam();
    other.settings.requestEnabled = 2;
    other.settings.usageTag = "LOGIN-admin";
    otherToken = server.AddToken(other);
    ASSERT_TRUE(server.Start()) << server.LastError();
    platform = std::make_unique<LoopbackPlatform>(
        std::vector<std::string>{server.Endpoint(token), server.Endpoint(otherToken)}, lockPath);
    TokenHandle handles[kMaxTokens];
    int count = 0;
    ASSERT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
    ASSERT_EQ(count, 2);
    handle = handles[0];
    otherHandle = handles[1];
  }
  void TearDown() override {
    platform.reset();
    server.Stop();
    unlink(lockPath.c_str());
  }

  // The commands the token received since the last call.
  std::vector<CommandRecord> NewCommands() {
    const std::vector<CommandRecord> all = server.Stats(token).commands;
    std::vector<CommandRecord> fresh(all.begin() + static_cast<long>(seen), all.end());
    seen = all.size();
    return fresh;
  }
  std::vector<std::pair<int, int>> NewInstructions() {
    std::vector<std::pair<int, int>> list;
    for (const CommandRecord& command : NewCommands()) list.push_back({command.ins, command.p1});
    return list;
  }
  int State() const { return FindDeviceEntry(handle)->state; }
  std::string Uid(TokenHandle which) {
    char uid[kUidTextSize] = {};
    EXPECT_EQ(TokenGetUID(which, uid), 0);
    return uid;
  }

  VirtualTokenServer server;
  int token = -1;
  int otherToken = -1;
  std::string lockPath = TempLockPath();
  std::unique_ptr<LoopbackPlatform> platform;
  TokenHandle handle = 0;
  TokenHandle otherHandle = 0;
  size_t seen = 0;
};

INSTANTIATE_TEST_SUITE_P(BothFaces, TokenCommandsTest,
                         ::testing::Values(TokenKind::kHid, TokenKind::kCdrom),
                         [](const auto& info) { return std::string(KindName(info.param)); });

TEST_P(TokenCommandsTest, UnknownHandleFailsEveryOperationBeforeAnyCommand) {
  const TokenHandle unknown = handle + 1000;
  NewCommands();
  char text[kUidTextSize];
  EXPECT_EQ(TokenGetUID(unknown, text), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{80, 81}));
  TokenSetLastError(0);
  EXPECT_EQ(TokenGetKeyInfo(unknown, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{80}));
  TokenSetLastError(0);
  EXPECT_EQ(TokenLogin(unknown, "12345678"), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{80, 81}));
  uint8_t buffer[16];
  TokenSetLastError(0);
  EXPECT_EQ(TokenReadStorage(unknown, 0, 16, buffer), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{80, 81}));
  EXPECT_TRUE(NewCommands().empty());
}

TEST_P(TokenCommandsTest, PasswordMovesTheStateBetweenPresentAndVerified) {
  EXPECT_EQ(State(), kStatePresent);
  EXPECT_EQ(TokenLogin(handle, "wrong"), 6);
  EXPECT_EQ(StoredCodes(), (CodeList{522, 53, 104}));
  EXPECT_EQ(State(), kStatePresent);
  EXPECT_EQ(TokenLogin(handle, "12345678"), 0);
  EXPECT_EQ(State(), kStatePasswordVerified);
  EXPECT_EQ(TokenGetLastError(), 0);
  EXPECT_EQ(TokenLogin(handle, "wrong"), 6);
  EXPECT_EQ(State(), kStatePresent);

  EXPECT_EQ(TokenChangePassword(handle, "12345678", "new secret"), 0);
  EXPECT_EQ(State(), kStatePasswordVerified);
  EXPECT_EQ(TokenLogin(handle, "12345678"), 6);
  EXPECT_EQ(TokenChangePassword(handle, "12345678", "other"), 1);
  EXPECT_EQ(TokenGetLastError(), 522);
  EXPECT_EQ(TokenLogin(handle, "new secret"), 0);

  const std::string tooLong(65, 'x');
  EXPECT_NE(TokenChangePassword(handle, "new secret", tooLong.c_str()), 0);
  EXPECT_EQ(StoredCodes(), (CodeList{1, 105}));
  EXPECT_EQ(State(), kStatePresent);

  EXPECT_EQ(TokenLogout(handle), 0);
  server.InjectFault(token, Fault{FaultKind::kStatusWord, 0x6F00}, 1);
  EXPECT_EQ(TokenLogout(handle), 2);
  EXPECT_EQ(StoredCodes(), (CodeList{532, 53, 107}));
}

TEST_P(TokenCommandsTest, ThreeWrongPasswordsLockTheTokenUntilUnplugged) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TokenLogin(handle, "nope"), 6);
  EXPECT_EQ(TokenLogin(handle, "12345678"), 6);
  EXPECT_EQ(StoredCodes(), (CodeList{258, 53, 104}));
  EXPECT_FALSE(Uid(handle).empty()) << "the UID is still read";
  char tag[33];
  EXPECT_EQ(TokenGetUsageTag(handle, tag), 0);

  server.Unplug(token);
  ASSERT_TRUE(server.Plug(token));
  TokenHandle handles[kMaxTokens];
  int count = 0;
  ASSERT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
  EXPECT_EQ(TokenLogin(handles[0], "12345678"), 0);
}

TEST_P(TokenCommandsTest, IdentityVersionFlagsAndKeyInformation) {
  char identity[9];
  uint8_t version[8];
  int values[5];
  int value16 = 0;
  ASSERT_EQ(TokenGetVersionInfo(handle, identity, version, values, &value16), 0);
  EXPECT_STREQ(identity, "QUILLVT1");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(version), 8), "QVT 0001");
  EXPECT_EQ(values[4], 5);
  EXPECT_EQ(value16, 0x0102);
  int enabled = -1;
  EXPECT_EQ(TokenGetRequestEnabled(handle, &enabled), 0);
  EXPECT_EQ(enabled, 1);
  char tag[33];
  ASSERT_EQ(TokenGetUsageTag(handle, tag), 0);
  EXPECT_STREQ(tag, "login");
  EXPECT_EQ(TokenGetRequestEnabled(otherHandle, &enabled), 0);
  EXPECT_EQ(enabled, 1) << "any nonzero byte reads as enabled";
  ASSERT_EQ(TokenGetUsageTag(otherHandle, tag), 0);
  EXPECT_STREQ(tag, "LOGIN-admin");

  const std::string name(32, 'N');
  const std::string url(64, 'u');
  const uint8_t model[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(TokenSetKeyInfo(handle, name.c_str(), "desc", url.c_str(), "", model), 1)
      << "writing needs the password";
  EXPECT_EQ(StoredCodes(), (CodeList{522, 53, 94}));
  ASSERT_EQ(TokenLogin(handle, "12345678"), 0);
  ASSERT_EQ(TokenSetKeyInfo(handle, name.c_str(), "desc", url.c_str(), "", model), 0);
  char readName[33], readDescription[65], readUrl[65], readOther[65];
  uint8_t readModel[8];
  ASSERT_EQ(TokenGetKeyInfo(handle, readName, readDescription, readUrl, readOther, readModel), 0);
  EXPECT_EQ(std::string(readName), name) << "a full field comes back with its terminator";
  EXPECT_STREQ(readDescription, "desc");
  EXPECT_EQ(std::string(readUrl), url);
  EXPECT_STREQ(readOther, "");
  EXPECT_EQ(0, memcmp(readModel, model, 8));
}

TEST_P(TokenCommandsTest, UserStorageChunksAndLimits) {
  const Bytes data = RandomBytes(449, 1);
  NewCommands();
  ASSERT_EQ(TokenWriteStorage(handle, 100, 448, data.data()), 0);
  EXPECT_EQ(NewInstructions(), (std::vector<std::pair<int, int>>{{0x0E, 0}, {0x0E, 324 >> 8}}));
  ASSERT_EQ(TokenWriteStorage(handle, 100, 449, data.data()), 0);
  const std::vector<CommandRecord> writes = NewCommands();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[2].lc, 1);
  EXPECT_EQ(writes[2].p1 << 8 | writes[2].p2, 100 + 448);

  Bytes back(449);
  ASSERT_EQ(TokenReadStorage(handle, 100, 449, back.data()), 0);
  EXPECT_EQ(back, data);
  EXPECT_EQ(NewCommands().size(), 3u);

  Bytes tail(49);
  EXPECT_EQ(TokenReadStorage(handle, 2000, 48, tail.data()), 0);
  EXPECT_EQ(TokenReadStorage(handle, 2000, 49, tail.data()), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
  EXPECT_EQ(TokenWriteStorage(handle, -1, 4, tail.data()), 1);
  EXPECT_EQ(TokenReadStorage(handle, 0, -5, tail.data()), 1);
  NewCommands();
  EXPECT_EQ(TokenReadStorage(handle, 2048, 1, tail.data()), 1);
  EXPECT_TRUE(NewCommands().empty()) << "refused before any command";
}

TEST_P(TokenCommandsTest, EmptyTransfersSendNoDataCommand) {
  uint8_t byte = 0x5A;
  NewCommands();
  EXPECT_EQ(TokenWriteStorage(handle, 2048, 0, &byte), 0) << "the end of the area, nothing";
  EXPECT_EQ(TokenReadStorage(handle, 0, 0, nullptr), 0);
  EXPECT_TRUE(NewCommands().empty());
  int length = 0;
  EXPECT_EQ(TokenSecureReadStorage(handle, TokenAccessKey(), 2056, &length, nullptr), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(NewInstructions(), (std::vector<std::pair<int, int>>{{0x2B, 0}, {0x36, 0}}));
  EXPECT_EQ(TokenWriteStorage(handle, 2049, 0, &byte), 1) << "an offset past the end";
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
}

TEST_P(TokenCommandsTest, SecureStorageMarksTheLastBlock) {
  const Bytes data = RandomBytes(300, 2);
  NewCommands();
  ASSERT_EQ(TokenSecureWriteStorage(handle, TokenAccessKey(), 0, 224, data.data()), 0);
  EXPECT_EQ(NewInstructions(), (std::vector<std::pair<int, int>>{
                                   {0x2B, 0}, {0x36, 0}, {0x36, 1}, {0x37, 0}, {0x36, 0}}));
  ASSERT_EQ(TokenSecureWriteStorage(handle, TokenAccessKey(), 1000, 100, data.data()), 0);
  EXPECT_EQ(NewInstructions(),
            (std::vector<std::pair<int, int>>{{0x2B, 0}, {0x36, 1}, {0x37, 1000 >> 8}, {0x36, 0}}));

  ASSERT_EQ(TokenSecureWriteStorage(handle, TokenAccessKey(), 1756, 300, data.data()), 0);
  Bytes back(300);
  int length = 300;
  ASSERT_EQ(TokenSecureReadStorage(handle, TokenAccessKey(), 1756, &length, back.data()), 0);
  EXPECT_EQ(length, 300);
  EXPECT_EQ(back, data);

  length = 1;
  EXPECT_EQ(TokenSecureReadStorage(handle, TokenAccessKey(), 2056, &length, back.data()), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
  const uint8_t wrongKey[8] = {};
  EXPECT_EQ(TokenSecureWriteStorage(handle, wrongKey, 0, 8, data.data()), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{522, 53, 100}));
}

TEST_P(TokenCommandsTest, MemoryArea) {
  const Bytes data = RandomBytes(12, 3);
  ASSERT_EQ(TokenWriteMemory(handle, 180, 12, data.data()), 0);
  Bytes back(12);
  ASSERT_EQ(TokenReadMemory(handle, 180, 12, back.data()), 0);
  EXPECT_EQ(back, data);
  NewCommands();
  EXPECT_EQ(TokenReadMemory(handle, 190, 3, back.data()), 2);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
  EXPECT_EQ(TokenWriteMemory(handle, 0, 193, data.data()), 2);
  EXPECT_TRUE(NewCommands().empty());
}

TEST_P(TokenCommandsTest, DataCipherPadsAndUnpads) {
  const uint8_t* key = TokenAccessKey();
  const std::string text = "Quill token data";  // 16 bytes
  size_t capacity = 0;
  ASSERT_EQ(TokenEncryptData(handle, 0, key, nullptr, 13, &capacity, nullptr), 0);
  EXPECT_EQ(capacity, 16u) << "size query";
  Bytes cipher(24);
  capacity = 15;
  EXPECT_EQ(TokenEncryptData(handle, 0, key, Bytes(13).data(), 13, &capacity, cipher.data()), 2);
  EXPECT_EQ(capacity, 15u);
  capacity = cipher.size();
  ASSERT_EQ(TokenEncryptData(handle, 1, key, reinterpret_cast<const uint8_t*>(text.data()),
                             text.size(), &capacity, cipher.data()),
            0);
  EXPECT_EQ(capacity, 24u);

  Bytes plain(24);
  size_t plainLength = plain.size();
  NewCommands();
  ASSERT_EQ(TokenDecryptData(handle, 1, key, cipher.data(), 24, &plainLength, plain.data()), 0);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + static_cast<long>(plainLength)), text);
  EXPECT_EQ(NewInstructions(), (std::vector<std::pair<int, int>>{{0x2B, 0}, {0x2F, 1}, {0x2F, 1}}));
  plainLength = plain.size();
  EXPECT_NE(TokenDecryptData(handle, 0, key, cipher.data(), 24, &plainLength, plain.data()), 0)
      << "the other selector's key leaves no valid padding";

  // A final block that decrypts to nine 0x09 bytes.
  const Bytes nines(8, 0x09);
  Bytes twoBlocks(16);
  capacity = twoBlocks.size();
  ASSERT_EQ(TokenEncryptData(handle, 0, key, nines.data(), 8, &capacity, twoBlocks.data()), 0);
  plainLength = 8;
  EXPECT_EQ(TokenDecryptData(handle, 0, key, twoBlocks.data(), 8, &plainLength, plain.data()), 5);
  EXPECT_EQ(StoredCodes(), (CodeList{108}));

  TokenSetLastError(0);
  plainLength = 100;
  EXPECT_EQ(TokenDecryptData(handle, 0, key, cipher.data(), 12, &plainLength, plain.data()), 1);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
}

TEST_P(TokenCommandsTest, LongDataTravelsIn232ByteGroups) {
  const Bytes data = RandomBytes(500, 4);
  Bytes cipher(512);
  size_t capacity = cipher.size();
  NewCommands();
  ASSERT_EQ(TokenEncryptData(handle, 0, TokenAccessKey(), data.data(), data.size(), &capacity,
                             cipher.data()),
            0);
  const std::vector<CommandRecord> commands = NewCommands();
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[1].lc, 232);
  EXPECT_EQ(commands[2].lc, 232);
  EXPECT_EQ(commands[3].lc, 40) << "500 bytes pad to 504";
  Bytes plain(512);
  size_t length = plain.size();
  ASSERT_EQ(
      TokenDecryptData(handle, 0, TokenAccessKey(), cipher.data(), capacity, &length, plain.data()),
      0);
  EXPECT_EQ(Bytes(plain.begin(), plain.begin() + static_cast<long>(length)), data);
}

TEST_P(TokenCommandsTest, SeedExportAndKeyedDigestAgree) {
  uint8_t seed[32];
  ASSERT_EQ(TokenExportSeed(handle, 0, seed), 0);
  uint8_t digest[20];
  const uint8_t data[3] = {'a', 'b', 'c'};
  EXPECT_EQ(TokenSha1WithSeed(handle, 0, data, 3, digest), 2) << "needs the password";
  ASSERT_EQ(TokenLogin(handle, "12345678"), 0);
  ASSERT_EQ(TokenSha1WithSeed(handle, 0, data, 3, digest), 0);
  uint8_t again[20];
  ASSERT_EQ(TokenSha1WithSeed(handle, 1, data, 3, again), 0);
  EXPECT_NE(0, memcmp(digest, again, 20)) << "each selector has its own seed";
  Bytes tooLong(239);
  EXPECT_EQ(TokenSha1WithSeed(handle, 0, tooLong.data(), tooLong.size(), digest), 2);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
}

TEST_P(TokenCommandsTest, PasswordResetWithTheServersResponse) {
  const uint8_t challenge[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t answer[8];
  ASSERT_EQ(TokenResetChallenge(handle, challenge, answer), 0);
  uint8_t response[8];
  std::memcpy(response, answer, 8);
  DesKey(TokenAccessKey()).EncryptBlock(response);  // what the server sends back
  uint8_t wrong[8];
  std::memcpy(wrong, response, 8);
  wrong[0] ^= 1;
  EXPECT_EQ(TokenResetPassword(handle, challenge, wrong, "reset"), 2);
  EXPECT_EQ(StoredCodes(), (CodeList{522, 53, 93}));
  ASSERT_EQ(TokenResetChallenge(handle, challenge, answer), 0);
  ASSERT_EQ(TokenResetPassword(handle, challenge, response, "reset"), 0);
  EXPECT_EQ(TokenLogin(handle, "reset"), 0);
}

// The server's half of a remote change.
class RemoteServer {
 public:
  RemoteServer(const std::string& uid, const uint8_t random[32]) : uid_(uid) {
    DeriveRemoteKey(uid.c_str(), random, Library().config->remoteSecret.data(), key_, iv_);
  }

  // Decrypts and checks a request; returns its record.
  Bytes OpenRequest(const std::string& text) {
    Bytes record;
    EXPECT_TRUE(Base64Decode(text.data(), text.size(), &record));
    EXPECT_EQ(record.size(), 120u);
    TripleDesCbcDecrypt(key_, iv_, record.data(), record.size());
    const uint16_t crc = Crc16B(record.data(), 118);
    EXPECT_EQ(record[118] | record[119] << 8, crc);
    return record;
  }

  // A response record of the given size with the checksum in its last two bytes.
  std::string Response(size_t size, const std::string& uid, const std::string& oldPassword,
                       const std::string& newPassword, const char* marker = "SERM",
                       bool damageChecksum = false) {
    Bytes record(size, 0);
    std::memcpy(record.data(), marker, 4);
    std::memcpy(record.data() + 4, uid.data(), 32);
    for (int i = 0; i < 16; ++i) record[36 + i] = static_cast<uint8_t>(0xA0 + i);
    std::memcpy(record.data() + 52, oldPassword.data(), oldPassword.size());
    std::memcpy(record.data() + 84, newPassword.data(), newPassword.size());
    std::memcpy(record.data() + 197, "Remote name", 11);
    const uint16_t crc = Crc16B(record.data(), size - 2);
    record[size - 2] = static_cast<uint8_t>(crc & 0xFF);
    record[size - 1] = static_cast<uint8_t>((crc >> 8) ^ (damageChecksum ? 1 : 0));
    TripleDesCbcEncrypt(key_, iv_, record.data(), record.size());
    return Base64Encode(record.data(), record.size());
  }

 private:
  std::string uid_;
  uint8_t key_[24];
  uint8_t iv_[8];
};

TEST_P(TokenCommandsTest, RemoteChangeRequestNeedsRoomForTheTerminator) {
  // The request is 160 characters and its terminator: a capacity of 160 is
  // refused and not one byte is written past it.
  const Bytes random = RandomBytes(32, 6);
  uint8_t clientText[64] = {};
  char request[kRemoteRequestTextLength + 8];
  std::memset(request, '#', sizeof(request));
  EXPECT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, request, 160), 7);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
  EXPECT_EQ(request[kRemoteRequestTextLength], '#');
  EXPECT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, nullptr, 512), 7);
  ASSERT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, request, 161), 0);
  EXPECT_EQ(request[kRemoteRequestTextLength], '\0');
  EXPECT_EQ(request[kRemoteRequestTextLength + 1], '#');
}

TEST_P(TokenCommandsTest, RemoteChangeRoundTripWithTheTestAsServer) {
  const Bytes random = RandomBytes(32, 5);
  uint8_t clientText[64] = {};
  std::memcpy(clientText, "machine-code", 12);
  char request[kRemoteRequestTextLength + 1];
  EXPECT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, request, 159), 7);
  EXPECT_EQ(StoredCodes(), (CodeList{1}));
  ASSERT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, request, 161), 0);
  EXPECT_EQ(strlen(request), 160u);

  const std::string uid = Uid(handle);
  RemoteServer remote(uid, random.data());
  const Bytes record = remote.OpenRequest(request);
  EXPECT_EQ(0, memcmp(record.data(), "RERM", 4));
  EXPECT_EQ(std::string(record.begin() + 4, record.begin() + 36), uid);
  EXPECT_EQ(0, memcmp(record.data() + 52, clientText, 64));

  NewCommands();
  EXPECT_EQ(TokenRemoteChange(handle, random.data(),
                              remote.Response(440, uid, "12345678", "x", "SERX").c_str()),
            2);
  EXPECT_EQ(StoredCodes(), (CodeList{119}));
  EXPECT_EQ(TokenRemoteChange(handle, random.data(),
                              remote.Response(440, uid, "12345678", "x", "SERM", true).c_str()),
            1);
  EXPECT_EQ(StoredCodes(), (CodeList{117}));
  EXPECT_EQ(TokenRemoteChange(handle, random.data(),
                              remote.Response(440, Uid(otherHandle), "12345678", "x").c_str()),
            3);
  const std::string cut = remote.Response(440, uid, "12345678", "x");
  const Bytes shortRecord(439, 0);
  EXPECT_EQ(TokenRemoteChange(handle, random.data(),
                              Base64Encode(shortRecord.data(), shortRecord.size()).c_str()),
            1);
  EXPECT_EQ(StoredCodes(), (CodeList{117}));
  for (const CommandRecord& command : NewCommands()) {
    EXPECT_NE(command.ins, 0x45) << "nothing is applied from a refused response";
  }

  ASSERT_EQ(TokenRemoteChangeRequest(handle, random.data(), clientText, request, 161), 0);
  const std::string response = remote.Response(448, uid, "12345678", "remote pw") + "   ";
  ASSERT_EQ(TokenRemoteChange(handle, random.data(), response.c_str()), 0);
  EXPECT_EQ(TokenLogin(handle, "remote pw"), 0);
  char name[33];
  ASSERT_EQ(TokenGetKeyInfo(handle, name, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "Remote name");
  NewCommands();
}

}  // namespace
}  // namespace quill
