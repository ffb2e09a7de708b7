// The keyed SHA-1 members, the seed export, the machine code and the remote
// change, with the test as the server of a remote change.
#include <cstring>

#include "commands/remote_key.h"
#include "control_fixture.h"
#include "crypto/crc16b.h"
#include "crypto/md5.h"
#include "server_side.h"
#include "vtoken/sha1.h"

namespace quill {
namespace {

using namespace server_side;

constexpr uint8_t kInsSha1 = 0x21;
constexpr char kEmptyMachineCode[] = "1B2M2Y8AsgTpgAmY7PhCfg==";  // MD5 of nothing

class SeedRemoteTest : public ControlTest {
 protected:
  std::string ExpectedDigest(int id, const std::string& data) {
    const auto seed = server.Stored(id).seeds[0];
    Bytes message(seed.begin(), seed.end());
    message.insert(message.end(), data.begin(), data.end());
    uint8_t digest[kSha1DigestSize];
    Sha1Digest(message.data(), message.size(), digest);
    return Hex(digest, sizeof(digest));
  }

  void UseAdapters() {
    ports.adapters.adapters = {
        {6, {1, 2, 3, 4, 5, 6}}, {71, {9, 9, 9, 9, 9, 9}}, {6, {0xA, 0xB, 0xC, 0xD, 0xE, 0xF}}};
  }
  // The machine code of UseAdapters: the two Ethernet addresses in order.
  static std::string AdaptersMachineCode() {
    const uint8_t addresses[] = {1, 2, 3, 4, 5, 6, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF};
    uint8_t digest[kMd5DigestSize];
    Md5Digest(addresses, sizeof(addresses), digest);
    return Base64Encode(digest, sizeof(digest));
  }
};

TEST_F(SeedRemoteTest, Sha1WithSeedDigestsTheTextAfterTheSeed) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(Utf8(QuillSHA1WithSeed(Text("abc"))), ExpectedDigest(id, "abc"));
  const std::string full(32, 'q');
  EXPECT_EQ(Utf8(QuillSHA1WithSeed(Text(full))), ExpectedDigest(id, full));
}

TEST_F(SeedRemoteTest, Sha1WithSeedOfTheEmptyTextAsksForZeroBytes) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(Utf8(QuillSHA1WithSeed(ScriptText::Null())), ExpectedDigest(id, ""));
  const CommandRecord last = server.Stats(id).commands.back();
  EXPECT_EQ(last.ins, kInsSha1);
  EXPECT_EQ(last.lc, 0);
}

TEST_F(SeedRemoteTest, Sha1WithSeedCountsCharactersNotBytes) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  // "é" is one character of two bytes: only the first byte is digested.
  EXPECT_EQ(Utf8(QuillSHA1WithSeed(Text("\xc3\xa9"))), ExpectedDigest(id, "\xc3"));
  EXPECT_EQ(QuillSHA1WithSeed(Text(std::string(33, 'a'))), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_SEED_INPUT_TOO_LONG}));
  EXPECT_EQ(QuillSHA1WithSeed(Text(std::string(5000000, 'a'))), ScriptText::Null());
  EXPECT_EQ(CommandCount(server, id, kInsSha1), 1u);
}

TEST_F(SeedRemoteTest, Sha1WithSeedNeedsTheTokensLogin) {
  AddToken();
  Connect();
  EXPECT_EQ(QuillSHA1WithSeed(Text("abc")), ScriptText::Null());
  EXPECT_NE(QuillGetLastError(), 0);
  EXPECT_LT(QuillGetLastError(), 4096) << "the token layer's code";
}

TEST_F(SeedRemoteTest, Sha1WithSeedExJoinsTheMachineCode) {
  const int id = AddToken();
  Connect();
  UseAdapters();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(Utf8(QuillSHA1WithSeedEx(Text("abc"))),
            ExpectedDigest(id, "abc" + AdaptersMachineCode()));
  EXPECT_EQ(Utf8(QuillSHA1WithSeedEx(Text(""))), ExpectedDigest(id, AdaptersMachineCode()));
  EXPECT_EQ(QuillSHA1WithSeedEx(Text(std::string(33, 'a'))), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_SEED_INPUT_TOO_LONG}));
}

