// Requests that cannot run: each error code of the contract, the id copied
// into every reply, names and argument types.
#include "host_fixture.h"

namespace quill::host {
namespace {

class HostErrorsTest : public HostTest {
 protected:
  void SetUp() override {
    tokenId = AddCdromToken();
    StartHost();
  }
  // The error code of a request; after an error reply the host must still
  // serve the next request.
  std::string CodeOf(const std::string& payload) {
    const std::string code = ErrorCode(Ask(payload));
    EXPECT_TRUE(Ask(R"({"get":"Version"})")["result"].is_string())
        << "host stopped after " << payload;
    return code;
  }
  int tokenId = -1;
};

TEST_F(HostErrorsTest, RefusesRequestsOfTheWrongShape) {
  for (const char* payload : {
           "",   // no JSON at all
           "{",  // malformed
           "[1,2]",
           "\"call\"",
           "42",
           "null",                                       // not an object
           R"({"id":1})",                                // no verb
           R"({"call":"QuillGetUID","get":"Name"})",     // two verbs
           R"({"call":"QuillOpen","args":"12345678"})",  // args not an array
           R"({"call":7})",                              // name not a string
           "{\"call\":\"Quill\xff\"}",                   // invalid UTF-8 in a string
           "{\"call\":\"QuillGetUID\",\"id\":\"\xc3\x28\"}",
           "{\"call\":\"QuillGetUID\"} trailing",
       }) {
    EXPECT_EQ(CodeOf(payload), "bad-request") << payload;
  }
  // Nesting deeper than any request needs is refused, not recursed into.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(CodeOf(R"({"get":"Version","id":)" + deep + "}"), "bad-request");
}

TEST_F(HostErrorsTest, NamesEachReasonARequestCannotRun) {
  EXPECT_EQ(CodeOf(R"({"call":"QuillNoSuchThing"})"), "unknown-member");
  EXPECT_EQ(CodeOf(R"({"get":"Colour"})"), "unknown-member");
  EXPECT_EQ(CodeOf(R"({"call":"QuillGetUID\u0000x"})"), "unknown-member");
  EXPECT_EQ(CodeOf(R"({"call":"QuillOpen"})"), "bad-arity");
  EXPECT_EQ(CodeOf(R"({"call":"QuillOpen","args":["a","b"]})"), "bad-arity");
  EXPECT_EQ(CodeOf(R"({"call":"QuillGetUID","args":[1]})"), "bad-arity");
  EXPECT_EQ(CodeOf(R"({"put":"Model"})"), "bad-arity");
  EXPECT_EQ(CodeOf(R"({"get":"Name","args":[1]})"), "bad-arity");
  EXPECT_EQ(CodeOf(R"({"call":"QuillOpen","args":[12345678]})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"call":"QuillReadUserStorage","args":["5"]})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"call":"QuillReadUserStorage","args":[true]})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"call":"QuillReadUserStorage","args":[null]})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"put":"Name","value":["x"]})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"get":"QuillGetUID"})"), "not-a-property");
  EXPECT_EQ(CodeOf(R"({"put":"QuillOpen","value":"x"})"), "not-a-property");
  EXPECT_EQ(CodeOf(R"({"call":"Name"})"), "not-a-method");

  const Json reply = Ask(R"({"id":3,"call":"QuillOpen"})");
  EXPECT_EQ(reply.size(), 2u);
  EXPECT_TRUE(reply["error"]["message"].is_string());
  EXPECT_FALSE(reply["error"]["message"].get<std::string>().empty());
}

TEST_F(HostErrorsTest, ARequestThatCannotRunLeavesTheControlAlone) {
  EXPECT_NE(Call("QuillOpen", Json::array({"wrong"})), 0);
  const int codeBefore = Call("QuillGetLastError").get<int>();
  const size_t commandsBefore = server.Stats(tokenId).commands.size();
  for (const char* payload :
       {R"({"call":"QuillOpen"})", R"({"call":"QuillOpen","args":[1]})", R"({"get":"QuillOpen"})",
        R"({"call":"Name"})", "[]", R"({"call":"QuillCheckExist","put":"Model","value":1})"}) {
    EXPECT_NE(ErrorCode(Ask(payload)), "") << payload;
  }
  EXPECT_EQ(server.Stats(tokenId).commands.size(), commandsBefore);
  EXPECT_EQ(Call("QuillGetLastError"), codeBefore);
}

TEST_F(HostErrorsTest, CopiesTheIdOfAnyJsonType) {
  for (const char* id : {"7", "-2.5", "\"seven\"", "null", "true", "[1,\"two\",{}]",
                         R"({"b":1,"a":[null]})", "18446744073709551615", "\"\\u00e9\\u0000\""}) {
    const Json expected = Json::parse(id);
    EXPECT_EQ(Ask(std::string(R"({"get":"Version","id":)") + id + "}")["id"], expected) << id;
    EXPECT_EQ(Ask(std::string(R"({"call":"Nothing","id":)") + id + "}")["id"], expected) << id;
  }
  const Json noId = Ask(R"({"get":"Version"})");
  ASSERT_TRUE(noId.contains("id"));
  EXPECT_TRUE(noId["id"].is_null());
  EXPECT_TRUE(Ask("not json")["id"].is_null());
}

TEST_F(HostErrorsTest, MatchesNamesWithoutRegardToCase) {
  EXPECT_EQ(Call("quillcheckexist"), 1);
  EXPECT_EQ(Call("QUILLGETUID"), Call("QuillGetUID"));
  Result("put", "mODEL", 1);
  EXPECT_EQ(Result("get", "model"), 1);
  EXPECT_EQ(Result("get", "VERSION"), Result("get", "Version"));
}

TEST_F(HostErrorsTest, TakesLongsOnlyAsIntegralValuesInRange) {
  EXPECT_EQ(CodeOf(R"({"put":"Model","value":2147483648})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"put":"Model","value":-2147483649})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"put":"Model","value":1.5})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"put":"Model","value":1e300})"), "type-mismatch");
  EXPECT_EQ(CodeOf(R"({"put":"Model","value":18446744073709551615})"), "type-mismatch");

  EXPECT_TRUE(Result("put", "Model", 1.0).is_null());  // an integral value
  EXPECT_EQ(Result("get", "Model"), 1);
  Result("put", "Model", -2147483648LL);
  EXPECT_EQ(Result("get", "Model"), 0);
  Result("put", "Model", 2147483647);
  EXPECT_EQ(Result("get", "Model"), 0);
}

}  // namespace
}  // namespace quill::host
