// CRC_B of ISO/IEC 14443-3 (the 16-bit CRC of ISO/IEC 13239).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

// Initial value 0xFFFF, reflected polynomial 0x8408, final value complemented.
// Callers store the result low byte first.
uint16_t Crc16B(const uint8_t* bytes, size_t length);

}  // namespace quill
