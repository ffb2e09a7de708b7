// quill-host run as a real process, pointed at virtual tokens served by this
// test process over loopback.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "host_channel.h"
#include "script_json.h"
#include "vtoken/server.h"

namespace quill::host {

constexpr int kReplyTimeoutMs = 10000;

// A temporary folder, removed with its files at the end of the test.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    char pattern[] = "/tmp/quill-host-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TemporaryFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteScript(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
  chmod(path.c_str(), 0755);
}

class HostTest : public ::testing::Test {
 protected:
  // A token of the storage kind (model A, password "12345678"); its id.
  int AddCdromToken() {
    TokenSpec spec;
    spec.kind = TokenKind::kCdrom;
    return server.AddToken(spec);
  }
  // Starts quill-host with the tokens added so far (none: no virtual tokens)
  // and the given environment changes ("NAME=value", or "NAME" to remove).
  void StartHost(std::vector<std::string> environment = {},
                 std::vector<std::string> arguments = {}) {
    std::string endpoints;
    if (server.TokenCount() > 0) {
      ASSERT_TRUE(server.Start()) << server.LastError();
      for (int id = 0; id < server.TokenCount(); ++id) {
        endpoints += (id ? "," : "") + server.Endpoint(id);
      }
    }
    ChildProcess::Options options;
    options.arguments = std::move(arguments);
    options.environment = {
        endpoints.empty() ? "QUILL_VIRTUAL_TOKENS" : "QUILL_VIRTUAL_TOKENS=" + endpoints,
        "QUILL_ASKPASS"};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    options.errorFile = folder.File("stderr");
    std::string error;
    ASSERT_TRUE(host.Start(QUILL_HOST_PROGRAM, options, &error)) << error;
  }

  // Sends one payload and returns the parsed reply (discarded when none came
  // or it was not JSON).
  Json Ask(const std::string& payload) {
    EXPECT_TRUE(SendRequest(host, payload));
    return NextReply();
  }
  Json NextReply() {
    std::string reply;
    const PipeStatus status = ReceiveReply(host, &reply, kReplyTimeoutMs);
    EXPECT_EQ(status, PipeStatus::kDone) << "no reply";
    if (status != PipeStatus::kDone) return Json(Json::value_t::discarded);
    Json parsed = Json::parse(reply, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << reply;
    return parsed;
  }
  // The result of a call, get or put, built from its parts.
  Json Result(const std::string& verb, const std::string& name, const Json& args = Json::array()) {
    Json request = {{"id", ++lastId}, {verb, name}};
    if (verb == "put") {
      request["value"] = args;
    } else if (!args.empty()) {
      request["args"] = args;
    }
    const Json reply = Ask(request.dump());
    EXPECT_EQ(reply.value("id", Json()), lastId) << reply;
    EXPECT_TRUE(reply.contains("result")) << reply;
    return reply.value("result", Json());
  }
  Json Call(const std::string& name, const Json& args = Json::array()) {
    return Result("call", name, args);
  }
  // The error code of a reply ("" when it is no error).
  static std::string ErrorCode(const Json& reply) {
    return reply.contains("error") ? reply["error"].value("code", "") : "";
  }

  // Ends the input; returns the exit status and keeps what else came on
  // standard output in trailingOutput.
  int Finish() {
    host.CloseInput();
    trailingOutput.clear();
    EXPECT_EQ(host.ReadToEnd(&trailingOutput, kReplyTimeoutMs), PipeStatus::kEnd);
    return host.Wait(kReplyTimeoutMs);
  }
  std::string Errors() const { return ReadText(folder.File("stderr")); }

  TemporaryFolder folder;
  VirtualTokenServer server;
  ChildProcess host;
  std::string trailingOutput;
  int lastId = 0;
};

}  // namespace quill::host
