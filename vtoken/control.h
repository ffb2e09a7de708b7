// The control socket of quill-vtoken: a line protocol on 127.0.0.1, one
// reply line per command, "ok ..." or "error <message>".
//
//   list                        ok 0 hid A 127.0.0.1:40001 plugged, 1 cdrom B ...
//   plug N                      ok plugged 127.0.0.1:PORT
//   unplug N                    ok unplugged
//   fault N KIND [ARG] [COUNT]  ok fault KIND count=COUNT
//   clear N                     ok cleared
//   stats N                     ok exchanges=12 answers=12 damaged=0 interleaved=0 ...
//   state N                     ok verified=0 locked=0 failures=0 accesskey=0
//   log N [COUNT]               ok 3f:00:00:00 ... (ins:p1:p2:lc in hex, oldest first)
//   help                        ok <the command list>
//   quit                        ok bye
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "loopback_listener.h"
#include "server.h"

namespace quill {

// Runs one command line against the server and returns the reply without
// its line feed; sets *quit for "quit".
std::string RunControlCommand(VirtualTokenServer& server, const std::string& line, bool* quit);

class ControlServer {
 public:
  // onQuit runs on a connection's thread after "quit" was answered; it must
  // not stop this control server itself.
  ControlServer(VirtualTokenServer& server, std::function<void()> onQuit);
  ~ControlServer();

  bool Start(uint16_t port, std::string* error);
  void Stop();
  uint16_t Port() const { return listener_.Port(); }

 private:
  void Serve(int fd);

  VirtualTokenServer& server_;
  std::function<void()> onQuit_;
  LoopbackListener listener_;
};

}  // namespace quill
