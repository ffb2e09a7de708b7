// The monitor's logic against virtual tokens over loopback and in-memory
// ports: a fresh machine, window, relay and set of tokens for each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_files.h"
#include "fake_log.h"
#include "fake_main_window.h"
#include "fake_message_boxes.h"
#include "fake_processes.h"
#include "fake_registry.h"
#include "fake_remote_presence.h"
#include "fake_strings.h"
#include "fake_system.h"
#include "fake_text.h"
#include "loopback_platform.h"
#include "token.h"
#include "vtoken/server.h"

namespace quill {

// A machine whose pauses can plug tokens in: `onSleep` runs after each
// recorded pause with the number of pauses so far.
class SteppingSystem : public fake::FakeSystem {
 public:
  void Sleep(uint32_t milliseconds) override {
    FakeSystem::Sleep(milliseconds);
    if (onSleep) onSleep(static_cast<int>(sleeps.size()));
  }
  std::function<void(int)> onSleep;
};

constexpr char16_t kLogonUiKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI";
constexpr char16_t kExpectedProvider[] = u"{007F850C-06D0-4D2F-B830-6DEB50D5A1E3}";
constexpr char16_t kHttpKey[] = u"HTTP\\shell\\open\\command\\";
constexpr char16_t kIeKey[] = u"Applications\\iexplore.exe\\shell\\open\\command\\";
constexpr char kTokenPassword[] = "12345678";

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() {
    ports.registry = &registry;
    ports.files = &files;
    ports.system = &system;
    ports.text = &text;
    ports.processes = &processes;
    ports.messageBoxes = &boxes;
    ports.strings = &strings;
    ports.log = &log;
  }

  // Adds a virtual token (before Connect); returns its id on the server.
  int AddToken(TokenModel model = TokenModel::kA, const std::string& usageTag = "login",
               TokenKind kind = TokenKind::kHid) {
    TokenSpec token;
    token.kind = kind;
    token.model = model;
    token.settings.usageTag = usageTag;
    return server.AddToken(token);
  }

  // Starts the server and points the library at every token added so far
  // (a token unplugged later stays on the list, as a device that is gone).
  void Connect() {
    ASSERT_TRUE(server.Start()) << server.LastError();
    std::vector<std::string> endpoints;
    for (int id = 0; id < server.TokenCount(); ++id) endpoints.push_back(server.Endpoint(id));
    char pattern[] = "/tmp/quill-monitor-lock-XXXXXX";
    close(mkstemp(pattern));
    lockPath = pattern;
    library = std::make_unique<LoopbackPlatform>(endpoints, lockPath);
  }

  void TearDown() override {
    library.reset();
    server.Stop();
    if (!lockPath.empty()) unlink(lockPath.c_str());
  }

  // The UID text the library reports for a token of the server.
  std::string UidOf(int id) {
    char uid[kUidTextSize];
    FormatUid(server.Spec(id).uid.value().data(), uid);
    return uid;
  }

  // Writes the key information of the token found at `index` (after login).
  void SetKeyInfo(const std::string& url, uint8_t modelByte = 0, const std::string& name = "Key",
                  const std::string& description = "Quill Ltd", const std::string& other = "note",
                  int index = 0, TokenModel model = TokenModel::kA) {
    TokenHandle handles[kMaxTokens] = {};
    int count = 0;
    ASSERT_EQ(TokenFind(model, handles, &count), 0);
    ASSERT_GT(count, index);
    ASSERT_EQ(TokenLogin(handles[index], kTokenPassword), 0);
    uint8_t modelBytes[kModelSize] = {modelByte, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(TokenSetKeyInfo(handles[index], name.c_str(), description.c_str(), url.c_str(),
                              other.c_str(), modelBytes),
              0);
  }

  void SetHttpCommand(const std::u16string& command) {
    registry.SetString(RegistryRoot::kClassesRoot, kHttpKey, u"", command);
  }
  void SetIeCommand(const std::u16string& command) {
    registry.SetString(RegistryRoot::kClassesRoot, kIeKey, u"", command);
  }
  void SetLogonProvider(const std::u16string& provider) {
    registry.SetString(RegistryRoot::kLocalMachine, kLogonUiKey, u"LastLoggedOnProvider", provider);
  }

  fake::FakeRegistry registry;
  fake::FakeFiles files;
  SteppingSystem system;
  fake::FakeText text;
  fake::FakeProcesses processes;
  fake::FakeMessageBoxes boxes;
  fake::FakeStrings strings;
  fake::FakeLog log;
  MonitorPorts ports;

  VirtualTokenServer server;
  std::unique_ptr<LoopbackPlatform> library;
  std::string lockPath;
};

}  // namespace quill
