// The memory area crossed as the token's ciphertext, and the data cipher
// members, checked against a server that shares the token's cipher keys.
#include <climits>

#include "control_fixture.h"
#include "server_side.h"

namespace quill {
namespace {

using namespace server_side;

constexpr uint8_t kInsReadMemory = 0x63;
constexpr uint8_t kInsWriteMemory = 0x62;
constexpr int kArgumentRange = 1;

class MemoryCipherTest : public ControlTest {
 protected:
  DesBlock Key(int id, int selector = 0) { return server.Stored(id).cipherKeys[selector]; }
  ScriptText Sealed(int id, const Bytes& plain, int selector = 0) {
    return Text(ToBase64(CipherEncrypt(Key(id, selector), plain)));
  }
  Bytes Opened(int id, const ScriptText& text, int selector = 0) {
    Bytes plain;
    EXPECT_TRUE(CipherDecrypt(Key(id, selector), FromBase64(Utf8(text)), &plain));
    return plain;
  }
};

TEST_F(MemoryCipherTest, MemoryRoundTripThroughTheTokensCipher) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1) << "the memory members use the list as it stands";
  const Bytes data = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(QuillWriteMemory(0, Sealed(id, data)), 0);
  const auto memory = server.Stored(id).memory;
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 10), data);

  const ScriptText read = QuillReadMemory(0, 10);
  EXPECT_EQ(FromBase64(Utf8(read)).size(), 16u);
  EXPECT_EQ(Opened(id, read), data);
  EXPECT_EQ(QuillWriteMemory(182, read), 0) << "a read result writes back";
  EXPECT_EQ(Opened(id, QuillReadMemory(182, 10)), data);
  EXPECT_EQ(Opened(id, QuillReadMemory(0, 0)), Bytes());
}

TEST_F(MemoryCipherTest, ReadMemoryAnswers1And2ForItsFirstFailures) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(Utf8(QuillReadMemory(0, 10)), "2") << "no device list yet: no handle";
  ASSERT_EQ(QuillCheckExist(), 1);
  TokenSetLastError(0);
  EXPECT_EQ(Utf8(QuillReadMemory(100, 100)), "1");
  EXPECT_EQ(Utf8(QuillReadMemory(INT_MAX, INT_MAX)), "1");
  EXPECT_EQ(Utf8(QuillReadMemory(0, 193)), "1");
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(CommandCount(server, id, kInsReadMemory), 0u);
  EXPECT_EQ(Utf8(QuillReadMemory(-10, 20)), "2");
  EXPECT_EQ(Utf8(QuillReadMemory(0, -1)), "2");
  EXPECT_EQ(Utf8(QuillReadMemory(INT_MIN, INT_MAX)), "2");
  EXPECT_EQ(Codes(), (std::vector<int>(3, kArgumentRange)));
}

TEST_F(MemoryCipherTest, WriteMemoryFailures) {
  const int id = AddToken();
  Connect();
  ASSERT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(QuillWriteMemory(0, Text("not base64!")), 2);
  EXPECT_EQ(QuillWriteMemory(0, Text(std::string(3000000, '@'))), 2);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(QuillWriteMemory(0, Text(ToBase64(Bytes(12, 1)))), 4);
  EXPECT_EQ(Codes().back(), CTL_WRITE_DECRYPT_FAILED);
  EXPECT_EQ(QuillWriteMemory(0, Text("")), 4);
  TokenSetLastError(0);
  EXPECT_EQ(QuillWriteMemory(183, Sealed(id, Bytes(10, 1))), 5);
  EXPECT_EQ(QuillWriteMemory(INT_MAX, Sealed(id, Bytes(10, 1))), 5);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(QuillWriteMemory(-1, Sealed(id, Bytes(10, 1))), 6);
  EXPECT_EQ(Codes(), (std::vector<int>{kArgumentRange}));
  EXPECT_EQ(CommandCount(server, id, kInsWriteMemory), 0u);
}

TEST_F(MemoryCipherTest, ModelOneUsesSelectorOne) {
  const int id = AddToken(TokenModel::kB);
  Connect();
  PutModel(1);
  ASSERT_EQ(QuillCheckExist(), 1);
  EXPECT_EQ(QuillWriteMemory(0, Text(ToBase64(Bytes(12, 1)))), 3);
  EXPECT_EQ(Codes().back(), CTL_WRITE_DECRYPT_FAILED);
  const Bytes data = {9, 8, 7};
  EXPECT_EQ(QuillWriteMemory(5, Sealed(id, data, 1)), 0);
  EXPECT_EQ(Opened(id, QuillReadMemory(5, 3), 1), data);
  EXPECT_EQ(Opened(id, QuillDataEncrypt(Text("model b")), 1), BytesOf("model b"));
}

TEST_F(MemoryCipherTest, DataEncryptPadsToWholeBlocks) {
  const int id = AddToken();
  Connect();
  const std::string empty = Utf8(QuillDataEncrypt(Text("")));
  EXPECT_EQ(empty.size(), 12u);
  EXPECT_EQ(Opened(id, Text(empty)), Bytes());
  EXPECT_EQ(FromBase64(Utf8(QuillDataEncrypt(Text("12345678")))).size(), 16u);
  EXPECT_EQ(Opened(id, QuillDataEncrypt(Text("hello"))), BytesOf("hello"));
  // A NUL ends the text.
  std::u16string withNul = u"ab";
  withNul += u'\0';
  withNul += u"cd";
  EXPECT_EQ(Opened(id, QuillDataEncrypt(ScriptText::Of(withNul))), BytesOf("ab"));
}

TEST_F(MemoryCipherTest, DataDecryptReversesDataEncrypt) {
  AddToken();
  Connect();
  const std::string text = "caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 and more than one block";
  EXPECT_EQ(Utf8(QuillDataDecrypt(QuillDataEncrypt(Text(text)))), text);
  const std::string longText(1000, 'L');
  EXPECT_EQ(Utf8(QuillDataDecrypt(QuillDataEncrypt(Text(longText)))), longText);
}

TEST_F(MemoryCipherTest, DataDecryptEndsAtTheFirstZeroByte) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(Utf8(QuillDataDecrypt(Sealed(id, {'a', 'b', 0, 'c'}))), "ab");
  EXPECT_EQ(QuillDataDecrypt(Sealed(id, {0, 'c'})), ScriptText::Null());
}

TEST_F(MemoryCipherTest, DataDecryptFailures) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillDataDecrypt(Text(ToBase64(Bytes(12, 0)))), ScriptText::Null());
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_BAD_CIPHERTEXT}));
  EXPECT_EQ(QuillDataDecrypt(Text("not base64!")), ScriptText::Null());
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(QuillDataDecrypt(Text("")), ScriptText::Null());
  EXPECT_FALSE(Codes().empty()) << "the token layer refuses an empty ciphertext";
  DesBlock nine;
  nine.fill(9);
  const DesBlock bad = DesEncrypt(Key(id), nine);
  EXPECT_EQ(QuillDataDecrypt(Text(ToBase64(Bytes(bad.begin(), bad.end())))), ScriptText::Null());
  EXPECT_LT(Codes().back(), 4096) << "bad padding is the token layer's";
}

TEST_F(MemoryCipherTest, CipherMembersNeedAToken) {
  Connect();
  EXPECT_EQ(QuillDataEncrypt(Text("a")), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillDataDecrypt(Text("QUJD")), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillWriteMemory(0, Text(ToBase64(Bytes(16, 0)))), 4);
}

}  // namespace
}  // namespace quill
