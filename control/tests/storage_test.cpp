// The user and secure storage members: their limits, the 128-byte area of
// variant 2 tokens, and what reaches the token.
#include <climits>

#include "control_fixture.h"
#include "server_side.h"

namespace quill {
namespace {

using namespace server_side;

constexpr uint8_t kInsReadStorage = 0x0F;
constexpr uint8_t kInsWriteStorage = 0x0E;
constexpr uint8_t kInsSecureRead = 0x35;
constexpr uint8_t kInsSecureWrite = 0x37;
constexpr int kArgumentRange = 1;  // the token layer's code for a range it refuses

// Printable text of the given length that differs from one position to the next.
std::string Pattern(size_t length) {
  std::string text(length, ' ');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

Bytes BinaryPattern(size_t length) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

class StorageTest : public ControlTest {
 protected:
  int AddSmallToken() {
    TokenSpec spec;
    spec.settings.versionText = "QVT 0002";
    return AddToken(spec);
  }
  std::string UserArea(int id, size_t start, size_t length) {
    const auto area = server.Stored(id).userStorage;
    return std::string(area.begin() + start, area.begin() + start + length);
  }
};

TEST_F(StorageTest, UserStorageRoundTripOverTheWholeArea) {
  const int id = AddToken();
  Connect();
  const std::string text = Pattern(2048);
  EXPECT_EQ(QuillWriteUserStorage(Text(text)), 0);
  EXPECT_EQ(UserArea(id, 0, 2048), text);
  EXPECT_EQ(Utf8(QuillReadUserStorage(2048)), text);
  EXPECT_EQ(Utf8(QuillReadUserStorageEx(2000, 48)), text.substr(2000));
  EXPECT_EQ(QuillWriteUserStorageEx(100, Text("XYZ")), 0);
  EXPECT_EQ(UserArea(id, 99, 5), text.substr(99, 1) + "XYZ" + text.substr(103, 1));
}

TEST_F(StorageTest, UserReadsBeyond2048AreRefusedByTheControl) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillReadUserStorage(2049), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_READ_TOO_LONG}));
  EXPECT_EQ(QuillReadUserStorageEx(2000, 49), ScriptText::Null());
  EXPECT_EQ(QuillReadUserStorageEx(INT_MAX, INT_MAX), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_READ_TOO_LONG}));
  EXPECT_EQ(CommandCount(server, id, kInsReadStorage), 0u);
}

TEST_F(StorageTest, UserReadEndsAtTheFirstZeroByteWithoutACode) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillReadUserStorage(10), ScriptText::Null());
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(CommandCount(server, id, kInsReadStorage), 1u);
  ASSERT_EQ(QuillWriteUserStorageEx(2, Text("ab")), 0);
  EXPECT_EQ(Utf8(QuillReadUserStorageEx(2, 100)), "ab");
}

TEST_F(StorageTest, NegativeUserRangesAreRefusedByTheToken) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillReadUserStorage(-5), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(QuillReadUserStorageEx(-1, 10), ScriptText::Null());
  EXPECT_EQ(QuillReadUserStorageEx(INT_MIN, INT_MAX), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(QuillWriteUserStorageEx(-3, Text("abc")), 5);
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(QuillWriteUserStorageEx(INT_MIN, Text("abc")), 5);
  EXPECT_EQ(CommandCount(server, id, kInsReadStorage) + CommandCount(server, id, kInsWriteStorage),
            0u);
}

TEST_F(StorageTest, UserWritesPassTheControlsLimitOf2056AndMeetTheTokens) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillWriteUserStorage(Text(Pattern(2057))), 2);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(QuillWriteUserStorage(Text(Pattern(3000000))), 2);
  EXPECT_EQ(QuillWriteUserStorageEx(2000, Text(Pattern(57))), 2);
  EXPECT_EQ(QuillWriteUserStorageEx(INT_MAX, Text("a")), 2);
  EXPECT_EQ(CommandCount(server, id, kInsWriteStorage), 0u);

  EXPECT_EQ(QuillWriteUserStorage(Text(Pattern(2050))), 4);
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(QuillWriteUserStorageEx(2040, Text(Pattern(10))), 5);
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  // The limit counts bytes: 1029 two-byte characters are 2058 bytes.
  std::string accented;
  for (int i = 0; i < 1029; ++i) accented += "\xc3\xa9";
  EXPECT_EQ(QuillWriteUserStorage(Text(accented)), 2);
}

TEST_F(StorageTest, VariantTwoReadsStopAt128) {
  const int id = AddSmallToken();
  Connect();
  EXPECT_EQ(QuillReadUserStorage(129), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_READ_TOO_LONG}));
  EXPECT_EQ(QuillReadUserStorageEx(100, 29), ScriptText::Null());
  EXPECT_EQ(CommandCount(server, id, kInsReadStorage), 0u);
  EXPECT_EQ(Session().variant, 2);
  ASSERT_EQ(QuillWriteUserStorage(Text(Pattern(128))), 0);
  EXPECT_EQ(Utf8(QuillReadUserStorage(128)), Pattern(128));
}

TEST_F(StorageTest, VariantTwoWriteExRewritesTheWhole128ByteArea) {
  const int id = AddSmallToken();
  Connect();
  ASSERT_EQ(QuillWriteUserStorage(Text(Pattern(128))), 0);
  EXPECT_EQ(QuillWriteUserStorageEx(10, Text("abc")), 0);
  const std::string area = UserArea(id, 0, 128);
  std::string expected(128, '\0');
  expected.replace(10, 3, "abc");
  EXPECT_EQ(area, expected);
  const CommandRecord last = server.Stats(id).commands.back();
  EXPECT_EQ(last.ins, kInsWriteStorage);
}

