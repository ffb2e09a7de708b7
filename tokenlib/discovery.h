// Discovery: rebuilding the device table from a fresh scan.
#pragma once

#include <cstdint>

namespace quill {

// Scans both faces (the storage face only when marker is not null) and fills
// the device table with a new random handle base; returns the entry count.
int BuildDeviceTable(uint16_t vendorId, uint16_t productId, const char* marker);

}  // namespace quill