TEST_F(SeedRemoteTest, ModelRulesComeBeforeThePresenceCheck) {
  Connect();  // no token at all: the model check answers first
  EXPECT_EQ(QuillSecureExportSeed(), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRONG_MODEL}));
  PutModel(1);
  TokenSetLastError(0);
  EXPECT_EQ(QuillSHA1WithSeedEx(Text("abc")), ScriptText::Null());
  EXPECT_EQ(QuillRemoteChangeRequest(Text("r")), ScriptText::Null());
  EXPECT_EQ(QuillRemoteChange(Text("x"), Text("r")), 1);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRONG_MODEL, CTL_WRONG_MODEL, CTL_WRONG_MODEL}));
  EXPECT_EQ(QuillSecureExportSeed(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(SeedRemoteTest, SecureExportSeedGivesSeedZeroOnModelOne) {
  const int id = AddToken(TokenModel::kB);
  Connect();
  PutModel(1);
  const std::string seed = Utf8(QuillSecureExportSeed());
  EXPECT_EQ(seed.size(), 44u);
  const auto stored = server.Stored(id).seeds[0];
  EXPECT_EQ(FromBase64(seed), Bytes(stored.begin(), stored.end()));
}

TEST_F(SeedRemoteTest, MachineCodeIsTheDigestOfTheEthernetAddresses) {
  AddToken();
  Connect();
  EXPECT_EQ(Utf8(QuillGetMachineCode()), kEmptyMachineCode);
  ports.adapters.available = false;
  EXPECT_EQ(Utf8(QuillGetMachineCode()), kEmptyMachineCode);
  ports.adapters.available = true;
  UseAdapters();
  EXPECT_EQ(Utf8(QuillGetMachineCode()), AdaptersMachineCode());
}

TEST_F(SeedRemoteTest, NoMemoryForTheAdapterListIsNoMachineCode) {
  // Memory for the list that cannot be had fails every member that needs the
  // machine code, instead of passing off the code of no adapters as this
  // machine's.
  const int id = AddToken();
  Connect();
  UseAdapters();
  ASSERT_EQ(QuillOpen(Text("12345678")), 0);
  ports.adapters.outOfMemory = true;
  EXPECT_EQ(QuillGetMachineCode(), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_NO_MACHINE_CODE}));
  EXPECT_EQ(QuillSHA1WithSeedEx(Text("abc")), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_NO_MACHINE_CODE}));
  EXPECT_EQ(QuillRemoteChangeRequest(Text(std::string(32, 'r'))), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_NO_MACHINE_CODE}));
  EXPECT_EQ(CommandCount(server, id, kInsSha1), 0u);
  ports.adapters.outOfMemory = false;
  EXPECT_EQ(Utf8(QuillGetMachineCode()), AdaptersMachineCode());
}

