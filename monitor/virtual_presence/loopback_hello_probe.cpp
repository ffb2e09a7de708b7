#include "loopback_hello_probe.h"

#include "loopback_socket.h"
#include "virtual_hello.h"

namespace quill {

ProbeOutcome LoopbackHelloProbe::Probe(const LoopbackEndpoint& endpoint, std::string* helloLine) {
  helloLine->clear();
  std::unique_ptr<LoopbackSocket> socket = ConnectLoopback(endpoint, connectMs_);
  if (!socket) return ProbeOutcome::kRefused;
  std::string line;
  const bool read = ReadHelloLine(*socket, helloMs_, &line);
  socket->Close();
  if (!read) return ProbeOutcome::kUnclear;
  *helloLine = line;
  return ProbeOutcome::kAnswered;
}

}  // namespace quill
