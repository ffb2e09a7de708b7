// The framing as a browser sees it: lengths, pieces, limits and the end of
// input.
#include <chrono>
#include <thread>

#include "frame_io.h"
#include "host_fixture.h"

namespace quill::host {
namespace {

std::string Frame(const std::string& payload) {
  uint8_t prefix[4];
  EncodeFrameLength(static_cast<uint32_t>(payload.size()), prefix);
  return std::string(reinterpret_cast<char*>(prefix), 4) + payload;
}

using HostFramingTest = HostTest;

TEST_F(HostFramingTest, AnswersTwoRequestsOfOneWriteInOrder) {
  StartHost();
  const std::string both =
      Frame(R"({"id":1,"get":"Version"})") + Frame(R"({"id":2,"call":"QuillGetLastError"})");
  ASSERT_TRUE(host.Write(both.data(), both.size()));
  EXPECT_EQ(NextReply()["id"], 1);
  EXPECT_EQ(NextReply()["id"], 2);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(trailingOutput, "");
}

TEST_F(HostFramingTest, ReassemblesAFrameThatArrivesInPieces) {
  StartHost();
  const std::string frame = Frame(R"({"id":"pieces","get":"Version"})");
  for (size_t i = 0; i < frame.size(); i += i < 4 ? 1 : 9) {
    const size_t piece = i < 4 ? 1 : 9;
    ASSERT_TRUE(host.Write(frame.data() + i, std::min(piece, frame.size() - i)));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const Json reply = NextReply();
  EXPECT_EQ(reply["id"], "pieces");
  EXPECT_TRUE(reply["result"].is_string());
  EXPECT_EQ(Finish(), 0);
}

TEST_F(HostFramingTest, ServesARequestOfExactlyOneMebibyte) {
  StartHost();
  std::string payload = R"({"id":1,"get":"Version"})";
  payload.resize(kMaxRequestSize, ' ');
  EXPECT_TRUE(Ask(payload)["result"].is_string());
  EXPECT_EQ(Finish(), 0);
}

TEST_F(HostFramingTest, EndsWithStatus2OnARequestBeyondOneMebibyte) {
  StartHost();
  std::string payload = R"({"id":1,"get":"Version"})";
  payload.resize(kMaxRequestSize + 1, ' ');
  SendRequest(host, payload);  // the host may stop reading part-way
  EXPECT_EQ(Finish(), 2);
  EXPECT_EQ(trailingOutput, "");
  EXPECT_NE(Errors().find("1048577"), std::string::npos) << Errors();
  EXPECT_EQ(Errors().back(), '\n');
}

TEST_F(HostFramingTest, EndsWithStatus2WhenTheInputEndsInsideAFrame) {
  // Inside the body, after a request that was answered.
  StartHost();
  EXPECT_EQ(Ask(R"({"id":1,"get":"Version"})")["id"], 1);
  const std::string cut = Frame(std::string(100, ' ')).substr(0, 14);
  ASSERT_TRUE(host.Write(cut.data(), cut.size()));
  EXPECT_EQ(Finish(), 2);
  EXPECT_EQ(trailingOutput, "");
  EXPECT_NE(Errors().find("quill-host:"), std::string::npos);
}

TEST_F(HostFramingTest, EndsWithStatus2WhenTheInputEndsInsideALength) {
  StartHost();
  ASSERT_TRUE(host.Write("\x05\x00", 2));
  EXPECT_EQ(Finish(), 2);
  EXPECT_EQ(trailingOutput, "");
  EXPECT_FALSE(Errors().empty());
}

TEST_F(HostFramingTest, EndsWithStatus0AtTheEndOfInputAndSaysNothing) {
  StartHost();
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(trailingOutput, "");
  EXPECT_EQ(Errors(), "");
}

TEST_F(HostFramingTest, StandardOutputCarriesOnlyReplies) {
  // A malformed setting makes the library warn; a member that reaches the
  // token runs the library and the control. Only framed replies may appear.
  AddCdromToken();
  StartHost({"QUILL_REMOTE_SECRET=not-hex"});
  EXPECT_EQ(Call("QuillCheckExist"), 1);
  EXPECT_TRUE(Call("QuillGetUID").is_string());
  EXPECT_EQ(Call("QuillOpen", Json::array({"12345678"})), 0);
  EXPECT_EQ(Ask("not json")["error"]["code"], "bad-request");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(trailingOutput, "");
  EXPECT_NE(Errors().find("QUILL_REMOTE_SECRET"), std::string::npos) << Errors();
}

TEST_F(HostFramingTest, IgnoresTheArgumentsBrowsersPass) {
  StartHost({}, {"chrome-extension://jfgbhkbhkcfogijgoheendkgaicaokfn/", "--parent-window=0"});
  EXPECT_TRUE(Result("get", "Version").is_string());
  EXPECT_EQ(Finish(), 0);
}

}  // namespace
}  // namespace quill::host
