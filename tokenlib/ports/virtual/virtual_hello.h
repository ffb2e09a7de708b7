// The hello line a virtual token sends right after accepting a connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "loopback_socket.h"

namespace quill {

enum class VirtualKind { kHid, kCdrom };

struct VirtualHello {
  VirtualKind kind = VirtualKind::kHid;
  uint16_t vendorId = 0;   // kHid only
  uint16_t productId = 0;  // kHid only
  std::string path;        // kCdrom only: the interface path it announces
};

constexpr size_t kMaxHelloBytes = 300;  // the line feed included
constexpr size_t kMaxVirtualCdromPath = 260;

// Parses one whole line, its final line feed included: exactly
// "QVT1 hid <vid> <pid>\n" (4 hexadecimal digits each, either case) or
// "QVT1 cdrom <path>\n" (1 to 260 printable characters, no blanks).
bool ParseVirtualHello(const std::string& line, VirtualHello* hello);

// Reads up to and including the first line feed, within waitMs in total. False
// when no line feed came in the first kMaxHelloBytes bytes, in time, or at all.
// Nothing after the line feed is consumed.
bool ReadHelloLine(LoopbackSocket& socket, uint32_t waitMs, std::string* line);

}  // namespace quill