TEST_F(SeedRemoteTest, MachineCodeNeedsAToken) {
  Connect();
  EXPECT_EQ(QuillGetMachineCode(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(ports.adapters.calls, 0);
}

// The server's half of a remote change.
class RemoteServer {
 public:
  RemoteServer(const std::string& uid, const std::string& randomText) : uid_(uid) {
    uint8_t random[32] = {};
    std::memcpy(random, randomText.data(), randomText.size());
    DeriveRemoteKey(uid.c_str(), random, Library().config->remoteSecret.data(), key_, iv_);
  }

  Bytes OpenRequest(const std::string& text) {
    Bytes record = FromBase64(text);
    EXPECT_EQ(record.size(), kRemoteRequestSize);
    TripleDesCbcDecrypt(key_, iv_, record.data(), record.size());
    return record;
  }

  std::string Response(size_t size, const std::string& oldPassword,
                       const std::string& newPassword) {
    Bytes record(size, 0);
    std::memcpy(record.data(), "SERM", 4);
    std::memcpy(record.data() + 4, uid_.data(), 32);
    std::memcpy(record.data() + 52, oldPassword.data(), oldPassword.size());
    std::memcpy(record.data() + 84, newPassword.data(), newPassword.size());
    std::memcpy(record.data() + 197, "Remote name", 11);
    const uint16_t crc = Crc16B(record.data(), size - 2);
    record[size - 2] = static_cast<uint8_t>(crc & 0xFF);
    record[size - 1] = static_cast<uint8_t>(crc >> 8);
    TripleDesCbcEncrypt(key_, iv_, record.data(), record.size());
    return ToBase64(record);
  }

 private:
  std::string uid_;
  uint8_t key_[24];
  uint8_t iv_[8];
};

TEST_F(SeedRemoteTest, RemoteChangeRoundTripWithTheTestAsServer) {
  const int id = AddToken();
  Connect();
  UseAdapters();
  const std::string random = "client random of 32 bytes.......";
  ASSERT_EQ(random.size(), 32u);
  EXPECT_EQ(GetName(), ScriptText::Null()) << "the key information is read and cached";

  const std::string request = Utf8(QuillRemoteChangeRequest(Text(random)));
  ASSERT_EQ(request.size(), kRemoteRequestTextLength);
  RemoteServer remote(UidOf(id), random);
  const Bytes record = remote.OpenRequest(request);
  EXPECT_EQ(TextOf(Bytes(record.begin(), record.begin() + 4)), "RERM");
  EXPECT_EQ(TextOf(Bytes(record.begin() + 4, record.begin() + 36)), UidOf(id));
  Bytes clientText(64, 0);
  const std::string machineCode = AdaptersMachineCode();
  std::copy(machineCode.begin(), machineCode.end(), clientText.begin());
  EXPECT_EQ(Bytes(record.begin() + 52, record.begin() + 116), clientText);

  EXPECT_EQ(QuillRemoteChange(Text(remote.Response(440, "12345678", "remote pw")), Text(random)),
            0);
  EXPECT_EQ(Utf8(GetName()), "Remote name") << "the change drops the cache";
  EXPECT_EQ(QuillOpen(Text("remote pw")), 0);
}

TEST_F(SeedRemoteTest, RemoteChangeHandsLongResponsesOnWhole) {
  const int id = AddToken();
  Connect();
  const std::string random = "short";
  ASSERT_FALSE(Utf8(QuillRemoteChangeRequest(Text(random))).empty());
  RemoteServer remote(UidOf(id), random);
  const std::string response = remote.Response(1600, "12345678", "long answer");
  ASSERT_GT(response.size(), 2048u);
  EXPECT_EQ(QuillRemoteChange(Text(response), Text(random)), 0);
  EXPECT_EQ(server.Stored(id).password, TokenPasswordDigest("long answer"));
}

TEST_F(SeedRemoteTest, RemoteChangeRefusals) {
  const int id = AddToken();
  Connect();
  const std::string tooLong(33, 'r');
  EXPECT_EQ(QuillRemoteChangeRequest(Text(tooLong)), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_RANDOM_TOO_LONG}));
  EXPECT_EQ(QuillRemoteChange(Text("AAAA"), Text(tooLong)), 3);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_RANDOM_TOO_LONG}));
  // 17 two-byte characters: the limit is on bytes.
  std::string accented;
  for (int i = 0; i < 17; ++i) accented += "\xc3\xa9";
  EXPECT_EQ(QuillRemoteChange(Text("AAAA"), Text(accented)), 3);

  ASSERT_FALSE(Utf8(QuillRemoteChangeRequest(Text("r"))).empty());
  EXPECT_EQ(QuillRemoteChange(Text("AAAA"), Text("r")), 4);
  EXPECT_EQ(Codes(), (std::vector<int>{117})) << "the library's code, none of the control's";
  EXPECT_EQ(QuillRemoteChange(ScriptText::Null(), ScriptText::Null()), 4);
  EXPECT_EQ(server.Stored(id).password, TokenPasswordDigest("12345678"));
}

TEST_F(SeedRemoteTest, NoTokenGivesNoTokenForEachMember) {
  Connect();
  EXPECT_EQ(QuillSHA1WithSeed(Text("a")), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillSHA1WithSeedEx(Text("a")), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillRemoteChangeRequest(Text("a")), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillRemoteChange(Text("a"), Text("a")), 2);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

}  // namespace
}  // namespace quill
