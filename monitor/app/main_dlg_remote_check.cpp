// The timer's presence check in a remote-desktop session: the token is
// plugged into the client machine, so the client is asked over the relay,
// and the session is locked at once, without a question, when it does not
// confirm the token.
#include "diagnostic_line.h"
#include "main_dlg.h"

namespace quill {

namespace {

// What a request answers when the relay is not connected (nothing is sent).
constexpr int kRelayNotConnected = 1;

}  // namespace

void CMainDlg::RunRemotePresenceCheck() {
  if (!relay_.Probe()) return;

  bool connected = relay_.Probe();
  remoteSession_ = connected ? 1 : 0;
  int find = connected ? relay_.Find() : kRelayNotConnected;
  Log(std::string("remote check: session=") + YesNo(connected) + " find=" + std::to_string(find));
  if (connected && find == 0) return;

  uint32_t error = 0;
  if (window_.LockWorkStation(&error)) {
    Log("remote lock done");
  } else {
    Log("remote lock failed: error=" + std::to_string(error));
  }
}

}  // namespace quill
