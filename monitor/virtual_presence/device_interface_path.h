// The USB device-interface path that Windows would report for a token, made
// up for a virtual token from its hello line, so that the monitor's path
// matching sees what it would see for real hardware.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

// The class of every USB device interface: GUID_DEVINTERFACE_USB_DEVICE.
extern const char kUsbDeviceInterfaceClass[];

// "\\?\USB#VID_<vid>&PID_<pid>#QVT<port>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"
// with the identifiers in upper-case hexadecimal.
std::string UsbInterfacePath(uint16_t vendorId, uint16_t productId, uint16_t port);

// Builds the path from a whole hello line (line feed included). A hid line
// gives its vendor and product identifiers; a cdrom line the "vid_XXXX" and
// "pid_XXXX" found in the path it announces (either case). False for a line
// that is not a valid hello or a cdrom path without both identifiers.
bool DevicePathFromHello(const std::string& helloLine, uint16_t port, std::string* path);

}  // namespace quill
