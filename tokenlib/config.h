// Keys and virtual token endpoints, read from the environment.
//
// Key values are never printed: a malformed variable is reported by name only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quill {

struct LoopbackEndpoint {
  std::string host;  // "127.0.0.1", "localhost" or "::1"
  uint16_t port = 0;
};

struct TokenConfig {
  std::array<uint8_t, 8> frameKey{};
  std::array<uint8_t, 8> accessKey{};
  std::array<uint8_t, 16> remoteSecret{};
  std::vector<LoopbackEndpoint> virtualTokens;
};

// Looks up one environment variable; returns false when it is not set.
using EnvLookup = std::function<bool(const char* name, std::string* value)>;
// Receives one line of warning text (no trailing newline).
using WarningSink = std::function<void(const std::string& line)>;

// Builds the configuration: built-in defaults overridden by well-formed
// variables. A malformed variable keeps the default and gives one warning.
TokenConfig ParseTokenConfig(const EnvLookup& env, const WarningSink& warn);

// Parses "host:port" with a loopback host; false for anything else.
bool ParseLoopbackEndpoint(const std::string& text, LoopbackEndpoint* endpoint);

// Parses exactly 2 * size hexadecimal digits (either case).
bool ParseHexKey(const std::string& text, uint8_t* out, size_t size);

// The configuration of this process, read once from the real environment
// (warnings go to standard error).
const TokenConfig& ProcessTokenConfig();

}  // namespace quill
