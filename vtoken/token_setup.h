// What one virtual token is: its transport kind, model, port and identity,
// and the hello line it sends on every new connection.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "token.h"
#include "token_settings.h"

namespace quill {

enum class TokenKind { kHid, kCdrom };

using TokenUidValue = std::array<uint8_t, 32>;

constexpr size_t kHidReportSize = 249;  // report id 0x00 + one frame
constexpr size_t kMaxHelloLine = 300;
constexpr size_t kMaxCdromPath = 260;

struct TokenSpec {
  TokenKind kind = TokenKind::kHid;
  TokenModel model = TokenModel::kA;
  uint16_t port = 0;                 // 0: an ephemeral port chosen at the first plug
  std::optional<TokenUidValue> uid;  // none: DefaultUid(id)
  std::string path;                  // cdrom only; empty: DefaultCdromPath
  TokenSettings settings;            // starting values when the state file has none
};

// Bytes of one request or answer on the connection: 249 for hid, 248 for cdrom.
size_t WireMessageSize(TokenKind kind);

// The UID value of the token with the given id when none is given:
// byte k = (k * 7 + id * 13 + 1) mod 256.
TokenUidValue DefaultUid(int id);

// A CD-ROM interface path carrying the model's marker; the port makes it
// distinct between tokens on one machine.
std::string DefaultCdromPath(TokenModel model, uint16_t port);

// A path may go into the hello line: not empty, at most 260 characters, no
// blanks or control characters.
bool IsValidCdromPath(const std::string& path);

// "QVT1 hid 04b4 b328\n" or "QVT1 cdrom <path>\n".
std::string HelloLine(TokenKind kind, TokenModel model, const std::string& path);

const char* KindName(TokenKind kind);     // "hid" / "cdrom"
const char* ModelName(TokenModel model);  // "A" / "B"
bool ParseKindName(const std::string& text, TokenKind* kind);
bool ParseModelName(const std::string& text, TokenModel* model);

}  // namespace quill
