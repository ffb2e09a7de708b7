// Requests from web pages through the host process: the origin binds the
// host, the machine policy (a file named by QUILL_POLICY_FILE) is read at
// every request, and a refused request never reaches the token.
#include <stdio.h>

#include <fstream>

#include "host_fixture.h"

namespace quill::host {
namespace {

constexpr char kOrigin[] = "https://shop.example";

class HostOriginTest : public HostTest {
 protected:
  void SetUp() override {
    tokenId = AddCdromToken();
    StartHost({"QUILL_POLICY_FILE=" + PolicyFile()});
  }
  std::string PolicyFile() const { return folder.File("policy.json"); }
  void WritePolicy(const std::string& text) { std::ofstream(PolicyFile()) << text; }

  // A request from a page of the origin.
  Json FromPage(const char* origin, Json request) {
    request["id"] = ++lastId;
    request["origin"] = origin;
    const Json reply = Ask(request.dump());
    EXPECT_EQ(reply.value("id", Json()), lastId) << reply;
    return reply;
  }
  Json Query(const char* origin) { return FromPage(origin, {{"query", "policy"}}); }
  // The raw reply bytes, for replies that must not change.
  std::string RawReply(const std::string& payload) {
    EXPECT_TRUE(SendRequest(host, payload));
    std::string reply;
    EXPECT_EQ(ReceiveReply(host, &reply, kReplyTimeoutMs), PipeStatus::kDone);
    return reply;
  }
  size_t TokenCommands() const { return server.Stats(tokenId).commands.size(); }
  static std::string Message(const Json& reply) {
    return reply.contains("error") ? reply["error"].value("message", "") : "";
  }

