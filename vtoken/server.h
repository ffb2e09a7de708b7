// A set of virtual tokens served over loopback, each on its own port.
//
//   VirtualTokenServer server;            // frame and access key from the environment
//   server.UseStateFile("tokens.state");  // optional: keep the tokens' state in a file
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
#include "state_store.h"
#include "token_endpoint.h"
#include "token_setup.h"
#include "token_state.h"
#include "token_stats.h"
#include "virtual_token.h"

namespace quill {

class VirtualTokenServer {
 public:
  // accessKey is the key the tokens accept for 0x2B and their default reset key.
  explicit VirtualTokenServer(const FrameKey& frameKey = ProcessTokenConfig().frameKey,
                              const AccessKey& accessKey = ProcessTokenConfig().accessKey);
  ~VirtualTokenServer();
  VirtualTokenServer(const VirtualTokenServer&) = delete;
  VirtualTokenServer& operator=(const VirtualTokenServer&) = delete;

  // Plugs every token added so far; tokens added later are plugged at once.
  // False when a token's port cannot be taken (see LastError).
  bool Start();
  // Unplugs every token; the server can be started again.
  void Stop();

  // Adds a token; its UID value defaults to DefaultUid(id), its state to
  // the TokenSpec's settings, unless the state file has an entry for the id.
  // Returns the id, or -1 for a cdrom path that cannot go into a hello line,
  // settings that do not fit, a state that cannot be saved, or a port that
  // cannot be taken while the server runs.
  int AddToken(const TokenSpec& spec);
  int TokenCount() const;

  // Keeps the tokens' stored state in path: loads it (a missing file starts
  // empty and is created), gives every token added before or after its
  // entry, and saves after each command that changes stored state. False,
  // with LastError naming the file and line, for a file that cannot be read
  // or parsed, or whose checksum does not match, or that another server (in
  // this process or another) is using; nothing changes then.
  bool UseStateFile(const std::string& path);
  // Reads the state file again; each token with an entry takes it and starts
  // a fresh session. False (nothing changes) as for UseStateFile.
  bool ReloadState();

  // The port, once the token was plugged (before that: the requested port).
  uint16_t Port(int id) const;
  // "127.0.0.1:PORT".
  std::string Endpoint(int id) const;
  // The TokenSpec with the UID, port and cdrom path filled in.
  TokenSpec Spec(int id) const;

  // Unplugging closes the token's listener, so that connecting is refused,
  // closes every connection of the token and clears its session.
  void Unplug(int id);
  // Listens again on the token's port; false when the port cannot be taken.
  bool Plug(int id);
  bool Plugged(int id) const;

  // count <= 0: until ClearFaults. The first `after` requests pass untouched
  // (for a fault in the middle of a multi-request operation).
  void InjectFault(int id, const Fault& fault, int count, int after = 0);
  void ClearFaults(int id);
  TokenStats Stats(int id) const;
  SessionState Session(int id) const;
  StoredTokenState Stored(int id) const;
  // Whether the state file holds an entry for the token id (which then wins
  // over the settings of the TokenSpec given to AddToken).
  bool HasStateEntry(int id) const;

  std::string LastError() const;
  // Receives a line for every state that could not be saved (default: none).
  void SetWarningSink(WarningSink sink);

 private:
  TokenEndpoint* Find(int id) const;
  std::vector<TokenEndpoint*> Endpoints() const;
  void SetLastError(const std::string& error);
  void SaveAfterCommands(VirtualToken& token, int id);
  bool SaveState(int id, const StoredTokenState& state);

  const FrameKey frameKey_;
  const AccessKey accessKey_;
  RequestTracker tracker_;
  StateStore store_;          // outlives the tokens, which save into it
  mutable std::mutex mutex_;  // guards endpoints_ and running_
  std::vector<std::unique_ptr<TokenEndpoint>> endpoints_;
  bool running_ = false;
  // Its own lock: it is set while a token's lock is held.
  mutable std::mutex errorMutex_;  // guards lastError_ and warn_
  std::string lastError_;
  WarningSink warn_;
};

}  // namespace quill
