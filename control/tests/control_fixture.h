// A control session against virtual tokens over loopback, with in-memory
// control ports. Each test gets a fresh session, library state and tokens.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "control_codes.h"
#include "library_state.h"
#include "loopback_platform.h"
#include "members/members.h"
#include "ports/fake/fake_control_ports.h"
#include "session.h"
#include "session_ops.h"
#include "text/utf8.h"
#include "vtoken/server.h"

namespace quill {

inline ScriptText Text(const std::string& utf8) {
  return ScriptText::Of(Utf8ToUtf16(utf8));
}
inline std::string Utf8(const ScriptText& text) {
  return Utf16ToUtf8(text.text);
}

class ControlTest : public ::testing::Test {
 protected:
  // Adds a virtual token (before Connect); returns its id on the server.
  int AddToken(TokenModel model = TokenModel::kA, TokenKind kind = TokenKind::kHid) {
    TokenSpec spec;
    spec.kind = kind;
    spec.model = model;
    return server.AddToken(spec);
  }
  int AddToken(const TokenSpec& spec) { return server.AddToken(spec); }

  // Starts the server and points the library at every token added so far.
  void Connect() {
    ASSERT_TRUE(server.Start()) << server.LastError();
    std::vector<std::string> endpoints;
    for (int id = 0; id < server.TokenCount(); ++id) endpoints.push_back(server.Endpoint(id));
    char pattern[] = "/tmp/quill-lock-XXXXXX";
    close(mkstemp(pattern));
    lockPath = pattern;
    library = std::make_unique<LoopbackPlatform>(endpoints, lockPath);
    ResetControl(ports.platform);
  }

  void TearDown() override {
    library.reset();
    server.Stop();
    if (!lockPath.empty()) unlink(lockPath.c_str());
  }

  // The codes in the store, oldest first.
  static std::vector<int> Codes() {
    std::vector<int> codes;
    for (size_t i = 0; i < Library().store.Count(); ++i) codes.push_back(Library().store.At(i));
    return codes;
  }

  // The UID text a token of the server reports.
  std::string UidOf(int id) {
    char uid[kUidTextSize];
    FormatUid(server.Spec(id).uid.value().data(), uid);
    return uid;
  }

  VirtualTokenServer server;
  fake::FakeControlPlatform ports;
  std::unique_ptr<LoopbackPlatform> library;
  std::string lockPath;
};

}  // namespace quill
