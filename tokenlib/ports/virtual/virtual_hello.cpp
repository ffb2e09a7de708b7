#include "virtual_hello.h"

#include <chrono>

namespace quill {
namespace {

const char kHidPrefix[] = "QVT1 hid ";
const char kCdromPrefix[] = "QVT1 cdrom ";

bool StartsWith(const std::string& text, const char* prefix, size_t* rest) {
  const std::string expected(prefix);
  if (text.compare(0, expected.size(), expected) != 0) return false;
  *rest = expected.size();
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Four hexadecimal digits at text[at].
bool ParseHex16(const std::string& text, size_t at, uint16_t* value) {
  if (at + 4 > text.size()) return false;
  unsigned result = 0;
  for (size_t i = at; i < at + 4; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    result = result << 4 | static_cast<unsigned>(digit);
  }
  *value = static_cast<uint16_t>(result);
  return true;
}

bool ParseHid(const std::string& line, size_t at, VirtualHello* hello) {
  // "vvvv pppp\n"
  if (line.size() != at + 10 || line[at + 4] != ' ') return false;
  if (!ParseHex16(line, at, &hello->vendorId) || !ParseHex16(line, at + 5, &hello->productId)) {
    return false;
  }
  hello->kind = VirtualKind::kHid;
  hello->path.clear();
  return true;
}

bool ParseCdrom(const std::string& line, size_t at, VirtualHello* hello) {
  const size_t length = line.size() - 1 - at;  // without the line feed
  if (length == 0 || length > kMaxVirtualCdromPath) return false;
  for (size_t i = at; i < at + length; ++i) {
    if (line[i] <= ' ' || line[i] > '~') return false;
  }
  hello->kind = VirtualKind::kCdrom;
  hello->vendorId = 0;
  hello->productId = 0;
  hello->path = line.substr(at, length);
  return true;
}

}  // namespace

bool ParseVirtualHello(const std::string& line, VirtualHello* hello) {
  if (line.empty() || line.size() > kMaxHelloBytes || line.back() != '\n') return false;
  size_t rest = 0;
  if (StartsWith(line, kHidPrefix, &rest)) return ParseHid(line, rest, hello);
  if (StartsWith(line, kCdromPrefix, &rest)) return ParseCdrom(line, rest, hello);
  return false;
}

bool ReadHelloLine(LoopbackSocket& socket, uint32_t waitMs, std::string* line) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  line->clear();
  // One byte at a time: whatever follows the line belongs to the exchange.
  while (line->size() < kMaxHelloBytes) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    uint8_t byte = 0;
    size_t received = 0;
    const uint32_t remaining = left > 0 ? static_cast<uint32_t>(left) : 0;
    if (socket.Read(&byte, 1, remaining, &received) != SocketStatus::kOk) return false;
    line->push_back(static_cast<char>(byte));
    if (byte == '\n') return true;
  }
  return false;
}

}  // namespace quill
