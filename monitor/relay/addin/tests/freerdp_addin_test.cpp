// Loads the built FreeRDP add-in as FreeRDP's client does and plays the
// client's side of the _EX entry points, with virtual tokens standing in for
// the tokens attached to the client machine.
#include <dlfcn.h>
#include <freerdp/svc.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "vtoken/server.h"

namespace quill {
namespace {

constexpr char kFindRequest[] = "START;SERVER;FIND;NULL;END;";
constexpr char kFoundReply[] = "START;CLIENT;OK;NULL;END;";
constexpr char kNotFoundReply[] = "START;CLIENT;ERROR;NULL;END;";
constexpr DWORD kOpenHandle = 77;
int initHandleTag = 0;
LPVOID const kInitHandle = &initHandleTag;

// What the add-in did with the client's entry points. The entry points are
// plain functions, so the client they play is one object for the process.
struct FakeClient {
  LPVOID userParam = nullptr;
  std::vector<CHANNEL_DEF> channels;
  PCHANNEL_INIT_EVENT_EX_FN initEvent = nullptr;
  PCHANNEL_OPEN_EVENT_EX_FN openEvent = nullptr;
  std::string openedName;
  int closes = 0;
  UINT initResult = CHANNEL_RC_OK;
  std::vector<std::string> writes;
  std::vector<LPVOID> writeUserData;
  bool handlesMatched = true;
};
FakeClient client;

UINT VCAPITYPE InitEx(LPVOID userParam, LPVOID /*clientContext*/, LPVOID initHandle,
                      PCHANNEL_DEF channels, INT count, ULONG /*version*/,
                      PCHANNEL_INIT_EVENT_EX_FN initEvent) {
  if (initHandle != kInitHandle) client.handlesMatched = false;
  client.userParam = userParam;
  client.channels.assign(channels, channels + count);
  client.initEvent = initEvent;
  return client.initResult;
}

UINT VCAPITYPE OpenEx(LPVOID initHandle, LPDWORD openHandle, PCHAR name,
                      PCHANNEL_OPEN_EVENT_EX_FN openEvent) {
  if (initHandle != kInitHandle) client.handlesMatched = false;
  client.openedName = name;
  client.openEvent = openEvent;
  *openHandle = kOpenHandle;
  return CHANNEL_RC_OK;
}

UINT VCAPITYPE CloseEx(LPVOID initHandle, DWORD openHandle) {
  if (initHandle != kInitHandle || openHandle != kOpenHandle) client.handlesMatched = false;
  ++client.closes;
  return CHANNEL_RC_OK;
}

UINT VCAPITYPE WriteEx(LPVOID initHandle, DWORD openHandle, LPVOID data, ULONG length,
                       LPVOID userData) {
  if (initHandle != kInitHandle || openHandle != kOpenHandle) client.handlesMatched = false;
  client.writes.emplace_back(static_cast<const char*>(data), length);
  client.writeUserData.push_back(userData);
  return CHANNEL_RC_OK;
}

CHANNEL_ENTRY_POINTS_FREERDP_EX EntryPoints() {
  CHANNEL_ENTRY_POINTS_FREERDP_EX points = {};
  points.cbSize = sizeof(points);
  points.protocolVersion = VIRTUAL_CHANNEL_VERSION_WIN2000;
  points.pVirtualChannelInitEx = InitEx;
  points.pVirtualChannelOpenEx = OpenEx;
  points.pVirtualChannelCloseEx = CloseEx;
  points.pVirtualChannelWriteEx = WriteEx;
  points.MagicNumber = FREERDP_CHANNEL_MAGIC_NUMBER;
  return points;
}

class FreerdpAddinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(server_.Start());
    TokenSpec spec;
    spec.kind = TokenKind::kHid;
    spec.model = TokenModel::kA;
    tokenId_ = server_.AddToken(spec);
    ASSERT_GE(tokenId_, 0);
    // The add-in's token library reads this when it first looks for tokens.
    setenv("QUILL_VIRTUAL_TOKENS", server_.Endpoint(tokenId_).c_str(), 1);
    library_ = dlopen(QUILL_FREERDP_ADDIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    entry_ = reinterpret_cast<PVIRTUALCHANNELENTRYEX>(dlsym(library_, "VirtualChannelEntryEx"));
  }
  static void TearDownTestSuite() {
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
    server_.Stop();
  }
  void SetUp() override {
    ASSERT_NE(entry_, nullptr);
    client = FakeClient();
    if (!server_.Plugged(tokenId_)) {
      ASSERT_TRUE(server_.Plug(tokenId_));
    }
  }

  // Loads the add-in into a fresh connection and connects it.
  void LoadAndConnect() {
    CHANNEL_ENTRY_POINTS_FREERDP_EX points = EntryPoints();
    ASSERT_TRUE(entry_(reinterpret_cast<PCHANNEL_ENTRY_POINTS_EX>(&points), kInitHandle));
    ASSERT_NE(client.initEvent, nullptr);
    client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_INITIALIZED, nullptr, 0);
    client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_CONNECTED, nullptr, 0);
    ASSERT_NE(client.openEvent, nullptr);
  }
  void Receive(const std::string& bytes, size_t offset, size_t length, UINT32 flags) {
    client.openEvent(client.userParam, kOpenHandle, CHANNEL_EVENT_DATA_RECEIVED,
                     const_cast<char*>(bytes.data()) + offset, static_cast<UINT32>(length),
                     static_cast<UINT32>(bytes.size()), flags);
  }
  void ReceiveWhole(const std::string& bytes) {
    Receive(bytes, 0, bytes.size(), CHANNEL_FLAG_ONLY);
  }
  void Finish(UINT event, size_t write) {
    client.openEvent(client.userParam, kOpenHandle, event, client.writeUserData.at(write), 0, 0, 0);
  }
  void Terminate() {
    client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_DISCONNECTED, nullptr, 0);
    client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_TERMINATED, nullptr, 0);
  }

  static VirtualTokenServer server_;
  static int tokenId_;
  static void* library_;
  static PVIRTUALCHANNELENTRYEX entry_;
};

