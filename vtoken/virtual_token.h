// One virtual token apart from its sockets: firmware, injected faults and
// statistics behind one mutex, so that every connection of the token shares
// them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>

#include "crypto/des.h"
#include "faults.h"
#include "firmware.h"
#include "frame.h"
#include "token_setup.h"
#include "token_state.h"
#include "token_stats.h"

namespace quill {

using FrameKey = std::array<uint8_t, 8>;

enum class RequestAction {
  kAnswer,    // send answer
  kNoAnswer,  // send nothing, keep the connection
  kDrop,      // close the connection
};

struct RequestOutcome {
  RequestAction action = RequestAction::kAnswer;
  uint32_t delayMs = 0;  // wait this long before acting
  Frame answer{};        // encrypted, when action is kAnswer
};

// Keeps the stored state after a command changed it; false when it could not.
using StoredStateSink = std::function<bool(const StoredTokenState& state)>;

class VirtualToken {
 public:
  // A token with the default state for the UID value and the process's access key.
  VirtualToken(const TokenUidValue& uid, const FrameKey& frameKey);
  VirtualToken(const StoredTokenState& stored, const AccessKey& accessKey,
               const FrameKey& frameKey);

  // Handles one encrypted 248-byte request frame.
  RequestOutcome HandleRequest(const uint8_t* wire);
  // Runs one plain command as a request would, saving included.
  TokenResponse Execute(const TokenApdu& command);

  // Called under the token's lock after every command that changed the stored
  // state. When it fails, the command is undone and answered with 0x6581.
  void SetStoredStateSink(StoredStateSink sink);

  // Clears the session (flags, failed count, challenge, pending remote change).
  void Unplug();
  StoredTokenState Stored() const;
  SessionState Session() const;
  // Replaces the stored state and clears the session, as a fresh plug would.
  void Load(const StoredTokenState& stored);

  void InjectFault(const Fault& fault, int count, int after = 0);
  void ClearFaults();

  void CountConnection();
  void CountInterleaved();
  void CountAnswer();
  TokenStats Stats() const;

 private:
  TokenResponse ExecuteLocked(const TokenApdu& command);

  mutable std::mutex mutex_;
  TokenFirmware firmware_;
  StoredStateSink sink_;
  FaultPlan faults_;
  DesKey key_;
  std::mt19937 filler_;
  TokenStats counters_;
  CommandLog log_;
};

}  // namespace quill
