// Web origins as browsers serialise them ("https://a.example",
// "http://127.0.0.1:8080", "https://[::1]"), and the patterns an
// administrator writes to allow or forbid them.
//
// An origin is accepted only in its canonical form: the scheme http or https
// in lower case, "://", a lower-case DNS name, a dotted IPv4 address or a
// bracketed IPv6 address in the form browsers print, an optional port that
// is neither the scheme's default nor written with a leading zero, and
// nothing after it. Any other spelling names no origin a browser reports,
// so it is refused rather than mended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quill::host {

enum class OriginHostKind { kDomain, kIpv4, kIpv6 };

struct WebOrigin {
  std::string scheme;  // "http" or "https"
  std::string host;    // IPv6 addresses with their brackets
  OriginHostKind hostKind = OriginHostKind::kDomain;
  uint16_t port = 0;  // 0: the scheme's default port

  std::string ToString() const;
};

bool operator==(const WebOrigin& a, const WebOrigin& b);
inline bool operator!=(const WebOrigin& a, const WebOrigin& b) {
  return !(a == b);
}

// The origin, or nothing with the reason in problem (when given).
std::optional<WebOrigin> ParseOrigin(std::string_view text, std::string* problem = nullptr);

// "*" (every origin), an exact origin, or "SCHEME://*.DOMAIN[:PORT]": every
// origin of that scheme and port whose host is a DNS name below DOMAIN
// (DOMAIN itself is not matched; neither are IP addresses).
struct OriginPattern {
  enum class Kind { kAny, kExact, kSubdomains };
  Kind kind = Kind::kAny;
  WebOrigin origin;  // kExact: the origin; kSubdomains: DOMAIN as its host
};

std::optional<OriginPattern> ParseOriginPattern(std::string_view text,
                                                std::string* problem = nullptr);

bool PatternMatches(const OriginPattern& pattern, const WebOrigin& origin);

}  // namespace quill::host