VirtualTokenServer FreerdpAddinTest::server_;
int FreerdpAddinTest::tokenId_ = -1;
void* FreerdpAddinTest::library_ = nullptr;
PVIRTUALCHANNELENTRYEX FreerdpAddinTest::entry_ = nullptr;

TEST_F(FreerdpAddinTest, ExportsOnlyTheExtendedEntryPoint) {
  EXPECT_EQ(dlsym(library_, "VirtualChannelEntry"), nullptr);
  EXPECT_EQ(dlsym(library_, "_ZN5quill12RelayClient5ResetEv"), nullptr);
}

TEST_F(FreerdpAddinTest, RegistersTheRelayChannelAndOpensItOnConnect) {
  LoadAndConnect();
  ASSERT_EQ(client.channels.size(), 1u);
  EXPECT_STREQ(client.channels[0].name, "_QLCHN");
  EXPECT_TRUE(client.channels[0].options & CHANNEL_OPTION_INITIALIZED);
  EXPECT_EQ(client.openedName, "_QLCHN");
  Terminate();
  EXPECT_EQ(client.closes, 1);
  EXPECT_TRUE(client.handlesMatched);
}

TEST_F(FreerdpAddinTest, AnswersFromTheClientMachinesTokensInAnyChunking) {
  LoadAndConnect();
  ReceiveWhole(kFindRequest);
  ASSERT_EQ(client.writes.size(), 1u);
  EXPECT_EQ(client.writes[0], kFoundReply);
  Finish(CHANNEL_EVENT_WRITE_COMPLETE, 0);

  const std::string getId = "START;SERVER;GETID;NULL;END;";
  Receive(getId, 0, 3, CHANNEL_FLAG_FIRST);
  Receive(getId, 3, 10, CHANNEL_FLAG_MIDDLE);
  EXPECT_EQ(client.writes.size(), 1u);
  Receive(getId, 13, getId.size() - 13, CHANNEL_FLAG_LAST);
  ASSERT_EQ(client.writes.size(), 2u);
  EXPECT_EQ(client.writes[1].rfind("START;CLIENT;OK;", 0), 0u) << client.writes[1];
  EXPECT_EQ(client.writes[1].size(), std::string("START;CLIENT;OK;;END;").size() + 32);
  Finish(CHANNEL_EVENT_WRITE_CANCELLED, 1);

  // The token is pulled out on the client machine: FIND now fails.
  server_.Unplug(tokenId_);
  ReceiveWhole(kFindRequest);
  ASSERT_EQ(client.writes.size(), 3u);
  EXPECT_EQ(client.writes[2], kNotFoundReply);
  Terminate();
  EXPECT_TRUE(client.handlesMatched);
}

TEST_F(FreerdpAddinTest, RefusesBadInputAndTakesNoDataAfterDisconnect) {
  LoadAndConnect();
  // A chunk larger than its announced total, and a total over the limit.
  std::string find = kFindRequest;
  client.openEvent(client.userParam, kOpenHandle, CHANNEL_EVENT_DATA_RECEIVED, find.data(),
                   static_cast<UINT32>(find.size()), 8, CHANNEL_FLAG_ONLY);
  std::string huge(5000, ';');
  ReceiveWhole(huge);
  // Data for another open handle is not this channel's.
  client.openEvent(client.userParam, kOpenHandle + 1, CHANNEL_EVENT_DATA_RECEIVED, find.data(),
                   static_cast<UINT32>(find.size()), static_cast<UINT32>(find.size()),
                   CHANNEL_FLAG_ONLY);
  EXPECT_TRUE(client.writes.empty());

  client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_DISCONNECTED, nullptr, 0);
  EXPECT_EQ(client.closes, 1);
  ReceiveWhole(kFindRequest);
  EXPECT_TRUE(client.writes.empty());
  client.initEvent(client.userParam, kInitHandle, CHANNEL_EVENT_TERMINATED, nullptr, 0);
  EXPECT_EQ(client.closes, 1);
}

TEST_F(FreerdpAddinTest, DeclinesATableItCannotUseOrAChannelTheClientRefuses) {
  EXPECT_FALSE(entry_(nullptr, kInitHandle));
  CHANNEL_ENTRY_POINTS_FREERDP_EX points = EntryPoints();
  points.cbSize = 8;
  EXPECT_FALSE(entry_(reinterpret_cast<PCHANNEL_ENTRY_POINTS_EX>(&points), kInitHandle));
  points = EntryPoints();
  points.pVirtualChannelWriteEx = nullptr;
  EXPECT_FALSE(entry_(reinterpret_cast<PCHANNEL_ENTRY_POINTS_EX>(&points), kInitHandle));
  EXPECT_TRUE(client.channels.empty());

  client.initResult = CHANNEL_RC_TOO_MANY_CHANNELS;
  points = EntryPoints();
  EXPECT_FALSE(entry_(reinterpret_cast<PCHANNEL_ENTRY_POINTS_EX>(&points), kInitHandle));
}

}  // namespace
}  // namespace quill
