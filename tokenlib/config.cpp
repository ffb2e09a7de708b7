#include "config.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "hex.h"

namespace quill {
namespace {

constexpr uint8_t kDefaultFrameKey[8] = {0x04, 0xC7, 0x1E, 0x1D, 0x48, 0xCE, 0x00, 0x7E};
constexpr uint8_t kDefaultAccessKey[8] = {0xA8, 0x84, 0x8E, 0x76, 0x90, 0x3F, 0x38, 0x6C};
constexpr uint8_t kDefaultRemoteSecret[16] = {0x84, 0x41, 0x80, 0x96, 0x26, 0xC6, 0x0E, 0x11,
                                              0xDE, 0xEC, 0x48, 0xBE, 0xAE, 0xF0, 0xE9, 0x02};

template <size_t N>
void ReadKey(const EnvLookup& env, const WarningSink& warn, const char* name,
             std::array<uint8_t, N>* key) {
  std::string text;
  if (!env(name, &text)) return;
  uint8_t parsed[N];
  if (!ParseHexKey(text, parsed, N)) {
    warn(std::string(name) + " is not " + std::to_string(2 * N) +
         " hexadecimal digits; using the built-in value");
    return;
  }
  std::copy(parsed, parsed + N, key->begin());
}

}  // namespace

bool ParseHexKey(const std::string& text, uint8_t* out, size_t size) {
  return text.size() == 2 * size && HexDecode(text, out, size);
}

bool ParseLoopbackEndpoint(const std::string& text, LoopbackEndpoint* endpoint) {
  std::string host;
  std::string portText;
  if (!text.empty() && text[0] == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      return false;
    }
    host = text.substr(1, close - 1);
    portText = text.substr(close + 2);
    if (host != "::1") return false;
  } else {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
    portText = text.substr(colon + 1);
    if (host != "127.0.0.1" && host != "localhost") return false;
  }
  if (portText.empty() || portText.size() > 5) return false;
  unsigned long port = 0;
  for (char c : portText) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + static_cast<unsigned long>(c - '0');
  }
  if (port == 0 || port > 65535) return false;
  endpoint->host = host;
  endpoint->port = static_cast<uint16_t>(port);
  return true;
}

TokenConfig ParseTokenConfig(const EnvLookup& env, const WarningSink& warn) {
  TokenConfig config;
  std::copy(std::begin(kDefaultFrameKey), std::end(kDefaultFrameKey), config.frameKey.begin());
  std::copy(std::begin(kDefaultAccessKey), std::end(kDefaultAccessKey), config.accessKey.begin());
  std::copy(std::begin(kDefaultRemoteSecret), std::end(kDefaultRemoteSecret),
            config.remoteSecret.begin());
  ReadKey(env, warn, "QUILL_FRAME_KEY", &config.frameKey);
  ReadKey(env, warn, "QUILL_ACCESS_KEY", &config.accessKey);
  ReadKey(env, warn, "QUILL_REMOTE_SECRET", &config.remoteSecret);

  std::string list;
  if (env("QUILL_VIRTUAL_TOKENS", &list)) {
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
      const size_t first = item.find_first_not_of(" \t");
      if (first == std::string::npos) continue;
      item = item.substr(first, item.find_last_not_of(" \t") - first + 1);
      LoopbackEndpoint endpoint;
      if (ParseLoopbackEndpoint(item, &endpoint)) {
        config.virtualTokens.push_back(endpoint);
      } else {
        warn("QUILL_VIRTUAL_TOKENS: refusing \"" + item +
             "\" (only 127.0.0.1, localhost or [::1] with a port are allowed)");
      }
    }
  }
  return config;
}

const TokenConfig& ProcessTokenConfig() {
  static const TokenConfig config = ParseTokenConfig(
      [](const char* name, std::string* value) {
        const char* text = std::getenv(name);
        if (text == nullptr) return false;
        *value = text;
        return true;
      },
      [](const std::string& line) { std::fprintf(stderr, "quill: %s\n", line.c_str()); });
  return config;
}

}  // namespace quill
