#include "token_state.h"

#include <algorithm>
#include <cstring>

#include "crypto/md5.h"

namespace quill {
namespace {

constexpr uint8_t kIdentityValues[5] = {1, 2, 3, 4, 5};
constexpr uint16_t kIdentityValue16 = 0x0102;

// Copies text into a zero-filled field (the caller has checked the length).
template <size_t N>
void CopyText(const std::string& text, std::array<uint8_t, N>* field) {
  field->fill(0);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), N)),
            field->begin());
}

// seed s = MD5(uid || s) || MD5(uid || s || s)
std::array<uint8_t, kSeedSize> DeriveSeed(const TokenUidValue& uid, uint8_t selector) {
  std::array<uint8_t, kSeedSize> seed{};
  Md5 first;
  first.Update(uid.data(), uid.size());
  first.Update(&selector, 1);
  first.Final(seed.data());
  Md5 second;
  second.Update(uid.data(), uid.size());
  second.Update(&selector, 1);
  second.Update(&selector, 1);
  second.Final(seed.data() + kMd5DigestSize);
  return seed;
}

// The first 8 bytes of MD5("cipher" || uid || s).
DesBlock DeriveCipherKey(const TokenUidValue& uid, uint8_t selector) {
  static const char kLabel[] = "cipher";
  Md5 md5;
  md5.Update(reinterpret_cast<const uint8_t*>(kLabel), sizeof(kLabel) - 1);
  md5.Update(uid.data(), uid.size());
  md5.Update(&selector, 1);
  uint8_t digest[kMd5DigestSize];
  md5.Final(digest);
  DesBlock key{};
  std::copy(digest, digest + key.size(), key.begin());
  return key;
}

}  // namespace

PasswordDigestValue TokenPasswordDigest(const std::string& password) {
  PasswordDigestValue digest{};
  PasswordDigest(password.substr(0, kMaxPasswordLength).c_str(), digest.data());
  return digest;
}

bool StoredTokenState::operator==(const StoredTokenState& other) const {
  return uid == other.uid && password == other.password && keyInfo == other.keyInfo &&
         userStorage == other.userStorage && secureStorage == other.secureStorage &&
         memory == other.memory && seeds == other.seeds && cipherKeys == other.cipherKeys &&
         resetKey == other.resetKey && versionText == other.versionText &&
         identity == other.identity && requestEnabled == other.requestEnabled &&
         usageTag == other.usageTag && remoteValues == other.remoteValues;
}

StoredTokenState DefaultTokenState(const TokenUidValue& uid, const TokenSettings& settings,
                                   const AccessKey& accessKey) {
  StoredTokenState state;
  state.uid = uid;
  state.password = TokenPasswordDigest(settings.password);
  for (int s = 0; s < kSeedSelectors; ++s) {
    state.seeds[static_cast<size_t>(s)] = DeriveSeed(uid, static_cast<uint8_t>(s));
    state.cipherKeys[static_cast<size_t>(s)] = DeriveCipherKey(uid, static_cast<uint8_t>(s));
  }
  state.resetKey = accessKey;
  CopyText(settings.versionText, &state.versionText);
  std::array<uint8_t, kIdentityTextSize> identityText{};
  CopyText(settings.identity, &identityText);
  std::copy(identityText.begin(), identityText.end(), state.identity.begin());
  std::copy(std::begin(kIdentityValues), std::end(kIdentityValues),
            state.identity.begin() + kIdentityTextSize);
  state.identity[16] = static_cast<uint8_t>(kIdentityValue16 & 0xFF);
  state.identity[17] = static_cast<uint8_t>(kIdentityValue16 >> 8);
  state.requestEnabled = settings.requestEnabled;
  CopyText(settings.usageTag, &state.usageTag);
  return state;
}

}  // namespace quill
