// The client core's token access over the token library, with virtual
// tokens in-process; and the client core answering from them.
#include "library_token_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_fixture.h"
#include "relay_client.h"

namespace quill {
namespace {

class LibraryTokenAccessTest : public MonitorTest {
 protected:
  LibraryTokenAccess tokens;
};

TEST_F(LibraryTokenAccessTest, NoTokenMeansEveryOperationFails) {
  Connect();
  std::string uid;
  std::vector<uint8_t> record;
  EXPECT_FALSE(tokens.TokenAttached());
  EXPECT_FALSE(tokens.FirstTokenUid(&uid));
  EXPECT_FALSE(tokens.LoginFirstToken(kTokenPassword));
  EXPECT_FALSE(tokens.FirstTokenKeyInfo(&record));
  EXPECT_FALSE(tokens.LogoutFirstToken());
}

TEST_F(LibraryTokenAccessTest, ReadsAndLogsInToTheFirstToken) {
  const int first = AddToken(TokenModel::kA);
  AddToken(TokenModel::kA);
  Connect();
  EXPECT_TRUE(tokens.TokenAttached());
  std::string uid;
  ASSERT_TRUE(tokens.FirstTokenUid(&uid));
  EXPECT_EQ(uid, UidOf(first));
  EXPECT_FALSE(tokens.LoginFirstToken("wrong"));
  EXPECT_TRUE(tokens.LoginFirstToken(kTokenPassword));
  EXPECT_TRUE(tokens.LogoutFirstToken());

  SetKeyInfo("http://example.test/{ID}", 2, "Name", "Description", "Other");
  std::vector<uint8_t> record;
  ASSERT_TRUE(tokens.FirstTokenKeyInfo(&record));
  ASSERT_EQ(record.size(), kKeyInfoSize);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "Name");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 32)), "Description");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 96)),
            "http://example.test/{ID}");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 160)), "Other");
  EXPECT_EQ(record[224], 2);
  EXPECT_EQ(record[95], 0);  // zero-padded fields
}

TEST_F(LibraryTokenAccessTest, FindsAModelBTokenToo) {
  const int token = AddToken(TokenModel::kB);
  Connect();
  std::string uid;
  ASSERT_TRUE(tokens.FirstTokenUid(&uid));
  EXPECT_EQ(uid, UidOf(token));
}

TEST_F(LibraryTokenAccessTest, FindFollowsPlugAndUnplug) {
  const int token = AddToken();
  Connect();
  RelayClient client(tokens);
  const std::string find = "START;SERVER;FIND;NULL;END;";
  const auto feed = [&] {
    return client.ReceiveAndReply(reinterpret_cast<const uint8_t*>(find.data()), find.size());
  };
  EXPECT_EQ(feed(), "START;CLIENT;OK;NULL;END;");
  server.Unplug(token);
  EXPECT_EQ(feed(), "START;CLIENT;ERROR;NULL;END;");
  ASSERT_TRUE(server.Plug(token));
  EXPECT_EQ(feed(), "START;CLIENT;OK;NULL;END;");
}

}  // namespace
}  // namespace quill
