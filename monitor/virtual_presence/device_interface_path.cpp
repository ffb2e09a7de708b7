#include "device_interface_path.h"

#include <cctype>
#include <cstdio>

#include "virtual_hello.h"

namespace quill {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The four hexadecimal digits right after the first occurrence of marker.
bool FindHexAfter(const std::string& lowerPath, const std::string& marker, uint16_t* value) {
  const size_t at = lowerPath.find(marker);
  if (at == std::string::npos) return false;
  const size_t start = at + marker.size();
  if (start + 4 > lowerPath.size()) return false;
  unsigned result = 0;
  for (size_t i = start; i < start + 4; ++i) {
    const int digit = HexDigit(lowerPath[i]);
    if (digit < 0) return false;
    result = result << 4 | static_cast<unsigned>(digit);
  }
  *value = static_cast<uint16_t>(result);
  return true;
}

}  // namespace

const char kUsbDeviceInterfaceClass[] = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::string UsbInterfacePath(uint16_t vendorId, uint16_t productId, uint16_t port) {
  char ids[40];
  std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X#QVT%u#", vendorId, productId,
                static_cast<unsigned>(port));
  return std::string("\\\\?\\USB#") + ids + kUsbDeviceInterfaceClass;
}

bool DevicePathFromHello(const std::string& helloLine, uint16_t port, std::string* path) {
  VirtualHello hello;
  if (!ParseVirtualHello(helloLine, &hello)) return false;
  uint16_t vendorId = hello.vendorId;
  uint16_t productId = hello.productId;
  if (hello.kind == VirtualKind::kCdrom) {
    const std::string lower = Lower(hello.path);
    if (!FindHexAfter(lower, "vid_", &vendorId) || !FindHexAfter(lower, "pid_", &productId)) {
      return false;
    }
  }
  *path = UsbInterfacePath(vendorId, productId, port);
  return true;
}

}  // namespace quill
