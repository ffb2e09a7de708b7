// The host's network interfaces as sysfs shows them below /sys/class/net.
#pragma once

#include <string>
#include <vector>

#include "control_ports.h"

namespace quill {

// Lists the Ethernet interfaces (type 1, ARPHRD_ETHER) other than loopback,
// ordered by interface index, each with type 6 and the address of its
// address file. A wireless interface (one with a "wireless" or "phy80211"
// entry) is listed with type 71, as Windows lists Wi-Fi adapters, so that it
// does not count as Ethernet. Interfaces whose type, index or address cannot
// be read are left out. False when the directory cannot be read.
class SysfsAdapterList : public AdapterListPort {
 public:
  explicit SysfsAdapterList(std::string netRoot = "/sys/class/net");
  bool ListAdapters(std::vector<NetworkAdapter>* adapters) override;

 private:
  std::string netRoot_;
};

// "aa:bb:cc:dd:ee:ff" (one or two hexadecimal digits per byte) to bytes;
// false for anything else, including an empty text.
bool ParseHardwareAddress(const std::string& text, std::vector<uint8_t>* address);

}  // namespace quill
