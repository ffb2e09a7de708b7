// A script's conversation with a token through the host, as a browser
// extension holds it.
#include "host_fixture.h"
#include "token.h"

namespace quill::host {
namespace {

class HostConversationTest : public HostTest {
 protected:
  void SetUp() override {
    tokenId = AddCdromToken();
    StartHost();
  }
  std::string UidText() {
    char uid[kUidTextSize];
    FormatUid(server.Spec(tokenId).uid.value().data(), uid);
    return uid;
  }
  int tokenId = -1;
};

TEST_F(HostConversationTest, RunsTheMembersAsTheControlDoes) {
  EXPECT_EQ(Call("QuillCheckExist"), 1);
  EXPECT_EQ(Call("QuillGetUID"), UidText());

  EXPECT_NE(Call("QuillOpen", Json::array({"wrong password"})), 0);
  EXPECT_EQ(Call("QuillGetLastError"), 522);
  EXPECT_EQ(Call("QuillOpen", Json::array({"12345678"})), 0);

  const Json digest = Call("QuillSHA1WithSeed", Json::array({"challenge"}));
  ASSERT_TRUE(digest.is_string());
  EXPECT_EQ(digest.get<std::string>().size(), 40u);
  EXPECT_EQ(Call("QuillSHA1WithSeed", Json::array({"challenge"})), digest);
  EXPECT_NE(Call("QuillSHA1WithSeed", Json::array({"challengf"})), digest);

  const Json name = Result("get", "Name");
  EXPECT_TRUE(name.is_string());

  EXPECT_EQ(Call("QuillWriteUserStorage", Json::array({"Hello, host"})), 0);
  EXPECT_EQ(Call("QuillReadUserStorage", Json::array({11})), "Hello, host");

  const Json cipher = Call("QuillDataEncrypt", Json::array({"a secret note"}));
  ASSERT_TRUE(cipher.is_string());
  EXPECT_FALSE(cipher.get<std::string>().empty());
  EXPECT_NE(cipher, "a secret note");
  EXPECT_EQ(Call("QuillDataDecrypt", Json::array({cipher})), "a secret note");

  EXPECT_TRUE(Result("put", "Name", "ignored").is_null());
  EXPECT_EQ(Call("QuillClose"), 0);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(trailingOutput, "");
}

TEST_F(HostConversationTest, ReadsANullTextAsEmptyAndATextUpToItsFirstNul) {
  EXPECT_EQ(Call("QuillOpen", Json::array({"12345678\u0000trailing"})), 0);
  EXPECT_EQ(Call("QuillSHA1WithSeed", Json::array({nullptr})),
            Call("QuillSHA1WithSeed", Json::array({""})));
  EXPECT_EQ(Call("QuillSHA1WithSeed", Json::array({std::string("abc\0def", 7)})),
            Call("QuillSHA1WithSeed", Json::array({"abc"})));

  // Only the bytes before the NUL reach the storage.
  EXPECT_EQ(Call("QuillWriteUserStorage", Json::array({"XXXXXX"})), 0);
  EXPECT_EQ(Call("QuillWriteUserStorage", Json::array({std::string("abc\0def", 7)})), 0);
  EXPECT_EQ(Call("QuillReadUserStorage", Json::array({6})), "abcXXX");
}

TEST_F(HostConversationTest, CarriesTextOutsideAsciiBothWays) {
  EXPECT_EQ(Call("QuillOpen", Json::array({"12345678"})), 0);
  const std::string text = "\xc3\xa9t\xc3\xa9 \xe6\xb5\x8b\xe8\xaf\x95 \xf0\x9f\x94\x91";
  EXPECT_EQ(Call("QuillWriteUserStorage", Json::array({text})), 0);
  EXPECT_EQ(Call("QuillReadUserStorage", Json::array({static_cast<int>(text.size())})), text);
}

TEST_F(HostConversationTest, ReportsAnEmptyTextResultAsAnEmptyString) {
  server.Unplug(tokenId);
  EXPECT_EQ(Call("QuillGetUID"), "");
  EXPECT_NE(Call("QuillGetLastError"), 0);
}

}  // namespace
}  // namespace quill::host
