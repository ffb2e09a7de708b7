// Faults injected into a token's answers, each for the next N requests or
// until cleared.
//
//   noanswer    read the request, send nothing
//   drop        close the connection instead of answering
//   crc         damage one checksum byte of the answer
//   marker      answer marker 0x53 instead of 0x52 (checksum kept valid)
//   length L    put L into the length field (checksum kept valid)
//   status XX   status byte XX, the rest of the answer unchanged
//   sw XXXX     status 0xAA, no data, status word XXXX
//   delay MS    answer after MS milliseconds
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firmware.h"
#include "frame.h"

namespace quill {

enum class FaultKind { kNoAnswer, kDrop, kCrc, kMarker, kLength, kStatus, kStatusWord, kDelay };

struct Fault {
  FaultKind kind = FaultKind::kNoAnswer;
  uint32_t value = 0;  // L, XX, XXXX or MS; unused by the other kinds
};

constexpr uint32_t kMaxFaultDelayMs = 600000;

bool ParseFaultKind(const std::string& text, FaultKind* kind);
const char* FaultKindName(FaultKind kind);
bool FaultTakesValue(FaultKind kind);
// length: decimal 0..65535; status: hex 00..FF; sw: hex 0000..FFFF (both with
// an optional 0x); delay: decimal milliseconds up to kMaxFaultDelayMs.
bool ParseFaultValue(FaultKind kind, const std::string& text, uint32_t* value);

// The faults in force for one request.
struct RequestFaults {
  bool noAnswer = false;
  bool drop = false;
  bool damageChecksum = false;
  bool wrongMarker = false;
  bool overrideLength = false;
  uint16_t length = 0;
  bool overrideStatus = false;
  uint8_t status = 0;
  bool overrideStatusWord = false;
  uint16_t statusWord = 0;
  uint32_t delayMs = 0;
};

class FaultPlan {
 public:
  // count <= 0 keeps the fault until Clear. A fault replaces an earlier one
  // of the same kind; faults of different kinds combine. The first `after`
  // requests pass untouched before the fault starts to count.
  void Inject(const Fault& fault, int count, int after = 0);
  void Clear();
  // The faults for the next request; counts down each fault taken.
  RequestFaults TakeForRequest();
  bool Empty() const { return active_.empty(); }

 private:
  struct ActiveFault {
    Fault fault;
    int remaining;  // < 0: until cleared
    int waiting;    // requests still to pass before the fault applies
  };
  std::vector<ActiveFault> active_;
};

// Status and status word faults change the firmware's response before framing.
void ApplyResponseFaults(const RequestFaults& faults, TokenResponse* response);
// Marker, length and checksum faults change the built (unencrypted) answer.
void ApplyFrameFaults(const RequestFaults& faults, Frame* answer);

}  // namespace quill
