// Scans for tokens over HID and over the storage face.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

// Opens every present HID device with the given identifiers into the HID
// slots; returns the count (0 when the services cannot be bound).
int EnumerateHidDevices(uint16_t vendorId, uint16_t productId);
// Finds every present CD-ROM-class interface whose lower-cased path contains
// marker, records it in the storage slots and opens it; returns the count.
int EnumerateStorageDevices(const std::string& marker);

}  // namespace quill
