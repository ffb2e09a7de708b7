// Plays a Windows remote-desktop client against quill-relay-addin.dll: loads
// it, calls VirtualChannelEntry with a table of entry points that record what
// the add-in does, then sends it the client's events and channel data.
//
//   addin_driver.exe DLL token|no-token
//
// "token": a token is attached on this machine (a virtual one, reached
// through QUILL_VIRTUAL_TOKENS), so FIND and GETID succeed; "no-token": none
// is, so both are answered "ERROR". Prints one PASS or FAIL line per check
// and "failures=N" at the end; exits 0 only when every check passed.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win32/client_channel_api.h"

namespace {

constexpr char kFindRequest[] = "START;SERVER;FIND;NULL;END;";
constexpr char kGetIdRequest[] = "START;SERVER;GETID;NULL;END;";

// One connection as the client sees it. The entry points are plain
// functions, so the connections live in one table for the process.
struct Connection {
  int initTag = 0;
  DWORD openHandle = 0;
  std::vector<CHANNEL_DEF> channels;
  ULONG version = 0;
  PCHANNEL_INIT_EVENT_FN initEvent = nullptr;
  PCHANNEL_OPEN_EVENT_FN openEvent = nullptr;
  std::string openedName;
  int closes = 0;
  std::vector<std::string> writes;
  std::vector<LPVOID> writeUserData;
};
Connection connections[2];
int loading = 0;  // the connection VirtualChannelInit belongs to
bool strayHandle = false;

Connection* ByOpenHandle(DWORD openHandle) {
  for (Connection& connection : connections)
    if (connection.openHandle == openHandle) return &connection;
  strayHandle = true;
  return nullptr;
}

UINT VCAPITYPE Init(LPVOID* initHandle, PCHANNEL_DEF channels, INT count, ULONG version,
                    PCHANNEL_INIT_EVENT_FN initEvent) {
  Connection& connection = connections[loading];
  *initHandle = &connection.initTag;
  connection.channels.assign(channels, channels + count);
  connection.version = version;
  connection.initEvent = initEvent;
  return CHANNEL_RC_OK;
}

UINT VCAPITYPE Open(LPVOID initHandle, LPDWORD openHandle, PCHAR name,
                    PCHANNEL_OPEN_EVENT_FN openEvent) {
  for (int i = 0; i < 2; ++i) {
    if (initHandle == &connections[i].initTag) {
      connections[i].openedName = name;
      connections[i].openEvent = openEvent;
      connections[i].openHandle = static_cast<DWORD>(100 + i);
      *openHandle = connections[i].openHandle;
      return CHANNEL_RC_OK;
    }
  }
  strayHandle = true;
  return CHANNEL_RC_BAD_INIT_HANDLE;
}

UINT VCAPITYPE Close(DWORD openHandle) {
  Connection* connection = ByOpenHandle(openHandle);
  if (connection == nullptr) return CHANNEL_RC_BAD_CHANNEL_HANDLE;
  ++connection->closes;
  return CHANNEL_RC_OK;
}

UINT VCAPITYPE Write(DWORD openHandle, LPVOID data, ULONG length, LPVOID userData) {
  Connection* connection = ByOpenHandle(openHandle);
  if (connection == nullptr) return CHANNEL_RC_BAD_CHANNEL_HANDLE;
  connection->writes.emplace_back(static_cast<const char*>(data), length);
  connection->writeUserData.push_back(userData);
  return CHANNEL_RC_OK;
}

CHANNEL_ENTRY_POINTS EntryPoints() {
  CHANNEL_ENTRY_POINTS points = {};
  points.cbSize = sizeof(points);
  points.protocolVersion = VIRTUAL_CHANNEL_VERSION_WIN2000;
  points.pVirtualChannelInit = Init;
  points.pVirtualChannelOpen = Open;
  points.pVirtualChannelClose = Close;
  points.pVirtualChannelWrite = Write;
  return points;
}

int failures = 0;
void Check(const char* name, bool passed) {
  std::printf("%s: %s\n", passed ? "PASS" : "FAIL", name);
  if (!passed) ++failures;
}

void ChannelInitEvent(Connection& connection, UINT event) {
  connection.initEvent(&connection.initTag, event, nullptr, 0);
}
void Receive(Connection& connection, const std::string& bytes, size_t offset, size_t length,
             UINT32 flags, UINT32 total) {
  connection.openEvent(connection.openHandle, CHANNEL_EVENT_DATA_RECEIVED,
                       const_cast<char*>(bytes.data()) + offset, static_cast<UINT32>(length), total,
                       flags);
}
void ReceiveWhole(Connection& connection, const std::string& bytes) {
  Receive(connection, bytes, 0, bytes.size(), CHANNEL_FLAG_ONLY, static_cast<UINT32>(bytes.size()));
}

bool IsUidReply(const std::string& reply) {
  const std::string head = "START;CLIENT;OK;";
  if (reply.size() != head.size() + 32 + 5 || reply.compare(0, head.size(), head) != 0)
    return false;
  for (size_t i = head.size(); i < head.size() + 32; ++i)
    if (std::strchr("0123456789abcdef", reply[i]) == nullptr) return false;
  return reply.compare(head.size() + 32, 5, ";END;") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[2], "token") != 0 && std::strcmp(argv[2], "no-token") != 0)) {
    std::fprintf(stderr, "usage: addin_driver DLL token|no-token\n");
    return 2;
  }
  const bool tokenAttached = std::strcmp(argv[2], "token") == 0;
  HMODULE library = LoadLibraryA(argv[1]);
  Check("the add-in DLL loads", library != nullptr);
  if (library == nullptr) return 1;
  auto entry = reinterpret_cast<PVIRTUALCHANNELENTRY>(
      reinterpret_cast<void*>(GetProcAddress(library, "VirtualChannelEntry")));
  Check("VirtualChannelEntry is exported by its plain name", entry != nullptr);
  if (entry == nullptr) return 1;

  CHANNEL_ENTRY_POINTS points = EntryPoints();
  Check("a missing table is declined", !entry(nullptr));
  points.cbSize = 4;
  Check("a table too small is declined", !entry(&points));
  points = EntryPoints();
  points.pVirtualChannelWrite = nullptr;
  Check("a table without a write entry is declined", !entry(&points));
  Check("nothing was registered for declined tables", connections[0].channels.empty());

  points = EntryPoints();
  Connection& first = connections[0];
  Check("VirtualChannelEntry accepts the client's table", entry(&points) == TRUE);
  Check("one channel named _QLCHN is registered",
        first.channels.size() == 1 && std::strcmp(first.channels[0].name, "_QLCHN") == 0 &&
            (first.channels[0].options & CHANNEL_OPTION_INITIALIZED) != 0 &&
            first.version == VIRTUAL_CHANNEL_VERSION_WIN2000);
  if (first.initEvent == nullptr) return 1;
  ChannelInitEvent(first, CHANNEL_EVENT_INITIALIZED);
  Check("the channel is not opened before the connection", first.openEvent == nullptr);
  ChannelInitEvent(first, CHANNEL_EVENT_CONNECTED);
  Check("the channel _QLCHN is opened on connect",
        first.openEvent != nullptr && first.openedName == "_QLCHN");
  if (first.openEvent == nullptr) return 1;

  ReceiveWhole(first, kFindRequest);
  Check("FIND is answered once", first.writes.size() == 1);
  const std::string findReply =
      tokenAttached ? "START;CLIENT;OK;NULL;END;" : "START;CLIENT;ERROR;NULL;END;";
  Check(tokenAttached ? "FIND finds the attached token" : "FIND reports no token",
        !first.writes.empty() && first.writes[0] == findReply);
  first.openEvent(first.openHandle, CHANNEL_EVENT_WRITE_COMPLETE, first.writeUserData.at(0), 0, 0,
                  0);

  const std::string getId = kGetIdRequest;
  const UINT32 total = static_cast<UINT32>(getId.size());
  Receive(first, getId, 0, 4, CHANNEL_FLAG_FIRST, total);
  Receive(first, getId, 4, 11, CHANNEL_FLAG_MIDDLE, total);
  Check("nothing is written before the last chunk", first.writes.size() == 1);
  Receive(first, getId, 15, getId.size() - 15, CHANNEL_FLAG_LAST, total);
  Check("GETID in three chunks is answered once", first.writes.size() == 2);
  if (first.writes.size() == 2) {
    Check(tokenAttached ? "GETID gives the token's UID" : "GETID reports no token",
          tokenAttached ? IsUidReply(first.writes[1])
                        : first.writes[1] == "START;CLIENT;ERROR;NULL;END;");
    first.openEvent(first.openHandle, CHANNEL_EVENT_WRITE_CANCELLED, first.writeUserData[1], 0, 0,
                    0);
  }

  // Bad input: no reply, no crash.
  const std::string find = kFindRequest;
  Receive(first, find, 0, find.size(), CHANNEL_FLAG_ONLY, 10);
  const std::string huge(4096, 'S');
  ReceiveWhole(first, huge);
  Receive(first, find, 0, find.size(), CHANNEL_FLAG_LAST, static_cast<UINT32>(find.size()));
  Check("bad chunking and an overlong request get no reply", first.writes.size() == 2);

  // A second connection in the same process is served on its own.
  loading = 1;
  Connection& second = connections[1];
  points = EntryPoints();
  Check("a second connection loads the add-in again", entry(&points) == TRUE);
  if (second.initEvent == nullptr) return 1;
  ChannelInitEvent(second, CHANNEL_EVENT_INITIALIZED);
  ChannelInitEvent(second, CHANNEL_EVENT_CONNECTED);
  Check("the second connection opens its own channel",
        second.openEvent != nullptr && second.openHandle != first.openHandle);
  if (second.openEvent == nullptr) return 1;
  ReceiveWhole(second, kFindRequest);
  Check("the second connection's reply goes to its own channel",
        second.writes.size() == 1 && second.writes[0] == findReply && first.writes.size() == 2);

  ChannelInitEvent(first, CHANNEL_EVENT_DISCONNECTED);
  Check("disconnect closes the channel", first.closes == 1);
  ReceiveWhole(first, kFindRequest);
  Check("data after the disconnect is not answered", first.writes.size() == 2);
  ChannelInitEvent(first, CHANNEL_EVENT_TERMINATED);
  Check("terminate after disconnect closes nothing more", first.closes == 1);

  ReceiveWhole(second, kFindRequest);
  Check("the second connection still answers", second.writes.size() == 2);
  ChannelInitEvent(second, CHANNEL_EVENT_TERMINATED);
  Check("terminate closes a channel still open", second.closes == 1);
  Check("every call used a handle the client gave", !strayHandle);

  FreeLibrary(library);
  std::printf("failures=%d\n", failures);
  return failures == 0 ? 0 : 1;
}