  int tokenId = -1;
};

TEST_F(HostOriginTest, TheFirstOriginBindsTheHost) {
  const Json uid = FromPage(kOrigin, {{"call", "QuillGetUID"}});
  ASSERT_TRUE(uid.contains("result")) << uid;
  EXPECT_FALSE(uid["result"].get<std::string>().empty());
  const size_t commands = TokenCommands();

  for (const char* other : {"https://other.example", "http://shop.example",
                            "https://shop.example:8443", "https://a.shop.example"}) {
    EXPECT_EQ(ErrorCode(FromPage(other, {{"call", "QuillGetUID"}})), "origin-mismatch") << other;
    EXPECT_EQ(ErrorCode(FromPage(other, {{"query", "policy"}})), "origin-mismatch") << other;
  }
  // A local program's request, or a malformed one, is no exception.
  EXPECT_EQ(ErrorCode(Ask(R"({"id":1,"call":"QuillGetUID"})")), "origin-mismatch");
  EXPECT_EQ(ErrorCode(Ask(R"({"id":1})")), "origin-mismatch");
  EXPECT_EQ(ErrorCode(Ask(R"({"id":1,"call":"QuillGetUID","origin":null})")), "bad-origin");
  EXPECT_EQ(ErrorCode(Ask("[]")), "bad-request");
  EXPECT_EQ(TokenCommands(), commands);

  EXPECT_EQ(FromPage(kOrigin, {{"call", "QuillGetUID"}})["result"], uid["result"]);
  EXPECT_EQ(FromPage(kOrigin, {{"call", "QuillOpen"}, {"args", {"12345678"}}})["result"], 0);
  EXPECT_EQ(FromPage(kOrigin, {{"get", "Model"}})["result"].is_number(), true);
  EXPECT_EQ(ErrorCode(FromPage(kOrigin, {{"call", "QuillOpen"}})), "bad-arity");
  EXPECT_EQ(Finish(), 0);
}

TEST_F(HostOriginTest, RefusesForgedOriginsWithoutBindingOrRunning) {
  // The whole table is in origin_test.cpp; here, that none of them runs.
  for (const Json& origin : {Json("null"), Json(nullptr), Json(7), Json("file:///x"),
                             Json("https://shop.example:443"), Json(std::string(100000, 'a'))}) {
    Json request = {{"id", 5}, {"call", "QuillOpen"}, {"args", {"12345678"}}, {"origin", origin}};
    const Json reply = Ask(request.dump());
    EXPECT_EQ(ErrorCode(reply), "bad-origin") << origin;
    EXPECT_EQ(reply["id"], 5);
    EXPECT_LT(Message(reply).size(), 400u);  // a page's text is quoted, not echoed whole
  }
  // Even a malformed request is refused for its origin first.
  EXPECT_EQ(ErrorCode(Ask(R"({"origin":"null","call":"A","get":"B"})")), "bad-origin");
  EXPECT_EQ(TokenCommands(), 0u);

  // Still unbound: a local program's request runs, and then a page binds.
  EXPECT_EQ(Call("QuillCheckExist"), 1);
  EXPECT_TRUE(FromPage(kOrigin, {{"call", "QuillGetUID"}}).contains("result"));
  EXPECT_EQ(ErrorCode(FromPage("https://other.example", {{"get", "Name"}})), "origin-mismatch");
}

TEST_F(HostOriginTest, AForbiddenOriginNeverReachesTheToken) {
  WritePolicy(R"({"allowedOrigins": ["*"], "forbiddenOrigins": ["https://*.example"]})");
  EXPECT_EQ(Query(kOrigin)["result"], "forbid");
  for (const Json& request :
       {Json{{"call", "QuillOpen"}, {"args", {"12345678"}}}, Json{{"call", "QuillGetUID"}},
        Json{{"get", "Name"}}, Json{{"put", "Model"}, {"value", 1}}}) {
    const Json reply = FromPage(kOrigin, request);
    EXPECT_EQ(ErrorCode(reply), "origin-forbidden") << request;
    EXPECT_NE(Message(reply).find(kOrigin), std::string::npos) << reply;
    EXPECT_NE(Message(reply).find("administrator"), std::string::npos) << reply;
  }
  EXPECT_EQ(TokenCommands(), 0u);

  // The policy is read anew at every request: lifting the ban lets the
  // same host through at once.
  WritePolicy(R"({"allowedOrigins": ["https://shop.example"]})");
  EXPECT_EQ(Query(kOrigin)["result"], "allow");
  EXPECT_EQ(FromPage(kOrigin, {{"call", "QuillOpen"}, {"args", {"12345678"}}})["result"], 0);
  EXPECT_GT(TokenCommands(), 0u);

  WritePolicy(R"({"forbiddenOrigins": ["*"]})");
  const size_t commands = TokenCommands();
  EXPECT_EQ(ErrorCode(FromPage(kOrigin, {{"call", "QuillGetUID"}})), "origin-forbidden");
  EXPECT_EQ(TokenCommands(), commands);
}

TEST_F(HostOriginTest, AnswersThePolicyQueryAndFailsClosedOnABrokenPolicy) {
  EXPECT_EQ(Query(kOrigin)["result"], "ask");  // no policy file
  // The one query there is, never beside a member.
  for (const Json& request : {Json{{"query", "policy"}, {"call", "QuillGetUID"}},
                              Json{{"query", "policy"}, {"get", "Name"}}, Json{{"query", "Policy"}},
                              Json{{"query", "decisions"}}, Json{{"query", nullptr}},
                              Json{{"query", Json::array({"policy"})}}}) {
    EXPECT_EQ(ErrorCode(FromPage(kOrigin, request)), "bad-request") << request;
  }
  WritePolicy(R"({"allowedOrigins": ["https://*.other.example"]})");
  EXPECT_EQ(Query(kOrigin)["result"], "ask");
  WritePolicy(R"({"allowedOrigins": ["https://shop.example"], "forbiddenOrigins": []})");
  EXPECT_EQ(Query(kOrigin)["result"], "allow");

  for (const char* broken : {"{", R"({"forbiddenOrigins": ["https://shop.example/"]})",
                             R"({"forbiddenOrigns": ["*"]})", ""}) {
    WritePolicy(broken);
    for (const Json& request : {Json{{"query", "policy"}}, Json{{"call", "QuillGetUID"}}}) {
      const Json reply = FromPage(kOrigin, request);
      EXPECT_EQ(ErrorCode(reply), "policy-unreadable") << broken;
      EXPECT_NE(Message(reply).find(PolicyFile()), std::string::npos) << reply;
    }
  }
  EXPECT_EQ(TokenCommands(), 0u);
  // Without the file there is no policy again.
  remove(PolicyFile().c_str());
  EXPECT_EQ(Query(kOrigin)["result"], "ask");
}

TEST_F(HostOriginTest, AHostNoPageBoundAnswersLocalProgramsAsBefore) {
  WritePolicy(R"({"forbiddenOrigins": ["*"]})");  // concerns web pages only
  EXPECT_EQ(
      RawReply(R"({"id":1,"query":"policy"})"),
      R"({"id":1,"error":{"code":"bad-request","message":"a request has exactly one of call, get and put"}})");
  EXPECT_EQ(RawReply(R"({"id":2,"get":"Model","query":"policy"})"), R"({"id":2,"result":0})");
  EXPECT_EQ(RawReply(R"({"call":"QuillCheckExist"})"), R"({"id":null,"result":1})");
  WritePolicy("{");
  EXPECT_EQ(RawReply(R"({"id":[3],"call":"QuillCheckExist","args":[]})"),
            R"({"id":[3],"result":1})");
}

}  // namespace
}  // namespace quill::host
