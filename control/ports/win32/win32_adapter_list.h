// The host's network adapters as the IP helper library lists them.
#pragma once

#include <vector>

#include "control_ports.h"

namespace quill {

// GetAdaptersInfo: first asked with room for one adapter record (704 bytes),
// then once more with the size it asks for; every adapter in its order, with
// its type and hardware address. False (an empty list) when the second
// request fails or the memory cannot be had.
class Win32AdapterList : public AdapterListPort {
 public:
  bool ListAdapters(std::vector<NetworkAdapter>* adapters) override;
};

}  // namespace quill
