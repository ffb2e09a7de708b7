#include "faults.h"

#include <algorithm>

namespace quill {
namespace {

struct FaultKindEntry {
  const char* name;
  FaultKind kind;
};

constexpr FaultKindEntry kKindNames[] = {
    {"noanswer", FaultKind::kNoAnswer}, {"drop", FaultKind::kDrop},
    {"crc", FaultKind::kCrc},           {"marker", FaultKind::kMarker},
    {"length", FaultKind::kLength},     {"status", FaultKind::kStatus},
    {"sw", FaultKind::kStatusWord},     {"delay", FaultKind::kDelay},
};

bool ParseNumber(const std::string& text, int base, uint32_t limit, uint32_t* value) {
  std::string digits = text;
  if (base == 16 && digits.size() > 2 && digits[0] == '0' &&
      (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
  }
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t result = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (result > limit) return false;
  *value = result;
  return true;
}

}  // namespace

bool ParseFaultKind(const std::string& text, FaultKind* kind) {
  const std::string name = text == "no-answer" ? "noanswer" : text;
  for (const FaultKindEntry& entry : kKindNames) {
    if (name == entry.name) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

const char* FaultKindName(FaultKind kind) {
  for (const FaultKindEntry& entry : kKindNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "?";
}

bool FaultTakesValue(FaultKind kind) {
  return kind == FaultKind::kLength || kind == FaultKind::kStatus ||
         kind == FaultKind::kStatusWord || kind == FaultKind::kDelay;
}

bool ParseFaultValue(FaultKind kind, const std::string& text, uint32_t* value) {
  switch (kind) {
    case FaultKind::kLength:
      return ParseNumber(text, 10, 0xFFFF, value);
    case FaultKind::kStatus:
      return ParseNumber(text, 16, 0xFF, value);
    case FaultKind::kStatusWord:
      return ParseNumber(text, 16, 0xFFFF, value);
    case FaultKind::kDelay:
      return ParseNumber(text, 10, kMaxFaultDelayMs, value);
    default:
      return false;
  }
}

void FaultPlan::Inject(const Fault& fault, int count, int after) {
  active_.erase(std::remove_if(active_.begin(), active_.end(),
                               [&](const ActiveFault& a) { return a.fault.kind == fault.kind; }),
                active_.end());
  active_.push_back({fault, count > 0 ? count : -1, after > 0 ? after : 0});
}

void FaultPlan::Clear() {
  active_.clear();
}

RequestFaults FaultPlan::TakeForRequest() {
  RequestFaults faults;
  for (ActiveFault& active : active_) {
    if (active.waiting > 0) {
      --active.waiting;
      continue;
    }
    const uint32_t value = active.fault.value;
    switch (active.fault.kind) {
      case FaultKind::kNoAnswer:
        faults.noAnswer = true;
        break;
      case FaultKind::kDrop:
        faults.drop = true;
        break;
      case FaultKind::kCrc:
        faults.damageChecksum = true;
        break;
      case FaultKind::kMarker:
        faults.wrongMarker = true;
        break;
      case FaultKind::kLength:
        faults.overrideLength = true;
        faults.length = static_cast<uint16_t>(value);
        break;
      case FaultKind::kStatus:
        faults.overrideStatus = true;
        faults.status = static_cast<uint8_t>(value);
        break;
      case FaultKind::kStatusWord:
        faults.overrideStatusWord = true;
        faults.statusWord = static_cast<uint16_t>(value);
        break;
      case FaultKind::kDelay:
        faults.delayMs = value;
        break;
    }
    if (active.remaining > 0) --active.remaining;
  }
  active_.erase(std::remove_if(active_.begin(), active_.end(),
                               [](const ActiveFault& a) { return a.remaining == 0; }),
                active_.end());
  return faults;
}

void ApplyResponseFaults(const RequestFaults& faults, TokenResponse* response) {
  if (faults.overrideStatusWord) {
    response->status = kStatusProcessed;
    response->statusWord = faults.statusWord;
    response->data.clear();
  }
  if (faults.overrideStatus) response->status = faults.status;
}

void ApplyFrameFaults(const RequestFaults& faults, Frame* answer) {
  if (faults.wrongMarker) (*answer)[0] = kRequestMarker;
  if (faults.overrideLength) {
    (*answer)[2] = static_cast<uint8_t>(faults.length >> 8);
    (*answer)[3] = static_cast<uint8_t>(faults.length & 0xFF);
  }
  SealFrame(answer);
  if (faults.damageChecksum) (*answer)[kFrameSize - 2] ^= 0xFF;
}

}  // namespace quill
