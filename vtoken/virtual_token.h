// One virtual token apart from its sockets: firmware, injected faults and
// statistics behind one mutex, so that every connection of the token shares
// them.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <random>

#include "crypto/des.h"
#include "faults.h"
#include "firmware.h"
#include "frame.h"
#include "token_setup.h"
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

class VirtualToken {
 public:
  VirtualToken(const TokenUidValue& uid, const FrameKey& frameKey);

  // Handles one encrypted 248-byte request frame.
  RequestOutcome HandleRequest(const uint8_t* wire);

  void InjectFault(const Fault& fault, int count);
  void ClearFaults();

  void CountConnection();
  void CountInterleaved();
  void CountAnswer();
  TokenStats Stats() const;

 private:
  mutable std::mutex mutex_;
  TokenFirmware firmware_;
  FaultPlan faults_;
  DesKey key_;
  std::mt19937 filler_;
  TokenStats counters_;
  CommandLog log_;
};

}  // namespace quill
