#include "virtual_token.h"

#include "config.h"
#include "token_frames.h"

namespace quill {

VirtualToken::VirtualToken(const TokenUidValue& uid, const FrameKey& frameKey)
    : VirtualToken(DefaultTokenState(uid, TokenSettings(), ProcessTokenConfig().accessKey),
                   ProcessTokenConfig().accessKey, frameKey) {}

VirtualToken::VirtualToken(const StoredTokenState& stored, const AccessKey& accessKey,
                           const FrameKey& frameKey)
    : firmware_(stored, accessKey), key_(frameKey.data()), filler_(std::random_device{}()) {}

RequestOutcome VirtualToken::HandleRequest(const uint8_t* wire) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counters_.exchanges;
  const RequestFaults faults = faults_.TakeForRequest();

  Frame plain;
  RequestView request;
  TokenResponse response;
  if (OpenRequest(key_, wire, &plain, &request) == RequestCheck::kOk) {
    const TokenApdu& apdu = request.apdu;
    log_.Add({apdu.ins, apdu.p1, apdu.p2, static_cast<uint8_t>(apdu.lc)});
    response = ExecuteLocked(apdu);
  } else {
    ++counters_.damagedRequests;
    response = DamagedRequestResponse();
  }

  RequestOutcome outcome;
  outcome.delayMs = faults.delayMs;
  if (faults.drop) {
    outcome.action = RequestAction::kDrop;
    return outcome;
  }
  if (faults.noAnswer) {
    outcome.action = RequestAction::kNoAnswer;
    return outcome;
  }
  ApplyResponseFaults(faults, &response);
  BuildAnswer(response, filler_, &outcome.answer);
  ApplyFrameFaults(faults, &outcome.answer);
  EncryptFrame(key_, &outcome.answer);
  return outcome;
}

TokenResponse VirtualToken::Execute(const TokenApdu& command) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ExecuteLocked(command);
}

TokenResponse VirtualToken::ExecuteLocked(const TokenApdu& command) {
  if (!sink_) {
    TokenResponse response = firmware_.Execute(command);
    firmware_.TakeStoredChange();
    return response;
  }
  // Kept so that a command whose result cannot be saved changes nothing.
  const StoredTokenState storedBefore = firmware_.Stored();
  const SessionState sessionBefore = firmware_.Session();
  TokenResponse response = firmware_.Execute(command);
  if (firmware_.TakeStoredChange() && !sink_(firmware_.Stored())) {
    firmware_.Restore(storedBefore, sessionBefore);
    response = TokenResponse();
    response.statusWord = kSwMemoryFailure;
  }
  return response;
}

void VirtualToken::SetStoredStateSink(StoredStateSink sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

void VirtualToken::Unplug() {
  std::lock_guard<std::mutex> lock(mutex_);
  firmware_.Unplug();
}

StoredTokenState VirtualToken::Stored() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Stored();
}

SessionState VirtualToken::Session() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_.Session();
}

void VirtualToken::Load(const StoredTokenState& stored) {
  std::lock_guard<std::mutex> lock(mutex_);
  firmware_.Restore(stored, SessionState());
}

void VirtualToken::InjectFault(const Fault& fault, int count, int after) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Inject(fault, count, after);
}

void VirtualToken::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Clear();
}

void VirtualToken::CountConnection() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counters_.connections;
}

void VirtualToken::CountInterleaved() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counters_.interleaved;
}

void VirtualToken::CountAnswer() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counters_.answers;
}

TokenStats VirtualToken::Stats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  TokenStats stats = counters_;
  stats.commands = log_.Snapshot();
  return stats;
}

}  // namespace quill
