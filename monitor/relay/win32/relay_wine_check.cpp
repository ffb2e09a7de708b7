// Checks the relay's Windows build against the real API (Wine's or
// Windows'), printing PASS/FAIL lines; exit status 1 when any check fails.
//
//   relay_wine_check console
//       QUILL_VIRTUAL_CHANNEL unset: the platform channel is chosen, a
//       console session is seen, and nothing is opened or sent.
//   relay_wine_check loopback UID
//       QUILL_VIRTUAL_CHANNEL names a listening quill-relay-client whose
//       machine has one token with this UID (password "12345678"): every
//       request goes through Winsock and is answered.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "remote_channel_choice.h"
#include "remote_relay.h"
#include "win32_remote_channel.h"
#include "win32_system.h"
#include "win32_text.h"

namespace {

int failures = 0;

void Check(bool passed, const std::string& what) {
  std::printf("%s: %s\n", passed ? "PASS" : "FAIL", what.c_str());
  if (!passed) ++failures;
}

void Console(quill::SystemPort& system, quill::TextPort& text) {
  auto platform = std::make_unique<quill::Win32RemoteChannel>();
  quill::Win32RemoteChannel* win32 = platform.get();
  std::unique_ptr<quill::RemoteChannelPort> channel =
      quill::ChooseRemoteChannel(system, std::move(platform));
  Check(channel.get() == win32, "without QUILL_VIRTUAL_CHANNEL the platform channel is chosen");
  quill::CRemoteRelay relay(*channel, text);
  Check(!channel->IsRemoteSession(), "GetSystemMetrics(SM_REMOTESESSION) says console");
  Check(!relay.Probe(), "Probe is false in a console session");
  Check(!channel->IsChannelOpen(), "no channel was opened");
  Check(relay.Find() == quill::kRelayNotConnected, "Find answers 1 (not connected)");
}

void Loopback(quill::SystemPort& system, quill::TextPort& text, const std::string& uid) {
  std::unique_ptr<quill::RemoteChannelPort> channel =
      quill::ChooseRemoteChannel(system, std::make_unique<quill::Win32RemoteChannel>());
  quill::CRemoteRelay relay(*channel, text);
  Check(relay.Probe(), "Probe connects to QUILL_VIRTUAL_CHANNEL");
  Check(relay.Probe(), "a second Probe reuses the channel");
  Check(relay.Find() == quill::kRelayOk, "FIND: the token is attached on the client");
  char id[quill::kRelayIdCapacity] = {};
  const int getId = relay.GetId(id, sizeof id);
  Check(getId == quill::kRelayOk && uid == id, "GETID: " + std::to_string(getId) + " " + id);
  Check(relay.Open(u"wrong") == quill::kRelayStatusNotOk, "OPEN with a wrong password: 6");
  Check(relay.Open(u"12345678") == quill::kRelayOk, "OPEN with the password: 0");
  uint8_t data[quill::kRelayDataCapacity];
  int count = 0;
  const int getData = relay.GetData(data, sizeof data, &count);
  Check(getData == quill::kRelayOk && count == 232,
        "GETDATA: " + std::to_string(getData) + ", " + std::to_string(count) + " bytes");
  Check(relay.Close() == quill::kRelayOk, "CLOSE: 0");
}

}  // namespace

int main(int argc, char** argv) {
  quill::Win32SystemPort system;
  quill::Win32TextPort text;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "console") {
    Console(system, text);
  } else if (mode == "loopback" && argc > 2) {
    Loopback(system, text, argv[2]);
  } else {
    std::fprintf(stderr, "usage: relay_wine_check console | loopback UID\n");
    return 2;
  }
  std::printf("failures=%d\n", failures);
  return failures == 0 ? 0 : 1;
}
