// A scripted token for unit tests: decrypts and records every request, and
// answers from a script of steps (a correct answer unless a step says what
// goes wrong), in the spirit of a smart-card reader mock.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "crypto/des.h"
#include "frame.h"

namespace quill::fake {

// One received command, as the token saw it.
struct RecordedCommand {
  uint8_t ins = 0;
  uint8_t p1 = 0;
  uint8_t p2 = 0;
  uint8_t le = 0;
  std::vector<uint8_t> data;
};

// What the token does with one request. The default answers correctly.
struct Step {
  enum class Transport {
    kAnswer,        // deliver the answer below
    kReadTimeout,   // the answer never comes
    kReadFails,     // the read fails
    kDeviceGone,    // the device vanishes (the OS says "not connected")
    kShortRead,     // the read delivers readLength bytes
    kWriteTimeout,  // the request cannot be written
    kShortWrite,    // the request is written incompletely
    kScsiError,     // storage face: the device reports a SCSI status
    kNothingTransferred,
  };
  Transport transport = Transport::kAnswer;
  size_t readLength = 0;

  uint8_t marker = kAnswerMarker;
  uint8_t status = kStatusProcessed;
  uint16_t statusWord = kStatusWordSuccess;
  std::optional<std::vector<uint8_t>> data;  // default: what the command asks for
  std::optional<uint16_t> lengthField;       // overrides L
  int damageChecksumByte = -1;               // 0 or 1: flips that checksum byte

  static Step Answer() { return Step(); }
  static Step WithData(std::vector<uint8_t> bytes);
  static Step Status(uint8_t status);
  static Step StatusWord(uint16_t statusWord);
  static Step Failing(Transport transport);
};

class ScriptedToken {
 public:
  explicit ScriptedToken(const std::array<uint8_t, 8>& frameKey);

  // Steps are used in order, one per request; when none is left, requests get
  // a correct answer.
  void Then(const Step& step) { script_.push_back(step); }
  void SetUidAnswer(const std::array<uint8_t, 32>& uid) { uid_ = uid; }
  const std::array<uint8_t, 32>& UidAnswer() const { return uid_; }

  // Takes one encrypted request; returns the step to play and fills the
  // encrypted answer frame when the step delivers one.
  Step Exchange(const uint8_t request[kFrameSize], uint8_t answer[kFrameSize]);

  const std::vector<RecordedCommand>& Commands() const { return commands_; }

  // The next flushes of the HID input queue that fail.
  int flushFailures = 0;
  int DamagedRequests() const { return damagedRequests_; }

 private:
  DesKey key_;
  std::deque<Step> script_;
  std::array<uint8_t, 32> uid_{};
  std::vector<RecordedCommand> commands_;
  int damagedRequests_ = 0;
  uint32_t fillerSeed_ = 0x2545F491u;
};

}  // namespace quill::fake
