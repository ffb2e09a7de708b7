#include "origin.h"

#include <array>
#include <vector>

namespace quill::host {
namespace {

constexpr size_t kLongestDomain = 253;
constexpr size_t kLongestLabel = 63;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLowerHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f');
}
bool IsLabelCharacter(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || c == '-';
}

bool Fail(std::string* problem, const std::string& reason) {
  if (problem) *problem = reason;
  return false;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end == std::string_view::npos ? end : end - begin));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

// Only for texts of AllDigits, at most 5 characters long.
int SmallNumber(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A browser reads a host whose last label is a number (decimal, or hex
// after "0x") as an IPv4 address and prints it as four decimal parts.
bool EndsInANumber(std::string_view host) {
  const std::string_view last = host.substr(host.rfind('.') + 1);
  if (AllDigits(last)) return true;
  if (last.substr(0, 2) != "0x") return false;
  for (char c : last.substr(2)) {
    if (!IsLowerHex(c)) return false;
  }
  return true;
}

bool IsCanonicalIpv4(std::string_view host) {
  const std::vector<std::string_view> parts = Split(host, '.');
  if (parts.size() != 4) return false;
  for (std::string_view part : parts) {
    if (!AllDigits(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
    if (SmallNumber(part) > 255) return false;
  }
  return true;
}

bool CheckDomain(std::string_view host, std::string* problem) {
  if (host.empty()) return Fail(problem, "the host is empty");
  if (host.size() > kLongestDomain) return Fail(problem, "the host is longer than 253 characters");
  for (std::string_view label : Split(host, '.')) {
    if (label.empty()) return Fail(problem, "the host has an empty label (or ends with a dot)");
    if (label.size() > kLongestLabel) {
      return Fail(problem, "a label of the host is longer than 63 characters");
    }
    for (char c : label) {
      if (!IsLabelCharacter(c)) {
        return Fail(problem, "the host has a character other than a-z, 0-9, '-' and '.'");
      }
    }
    if (label.front() == '-' || label.back() == '-') {
      return Fail(problem, "a label of the host starts or ends with '-'");
    }
  }
  return true;
}

// The eight 16-bit pieces of an IPv6 address written as lower-case hex
// pieces with at most one "::"; false for anything else.
bool ParseIpv6(std::string_view text, std::array<uint32_t, 8>* pieces) {
  pieces->fill(0);
  const size_t gap = text.find("::");
  std::string_view head = text;
  std::string_view tail;
  if (gap != std::string_view::npos) {
    head = text.substr(0, gap);
    tail = text.substr(gap + 2);
    if (tail.find("::") != std::string_view::npos) return false;
  }
  auto parse = [](std::string_view part, std::vector<uint32_t>* out) {
    if (part.empty()) return true;
    for (std::string_view piece : Split(part, ':')) {
      if (piece.empty() || piece.size() > 4) return false;
      uint32_t value = 0;
      for (char c : piece) {
        if (!IsLowerHex(c)) return false;
        value = value * 16 + static_cast<uint32_t>(IsDigit(c) ? c - '0' : c - 'a' + 10);
      }
      out->push_back(value);
    }
    return true;
  };
  std::vector<uint32_t> front;
  std::vector<uint32_t> back;
  if (!parse(head, &front) || !parse(tail, &back)) return false;
  const size_t count = front.size() + back.size();
  if (gap == std::string_view::npos ? count != 8 : count > 7) return false;
  for (size_t i = 0; i < front.size(); ++i) (*pieces)[i] = front[i];
  for (size_t i = 0; i < back.size(); ++i) (*pieces)[8 - back.size() + i] = back[i];
  return true;
}

// As browsers print an address: lower-case hex pieces without leading
// zeros, the first longest run of two or more zero pieces as "::".
std::string SerializeIpv6(const std::array<uint32_t, 8>& pieces) {
  int bestStart = -1;
  int bestLength = 1;
  for (int i = 0; i < 8;) {
    int end = i;
    while (end < 8 && pieces[end] == 0) ++end;
    if (end - i > bestLength) {
      bestStart = i;
      bestLength = end - i;
    }
    i = end == i ? i + 1 : end;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      text += i == 0 ? "::" : ":";
      i += bestLength - 1;
      continue;
    }
    std::string piece;
    uint32_t value = pieces[i];
    do {
      piece.insert(piece.begin(), kHex[value % 16]);
      value /= 16;
    } while (value != 0);
    text += piece;
    if (i < 7) text += ':';
  }
  return text;
}

bool CheckPort(std::string_view text, const std::string& scheme, uint16_t* port,
               std::string* problem) {
  if (!AllDigits(text) || text.size() > 5) return Fail(problem, "the port is not a number");
  if (text[0] == '0') return Fail(problem, "the port is 0 or starts with 0");
  const int value = SmallNumber(text);
  if (value > 65535) return Fail(problem, "the port is above 65535");
  if ((scheme == "http" && value == 80) || (scheme == "https" && value == 443)) {
    return Fail(problem, "the port is the scheme's default, which browsers leave out");
  }
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

std::string WebOrigin::ToString() const {
  std::string text = scheme + "://" + host;
  if (port != 0) text += ":" + std::to_string(port);
  return text;
}

bool operator==(const WebOrigin& a, const WebOrigin& b) {
  return a.scheme == b.scheme && a.host == b.host && a.port == b.port;
}

std::optional<WebOrigin> ParseOrigin(std::string_view text, std::string* problem) {
  WebOrigin origin;
  const size_t separator = text.find("://");
  if (separator == std::string_view::npos) {
    Fail(problem, "it is not of the form scheme://host");
    return std::nullopt;
  }
  origin.scheme = std::string(text.substr(0, separator));
  if (origin.scheme != "http" && origin.scheme != "https") {
    Fail(problem, "the scheme is not http or https (in lower case)");
    return std::nullopt;
  }
  std::string_view rest = text.substr(separator + 3);

  std::string_view host;
  std::string_view afterHost;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      Fail(problem, "the IPv6 address has no closing bracket");
      return std::nullopt;
    }
    host = rest.substr(0, close + 1);
    afterHost = rest.substr(close + 1);
    std::array<uint32_t, 8> pieces;
    const std::string_view address = host.substr(1, host.size() - 2);
    if (!ParseIpv6(address, &pieces) || SerializeIpv6(pieces) != address) {
      Fail(problem, "the IPv6 address is malformed or not in the form browsers print");
      return std::nullopt;
    }
    origin.hostKind = OriginHostKind::kIpv6;
  } else {
    const size_t colon = rest.find(':');
    host = rest.substr(0, colon);
    afterHost = colon == std::string_view::npos ? std::string_view() : rest.substr(colon);
    if (!CheckDomain(host, problem)) return std::nullopt;
    if (EndsInANumber(host)) {
      if (!IsCanonicalIpv4(host)) {
        Fail(problem, "the host ends in a number but is not an IPv4 address in dotted decimal");
        return std::nullopt;
      }
      origin.hostKind = OriginHostKind::kIpv4;
    }
  }
  origin.host = std::string(host);

  if (!afterHost.empty()) {
    if (afterHost[0] != ':') {
      Fail(problem, "something follows the host");
      return std::nullopt;
    }
    if (!CheckPort(afterHost.substr(1), origin.scheme, &origin.port, problem)) {
      return std::nullopt;
    }
  }
  return origin;
}

std::optional<OriginPattern> ParseOriginPattern(std::string_view text, std::string* problem) {
  OriginPattern pattern;
  if (text == "*") return pattern;
  const size_t separator = text.find("://");
  if (separator != std::string_view::npos && text.substr(separator + 3, 2) == "*.") {
    std::string wildcardless(text.substr(0, separator + 3));
    wildcardless += text.substr(separator + 5);
    std::optional<WebOrigin> domain = ParseOrigin(wildcardless, problem);
    if (!domain) return std::nullopt;
    if (domain->hostKind != OriginHostKind::kDomain) {
      Fail(problem, "'*.' stands before an IP address");
      return std::nullopt;
    }
    pattern.kind = OriginPattern::Kind::kSubdomains;
    pattern.origin = std::move(*domain);
    return pattern;
  }
  std::optional<WebOrigin> exact = ParseOrigin(text, problem);
  if (!exact) return std::nullopt;
  pattern.kind = OriginPattern::Kind::kExact;
  pattern.origin = std::move(*exact);
  return pattern;
}

bool PatternMatches(const OriginPattern& pattern, const WebOrigin& origin) {
  switch (pattern.kind) {
    case OriginPattern::Kind::kAny:
      return true;
    case OriginPattern::Kind::kExact:
      return pattern.origin == origin;
    case OriginPattern::Kind::kSubdomains: {
      if (origin.hostKind != OriginHostKind::kDomain) return false;
      if (origin.scheme != pattern.origin.scheme || origin.port != pattern.origin.port) {
        return false;
      }
      const std::string suffix = "." + pattern.origin.host;
      return origin.host.size() > suffix.size() &&
             origin.host.compare(origin.host.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
  }
  return false;
}

}  // namespace quill::host
