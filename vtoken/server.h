// A set of virtual tokens served over loopback, each on its own port.
//
//   VirtualTokenServer server;            // frame key from QUILL_FRAME_KEY
//   server.Start();
//   int id = server.AddToken({TokenKind::kHid, TokenModel::kA});
//   setenv("QUILL_VIRTUAL_TOKENS", server.Endpoint(id).c_str(), 1);
//
// Token ids count from 0 in the order of AddToken. Every method is safe to
// call from any thread; an unknown id is ignored (Port 0, Plug false).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config.h"
#include "faults.h"
#include "request_tracker.h"
#include "token_endpoint.h"
#include "token_setup.h"
#include "token_stats.h"
#include "virtual_token.h"

namespace quill {

class VirtualTokenServer {
 public:
  explicit VirtualTokenServer(const FrameKey& frameKey = ProcessTokenConfig().frameKey);
  ~VirtualTokenServer();
  VirtualTokenServer(const VirtualTokenServer&) = delete;
  VirtualTokenServer& operator=(const VirtualTokenServer&) = delete;

  // Plugs every token added so far; tokens added later are plugged at once.
  // False when a token's port cannot be taken (see LastError).
  bool Start();
  // Unplugs every token; the server can be started again.
  void Stop();

  // Adds a token; its UID value defaults to DefaultUid(id). Returns the id,
  // or -1 for a cdrom path that cannot go into a hello line, or a port that
  // cannot be taken while the server runs.
  int AddToken(const TokenSpec& spec);
  int TokenCount() const;

  // The port, once the token was plugged (before that: the requested port).
  uint16_t Port(int id) const;
  // "127.0.0.1:PORT".
  std::string Endpoint(int id) const;
  // The spec with the UID, port and cdrom path filled in.
  TokenSpec Spec(int id) const;

  // Unplugging closes the token's listener, so that connecting is refused,
  // and closes every connection of the token.
  void Unplug(int id);
  // Listens again on the token's port; false when the port cannot be taken.
  bool Plug(int id);
  bool Plugged(int id) const;

  // count <= 0: until ClearFaults.
  void InjectFault(int id, const Fault& fault, int count);
  void ClearFaults(int id);
  TokenStats Stats(int id) const;

  std::string LastError() const;

 private:
  TokenEndpoint* Find(int id) const;
  void SetLastError(const std::string& error);

  const FrameKey frameKey_;
  RequestTracker tracker_;
  mutable std::mutex mutex_;  // guards endpoints_, running_ and lastError_
  std::vector<std::unique_ptr<TokenEndpoint>> endpoints_;
  bool running_ = false;
  std::string lastError_;
};

}  // namespace quill