TEST_F(StorageTest, VariantTwoWritesOutsideTheAreaAreRefused) {
  const int id = AddSmallToken();
  Connect();
  EXPECT_EQ(QuillWriteUserStorage(Text(Pattern(129))), 3);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(QuillWriteUserStorageEx(126, Text("abc")), 3);
  EXPECT_EQ(QuillWriteUserStorageEx(-1, Text("abc")), 3);
  EXPECT_EQ(QuillWriteUserStorageEx(INT_MIN, Text("abc")), 3);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(CommandCount(server, id, kInsWriteStorage), 0u);
  EXPECT_EQ(QuillWriteUserStorageEx(125, Text("abc")), 0);
}

TEST_F(StorageTest, StorageMembersWithoutAToken) {
  Connect();
  EXPECT_EQ(QuillReadUserStorage(1), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillWriteUserStorage(Text("a")), 1);
  EXPECT_EQ(QuillWriteUserStorageEx(0, Text("a")), 1);
  EXPECT_EQ(QuillSecureReadStorage(1), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillSecureWriteStorage(Text("")), 2);
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text("")), 2);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

TEST_F(StorageTest, SecureStorageRoundTrip) {
  const int id = AddToken();
  Connect();
  const Bytes data = BinaryPattern(300);
  EXPECT_EQ(QuillSecureWriteStorage(Text(ToBase64(data))), 0);
  const auto area = server.Stored(id).secureStorage;
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 300), data);
  EXPECT_EQ(Utf8(QuillSecureReadStorage(300)), ToBase64(data));
  EXPECT_EQ(QuillSecureWriteStorageEx(2000, Text(ToBase64(BinaryPattern(56)))), 0);
  EXPECT_EQ(Utf8(QuillSecureReadStorageEx(2000, 56)), ToBase64(BinaryPattern(56)));
  EXPECT_EQ(QuillSecureReadStorage(0), ScriptText::Null());
}

TEST_F(StorageTest, SecureTextsUpTo2732CharactersAreDecodedWhole) {
  const int id = AddToken();
  Connect();
  const Bytes data = BinaryPattern(2049);
  const std::string text = ToBase64(data);
  ASSERT_EQ(text.size(), 2732u);
  EXPECT_EQ(QuillSecureWriteStorage(Text(text)), 0);
  const auto area = server.Stored(id).secureStorage;
  EXPECT_EQ(Bytes(area.begin(), area.begin() + 2049), data);

  EXPECT_EQ(QuillSecureWriteStorage(Text(text + "A")), 3);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text(std::string(4000000, 'A'))), 3);
  EXPECT_EQ(QuillSecureWriteStorageEx(8, Text(text)), 5);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(QuillSecureWriteStorageEx(7, Text(text)), 0);
}

TEST_F(StorageTest, SecureWriteOfTextThatIsNotBase64RecordsNoControlCode) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillSecureWriteStorage(Text("not base64!")), 4);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text("QUJD\rREVG")), 4);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(CommandCount(server, id, kInsSecureWrite), 0u);
}

TEST_F(StorageTest, SecureMembersBelongToModelZero) {
  AddToken(TokenModel::kB);
  Connect();
  PutModel(1);
  ASSERT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(QuillSecureReadStorage(8), ScriptText::Null());
  EXPECT_EQ(QuillSecureReadStorageEx(0, 8), ScriptText::Null());
  EXPECT_EQ(QuillSecureWriteStorage(Text("QUJD")), 1);
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text("QUJD")), 1);
  EXPECT_EQ(Codes(), (std::vector<int>(4, CTL_WRONG_MODEL)));
}

TEST_F(StorageTest, SecureRangesBeyondTheLimitsAreRefusedBeforeTheToken) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillSecureReadStorage(2057), ScriptText::Null());
  EXPECT_EQ(QuillSecureReadStorageEx(2000, 57), ScriptText::Null());
  EXPECT_EQ(QuillSecureReadStorageEx(INT_MAX, 1), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_READ_TOO_LONG}));
  EXPECT_EQ(CommandCount(server, id, kInsSecureRead), 0u);
  EXPECT_EQ(QuillSecureReadStorage(-1), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(QuillSecureReadStorageEx(INT_MIN, INT_MAX), ScriptText::Null());
  EXPECT_EQ(QuillSecureWriteStorageEx(-8, Text("QUJD")), 9);
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
}

TEST_F(StorageTest, VariantTwoSecureLimits) {
  const int id = AddSmallToken();
  Connect();
  const std::string block = ToBase64(BinaryPattern(16));
  EXPECT_EQ(QuillSecureWriteStorageEx(8, Text(block)), 6);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_WRITE_TOO_LONG}));
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text(ToBase64(BinaryPattern(129)))), 7);
  EXPECT_EQ(QuillSecureWriteStorage(Text(ToBase64(BinaryPattern(129)))), 6);
  EXPECT_EQ(QuillSecureReadStorage(129), ScriptText::Null());
  EXPECT_EQ(QuillSecureReadStorageEx(120, 9), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_READ_TOO_LONG}));
  EXPECT_EQ(CommandCount(server, id, kInsSecureWrite) + CommandCount(server, id, kInsSecureRead),
            0u);
  EXPECT_EQ(QuillSecureWriteStorageEx(0, Text(ToBase64(BinaryPattern(128)))), 0);
  EXPECT_EQ(Utf8(QuillSecureReadStorage(128)), ToBase64(BinaryPattern(128)));
}

}  // namespace
}  // namespace quill
