// The remote change: a challenge, then the payload, the key information block
// and the apply command, sent by the library from a server's response.
#include <algorithm>

#include "crypto/des.h"
#include "firmware.h"
#include "firmware_answers.h"

namespace quill {
namespace {

// Payload layout: value A (16), text 1 digest (32), text 2 digest (32),
// values B (32), C (24), D (24), E (1).
constexpr size_t kValueASize = 16;
constexpr size_t kOldDigestAt = 16;
constexpr size_t kNewDigestAt = 48;
constexpr size_t kValuesBAt = 80;

constexpr uint8_t kPartP1 = 1;
constexpr uint8_t kPayloadP2 = 0;
constexpr uint8_t kBlockP2 = 1;
constexpr uint8_t kApplyP1P2 = 0xFF;

}  // namespace

TokenResponse TokenFirmware::RemoteChallenge(const TokenApdu& command) {
  return AnswerChallenge(command, ChallengeKind::kRemote);
}

TokenResponse TokenFirmware::RemoteApply(const TokenApdu& command) {
  if (command.p1 == kPartP1 && command.p2 == kPayloadP2) {
    if (command.lc != kRemotePayloadSize) return StatusWordOnly(kSwWrongLength);
    if (session_.challengeKind != ChallengeKind::kRemote) {
      return StatusWordOnly(kSwConditionsNotSatisfied);
    }
    session_.pendingPayload.emplace();
    std::copy(command.data, command.data + command.lc, session_.pendingPayload->begin());
    session_.pendingBlock.reset();
    return Done();
  }
  if (command.p1 == kPartP1 && command.p2 == kBlockP2) {
    if (command.lc != kKeyInfoSize) return StatusWordOnly(kSwWrongLength);
    if (!session_.pendingPayload) return StatusWordOnly(kSwConditionsNotSatisfied);
    session_.pendingBlock.emplace();
    std::copy(command.data, command.data + command.lc, session_.pendingBlock->begin());
    return Done();
  }
  if (command.p1 != kApplyP1P2 || command.p2 != kApplyP1P2) {
    return StatusWordOnly(kSwWrongParameters);
  }
  if (command.lc != 0) return StatusWordOnly(kSwWrongLength);

  const auto payload = session_.pendingPayload;
  const auto block = session_.pendingBlock;
  session_.pendingPayload.reset();
  session_.pendingBlock.reset();
  if (session_.challengeKind == ChallengeKind::kRemote) {
    session_.challengeKind = ChallengeKind::kNone;
  }
  if (!payload || !block) return StatusWordOnly(kSwConditionsNotSatisfied);
  if (!std::equal(stored_.password.begin(), stored_.password.end(),
                  payload->begin() + kOldDigestAt)) {
    return StatusWordOnly(kSwSecurityNotSatisfied);
  }
  std::copy(payload->begin() + kNewDigestAt, payload->begin() + kNewDigestAt + kPasswordDigestSize,
            stored_.password.begin());
  stored_.keyInfo = *block;
  // Values A to E are kept as they came: A, then B to E.
  auto values = stored_.remoteValues.begin();
  values = std::copy(payload->begin(), payload->begin() + kValueASize, values);
  std::copy(payload->begin() + kValuesBAt, payload->end(), values);
  storedChanged_ = true;
  return Done();
}

}  // namespace quill
