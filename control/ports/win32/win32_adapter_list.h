// The host's network adapters as the IP helper library lists them.
#pragma once

#include <vector>

#include "control_ports.h"

namespace quill {

// GetAdaptersInfo: first asked with room for one adapter record (704 bytes),
// then once more with the size it asks for; every adapter in its order, with
// its type and hardware address. An empty list and kUnavailable when the
// second request fails; kNoMemory when a buffer or the list cannot be
// allocated (ListAdapters: false for both).
class Win32AdapterList : public AdapterListPort {
 public:
  bool ListAdapters(std::vector<NetworkAdapter>* adapters) override;
  AdapterListing ListAdaptersChecked(std::vector<NetworkAdapter>* adapters) override;
};

}  // namespace quill
